#include "character/Generation.h"

#include <cmath>
#include <cstdint>
#include <stdexcept>
#include <string>

#include "character/Dice.h"

namespace {

int Roll(const CDice& dice) { return RollDice(dice.m_nCount, dice.m_nSides, dice.m_nBonus); }

// The mean of `count` (2 or 3) rolls, rounded up. The sum is formed 64 bits
// wide; its quotient in double precision is exact enough for ceil to give the
// true ceiling for every sum of two or three 32-bit values.
int CeilMean(std::int64_t sum, int count) {
  const double factor = count == 2 ? 0.5 : 0.3333333333333333;
  return SaturateToInt(static_cast<std::int64_t>(std::ceil(static_cast<double>(sum) * factor)));
}

void AddModifier(int& modifier, std::int64_t amount) {
  modifier = SaturateToInt(modifier + amount);
}

// The modifier of skill `skill`, or nullptr when the lookup found none.
int* SkillModifier(CCharacter& character, int skill) {
  if (skill < 0 || skill >= MAX_SKILLS) return nullptr;
  return &character.m_aSkills[skill].m_nModifier;
}

// Gives up a held item of positive price while the money is negative: its
// price comes back and the place takes the catalogue's empty item. Returns
// whether it gave the item up.
bool GiveUpIfShort(CItem& held, std::int64_t& money, const CRules& rules) {
  if (money < 0 && held.m_nPrice > 0) {
    money += held.m_nPrice;
    held.CopyFrom(rules.m_aItems[0]);
    return true;
  }
  return false;
}

}  // namespace

bool RollCharacteristics(CCharacter& character, const CRules& rules, int race) {
  if (race < 0 || race >= rules.RacesInUse()) return false;
  const CRace& dice = rules.m_aRaces[race];
  for (int c = 0; c < rules.CharacteristicsInUse(); ++c)
    character.m_aStats[c].m_nValue = Roll(dice.m_aDice[c]);

  // Fixed slots whatever the characteristic count: PF rests on characteristic
  // 1, CdB on 2 and PM on 3; slots never rolled hold 0.
  character.m_nCdB = SaturateToInt(std::int64_t{5} * character.m_aStats[2].m_nValue);
  character.m_nPFTot = character.m_nPFAct = character.m_aStats[1].m_nValue;
  character.m_nPMTot = character.m_nPMAct = character.m_aStats[3].m_nValue;
  return true;
}

bool RollSkills(CCharacter& character, const CRules& rules, const int archetypes[3], int inUse) {
  if (!archetypes || inUse < 1 || inUse > 3) return false;
  const CArchetype* used[3] = {};
  for (int k = 0; k < inUse; ++k) {
    if (archetypes[k] < 0 || archetypes[k] >= rules.ArchetypesInUse()) return false;
    used[k] = &rules.m_aArchetypes[archetypes[k]];
  }

  // Skill by skill, and within a skill archetype 1, 2, 3: the order of the
  // draws is part of the rule.
  for (int s = 0; s < rules.SkillsInUse(); ++s) {
    std::int64_t sum = 0;
    for (int k = 0; k < inUse; ++k) sum += Roll(used[k]->m_aSkillDice[s]);
    character.m_aSkills[s].m_nValue = inUse == 1 ? static_cast<int>(sum) : CeilMean(sum, inUse);
  }

  // Money and honour are averaged truncating toward zero.
  std::int64_t money = 0;
  std::int64_t honour = 0;
  for (int k = 0; k < inUse; ++k) {
    money += Roll(used[k]->m_diceMoney);
    honour += used[k]->m_nHonour;
  }
  money /= inUse;
  character.m_nHonour = static_cast<int>(honour / inUse);

  // The held items are paid for again out of the new money; while it is
  // short, items are given up from the last pocket to the first, then the
  // worn item, the left hand and the right hand last.
  const int pockets = PocketsInUse(rules);
  for (int p = 0; p < pockets; ++p) money -= character.m_aPockets[p].m_nPrice;
  money -= character.m_itemWorn.m_nPrice;
  money -= character.m_itemLeft.m_nPrice;
  money -= character.m_itemRight.m_nPrice;
  for (int p = pockets - 1; p >= 0; --p) GiveUpIfShort(character.m_aPockets[p], money, rules);
  bool gaveUpHeld = GiveUpIfShort(character.m_itemWorn, money, rules);
  gaveUpHeld = GiveUpIfShort(character.m_itemLeft, money, rules) || gaveUpHeld;
  gaveUpHeld = GiveUpIfShort(character.m_itemRight, money, rules) || gaveUpHeld;
  character.m_nMoney = SaturateToInt(money);
  // An item given up from a hand or the body takes its effects with it;
  // pocket items have none to take.
  if (gaveUpHeld) ApplyEquipmentEffects(character, rules);
  return true;
}

CItem& HeldItem(CCharacter& character, EquipmentPlace place, int pocket) {
  const CCharacter& constCharacter = character;
  return const_cast<CItem&>(HeldItem(constCharacter, place, pocket));
}

const CItem& HeldItem(const CCharacter& character, EquipmentPlace place, int pocket) {
  switch (place) {
    case EquipmentPlace::Right:
      return character.m_itemRight;
    case EquipmentPlace::Left:
      return character.m_itemLeft;
    case EquipmentPlace::Worn:
      return character.m_itemWorn;
    case EquipmentPlace::Pocket:
      if (pocket < 0 || pocket >= MAX_POCKETS)
        throw std::out_of_range("pocket " + std::to_string(pocket));
      return character.m_aPockets[pocket];
  }
  throw std::invalid_argument("equipment place");
}

bool Buy(CCharacter& character, const CRules& rules, EquipmentPlace place, int pocket, int item) {
  if (item < 0 || item >= rules.ItemsInUse()) return false;
  if (place == EquipmentPlace::Pocket && (pocket < 0 || pocket >= PocketsInUse(rules)))
    return false;
  CItem& held = HeldItem(character, place, pocket);
  const CItem& bought = rules.m_aItems[item];

  // The held item is traded in at the price paid for it.
  const std::int64_t available = std::int64_t{character.m_nMoney} + held.m_nPrice;
  if (available < bought.m_nPrice) return false;
  character.m_nMoney = SaturateToInt(available - bought.m_nPrice);
  held.CopyFrom(bought);
  return true;
}

bool Purchase(CCharacter& character, const CRules& rules, EquipmentPlace place, int pocket,
              int item) {
  if (!Buy(character, rules, place, pocket, item)) return false;
  if (place != EquipmentPlace::Pocket) ApplyEquipmentEffects(character, rules);
  return true;
}

void ApplyEquipmentEffects(CCharacter& character, const CRules& rules) {
  for (CStatValue& stat : character.m_aStats) stat.m_nModifier = 0;
  for (CSkillValue& skill : character.m_aSkills) skill.m_nModifier = 0;
  character.m_nArmour = 0;

  static constexpr const char* SHIELD_PENALTIES[] = {"light",  "craft", "acrobat",
                                                     "sneack", "music", "range"};
  for (const CItem* item : {&character.m_itemRight, &character.m_itemLeft, &character.m_itemWorn}) {
    const CItemEffect effect = ItemEffect(rules, item->m_strType);
    switch (effect.kind) {
      case CItemEffect::Kind::Armour:
        // A later armour replaces an earlier one; armour does not add up.
        character.m_nArmour = item->m_nPotenza;
        break;
      case CItemEffect::Kind::Shield:
        if (int* modifier = SkillModifier(character, rules.FindSkill("shield")))
          AddModifier(*modifier, item->m_nMod);
        for (const char* key : SHIELD_PENALTIES) {
          if (int* modifier = SkillModifier(character, rules.FindSkill(key)))
            AddModifier(*modifier, -std::int64_t{item->m_nPotenza});
        }
        break;
      case CItemEffect::Kind::Skill:
        AddModifier(character.m_aSkills[effect.index].m_nModifier, item->m_nMod);
        break;
      case CItemEffect::Kind::Characteristic:
        AddModifier(character.m_aStats[effect.index].m_nModifier, item->m_nMod);
        break;
      case CItemEffect::Kind::None:
        break;
    }
  }
}

CItemEffect ItemEffect(const CRules& rules, std::string_view type) {
  if (EqualAsciiFolded(type, "armor")) return {CItemEffect::Kind::Armour, -1};
  if (EqualAsciiFolded(type, "shield")) return {CItemEffect::Kind::Shield, -1};
  const int skill = rules.FindSkill(type);
  if (skill >= 0 && skill < MAX_SKILLS) return {CItemEffect::Kind::Skill, skill};
  const int characteristic = rules.FindCharacteristic(type);
  if (characteristic >= 0 && characteristic < MAX_CHARACTERISTICS)
    return {CItemEffect::Kind::Characteristic, characteristic};
  return {};
}

std::string ItemTypeName(const CRules& rules, std::string_view type) {
  const CItemEffect effect = ItemEffect(rules, type);
  switch (effect.kind) {
    case CItemEffect::Kind::Armour:
      return "Armatura";
    case CItemEffect::Kind::Shield:
      return "Scudo";
    case CItemEffect::Kind::Skill:
      return rules.GetSkillLabel(effect.index);
    case CItemEffect::Kind::Characteristic:
      return rules.GetCharLabel(effect.index);
    case CItemEffect::Kind::None:
      break;
  }
  return {};
}

int SkillBaseValue(const CCharacter& character, const CRules& rules, int skill) {
  if (skill < 0 || skill >= rules.SkillsInUse()) return 0;
  const int base = rules.m_aSkillBase[skill];
  if (base < 0 || base >= rules.CharacteristicsInUse()) return 0;
  return character.m_aStats[base].m_nValue;
}
