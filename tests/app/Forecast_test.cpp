// The forecast against the run it foretells: on the collision scenarios of the rename
// tests it marks exactly the rows that the run then refuses, and touches no file.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>

#include "app/Forecast.h"
#include "tests/support/ScratchVolume.h"
#include "tests/support/TempDir.h"

using testsupport::TempDir;

namespace {

const AttributeTexts kJpeg{"5", "RGB24", "2x2", "72dpi", "BASELINE", ".jpg"};
const RenameOptions kBytes{true, false, false, false, false};
const RenameOptions kNone{};

// Forecasts the rows, checks that the forecast changed nothing, runs them, and expects
// each row's forecast result to be the run's.
void ExpectForecastMatchesRun(const std::string& folder, const std::vector<RenameRowInput>& rows,
                              const RenameOptions& options, const std::vector<platform::RenameResult>& expected) {
  const auto before = TempDir::Names(folder);
  const auto forecast = ForecastRenames(rows, options);
  EXPECT_EQ(TempDir::Names(folder), before) << "the forecast touches no file";
  const auto outcomes = RunRenames(rows, options, nullptr);
  ASSERT_EQ(forecast.size(), outcomes.size());
  ASSERT_EQ(forecast.size(), expected.size());
  for (std::size_t i = 0; i < forecast.size(); ++i) {
    SCOPED_TRACE(rows[i].path);
    EXPECT_EQ(forecast[i].to, outcomes[i].to);
    EXPECT_EQ(forecast[i].unread, outcomes[i].unread);
    EXPECT_EQ(forecast[i].result, outcomes[i].result);
    EXPECT_EQ(outcomes[i].result, expected[i]);
  }
}

}  // namespace

TEST(Forecast, MarksExactlyTheRowsTheRunRefuses) {
  using R = platform::RenameResult;
  TempDir dir;
  const auto a = dir.Write("a.JPG", "AAAAA");
  dir.Write("b_5.jpg", "keep me");
  const auto b = dir.Write("b.jpg", "BBBBB");
  const auto c = dir.Write("c.jpeg", "C");
  const auto cUpper = dir.Write("c.JPG", "C2");  // the same target as c.jpeg
  const auto chainFirst = dir.Write("x.JPG", "X");
  const auto chainSecond = dir.Write("x_5.jpg", "X5");  // in the way of x.JPG, renamed after it
  const AttributeTexts longText{std::string(250, '9'), "", "", "", "", ".jpg"};
  const std::vector<RenameRowInput> rows = {
      {a, kJpeg},                    // a_5.jpg
      {a, kJpeg},                    // a second row with the same source
      {b, kJpeg},                    // b_5.jpg exists
      {b, std::nullopt},             // unreadable
      {b, longText},                 // name longer than 255 bytes
      {c, kJpeg},                    // c_5.jpg
      {cUpper, kJpeg},               // c_5.jpg again: two rows with the same target
      {chainFirst, kJpeg},           // x_5.jpg exists still
      {chainSecond, kJpeg},          // x_5_5.jpg
      {dir.path() + "gone.jpg", kJpeg},
  };
  ExpectForecastMatchesRun(dir.path(), rows, kBytes,
                           {R::Ok, R::SourceMissing, R::TargetExists, R::Ok, R::NameTooLong, R::Ok, R::TargetExists,
                            R::TargetExists, R::Ok, R::SourceMissing});
}

TEST(Forecast, ANameFreedByAnEarlierRowIsFreeForALaterOne) {
  using R = platform::RenameResult;
  TempDir dir;
  // y.png becomes y_5.png, which a later row then renames again: a name an earlier row
  // gives is there for the rows after it.
  const auto y = dir.Write("y.png", "Y");
  const auto x = dir.Write("x.png", "X");
  const AttributeTexts pngAsY{"5", "", "", "", "", ".png"};
  const std::vector<RenameRowInput> rows = {{y, pngAsY}, {x, pngAsY}, {dir.path() + "y_5.png", pngAsY}};
  ExpectForecastMatchesRun(dir.path(), rows, kBytes, {R::Ok, R::Ok, R::Ok});
  ExpectForecastMatchesRun(dir.path(), {{dir.path() + "x_5.png", pngAsY}}, kNone, {R::Ok});
}

TEST(Forecast, DetailsListEveryRowAndTheReasons) {
  TempDir dir;
  const auto a = dir.Write("a.JPG", "A");
  const auto b = dir.Write("b.JPG", "B");
  dir.Write("b.jpg", "taken");
  const auto forecast =
      ForecastRenames({{a, kJpeg}, {a, kJpeg}, {b, kJpeg}, {dir.path() + "n.bmp", std::nullopt}}, kNone);
  EXPECT_EQ(ForecastDetails(forecast), a + " → a.jpg\n" + a + " → a.jpg  [ファイルが見つかりません]\n" + b +
                                           " → b.jpg  [同じ名前のファイルが既にあります]\n" + dir.path() +
                                           "n.bmp → -  [画像の情報を読み取れませんでした]");
}

TEST(Forecast, OnACaseInsensitiveCard) {
  using R = platform::RenameResult;
  testsupport::ScratchVolume card(testsupport::VolumeKind::ExfatFuse);
  if (!card.mounted()) GTEST_SKIP() << "exFAT not tested: " << card.skipReason();
  const std::string dcim = card.path();
  for (const char* name : {"DSC0001.JPG", "DSC0002.JPG", "dsc0002_5.JPG"}) std::ofstream(dcim + name) << "12345";
  ExpectForecastMatchesRun(dcim, {{dcim + "DSC0001.JPG", kJpeg}, {dcim + "DSC0002.JPG", kJpeg}}, kNone,
                           {R::Ok, R::Ok});
  ExpectForecastMatchesRun(dcim, {{dcim + "DSC0002.jpg", kJpeg}}, kBytes, {R::TargetExists});
}
