#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <iterator>
#include <string>

#include "character/Character.h"
#include "tests/FileBytes.h"
#include "tests/Items.h"
#include "tests/SheetRoundTrip.h"
#include "tests/TempFolder.h"

namespace fs = std::filesystem;

namespace {

// An item with a price and an id, neither of which the sheet writes.
CItem HeldItem(const char* name, const char* type, int potenza, int bonus, int mod) {
  return MakeItem(name, type, potenza, bonus, mod, 3, 7);
}

// Aldo, the warrior-thief of the rules' own example sheet.
class SheetTest : public ::testing::Test {
 protected:
  SheetTest() {
    const char* keys[] = {"FOR", "COS", "DES", "MAN"};
    rules.m_nCharacteristics = 4;
    for (int c = 0; c < 4; ++c) rules.m_aCharKey[c] = keys[c];
    const char* skills[] = {"ArmiPesanti", "UsareScudo", "Sotterfugio"};
    const int bases[] = {0, 0, 2};
    rules.m_nSkills = 3;
    for (int s = 0; s < 3; ++s) {
      rules.m_aSkillSheetName[s] = skills[s];
      rules.m_aSkillBase[s] = bases[s];
    }
    // What the sheet names, so that it reads back.
    rules.m_nRaces = 1;
    rules.m_aRaces[0].m_strName = "Umano";
    rules.m_nArchetypes = 2;
    rules.m_aArchetypes[0].m_strName = "Guerriero";
    rules.m_aArchetypes[1].m_strName = "Ladro";
    rules.m_nItems = 5;
    rules.m_aItems[0] = HeldItem("Pugnale", "light", 2, 1, 1);
    rules.m_aItems[1] = HeldItem("Scudo", "shield", 1, 0, 2);
    rules.m_aItems[2] = HeldItem("Cuoio", "armor", 2, 0, 0);
    rules.m_aItems[3] = HeldItem("Corda", "empty", 0, 0, 0);
    rules.m_aItems[4] = HeldItem("Fuori", "empty", 1, 1, 1);

    aldo.m_strName = "Aldo";
    aldo.m_strArchetype = "Guerriero/Ladro";
    aldo.m_strRace = "Umano";
    aldo.m_bMale = 1;
    aldo.m_nHand = 1;
    const int stats[] = {12, 14, 11, 9};
    for (int c = 0; c < 4; ++c) aldo.m_aStats[c].m_nValue = stats[c];
    aldo.m_aStats[0].m_nModifier = 4;  // never written
    const int values[] = {7, 5, 6};
    for (int s = 0; s < 3; ++s) aldo.m_aSkills[s].m_nValue = values[s];
    aldo.m_nPFTot = aldo.m_nPFAct = 14;
    aldo.m_nPMTot = aldo.m_nPMAct = 9;
    aldo.m_nHonour = 3;
    aldo.m_nCdB = 55;
    aldo.m_nArmour = 2;
    aldo.m_nMoney = 12;
    aldo.m_itemRight = HeldItem("Pugnale", "light", 2, 1, 1);
    aldo.m_itemLeft = HeldItem("Scudo", "shield", 1, 0, 2);
    aldo.m_itemWorn = HeldItem("Cuoio", "armor", 2, 0, 0);
    aldo.m_aPockets[0] = HeldItem("Corda", "empty", 0, 0, 0);
    aldo.m_aPockets[10] = HeldItem("Fuori", "empty", 1, 1, 1);  // beyond the ten pockets
  }

  CTempFolder m_folder;
  CRules rules{nullptr};
  CCharacter aldo;
};

const fs::path ALDO_SHEET = fs::path(TARVO_CHARACTER_TEST_DATA) / "aldo.pg";

TEST_F(SheetTest, WorkedExampleIsWrittenByteForByte) {
  const fs::path file = m_folder / "aldo.pg";
  std::string error;
  ASSERT_TRUE(aldo.WriteSheet(file.c_str(), rules, &error)) << error;
  const std::string expected = ReadBytes(ALDO_SHEET);
  ASSERT_EQ(expected.size(), 1547u) << "golden sheet missing or altered: " << ALDO_SHEET;
  EXPECT_EQ(ReadBytes(file), expected);
  EXPECT_TRUE(SheetFileRoundTrips(file, rules));
}

TEST_F(SheetTest, EveryChangeOfBaseStartsABlockAndBasesAreNeverIndexes) {
  rules.m_nSkills = 5;
  const int bases[] = {0, 0, 1, 1, 0};
  for (int s = 0; s < 5; ++s) {
    rules.m_aSkillSheetName[s] = std::string(1, static_cast<char>('A' + s));
    rules.m_aSkillBase[s] = bases[s];
  }
  const char* blocks = "- Abilit\xE0 -\r\nA 7\r\nB 5\r\n.\r\nC 6\r\nD 0\r\n.\r\nE 0\r\n.\r\n";
  EXPECT_NE(aldo.SheetText(rules).find(blocks), std::string::npos);

  rules.m_aSkillBase[2] = rules.m_aSkillBase[3] = INT_MIN;  // no such characteristic
  rules.m_aSkillBase[4] = 99;
  const char* odd = "- Abilit\xE0 -\r\nA 7\r\nB 5\r\n.\r\nC 6\r\nD 0\r\n.\r\nE 0\r\n.\r\n";
  EXPECT_NE(aldo.SheetText(rules).find(odd), std::string::npos);
  EXPECT_TRUE(SheetRoundTrips(aldo.SheetText(rules), rules));

  rules.m_nSkills = 0;
  EXPECT_NE(aldo.SheetText(rules).find("- Abilit\xE0 -\r\n.\r\n-"), std::string::npos);
}

TEST_F(SheetTest, IdentityWordsAndNegativeNumbers) {
  aldo.m_strName.clear();
  aldo.m_bMale = 0;
  aldo.m_nHand = 3;
  aldo.m_nMoney = -7;
  aldo.m_nCdB = INT_MIN;
  const std::string text = aldo.SheetText(rules);
  EXPECT_NE(text.find("\r\nNOME \r\n"), std::string::npos);
  EXPECT_NE(text.find("\r\nSESSO Femminile\r\n"), std::string::npos);
  EXPECT_NE(text.find("\r\nDominante Ambidestro\r\n"), std::string::npos);
  EXPECT_NE(text.find("\r\nMonete -7\r\n"), std::string::npos);
  EXPECT_NE(text.find("\r\nCdB -2147483648\r\n"), std::string::npos);
  EXPECT_TRUE(SheetRoundTrips(text, rules));
  aldo.m_nHand = 2;
  EXPECT_NE(aldo.SheetText(rules).find("\r\nDominante Mancino\r\n"), std::string::npos);
}

TEST_F(SheetTest, CountsBeyondTheCapacitiesStopAtTheArrays) {
  rules.m_nCharacteristics = 50;
  rules.m_nSkills = 500;
  rules.m_nPockets = 5000;
  const std::string text = aldo.SheetText(rules);
  EXPECT_NE(text.find("Tasca14.MOD 0\r\n"), std::string::npos);
  EXPECT_EQ(text.find("Tasca15."), std::string::npos);
  EXPECT_TRUE(SheetRoundTrips(text, rules));
  rules.m_nPockets = -1;
  EXPECT_EQ(aldo.SheetText(rules).find("Tasca"), std::string::npos);
}

TEST_F(SheetTest, FailedWriteIsReportedAndLeavesNoFile) {
  const fs::path& folder = m_folder.Path();
  const fs::path missing = folder / "gone" / "aldo.pg";
  std::string error;
  EXPECT_FALSE(aldo.WriteSheet(missing.c_str(), rules, &error));
  EXPECT_FALSE(error.empty());
  EXPECT_TRUE(fs::is_empty(folder));
  EXPECT_FALSE(aldo.WriteSheet(nullptr, rules, nullptr));

  // A successful write replaces the old sheet and leaves nothing beside it.
  const fs::path file = folder / "aldo.pg";
  WriteBytes(file, "old");
  ASSERT_TRUE(aldo.WriteSheet(file.c_str(), rules, &error)) << error;
  EXPECT_EQ(ReadBytes(file), ReadBytes(ALDO_SHEET));
  EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
}

}  // namespace
