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

void SetNumber(std::string& text, int value) {
  text.clear();
  AppendNumber(text, value);
}

}  // namespace

std::string_view ProgramMark() { return "TARVO " TARVO_VERSION_MARK; }

std::string SheetTitle(const CCharacter& character) {
  return std::string(SHEET_WORDS.title) + ": " + NameOnSheet(character);
}

CSheetTexts MakeSheetTexts(const CCharacter& character, const CRules& rules,
                           const std::vector<std::string>& archetypes, std::string_view rulesPath) {
  CSheetTexts texts;
  MakeSheetTexts(character, rules, archetypes, rulesPath, texts);
  return texts;
}

void MakeSheetTexts(const CCharacter& ch, const CRules& rules,
                    const std::vector<std::string>& archetypes, std::string_view rulesPath,
                    CSheetTexts& texts) {
  // Every text is assigned into the one before it, which keeps its storage.
  texts.name = ShowsOnlyBlanks(ch.m_strName) ? NO_NAME : std::string_view(ch.m_strName);
  texts.race = ch.m_strRace;
  texts.archetypes.clear();
  for (const std::string& name : archetypes) {
    if (!name.empty()) texts.archetypes.push_back(name);
  }
  texts.sex = SexName(ch.m_bMale == 1);
  texts.hand = HandName(ch.m_nHand);
  texts.rulesFile = rulesPath.substr(rulesPath.find_last_of('/') + 1);
  texts.program = ProgramMark();

  const int characteristics = rules.CharacteristicsInUse();
  texts.stats.resize(static_cast<size_t>(characteristics));
  for (int c = 0; c < characteristics; ++c) {
    const CStatValue& stat = ch.m_aStats[c];
    CSheetTexts::Stat& row = texts.stats[static_cast<size_t>(c)];
    row.label = rules.m_aCharLabel[c];
    // The value as the form shows it, with its fifth in brackets.
    SetNumber(row.value, stat.m_nValue);
    row.value += " (";
    AppendNumber(row.value, stat.m_nValue / 5);
    row.value += ')';
    SetNumber(row.modifier, stat.m_nModifier);
    SetNumber(row.total, AddSaturating(stat.m_nValue, stat.m_nModifier));
  }

  const auto score = [&texts](size_t i, std::string_view label, int value) {
    texts.scores[i].label = label;
    SetNumber(texts.scores[i].text, value);
  };
  score(0, "PF", ch.m_nPFAct);
  texts.scores[0].text += '/';
  AppendNumber(texts.scores[0].text, ch.m_nPFTot);
  score(1, "PM", ch.m_nPMAct);
  texts.scores[1].text += '/';
  AppendNumber(texts.scores[1].text, ch.m_nPMTot);
  score(2, "Onore", ch.m_nHonour);
  score(3, "C.d.B.", ch.m_nCdB);
  score(4, "Protezione", ch.m_nArmour);
  score(5, "Monete", ch.m_nMoney);

  // One group per characteristic, in rules order, of the skills resting on
  // it, in rules order; last the skills whose base names no characteristic.
  const int skills = rules.SkillsInUse();
  size_t groups = 0;
  for (int c = 0; c <= characteristics; ++c) {
    if (groups == texts.groups.size()) texts.groups.emplace_back();
    CSheetTexts::Group& group = texts.groups[groups];
    size_t rows = 0;
    for (int s = 0; s < skills; ++s) {
      const int base = rules.m_aSkillBase[s];
      const bool hasBase = base >= 0 && base < characteristics;
      if (c < characteristics ? base != c : hasBase) continue;
      if (rows == group.skills.size()) group.skills.emplace_back();
      CSheetTexts::Skill& row = group.skills[rows++];
      const CSkillValue& skill = ch.m_aSkills[s];
      const int total = AddSaturating(skill.m_nValue, skill.m_nModifier);
      row.label = rules.m_aSkillLabel[s];
      SetNumber(row.value, skill.m_nValue);
      SetNumber(row.modifier, skill.m_nModifier);
      SetNumber(row.total, total);
      SetNumber(row.withBase, AddSaturating(total, SkillBaseValue(ch, rules, s)));
    }
    group.skills.resize(rows);
    if (rows == 0) continue;
    group.heading = c < characteristics ? std::string_view(rules.m_aCharLabel[c])
                                        : std::string_view("Senza caratteristica");
    ++groups;
  }
  texts.groups.resize(groups);

  const std::pair<std::string_view, const CItem*> held[] = {{"Mano destra", &ch.m_itemRight},
                                                            {"Mano sinistra", &ch.m_itemLeft},
                                                            {"Addosso", &ch.m_itemWorn}};
  for (size_t i = 0; i < texts.held.size(); ++i) {
    CSheetTexts::Held& row = texts.held[i];
    const CItem& item = *held[i].second;
    row.place = held[i].first;
    row.name = item.m_strName;
    row.type = ItemTypeName(rules, item.m_strType);
    SetNumber(row.potenza, item.m_nPotenza);
    SetNumber(row.bonus, item.m_nBonus);
    SetNumber(row.mod, item.m_nMod);
  }
  texts.pockets.resize(static_cast<size_t>(PocketsInUse(rules)));
  for (size_t p = 0; p < texts.pockets.size(); ++p) {
    texts.pockets[p].label = PocketName(static_cast<int>(p));
    texts.pockets[p].text = ch.m_aPockets[p].m_strName;
  }
}
