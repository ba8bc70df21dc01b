#include "rules/RulesCheck.h"

#include <algorithm>
#include <cstdint>
#include <memory>

#include "base/Win1252.h"
#include "rules/Rules.h"
#include "rules/RulesReading.h"

using rules_reading::Field;
using rules_reading::LineReader;
using rules_reading::Place;
using rules_reading::Section;

namespace {

// ---------------------------------------------------------------------------
// Texts of the file as a message shows them.

// The pieces one after another. (Appended: at -O3, GCC 12 gives a false
// -Wrestrict warning on const char* + std::string&&.)
template <class... Pieces>
std::string Cat(const Pieces&... pieces) {
  std::string text;
  (text.append(pieces), ...);
  return text;
}

bool IsBlank(unsigned char byte) { return byte == ' ' || (byte >= '\t' && byte <= '\r'); }

// A key or a type: bare, as an author types it, unless blanks at its ends
// (or nothing at all) need the quotes to show.
std::string ShownWord(std::string_view bytes) {
  if (bytes.empty() || IsBlank(bytes.front()) || IsBlank(bytes.back()))
    return QuotedForMessage(bytes);
  return Win1252ForMessage(bytes);
}

// ---------------------------------------------------------------------------
// Names as a player tells them apart: without regard to case (Windows-1252
// letters included) or to blanks at either end.

std::string_view Trimmed(std::string_view text) {
  auto blank = [](char ch) {
    return IsBlank(static_cast<unsigned char>(ch)) || static_cast<unsigned char>(ch) == 0xA0;
  };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

bool SameName(std::string_view a, std::string_view b) {
  a = Trimmed(a);
  b = Trimmed(b);
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (FoldWin1252Case(static_cast<unsigned char>(a[i])) !=
        FoldWin1252Case(static_cast<unsigned char>(b[i])))
      return false;
  }
  return true;
}

// A cheap mark of a name as SameName compares it: its length and a few of
// its letters. Equal names have equal marks; names with equal marks are
// compared in full.
std::uint64_t NameSignature(std::string_view name) {
  name = Trimmed(name);
  if (name.empty()) return 0;
  auto at = [&](size_t i) -> std::uint64_t {
    return FoldWin1252Case(static_cast<unsigned char>(name[i]));
  };
  const size_t n = name.size();
  return (std::uint64_t{n} << 40) ^ (at(0) << 32) ^ (at(n / 2) << 24) ^ (at(n - 1) << 16) ^
         (at(n > 1 ? n - 2 : 0) << 8) ^ at(n > 2 ? n - 3 : 0);
}

// ---------------------------------------------------------------------------
// Types one or two slips away from one TARVO knows.

char FoldAscii(char ch) { return ch >= 'A' && ch <= 'Z' ? static_cast<char>(ch - 'A' + 'a') : ch; }

// The optimal string alignment distance of `a` and `b` (insertions,
// deletions, changes and swaps of two neighbours, each counting one; case
// aside) when it is at most 2, otherwise 3. Only cells within two of the
// diagonal are computed, so long texts cost little.
int NearDistance(std::string_view a, std::string_view b) {
  constexpr int kFar = 3;
  const long n = static_cast<long>(a.size());
  const long m = static_cast<long>(b.size());
  if (n - m > 2 || m - n > 2) return kFar;
  // Row i keeps d(i, j) for j = i-2 .. i+2 at j - i + 2; three rows in turn.
  int rows[3][5];
  auto at = [&](long i, long j) {
    if (i < 0 || j < 0 || j > m || j - i < -2 || j - i > 2) return kFar;
    return rows[i % 3][j - i + 2];
  };
  for (long i = 0; i <= n; ++i) {
    int best = kFar;
    for (long j = i - 2; j <= i + 2; ++j) {
      int d = kFar;
      if (j < 0 || j > m) {
      } else if (i == 0) {
        d = static_cast<int>(j);
      } else if (j == 0) {
        d = static_cast<int>(i);
      } else {
        const char x = FoldAscii(a[i - 1]);
        const char y = FoldAscii(b[j - 1]);
        d = std::min({at(i - 1, j) + 1, at(i, j - 1) + 1, at(i - 1, j - 1) + (x == y ? 0 : 1)});
        if (i > 1 && j > 1 && x == FoldAscii(b[j - 2]) && FoldAscii(a[i - 2]) == y)
          d = std::min(d, at(i - 2, j - 2) + 1);
      }
      rows[i % 3][j - i + 2] = std::min(d, kFar);
      best = std::min(best, d);
    }
    if (best >= kFar) return kFar;
  }
  return at(n, m);
}

// ---------------------------------------------------------------------------
// The words of the sections, their records and their fields.

struct SectionWords {
  const char* plural;  // the section
  const char* record;  // one record
  const char* of;      // "of" that record
};
constexpr SectionWords kWords[] = {
    {"caratteristiche", "caratteristica", "della caratteristica"},
    {"abilità", "abilità", "dell'abilità"},
    {"razze", "razza", "della razza"},
    {"archetipi", "archetipo", "dell'archetipo"},
    {"oggetti", "oggetto", "dell'oggetto"},
};

const SectionWords& WordsOf(Section section) { return kWords[static_cast<int>(section)]; }

// The watch of the check: it notes the findings of every line the walk
// reads. It keeps the texts it needs as views of the file's own bytes, so the
// walk stores none; what every line costs stays small and inline, and the
// rest (a record's name, a key, an item's type, a finding) is out of line.
class CChecker {
 public:
  static constexpr bool kKeepsTexts = false;

  CChecker(const CRules& rules, size_t most) : m_rules(rules), m_most(most) {}

  std::vector<CRulesFinding> m_findings;

  // -- the walk's watch --

  bool Reading() const { return !m_ended && !Full(); }

  [[gnu::always_inline]] void Text(const Place& place, std::string_view text,
                                   const LineReader& reader) {
    if (reader.PastEnd()) [[unlikely]]
      return Ended(place, reader);
    if (place.field != Field::CharExtra && place.field != Field::SkillSheetName)
      Record(place, text, reader.Line());
  }

  [[gnu::always_inline]] void Number(const Place& place, int value, const LineReader& reader) {
    if (reader.PastEnd()) [[unlikely]]
      return Ended(place, reader);
    if (!reader.LastWasPlain()) [[unlikely]]
      CheckNumberText(place, reader.NumberText(), value, reader.Line());
    switch (place.field) {
      case Field::Count:
        if (value > FORM_CHARACTERISTICS) [[unlikely]]
          CheckCount(place, value, reader.Line());
        break;
      case Field::SkillBase:
        if (value < 0 || value >= m_rules.m_nCharacteristics) [[unlikely]]
          BaseOutside(place, value, reader.Line());
        break;
      case Field::DiceCount:
      case Field::DiceSides:
        if (value < 0) [[unlikely]]
          NegativeDice(place, value, reader.Line());
        break;
      case Field::Price:
        if (place.record == 0 && value != 0) [[unlikely]]
          EmptyItemPrice(place, value, reader.Line());
        break;
      default:
        break;
    }
  }

  bool Refused(const Place&, int line, const std::string& reason) {
    if (Full()) return false;
    m_findings.push_back({CRulesFinding::Kind::Error, line, reason});
    // Every problem at once: read on as if the file were right, up to the
    // findings asked for.
    return !Full();
  }

  // As many findings as were asked for: the check reads no further.
  bool Full() const { return m_findings.size() >= m_most; }

  // -- after the walk --

  // Lines after the last item that are not blank.
  void CheckTail(const LineReader& reader) {
    if (m_ended || Full()) return;
    const std::string_view rest = reader.Rest();
    if (std::all_of(rest.begin(), rest.end(),
                    [](char ch) { return IsBlank(static_cast<unsigned char>(ch)); }))
      return;
    const long lines = std::count(rest.begin(), rest.end(), '\n') + (rest.back() != '\n' ? 1 : 0);
    Warn(reader.Line() + 1, Cat("oggetti, dopo l'ultimo oggetto: da qui ",
                                lines == 1 ? std::string("c'è un'altra riga")
                                           : Cat("ci sono altre ", std::to_string(lines), " righe"),
                                ", che TARVO non legge (il numero di oggetti è ",
                                std::to_string(m_rules.m_nItems), ")"));
  }

 private:
  // The form's rows; the rules may hold more.
  static constexpr int FORM_CHARACTERISTICS = 4;
  static constexpr int FORM_SKILLS = 15;

  void Warn(int line, std::string message) {
    if (Full()) return;
    m_findings.push_back({CRulesFinding::Kind::Warning, line, std::move(message)});
  }

  // The count of `section` as read.
  int CountOf(Section section) const {
    switch (section) {
      case Section::Characteristics:
        return m_rules.m_nCharacteristics;
      case Section::Skills:
        return m_rules.m_nSkills;
      case Section::Races:
        return m_rules.m_nRaces;
      case Section::Archetypes:
        return m_rules.m_nArchetypes;
      case Section::Items:
        return m_rules.m_nItems;
    }
    return 0;
  }

  // The first of `count` keys equal to `key` without regard to case, as
  // CRules finds them; -1 when none is.
  static int FindKey(const std::string_view* keys, int count, std::string_view key) {
    for (int i = 0; i < count; ++i) {
      if (EqualAsciiFolded(keys[i], key)) return i;
    }
    return -1;
  }

  // "di Forza", or "della caratteristica 3" for one without a label.
  std::string DiceOwner(const Place& place) const {
    if (place.dice < 0) return "delle monete";
    const bool races = place.section == Section::Races;
    const int capacity = races ? MAX_CHARACTERISTICS : MAX_SKILLS;
    const std::string_view label = place.dice < capacity
                                       ? (races ? m_charLabel : m_skillLabel)[place.dice]
                                       : std::string_view();
    if (!label.empty()) return Cat("di ", Win1252ForMessage(label));
    return Cat(races ? "della caratteristica " : "dell'abilità ", std::to_string(place.dice + 1));
  }

  std::string FieldName(const Place& place) const {
    switch (place.field) {
      case Field::Count:
        return "numero";
      case Field::CharLabel:
      case Field::SkillLabel:
        return "etichetta";
      case Field::CharKey:
      case Field::SkillKey:
        return "chiave";
      case Field::CharExtra:
        return "terzo nome";
      case Field::SkillSheetName:
        return "nome nella scheda";
      case Field::SkillBase:
        return "base";
      case Field::RaceName:
      case Field::ArchetypeName:
      case Field::ItemName:
        return "nome";
      case Field::Honour:
        return "onore";
      case Field::DiceCount:
        return Cat("numero di dadi ", DiceOwner(place));
      case Field::DiceSides:
        return Cat("facce dei dadi ", DiceOwner(place));
      case Field::DiceBonus:
        return Cat("bonus ", DiceOwner(place));
      case Field::ItemType:
        return "tipo";
      case Field::Potenza:
        return "POTENZA";
      case Field::Bonus:
        return "BONUS";
      case Field::Mod:
        return "MOD";
      case Field::Price:
        return "prezzo";
    }
    return {};
  }

  // "razze, razza 2 "Elfo", numero di dadi di Forza"; with `ofCount`,
  // "razza 2 di 5".
  std::string Where(const Place& place, bool ofCount = false) const {
    const SectionWords& words = WordsOf(place.section);
    std::string where = words.plural;
    if (place.record >= 0) {
      where.append(", ").append(words.record).append(" ").append(std::to_string(place.record + 1));
      if (ofCount) where.append(" di ").append(std::to_string(CountOf(place.section)));
      if (!m_name.empty()) where.append(" ").append(QuotedForMessage(m_name));
    }
    return where.append(", ").append(FieldName(place));
  }

  // The first line wanted beyond the file's end says so, once; the lines
  // after it are all empty and tell nothing more.
  [[gnu::noinline]] void Ended(const Place& place, const LineReader& reader) {
    if (m_ended) return;
    m_ended = true;
    const int line = reader.Line();
    if (reader.FailedLine() == line) {
      m_findings.push_back({CRulesFinding::Kind::Error, line, "errore di lettura"});
      return;
    }
    // A record's name (or label) is its first line: not read, none to show.
    switch (place.field) {
      case Field::CharLabel:
      case Field::SkillLabel:
      case Field::RaceName:
      case Field::ArchetypeName:
      case Field::ItemName:
        m_name = {};
        break;
      default:
        break;
    }
    if (line == 1) {
      Warn(line, Cat(Where(place), ": il file è vuoto"));
    } else if (place.record < 0) {
      Warn(line, Cat(Where(place),
                     ": il file finisce prima di questa riga: le sezioni che mancano restano "
                     "vuote"));
    } else {
      Warn(line, Cat(Where(place, true),
                     ": il file finisce prima di questa riga: i nomi che mancano si leggono "
                     "vuoti e i numeri 0"));
    }
  }

  // The text lines that matter: names, labels, keys and types.
  [[gnu::noinline]] void Record(const Place& place, std::string_view text, int line) {
    const int record = place.record;
    switch (place.field) {
      case Field::CharLabel:
        m_name = text;
        if (record < MAX_CHARACTERISTICS) m_charLabel[record] = text;
        break;
      case Field::SkillLabel:
        m_name = text;
        if (record < MAX_SKILLS) m_skillLabel[record] = text;
        break;
      case Field::CharKey:
      case Field::SkillKey:
        CheckDuplicateKey(place, text, line);
        break;
      case Field::RaceName:
      case Field::ArchetypeName:
      case Field::ItemName:
        m_name = text;
        CheckDuplicateName(place, text, line);
        break;
      case Field::ItemType:
        CheckType(place, text, line);
        break;
      default:
        break;
    }
  }

  [[gnu::noinline]] void CheckNumberText(const Place& place, std::string_view text, int value,
                                         int line) {
    size_t i = 0;
    while (i < text.size() && IsBlank(static_cast<unsigned char>(text[i]))) ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    const size_t digits = i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
    std::string message;
    if (i == digits) {
      message = text.empty() ? std::string("la riga è vuota e si legge 0")
                             : Cat(QuotedForMessage(text), " non è un numero e si legge 0");
    } else {
      while (i < text.size() && IsBlank(static_cast<unsigned char>(text[i]))) ++i;
      if (i == text.size()) return;  // blanks around a number change nothing
      message = Cat(QuotedForMessage(text), " si legge ", std::to_string(value),
                    " (il testo dopo le cifre non conta)");
    }
    if (line == 1 && text.substr(0, 3) == "\xEF\xBB\xBF")
      message += "; il file comincia con il BOM di UTF-8: va salvato in Windows-1252, senza BOM";
    Warn(line, Cat(Where(place), ": ", message));
  }

  // More characteristics or skills than the form has rows for.
  [[gnu::noinline]] void CheckCount(const Place& place, int value, int line) {
    if (place.section == Section::Characteristics && value <= MAX_CHARACTERISTICS) {
      Warn(line,
           Cat(Where(place), ": ", std::to_string(value), ", ma il modulo mostra solo le prime ",
               std::to_string(FORM_CHARACTERISTICS), " caratteristiche"));
    } else if (place.section == Section::Skills && value > FORM_SKILLS && value <= MAX_SKILLS) {
      Warn(line,
           Cat(Where(place), ": ", std::to_string(value), ", ma il modulo mostra solo le prime ",
               std::to_string(FORM_SKILLS), " abilità"));
    }
  }

  [[gnu::noinline]] void BaseOutside(const Place& place, int base, int line) {
    const int characteristics = m_rules.m_nCharacteristics;
    if (characteristics <= 0) {
      Warn(line, Cat(Where(place), ": ", std::to_string(base),
                     ", ma non c'è nessuna caratteristica su cui l'abilità possa basarsi"));
    } else {
      Warn(line, Cat(Where(place), ": ", std::to_string(base),
                     " non è una caratteristica (contando da 0 vanno da 0 a ",
                     std::to_string(characteristics - 1),
                     "): all'abilità non si somma nessuna caratteristica"));
    }
  }

  [[gnu::noinline]] void NegativeDice(const Place& place, int value, int line) {
    // A die of F sides below 0 gives 1 down to 2 + F.
    Warn(line, Cat(Where(place), ": ", std::to_string(value),
                   place.field == Field::DiceCount
                       ? " è negativo: non si tira nessun dado e resta solo il bonus"
                   : value == -1 ? " è negativo: ogni dado dà sempre 1"
                                 : Cat(" è negativo: ogni dado dà un numero da ",
                                       std::to_string(2 + static_cast<long long>(value)), " a 1")));
  }

  [[gnu::noinline]] void EmptyItemPrice(const Place& place, int value, int line) {
    Warn(line, Cat(Where(place), ": il primo oggetto è l'oggetto vuoto e dovrebbe costare 0, non ",
                   std::to_string(value)));
  }

  // Races, archetypes and items with the same name; only those the rules
  // hold, the others are refused anyway.
  void CheckDuplicateName(const Place& place, std::string_view name, int line) {
    const int section = static_cast<int>(place.section) - static_cast<int>(Section::Races);
    const int capacity = rules_reading::kSectionLimits[static_cast<int>(place.section)].capacity;
    if (place.record >= capacity) return;
    const std::uint64_t signature = NameSignature(name);
    m_names[section][place.record] = name;
    m_nameSignature[section][place.record] = signature;
    m_nameLine[section][place.record] = line;
    for (int j = 0; j < place.record; ++j) {
      if (m_nameSignature[section][j] != signature) continue;
      const std::string_view earlier = m_names[section][j];
      if (!SameName(earlier, name)) continue;
      std::string message = Cat(Where(place), ": è già il nome ", WordsOf(place.section).of, " ",
                                std::to_string(j + 1));
      if (earlier != name) message.append(" (").append(QuotedForMessage(earlier)).append(")");
      Warn(line, message.append(", alla riga ").append(std::to_string(m_nameLine[section][j])));
      return;
    }
  }

  // Two keys that an item type finds as one: the later never gets the effect.
  void CheckDuplicateKey(const Place& place, std::string_view key, int line) {
    const bool skill = place.section == Section::Skills;
    if (place.record >= (skill ? MAX_SKILLS : MAX_CHARACTERISTICS)) return;
    (skill ? m_skillKey : m_charKey)[place.record] = key;
    (skill ? m_skillKeyLine : m_charKeyLine)[place.record] = line;
    auto report = [&](Section section, int j, std::string_view label, int at, const char* who) {
      std::string message = Cat(Where(place), ": ", ShownWord(key), " è già la chiave ",
                                WordsOf(section).of, " ", std::to_string(j + 1));
      if (!label.empty()) message.append(" ").append(QuotedForMessage(label));
      Warn(line, message.append(", alla riga ")
                     .append(std::to_string(at))
                     .append(": gli oggetti di questo tipo agiscono solo ")
                     .append(who));
    };
    int j = FindKey(skill ? m_skillKey : m_charKey, place.record, key);
    if (j >= 0) {
      report(place.section, j, (skill ? m_skillLabel : m_charLabel)[j],
             (skill ? m_skillKeyLine : m_charKeyLine)[j], "su quella");
    } else if (skill && (j = FindKey(m_charKey, m_rules.CharacteristicsInUse(), key)) >= 0) {
      report(Section::Characteristics, j, m_charLabel[j], m_charKeyLine[j], "su questa abilità");
    }
  }

  void CheckType(const Place& place, std::string_view type, int line) {
    if (place.record == 0 && !EqualAsciiFolded(type, DEFAULT_ITEM_TYPE)) {
      Warn(line, Cat(Where(place),
                     ": il primo oggetto è l'oggetto vuoto, con cui cominciano mani, corpo e "
                     "tasche, e il suo tipo dovrebbe essere empty, non ",
                     ShownWord(type)));
    }
    if (EqualAsciiFolded(type, "armor") || EqualAsciiFolded(type, DEFAULT_ITEM_TYPE)) return;
    const int skills = m_rules.SkillsInUse();
    const int characteristics = m_rules.CharacteristicsInUse();
    if (EqualAsciiFolded(type, "shield")) {
      if (FindKey(m_skillKey, skills, "shield") < 0) {
        Warn(line, Cat(Where(place), ": ", ShownWord(type),
                       ", ma nessuna abilità ha la chiave shield: il MOD dello scudo non si "
                       "aggiunge a nessuna abilità"));
      }
      return;
    }
    if (type.empty() || FindKey(m_skillKey, skills, type) >= 0 ||
        FindKey(m_charKey, characteristics, type) >= 0)
      return;

    // The nearest known type, the fixed ones first, then the keys in order.
    int best = 3;
    std::string suggestion;
    auto consider = [&](std::string_view known, const char* of, int index, std::string_view label) {
      if (known.empty()) return;
      const int distance = NearDistance(type, known);
      if (distance >= best) return;
      best = distance;
      suggestion = ShownWord(known);
      if (of != nullptr) {
        suggestion.append(", la chiave ").append(of).append(" ").append(std::to_string(index + 1));
        if (!label.empty()) suggestion.append(" ").append(QuotedForMessage(label));
      }
    };
    for (const char* fixed : {"armor", "shield", DEFAULT_ITEM_TYPE})
      consider(fixed, nullptr, 0, {});
    for (int s = 0; s < skills; ++s)
      consider(m_skillKey[s], WordsOf(Section::Skills).of, s, m_skillLabel[s]);
    for (int c = 0; c < characteristics; ++c)
      consider(m_charKey[c], WordsOf(Section::Characteristics).of, c, m_charLabel[c]);
    if (suggestion.empty()) return;
    Warn(line, Cat(Where(place), ": ", ShownWord(type), ": forse ", suggestion,
                   "? Un tipo che TARVO non conosce non ha effetto"));
  }

  const CRules& m_rules;    // the numbers as read; the walk stores no texts
  const size_t m_most;      // the findings asked for at most
  bool m_ended = false;     // a line beyond the end has been wanted
  std::string_view m_name;  // the name (label) of the record being read
  std::string_view m_charLabel[MAX_CHARACTERISTICS];
  std::string_view m_charKey[MAX_CHARACTERISTICS];
  std::string_view m_skillLabel[MAX_SKILLS];
  std::string_view m_skillKey[MAX_SKILLS];
  int m_charKeyLine[MAX_CHARACTERISTICS] = {};
  int m_skillKeyLine[MAX_SKILLS] = {};
  // Races, archetypes and items: names, their signatures and lines.
  std::string_view m_names[3][MAX_ITEMS];
  std::uint64_t m_nameSignature[3][MAX_ITEMS] = {};
  int m_nameLine[3][MAX_ITEMS] = {};
};

static_assert(MAX_ITEMS >= MAX_RACES && MAX_ITEMS >= MAX_ARCHETYPES);

std::vector<CRulesFinding> Check(std::string_view text, bool complete, size_t most) {
  const auto rules = std::make_unique<CRules>(nullptr);
  LineReader reader(complete ? text : rules_reading::WholeLines(text), complete);
  CChecker checker(*rules, most);
  rules_reading::Walk<CChecker>(*rules, reader, checker).Run();
  checker.CheckTail(reader);
  return std::move(checker.m_findings);
}

// `path` as a shell takes it: bare when nothing in it is special, and never
// taken for an option. A name with bytes that are no UTF-8, or with control
// characters, is written with their escapes inside $'...', as bash and other
// shells read them.
std::string ShellWord(std::string_view path) {
  if (!path.empty() && path.front() == '-') return ShellWord(Cat("./", path));
  if (PathForMessage(path) != path) {
    std::string quoted;
    for (const char ch : path) {
      if (ch == '\\' || ch == '\'') quoted += '\\';
      quoted += ch;
    }
    return Cat("$'", PathForMessage(quoted), "'");
  }
  const bool plain = !path.empty() && std::all_of(path.begin(), path.end(), [](char ch) {
    const auto byte = static_cast<unsigned char>(ch);
    return byte >= 0x80 || (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') ||
           (byte >= '0' && byte <= '9') ||
           std::string_view("_./+-:@%,=").find(ch) != std::string_view::npos;
  });
  if (plain) return std::string(path);
  std::string word = "'";
  for (const char ch : path) {
    if (ch == '\'') {
      word += "'\\''";
    } else {
      word += ch;
    }
  }
  return word += '\'';
}

}  // namespace

namespace {

// The one finding of a file larger than any rules: it is not read.
std::vector<CRulesFinding> TooLarge(std::uint64_t size) {
  return {{CRulesFinding::Kind::Error, 0,
           Cat("il file è troppo grande: ", rules_reading::TooLargeReason(size))}};
}

}  // namespace

std::vector<CRulesFinding> CheckRules(std::string_view text, size_t most) {
  if (text.size() > RULES_SIZE_LIMIT) return TooLarge(text.size());
  return Check(text, true, most);
}

std::vector<CRulesFinding> CheckRulesFile(const char* path, size_t most) {
  rules_reading::FileBytes bytes;
  std::string reason;
  if (!rules_reading::ReadRulesFile(path ? path : "", bytes, reason))
    return {
        {CRulesFinding::Kind::Error, 0, Cat("impossibile aprire il file delle regole: ", reason)}};
  if (bytes.tooLarge != 0) return TooLarge(bytes.tooLarge);
  return Check(bytes.View(), bytes.complete, most);
}

std::string FormatFinding(std::string_view file, const CRulesFinding& finding) {
  std::string line = PathForMessage(file);
  if (finding.m_nLine > 0) line.append(":").append(std::to_string(finding.m_nLine));
  return line.append(finding.IsError() ? ": errore: " : ": avviso: ").append(finding.m_strMessage);
}

std::string SummarizeFindings(const std::vector<CRulesFinding>& findings) {
  const auto errors = std::count_if(findings.begin(), findings.end(),
                                    [](const CRulesFinding& f) { return f.IsError(); });
  const auto warnings = static_cast<long>(findings.size()) - errors;
  if (findings.empty()) return "nessun problema";
  return std::to_string(errors) + (errors == 1 ? " errore, " : " errori, ") +
         std::to_string(warnings) + (warnings == 1 ? " avviso" : " avvisi");
}

std::string FurtherProblemsNote(const char* path) {
  // Counting every problem of a file that is wrong from its first lines on
  // would cost as much as listing them; past this many, the note says "at
  // least".
  constexpr size_t kCounted = 1000;
  const std::vector<CRulesFinding> findings = CheckRulesFile(path, kCounted + 1);
  const size_t further = findings.empty() ? 0 : findings.size() - 1;
  if (further == 0) return {};
  const std::string command =
      Cat(" Il comando tarvo --verifica ", ShellWord(path ? path : ""), " elenca ");
  if (further == 1) return Cat(command, "un altro problema del file.");
  return Cat(command, further >= kCounted ? "almeno " : "altri ", std::to_string(further),
             further >= kCounted ? " altri" : "", " problemi del file.");
}
