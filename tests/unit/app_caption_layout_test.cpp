#include "app/caption_layout.h"

#include <gtest/gtest.h>

namespace tvx::app {
namespace {

TEST(CaptionLayout, StopsAtTheFirstWidthReachingFourFifthsOfTheFreeBar) {
  // (710 - 4 * 32) * 4 / 5 = 465 pixels; 5 pixels a character.
  auto measure = [](const std::string& s) { return static_cast<int>(CharacterCount(s)) * 5; };
  const std::string caption = LayOutCaption("Title", "Notice", 710, 32, measure);
  EXPECT_EQ(CharacterCount(caption), 93u);  // first count with 5 * n >= 465
  EXPECT_EQ(caption.substr(0, 5), "Title");
  EXPECT_EQ(caption.substr(caption.size() - 6), "Notice");
  EXPECT_EQ(caption.substr(5, caption.size() - 11), std::string(82, ' '));
}

TEST(CaptionLayout, AlwaysAtLeastOneBlank) {
  auto wide = [](const std::string&) { return 10000; };
  EXPECT_EQ(LayOutCaption(" A", "B", 710, 32, wide), " A B");
}

TEST(CaptionLayout, NarrowFontStopsJustOver250Characters) {
  auto nothing = [](const std::string&) { return 0; };
  const std::string caption = LayOutCaption(CaptionTitle, CaptionNotice, 710, 32, nothing);
  EXPECT_EQ(CharacterCount(caption), 251u);
}

TEST(CaptionLayout, CountsCharactersNotBytes) {
  EXPECT_EQ(CharacterCount("zażółć"), 6u);
  auto nothing = [](const std::string&) { return 0; };
  EXPECT_EQ(CharacterCount(LayOutCaption("ł", "ó", 710, 32, nothing)), 251u);
}

TEST(CaptionLayout, IconWidthNarrowsTheLimit) {
  int calls = 0;
  auto measure = [&](const std::string& s) {
    ++calls;
    return static_cast<int>(s.size());
  };
  // (100 - 4 * 10) * 4 / 5 = 48 characters.
  EXPECT_EQ(LayOutCaption("ab", "cd", 100, 10, measure).size(), 48u);
  EXPECT_EQ(calls, 44);
}

}  // namespace
}  // namespace tvx::app
