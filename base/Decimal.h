// Whole numbers as decimal text: read as the C runtime's atoi reads them,
// written without the standard library's locale or allocation.
#pragma once

#include <string>
#include <string_view>

// Reads a number as the C runtime's atoi does (leading white space, optional
// sign, digits up to the first other character, 0 without digits), except that
// a value beyond the 32-bit range reads as the nearest 32-bit value.
int ParseNumber(std::string_view text);

// A number in decimal: optional minus sign, no leading zeros.
std::string FormatNumber(int value);
// Writes `value` in decimal at `at`, which has room for 20 bytes (11 for an
// int); returns the end of what it wrote. Digit by digit in place:
// std::to_chars is a chain of calls into the standard library in the
// WebAssembly build.
char* WriteDecimal(char* at, long long value);
// Appends FormatNumber(value) to `text`.
void AppendNumber(std::string& text, int value);
