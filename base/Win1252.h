// Windows-1252, the code page of every game text (the rules file, the sheet,
// the form's texts), and Unicode; and how a message shows a game text or a
// file name.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The Unicode characters of the bytes 0x80 to 0x9F; every other byte is the
// character of the same value.
inline constexpr char16_t WIN1252_80_TO_9F[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98-9F
};

// The Unicode character of `byte`. The five bytes that Windows-1252 leaves
// undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) are the control characters of the
// same value, as Windows itself maps them, so every byte makes a round trip.
inline constexpr char16_t Win1252ToUnicode(unsigned char byte) {
  return byte >= 0x80 && byte < 0xA0 ? WIN1252_80_TO_9F[byte - 0x80] : char16_t{byte};
}

// UTF-8, for the conversions below and for front ends that write texts of
// their own.
// Writes character `code` in UTF-8 at `at`, which has room for 4 bytes;
// returns the end of what it wrote.
char* WriteUtf8(char* at, char32_t code);
void AppendUtf8(std::string& text, char32_t code);
// Decodes the UTF-8 character at `at`, moving `at` past it. A malformed
// sequence (a stray continuation byte, a cut or overlong sequence, an encoded
// surrogate) gives U+FFFD and moves past its first byte only.
char32_t NextUtf8(std::string_view utf8, std::size_t& at);

// The byte of Unicode character `code`, or '?' when Windows-1252 has none.
char UnicodeToWin1252(char32_t code);

// Each byte becomes its character.
std::string Win1252ToUtf8(std::string_view bytes);
std::u16string Win1252ToUtf16(std::string_view bytes);
// UTF-8 text cut to `units` UTF-16 code units, as a text field of that many
// characters holds it: a character outside the basic plane counts two, and
// one cut in half becomes U+FFFD, which Windows-1252 writes as "?". A byte
// that begins no UTF-8 character is U+FFFD too.
std::string CutToUtf16Units(std::string_view text, int units);
// A game text as the programs show it to a player, in UTF-8: control
// characters (a stray carriage return at the end of a rules line, an escape)
// become blanks, so that none breaks a line or steers a terminal.
std::string Win1252ToShownUtf8(std::string_view bytes);
// Whether `code` is a control character: C0, DEL or C1.
inline constexpr bool IsControlCode(char32_t code) {
  return code < 0x20 || (code >= 0x7F && code < 0xA0);
}
// Whether the character of `byte` is a control character (C0, DEL, or one of
// the five undefined bytes, which are C1 controls).
inline constexpr bool IsWin1252Control(unsigned char byte) {
  return IsControlCode(Win1252ToUnicode(byte));
}

// Each character becomes its byte, or "?" when Windows-1252 has none. A byte
// that begins no well-formed UTF-8 character (a stray continuation byte, a
// cut or overlong sequence, an encoded surrogate) becomes one "?", and
// reading goes on with the byte after it. In UTF-16 a surrogate pair is one
// character, so one "?", and a lone surrogate is one "?" too.
std::string Utf8ToWin1252(std::string_view utf8);
std::string Utf16ToWin1252(std::u16string_view utf16);

// A game text as a message shows it, in UTF-8: control characters escaped
// (\t, \r, and \xNN for the others and for the five undefined bytes), a
// backslash doubled so that an escape cannot be forged, and the text cut
// after `most` characters with "…". Nothing of it can steer a terminal.
std::string Win1252ForMessage(std::string_view bytes, std::size_t most = 60);
// The same in double quotes.
std::string QuotedForMessage(std::string_view bytes, std::size_t most = 60);

// A file name as a message shows it, in UTF-8: the name's bytes as they are
// where they are UTF-8, and otherwise escaped, so that the message stays one
// line and nothing of it can steer a terminal: a byte that begins no UTF-8
// character as \xE9, a control character as \n, \r, \t or \x1B.
std::string PathForMessage(std::string_view path);
