// The command-line companion run as users run it: its lines, its renames and its exit
// status.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <sys/wait.h>

#include "platform/files.h"
#include "platform/modules.h"
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
