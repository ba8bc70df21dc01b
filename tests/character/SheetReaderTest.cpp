#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "bench/BenchRules.h"
#include "character/Dice.h"
#include "character/Generation.h"
#include "character/SheetReader.h"
#include "tests/FileBytes.h"
#include "tests/SheetRoundTrip.h"
#include "tests/TempFolder.h"

namespace fs = std::filesystem;

namespace {

const fs::path SOURCE = TARVO_SOURCE_DIR;
const fs::path DATA = TARVO_CHARACTER_TEST_DATA;

CRules Rules(const fs::path& path) {
  CRules rules(path.c_str());
  EXPECT_TRUE(rules.IsLoaded()) << rules.GetLoadError().m_strMessage;
  return rules;
}

// Any bytes but LF and NUL, with "/" and Windows-1252 letters among them;
// now and then far longer than the form allows.
std::string RandomName(std::mt19937& random) {
  static const std::string kBytes = "Aldo /\xE0\xC8\x80\xFF\t\r<>.-0123456789";
  std::string name;
  const int length = random() % 10 == 0 ? 3000 : static_cast<int>(random() % 30);
  for (int i = 0; i < length; ++i) name += kBytes[random() % kBytes.size()];
  return name;
}

// Characters made as the form makes them: rolls, purchases into every place,
// re-rolls that give items up, any identity.
TEST(SheetReaderTest, RandomCharactersOfEveryRulesSetReadBackToTheSameBytes) {
  std::vector<std::pair<std::string, CRules>> sets;
  for (const fs::path& path :
       {SOURCE / "tarvo.rul", DATA / "odd.rul", DATA / "aldo.rul", SOURCE / "tests/ui/data/form.rul",
        SOURCE / "tests/ui/data/small.rul", SOURCE / "tests/ui/data/wide.rul",
        SOURCE / "tests/genera/data/genera.rul"})
    sets.emplace_back(path.filename().string(), Rules(path));
  CRules full(nullptr);
  ASSERT_TRUE(full.LoadText(bench::FullRules(), "piene.rul"));
  sets.emplace_back("piene.rul", full);

  for (const auto& [file, rules] : sets) {
    for (unsigned seed = 0; seed < 150; ++seed) {
      SCOPED_TRACE(file + " seed " + std::to_string(seed));
      std::mt19937 random(seed);
      SeedRandom(seed);
      CCharacter made;
      const int race = static_cast<int>(random() % rules.RacesInUse());
      int archetypes[3];
      const int inUse = 1 + static_cast<int>(random() % 3);
      for (int& a : archetypes) a = static_cast<int>(random() % rules.ArchetypesInUse());
      ASSERT_TRUE(RollCharacteristics(made, rules, race));
      ASSERT_TRUE(RollSkills(made, rules, archetypes, inUse));
      for (int buy = static_cast<int>(random() % 20); buy > 0; --buy) {
        const auto place = static_cast<EquipmentPlace>(random() % 4);
        Purchase(made, rules, place, static_cast<int>(random() % POCKET_COUNT),
                 static_cast<int>(random() % rules.ItemsInUse()));
        if (random() % 8 == 0) RollSkills(made, rules, archetypes, inUse);
      }
      made.m_strName = RandomName(random);
      made.m_strRace = rules.m_aRaces[race].m_strName;
      std::vector<std::string> names;
      for (int k = 0; k < inUse; ++k) names.push_back(rules.m_aArchetypes[archetypes[k]].m_strName);
      made.m_strArchetype = JoinArchetypes(names);
      made.m_bMale = random() % 2;
      made.m_nHand = 1 + static_cast<int>(random() % 3);

      const std::string text = made.SheetText(rules);
      ASSERT_TRUE(SheetRoundTrips(text, rules));
      // The sheet has no modifiers: they come back from the items.
      CSheet sheet;
      CCharacter read;
      ASSERT_TRUE(ReadSheetText(text, "scheda.pg", rules, sheet));
      ApplySheet(sheet, rules, read);
      for (int s = 0; s < MAX_SKILLS; ++s)
        ASSERT_EQ(read.m_aSkills[s].m_nModifier, made.m_aSkills[s].m_nModifier);
      for (int c = 0; c < MAX_CHARACTERISTICS; ++c)
        ASSERT_EQ(read.m_aStats[c].m_nModifier, made.m_aStats[c].m_nModifier);
    }
  }
}

// The sheet of Aldo, line by line, against rules that have all it holds.
class AldoTest : public ::testing::Test {
 protected:
  AldoTest() {
    const std::string text = ReadBytes(DATA / "aldo.pg");
    for (size_t at = 0; at < text.size();) {
      const size_t end = text.find("\r\n", at);
      lines.push_back(text.substr(at, end - at));
      at = end + 2;
    }
  }
  // The sheet with line `number` (1-based) replaced by `text`, or taken out
  // when `text` is null.
  std::string With(size_t number, const char* text, size_t textSize = 0) const {
    std::string sheet;
    for (size_t i = 0; i < lines.size(); ++i) {
      if (i + 1 == number && text == nullptr) continue;
      sheet += i + 1 == number ? std::string(text, textSize ? textSize : strlen(text)) : lines[i];
      sheet += "\r\n";
    }
    return sheet;
  }
  bool Read(const std::string& text, CSheet& sheet, CSheetError* error = nullptr) const {
    return ReadSheetText(text, "/schede/aldo.pg", rules, sheet, error);
  }
  std::vector<std::string> lines;
  CRules rules = Rules(DATA / "aldo.rul");
};

TEST_F(AldoTest, ReadsWhatTheFormNeedsAndTheScoresAsWritten) {
  CSheet sheet;
  ASSERT_TRUE(Read(With(23, "Armatura 9"), sheet));
  EXPECT_EQ(sheet.m_strName, "Aldo");
  EXPECT_EQ(sheet.m_nRace, 0);
  EXPECT_EQ(sheet.m_nArchetypes, 2);
  const int archetypes[3] = {0, 1, 1};  // the third list mirrors the second
  EXPECT_TRUE(std::equal(archetypes, archetypes + 3, sheet.m_aArchetypes));
  EXPECT_TRUE(sheet.m_bMale);
  EXPECT_EQ(sheet.m_nHand, 1);
  EXPECT_EQ(sheet.m_itemLeft.m_nPrice, 6);  // the catalogue's, not in the sheet
  EXPECT_EQ(sheet.m_aPockets[0].m_nId, 4);

  CCharacter aldo;
  sheet_round_trip::Clutter(aldo);
  ApplySheet(sheet, rules, aldo);
  EXPECT_EQ(aldo.m_nArmour, 9);                 // the sheet's, not the leather's 2
  EXPECT_EQ(aldo.m_aSkills[1].m_nModifier, 2);  // the shield
  EXPECT_EQ(aldo.m_aSkills[2].m_nModifier, 0);  // the dagger's +1, the shield's -1
  EXPECT_EQ(aldo.m_aStats[4].m_nValue, 0);
  EXPECT_EQ(aldo.m_aPockets[14].m_strName, "<Nulla>");

  // The hand as written, whatever the ambidexterity rule would say of DES 11.
  ASSERT_TRUE(Read(With(25, "Dominante Ambidestro"), sheet));
  EXPECT_EQ(sheet.m_nHand, 3);
  ASSERT_TRUE(Read(With(25, "Dominante Mancino"), sheet));
  EXPECT_EQ(sheet.m_nHand, 2);
}

TEST_F(AldoTest, LineEndsExtremeNumbersAndLongNamesAreAccepted) {
  CSheet sheet;
  const std::string mixed = With(0, nullptr).replace(0, 26, "Informazioni Personaggio\n");
  EXPECT_TRUE(Read(mixed, sheet));
  const std::string unended = With(0, nullptr);
  EXPECT_TRUE(Read(unended.substr(0, unended.size() - 2), sheet));

  EXPECT_TRUE(SheetRoundTrips(With(24, "Monete -2147483648"), rules));
  EXPECT_TRUE(SheetRoundTrips(With(31, "Sotterfugio 2147483647"), rules));
  const std::string name = "NOME " + std::string(200000, '/');
  EXPECT_TRUE(SheetRoundTrips(With(4, name.c_str()), rules));
  EXPECT_TRUE(SheetRoundTrips(With(4, "NOME "), rules));
}

TEST_F(AldoTest, AnythingElseIsRefusedAtItsLineAndChangesNothing) {
  const std::string utf8Heading = "- Abilit\xC3\xA0 -";
  struct Case {
    size_t line;
    const char* text;  // null: the line is taken out
    size_t refusedAt;
    std::string reason;
  };
  const std::string number = "\"PF.Tot \" e un numero intero";
  const std::vector<Case> cases = {
      {1, "Informazioni personaggio", 1, "il file non è una scheda personaggio"},
      {1, "\xEF\xBB\xBFInformazioni Personaggio", 1, "comincia con il BOM di UTF-8"},
      {2, "- Quistel 1.2.3 pg format -", 2, "atteso \"- Quistel 1.2.2 pg format -\""},
      {4, "NOME", 4, "atteso \"NOME \" e il nome del personaggio, trovato \"NOME\""},
      {6, "ARCHETIPO Guerriero/Ladro/Ladro/Ladro", 6, "da uno a tre archetipi"},
      {6, "ARCHETIPO Guerriero/", 6, "da uno a tre archetipi"},
      {7, "RAZZA umano", 7, "atteso \"RAZZA \" e il nome di una razza delle regole"},
      {8, "SESSO maschile", 8, "\"SESSO Maschile\" o \"SESSO Femminile\""},
      {11, "for 12", 11, "atteso \"FOR \" e un numero"},
      {17, "PF.Tot +5", 17, number},
      {17, "PF.Tot 05", 17, number},
      {17, "PF.Tot -0", 17, number},
      {17, "PF.Tot 5 ", 17, number},
      {17, "PF.Tot 2147483648", 17, number},
      {17, "PF.Tot ", 17, number},
      {25, "Dominante Destro", 25, "\"Dominante Mancino\""},
      {27, utf8Heading.c_str(), 27, "salvata in UTF-8"},
      {30, nullptr, 30, "atteso \".\" prima di \"Sotterfugio \""},
      {34, "Destra.NOME Spadone", 34, "atteso \"Destra.NOME \" e il nome di un oggetto"},
      {35, "Destra.TIPO heavy", 35, "il tipo di un oggetto delle regole chiamato \"Pugnale\""},
      {36, "Destra.POTENZA 3", 36,
       "nessun oggetto delle regole chiamato \"Pugnale\" di tipo \"light\" ha POTENZA 3"},
      {38, "Destra.MOD 9", 38, "di tipo \"light\" con POTENZA 2 e BONUS 1 ha MOD 9"},
      {55, "Tasca1.NOME <Nulla> ", 55, "\"Tasca1.NOME \" e il nome di un oggetto"},
      {55, "Tasca2.NOME <Nulla>", 55, "\"Tasca1.NOME \""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    CSheet sheet;
    sheet.m_strName = "prima";
    CSheetError error;
    EXPECT_FALSE(Read(With(c.line, c.text), sheet, &error));
    EXPECT_EQ(sheet.m_strName, "prima");
    EXPECT_EQ(error.m_kind, CSheetError::Kind::Malformed);
    EXPECT_EQ(error.m_nLine, c.refusedAt);
    EXPECT_NE(error.m_strReason.find(c.reason), std::string::npos) << error.m_strReason;
    EXPECT_EQ(error.m_strMessage.find("La scheda \"aldo.pg\" nella cartella \"/schede\" non è "
                                      "valida: riga " + std::to_string(c.refusedAt) + ": "),
              0u)
        << error.m_strMessage;
  }
}

TEST_F(AldoTest, TheSheetMustEndWithTheRulesPockets) {
  const std::string whole = With(0, nullptr);
  const auto refusal = [&](const std::string& text, const CRules& against) {
    CSheet sheet;
    CSheetError error;
    EXPECT_FALSE(ReadSheetText(text, "aldo.pg", against, sheet, &error));
    return std::to_string(error.m_nLine) + ": " + error.m_strReason;
  };
  EXPECT_EQ(refusal("", rules),
            "1: atteso \"Informazioni Personaggio\" (la prima riga di ogni scheda), trovata la "
            "fine del file: il file non è una scheda personaggio");
  EXPECT_EQ(refusal(whole.substr(0, whole.find("Tasca5.")), rules),
            "75: atteso \"Tasca5.NOME \" e il nome di un oggetto delle regole, trovata la fine del "
            "file: la scheda ha 5 tasche, le regole 10");
  EXPECT_EQ(refusal(whole + "\r\n", rules).substr(0, 57),
            "100: attesa la fine del file dopo le 10 tasche delle rego");
  CRules more = rules;
  more.m_nPockets = 12;
  EXPECT_EQ(refusal(whole, more).substr(0, 4), "100:");
  more.m_nPockets = 0;
  EXPECT_NE(refusal(whole, more).find("non hanno tasche"), std::string::npos);
  // Other rules with the same race and archetypes: the first skill they lack.
  EXPECT_EQ(refusal(whole, Rules(SOURCE / "tarvo.rul")).substr(0, 3), "29:");

  std::string nul = With(4, "NOME Al\0do", 10);
  EXPECT_EQ(refusal(nul, rules), "4: il nome del personaggio contiene un byte nullo");
}

TEST_F(AldoTest, FilesThatCannotBeReadAreToldApart) {
  CTempFolder folder;
  CSheet sheet;
  CSheetError error;
  EXPECT_FALSE(ReadSheet((folder / "nessuna.pg").c_str(), rules, sheet, &error));
  EXPECT_EQ(error.m_strMessage.find("Impossibile aprire la scheda \"nessuna.pg\" nella cartella"),
            0u);
  EXPECT_FALSE(ReadSheet(folder.Path().c_str(), rules, sheet, &error));
  EXPECT_EQ(error.m_kind, CSheetError::Kind::CannotOpen);
  ASSERT_EQ(mkfifo((folder / "tubo.pg").c_str(), 0600), 0);
  EXPECT_FALSE(ReadSheet((folder / "tubo.pg").c_str(), rules, sheet, &error));
  EXPECT_NE(error.m_strMessage.find("non è un file normale"), std::string::npos);
  EXPECT_FALSE(IsSheetFile((folder / "tubo.pg").c_str()));
  // A plain file whose reading fails: its first bytes are unmapped memory.
  EXPECT_FALSE(ReadSheet("/proc/self/mem", rules, sheet, &error));
  EXPECT_EQ(error.m_kind, CSheetError::Kind::ReadFailed) << error.m_strMessage;

  // One byte beyond the largest sheet these rules can give.
  const fs::path large = folder / "grande.pg";
  WriteBytes(large, With(4, ("NOME " + std::string(SheetSizeLimit(rules), 'x')).c_str()));
  EXPECT_FALSE(ReadSheet(large.c_str(), rules, sheet, &error));
  EXPECT_EQ(error.m_kind, CSheetError::Kind::TooLarge);
  EXPECT_TRUE(IsSheetFile(large.c_str()));

  EXPECT_TRUE(SheetFileRoundTrips(DATA / "aldo.pg", rules));
  EXPECT_FALSE(IsSheetFile((SOURCE / "tarvo.rul").c_str()));
  EXPECT_TRUE(IsSheetText("Informazioni Personaggio\nx"));
  EXPECT_FALSE(IsSheetText("Informazioni Personaggio\r"));
}

// Names holding "/" and repeated names: the archetypes and items the form
// would show for them.
TEST(SheetReaderOddRulesTest, ArchetypesAndItemsByTheirWrittenText) {
  const CRules rules = Rules(DATA / "odd.rul");
  CCharacter character;
  const int first[3] = {0, 0, 0};
  SeedRandom(1);
  ASSERT_TRUE(RollCharacteristics(character, rules, 2));
  ASSERT_TRUE(RollSkills(character, rules, first, 1));
  character.m_strRace = rules.m_aRaces[2].m_strName;
  character.m_strArchetype = "ARCHETIPO-QUI";
  character.m_aPockets[1].CopyFrom(rules.m_aItems[3]);  // the dearer of two same Spade
  character.m_aPockets[2].CopyFrom(rules.m_aItems[0]);
  const std::string text = character.SheetText(rules);
  const auto with = [&](const std::string& line) {
    std::string sheet = text;
    return sheet.replace(sheet.find("ARCHETIPO-QUI"), 13, line);
  };
  const auto archetypes = [&](const std::string& line) {
    const std::string sheet = with(line);
    CSheet read;
    if (!ReadSheetText(sheet, "odd.pg", rules, read)) return std::string("rifiutata");
    std::string indexes;
    for (int k = 0; k < read.m_nArchetypes; ++k) indexes += std::to_string(read.m_aArchetypes[k]);
    return indexes;
  };
  EXPECT_EQ(archetypes("Guerriero"), "0");
  EXPECT_EQ(archetypes("Guerriero/Ladro"), "2");
  EXPECT_EQ(archetypes("Guerriero/Ladro/Mago"), "23");
  EXPECT_EQ(archetypes("Ladro/Mago/Guerriero"), "40");
  EXPECT_EQ(archetypes("Guerriero/Ladro/Mago/Mago"), "233");
  EXPECT_EQ(archetypes("X/Y/Z"), "98");  // "X/Y" first leaves "Z", which is none
  EXPECT_EQ(archetypes("Mago/"), "36");
  EXPECT_EQ(archetypes(""), "6");
  EXPECT_EQ(archetypes("Mago/Mago/Mago/Mago"), "rifiutata");
  EXPECT_EQ(archetypes("Guerriero/Guerriero"), "00");

  CSheet sheet;
  ASSERT_TRUE(ReadSheetText(with("Mago"), "odd.pg", rules, sheet));
  EXPECT_EQ(sheet.m_nRace, 0);               // the first "Umano"
  EXPECT_EQ(sheet.m_aPockets[1].m_nId, 1);   // the first entry with these five fields
  EXPECT_EQ(sheet.m_aPockets[1].m_nPrice, 10);
  EXPECT_EQ(sheet.m_aPockets[2].m_nId, 0);   // "Niente", catalogue entry 0
  EXPECT_EQ(sheet.m_aPockets[3].m_nId, 0);   // never filled: the default item
  EXPECT_EQ(sheet.m_aPockets[3].m_strName, "<Nulla>");
  // Where the catalogue has the default item's five fields, its entry is taken.
  CRules priced = rules;
  priced.m_aItems[7] = CItem();
  priced.m_aItems[7].m_nPrice = priced.m_aItems[7].m_nId = 7;
  ASSERT_TRUE(ReadSheetText(with("Mago"), "odd.pg", priced, sheet));
  EXPECT_EQ(sheet.m_aPockets[3].m_nId, 7);
}

}  // namespace
