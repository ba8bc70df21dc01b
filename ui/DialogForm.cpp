#include "ui/DialogForm.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QEvent>
#include <QFont>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QValidator>
#include <QVariant>
#include <cmath>

#include "ui/Accessible.h"
#include "ui/Controls.h"

namespace {

using namespace ControlStyle;

int MulDiv(int value, int numerator, int denominator) {
  return static_cast<int>(std::lround(static_cast<double>(value) * numerator / denominator));
}

QWidget* CreateStatic(const ControlTemplate& control, QWidget* parent) {
  auto* label = new QLabel(QString::fromUtf8(control.caption), parent);
  label->setWordWrap((control.style & kNoWordWrap) == 0);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  label->setTextFormat(Qt::PlainText);
  return label;
}

// A single-line field keeps one line: text pasted or dropped into it ends at
// its first line break, as the rest of the line would not reach the sheet
// intact.
class CSingleLineValidator : public QValidator {
 public:
  using QValidator::QValidator;

  State validate(QString& text, int& pos) const override {
    for (int brk; (brk = FirstBreak(text)) >= 0;) {
      // The inserted text ends at the cursor; what was there before stays.
      const int end = pos > brk ? pos : static_cast<int>(text.size());
      text.remove(brk, end - brk);
      pos = brk;
    }
    return Acceptable;
  }

 private:
  static int FirstBreak(const QString& text) {
    for (int i = 0; i < text.size(); ++i) {
      if (text[i] == u'\r' || text[i] == u'\n') return i;
    }
    return -1;
  }
};

QWidget* CreateEdit(const ControlTemplate& control, QWidget* parent) {
  if (control.style & kMultiLine) {
    auto* area = new QPlainTextEdit(parent);
    area->setReadOnly((control.style & kReadOnly) != 0);
    area->setTabChangesFocus(true);
    area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    area->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    area->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    if (control.style & kStaticEdge) {
      area->setFrameStyle(QFrame::Panel | QFrame::Sunken);
      area->setLineWidth(1);
    } else if ((control.style & kBorder) == 0) {
      area->setFrameStyle(QFrame::NoFrame);
    }
    area->document()->setDocumentMargin(1);
    return area;
  }
  auto* line = new QLineEdit(parent);
  line->setReadOnly((control.style & kReadOnly) != 0);
  line->setFrame((control.style & kBorder) != 0);
  if (line->isReadOnly()) {
    QFont font = line->font();
    font.setStyleStrategy(QFont::PreferNoShaping);
    line->setFont(font);
  }
  line->setValidator(new CSingleLineValidator(line));
  return line;
}

QWidget* CreateComboBox(const ControlTemplate& control, QWidget* parent) {
  auto* box = new QComboBox(parent);
  box->setEditable(false);
  // The dropped-down height holds the closed box and about as many entries
  // as fit below it in the template's height.
  box->setMaxVisibleItems(std::max(1, (control.cy - 12) / 8));
  return box;
}

QWidget* CreateButton(const ControlTemplate& control, QWidget* parent) {
  const QString caption = QString::fromUtf8(control.caption);
  if (control.style & kAutoCheckBox) return new QCheckBox(caption, parent);
  if (control.style & kAutoRadioButton) {
    auto* radio = new CAutoRadioButton(caption, parent);
    radio->setAutoExclusive(false);
    return radio;
  }
  auto* button = new QPushButton(caption, parent);
  button->setAutoDefault(true);
  button->setDefault((control.style & kDefPushButton) != 0);
  return button;
}

}  // namespace

DialogBaseUnits BaseUnitsOf(const QFont& font) {
  const QFontMetrics metrics(font);
  const int width = metrics.horizontalAdvance(
      QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  return {(width / 26 + 1) / 2, metrics.height()};
}

QRect DialogUnitsToPixels(const DialogBaseUnits& units, int x, int y, int cx, int cy) {
  return {MulDiv(x, units.x, 4), MulDiv(y, units.y, 8), MulDiv(cx, units.x, 4),
          MulDiv(cy, units.y, 8)};
}

namespace {

// The key a caption marks with "&", lower-cased; null when it marks none.
// "&&" stands for an ampersand of its own.
QChar MnemonicOf(const QString& caption) {
  for (qsizetype i = 0; i + 1 < caption.size(); ++i) {
    if (caption[i] != u'&') continue;
    if (caption[i + 1] != u'&') return caption[i + 1].toLower();
    ++i;
  }
  return {};
}

// The control a mnemonic acts on: a button itself, a label's buddy.
QWidget* MnemonicTarget(QWidget* control) {
  if (auto* label = qobject_cast<QLabel*>(control)) return label->buddy();
  return control;
}

}  // namespace

bool CDialogForm::TriggerMnemonic(QChar key) const {
  const QChar wanted = key.toLower();
  std::vector<QWidget*> matches;
  for (QWidget* control : m_controls) {
    if (!control->isVisible() || !control->isEnabled()) continue;
    QString caption;
    if (const auto* label = qobject_cast<const QLabel*>(control)) {
      caption = label->text();
    } else if (const auto* button = qobject_cast<const QAbstractButton*>(control)) {
      caption = button->text();
    }
    if (MnemonicOf(caption) == wanted && MnemonicTarget(control) != nullptr) {
      matches.push_back(control);
    }
  }
  if (matches.empty()) return false;

  if (matches.size() == 1) {
    if (auto* button = qobject_cast<QAbstractButton*>(matches.front())) {
      if (!button->isDown()) button->animateClick();
    } else {
      MnemonicTarget(matches.front())->setFocus(Qt::ShortcutFocusReason);
    }
    return true;
  }
  // Ambiguous: the focus moves on to the next control with that mnemonic.
  const QWidget* focus = QApplication::focusWidget();
  size_t next = 0;
  for (size_t i = 0; i < matches.size(); ++i) {
    if (MnemonicTarget(matches[i]) == focus) next = (i + 1) % matches.size();
  }
  MnemonicTarget(matches[next])->setFocus(Qt::ShortcutFocusReason);
  return true;
}

bool CWheelGuard::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Wheel) {
    const auto* widget = qobject_cast<QWidget*>(watched);
    if (widget != nullptr && !widget->hasFocus()) {
      event->accept();
      return true;
    }
  }
  return QObject::eventFilter(watched, event);
}

void CDialogForm::Create(QDialog* dialog, const DialogTemplate& dialogTemplate) {
  m_template = &dialogTemplate;
  m_controls.clear();

  QFont font(QString::fromUtf8(dialogTemplate.fontFace), dialogTemplate.pointSize);
  font.setStyleHint(QFont::SansSerif);
  dialog->setFont(font);
  m_units = BaseUnitsOf(dialog->font());

  dialog->setWindowTitle(QString::fromUtf8(dialogTemplate.caption));
  // The form is the application's own window, with a title bar that offers
  // closing only: no minimise or maximise box.
  dialog->setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  dialog->setFixedSize(
      DialogUnitsToPixels(m_units, 0, 0, dialogTemplate.cx, dialogTemplate.cy).size());
  dialog->setSizeGripEnabled(false);

  auto* wheelGuard = new CWheelGuard(dialog);
  for (int i = 0; i < dialogTemplate.controlCount; ++i) {
    const ControlTemplate& control = dialogTemplate.controls[i];
    QWidget* widget = nullptr;
    switch (control.cls) {
      case ControlClass::Static:
        widget = CreateStatic(control, dialog);
        break;
      case ControlClass::Edit:
        widget = CreateEdit(control, dialog);
        break;
      case ControlClass::ComboBox:
        widget = CreateComboBox(control, dialog);
        widget->installEventFilter(wheelGuard);
        break;
      case ControlClass::Button:
        widget = CreateButton(control, dialog);
        break;
    }
    widget->setObjectName(QString::fromUtf8(control.name));
    widget->setProperty("controlId", control.id);

    QRect rect = DialogUnitsToPixels(m_units, control.x, control.y, control.cx, control.cy);
    // A list's template height is its dropped-down height; closed, it is as
    // tall as a line of the font plus its frame.
    if (control.cls == ControlClass::ComboBox) rect.setHeight(m_units.y + 8);
    widget->setGeometry(rect);

    if (control.cls != ControlClass::Static) {
      // A control without a tab stop still takes the focus when clicked.
      widget->setFocusPolicy((control.style & kTabStop) ? Qt::StrongFocus : Qt::ClickFocus);
    }
    if (control.style & kDisabled) widget->setEnabled(false);
    if (control.style & kHidden) widget->setHidden(true);
    m_controls.push_back(widget);
  }

  // A label's mnemonic moves the focus to the control after it.
  for (size_t i = 0; i < m_controls.size(); ++i) {
    auto* label = qobject_cast<QLabel*>(m_controls[i]);
    if (label == nullptr) continue;
    for (size_t next = i + 1; next < m_controls.size(); ++next) {
      if (qobject_cast<QLabel*>(m_controls[next]) == nullptr) {
        label->setBuddy(m_controls[next]);
        break;
      }
    }
  }

  // A list is announced by what it holds: the caption of the control before
  // it, its label or the check box that puts it in use.
  for (size_t i = 1; i < m_controls.size(); ++i) {
    auto* box = qobject_cast<QComboBox*>(m_controls[i]);
    if (box == nullptr) continue;
    QString caption;
    if (const auto* label = qobject_cast<const QLabel*>(m_controls[i - 1])) {
      caption = label->text();
    } else if (const auto* check = qobject_cast<const QCheckBox*>(m_controls[i - 1])) {
      caption = check->text();
    }
    if (!caption.isEmpty()) box->setAccessibleName(WithoutMnemonic(caption));
  }

  // Template order is tab order.
  QWidget* previous = nullptr;
  for (QWidget* widget : m_controls) {
    if (widget->focusPolicy() == Qt::NoFocus) continue;
    if (previous != nullptr) QWidget::setTabOrder(previous, widget);
    previous = widget;
  }
}

QWidget* CDialogForm::Item(int id) const {
  for (int i = 0; i < Count(); ++i) {
    if (m_template->controls[i].id == id) return m_controls[static_cast<size_t>(i)];
  }
  return nullptr;
}
