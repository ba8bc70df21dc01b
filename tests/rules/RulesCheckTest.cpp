// The check of rules files: small files built to hold each finding, with its
// line and its words.
#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <string>
#include <vector>

#include "bench/BenchRules.h"
#include "rules/RulesCheck.h"
#include "tests/FileBytes.h"
#include "tests/TempFolder.h"
#include "tests/rules/RulesText.h"

namespace {

using Edit = std::function<void(std::vector<std::string>&)>;

struct Expected {
  int line;
  bool error;
  std::string says;  // part of the message, or all of it when it starts with '='
};

struct Case {
  const char* what;
  Edit edit;  // applied to the lines of kExample
  std::vector<Expected> findings;
};

// kExample's lines, by number from 1.
void Set(std::vector<std::string>& lines, int line, std::string text) {
  lines[line - 1] = std::move(text);
}

// Appends an item named `name` of type `type` and counts it in the item
// count at `countLine`.
void AddItem(std::vector<std::string>& lines, std::string name, std::string type,
             int countLine = 24) {
  lines[countLine - 1] = std::to_string(std::stoi(lines[countLine - 1]) + 1);
  lines.insert(lines.end(), {std::move(name), std::move(type), "0", "0", "1", "5"});
}

void ExpectFindings(const std::string& what, const std::string& text,
                    const std::vector<Expected>& expected) {
  const std::vector<CRulesFinding> findings = CheckRules(text);
  std::string all;
  for (const CRulesFinding& f : findings) all += FormatFinding("tarvo.rul", f) + "\n";
  ASSERT_EQ(findings.size(), expected.size()) << what << "\n" << all;
  for (size_t i = 0; i < expected.size(); ++i) {
    const CRulesFinding& found = findings[i];
    const Expected& want = expected[i];
    EXPECT_EQ(found.m_nLine, want.line) << what << "\n" << all;
    EXPECT_EQ(found.IsError(), want.error) << what << "\n" << all;
    if (!want.says.empty() && want.says[0] == '=') {
      EXPECT_EQ(found.m_strMessage, want.says.substr(1)) << what;
    } else {
      EXPECT_NE(found.m_strMessage.find(want.says), std::string::npos) << what << "\n" << all;
    }
  }
}

const Edit kUnchanged = [](std::vector<std::string>&) {};

}  // namespace

TEST(RulesCheck, EachFindingAtItsLine) {
  const std::vector<Case> cases = {
      {"the complete example", kUnchanged, {}},
      {"numbers with blanks, a sign, leading zeros or beyond 32 bits read as meant",
       [](auto& l) {
         Set(l, 12, " 3 ");
         Set(l, 13, "+06");
         Set(l, 14, "\t-0002\r");
         Set(l, 17, "99999999999");
       },
       {}},
      {"a number with text after its digits",
       [](auto& l) { Set(l, 12, "3d6"); },
       {{12, false,
         "=razze, razza 1 \"Human\", numero di dadi di Strength: \"3d6\" si legge 3 (il testo "
         "dopo le cifre non conta)"}}},
      {"number lines without digits: a word, a lone sign, nothing",
       [](auto& l) {
         Set(l, 17, "tre");
         Set(l, 19, "- 6");
         Set(l, 29, "");
       },
       {{17, false,
         "=archetipi, archetipo 1 \"Bard\", onore: \"tre\" non è un numero e si legge 0"},
        {19, false, "facce dei dadi delle monete: \"- 6\" non è un numero e si legge 0"},
        {29, false, "=oggetti, oggetto 1 \"<Nulla>\", MOD: la riga è vuota e si legge 0"}}},
      {"a UTF-8 byte order mark before the first count",
       [](auto& l) {
         Set(l, 1,
             "\xEF\xBB\xBF"
             "1");
       },
       // Read as 0 characteristics, the rest of the file is out of step:
       // the skill's label is the first item.
       {{1, false,
         "=caratteristiche, numero: \"ï»¿1\" non è un numero e si legge 0; il file comincia con "
         "il BOM di UTF-8: va salvato in Windows-1252, senza BOM"},
        {2, false, "=abilità, numero: \"Strength\" non è un numero e si legge 0"},
        {3, false, "razze, numero: \"strength\" non è un numero"},
        {4, false, "archetipi, numero: \"STR\" non è un numero"},
        {7, false, "oggetto 1 \"Music\", tipo: il primo oggetto è l'oggetto vuoto"},
        {8, false, "oggetto 1 \"Music\", POTENZA: \"music\" non è un numero"},
        {11, false, "oggetto 1 \"Music\", prezzo: \"Human\" non è un numero"},
        {12, false,
         "=oggetti, dopo l'ultimo oggetto: da qui ci sono altre 19 righe, che TARVO non "
         "legge (il numero di oggetti è 1)"}}},
      {"the file ends inside an archetype",
       [](auto& l) {
         Set(l, 15, "3");
         l.resize(18);
       },
       {{19, false,
         "=archetipi, archetipo 1 di 3 \"Bard\", facce dei dadi delle monete: il file finisce "
         "prima di questa riga: i nomi che mancano si leggono vuoti e i numeri 0"}}},
      {"the file ends before a record's name",
       [](auto& l) {
         Set(l, 10, "2");
         l.resize(14);
       },
       {{15, false, "razze, razza 2 di 2, nome: il file finisce prima di questa riga"}}},
      {"the file ends before a count",
       [](auto& l) { l.resize(9); },
       {{10, false,
         "=razze, numero: il file finisce prima di questa riga: le sezioni che mancano "
         "restano vuote"}}},
      {"lines after the last item",
       [](auto& l) {
         l.insert(l.end(), {"", "Spada", "light"});
       },
       {{31, false,
         "da qui ci sono altre 3 righe, che TARVO non legge (il numero di oggetti è 1)"}}},
      {"only blank lines after the last item",
       [](auto& l) {
         l.insert(l.end(), {"", " ", "\t"});
       },
       {}},
      {"five characteristics and sixteen skills",
       [](auto& l) {
         Set(l, 1, "5");
         for (int c = 1; c < 5; ++c) {
           l.insert(l.begin() + 1 + 3 * c, {"C" + std::to_string(c), "k" + std::to_string(c), "x"});
         }
         // Line 17: the skill count.
         l[16] = "16";
         for (int s = 1; s < 16; ++s)
           l.insert(l.begin() + 21, {"S", "S", "s" + std::to_string(s), "0"});
         // Each race and archetype gets the dice of the new rows.
         auto race = std::find(l.begin(), l.end(), "Human") + 4;
         l.insert(race, 12, "1");
         auto archetype = std::find(l.begin(), l.end(), "Bard") + 8;
         l.insert(archetype, 45, "1");
       },
       {{1, false,
         "=caratteristiche, numero: 5, ma il modulo mostra solo le prime 4 caratteristiche"},
        {17, false, "=abilità, numero: 16, ma il modulo mostra solo le prime 15 abilità"}}},
      {"skill bases outside the characteristics",
       [](auto& l) {
         Set(l, 5, "2");
         l.insert(l.begin() + 9, {"Arte", "Arte", "art", "-1"});
         Set(l, 9, "1");
         l.insert(l.begin() + 27, {"1", "6", "0"});
       },
       {{9, false,
         "=abilità, abilità 1 \"Music\", base: 1 non è una caratteristica (contando da 0 vanno da "
         "0 a 0): all'abilità non si somma nessuna caratteristica"},
        {13, false, "abilità, abilità 2 \"Arte\", base: -1 non è una caratteristica"}}},
      {"the first item is no empty item, and costs",
       [](auto& l) {
         Set(l, 25, "Pugno");
         Set(l, 26, "light");
         Set(l, 30, "5");
       },
       {{26, false,
         "=oggetti, oggetto 1 \"Pugno\", tipo: il primo oggetto è l'oggetto vuoto, con cui "
         "cominciano mani, corpo e tasche, e il suo tipo dovrebbe essere empty, non light"},
        {30, false,
         "=oggetti, oggetto 1 \"Pugno\", prezzo: il primo oggetto è l'oggetto vuoto e dovrebbe "
         "costare 0, non 5"}}},
      {"the empty item of another name or case is fine",
       [](auto& l) {
         Set(l, 25, "Niente");
         Set(l, 26, "EMPTY");
       },
       {}},
      {"two races, archetypes and items of one name, without regard to case and blanks",
       [](auto& l) {
         Set(l, 10, "2");
         l.insert(l.begin() + 14, {" HUMAN ", "3", "6", "0"});  // lines 15-18
         Set(l, 19, "2");
         l.insert(l.begin() + 27, {"Bard", "1", "1", "6", "0", "1", "6", "0"});  // lines 28-35
         AddItem(l, "<nulla>", "empty", 36);                                     // line 43
         AddItem(l, "Liuto", "music", 36);
         AddItem(l, "Li\xF9to", "music", 36);  // another letter: another name
         AddItem(l, "Liuto\t", "music", 36);   // line 61
       },
       {{15, false,
         "=razze, razza 2 \" HUMAN \", nome: è già il nome della razza 1 (\"Human\"), "
         "alla riga 11"},
        {28, false,
         "=archetipi, archetipo 2 \"Bard\", nome: è già il nome dell'archetipo 1, alla "
         "riga 20"},
        {43, false,
         "oggetti, oggetto 2 \"<nulla>\", nome: è già il nome dell'oggetto 1 "
         "(\"<Nulla>\"), alla riga 37"},
        {61, false,
         "oggetto 5 \"Liuto\\t\", nome: è già il nome dell'oggetto 3 (\"Liuto\"), alla riga 49"}}},
      {"two characteristics, two skills, a skill and a characteristic of one key",
       [](auto& l) {
         Set(l, 1, "2");
         l.insert(l.begin() + 4, {"Forza", "STRENGTH", "F"});  // key at line 6
         Set(l, 8, "3");
         Set(l, 11, "music");
         l.insert(l.begin() + 12,
                  {"Canto", "Canto", "MUSIC", "0", "Lotta", "Lotta", "Strength", "0"});
         // Lines 15 and 19: the keys. The race and the archetype get the new dice.
         l.insert(l.begin() + 25, {"1", "6", "0"});
         l.insert(l.begin() + 37, {"1", "6", "0", "1", "6", "0"});
       },
       {{6, false,
         "=caratteristiche, caratteristica 2 \"Forza\", chiave: STRENGTH è già la chiave della "
         "caratteristica 1 \"Strength\", alla riga 3: gli oggetti di questo tipo agiscono solo su "
         "quella"},
        {15, false,
         "abilità, abilità 2 \"Canto\", chiave: MUSIC è già la chiave dell'abilità 1 "
         "\"Music\", alla riga 11"},
        {19, false,
         "abilità 3 \"Lotta\", chiave: Strength è già la chiave della caratteristica 1 "
         "\"Strength\", alla riga 3: gli oggetti di questo tipo agiscono solo su "
         "questa abilità"}}},
      {"types a slip or two from a known one",
       [](auto& l) {
         AddItem(l, "Corazza", "amror");     // type at line 32
         AddItem(l, "Arpa", "Musci");        // 38
         AddItem(l, "Guanto", "strenght");   // 44
         AddItem(l, "Elmo", " armor");       // 50
         AddItem(l, "Sasso", "xyzzy");       // no known type near it
         AddItem(l, "Ombra", "em");          // three away from empty
         AddItem(l, "Scettro", "STRENGTH");  // a key, in another case
       },
       {{32, false,
         "=oggetti, oggetto 2 \"Corazza\", tipo: amror: forse armor? Un tipo che TARVO non "
         "conosce non ha effetto"},
        {38, false, "tipo: Musci: forse music, la chiave dell'abilità 1 \"Music\"?"},
        {44, false,
         "tipo: strenght: forse strength, la chiave della caratteristica 1 \"Strength\"?"},
        {50, false, "tipo: \" armor\": forse armor?"}}},
      {"shields while no skill is keyed shield",
       [](auto& l) {
         AddItem(l, "Scudo", "shield");
         AddItem(l, "Brocchiere", "SHIELD");
       },
       {{32, false,
         "=oggetti, oggetto 2 \"Scudo\", tipo: shield, ma nessuna abilità ha la chiave shield: il "
         "MOD dello scudo non si aggiunge a nessuna abilità"},
        {38, false, "oggetto 3 \"Brocchiere\", tipo: SHIELD, ma nessuna abilità"}}},
      {"dice with a negative count or sides",
       [](auto& l) {
         Set(l, 12, "-1");
         Set(l, 19, "-6");
         Set(l, 21, "-2");
         Set(l, 22, "-4");
       },
       {{12, false,
         "=razze, razza 1 \"Human\", numero di dadi di Strength: -1 è negativo: non si "
         "tira nessun dado e resta solo il bonus"},
        {19, false,
         "=archetipi, archetipo 1 \"Bard\", facce dei dadi delle monete: -6 è negativo: "
         "ogni dado dà un numero da -4 a 1"},
        {21, false, "numero di dadi di Music: -2 è negativo"},
        {22, false, "facce dei dadi di Music: -4 è negativo"}}},
      {"control characters and long names are shown escaped and cut",
       [](auto& l) {
         Set(l, 11, "Hu\x01man\x80\x81" + std::string(70, 'x'));
         Set(l, 12, "3\x7F");
       },
       {{12, false,
         "razza 1 \"Hu\\x01man€\\x81" + std::string(52, 'x') +
             "…\", numero di dadi di Strength: \"3\\x7F\" si legge 3"}}},
      {"a refusal, and what follows it read as if the file were right",
       [](auto& l) {
         Set(l, 12, "2000");
         Set(l, 13, "6x");
         Set(l, 21, "1001");
         Set(l, 24, "41");
       },
       {{12, true, "=il numero di dadi è 2000, al massimo 1000"},
        {13, false, "\"6x\" si legge 6"},
        {21, true, "=il numero di dadi è 1001, al massimo 1000"},
        {24, true, "=il numero di oggetti è 41, al massimo 40"},
        {31, false, "oggetti, oggetto 2 di 41, nome: il file finisce prima di questa riga"}}},
  };
  for (const Case& c : cases) {
    std::vector<std::string> lines = kExample;
    c.edit(lines);
    ExpectFindings(c.what, Lines(lines), c.findings);
    // Line ends change nothing.
    ExpectFindings(std::string(c.what) + " (LF)", Lines(lines, "\n"), c.findings);
  }
}

TEST(RulesCheck, EmptyFilesAndCountsBeyondEveryCapacity) {
  ExpectFindings("empty", "", {{1, false, "=caratteristiche, numero: il file è vuoto"}});
  ExpectFindings("five zero counts", "0\n0\n0\n0\n0\n", {});
  ExpectFindings("no last line end", "1\nA\nB\nC",
                 {{5, false,
                   "=abilità, numero: il file finisce prima di questa riga: le sezioni "
                   "che mancano restano vuote"}});
  ExpectFindings("negative counts", "0\n-2\n0\n-1\n0\n", {});

  // A count far beyond its capacity reads records up to the end of the file
  // and no further, and the rules never hold more than their capacity.
  std::vector<std::string> lines = {std::to_string(INT_MAX)};
  for (int c = 0; c < 7; ++c) lines.insert(lines.end(), {"C", "k" + std::to_string(c), "x"});
  ExpectFindings("a huge characteristic count", Lines(lines),
                 {{1, true, "=il numero di caratteristiche è 2147483647, al massimo 5"},
                  {23, false,
                   "caratteristiche, caratteristica 8 di 2147483647, etichetta: il file "
                   "finisce"}});
  lines = {"0", "0", "0", "30"};
  for (int a = 0; a < 30; ++a) lines.insert(lines.end(), {"A", "0", "1", "6", "0"});
  lines.push_back("0");
  ExpectFindings("thirty archetypes of one name", Lines(lines), [] {
    std::vector<Expected> expected = {{4, true, "=il numero di archetipi è 30, al massimo 25"}};
    // The 25 the rules hold are compared, the others are refused anyway.
    for (int a = 1; a < 25; ++a)
      expected.push_back({5 + 5 * a, false, "è già il nome dell'archetipo 1"});
    return expected;
  }());
}

TEST(RulesCheck, FullRulesAndTheBundledOnes) {
  // The benchmark's capacity-full file shows more rows than the form has.
  ExpectFindings("full", bench::FullRules(),
                 {{1, false, "5, ma il modulo mostra solo le prime 4"},
                  {17, false, "20, ma il modulo mostra solo le prime 15"}});
  ExpectFindings("full for the form", bench::FullRules(4, 15), {});
  ExpectFindings("bundled", ReadBytes(std::filesystem::path(TARVO_RULES_DIR) / "tarvo.rul"), {});
}

TEST(RulesCheck, FilesAreReadAsTheReaderReadsThem) {
  const CTempFolder folder;
  const std::filesystem::path file = folder / "regole.rul";
  std::vector<std::string> lines = kExample;
  Set(lines, 17, "3abc");
  WriteBytes(file, Lines(lines));
  const std::vector<CRulesFinding> findings = CheckRulesFile(file.c_str());
  ASSERT_EQ(findings.size(), 1u);
  EXPECT_EQ(findings[0].m_nLine, 17);

  for (const std::filesystem::path& path : {folder / "manca.rul", folder.Path()}) {
    const std::vector<CRulesFinding> missing = CheckRulesFile(path.c_str());
    const CRules rules(path.c_str());
    ASSERT_EQ(missing.size(), 1u);
    EXPECT_TRUE(missing[0].IsError());
    EXPECT_EQ(missing[0].m_nLine, 0);
    EXPECT_EQ(missing[0].m_strMessage,
              "impossibile aprire il file delle regole: " + rules.GetLoadError().m_strReason);
    EXPECT_EQ(FormatFinding("manca.rul", missing[0]),
              "manca.rul: errore: " + missing[0].m_strMessage);
  }
}

TEST(RulesCheck, SummaryAndTheNoteOfARefusal) {
  const CRulesFinding error{CRulesFinding::Kind::Error, 3, "x"};
  const CRulesFinding warning{CRulesFinding::Kind::Warning, 5, "y"};
  EXPECT_EQ(SummarizeFindings({}), "nessun problema");
  EXPECT_EQ(SummarizeFindings({warning}), "0 errori, 1 avviso");
  EXPECT_EQ(SummarizeFindings({error, warning}), "1 errore, 1 avviso");
  EXPECT_EQ(SummarizeFindings({error, error, warning, warning, warning}), "2 errori, 3 avvisi");
  EXPECT_EQ(FormatFinding("a b.rul", warning), "a b.rul:5: avviso: y");
  EXPECT_EQ(FormatFinding("t.rul", error), "t.rul:3: errore: x");

  // The refusal itself is not counted; a path a shell would split is quoted;
  // a file wrong from its first lines on is counted no further than a
  // thousand problems.
  CTempFolder folder;
  const auto note = [&folder](const std::string& name, const std::string& text) {
    WriteBytes(folder / name, text);
    return FurtherProblemsNote((folder / name).c_str());
  };
  std::vector<std::string> lines = kExample;
  lines[11] = "2000";  // refused: too many dice
  const std::string where = " Il comando tarvo --verifica " + (folder / "").string();
  EXPECT_EQ(note("t.rul", Lines(lines)), "");
  lines[12] = "6x";
  EXPECT_EQ(note("t.rul", Lines(lines)), where + "t.rul elenca un altro problema del file.");
  lines[13] = "";
  lines[14] = "1x";
  EXPECT_EQ(note("l'ultima.rul", Lines(lines)),
            " Il comando tarvo --verifica '" + folder.Path().string() +
                "/l'\\''ultima.rul' elenca altri 3 problemi del file.");
  std::string hostile = "0\n2147483647\n";
  for (int n = 0; n < 100000; ++n) hostile += "a\n";
  EXPECT_EQ(note("h.rul", hostile), where + "h.rul elenca almeno 1000 altri problemi del file.");
  EXPECT_EQ(CheckRules(hostile, 10).size(), 10u);
}
