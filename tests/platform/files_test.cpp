#include <gtest/gtest.h>
#include <sys/stat.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>

#include "platform/files.h"
#include "tests/support/ScratchVolume.h"
#include "tests/support/TempDir.h"

using namespace platform;
using testsupport::ScratchVolume;
using testsupport::TempDir;
using testsupport::VolumeKind;

namespace {

void WriteFile(const std::string& path, const std::string& contents) {
  std::ofstream(path, std::ios::binary) << contents;
}

}  // namespace

TEST(Rename, NeverReplacesAnExistingFile) {
  TempDir dir;
  const auto a = dir.Write("a.jpg", "AAA");
  const auto b = dir.Write("b.jpg", "BBB");
  EXPECT_EQ(RenameNoReplace(a, b), RenameResult::TargetExists);
  EXPECT_EQ(TempDir::Read(a), "AAA");
  EXPECT_EQ(TempDir::Read(b), "BBB");
}

TEST(Rename, OwnNameMissingSourceAndSuccess) {
  TempDir dir;
  const auto a = dir.Write("a.jpg", "AAA");
  EXPECT_EQ(RenameNoReplace(a, a), RenameResult::Ok);
  EXPECT_EQ(RenameNoReplace(a, dir.path() + "./a.jpg"), RenameResult::Ok) << "the same file spelt otherwise";
  EXPECT_EQ(TempDir::Read(a), "AAA");
  EXPECT_EQ(RenameNoReplace(dir.path() + "none.jpg", dir.path() + "x.jpg"), RenameResult::SourceMissing);
  const auto target = dir.path() + "写真_24bit.jpg";
  EXPECT_EQ(RenameNoReplace(a, target), RenameResult::Ok);
  EXPECT_FALSE(FileExists(a));
  EXPECT_EQ(TempDir::Read(target), "AAA");
}

TEST(Rename, OverlongNameAndDeniedFolder) {
  TempDir dir;
  const auto a = dir.Write("a.jpg", "A");
  EXPECT_EQ(RenameNoReplace(a, dir.path() + std::string(256, 'n')), RenameResult::NameTooLong);
  if (::geteuid() != 0) {  // root ignores folder permissions
    ::mkdir((dir.path() + "ro").c_str(), 0500);
    EXPECT_EQ(RenameNoReplace(a, dir.path() + "ro/a.jpg"), RenameResult::AccessDenied);
  }
  EXPECT_TRUE(FileExists(a));
}

TEST(Rename, AnotherSpellingOfAnotherFileIsRefusedOnACaseSensitiveFileSystem) {
  // Here A.JPG and a.jpg are two files, and two hard links are two names: the detour
  // through a temporary name must give back the old name and touch neither file.
  TempDir dir;
  const auto upper = dir.Write("A.JPG", "upper");
  const auto lower = dir.Write("a.jpg", "lower");
  EXPECT_TRUE(NameTaken(upper, lower));
  EXPECT_EQ(RenameNoReplace(upper, lower), RenameResult::TargetExists);
  const auto link = dir.path() + "link.jpg";
  ASSERT_EQ(::link(lower.c_str(), link.c_str()), 0);
  EXPECT_TRUE(NameTaken(lower, link));
  EXPECT_EQ(RenameNoReplace(lower, link), RenameResult::TargetExists);
  EXPECT_FALSE(NameTaken(lower, lower));
  EXPECT_FALSE(NameTaken(lower, dir.path() + "free.jpg"));
  EXPECT_EQ(TempDir::Names(dir.path()), (std::set<std::string>{"A.JPG", "a.jpg", "link.jpg"}));
  EXPECT_EQ(TempDir::Read(upper), "upper");
  EXPECT_EQ(TempDir::Read(lower), "lower");
}

// The same renames on real exFAT and FAT file systems, which know neither hard links
// (through FUSE) nor case: the camera cards and sticks where users rename photos.
class RenameOnVolume : public ::testing::TestWithParam<VolumeKind> {
 protected:
  void SetUp() override {
    volume_ = std::make_unique<ScratchVolume>(GetParam());
    if (!volume_->mounted()) GTEST_SKIP() << VolumeKindName(GetParam()) << " not tested: " << volume_->skipReason();
  }
  std::string At(const std::string& name) const { return volume_->path() + name; }

  std::unique_ptr<ScratchVolume> volume_;
};

TEST_P(RenameOnVolume, OrdinaryRenamesOfFilesAndFolders) {
  WriteFile(At("photo.jpg"), "JPEG");
  EXPECT_EQ(RenameNoReplace(At("photo.jpg"), At("photo_3060_RGB24_640x480_72dpi_BASELINE.jpg")), RenameResult::Ok);
  EXPECT_EQ(RenameNoReplace(At("photo_3060_RGB24_640x480_72dpi_BASELINE.jpg"), At("写真_72dpi.jpg")), RenameResult::Ok);
  EXPECT_EQ(RenameNoReplace(At("写真_72dpi.jpg"), At("写真_72dpi.jpg")), RenameResult::Ok) << "its own name";
  ASSERT_EQ(::mkdir(At("set.png").c_str(), 0755), 0);
  EXPECT_EQ(RenameNoReplace(At("set.png"), At("set_96dpi.png")), RenameResult::Ok);
  EXPECT_EQ(RenameNoReplace(At("none.jpg"), At("x.jpg")), RenameResult::SourceMissing);
  EXPECT_EQ(TempDir::Names(volume_->path()), (std::set<std::string>{"写真_72dpi.jpg", "set_96dpi.png"}));
  EXPECT_EQ(TempDir::Read(At("写真_72dpi.jpg")), "JPEG");
}

TEST_P(RenameOnVolume, CaseOnlyChangesTakeTheNewSpelling) {
  WriteFile(At("DSC0001.JPG"), "JPEG");
  EXPECT_FALSE(NameTaken(At("DSC0001.JPG"), At("DSC0001.jpg"))) << "its own entry in another case";
  EXPECT_EQ(RenameNoReplace(At("DSC0001.JPG"), At("DSC0001.jpg")), RenameResult::Ok);
  ASSERT_EQ(::mkdir(At("DCIM").c_str(), 0755), 0);
  EXPECT_EQ(RenameNoReplace(At("DCIM"), At("dcim")), RenameResult::Ok);
  EXPECT_EQ(TempDir::Names(volume_->path()), (std::set<std::string>{"DSC0001.jpg", "dcim"})) << "no temporary name is left";
  EXPECT_EQ(TempDir::Read(At("DSC0001.jpg")), "JPEG");
}

TEST_P(RenameOnVolume, AnExistingTargetIsRefusedInEverySpelling) {
  WriteFile(At("a.JPG"), "A");
  WriteFile(At("b.jpg"), "B");
  for (const char* target : {"b.jpg", "B.JPG", "B.jpg"}) {
    SCOPED_TRACE(target);
    EXPECT_TRUE(NameTaken(At("a.JPG"), At(target)));
    EXPECT_EQ(RenameNoReplace(At("a.JPG"), At(target)), RenameResult::TargetExists);
    EXPECT_EQ(TempDir::Names(volume_->path()), (std::set<std::string>{"a.JPG", "b.jpg"})) << "no placeholder is left";
  }
  EXPECT_EQ(TempDir::Read(At("a.JPG")), "A");
  EXPECT_EQ(TempDir::Read(At("b.jpg")), "B");
}

TEST_P(RenameOnVolume, AReadOnlyMountRefusesAndKeepsTheFile) {
  WriteFile(At("DSC0001.JPG"), "JPEG");
  ASSERT_TRUE(volume_->Remount(true)) << volume_->skipReason();
  EXPECT_EQ(RenameNoReplace(At("DSC0001.JPG"), At("DSC0001_72dpi.jpg")), RenameResult::AccessDenied);
  EXPECT_EQ(RenameNoReplace(At("DSC0001.JPG"), At("DSC0001.jpg")), RenameResult::AccessDenied);
  EXPECT_EQ(TempDir::Names(volume_->path()), (std::set<std::string>{"DSC0001.JPG"}));
  EXPECT_EQ(TempDir::Read(At("DSC0001.JPG")), "JPEG");
}

INSTANTIATE_TEST_SUITE_P(FileSystems, RenameOnVolume,
                         ::testing::Values(VolumeKind::ExfatFuse, VolumeKind::ExfatKernel, VolumeKind::FatKernel),
                         [](const auto& info) {
                           std::string name = testsupport::VolumeKindName(info.param);
                           std::erase(name, '-');
                           return name;
                         });

TEST(Files, ExistenceFullPathDeleteSizeTimes) {
  TempDir dir;
  const auto f = dir.Write("f.bin", "12345");
  EXPECT_TRUE(FileExists(f));
  EXPECT_FALSE(FileExists(dir.path()));
  EXPECT_TRUE(DirectoryExists(dir.path()));
  EXPECT_EQ(FileSize(f), 5);
  EXPECT_EQ(ExpandFileName(dir.path() + "x/../f.bin"), f);
  const auto times = GetFileTimes(f);
  ASSERT_TRUE(times);
  EXPECT_GT(times->lastWrite.tv_sec, 0);
  EXPECT_GT(times->creation.tv_sec, 0);
  EXPECT_TRUE(DeleteFile(f));
  EXPECT_FALSE(FileExists(f));
  EXPECT_FALSE(DeleteFile(f));
  EXPECT_FALSE(GetFileTimes(f));
}

TEST(Wildcards, WindowsPatterns) {
  EXPECT_TRUE(MatchesWildcard("photo.JPG", "*.jpg"));
  EXPECT_TRUE(MatchesWildcard("noext", "*.*"));
  EXPECT_TRUE(MatchesWildcard("a.b.c", "*.c"));
  EXPECT_TRUE(MatchesWildcard("写真.tif", "??.TIF"));
  EXPECT_FALSE(MatchesWildcard("photo.jpeg", "*.jpg"));
  EXPECT_FALSE(MatchesWildcard("x.jpg", "?.jpg.x"));
  EXPECT_TRUE(MatchesWildcard("readme", "readme.*"));
}

TEST(FindFiles, ReportsMatchesWithAttributes) {
  TempDir dir;
  dir.Write("a.JPG", "x");
  dir.Write("b.jpg", "xy");
  dir.Write("c.png", "x");
  dir.Write(".hidden.jpg", "x");
  ::mkdir((dir.path() + "sub.jpg").c_str(), 0700);
  WIN32_FIND_DATAA data;
  HANDLE h = FindFirstFileA((dir.path() + "*.jpg").c_str(), &data);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  std::set<std::string> names;
  do {
    names.insert(data.cFileName);
    const std::string n = data.cFileName;
    if (n == "sub.jpg") {
      EXPECT_TRUE(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    }
    if (n == ".hidden.jpg") {
      EXPECT_TRUE(data.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN);
    }
    if (n == "b.jpg") {
      EXPECT_EQ(data.nFileSizeLow, 2u);
    }
  } while (FindNextFileA(h, &data));
  EXPECT_TRUE(FindClose(h));
  EXPECT_EQ(names, (std::set<std::string>{"a.JPG", "b.jpg", ".hidden.jpg", "sub.jpg"}));
  EXPECT_EQ(FindFirstFileA((dir.path() + "*.gif").c_str(), &data), INVALID_HANDLE_VALUE);
  EXPECT_EQ(FindFirstFileA("/no/such/folder/*.*", &data), INVALID_HANDLE_VALUE);
}

TEST(TempFolder, PrivateToTheUser) {
  const std::string d = PrivateTempDir();
  ASSERT_FALSE(d.empty());
  EXPECT_EQ(d.back(), '/');
  struct stat st {};
  ASSERT_EQ(::stat(d.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  EXPECT_EQ(st.st_uid, ::getuid());
}

namespace {

// Open descriptors of this process, so that a test can see a search or a stream closed.
std::size_t OpenDescriptors() {
  std::size_t n = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) ++n;
  return n;
}

}  // namespace

TEST(FileGuards, SearchAndStreamAreClosedAtTheEndOfTheirScope) {
  TempDir dir;
  dir.Write("a.jpg", "x");
  dir.Write("b.jpg", "y");
  const std::size_t before = OpenDescriptors();
  {
    WIN32_FIND_DATAA data;
    platform::ScopedFind find((dir.path() + "*.jpg").c_str(), &data);
    ASSERT_TRUE(find);
    int found = 1;
    while (find.Next(&data)) ++found;
    EXPECT_EQ(found, 2);
    const platform::ScopedFile file(std::fopen((dir.path() + "a.jpg").c_str(), "rb"));
    ASSERT_TRUE(file);
    EXPECT_EQ(std::fgetc(file.get()), 'x');
    EXPECT_GT(OpenDescriptors(), before);
  }
  EXPECT_EQ(OpenDescriptors(), before);
  WIN32_FIND_DATAA data;
  EXPECT_FALSE(platform::ScopedFind((dir.path() + "*.gif").c_str(), &data)) << "nothing to close";
}
