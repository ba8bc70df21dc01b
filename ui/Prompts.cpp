#include "ui/Prompts.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QStringList>

#include "res/GeneratorDialog.h"

QString SheetFilter(const QString& name, const QString& patterns) {
  return name + QStringLiteral(" (") + patterns + QLatin1Char(')');
}

void ConfigureSheetDialog(QFileDialog& dialog, const QString& folder) {
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  // Qt's own dialog speaks the language of the translation loaded at start.
  dialog.setOption(QFileDialog::DontUseNativeDialog, true);
  dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
  dialog.setDefaultSuffix(QStringLiteral("pg"));
  // The entries show their names only; the patterns stay out of sight.
  dialog.setOption(QFileDialog::HideNameFilterDetails, true);
  const QStringList filters = {SheetFilter(QStringLiteral("PG File"), QStringLiteral("*.pg")),
                               SheetFilter(QStringLiteral("All File"), QStringLiteral("*"))};
  dialog.setNameFilters(filters);
  dialog.selectNameFilter(filters.front());
  dialog.setDirectory(folder);
}

CSheetDialog::CSheetDialog(QWidget* parent, const QString& folder) : QFileDialog(parent) {
  ConfigureSheetDialog(*this, folder);
}

void CSheetDialog::accept() {
  const QStringList files = selectedFiles();
  if (!files.isEmpty()) {
    const QFileInfo file(files.front());
    if (!file.absoluteDir().exists()) {
      const QString text = QStringLiteral(
          "%1\nPercorso non trovato.\n"
          "Verificare che il percorso sia corretto.");
      QMessageBox::warning(this, windowTitle(),
                           text.arg(QDir::toNativeSeparators(file.absoluteFilePath())));
      return;
    }
  }
  QFileDialog::accept();
}

QString CQtPrompts::AskSheetPath(QWidget* parent, const QString& folder) {
  CSheetDialog dialog(parent, folder);
  if (dialog.exec() != QDialog::Accepted) return {};
  const QStringList files = dialog.selectedFiles();
  return files.isEmpty() ? QString() : files.front();
}

void CQtPrompts::ShowError(QWidget* parent, const QString& text) {
  QMessageBox box(QMessageBox::Critical, QString::fromUtf8(GeneratorDialogTemplate().caption), text,
                  QMessageBox::Ok, parent);
  box.exec();
}
