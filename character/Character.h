// The character under construction.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "rules/Records.h"
#include "rules/Rules.h"

// The capacity of the pocket array; a character uses the first POCKET_COUNT.
inline constexpr int MAX_POCKETS = 15;
// Both hands need at least this rolled value of characteristic index 2 (the
// third).
inline constexpr int AMBIDEXTERITY_MIN = 16;

// The dominant hand, by the code the .pg sheet and the form keep for it.
inline constexpr int HAND_RIGHT = 1;
inline constexpr int HAND_LEFT = 2;
inline constexpr int HAND_BOTH = 3;

// The word of the .pg sheet's "Dominante" line for `hand`: "Mandestro",
// "Mancino" or "Ambidestro" (any other code is the left hand's, as the sheet
// has always written it).
std::string_view HandSheetWord(int hand);
// The hand as a player reads it on the printed sheet: "Destro", "Mancino" or
// "Ambidestro".
std::string_view HandName(int hand);
// The sex as a player reads it on the printed sheet: "Maschile" or
// "Femminile".
std::string_view SexName(bool male);

// A pocket as a player reads it, numbered from 0: "Tasca 3".
std::string PocketName(int pocket);

// The pockets a character uses: the rules' pocket count, kept within 0 and the
// capacity of the pocket array.
int PocketsInUse(const CRules& rules);

// The archetype text of a character, m_strArchetype: the names of the
// archetypes in use, in order, joined by "/".
std::string JoinArchetypes(const std::vector<std::string>& names);

class CCharacter {
 public:
  CCharacter() = default;
  CCharacter(const CCharacter&) = delete;
  CCharacter& operator=(const CCharacter&) = delete;
  virtual ~CCharacter() = default;

  std::string GetName() const { return m_strName; }
  std::string GetRace() const { return m_strRace; }
  std::string GetArchetype() const { return m_strArchetype; }

  // The .pg character sheet, byte for byte (CR LF line ends, Windows-1252).
  std::string SheetText(const CRules& rules) const;
  // Writes the sheet to `path`, replacing an existing file atomically. On
  // failure the previous file is intact, no temporary file is left, and
  // `error` (if given) receives an Italian description.
  bool WriteSheet(const char* path, const CRules& rules, std::string* error = nullptr) const;

  CStatValue m_aStats[MAX_CHARACTERISTICS];
  CSkillValue m_aSkills[MAX_SKILLS];
  CItem m_aPockets[MAX_POCKETS];
  CItem m_itemRight;
  CItem m_itemLeft;
  CItem m_itemWorn;
  std::string m_strName;
  std::string m_strRace;
  std::string m_strArchetype;
  unsigned char m_bMale = 1;  // 1 male, 0 female; set before every save
  int m_nHand = HAND_RIGHT;   // a HAND_ code; set before every save
  int m_nArmour = 0;
  int m_nHonour = 0;
  int m_nMoney = 0;
  int m_nCdB = 0;
  int m_nPFAct = 0;
  int m_nPMAct = 0;
  int m_nPFTot = 0;
  int m_nPMTot = 0;
};
