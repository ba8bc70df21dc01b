// The modal questions and messages of the generator, behind one seam so that
// tests answer them instead of a person.
#pragma once

#include <QFileDialog>
#include <QString>
#include <utility>

class QPrinter;
class QWidget;

// The answer of the save dialog of a character sheet.
struct SheetChoice {
  // A path alone is a choice under the first entry, "PG File".
  SheetChoice(QString chosenPath = {}, bool printableEntry = false, bool foundryEntry = false)
      : path(std::move(chosenPath)), printable(printableEntry), foundry(foundryEntry) {}

  QString path;    // the full path; empty when the user cancelled
  bool printable;  // the entry "Scheda stampabile (*.pdf)" was chosen
  bool foundry;    // the entry FOUNDRY_FILE_FILTER was chosen
};

class CPrompts {
 public:
  CPrompts() = default;
  CPrompts(const CPrompts&) = delete;
  CPrompts& operator=(const CPrompts&) = delete;
  virtual ~CPrompts() = default;

  // Asks where to save a character sheet, starting in `folder`, and under
  // which entry of the dialog.
  virtual SheetChoice AskSheetPath(QWidget* parent, const QString& folder) = 0;
  // Asks which character sheet to open, starting in `folder`; the full path,
  // or empty when the user cancels (so, where nobody is asked, always).
  virtual QString AskOpenSheetPath(QWidget* parent, const QString& folder);
  // Lets the user choose and set up the printer `printer` stands for; false
  // when the user cancels.
  virtual bool AskPrinter(QWidget* parent, QPrinter& printer) = 0;
  // Shows an error with `text` (Italian) and waits until it is closed.
  virtual void ShowError(QWidget* parent, const QString& text) = 0;
  // Shows a warning with `text` (Italian): the work was done, but not all of
  // it as asked. Waits until it is closed. Where warnings are not told apart,
  // shown as an error.
  virtual void ShowWarning(QWidget* parent, const QString& text) { ShowError(parent, text); }
};

// The real dialogs.
class CQtPrompts : public CPrompts {
 public:
  SheetChoice AskSheetPath(QWidget* parent, const QString& folder) override;
  QString AskOpenSheetPath(QWidget* parent, const QString& folder) override;
  bool AskPrinter(QWidget* parent, QPrinter& printer) override;
  void ShowError(QWidget* parent, const QString& text) override;
  void ShowWarning(QWidget* parent, const QString& text) override;
};

// The save dialog of a character sheet. It does not accept a name in a
// folder that does not exist: it says so and stays open.
class CSheetDialog : public QFileDialog {
 public:
  CSheetDialog(QWidget* parent, const QString& folder);

  // What the dialog answers once the user has accepted it.
  SheetChoice Choice() const;

  void accept() override;
};

// A filter entry of a file dialog: the entry shows `name`, and the files it
// lists match `patterns` (blank-separated). The dialog hides the patterns, so
// a name may carry a pattern of its own, "Scheda (*.pdf)", and show it.
QString SheetFilter(const QString& name, const QString& patterns);

// The entry of the save dialog that writes the printable sheet.
QString PrintableSheetFilter();
// The entry of the save dialog that writes the actor for Foundry VTT.
QString FoundryFilter();

// Sets up the save dialog of a character sheet: the filters "PG File", "All
// File", "Scheda stampabile (*.pdf)" and FOUNDRY_FILE_FILTER, the first
// selected, start in `folder`, and an existing file is replaced only after
// the user confirms it. A name typed without a suffix gets ".pdf" under the
// printable sheet's entry, ".json" under Foundry's, ".pg" under the others.
void ConfigureSheetDialog(QFileDialog& dialog, const QString& folder);

// The title of the dialog that opens a character sheet.
inline constexpr const char* OPEN_SHEET_TITLE = "Apri personaggio";

// Sets up the dialog that opens a character sheet: titled OPEN_SHEET_TITLE,
// an existing file chosen under the filters "PG File" and "All File", the
// first selected, starting in `folder`.
void ConfigureOpenSheetDialog(QFileDialog& dialog, const QString& folder);
