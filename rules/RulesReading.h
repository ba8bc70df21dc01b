// The reading of a rules file, line by line, shared by the reader (CRules)
// and the checker (RulesCheck): one walk through the format fills a CRules
// and tells a watcher where every line went. Only for rules/.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "rules/Rules.h"

namespace rules_reading {

// Delivers the lines of a rules file held in memory: a line ends at LF, a CR
// right before the LF is dropped, and after the last line every read gives an
// empty text.
class LineReader {
 public:
  // `complete` is false when reading the file failed after `text`: a line
  // wanted beyond it is a read failure, not the end of the file.
  LineReader(std::string_view text, bool complete) : m_text(text), m_complete(complete) {}

  std::string_view Next() {
    ++m_line;
    if (m_pos >= m_text.size()) {
      if (!m_complete && m_failedLine == 0) m_failedLine = m_line;
      m_pastEnd = true;
      return {};
    }
    const char* begin = m_text.data() + m_pos;
    const size_t left = m_text.size() - m_pos;
    const auto* end = static_cast<const char*>(std::memchr(begin, '\n', left));
    if (end == nullptr) {
      // The last line may lack its line end; a CR there is part of it.
      m_pos = m_text.size();
      return {begin, left};
    }
    m_pos += static_cast<size_t>(end - begin) + 1;
    if (end != begin && end[-1] == '\r') --end;
    return {begin, static_cast<size_t>(end - begin)};
  }

  // The next line read as a number: ParseNumber(Next()). Most number lines
  // are a few plain digits and the line end, and those are read in place.
  [[gnu::always_inline]] int Number() {
    const char* at = m_text.data() + m_pos;
    const char* end = m_text.data() + m_text.size();
    int value = 0;
    // Nine digits at most: the value stays far within an int.
    for (int digits = 0; digits < 9 && at < end && *at >= '0' && *at <= '9'; ++digits, ++at)
      value = value * 10 + (*at - '0');
    if (at > m_text.data() + m_pos) {
      const char* next = nullptr;
      if (at == end) {
        next = end;
      } else if (*at == '\n') {
        next = at + 1;
      } else if (at + 1 < end && at[0] == '\r' && at[1] == '\n') {
        next = at + 2;
      }
      if (next != nullptr) {
        ++m_line;
        m_plain = true;
        m_pos = static_cast<size_t>(next - m_text.data());
        return value;
      }
    }
    m_plain = false;
    m_numberText = Next();
    return ParseNumber(m_numberText);
  }

  // The 1-based number of the line last delivered.
  int Line() const { return m_line; }
  // The line at which the input failed for another reason than its end; 0 if none.
  int FailedLine() const { return m_failedLine; }
  // Whether a line was wanted beyond the last one.
  bool PastEnd() const { return m_pastEnd; }
  // Whether the last number line was nothing but digits; otherwise
  // NumberText() holds it.
  bool LastWasPlain() const { return m_plain; }
  // The text of the last number line that was not plain digits.
  std::string_view NumberText() const { return m_numberText; }
  // What follows the last line delivered.
  std::string_view Rest() const { return m_text.substr(std::min(m_pos, m_text.size())); }

 private:
  std::string_view m_text;
  size_t m_pos = 0;
  bool m_complete;
  bool m_pastEnd = false;
  bool m_plain = false;
  int m_line = 0;
  int m_failedLine = 0;
  std::string_view m_numberText;
};

// The whole lines of `text` when reading failed after it: a line cut short
// by the failure is not a line of the file.
inline std::string_view WholeLines(std::string_view text) {
  const size_t lastEnd = text.rfind('\n');
  return text.substr(0, lastEnd == std::string_view::npos ? 0 : lastEnd + 1);
}

// The bytes of a rules file on disk, read straight into one buffer;
// `complete` is false when reading failed after them.
struct FileBytes {
  std::unique_ptr<char[]> data;
  size_t size = 0;
  bool complete = true;
  // Not 0: the file is larger than RULES_SIZE_LIMIT, and holds this many
  // bytes (RULES_SIZE_LIMIT + 1 when it grew as it was read); nothing of it
  // is kept.
  std::uint64_t tooLarge = 0;

  std::string_view View() const { return {data.get(), size}; }
};

// Opens the rules file at `path` and reads all of it into `bytes`, or, when
// it is larger than RULES_SIZE_LIMIT, nothing (bytes.tooLarge). A folder, a
// pipe or a device is not opened. False, with the reason in Italian, when the
// file cannot be opened.
bool ReadRulesFile(const std::string& path, FileBytes& bytes, std::string& reason);

// Why a rules file of `size` bytes, larger than RULES_SIZE_LIMIT, is refused:
// "1073741824 byte, e un file delle regole ne ha al massimo 9031680".
std::string TooLargeReason(std::uint64_t size);

// The five sections, in file order.
enum class Section : unsigned char { Characteristics, Skills, Races, Archetypes, Items };

// What a line of the file is.
enum class Field : unsigned char {
  Count,  // the count that opens a section
  CharLabel,
  CharKey,
  CharExtra,
  SkillLabel,
  SkillSheetName,
  SkillKey,
  SkillBase,
  RaceName,
  ArchetypeName,
  Honour,
  DiceCount,
  DiceSides,
  DiceBonus,
  ItemName,
  ItemType,
  Potenza,
  Bonus,
  Mod,
  Price,
};

// Where a line goes.
struct Place {
  Section section;
  Field field;
  int record = -1;  // index of the record in its section; -1 for the count
  int dice = -1;    // dice lines: the characteristic (races) or skill (archetypes); -1 money
};

// The records a section counts, in Italian, and how many it may hold.
struct SectionLimit {
  const char* what;
  int capacity;
};
inline constexpr SectionLimit kSectionLimits[] = {{"caratteristiche", MAX_CHARACTERISTICS},
                                                  {"abilità", MAX_SKILLS},
                                                  {"razze", MAX_RACES},
                                                  {"archetipi", MAX_ARCHETYPES},
                                                  {"oggetti", MAX_ITEMS}};

// Why a number over its limit is refused: "il numero di oggetti è 57, al massimo 40".
std::string OverLimit(const char* what, int value, int limit);

// The first refusal of a walk; line 0 when there was none.
struct Refusal {
  int line = 0;
  std::string reason;
};

// Reads the lines of `reader` into `rules` in the order of the format and
// tells `watch` about each:
//   kKeepsTexts     -- whether the texts are stored in `rules`;
//   bool Reading()  -- false stops the records still to come (the counts are
//                      still read);
//   void Text(const Place&, std::string_view text, const LineReader&);
//   void Number(const Place&, int value, const LineReader&);
//   bool Refused(const Place&, int line, const std::string& reason)
//                   -- a number over its limit; false stops the walk.
// `rules` must hold its defaults. Records beyond a capacity are read into a
// spare one that is thrown away.
template <class Watch>
class Walk {
 public:
  Walk(CRules& rules, LineReader& reader, Watch& watch)
      : m_rules(rules), m_reader(reader), m_watch(watch) {}

  Refusal Run() {
    CRules& r = m_rules;
    if (!Count(Section::Characteristics, r.m_nCharacteristics)) return m_refusal;
    for (int c = 0; Going(c, r.m_nCharacteristics); ++c) {
      Text({Section::Characteristics, Field::CharLabel, c}, At(r.m_aCharLabel, c, &Spares::text));
      Text({Section::Characteristics, Field::CharKey, c}, At(r.m_aCharKey, c, &Spares::text));
      Text({Section::Characteristics, Field::CharExtra, c}, At(r.m_aCharExtra, c, &Spares::text));
    }
    if (!Count(Section::Skills, r.m_nSkills)) return m_refusal;
    for (int s = 0; Going(s, r.m_nSkills); ++s) {
      Text({Section::Skills, Field::SkillLabel, s}, At(r.m_aSkillLabel, s, &Spares::text));
      Text({Section::Skills, Field::SkillSheetName, s}, At(r.m_aSkillSheetName, s, &Spares::text));
      Text({Section::Skills, Field::SkillKey, s}, At(r.m_aSkillKey, s, &Spares::text));
      At(r.m_aSkillBase, s, &Spares::number) = Number({Section::Skills, Field::SkillBase, s});
    }
    if (!Count(Section::Races, r.m_nRaces)) return m_refusal;
    for (int i = 0; Going(i, r.m_nRaces); ++i) {
      CRace& race = At(r.m_aRaces, i, &Spares::race);
      Text({Section::Races, Field::RaceName, i}, race.m_strName);
      for (int c = 0; Going(c, r.m_nCharacteristics); ++c)
        Dice({Section::Races, Field::DiceCount, i, c}, At(race.m_aDice, c, &Spares::dice));
    }
    if (!Count(Section::Archetypes, r.m_nArchetypes)) return m_refusal;
    for (int a = 0; Going(a, r.m_nArchetypes); ++a) {
      CArchetype& archetype = At(r.m_aArchetypes, a, &Spares::archetype);
      Text({Section::Archetypes, Field::ArchetypeName, a}, archetype.m_strName);
      archetype.m_nHonour = Number({Section::Archetypes, Field::Honour, a});
      Dice({Section::Archetypes, Field::DiceCount, a, -1}, archetype.m_diceMoney);
      for (int s = 0; Going(s, r.m_nSkills); ++s)
        Dice({Section::Archetypes, Field::DiceCount, a, s},
             At(archetype.m_aSkillDice, s, &Spares::dice));
    }
    if (!Count(Section::Items, r.m_nItems)) return m_refusal;
    for (int i = 0; Going(i, r.m_nItems); ++i) {
      CItem& item = At(r.m_aItems, i, &Spares::item);
      Text({Section::Items, Field::ItemName, i}, item.m_strName);
      Text({Section::Items, Field::ItemType, i}, item.m_strType);
      item.m_nPotenza = Number({Section::Items, Field::Potenza, i});
      item.m_nBonus = Number({Section::Items, Field::Bonus, i});
      item.m_nMod = Number({Section::Items, Field::Mod, i});
      item.m_nPrice = Number({Section::Items, Field::Price, i});
    }
    return m_refusal;
  }

 private:
  // Where records beyond a capacity go; made the first time one comes.
  struct Spares {
    std::string text;
    int number = 0;
    CDice dice;
    CRace race;
    CArchetype archetype;
    CItem item;
  };

  template <class T, size_t N>
  T& At(T (&array)[N], int index, T Spares::*spare) {
    if (static_cast<size_t>(index) < N) [[likely]]
      return array[index];
    if (!m_spares) m_spares = std::make_unique<Spares>();
    return (*m_spares).*spare;
  }

  bool Going(int index, int count) { return index < count && m_on && m_watch.Reading(); }

  [[gnu::always_inline]] void Text(const Place& place, std::string& into) {
    const std::string_view text = m_reader.Next();
    if constexpr (Watch::kKeepsTexts) into = text;
    m_watch.Text(place, text, m_reader);
  }

  [[gnu::always_inline]] int Number(const Place& place) {
    const int value = m_reader.Number();
    m_watch.Number(place, value, m_reader);
    return value;
  }

  // A count of 0 or less reads no records and is kept as it is.
  bool Count(Section section, int& count) {
    if (!m_on) return false;
    const Place place{section, Field::Count};
    count = Number(place);
    const SectionLimit& limit = kSectionLimits[static_cast<int>(section)];
    if (count > limit.capacity) Refuse(place, limit.what, count, limit.capacity);
    return m_on;
  }

  [[gnu::always_inline]] void Dice(Place place, CDice& dice) {
    dice.m_nCount = Number(place);
    if (dice.m_nCount > MAX_DICE_COUNT) {
      Refuse(place, "dadi", dice.m_nCount, MAX_DICE_COUNT);
      if (!m_on) return;
    }
    place.field = Field::DiceSides;
    dice.m_nSides = Number(place);
    place.field = Field::DiceBonus;
    dice.m_nBonus = Number(place);
  }

  void Refuse(const Place& place, const char* what, int value, int limit) {
    std::string reason = OverLimit(what, value, limit);
    m_on = m_watch.Refused(place, m_reader.Line(), reason);
    if (m_refusal.line == 0) m_refusal = {m_reader.Line(), std::move(reason)};
  }

  CRules& m_rules;
  LineReader& m_reader;
  Watch& m_watch;
  bool m_on = true;
  Refusal m_refusal;
  std::unique_ptr<Spares> m_spares;
};

// The reader's watch: it sees nothing and stops at the first refusal.
struct StopAtRefusal {
  static constexpr bool kKeepsTexts = true;
  static bool Reading() { return true; }
  static void Text(const Place&, std::string_view, const LineReader&) {}
  static void Number(const Place&, int, const LineReader&) {}
  static bool Refused(const Place&, int, const std::string&) { return false; }
};

}  // namespace rules_reading
