// tarvo-genera: many Velmor characters at once, from the command line.
#include <QCoreApplication>
#include <QGuiApplication>
#include <QHashFunctions>
#include <memory>

#include "app/Console.h"
#include "app/FileNames.h"
#include "genera/CommandLine.h"
#include "genera/Genera.h"

namespace {

int Main(int argc, char* argv[]) {
  // Qt's hashes seeded alike on every run: the fonts a PDF embeds are then
  // the same bytes from the same seed.
  QHashSeed::setDeterministicGlobalSeed();
  qInstallMessageHandler(QuietQt);
  IgnoreClosedPipes();

  // The command line first: --help, --version and its errors need nothing
  // else. Every file name on it reaches the system as its bytes.
  const CGeneraCommandLine line = ParseGeneraCommandLine(ArgumentsOf(argc, argv));
  switch (line.action) {
    case CGeneraCommandLine::Action::Help:
      return WriteOutput(QStringLiteral("tarvo-genera"), GeneraUsage()) ? 0 : 1;
    case CGeneraCommandLine::Action::Version:
      return WriteOutput(QStringLiteral("tarvo-genera"), GeneraVersion()) ? 0 : 1;
    case CGeneraCommandLine::Action::Error:
      SayOnStandardError(line.error);
      return 2;
    case CGeneraCommandLine::Action::Run:
      break;
  }

  // The command line is the program's own: Qt sees only the program's name.
  // Drawing PDFs (the printable sheets, the group sheet) needs Qt Gui, on
  // the offscreen platform whatever the environment says, so that no display
  // is ever needed.
  int qtArgc = 1;
  std::unique_ptr<QCoreApplication> application;
  if (line.options.pdf || !line.options.group.isEmpty()) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    const CNoRuntimeFolder noRuntimeFolder;
    application = std::make_unique<QGuiApplication>(qtArgc, argv);
  } else {
    application = std::make_unique<QCoreApplication>(qtArgc, argv);
  }
  QCoreApplication::setApplicationName(QStringLiteral("tarvo-genera"));
  return RunGenera(line.options);
}

}  // namespace

int main(int argc, char* argv[]) { return RunMain("tarvo-genera", argc, argv, Main); }
