// Whole numbers as decimal text: read as the C runtime's atoi reads them,
// written without the standard library's locale or allocation.
#pragma once

#include <string>
#include <string_view>

// Reads a number as the C runtime's atoi does (leading white space, optional
// sign, digits up to the first other character, 0 without digits), except that
// a value beyond the 32-bit range reads as the nearest 32-bit value.
int ParseNumber(std::string_view text);

// Writes `value` in decimal at `at`, which has room for 20 bytes (11 for an
// int); returns the end of what it wrote. Digit by digit in place, and inline
// where numbers are written by the thousand (a rules file, a view):
// std::to_chars is a chain of calls into the standard library in the
// WebAssembly build.
inline char* WriteDecimal(char* at, long long value) {
  auto rest = static_cast<unsigned long long>(value);
  if (value < 0) {
    *at++ = '-';
    rest = 0 - rest;
  }
  char* end = at + 1;
  for (unsigned long long more = rest / 10; more != 0; more /= 10) ++end;
  for (char* digit = end; digit != at;) {
    *--digit = static_cast<char>('0' + rest % 10);
    rest /= 10;
  }
  return end;
}

// Appends FormatNumber(value) to `text`.
inline void AppendNumber(std::string& text, int value) {
  char digits[20];
  text.append(digits, static_cast<size_t>(WriteDecimal(digits, value) - digits));
}

// A number in decimal: optional minus sign, no leading zeros.
inline std::string FormatNumber(int value) {
  std::string text;
  AppendNumber(text, value);
  return text;
}
