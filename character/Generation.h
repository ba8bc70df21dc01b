// The rules of play as functions of plain inputs. The form reads its
// selections and check states, calls these, and refreshes.
#pragma once

#include <string>
#include <string_view>

#include "character/Character.h"
#include "rules/Rules.h"

// Where an item can be bought into.
enum class EquipmentPlace { Right, Left, Worn, Pocket };

// Rolls every characteristic in use from race `race`'s dice and derives CdB,
// PF and PM. Does nothing and returns false when `race` is not a race in use.
bool RollCharacteristics(CCharacter& character, const CRules& rules, int race);

// Rolls skills, money and honour from the first `inUse` (1..3) of
// `archetypes`, averaged, then settles the held items against the new money;
// when a hand or the worn item is given up, the equipment effects are
// recomputed from what is still held. Does nothing and returns false when an
// archetype in use is not valid.
bool RollSkills(CCharacter& character, const CRules& rules, const int archetypes[3], int inUse);

// The item held at `place` (`pocket` is used for EquipmentPlace::Pocket only).
// Throws std::out_of_range for a pocket outside the pocket array.
CItem& HeldItem(CCharacter& character, EquipmentPlace place, int pocket = 0);
const CItem& HeldItem(const CCharacter& character, EquipmentPlace place, int pocket = 0);

// Buys catalogue item `item` into `place`, trading in the held item at the
// price paid for it: the money and the item, nothing else. Returns false,
// changing nothing, when the money does not reach or `item` / `pocket` is not
// valid.
bool Buy(CCharacter& character, const CRules& rules, EquipmentPlace place, int pocket, int item);

// Buy, and then, for a hand or the worn item, ApplyEquipmentEffects: a
// pocket item has no effect to apply.
bool Purchase(CCharacter& character, const CRules& rules, EquipmentPlace place, int pocket,
              int item);

// Recomputes every modifier and the armour from the two hands and the worn item.
void ApplyEquipmentEffects(CCharacter& character, const CRules& rules);

// What an item of a given type does while it is held in a hand or worn.
struct CItemEffect {
  enum class Kind {
    None,            // nothing ("empty", or a type no rule knows)
    Armour,          // sets the protection to POTENZA
    Shield,          // MOD to the shield skill, POTENZA off six others
    Skill,           // MOD to skill `index`
    Characteristic,  // MOD to characteristic `index`
  };
  Kind kind = Kind::None;
  int index = -1;
};

// The effect of type `type`, matched as the equipment rules match it: "armor"
// and "shield" without regard to case, then a skill's key, then a
// characteristic's.
CItemEffect ItemEffect(const CRules& rules, std::string_view type);

// What type `type` means to a player, as Windows-1252 bytes: "Armatura",
// "Scudo", the name of the skill or characteristic whose key it is, or
// nothing for a type without effect (the empty item's among them).
std::string ItemTypeName(const CRules& rules, std::string_view type);

// The rolled value of the characteristic on which skill `skill` rests, or 0
// when the skill is not in use or its base is not a characteristic in use.
int SkillBaseValue(const CCharacter& character, const CRules& rules, int skill);
