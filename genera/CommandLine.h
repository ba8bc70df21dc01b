// The command line of tarvo-genera: what a batch of characters should be,
// read before anything asks for a display.
#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

#include "character/Character.h"

// The most characters one run makes.
inline constexpr int MAX_BATCH = 10000;
// The name of a character when the command line gives none; {n} is its number.
inline constexpr const char* DEFAULT_NAME_PATTERN = "Personaggio {n}";

// A batch as the command line asks for it. Names are as typed (matched
// against the rules later); a missing choice is left to chance.
struct CGeneraOptions {
  QString rulesFile;            // empty: the usual search
  std::optional<QString> race;  // none: a random race for each character
  QStringList archetypes;       // 0 to 3; none: one random archetype each
  bool male = true;             // --sesso m|f
  int hand = HAND_RIGHT;        // --mano: a HAND_ code
  std::optional<QString> right, left, worn;
  QStringList pockets;  // filled in order from the first pocket
  QString namePattern = QString::fromLatin1(DEFAULT_NAME_PATTERN);
  int count = 1;
  QString folder = QStringLiteral(".");
  bool toStdout = false;              // --stdout or --cartella -
  std::optional<std::uint32_t> seed;  // none: from the clock, and said on stderr
  bool overwrite = false;
  bool pdf = false;
  bool foundry = false;  // NOME.json, the actor for Foundry VTT, beside each sheet
  QString group;         // --gruppo: the group sheet of the batch, as named; empty: none
  bool quiet = false;    // --silenzioso: no progress on a terminal
};

struct CGeneraCommandLine {
  enum class Action { Run, Help, Version, Error };
  Action action = Action::Run;
  CGeneraOptions options;
  QString error;  // for Error: what is wrong, one Italian line
};

// Reads `arguments` (arguments[0] is the program). Everything that can be
// judged without the rules is judged here.
CGeneraCommandLine ParseGeneraCommandLine(const QStringList& arguments);

// The text of --help and of --version.
QString GeneraUsage();
QString GeneraVersion();
