// The Windows-1252 bytes of game texts as Qt's strings (base/Win1252.h has
// the conversion itself).
#pragma once

#include <QString>
#include <string>
#include <string_view>

// Every byte becomes one character, as Win1252ToUnicode maps it.
QString FromWindows1252(std::string_view bytes);

// A game text as the programs show it to a player, on the printed page or on
// a terminal: control characters (a stray carriage return at the end of a
// rules line, an escape) become blanks, so that none breaks a line or steers
// a terminal.
QString ShownText(std::string_view bytes);

// Every character becomes one byte; a character that Windows-1252 cannot hold
// (a surrogate pair counts as one character) becomes "?".
std::string ToWindows1252(const QString& text);
