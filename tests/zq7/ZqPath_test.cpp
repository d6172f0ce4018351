#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/TempDir.h"
#include "platform/text.h"
#include "zq7/Zq7Com/ZqPath.h"
#include "zq7/Zq7Com/ZqStatus.h"

namespace {

std::vector<char> Buffer(const std::string& text = {}) {
  std::vector<char> b(platform::MaxPath, '\0');
  std::memcpy(b.data(), text.c_str(), text.size() + 1);
  return b;
}

std::vector<std::string> Entries(const std::vector<ZqExtSlot>& table, int n) {
  std::vector<std::string> out;
  for (int i = 0; i < n; ++i) out.emplace_back(table[static_cast<std::size_t>(i)]);
  return out;
}

}  // namespace

TEST(ZqPath, TrailingSeparator) {
  const std::vector<std::tuple<std::string, std::string, std::string>> cases = {
      // path, with SetTermYEN, with CutTermYEN
      {"/a/b", "/a/b/", "/a/b"},
      {"/a/b/", "/a/b/", "/a/b"},
      {"/", "/", "/"},
      {"", "", ""},
      {"rel//", "rel//", "rel"},
  };
  for (const auto& [path, termed, cut] : cases) {
    auto b = Buffer(path);
    EXPECT_TRUE(SetTermYEN(b.data()));
    EXPECT_EQ(std::string(b.data()), termed) << path;
    b = Buffer(path);
    EXPECT_TRUE(CutTermYEN(b.data()));
    EXPECT_EQ(std::string(b.data()), cut) << path;
  }
  auto full = Buffer(std::string(platform::MaxPath - 1, 'x'));
  EXPECT_FALSE(SetTermYEN(full.data())) << "no room for the separator";
  EXPECT_EQ(ZQGetErrorStatus(), ZQ_ERR_BAD_PARAMETER);
}

TEST(ZqPath, FolderAndNameOfAPath) {
  const std::string cwd = std::filesystem::current_path().string();
  const std::vector<std::tuple<std::string, std::string, std::string>> cases = {
      {"/a/b/c.jpg", "/a/b", "c.jpg"},
      {"/c.jpg", "/", "c.jpg"},
      {"/a/./b/../写真.png", "/a", "写真.png"},
      {"x.png", cwd, "x.png"},
  };
  for (const auto& [path, dir, name] : cases) {
    auto d = Buffer(), n = Buffer();
    ASSERT_TRUE(GetFullpathFilename(path.c_str(), d.data(), n.data())) << path;
    EXPECT_EQ(std::string(d.data()), dir) << path;
    EXPECT_EQ(std::string(n.data()), name) << path;
  }
  auto d = Buffer(), n = Buffer();
  EXPECT_FALSE(GetFullpathFilename("/a/b/", d.data(), n.data()));
  EXPECT_FALSE(GetFullpathFilename("", d.data(), n.data()));
  EXPECT_FALSE(GetFullpathFilename("/a", nullptr, n.data()));
}

TEST(ZqPath, PageDesignation) {
  testsupport::TempDir dir;
  const std::string real = dir.Write("scan|2", "x");  // a file whose own name ends like a designation
  const std::vector<std::tuple<std::string, int, std::string>> cases = {
      {"/x/book.tif|3", 3, "/x/book.tif"},
      {"/x/book.tif|0", 0, "/x/book.tif"},
      {"/x/book.tif|32767", 32767, "/x/book.tif"},
      {"/x/book.tif", 0, "/x/book.tif"},
      {"/x/book.tif|", 0, "/x/book.tif|"},
      {"/x/book.tif|40000", 0, "/x/book.tif|40000"},
      {"/x/book.tif|-1", 0, "/x/book.tif|-1"},
      {"/x/a|b", 0, "/x/a|b"},
      {"|3", 0, "|3"},
      {real, 0, real},
  };
  for (const auto& [path, page, cut] : cases) {
    EXPECT_EQ(GetPagefromFilename(path.c_str()), page) << path;
    auto b = Buffer(path);
    EXPECT_EQ(CutPagefromFilename(b.data()) != FALSE, cut != path) << path;
    EXPECT_EQ(std::string(b.data()), cut) << path;
  }
}

TEST(ZqPath, ExtensionTables) {
  std::vector<ZqExtSlot> table(kZqExtEntries);
  EXPECT_EQ(GetPathFileExt("", "jpg;*.PNG, .tif  JPG", table.data()), 3);
  EXPECT_EQ(Entries(table, 4), (std::vector<std::string>{"jpg", "PNG", "tif", ""}));
  EXPECT_EQ(GetPathFileExt("/a/*.bmp; /b/*.Gif;/c", "", table.data()), 2) << "from the patterns";
  EXPECT_EQ(Entries(table, 2), (std::vector<std::string>{"bmp", "Gif"}));
  EXPECT_EQ(GetPathFileExt("", "*.*", table.data()), 1);
  EXPECT_STREQ(table[0], "*");
  EXPECT_EQ(GetPathFileExt("", std::string(64, 'e').c_str(), table.data()), 0) << "too long for a slot";
  EXPECT_EQ(GetPathFileExt(nullptr, nullptr, table.data()), 0);

  ASSERT_EQ(GetPathFileExt("", "jpg;png", table.data()), 2);
  char ext[kZqExtLength];
  const std::vector<std::tuple<const char*, int, const char*>> lookups = {
      {"/p/x.JPG", 1, "JPG"}, {"y.png", 2, "png"}, {"z.gif", 0, ""}, {"/p.jpg/noext", 0, ""}, {"dot.", 0, ""}};
  for (const auto& [name, index, own] : lookups) {
    EXPECT_EQ(GetFileExt(name, ext, table.data()), index) << name;
    EXPECT_STREQ(ext, own) << name;
    EXPECT_EQ(IsOkFileExt(name, table.data()) != FALSE, index > 0) << name;
  }
  ASSERT_EQ(GetPathFileExt("", "*", table.data()), 1);
  EXPECT_EQ(GetFileExt("any.thing", ext, table.data()), 1);
  EXPECT_STREQ(ext, "thing");
}

TEST(ZqPath, FolderListEnumeration) {
  const char* list = "/a; /b/*.jpg ;;/c/";
  const std::vector<std::string> expected = {"/a", "/b", "/c"};
  auto b = Buffer();
  int i = 0;
  for (; GetPathDir(i, list, b.data()); ++i) {
    ASSERT_LT(static_cast<std::size_t>(i), expected.size());
    EXPECT_EQ(std::string(b.data()), expected[static_cast<std::size_t>(i)]);
  }
  EXPECT_EQ(i, 3);
  EXPECT_FALSE(GetPathDir(-1, list, b.data()));
  EXPECT_FALSE(GetPathDir(0, "", b.data()));
}

TEST(ZqPath, DriveAvailability) {
  EXPECT_TRUE(IsSetDrive("/"));
  EXPECT_TRUE(IsSetDrive("/tmp/whatever/file.jpg"));
  EXPECT_TRUE(IsSetDrive("relative/file.jpg"));
  EXPECT_FALSE(IsSetDrive("/no-such-volume-zq7/file.jpg"));
  EXPECT_FALSE(IsSetDrive(""));
  EXPECT_FALSE(IsSetDrive(nullptr));
}

TEST(ZqPath, FileTimesAsSortableTexts) {
  testsupport::TempDir dir;
  const std::string path = dir.Write("a.jpg", "data");
  std::tm when{};
  when.tm_year = 2021 - 1900, when.tm_mon = 2, when.tm_mday = 4, when.tm_hour = 5, when.tm_min = 6, when.tm_sec = 7;
  when.tm_isdst = -1;
  const timespec times[2] = {{std::mktime(&when), 0}, {std::mktime(&when) + 60, 0}};  // access, write
  ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);

  char created[kZqDateTextLength], written[kZqDateTextLength], accessed[kZqDateTextLength];
  ASSERT_TRUE(GetFileDateTimeEx("a.jpg", dir.path().c_str(), created, written, accessed));
  EXPECT_STREQ(written, "20210304050707");
  EXPECT_STREQ(accessed, "20210304050607");
  EXPECT_EQ(std::strlen(created), 14u);
  char one[kZqDateTextLength];
  ASSERT_TRUE(GetPathFileDateTime(path.c_str(), one));
  EXPECT_STREQ(one, written);
  ASSERT_TRUE(GetFileDateTime("a.jpg", dir.path().c_str(), one));
  EXPECT_STREQ(one, written);
  EXPECT_TRUE(GetFileDateTimeEx("a.jpg", dir.path().c_str(), nullptr, one, nullptr));
  EXPECT_FALSE(GetPathFileDateTime((dir.path() + "missing.jpg").c_str(), one));
  EXPECT_EQ(ZQGetErrorStatus(), ZQ_ERR_FILE_NOT_FOUND);
  EXPECT_FALSE(GetPathFileDateTime(dir.path().c_str(), one)) << "a folder is no file";
}
