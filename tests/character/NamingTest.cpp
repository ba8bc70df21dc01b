#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "character/Naming.h"
#include "rules/Rules.h"

namespace {

CRules RulesWithRaces(const std::vector<std::string>& races) {
  std::string text = "0\n0\n" + std::to_string(races.size()) + "\n";
  for (const std::string& name : races) text += name + "\n";
  text += "1\nBardo\n0\n0\n0\n0\n1\n<Nulla>\nempty\n0\n0\n0\n0\n";
  CRules rules(nullptr);
  EXPECT_TRUE(rules.LoadText(text, "prova.rul")) << rules.GetLoadError().m_strMessage;
  return rules;
}

}  // namespace

// A name written as in the rules wins; otherwise the first that is the same
// without regard to case (Windows-1252's letters, and the characters that
// fold to them) and to blanks at either end.
TEST(Naming, ATypedNameFindsItsRecordLoosely) {
  const CRules rules =
      RulesWithRaces({"Elfo", "elfo", "ELFO", "Nano delle Profondit\xE0", " Gnomo ", "\xC6sir",
                      "\x8C"
                      "dipo",
                      "\xB5-mago",
                      "Stra\xDF"
                      "e"});
  const std::pair<const char*, int> cases[] = {{"Elfo", 0},
                                               {"elfo", 1},
                                               {"ELFO", 2},
                                               {"eLfO", 0},
                                               {" elfo\t", 0},
                                               {"NANO DELLE PROFONDITÀ", 3},
                                               {"nano delle profondità", 3},
                                               {"gnomo", 4},
                                               {" Gnomo ", 4},
                                               {"ÆSIR", 5},
                                               {"œdipo", 6},
                                               {"Œdipo", 6},
                                               {"μ-mago", 7},
                                               {"Μ-MAGO", 7},
                                               {"µ-mago", 7},
                                               {"straße", 8},
                                               {"STRAẞE", 8},
                                               {"ſtraße", 8},
                                               {"\u00A0elfo\u3000", 0},
                                               // Simple folding only: ß is not "ss".
                                               {"STRASSE", -1},
                                               {"Elfo!", -1},
                                               {"", -1},
                                               {"Troll", -1},
                                               {"\xFF"
                                                "lfo",
                                                -1}};
  for (const auto& [wanted, index] : cases)
    EXPECT_EQ(FindName(rules, NameKind::Race, wanted), index) << wanted;

  EXPECT_EQ(UnknownName(rules, NameKind::Race, "Tr\x01oll"),
            "razza sconosciuta: \"Tr\\x01oll\"; le razze sono: Elfo, elfo, ELFO, Nano delle "
            "Profondità,  Gnomo , Æsir, Œdipo, µ-mago, Straße");
  EXPECT_EQ(UnknownName(rules, NameKind::Item, "x", "--destra"),
            "oggetto sconosciuto per --destra: \"x\"; gli oggetti sono: <Nulla>");
}

TEST(Naming, ALinksWrongChoicesAreSaidAndLeftAsTheFormHasThem) {
  const CRules rules = RulesWithRaces({"Umano", "Nano"});
  CLinkChoices link;
  link.race = "NANO";
  link.archetypes = {"bardo", "mago", "bardo", "bardo", "bardo"};
  link.sex = "F";
  link.hand = "tutte";
  const CLinkStart start = ResolveLink(rules, link, 0);
  EXPECT_EQ(start.race, 1);
  EXPECT_EQ(start.archetypeCount, 3);
  EXPECT_FALSE(start.male);
  EXPECT_EQ(start.hand, HAND_RIGHT);
  EXPECT_EQ(start.problems,
            (std::vector<std::string>{"archetipo sconosciuto: \"mago\"; gli archetipi sono: Bardo",
                                      "al massimo tre archetipi, non 5",
                                      "la mano è destra, sinistra o entrambe, non \"tutte\""}));
  EXPECT_EQ(ReadHandWord("ENTRAMBE"), HAND_BOTH);
  EXPECT_EQ(ReadSexWord("m"), true);
  EXPECT_EQ(ReadSexWord("maschio"), std::nullopt);
}

TEST(Naming, ASheetsFileNameIsSafeOnAnyFileSystem) {
  const std::pair<std::string, std::string> cases[] = {
      {"Aldo", "Aldo.pg"},
      {" .nascosto", "_nascosto.pg"},
      {"-opzione", "_opzione.pg"},
      {"a/b\\c:d*e?f\"g<h>i|j", "a_b_c_d_e_f_g_h_i_j.pg"},
      {"fine. . ", "fine.pg"},
      {"tab\there", "tab_here.pg"},
      {"a\x7F\u0085z", "a__z.pg"},
      {"Ünïcödé ☃", "Ünïcödé ☃.pg"},
      // Cut to 200 bytes between two characters, never inside one.
      {std::string(199, 'a') + "é", std::string(199, 'a') + ".pg"},
      {std::string(300, 'x'), std::string(200, 'x') + ".pg"},
      {"   ", "Senza nome.pg"},
      {".", "_.pg"},
      // A byte that begins no UTF-8 character stays as it was given.
      {"caf\xE9", "caf\xE9.pg"},
  };
  for (const auto& [name, file] : cases) EXPECT_EQ(SheetFileName(name), file) << name;
}

TEST(Naming, APatternNumbersEachCharacterAndKeepsTheNumbersInTheFileName) {
  const CNamePattern bandit("Bandito {n} del Nord €");
  EXPECT_TRUE(bandit.HasNumber());
  EXPECT_FALSE(bandit.LosesCharacters());
  EXPECT_EQ(bandit.Name(12), "Bandito 12 del Nord \x80");
  EXPECT_EQ(bandit.FileBase(12, 500), "Bandito 12 del Nord €");

  // Room is left for the widest number of the batch, so no two numbers ever
  // make one name.
  const CNamePattern long_(std::string(300, 'x') + "{n}" + std::string(10, 'y'));
  EXPECT_EQ(long_.FileBase(7, 1000), std::string(196, 'x') + "7");
  EXPECT_EQ(long_.FileBase(1000, 1000), std::string(196, 'x') + "1000");

  const CNamePattern foreign("Ж{n}");
  EXPECT_TRUE(foreign.LosesCharacters());
  EXPECT_EQ(foreign.Name(1), "?1");
  EXPECT_FALSE(CNamePattern("Solo").HasNumber());
  EXPECT_EQ(CNamePattern(" . {n}").FileBase(2, 2), "_ 2");
  EXPECT_EQ(NumberedName("{n}-{n} {x}", 1), "1-1 {x}");
}
