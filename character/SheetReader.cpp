#include "character/SheetReader.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <utility>
#include <vector>

#include "base/AtomicFile.h"
#include "base/FileAccess.h"
#include "base/Win1252.h"
#include "character/Generation.h"

namespace {

// ---- Texts for the messages ----------------------------------------------

CSheetError MakeError(CSheetError::Kind kind, std::string_view path, int line, std::string reason) {
  CSheetError error;
  const std::string where = PlaceFileError(error, kind, path, line, std::move(reason));
  std::string& message = error.m_strMessage;
  switch (kind) {
    case CSheetError::Kind::CannotOpen:
      message.append("Impossibile aprire la scheda ").append(where);
      message.append(": ").append(error.m_strReason) += '.';
      break;
    case CSheetError::Kind::ReadFailed:
      message.append("Impossibile leggere la scheda ").append(where);
      message.append(": ").append(error.m_strReason) += '.';
      break;
    case CSheetError::Kind::TooLarge:
      message.append("La scheda ").append(where).append(" è troppo grande: ");
      message.append(error.m_strReason) += '.';
      break;
    case CSheetError::Kind::Malformed:
    case CSheetError::Kind::None:
      message.append("La scheda ").append(where).append(" non è valida: riga ");
      message.append(std::to_string(line)).append(": ").append(error.m_strReason) += '.';
      break;
  }
  return error;
}

// ---- Reading ---------------------------------------------------------------

// A number exactly as the sheet writer writes it: an optional "-", then
// digits without leading zeros ("0" alone for zero, never "-0"), nothing
// else, within the 32-bit range.
bool ParseSheetNumber(std::string_view text, int& value) {
  size_t i = 0;
  const bool negative = !text.empty() && text[0] == '-';
  if (negative) i = 1;
  if (i == text.size()) return false;
  if (text[i] == '0') {
    value = 0;
    return !negative && text.size() == 1;
  }
  std::int64_t magnitude = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    magnitude = magnitude * 10 + (text[i] - '0');
    if (magnitude > std::int64_t{INT32_MAX} + 1) return false;
  }
  const std::int64_t signedValue = negative ? -magnitude : magnitude;
  if (signedValue > INT32_MAX) return false;
  value = static_cast<int>(signedValue);
  return true;
}

// Delivers the lines of the sheet: a line ends at LF, and a CR right before
// the LF belongs to the line end. The last line may lack its line end.
class CLines {
 public:
  explicit CLines(std::string_view text) : m_text(text) {}

  // The next line; false at the end of the text. Counts the line either way,
  // so Line() is where something was wanted.
  bool Next(std::string_view& line) {
    ++m_line;
    if (m_pos >= m_text.size()) return false;
    const char* begin = m_text.data() + m_pos;
    const size_t left = m_text.size() - m_pos;
    const auto* end = static_cast<const char*>(std::memchr(begin, '\n', left));
    if (end == nullptr) {
      m_pos = m_text.size();
      line = {begin, left};
      return true;
    }
    m_pos += static_cast<size_t>(end - begin) + 1;
    if (end != begin && end[-1] == '\r') --end;
    line = {begin, static_cast<size_t>(end - begin)};
    return true;
  }

  int Line() const { return m_line; }

 private:
  std::string_view m_text;
  size_t m_pos = 0;
  int m_line = 0;
};

// The first line that does not fit, and what was expected there.
struct CProblem {
  int line;
  std::string reason;
};

// The numbers of an item in the order of its lines.
struct CItemNumber {
  const char* field;
  int CItem::*member;
};
constexpr CItemNumber kItemNumbers[] = {
    {"POTENZA", &CItem::m_nPotenza}, {"BONUS", &CItem::m_nBonus}, {"MOD", &CItem::m_nMod}};

constexpr const char* kNumber =
    " e un numero intero (da -2147483648 a 2147483647, senza \"+\" né zeri iniziali)";

class CSheetParser {
 public:
  CSheetParser(std::string_view text, const CRules& rules) : m_lines(text), m_rules(rules) {}

  // Fills `sheet` or throws CProblem.
  void Parse(CSheet& sheet) {
    Take();
    // An editor that saved the sheet as UTF-8 may have put a byte order mark
    // in front.
    if (m_line.substr(0, 3) == "\xEF\xBB\xBF") {
      RefuseBecause(
          "il file comincia con il BOM di UTF-8: una scheda va salvata in Windows-1252, senza BOM");
    }
    if (m_atEnd || m_line != SHEET_FIRST_LINE) {
      RefuseBecause("atteso " + QuotedForMessage(SHEET_FIRST_LINE) +
                    " (la prima riga di ogni scheda), " + Found() +
                    ": il file non è una scheda personaggio");
    }
    Literal("- Quistel 1.2.2 pg format -");
    Literal(".");
    sheet.m_strName = Text("NOME", "il nome del personaggio");
    if (sheet.m_strName.find('\0') != std::string::npos)
      RefuseBecause("il nome del personaggio contiene un byte nullo");
    Literal(".");
    Archetypes(sheet);
    Race(sheet);
    Take();
    const std::string male = "SESSO " + std::string(SexName(true));
    const std::string female = "SESSO " + std::string(SexName(false));
    if (m_line == male || m_line == female) {
      sheet.m_bMale = m_line == male;
    } else {
      Refuse("atteso \"" + male + "\" o \"" + female + "\"");
    }
    Literal(".");

    Literal("- Caratteristiche -");
    for (int c = 0; c < m_rules.CharacteristicsInUse(); ++c)
      sheet.m_aStatValues[c] = Number(m_rules.m_aCharKey[c]);
    Literal(".");

    Literal("- Punteggi -");
    sheet.m_nPFTot = Number("PF.Tot");
    sheet.m_nPFAct = Number("PF.Act");
    sheet.m_nPMTot = Number("PM.Tot");
    sheet.m_nPMAct = Number("PM.Act");
    sheet.m_nHonour = Number("Onore");
    sheet.m_nCdB = Number("CdB");
    sheet.m_nArmour = Number("Armatura");
    sheet.m_nMoney = Number("Monete");
    Take();
    const auto line = [](int hand) { return "Dominante " + std::string(HandSheetWord(hand)); };
    sheet.m_nHand = 0;
    for (const int hand : {HAND_RIGHT, HAND_LEFT, HAND_BOTH}) {
      if (m_line == line(hand)) sheet.m_nHand = hand;
    }
    if (sheet.m_nHand == 0) {
      Refuse("atteso \"" + line(HAND_BOTH) + "\", \"" + line(HAND_RIGHT) + "\" o \"" +
             line(HAND_LEFT) + '"');
    }
    Literal(".");

    Take();
    if (m_atEnd || m_line != "- Abilit\xE0 -") {
      // An editor that saved the sheet in UTF-8 changed the "à".
      Refuse(m_line == "- Abilit\xC3\xA0 -" && !m_atEnd
                 ? "atteso \"- Abilità -\" in Windows-1252: la scheda è stata salvata in UTF-8"
                 : "atteso \"- Abilità -\"");
    }
    Skills(sheet);
    Literal(".");

    Literal("- Equipaggiamento -");
    sheet.m_itemRight = Item("Destra.");
    sheet.m_itemLeft = Item("Sinistra.");
    sheet.m_itemWorn = Item("Addosso.");
    Literal(".");
    const int pockets = PocketsInUse(m_rules);
    for (int p = 0; p < pockets; ++p) {
      m_pocketAt = p;
      sheet.m_aPockets[p] = Item("Tasca" + std::to_string(p) + '.');
    }
    Take();
    if (!m_atEnd) {
      Refuse(pockets > 0 ? "attesa la fine del file dopo le " + std::to_string(pockets) +
                               " tasche delle regole"
                         : std::string("attesa la fine del file: le regole non hanno tasche"));
    }
  }

 private:
  void Take() {
    m_atEnd = !m_lines.Next(m_line);
    if (m_atEnd) m_line = {};
  }

  // What was found on the current line, for a message.
  std::string Found() const {
    if (!m_atEnd) return "trovato " + QuotedForMessage(m_line);
    std::string end = "trovata la fine del file";
    if (m_pocketAt >= 0) {
      // The sheet ends where a pocket begins: it has fewer than the rules.
      end.append(": la scheda ha ").append(std::to_string(m_pocketAt));
      end.append(" tasche, le regole ").append(std::to_string(PocketsInUse(m_rules)));
    }
    return end;
  }

  // The current line is not what was `expected`; says what was found instead.
  [[noreturn]] void Refuse(const std::string& expected) const {
    RefuseBecause(expected + ", " + Found());
  }
  [[noreturn]] void RefuseBecause(std::string reason) const {
    throw CProblem{m_lines.Line(), std::move(reason)};
  }

  void Literal(std::string_view text) {
    Take();
    if (m_atEnd || m_line != text) Refuse("atteso " + QuotedForMessage(text));
  }

  // The key of a "key value" line: for an item, the place ("Destra.",
  // "Tasca3.") and the field ("NOME"); otherwise the key alone.
  struct CKey {
    CKey(const char* key) : field(key) {}
    CKey(const std::string& key) : field(key) {}
    CKey(std::string_view place, std::string_view name) : head(place), field(name) {}
    std::string_view head;
    std::string_view field;
  };

  // Whether the current line is `key`, a space and something (maybe nothing);
  // that something goes to `rest`.
  bool After(const CKey& key, std::string_view& rest) const {
    const size_t size = key.head.size() + key.field.size();
    if (m_atEnd || m_line.size() <= size || m_line[size] != ' ' ||
        m_line.substr(0, key.head.size()) != key.head ||
        m_line.substr(key.head.size(), key.field.size()) != key.field) {
      return false;
    }
    rest = m_line.substr(size + 1);
    return true;
  }

  static std::string KeyWithSpace(const CKey& key) {
    std::string text(key.head);
    text.append(key.field) += ' ';
    return QuotedForMessage(text);
  }

  // The value of the next line, "key value".
  std::string_view Text(const CKey& key, const char* what) {
    Take();
    std::string_view rest;
    if (!After(key, rest)) Refuse("atteso " + KeyWithSpace(key) + " e " + what);
    return rest;
  }

  int Number(const CKey& key) {
    Take();
    std::string_view rest;
    int value = 0;
    if (!After(key, rest) || !ParseSheetNumber(rest, value))
      Refuse("atteso " + KeyWithSpace(key) + kNumber);
    return value;
  }

  void Race(CSheet& sheet) {
    const char* what = "il nome di una razza delle regole";
    const std::string_view name = Text("RAZZA", what);
    for (int r = 0; r < m_rules.RacesInUse(); ++r) {
      if (m_rules.m_aRaces[r].m_strName == name) {
        sheet.m_nRace = r;
        return;
      }
    }
    Refuse(std::string("atteso \"RAZZA \" e ") + what);
  }

  void Archetypes(CSheet& sheet) {
    const char* what = "da uno a tre archetipi delle regole separati da \"/\"";
    const std::string_view names = Text("ARCHETIPO", what);
    int count = 0;
    if (!SplitArchetypes(names, 3, sheet.m_aArchetypes, count))
      Refuse(std::string("atteso \"ARCHETIPO \" e ") + what);
    // The lists not in use show the archetype of the list before them.
    for (int k = count; k < 3; ++k) sheet.m_aArchetypes[k] = sheet.m_aArchetypes[k - 1];
    sheet.m_nArchetypes = count;
  }

  // Splits `text` into at most `slots` archetype names of the rules joined by
  // "/", writing their indexes (the first archetype of each name, in rules
  // order) to `out`. A name may hold "/" itself: of the splits that fit, the
  // one whose first name is longest wins, and the rest is split by the same
  // rule, recursively.
  bool SplitArchetypes(std::string_view text, int slots, int* out, int& count) const {
    int candidates[MAX_ARCHETYPES];
    int found = 0;
    for (int a = 0; a < m_rules.ArchetypesInUse(); ++a) {
      const std::string& name = m_rules.m_aArchetypes[a].m_strName;
      if (text.size() < name.size() || text.substr(0, name.size()) != name) continue;
      if (text.size() > name.size() && text[name.size()] != '/') continue;
      // Two names of the same length that both begin `text` are the same name:
      // the first archetype with it is kept.
      const bool seen = std::any_of(candidates, candidates + found, [&](int b) {
        return m_rules.m_aArchetypes[b].m_strName.size() == name.size();
      });
      if (!seen) candidates[found++] = a;
    }
    std::sort(candidates, candidates + found, [&](int a, int b) {
      return m_rules.m_aArchetypes[a].m_strName.size() > m_rules.m_aArchetypes[b].m_strName.size();
    });
    for (int i = 0; i < found; ++i) {
      const size_t length = m_rules.m_aArchetypes[candidates[i]].m_strName.size();
      out[0] = candidates[i];
      if (length == text.size()) {
        count = 1;
        return true;
      }
      int rest = 0;
      if (slots > 1 && SplitArchetypes(text.substr(length + 1), slots - 1, out + 1, rest)) {
        count = rest + 1;
        return true;
      }
    }
    return false;
  }

  void Skills(CSheet& sheet) {
    const int skills = m_rules.SkillsInUse();
    int base = skills > 0 ? m_rules.m_aSkillBase[0] : 0;
    for (int s = 0; s < skills; ++s) {
      if (m_rules.m_aSkillBase[s] != base) {
        base = m_rules.m_aSkillBase[s];
        Take();
        if (m_atEnd || m_line != ".") {
          Refuse("atteso \".\" prima di " + KeyWithSpace(m_rules.m_aSkillSheetName[s]) +
                 ", dove le abilità cambiano caratteristica di base");
        }
      }
      sheet.m_aSkillValues[s] = Number(m_rules.m_aSkillSheetName[s]);
    }
  }

  // One item by its five lines, each key preceded by `head`: the first
  // catalogue entry with the written name, type and numbers, or the default
  // item when the sheet has it and no entry does. A line is refused where no
  // entry with the fields read so far has its field.
  CItem Item(std::string_view head) {
    constexpr int kDefault = -1;  // the default item, after the catalogue
    int candidates[MAX_ITEMS + 1];
    int count = 0;
    for (int i = 0; i < m_rules.ItemsInUse(); ++i) candidates[count++] = i;
    candidates[count++] = kDefault;
    const auto entry = [&](int i) -> const CItem& {
      return i == kDefault ? m_defaultItem : m_rules.m_aItems[i];
    };
    const auto keep = [&](auto matches) {
      const auto kept =
          std::remove_if(candidates, candidates + count, [&](int i) { return !matches(entry(i)); });
      count = static_cast<int>(kept - candidates);
      return count > 0;
    };

    const char* what = "il nome di un oggetto delle regole";
    const std::string_view name = Text({head, "NOME"}, what);
    m_pocketAt = -1;
    if (!keep([&](const CItem& item) { return item.m_strName == name; }))
      Refuse("atteso " + KeyWithSpace({head, "NOME"}) + " e " + what);
    // What the first `numbers` numbers and the fields before them say of the
    // item, for a message; `like` is an entry that has them.
    const auto known = [&](int numbers, const CItem& like) {
      std::string text = "oggetto delle regole chiamato " + QuotedForMessage(name);
      if (numbers < 0) return text;
      text.append(" di tipo ").append(QuotedForMessage(like.m_strType));
      for (int n = 0; n < numbers; ++n) {
        text.append(n == 0 ? " con " : " e ").append(kItemNumbers[n].field);
        text.append(" ").append(std::to_string(like.*kItemNumbers[n].member));
      }
      return text;
    };

    const std::string_view type = Text({head, "TIPO"}, "il tipo dell'oggetto");
    if (!keep([&](const CItem& item) { return item.m_strType == type; }))
      Refuse("atteso " + KeyWithSpace({head, "TIPO"}) + " e il tipo di un " + known(-1, {}));

    for (int n = 0; n < 3; ++n) {
      const int value = Number({head, kItemNumbers[n].field});
      int CItem::*const member = kItemNumbers[n].member;
      const int before = candidates[0];
      if (!keep([&](const CItem& item) { return item.*member == value; })) {
        RefuseBecause("nessun " + known(n, entry(before)) + " ha " + kItemNumbers[n].field + " " +
                      std::to_string(value));
      }
    }
    return entry(candidates[0]);
  }

  CLines m_lines;
  const CRules& m_rules;
  std::string_view m_line;
  bool m_atEnd = false;
  int m_pocketAt = -1;  // the pocket whose first line is wanted, -1 elsewhere
  const CItem m_defaultItem;
};

std::string SheetTooLargeReason(size_t limit) {
  return "una scheda di queste regole non supera " + std::to_string(limit) + " byte";
}

bool Fail(CSheetError* error, CSheetError made) {
  if (error) *error = std::move(made);
  return false;
}

}  // namespace

std::size_t SheetSizeLimit(const CRules& rules) {
  const auto longest = [](size_t now, const std::string& text) {
    return std::max(now, text.size());
  };
  size_t race = 0;
  for (int r = 0; r < rules.RacesInUse(); ++r) race = longest(race, rules.m_aRaces[r].m_strName);
  size_t archetype = 0;
  for (int a = 0; a < rules.ArchetypesInUse(); ++a)
    archetype = longest(archetype, rules.m_aArchetypes[a].m_strName);
  size_t itemName = 0;
  size_t itemType = 0;
  for (int i = 0; i < rules.ItemsInUse(); ++i) {
    itemName = longest(itemName, rules.m_aItems[i].m_strName);
    itemType = longest(itemType, rules.m_aItems[i].m_strType);
  }
  size_t keys = 0;
  for (int c = 0; c < rules.CharacteristicsInUse(); ++c) keys += rules.m_aCharKey[c].size();
  for (int s = 0; s < rules.SkillsInUse(); ++s) keys += rules.m_aSkillSheetName[s].size();
  // The fixed text, every number at its longest and the default items take
  // well under 16 KiB.
  constexpr size_t kFixed = 16 * 1024;
  return kFixed + SHEET_NAME_ROOM + race + 3 * archetype + keys +
         (3 + MAX_POCKETS) * (itemName + itemType);
}

bool ReadSheetText(std::string_view bytes, std::string_view name, const CRules& rules,
                   CSheet& sheet, CSheetError* error) {
  const size_t limit = SheetSizeLimit(rules);
  if (bytes.size() > limit)
    return Fail(error, MakeError(CSheetError::Kind::TooLarge, name, 0, SheetTooLargeReason(limit)));
  CSheet read;
  try {
    CSheetParser(bytes, rules).Parse(read);
  } catch (const CProblem& problem) {
    return Fail(error, MakeError(CSheetError::Kind::Malformed, name, problem.line, problem.reason));
  }
  sheet = std::move(read);
  if (error) *error = CSheetError();
  return true;
}

bool ReadSheet(const char* path, const CRules& rules, CSheet& sheet, CSheetError* error) {
  const std::string name = path ? path : "";
  std::string reason;
  std::FILE* file = OpenPlainFile(name, reason);
  if (file == nullptr)
    return Fail(error, MakeError(CSheetError::Kind::CannotOpen, name, 0, std::move(reason)));
  // Never more than one byte beyond the limit is read, however large the file.
  const size_t limit = SheetSizeLimit(rules);
  std::string bytes;
  bytes.resize(std::min<size_t>(limit + 1, 64 * 1024));
  size_t size = 0;
  errno = 0;
  for (;;) {
    size += std::fread(bytes.data() + size, 1, bytes.size() - size, file);
    if (size < bytes.size() || bytes.size() > limit) break;
    bytes.resize(std::min(bytes.size() * 2, limit + 1));
  }
  const bool failed = std::ferror(file) != 0;
  const int readErrno = errno;
  std::fclose(file);
  if (failed) {
    return Fail(error, MakeError(CSheetError::Kind::ReadFailed, name, 0,
                                 DescribeErrno(readErrno ? readErrno : EIO)));
  }
  bytes.resize(size);
  return ReadSheetText(bytes, name, rules, sheet, error);
}

void ApplySheet(const CSheet& sheet, const CRules& rules, CCharacter& character) {
  character.m_strName = sheet.m_strName;
  const bool raceInUse = sheet.m_nRace >= 0 && sheet.m_nRace < rules.RacesInUse();
  character.m_strRace = raceInUse ? rules.m_aRaces[sheet.m_nRace].m_strName : std::string();
  std::vector<std::string> names;
  for (int k = 0; k < std::clamp(sheet.m_nArchetypes, 0, 3); ++k) {
    const int a = sheet.m_aArchetypes[k];
    if (a >= 0 && a < rules.ArchetypesInUse()) names.push_back(rules.m_aArchetypes[a].m_strName);
  }
  character.m_strArchetype = JoinArchetypes(names);
  character.m_bMale = sheet.m_bMale ? 1 : 0;
  character.m_nHand = sheet.m_nHand;

  for (int c = 0; c < MAX_CHARACTERISTICS; ++c)
    character.m_aStats[c].m_nValue = sheet.m_aStatValues[c];
  for (int s = 0; s < MAX_SKILLS; ++s) character.m_aSkills[s].m_nValue = sheet.m_aSkillValues[s];
  character.m_itemRight.CopyFrom(sheet.m_itemRight);
  character.m_itemLeft.CopyFrom(sheet.m_itemLeft);
  character.m_itemWorn.CopyFrom(sheet.m_itemWorn);
  for (int p = 0; p < MAX_POCKETS; ++p) character.m_aPockets[p].CopyFrom(sheet.m_aPockets[p]);

  // The modifiers follow from the items; the scores are the sheet's, the
  // armour too, whatever the effects made of it.
  ApplyEquipmentEffects(character, rules);
  character.m_nPFTot = sheet.m_nPFTot;
  character.m_nPFAct = sheet.m_nPFAct;
  character.m_nPMTot = sheet.m_nPMTot;
  character.m_nPMAct = sheet.m_nPMAct;
  character.m_nHonour = sheet.m_nHonour;
  character.m_nCdB = sheet.m_nCdB;
  character.m_nArmour = sheet.m_nArmour;
  character.m_nMoney = sheet.m_nMoney;
}

bool IsSheetText(std::string_view bytes) {
  if (bytes.substr(0, SHEET_FIRST_LINE.size()) != SHEET_FIRST_LINE) return false;
  const std::string_view end = bytes.substr(SHEET_FIRST_LINE.size());
  return end.empty() || end[0] == '\n' || end.substr(0, 2) == "\r\n";
}

bool IsSheetFile(const char* path) {
  std::string reason;
  std::FILE* file = path ? OpenPlainFile(path, reason) : nullptr;
  if (file == nullptr) return false;
  char head[SHEET_FIRST_LINE.size() + 2];
  const size_t size = std::fread(head, 1, sizeof head, file);
  const bool failed = std::ferror(file) != 0;
  std::fclose(file);
  return !failed && IsSheetText(std::string_view(head, size));
}
