// The page's binding against the programs it must agree with: its text
// conversion against the desktop's, its matching of names and its file names
// against tarvo-genera's own code, its case folding against Qt's.
#include <gtest/gtest.h>

#include <QChar>
#include <QString>
#include <climits>
#include <string>
#include <vector>

#include "genera/Batch.h"
#include "genera/CommandLine.h"
#include "print/Win1252.h"
#include "base/Win1252.h"
#include "rules/Rules.h"
#include "web/binding/Json.h"
#include "web/binding/Names.h"
#include "web/binding/Text.h"

namespace {

TEST(WebText, ANameIsCutAsTheDesktopsFieldHoldsIt) {
  EXPECT_EQ(CutToUtf16Units("Brunilde", 25), "Brunilde");
  EXPECT_EQ(CutToUtf16Units(std::string(30, 'x'), 25), std::string(25, 'x'));
  // A character outside the basic plane takes two of the field's places; a
  // field of 25 holds 24 characters and half of a pair, which is written "?".
  const std::string clef = "\xF0\x9D\x84\x9E";
  EXPECT_EQ(Utf8ToWin1252(CutToUtf16Units(std::string(24, 'x') + clef, 25)), std::string(24, 'x') + "?");
  EXPECT_EQ(Utf8ToWin1252(CutToUtf16Units(std::string(23, 'x') + clef + "y", 25)),
            ToWindows1252(QString::fromStdString(std::string(23, 'x') + clef + "y").left(25)));
}

TEST(WebNames, CaseFoldsAsQtComparesWithoutCase) {
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

// tarvo-genera's choice of race for `wanted` among the races of `rules`.
int GeneraRace(const CRules& rules, const std::string& wanted) {
  CGeneraOptions options;
  options.race = QString::fromStdString(wanted);
  CBatchPlan plan;
  CGeneraFailure failure;
  return PlanBatch(options, rules, "prova.rul", plan, failure) ? plan.race : -1;
}

TEST(WebNames, ARaceIsFoundAsTarvoGeneraFindsIt) {
  CRules rules(nullptr);
  std::string text = "0\n0\n9\n";
  for (const char* name : {"Elfo", "elfo", "ELFO", "Nano delle Profondit\xE0", " Gnomo ", "\xC6sir",
                           "\x8C" "dipo", "\xB5-mago", "Stra\xDF" "e"})
    text += std::string(name) + "\n";
  text += "1\nBardo\n0\n0\n0\n0\n1\n<Nulla>\nempty\n0\n0\n0\n0\n";
  ASSERT_TRUE(rules.LoadText(text, "prova.rul")) << rules.GetLoadError().m_strMessage;
  const auto raceName = [&rules](int r) { return rules.m_aRaces[r].GetName(); };
  for (const std::string wanted :
       {"Elfo", "elfo", "ELFO", "eLfO", " elfo\t", "NANO DELLE PROFONDITÀ", "nano delle profondità",
        "gnomo", "Gnomo", " Gnomo ", "æsir", "ÆSIR", "œdipo", "Œdipo", "μ-mago", "Μ-MAGO", "µ-mago",
        "STRASSE", "straße", "STRAẞE", "ſtraße", "\u00A0elfo\u3000", "Elfo!", "", "Troll"}) {
    EXPECT_EQ(MatchName(wanted, rules.RacesInUse(), raceName), GeneraRace(rules, wanted)) << wanted;
  }
}

TEST(WebNames, TheSheetIsNamedAsTarvoGeneraNamesItsFile) {
  CRules rules(nullptr);
  ASSERT_TRUE(rules.LoadText("0\n0\n1\nUmano\n1\nBardo\n0\n0\n0\n0\n0\n", "prova.rul"));
  for (const std::string& name : std::vector<std::string>{
           "Aldo", " .nascosto", "-opzione", "a/b\\c:d*e?f\"g<h>i|j", "fine. . ", "tab\there", "a\x7F\u0085z",
        "Ünïcödé ☃", std::string(199, 'a') + "é", std::string(300, 'x'), "   ", "."}) {
    CGeneraOptions options;
    options.namePattern = QString::fromStdString(name);
    CBatchPlan plan;
    CGeneraFailure failure;
    ASSERT_TRUE(PlanBatch(options, rules, "prova.rul", plan, failure));
    EXPECT_EQ(SheetFileName(name), FileBaseName(plan, 1) + ".pg") << name;
  }
}

TEST(WebJson, NumbersAreWrittenInFullAtEveryEdge) {
  const long long edges[] = {0, 9, 10, -1, -10, 99, 100, INT_MAX, INT_MIN, LLONG_MAX, LLONG_MIN};
  CJson json;
  std::string expected = "[";
  json.Begin('[');
  for (const long long value : edges) {
    json.Number(value).NumberText(value);
    expected += std::to_string(value) + ",\"" + std::to_string(value) + "\",";
  }
  expected.back() = ']';
  EXPECT_EQ(json.End(']').Result(), expected);
}

}  // namespace
