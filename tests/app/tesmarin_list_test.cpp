// The command-line companion run as users run it: its lines, its renames and its exit
// status.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <sys/wait.h>

#include "platform/files.h"
#include "platform/modules.h"
#include "tests/support/ScratchVolume.h"
#include "tests/support/TempDir.h"
#include "tests/support/SourcePath.h"

using testsupport::TempDir;

namespace {

struct ListRun {
  int status = -1;
  std::string out;
};

ListRun List(const std::string& arguments) {
  const std::string command = platform::ExecutableDir() + "tesmarin-list " + arguments + " 2>/dev/null";
  ListRun run;
  std::FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return run;
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) run.out.append(buffer, n);
  const int raw = ::pclose(pipe);
  run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  return run;
}

std::string Fixture(const std::string& name) {
  return testsupport::SourcePath("tests/data/app/" + name);
}

}  // namespace

TEST(TesmarinList, PrintsTheSixTextsOfEachFile) {
  const ListRun run = List(Fixture("photo.jpg") + " " + Fixture("g4.tif"));
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, Fixture("photo.jpg") + "\t3060\tRGB24\t640x480\t72dpi\tBASELINE\t.jpg\n" + Fixture("g4.tif") +
                         "\t246\t2\t40x30\t200dpi\tG4\t.tif\n");
}

TEST(TesmarinList, AnUnreadableFileSetsTheExitStatus) {
  TempDir dir;
  const ListRun run = List(Fixture("photo.jpg") + " " + dir.Write("note.jpg", "not a picture"));
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out.find("note.jpg"), std::string::npos) << "no line for it";
  EXPECT_NE(run.out.find("photo.jpg"), std::string::npos);
  EXPECT_EQ(List("--bogus x").status, 2);
  EXPECT_EQ(List("").status, 2);
  const ListRun help = List("--help");
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("--dry-run"), std::string::npos);
}

TEST(TesmarinList, RenamesLikeTheMainWindow) {
  TempDir dir;
  const std::string photo = dir.path() + "photo.JPEG";
  std::filesystem::copy_file(Fixture("photo.jpg"), photo);
  const ListRun dry = List("--rename --dry-run --bit --dpi " + photo);
  EXPECT_EQ(dry.status, 0);
  EXPECT_EQ(dry.out, photo + "\t" + dir.path() + "photo_RGB24_72dpi.jpg\n");
  EXPECT_TRUE(platform::FileExists(photo)) << "a dry run renames nothing";

  dir.Write("photo_RGB24_72dpi.jpg", "taken");
  const ListRun clash = List("--rename --bit --dpi " + photo);
  EXPECT_EQ(clash.status, 1) << "the target exists";
  EXPECT_EQ(TempDir::Read(dir.path() + "photo_RGB24_72dpi.jpg"), "taken");

  const ListRun run = List("--rename " + photo);
  EXPECT_EQ(run.status, 0);
  EXPECT_TRUE(platform::FileExists(dir.path() + "photo.jpg"));
  EXPECT_FALSE(platform::FileExists(photo));
}

// The attributes come from the header alone; --verify also decodes and reports the files
// whose pixels do not decode, still listing them.
TEST(TesmarinList, VerifyReportsPixelsThatDoNotDecode) {
  TempDir dir;
  const std::string photo = TempDir::Read(Fixture("photo.jpg"));
  const std::string noScan = dir.Write("noscan.jpg", photo.substr(0, photo.find("\xff\xda")));
  const std::string line = noScan + "\t274\tRGB24\t640x480\t72dpi\tBASELINE\t.jpg\n";
  const ListRun plain = List(noScan);
  EXPECT_EQ(plain.status, 0);
  EXPECT_EQ(plain.out, line);
  const ListRun verified = List("--verify " + noScan + " " + Fixture("g4.tif"));
  EXPECT_EQ(verified.status, 1);
  EXPECT_EQ(verified.out, line + Fixture("g4.tif") + "\t246\t2\t40x30\t200dpi\tG4\t.tif\n");
  EXPECT_EQ(List("--verify " + Fixture("g4.tif")).status, 0);
}

// A name with a newline, a tab, another control character or a backslash stays on its
// one line, escaped.
TEST(TesmarinList, NamesAreEscapedToOneLine) {
  TempDir dir;
  const std::string name = "a\nb\tc\x01" "d\\e.jpg";
  std::filesystem::copy_file(Fixture("photo.jpg"), dir.path() + name);
  // The shell takes the name from the environment, untouched.
  ::setenv("TESMARIN_TEST_NAME", (dir.path() + name).c_str(), 1);
  const std::string shown = dir.path() + "a\\nb\\tc\\x01d\\\\e";
  const ListRun run = List("\"$TESMARIN_TEST_NAME\"");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, shown + ".jpg\t3060\tRGB24\t640x480\t72dpi\tBASELINE\t.jpg\n");
  const ListRun dry = List("--rename --dry-run --bit \"$TESMARIN_TEST_NAME\"");
  EXPECT_EQ(dry.out, shown + ".jpg\t" + shown + "_RGB24.jpg\n");
  ::unsetenv("TESMARIN_TEST_NAME");
  EXPECT_NE(List("--help").out.find("escaped"), std::string::npos);
}

TEST(TesmarinList, RenamesPhotosOnAnExfatCard) {
  // A camera card as exfat-fuse mounts it: no hard links, no no-replace flag, no case.
  testsupport::ScratchVolume card(testsupport::VolumeKind::ExfatFuse);
  if (!card.mounted()) GTEST_SKIP() << "exFAT not tested: " << card.skipReason();
  const std::string dcim = card.path();
  for (const char* name : {"DSC0001.JPG", "DSC0002.JPG", "DSC0003.JPG"})
    std::filesystem::copy_file(Fixture("photo.jpg"), dcim + name);
  const ListRun normalised = List("--rename " + dcim + "DSC0001.JPG");
  EXPECT_EQ(normalised.status, 0);
  EXPECT_EQ(normalised.out, dcim + "DSC0001.JPG\t" + dcim + "DSC0001.jpg\n");
  const ListRun attributes = List("--rename --bit --dpi " + dcim + "DSC0002.JPG");
  EXPECT_EQ(attributes.status, 0);

  const std::string taken = dcim + "dsc0003_RGB24_72DPI.JPG";
  std::filesystem::copy_file(Fixture("g4.tif"), taken);
  EXPECT_EQ(List("--rename --bit --dpi " + dcim + "DSC0003.JPG").status, 1) << "taken in another case";
  EXPECT_EQ(TempDir::Read(taken), TempDir::Read(Fixture("g4.tif")));

  EXPECT_EQ(TempDir::Names(dcim), (std::set<std::string>{"DSC0001.jpg", "DSC0002_RGB24_72dpi.jpg", "DSC0003.JPG",
                                          "dsc0003_RGB24_72DPI.JPG"}));
  EXPECT_EQ(TempDir::Read(dcim + "DSC0003.JPG"), TempDir::Read(Fixture("photo.jpg")));
}

TEST(TesmarinList, DryRunForecastsRefusalsAndUndoTakesTheRunBack) {
  // The test program's own state folder, emptied of the other tests' journals.
  std::filesystem::remove_all(std::string(std::getenv("XDG_STATE_HOME")) + "/tesmarin");
  TempDir dir;
  const std::string a = dir.path() + "a.JPEG";
  const std::string b = dir.path() + "b.jpg";
  std::filesystem::copy_file(Fixture("photo.jpg"), a);
  std::filesystem::copy_file(Fixture("photo.jpg"), b);
  dir.Write("b_72dpi.jpg", "taken");
  const ListRun dry = List("--rename --dry-run --dpi " + a + " " + b);
  EXPECT_EQ(dry.status, 1) << "a rename would be refused";
  EXPECT_EQ(dry.out, a + "\t" + dir.path() + "a_72dpi.jpg\n" + b + "\t" + dir.path() +
                         "b_72dpi.jpg\t同じ名前のファイルが既にあります\n");
  EXPECT_TRUE(platform::FileExists(a));

  // Run from inside the folder with relative names, undo from elsewhere.
  const std::string inFolder = "cd " + dir.path() + " && ";
  const std::string command = inFolder + platform::ExecutableDir() + "tesmarin-list --rename --dpi a.JPEG";
  ASSERT_EQ(std::system((command + " >/dev/null 2>&1").c_str()), 0);
  EXPECT_TRUE(platform::FileExists(dir.path() + "a_72dpi.jpg"));
  const ListRun journals = List("--journals");
  EXPECT_EQ(journals.status, 0);
  EXPECT_EQ(std::count(journals.out.begin(), journals.out.end(), '\n'), 1) << journals.out;
  EXPECT_NE(journals.out.find("\t1/1\tundo possible\n"), std::string::npos) << journals.out;

  const ListRun undo = List("--undo");
  EXPECT_EQ(undo.status, 0);
  EXPECT_EQ(undo.out, "リネームを元に戻しました。\n");
  EXPECT_TRUE(platform::FileExists(a));
  EXPECT_FALSE(platform::FileExists(dir.path() + "a_72dpi.jpg"));
  EXPECT_EQ(List("--undo").out, "元に戻すリネーム処理はありません。\n");
  EXPECT_EQ(List("--undo " + dir.path() + "none.journal").status, 1);
  EXPECT_EQ(List("--undo --rename x").status, 2);
}
