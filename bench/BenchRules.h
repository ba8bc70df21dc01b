// Rules files for the speed measurements: one filled to every capacity with
// long names, and the smallest one that still plays.
#pragma once

#include <string>

#include "rules/Records.h"

namespace bench {

// A name of 30 to 45 characters, different for every `index`, with an
// accented letter (Windows-1252) as real rules have.
inline std::string LongName(const char* kind, int index) {
  std::string name = std::string(kind) + " della Torre di Velmor n\xB0 " + std::to_string(index);
  while (name.size() < static_cast<size_t>(30 + index % 16)) name += index % 2 ? " \xE0" : " x";
  return name;
}

inline void Line(std::string& text, const std::string& value) {
  text += value;
  text += "\r\n";
}
inline void Line(std::string& text, int value) { Line(text, std::to_string(value)); }

// `prefix` followed by `number`. (Built by appending: GCC 12 at -O3 warns
// falsely on const char* + std::string&&.)
inline std::string Numbered(const char* prefix, int number) {
  return std::string(prefix).append(std::to_string(number));
}

// Every count at its capacity: 5 characteristics, 20 skills, 15 races, 25
// archetypes, 40 items (or fewer characteristics and skills, as given). The
// money rolled pays for every item, and the items act on skills and
// characteristics so that purchases recompute effects.
inline std::string FullRules(int characteristics = MAX_CHARACTERISTICS, int skills = MAX_SKILLS) {
  static const char* const kKeys[] = {"shield",  "light", "craft", "acrobat", "sneack",
                                      "music",   "range", "heavy", "medium",  "smith",
                                      "stamina", "magic", "signs", "mind",    "detect",
                                      "ride",    "swim",  "climb", "lore",    "trade"};
  std::string text;
  Line(text, characteristics);
  for (int c = 0; c < characteristics; ++c) {
    Line(text, LongName("Caratteristica", c));
    Line(text, Numbered("char", c));
    Line(text, Numbered("C", c));
  }
  Line(text, skills);
  for (int s = 0; s < skills; ++s) {
    Line(text, LongName("Abilit\xE0", s));
    Line(text, Numbered("Abilita", s));
    Line(text, kKeys[s]);
    Line(text, s * characteristics / skills);
  }
  Line(text, MAX_RACES);
  for (int r = 0; r < MAX_RACES; ++r) {
    Line(text, LongName("Razza", r));
    for (int c = 0; c < characteristics; ++c) {
      Line(text, 3);
      Line(text, 6);
      Line(text, r % 3);
    }
  }
  Line(text, MAX_ARCHETYPES);
  for (int a = 0; a < MAX_ARCHETYPES; ++a) {
    // Out of alphabetical order, as the lists sort them.
    Line(text, LongName("Archetipo", (a * 7) % MAX_ARCHETYPES));
    Line(text, a % 5);
    Line(text, 2);
    Line(text, 6);
    Line(text, 5000);
    for (int s = 0; s < skills; ++s) {
      Line(text, 2);
      Line(text, 6);
      Line(text, a % 4);
    }
  }
  Line(text, MAX_ITEMS);
  static const char* const kTypes[] = {"armor", "shield", "light", "char2", "music", "empty"};
  for (int i = 0; i < MAX_ITEMS; ++i) {
    Line(text, i == 0 ? std::string("<Nulla>") : LongName("Oggetto", (i * 13) % MAX_ITEMS));
    Line(text, i == 0 ? "empty" : kTypes[i % 6]);
    Line(text, i % 4);
    Line(text, i % 3);
    Line(text, i % 5);
    Line(text, i == 0 ? 0 : 5 + i * 3);
  }
  return text;
}

// One characteristic, skill, race and archetype, and two items.
inline std::string MinimalRules() {
  std::string text;
  for (const char* line :
       {"1", "Forza", "char0", "F",     "1",     "Musica", "Musica",  "music", "0",
        "1", "Umano", "3",     "6",     "0",     "1",      "Bardo",   "3",     "2",
        "6", "5000",  "2",     "6",     "0",     "2",      "<Nulla>", "empty", "0",
        "0", "0",     "0",     "Liuto", "music", "0",      "0",       "2",     "5"}) {
    Line(text, line);
  }
  return text;
}

}  // namespace bench
