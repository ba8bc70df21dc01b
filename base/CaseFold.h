// Case folding, in the three kinds the programs need, each named for the
// characters it knows.
#pragma once

#include <string>
#include <string_view>

// ASCII: A-Z lower-cased, every other byte as it is (the keys and types of
// the rules file, compared at every lookup: inline).
inline char FoldAsciiByte(char ch) {
  return ch >= 'A' && ch <= 'Z' ? static_cast<char>(ch - 'A' + 'a') : ch;
}
std::string FoldAsciiCase(std::string_view text);
// FoldAsciiCase(a) == FoldAsciiCase(b), without making either.
inline bool EqualAsciiFolded(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (FoldAsciiByte(a[i]) != FoldAsciiByte(b[i])) return false;
  }
  return true;
}

// Windows-1252: the byte of a capital letter (accented ones, Š, Œ, Ž and Ÿ
// included) becomes that of its small letter; any other byte is itself.
unsigned char FoldWin1252Case(unsigned char byte);

// Unicode's simple case folding for every character that folds to, or is,
// one that Windows-1252 can hold (the only ones a name of the rules can
// match); any other character is itself.
char32_t FoldUnicodeCase(char32_t cp);
