// The application: its command line, Italian platform texts, the rules, the
// main dialog.
#pragma once

#include <QString>
#include <QStringList>

#include "rules/Rules.h"

struct CRulesPlaces;
class CPrompts;
class QCoreApplication;

// What the command line asks for: `tarvo [--regole FILE] [--apri FILE]
// [FILE...]`, `tarvo --pdf [--regole FILE] [--sovrascrivi] FILE...`, the
// same with --foundry or with --gruppo GRUPPO.pdf, or `tarvo --verifica
// [--regole FILE] [FILE]`. A FILE that begins as a sheet does is a sheet to
// open; any other is the rules file.
struct CCommandLine {
  enum class Action { Run, PrintSheets, Help, Version, Verify, Error };
  Action action = Action::Run;
  QString rulesFile;       // the rules file named on the line; empty: search for it
  QString sheetFile;       // for Run: the sheet to open; empty: none
  QStringList sheets;      // for PrintSheets: the sheets to print, as named
  bool overwrite = false;  // for PrintSheets: --sovrascrivi
  bool foundry = false;    // for PrintSheets: --foundry, actors for Foundry VTT, not PDFs
  QString groupFile;       // for PrintSheets: --gruppo, one group sheet of them all; empty: none
  QString error;           // for Error: what is wrong, one Italian line
};

// Reads the command line (`arguments[0]` is the program). Needs no
// QCoreApplication, so it runs before anything asks for a display.
CCommandLine ParseCommandLine(const QStringList& arguments);

// Answers --help (usage on standard output, 0), --version (version on
// standard output, 0), --verifica (the check of the rules file on standard
// output: 1 when it has an error, else 0) and a mistaken line (the error and
// the usage on standard error, 2). Returns the exit status. Needs no display.
int AnswerCommandLine(const CCommandLine& commandLine);

// Names the program for the desktop before the QApplication is built: the
// application name and version, the desktop entry, and the X11 window class
// "tarvo" whatever the executable is called.
void SetApplicationIdentity();

// Installs Qt's own Italian translation, so that the file dialog and the
// message boxes speak Italian. Returns false when it cannot be found.
bool InstallItalianTranslation(QCoreApplication& application);

class CGeneratorApp {
 public:
  // Messages go through `prompts` (the real message boxes when null).
  explicit CGeneratorApp(CPrompts* prompts = nullptr) : m_prompts(prompts) {}

  // Runs the program on the running QApplication with the rules file that
  // FindRulesFile gives for `rulesFile` (empty: the search of the usual
  // places), and the form showing the sheet at `sheetFile` when one is named.
  // Returns the exit status: 1 after a message saying where the rules were
  // looked for when there are none, otherwise that of InitInstance.
  // What the search has to tell (the player's copy cannot be made, say) goes
  // to standard error and, once the form shows, to a message box; on the
  // installed rules, read-only, the hidden Salva Regole writes to the
  // player's copy, and says where it cannot.
  int Run(const QString& rulesFile, const QString& sheetFile = {});
  // The same in `places`.
  int Run(const QString& rulesFile, const CRulesPlaces& places, const QString& sheetFile = {});

  // Runs the program on the running QApplication: builds the main dialog on
  // the rules file at `rulesPath` and shows it as its window until it is closed.
  // With a `sheetPath`, the form opens showing that sheet instead of a newly
  // rolled character; a sheet that is refused is said on standard error and,
  // once the form shows, in a message box, and the form starts as without it.
  // Returns the exit status: 0 after the dialog, 1 when the rules cannot be
  // loaded (after a message naming the file, the folder and the reason).
  int InitInstance(const char* rulesPath = RULES_FILE_NAME, const QString& sheetPath = {});

 private:
  // Says `text` on standard error and in a message box.
  void ReportError(const QString& text);

  CPrompts* m_prompts;
  QString m_notice;            // told once the form shows, when not empty
  QString m_playerDataFolder;  // not empty: the rules are the installed ones, read-only
};
