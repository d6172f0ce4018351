#include <gtest/gtest.h>

#include <QUrl>

#include "platform/shell.h"

TEST(Shell, OpensPathsAsFilesAndAddressesAsThey) {
  std::vector<QUrl> opened;
  auto previous = platform::SetShellOpener([&](const QUrl& u) {
    opened.push_back(u);
    return true;
  });
  ShellExecuteA(nullptr, "OPEN", "/opt/tesmarin/Readme.txt", nullptr, nullptr, 1);
  ShellExecuteA(nullptr, "OPEN", "https://example.org/tesmarin/", nullptr, nullptr, 1);
  ShellExecuteA(nullptr, "OPEN", "/写真/説明 書.txt", nullptr, nullptr, 1);
  platform::SetShellOpener(previous);
  ASSERT_EQ(opened.size(), 3u);
  EXPECT_EQ(opened[0], QUrl::fromLocalFile("/opt/tesmarin/Readme.txt"));
  EXPECT_EQ(opened[1].toString(), "https://example.org/tesmarin/");
  EXPECT_EQ(opened[2].toLocalFile(), QString::fromUtf8("/写真/説明 書.txt"));
}
