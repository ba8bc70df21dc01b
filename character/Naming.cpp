#include "character/Naming.h"

#include <algorithm>

#include "base/CaseFold.h"
#include "base/Decimal.h"
#include "base/Win1252.h"

namespace {

constexpr std::string_view kNumberMark = "{n}";

// White space as Unicode counts it: the blanks trimmed from a name's ends.
bool IsUnicodeBlank(char32_t cp) {
  return cp == 0x20 || (cp >= 0x09 && cp <= 0x0D) || cp == 0x85 || cp == 0xA0 || cp == 0x1680 ||
         (cp >= 0x2000 && cp <= 0x200A) || cp == 0x2028 || cp == 0x2029 || cp == 0x202F ||
         cp == 0x205F || cp == 0x3000;
}

// The characters of a UTF-8 text without the blanks at either end; a byte
// that begins no UTF-8 character is U+FFFD.
std::vector<char32_t> TrimmedCodePoints(std::string_view text) {
  std::vector<char32_t> codes;
  codes.reserve(text.size());
  for (size_t at = 0; at < text.size();) codes.push_back(NextUtf8(text, at));
  const auto begin = std::find_if_not(codes.begin(), codes.end(), IsUnicodeBlank);
  const auto end = std::find_if_not(codes.rbegin(), codes.rend(), IsUnicodeBlank).base();
  return begin < end ? std::vector<char32_t>(begin, end) : std::vector<char32_t>();
}

std::string RecordName(const CRules& rules, NameKind kind, int i) {
  switch (kind) {
    case NameKind::Race:
      return rules.m_aRaces[i].GetName();
    case NameKind::Archetype:
      return rules.m_aArchetypes[i].GetName();
    case NameKind::Item:
      break;
  }
  return rules.m_aItems[i].GetName();
}

int RecordsInUse(const CRules& rules, NameKind kind) {
  switch (kind) {
    case NameKind::Race:
      return rules.RacesInUse();
    case NameKind::Archetype:
      return rules.ArchetypesInUse();
    case NameKind::Item:
      break;
  }
  return rules.ItemsInUse();
}

// The pieces of `pattern` between its "{n}" marks.
std::vector<std::string_view> Pieces(std::string_view pattern) {
  std::vector<std::string_view> pieces;
  size_t at = 0;
  for (size_t found; (found = pattern.find(kNumberMark, at)) != std::string_view::npos;
       at = found + kNumberMark.size()) {
    pieces.push_back(pattern.substr(at, found - at));
  }
  pieces.push_back(pattern.substr(at));
  return pieces;
}

bool IsTrimmedAtEnd(char ch) { return ch == ' ' || ch == '.'; }

void TrimEnd(std::string& name) {
  while (!name.empty() && IsTrimmedAtEnd(name.back())) name.pop_back();
}

// The pieces of a name made safe for a file name: the folder separator, the
// characters other systems forbid (so the sheets survive a copy to a USB
// stick) and control characters become "_"; blanks at the start go and a
// leading "." or "-" (a hidden file, or what a command takes for an option)
// becomes "_"; blanks and dots at the end go. A byte that begins no UTF-8
// character stays as it is.
std::vector<std::string> FilePieces(const std::vector<std::string_view>& pieces) {
  std::vector<std::string> files;
  for (const std::string_view piece : pieces) {
    std::string safe;
    safe.reserve(piece.size());
    for (size_t at = 0; at < piece.size();) {
      const size_t from = at;
      const char32_t cp = NextUtf8(piece, at);
      const bool raw = cp == 0xFFFD && at == from + 1;
      if (!raw && (IsControlCode(cp) ||
                   std::u32string_view(U"/\\:*?\"<>|").find(cp) != std::u32string_view::npos)) {
        safe += '_';
      } else {
        safe.append(piece.substr(from, at - from));
      }
    }
    if (files.empty()) {
      safe.erase(0, std::min(safe.find_first_not_of(' '), safe.size()));
      if (!safe.empty() && (safe[0] == '.' || safe[0] == '-')) safe[0] = '_';
    }
    files.push_back(std::move(safe));
  }
  TrimEnd(files.back());
  return files;
}

// The file base of character `n` of `count` from the safe pieces of its name.
// A name too long for a file loses text, never its numbers: each character
// keeps a file of its own. The text is kept from the start, each piece cut
// between two characters of UTF-8, never inside one, and at the same place
// for every character of the batch (room is left for the widest number), so
// that two numbers never make one name.
std::string FileBaseOf(const std::vector<std::string>& pieces, int n, int count) {
  const std::string number = FormatNumber(n);
  const size_t numbers = FormatNumber(std::max(count, n)).size() * (pieces.size() - 1);
  size_t room = FILE_BASE_MOST > numbers ? FILE_BASE_MOST - numbers : 0;
  std::string name;
  for (size_t i = 0; i < pieces.size(); ++i) {
    if (i > 0) name += number;
    size_t take = pieces[i].size();
    if (take > room) {
      take = room;
      while (take > 0 && (static_cast<unsigned char>(pieces[i][take]) & 0xC0) == 0x80) --take;
    }
    name.append(pieces[i], 0, take);
    room -= take;
  }
  TrimEnd(name);
  if (name.empty()) name = NO_NAME;
  return name;
}

}  // namespace

bool SameNameLoosely(std::string_view a, std::string_view b) {
  const std::vector<char32_t> left = TrimmedCodePoints(a);
  const std::vector<char32_t> right = TrimmedCodePoints(b);
  return std::equal(
      left.begin(), left.end(), right.begin(), right.end(),
      [](char32_t x, char32_t y) { return FoldUnicodeCase(x) == FoldUnicodeCase(y); });
}

int FindName(const CRules& rules, NameKind kind, std::string_view wanted) {
  const int count = RecordsInUse(rules, kind);
  for (int i = 0; i < count; ++i) {
    if (Win1252ToUtf8(RecordName(rules, kind, i)) == wanted) return i;
  }
  for (int i = 0; i < count; ++i) {
    if (SameNameLoosely(Win1252ToUtf8(RecordName(rules, kind, i)), wanted)) return i;
  }
  return -1;
}

std::string QuotedTyped(std::string_view text) {
  std::string quoted(1, '"');
  quoted.append(PathForMessage(text)) += '"';
  return quoted;
}

std::string UnknownName(const CRules& rules, NameKind kind, std::string_view wanted,
                        std::string_view option) {
  static constexpr std::string_view kWhat[] = {"razza sconosciuta", "archetipo sconosciuto",
                                               "oggetto sconosciuto"};
  static constexpr std::string_view kAll[] = {
      "; le razze sono: ", "; gli archetipi sono: ", "; gli oggetti sono: "};
  const auto k = static_cast<size_t>(kind);
  std::string text(kWhat[k]);
  if (!option.empty()) text.append(" per ").append(option);
  text.append(": ").append(QuotedTyped(wanted)).append(kAll[k]);
  for (int i = 0; i < RecordsInUse(rules, kind); ++i) {
    if (i > 0) text += ", ";
    text += Win1252ToShownUtf8(RecordName(rules, kind, i));
  }
  return text;
}

std::optional<bool> ReadSexWord(std::string_view word) {
  const std::string folded = FoldAsciiCase(word);
  if (folded == "m" || folded == "f") return folded == "m";
  return std::nullopt;
}

std::optional<int> ReadHandWord(std::string_view word) {
  const std::string folded = FoldAsciiCase(word);
  if (folded == "destra") return HAND_RIGHT;
  if (folded == "sinistra") return HAND_LEFT;
  if (folded == "entrambe") return HAND_BOTH;
  return std::nullopt;
}

std::string BothHandsRefused(const CRules& rules, const CCharacter& character) {
  std::string text = rules.CharacteristicsInUse() > 2 ? Win1252ToShownUtf8(rules.GetCharLabel(2))
                                                      : std::string("terza caratteristica");
  text += ' ';
  AppendNumber(text, character.m_aStats[2].m_nValue);
  text += ", sotto ";
  AppendNumber(text, AMBIDEXTERITY_MIN);
  return text + ": non pu\xC3\xB2 usare entrambe le mani, usa la destra";
}

void SetLinkChoice(CLinkChoices& link, int kind, std::string_view value) {
  switch (static_cast<LinkChoice>(kind)) {
    case LinkChoice::Race:
      link.race = value;
      break;
    case LinkChoice::Archetype:
      link.archetypes.emplace_back(value);
      break;
    case LinkChoice::Sex:
      link.sex = value;
      break;
    case LinkChoice::Hand:
      link.hand = value;
      break;
    case LinkChoice::Name:
      link.name = value;
      link.hasName = true;
      break;
    case LinkChoice::Count:
      break;
  }
}

CLinkStart ResolveLink(const CRules& rules, const CLinkChoices& link, int firstArchetype) {
  CLinkStart start;
  std::fill(std::begin(start.archetypes), std::end(start.archetypes), firstArchetype);
  if (!link.race.empty()) {
    const int found = FindName(rules, NameKind::Race, link.race);
    if (found >= 0) {
      start.race = found;
    } else {
      start.problems.push_back(UnknownName(rules, NameKind::Race, link.race));
    }
  }
  int count = 0;
  for (const std::string& wanted : link.archetypes) {
    if (count == 3) {
      start.problems.push_back("al massimo tre archetipi, non " +
                               FormatNumber(static_cast<int>(link.archetypes.size())));
      break;
    }
    const int found = FindName(rules, NameKind::Archetype, wanted);
    if (found >= 0) {
      start.archetypes[count++] = found;
    } else {
      start.problems.push_back(UnknownName(rules, NameKind::Archetype, wanted));
    }
  }
  start.archetypeCount = std::max(count, 1);
  if (!link.sex.empty()) {
    const std::optional<bool> male = ReadSexWord(link.sex);
    if (male) {
      start.male = *male;
    } else {
      start.problems.push_back("il sesso \xC3\xA8 m o f, non " + QuotedTyped(link.sex));
    }
  }
  if (!link.hand.empty()) {
    const std::optional<int> hand = ReadHandWord(link.hand);
    if (hand) {
      start.hand = *hand;
    } else {
      start.problems.push_back("la mano \xC3\xA8 destra, sinistra o entrambe, non " +
                               QuotedTyped(link.hand));
    }
  }
  return start;
}

std::string NumberedName(std::string_view pattern, int n) {
  const std::vector<std::string_view> pieces = Pieces(pattern);
  const std::string number = FormatNumber(n);
  std::string name(pieces.front());
  for (size_t i = 1; i < pieces.size(); ++i) name.append(number).append(pieces[i]);
  return name;
}

CNamePattern::CNamePattern(std::string_view pattern) {
  const std::vector<std::string_view> pieces = Pieces(pattern);
  for (const std::string_view piece : pieces) {
    m_names.push_back(Utf8ToWin1252(piece));
    if (Win1252ToUtf8(m_names.back()) != piece) m_loses = true;
  }
  m_files = FilePieces(pieces);
}

std::string CNamePattern::Name(int n) const {
  if (m_names.empty()) return {};
  const std::string number = FormatNumber(n);
  std::string name = m_names.front();
  for (size_t i = 1; i < m_names.size(); ++i) name.append(number).append(m_names[i]);
  return name;
}

std::string CNamePattern::FileBase(int n, int count) const {
  return m_files.empty() ? std::string(NO_NAME) : FileBaseOf(m_files, n, count);
}

std::string SheetFileName(std::string_view name) {
  return FileBaseOf(FilePieces({name}), 0, 0) + ".pg";
}
