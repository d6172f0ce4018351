// Registering a folder: the accepted images directly inside it, in name order.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "app/FolderScan.h"
#include "tests/support/TempDir.h"

using testsupport::TempDir;

TEST(FolderScan, TakesOnlyTheImagesDirectlyInsideInNameOrder) {
  TempDir dir;
  for (const char* name : {"b.JPG", "A.png", "写真.tif", "c.Tiff", "notes.txt", "photo.jpe", "noext"})
    dir.Write(name, "x");
  ::mkdir((dir.path() + "sub").c_str(), 0755);
  dir.Write("sub/inner.jpg", "x");
  ::mkdir((dir.path() + "set.png").c_str(), 0755);  // a folder, not an image
  const std::string folder = dir.path().substr(0, dir.path().size() - 1);
  const std::vector<std::string> expected = {dir.path() + "A.png", dir.path() + "b.JPG", dir.path() + "c.Tiff",
                                             dir.path() + "写真.tif"};
  EXPECT_EQ(ImagesInFolder(folder), expected);
  EXPECT_EQ(ImagesInFolder(dir.path()), expected) << "with or without the closing slash";
  EXPECT_TRUE(ImagesInFolder(dir.path() + "sub/x").empty());
  EXPECT_TRUE(ImagesInFolder(dir.path() + "notes.txt").empty());
}

TEST(FolderScan, ImageExtensions) {
  for (const char* yes : {"a.bmp", "a.JPG", "a.jpeg", "a.Gif", "a.tif", "a.TIFF", "a.pcx", "a.fpx", "a.png", "a.j2k",
                          "a.JP2", "/x.y/z.jpg"})
    EXPECT_TRUE(HasImageExtension(yes)) << yes;
  for (const char* no : {"a.jpe", "a", "a.txt", "/x.jpg/z", ".jpgx", "a.jpg.bak"}) EXPECT_FALSE(HasImageExtension(no)) << no;
}
