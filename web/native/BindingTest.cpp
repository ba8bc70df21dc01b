// The page's binding against the programs it must agree with: its text
// conversion against the desktop's, its matching of names and its file names
// against tarvo-genera's own code, its case folding against Qt's.
#include <gtest/gtest.h>

#include <QChar>
#include <QString>
#include <string>
#include <vector>

#include "base/CaseFold.h"
#include "base/Win1252.h"
#include "print/Win1252.h"
#include "rules/Rules.h"

namespace {

TEST(WebText, ANameIsCutAsTheDesktopsFieldHoldsIt) {
  EXPECT_EQ(CutToUtf16Units("Brunilde", 25), "Brunilde");
  EXPECT_EQ(CutToUtf16Units(std::string(30, 'x'), 25), std::string(25, 'x'));
  // A character outside the basic plane takes two of the field's places; a
  // field of 25 holds 24 characters and half of a pair, which is written "?".
  const std::string clef = "\xF0\x9D\x84\x9E";
  EXPECT_EQ(Utf8ToWin1252(CutToUtf16Units(std::string(24, 'x') + clef, 25)),
            std::string(24, 'x') + "?");
  EXPECT_EQ(Utf8ToWin1252(CutToUtf16Units(std::string(23, 'x') + clef + "y", 25)),
            ToWindows1252(QString::fromStdString(std::string(23, 'x') + clef + "y").left(25)));
}

TEST(CaseFold, UnicodeFoldsAsQtComparesWithoutCase) {
  // The characters a rules name can hold, folded by Qt.
  std::vector<char16_t> names;
  for (int byte = 0; byte < 256; ++byte)
    names.push_back(FromWindows1252(std::string(1, static_cast<char>(byte))).at(0).unicode());
  for (char32_t cp = 1; cp < 0x10000; ++cp) {
    if (cp >= 0xD800 && cp <= 0xDFFF) continue;
    const QChar typed(static_cast<char16_t>(cp));
    for (const char16_t name : names) {
      const bool qt = typed.toCaseFolded() == QChar(name).toCaseFolded();
      if (qt != (FoldUnicodeCase(cp) == FoldUnicodeCase(name))) {
        ADD_FAILURE() << std::hex << "U+" << static_cast<unsigned>(cp) << " e U+"
                      << static_cast<unsigned>(name) << ": Qt " << qt;
        return;
      }
    }
  }
}

}  // namespace
