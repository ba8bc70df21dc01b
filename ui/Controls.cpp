#include "ui/Controls.h"

#include <QAbstractButton>
#include <QCollator>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

#include "print/Win1252.h"

namespace {

constexpr int kItemDataRole = Qt::UserRole;

// Alphabetical order as an Italian reader expects it, without regard to case:
// "Élmo" comes between "Corda" and "Pugnale".
int CompareEntries(const QString& a, const QString& b) {
  static const QCollator collator = [] {
    QCollator italian(QLocale(QLocale::Italian, QLocale::Italy));
    italian.setCaseSensitivity(Qt::CaseInsensitive);
    return italian;
  }();
  return collator.compare(a, b);
}

}  // namespace

void CComboBox::Attach(QComboBox* box, bool sorted) {
  m_box = box;
  m_bSorted = sorted;
}

void CComboBox::ResetContent() { m_box->clear(); }

int CComboBox::AddString(const std::string& text) {
  const QString entry = FromWindows1252(text);
  int index = m_box->count();
  if (m_bSorted) {
    index = 0;
    while (index < m_box->count() && CompareEntries(m_box->itemText(index), entry) <= 0) {
      ++index;
    }
  }
  const bool wasEmpty = m_box->count() == 0;
  m_box->insertItem(index, entry, QVariant(0));
  // QComboBox selects the first entry of an empty list; a list selects
  // nothing until told to.
  if (wasEmpty) m_box->setCurrentIndex(-1);
  return index;
}

int CComboBox::SetItemData(int index, int data) {
  if (index < 0 || index >= m_box->count()) return CB_ERR;
  m_box->setItemData(index, QVariant(data), kItemDataRole);
  return 0;
}

int CComboBox::GetItemData(int index) const {
  if (index < 0 || index >= m_box->count()) return CB_ERR;
  return m_box->itemData(index, kItemDataRole).toInt();
}

int CComboBox::GetCount() const { return m_box->count(); }

int CComboBox::GetCurSel() const {
  const int index = m_box->currentIndex();
  return index < 0 ? CB_ERR : index;
}

int CComboBox::SetCurSel(int index) {
  if (index < 0 || index >= m_box->count()) {
    m_box->setCurrentIndex(-1);
    return CB_ERR;
  }
  m_box->setCurrentIndex(index);
  return index;
}

std::string CComboBox::GetLBText(int index) const {
  if (index < 0 || index >= m_box->count()) return {};
  return ToWindows1252(m_box->itemText(index));
}

void CComboBox::EnableWindow(bool enable) { m_box->setEnabled(enable); }

bool CButton::GetCheck() const { return m_button->isChecked(); }

void CButton::SetCheck(bool check) { m_button->setChecked(check); }

void CButton::EnableWindow(bool enable) { m_button->setEnabled(enable); }

QString GetControlText(const QWidget* control) {
  if (const auto* label = qobject_cast<const QLabel*>(control)) return label->text();
  if (const auto* line = qobject_cast<const QLineEdit*>(control)) return line->text();
  if (const auto* area = qobject_cast<const QPlainTextEdit*>(control)) return area->toPlainText();
  if (const auto* button = qobject_cast<const QAbstractButton*>(control)) return button->text();
  return {};
}

void SetControlText(QWidget* control, const QString& text) {
  if (auto* label = qobject_cast<QLabel*>(control)) {
    label->setText(text);
  } else if (auto* line = qobject_cast<QLineEdit*>(control)) {
    if (line->text() != text) line->setText(text);
  } else if (auto* area = qobject_cast<QPlainTextEdit*>(control)) {
    if (area->toPlainText() != text) area->setPlainText(text);
  } else if (auto* button = qobject_cast<QAbstractButton*>(control)) {
    button->setText(text);
  }
}
