#include <gtest/gtest.h>

#include <string>

#include "character/SheetTexts.h"
#include "tests/Items.h"

// The texts of a small sheet, checked whole: what the desktop draws and the
// page prints is these texts and nothing of its own.
TEST(SheetTexts, SayWhatTheSheetShowsGroupedAndNamed) {
  CRules rules(nullptr);
  rules.m_nCharacteristics = 2;
  rules.m_aCharLabel[0] = "Forza";
  rules.m_aCharLabel[1] = "Mana";
  rules.m_nSkills = 3;
  const char* labels[] = {"Magia", "Spade", "Canto"};
  const int bases[] = {1, 0, 7};  // the third rests on no characteristic
  for (int s = 0; s < 3; ++s) {
    rules.m_aSkillLabel[s] = labels[s];
    rules.m_aSkillBase[s] = bases[s];
  }
  rules.m_nPockets = 2;

  CCharacter ch;
  ch.m_strName = " \t\xA0";  // nothing but blanks: no name
  ch.m_strRace = "Elfo";
  ch.m_bMale = 0;
  ch.m_nHand = HAND_BOTH;
  ch.m_aStats[0].m_nValue = 13;
  ch.m_aStats[0].m_nModifier = -2;
  ch.m_aStats[1].m_nValue = 9;
  const int skills[] = {4, 2, 1};
  for (int s = 0; s < 3; ++s) ch.m_aSkills[s].m_nValue = skills[s];
  ch.m_aSkills[0].m_nModifier = 1;
  ch.m_nPFAct = 3;
  ch.m_nPFTot = 12;
  ch.m_nMoney = -4;
  ch.m_itemWorn.CopyFrom(MakeItem("Cuoio", "armor", 2, 0, 0));
  ch.m_aPockets[1].CopyFrom(MakeItem("Corda", "empty", 0, 0, 0));

  const CSheetTexts texts = MakeSheetTexts(ch, rules, {"Ladro", "", "Mago/Bardo"}, "a/b/mie.rul");
  EXPECT_EQ(texts.name, "Senza nome");
  EXPECT_EQ(SheetTitle(ch), "Scheda del personaggio: Senza nome");
  EXPECT_EQ(texts.archetypes, (std::vector<std::string>{"Ladro", "Mago/Bardo"}));
  EXPECT_EQ(texts.sex + " " + texts.hand, "Femminile Ambidestro");
  EXPECT_EQ(texts.rulesFile, "mie.rul");
  ASSERT_EQ(texts.stats.size(), 2u);
  EXPECT_EQ(texts.stats[0].value + "|" + texts.stats[0].modifier + "|" + texts.stats[0].total,
            "13 (2)|-2|11");
  EXPECT_EQ(texts.scores[0].label + " " + texts.scores[0].text, "PF 3/12");
  EXPECT_EQ(texts.scores[5].label + " " + texts.scores[5].text, "Monete -4");

  // One group a characteristic, in rules order, then those resting on none;
  // the last number adds the characteristic's value (Mana 9).
  ASSERT_EQ(texts.groups.size(), 3u);
  EXPECT_EQ(texts.groups[0].heading + ":" + texts.groups[0].skills[0].label, "Forza:Spade");
  EXPECT_EQ(texts.groups[1].heading + ":" + texts.groups[1].skills[0].label, "Mana:Magia");
  EXPECT_EQ(texts.groups[1].skills[0].total + " " + texts.groups[1].skills[0].withBase, "5 14");
  EXPECT_EQ(texts.groups[2].heading + ":" + texts.groups[2].skills[0].label,
            "Senza caratteristica:Canto");

  EXPECT_EQ(texts.held[2].place + " " + texts.held[2].name + " " + texts.held[2].type,
            "Addosso Cuoio Armatura");
  ASSERT_EQ(texts.pockets.size(), 2u);
  EXPECT_EQ(texts.pockets[1].label + " " + texts.pockets[1].text, "Tasca 1 Corda");
  EXPECT_EQ(texts.program.substr(0, 6), "TARVO ");
}
