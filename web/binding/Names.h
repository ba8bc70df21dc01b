// Names as tarvo-genera reads and writes them: a race or archetype named in a
// link is found as the command line finds it, and a character's sheet is
// offered under the file name the command line would give it.
#pragma once

#include <functional>
#include <string>
#include <string_view>

// The index of the name `wanted` (UTF-8) among `count` names (Windows-1252,
// `nameOf(i)`), or -1. A name written exactly as in the rules wins;
// otherwise the first in rules order that is the same without regard to case
// (accented letters included) and to blanks at either end.
int MatchName(std::string_view wanted, int count, const std::function<std::string(int)>& nameOf);

// Whether two UTF-8 texts are the same without regard to case and to blanks
// at either end.
bool SameNameLoosely(std::string_view a, std::string_view b);

// The file name of a sheet for a character named `name` (UTF-8), with its
// ".pg": the characters other systems forbid and control characters become
// "_", blanks at the start and blanks and dots at the end go, a leading "."
// or "-" becomes "_", the name is cut to 200 bytes between two characters,
// and a name left empty is "Senza nome".
std::string SheetFileName(std::string_view name);
