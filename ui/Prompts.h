// The modal questions and messages of the generator, behind one seam so that
// tests answer them instead of a person.
#pragma once

#include <QFileDialog>
#include <QString>

class QWidget;

class CPrompts {
 public:
  CPrompts() = default;
  CPrompts(const CPrompts&) = delete;
  CPrompts& operator=(const CPrompts&) = delete;
  virtual ~CPrompts() = default;

  // Asks where to save a character sheet, starting in `folder`. Returns the
  // full path, or an empty text when the user cancels.
  virtual QString AskSheetPath(QWidget* parent, const QString& folder) = 0;
  // Shows an error with `text` (Italian) and waits until it is closed.
  virtual void ShowError(QWidget* parent, const QString& text) = 0;
};

// The real dialogs.
class CQtPrompts : public CPrompts {
 public:
  QString AskSheetPath(QWidget* parent, const QString& folder) override;
  void ShowError(QWidget* parent, const QString& text) override;
};

// The save dialog of a character sheet. It does not accept a name in a
// folder that does not exist: it says so and stays open.
class CSheetDialog : public QFileDialog {
 public:
  CSheetDialog(QWidget* parent, const QString& folder);

  void accept() override;
};

// A filter entry of a file dialog: the entry shows `name`, and the files it
// lists match `patterns` (blank-separated). The dialog hides the patterns, so
// a name may carry a pattern of its own, "Scheda (*.pdf)", and show it.
QString SheetFilter(const QString& name, const QString& patterns);

// Sets up the save dialog of a character sheet: default suffix "pg", the
// filters "PG File" and "All File", the first selected, start in `folder`,
// and an existing file is replaced only after the user confirms it.
void ConfigureSheetDialog(QFileDialog& dialog, const QString& folder);
