// The actor for Foundry VTT from the form: the save dialog's fourth entry, a
// name ending in ".json", and the same bytes as `tarvo --foundry` gives for
// the sheet saved from the same form.
#include <QDir>
#include <QLineEdit>
#include <QListView>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "tests/ui/UiTest.h"

namespace {

class FoundryTest : public DialogTest {
 protected:
  QString PathIn(const QString& name) const { return m_folder.filePath(name); }
  std::string BytesOf(const QString& name) const { return ReadBytes(PathIn(name).toStdString()); }
  QStringList Files() const { return QDir(m_folder.path()).entryList(QDir::Files); }

  QTemporaryDir m_folder;
};

TEST_F(FoundryTest, ANameEndingInJsonWritesTheActorThatTarvoFoundryWritesForTheSavedSheet) {
  Open();
  Click(IDC_USE_ARCHETYPE2);
  Choose(IDC_RACE, "Nano");
  Click(IDC_FEMALE);
  TypeName(QStringLiteral("Zoë"));
  // A name ending in ".json" decides under any entry, and the Foundry entry
  // writes the actor under a name of any other ending; ".pg" and ".pdf" still
  // decide under it.
  for (const SheetChoice& save :
       {SheetChoice(PathIn("zoe.json"), false), SheetChoice(PathIn("Stampata.JSON"), true),
        SheetChoice(PathIn("attore.txt"), false, true), SheetChoice(PathIn("zoe.pg"), false, true),
        SheetChoice(PathIn("zoe.pdf"), false, true)}) {
    m_prompts.m_paths.push_back(save);
    Click(IDC_SAVE);
  }
  ASSERT_TRUE(m_prompts.m_errors.isEmpty()) << m_prompts.m_errors.join('\n').toStdString();
  EXPECT_EQ(Files(), QStringList({"attore.txt", "Stampata.JSON", "zoe.json", "zoe.pdf", "zoe.pg"}));
  const std::string json = BytesOf("zoe.json");
  EXPECT_EQ(json.substr(0, 1), "{");
  EXPECT_EQ(json.back(), '\n');
  EXPECT_NE(json.find("Zoë"), std::string::npos) << "the name, as UTF-8";
  EXPECT_NE(json.find("Nano"), std::string::npos);
  EXPECT_EQ(BytesOf("Stampata.JSON"), json);
  EXPECT_EQ(BytesOf("attore.txt"), json);
  EXPECT_EQ(BytesOf("zoe.pg"), m_dlg->GetCharacter().SheetText(m_dlg->GetRules()));
  EXPECT_EQ(BytesOf("zoe.pdf").substr(0, 5), "%PDF-");

  // The program, on the sheet the form saved, with the form's rules.
  QFile::remove(PathIn("zoe.json"));
  QProcess tarvo;
  tarvo.setWorkingDirectory(m_folder.path());
  tarvo.start(TARVO_PROGRAM,
              {"--foundry", "--regole", QString::fromStdString(DataPath("form.rul")), "zoe.pg"});
  ASSERT_TRUE(tarvo.waitForFinished(60000));
  EXPECT_EQ(tarvo.exitCode(), 0) << tarvo.readAllStandardError().toStdString();
  EXPECT_EQ(BytesOf("zoe.json"), json);
}

TEST_F(FoundryTest, AJsonThatCannotBeWrittenIsReportedAsASheetIsAndLeavesNothing) {
  Open();
  TypeName(QStringLiteral("Aldo"));
  for (const char* name : {"assente/aldo.json", "assente/aldo.pg"}) {
    m_prompts.m_paths.push_back({PathIn(name), false, true});
    Click(IDC_SAVE);
  }
  ASSERT_EQ(m_prompts.m_errors.size(), 2);
  // The same words, the file named each time.
  EXPECT_EQ(QString(m_prompts.m_errors[0]).replace("aldo.json", "aldo.pg"), m_prompts.m_errors[1]);
  EXPECT_TRUE(m_prompts.m_errors[0].startsWith("Impossibile scrivere il file"))
      << m_prompts.m_errors[0].toStdString();
  m_prompts.m_errors.clear();
  EXPECT_TRUE(Files().isEmpty());
}

// The real save dialog: the fourth entry lists the actors and names a .json.
TEST(SheetDialog, TheFoundryEntryListsJsonFilesAndNamesAJson) {
  QTemporaryDir folder;
  for (const char* file : {"vecchio.pg", "vecchio.json"})
    WriteBytes(folder.filePath(file).toStdString(), "");
  CSheetDialog dialog(nullptr, folder.path());
  dialog.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
  auto* types = dialog.findChild<QComboBox*>("fileTypeCombo");
  auto* view = dialog.findChild<QListView*>("listView");
  auto* name = dialog.findChild<QLineEdit*>("fileNameEdit");
  ASSERT_TRUE(types && view && name);
  EXPECT_EQ(types->itemText(3), "Personaggio per Foundry VTT (*.json)");
  const auto listed = [view] {
    QStringList names;
    for (int row = 0; row < view->model()->rowCount(view->rootIndex()); ++row)
      names << view->model()->index(row, 0, view->rootIndex()).data().toString();
    return names;
  };

  types->setFocus();
  for (int k = 0; k < 3; ++k) QTest::keyClick(types, Qt::Key_Down);
  EXPECT_EQ(dialog.defaultSuffix(), "json");
  ASSERT_TRUE(QTest::qWaitFor([&] { return listed() == QStringList({"vecchio.json"}); }));
  name->setFocus();
  QTest::keyClicks(name, "eroe");
  QTest::keyClick(name, Qt::Key_Return);
  ASSERT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(dialog.Choice().path, folder.filePath("eroe.json"));
  EXPECT_TRUE(dialog.Choice().foundry);
  EXPECT_FALSE(dialog.Choice().printable);
}

}  // namespace
