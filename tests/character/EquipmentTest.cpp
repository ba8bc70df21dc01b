#include <gtest/gtest.h>

#include <climits>
#include <initializer_list>
#include <stdexcept>
#include <utility>

#include "character/Generation.h"

namespace {

enum Skill { SHIELD, LIGHT, CRAFT, ACROBAT, SNEACK, RANGE, SWORD, SKILLS };
enum Item { NOTHING, CHEAP, DEAR, DEARER, ARMOUR, PLATE, SHIELD_ITEM, LAMP, RING, ITEMS };

class EquipmentTest : public ::testing::Test {
 protected:
  EquipmentTest() {
    // No skill keyed "music".
    const char* keys[SKILLS] = {"shield", "light", "craft", "acrobat", "sneack", "range", "sword"};
    rules.m_nSkills = SKILLS;
    for (int s = 0; s < SKILLS; ++s) rules.m_aSkillKey[s] = keys[s];
    rules.m_nCharacteristics = 2;
    rules.m_aCharKey[1] = "DES";
    rules.m_nItems = ITEMS;
    Define(CHEAP, "empty", 0, 0, 4);
    Define(DEAR, "empty", 0, 0, 14);
    Define(DEARER, "empty", 0, 0, 15);
    Define(ARMOUR, "Armor", 5, 0, 0);
    Define(PLATE, "ARMOR", 2, 0, 0);
    Define(SHIELD_ITEM, "SHIELD", 2, 3, 0);
    Define(LAMP, "Light", 0, 4, 0);
    Define(RING, "des", 0, 6, 0);
  }
  void Define(int id, const char* type, int potenza, int mod, int price) {
    CItem& item = rules.m_aItems[id];
    item.SetType(type);
    item.m_nPotenza = potenza;
    item.m_nMod = mod;
    item.m_nPrice = price;
    item.m_nId = id;
  }
  CRules rules{nullptr};
  CCharacter character;
};

TEST_F(EquipmentTest, PurchaseTradesInTheHeldItemAtThePricePaid) {
  character.m_nMoney = 10;
  ASSERT_TRUE(Purchase(character, rules, EquipmentPlace::Right, 0, CHEAP));
  EXPECT_EQ(character.m_nMoney, 6);
  character.m_nMoney = 10;
  rules.m_aItems[CHEAP].m_nPrice = 99;  // the price paid counts, not today's
  EXPECT_FALSE(Purchase(character, rules, EquipmentPlace::Right, 0, DEARER));
  EXPECT_EQ(character.m_itemRight.m_nId, CHEAP);
  ASSERT_TRUE(Purchase(character, rules, EquipmentPlace::Right, 0, DEAR));
  EXPECT_EQ(character.m_nMoney, 0);
  EXPECT_EQ(character.m_itemRight.m_nPrice, 14);

  character.m_aSkills[SWORD].m_nModifier = 9;  // a recomputation would clear it
  ASSERT_TRUE(Purchase(character, rules, EquipmentPlace::Pocket, 9, LAMP));
  EXPECT_EQ(character.m_aPockets[9].m_nId, LAMP);
  EXPECT_EQ(character.m_aSkills[SWORD].m_nModifier, 9);
  EXPECT_FALSE(Purchase(character, rules, EquipmentPlace::Pocket, 10, NOTHING));
  EXPECT_FALSE(Purchase(character, rules, EquipmentPlace::Pocket, 0, ITEMS));
  EXPECT_THROW(HeldItem(character, EquipmentPlace::Pocket, MAX_POCKETS), std::out_of_range);
}

TEST_F(EquipmentTest, PurchaseIsRefusedWhenTheMoneyDoesNotReach) {
  character.m_nMoney = -3;
  character.m_itemLeft.CopyFrom(rules.m_aItems[CHEAP]);
  character.m_itemLeft.m_nPrice = 2;
  EXPECT_FALSE(Purchase(character, rules, EquipmentPlace::Left, 0, CHEAP));  // even the held item
  EXPECT_FALSE(Purchase(character, rules, EquipmentPlace::Left, 0, NOTHING));

  rules.m_aItems[RING].m_nPrice = -5;  // a catalogue entry that pays out
  character.m_nMoney = 3;
  ASSERT_TRUE(Purchase(character, rules, EquipmentPlace::Worn, 0, RING));
  EXPECT_EQ(character.m_nMoney, 8);
  character.m_nMoney = 3;
  EXPECT_FALSE(Purchase(character, rules, EquipmentPlace::Worn, 0, NOTHING));  // 3 - 5 < 0
  EXPECT_EQ(character.m_itemWorn.m_nId, RING);
  EXPECT_EQ(character.m_nMoney, 3);

  rules.m_aItems[RING].m_nPrice = INT_MIN;
  character.m_nMoney = INT_MAX;
  ASSERT_TRUE(Purchase(character, rules, EquipmentPlace::Right, 0, RING));
  EXPECT_EQ(character.m_nMoney, INT_MAX);
}

TEST_F(EquipmentTest, ShieldWithoutAMusicSkillStillAppliesTheRest) {
  character.m_itemLeft.CopyFrom(rules.m_aItems[SHIELD_ITEM]);
  character.m_itemRight.CopyFrom(rules.m_aItems[LAMP]);  // "Light" names a skill: it adds
  ApplyEquipmentEffects(character, rules);
  EXPECT_EQ(character.m_aSkills[SHIELD].m_nModifier, 3);
  EXPECT_EQ(character.m_aSkills[LIGHT].m_nModifier, 4 - 2);
  for (int s : {CRAFT, ACROBAT, SNEACK, RANGE}) EXPECT_EQ(character.m_aSkills[s].m_nModifier, -2);
  EXPECT_EQ(character.m_aSkills[SWORD].m_nModifier, 0);

  ASSERT_TRUE(Purchase(character, rules, EquipmentPlace::Left, 0, NOTHING));
  EXPECT_EQ(character.m_aSkills[SHIELD].m_nModifier, 0);
  EXPECT_EQ(character.m_aSkills[LIGHT].m_nModifier, 4);
  EXPECT_EQ(character.m_aSkills[RANGE].m_nModifier, 0);

  rules.m_aItems[SHIELD_ITEM].m_nPotenza = INT_MIN;
  character.m_itemLeft.CopyFrom(rules.m_aItems[SHIELD_ITEM]);
  ApplyEquipmentEffects(character, rules);
  EXPECT_EQ(character.m_aSkills[CRAFT].m_nModifier, INT_MAX);
}

TEST_F(EquipmentTest, LaterArmourReplacesEarlierAndCharacteristicKeysApply) {
  character.m_itemRight.CopyFrom(rules.m_aItems[ARMOUR]);
  character.m_itemLeft.CopyFrom(rules.m_aItems[RING]);
  character.m_itemWorn.CopyFrom(rules.m_aItems[PLATE]);
  ApplyEquipmentEffects(character, rules);
  EXPECT_EQ(character.m_nArmour, 2);
  EXPECT_EQ(character.m_aStats[1].m_nModifier, 6);
  EXPECT_EQ(character.m_aStats[0].m_nModifier, 0);

  // A type that is both a skill key and a characteristic key moves the skill only.
  rules.m_aCharKey[0] = "sword";
  character.m_itemLeft.SetType("Sword");
  ApplyEquipmentEffects(character, rules);
  EXPECT_EQ(character.m_aSkills[SWORD].m_nModifier, 6);
  EXPECT_EQ(character.m_aStats[0].m_nModifier, 0);
  EXPECT_EQ(character.m_aStats[1].m_nModifier, 0);
}

TEST_F(EquipmentTest, SkillBaseValueIgnoresBasesOutsideTheCharacteristics) {
  character.m_aStats[1].m_nValue = 12;
  rules.m_aSkillBase[0] = 1;
  rules.m_aSkillBase[1] = 2;  // not in use
  rules.m_aSkillBase[2] = INT_MIN;
  EXPECT_EQ(SkillBaseValue(character, rules, 0), 12);
  for (int s : {1, 2, 99, -1}) EXPECT_EQ(SkillBaseValue(character, rules, s), 0);
}

// A type is named for a player by what it does: whatever its case, "armor"
// and "shield" are Armatura and Scudo, a key the name of its skill before that
// of a characteristic, and a type without effect nothing.
TEST_F(EquipmentTest, TypesAreNamedByTheirEffect) {
  rules.m_aSkillLabel[LIGHT] = "Armi Leggere";
  rules.m_aCharLabel[1] = "Destrezza";
  rules.m_aCharKey[0] = "light";  // the skill's key wins
  rules.m_aCharLabel[0] = "Forza";
  for (const auto& [type, name] : std::initializer_list<std::pair<const char*, const char*>>{
           {"ARMOR", "Armatura"},
           {"Shield", "Scudo"},
           {"Light", "Armi Leggere"},
           {"des", "Destrezza"},
           {"empty", ""},
           {"light ", ""},
           {"spada", ""},
       }) {
    EXPECT_EQ(ItemTypeName(rules, type), name) << type;
  }
}

}  // namespace
