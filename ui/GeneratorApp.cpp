#include "ui/GeneratorApp.h"

#include <QApplication>
#include <QComboBox>
#include <QCommandLineParser>
#include <QEvent>
#include <QFile>
#include <QLibraryInfo>
#include <QLocale>
#include <QTimer>
#include <QTranslator>
#include <algorithm>
#include <cstdio>
#include <memory>

#include "app/Build.h"
#include "app/Console.h"
#include "app/RulesLocation.h"
#include "res/resource.h"
#include "rules/RulesCheck.h"
#include "ui/Controls.h"
#include "ui/GeneratorDlg.h"
#include "ui/Prompts.h"

namespace {

const char* const kUsage =
    "Uso: tarvo [OPZIONI] [FILE]\n"
    "Genera personaggi per il gioco di ruolo Velmor.\n"
    "\n"
    "Argomenti:\n"
    "  FILE             il file delle regole da usare\n"
    "\n"
    "Opzioni:\n"
    "  --regole FILE    usa il file delle regole FILE\n"
    "  --verifica       controlla il file delle regole senza aprire la finestra:\n"
    "                   elenca ogni errore e avviso con la sua riga\n"
    "  -h, --help       mostra questo aiuto ed esce\n"
    "  -v, --version    mostra la versione di TARVO e di Qt ed esce\n"
    "\n"
    "Senza un file, TARVO usa il primo che trova fra:\n"
    "  1. tarvo.rul nella cartella di lavoro;\n"
    "  2. la copia del giocatore, tarvo.rul in $XDG_DATA_HOME/tarvo\n"
    "     (di solito ~/.local/share/tarvo);\n"
    "  3. le regole installate, che al primo avvio diventano la copia del giocatore.\n";

// Set only by the tests of the installed program and the start-up benchmark,
// so that a start can be proved and timed from outside and nothing waits for
// a person: once the form shows its first rolls and has been painted, the
// program prints the rules file it opened, the race shown and the first
// characteristic rolled, one a line, and ends with status 0; an error goes to
// standard error only, without a message box.
bool StartupProbe() { return qgetenv("TARVO_PROVA_AVVIO") == "1"; }

// Once the form has been painted for the first time, with its first rolls,
// prints what StartupProbe says and closes it.
class CFirstPaintProbe : public QObject {
 public:
  CFirstPaintProbe(CGeneratorDlg* dialog, QString rulesPath)
      : m_dialog(dialog), m_path(std::move(rulesPath)) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == m_dialog && event->type() == QEvent::Paint && !m_painted) {
      m_painted = true;
      // The controls are painted right after the form itself.
      QTimer::singleShot(0, m_dialog, [this] {
        const auto* race = qobject_cast<const QComboBox*>(m_dialog->GetDlgItem(IDC_RACE));
        WriteText(stdout, m_path + QLatin1Char('\n') +
                              (race != nullptr ? race->currentText() : QString()) +
                              QLatin1Char('\n') + GetControlText(m_dialog->GetDlgItem(IDC_STAT1)) +
                              QLatin1Char('\n'));
        m_dialog->close();
      });
    }
    return false;
  }

 private:
  CGeneratorDlg* m_dialog;
  QString m_path;
  bool m_painted = false;
};

}  // namespace

CCommandLine ParseCommandLine(const QStringList& arguments) {
  QCommandLineParser parser;
  const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QString());
  const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")}, QString());
  const QCommandLineOption rules(QStringLiteral("regole"), QString(), QStringLiteral("FILE"));
  const QCommandLineOption verify(QStringLiteral("verifica"), QString());
  parser.addOptions({help, version, rules, verify});
  parser.addPositionalArgument(QStringLiteral("FILE"), QString());

  CCommandLine line;
  line.action = CCommandLine::Action::Error;
  if (!parser.parse(arguments)) {
    line.error = UnknownOptionError(parser);
    if (line.error.isEmpty()) {
      line.error = !arguments.isEmpty() && arguments.back() == QStringLiteral("--regole")
                       ? QStringLiteral("manca il nome del file dopo --regole")
                       : QStringLiteral("riga di comando non valida");
    }
    return line;
  }
  if (parser.isSet(help)) {
    line.action = CCommandLine::Action::Help;
    return line;
  }
  if (parser.isSet(version)) {
    line.action = CCommandLine::Action::Version;
    return line;
  }

  const QStringList files = parser.values(rules) + parser.positionalArguments();
  if (files.size() > 1) {
    line.error =
        QStringLiteral("troppi file delle regole (%1: \"%2\"): se ne può indicare uno solo")
            .arg(files.size())
            .arg(files.join(QStringLiteral("\", \"")));
    return line;
  }
  if (files.size() == 1 && files.front().isEmpty()) {
    line.error = QStringLiteral("il nome del file delle regole è vuoto");
    return line;
  }
  line.action = parser.isSet(verify) ? CCommandLine::Action::Verify : CCommandLine::Action::Run;
  if (!files.isEmpty()) line.rulesFile = files.front();
  return line;
}

namespace {

// Checks the rules file named, or else the one a start would open (the
// installed rules included, without making the player's copy), and writes
// every finding and the count of them on standard output.
int VerifyRules(const QString& rulesFile) {
  std::string file = QFile::encodeName(rulesFile).toStdString();
  std::vector<CRulesFinding> findings;
  if (rulesFile.isEmpty()) {
    // The installed rules are found from the folder of the program.
    static int argc = 1;
    static char name[] = "tarvo";
    static char* argv[] = {name, nullptr};
    std::unique_ptr<QCoreApplication> core;
    if (QCoreApplication::instance() == nullptr)
      core = std::make_unique<QCoreApplication>(argc, argv);
    const CRulesLocation location =
        FindRulesFile(QString(), CRulesPlaces::ForThisProgram(), CPlayerCopy::Skip);
    if (location.Found()) {
      file = QFile::encodeName(location.path).toStdString();
    } else {
      // No file to name: the program speaks.
      file = "tarvo";
      findings.push_back({CRulesFinding::Kind::Error, 0, location.error.toStdString()});
    }
  }
  if (findings.empty()) findings = CheckRulesFile(file.c_str());

  std::string out;
  for (const CRulesFinding& finding : findings) out.append(FormatFinding(file, finding)) += '\n';
  out.append(SummarizeFindings(findings)) += '\n';
  // Bytes as they are: the messages are UTF-8, the file as it was given.
  const bool written =
      std::fwrite(out.data(), 1, out.size(), stdout) == out.size() && std::fflush(stdout) == 0;
  const bool anyError = std::any_of(findings.begin(), findings.end(),
                                    [](const CRulesFinding& finding) { return finding.IsError(); });
  return written && !anyError ? 0 : 1;
}

}  // namespace

int AnswerCommandLine(const CCommandLine& commandLine) {
  switch (commandLine.action) {
    case CCommandLine::Action::Help:
      return WriteText(stdout, QString::fromUtf8(kUsage)) ? 0 : 1;
    case CCommandLine::Action::Version:
      return WriteText(stdout,
                       QStringLiteral("TARVO %1 (Qt %2)\n")
                           .arg(QString::fromUtf8(TARVO_VERSION), QString::fromUtf8(qVersion())))
                 ? 0
                 : 1;
    case CCommandLine::Action::Verify:
      return VerifyRules(commandLine.rulesFile);
    case CCommandLine::Action::Error:
      WriteText(
          stderr,
          QStringLiteral("tarvo: %1\n\n%2").arg(commandLine.error, QString::fromUtf8(kUsage)));
      return 2;
    case CCommandLine::Action::Run:
      break;
  }
  return 0;
}

void SetApplicationIdentity() {
  // Qt's X11 platform takes the instance part of the window class from
  // RESOURCE_NAME, and otherwise from the executable's name; the class part
  // is the application name. The desktop entry expects "tarvo" for both.
  if (!qEnvironmentVariableIsSet("RESOURCE_NAME")) qputenv("RESOURCE_NAME", "tarvo");
  QCoreApplication::setApplicationName(QStringLiteral("tarvo"));
  QCoreApplication::setApplicationVersion(QString::fromUtf8(TARVO_VERSION));
  QGuiApplication::setDesktopFileName(QString::fromUtf8(TARVO_APP_ID));
}

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

void CGeneratorApp::ReportError(const QString& text) {
  WriteText(stderr, QStringLiteral("tarvo: %1\n").arg(text));
  if (m_prompts != nullptr) {
    m_prompts->ShowError(nullptr, text);
  } else if (!StartupProbe()) {
    CQtPrompts().ShowError(nullptr, text);
  }
}

int CGeneratorApp::Run(const QString& rulesFile) {
  const CRulesLocation location = FindRulesFile(rulesFile, CRulesPlaces::ForThisProgram());
  if (!location.Found()) {
    ReportError(location.error);
    return 1;
  }
  return InitInstance(QFile::encodeName(location.path).constData());
}

int CGeneratorApp::InitInstance(const char* rulesPath) {
  CGeneratorDlg dialog(rulesPath, m_prompts);
  if (!dialog.GetRules().IsLoaded()) {
    // With the number of further problems a check of the same file lists.
    const char* path = rulesPath != nullptr ? rulesPath : RULES_FILE_NAME;
    ReportError(QString::fromUtf8(dialog.GetRules().GetLoadError().m_strMessage +
                                  FurtherProblemsNote(CheckRulesFile(path), path)));
    return 1;
  }

  CFirstPaintProbe probe(&dialog, QFile::decodeName(rulesPath));
  if (StartupProbe()) dialog.installEventFilter(&probe);

  dialog.DoModal();
  return 0;
}
