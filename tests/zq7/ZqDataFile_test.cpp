#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <string>

#include "tests/support/TempDir.h"
#include "zq7/Zq7Com/ZqDataFile.h"
#include "zq7/Zq7Com/ZqStatus.h"

TEST(ZqDataFile, WriteSeekReadRoundTrip) {
  testsupport::TempDir dir;
  const std::string path = dir.path() + "data.bin";
  EXPECT_FALSE(DataFileExist(path.c_str()));
  const int f = DataFileCreateOpen(path.c_str());
  ASSERT_NE(f, kZqFileError);
  EXPECT_EQ(__hwrite(f, "hello world", 11), 11);
  EXPECT_EQ(DataFileSize(f), 11);
  EXPECT_EQ(__llseek(f, -5, 2), 6);
  char buf[16] = {};
  EXPECT_EQ(__hread(f, buf, 16), 5) << "a read at the end gives what is left";
  EXPECT_STREQ(buf, "world");
  EXPECT_EQ(__hread(f, buf, 4), 0);
  EXPECT_EQ(__llseek(f, -1, 0), kZqFileError);
  EXPECT_TRUE(DataFileClose(f));
  EXPECT_TRUE(DataFileExist(path.c_str()));
  EXPECT_EQ(DataFileNameSize(path.c_str()), 11);

  const int r = DataFileReadOpen(path.c_str());
  ASSERT_NE(r, kZqFileError);
  EXPECT_EQ(__hwrite(r, "x", 1), kZqFileError) << "opened for reading only";
  EXPECT_EQ(ZQGetErrorStatus(), ZQ_ERR_WRITE_FAILED);
  EXPECT_TRUE(DataFileClose(r));
  EXPECT_TRUE(DataFileDelete(path.c_str()));
  EXPECT_FALSE(DataFileExist(path.c_str()));
  EXPECT_FALSE(DataFileDelete(path.c_str()));
}

TEST(ZqDataFile, RefusesHandlesItDidNotOpen) {
  testsupport::TempDir dir;
  const std::string path = dir.Write("f", "abc");
  const int foreign = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  char b[4];
  for (const int h : {foreign, -1, 0, 99999}) {
    EXPECT_EQ(__hread(h, b, 1), kZqFileError) << h;
    EXPECT_EQ(ZQGetErrorStatus(), ZQ_ERR_BAD_PARAMETER);
    EXPECT_EQ(__llseek(h, 0, 0), kZqFileError) << h;
    EXPECT_EQ(DataFileSize(h), kZqFileError) << h;
    EXPECT_FALSE(DataFileClose(h)) << h;
  }
  EXPECT_EQ(::close(foreign), 0) << "the foreign descriptor was left open";
  const int f = DataFileOpen(path.c_str(), kZqOpenReadWrite);
  ASSERT_NE(f, kZqFileError);
  EXPECT_TRUE(DataFileClose(f));
  EXPECT_FALSE(DataFileClose(f)) << "a closed handle is stale";
  EXPECT_EQ(DataFileOpen(path.c_str(), 7), kZqFileError);
  EXPECT_EQ(DataFileReadOpen((dir.path() + "missing").c_str()), kZqFileError);
  EXPECT_EQ(ZQGetErrorStatus(), ZQ_ERR_FILE_NOT_FOUND);
  EXPECT_EQ(DataFileReadOpen(dir.path().c_str()), kZqFileError) << "a folder";
}
