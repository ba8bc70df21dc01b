// The equipment lists: what they offer, purchases through them, refusals and
// the pocket selector.
#include <QTemporaryDir>
#include <QTest>
#include <climits>

#include "tests/ui/UiTest.h"

namespace {

class EquipmentListsTest : public DialogTest {
 protected:
  // Opens the form with Bardo's first money roll at `money`.
  void OpenWithMoney(int money) {
    m_draws.Draws(4 + 15, 0);
    m_draws.Rolls({money}, 5);
    Open();
  }
};

TEST_F(EquipmentListsTest, ListsOfferWhatTheMoneyPaysAndTheHeldItem) {
  OpenWithMoney(100);
  Choose(IDC_WORN_ITEM, "Cuoio");
  EXPECT_EQ(Text(IDC_PROTECTION), "2");
  EXPECT_EQ(Text(IDC_MONEY), "75");
  // Two items named Spada; the second (index 8) is the dearer one.
  Choose(IDC_RIGHT_ITEM, "Spada", 1);
  EXPECT_EQ(SelectedData(IDC_RIGHT_ITEM), 8);
  EXPECT_EQ(Text(IDC_MONEY), "35");
  EXPECT_EQ(Text(IDC_SKILL1), "31 + 3 = 34 (35)");
  Choose(IDC_LEFT_ITEM, "Scudo");
  EXPECT_EQ(Text(IDC_MONEY), "15");
  EXPECT_EQ(Text(IDC_SKILL4), "31 + 3 = 34 (35)");   // shield
  EXPECT_EQ(Text(IDC_SKILL6), "31 + -1 = 30 (31)");  // acrobat

  // New money 50 pays for the 85 held again: 50 - 25 - 40 - 20 = -35, so the
  // worn item goes, then the shield; the right hand keeps its Spada. What is
  // given up takes its effects with it, on the form and on the sheet.
  m_draws.Draws(15, 0);
  m_draws.Rolls({50}, 5);
  Click(IDC_REROLL_SKILLS);
  EXPECT_EQ(Text(IDC_MONEY), "10");
  EXPECT_EQ(Text(IDC_PROTECTION), "0");
  EXPECT_EQ(SelectedData(IDC_WORN_ITEM), 0);
  EXPECT_EQ(SelectedData(IDC_LEFT_ITEM), 0);
  EXPECT_EQ(Text(IDC_SKILL1), "31 + 3 = 34 (35)");
  EXPECT_EQ(Text(IDC_SKILL4), "31 + 0 = 31 (32)");
  EXPECT_EQ(Text(IDC_SKILL6), "31 + 0 = 31 (32)");
  QTemporaryDir folder;
  m_prompts.m_paths.push_back(folder.filePath("eroe.pg"));
  Click(IDC_SAVE);
  const std::string sheet = ReadBytes(folder.filePath("eroe.pg").toStdString());
  EXPECT_NE(sheet.find("\r\nArmatura 0\r\n"), std::string::npos) << sheet;
  EXPECT_NE(sheet.find("\r\nSinistra.NOME <Nulla>\r\n"), std::string::npos);
  EXPECT_NE(sheet.find("\r\nAddosso.NOME <Nulla>\r\n"), std::string::npos);

  // The held Spada costs more than the money and is offered all the same;
  // the Élmo costs exactly the money.
  EXPECT_EQ(Entries(IDC_RIGHT_ITEM),
            QStringList({"<Nulla>=0", "Anello=7", "Cambiale=5", "Corda=4", QStringLiteral("Élmo=6"),
                         "Pugnale=9", "Spada=8"}));
  EXPECT_EQ(SelectedData(IDC_RIGHT_ITEM), 8);
  Choose(IDC_POCKET_ITEM, QStringLiteral("Élmo"));
  EXPECT_EQ(Text(IDC_MONEY), "0");
}

TEST_F(EquipmentListsTest, ARefusedPurchasePutsTheListBack) {
  OpenWithMoney(6);
  Choose(IDC_POCKET_ITEM, "Cambiale");  // price -6
  EXPECT_EQ(Text(IDC_MONEY), "12");
  // Trading the Cambiale in leaves 6, which does not pay for the Élmo (10).
  Choose(IDC_POCKET_ITEM, QStringLiteral("Élmo"));
  EXPECT_EQ(List(IDC_POCKET_ITEM)->currentText(), "Cambiale");
  EXPECT_EQ(SelectedData(IDC_POCKET_ITEM), 5);
  EXPECT_EQ(Text(IDC_MONEY), "12");
  EXPECT_EQ(m_dlg->GetCharacter().m_aPockets[0].m_nId, 5);
}

TEST_F(EquipmentListsTest, EachPocketHoldsItsOwnItem) {
  OpenWithMoney(20);
  Choose(IDC_POCKET_ITEM, "Corda");
  Choose(IDC_POCKET, "Tasca 3");
  EXPECT_EQ(SelectedData(IDC_POCKET_ITEM), 0);
  EXPECT_EQ(Text(IDC_MONEY), "19");
  Choose(IDC_POCKET_ITEM, QStringLiteral("Élmo"));
  EXPECT_EQ(Text(IDC_MONEY), "9");
  EXPECT_EQ(m_dlg->GetCharacter().m_aStats[1].m_nModifier, 0) << "a pocket item has no effect";

  // Back in pocket 0 the Élmo (10) is not offered, the held Corda is.
  QTest::keyClick(List(IDC_POCKET), Qt::Key_Up);  // the focused selector, by keyboard
  EXPECT_EQ(List(IDC_POCKET)->currentText(), "Tasca 2");
  Choose(IDC_POCKET, "Tasca 0");
  EXPECT_EQ(SelectedData(IDC_POCKET_ITEM), 4);
  EXPECT_FALSE(Entries(IDC_POCKET_ITEM).contains(QStringLiteral("Élmo=6")));
  EXPECT_EQ(m_dlg->GetCharacter().m_aPockets[3].m_nId, 6);
  EXPECT_EQ(m_dlg->GetCharacter().m_aPockets[0].m_nId, 4);
}

TEST_F(EquipmentListsTest, TotalsBeyondTheIntegerRangeStopAtItsEdge) {
  m_draws.Draws(4 + 15, 0);
  m_draws.Rolls({100}, 5);
  OpenEdited([](CRules& rules) { rules.m_aItems[8].m_nMod = INT_MAX; });  // the dearer Spada
  Choose(IDC_RIGHT_ITEM, "Spada", 1);
  EXPECT_EQ(Text(IDC_SKILL1), "31 + 2147483647 = 2147483647 (2147483647)");
}

}  // namespace
