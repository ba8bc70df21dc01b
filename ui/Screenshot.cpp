// Draws the generator's form into a PNG from the real widgets, and with a third
// argument saves the same character's printable sheet through the form's save
// command:
//   tarvo_screenshot RULES_FILE OUTPUT.png [SHEET.pdf]
// A fixed series of draws makes the pictures the same on every run.
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPixmap>
#include <cstdio>

#include "character/Dice.h"
#include "res/resource.h"
#include "ui/GeneratorApp.h"
#include "ui/GeneratorDlg.h"
#include "ui/Prompts.h"

namespace {

// Answers the save dialog with the printable sheet's path, if any, and
// nothing else: the pictures never need another question.
class CSilentPrompts : public CPrompts {
 public:
  SheetChoice AskSheetPath(QWidget*, const QString&) override { return {m_sheetPath, true}; }
  bool AskPrinter(QWidget*, QPrinter&) override { return false; }
  void ShowError(QWidget*, const QString& text) override {
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
    m_bFailed = true;
  }

  QString m_sheetPath;
  bool m_bFailed = false;
};

// Chooses the entry named `text` of list `id` as a user would, then runs the
// list's command.
void Choose(CGeneratorDlg& dialog, int id, const char* text) {
  auto* box = qobject_cast<QComboBox*>(dialog.GetDlgItem(id));
  const int index = box->findText(QString::fromUtf8(text));
  if (index < 0) return;
  box->setCurrentIndex(index);
  dialog.OnCommand(id, Notification::SelChange);
}

}  // namespace

int main(int argc, char* argv[]) {
  if (argc != 3 && argc != 4) {
    std::fprintf(stderr, "uso: %s REGOLE FILE.png [SCHEDA.pdf]\n", argv[0]);
    return 2;
  }
  QApplication application(argc, argv);
  InstallItalianTranslation(application);

  unsigned state = 20261207;
  SetRandomDraws([&state] {
    state = state * 1103515245u + 12345u;
    return static_cast<int>((state >> 16) & 0x7FFF);
  });

  CSilentPrompts prompts;
  CGeneratorDlg dialog(argv[1], &prompts);
  if (!dialog.GetRules().IsLoaded()) {
    prompts.ShowError(nullptr, QString::fromUtf8(dialog.GetRules().GetLoadError().m_strMessage));
    return 1;
  }
  dialog.show();
  qobject_cast<QLineEdit*>(dialog.GetDlgItem(IDC_NAME))->setText(QStringLiteral("Aldo"));
  dialog.OnKillFocusName();
  Choose(dialog, IDC_RIGHT_ITEM, "Pugnale");
  Choose(dialog, IDC_WORN_ITEM, "Armatura di Cuoio");
  QApplication::processEvents();

  if (!dialog.grab().save(QString::fromLocal8Bit(argv[2]), "PNG")) {
    std::fprintf(stderr, "impossibile scrivere %s\n", argv[2]);
    return 1;
  }
  if (argc == 4) {
    prompts.m_sheetPath = QString::fromLocal8Bit(argv[3]);
    dialog.OnSave();
  }
  return prompts.m_bFailed ? 1 : 0;
}
