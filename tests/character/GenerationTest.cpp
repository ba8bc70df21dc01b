#include <gtest/gtest.h>

#include <climits>

#include "ScriptedDraws.h"
#include "character/Generation.h"

namespace {

// A die {1, 32768, shift - 1}: rolls the draw itself plus `shift`.
CDice DrawDie(int shift) {
  CDice dice;
  dice.m_nCount = 1;
  dice.m_nSides = CScriptedDraws::DRAW_DIE_SIDES;
  dice.m_nBonus = shift - 1;
  return dice;
}

// Every die of the rules below rolls `value` for the draw D(value).
constexpr int D(int value) { return value + 100; }

class GenerationTest : public ::testing::Test {
 protected:
  GenerationTest() {
    rules.m_nCharacteristics = 4;
    rules.m_nRaces = 2;
    for (CDice& dice : rules.m_aRaces[1].m_aDice) dice = DrawDie(-100);
    rules.m_nSkills = 2;
    rules.m_nArchetypes = 4;
    for (int a = 0; a < 4; ++a) {
      for (CDice& dice : rules.m_aArchetypes[a].m_aSkillDice) dice = DrawDie(-100);
      rules.m_aArchetypes[a].m_diceMoney = DrawDie(-100);
      rules.m_aArchetypes[a].m_nHonour = a + 2;
    }
    rules.m_nItems = 1;
    rules.m_aItems[0].SetName("Niente");
  }
  static CItem PricedItem(int id, int price) {
    CItem item;
    item.m_nId = id;
    item.m_nPrice = price;
    return item;
  }
  CRules rules{nullptr};
  CCharacter character;
};

TEST_F(GenerationTest, CharacteristicsAndScoresFromTheRolledValues) {
  character.m_aStats[2].m_nModifier = 7;
  CScriptedDraws draws{D(10), D(12), D(23), D(9)};
  ASSERT_TRUE(RollCharacteristics(character, rules, 1));
  EXPECT_EQ(character.m_aStats[0].m_nValue, 10);
  EXPECT_EQ(character.m_aStats[2].m_nModifier, 7);
  EXPECT_EQ(character.m_nCdB, 115);
  EXPECT_EQ(character.m_nPFTot, 12);
  EXPECT_EQ(character.m_nPFAct, 12);
  EXPECT_EQ(character.m_nPMTot, 9);
  EXPECT_EQ(character.m_nPMAct, 9);

  rules.m_nCharacteristics = 9;  // beyond the capacity: the five slots only
  rules.m_aRaces[1].m_aDice[2] = CDice();
  rules.m_aRaces[1].m_aDice[2].m_nBonus = INT_MAX;
  draws.Add({D(1), D(2), D(4), D(5)});
  ASSERT_TRUE(RollCharacteristics(character, rules, 1));
  EXPECT_EQ(character.m_aStats[4].m_nValue, 5);
  EXPECT_EQ(character.m_nCdB, INT_MAX);
  EXPECT_EQ(draws.Left(), 0);

  EXPECT_FALSE(RollCharacteristics(character, rules, 2));
  EXPECT_FALSE(RollCharacteristics(character, rules, -1));
}

TEST_F(GenerationTest, ScoresOfCharacteristicsNotInUseStayZero) {
  rules.m_nCharacteristics = 2;
  CScriptedDraws draws{D(10), D(12)};
  ASSERT_TRUE(RollCharacteristics(character, rules, 1));
  EXPECT_EQ(character.m_nPFTot, 12);
  EXPECT_EQ(character.m_nCdB, 0);
  EXPECT_EQ(character.m_nPMTot, 0);
}

TEST_F(GenerationTest, TwoArchetypesRoundSkillsUpAndTruncateMoneyAndHonour) {
  const int archetypes[3] = {1, 2, 2};
  // Skill by skill, archetype 1 before 2; then the money.
  CScriptedDraws draws{D(5), D(6), D(-1), D(-2), D(7), D(8)};
  ASSERT_TRUE(RollSkills(character, rules, archetypes, 2));
  EXPECT_EQ(character.m_aSkills[0].m_nValue, 6);
  EXPECT_EQ(character.m_aSkills[1].m_nValue, -1);  // ceil(-1.5)
  EXPECT_EQ(character.m_aSkills[2].m_nValue, 0);
  EXPECT_EQ(character.m_nMoney, 7);
  EXPECT_EQ(character.m_nHonour, 3);  // (3 + 4) / 2

  draws.Add({D(0), D(0), D(0), D(0), D(-5), D(0)});
  ASSERT_TRUE(RollSkills(character, rules, archetypes, 2));
  EXPECT_EQ(character.m_nMoney, -2);
}

TEST_F(GenerationTest, ThreeArchetypesRoundSkillsUpAndTruncateMoney) {
  const int archetypes[3] = {0, 1, 3};
  CScriptedDraws draws{D(4), D(4), D(5), D(3), D(3), D(3), D(10), D(10), D(11)};
  ASSERT_TRUE(RollSkills(character, rules, archetypes, 3));
  EXPECT_EQ(character.m_aSkills[0].m_nValue, 5);
  EXPECT_EQ(character.m_aSkills[1].m_nValue, 3);
  EXPECT_EQ(character.m_nMoney, 10);
  EXPECT_EQ(character.m_nHonour, 3);  // (2 + 3 + 5) / 3

  draws.Add({D(-1), D(-1), D(-2), D(-4), D(-4), D(-5), D(-10), D(-10), D(-11)});
  ASSERT_TRUE(RollSkills(character, rules, archetypes, 3));
  EXPECT_EQ(character.m_aSkills[0].m_nValue, -1);  // ceil(-4 / 3)
  EXPECT_EQ(character.m_aSkills[1].m_nValue, -4);  // ceil(-13 / 3)
  EXPECT_EQ(character.m_nMoney, -10);              // -31 / 3 truncated

  const int outside[3] = {1, 4, 1};
  EXPECT_FALSE(RollSkills(character, rules, outside, 2));
  EXPECT_FALSE(RollSkills(character, rules, archetypes, 4));
  EXPECT_FALSE(RollSkills(character, rules, archetypes, 0));
}

TEST_F(GenerationTest, AveragesOfSumsBeyondTheIntegerRangeComeBackIntoIt) {
  const auto fixed = [](int bonus) {
    CDice dice;  // no dice, only the bonus
    dice.m_nBonus = bonus;
    return dice;
  };
  const int archetypes[3] = {0, 1, 3};
  for (const int a : archetypes) {
    for (CDice& dice : rules.m_aArchetypes[a].m_aSkillDice) dice = fixed(INT_MAX);
    rules.m_aArchetypes[a].m_diceMoney = fixed(INT_MIN);
  }
  rules.m_aArchetypes[3].m_aSkillDice[1] = fixed(INT_MIN);
  CScriptedDraws draws{};
  ASSERT_TRUE(RollSkills(character, rules, archetypes, 3));
  EXPECT_EQ(character.m_aSkills[0].m_nValue, INT_MAX);
  EXPECT_EQ(character.m_aSkills[1].m_nValue, 715827882);  // (2 * INT_MAX + INT_MIN) / 3
  EXPECT_EQ(character.m_nMoney, INT_MIN);
}

TEST_F(GenerationTest, SettlingGivesUpTheLastPocketFirstWhileShort) {
  const int archetype[3] = {1, 1, 1};
  character.m_itemRight = PricedItem(5, 15);
  character.m_aPockets[3] = PricedItem(6, 4);
  character.m_aPockets[7] = PricedItem(7, 2);
  character.m_aSkills[0].m_nModifier = 3;

  CScriptedDraws draws{D(0), D(0), D(20)};
  ASSERT_TRUE(RollSkills(character, rules, archetype, 1));
  EXPECT_EQ(character.m_nMoney, 1);
  EXPECT_EQ(character.m_aPockets[7].GetName(), "Niente");
  EXPECT_EQ(character.m_aPockets[3].m_nId, 6);
  EXPECT_EQ(character.m_itemRight.m_nId, 5);

  character.m_aPockets[7] = PricedItem(7, 2);
  draws.Add({D(0), D(0), D(10)});
  ASSERT_TRUE(RollSkills(character, rules, archetype, 1));
  EXPECT_EQ(character.m_nMoney, 10);
  EXPECT_EQ(character.m_aPockets[3].GetName(), "Niente");
  EXPECT_EQ(character.m_itemRight.GetName(), "Niente");
  EXPECT_EQ(character.m_itemRight.m_nPrice, 0);
}

TEST_F(GenerationTest, ItemsGivenUpTakeTheirEffectsWithThem) {
  rules.m_aSkillKey[0] = "shield";
  rules.m_aSkillKey[1] = "light";
  rules.m_nItems = 5;
  const auto define = [this](int i, const char* type, int potenza, int mod, int price) {
    rules.m_aItems[i].SetType(type);
    rules.m_aItems[i].m_nPotenza = potenza;
    rules.m_aItems[i].m_nMod = mod;
    rules.m_aItems[i].m_nPrice = price;
    rules.m_aItems[i].m_nId = i;
  };
  define(1, "armor", 2, 0, 5);
  define(2, "shield", 1, 3, 5);
  define(3, "light", 0, 4, 5);
  define(4, "light", 0, 9, 1);
  character.m_nMoney = 16;
  ASSERT_TRUE(Purchase(character, rules, EquipmentPlace::Worn, 0, 1));
  ASSERT_TRUE(Purchase(character, rules, EquipmentPlace::Left, 0, 2));
  ASSERT_TRUE(Purchase(character, rules, EquipmentPlace::Right, 0, 3));
  ASSERT_TRUE(Purchase(character, rules, EquipmentPlace::Pocket, 9, 4));
  ASSERT_EQ(character.m_nArmour, 2);
  ASSERT_EQ(character.m_aSkills[0].m_nModifier, 3);
  ASSERT_EQ(character.m_aSkills[1].m_nModifier, 3);  // 4 from the hand, -1 from the shield

  // Short by 1: only the pocket goes, and a pocket item had no effect.
  const int archetype[3] = {1, 1, 1};
  CScriptedDraws draws{D(0), D(0), D(15)};
  ASSERT_TRUE(RollSkills(character, rules, archetype, 1));
  EXPECT_EQ(character.m_aPockets[9].m_nId, 0);
  EXPECT_EQ(character.m_nArmour, 2);
  EXPECT_EQ(character.m_aSkills[1].m_nModifier, 3);

  // Short by 10: the worn armour and the shield go, the right hand stays.
  draws.Add({D(0), D(0), D(5)});
  ASSERT_TRUE(RollSkills(character, rules, archetype, 1));
  EXPECT_EQ(character.m_nMoney, 0);
  EXPECT_EQ(character.m_itemWorn.m_nId, 0);
  EXPECT_EQ(character.m_itemLeft.m_nId, 0);
  EXPECT_EQ(character.m_itemRight.m_nId, 3);
  EXPECT_EQ(character.m_nArmour, 0);
  EXPECT_EQ(character.m_aSkills[0].m_nModifier, 0);
  EXPECT_EQ(character.m_aSkills[1].m_nModifier, 4);
  EXPECT_EQ(draws.Left(), 0);
}

TEST_F(GenerationTest, SettlingKeepsFreeItemsAndStaysWithinTheIntegerRange) {
  const int archetype[3] = {1, 1, 1};
  character.m_itemWorn = PricedItem(4, -5);
  character.m_aPockets[12] = PricedItem(8, 50);  // beyond the ten pockets in use
  CScriptedDraws draws{D(0), D(0), D(-3)};
  ASSERT_TRUE(RollSkills(character, rules, archetype, 1));
  EXPECT_EQ(character.m_nMoney, 2);
  EXPECT_EQ(character.m_aPockets[12].m_nId, 8);

  rules.m_aArchetypes[1].m_diceMoney = CDice();
  rules.m_aArchetypes[1].m_diceMoney.m_nBonus = INT_MAX;
  draws.Add({D(0), D(0)});
  ASSERT_TRUE(RollSkills(character, rules, archetype, 1));
  EXPECT_EQ(character.m_nMoney, INT_MAX);
}

}  // namespace
