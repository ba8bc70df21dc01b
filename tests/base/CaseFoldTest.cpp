#include <gtest/gtest.h>

#include "base/CaseFold.h"
#include "base/Win1252.h"

// Each kind of folding against what its characters are: Windows-1252's
// capital letters fold as Unicode folds the characters they show, but for µ,
// whose folding (the Greek mu) Windows-1252 cannot hold.
TEST(CaseFold, EachKindFoldsItsOwnCharactersOnly) {
  EXPECT_EQ(FoldAsciiCase("ARMOR \xC0"), "armor \xC0");
  EXPECT_TRUE(EqualAsciiFolded("Shield", "sHIELD"));
  EXPECT_FALSE(EqualAsciiFolded("\xC8", "\xE8"));

  for (int byte = 0; byte < 256; ++byte) {
    const auto b = static_cast<unsigned char>(byte);
    const char32_t shown = Win1252ToUnicode(b);
    if (b == 0xB5) continue;
    EXPECT_EQ(Win1252ToUnicode(FoldWin1252Case(b)), FoldUnicodeCase(shown)) << byte;
  }
  EXPECT_EQ(FoldUnicodeCase(0xB5), 0x3BCu);
  EXPECT_EQ(FoldUnicodeCase(0x212A), U'k');     // Kelvin sign
  EXPECT_EQ(FoldUnicodeCase(0x1E9E), 0xDFu);    // capital sharp s
  EXPECT_EQ(FoldUnicodeCase(0x0416), 0x0416u);  // Cyrillic: no Windows-1252 letter
  EXPECT_EQ(FoldUnicodeCase(0xD7), 0xD7u);      // multiplication sign
}
