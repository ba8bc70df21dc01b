// How characters and the rules' records are named: a name typed by a player
// found among the rules' names, the choices a link or a command line makes
// with what is said of a wrong one, a character's name made from a pattern,
// and the file name of its sheet. Typed texts and file names are UTF-8 (a
// file name's bytes as they are); the rules' names and a character's name
// are Windows-1252, as the rules and the sheet keep them.
#pragma once

#include <cstddef>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "character/Character.h"
#include "rules/Rules.h"

// The name shown, and the file name given, for a character with no name.
inline constexpr std::string_view NO_NAME = "Senza nome";
// File names stay well below the 255 bytes a file system allows, with room
// for the extension.
inline constexpr std::size_t FILE_BASE_MOST = 200;

// Whether two UTF-8 texts are the same without regard to case (accented
// letters included) and to blanks at either end.
bool SameNameLoosely(std::string_view a, std::string_view b);

// The records a player names.
enum class NameKind { Race, Archetype, Item };

// The index of the record of `kind` named `wanted` (UTF-8), or -1. A name
// written exactly as in the rules wins; otherwise the first in rules order
// that is the same loosely.
int FindName(const CRules& rules, NameKind kind, std::string_view wanted);
// Why `wanted` names nothing, with every name there is: "razza sconosciuta:
// "x"; le razze sono: Umano, Nano". `option`, when given, is the option that
// named it ("--destra").
std::string UnknownName(const CRules& rules, NameKind kind, std::string_view wanted,
                        std::string_view option = {});
// A typed text in double quotes as a message shows it (see PathForMessage).
std::string QuotedTyped(std::string_view text);

// "m" or "f", without regard to case: true for male; nothing for any other.
std::optional<bool> ReadSexWord(std::string_view word);
// "destra", "sinistra" or "entrambe", without regard to case: a HAND_ code;
// nothing for any other.
std::optional<int> ReadHandWord(std::string_view word);
// Why a character asked to use both hands uses the right one: "Destrezza 9,
// sotto 16: non può usare entrambe le mani, usa la destra" (UTF-8).
std::string BothHandsRefused(const CRules& rules, const CCharacter& character);

// The choices a link makes, as typed in it (UTF-8); empty: not given.
struct CLinkChoices {
  std::string race;
  std::vector<std::string> archetypes;  // at most 3 are used
  std::string sex;                      // "m" or "f"
  std::string hand;                     // "destra", "sinistra" or "entrambe"
  std::string name;                     // a pattern: "{n}" is the number, 1
  bool hasName = false;
};
// The kinds of a link's choice, and the names the web page knows them by.
enum class LinkChoice { Race, Archetype, Sex, Hand, Name, Count };
inline constexpr const char* LINK_CHOICE_NAMES[] = {"race", "archetype", "sex", "hand", "name"};
static_assert(std::size(LINK_CHOICE_NAMES) == static_cast<size_t>(LinkChoice::Count));
// Sets the choice of kind `kind` (a LinkChoice) to `value`: one archetype a
// call. Another kind changes nothing.
void SetLinkChoice(CLinkChoices& link, int kind, std::string_view value);

// What a link starts the form with, and what it named wrong (UTF-8 lines);
// a wrong choice leaves the form's own.
struct CLinkStart {
  int race = 0;
  int archetypes[3] = {};
  int archetypeCount = 1;
  bool male = true;
  int hand = HAND_RIGHT;
  std::vector<std::string> problems;
};
CLinkStart ResolveLink(const CRules& rules, const CLinkChoices& link, int firstArchetype);

// `pattern` (UTF-8) with every "{n}" made the number `n`.
std::string NumberedName(std::string_view pattern, int n);

// A name pattern: "{n}" is the number of the character, from 1. It gives each
// character its name, in Windows-1252 for the sheet, and the base of its file
// name, as bytes safe on any file system (UTF-8, and a byte of the pattern
// that was no UTF-8 as it was).
class CNamePattern {
 public:
  CNamePattern() = default;
  explicit CNamePattern(std::string_view pattern);

  std::string Name(int n) const;
  // The file name of character `n` of `count`, without its extension. Two
  // characters of a batch never share one unless HasNumber() is false (or
  // the cut to FILE_BASE_MOST bytes makes them).
  std::string FileBase(int n, int count) const;
  bool HasNumber() const { return m_files.size() > 1; }
  // Some character of the pattern is one the sheet cannot hold: it becomes "?".
  bool LosesCharacters() const { return m_loses; }

 private:
  std::vector<std::string> m_names;  // cut at each "{n}", Windows-1252
  std::vector<std::string> m_files;  // the same, safe for a file name
  bool m_loses = false;
};

// The file name of the sheet of a character named `name` (UTF-8), with its
// ".pg": the characters other systems forbid and control characters become
// "_", blanks at the start and blanks and dots at the end go, a leading "."
// or "-" becomes "_", the name is cut to FILE_BASE_MOST bytes between two
// characters, and a name left empty is NO_NAME.
std::string SheetFileName(std::string_view name);
