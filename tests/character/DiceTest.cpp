#include <gtest/gtest.h>

#include <climits>

#include "ScriptedDraws.h"
#include "character/Dice.h"

TEST(RollDice, CountBelowOneGivesTheBonusWithoutDrawing) {
  CScriptedDraws draws;
  EXPECT_EQ(RollDice(0, 6, 4), 4);
  EXPECT_EQ(RollDice(-3, 6, -2), -2);
  EXPECT_EQ(draws.Drawn(), 0);
}

TEST(RollDice, OneDrawPerDieTruncatingTowardZero) {
  CScriptedDraws draws{0, 32767, 16384, 0, 32767, 32767, 32767, 32767, 32767, 32767, 0};
  EXPECT_EQ(RollDice(1, 6, 0), 1);
  EXPECT_EQ(RollDice(1, 6, 0), 6);    // 6 * 32767 / 32768 truncates to 5
  EXPECT_EQ(RollDice(2, 6, 10), 15);  // 4 + 1 + 10
  EXPECT_EQ(RollDice(2, 1, 0), 2);
  EXPECT_EQ(RollDice(3, 0, 0), 3);
  EXPECT_EQ(RollDice(1, -6, 0), -4);  // -6 * 32767 / 32768 truncates to -5
  EXPECT_EQ(RollDice(1, -6, 0), 1);
  EXPECT_EQ(draws.Left(), 0);
}

TEST(RollDice, LargeSidesAreExactAndTotalsSaturate) {
  CScriptedDraws draws{32767, 32767, 32767, 32767, 32767, 32767, 32767};
  EXPECT_EQ(RollDice(1, INT_MAX, 0), 2147418112);  // 2147483647 * 32767 / 32768 + 1
  EXPECT_EQ(RollDice(1, INT_MIN, 0), -2147418111);
  EXPECT_EQ(RollDice(2, INT_MAX, 0), INT_MAX);
  EXPECT_EQ(RollDice(2, INT_MIN, INT_MIN), INT_MIN);
  EXPECT_EQ(RollDice(1, 6, INT_MAX), INT_MAX);
}

TEST(RollDice, GeneratorDrawsStayInRangeAndFollowTheSeed) {
  int first[200];
  SeedRandom(7);
  for (int& r : first) {
    r = RollDice(1, CScriptedDraws::DRAW_DIE_SIDES, -1);  // the draw itself
    ASSERT_GE(r, 0);
    ASSERT_LE(r, 32767);
  }
  SeedRandom(7);
  for (int r : first) EXPECT_EQ(RollDice(1, CScriptedDraws::DRAW_DIE_SIDES, -1), r);
}
