#include "ui/GeneratorApp.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include "ui/GeneratorDlg.h"
#include "ui/Prompts.h"

bool InstallItalianTranslation(QCoreApplication& application) {
  const QLocale italian(QLocale::Italian, QLocale::Italy);
  QLocale::setDefault(italian);
  auto* translator = new QTranslator(&application);
  if (!translator->load(italian, QStringLiteral("qtbase"), QStringLiteral("_"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    delete translator;
    return false;
  }
  return QCoreApplication::installTranslator(translator);
}

int CGeneratorApp::InitInstance(const char* rulesPath) {
  CQtPrompts realPrompts;
  CPrompts* prompts = m_prompts != nullptr ? m_prompts : &realPrompts;

  CGeneratorDlg dialog(rulesPath, prompts);
  if (!dialog.GetRules().IsLoaded()) {
    prompts->ShowError(nullptr, QString::fromUtf8(dialog.GetRules().GetLoadError().m_strMessage));
    return 1;
  }
  dialog.DoModal();
  return 0;
}
