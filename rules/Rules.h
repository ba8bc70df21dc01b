// The rules database: all game content of one rules file, held in fixed
// arrays with counts. Filled once by Load and read-only afterwards.
#pragma once

#include <cstddef>
#include <cstdint>
#include <istream>
#include <string>
#include <string_view>

#include "base/CaseFold.h"
#include "base/Decimal.h"
#include "base/Sha256.h"
#include "rules/Records.h"

inline constexpr const char* RULES_FILE_NAME = "tarvo.rul";

// The lines of the largest rules the capacities allow: the five counts and
// every record of each section at its capacity.
inline constexpr std::size_t RULES_MOST_LINES =
    5 + 3 * MAX_CHARACTERISTICS + 4 * MAX_SKILLS + MAX_RACES * (1 + 3 * MAX_CHARACTERISTICS) +
    MAX_ARCHETYPES * (5 + 3 * MAX_SKILLS) + 6 * MAX_ITEMS;
// The largest rules file read: 4 KiB for each of those lines, a room no name
// on the form or the sheet comes near (the bundled rules take 15 KiB in all).
// A larger file is refused before it is read, whatever it holds.
inline constexpr std::size_t RULES_SIZE_LIMIT = RULES_MOST_LINES * 4096;

// Why a load failed. The message is Italian and complete: it names the file,
// its folder and the reason, and for a malformed file the line and what was
// expected there.
class CRulesError {
 public:
  enum class Kind {
    None,        // no error
    CannotOpen,  // missing, unreadable, a folder, ...
    ReadFailed,  // an input error after opening
    TooLarge,    // larger than RULES_SIZE_LIMIT
    Malformed,   // the content breaks a limit of the format
  };

  Kind m_kind = Kind::None;
  std::string m_strFile;     // the path as given
  std::string m_strFolder;   // the folder the path resolves into
  int m_nLine = 0;           // 1-based line of a malformed file, 0 otherwise
  std::string m_strReason;   // the reason alone, without file and folder
  std::string m_strMessage;  // the whole description shown to the user
};

class CRules {
 public:
  // Builds every record with its defaults and loads RULES_FILE_NAME from the
  // working directory. Check IsLoaded() / GetLoadError() afterwards.
  CRules();
  // Builds the defaults and loads `path`; with nullptr nothing is loaded.
  explicit CRules(const char* path);
  CRules(const CRules&) = default;
  CRules& operator=(const CRules&) = default;
  virtual ~CRules() = default;

  // Replaces the whole database with the content of the rules file at `path`.
  // On failure the database is left empty (all counts 0) and the reason is
  // kept in GetLoadError().
  bool Load(const char* path);
  // The same from a stream; `name` is used in error messages. Past
  // RULES_SIZE_LIMIT bytes the stream is read no further.
  bool Load(std::istream& in, std::string_view name);
  // The same from the file's bytes in memory.
  bool LoadText(std::string_view text, std::string_view name);

  // Writes the database as a rules file, replacing `path` atomically. On
  // failure the previous file is intact, no temporary file is left, and
  // `error` (if given) receives an Italian description.
  bool Save(const char* path, std::string* error = nullptr) const;
  // The exact bytes Save writes.
  std::string ToText() const;

  bool IsLoaded() const { return m_loadError.m_kind == CRulesError::Kind::None; }
  const CRulesError& GetLoadError() const { return m_loadError; }

  int FindSkill(std::string_view key) const;
  int FindCharacteristic(std::string_view key) const;

  std::string GetCharLabel(int c) const { return m_aCharLabel[c]; }
  std::string GetCharKey(int c) const { return m_aCharKey[c]; }
  std::string GetSkillLabel(int s) const { return m_aSkillLabel[s]; }
  std::string GetSkillKey(int s) const { return m_aSkillKey[s]; }
  std::string GetSkillSheetName(int s) const { return m_aSkillSheetName[s]; }

  // The counts as bounds for loops over the arrays: never below 0, never above
  // the capacity, whatever a count says.
  int CharacteristicsInUse() const;
  int SkillsInUse() const;
  int RacesInUse() const;
  int ArchetypesInUse() const;
  int ItemsInUse() const;

  CArchetype m_aArchetypes[MAX_ARCHETYPES];
  CRace m_aRaces[MAX_RACES];
  CItem m_aItems[MAX_ITEMS];
  int m_nArchetypes = 0;
  int m_nRaces = 0;
  int m_nItems = 0;
  int m_nPockets = POCKET_COUNT;
  int m_nCharacteristics = 0;
  std::string m_aCharLabel[MAX_CHARACTERISTICS];
  std::string m_aCharKey[MAX_CHARACTERISTICS];
  std::string m_aCharExtra[MAX_CHARACTERISTICS];
  int m_nSkills = 0;
  std::string m_aSkillLabel[MAX_SKILLS];
  std::string m_aSkillKey[MAX_SKILLS];
  std::string m_aSkillSheetName[MAX_SKILLS];
  int m_aSkillBase[MAX_SKILLS] = {};

 private:
  // Load; `fresh` says that the database holds nothing but its defaults yet.
  bool LoadFile(const char* path, bool fresh);
  // Empties the database and keeps why: a file of `size` bytes (0: more
  // than RULES_SIZE_LIMIT) is larger than any rules.
  bool RefuseAsTooLarge(std::uint64_t size, std::string_view name);
  // Fills the database from the lines of `text`; `complete` is false when
  // reading the file failed after `text`.
  bool Parse(std::string_view text, bool complete, std::string_view name, bool fresh);

  CRulesError m_loadError;
};

// The name of a rules file's content wherever a character carries the rules
// it was made with (an export, a share link): the SHA-256 of the file's bytes,
// as 64 lowercase hexadecimal digits. The same bytes, the same rules.
inline std::string RulesHash(std::string_view bytes) { return Sha256Hex(bytes); }
