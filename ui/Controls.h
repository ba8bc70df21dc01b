// The list, button and text operations the dialog works with, on top of Qt
// widgets. Changes made through these operations raise none of the signals
// the dialog listens to (QComboBox::activated, QAbstractButton::clicked).
#pragma once

#include <QRadioButton>
#include <QString>
#include <string>
#include <vector>

class QComboBox;
class QAbstractButton;
class QWidget;

// The error value of the list operations: no entry, no selection.
inline constexpr int CB_ERR = -1;

// Alphabetical order as an Italian reader expects it, without regard to case:
// "Élmo" comes between "Corda" and "Pugnale". Returns the positions of the
// `count` texts of `texts` in that order; equal texts keep their order.
std::vector<int> AlphabeticalOrder(const QString* texts, int count);

// A drop-down list with one integer of item data per entry. Texts are
// Windows-1252 bytes. A sorted list keeps its entries in alphabetical order
// (AlphabeticalOrder); an entry equal to others lands after them.
class CComboBox {
 public:
  CComboBox() = default;
  CComboBox(const CComboBox&) = delete;
  CComboBox& operator=(const CComboBox&) = delete;
  virtual ~CComboBox() = default;

  void Attach(QComboBox* box, bool sorted);

  void ResetContent();
  // Adds `text` and returns the position where it landed.
  int AddString(const std::string& text);
  // Inserts `text` at `index` (at the end for -1) whether or not the list is
  // sorted: the caller knows the place. Returns the position.
  int InsertString(int index, const QString& text);
  // Removes the entry at `index`; returns the entries left, or CB_ERR.
  int DeleteString(int index);
  // Returns CB_ERR for a position outside the list.
  int SetItemData(int index, int data);
  int GetItemData(int index) const;
  int GetCount() const;
  // The selected position, or CB_ERR when nothing is selected.
  int GetCurSel() const;
  // Selects `index`; CB_ERR (or any position outside the list) clears the
  // selection and returns CB_ERR.
  int SetCurSel(int index);
  // The text at `index`, empty outside the list.
  std::string GetLBText(int index) const;
  void EnableWindow(bool enable);

 private:
  QComboBox* m_box = nullptr;
  bool m_bSorted = false;
  // The item data of every entry, in list order, so reading it costs nothing.
  std::vector<int> m_data;
};

// A check box or radio button.
class CButton {
 public:
  CButton() = default;
  CButton(const CButton&) = delete;
  CButton& operator=(const CButton&) = delete;
  virtual ~CButton() = default;

  void Attach(QAbstractButton* button) { m_button = button; }

  bool GetCheck() const;
  void SetCheck(bool check);
  void EnableWindow(bool enable);

 private:
  QAbstractButton* m_button = nullptr;
};

// A radio button that forms a group of its own: a click checks it, and a
// click on it while it is checked leaves it checked.
class CAutoRadioButton : public QRadioButton {
 public:
  using QRadioButton::QRadioButton;

 protected:
  void nextCheckState() override { setChecked(true); }
};

// The text of a label, a line field or a multi-line field.
QString GetControlText(const QWidget* control);
void SetControlText(QWidget* control, const QString& text);
