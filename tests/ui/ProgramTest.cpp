// The program tarvo with sheets on its command line, run as a player or a
// game master runs it: `tarvo --pdf` without a display, and `tarvo FILE.pg`
// proved by the start-up probe.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QStringList>
#include <filesystem>
#include <functional>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include "rules/Rules.h"
#include "tests/FileBytes.h"
#include "tests/PdfTools.h"
#include "tests/TempFolder.h"
#include "tests/Terminal.h"

namespace fs = std::filesystem;

namespace {

const QString kRules = QStringLiteral(TARVO_UI_TEST_DATA_DIR "/form.rul");
const std::string kSession = TARVO_UI_TEST_DATA_DIR "/session.pg";

struct Outcome {
  int status = -1;
  std::string out, err;
};

class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override { fs::create_directories(m_home); }

  // Runs `program` in the test's folder with a home of its own and no
  // display; `environment` adds to it.
  Outcome Run(const QString& program, const QStringList& arguments,
              const QStringList& environment = {}) const {
    QProcessEnvironment env;
    env.insert("PATH", "/usr/bin:/bin");
    env.insert("HOME", QString::fromStdString(m_home.string()));
    env.insert("LANG", "C.UTF-8");
    for (const QString& setting : environment)
      env.insert(setting.section('=', 0, 0), setting.section('=', 1));
    QProcess process;
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(QString::fromStdString(m_folder.Path().string()));
    process.start(program, arguments);
    Outcome run;
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit) {
      ADD_FAILURE() << program.toStdString() << " did not end";
      return run;
    }
    run.status = process.exitCode();
    run.out = process.readAllStandardOutput().toStdString();
    run.err = process.readAllStandardError().toStdString();
    return run;
  }
  // Runs tarvo with `arguments` in the test's folder on a terminal of 80
  // columns, with no display. `onScreen` sees the terminal's side and all it
  // has shown, each time it shows more, until it returns false.
  TerminalOutcome OnTerminal(const QStringList& arguments,
                             const std::function<bool(int, const std::string&)>& onScreen) const {
    std::vector<std::string> argv;
    for (const QString& argument : arguments) argv.push_back(argument.toStdString());
    return OnTerminal(std::move(argv), onScreen);
  }
  // The same with the arguments as bytes, which need not be UTF-8.
  TerminalOutcome OnTerminal(std::vector<std::string> arguments,
                             const std::function<bool(int, const std::string&)>& onScreen = {},
                             const std::string& tmp = "/tmp") const {
    arguments.insert(arguments.begin(), TARVO_PROGRAM);
    std::vector<std::string> env = {"PATH=/usr/bin:/bin", "HOME=" + m_home.string(), "LANG=C.UTF-8",
                                    "TMPDIR=" + tmp};
    return RunOnTerminal(std::move(arguments), std::move(env), m_folder.Path(), 80, onScreen);
  }

  Outcome Tarvo(const QStringList& arguments, const QStringList& environment = {}) const {
    return Run(TARVO_PROGRAM, arguments, environment);
  }
  std::string Bytes(const std::string& name) const { return ReadBytes(m_folder / name); }
  void Write(const std::string& name, const std::string& bytes) const {
    WriteBytes(m_folder / name, bytes);
  }
  QString PathOf(const std::string& name) const {
    return QString::fromStdString((m_folder / name).string());
  }

  CTempFolder m_folder;
  fs::path m_home = m_folder / "casa";
};

// The session sheet with the race on line 7 replaced.
std::string WithRace(const std::string& race) {
  std::string sheet = ReadBytes(kSession);
  const size_t at = sheet.find("RAZZA Elfo\r\n");
  return sheet.replace(at, 10, "RAZZA " + race);
}

// The pages of `pdf`, as pdfinfo counts them.
int PdfPages(const QString& pdf) {
  const QRegularExpressionMatch pages =
      QRegularExpression(R"(\nPages:\s+(\d+)\n)").match(PopplerOutput("pdfinfo", {pdf}));
  return pages.hasMatch() ? pages.captured(1).toInt() : -1;
}

// The files `pdf` carries, by name, with their bytes (pdfdetach -saveall).
std::map<std::string, std::string> Carried(const QString& pdf, const fs::path& into) {
  fs::remove_all(into);
  fs::create_directories(into);
  PopplerOutput("pdfdetach", {"-saveall", "-o", QString::fromStdString(into.string()), pdf});
  return Snapshot(into);
}

TEST_F(ProgramTest, PdfWritesThePrintableSheetBesideEachSheetWithoutADisplay) {
  ASSERT_EQ(Run(TARVO_GENERA_PROGRAM, {"--regole", kRules, "--seme", "4", "--numero", "2", "--nome",
                                       "Guardia {n}", "--cartella", "schede"})
                .status,
            0);
  std::string lf = ReadBytes(kSession);
  std::erase(lf, '\r');
  Write("lf.pg", lf);
  Write("rotta.pg", WithRace("Troll"));
  const QStringList sheets = {"schede/Guardia 1.pg", "rotta.pg", "schede/Guardia 2.pg", "lf.pg"};
  // The platform asked for is ignored: the sheets are drawn offscreen.
  const QStringList hostile = {"QT_QPA_PLATFORM=xcb", "XDG_RUNTIME_DIR=/manca"};
  const Outcome run = Tarvo(QStringList{"--pdf", "--regole", kRules} + sheets, hostile);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "tarvo: La scheda \"rotta.pg\" nella cartella \"" + m_folder.Path().string() +
                         "\" non è valida: riga 7: atteso \"RAZZA \" e il nome di una razza delle "
                         "regole, trovato \"RAZZA Troll\".\n");
  EXPECT_FALSE(fs::exists(m_folder / "rotta.pdf"));

  // Each PDF shows its character and carries its sheet, as TARVO writes it.
  const std::pair<std::string, std::string> printed[] = {
      {"schede/Guardia 1", "Guardia 1"}, {"schede/Guardia 2", "Guardia 2"}, {"lf", "Zoë"}};
  for (const auto& [base, name] : printed) {
    SCOPED_TRACE(base);
    const QString pdf = PathOf(base + ".pdf");
    EXPECT_TRUE(PdfLayoutText(pdf).contains(QString::fromStdString(name)));
    EXPECT_TRUE(PopplerOutput("pdfdetach", {"-list", pdf})
                    .contains(QString::fromStdString(fs::path(base).filename().string()) + ".pg"));
    PopplerOutput("pdfdetach", {"-save", "1", "-o", PathOf("allegato.pg"), pdf});
    EXPECT_EQ(Bytes("allegato.pg"), base == "lf" ? ReadBytes(kSession) : Bytes(base + ".pg"));
  }

  // A printable sheet that exists stays as it is, unless it is to be replaced.
  const std::string before = Bytes("lf.pdf");
  const Outcome again = Tarvo({"--pdf", "--regole", kRules, "lf.pg", "schede/Guardia 1.pg"});
  EXPECT_EQ(again.status, 1);
  EXPECT_EQ(again.err,
            "tarvo: la scheda stampabile \"lf.pdf\" esiste già: --sovrascrivi la sostituisce\n"
            "tarvo: la scheda stampabile \"schede/Guardia 1.pdf\" esiste già: --sovrascrivi la "
            "sostituisce\n");
  EXPECT_EQ(Bytes("lf.pdf"), before);
  fs::remove(m_folder / "lf.pdf");
  const Outcome replaced = Tarvo(
      {"--pdf", "--sovrascrivi", "--regole", kRules, "lf.pg", "schede/Guardia 1.pg", "lf.pg"});
  EXPECT_EQ(replaced.status, 0);
  EXPECT_EQ(replaced.err, "");
  EXPECT_EQ(Bytes("lf.pdf").substr(0, 5), "%PDF-");

  // A link where a printable sheet goes is replaced, never written through.
  Write("altrove.txt", "da tenere");
  fs::remove(m_folder / "lf.pdf");
  fs::create_symlink("altrove.txt", m_folder / "lf.pdf");
  EXPECT_EQ(Tarvo({"--pdf", "--sovrascrivi", "--regole", kRules, "lf.pg"}).status, 0);
  EXPECT_EQ(Bytes("altrove.txt"), "da tenere");
  EXPECT_FALSE(fs::is_symlink(m_folder / "lf.pdf"));
  EXPECT_EQ(Bytes("lf.pdf").substr(0, 5), "%PDF-");

  // Nothing to print, or rules that are not there.
  EXPECT_EQ(Tarvo({"--pdf"}).status, 2);
  const Outcome noRules = Tarvo({"--pdf", "--regole", "manca.rul", "lf.pg"});
  EXPECT_EQ(noRules.status, 1);
  EXPECT_NE(noRules.err.find("manca.rul"), std::string::npos) << noRules.err;
}

// --foundry writes the actor beside each sheet with --pdf's care: a sheet
// the rules cannot hold is named with its line while the others are written,
// an existing file stays unless --sovrascrivi, and a link is replaced.
TEST_F(ProgramTest, FoundryWritesTheActorBesideEachSheetAsPdfWritesItsSheet) {
  ASSERT_EQ(Run(TARVO_GENERA_PROGRAM, {"--regole", kRules, "--seme", "4", "--numero", "2", "--nome",
                                       "Guardia {n}", "--cartella", "schede"})
                .status,
            0);
  Write("zoe.pg", ReadBytes(kSession));
  Write("rotta.pg", WithRace("Troll"));
  const QStringList sheets = {"schede/Guardia 1.pg", "rotta.pg", "schede/Guardia 2.pg", "zoe.pg"};
  const Outcome run = Tarvo(QStringList{"--foundry", "--regole", kRules} + sheets,
                            {"QT_QPA_PLATFORM=xcb", "XDG_RUNTIME_DIR=/manca"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "tarvo: La scheda \"rotta.pg\" nella cartella \"" + m_folder.Path().string() +
                         "\" non è valida: riga 7: atteso \"RAZZA \" e il nome di una razza delle "
                         "regole, trovato \"RAZZA Troll\".\n");
  EXPECT_FALSE(fs::exists(m_folder / "rotta.json"));
  EXPECT_FALSE(fs::exists(m_folder / "zoe.pdf"));
  for (const auto& [base, name] :
       {std::pair<std::string, std::string>{"schede/Guardia 1", "Guardia 1"},
        {"schede/Guardia 2", "Guardia 2"},
        {"zoe", "Zoë l'Ardita"}}) {
    SCOPED_TRACE(base);
    const std::string json = Bytes(base + ".json");
    EXPECT_EQ(json.substr(0, 1), "{");
    EXPECT_EQ(json.back(), '\n');
    EXPECT_EQ(json.rfind("{\"name\":\"" + name + "\",", 0), 0u) << json.substr(0, 80);
  }
  EXPECT_NE(Bytes("schede/Guardia 1.json"), Bytes("schede/Guardia 2.json"));

  // An existing one stays as it is, and is said, unless it is to be replaced.
  const std::string made = Bytes("zoe.json");
  Write("zoe.json", "già qui");
  const Outcome again = Tarvo({"--foundry", "--regole", kRules, "zoe.pg", "schede/Guardia 1.pg"});
  EXPECT_EQ(again.status, 1);
  EXPECT_EQ(again.err,
            "tarvo: il file per Foundry \"zoe.json\" esiste già: --sovrascrivi lo sostituisce\n"
            "tarvo: il file per Foundry \"schede/Guardia 1.json\" esiste già: --sovrascrivi lo "
            "sostituisce\n");
  EXPECT_EQ(Bytes("zoe.json"), "già qui");
  const Outcome replaced =
      Tarvo({"--foundry", "--sovrascrivi", "--regole", kRules, "zoe.pg", "schede/Guardia 1.pg"});
  EXPECT_EQ(replaced.status, 0);
  EXPECT_EQ(replaced.err, "");
  EXPECT_EQ(Bytes("zoe.json"), made);

  // A link where the actor goes is replaced, never written through.
  Write("altrove.txt", "da tenere");
  fs::remove(m_folder / "zoe.json");
  fs::create_symlink("altrove.txt", m_folder / "zoe.json");
  EXPECT_EQ(Tarvo({"--foundry", "--sovrascrivi", "--regole", kRules, "zoe.pg"}).status, 0);
  EXPECT_EQ(Bytes("altrove.txt"), "da tenere");
  EXPECT_FALSE(fs::is_symlink(m_folder / "zoe.json"));
  EXPECT_EQ(Bytes("zoe.json"), made);

  // On a terminal, the last line sums it up in its own words.
  const TerminalOutcome whole = OnTerminal({"--foundry", "--sovrascrivi", "--regole", kRules,
                                            "rotta.pg", "zoe.pg", "schede/Guardia 2.pg"},
                                           nullptr);
  EXPECT_EQ(whole.status, 1);
  EXPECT_TRUE(std::regex_search(
      whole.screen,
      std::regex("[\r\n]Scritti 2 file per Foundry \\(\\d+,\\d s\\); 1 non esportata\r\n$")))
      << whole.screen;
  EXPECT_EQ(Tarvo({"--foundry"}).status, 2);
}

// Names as a hostile share or a careless shell gives them: bytes that are no
// UTF-8, a line break, a name that reads as an option; a sheet named twice
// through a link, or that is a link to its own printable sheet's name; rules
// far too large. Each is used as its bytes, or refused in one true line, and
// no folder appears that nobody named.
TEST_F(ProgramTest, AnyNameIsUsedAsItsBytesAndEveryRefusalIsOneTrueLine) {
  const std::string rules = kRules.toStdString();
  const std::string tmp = (m_folder / "tmp").string();
  fs::create_directory(tmp);
  fs::copy_file(rules, m_folder / "r\xE9gole.rul");
  Write("\xE9roe.pg", ReadBytes(kSession));
  const auto screen = [&](std::vector<std::string> arguments) {
    const TerminalOutcome run = OnTerminal(std::move(arguments), {}, tmp);
    // The first line as it stays on the screen, after any progress it
    // rewrote.
    const std::string line = run.screen.substr(0, run.screen.find("\r\n"));
    return std::to_string(run.status) + " " + line.substr(line.rfind('\r') + 1);
  };
  EXPECT_EQ(screen({"--pdf", "--regole", "r\xE9gole.rul", "\xE9roe.pg"}).substr(0, 9), "0 Scritta");
  EXPECT_EQ(Bytes("\xE9roe.pdf").substr(0, 5), "%PDF-");
  EXPECT_EQ(screen({"--pdf", "--regole", "r\xE9gole.rul", "manca\xE9\n.pg"}),
            "1 tarvo: Impossibile aprire la scheda \"manca\\xE9\\n.pg\" nella cartella \"" +
                m_folder.Path().string() + "\": il file o la cartella non esiste.");
  // A name that reads as options, and the two ways to name it.
  Write("-v.pg", ReadBytes(kSession));
  EXPECT_EQ(screen({"--pdf", "--regole", rules, "-v.pg"}),
            "2 tarvo: opzione sconosciuta: -. (\"-v.pg\" è un file: per nominarlo scrivi -- -v.pg "
            "oppure ./-v.pg)");
  EXPECT_EQ(screen({"--pdf", "--regole", rules, "--", "-v.pg", "./-v.pg"}).substr(0, 9),
            "0 Scritta");
  // Rules of a gigabyte, read no further than their size.
  fs::resize_file(m_folder / "r\xE9gole.rul", std::uintmax_t{1} << 30);
  EXPECT_EQ(screen({"--pdf", "--regole", "r\xE9gole.rul", "\xE9roe.pg"}),
            "1 tarvo: Il file delle regole \"r\\xE9gole.rul\" nella cartella \"" +
                m_folder.Path().string() +
                "\" è troppo grande: 1073741824 byte, e un file delle regole ne ha al massimo " +
                std::to_string(RULES_SIZE_LIMIT) + ".");

  // One sheet named again through a link to its folder is printed once.
  fs::create_directory_symlink(".", m_folder / "qui");
  Write("zoe.pg", ReadBytes(kSession));
  EXPECT_EQ(screen({"--pdf", "--regole", rules, "zoe.pg", "qui/zoe.pg"}).substr(0, 9), "0 Scritta");
  // A sheet that is a link to its own printable sheet's name stays.
  Write("sola.pdf", ReadBytes(kSession));
  fs::create_symlink("sola.pdf", m_folder / "sola.pg");
  EXPECT_EQ(screen({"--pdf", "--sovrascrivi", "--regole", rules, "sola.pg"}),
            "1 tarvo: la scheda \"sola.pg\" e la scheda stampabile \"sola.pdf\" sono lo stesso "
            "file: la stampabile cancellerebbe la scheda, e non si scrive");
  EXPECT_EQ(Bytes("sola.pdf"), ReadBytes(kSession));
  // A write error names the printable sheet the same way, replacing or not.
  const std::string longest(252, 'n');
  Write(longest + ".pg", ReadBytes(kSession));
  const std::string tooLong = "1 tarvo: Impossibile scrivere il file \"" + longest +
                              ".pdf\": il nome del file è troppo lungo.";
  EXPECT_EQ(screen({"--pdf", "--regole", rules, longest + ".pg"}), tooLong);
  EXPECT_EQ(screen({"--pdf", "--sovrascrivi", "--regole", rules, longest + ".pg"}), tooLong);
  // No XDG_RUNTIME_DIR here: Qt's fallback folder is not made.
  EXPECT_TRUE(fs::is_empty(tmp));
}

// On a terminal a line says which sheet is being printed, and a last one sums
// the run up; Ctrl+C stops between two sheets and says how many were written.
TEST_F(ProgramTest, OnATerminalPdfSaysHowFarItIsAndCtrlCStopsBetweenTwoSheets) {
  Write("rotta.pg", WithRace("Troll"));
  QStringList sheets = {"rotta.pg"};
  for (int n = 1; n <= 150; ++n) {
    const std::string name = "eroe" + std::to_string(n) + ".pg";
    Write(name, ReadBytes(kSession));
    sheets << QString::fromStdString(name);
  }
  const TerminalOutcome stopped = OnTerminal(QStringList{"--pdf", "--regole", kRules} + sheets,
                                             [](int terminal, const std::string& screen) {
                                               if (screen.find("Scheda ") == std::string::npos)
                                                 return true;
                                               EXPECT_EQ(write(terminal, "\x03", 1), 1);  // Ctrl+C
                                               return false;
                                             });
  EXPECT_EQ(stopped.signal, SIGINT) << stopped.screen;
  EXPECT_EQ(stopped.screen.find("tarvo: La scheda \"rotta.pg\""), 0u) << stopped.screen;
  std::smatch said;
  ASSERT_TRUE(std::regex_search(
      stopped.screen, said,
      std::regex("tarvo: interrotto: scritt[ae] (\\d+) schede? stampabil[ei] di 151, le altre "
                 "no\r\n$")))
      << stopped.screen;
  // The sheets before the stop have their whole PDF, the others none.
  const int written = std::stoi(said[1]);
  EXPECT_LT(written, 150);
  for (int n = 1; n <= 150; ++n) {
    const std::string pdf = Bytes("eroe" + std::to_string(n) + ".pdf");
    EXPECT_EQ(pdf.empty(), n > written) << n;
    if (!pdf.empty()) {
      EXPECT_EQ(pdf.substr(pdf.size() - 6), "%%EOF\n") << n;
    }
  }

  const TerminalOutcome whole = OnTerminal(
      {"--pdf", "--sovrascrivi", "--regole", kRules, "rotta.pg", "eroe149.pg", "eroe150.pg"},
      nullptr);
  EXPECT_EQ(whole.status, 1);
  EXPECT_TRUE(std::regex_search(
      whole.screen, std::regex("[\r\n]Scritte 2 schede stampabili \\(\\d+,\\d s\\); 1 non "
                               "stampata\r\n$")))
      << whole.screen;
}

// --gruppo puts the sheets the rules can hold, in the order given and each
// once, into one PDF that carries them; a broken one is named with its line
// as --pdf names it, and the status says so.
TEST_F(ProgramTest, GruppoPrintsTheGoodSheetsInOnePdfAndNamesTheBrokenOne) {
  ASSERT_EQ(Run(TARVO_GENERA_PROGRAM, {"--regole", kRules, "--seme", "4", "--numero", "2", "--nome",
                                       "Guardia {n}", "--cartella", "schede"})
                .status,
            0);
  Write("rotta.pg", WithRace("Troll"));
  const Outcome run = Tarvo({"--gruppo", "banda.pdf", "--regole", kRules, "schede/Guardia 2.pg",
                             "rotta.pg", "schede/Guardia 1.pg", "./schede/Guardia 2.pg"},
                            {"QT_QPA_PLATFORM=xcb", "XDG_RUNTIME_DIR=/manca"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "tarvo: La scheda \"rotta.pg\" nella cartella \"" + m_folder.Path().string() +
                         "\" non è valida: riga 7: atteso \"RAZZA \" e il nome di una razza delle "
                         "regole, trovato \"RAZZA Troll\".\n");

  const QString pdf = PathOf("banda.pdf");
  const int pages = PdfPages(pdf);
  EXPECT_GE(pages, 1);
  const QString text = PdfLayoutText(pdf);
  EXPECT_TRUE(text.contains(QStringLiteral("pagina %1 di %1").arg(pages), Qt::CaseInsensitive))
      << text.toStdString();
  ASSERT_TRUE(text.contains("Guardia 1")) << text.toStdString();
  EXPECT_LT(text.indexOf("Guardia 2"), text.indexOf("Guardia 1"));
  EXPECT_FALSE(text.contains("Troll"));
  const auto carried = Carried(pdf, m_folder / "dentro");
  EXPECT_EQ(carried,
            (std::map<std::string, std::string>{{"Guardia 1.pg", Bytes("schede/Guardia 1.pg")},
                                                {"Guardia 2.pg", Bytes("schede/Guardia 2.pg")}}));
}

// The group sheet is never written over a file unasked, nor over a sheet it
// reads; asked, it takes the place of the old one, and a terminal hears how
// it went. It goes with neither --pdf nor --foundry, and a sheet is no name
// for it.
TEST_F(ProgramTest, GruppoReplacesOnlyWhenAskedAndNeverASheet) {
  Write("zoe.pg", ReadBytes(kSession));
  Write("rotta.pg", WithRace("Troll"));
  Write("banda.pdf", "da tenere");
  // Refused before a sheet is read.
  const Outcome kept = Tarvo({"--gruppo", "banda.pdf", "--regole", kRules, "rotta.pg", "zoe.pg"});
  EXPECT_EQ(kept.status, 1);
  EXPECT_EQ(kept.err,
            "tarvo: il foglio del gruppo \"banda.pdf\" esiste già: --sovrascrivi lo sostituisce\n");
  EXPECT_EQ(Bytes("banda.pdf"), "da tenere");
  fs::create_symlink("zoe.pg", m_folder / "zoe.pdf");
  const Outcome itself =
      Tarvo({"--gruppo", "zoe.pdf", "--sovrascrivi", "--regole", kRules, "zoe.pg"});
  EXPECT_EQ(itself.status, 1);
  EXPECT_EQ(
      itself.err,
      "tarvo: la scheda \"zoe.pg\" e il foglio del gruppo \"zoe.pdf\" sono lo stesso file: il "
      "foglio cancellerebbe la scheda, e non si scrive\n");
  EXPECT_EQ(Bytes("zoe.pg"), ReadBytes(kSession));

  const TerminalOutcome replaced =
      OnTerminal({"--gruppo", "banda.pdf", "--sovrascrivi", "--regole", kRules, "zoe.pg"}, nullptr);
  EXPECT_EQ(replaced.status, 0);
  EXPECT_TRUE(std::regex_search(
      replaced.screen,
      std::regex("[\r\n]Scritto il foglio del gruppo \"banda.pdf\" con 1 scheda \\(\\d+,\\d "
                 "s\\)\r\n$")))
      << replaced.screen;
  EXPECT_EQ(Carried(PathOf("banda.pdf"), m_folder / "dentro"),
            (std::map<std::string, std::string>{{"zoe.pg", ReadBytes(kSession)}}));
  for (const auto& [name, bytes] : Snapshot(m_folder.Path()))
    EXPECT_FALSE(name.ends_with(".tmp")) << name;  // no temporary file left beside it

  for (const QStringList& wrong :
       {QStringList{"--gruppo", "g.pdf", "--pdf", "zoe.pg"},
        QStringList{"--gruppo", "zoe.pg", "zoe.pg"}, QStringList{"--gruppo", "g.pdf"}}) {
    const Outcome refused = Tarvo(wrong);
    EXPECT_EQ(refused.status, 2) << wrong.join(' ').toStdString();
    EXPECT_EQ(refused.err.rfind("tarvo: ", 0), 0u) << refused.err;
  }
  EXPECT_FALSE(fs::exists(m_folder / "g.pdf"));
}

// The start-up probe prints the rules file, the race shown and the first
// characteristic once the form is painted.
TEST_F(ProgramTest, TarvoFileStartsOnTheSheetAndARefusedOneAsUsual) {
  // A runtime folder keeps Qt's own note about it off standard error.
  const fs::path runtime = m_folder / "runtime";
  fs::create_directory(runtime);
  fs::permissions(runtime, fs::perms::owner_all);
  const QStringList probe = {"QT_QPA_PLATFORM=offscreen", "TARVO_PROVA_AVVIO=1",
                             "XDG_RUNTIME_DIR=" + QString::fromStdString(runtime.string())};
  Write("zoe.pg", ReadBytes(kSession));
  Write("rotta.pg", WithRace("Troll"));
  // An editor's byte order mark in front: no longer a sheet's first line,
  // but still a sheet by its name.
  Write("bom.pg", "\xEF\xBB\xBF" + ReadBytes(kSession));
  const std::string shown = kRules.toStdString() + "\nElfo\n112 (22)\n";
  for (const QStringList& arguments :
       {QStringList{"--regole", kRules, "zoe.pg"}, QStringList{"zoe.pg", kRules},
        QStringList{"--regole", kRules, "--apri", "zoe.pg"}}) {
    const Outcome run = Tarvo(arguments, probe);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, shown);
  }

  // A refused or missing sheet: said on standard error; the form starts
  // as without it, on the first race.
  for (const char* sheet : {"rotta.pg", "manca.pg", "bom.pg"}) {
    const Outcome run = Tarvo({"--regole", kRules, sheet}, probe);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out.substr(0, run.out.rfind('\n', run.out.size() - 2)),
              kRules.toStdString() + "\nUmano");
    EXPECT_EQ(run.err.rfind("tarvo: ", 0), 0u) << run.err;
    EXPECT_NE(run.err.find(std::string("\"") + sheet + "\" nella cartella"), std::string::npos)
        << run.err;
  }
}

}  // namespace
