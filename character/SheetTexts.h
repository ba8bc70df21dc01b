// What the printed sheet of a character says, as plain texts that a front end
// lays out: the desktop draws them on a page, the web page puts them in its
// printable sheet. Every text is Windows-1252, as the game's texts are kept,
// but for the rules file's name (the bytes of a file name); a front end shows
// them with their control characters as blanks.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "character/Character.h"
#include "rules/Rules.h"

// The sheet's own words: its headings and the captions of its boxes and
// columns.
struct CSheetWords {
  std::string_view title = "Scheda del personaggio";
  std::string_view race = "Razza";
  std::string_view archetypes = "Archetipi";
  std::string_view sex = "Sesso";
  std::string_view hand = "Mano dominante";
  std::string_view characteristics = "Caratteristiche";
  std::string_view scores = "Punteggi";
  std::string_view pockets = "Tasche";
  std::string_view skills = "Abilit\xE0";
  std::string_view equipment = "Equipaggiamento";
  std::string_view notes = "Note";
  // The columns of the characteristics, of the skills (their last: the total
  // with the characteristic the skill rests on) and of the equipment (after
  // the place).
  std::array<std::string_view, 3> statColumns = {"Valore", "Mod.", "Totale"};
  std::array<std::string_view, 4> skillColumns = {"Valore", "Mod.", "Totale", "+ Car."};
  std::array<std::string_view, 5> itemColumns = {"Oggetto", "Tipo", "POTENZA", "BONUS", "MOD"};
  std::string_view rulesFile = "Regole: ";
};
inline constexpr CSheetWords SHEET_WORDS{};

struct CSheetTexts {
  struct Stat {
    std::string label, value, modifier, total;
  };
  struct Skill {
    std::string label, value, modifier, total, withBase;
  };
  struct Group {
    std::string heading;  // a characteristic, or "Senza caratteristica"
    std::vector<Skill> skills;
  };
  struct Held {
    std::string place, name, type, potenza, bonus, mod;
  };
  struct Labelled {
    std::string label, text;
  };

  std::string name;  // NO_NAME when it shows nothing but blanks
  std::string race, sex, hand;
  std::vector<std::string> archetypes;  // each apart: a name may hold the "/"
  std::vector<Stat> stats;
  std::array<Labelled, 6> scores;  // PF, PM, Onore, C.d.B., Protezione, Monete
  std::vector<Group> groups;
  std::array<Held, 3> held;  // the right hand, the left hand, worn
  std::vector<Labelled> pockets;
  std::string rulesFile;  // the rules file's name, without its folder
  std::string program;    // "TARVO 1.2": the program and its version
};

// The texts of the sheet of `character`, built from `rules`, with the
// archetypes in use (in the form's order; an empty name is left out) and the
// path of the rules file. The identity comes from the fields of the character
// that a save sets (name, race, sex, hand).
CSheetTexts MakeSheetTexts(const CCharacter& character, const CRules& rules,
                           const std::vector<std::string>& archetypes, std::string_view rulesPath);
// The same into `texts`, whose storage is used again: for a front end that
// lays the sheet out after every change.
void MakeSheetTexts(const CCharacter& character, const CRules& rules,
                    const std::vector<std::string>& archetypes, std::string_view rulesPath,
                    CSheetTexts& texts);

// The sheet's title for a document's properties and a print queue:
// "Scheda del personaggio: " and the name the sheet shows.
std::string SheetTitle(const CCharacter& character);

// The program and its version as the sheet's footer names them.
std::string_view ProgramMark();
