#include "ui/Prompts.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPrintDialog>
#include <QStringList>

#include "character/Foundry.h"
#include "res/GeneratorDialog.h"

QString SheetFilter(const QString& name, const QString& patterns) {
  return name + QStringLiteral(" (") + patterns + QLatin1Char(')');
}

namespace {

// The dialog hides the last group in parentheses only: the entry of the
// printable sheet reads "Scheda stampabile (*.pdf)".
const char* const kPrintableEntry = "Scheda stampabile (*.pdf)";

// Whether `filter`, as the dialog reports the selected one, is the entry of
// the printable sheet. With the details hidden, Qt 6.4 reports the entry as
// shown; later versions report the whole filter.
bool IsPrintableEntry(const QString& filter) {
  return filter == QLatin1String(kPrintableEntry) || filter == PrintableSheetFilter();
}

// The same for the entry of the actor for Foundry VTT.
bool IsFoundryEntry(const QString& filter) {
  return filter == QString::fromUtf8(FOUNDRY_FILE_FILTER) || filter == FoundryFilter();
}

}  // namespace

QString PrintableSheetFilter() {
  return SheetFilter(QLatin1String(kPrintableEntry), QStringLiteral("*.pdf"));
}

QString FoundryFilter() {
  return SheetFilter(QString::fromUtf8(FOUNDRY_FILE_FILTER),
                     QLatin1Char('*') + QString::fromUtf8(FOUNDRY_EXTENSION));
}

void ConfigureOpenSheetDialog(QFileDialog& dialog, const QString& folder) {
  dialog.setWindowTitle(QString::fromUtf8(OPEN_SHEET_TITLE));
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setOption(QFileDialog::DontUseNativeDialog, true);
  dialog.setOption(QFileDialog::HideNameFilterDetails, true);
  const QStringList filters = {SheetFilter(QStringLiteral("PG File"), QStringLiteral("*.pg")),
                               SheetFilter(QStringLiteral("All File"), QStringLiteral("*"))};
  dialog.setNameFilters(filters);
  dialog.selectNameFilter(filters.front());
  dialog.setDirectory(folder);
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
                               SheetFilter(QStringLiteral("All File"), QStringLiteral("*")),
                               PrintableSheetFilter(), FoundryFilter()};
  dialog.setNameFilters(filters);
  dialog.selectNameFilter(filters.front());
  QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog] {
    const QString entry = dialog.selectedNameFilter();
    dialog.setDefaultSuffix(IsPrintableEntry(entry) ? QStringLiteral("pdf")
                            : IsFoundryEntry(entry) ? QString::fromUtf8(FOUNDRY_EXTENSION).mid(1)
                                                    : QStringLiteral("pg"));
  });
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

SheetChoice CSheetDialog::Choice() const {
  const QStringList files = selectedFiles();
  if (files.isEmpty()) return {};
  const QString entry = selectedNameFilter();
  return {files.front(), IsPrintableEntry(entry), IsFoundryEntry(entry)};
}

SheetChoice CQtPrompts::AskSheetPath(QWidget* parent, const QString& folder) {
  CSheetDialog dialog(parent, folder);
  if (dialog.exec() != QDialog::Accepted) return {};
  return dialog.Choice();
}

QString CPrompts::AskOpenSheetPath(QWidget*, const QString&) { return {}; }

QString CQtPrompts::AskOpenSheetPath(QWidget* parent, const QString& folder) {
  QFileDialog dialog(parent);
  ConfigureOpenSheetDialog(dialog, folder);
  if (dialog.exec() != QDialog::Accepted) return {};
  const QStringList files = dialog.selectedFiles();
  return files.isEmpty() ? QString() : files.front();
}

bool CQtPrompts::AskPrinter(QWidget* parent, QPrinter& printer) {
  QPrintDialog dialog(&printer, parent);
  // One page: no range or selection to choose.
  dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintShowPageSize);
  return dialog.exec() == QDialog::Accepted;
}

void CQtPrompts::ShowError(QWidget* parent, const QString& text) {
  QMessageBox box(QMessageBox::Critical, QString::fromUtf8(GeneratorDialogTemplate().caption), text,
                  QMessageBox::Ok, parent);
  box.exec();
}

void CQtPrompts::ShowWarning(QWidget* parent, const QString& text) {
  QMessageBox box(QMessageBox::Warning, QString::fromUtf8(GeneratorDialogTemplate().caption), text,
                  QMessageBox::Ok, parent);
  box.exec();
}
