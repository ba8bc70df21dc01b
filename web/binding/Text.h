// Game texts between their Windows-1252 bytes and the UTF-8 of the page.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// Every byte becomes one character. The five bytes that Windows-1252 leaves
// undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) become the control characters of
// the same value, so the round trip is exact.
std::string Utf8FromWindows1252(std::string_view bytes);

// Every character becomes one byte; a character Windows-1252 cannot hold
// becomes "?". Bytes that are not UTF-8 count as characters it cannot hold.
std::string Windows1252FromUtf8(std::string_view text);

// The code points of UTF-8 text; a byte that starts no valid sequence is
// U+FFFD.
std::vector<char32_t> CodePoints(std::string_view text);

// UTF-8 text cut to `units` UTF-16 code units, as a text field of that many
// characters holds it: a character outside the basic plane counts two, and
// one cut in half becomes U+FFFD, which Windows-1252 writes as "?".
std::string CutToUtf16Units(std::string_view text, int units);

// Appends code point `cp` in UTF-8.
void AppendUtf8(std::string& text, char32_t cp);
