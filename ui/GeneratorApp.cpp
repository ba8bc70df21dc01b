#include "ui/GeneratorApp.h"

#include <QApplication>
#include <QComboBox>
#include <QCommandLineParser>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QTimer>
#include <QTranslator>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>

#include "app/Build.h"
#include "app/Console.h"
#include "app/FileNames.h"
#include "app/RulesLocation.h"
#include "character/SheetReader.h"
#include "res/resource.h"
#include "rules/RulesCheck.h"
#include "ui/Controls.h"
#include "ui/GeneratorDlg.h"
#include "ui/OpenSheet.h"
#include "ui/Prompts.h"

namespace {

const char* const kUsage =
    "Uso: tarvo [OPZIONI] [FILE]\n"
    "     tarvo --pdf [--regole FILE] [--sovrascrivi] SCHEDA.pg...\n"
    "     tarvo --foundry [--regole FILE] [--sovrascrivi] SCHEDA.pg...\n"
    "     tarvo --gruppo GRUPPO.pdf [--regole FILE] [--sovrascrivi] SCHEDA.pg...\n"
    "Genera personaggi per il gioco di ruolo Velmor.\n"
    "\n"
    "Argomenti:\n"
    "  FILE             una scheda .pg da aprire nel modulo (un nome che finisce in\n"
    "                   .pg, o un file la cui prima riga è \"Informazioni\n"
    "                   Personaggio\"), altrimenti il file delle regole da usare\n"
    "\n"
    "Opzioni:\n"
    "  --regole FILE    usa il file delle regole FILE\n"
    "  --apri FILE      apre nel modulo la scheda del personaggio FILE\n"
    "  --pdf            non apre la finestra e non ha bisogno di uno schermo:\n"
    "                   scrive accanto a ogni SCHEDA.pg la sua scheda stampabile\n"
    "                   SCHEDA.pdf, che contiene anche la scheda .pg\n"
    "  --foundry        come --pdf, ma scrive accanto a ogni SCHEDA.pg il\n"
    "                   personaggio per Foundry VTT SCHEDA.json, da importare in un\n"
    "                   mondo del sistema \"Simple Worldbuilding System\"\n"
    "  --gruppo FILE    come --pdf, ma scrive un PDF solo, FILE: il foglio del\n"
    "                   gruppo per il master, con le SCHEDA.pg nell'ordine dato, un\n"
    "                   riquadro ciascuna, e le schede .pg dentro\n"
    "  --sovrascrivi    con --pdf, --foundry o --gruppo, sostituisce i file che\n"
    "                   esistono già (senza, li lascia come sono e lo dice)\n"
    "  --verifica       controlla il file delle regole senza aprire la finestra:\n"
    "                   elenca ogni errore e avviso con la sua riga\n"
    "  -h, --help       mostra questo aiuto ed esce\n"
    "  -v, --version    mostra la versione di TARVO e di Qt ed esce\n"
    "\n"
    "Senza un file delle regole, anche con una scheda, TARVO usa il primo che trova fra:\n";

QString Usage() { return QString::fromUtf8(kUsage) + RulesSearchText(); }

// Set only by the tests of the installed program and the start-up benchmark,
// so that a start can be proved and timed from outside and nothing waits for
// a person: once the form shows its first rolls and has been painted, the
// program prints the rules file it opened, the race shown and the first
// characteristic rolled, one a line, and ends with status 0; an error goes to
// standard error only, without a message box.
bool StartupProbe() { return qgetenv("TARVO_PROVA_AVVIO") == "1"; }

// Runs `then` once `widget` has been painted for the first time, as soon as
// its controls have been painted too.
class CFirstPaint : public QObject {
 public:
  CFirstPaint(QWidget* widget, std::function<void()> then)
      : m_widget(widget), m_then(std::move(then)) {
    widget->installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == m_widget && event->type() == QEvent::Paint && !m_painted) {
      m_painted = true;
      // The controls are painted right after the form itself.
      QTimer::singleShot(0, m_widget, m_then);
    }
    return false;
  }

 private:
  QWidget* m_widget;
  std::function<void()> m_then;
  bool m_painted = false;
};

// What StartupProbe prints, once the form shows its first rolls; then the
// form closes.
void ProbeAndClose(CGeneratorDlg& dialog, const QString& rulesPath) {
  const auto* race = qobject_cast<const QComboBox*>(dialog.GetDlgItem(IDC_RACE));
  WriteText(stdout, rulesPath + QLatin1Char('\n') +
                        (race != nullptr ? race->currentText() : QString()) + QLatin1Char('\n') +
                        GetControlText(dialog.GetDlgItem(IDC_STAT1)) + QLatin1Char('\n'));
  dialog.close();
}

// Whether the command line argument `file` names a sheet to open rather than
// a rules file: a file that begins as a sheet does, and any name ending in
// ".pg" (the desktop opens every such file with TARVO), so that a sheet that
// is missing, or spoilt so that it no longer begins as one, is refused with
// a message about the sheet instead of being read as rules with nothing in
// them.
bool NamesSheet(const QString& file) {
  return file.endsWith(QStringLiteral(".pg"), Qt::CaseInsensitive) ||
         IsSheetFile(FileNameBytes(file).c_str());
}

// "a", "b", each as Quoted shows it.
QString QuotedList(const QStringList& names) {
  QStringList quoted;
  for (const QString& name : names) quoted << Quoted(name);
  return quoted.join(QStringLiteral(", "));
}

}  // namespace

CCommandLine ParseCommandLine(const QStringList& arguments) {
  QCommandLineParser parser;
  const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QString());
  const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")}, QString());
  const QCommandLineOption rules(QStringLiteral("regole"), QString(), QStringLiteral("FILE"));
  const QCommandLineOption verify(QStringLiteral("verifica"), QString());
  const QCommandLineOption open(QStringLiteral("apri"), QString(), QStringLiteral("FILE"));
  const QCommandLineOption pdf(QStringLiteral("pdf"), QString());
  const QCommandLineOption foundry(QStringLiteral("foundry"), QString());
  const QCommandLineOption overwrite(QStringLiteral("sovrascrivi"), QString());
  const QCommandLineOption group(QStringLiteral("gruppo"), QString(), QStringLiteral("FILE"));
  const QList<QCommandLineOption> options = {help, version, rules,     verify, open,
                                             pdf,  foundry, overwrite, group};
  parser.addOptions(options);
  parser.addPositionalArgument(QStringLiteral("FILE"), QString());

  CCommandLine line;
  line.action = CCommandLine::Action::Error;
  if (!parser.parse(arguments)) {
    line.error = UnknownOptionError(parser, arguments);
    if (line.error.isEmpty()) {
      const QString last = arguments.isEmpty() ? QString() : arguments.back();
      line.error = last == QStringLiteral("--regole") || last == QStringLiteral("--apri") ||
                           last == QStringLiteral("--gruppo")
                       ? QStringLiteral("manca il nome del file dopo %1").arg(last)
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

  // The ways of running that exclude each other.
  const QCommandLineOption* const modes[] = {&verify, &pdf, &foundry, &group, &open};
  QStringList chosen;
  for (const QCommandLineOption* mode : modes) {
    if (parser.isSet(*mode)) chosen << QStringLiteral("--") + mode->names().front();
  }
  if (chosen.size() > 1) {
    line.error = QStringLiteral("%1 non vanno insieme").arg(chosen.join(QStringLiteral(" e ")));
    return line;
  }
  // Each writes what it makes of the sheets on the line: a file beside each,
  // or the one group sheet.
  const bool ofSheets = parser.isSet(pdf) || parser.isSet(foundry) || parser.isSet(group);
  if (parser.isSet(overwrite) && !ofSheets) {
    line.error = QStringLiteral("--sovrascrivi vale solo con --pdf, --foundry o --gruppo");
    return line;
  }
  const QStringList groupFiles = parser.values(group);
  if (groupFiles.size() > 1) {
    line.error = QStringLiteral("un foglio del gruppo alla volta: --gruppo c'è %1 volte (%2)")
                     .arg(groupFiles.size())
                     .arg(QuotedList(groupFiles));
    return line;
  }
  if (!groupFiles.isEmpty()) {
    const QString& file = groupFiles.front();
    // "--gruppo --sovrascrivi a.pg": the file's name was forgotten.
    const QString named = file.mid(2).section(QLatin1Char('='), 0, 0);
    if (file.startsWith(QStringLiteral("--")) &&
        std::any_of(options.begin(), options.end(), [&named](const QCommandLineOption& option) {
          return option.names().contains(named);
        })) {
      line.error = QStringLiteral("manca il nome del file dopo --gruppo");
      return line;
    }
    if (file.isEmpty()) {
      line.error = QStringLiteral("il nome del foglio del gruppo è vuoto");
      return line;
    }
    // "--gruppo *.pg" would make the first sheet the PDF to write.
    if (file.endsWith(QStringLiteral(".pg"), Qt::CaseInsensitive)) {
      line.error = QStringLiteral(
                       "--gruppo vuole il nome del PDF da scrivere, non una scheda: %1 (per "
                       "esempio --gruppo banda.pdf)")
                       .arg(Quoted(file));
      return line;
    }
  }

  QStringList files = parser.values(rules);
  QStringList sheets = parser.values(open);
  if (ofSheets) {
    sheets = parser.positionalArguments();
    if (sheets.isEmpty()) {
      line.error = QStringLiteral("--gruppo: manca la scheda da mettere nel foglio del gruppo");
      if (parser.isSet(pdf)) line.error = QStringLiteral("--pdf: manca la scheda da stampare");
      if (parser.isSet(foundry))
        line.error = QStringLiteral("--foundry: manca la scheda da esportare");
      return line;
    }
  } else {
    for (const QString& file : parser.positionalArguments()) {
      if (!parser.isSet(verify) && NamesSheet(file)) {
        sheets << file;
      } else {
        files << file;
      }
    }
    if (sheets.size() > 1) {
      line.error = QStringLiteral("troppe schede (%1: %2): se ne può aprire una sola")
                       .arg(sheets.size())
                       .arg(QuotedList(sheets));
      return line;
    }
  }
  if (sheets.contains(QString())) {
    line.error = QStringLiteral("il nome della scheda è vuoto");
    return line;
  }
  if (files.size() > 1) {
    line.error = QStringLiteral("troppi file delle regole (%1: %2): se ne può indicare uno solo")
                     .arg(files.size())
                     .arg(QuotedList(files));
    return line;
  }
  if (files.size() == 1 && files.front().isEmpty()) {
    line.error = QStringLiteral("il nome del file delle regole è vuoto");
    return line;
  }
  if (!files.isEmpty()) line.rulesFile = files.front();
  if (ofSheets) {
    line.action = CCommandLine::Action::PrintSheets;
    line.sheets = sheets;
    line.overwrite = parser.isSet(overwrite);
    line.foundry = parser.isSet(foundry);
    if (!groupFiles.isEmpty()) line.groupFile = groupFiles.front();
  } else {
    line.action = parser.isSet(verify) ? CCommandLine::Action::Verify : CCommandLine::Action::Run;
    if (!sheets.isEmpty()) line.sheetFile = sheets.front();
  }
  return line;
}

namespace {

// Checks the rules file named, or else the one a start would open (the
// installed rules included, without making the player's copy), and writes
// every finding and the count of them on standard output. A file with more
// findings than anyone reads (something that is not rules at all, as a rule)
// has the first ones listed, and the count says the check stopped there.
int VerifyRules(const QString& rulesFile) {
  constexpr size_t kListed = 10000;
  std::string file = FileNameBytes(rulesFile);
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
      file = FileNameBytes(location.path);
    } else {
      // No file to name: the program speaks.
      file = "tarvo";
      findings.push_back({CRulesFinding::Kind::Error, 0, location.error.toStdString()});
    }
  }
  if (findings.empty()) findings = CheckRulesFile(file.c_str(), kListed + 1);
  const bool more = findings.size() > kListed;
  if (more) findings.resize(kListed);

  std::string out;
  for (const CRulesFinding& finding : findings) out.append(FormatFinding(file, finding)) += '\n';
  out.append(SummarizeFindings(findings));
  if (more) out.append(", poi il controllo si ferma: il file ha altri problemi ancora");
  out += '\n';
  // Bytes as they are: the messages are UTF-8, the file as it was given.
  const bool written = WriteOutputBytes(QStringLiteral("tarvo"), out);
  const bool anyError = std::any_of(findings.begin(), findings.end(),
                                    [](const CRulesFinding& finding) { return finding.IsError(); });
  return written && !anyError ? 0 : 1;
}

}  // namespace

int AnswerCommandLine(const CCommandLine& commandLine) {
  switch (commandLine.action) {
    case CCommandLine::Action::Help:
      return WriteOutput(QStringLiteral("tarvo"), Usage()) ? 0 : 1;
    case CCommandLine::Action::Version:
      return WriteOutput(QStringLiteral("tarvo"),
                         QStringLiteral("TARVO %1 (Qt %2)\n")
                             .arg(QString::fromUtf8(TARVO_VERSION), QString::fromUtf8(qVersion())))
                 ? 0
                 : 1;
    case CCommandLine::Action::Verify:
      return VerifyRules(commandLine.rulesFile);
    case CCommandLine::Action::Error:
      WriteText(stderr, QStringLiteral("tarvo: %1\n\n%2").arg(commandLine.error, Usage()));
      return 2;
    case CCommandLine::Action::Run:
    case CCommandLine::Action::PrintSheets:
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

int CGeneratorApp::Run(const QString& rulesFile, const QString& sheetFile) {
  return Run(rulesFile, CRulesPlaces::ForThisProgram(), sheetFile);
}

int CGeneratorApp::Run(const QString& rulesFile, const CRulesPlaces& places,
                       const QString& sheetFile) {
  const CRulesLocation location = FindRulesFile(rulesFile, places);
  if (!location.Found()) {
    ReportError(location.error);
    return 1;
  }
  m_notice = location.notice;
  if (!m_notice.isEmpty()) WriteText(stderr, QStringLiteral("tarvo: %1\n").arg(m_notice));
  m_playerDataFolder = location.readOnly ? places.dataFolder : QString();
  return InitInstance(FileNameBytes(location.path).c_str(), sheetFile);
}

int CGeneratorApp::InitInstance(const char* rulesPath, const QString& sheetPath) {
  CGeneratorDlg dialog(rulesPath, m_prompts);
  if (!dialog.GetRules().IsLoaded()) {
    // With the number of further problems a check of the same file lists.
    const char* path = rulesPath != nullptr ? rulesPath : RULES_FILE_NAME;
    ReportError(QString::fromUtf8(dialog.GetRules().GetLoadError().m_strMessage +
                                  FurtherProblemsNote(path)));
    return 1;
  }

  CQtPrompts ownPrompts;
  CPrompts& prompts = m_prompts != nullptr ? *m_prompts : ownPrompts;
  if (!m_playerDataFolder.isEmpty()) dialog.SaveRulesToPlayerCopy(m_playerDataFolder);

  // The sheet is read before the form opens; an accepted one is shown as soon
  // as the form is set up, a refused one is told once the form shows.
  std::optional<CSheetAtStart> sheetAtStart;
  QString refusal;
  if (!sheetPath.isEmpty()) {
    CSheet sheet;
    if (ReadSheetFile(sheetPath, dialog.GetRules(), sheet, &refusal)) {
      sheetAtStart.emplace(dialog, std::move(sheet), sheetPath);
    } else {
      WriteText(stderr, QStringLiteral("tarvo: %1\n").arg(refusal));
    }
  }

  std::optional<CFirstPaint> firstPaint;
  if (StartupProbe()) {
    const QString path = ShownName(FileNameFromBytes(rulesPath));
    firstPaint.emplace(&dialog, [&dialog, path] { ProbeAndClose(dialog, path); });
  } else if (!m_notice.isEmpty() || !sheetPath.isEmpty()) {
    // Said over the form, once the player can see what it is about.
    firstPaint.emplace(&dialog, [&dialog, &prompts, &sheetAtStart, refusal, this] {
      if (!m_notice.isEmpty()) prompts.ShowError(&dialog, m_notice);
      if (!refusal.isEmpty()) prompts.ShowError(&dialog, refusal);
      if (sheetAtStart && !sheetAtStart->Notice().isEmpty())
        prompts.ShowWarning(&dialog, sheetAtStart->Notice());
    });
  }

  dialog.DoModal();
  return 0;
}
