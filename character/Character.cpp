#include "character/Character.h"

#include <algorithm>
#include <string_view>
#include <utility>

#include "rules/AtomicFile.h"

int PocketsInUse(const CRules& rules) { return std::clamp(rules.m_nPockets, 0, MAX_POCKETS); }

namespace {

// Builds the sheet line by line; every line ends with CR LF.
class CSheetBuilder {
 public:
  void Line(std::string_view text) {
    m_text += text;
    m_text += "\r\n";
  }
  void Line(std::string_view key, std::string_view value) {
    m_text += key;
    m_text += ' ';
    m_text += value;
    m_text += "\r\n";
  }
  void Line(std::string_view key, int value) { Line(key, FormatNumber(value)); }

  // The five lines of one item, each key preceded by `prefix`.
  void Item(const std::string& prefix, const CItem& item) {
    Line(prefix + "NOME", item.GetName());
    Line(prefix + "TIPO", item.GetType());
    Line(prefix + "POTENZA", item.m_nPotenza);
    Line(prefix + "BONUS", item.m_nBonus);
    Line(prefix + "MOD", item.m_nMod);
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
    sheet.Line(rules.GetCharKey(c), m_aStats[c].m_nValue);
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
    sheet.Line(rules.GetSkillSheetName(s), m_aSkills[s].m_nValue);
  }
  sheet.Line(".");

  sheet.Line("- Equipaggiamento -");
  sheet.Item("Destra.", m_itemRight);
  sheet.Item("Sinistra.", m_itemLeft);
  sheet.Item("Addosso.", m_itemWorn);
  sheet.Line(".");
  for (int p = 0; p < PocketsInUse(rules); ++p)
    sheet.Item("Tasca" + FormatNumber(p) + ".", m_aPockets[p]);
  return std::move(sheet.m_text);
}

bool CCharacter::WriteSheet(const char* path, const CRules& rules, std::string* error) const {
  return WriteFileAtomically(path ? path : "", SheetText(rules), error);
}
