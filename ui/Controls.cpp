#include "ui/Controls.h"

#include <QAbstractButton>
#include <QCollator>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <algorithm>
#include <numeric>

#include "print/Win1252.h"

namespace {

constexpr int kItemDataRole = Qt::UserRole;

const QCollator& ItalianCollator() {
  static const QCollator collator = [] {
    QCollator italian(QLocale(QLocale::Italian, QLocale::Italy));
    italian.setCaseSensitivity(Qt::CaseInsensitive);
    return italian;
  }();
  return collator;
}

}  // namespace

std::vector<int> AlphabeticalOrder(const QString* texts, int count) {
  // The collator's own comparison, as a sorted list inserts by it: sort keys
  // order texts of ignorable characters alone otherwise.
  std::vector<int> order(static_cast<size_t>(std::max(count, 0)));
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [texts](int a, int b) {
    return ItalianCollator().compare(texts[a], texts[b]) < 0;
  });
  return order;
}

void CComboBox::Attach(QComboBox* box, bool sorted) {
  if (box != m_box) {
    m_box = box;
    m_data.clear();
    for (int i = 0; i < box->count(); ++i)
      m_data.push_back(box->itemData(i, kItemDataRole).toInt());
  }
  m_bSorted = sorted;
}

void CComboBox::ResetContent() {
  m_box->clear();
  m_data.clear();
}

int CComboBox::AddString(const std::string& text) {
  const QString entry = FromWindows1252(text);
  int index = m_box->count();
  if (m_bSorted) {
    // After every entry that is not greater: the first greater one, found by
    // halving.
    int low = 0;
    int high = m_box->count();
    while (low < high) {
      const int middle = low + (high - low) / 2;
      if (ItalianCollator().compare(m_box->itemText(middle), entry) <= 0) {
        low = middle + 1;
      } else {
        high = middle;
      }
    }
    index = low;
  }
  return InsertString(index, entry);
}

int CComboBox::InsertString(int index, const QString& text) {
  if (index < 0 || index > m_box->count()) index = m_box->count();
  const bool wasEmpty = m_box->count() == 0;
  m_box->insertItem(index, text, QVariant(0));
  m_data.insert(m_data.begin() + index, 0);
  // QComboBox selects the first entry of an empty list; a list selects
  // nothing until told to.
  if (wasEmpty) m_box->setCurrentIndex(-1);
  return index;
}

int CComboBox::DeleteString(int index) {
  if (index < 0 || index >= m_box->count()) return CB_ERR;
  m_box->removeItem(index);
  m_data.erase(m_data.begin() + index);
  return m_box->count();
}

int CComboBox::SetItemData(int index, int data) {
  if (index < 0 || index >= m_box->count()) return CB_ERR;
  m_box->setItemData(index, QVariant(data), kItemDataRole);
  m_data[static_cast<size_t>(index)] = data;
  return 0;
}

int CComboBox::GetItemData(int index) const {
  if (index < 0 || index >= static_cast<int>(m_data.size())) return CB_ERR;
  return m_data[static_cast<size_t>(index)];
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
