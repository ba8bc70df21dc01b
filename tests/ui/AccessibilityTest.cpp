// The form as a screen reader reads it: walking the window's accessible tree,
// every control a user can reach says what it is, how to use it and its value.
#include <QAccessible>
#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <map>

#include "tests/ui/UiTest.h"

namespace {

QAccessible::Role RoleOf(const QWidget* control) {
  if (qobject_cast<const QLabel*>(control)) return QAccessible::StaticText;
  if (qobject_cast<const QComboBox*>(control)) return QAccessible::ComboBox;
  if (qobject_cast<const QRadioButton*>(control)) return QAccessible::RadioButton;
  if (qobject_cast<const QCheckBox*>(control)) return QAccessible::CheckBox;
  if (qobject_cast<const QPushButton*>(control)) return QAccessible::Button;
  return QAccessible::EditableText;
}

class AccessibilityTest : public DialogTest {
 protected:
  // The window's children as a screen reader finds them, by control id.
  std::map<int, QAccessibleInterface*> Tree() const {
    std::map<int, QAccessibleInterface*> tree;
    QAccessibleInterface* window = QAccessible::queryAccessibleInterface(m_dlg.get());
    for (int i = 0; i < window->childCount(); ++i) {
      QAccessibleInterface* child = window->child(i);
      const QVariant id = child->object()->property("controlId");
      if (id.isValid() && id.toInt() != IDC_STATIC) tree[id.toInt()] = child;
    }
    return tree;
  }
};

TEST_F(AccessibilityTest, EveryControlSaysWhatItIsHowToUseItAndItsValue) {
  Open();
  const std::map<int, QString> names = {
      {IDC_RACE, "Razza"},
      {IDC_ARCHETYPE1, "Archetipo #1"},
      {IDC_ARCHETYPE2, "Archetipo #2"},
      {IDC_ARCHETYPE3, "Archetipo #3"},
      {IDC_RIGHT_ITEM, "Destra"},
      {IDC_LEFT_ITEM, "Sinistra"},
      {IDC_WORN_ITEM, "Addosso"},
      {IDC_POCKET, "Tasca"},
      {IDC_POCKET_ITEM, "Oggetto in tasca"},
      {IDC_MALE, "Uomo"},
      {IDC_FEMALE, "Donna"},
      {IDC_STATUS, "Stato"},
      {IDC_NAME, "Nome"},
      {IDC_STAT3, QStringLiteral("Agilità")},
      {IDC_SKILL15, "Fiuto"},
      {IDC_MONEY, "Monete"},
      {IDC_SAVE, "Salva"},
      {IDC_REROLL_RACE, "R!"},
  };
  // The form is the program's window, not a dialog of it.
  QAccessibleInterface* window = QAccessible::queryAccessibleInterface(m_dlg.get());
  EXPECT_EQ(window->role(), QAccessible::Window);
  EXPECT_EQ(window->text(QAccessible::Name), "Generatore personaggi per Velmor");

  const std::map<int, QAccessibleInterface*> tree = Tree();
  ASSERT_EQ(tree.size(), 79u - 12u) << "every control but the 12 plain labels";
  for (const auto& [id, control] : tree) {
    const auto* widget = qobject_cast<const QWidget*>(control->object());
    SCOPED_TRACE(widget->objectName().toStdString());
    if (widget->isHidden()) {
      EXPECT_TRUE(control->state().invisible);
      continue;
    }
    EXPECT_EQ(control->role(), RoleOf(widget));
    EXPECT_FALSE(control->text(QAccessible::Name).isEmpty());
    if (names.count(id)) {
      EXPECT_EQ(control->text(QAccessible::Name), names.at(id));
    }
    if (const auto* box = qobject_cast<const QComboBox*>(widget)) {
      EXPECT_EQ(control->text(QAccessible::Value), box->currentText());
    }
    if (const auto* button = qobject_cast<const QAbstractButton*>(widget)) {
      EXPECT_EQ(control->state().checked, button->isChecked());
    }
  }
  EXPECT_EQ(tree.at(IDC_REROLL_RACE)->text(QAccessible::Description),
            "Tira di nuovo le caratteristiche");
  EXPECT_EQ(tree.at(IDC_REROLL_SKILLS)->text(QAccessible::Description),
            QStringLiteral("Tira di nuovo abilità, monete e onore"));

  // A list keeps its name and tells its new entry; a radio button read as
  // one still acts as the form's own.
  Choose(IDC_RACE, "Nano");
  EXPECT_EQ(tree.at(IDC_RACE)->text(QAccessible::Name), "Razza");
  EXPECT_EQ(tree.at(IDC_RACE)->text(QAccessible::Value), "Nano");
  QAccessibleActionInterface* female = tree.at(IDC_FEMALE)->actionInterface();
  ASSERT_NE(female, nullptr);
  female->doAction(QAccessibleActionInterface::toggleAction());
  EXPECT_TRUE(tree.at(IDC_FEMALE)->state().checked);
  EXPECT_FALSE(tree.at(IDC_MALE)->state().checked);
  female->doAction(QAccessibleActionInterface::toggleAction());
  EXPECT_TRUE(Button(IDC_FEMALE)->isChecked()) << "a checked radio button stays checked";
}

}  // namespace
