// A batch of characters: the command line's choices resolved against the
// rules, then made one character at a time with the rules of play the form
// uses, and written as sheets.
#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "character/Character.h"
#include "character/Generation.h"
#include "character/Naming.h"
#include "genera/CommandLine.h"
#include "rules/Rules.h"

// Why a run stopped: one Italian line and the exit status (1 rules or
// writing, 2 the command line).
struct CGeneraFailure {
  int status = 0;
  QString message;
};

// Where a line for standard error goes: a warning, or the seed.
using SayFunction = std::function<void(const QString&)>;

// The status of a batch stopped by Ctrl+C, as a shell gives it.
inline constexpr int kInterruptedStatus = 130;

// What a batch tells while it runs, and asks.
struct CBatchEvents {
  // After each character, with how many are written whole so far.
  std::function<void(int written)> written;
  // Before each character: true stops the batch there.
  std::function<bool()> stop;
  // Before the sheets written to a folder are synced to the disk, which on a
  // slow disk may take a while.
  std::function<void()> syncing;
  // With --sovrascrivi, once the replacements have taken their names: how
  // many files were replaced (the group sheet's included).
  std::function<void(int files)> replaced;
  // With --gruppo, once the sheets are written: before the group sheet of
  // `characters` is drawn, which for thousands takes a while.
  std::function<void(int characters)> drawing;
};

// One purchase every character makes, in the order they are made.
struct CPurchaseOrder {
  EquipmentPlace place = EquipmentPlace::Right;
  int pocket = 0;
  int item = 0;
};

struct CBatchPlan {
  const CRules* rules = nullptr;
  std::string rulesPath;   // the rules file, named in the printable sheet's footer
  int race = -1;           // -1: a random race for each character
  int archetypes[3] = {};  // the archetypes in use, the first archetypeCount
  int archetypeCount = 0;  // 0: one random archetype for each character
  unsigned char male = 1;
  int hand = HAND_RIGHT;  // asked for: a HAND_ code
  std::vector<CPurchaseOrder> purchases;
  CNamePattern names;  // the name pattern, as the bytes of the command line
  int count = 1;
  std::uint32_t seed = 0;
  bool sayseed = false;  // the seed came from the clock: say it
  bool toStdout = false;
  std::string folder;  // the bytes of the name given
  bool overwrite = false;
  bool pdf = false;
  bool foundry = false;  // NOME.json beside each sheet, for Foundry VTT
  std::string group;     // --gruppo: the group sheet, as the bytes of the name given; empty: none
  QString nameNotice;    // said once before the batch, when not empty
};

// Resolves `options` against `rules` (loaded from `rulesPath`). On failure
// fills `failure`: status 2 for a name the rules do not have, 1 for rules that
// have no race or no archetype to make a character from.
bool PlanBatch(const CGeneraOptions& options, const CRules& rules, const std::string& rulesPath,
               CBatchPlan& plan, CGeneraFailure& failure);

// The name of character `n` (from 1), as Windows-1252 bytes.
std::string CharacterName(const CBatchPlan& plan, int n);
// The file name of character `n` without its extension, safe for a file
// system, as its bytes.
std::string FileBaseName(const CBatchPlan& plan, int n);

// Makes character `n` on a fresh `character`: race and archetypes (drawn
// when the plan leaves them to chance, from the one random source), the
// rolls, the purchases and the identity the sheet writes. The archetypes in
// use go to `archetypeNames`. Refused purchases and a hand the character
// cannot have are said through `say`.
void MakeCharacter(const CBatchPlan& plan, int n, CCharacter& character,
                   std::vector<std::string>& archetypeNames, const SayFunction& say);

// Checks where the sheets go, seeds the random source and writes every
// sheet. Nothing is written when a check fails; a write that fails removes
// its own file and stops the batch, keeping the sheets written before it.
// The sheets in a folder are synced once, at the end, however the batch ends;
// then the replacements take their names. A character whose printable sheet
// or Foundry actor fails never leaves its new files beside a file of the
// character of before. The line of a failure says what is left: how many
// characters are written whole, how many files were replaced, which stay as
// they were, files of one character that no longer belong together, the
// files kept of the character that failed, and any temporary file the folder
// did not let go. Warnings go to `warn`; the line "seme: S" of a seed
// from the clock goes to `tell`, once the checks have passed. A stop asked
// for through `events` ends the batch between two characters with status
// kInterruptedStatus and a line that says how many were written whole.
//
// With a group sheet, its place is checked with the sheets' (it is there
// without `overwrite`, its folder cannot be written or made, it would be a
// file of the batch: nothing is written), and each character written whole
// goes into it. Once every sheet is in place, it is drawn and written as the
// sheets are (created exclusively, or replaced atomically), and synced. A
// batch that fails or is stopped writes none, and its line says so; a group
// sheet that fails leaves the sheets written, and the line says that too.
bool RunBatch(const CBatchPlan& plan, const SayFunction& warn, const SayFunction& tell,
              CGeneraFailure& failure, const CBatchEvents& events = {});

// Where the batch writes, as the user named it: "banditi/", or "standard
// output".
QString BatchPlace(const CBatchPlan& plan);

// A seed from the clock, for a batch that is given none.
std::uint32_t ClockSeed();
