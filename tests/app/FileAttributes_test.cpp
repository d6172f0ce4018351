#include <gtest/gtest.h>

#include <algorithm>

#include "app/FileAttributes.h"
#include "app/RenameRun.h"
#include "tests/support/TempDir.h"

using testsupport::TempDir;

TEST(AttributeTexts, ColoursAndCompressionTable) {
  const std::pair<int, const char*> colours[] = {{1, "2"},      {4, "16"},     {8, "256"}, {16, "RGB16"},
                                                 {24, "RGB24"}, {32, "RGB32"}, {48, "48bit"}, {2, "2bit"}, {0, "0bit"}};
  for (const auto& [bits, text] : colours) EXPECT_EQ(ColorText(bits), text) << bits;

  struct Row { int code; const char* name; const char* ext; } rows[] = {
      {1, "NON", ".bmp"},   {3, "RLE8", ".bmp"},      {4, "BASELINE", ".jpg"}, {5, "PROGRESSIVE", ".jpg"},
      {7, "89a", ".gif"},   {11, "G3-2D", ".tif"},    {12, "G4", ".tif"},      {15, "NON", ".png"},
      {18, "JPEG", ".fpx"}, {19, "NON", ".pcx"},      {23, "EXIF", ".jpg"},    {25, "PART1", ".j2k"},
      {26, "STREAM", ".j2k"}, {29, "JPEG", ".tif"},
  };
  for (const auto& r : rows) {
    const auto t = CompressionTextsFor(r.code);
    ASSERT_TRUE(t) << r.code;
    EXPECT_STREQ(t->name, r.name);
    EXPECT_STREQ(t->extension, r.ext);
  }
  for (int code : {0, 20, 21, 22, 24, 27, 28, 30, -1}) EXPECT_FALSE(CompressionTextsFor(code)) << code;
}

TEST(NewNames, OptionsAndExtensions) {
  const AttributeTexts jpeg{"51234", "RGB24", "640x480", "72dpi", "BASELINE", ".jpg"};
  const RenameOptions all{true, true, true, true, true};
  EXPECT_EQ(BuildNewFileName("/pic/photo.JPG", jpeg, all), "/pic/photo_51234_RGB24_640x480_72dpi_BASELINE.jpg");
  EXPECT_EQ(BuildNewFileName("/pic/photo.JPEG", jpeg, {}), "/pic/photo.jpg");
  const AttributeTexts png{"900", "256", "10x10", "96dpi", "NON", ".png"};
  EXPECT_EQ(BuildNewFileName("/p/photo.png", png, {false, true, false, true, false}), "/p/photo_256_96dpi.png");
  const AttributeTexts g4{"300", "2", "8x8", "200dpi", "G4", ".tif"};
  EXPECT_EQ(BuildNewFileName("/p/a.b.tif", g4, {false, false, false, false, true}), "/p/a.b_G4.tif");
  EXPECT_EQ(BuildNewFileName("/p.d/noext", g4, {}), "/p.d/noext.tif");
  // A format without a target extension keeps the file's own.
  const AttributeTexts unknown{"10", "24bit", "1x1", "0dpi", "", ""};
  EXPECT_EQ(BuildNewFileName("/p/x.webp", unknown, {true, false, false, false, true}), "/p/x_10_.webp");
  EXPECT_EQ(BuildNewFileName("/写真/夏.jpeg", jpeg, {false, false, true, false, false}), "/写真/夏_640x480.jpg");
}

TEST(RenameRows, NeverReplaceAndReportWhy) {
  TempDir dir;
  const AttributeTexts jpeg{"5", "RGB24", "2x2", "72dpi", "BASELINE", ".jpg"};
  const RenameOptions bytes{true, false, false, false, false};
  const auto a = dir.Write("a.JPG", "AAAAA");
  const auto taken = dir.Write("b_5.jpg", "keep me");
  const auto b = dir.Write("b.jpg", "BBBBB");

  const RenameOutcome first = RenameRow(a, jpeg, bytes);
  EXPECT_TRUE(first.renamed());
  EXPECT_EQ(TempDir::Read(dir.path() + "a_5.jpg"), "AAAAA");
  const RenameOutcome again = RenameRow(a, jpeg, bytes);
  EXPECT_EQ(again.result, platform::RenameResult::SourceMissing) << "a second row with the same source";
  const RenameOutcome clash = RenameRow(b, jpeg, bytes);
  EXPECT_EQ(clash.result, platform::RenameResult::TargetExists);
  EXPECT_EQ(TempDir::Read(taken), "keep me");
  EXPECT_EQ(TempDir::Read(b), "BBBBB");
  const RenameOutcome unread = RenameRow(b, std::nullopt, bytes);
  EXPECT_TRUE(unread.unread);
  EXPECT_TRUE(platform::FileExists(b));
  const AttributeTexts longText{std::string(250, '9'), "", "", "", "", ".jpg"};
  const RenameOutcome tooLong = RenameRow(b, longText, bytes);
  EXPECT_EQ(tooLong.result, platform::RenameResult::NameTooLong);

  const std::string report = RenameReport({first, again, clash, unread, tooLong}).text;
  EXPECT_EQ(report.rfind("リネーム処理は終了しました。", 0), 0u);
  EXPECT_NE(report.find("(4)"), std::string::npos);
  EXPECT_NE(report.find(b + " : 同じ名前のファイルが既にあります"), std::string::npos);
  EXPECT_NE(report.find(a + " : ファイルが見つかりません"), std::string::npos);
  EXPECT_NE(report.find("画像の情報を読み取れませんでした"), std::string::npos);
  EXPECT_NE(report.find("新しい名前が長すぎます"), std::string::npos);
  EXPECT_EQ(RenameReport({first}).text, "リネーム処理は終了しました。");
  EXPECT_EQ(RenameReport({first}).details, "");
}

// Three hundred refused rows make a short report: a count per reason and ten names, with
// every name in the details.
TEST(RenameRows, ManyRefusalsMakeAShortReportWithFullDetails) {
  std::vector<RenameOutcome> outcomes;
  for (int i = 0; i < 300; ++i) {
    RenameOutcome o;
    o.from = "/p/" + std::to_string(i) + ".jpg";
    o.to = "/p/" + std::to_string(i) + "_x.jpg";
    o.result = i % 3 == 0 ? platform::RenameResult::SourceMissing : platform::RenameResult::TargetExists;
    outcomes.push_back(o);
  }
  const RenameReportTexts report = RenameReport(outcomes);
  EXPECT_EQ(report.text.rfind("リネーム処理は終了しました。", 0), 0u);
  EXPECT_NE(report.text.find("(300)"), std::string::npos);
  EXPECT_NE(report.text.find("ファイルが見つかりません : 100"), std::string::npos);
  EXPECT_NE(report.text.find("同じ名前のファイルが既にあります : 200"), std::string::npos);
  EXPECT_EQ(std::count(report.text.begin(), report.text.end(), '\n'), 16) << report.text;
  EXPECT_NE(report.text.find("/p/9.jpg : "), std::string::npos);
  EXPECT_EQ(report.text.find("/p/10.jpg : "), std::string::npos);
  EXPECT_NE(report.text.find("ほか 290 件"), std::string::npos);
  EXPECT_EQ(std::count(report.details.begin(), report.details.end(), '\n'), 299);
  EXPECT_NE(report.details.find("/p/299.jpg : 同じ名前のファイルが既にあります"), std::string::npos);
}
