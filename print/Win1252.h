// Conversion between the Windows-1252 bytes of game texts and Unicode.
#pragma once

#include <QString>
#include <string>
#include <string_view>

// Every byte becomes one character. The five bytes that Windows-1252 leaves
// undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) become the control characters of
// the same value, as Windows itself maps them, so the round trip is exact.
QString FromWindows1252(std::string_view bytes);

// Every character becomes one byte; a character that Windows-1252 cannot hold
// (a surrogate pair counts as one character) becomes "?".
std::string ToWindows1252(const QString& text);
