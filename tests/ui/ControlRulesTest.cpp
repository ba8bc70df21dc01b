// The form's own rules: archetype boxes, handedness, sex, the name field and
// the ways the dialog ends.
#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>

#include "tests/ui/UiTest.h"

namespace {

// Draws of one skill step with n archetypes: every skill and the money, n each.
constexpr int kSkillStep = 15 + 1;

class ControlRulesTest : public DialogTest {
 protected:
  std::string Hands() const {
    return std::string(Button(IDC_RIGHT_HANDED)->isChecked() ? "R" : "") +
           (Button(IDC_LEFT_HANDED)->isChecked() ? "L" : "");
  }
  // Re-rolls the race so that the third characteristic is `value`.
  void RollDexterity(int value) {
    m_draws.Rolls({10, 10, value, 10});
    Click(IDC_REROLL_RACE);
  }
  void SendWheel(QWidget* widget) {
    const QPointF at(widget->width() / 2.0, widget->height() / 2.0);
    QWheelEvent wheel(at, widget->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(widget, &wheel);
  }
};

TEST_F(ControlRulesTest, ArchetypeBoxesEnableTheListsAndEveryClickRerolls) {
  Open();
  const auto drawnBy = [this](int id) {
    const int before = m_draws.Drawn();
    Click(id);
    return m_draws.Drawn() - before;
  };
  EXPECT_EQ(drawnBy(IDC_USE_ARCHETYPE2), 2 * kSkillStep);
  EXPECT_TRUE(List(IDC_ARCHETYPE2)->isEnabled());
  EXPECT_TRUE(Button(IDC_USE_ARCHETYPE3)->isEnabled());
  EXPECT_FALSE(Button(IDC_USE_ARCHETYPE3)->isChecked());
  EXPECT_FALSE(List(IDC_ARCHETYPE3)->isEnabled());

  EXPECT_EQ(drawnBy(IDC_USE_ARCHETYPE3), 3 * kSkillStep);
  EXPECT_TRUE(List(IDC_ARCHETYPE3)->isEnabled());

  EXPECT_EQ(drawnBy(IDC_USE_ARCHETYPE2), kSkillStep);
  EXPECT_FALSE(Button(IDC_USE_ARCHETYPE2)->isChecked());
  EXPECT_FALSE(Button(IDC_USE_ARCHETYPE3)->isChecked());
  EXPECT_FALSE(Button(IDC_USE_ARCHETYPE3)->isEnabled());
  EXPECT_FALSE(List(IDC_ARCHETYPE2)->isEnabled());
  EXPECT_FALSE(List(IDC_ARCHETYPE3)->isEnabled());

  EXPECT_EQ(drawnBy(IDC_USE_ARCHETYPE2), 2 * kSkillStep);
  EXPECT_TRUE(List(IDC_ARCHETYPE2)->isEnabled());
  EXPECT_TRUE(Button(IDC_USE_ARCHETYPE3)->isEnabled());
  EXPECT_FALSE(Button(IDC_USE_ARCHETYPE3)->isChecked());
  EXPECT_FALSE(List(IDC_ARCHETYPE3)->isEnabled());

  EXPECT_EQ(drawnBy(IDC_REROLL_SKILLS), 2 * kSkillStep);
  const int before = m_draws.Drawn();
  Choose(IDC_ARCHETYPE2, "mago");
  EXPECT_EQ(m_draws.Drawn() - before, 2 * kSkillStep);
}

TEST_F(ControlRulesTest, ListsNotInUseMirrorTheListBeforeThem) {
  Open();
  Choose(IDC_ARCHETYPE1, "Ladro");
  EXPECT_EQ(SelectedData(IDC_ARCHETYPE2), 0);
  EXPECT_EQ(SelectedData(IDC_ARCHETYPE3), 0);

  Click(IDC_USE_ARCHETYPE2);
  m_draws.Draws(15 * 2, 0);
  m_draws.Rolls({7}, 0);    // Ladro's money
  m_draws.Rolls({28}, 20);  // mago's money
  Choose(IDC_ARCHETYPE2, "mago");
  EXPECT_EQ(SelectedData(IDC_ARCHETYPE1), 0);
  EXPECT_EQ(SelectedData(IDC_ARCHETYPE3), 2);
  EXPECT_EQ(Text(IDC_MONEY), "17");  // (7 + 28) / 2, truncated
  EXPECT_EQ(Text(IDC_HONOUR), "1");  // (1 + 2) / 2
}

TEST_F(ControlRulesTest, HandednessFollowsTheTableAndTheThreshold) {
  Open();
  ASSERT_EQ(Hands(), "R");
  Click(IDC_RIGHT_HANDED);
  EXPECT_EQ(Hands(), "L");
  Click(IDC_LEFT_HANDED);
  EXPECT_EQ(Hands(), "R");

  RollDexterity(15);
  Click(IDC_LEFT_HANDED);
  EXPECT_EQ(Hands(), "L");
  Click(IDC_RIGHT_HANDED);
  EXPECT_EQ(Hands(), "R");

  RollDexterity(16);
  Click(IDC_LEFT_HANDED);
  EXPECT_EQ(Hands(), "RL");
  RollDexterity(16);
  EXPECT_EQ(Hands(), "RL") << "a re-roll to 16 keeps both hands";
  Click(IDC_RIGHT_HANDED);
  EXPECT_EQ(Hands(), "L");
  Click(IDC_RIGHT_HANDED);
  EXPECT_EQ(Hands(), "RL");
  Click(IDC_LEFT_HANDED);
  EXPECT_EQ(Hands(), "R");

  Click(IDC_LEFT_HANDED);
  EXPECT_EQ(Hands(), "RL");
  RollDexterity(15);
  EXPECT_EQ(Hands(), "R") << "a re-roll to 15 takes the left hand away";

  Click(IDC_RIGHT_HANDED);
  RollDexterity(20);
  EXPECT_EQ(Hands(), "L") << "a re-roll never grants ambidexterity";
}

TEST_F(ControlRulesTest, SexRadiosExcludeEachOther) {
  Open();
  Click(IDC_FEMALE);
  EXPECT_TRUE(Button(IDC_FEMALE)->isChecked());
  EXPECT_FALSE(Button(IDC_MALE)->isChecked());
  Click(IDC_FEMALE);
  EXPECT_TRUE(Button(IDC_FEMALE)->isChecked());
  EXPECT_FALSE(Button(IDC_MALE)->isChecked());
  Click(IDC_MALE);
  Click(IDC_MALE);
  EXPECT_TRUE(Button(IDC_MALE)->isChecked());
  EXPECT_FALSE(Button(IDC_FEMALE)->isChecked());
  EXPECT_EQ(m_draws.Drawn(), 4 + kSkillStep) << "the sex changes no value";
}

TEST_F(ControlRulesTest, ATypedNameSurvivesEveryWayOfMovingOn) {
  Open();
  TypeName(QStringLiteral("Aldo"));
  Click(IDC_REROLL_RACE);
  EXPECT_EQ(Text(IDC_NAME), "Aldo");
  EXPECT_EQ(m_dlg->GetCharacter().m_strName, "Aldo");

  TypeName(QStringLiteral("Beppe"));
  Choose(IDC_RIGHT_ITEM, "Corda");
  EXPECT_EQ(Text(IDC_NAME), "Beppe");

  TypeName(QStringLiteral("Carla"));
  QTest::keyClick(m_dlg.get(), Qt::Key_T, Qt::AltModifier);  // "Des&tro"
  ASSERT_TRUE(QTest::qWaitFor([this] { return Hands() == "L"; }));
  EXPECT_EQ(Text(IDC_NAME), "Carla");
  EXPECT_EQ(m_dlg->GetCharacter().m_strName, "Carla");
}

TEST_F(ControlRulesTest, TheWheelReachesOnlyTheFocusedList) {
  Open();
  TypeName(QStringLiteral("Dora"));
  const int drawn = m_draws.Drawn();
  SendWheel(List(IDC_RACE));
  EXPECT_EQ(List(IDC_RACE)->currentIndex(), 0);
  EXPECT_EQ(m_draws.Drawn(), drawn);
  EXPECT_EQ(QApplication::focusWidget(), m_dlg->GetDlgItem(IDC_NAME));

  QTest::keyClick(m_dlg.get(), Qt::Key_R, Qt::AltModifier);  // focus on the race list
  SendWheel(List(IDC_RACE));
  EXPECT_EQ(List(IDC_RACE)->currentIndex(), 1);
  EXPECT_EQ(m_draws.Drawn(), drawn + 4);
  EXPECT_EQ(Text(IDC_NAME), "Dora");
  EXPECT_EQ(m_dlg->GetCharacter().m_strName, "Dora");
}

TEST_F(ControlRulesTest, TheNameHoldsTwentyFiveCharactersInWindows1252) {
  Open();
  TypeName(QStringLiteral("Abcdefghijklmnopqrstuvwxyz0123"));
  EXPECT_EQ(Text(IDC_NAME), "Abcdefghijklmnopqrstuvwxy");
  TypeName(QStringLiteral("Zoë €Ω"));
  Click(IDC_REROLL_SKILLS);
  EXPECT_EQ(m_dlg->GetCharacter().m_strName, "Zo\xEB \x80?");
  EXPECT_EQ(Text(IDC_NAME), QStringLiteral("Zoë €?"));
}

TEST_F(ControlRulesTest, EscCloseBoxAndEsciEndWithoutWritingAFile) {
  QTemporaryDir folder;
  const QString previous = QDir::currentPath();
  ASSERT_TRUE(QDir::setCurrent(folder.path()));
  for (int way = 0; way < 3; ++way) {
    Open();
    TypeName(QStringLiteral("Aldo"));
    if (way == 0) QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    if (way == 1) m_dlg->close();
    if (way == 2) Click(IDCANCEL);
    EXPECT_FALSE(m_dlg->isVisible()) << way;
    EXPECT_EQ(m_dlg->result(), QDialog::Rejected) << way;
    m_dlg.reset();
  }
  EXPECT_TRUE(QDir(folder.path()).isEmpty());
  QDir::setCurrent(previous);
}

}  // namespace
