#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "app/RulesLocation.h"
#include "tests/FileBytes.h"
#include "tests/PermissionsBind.h"
#include "tests/TempFolder.h"

namespace fs = std::filesystem;

// Lets test failures print texts readably.
inline void PrintTo(const QString& text, std::ostream* out) {
  *out << '"' << text.toStdString() << '"';
}

namespace {

QString Q(const fs::path& path) { return QString::fromStdString(path.string()); }

const std::string kInstalled = "1\r\nForza\r\nFOR\r\nF\r\n";

// A working folder, a data folder not made yet and installed rules, all in a
// folder of the test's own.
class RulesLocationTest : public ::testing::Test {
 protected:
  RulesLocationTest() {
    fs::create_directories(m_work);
    fs::create_directories(m_installed.parent_path());
    WriteBytes(m_installed, kInstalled);
    m_places = {Q(m_work), Q(m_data), Q(m_installed)};
  }

  CTempFolder m_folder;
  const fs::path m_work = m_folder / "lavoro";
  const fs::path m_data = m_folder / "home/.local/share/tarvo";
  const fs::path m_copy = m_data / "tarvo.rul";
  const fs::path m_installed = m_folder / "usr/share/tarvo/tarvo.rul";
  CRulesPlaces m_places;
};

}  // namespace

TEST_F(RulesLocationTest, TakesTheFirstPlaceThatHasTheRules) {
  // The first start: the installed rules become the player's copy, which is used.
  CRulesLocation found = FindRulesFile({}, m_places);
  ASSERT_TRUE(found.Found()) << found.error.toStdString();
  EXPECT_EQ(found.path, Q(m_copy));
  EXPECT_EQ(ReadBytes(m_copy), kInstalled);

  // Later starts use the copy as the player left it.
  WriteBytes(m_copy, "2\r\n");
  found = FindRulesFile({}, m_places);
  EXPECT_EQ(found.path, Q(m_copy));
  EXPECT_EQ(ReadBytes(m_copy), "2\r\n");

  // A folder called tarvo.rul in the working folder is no rules file; a file is, and comes first.
  fs::create_directory(m_work / "tarvo.rul");
  EXPECT_EQ(FindRulesFile({}, m_places).path, Q(m_copy));
  fs::remove(m_work / "tarvo.rul");
  WriteBytes(m_work / "tarvo.rul", "3\r\n");
  EXPECT_EQ(FindRulesFile({}, m_places).path, Q(m_work / "tarvo.rul"));

  // A file named on the command line comes before all, relative to the working folder.
  WriteBytes(m_work / "altre.rul", "4\r\n");
  EXPECT_EQ(FindRulesFile(QStringLiteral("altre.rul"), m_places).path, Q(m_work / "altre.rul"));
  EXPECT_EQ(FindRulesFile(Q(m_installed), m_places).path, Q(m_installed));
}

TEST_F(RulesLocationTest, ANamedFileThatDoesNotExistIsNotReplacedBySearching) {
  WriteBytes(m_work / "tarvo.rul", "3\r\n");
  const CRulesLocation found = FindRulesFile(QStringLiteral("manca.rul"), m_places);
  EXPECT_FALSE(found.Found());
  EXPECT_TRUE(found.error.contains(Q(m_work / "manca.rul"))) << found.error.toStdString();
  EXPECT_FALSE(fs::exists(m_data));
}

TEST_F(RulesLocationTest, WhenNothingIsFoundEveryPathLookedAtIsNamedInOrder) {
  fs::remove(m_installed);
  const CRulesLocation found = FindRulesFile({}, m_places);
  ASSERT_FALSE(found.Found());
  const qsizetype work = found.error.indexOf(Q(m_work / "tarvo.rul"));
  const qsizetype copy = found.error.indexOf(Q(m_copy));
  const qsizetype installed = found.error.indexOf(Q(m_installed));
  EXPECT_TRUE(work >= 0 && work < copy && copy < installed) << found.error.toStdString();
  EXPECT_FALSE(fs::exists(m_data));
}

// A home that cannot be written (guest sessions, kiosks, school machines):
// the installed rules, read and never written, with a word on why.
TEST_F(RulesLocationTest, ADataFolderThatCannotBeWrittenIsNamedAndKeepsNoPartialCopy) {
  CPermissionsBind bind;
  if (!bind.Binding()) GTEST_SKIP() << "permissions do not bind here";
  const fs::perms readOnly = fs::perms::owner_read | fs::perms::owner_exec;

  // The data folder cannot be made.
  fs::create_directories(m_data.parent_path());
  fs::permissions(m_data.parent_path(), readOnly);
  CRulesLocation found = FindRulesFile({}, m_places);
  EXPECT_TRUE(found.readOnly);
  EXPECT_EQ(found.path, Q(m_installed));
  EXPECT_TRUE(found.notice.contains(Q(m_data))) << found.notice.toStdString();
  EXPECT_TRUE(found.notice.contains("permesso negato")) << found.notice.toStdString();

  // The data folder is there but takes no file.
  fs::permissions(m_data.parent_path(), fs::perms::owner_all);
  fs::create_directory(m_data);
  fs::permissions(m_data, readOnly);
  found = FindRulesFile({}, m_places);
  EXPECT_TRUE(found.readOnly);
  EXPECT_TRUE(found.notice.contains(Q(m_data))) << found.notice.toStdString();
  EXPECT_TRUE(fs::is_empty(m_data));
}

// What a power cut right after the first start can leave: an empty copy,
// which no player wrote, and which would open a form with nothing to choose.
TEST_F(RulesLocationTest, AnEmptyPlayersCopyIsMadeAgain) {
  fs::create_directories(m_data);
  WriteBytes(m_copy, "");
  CRulesLocation found = FindRulesFile({}, m_places);
  EXPECT_EQ(found.path, Q(m_copy));
  EXPECT_EQ(ReadBytes(m_copy), kInstalled);
  EXPECT_FALSE(found.readOnly);
  EXPECT_EQ(found.notice, "La copia delle regole del giocatore \"" + Q(m_copy) +
                              "\" è vuota (0 byte): non sono regole scritte dal giocatore. Vi si "
                              "sono copiate di nuovo le regole installate \"" +
                              Q(m_installed) + "\".");

  // With nothing to copy it from, the search says the copy is empty.
  WriteBytes(m_copy, "");
  fs::remove(m_installed);
  found = FindRulesFile({}, m_places);
  EXPECT_FALSE(found.Found());
  EXPECT_TRUE(found.error.contains(Q(m_copy) + "\" (copia del giocatore, vuota)"))
      << found.error.toStdString();

  // A file the user names, or puts in the working folder, is read as it is.
  WriteBytes(m_work / "tarvo.rul", "");
  found = FindRulesFile({}, m_places);
  EXPECT_EQ(found.path, Q(m_work / "tarvo.rul"));
  EXPECT_TRUE(found.notice.isEmpty());
  EXPECT_EQ(FindRulesFile(Q(m_copy), m_places).path, Q(m_copy));
  EXPECT_EQ(ReadBytes(m_copy), "");
}
