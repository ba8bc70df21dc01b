#include "character/SheetTexts.h"

#include <algorithm>

#include "base/Decimal.h"
#include "base/Win1252.h"
#include "character/Dice.h"
#include "character/Generation.h"
#include "character/Naming.h"

#ifndef TARVO_VERSION_MARK
#error "TARVO_VERSION_MARK (the major and minor version, \"1.2\") comes from the build"
#endif

namespace {

// A name that shows nothing but blanks (control characters show as blanks)
// is no name.
bool ShowsOnlyBlanks(std::string_view name) {
  return std::all_of(name.begin(), name.end(), [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return IsWin1252Control(byte) || byte == ' ' || byte == 0xA0;
  });
}

// The name the sheet shows for `character`.
std::string NameOnSheet(const CCharacter& character) {
  return ShowsOnlyBlanks(character.m_strName) ? std::string(NO_NAME) : character.m_strName;
}

CSheetTexts::Held HeldRow(std::string_view place, const CItem& item, const CRules& rules) {
  return {std::string(place),
          item.m_strName,
          ItemTypeName(rules, item.m_strType),
          FormatNumber(item.m_nPotenza),
          FormatNumber(item.m_nBonus),
          FormatNumber(item.m_nMod)};
}

}  // namespace

std::string_view ProgramMark() { return "TARVO " TARVO_VERSION_MARK; }

std::string SheetTitle(const CCharacter& character) {
  return std::string(SHEET_WORDS.title) + ": " + NameOnSheet(character);
}

CSheetTexts MakeSheetTexts(const CCharacter& ch, const CRules& rules,
                           const std::vector<std::string>& archetypes, std::string_view rulesPath) {
  CSheetTexts texts;
  texts.name = NameOnSheet(ch);
  texts.race = ch.m_strRace;
  for (const std::string& name : archetypes) {
    if (!name.empty()) texts.archetypes.push_back(name);
  }
  texts.sex = SexName(ch.m_bMale == 1);
  texts.hand = HandName(ch.m_nHand);
  texts.rulesFile = rulesPath.substr(rulesPath.find_last_of('/') + 1);
  texts.program = ProgramMark();

  const int characteristics = rules.CharacteristicsInUse();
  for (int c = 0; c < characteristics; ++c) {
    const CStatValue& stat = ch.m_aStats[c];
    // The value as the form shows it, with its fifth in brackets.
    texts.stats.push_back(
        {rules.GetCharLabel(c),
         FormatNumber(stat.m_nValue) + " (" + FormatNumber(stat.m_nValue / 5) + ")",
         FormatNumber(stat.m_nModifier),
         FormatNumber(AddSaturating(stat.m_nValue, stat.m_nModifier))});
  }

  texts.scores = {{
      {"PF", FormatNumber(ch.m_nPFAct) + "/" + FormatNumber(ch.m_nPFTot)},
      {"PM", FormatNumber(ch.m_nPMAct) + "/" + FormatNumber(ch.m_nPMTot)},
      {"Onore", FormatNumber(ch.m_nHonour)},
      {"C.d.B.", FormatNumber(ch.m_nCdB)},
      {"Protezione", FormatNumber(ch.m_nArmour)},
      {"Monete", FormatNumber(ch.m_nMoney)},
  }};

  // One group per characteristic, in rules order, of the skills resting on
  // it, in rules order; last the skills whose base names no characteristic.
  const int skills = rules.SkillsInUse();
  for (int c = 0; c <= characteristics; ++c) {
    CSheetTexts::Group group{
        c < characteristics ? rules.GetCharLabel(c) : std::string("Senza caratteristica"), {}};
    for (int s = 0; s < skills; ++s) {
      const int base = rules.m_aSkillBase[s];
      const bool hasBase = base >= 0 && base < characteristics;
      if (c < characteristics ? base != c : hasBase) continue;
      const CSkillValue& skill = ch.m_aSkills[s];
      const int total = AddSaturating(skill.m_nValue, skill.m_nModifier);
      group.skills.push_back({rules.GetSkillLabel(s), FormatNumber(skill.m_nValue),
                              FormatNumber(skill.m_nModifier), FormatNumber(total),
                              FormatNumber(AddSaturating(total, SkillBaseValue(ch, rules, s)))});
    }
    if (!group.skills.empty()) texts.groups.push_back(std::move(group));
  }

  texts.held = {{
      HeldRow("Mano destra", ch.m_itemRight, rules),
      HeldRow("Mano sinistra", ch.m_itemLeft, rules),
      HeldRow("Addosso", ch.m_itemWorn, rules),
  }};
  for (int p = 0; p < PocketsInUse(rules); ++p)
    texts.pockets.push_back({"Tasca " + FormatNumber(p), ch.m_aPockets[p].m_strName});
  return texts;
}
