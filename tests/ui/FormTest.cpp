// The form as it opens: the template's widgets, tab order, mnemonics and the
// start state of every control.
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <string>

#include "res/GeneratorDialog.h"
#include "tests/ui/UiTest.h"

namespace {

using namespace ControlStyle;

const char* ExpectedClass(const ControlTemplate& control) {
  switch (control.cls) {
    case ControlClass::Static:
      return "QLabel";
    case ControlClass::Edit:
      return control.style & kMultiLine ? "QPlainTextEdit" : "QLineEdit";
    case ControlClass::ComboBox:
      return "QComboBox";
    case ControlClass::Button:
      if (control.style & kAutoCheckBox) return "QCheckBox";
      if (control.style & kAutoRadioButton) return "QRadioButton";
      return "QPushButton";
  }
  return "";
}

class FormTest : public DialogTest {};

TEST_F(FormTest, WidgetsFollowTheTemplate) {
  Open();
  const DialogTemplate& dialogTemplate = GeneratorDialogTemplate();
  const CDialogForm& form = m_dlg->GetForm();
  ASSERT_EQ(form.Count(), 79);
  EXPECT_EQ(m_dlg->windowTitle(), QStringLiteral("Generatore personaggi per Velmor"));
  EXPECT_EQ(m_dlg->size(), DialogUnitsToPixels(form.BaseUnits(), 0, 0, 442, 226).size());
  EXPECT_FALSE(m_dlg->windowIcon().isNull());
  EXPECT_FALSE(m_dlg->windowFlags() & Qt::WindowMinMaxButtonsHint);

  for (int i = 0; i < form.Count(); ++i) {
    const ControlTemplate& control = dialogTemplate.controls[i];
    QWidget* widget = form.ControlAt(i);
    SCOPED_TRACE(std::to_string(i + 1) + " " + control.name);
    EXPECT_TRUE(widget->inherits(ExpectedClass(control))) << widget->metaObject()->className();
    EXPECT_EQ(widget->objectName().toStdString(), control.name);
    const QRect rect =
        DialogUnitsToPixels(form.BaseUnits(), control.x, control.y, control.cx, control.cy);
    EXPECT_EQ(widget->pos(), rect.topLeft());
    EXPECT_EQ(widget->width(), rect.width());
    if (control.cls != ControlClass::ComboBox) {
      EXPECT_EQ(widget->height(), rect.height());
    }
    EXPECT_EQ(widget->isHidden(), (control.style & kHidden) != 0);
    EXPECT_EQ(widget->isEnabled(), (control.style & kDisabled) == 0);
    if (auto* field = qobject_cast<QLineEdit*>(widget)) {
      EXPECT_EQ(field->isReadOnly(), (control.style & kReadOnly) != 0);
    }
    if (auto* label = qobject_cast<QLabel*>(widget)) {
      EXPECT_EQ(label->buddy(), form.ControlAt(i + 1));
    }
  }
  EXPECT_TRUE(qobject_cast<QPushButton*>(m_dlg->GetDlgItem(IDC_SAVE))->isDefault());
  EXPECT_EQ(Item<QLineEdit>(IDC_NAME)->maxLength(), 25);
}

TEST_F(FormTest, TabVisitsTheTabStopsInTemplateOrder) {
  Open();
  const DialogTemplate& dialogTemplate = GeneratorDialogTemplate();
  QStringList expected;
  for (int i = 0; i < dialogTemplate.controlCount; ++i) {
    const ControlTemplate& control = dialogTemplate.controls[i];
    // Disabled and hidden controls are skipped; radio buttons have no stop.
    if ((control.style & kTabStop) && !(control.style & (kDisabled | kHidden))) {
      expected << control.name;
    }
  }
  QStringList visited;
  for (int i = 0; i < expected.size(); ++i) {
    QWidget* focus = QApplication::focusWidget();
    ASSERT_NE(focus, nullptr);
    visited << focus->objectName();
    QTest::keyClick(focus, Qt::Key_Tab);
  }
  EXPECT_EQ(visited, expected);
  EXPECT_EQ(QApplication::focusWidget(), m_dlg->GetDlgItem(IDC_NAME)) << "the tab order wraps";
}

TEST_F(FormTest, MnemonicsMoveTheFocusOrClick) {
  Open();
  QTest::keyClick(m_dlg.get(), Qt::Key_R, Qt::AltModifier);
  EXPECT_EQ(QApplication::focusWidget(), m_dlg->GetDlgItem(IDC_RACE));
  QTest::keyClick(m_dlg.get(), Qt::Key_1, Qt::AltModifier);
  EXPECT_EQ(QApplication::focusWidget(), m_dlg->GetDlgItem(IDC_ARCHETYPE1));
  QTest::keyClick(m_dlg.get(), Qt::Key_O, Qt::AltModifier);
  ASSERT_TRUE(QTest::qWaitFor([this] { return Button(IDC_FEMALE)->isChecked(); }));
  EXPECT_FALSE(Button(IDC_MALE)->isChecked());
  EXPECT_EQ(QApplication::focusWidget(), m_dlg->GetDlgItem(IDC_FEMALE));
  QTest::keyClick(m_dlg.get(), Qt::Key_2, Qt::AltModifier);
  ASSERT_TRUE(QTest::qWaitFor([this] { return Button(IDC_USE_ARCHETYPE2)->isChecked(); }));
  EXPECT_TRUE(List(IDC_ARCHETYPE2)->isEnabled());
}

TEST_F(FormTest, ABareLetterIsAMnemonicWhileAButtonHasTheFocus) {
  Open();
  Button(IDC_RIGHT_HANDED)->setFocus();
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_O);  // "D&onna"
  ASSERT_TRUE(QTest::qWaitFor([this] { return Button(IDC_FEMALE)->isChecked(); }));
  EXPECT_FALSE(Button(IDC_MALE)->isChecked());
  EXPECT_EQ(QApplication::focusWidget(), m_dlg->GetDlgItem(IDC_FEMALE));
  // A disabled control's mnemonic does nothing; a label's moves the focus.
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_3);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_R, Qt::ShiftModifier);  // "&Razza"
  EXPECT_EQ(QApplication::focusWidget(), m_dlg->GetDlgItem(IDC_RACE));
  EXPECT_FALSE(Button(IDC_USE_ARCHETYPE3)->isChecked());

  // A list picks its entry by the letter, the name field types it; neither
  // saves on "s".
  QTest::keyClick(List(IDC_RACE), Qt::Key_N);
  EXPECT_EQ(List(IDC_RACE)->currentText(), "Nano");
  QTest::keyClick(List(IDC_RACE), Qt::Key_S);
  TypeName("Us");
  EXPECT_EQ(Text(IDC_NAME), "Us");
  EXPECT_TRUE(m_prompts.m_folders.isEmpty());
  EXPECT_FALSE(Button(IDC_MALE)->isChecked());

  Button(IDC_REROLL_RACE)->setFocus();
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_E);  // "&Esci"
  ASSERT_TRUE(QTest::qWaitFor([this] { return !m_dlg->isVisible(); }));
  EXPECT_EQ(m_dlg->result(), QDialog::Rejected);
}

TEST_F(FormTest, StartState) {
  m_draws.Rolls({12, 7, 16, 9});  // Umano, the first race
  // Bardo, alphabetically the first archetype: skills 31..45, money 6.
  m_draws.Rolls({31, 32, 33, 34, 35, 36, 37, 38, 39, 40, 41, 42, 43, 44, 45}, 30);
  m_draws.Rolls({6}, 5);
  Open();
  EXPECT_EQ(m_draws.Left(), 0);

  EXPECT_TRUE(Button(IDC_MALE)->isChecked());
  EXPECT_FALSE(Button(IDC_FEMALE)->isChecked());
  EXPECT_TRUE(Button(IDC_RIGHT_HANDED)->isChecked());
  EXPECT_FALSE(Button(IDC_LEFT_HANDED)->isChecked());
  EXPECT_FALSE(Button(IDC_USE_ARCHETYPE2)->isChecked());
  EXPECT_TRUE(Button(IDC_USE_ARCHETYPE2)->isEnabled());
  EXPECT_FALSE(Button(IDC_USE_ARCHETYPE3)->isChecked());
  EXPECT_FALSE(Button(IDC_USE_ARCHETYPE3)->isEnabled());
  EXPECT_FALSE(List(IDC_ARCHETYPE2)->isEnabled());
  EXPECT_FALSE(List(IDC_ARCHETYPE3)->isEnabled());
  EXPECT_FALSE(Button(IDOK)->isVisible());
  EXPECT_FALSE(Button(IDC_SAVE_RULES)->isVisible());
  EXPECT_EQ(Text(IDC_NAME), "");
  EXPECT_EQ(QApplication::focusWidget(), m_dlg->GetDlgItem(IDC_NAME));
  EXPECT_EQ(Text(IDC_STATUS), "TARVO v1.2 - Support for Velmor v1.2.x Character");

  // The rules' names, never the template's captions.
  EXPECT_EQ(Text(IDC_STAT_LABEL1), "Vigore");
  EXPECT_EQ(Text(IDC_STAT_LABEL3), QStringLiteral("Agilità"));
  EXPECT_EQ(Text(IDC_SKILL_LABEL9), "Canto");
  EXPECT_EQ(Text(IDC_SKILL_LABEL11), QStringLiteral("Furtività"));
  EXPECT_EQ(Text(IDC_SKILL_LABEL15), "Fiuto");

  // Races in file order, archetypes sorted without regard to case; every
  // entry carries its rules index.
  EXPECT_EQ(Entries(IDC_RACE), QStringList({"Umano=0", "Elfo=1", "Nano=2"}));
  const QStringList archetypes = {"Bardo=3", "Guerriero=1", "Ladro=0", "mago=2"};
  for (const int id : {IDC_ARCHETYPE1, IDC_ARCHETYPE2, IDC_ARCHETYPE3}) {
    EXPECT_EQ(Entries(id), archetypes);
    EXPECT_EQ(List(id)->currentIndex(), 0);
  }
  EXPECT_EQ(SelectedData(IDC_RACE), 0);
  EXPECT_EQ(Entries(IDC_POCKET).size(), 10);
  EXPECT_EQ(List(IDC_POCKET)->currentText(), "Tasca 0");
  EXPECT_EQ(Entries(IDC_POCKET).back(), "Tasca 9=9");

  // The rolled character.
  EXPECT_EQ(Text(IDC_STAT1), "12 (2)");
  EXPECT_EQ(Text(IDC_STAT2), "7 (1)");
  EXPECT_EQ(Text(IDC_STAT3), "16 (3)");
  EXPECT_EQ(Text(IDC_STAT4), "9 (1)");
  EXPECT_EQ(Text(IDC_CDB), "80");
  EXPECT_EQ(Text(IDC_PF), "7/7");
  EXPECT_EQ(Text(IDC_PM), "9/9");
  EXPECT_EQ(Text(IDC_HONOUR), "3");
  EXPECT_EQ(Text(IDC_MONEY), "6");
  EXPECT_EQ(Text(IDC_PROTECTION), "0");
  EXPECT_EQ(Text(IDC_SKILL1), "31 + 0 = 31 (43)");   // base Vigore 12
  EXPECT_EQ(Text(IDC_SKILL5), "35 + 0 = 35 (42)");   // base Tempra 7
  EXPECT_EQ(Text(IDC_SKILL12), "42 + 0 = 42 (51)");  // base Spirito 9
  EXPECT_EQ(Text(IDC_SKILL15), "45 + 0 = 45 (54)");

  // Money 6 buys what costs at most 6.
  const QStringList offered = {"<Nulla>=0", "Anello=7", "Cambiale=5", "Corda=4", "Pugnale=9"};
  for (const int id : {IDC_RIGHT_ITEM, IDC_LEFT_ITEM, IDC_WORN_ITEM, IDC_POCKET_ITEM}) {
    EXPECT_EQ(Entries(id), offered);
    EXPECT_EQ(SelectedData(id), 0);
  }
}

TEST_F(FormTest, ANegativeValueShowsItsFifthTruncatedTowardZero) {
  OpenEdited([](CRules& rules) {
    for (CRace& race : rules.m_aRaces) race.m_aDice[0].m_nBonus = -8;  // a die of 1, then -8
  });
  EXPECT_EQ(Text(IDC_STAT1), "-7 (-1)");
}

TEST_F(FormTest, RulesWithThreeCharacteristicsAndTwelveSkills) {
  Open("small.rul");
  EXPECT_EQ(Text(IDC_STAT_LABEL3), QStringLiteral("Agilità"));
  EXPECT_EQ(Text(IDC_STAT3), "1 (0)");
  EXPECT_EQ(Text(IDC_STAT_LABEL4), "");
  EXPECT_EQ(Text(IDC_STAT4), "");
  EXPECT_EQ(Text(IDC_PM), "0/0");
  EXPECT_EQ(Text(IDC_SKILL_LABEL12), "Magia");
  // Its base is the missing fourth characteristic, which adds nothing.
  EXPECT_EQ(Text(IDC_SKILL12), "1 + 0 = 1 (1)");
  for (const int id : {IDC_SKILL_LABEL13, IDC_SKILL13, IDC_SKILL_LABEL14, IDC_SKILL14,
                       IDC_SKILL_LABEL15, IDC_SKILL15}) {
    EXPECT_EQ(Text(id), "") << id;
  }
}

TEST_F(FormTest, RulesWithFiveCharacteristicsAndTwentySkillsShowTheFirstFourAndFifteen) {
  Open("wide.rul");
  EXPECT_EQ(m_draws.Drawn(), 5 + 20 + 1);
  EXPECT_EQ(Text(IDC_STAT_LABEL4), "Spirito");
  EXPECT_EQ(Text(IDC_SKILL_LABEL15), "Fiuto");
  EXPECT_EQ(Text(IDC_SKILL15), "1 + 0 = 1 (2)");
  Click(IDC_REROLL_SKILLS);
  EXPECT_EQ(m_draws.Drawn(), 2 * (5 + 20 + 1) - 5);
}

TEST_F(FormTest, RulesWithoutRacesOrArchetypesOpenAndRollNothing) {
  Open("barren.rul");
  EXPECT_EQ(List(IDC_RACE)->count(), 0);
  EXPECT_EQ(List(IDC_ARCHETYPE1)->count(), 0);
  EXPECT_EQ(List(IDC_RACE)->currentIndex(), -1);
  Click(IDC_REROLL_RACE);
  Click(IDC_REROLL_SKILLS);
  Click(IDC_USE_ARCHETYPE2);
  Click(IDC_USE_ARCHETYPE3);
  QTest::keyClick(List(IDC_ARCHETYPE3), Qt::Key_Down);
  EXPECT_EQ(m_draws.Drawn(), 0);
  EXPECT_EQ(Text(IDC_STAT1), "0 (0)");
  EXPECT_EQ(Text(IDC_MONEY), "0");
  EXPECT_EQ(Entries(IDC_RIGHT_ITEM), QStringList({"<Nulla>=0"}));
}

}  // namespace
