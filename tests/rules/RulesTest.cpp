#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <climits>
#include <filesystem>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "rules/Rules.h"
#include "tests/FileBytes.h"
#include "tests/TempFolder.h"
#include "tests/rules/RulesText.h"

namespace fs = std::filesystem;

namespace {

CRules LoadText(const std::string& text, bool expectOk = true) {
  CRules rules(nullptr);
  std::istringstream in(text);
  EXPECT_EQ(rules.Load(in, "tarvo.rul"), expectOk) << rules.GetLoadError().m_strMessage;
  // Whatever the reader takes or refuses, the check says the same.
  ExpectCheckAgreesWithReader(text, rules);
  return rules;
}

const fs::path kBundled = fs::path(TARVO_RULES_DIR) / "tarvo.rul";

}  // namespace

TEST(RulesRecords, DefaultsOfEveryRecord) {
  const CItem item;
  EXPECT_EQ(item.m_strName, "<Nulla>");
  EXPECT_EQ(item.m_strType, "empty");
  EXPECT_EQ(item.m_nPotenza + item.m_nBonus + item.m_nMod + item.m_nPrice + item.m_nId, 0);

  CItem source;
  source.SetName("Spada");
  source.SetType("light");
  source.m_nPotenza = 1;
  source.m_nBonus = 2;
  source.m_nMod = 3;
  source.m_nPrice = 4;
  source.m_nId = 5;
  CItem copy;
  CItem& result = copy.CopyFrom(source);
  EXPECT_EQ(&result, &copy);
  EXPECT_EQ(copy.GetName(), "Spada");
  EXPECT_EQ(copy.GetType(), "light");
  EXPECT_EQ(copy.m_nPrice, 4);
  EXPECT_EQ(copy.m_nId, 5);

  const CRules rules(nullptr);
  EXPECT_EQ(rules.m_nPockets, 10);
  EXPECT_EQ(rules.m_aRaces[3].GetName(), "");
  EXPECT_EQ(rules.m_aRaces[3].m_aDice[4].m_nSides, 0);
  EXPECT_EQ(rules.m_aArchetypes[24].m_nHonour, 0);
  EXPECT_EQ(rules.m_aArchetypes[24].m_diceMoney.m_nCount, 0);
  EXPECT_EQ(rules.FindCharacteristic("FOR"), -1);
}

TEST(RulesLoad, EveryLineGoesToItsField) {
  const CRules rules = LoadText(Lines(kExample));
  EXPECT_EQ(rules.m_nCharacteristics, 1);
  EXPECT_EQ(rules.m_aCharLabel[0], "Strength");
  EXPECT_EQ(rules.m_aCharKey[0], "strength");
  EXPECT_EQ(rules.m_aCharExtra[0], "STR");
  EXPECT_EQ(rules.m_nSkills, 1);
  EXPECT_EQ(rules.m_aSkillLabel[0], "Music");
  EXPECT_EQ(rules.m_aSkillSheetName[0], "Music");
  EXPECT_EQ(rules.m_aSkillKey[0], "music");
  EXPECT_EQ(rules.m_aSkillBase[0], 0);
  ASSERT_EQ(rules.m_nRaces, 1);
  EXPECT_EQ(rules.m_aRaces[0].m_strName, "Human");
  EXPECT_EQ(rules.m_aRaces[0].m_aDice[0].m_nCount, 3);
  EXPECT_EQ(rules.m_aRaces[0].m_aDice[0].m_nSides, 6);
  EXPECT_EQ(rules.m_aRaces[0].m_aDice[0].m_nBonus, 2);
  ASSERT_EQ(rules.m_nArchetypes, 1);
  const CArchetype& bard = rules.m_aArchetypes[0];
  EXPECT_EQ(bard.m_strName, "Bard");
  EXPECT_EQ(bard.m_nHonour, 3);
  EXPECT_EQ(bard.m_diceMoney.m_nCount, 2);
  EXPECT_EQ(bard.m_diceMoney.m_nSides, 6);
  EXPECT_EQ(bard.m_diceMoney.m_nBonus, 10);
  EXPECT_EQ(bard.m_aSkillDice[0].m_nCount, 1);
  EXPECT_EQ(bard.m_aSkillDice[0].m_nSides, 6);
  ASSERT_EQ(rules.m_nItems, 1);
  EXPECT_EQ(rules.m_aItems[0].m_strName, "<Nulla>");
  EXPECT_EQ(rules.m_nPockets, 10);
}

TEST(RulesLoad, LineEndsBlanksAndBytesAreKept) {
  std::vector<std::string> lines = kExample;
  lines[1] = "  For za \t";           // blanks on both sides
  lines[10] = "Mezz\xE8lfo\x01\xFF";  // any byte
  const CRules lf = LoadText(Lines(lines, "\n"));
  const CRules crlf = LoadText(Lines(lines, "\r\n"));
  EXPECT_EQ(lf.m_aCharLabel[0], "  For za \t");
  EXPECT_EQ(crlf.m_aCharLabel[0], "  For za \t");
  EXPECT_EQ(crlf.m_aRaces[0].m_strName, "Mezz\xE8lfo\x01\xFF");
  EXPECT_EQ(lf.ToText(), crlf.ToText());

  // A CR that does not end a line is part of the value; the last line may lack its end.
  std::string text = Lines(kExample);
  text.replace(text.find("Human"), 5, "Hu\rman");
  text.resize(text.size() - 2);
  const CRules rules = LoadText(text);
  EXPECT_EQ(rules.m_aRaces[0].m_strName, "Hu\rman");
  EXPECT_EQ(rules.m_aItems[0].m_nPrice, 0);
  EXPECT_EQ(rules.ToText(), Lines(kExample).replace(Lines(kExample).find("Human"), 5, "Hu\rman"));

  // Only a CR before an LF ends a line: a file that stops after a CR keeps it.
  const std::vector<std::string> upToRace(kExample.begin(), kExample.begin() + 11);
  const std::string early = Lines(upToRace, "\r\n");
  EXPECT_EQ(LoadText(early.substr(0, early.size() - 1)).m_aRaces[0].m_strName, "Human\r");
}

TEST(RulesLoad, ItemIdsFollowFileOrder) {
  std::vector<std::string> lines(kExample.begin(), kExample.end() - 7);
  lines.push_back("3");
  for (const char* name : {"<Nulla>", "Pugnale", "Scudo"}) {
    lines.insert(lines.end(), {name, "empty", "0", "0", "0", "1"});
  }
  const CRules rules = LoadText(Lines(lines));
  for (int i = 0; i < 3; ++i) EXPECT_EQ(rules.m_aItems[i].m_nId, i);
  EXPECT_EQ(rules.m_aItems[3].m_nId, 0);
  EXPECT_EQ(rules.m_aItems[3].m_strName, "<Nulla>");
  EXPECT_EQ(rules.ToText(), Lines(lines));  // ids are not written
}

TEST(RulesLoad, FileEndingEarlyFillsWithEmptyAndZero) {
  EXPECT_EQ(LoadText("").ToText(), "0\r\n0\r\n0\r\n0\r\n0\r\n");

  // Stop inside the archetype: its remaining fields, later archetypes and the
  // item count read as empty and zero.
  std::vector<std::string> lines(kExample.begin(), kExample.begin() + 17);
  lines[14] = "2";
  const CRules rules = LoadText(Lines(lines));
  EXPECT_EQ(rules.m_nArchetypes, 2);
  EXPECT_EQ(rules.m_aArchetypes[0].m_strName, "Bard");
  EXPECT_EQ(rules.m_aArchetypes[0].m_nHonour, 3);
  EXPECT_EQ(rules.m_aArchetypes[0].m_diceMoney.m_nCount, 0);
  EXPECT_EQ(rules.m_aArchetypes[1].m_strName, "");
  EXPECT_EQ(rules.m_nItems, 0);
  EXPECT_TRUE(rules.IsLoaded());
}

TEST(RulesLoad, NegativeAndZeroCountsReadNoRecords) {
  const CRules rules = LoadText(Lines({"0", "-2", "0", "0", "0"}));
  EXPECT_EQ(rules.m_nSkills, -2);
  EXPECT_EQ(rules.SkillsInUse(), 0);
  EXPECT_EQ(rules.FindSkill(""), -1);
  EXPECT_EQ(rules.ToText(), Lines({"0", "-2", "0", "0", "0"}));
}

TEST(RulesLoad, NumbersReadAsTheRuntimeReadsThem) {
  // A number line of the file reads the same, whatever its line end: each
  // honour below, as the last line or followed by another.
  for (const char* honour : {"7", "123456789", "1234567890", "99999999999", "12abc", "+07", " 5",
                             "5 ", "", "5\r", "\r5", "-0", "0009"}) {
    for (const char* end : {"\n", "\r\n", ""}) {
      std::vector<std::string> lines(kExample.begin(), kExample.begin() + 17);
      lines[16] = honour;
      const std::string text = Lines(lines, "\n").substr(0, Lines(lines, "\n").size() - 1) + end;
      EXPECT_EQ(LoadText(text).m_aArchetypes[0].m_nHonour, ParseNumber(honour))
          << '"' << honour << "\" then \"" << end << '"';
    }
  }
}

TEST(RulesSave, LoadThenSaveNormalisesOnlyNumbersLineEndsAndTail) {
  std::vector<std::string> lines = kExample;
  lines[11] = "+03";   // race dice count
  lines[16] = "3abc";  // honour
  std::string text = Lines(lines, "\n") + "lines after the last item\nare never read\n";
  std::vector<std::string> expected = kExample;
  EXPECT_EQ(LoadText(text).ToText(), Lines(expected));
}

TEST(RulesSave, BundledRulesSaveToTheSameBytesTwice) {
  const std::string original = ReadBytes(kBundled);
  ASSERT_FALSE(original.empty()) << kBundled;
  const CRules first = LoadText(original);
  EXPECT_EQ(first.ToText(), original);  // the bundled file is already in plain form
  EXPECT_EQ(LoadText(first.ToText()).ToText(), original);
}

TEST(RulesBundled, FitsTheFormAndExercisesEveryRule) {
  const CRules rules(kBundled.c_str());
  ASSERT_TRUE(rules.IsLoaded()) << rules.GetLoadError().m_strMessage;
  ASSERT_EQ(rules.m_nCharacteristics, 4);
  const char* labels[] = {"Forza", "Costituzione", "Destrezza", "Mana"};
  const char* keys[] = {"FOR", "COS", "DES", "MAN"};
  for (int c = 0; c < 4; ++c) {
    EXPECT_EQ(rules.GetCharLabel(c), labels[c]);
    EXPECT_EQ(rules.GetCharKey(c), keys[c]);
  }
  ASSERT_EQ(rules.m_nSkills, 15);
  const char* skillLabels[] = {
      "Armi Pesanti", "Armi Medie",   "Lavorare Metalli",   "Usare Scudo",  "Resis. Fisica",
      "Acrobazia",    "Armi Leggere", "Armi a Distanza",    "Musica/Canto", "Manufatti",
      "Sotterfugio",  "Arte Magica",  "Interpr. dei Segni", "Res. Mentale", "Individuare"};
  const int bases[] = {0, 0, 0, 0, 1, 2, 2, 2, 2, 2, 2, 3, 3, 3, 3};
  for (int s = 0; s < 15; ++s) {
    EXPECT_EQ(rules.GetSkillLabel(s), skillLabels[s]);
    EXPECT_EQ(rules.m_aSkillBase[s], bases[s]);
    EXPECT_EQ(rules.GetSkillSheetName(s).find(' '), std::string::npos);
    EXPECT_EQ(FoldAsciiCase(rules.GetSkillKey(s)), rules.GetSkillKey(s));
  }
  const std::pair<const char*, int> shieldKeys[] = {{"shield", 3},  {"light", 6},   {"craft", 9},
                                                    {"acrobat", 5}, {"sneack", 10}, {"music", 8},
                                                    {"range", 7}};
  for (const auto& [key, skill] : shieldKeys) EXPECT_EQ(rules.FindSkill(key), skill) << key;

  EXPECT_GE(rules.m_nRaces, 5);
  EXPECT_GE(rules.m_nArchetypes, 8);
  // Neither list is in alphabetical order in the file: the form sorts them.
  std::vector<std::string> races, archetypes;
  for (int r = 0; r < rules.m_nRaces; ++r) races.push_back(rules.m_aRaces[r].GetName());
  for (int a = 0; a < rules.m_nArchetypes; ++a)
    archetypes.push_back(rules.m_aArchetypes[a].GetName());
  EXPECT_FALSE(std::is_sorted(races.begin(), races.end()));
  EXPECT_FALSE(std::is_sorted(archetypes.begin(), archetypes.end()));

  ASSERT_GE(rules.m_nItems, 25);
  EXPECT_EQ(rules.m_aItems[0].m_strName, "<Nulla>");
  EXPECT_EQ(rules.m_aItems[0].m_strType, "empty");
  EXPECT_EQ(rules.m_aItems[0].m_nPrice, 0);
  int armours = 0, shields = 0, skillTyped = 0, charTyped = 0;
  for (int i = 0; i < rules.m_nItems; ++i) {
    const std::string type = FoldAsciiCase(rules.m_aItems[i].m_strType);
    armours += type == "armor";
    shields += type == "shield";
    skillTyped += type != "shield" && rules.FindSkill(type) >= 0;
    charTyped += rules.FindSkill(type) < 0 && rules.FindCharacteristic(type) >= 0;
  }
  EXPECT_GE(armours, 2);
  EXPECT_GE(shields, 2);
  EXPECT_GE(skillTyped, 3);
  EXPECT_GE(charTyped, 2);
}

TEST(RulesLookup, KeysMatchWithoutRegardToCaseFirstMatchWins) {
  std::vector<std::string> lines = {"2", "Forza", "FOR", "F", "Mana", "man", "M", "3"};
  for (const char* key : {"music", "Light ", "MUSIC"}) {
    lines.insert(lines.end(), {"Label", "Sheet", key, "0"});
  }
  lines.insert(lines.end(), {"0", "0", "0"});
  const CRules rules = LoadText(Lines(lines));
  EXPECT_EQ(rules.FindSkill("MUSIC"), 0);
  EXPECT_EQ(rules.FindSkill("Music"), 0);
  EXPECT_EQ(rules.FindSkill("light"), -1);  // a trailing blank takes part
  EXPECT_EQ(rules.FindSkill("light "), 1);
  EXPECT_EQ(rules.FindSkill("shield"), -1);
  EXPECT_EQ(rules.FindCharacteristic("for"), 0);
  EXPECT_EQ(rules.FindCharacteristic("MAN"), 1);
  EXPECT_EQ(rules.GetSkillKey(2), "MUSIC");  // stored keys keep their case
}

TEST(RulesErrors, CountsBeyondCapacityAreRejectedWithLineAndLimit) {
  struct Case {
    int index;  // line index of the count in kExample
    int limit;
    const char* what;
  };
  const Case cases[] = {{0, 5, "caratteristiche"},
                        {4, 20, "abilità"},
                        {9, 15, "razze"},
                        {14, 25, "archetipi"},
                        {23, 40, "oggetti"}};
  for (const Case& c : cases) {
    for (int count : {c.limit + 1, INT_MAX}) {
      // A count over the limit is only possible to reach after the earlier
      // sections loaded; keep them as they are and empty the later ones.
      std::vector<std::string> lines(kExample.begin(), kExample.begin() + c.index);
      lines.push_back(std::to_string(count));
      std::string text = Lines(lines) + "x\r\n";
      const CRules rules = LoadText(text, false);
      const CRulesError& error = rules.GetLoadError();
      EXPECT_EQ(error.m_kind, CRulesError::Kind::Malformed);
      EXPECT_EQ(error.m_nLine, c.index + 1);
      const std::string expected = "riga " + std::to_string(c.index + 1) + ": il numero di " +
                                   c.what + " è " + std::to_string(count) + ", al massimo " +
                                   std::to_string(c.limit);
      EXPECT_NE(error.m_strMessage.find(expected), std::string::npos) << error.m_strMessage;
      EXPECT_NE(error.m_strMessage.find("tarvo.rul"), std::string::npos);
      EXPECT_EQ(rules.m_nCharacteristics + rules.m_nSkills + rules.m_nRaces + rules.m_nArchetypes +
                    rules.m_nItems,
                0);
    }
  }
}

TEST(RulesErrors, DiceCountsBeyondTheBoundAreRejected) {
  // Race dice, money dice and skill dice: the line of the offending count is named.
  for (int index : {11, 17, 20}) {
    std::vector<std::string> lines = kExample;
    lines[index] = "1000";
    EXPECT_TRUE(LoadText(Lines(lines)).IsLoaded());
    lines[index] = "2000000000";
    const CRulesError error = LoadText(Lines(lines), false).GetLoadError();
    EXPECT_EQ(error.m_nLine, index + 1);
    EXPECT_NE(error.m_strMessage.find("il numero di dadi è 2000000000, al massimo 1000"),
              std::string::npos)
        << error.m_strMessage;
  }
}

TEST(RulesErrors, CountsAtCapacityLoad) {
  std::vector<std::string> lines = {"5"};
  for (int c = 0; c < 5; ++c) lines.insert(lines.end(), {"L", "K" + std::to_string(c), "X"});
  lines.push_back("20");
  for (int s = 0; s < 20; ++s) lines.insert(lines.end(), {"L", "S", "k", "4"});
  lines.push_back("15");
  for (int r = 0; r < 15; ++r) {
    lines.push_back("Razza");
    for (int d = 0; d < 15; ++d) lines.push_back("1");
  }
  lines.push_back("25");
  for (int a = 0; a < 25; ++a) {
    lines.push_back("Archetipo");
    for (int d = 0; d < 4 + 60; ++d) lines.push_back("2");
  }
  lines.push_back("40");
  for (int i = 0; i < 40; ++i) lines.insert(lines.end(), {"Oggetto", "empty", "1", "2", "3", "4"});
  const CRules rules = LoadText(Lines(lines));
  EXPECT_EQ(rules.m_nItems, 40);
  EXPECT_EQ(rules.m_aItems[39].m_nId, 39);
  EXPECT_EQ(rules.m_aArchetypes[24].m_aSkillDice[19].m_nBonus, 2);
  EXPECT_EQ(rules.m_aRaces[14].m_aDice[4].m_nBonus, 1);
  EXPECT_EQ(rules.ToText(), Lines(lines));
}

TEST(RulesErrors, MissingFileOrFolderNamesFileFolderAndReason) {
  const CTempFolder folder;
  const fs::path& dir = folder.Path();
  fs::create_directories(dir / "tarvo.rul");  // a folder where the file should be
  // A pipe nobody writes to would keep the reader waiting for ever.
  ASSERT_EQ(mkfifo((dir / "pipe.rul").c_str(), 0600), 0);
  for (const fs::path& path : {dir / "nothere.rul", dir / "tarvo.rul", dir / "pipe.rul"}) {
    CRules rules(path.c_str());
    EXPECT_FALSE(rules.IsLoaded());
    const CRulesError& error = rules.GetLoadError();
    EXPECT_EQ(error.m_kind, CRulesError::Kind::CannotOpen);
    EXPECT_EQ(error.m_strFolder, dir.string());
    EXPECT_NE(error.m_strMessage.find(path.filename().string()), std::string::npos);
    EXPECT_NE(error.m_strMessage.find(dir.string()), std::string::npos);
    EXPECT_FALSE(error.m_strReason.empty());
    EXPECT_EQ(rules.m_nItems, 0);
  }
}

// A stream whose device fails after the first lines: a read error, not an end.
class FailingBuffer : public std::streambuf {
 public:
  explicit FailingBuffer(std::string text) : m_text(std::move(text)) {
    setg(m_text.data(), m_text.data(), m_text.data() + m_text.size());
  }

 protected:
  int_type underflow() override { throw std::ios_base::failure("device gone"); }

 private:
  std::string m_text;
};

TEST(RulesErrors, ReadFailureIsToldApartFromAnEarlyEnd) {
  FailingBuffer buffer(Lines({"1", "Forza", "FOR"}));
  std::istream in(&buffer);
  CRules rules(nullptr);
  EXPECT_FALSE(rules.Load(in, "tarvo.rul"));
  EXPECT_EQ(rules.GetLoadError().m_kind, CRulesError::Kind::ReadFailed);
  EXPECT_EQ(rules.GetLoadError().m_nLine, 4);
  EXPECT_NE(rules.GetLoadError().m_strMessage.find("errore di lettura"), std::string::npos);
  EXPECT_EQ(rules.m_nCharacteristics, 0);
}

TEST(RulesErrors, GarbageNeverBreaksTheReader) {
  std::mt19937 random(2026);
  const std::string bundled = ReadBytes(kBundled);
  for (int round = 0; round < 300; ++round) {
    std::string text;
    if (round % 2 == 0) {
      text.resize(random() % 4000);
      for (char& ch : text) ch = static_cast<char>(random() % 7 == 0 ? '\n' : random() % 256);
    } else {
      text = bundled.substr(0, random() % bundled.size());  // truncated anywhere
      for (int flips = random() % 8; flips > 0; --flips) {
        text[random() % text.size()] = static_cast<char>(random() % 256);
      }
    }
    CRules rules(nullptr);
    std::istringstream in(text);
    if (rules.Load(in, "tarvo.rul")) {
      EXPECT_EQ(LoadText(rules.ToText()).ToText(), rules.ToText());
    } else {
      EXPECT_EQ(rules.GetLoadError().m_kind, CRulesError::Kind::Malformed);
    }
  }
}

// A file larger than any rules (a disk image picked by mistake, a hostile
// upload) is refused at once, unread, with its size: never the whole of it in
// memory. Up to the limit a file reads as before.
TEST(RulesErrors, AFileLargerThanAnyRulesIsRefusedUnread) {
  const CTempFolder folder;
  const fs::path big = folder / "grande.rul";
  WriteBytes(big, Lines(kExample));
  fs::resize_file(big, std::uintmax_t{1} << 30);  // sparse: no disk is used
  const std::string said = "1073741824 byte, e un file delle regole ne ha al massimo " +
                           std::to_string(RULES_SIZE_LIMIT);
  const CRules rules(big.c_str());
  EXPECT_EQ(rules.GetLoadError().m_kind, CRulesError::Kind::TooLarge);
  EXPECT_EQ(rules.GetLoadError().m_strMessage,
            "Il file delle regole \"grande.rul\" nella cartella \"" + folder.Path().string() +
                "\" è troppo grande: " + said + ".");
  const auto findings = CheckRulesFile(big.c_str());
  ASSERT_EQ(findings.size(), 1u);
  EXPECT_EQ(findings[0].m_nLine, 0);
  EXPECT_EQ(findings[0].m_strMessage, "il file è troppo grande: " + said);

  // At the limit the lines after the last item are ignored, as ever; one
  // byte more, from a stream or from memory, is refused.
  std::string atLimit = Lines(kExample);
  atLimit.resize(RULES_SIZE_LIMIT, '\n');
  EXPECT_EQ(LoadText(atLimit).m_nItems, 1);
  CRules refused(nullptr);
  EXPECT_FALSE(refused.LoadText(atLimit + '\n', "memoria.rul"));
  EXPECT_EQ(refused.GetLoadError().m_kind, CRulesError::Kind::TooLarge);
  std::istringstream in(atLimit + '\n');
  EXPECT_FALSE(refused.Load(in, "flusso.rul"));
  EXPECT_NE(refused.GetLoadError().m_strMessage.find("più di " + std::to_string(RULES_SIZE_LIMIT)),
            std::string::npos);
}

TEST(RulesSave, ReportsFailureAndWritesNothing) {
  CTempFolder folder;
  const std::filesystem::path& dir = folder.Path();
  CRules rules(nullptr);
  std::string error;
  EXPECT_FALSE(rules.Save((dir / "no" / "tarvo.rul").c_str(), &error));
  EXPECT_FALSE(error.empty());
  ASSERT_TRUE(rules.Save((dir / "tarvo.rul").c_str(), &error)) << error;
  EXPECT_EQ(ReadBytes(dir / "tarvo.rul"), "0\r\n0\r\n0\r\n0\r\n0\r\n");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir),
                          std::filesystem::directory_iterator()),
            1);
}
