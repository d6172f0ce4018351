#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include "platform/profile.h"
#include "tests/support/TempDir.h"

#include <filesystem>

using platform::TIniFile;
using platform::TMemIniFile;
namespace fs = std::filesystem;
using testsupport::TempDir;

TEST(Profile, DefaultsForMissingFileAndKey) {
  TempDir dir;
  TIniFile ini(dir.path() + "missing.ini");
  EXPECT_EQ(ini.ReadInteger("SET", "Top", 177), 177);
  EXPECT_EQ(ini.ReadBool("SET", "Byte", false), false);
  EXPECT_EQ(ini.ReadString("SET", "x", "d"), "d");
}

TEST(Profile, ValuesAsNumbersAndBooleans) {
  TempDir dir;
  const auto path = dir.Write("t.ini", "[set]\r\ntop=0x20\r\nLeft = abc\r\nW=\r\nB2=2\r\nB0=0\r\n");
  TIniFile ini(path);
  EXPECT_EQ(ini.ReadInteger("SET", "Top", 1), 32) << "sections and keys ignore case";
  EXPECT_EQ(ini.ReadInteger("SET", "Left", 99), 99);
  EXPECT_EQ(ini.ReadInteger("SET", "W", 7), 7);
  EXPECT_TRUE(ini.ReadBool("SET", "B2", false));
  EXPECT_FALSE(ini.ReadBool("SET", "B0", true));
  EXPECT_TRUE(ini.ReadBool("SET", "W", true)) << "empty value keeps the default";
}

TEST(Profile, WritesKeepOtherSectionsKeysAndLines) {
  TempDir dir;
  const auto path = dir.Write("t.ini", "; comment\n[Other]\nk=v\n[SET]\nTop=1\nLeft=2\n\n[Tail]\nz=1\n");
  TIniFile ini(path);
  ini.WriteInteger("set", "top", 300);
  ini.WriteBool("SET", "Byte", true);
  ini.WriteBool("NEW", "Flag", false);
  ini.WriteString("Tail", "z", "日本語");
  EXPECT_EQ(ini.ReadInteger("SET", "Top", 0), 300);
  EXPECT_EQ(ini.ReadInteger("SET", "Left", 0), 2);
  EXPECT_EQ(ini.ReadString("SET", "Byte", ""), "1");
  EXPECT_EQ(ini.ReadString("NEW", "Flag", ""), "0");
  EXPECT_EQ(ini.ReadString("Other", "k", ""), "v");
  EXPECT_EQ(ini.ReadString("Tail", "z", ""), "日本語");
  const std::string text = TempDir::Read(path);
  EXPECT_EQ(text.rfind("; comment", 0), 0u);
  // The new key joins its own section, before the next one.
  EXPECT_LT(text.find("Byte=1"), text.find("[Tail]"));
  EXPECT_GT(text.find("Byte=1"), text.find("[SET]"));
}

TEST(Profile, WriteIntoReadOnlyFolderRaisesWithPath) {
  if (::geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
  TempDir dir;
  const std::string ro = dir.path() + "ro";
  ::mkdir(ro.c_str(), 0500);
  TIniFile ini(ro + "/Tesmarin.ini");
  try {
    ini.WriteInteger("SET", "Top", 1);
    FAIL() << "no error raised";
  } catch (const platform::EIniFileException& e) {
    EXPECT_EQ(std::string(e.what()), ro + "/Tesmarin.ini に書き込めません");
  }
}

TEST(Profile, WriteIntoMissingFolderRaisesWithPath) {
  TempDir dir;
  TIniFile ini(dir.path() + "no/such/Tesmarin.ini");
  try {
    ini.WriteBool("SET", "Byte", true);
    FAIL() << "no error raised";
  } catch (const platform::EIniFileException& e) {
    EXPECT_EQ(std::string(e.what()), dir.path() + "no/such/Tesmarin.ini に書き込めません");
  }
}

TEST(Profile, QuotedValuesAreReadWithoutTheirQuotes) {
  TempDir dir;
  const auto path = dir.Write("q.ini", "[SET]\r\nA=\"12\"\r\nB = \"two words\" \r\nC=\"\r\nD=\"\"\r\n");
  TIniFile ini(path);
  EXPECT_EQ(ini.ReadInteger("SET", "A", 0), 12);
  EXPECT_EQ(ini.ReadString("SET", "B", ""), "two words");
  EXPECT_EQ(ini.ReadString("SET", "C", ""), "\"") << "a lone quote is kept";
  EXPECT_EQ(ini.ReadString("SET", "D", "x"), "");
}

TEST(Profile, MemoryFileWritesEverythingInOneReplacement) {
  TempDir dir;
  const auto path = dir.Write("m.ini", "; mine\r\n[SET]\r\nM_TOP=5\r\n");
  TMemIniFile ini(path);
  ini.WriteInteger("SET", "M_TOP", 150);
  ini.WriteBool("SET", "BYTE", true);
  EXPECT_EQ(ini.ReadInteger("SET", "M_TOP", 0), 150) << "reads see the writes";
  EXPECT_EQ(TempDir::Read(path), "; mine\r\n[SET]\r\nM_TOP=5\r\n") << "nothing written before UpdateFile";
  ini.UpdateFile();
  EXPECT_EQ(TempDir::Read(path), "; mine\r\n[SET]\r\nM_TOP=150\r\nBYTE=1\r\n");
}

// The replacement is made beside the file under a name nobody can plant a link at, keeps
// the file's mode, and goes through a link to the link's target.
TEST(Profile, ReplacementIsSafeKeepsTheModeAndFollowsTheSettingsLink) {
  TempDir dir;
  const auto path = dir.Write("t.ini", "[SET]\r\n");
  const auto victim = dir.Write("victim", "precious");
  // Where a sibling of a predictable name used to be made.
  const std::string planted = path + ".tmp" + std::to_string(::getpid());
  fs::create_symlink(victim, planted);
  ::chmod(path.c_str(), 0600);
  TIniFile(path).WriteString("SET", "K", "v");
  EXPECT_EQ(TempDir::Read(victim), "precious");
  EXPECT_EQ(TIniFile(path).ReadString("SET", "K", ""), "v");
  struct stat st {};
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0600u);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 3) << "no sibling left";

  fs::create_directory(dir.path() + "real");
  const auto target = dir.Write("real/target.ini", "[SET]\r\nA=1\r\n");
  const std::string link = dir.path() + "link.ini";
  fs::create_symlink(target, link);
  TMemIniFile mem(link);
  mem.WriteString("SET", "B", "2");
  mem.UpdateFile();
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(TempDir::Read(target), "[SET]\r\nA=1\r\nB=2\r\n");
}
