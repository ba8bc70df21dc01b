#include "character/Character.h"

#include <algorithm>
#include <string_view>
#include <utility>

#include "rules/AtomicFile.h"

int PocketsInUse(const CRules& rules) { return std::clamp(rules.m_nPockets, 0, MAX_POCKETS); }

std::string JoinArchetypes(const std::vector<std::string>& names) {
  std::string text;
  for (size_t i = 0; i < names.size(); ++i) {
    if (i > 0) text += '/';
    text += names[i];
  }
  return text;
}

namespace {

// Builds the sheet line by line; every line ends with CR LF. Pieces are
// appended where they go, without texts of their own in between.
class CSheetBuilder {
 public:
  CSheetBuilder() { m_text.reserve(4096); }

  void Line(std::string_view text) { m_text.append(text).append("\r\n"); }
  void Line(std::string_view key, std::string_view value) {
    m_text.append(key).append(1, ' ').append(value).append("\r\n");
  }
  void Line(std::string_view key, int value) {
    m_text.append(key).append(1, ' ');
    AppendNumber(m_text, value);
    m_text.append("\r\n");
  }

  // The five lines of one item, each key preceded by `place` and, when it is
  // not negative, by `number` (the pocket's), then by a dot.
  void Item(std::string_view place, int number, const CItem& item) {
    std::string head(place);
    if (number >= 0) AppendNumber(head, number);
    head += '.';
    const auto key = [&](std::string_view name) {
      m_text.append(head).append(name).append(1, ' ');
    };
    key("NOME");
    m_text.append(item.m_strName).append("\r\n");
    key("TIPO");
    m_text.append(item.m_strType).append("\r\n");
    for (const auto& [name, value] : {std::pair<std::string_view, int>{"POTENZA", item.m_nPotenza},
                                      {"BONUS", item.m_nBonus},
                                      {"MOD", item.m_nMod}}) {
      key(name);
      AppendNumber(m_text, value);
      m_text.append("\r\n");
    }
  }

  std::string m_text;
};

const char* HandWord(int hand) {
  if (hand == 3) return "Ambidestro";
  if (hand == 1) return "Mandestro";
  return "Mancino";
}

}  // namespace

std::string CCharacter::SheetText(const CRules& rules) const {
  CSheetBuilder sheet;
  sheet.Line("Informazioni Personaggio");
  sheet.Line("- Quistel 1.2.2 pg format -");
  sheet.Line(".");
  sheet.Line("NOME", GetName());
  sheet.Line(".");
  sheet.Line("ARCHETIPO", GetArchetype());
  sheet.Line("RAZZA", GetRace());
  sheet.Line("SESSO", m_bMale == 1 ? "Maschile" : "Femminile");
  sheet.Line(".");

  sheet.Line("- Caratteristiche -");
  for (int c = 0; c < rules.CharacteristicsInUse(); ++c)
    sheet.Line(rules.m_aCharKey[c], m_aStats[c].m_nValue);
  sheet.Line(".");

  sheet.Line("- Punteggi -");
  sheet.Line("PF.Tot", m_nPFTot);
  sheet.Line("PF.Act", m_nPFAct);
  sheet.Line("PM.Tot", m_nPMTot);
  sheet.Line("PM.Act", m_nPMAct);
  sheet.Line("Onore", m_nHonour);
  sheet.Line("CdB", m_nCdB);
  sheet.Line("Armatura", m_nArmour);
  sheet.Line("Monete", m_nMoney);
  sheet.Line("Dominante", HandWord(m_nHand));
  sheet.Line(".");

  // Skills are grouped in blocks of neighbours with the same base; a "." line
  // marks every change of base. The bases are only compared, never used as
  // indexes, so a base outside the characteristics does no harm here.
  sheet.Line("- Abilit\xE0 -");
  const int skills = rules.SkillsInUse();
  int base = skills > 0 ? rules.m_aSkillBase[0] : 0;
  for (int s = 0; s < skills; ++s) {
    if (rules.m_aSkillBase[s] != base) {
      sheet.Line(".");
      base = rules.m_aSkillBase[s];
    }
    sheet.Line(rules.m_aSkillSheetName[s], m_aSkills[s].m_nValue);
  }
  sheet.Line(".");

  sheet.Line("- Equipaggiamento -");
  sheet.Item("Destra", -1, m_itemRight);
  sheet.Item("Sinistra", -1, m_itemLeft);
  sheet.Item("Addosso", -1, m_itemWorn);
  sheet.Line(".");
  for (int p = 0; p < PocketsInUse(rules); ++p) sheet.Item("Tasca", p, m_aPockets[p]);
  return std::move(sheet.m_text);
}

bool CCharacter::WriteSheet(const char* path, const CRules& rules, std::string* error) const {
  return WriteFileAtomically(path ? path : "", SheetText(rules), error);
}
