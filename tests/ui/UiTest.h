// Support for driving the generator's form like a user: real widgets on the
// offscreen platform, scripted dice, answered dialogs.
#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QStringList>
#include <QTemporaryDir>
#include <deque>
#include <functional>
#include <memory>
#include <ostream>
#include <string>

#include "res/resource.h"
#include "tests/FileBytes.h"
#include "ui/GeneratorDlg.h"
#include "ui/Prompts.h"

// Lets test failures print texts readably.
inline void PrintTo(const QString& text, std::ostream* out) {
  *out << '"' << text.toStdString() << '"';
}

std::string DataPath(const char* name);

// While alive, every draw comes from the queue; once it is empty the draws
// are `fallback`. The test rules use dice of 32768 sides, which count the
// draw plus one.
class CDrawScript {
 public:
  explicit CDrawScript(int fallback = 0);
  CDrawScript(const CDrawScript&) = delete;
  CDrawScript& operator=(const CDrawScript&) = delete;
  ~CDrawScript();

  // Queues the draws that make 32768-sided dice with `bonus` roll `values`.
  void Rolls(std::initializer_list<int> values, int bonus = 0);
  void Draws(int count, int draw);
  int Drawn() const { return m_nDrawn; }
  int Left() const { return static_cast<int>(m_queue.size()); }

 private:
  std::deque<int> m_queue;
  int m_nFallback;
  int m_nDrawn = 0;
};

// Answers the save, open and print dialogs from queues and keeps the error
// and warning messages.
class CAnsweringPrompts : public CPrompts {
 public:
  SheetChoice AskSheetPath(QWidget* parent, const QString& folder) override;
  QString AskOpenSheetPath(QWidget* parent, const QString& folder) override;
  // Sets the printer to print into the next PDF file of m_printouts.
  bool AskPrinter(QWidget* parent, QPrinter& printer) override;
  void ShowError(QWidget* parent, const QString& text) override;
  void ShowWarning(QWidget* parent, const QString& text) override;

  std::deque<SheetChoice> m_paths;  // the next answers; an empty path cancels
  QStringList m_folders;            // the start folder of every question
  std::deque<QString> m_opens;      // the next open answers; an empty one cancels
  std::deque<QString> m_printouts;  // the next print answers; an empty one cancels
  QStringList m_errors;
  QStringList m_warnings;
};

// A dialog opened on a rules file of tests/ui/data, shown and active.
class DialogTest : public ::testing::Test {
 protected:
  void Open(const char* rulesFile = "form.rul");
  // Opens the dialog on the rules file at `path`.
  void OpenPath(const std::string& path);
  // Opens the dialog on the rules of `rulesFile` as `edit` changes them,
  // written to a file of the test's own.
  void OpenEdited(const std::function<void(CRules&)>& edit, const char* rulesFile = "form.rul");
  void TearDown() override;

  template <class T>
  T* Item(int id) const {
    return qobject_cast<T*>(m_dlg->GetDlgItem(id));
  }
  QComboBox* List(int id) const { return Item<QComboBox>(id); }
  QAbstractButton* Button(int id) const { return Item<QAbstractButton>(id); }
  QString Text(int id) const;
  // The entries of list `id` as "text=itemdata", in list order.
  QStringList Entries(int id) const;
  int SelectedData(int id) const;

  void Click(int id);
  // Picks the entry `text` of list `id` the way a user does: a click opens
  // the list, the pointer rests on the entry, Enter takes it.
  void Choose(int id, const QString& text, int occurrence = 0);
  void TypeName(const QString& name);

  CDrawScript m_draws;
  CAnsweringPrompts m_prompts;
  std::unique_ptr<CGeneratorDlg> m_dlg;

 private:
  std::unique_ptr<QTemporaryDir> m_editedRules;
};
