// A character as an actor of Foundry VTT's "Simple Worldbuilding System"
// (Foundry v11 and later): the JSON that the actor's "Import Data" takes.
// The same character always gives the same bytes: a fixed key order, no
// time, game texts turned from Windows-1252 into UTF-8.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "character/Character.h"
#include "rules/Rules.h"

// The version of the export's own data, under flags.tarvo.format.
inline constexpr int FOUNDRY_FORMAT = 1;
// The file type the form offers, and the extension that picks it.
inline constexpr const char* FOUNDRY_FILE_FILTER = "Personaggio per Foundry VTT (*.json)";
inline constexpr const char* FOUNDRY_EXTENSION = ".json";

struct CFoundryActor {
  const CCharacter& character;
  const CRules& rules;
  std::vector<std::string> archetypes;  // the archetypes in use, in the form's order
  std::string rulesPath;                // the rules file; the export names it without its folder
  std::string rulesHash;                // RulesHash of its bytes; empty: not known
  std::optional<std::uint32_t> seed;    // the seed that made the character, when there is one
};

// The actor as JSON, ending in a line end.
std::string FoundryActorJson(const CFoundryActor& actor);

// An attribute key as Foundry's formulas can name it: `text` lower-cased,
// every character but an ASCII letter, a digit, "_" and "-" made "_", and a
// key already in `taken` (which it joins) numbered "_2", "_3"....
std::string FoundryKey(std::string_view text, std::vector<std::string>& taken);

// The SHA-256 (RulesHash) of the rules file at `path`, or empty when it
// cannot be read.
std::string RulesFileHash(const std::string& path);
