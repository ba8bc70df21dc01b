// tarvo --verifica run as an author runs it: the real program, without a
// display, in a folder of the test's own, which it must leave as it was.
#include <gtest/gtest.h>

#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>
#include <algorithm>
#include <filesystem>
#include <string>

#include "tests/FileBytes.h"
#include "tests/TempFolder.h"
#include "tests/rules/RulesText.h"

namespace fs = std::filesystem;

namespace {

struct Outcome {
  int status = -1;
  std::string out, err;
};

// kExample with two slips: a die's count "3d6" at line 12 and a line after
// the last item.
std::string OddRules() {
  std::vector<std::string> lines = kExample;
  lines[11] = "3d6";
  lines.push_back("Spada");
  return Lines(lines);
}

// The findings of OddRules() as `file` names them.
std::string OddFindings(const std::string& file) {
  return file +
         ":12: avviso: razze, razza 1 \"Human\", numero di dadi di Strength: \"3d6\" si legge 3 "
         "(il testo dopo le cifre non conta)\n" +
         file +
         ":31: avviso: oggetti, dopo l'ultimo oggetto: da qui c'è un'altra riga, che TARVO non "
         "legge (il numero di oggetti è 1)\n"
         "0 errori, 2 avvisi\n";
}

class VerificaTest : public ::testing::Test {
 protected:
  // Runs `program` in the working folder with no display at all, a home and
  // a data folder of the test's own.
  Outcome Tarvo(const QStringList& arguments, const fs::path& program = TARVO_PROGRAM) {
    QProcessEnvironment env;
    env.insert(QStringLiteral("PATH"), QStringLiteral("/usr/bin:/bin"));
    env.insert(QStringLiteral("HOME"), QString::fromStdString(m_home.string()));
    env.insert(QStringLiteral("XDG_DATA_HOME"), QString::fromStdString(m_data.string()));
    env.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));
    QProcess process;
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(QString::fromStdString(m_work.string()));
    process.start(QString::fromStdString(program.string()), arguments);
    Outcome run;
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit) {
      ADD_FAILURE() << "tarvo did not end: " << process.errorString().toStdString();
      return run;
    }
    run.status = process.exitCode();
    run.out = process.readAllStandardOutput().toStdString();
    run.err = process.readAllStandardError().toStdString();
    return run;
  }

  void SetUp() override {
    fs::create_directories(m_work);
    fs::create_directories(m_home);
  }

  CTempFolder m_folder;
  fs::path m_work = m_folder / "lavoro";
  fs::path m_home = m_folder / "casa";
  fs::path m_data = m_home / "dati";
};

TEST_F(VerificaTest, FindingsOnStandardOutputAndTheStatusSaysIfThereIsAnError) {
  WriteBytes(m_work / "buone.rul", Lines(kExample));
  WriteBytes(m_work / "strane.rul", OddRules());
  std::vector<std::string> bad = kExample;
  bad[13] = "x";   // bonus of the race's die: a warning before the error
  bad[23] = "41";  // too many items
  WriteBytes(m_work / "rotte.rul", Lines(bad));
  const auto before = Snapshot(m_folder.Path());

  Outcome run = Tarvo({"--verifica", "buone.rul"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "nessun problema\n");
  EXPECT_EQ(run.err, "");
  // Standard output that cannot be written: said, and the status is 1.
  run = Tarvo({"-c", "exec \"$0\" --verifica buone.rul >/dev/full", TARVO_PROGRAM}, "/bin/sh");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err,
            "tarvo: impossibile scrivere sullo standard output: spazio su disco esaurito\n");

  run = Tarvo({"--verifica", "strane.rul"});
  EXPECT_EQ(run.status, 0);  // warnings only
  EXPECT_EQ(run.out, OddFindings("strane.rul"));
  EXPECT_EQ(run.err, "");

  run = Tarvo({"--regole", "rotte.rul", "--verifica"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out,
            "rotte.rul:14: avviso: razze, razza 1 \"Human\", bonus di Strength: \"x\" non è un "
            "numero e si legge 0\n"
            "rotte.rul:24: errore: il numero di oggetti è 41, al massimo 40\n"
            "rotte.rul:31: avviso: oggetti, oggetto 2 di 41, nome: il file finisce prima di questa "
            "riga: i nomi che mancano si leggono vuoti e i numeri 0\n"
            "1 errore, 2 avvisi\n");
  EXPECT_EQ(run.err, "");

  // Something that is not rules at all: the first ten thousand findings.
  std::string junk = "0\n2147483647\n";
  for (int n = 0; n < 100000; ++n) junk += "a\n";
  WriteBytes(m_work / "non-regole.rul", junk);
  run = Tarvo({"--verifica", "non-regole.rul"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 10001);
  EXPECT_NE(run.out.find("\n1 errore, 9999 avvisi, poi il controllo si ferma: il file ha altri "
                         "problemi ancora\n"),
            std::string::npos);
  fs::remove(m_work / "non-regole.rul");

  run = Tarvo({"--verifica", "manca.rul"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out,
            "manca.rul: errore: impossibile aprire il file delle regole: il file o la cartella "
            "non esiste\n1 errore, 0 avvisi\n");

  // A mistaken command line: status 2, the error and the usage on standard
  // error, nothing on standard output.
  for (const QStringList& mistaken :
       {QStringList{"--verifica", "a.rul", "b.rul"}, QStringList{"--verifica", "--pippo"},
        QStringList{"--verifica", ""}}) {
    run = Tarvo(mistaken);
    EXPECT_EQ(run.status, 2) << mistaken.join(' ').toStdString();
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err.rfind("tarvo: ", 0), 0u) << run.err;
    EXPECT_NE(run.err.find("--verifica"), std::string::npos) << "the usage names it";
  }
  EXPECT_EQ(Snapshot(m_folder.Path()), before);
}

TEST_F(VerificaTest, WithoutAFileItChecksWhatAStartWouldOpenAndMakesNoCopy) {
  // The program installed in a prefix of its own, with its rules beside it.
  const fs::path prefix = m_folder / "prefisso";
  fs::create_directories(prefix / "bin");
  fs::create_directories(prefix / "share/tarvo");
  const fs::path program = prefix / "bin/tarvo";
  fs::copy_file(TARVO_PROGRAM, program);
  fs::permissions(program, fs::perms::owner_all);
  const fs::path installed = prefix / "share/tarvo/tarvo.rul";
  WriteBytes(installed, OddRules());
  auto before = Snapshot(m_folder.Path());

  // First start: only the installed rules. They are checked where they lie.
  Outcome run = Tarvo({"--verifica"}, program);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, OddFindings(installed.string()));
  EXPECT_FALSE(fs::exists(m_data)) << "the player's copy was made";
  EXPECT_EQ(Snapshot(m_folder.Path()), before);

  // The player's copy comes before the installed rules, the working folder first.
  fs::create_directories(m_data / "tarvo");
  WriteBytes(m_data / "tarvo/tarvo.rul", OddRules());
  before = Snapshot(m_folder.Path());
  run = Tarvo({"--verifica"}, program);
  EXPECT_EQ(run.out, OddFindings((m_data / "tarvo/tarvo.rul").string()));
  WriteBytes(m_work / "tarvo.rul", OddRules());
  run = Tarvo({"--verifica"}, program);
  EXPECT_EQ(run.out, OddFindings((m_work / "tarvo.rul").string()));

  // Nothing anywhere: the program says where it looked.
  fs::remove(m_work / "tarvo.rul");
  fs::remove(m_data / "tarvo/tarvo.rul");
  fs::remove(installed);
  run = Tarvo({"--verifica"}, program);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out.rfind("tarvo: errore: File delle regole non trovato.", 0), 0u) << run.out;
  EXPECT_NE(run.out.find(installed.string()), std::string::npos) << run.out;
  EXPECT_EQ(run.out.substr(run.out.find('\n')), "\n1 errore, 0 avvisi\n");
}

}  // namespace
