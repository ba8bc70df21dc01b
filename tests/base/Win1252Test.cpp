#include <gtest/gtest.h>

#include <string>

#include "base/Win1252.h"

namespace {

std::string AllBytes() {
  std::string all;
  for (int byte = 0; byte < 256; ++byte) all.push_back(static_cast<char>(byte));
  return all;
}

}  // namespace

TEST(Win1252, EveryByteSurvivesTheRoundTripThroughUtf8AndUtf16) {
  const std::string all = AllBytes();
  const std::u16string wide = Win1252ToUtf16(all);
  EXPECT_EQ(wide.size(), 256u);
  EXPECT_EQ(Utf16ToWin1252(wide), all);
  EXPECT_EQ(Utf8ToWin1252(Win1252ToUtf8(all)), all);
  // The undefined bytes are the control characters of the same value.
  EXPECT_EQ(Win1252ToUtf8("\x81\x9D"), "\xC2\x81\xC2\x9D");
}

TEST(Win1252, ShowsTheRightCharacters) {
  EXPECT_EQ(Win1252ToUtf8("Abilit\xE0 \x80 \x9C \x85"), "Abilità € œ …");
  EXPECT_EQ(Win1252ToUtf16("Abilit\xE0 \x80 \x9C \x85"), u"Abilità € œ …");
}

TEST(Win1252, WhatItCannotHoldBecomesAQuestionMark) {
  EXPECT_EQ(Utf8ToWin1252("Zoë €5 Ωmega"), "Zo\xEB \x80\x35 ?mega");
  EXPECT_EQ(Utf16ToWin1252(u"Zoë €5 Ωmega"), "Zo\xEB \x80\x35 ?mega");
  // A character outside the basic plane is one character, so one "?".
  EXPECT_EQ(Utf8ToWin1252("a\xF0\x9F\x90\x89z"), "a?z");
  EXPECT_EQ(Utf16ToWin1252(u"a\U0001F409z"), "a?z");
  // A surrogate without its partner is a character of its own.
  EXPECT_EQ(Utf16ToWin1252(std::u16string{u'a', char16_t(0xD83D), u'z', char16_t(0xDC09)}), "a?z?");
}

TEST(Win1252, MalformedUtf8LosesOnlyItsOwnBytes) {
  // A stray continuation byte, a sequence cut by the next character or by the
  // end, an overlong "/", an encoded surrogate, a byte no UTF-8 has.
  EXPECT_EQ(Utf8ToWin1252("a\x80"
                          "b"),
            "a?b");
  EXPECT_EQ(Utf8ToWin1252("\xC3z\xC3"), "?z?");
  EXPECT_EQ(Utf8ToWin1252("\xE2\x82"), "??");
  EXPECT_EQ(Utf8ToWin1252("\xC0\xAF"), "??");
  EXPECT_EQ(Utf8ToWin1252("\xED\xA0\x80!"), std::string(3, '?') + "!");
  EXPECT_EQ(Utf8ToWin1252("\xFF\xE0"), "??");
  EXPECT_EQ(Utf8ToWin1252("\xF4\x90\x80\x80"), "????");
}
