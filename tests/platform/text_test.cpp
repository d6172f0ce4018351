#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "platform/text.h"

using namespace platform;

TEST(Utf8, LeadBytesAndBoundaries) {
  const std::string s = "aあb";  // 'a', 3-byte あ, 'b'
  ASSERT_EQ(s.size(), 5u);
  EXPECT_FALSE(IsLeadByte('a'));
  EXPECT_TRUE(IsLeadByte(static_cast<unsigned char>(s[1])));
  EXPECT_FALSE(IsLeadByte(static_cast<unsigned char>(s[2])));
  EXPECT_EQ(CharLength(s, 1), 3u);
  EXPECT_TRUE(IsCharBoundary(s, 1));
  EXPECT_FALSE(IsCharBoundary(s, 2));
  EXPECT_FALSE(IsCharBoundary(s, 3));
  EXPECT_TRUE(IsCharBoundary(s, 4));
  EXPECT_EQ(FloorCharBoundary(s, 3), 1u);
  EXPECT_EQ(TruncateUtf8(s, 3), "a");
  EXPECT_EQ(TruncateUtf8(s, 4), "aあ");
}

TEST(Utf8, DamagedSequencesCountAsSingleBytes) {
  const std::string cut = std::string("x") + '\xE3' + '\x81';  // あ without its last byte
  EXPECT_EQ(CharLength(cut, 1), 1u);
  EXPECT_EQ(TruncateUtf8(cut, 2), cut.substr(0, 2));
  const std::string stray = "\x81z";
  EXPECT_EQ(CharLength(stray, 0), 1u);
}

TEST(Paths, SplitWithSlash) {
  EXPECT_EQ(ExtractFileDir("/a/b/c.jpg"), "/a/b/");
  EXPECT_EQ(ExtractFileName("/a/b/c.jpg"), "c.jpg");
  EXPECT_EQ(ExtractFileExt("/a/b/c.tar.gz"), ".gz");
  EXPECT_EQ(ExtractFileExt("/a.b/c"), "");
  EXPECT_EQ(RemoveFileExt("/a.b/c"), "/a.b/c");
  EXPECT_EQ(RemoveFileExt("/写真/画像.JPG"), "/写真/画像");
  EXPECT_EQ(ExtractFileDir("name.jpg"), "");
  EXPECT_EQ(ExtractFileName("/dir/"), "");
}

TEST(Compare, CaseIgnoredLocaleAware) {
  EXPECT_EQ(CompareTextI("/x/ABC.jpg", "/x/abc.JPG"), 0);
  EXPECT_TRUE(SameTextI(".Tiff", ".TIFF"));
  std::vector<std::string> v{"C:/b.jpg", "c:/A.jpg", "C:/a.gif"};
  std::sort(v.begin(), v.end(), [](const auto& a, const auto& b) { return CompareTextI(a, b) < 0; });
  EXPECT_EQ(v, (std::vector<std::string>{"C:/a.gif", "c:/A.jpg", "C:/b.jpg"}));
  // A blank sorts before "/" and before every letter.
  EXPECT_LT(CompareTextI("/a b", "/a/b"), 0);
  EXPECT_LT(CompareTextI(" ", "/"), 0);
  EXPECT_LT(CompareTextI(" ", "a"), 0);
  EXPECT_LT(CompareTextI(" ", "Z"), 0);
  EXPECT_GT(CompareTextI("/b", "/A"), 0);
}

TEST(ProfileInt, DecimalHexAndRejects) {
  struct Case {
    const char* text;
    std::optional<long long> want;
  } cases[] = {
      {"177", 177}, {"-5", -5}, {"0x20", 32}, {"0XfF", 255}, {"0x", std::nullopt},
      {"abc", std::nullopt}, {"", std::nullopt}, {"12a", std::nullopt}, {"0xg1", std::nullopt}, {"-", std::nullopt},
      // One sign at most, and only before decimal digits.
      {"--5", std::nullopt}, {"+-5", std::nullopt}, {"0x-10", std::nullopt}, {"0x+10", std::nullopt}, {"+7", 7},
      // 32 bits wide.
      {"2147483647", 2147483647}, {"-2147483648", -2147483648LL}, {"0x7FFFFFFF", 2147483647},
      {"2147483648", std::nullopt}, {"-2147483649", std::nullopt}, {"4294967296", std::nullopt},
      {"0x100000000", std::nullopt}, {"99999999999999999999", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(ParseProfileInt(c.text), c.want) << c.text;
}
