// The application: Italian platform texts, the rules, the main dialog.
#pragma once

#include "rules/Rules.h"

class CPrompts;
class QCoreApplication;

// Installs Qt's own Italian translation, so that the file dialog and the
// message boxes speak Italian. Returns false when it cannot be found.
bool InstallItalianTranslation(QCoreApplication& application);

class CGeneratorApp {
 public:
  // Messages go through `prompts` (the real message boxes when null).
  explicit CGeneratorApp(CPrompts* prompts = nullptr) : m_prompts(prompts) {}

  // Runs the program on the running QApplication: builds the main dialog on
  // the rules file at `rulesPath` and shows it modally until it is closed.
  // Returns the exit status: 0 after the dialog, 1 when the rules cannot be
  // loaded (after a message naming the file, the folder and the reason).
  int InitInstance(const char* rulesPath = RULES_FILE_NAME);

 private:
  CPrompts* m_prompts;
};
