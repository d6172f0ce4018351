// The file library's seam, seen through its entries: each call opens its file once, and
// a file that is not a regular file is refused at once, whatever it is named.
#include <gtest/gtest.h>

#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <string>

#include "platform/memory.h"
#include "tests/support/SourcePath.h"
#include "tests/support/TempDir.h"
#include "zq7/Zq7Com/ZqStatus.h"
#include "zq7/Zq7File/ZqFileLoad.h"
#include "zq7/Zq7File/ZqFileType.h"

namespace {

std::string Fixture(const std::string& name) { return testsupport::SourcePath("tests/data/load/" + name); }

// Counts the opens of one file while it lives, through inotify. Closes are watched too:
// inotify folds identical events that follow each other into one.
class OpenCounter {
 public:
  explicit OpenCounter(const std::string& path) : fd_(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
    if (fd_ >= 0) watch_ = inotify_add_watch(fd_, path.c_str(), IN_OPEN | IN_CLOSE);
  }
  ~OpenCounter() {
    if (fd_ >= 0) ::close(fd_);
  }
  bool ok() const { return fd_ >= 0 && watch_ >= 0; }
  int Take() {
    int opens = 0;
    alignas(inotify_event) char buffer[4096];
    for (ssize_t n; (n = ::read(fd_, buffer, sizeof buffer)) > 0;) {
      for (char* p = buffer; p < buffer + n;) {
        const auto* e = reinterpret_cast<const inotify_event*>(p);
        if (e->mask & IN_OPEN) ++opens;
        p += sizeof(inotify_event) + e->len;
      }
    }
    return opens;
  }

 private:
  int fd_;
  int watch_ = -1;
};

TEST(ZqFile, EveryCallOpensItsFileOnce) {
  for (const char* name : {"baseline.jpg", "progressive.jpg", "rgb8.png", "rgb_lzw.tif", "twopages.tif", "gif89.gif",
                           "bmp24.bmp", "rle8.bmp", "pcx8.pcx", "rgb.jp2", "rgb.j2k"}) {
    SCOPED_TRACE(name);
    const std::string path = Fixture(name);
    OpenCounter opens(path);
    ASSERT_TRUE(opens.ok());
    const HGLOBAL image = ZQFileLoad(path.c_str(), 0, 0, 0, nullptr, "", "", "");
    ASSERT_NE(image, 0u);
    GlobalFree(image);
    EXPECT_EQ(opens.Take(), 1) << "ZQFileLoad";
    ZqFileInfo info{};
    ASSERT_TRUE(ZQFileType(path.c_str(), 0, &info));
    EXPECT_EQ(opens.Take(), 1) << "ZQFileType";
  }
}

// A FIFO without a writer would block an ordinary open forever; a device or a folder
// could be read without end. Each is refused as no file, at once.
TEST(ZqFile, WhatIsNoRegularFileIsRefusedAtOnce) {
  testsupport::TempDir dir;
  const std::string fifo = dir.path() + "x.jpg";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  for (const std::string& path : {fifo, std::string("/dev/zero"), dir.path()}) {
    SCOPED_TRACE(path);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(ZQFileLoad(path.c_str(), 0, 0, 0, nullptr, "", "", ""), 0u);
    EXPECT_EQ(ZQGetErrorStatus(), ZQ_ERR_FILE_NOT_FOUND);
    EXPECT_EQ(ZQJpegFileLoad(path.c_str(), nullptr, "", "", ""), 0u);
    EXPECT_EQ(ZQGetErrorStatus(), ZQ_ERR_FILE_NOT_FOUND);
    ZqFileInfo info{};
    EXPECT_FALSE(ZQFileType(path.c_str(), 0, &info));
    EXPECT_EQ(ZQGetErrorStatus(), ZQ_ERR_FILE_NOT_FOUND);
    ZqExifInfo exif{};
    EXPECT_FALSE(ZQJpegExifInfo(path.c_str(), &exif));
    EXPECT_EQ(ZQGetErrorStatus(), ZQ_ERR_FILE_NOT_FOUND);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(100));
  }
}

}  // namespace
