#include <gtest/gtest.h>

#include "print/Win1252.h"

TEST(Win1252, EveryByteSurvivesTheRoundTrip) {
  std::string all;
  for (int byte = 0; byte < 256; ++byte) all.push_back(static_cast<char>(byte));
  const QString text = FromWindows1252(all);
  EXPECT_EQ(text.size(), 256);
  EXPECT_EQ(ToWindows1252(text), all);
}

TEST(Win1252, ShowsTheRightCharacters) {
  EXPECT_EQ(FromWindows1252("Abilit\xE0 \x80 \x9C \x85"), QStringLiteral("Abilità € œ …"));
}

TEST(Win1252, WhatItCannotHoldBecomesAQuestionMark) {
  EXPECT_EQ(ToWindows1252(QStringLiteral("Zoë €5 Ωmega")), "Zo\xEB \x80\x35 ?mega");
  // A character outside the basic plane is one character, so one "?".
  EXPECT_EQ(ToWindows1252(QString::fromUtf8("a\xF0\x9F\x90\x89z")), "a?z");
}
