// tarvo: the Velmor character generator.
#include <QApplication>
#include <QGuiApplication>
#include <QHashFunctions>
#include <optional>

#include "app/Console.h"
#include "app/FileNames.h"
#include "ui/GeneratorApp.h"
#include "ui/PrintSheets.h"

namespace {

int Main(int argc, char* argv[]) {
  IgnoreClosedPipes();
  // The command line first: --help and --version need no display. Every
  // file name on it reaches the system as its bytes.
  const CCommandLine commandLine = ParseCommandLine(ArgumentsOf(argc, argv));
  if (commandLine.action == CCommandLine::Action::PrintSheets) {
    // The printable sheets are drawn on Qt's offscreen platform, whatever
    // the environment says: no display is needed, and Qt's own notes stay
    // off standard error, which carries the program's Italian lines.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(QuietQt);
    // Qt's hashes seeded alike on every run: the fonts a PDF embeds are then
    // the same bytes for the same sheet.
    QHashSeed::setDeterministicGlobalSeed();
    int qtArgc = 1;
    std::optional<QGuiApplication> application;
    {
      const CNoRuntimeFolder noRuntimeFolder;
      application.emplace(qtArgc, argv);
    }
    QCoreApplication::setApplicationName(QStringLiteral("tarvo"));
    const CSheetOutput output = !commandLine.groupFile.isEmpty() ? CSheetOutput::Group
                                : commandLine.foundry            ? CSheetOutput::Foundry
                                                                 : CSheetOutput::Pdf;
    return RunPrintSheets({commandLine.rulesFile, commandLine.sheets, commandLine.overwrite, output,
                           commandLine.groupFile});
  }
  if (commandLine.action != CCommandLine::Action::Run) return AnswerCommandLine(commandLine);

  // With no display to open the window on, Qt would abort with its own
  // English words: say it here, in a line.
  if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
      qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    QString text = QStringLiteral(
        "tarvo: nessuno schermo: TARVO è una finestra, ma qui non c'è un display (DISPLAY e "
        "WAYLAND_DISPLAY non sono impostati)\n");
    // A sheet prints without one: the command, quoted for the shell, to
    // paste as it is.
    const auto shellWord = [](QString word) {
      return QLatin1Char('\'') + word.replace(QLatin1Char('\''), QStringLiteral("'\\''")) +
             QLatin1Char('\'');
    };
    if (!commandLine.sheetFile.isEmpty())
      text += QStringLiteral(
                  "tarvo: la scheda stampabile si scrive anche senza schermo: "
                  "tarvo --pdf %1%2\n")
                  .arg(commandLine.rulesFile.isEmpty()
                           ? QString()
                           : QStringLiteral("--regole %1 ").arg(shellWord(commandLine.rulesFile)),
                       shellWord(commandLine.sheetFile));
    WriteText(stderr, text);
    return 1;
  }

  SetApplicationIdentity();
  // The command line is TARVO's own: Qt sees only the program's name.
  int qtArgc = 1;
  QApplication application(qtArgc, argv);
  InstallItalianTranslation(application);
  CGeneratorApp app;
  return app.Run(commandLine.rulesFile, commandLine.sheetFile);
}

}  // namespace

int main(int argc, char* argv[]) { return RunMain("tarvo", argc, argv, Main); }
