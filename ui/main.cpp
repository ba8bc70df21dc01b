// tarvo: the Velmor character generator.
#include <QApplication>

#include "app/Console.h"
#include "ui/GeneratorApp.h"

int main(int argc, char* argv[]) {
  IgnoreClosedPipes();
  // The command line first: --help and --version need no display.
  QStringList arguments;
  for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
  const CCommandLine commandLine = ParseCommandLine(arguments);
  if (commandLine.action != CCommandLine::Action::Run) return AnswerCommandLine(commandLine);

  // With no display to open the window on, Qt would abort with its own
  // English words: say it here, in a line.
  if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
      qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    WriteText(stderr,
              QStringLiteral("tarvo: nessuno schermo: TARVO è una finestra, ma qui non c'è un "
                             "display (DISPLAY e WAYLAND_DISPLAY non sono impostati)\n"));
    return 1;
  }

  SetApplicationIdentity();
  // The command line is TARVO's own: Qt sees only the program's name.
  int qtArgc = 1;
  QApplication application(qtArgc, argv);
  InstallItalianTranslation(application);
  CGeneratorApp app;
  return app.Run(commandLine.rulesFile);
}
