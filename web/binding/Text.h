// The UTF-8 texts of the page: its characters and a field's length. The
// conversion to and from the game's Windows-1252 is the core's
// (base/Win1252.h).
#pragma once

#include <string>
#include <string_view>
#include <vector>

// The code points of UTF-8 text; a byte that starts no valid sequence is
// U+FFFD.
std::vector<char32_t> CodePoints(std::string_view text);

// UTF-8 text cut to `units` UTF-16 code units, as a text field of that many
// characters holds it: a character outside the basic plane counts two, and
// one cut in half becomes U+FFFD, which Windows-1252 writes as "?".
std::string CutToUtf16Units(std::string_view text, int units);
