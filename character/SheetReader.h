// Reading a .pg character sheet back against the rules in use.
//
// The reader takes exactly what CCharacter::SheetText writes: Windows-1252
// bytes, CR LF or LF line ends, numbers without "+" and without leading zeros.
// Anything else refuses the whole sheet with one Italian message that names
// the file, the line and what was expected there. The result is a plain
// CSheet; nothing changes in a character until ApplySheet puts an accepted
// sheet into it, so a refused sheet leaves everything as it was.
//
// For every sheet written with the same rules, reading it and writing the
// character again gives the same bytes (a sheet with LF line ends comes back
// with CR LF).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "character/Character.h"
#include "rules/Records.h"
#include "rules/Rules.h"

// The first line of every sheet: what tells a sheet from any other file.
inline constexpr std::string_view SHEET_FIRST_LINE = "Informazioni Personaggio";

// The room a sheet gives its character's name when SheetSizeLimit works out
// the largest sheet the rules allow. The form allows 25 characters and the
// command line of tarvo-genera far less than this.
inline constexpr std::size_t SHEET_NAME_ROOM = std::size_t{1} << 20;

// Why a sheet was refused. The message is Italian and complete: it names the
// file, its folder and the reason, and for a malformed sheet the line and
// what was expected there.
class CSheetError {
 public:
  enum class Kind {
    None,        // no error
    CannotOpen,  // missing, unreadable, a folder, not a plain file, ...
    ReadFailed,  // an input error after opening
    TooLarge,    // larger than any sheet of these rules can be
    Malformed,   // the content is not a sheet of these rules
  };

  Kind m_kind = Kind::None;
  std::string m_strFile;     // the path as given
  std::string m_strFolder;   // the folder the path resolves into
  int m_nLine = 0;           // 1-based line of a malformed sheet, 0 otherwise
  std::string m_strReason;   // the reason alone, without file and folder
  std::string m_strMessage;  // the whole description shown to the user
};

// What an accepted sheet holds, with the race and the archetypes as indexes
// into the rules: enough to show the form as if the player had just made the
// character. Slots beyond the rules' counts hold 0 or the default item.
class CSheet {
 public:
  CSheet() = default;
  CSheet(const CSheet&) = default;
  CSheet& operator=(const CSheet&) = default;
  CSheet(CSheet&&) = default;
  CSheet& operator=(CSheet&&) = default;
  virtual ~CSheet() = default;

  std::string m_strName;  // any length: tarvo-genera writes longer names than the form
  int m_nRace = 0;
  int m_aArchetypes[3] = {0, 0, 0};  // the first m_nArchetypes are in use, in order
  int m_nArchetypes = 1;             // 1 to 3
  bool m_bMale = true;
  int m_nHand = HAND_RIGHT;  // a HAND_ code, read from its HandSheetWord
  int m_aStatValues[MAX_CHARACTERISTICS] = {};
  int m_aSkillValues[MAX_SKILLS] = {};
  int m_nPFTot = 0;
  int m_nPFAct = 0;
  int m_nPMTot = 0;
  int m_nPMAct = 0;
  int m_nHonour = 0;
  int m_nCdB = 0;
  int m_nArmour = 0;
  int m_nMoney = 0;
  // Copies of catalogue entries (price and id included), or the default item
  // where the sheet has the default item and no entry matches it.
  CItem m_itemRight;
  CItem m_itemLeft;
  CItem m_itemWorn;
  CItem m_aPockets[MAX_POCKETS];
};

// Reads the sheet at `path` against `rules`. On success fills `sheet` and
// returns true; on failure `sheet` is untouched and `error` (if given)
// says why. Only plain files are read, and none larger than
// SheetSizeLimit(rules).
bool ReadSheet(const char* path, const CRules& rules, CSheet& sheet, CSheetError* error = nullptr);
// The same from the sheet's bytes; `name` is the path used in messages.
bool ReadSheetText(std::string_view bytes, std::string_view name, const CRules& rules,
                   CSheet& sheet, CSheetError* error = nullptr);

// Puts an accepted sheet into `character`: identity, values, items, then the
// equipment effects from the items, then the scores as the sheet has them (so
// the armour is the sheet's). Every field the sheet decides is overwritten;
// the hand is taken as written, without the ambidexterity rule.
void ApplySheet(const CSheet& sheet, const CRules& rules, CCharacter& character);

// Whether `bytes` begins with the first line of a sheet, ended by CR LF or LF
// (or by the end of `bytes`).
bool IsSheetText(std::string_view bytes);
// Whether the file at `path` begins with the first line of a sheet; false
// when it cannot be read.
bool IsSheetFile(const char* path);

// The most bytes a sheet of `rules` can take: the fixed text and numbers, the
// longest texts the rules can put in it, and SHEET_NAME_ROOM for the name.
std::size_t SheetSizeLimit(const CRules& rules);
