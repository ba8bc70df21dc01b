// tarvo-genera run as a game master runs it: the real program, in a folder
// of the test's own, its sheets read back byte for byte. Every sheet a run
// writes, to a file or to standard output, must also read back against its
// rules into a character that writes the same bytes.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QStringList>
#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "rules/Rules.h"
#include "tests/FileBytes.h"
#include "tests/PdfTools.h"
#include "tests/SheetRoundTrip.h"
#include "tests/TempFolder.h"
#include "tests/Terminal.h"

namespace fs = std::filesystem;

namespace {

const QString kRules = QStringLiteral(TARVO_GENERA_TEST_DATA "/genera.rul");

struct Outcome {
  int status = -1;
  std::string out, err;
};

// The line of `sheet` that starts with `key` and a space, without its key.
std::string Value(const std::string& sheet, const std::string& key) {
  const std::string start = "\r\n" + key + " ";
  const size_t at = sheet.find(start);
  if (at == std::string::npos) return "<nessuna riga " + key + ">";
  const size_t from = at + start.size();
  return sheet.substr(from, sheet.find("\r\n", from) - from);
}

// Every .pg file under `root`, with its bytes.
std::map<fs::path, std::string> SheetFiles(const fs::path& root) {
  std::map<fs::path, std::string> sheets;
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(root, ec);
       !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
    if (it->is_regular_file(ec) && it->path().extension() == ".pg")
      sheets[it->path()] = ReadBytes(it->path());
  }
  return sheets;
}

class GeneraTest : public ::testing::Test {
 protected:
  // Runs tarvo-genera in the test's folder, with the test's rules unless the
  // arguments name others, a home of its own and no display.
  Outcome Genera(QStringList arguments, bool withRules = true,
                 const std::map<QString, QString>& environment = {}) {
    if (withRules) arguments.prepend(kRules), arguments.prepend(QStringLiteral("--regole"));
    QProcess process;
    process.setProcessEnvironment(Environment(environment));
    if (!m_stdoutFile.isEmpty()) process.setStandardOutputFile(m_stdoutFile);
    process.setWorkingDirectory(QString::fromStdString(m_work.string()));
    const auto before = SheetFiles(m_work);
    process.start(QStringLiteral(TARVO_GENERA_PROGRAM), arguments);
    Outcome run;
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit) {
      ADD_FAILURE() << "tarvo-genera did not end: " << process.errorString().toStdString();
      return run;
    }
    run.status = process.exitCode();
    run.out = process.readAllStandardOutput().toStdString();
    run.err = process.readAllStandardError().toStdString();
    ExpectWrittenSheetsReadBack(arguments, before, run);
    return run;
  }

  // The sheets a run with `arguments` wrote (those not in `before` as they
  // are now, and a successful run's standard output) read back against the
  // rules it was given.
  void ExpectWrittenSheetsReadBack(const QStringList& arguments,
                                   const std::map<fs::path, std::string>& before,
                                   const Outcome& run) const {
    const qsizetype at = arguments.lastIndexOf(QStringLiteral("--regole"));
    if (at < 0 || at + 1 >= arguments.size()) return;
    const auto rules = std::make_unique<CRules>((m_work / arguments[at + 1].toStdString()).c_str());
    if (!rules->IsLoaded()) return;
    for (const auto& [path, bytes] : SheetFiles(m_work)) {
      const auto old = before.find(path);
      if (old == before.end() || old->second != bytes) {
        EXPECT_TRUE(SheetRoundTrips(bytes, *rules)) << path;
      }
    }
    if (run.status != 0) return;
    // Sheets one after another: each begins with the same first line.
    const std::string start = "Informazioni Personaggio\r\n";
    for (size_t from = 0; from < run.out.size();) {
      const size_t next = run.out.find("\r\n" + start, from);
      const size_t end = next == std::string::npos ? run.out.size() : next + 2;
      EXPECT_TRUE(SheetRoundTrips(run.out.substr(from, end - from), *rules));
      from = end;
    }
  }

  // The environment of a run: a home of the test's own, no display.
  QProcessEnvironment Environment(const std::map<QString, QString>& environment) const {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.insert(QStringLiteral("HOME"), QString::fromStdString(m_home.string()));
    env.insert(QStringLiteral("XDG_DATA_HOME"), QString::fromStdString((m_home / "dati").string()));
    env.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));
    for (const auto& [name, value] : environment) env.insert(name, value);
    return env;
  }

  // Runs tarvo-genera with the test's rules on a terminal of `columns`
  // columns, as `Genera` does otherwise. `whileRunning` is called with the
  // terminal's side and what it has shown so far, each time it shows more,
  // until it returns false.
  TerminalOutcome OnTerminal(
      const QStringList& arguments, unsigned short columns = 80,
      const std::function<bool(int, const std::string&)>& whileRunning = nullptr) {
    std::vector<std::string> argv = {TARVO_GENERA_PROGRAM, "--regole", kRules.toStdString()};
    for (const QString& argument : arguments) argv.push_back(argument.toStdString());
    std::vector<std::string> env;
    const QProcessEnvironment environment = Environment({});
    for (const QString& name : environment.keys())
      env.push_back((name + '=' + environment.value(name)).toStdString());
    return RunOnTerminal(std::move(argv), std::move(env), m_work, columns, whileRunning);
  }

  std::string Sheet(const std::string& name) const { return ReadBytes(m_work / name); }

  // Where standard output goes in Spawn.
  enum class Output {
    Discarded,  // /dev/null
    Closed,     // none at all, as after >&-
    NoReader,   // a pipe that nobody will ever read
    TenBytes,   // a pipe whose reader takes ten bytes and goes, as | head -c 10
  };
  // Runs tarvo-genera with the test's rules and `arguments`, as bytes, in the
  // working folder, as a shell runs it (SIGPIPE as it leaves it); `inChild`
  // runs in the new process before the program starts. Standard error is
  // read back.
  Outcome Spawn(std::vector<std::string> arguments, Output output,
                const std::function<void()>& inChild = {}) const {
    if (std::find(arguments.begin(), arguments.end(), "--regole") == arguments.end())
      arguments.insert(arguments.begin(), {"--regole", kRules.toStdString()});
    arguments.insert(arguments.begin(), TARVO_GENERA_PROGRAM);
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    int pipeEnds[2] = {-1, -1};
    if (output == Output::NoReader || output == Output::TenBytes) {
      EXPECT_EQ(pipe(pipeEnds), 0);
    }
    if (output == Output::NoReader) close(pipeEnds[0]);  // nobody will ever read
    const fs::path errFile = m_folder / "err";
    const int err = open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const pid_t pid = fork();
    if (pid == 0) {
      signal(SIGPIPE, SIG_DFL);  // as a shell leaves it
      if (output == Output::Discarded) dup2(open("/dev/null", O_WRONLY), STDOUT_FILENO);
      if (output == Output::Closed) close(STDOUT_FILENO);
      if (pipeEnds[1] >= 0) dup2(pipeEnds[1], STDOUT_FILENO);
      if (output == Output::TenBytes) close(pipeEnds[0]);  // the reader is the test's
      dup2(err, STDERR_FILENO);
      if (inChild) inChild();
      if (chdir(m_work.c_str()) == 0) execv(argv[0], argv.data());
      _exit(127);
    }
    if (pipeEnds[1] >= 0) close(pipeEnds[1]);
    close(err);
    if (output == Output::TenBytes) {
      char ten[10];
      for (ssize_t got = 0, n = 1; got < 10 && n > 0; got += n)
        n = read(pipeEnds[0], ten, 10 - got);
      close(pipeEnds[0]);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    Outcome run;
    EXPECT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.err = ReadBytes(errFile);
    return run;
  }

  QString m_stdoutFile;  // where standard output goes, when not read back
  CTempFolder m_folder;
  fs::path m_work = m_folder / "lavoro";
  fs::path m_home = m_folder / "casa";

  void SetUp() override {
    fs::create_directories(m_work);
    fs::create_directories(m_home);
  }
};

TEST_F(GeneraTest, ASeedGivesTheSameBytesEveryTime) {
  const QStringList batch = {"--numero", "3", "--seme", "7", "--tasca", "corda"};
  ASSERT_EQ(Genera(batch + QStringList{"--cartella", "a"}).status, 0);
  ASSERT_EQ(Genera(batch + QStringList{"--cartella", "b"}).status, 0);
  const auto a = Snapshot(m_work / "a");
  ASSERT_EQ(a.size(), 3u);
  EXPECT_EQ(a, Snapshot(m_work / "b"));

  // Standard output gets the same sheets, one after another.
  const Outcome out = Genera(batch + QStringList{"--cartella", "-"});
  EXPECT_EQ(out.status, 0);
  EXPECT_EQ(out.out,
            a.at("Personaggio 1.pg") + a.at("Personaggio 2.pg") + a.at("Personaggio 3.pg"));
  EXPECT_EQ(out.err, "");

  // Another seed, other characters.
  ASSERT_EQ(Genera({"--numero", "3", "--seme", "8", "--tasca", "corda", "--cartella", "c"}).status,
            0);
  EXPECT_NE(a, Snapshot(m_work / "c"));

  // Without a seed the clock gives one, and says it; given back, it makes
  // the same batch.
  const Outcome clock = Genera({"--numero", "2", "--cartella", "d"});
  ASSERT_EQ(clock.status, 0);
  ASSERT_EQ(clock.err.rfind("seme: ", 0), 0u) << clock.err;
  ASSERT_EQ(clock.err.back(), '\n');
  const QString seed = QString::fromStdString(clock.err.substr(6, clock.err.size() - 7));
  ASSERT_EQ(Genera({"--numero", "2", "--cartella", "e", "--seme", seed}).status, 0);
  EXPECT_EQ(Snapshot(m_work / "d"), Snapshot(m_work / "e"));
}

// A fixed seed and small rules give the stored sheets, byte for byte: the
// random race and archetype, the rolls, the purchases, the sheet. The first
// bandit is a poor bard who can pay for the dagger only.
TEST_F(GeneraTest, GoldenSheets) {
  const Outcome run =
      Genera({"--seme", "20261207", "--numero", "2", "--nome", "Bandito {n}", "--destra", "pugnale",
              "--addosso", "GIACO", "--tasca", "Tè", "--cartella", "banditi"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err,
            "tarvo-genera: Bandito 1: niente Giaco addosso (costa 6, ha 1 monete)\n"
            "tarvo-genera: Bandito 1: niente Tè nella Tasca 0 (costa 2, ha 1 monete)\n");
  const fs::path golden = TARVO_GENERA_TEST_DATA "/golden";
  EXPECT_EQ(Snapshot(m_work / "banditi"), Snapshot(golden));
}

TEST_F(GeneraTest, EveryOptionReachesTheSheet) {
  const Outcome run = Genera({"--razza",     "nano delle PROFONDITÀ",
                              "--archetipo", "ladro",
                              "--archetipo", "Guerriero",
                              "--archetipo", "ladro",
                              "--sesso",     "f",
                              "--mano",      "Sinistra",
                              "--destra",    "spada",
                              "--sinistra",  "scudo",
                              "--addosso",   "giaco",
                              "--tasca",     "corda",
                              "--tasca",     "tè",
                              "--nome",      "Gilda {n}ª",
                              "--numero",    "12",
                              "--seme",      "1",
                              "--cartella",  "gilda/nuova"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  ASSERT_EQ(Snapshot(m_work / "gilda/nuova").size(), 12u);
  for (int n : {1, 12}) {
    const std::string number = std::to_string(n);
    const std::string sheet = Sheet("gilda/nuova/Gilda " + number + "\xC2\xAA.pg");
    EXPECT_EQ(Value(sheet, "NOME"), "Gilda " + number + "\xAA");  // Windows-1252
    EXPECT_EQ(Value(sheet, "RAZZA"), "Nano delle Profondit\xE0");
    EXPECT_EQ(Value(sheet, "ARCHETIPO"), "Ladro/Guerriero/Ladro");
    EXPECT_EQ(Value(sheet, "SESSO"), "Femminile");
    EXPECT_EQ(Value(sheet, "Dominante"), "Mancino");
    EXPECT_EQ(Value(sheet, "DES"), "10");
    // The exact name wins over one that differs only in case.
    EXPECT_EQ(Value(sheet, "Destra.NOME"), "Spada");
    EXPECT_EQ(Value(sheet, "Sinistra.NOME"), "Scudo");
    EXPECT_EQ(Value(sheet, "Addosso.NOME"), "Giaco");
    EXPECT_EQ(Value(sheet, "Armatura"), "2");
    EXPECT_EQ(Value(sheet, "Tasca0.NOME"), "Corda");
    EXPECT_EQ(Value(sheet, "Tasca1.NOME"), "T\xE8");
    EXPECT_EQ(Value(sheet, "Tasca2.NOME"), "<Nulla>");
  }
  const Outcome upper = Genera({"--destra", "SPADA", "--cartella", "maiuscole", "--seme", "1"});
  ASSERT_EQ(upper.status, 0) << upper.err;
  EXPECT_EQ(Value(Sheet("maiuscole/Personaggio 1.pg"), "Destra.TIPO"), "FOR");

  // Both hands where the third characteristic allows them, the right one
  // with a warning where it does not.
  ASSERT_EQ(Genera({"--razza", "Elfo Silvano", "--mano", "entrambe", "--cartella", "e"})
                .err.find("tarvo-genera: "),
            std::string::npos);
  EXPECT_EQ(Value(Sheet("e/Personaggio 1.pg"), "Dominante"), "Ambidestro");
  const Outcome dwarves = Genera({"--razza", "Nano delle Profondità", "--mano", "entrambe",
                                  "--numero", "2", "--seme", "3", "--cartella", "n"});
  EXPECT_EQ(dwarves.status, 0);
  EXPECT_EQ(dwarves.err,
            "tarvo-genera: Personaggio 1: Destrezza 10, sotto 16: non può usare entrambe le mani, "
            "usa la destra\n"
            "tarvo-genera: Personaggio 2: Destrezza 10, sotto 16: non può usare entrambe le mani, "
            "usa la destra\n");
  EXPECT_EQ(Value(Sheet("n/Personaggio 2.pg"), "Dominante"), "Mandestro");

  // A name too long for a file name loses text, never its number.
  const std::string longName(250, 'x');
  ASSERT_EQ(Genera({"--nome", QString::fromStdString(longName + " {n}"), "--numero", "10",
                    "--cartella", "lunghi"})
                .status,
            0);
  EXPECT_EQ(Value(Sheet("lunghi/" + std::string(198, 'x') + "10.pg"), "NOME"), longName + " 10");
  EXPECT_TRUE(fs::exists(m_work / "lunghi" / (std::string(198, 'x') + "1.pg")));
  // Cut at one place for the whole batch: a digit where the text is cut
  // never makes two numbers one name (1 and 11 here).
  const std::string digitAtCut = std::string(198, 'x') + "1" + std::string(60, 'y');
  ASSERT_EQ(Genera({"--nome", QString::fromStdString(digitAtCut + " {n}"), "--numero", "11",
                    "--cartella", "cifra"})
                .status,
            0);
  EXPECT_EQ(Value(Sheet("cifra/" + std::string(198, 'x') + "1.pg"), "NOME"), digitAtCut + " 1");
  EXPECT_EQ(Value(Sheet("cifra/" + std::string(198, 'x') + "11.pg"), "NOME"), digitAtCut + " 11");

  // A name made safe for a file keeps its own text on the sheet.
  ASSERT_EQ(Genera({"--nome", "../a/b:c {n}?", "--cartella", "f"}).status, 0);
  EXPECT_EQ(Value(Sheet("f/_._a_b_c 1_.pg"), "NOME"), "../a/b:c 1?");
}

TEST_F(GeneraTest, ARefusedPurchaseWarnsAndIsSkipped) {
  // A bard's money is one die: the golden lute costs 500.
  const Outcome run = Genera({"--archetipo", "Bardo", "--destra", "liuto DORATO", "--tasca",
                              "Corda", "--seme", "5", "--numero", "2", "--cartella", "-"});
  EXPECT_EQ(run.status, 0);
  const std::string first = run.out.substr(0, run.out.size() / 2);
  const std::string money = Value(first, "Monete");
  EXPECT_EQ(run.err.substr(0, run.err.find('\n') + 1),
            "tarvo-genera: Personaggio 1: niente Liuto dorato nella mano destra (costa 500, ha " +
                std::to_string(std::stoi(money) + 1) + " monete)\n");
  EXPECT_NE(run.err.find("tarvo-genera: Personaggio 2: niente Liuto dorato"), std::string::npos);
  EXPECT_EQ(Value(first, "Destra.NOME"), "<Nulla>");
  EXPECT_EQ(Value(first, "Tasca0.NOME"), "Corda");
}

struct BadInput {
  QStringList arguments;
  int status;
  const char* says;  // part of the one line on standard error
};

TEST_F(GeneraTest, BadInputSaysOneLineAndWritesNothing) {
  WriteBytes(m_work / "file", "non una cartella");
  WriteBytes(m_work / "norace.rul", "0\r\n0\r\n0\r\n1\r\nX\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n");
  WriteBytes(m_work / "troppe.rul", "9\r\nForza\r\n");  // refused, and ends early
  fs::create_directory(m_work / "piena");
  WriteBytes(m_work / "piena/Personaggio 2.pg", "vecchia");
  const std::vector<BadInput> cases = {
      {{"--razza", "Troll"},
       2,
       "razza sconosciuta: \"Troll\"; le razze sono: Umano, Elfo Silvano, Nano delle Profondità"},
      {{"--archetipo", "Mago"},
       2,
       "archetipo sconosciuto: \"Mago\"; gli archetipi sono: Guerriero"},
      {{"--archetipo", "Bardo", "--archetipo", "Bardo", "--archetipo", "Bardo", "--archetipo",
        "Bardo"},
       2,
       "al massimo tre archetipi, non 4"},
      {{"--tasca", "corda", "--tasca", "Arpa"}, 2, "oggetto sconosciuto per --tasca: \"Arpa\""},
      {{"--numero", "0"}, 2, "--numero vuole un numero da 1 a 10000, non \"0\""},
      {{"--numero", "10001"}, 2, "--numero vuole un numero da 1 a 10000"},
      {{"--numero", "3x"}, 2, "--numero vuole un numero da 1 a 10000"},
      {{"--seme", "-1"}, 2, "--seme vuole un numero da 0 a 4294967295, non \"-1\""},
      {{"--seme", "4294967296"}, 2, "--seme vuole un numero da 0 a 4294967295"},
      {{"--sesso", "x"}, 2, "--sesso vuole m o f"},
      {{"--mano", "ambedue"}, 2, "--mano vuole destra, sinistra o entrambe"},
      {{"--pippo"}, 2, "opzione sconosciuta: --pippo"},
      {{"--numero"}, 2, "manca il valore dopo --numero"},
      {{"--nome", "--numero", "3"}, 2, "manca il valore dopo --nome"},
      {{"--razza", "Umano", "--razza", "Nano"}, 2, "--razza si può dare una volta sola"},
      {{"avanzo"}, 2, "argomento inatteso: \"avanzo\""},
      {{"--nome", "a\nb {n}"}, 2, "il nome non può contenere caratteri di controllo"},
      {{"--tasca", "a", "--tasca", "a", "--tasca", "a", "--tasca", "a",
        "--tasca", "a", "--tasca", "a", "--tasca", "a", "--tasca", "a",
        "--tasca", "a", "--tasca", "a", "--tasca", "a"},
       2,
       "al massimo 10 tasche, non 11"},
      {{"--nome", "Bandito", "--numero", "2"},
       2,
       "due personaggi avrebbero lo stesso file \"Bandito.pg\""},
      {{"--pdf", "--cartella", "-"}, 2, "--pdf scrive file in una cartella"},
      {{"--foundry", "--cartella", "-"},
       2,
       "--foundry scrive un file .json accanto a ogni scheda: non si usa con lo standard output"},
      {{"--gruppo", "banda.PG"},
       2,
       "--gruppo vuole il nome del PDF da scrivere, non una scheda: \"banda.PG\""},
      {{"--pdf", "--gruppo", "nuova/Personaggio 1.pdf"},
       2,
       "nuova/Personaggio 1.pdf\" sarebbe anche un file del lotto"},
      {{"--gruppo", "file"}, 1, "/file\" esiste già: non si scrive nulla"},
      {{"--gruppo", "file/banda.pdf"}, 1, "/file\" non è una cartella"},
      {{"--regole", "manca.rul"}, 1, "manca.rul\" non esiste"},
      {{"--regole", "norace.rul"}, 1, "non hanno razze"},
      {{"--regole", "troppe.rul"},
       1,
       "riga 1: il numero di caratteristiche è 9, al massimo 5. Il comando tarvo --verifica "},
      {{"--regole", "troppe.rul"}, 1, "/troppe.rul elenca un altro problema del file.\n"},
      {{"--cartella", "file"}, 1, "/file\" non è una cartella"},
      {{"--cartella", "file/sotto"},
       1,
       "non si può creare: una parte del percorso non è una cartella"},
      {{"--numero", "3", "--cartella", "piena"},
       1,
       "piena/Personaggio 2.pg\" esiste già: non si scrive nulla; --sovrascrivi lo sostituisce"},
  };
  const auto before = Snapshot(m_work);
  for (const BadInput& bad : cases) {
    const QString line = bad.arguments.join(' ');
    const bool ownRules = bad.arguments.contains("--regole");
    QStringList arguments = bad.arguments;
    if (!arguments.contains("--cartella"))
      arguments = QStringList{"--cartella", "nuova"} + arguments;
    const Outcome run = Genera(arguments, !ownRules);
    EXPECT_EQ(run.status, bad.status) << line.toStdString();
    EXPECT_EQ(run.out, "") << line.toStdString();
    EXPECT_EQ(run.err.rfind("tarvo-genera: ", 0), 0u) << run.err;
    EXPECT_NE(run.err.find(bad.says), std::string::npos) << line.toStdString() << "\n" << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_EQ(Snapshot(m_work), before) << line.toStdString();
  }

  // No rules named, none here and none installed beside this build: every
  // place is named, and a relative data folder counts for none.
  const Outcome none = Genera({}, false, {{"XDG_DATA_HOME", "dati"}});
  EXPECT_EQ(none.status, 1);
  // Built by appending: GCC 12 at -O3 takes `"literal" + string` for an
  // overlapping copy (-Wrestrict).
  std::string copyNamed = "\"";
  copyNamed.append((m_home / ".local/share/tarvo/tarvo.rul").string())
      .append("\" (copia del giocatore)");
  EXPECT_NE(none.err.find(copyNamed), std::string::npos) << none.err;
}

TEST_F(GeneraTest, ReplacingNeedsToBeAskedFor) {
  WriteBytes(m_work / "Personaggio 1.pg", "vecchia scheda");
  const fs::perms shared = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
  fs::permissions(m_work / "Personaggio 1.pg", shared);
  ASSERT_EQ(Genera({"--seme", "4"}).status, 1);
  EXPECT_EQ(Sheet("Personaggio 1.pg"), "vecchia scheda");

  const Outcome run = Genera({"--seme", "4", "--numero", "2", "--sovrascrivi"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(fs::status(m_work / "Personaggio 1.pg").permissions(), shared);
  ASSERT_EQ(Genera({"--seme", "4", "--numero", "2", "--cartella", "nuova"}).status, 0);
  EXPECT_EQ(Sheet("Personaggio 1.pg"), Sheet("nuova/Personaggio 1.pg"));
  EXPECT_EQ(Sheet("Personaggio 2.pg"), Sheet("nuova/Personaggio 2.pg"));
  EXPECT_EQ(Snapshot(m_work).size(), 5u);  // no temporary file left beside them

  // A sheet without a write bit is refused before anything is replaced, even
  // for root; a folder reached through a link and ".." is the one replaced.
  const std::string second = Sheet("Personaggio 2.pg");
  fs::permissions(m_work / "Personaggio 2.pg", fs::perms::owner_read);
  const Outcome refused = Genera({"--seme", "5", "--numero", "2", "--sovrascrivi"});
  EXPECT_EQ(refused.status, 1);
  EXPECT_NE(refused.err.find("il file è in sola lettura"), std::string::npos) << refused.err;
  EXPECT_EQ(Sheet("Personaggio 1.pg"), Sheet("nuova/Personaggio 1.pg"));
  EXPECT_EQ(Sheet("Personaggio 2.pg"), second);
  fs::create_directories(m_work / "giro/dentro");
  fs::create_directories(m_work / "nuova/sotto");
  fs::create_directory_symlink("../../nuova/sotto", m_work / "giro/dentro/via");
  ASSERT_EQ(Genera({"--seme", "6", "--cartella", "giro/dentro/via/..", "--sovrascrivi"}).status, 0);
  EXPECT_FALSE(fs::exists(m_work / "giro/dentro/Personaggio 1.pg"));
  EXPECT_NE(Sheet("Personaggio 1.pg"), Sheet("nuova/Personaggio 1.pg"));
}

// A disk that fills in the middle of a batch: the sheets before stay whole,
// the one that did not fit is not there, and the line says so.
TEST_F(GeneraTest, AFailedWriteKeepsTheSheetsBefore) {
  const fs::path disk = m_work / "disco";
  fs::create_directory(disk);
  if (mount("tmpfs", disk.c_str(), "tmpfs", 0, "size=64k") != 0)
    GTEST_SKIP() << "no tmpfs can be mounted here (needs root)";
  const Outcome run = Genera({"--seme", "9", "--numero", "100", "--cartella", "disco"});
  const auto written = Snapshot(disk);
  ASSERT_EQ(Genera({"--seme", "9", "--numero", "100", "--cartella", "tutte"}).status, 0);
  umount2(disk.c_str(), MNT_DETACH);

  EXPECT_EQ(run.status, 1);
  ASSERT_GT(written.size(), 1u);
  ASSERT_LT(written.size(), 100u);
  const std::string next = "Personaggio " + std::to_string(written.size() + 1) + ".pg";
  EXPECT_EQ(run.err, "tarvo-genera: impossibile scrivere il file \"" + (disk / next).string() +
                         "\": spazio su disco esaurito (i " + std::to_string(written.size()) +
                         " personaggi prima restano scritti)\n");
  for (const auto& [name, bytes] : written) EXPECT_EQ(bytes, Sheet("tutte/" + name)) << name;

  // Standard output that takes nothing says no sheet got there.
  m_stdoutFile = QStringLiteral("/dev/full");
  const Outcome full = Genera({"--seme", "9", "--numero", "3", "--stdout"});
  EXPECT_EQ(full.status, 1);
  EXPECT_EQ(full.err,
            "tarvo-genera: impossibile scrivere sullo standard output: spazio su disco esaurito "
            "(nessun personaggio è arrivato intero)\n");
}

// A reader that has gone (`| head -c10`, `| true`): a write error like any
// other, said in a line, not an end without a word.
TEST_F(GeneraTest, AClosedPipeIsAnOrdinaryWriteError) {
  const auto withClosedOutput = [this](std::vector<std::string> arguments) {
    return Spawn(std::move(arguments), Output::NoReader);
  };
  const std::string closed =
      "tarvo-genera: impossibile scrivere sullo standard output: il canale è stato chiuso "
      "dall'altra parte";
  const Outcome batch = withClosedOutput({"--stdout", "--numero", "10000", "--seme", "1"});
  EXPECT_EQ(batch.status, 1);
  EXPECT_EQ(batch.err, closed + " (nessun personaggio è arrivato intero)\n");
  for (const char* option : {"--help", "--version"}) {
    const Outcome answer = withClosedOutput({option});
    EXPECT_EQ(answer.status, 1) << option;
    EXPECT_EQ(answer.err, closed + "\n") << option;
  }
}

// Another user's link in a shared folder, or one left by mistake, never
// takes a sheet out of the folder.
TEST_F(GeneraTest, ALinkInTheFolderIsReplacedNeverFollowed) {
  fs::create_directories(m_work / "fuori");
  fs::create_directories(m_work / "out");
  WriteBytes(m_work / "fuori/keep.txt", "da tenere");
  fs::create_symlink("../fuori/keep.txt", m_work / "out/Personaggio 1.pg");
  fs::create_symlink("../fuori/nuovo.pdf", m_work / "out/Personaggio 1.pdf");  // names nothing
  fs::create_directory_symlink("../fuori", m_work / "out/Personaggio 2.pg");
  const auto outside = Snapshot(m_work / "fuori");

  const QStringList batch = {"--seme", "1", "--numero", "2", "--pdf", "--cartella", "out"};
  const Outcome refused = Genera(batch);
  EXPECT_EQ(refused.status, 1);
  EXPECT_NE(refused.err.find("out/Personaggio 1.pg\" esiste già (e altri 2 file)"),
            std::string::npos)
      << refused.err;

  const Outcome replaced = Genera(batch + QStringList{"--sovrascrivi"});
  ASSERT_EQ(replaced.status, 0) << replaced.err;
  EXPECT_EQ(Snapshot(m_work / "fuori"), outside);
  ASSERT_EQ(Genera({"--seme", "1", "--numero", "2", "--cartella", "rif"}).status, 0);
  for (const std::string name : {"Personaggio 1", "Personaggio 2"}) {
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(m_work / "out" / (name + ".pg")))) << name;
    EXPECT_EQ(Sheet("out/" + name + ".pg"), Sheet("rif/" + name + ".pg")) << name;
    EXPECT_EQ(Sheet("out/" + name + ".pdf").substr(0, 4), "%PDF") << name;
  }
  EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(m_work / "out/Personaggio 1.pdf")));
  EXPECT_EQ(Snapshot(m_work / "out").size(), 4u);  // no temporary file left
}

// A game master who runs a long batch in a terminal sees how far it is, and
// at the end what it did; the same batch in a script says nothing new.
TEST_F(GeneraTest, OnATerminalALongBatchSaysHowFarItIs) {
  const QStringList batch = {"--seme", "4", "--numero", "60", "--pdf", "--cartella"};
  const TerminalOutcome run = OnTerminal(batch + QStringList{"out"});
  ASSERT_EQ(run.status, 0) << run.screen;
  const std::vector<std::string> texts = ShownTexts(run.screen);
  ASSERT_FALSE(texts.empty());
  EXPECT_TRUE(std::regex_match(texts.back(),
                               std::regex(R"(Scritte 60 schede e 60 PDF in out/ \(\d+,\d s\))")))
      << texts.back();
  // Only that last line ends: the progress stays on one line, rewritten.
  EXPECT_EQ(std::count(run.screen.begin(), run.screen.end(), '\n'), 1) << run.screen;
  EXPECT_EQ(run.screen.substr(run.screen.size() - 2), "\r\n");
  const std::regex progress(R"(Personaggio (\d+) di 60 \(out/\) *|Scrittura sul disco \(out/\) *)");
  int last = 0, updates = 0;
  for (size_t i = 0; i + 1 < texts.size(); ++i) {
    if (texts[i].find_first_not_of(' ') == std::string::npos) continue;  // the line cleared
    std::smatch match;
    ASSERT_TRUE(std::regex_match(texts[i], match, progress)) << texts[i];
    const int n = match[1].matched ? std::stoi(match[1]) : 61;  // the sync comes last
    EXPECT_GT(n, last);
    last = n;
    ++updates;
  }
  // A new count a fifth of a second at most, the first after as long; then
  // the sync to the disk, once.
  EXPECT_LE(updates, static_cast<int>(run.seconds * 5) + 1) << run.screen;
  EXPECT_EQ(texts[texts.size() - 3].rfind("Scrittura sul disco (out/)", 0), 0u) << run.screen;
  if (run.seconds > 1) {
    EXPECT_GE(updates, 1) << run.screen;
  }

  const Outcome piped = Genera(batch + QStringList{"tubo"});
  EXPECT_EQ(piped.status, 0);
  EXPECT_EQ(piped.err, "");
  for (int n = 1; n <= 60; ++n) {
    const std::string name = "/Personaggio " + std::to_string(n) + ".pg";
    ASSERT_EQ(Sheet("out" + name), Sheet("tubo" + name)) << name;
  }
}

TEST_F(GeneraTest, CtrlCStopsBetweenTwoCharactersAndSaysHowManyAreWhole) {
  const std::string folder = "una-cartella-dal-nome-lungo";
  const TerminalOutcome run = OnTerminal(
      {"--seme", "5", "--numero", "1000", "--pdf", "--cartella", QString::fromStdString(folder)},
      30, [](int terminal, const std::string& screen) {
        if (screen.find("Personaggio ") == std::string::npos) return true;
        EXPECT_EQ(write(terminal, "\x03", 1), 1);  // Ctrl+C
        return false;
      });
  EXPECT_EQ(run.signal, SIGINT) << run.screen;
  std::smatch said;
  ASSERT_TRUE(
      std::regex_search(run.screen, said,
                        std::regex("tarvo-genera: interrotto: (\\d+) personaggi(o)? di 1000 "
                                   "scritt[oi] inter[oi] in " +
                                   folder + "/\r\n$")))
      << run.screen;
  // Each character written whole, its printable sheet too, and nothing else.
  const int whole = std::stoi(said[1]);
  ASSERT_EQ(
      Genera({"--seme", "5", "--numero", QString::number(whole), "--cartella", "intere"}).status,
      0);
  auto sheets = Snapshot(m_work / folder);
  EXPECT_EQ(sheets.size(), 2u * static_cast<size_t>(whole));
  for (auto it = sheets.begin(); it != sheets.end();) {
    if (it->first.ends_with(".pdf")) {
      EXPECT_EQ(it->second.substr(it->second.size() - 6), "%%EOF\n") << it->first;
      it = sheets.erase(it);
    } else {
      ++it;
    }
  }
  EXPECT_EQ(sheets, Snapshot(m_work / "intere"));

  // Cut to the 29 columns that never wrap on a terminal of 30, and cleared
  // before the last line.
  const std::string before = run.screen.substr(0, static_cast<size_t>(said.position(0)));
  for (std::string text : ShownTexts(before)) {
    // The terminal's own echo of the key is no text of the program's.
    if (const size_t echo = text.find("^C"); echo != std::string::npos) text.erase(echo, 2);
    if (text.rfind("Personaggio", 0) == 0) {
      EXPECT_EQ(text.size(), 29u) << text;
    }
  }
  EXPECT_EQ(before.back(), '\r');
}

TEST_F(GeneraTest, NoProgressOnAQuietTerminalNorAmongTheSheets) {
  const TerminalOutcome quiet =
      OnTerminal({"-q", "--seme", "6", "--numero", "20", "--pdf", "--cartella", "zitto"});
  EXPECT_EQ(quiet.status, 0);
  EXPECT_EQ(quiet.screen, "");
  EXPECT_TRUE(fs::exists(m_work / "zitto/Personaggio 20.pdf"));

  const TerminalOutcome sheets = OnTerminal({"--seme", "6", "--numero", "3000", "--stdout"});
  EXPECT_EQ(sheets.status, 0);
  EXPECT_EQ(sheets.screen.find(" di 3000"), std::string::npos);
  EXPECT_EQ(sheets.screen.find("Scritte"), std::string::npos);
  size_t count = 0;
  for (size_t at = 0; (at = sheets.screen.find("pg format -", at)) != std::string::npos; ++at)
    ++count;
  EXPECT_EQ(count, 3000u);
}

// The printable sheet is drawn offscreen whatever the environment asks for.
// A seed gives the same PDF but for the moment it records, and Qt's own
// warnings stay off standard error.
TEST_F(GeneraTest, PdfNeedsNoDisplay) {
  const Outcome run =
      Genera({"--pdf", "--nome", "Àlda", "--cartella", "stampa", "--seme", "3"}, true,
             {{"QT_QPA_PLATFORM", "xcb"}, {"XDG_RUNTIME_DIR", (m_home / "manca").c_str()}});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  ASSERT_EQ(Genera({"--pdf", "--nome", "Àlda", "--cartella", "ancora", "--seme", "3"}).status, 0);
  const auto withoutDate = [this](const std::string& name) {
    std::string pdf = Sheet(name);
    const size_t date = pdf.find("/CreationDate (D:");
    if (date != std::string::npos) pdf.replace(date, 31, "");
    return pdf;
  };
  EXPECT_EQ(withoutDate("stampa/Àlda.pdf"), withoutDate("ancora/Àlda.pdf"));
  const QString pdf = QString::fromStdString((m_work / "stampa/Àlda.pdf").string());
  EXPECT_TRUE(PdfLayoutText(pdf).contains(QStringLiteral("Àlda")));
  EXPECT_EQ(Value(Sheet("stampa/Àlda.pg"), "NOME"), "\xC0lda");

  // Replaced without --pdf, the sheet has the old printable sheet beside it:
  // it stays, and a warning names it.
  const Outcome again = Genera(
      {"--nome", "Àlda", "--cartella", "stampa", "--seme", "4", "--sovrascrivi", "--numero", "1"});
  ASSERT_EQ(again.status, 0) << again.err;
  EXPECT_EQ(again.err, "tarvo-genera: \"" + (m_work / "stampa/Àlda.pdf").string() +
                           "\" resta com'era: è la scheda stampabile di un personaggio di prima, "
                           "non di quello nuovo accanto (con --pdf si scrive di nuovo)\n");
  EXPECT_TRUE(fs::exists(m_work / "stampa/Àlda.pdf"));
}

// Standard output as a shell may hand it: closed (>&-), or read ten bytes of
// (| head -c 10). The line says only what the program knows; a folder named
// in bytes that are no UTF-8 gets the sheets, and no other folder appears.
TEST_F(GeneraTest, StandardOutputAndFolderAsTheShellGivesThem) {
  const std::string said = "tarvo-genera: impossibile scrivere sullo standard output: ";
  const Outcome closed = Spawn({"--stdout", "--seme", "1"}, Output::Closed);
  EXPECT_EQ(closed.status, 1);
  EXPECT_EQ(closed.err, said + "il canale non è aperto (nessun personaggio è arrivato intero)\n");
  const Outcome head = Spawn({"--stdout", "--seme", "1", "--numero", "2000"}, Output::TenBytes);
  EXPECT_EQ(head.status, 1);
  EXPECT_TRUE(std::regex_match(
      head.err, std::regex(said + "il canale è stato chiuso dall'altra parte \\(i primi \\d+ "
                                  "personaggi sono andati interi sullo standard output; quanti ne "
                                  "abbia letti chi legge, non si sa\\)\n")))
      << head.err;
  EXPECT_TRUE(fs::is_empty(m_work));

  EXPECT_EQ(Spawn({"--seme", "1", "--cartella", "d\xE9r"}, Output::Discarded).status, 0);
  EXPECT_EQ(Snapshot(m_work).size(), 2u);
  EXPECT_TRUE(fs::exists(m_work / "d\xE9r/Personaggio 1.pg"));
}

// Rules of a gigabyte are refused unread where memory is short; and when
// memory does run out, the program says so in one Italian line and ends with
// status 1, never aborts. An address space limit does not mix with the
// address sanitizer, which reserves terabytes of it.
TEST_F(GeneraTest, TooLargeRulesOrTooLittleMemoryEndInOneLine) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the address sanitizer needs more address space than any limit here";
#endif
  const auto within = [this](rlim_t kib, const std::string& rules) {
    return Spawn({"--regole", rules, "--seme", "1", "--stdout"}, Output::Discarded, [kib] {
      const rlimit limit{kib * 1024, kib * 1024};
      setrlimit(RLIMIT_AS, &limit);
    });
  };
  WriteBytes(m_work / "grande.rul", "");
  fs::resize_file(m_work / "grande.rul", std::uintmax_t{1} << 30);
  const Outcome large = within(1500000, "grande.rul");
  EXPECT_EQ(large.status, 1);
  EXPECT_EQ(large.err, "tarvo-genera: Il file delle regole \"grande.rul\" nella cartella \"" +
                           m_work.string() +
                           "\" è troppo grande: 1073741824 byte, e un file delle regole ne ha "
                           "al massimo " +
                           std::to_string(RULES_SIZE_LIMIT) + ".\n");

  // The least memory a batch on the test's rules needs, to the MiB; rules as
  // large as may be need some more.
  rlim_t enough = 1 << 20, short_ = 16 << 10;
  while (enough - short_ > 1024) {
    const rlim_t middle = (enough + short_) / 2;
    (within(middle, kRules.toStdString()).status == 0 ? enough : short_) = middle;
  }
  std::string largest = ReadBytes(kRules.toStdString());
  largest.resize(RULES_SIZE_LIMIT, '\n');
  WriteBytes(m_work / "massime.rul", largest);
  const Outcome starved = within(enough + 1024, "massime.rul");
  EXPECT_EQ(starved.status, 1);
  EXPECT_EQ(starved.err, "tarvo-genera: memoria esaurita: il programma si ferma\n");
}

// Replacing in a folder that does not allow it all: the line says how many
// files were replaced, names those left as they were and any temporary file
// the folder kept, and a sheet never stays beside the printable sheet of
// another character unsaid. Root may do anything, so the batch runs as nobody.
TEST_F(GeneraTest, ReplacingWhereTheFolderRefusesSaysWhatIsLeft) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root, to run the batch as another user";
  fs::permissions(m_folder.Path(), fs::perms::all);
  fs::permissions(m_work, fs::perms::all);
  const fs::path out = m_work / "out";
  ASSERT_EQ(Genera({"--seme", "1", "--numero", "60", "--pdf", "--cartella", "out"}).status, 0);
  const auto before = Snapshot(out);
  const std::vector<std::string> asNobody = {
      "/usr/bin/setpriv",   "--reuid=65534", "--regid=65534",     "--clear-groups",
      TARVO_GENERA_PROGRAM, "--regole",      kRules.toStdString()};

  // Shared, with the sticky bit: the file of another user is refused before
  // anything is written.
  for (const auto& entry : fs::directory_iterator(out)) chown(entry.path().c_str(), 65534, 65534);
  ASSERT_EQ(chown((out / "Personaggio 2.pg").c_str(), 1, 1), 0);
  ASSERT_EQ(chmod(out.c_str(), 01777), 0);
  std::vector<std::string> batch = asNobody;
  batch.insert(batch.end(),
               {"--seme", "2", "--numero", "60", "--pdf", "--sovrascrivi", "--cartella", "out"});
  const TerminalOutcome shared = RunOnTerminal(batch, {"LANG=C.UTF-8"}, m_work);
  EXPECT_EQ(shared.status, 1);
  EXPECT_NE(shared.screen.find("\"" + (out / "Personaggio 2.pg").string() +
                               "\" non si può sostituire: è di un altro utente"),
            std::string::npos)
      << shared.screen;
  EXPECT_EQ(Snapshot(out), before);

  // The folder made read-only in the middle of the batch: nothing has taken
  // its new name yet, and the temporaries cannot go.
  chown((out / "Personaggio 2.pg").c_str(), 65534, 65534);
  chown(out.c_str(), 65534, 65534);
  const TerminalOutcome locked =
      RunOnTerminal(batch, {"LANG=C.UTF-8"}, m_work, 200, [&](int, const std::string& screen) {
        if (screen.find("Personaggio ") == std::string::npos) return true;
        chmod(out.c_str(), 0555);
        return false;
      });
  EXPECT_EQ(locked.status, 1);
  std::smatch said;
  ASSERT_TRUE(std::regex_search(
      locked.screen, said,
      std::regex("permesso negato \\(dei (\\d+) personaggi prima, nessuno è scritto intero; "
                 "nessun file sostituito; restano com'erano: \"Personaggio 1.pg\", \"Personaggio "
                 "1.pdf\", \"Personaggio 2.pg\" e \\d+ altri file; nella cartella \"[^\"]+\" "
                 "restano (\\d+) file temporanei che non si possono togliere, da togliere a mano: "
                 "\"\\.tarvo-")))
      << locked.screen;
  const auto after = Snapshot(out);
  EXPECT_EQ(after.size(), before.size() + std::stoul(said[2]));
  for (const auto& [name, bytes] : before) EXPECT_EQ(after.at(name), bytes) << name;
}

// A disk that fills while a batch replaces sheets and their printable
// sheets: each character stays whole, old or new, and the line counts the
// files replaced.
TEST_F(GeneraTest, ADiskThatFillsLeavesEveryCharacterWholeOldOrNew) {
  const fs::path disk = m_work / "disco";
  fs::create_directory(disk);
  if (mount("tmpfs", disk.c_str(), "tmpfs", 0, "size=8m") != 0)
    GTEST_SKIP() << "no tmpfs can be mounted here (needs root)";
  const QStringList batch = {"--numero", "40", "--pdf", "--cartella", "disco"};
  ASSERT_EQ(Genera(QStringList{"--seme", "1"} + batch).status, 0);
  const auto before = Snapshot(disk);
  struct statvfs space {};
  statvfs(disk.c_str(), &space);
  const auto used = (space.f_blocks - space.f_bfree) * space.f_frsize;
  const std::string size = "size=" + std::to_string(used + used / 2);
  ASSERT_EQ(mount("tmpfs", disk.c_str(), "tmpfs", MS_REMOUNT, size.c_str()), 0);
  const Outcome run = Genera(QStringList{"--seme", "2", "--sovrascrivi"} + batch);
  const auto after = Snapshot(disk);
  umount2(disk.c_str(), MNT_DETACH);

  EXPECT_EQ(run.status, 1);
  ASSERT_EQ(after.size(), before.size());  // no temporary file left
  int replaced = 0;
  for (int n = 1; n <= 40; ++n) {
    const std::string base = "Personaggio " + std::to_string(n);
    const bool newSheet = after.at(base + ".pg") != before.at(base + ".pg");
    EXPECT_EQ(newSheet, after.at(base + ".pdf") != before.at(base + ".pdf")) << base;
    replaced += newSheet ? 1 : 0;
  }
  EXPECT_GT(replaced, 0);
  EXPECT_LT(replaced, 40);
  EXPECT_NE(run.err.find("spazio su disco esaurito (i " + std::to_string(replaced) +
                         " personaggi prima restano scritti; " + std::to_string(2 * replaced) +
                         " file sostituiti)"),
            std::string::npos)
      << run.err;
}

// --foundry: beside each sheet the actor that Foundry VTT imports, read here
// with Qt's own JSON parser and checked against the sheet it goes with.
TEST_F(GeneraTest, FoundryActorsBesideTheSheets) {
  const QStringList batch = {"--seme", "9", "--numero", "3", "--tasca", "corda"};
  const Outcome run = Genera(batch + QStringList{"--foundry", "--pdf", "--cartella", "vtt"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  const auto files = Snapshot(m_work / "vtt");
  ASSERT_EQ(files.size(), 9u);
  // The sheets are those of a batch without it.
  ASSERT_EQ(Genera(batch + QStringList{"--cartella", "solo"}).status, 0);
  for (const auto& [name, bytes] : Snapshot(m_work / "solo")) EXPECT_EQ(files.at(name), bytes);

  const QByteArray rulesHash =
      QCryptographicHash::hash(QByteArray::fromStdString(ReadBytes(kRules.toStdString())),
                               QCryptographicHash::Sha256)
          .toHex();
  for (const char* base : {"Personaggio 1", "Personaggio 2", "Personaggio 3"}) {
    const std::string sheet = files.at(std::string(base) + ".pg");
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(
        QByteArray::fromStdString(files.at(std::string(base) + ".json")), &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError)
        << base << ": " << error.errorString().toStdString();
    const QJsonObject actor = document.object();
    EXPECT_EQ(actor["type"].toString(), "character") << base;
    EXPECT_EQ(actor["name"].toString().toStdString(), base);
    const QJsonObject system = actor["system"].toObject();
    // The test rules' four characteristics, under their keys.
    const QJsonObject characteristics = system["attributes"]["caratteristiche"].toObject();
    EXPECT_EQ(characteristics.size(), 4) << base;
    for (const char* key : {"FOR", "COS", "DES", "MAN"}) {
      const QJsonObject entry = characteristics[QString::fromLatin1(key).toLower()].toObject();
      EXPECT_EQ(entry["dtype"].toString(), "Number") << base << " " << key;
      EXPECT_EQ(entry["value"].toInt(-1), std::stoi(Value(sheet, key))) << base << " " << key;
    }
    EXPECT_EQ(system["health"]["value"].toInt(-1), std::stoi(Value(sheet, "PF.Act"))) << base;
    EXPECT_EQ(system["health"]["max"].toInt(-1), std::stoi(Value(sheet, "PF.Tot"))) << base;
    const QJsonObject tarvo = actor["flags"]["tarvo"].toObject();
    EXPECT_EQ(tarvo["rules"]["hash"].toString().toLatin1(), rulesHash) << base;
    // No seed: the sheet alone, exported later, gives the same actor.
    EXPECT_FALSE(tarvo.contains("seed")) << base;
  }

  // An actor already there is refused, and nothing is written.
  fs::create_directory(m_work / "vecchia");
  WriteBytes(m_work / "vecchia/Personaggio 2.json", "vecchio attore");
  const auto before = Snapshot(m_work / "vecchia");
  const Outcome refused = Genera(batch + QStringList{"--foundry", "--cartella", "vecchia"});
  EXPECT_EQ(refused.status, 1);
  EXPECT_EQ(refused.err, "tarvo-genera: \"" + (m_work / "vecchia/Personaggio 2.json").string() +
                             "\" esiste già: non si scrive nulla; --sovrascrivi lo sostituisce\n");
  EXPECT_EQ(Snapshot(m_work / "vecchia"), before);
  const Outcome replaced =
      Genera(batch + QStringList{"--foundry", "--sovrascrivi", "--cartella", "vecchia"});
  ASSERT_EQ(replaced.status, 0) << replaced.err;
  EXPECT_EQ(Sheet("vecchia/Personaggio 2.json"), files.at("Personaggio 2.json"));

  // Standard output has no folder to put them in (for --cartella -, see
  // BadInputSaysOneLineAndWritesNothing).
  const Outcome toStdout = Genera({"--foundry", "--stdout"});
  EXPECT_EQ(toStdout.status, 2);
  EXPECT_EQ(toStdout.out, "");
  EXPECT_NE(toStdout.err.find("--foundry scrive un file .json accanto a ogni scheda"),
            std::string::npos)
      << toStdout.err;
}

// A disk that fills while a batch replaces sheets and their actors: a
// character whose actor does not fit keeps its old sheet too.
TEST_F(GeneraTest, ADiskThatFillsNeverLeavesASheetBesideAnOldActor) {
  const fs::path disk = m_work / "disco";
  fs::create_directory(disk);
  if (mount("tmpfs", disk.c_str(), "tmpfs", 0, "size=8m") != 0)
    GTEST_SKIP() << "no tmpfs can be mounted here (needs root)";
  const QStringList batch = {"--numero", "60", "--foundry", "--cartella", "disco"};
  ASSERT_EQ(Genera(QStringList{"--seme", "1"} + batch).status, 0);
  const auto before = Snapshot(disk);
  struct statvfs space {};
  statvfs(disk.c_str(), &space);
  const auto used = (space.f_blocks - space.f_bfree) * space.f_frsize;
  // Every file takes one page: an odd number of pages free gives out on an
  // actor, after the sheet beside it has been written.
  const std::string size = "size=" + std::to_string(used + used / 2 + space.f_frsize);
  ASSERT_EQ(mount("tmpfs", disk.c_str(), "tmpfs", MS_REMOUNT, size.c_str()), 0);
  const Outcome run = Genera(QStringList{"--seme", "2", "--sovrascrivi"} + batch);
  const auto after = Snapshot(disk);
  umount2(disk.c_str(), MNT_DETACH);

  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find(".json\": spazio su disco esaurito"), std::string::npos) << run.err;
  ASSERT_EQ(after.size(), before.size());  // no temporary file left
  int replaced = 0;
  for (int n = 1; n <= 60; ++n) {
    const std::string base = "Personaggio " + std::to_string(n);
    const bool newSheet = after.at(base + ".pg") != before.at(base + ".pg");
    EXPECT_EQ(newSheet, after.at(base + ".json") != before.at(base + ".json")) << base;
    replaced += newSheet ? 1 : 0;
  }
  EXPECT_GT(replaced, 0);
  EXPECT_LT(replaced, 60);
  EXPECT_NE(run.err.find("spazio su disco esaurito (i " + std::to_string(replaced) +
                         " personaggi prima restano scritti; " + std::to_string(2 * replaced) +
                         " file sostituiti)"),
            std::string::npos)
      << run.err;
}

// --gruppo: one PDF of the whole batch, carrying byte for byte the sheets
// the same batch writes to a folder, whether the sheets go to standard
// output or to a folder beside their printable sheets; never over a file
// unasked, and a disk too full for it leaves the sheets written.
TEST_F(GeneraTest, GruppoCarriesTheSheetsOfTheBatch) {
  const QStringList batch = {"--seme", "12", "--numero", "10", "--tasca", "corda"};
  ASSERT_EQ(Genera(batch + QStringList{"--cartella", "schede"}).status, 0);
  const auto sheets = Snapshot(m_work / "schede");
  ASSERT_EQ(sheets.size(), 10u);
  const auto carried = [this](const fs::path& pdf) {
    const fs::path into = m_folder / "dentro";
    fs::remove_all(into);
    fs::create_directory(into);
    PopplerOutput("pdfdetach", {"-saveall", "-o", QString::fromStdString(into.string()),
                                QString::fromStdString(pdf.string())});
    return Snapshot(into);
  };

  const Outcome run = Genera(batch + QStringList{"--stdout", "--gruppo", "stampe/banda.pdf"}, true,
                             {{"QT_QPA_PLATFORM", "xcb"}});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  const fs::path group = m_work / "stampe/banda.pdf";
  EXPECT_EQ(carried(group), sheets);
  const QString pdf = QString::fromStdString(group.string());
  const QRegularExpressionMatch pages =
      QRegularExpression(R"(\nPages:\s+(\d+)\n)").match(PopplerOutput("pdfinfo", {pdf}));
  ASSERT_TRUE(pages.hasMatch());
  const QString text = PdfLayoutText(pdf);
  EXPECT_TRUE(
      text.contains(QStringLiteral("pagina %1 di %1").arg(pages.captured(1)), Qt::CaseInsensitive))
      << text.toStdString();
  for (int n = 1; n <= 10; ++n) EXPECT_TRUE(text.contains(QStringLiteral("Personaggio %1").arg(n)));

  // In the batch's own folder, beside the sheets and their printable sheets.
  const Outcome beside =
      Genera(batch + QStringList{"--pdf", "--cartella", "tavolo", "--gruppo", "tavolo/banda.pdf"});
  ASSERT_EQ(beside.status, 0) << beside.err;
  EXPECT_EQ(Snapshot(m_work / "tavolo").size(), 21u);
  EXPECT_EQ(carried(m_work / "tavolo/banda.pdf"), sheets);

  const auto before = Snapshot(m_work);
  const Outcome refused =
      Genera(batch + QStringList{"--cartella", "altre", "--gruppo", "stampe/banda.pdf"});
  EXPECT_EQ(refused.status, 1);
  EXPECT_EQ(refused.err, "tarvo-genera: \"" + group.string() +
                             "\" esiste già: non si scrive nulla; --sovrascrivi lo sostituisce\n");
  EXPECT_EQ(Snapshot(m_work), before);
  const Outcome replaced = Genera(
      {"--seme", "13", "--cartella", "altre", "--gruppo", "stampe/banda.pdf", "--sovrascrivi"});
  ASSERT_EQ(replaced.status, 0) << replaced.err;
  EXPECT_EQ(
      carried(group),
      (std::map<std::string, std::string>{{"Personaggio 1.pg", Sheet("altre/Personaggio 1.pg")}}));
  EXPECT_EQ(Snapshot(m_work / "stampe").size(), 1u);  // no temporary file left

  // Named through a ".." into the batch's own folder, not made yet: the
  // character's printable sheet stays its own.
  fs::create_directories(m_work / "giro/b");
  const Outcome clash = Genera({"--seme", "3", "--nome", "x", "--pdf", "--cartella", "giro/nuova",
                                "--gruppo", "giro/b/../nuova/x.pdf", "--sovrascrivi"});
  EXPECT_EQ(clash.status, 1);
  EXPECT_NE(clash.err.find("sarebbe anche un file del lotto"), std::string::npos) << clash.err;
  EXPECT_TRUE(PdfLayoutText(QString::fromStdString((m_work / "giro/nuova/x.pdf").string()))
                  .contains(QStringLiteral("Scheda del personaggio")));

  const fs::path disk = m_work / "disco";
  fs::create_directory(disk);
  if (mount("tmpfs", disk.c_str(), "tmpfs", 0, "size=8k") != 0)
    GTEST_SKIP() << "no tmpfs can be mounted here (needs root)";
  const Outcome full =
      Genera(batch + QStringList{"--cartella", "piene", "--gruppo", "disco/g.pdf"});
  const auto left = Snapshot(disk);
  umount2(disk.c_str(), MNT_DETACH);
  EXPECT_EQ(full.status, 1);
  EXPECT_EQ(full.err, "tarvo-genera: impossibile scrivere il file \"" + (disk / "g.pdf").string() +
                          "\": spazio su disco esaurito (i 10 personaggi restano scritti in "
                          "piene/)\n");
  EXPECT_TRUE(left.empty());
  EXPECT_EQ(Snapshot(m_work / "piene"), sheets);
}

TEST_F(GeneraTest, HelpAndVersion) {
  const Outcome help = Genera({"--help"}, false);
  EXPECT_EQ(help.status, 0);
  for (const char* option :
       {"--regole", "--razza", "--archetipo", "--sesso", "--mano", "--destra", "--sinistra",
        "--addosso", "--tasca", "--nome", "--numero", "--cartella", "--seme", "--stdout",
        "--sovrascrivi", "--pdf", "--foundry", "--gruppo"})
    EXPECT_NE(help.out.find(std::string("  ") + option + " "), std::string::npos) << option;
  EXPECT_NE(help.out.find("  -q, --silenzioso "), std::string::npos);
  const Outcome version = Genera({"--version"}, false);
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out.rfind("tarvo-genera (TARVO) " TARVO_VERSION " (Qt ", 0), 0u) << version.out;
}

}  // namespace
