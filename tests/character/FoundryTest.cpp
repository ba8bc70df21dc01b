#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "character/Foundry.h"
#include "tests/Items.h"

namespace {

std::string Golden(const char* name) {
  std::ifstream in(std::string(TARVO_CHARACTER_TEST_DATA) + "/" + name, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

}  // namespace

// Keys that Foundry's formulas can name, one for each attribute, whatever the
// rules call them; the rules' own words stay as the labels.
TEST(Foundry, EveryKeyIsCleanAndItsOwn) {
  std::vector<std::string> taken = {"monete", "abilita"};
  EXPECT_EQ(FoundryKey("FOR", taken), "for");
  EXPECT_EQ(FoundryKey("Arte Magica", taken), "arte_magica");
  EXPECT_EQ(FoundryKey("Arte-Magica", taken), "arte-magica");
  EXPECT_EQ(FoundryKey("arte magica", taken), "arte_magica_2");
  EXPECT_EQ(FoundryKey("MONETE", taken), "monete_2");
  EXPECT_EQ(FoundryKey("Abilit\xE0", taken), "abilit_");
  EXPECT_EQ(FoundryKey("", taken), "_");
  EXPECT_EQ(FoundryKey("\"a\\b\"<i>", taken), "_a_b__i_");
}

// A character of odd names, checked whole against the file Foundry imports:
// quotes, backslashes, control characters, accented letters and markup come
// out escaped in the JSON and as entities in the biography; only what is
// held becomes an item.
TEST(Foundry, AnActorIsWrittenByteForByte) {
  CRules rules(nullptr);
  rules.m_nCharacteristics = 2;
  rules.m_aCharKey[0] = "FOR";
  rules.m_aCharLabel[0] = "Forza \"bruta\"";
  rules.m_aCharKey[1] = "monete";  // clashes with the actor's own
  rules.m_aCharLabel[1] = "Mana\\Spirito";
  rules.m_nSkills = 2;
  rules.m_aSkillSheetName[0] = "ArtiMagiche";
  rules.m_aSkillLabel[0] = "Arti <b>magiche</b>";
  rules.m_aSkillBase[0] = 1;
  rules.m_aSkillSheetName[1] = "Abilit\xE0";
  rules.m_aSkillLabel[1] = "Abilit\xE0 \x01 varia";
  rules.m_aSkillBase[1] = 0;
  rules.m_nPockets = 3;

  CCharacter ch;
  ch.m_strName = "Zo\xEB \"l'Ardita\" <i>";
  ch.m_strRace = "Elfo & Co.";
  ch.m_bMale = 0;
  ch.m_nHand = HAND_LEFT;
  ch.m_aStats[0].m_nValue = 14;
  ch.m_aStats[1].m_nValue = 9;
  ch.m_aSkills[0].m_nValue = 5;
  ch.m_aSkills[1].m_nValue = -2;
  ch.m_nPFAct = 7;
  ch.m_nPFTot = 12;
  ch.m_nPMAct = 3;
  ch.m_nPMTot = 9;
  ch.m_nMoney = 4;
  ch.m_nHonour = 2;
  ch.m_nCdB = 1;
  ch.m_nArmour = 2;
  ch.m_itemRight.CopyFrom(MakeItem("Pugnale \"fine\"", "light", 1, 2, 3, 4, 5));
  ch.m_itemWorn.CopyFrom(MakeItem("Cuoio", "armor", 2, 0, 0, 10, 6));
  ch.m_aPockets[2].CopyFrom(MakeItem("Corda\\nodo", "empty", 0, 0, 0, 1, 7));

  const std::string json =
      FoundryActorJson({ch, rules, {"Ladro", "Mago/Bardo"}, "regole/mie \"x\".rul", "abc123", {}});
  EXPECT_EQ(json, Golden("zoe.foundry.json")) << json;
  // The seed, when there is one, is the only thing more.
  const std::string seeded =
      FoundryActorJson({ch, rules, {"Ladro", "Mago/Bardo"}, "regole/mie \"x\".rul", "abc123", 42});
  EXPECT_NE(seeded.find("\"seed\":42,\"rules\""), std::string::npos);
}
