// The page's binding against the programs it must agree with: its text
// conversion against the desktop's, its matching of names and its file names
// against tarvo-genera's own code, its case folding against Qt's.
#include <gtest/gtest.h>

#include <QChar>
#include <QString>
#include <string>
#include <vector>

#include "genera/Batch.h"
#include "genera/CommandLine.h"
#include "print/Win1252.h"
#include "rules/Rules.h"
#include "web/binding/Names.h"
#include "web/binding/Text.h"

namespace {

std::string Utf8(char32_t cp) {
  std::string text;
  AppendUtf8(text, cp);
  return text;
}

TEST(WebText, EveryByteAndCharacterConvertsAsOnTheDesktop) {
  for (int byte = 0; byte < 256; ++byte) {
    const std::string one(1, static_cast<char>(byte));
    EXPECT_EQ(Utf8FromWindows1252(one), FromWindows1252(one).toStdString()) << byte;
  }
  for (char32_t cp = 1; cp < 0x10000; ++cp) {
    if (cp >= 0xD800 && cp <= 0xDFFF) continue;
    ASSERT_EQ(Windows1252FromUtf8(Utf8(cp)), ToWindows1252(QString(QChar(static_cast<char16_t>(cp)))))
        << std::hex << static_cast<unsigned>(cp);
  }
  EXPECT_EQ(Windows1252FromUtf8("a\xF0\x9F\x90\x89z"), "a?z");
  // A field of 25 holds 24 characters and half of a pair: that half is "?".
  EXPECT_EQ(Windows1252FromUtf8(CutToUtf16Units(std::string(24, 'x') + "\xF0\x9F\x90\x89", 25)),
            std::string(24, 'x') + "?");
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
      if (qt != (FoldCase(cp) == FoldCase(name))) {
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

}  // namespace
