#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "zq7/Zq7Com/ZqStatus.h"
#include "zq7/Zq7Com/ZqText.h"

namespace {

std::string InPlace(LPSTR (*edit)(LPSTR), const std::string& text) {
  std::vector<char> b(text.begin(), text.end());
  b.push_back('\0');
  EXPECT_EQ(edit(b.data()), b.data());
  return b.data();
}

}  // namespace

TEST(ZqText, BlankTrimming) {
  const std::string ideo = "\xE3\x80\x80";  // the ideographic space
  const std::vector<std::tuple<std::string, std::string, std::string, std::string>> cases = {
      // text, CutFrontSpace, CutBackSpace, CutMultiSpace
      {"   12.5", "12.5", "   12.5", " 12.5"},
      {"a \t b  ", "a \t b  ", "a \t b", "a b "},
      {ideo + "名前" + ideo, "名前" + ideo, ideo + "名前", " 名前 "},
      {"", "", "", ""},
      {" \t ", "", "", " "},
  };
  for (const auto& [text, front, back, multi] : cases) {
    EXPECT_EQ(InPlace(CutFrontSpace, text), front) << text;
    EXPECT_EQ(InPlace(CutBackSpace, text), back) << text;
    EXPECT_EQ(InPlace(CutMultiSpace, text), multi) << text;
  }
  EXPECT_EQ(CutFrontSpace(nullptr), nullptr);
  EXPECT_EQ(ZQGetErrorStatus(), ZQ_ERR_BAD_PARAMETER);
}

TEST(ZqText, CopiesNeverCutACharacter) {
  const std::string text = "ab写真cd";  // 写 and 真 are three bytes each
  const std::vector<std::tuple<std::function<LPSTR(LPSTR)>, std::string>> cases = {
      {[&](LPSTR d) { return StrLeftCopy(d, text.c_str(), 2); }, "ab"},
      {[&](LPSTR d) { return StrLeftCopy(d, text.c_str(), 4); }, "ab"},
      {[&](LPSTR d) { return StrLeftCopy(d, text.c_str(), 5); }, "ab写"},
      {[&](LPSTR d) { return StrLeftCopy(d, text.c_str(), 99); }, text},
      {[&](LPSTR d) { return StrRightCopy(d, text.c_str(), 2); }, "cd"},
      {[&](LPSTR d) { return StrRightCopy(d, text.c_str(), 4); }, "cd"},
      {[&](LPSTR d) { return StrRightCopy(d, text.c_str(), 5); }, "真cd"},
      {[&](LPSTR d) { return StrMidCopy(d, text.c_str(), 2, 3); }, "写"},
      {[&](LPSTR d) { return StrMidCopy(d, text.c_str(), 3, 6); }, "真c"},
      {[&](LPSTR d) { return StrMidCopy(d, text.c_str(), 20, 6); }, ""},
      {[&](LPSTR d) { return StrRightCopy(d, "12345", 5); }, "12345"},
  };
  for (const auto& [copy, expected] : cases) {
    char dest[64];
    std::memset(dest, 'z', sizeof dest);
    EXPECT_EQ(copy(dest), dest);
    EXPECT_EQ(std::string(dest), expected);
  }
  char dest[8];
  EXPECT_EQ(StrLeftCopy(dest, "abc", -1), nullptr);
  EXPECT_EQ(ZQGetErrorStatus(), ZQ_ERR_BAD_PARAMETER);
}

TEST(ZqText, SearchesMatchOnCharacterBoundaries) {
  const char* text = "a/写真/b";
  EXPECT_EQ(lstrchr(text, '/'), text + 1);
  EXPECT_EQ(lstrchr(text, 'q'), nullptr);
  EXPECT_EQ(lstrstr(text, "真/"), text + 5);
  EXPECT_EQ(lstrstr(text, "b"), text + 9);
  // The last byte of 写 followed by the first of 真 is no character of the text.
  const std::string straddle = std::string("\x99") + "\xE7";
  EXPECT_EQ(lstrstr(text, straddle.c_str()), nullptr);
  EXPECT_EQ(lstrstr(text, ""), text);
  EXPECT_EQ(lstrstr(nullptr, "a"), nullptr);
}
