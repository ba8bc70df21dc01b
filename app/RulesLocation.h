// Where the programs take the rules file from. A file named on the command
// line is used as it is. Otherwise the first of these that exists:
//   1. tarvo.rul in the working folder;
//   2. the player's own copy, tarvo.rul in the data folder
//      ($XDG_DATA_HOME/tarvo, by default ~/.local/share/tarvo);
//   3. on the first start that finds neither, the installed rules
//      (<prefix>/share/tarvo/tarvo.rul, found from the program's own folder),
//      copied to the player's copy, which is then used. When the copy cannot
//      be made (a home that cannot be written), the installed rules are used
//      as they are, read-only.
// An empty player's copy (0 bytes) counts as none and is copied again.
// The rules are written back to the file they were read from, or to the
// player's copy when they are the installed ones: an installed copy in a
// system folder is never written.
#pragma once

#include <QString>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

class CRules;

// The search as the programs' usage screens tell it: the three places, one
// a line, indented.
QString RulesSearchText();

// The places the search looks at.
struct CRulesPlaces {
  QString workingFolder;   // where tarvo.rul is looked for first
  QString dataFolder;      // the player's data folder, holding the player's copy
  QString installedRules;  // the rules file installed with the program

  // The places of the running program. Needs a QCoreApplication: the
  // installed rules are found from the folder of its executable.
  static CRulesPlaces ForThisProgram();
};

// The outcome of the search.
struct CRulesLocation {
  QString path;   // the rules file to read and to write back; empty when none
  QString error;  // when none: why, in Italian, naming every path looked at in order
  // The player's copy could not be made: `path` is the installed rules, read
  // and never written; a write-back goes to the player's copy
  // (SavePlayerRules).
  bool readOnly = false;
  // When not empty: what the user is told once, in Italian, about where the
  // rules come from (the copy could not be made, or was empty and is made
  // again).
  QString notice;

  bool Found() const { return !path.isEmpty(); }
};

// Whether a search that ends at the installed rules makes the player's copy
// (a start) or leaves everything as it is and finds the installed rules
// themselves (a check of the rules, which writes nothing).
enum class CPlayerCopy { Make, Skip };

// Finds the rules file: `explicitFile` when it is not empty (relative to the
// working folder; it must exist), otherwise the first of the places above,
// making the player's copy when it is needed and `copy` allows it. The path
// found is absolute.
CRulesLocation FindRulesFile(const QString& explicitFile, const CRulesPlaces& places,
                             CPlayerCopy copy = CPlayerCopy::Make);

// The player's copy in `dataFolder`.
QString PlayerRulesPath(const QString& dataFolder);

// Copies the file `installedRules` to the player's copy in `dataFolder`,
// creating the folder when needed. The copy appears complete or not at all.
// On failure returns false and, if `error` is given, an Italian description
// that names the data folder and the reason.
bool CreatePlayerCopy(const QString& installedRules, const QString& dataFolder, QString* error);

// Writes `bytes` as the player's copy in `dataFolder`, as CreatePlayerCopy
// does: the write-back of rules read from the installed file.
bool SavePlayerRules(std::string_view bytes, const QString& dataFolder, QString* error);

// The rules a program without a window works on: the file FindRulesFile
// gives for `explicitFile` in the places of this program, loaded. What the
// search has to tell, or why there are no rules to work on (for a refused
// file, with how many further problems a check of it lists), goes to `say`
// as one Italian line without a line end. Null when there are no rules;
// otherwise `path` is the file's, in the system's encoding.
std::unique_ptr<CRules> LoadRulesWithoutWindow(const QString& explicitFile,
                                               const std::function<void(const QString&)>& say,
                                               std::string& path);
