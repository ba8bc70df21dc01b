// tarvo: the Velmor character generator.
#include <QApplication>

#include "ui/GeneratorApp.h"

int main(int argc, char* argv[]) {
  // The command line first: --help and --version need no display.
  QStringList arguments;
  for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
  const CCommandLine commandLine = ParseCommandLine(arguments);
  if (commandLine.action != CCommandLine::Action::Run) return AnswerCommandLine(commandLine);

  SetApplicationIdentity();
  // The command line is TARVO's own: Qt sees only the program's name.
  int qtArgc = 1;
  QApplication application(qtArgc, argv);
  InstallItalianTranslation(application);
  CGeneratorApp app;
  return app.Run(commandLine.rulesFile);
}
