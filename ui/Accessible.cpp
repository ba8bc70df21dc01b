#include "ui/Accessible.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QComboBox>

#include "ui/Controls.h"

namespace {

// A drop-down list named for what it is; its current entry is its value, and
// its one child the list of entries that drops down.
class CListAccessible : public QAccessibleWidget {
 public:
  explicit CListAccessible(QComboBox* box) : QAccessibleWidget(box, QAccessible::ComboBox) {}

  QString text(QAccessible::Text t) const override {
    if (t == QAccessible::Value) return Box()->currentText();
    return QAccessibleWidget::text(t);
  }

  QAccessible::State state() const override {
    QAccessible::State st = QAccessibleWidget::state();
    st.expandable = true;
    st.expanded = Box()->view()->isVisible();
    return st;
  }

  int childCount() const override { return 1; }
  QAccessibleInterface* child(int index) const override {
    return index == 0 ? QAccessible::queryAccessibleInterface(Box()->view()) : nullptr;
  }
  int indexOfChild(const QAccessibleInterface* child) const override {
    return child != nullptr && child->object() == Box()->view() ? 0 : -1;
  }

  QStringList actionNames() const override {
    QStringList names;
    if (widget()->isEnabled()) names << showMenuAction() << pressAction();
    return names + QAccessibleWidget::actionNames();
  }
  void doAction(const QString& action) override {
    if (action != showMenuAction() && action != pressAction()) {
      QAccessibleWidget::doAction(action);
    } else if (Box()->view()->isVisible()) {
      Box()->hidePopup();
    } else {
      Box()->showPopup();
    }
  }

 private:
  QComboBox* Box() const { return static_cast<QComboBox*>(widget()); }
};

// A radio button that forms a group of its own, told as a radio button.
class CRadioAccessible : public QAccessibleWidget {
 public:
  explicit CRadioAccessible(QAbstractButton* button)
      : QAccessibleWidget(button, QAccessible::RadioButton) {}

  QString text(QAccessible::Text t) const override {
    if (t == QAccessible::Name && widget()->accessibleName().isEmpty())
      return WithoutMnemonic(Button()->text());
    return QAccessibleWidget::text(t);
  }

  QAccessible::State state() const override {
    QAccessible::State st = QAccessibleWidget::state();
    st.checkable = true;
    st.checked = Button()->isChecked();
    return st;
  }

  QStringList actionNames() const override {
    QStringList names;
    if (widget()->isEnabled()) names << toggleAction() << pressAction();
    return names + QAccessibleWidget::actionNames();
  }
  void doAction(const QString& action) override {
    if (action == toggleAction() || action == pressAction()) {
      Button()->click();
    } else {
      QAccessibleWidget::doAction(action);
    }
  }

 private:
  QAbstractButton* Button() const { return static_cast<QAbstractButton*>(widget()); }
};

// The property that marks a dialog as the program's main window.
constexpr char kMainWindow[] = "tarvoMainWindow";

QAccessibleInterface* FormAccessibleFactory(const QString& className, QObject* object) {
  if (className == QLatin1String("QDialog")) {
    if (object->property(kMainWindow).toBool())
      return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Window);
  } else if (className == QLatin1String("QComboBox")) {
    auto* box = qobject_cast<QComboBox*>(object);
    // Lists of other dialogs (the file dialog's) keep Qt's own interface.
    if (box != nullptr && !box->isEditable() && !box->accessibleName().isEmpty())
      return new CListAccessible(box);
  } else if (className == QLatin1String("QRadioButton")) {
    if (auto* radio = dynamic_cast<CAutoRadioButton*>(object)) return new CRadioAccessible(radio);
  }
  return nullptr;
}

}  // namespace

void InstallFormAccessibility() {
  static const bool installed = [] {
    QAccessible::installFactory(FormAccessibleFactory);
    return true;
  }();
  (void)installed;
}

void AnnounceAsMainWindow(QWidget* window) {
  window->setProperty(kMainWindow, true);
  ForgetAccessible(window);
}

void ForgetAccessible(QWidget* control) {
  if (QAccessibleInterface* made = QAccessible::queryAccessibleInterface(control))
    QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(made));
}

QString WithoutMnemonic(const QString& caption) {
  QString text;
  text.reserve(caption.size());
  for (qsizetype i = 0; i < caption.size(); ++i) {
    if (caption[i] == u'&' && i + 1 < caption.size()) ++i;
    text.append(caption[i]);
  }
  return text;
}
