#include "character/Character.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "base/AtomicFile.h"

std::string_view HandSheetWord(int hand) {
  if (hand == HAND_BOTH) return "Ambidestro";
  if (hand == HAND_RIGHT) return "Mandestro";
  return "Mancino";
}

std::string_view HandName(int hand) {
  if (hand == HAND_BOTH) return "Ambidestro";
  if (hand == HAND_RIGHT) return "Destro";
  return "Mancino";
}

std::string_view SexName(bool male) { return male ? "Maschile" : "Femminile"; }

std::string PocketName(int pocket) { return "Tasca " + FormatNumber(pocket); }

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

// The sheet is written in two passes over the same steps: the first counts
// the bytes it can take at most, the second writes them into one buffer of
// that size. Every piece is a copy of known length or a number written in
// place, with no call into the string library between.
constexpr size_t kNumberWidth = 11;  // "-2147483648"

class CSheetSize {
 public:
  void Put(std::string_view text) { m_size += text.size(); }
  void Put(char) { ++m_size; }
  void Number(int) { m_size += kNumberWidth; }

  size_t m_size = 0;
};

// Copies `n` bytes. Most pieces of a sheet are a few bytes long: they go as
// two loads and two stores of a fixed width, which overlap when need be.
inline void CopyShort(char* to, const char* from, size_t n) {
  const auto pair = [&](auto word) {
    constexpr size_t width = sizeof word;
    decltype(word) last;
    std::memcpy(&word, from, width);
    std::memcpy(&last, from + n - width, width);
    std::memcpy(to, &word, width);
    std::memcpy(to + n - width, &last, width);
  };
  if (n >= 16) {
    std::memcpy(to, from, n);
  } else if (n >= 8) {
    pair(std::uint64_t{});
  } else if (n >= 4) {
    pair(std::uint32_t{});
  } else if (n >= 2) {
    pair(std::uint16_t{});
  } else if (n == 1) {
    *to = *from;
  }
}

// Writes into a buffer that holds what CSheetSize counted for the same steps.
class CSheetWriter {
 public:
  explicit CSheetWriter(char* at) : m_at(at) {}
  void Put(std::string_view text) {
    CopyShort(m_at, text.data(), text.size());
    m_at += text.size();
  }
  void Put(char ch) { *m_at++ = ch; }
  void Number(int value) { m_at = WriteDecimal(m_at, value); }

  char* m_at;
};

// The sheet's lines; every line ends with CR LF. Each line is written
// through a local copy of the output: the bytes written cannot change the
// position it holds (they might, for all the compiler knows, when it is a
// member reached through `this`), so the position stays in a register.
template <typename Out>
class CSheetLines {
 public:
  explicit CSheetLines(Out out) : m_out(out) {}

  void Line(std::string_view text) {
    Out out = m_out;
    out.Put(text);
    m_out = End(out);
  }
  void Line(std::string_view key, std::string_view value) {
    Out out = m_out;
    out.Put(key);
    out.Put(' ');
    out.Put(value);
    m_out = End(out);
  }
  void Line(std::string_view key, int value) {
    Out out = m_out;
    out.Put(key);
    out.Put(' ');
    out.Number(value);
    m_out = End(out);
  }

  // The five lines of one item, each key preceded by `place` and, when it is
  // not negative, by `number` (the pocket's), then by a dot.
  void Item(std::string_view place, int number, const CItem& item) {
    Out out = m_out;
    const auto key = [&](std::string_view name) {
      out.Put(place);
      if (number >= 0) out.Number(number);
      out.Put('.');
      out.Put(name);
      out.Put(' ');
    };
    key("NOME");
    out.Put(item.m_strName);
    out = End(out);
    key("TIPO");
    out.Put(item.m_strType);
    out = End(out);
    key("POTENZA");
    out.Number(item.m_nPotenza);
    out = End(out);
    key("BONUS");
    out.Number(item.m_nBonus);
    out = End(out);
    key("MOD");
    out.Number(item.m_nMod);
    m_out = End(out);
  }

  const Out& Output() const { return m_out; }

 private:
  static Out End(Out out) {
    out.Put(std::string_view("\r\n"));
    return out;
  }

  Out m_out;
};

template <typename Out>
Out WriteSheetLines(Out out, const CCharacter& ch, const CRules& rules) {
  CSheetLines<Out> sheet(out);
  sheet.Line("Informazioni Personaggio");
  sheet.Line("- Quistel 1.2.2 pg format -");
  sheet.Line(".");
  sheet.Line("NOME", ch.m_strName);
  sheet.Line(".");
  sheet.Line("ARCHETIPO", ch.m_strArchetype);
  sheet.Line("RAZZA", ch.m_strRace);
  sheet.Line("SESSO", SexName(ch.m_bMale == 1));
  sheet.Line(".");

  sheet.Line("- Caratteristiche -");
  for (int c = 0; c < rules.CharacteristicsInUse(); ++c)
    sheet.Line(rules.m_aCharKey[c], ch.m_aStats[c].m_nValue);
  sheet.Line(".");

  sheet.Line("- Punteggi -");
  sheet.Line("PF.Tot", ch.m_nPFTot);
  sheet.Line("PF.Act", ch.m_nPFAct);
  sheet.Line("PM.Tot", ch.m_nPMTot);
  sheet.Line("PM.Act", ch.m_nPMAct);
  sheet.Line("Onore", ch.m_nHonour);
  sheet.Line("CdB", ch.m_nCdB);
  sheet.Line("Armatura", ch.m_nArmour);
  sheet.Line("Monete", ch.m_nMoney);
  sheet.Line("Dominante", HandSheetWord(ch.m_nHand));
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
    sheet.Line(rules.m_aSkillSheetName[s], ch.m_aSkills[s].m_nValue);
  }
  sheet.Line(".");

  sheet.Line("- Equipaggiamento -");
  sheet.Item("Destra", -1, ch.m_itemRight);
  sheet.Item("Sinistra", -1, ch.m_itemLeft);
  sheet.Item("Addosso", -1, ch.m_itemWorn);
  sheet.Line(".");
  for (int p = 0; p < PocketsInUse(rules); ++p) sheet.Item("Tasca", p, ch.m_aPockets[p]);
  return sheet.Output();
}

}  // namespace

std::string CCharacter::SheetText(const CRules& rules) const {
  const CSheetSize size = WriteSheetLines(CSheetSize(), *this, rules);
  std::string text(size.m_size, '\0');
  const CSheetWriter end = WriteSheetLines(CSheetWriter(text.data()), *this, rules);
  text.resize(static_cast<size_t>(end.m_at - text.data()));
  return text;
}

bool CCharacter::WriteSheet(const char* path, const CRules& rules, std::string* error) const {
  return WriteFileAtomically(path ? path : "", SheetText(rules), error);
}
