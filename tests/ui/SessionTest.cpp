// Whole sessions: saving the sheet, writing the rules back, failures shown to
// the user, and the program's start.
#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include "tests/SheetRoundTrip.h"
#include "tests/ui/UiTest.h"
#include "ui/GeneratorApp.h"

namespace {

class SessionTest : public DialogTest {
 protected:
  QString PathIn(const char* name) const { return m_folder.filePath(QString::fromUtf8(name)); }

  QTemporaryDir m_folder;
};

TEST_F(SessionTest, AWholeSessionSavesTheSheetOfItsDraws) {
  Open();
  m_draws.Rolls({112, 114, 116, 109}, 100);
  Choose(IDC_RACE, "Elfo");
  Click(IDC_USE_ARCHETYPE2);
  Choose(IDC_ARCHETYPE2, "Guerriero");
  // The last roll, Ladro and Guerriero: skill i rolls i + 1 and 2i + 11,
  // the money 100 and 60.
  for (int i = 0; i < 15; ++i) {
    m_draws.Rolls({i + 1});
    m_draws.Rolls({2 * i + 11}, 10);
  }
  m_draws.Rolls({100});
  m_draws.Rolls({60}, 10);
  Choose(IDC_ARCHETYPE1, "Ladro");
  EXPECT_EQ(m_draws.Left(), 0);

  Choose(IDC_RIGHT_ITEM, "Pugnale");
  Choose(IDC_LEFT_ITEM, "Scudo");
  Choose(IDC_WORN_ITEM, "Cuoio");
  Choose(IDC_POCKET_ITEM, "Corda");
  Choose(IDC_POCKET, "Tasca 9");
  Choose(IDC_POCKET_ITEM, "Anello");
  Click(IDC_FEMALE);
  Click(IDC_LEFT_HANDED);
  TypeName(QStringLiteral("Zoë l'Ardita"));

  m_prompts.m_paths.push_back(PathIn("zoe.pg"));
  Click(IDC_SAVE);
  EXPECT_EQ(m_prompts.m_folders, QStringList({QDir::currentPath()}));
  EXPECT_EQ(ReadBytes(PathIn("zoe.pg").toStdString()), ReadBytes(DataPath("session.pg")));
  EXPECT_TRUE(SheetFileRoundTrips(PathIn("zoe.pg").toStdString(), m_dlg->GetRules()));
  EXPECT_TRUE(m_prompts.m_errors.isEmpty()) << m_prompts.m_errors.join('\n').toStdString();
}

TEST_F(SessionTest, EnterInTheNameFieldSavesWithTheTypedName) {
  Open();
  TypeName(QStringLiteral("Aldo"));
  m_prompts.m_paths.push_back(PathIn("aldo.pg"));
  QTest::keyClick(Item<QLineEdit>(IDC_NAME), Qt::Key_Return);
  ASSERT_EQ(m_prompts.m_folders.size(), 1);
  const std::string sheet = ReadBytes(PathIn("aldo.pg").toStdString());
  EXPECT_NE(sheet.find("\r\nNOME Aldo\r\n"), std::string::npos) << sheet;
  EXPECT_NE(sheet.find("\r\nARCHETIPO Bardo\r\nRAZZA Umano\r\nSESSO Maschile\r\n"),
            std::string::npos);
  EXPECT_NE(sheet.find("\r\nDominante Mandestro\r\n"), std::string::npos);
  EXPECT_TRUE(SheetRoundTrips(sheet, m_dlg->GetRules()));
}

TEST_F(SessionTest, ACancelledSaveWritesNothing) {
  Open();
  m_prompts.m_paths.push_back(QString());
  Click(IDC_SAVE);
  EXPECT_TRUE(QDir(m_folder.path()).isEmpty());
  EXPECT_TRUE(m_prompts.m_errors.isEmpty());
}

TEST_F(SessionTest, SalvaRegoleWritesTheRulesBackAndReportsAFailure) {
  const QString rules = PathIn("tarvo.rul");
  ASSERT_TRUE(QFile::copy(QString::fromStdString(DataPath("form.rul")), rules));
  m_dlg = std::make_unique<CGeneratorDlg>(rules.toLocal8Bit().constData(), &m_prompts);
  m_dlg->show();
  Button(IDC_SAVE_RULES)->click();
  EXPECT_TRUE(m_prompts.m_errors.isEmpty());
  EXPECT_EQ(ReadBytes(rules.toStdString()), m_dlg->GetRules().ToText());

  ASSERT_TRUE(QFile::setPermissions(rules, QFile::ReadOwner));
  const std::string before = ReadBytes(rules.toStdString());
  Button(IDC_SAVE_RULES)->click();
  ASSERT_EQ(m_prompts.m_errors.size(), 1);
  EXPECT_TRUE(m_prompts.m_errors[0].contains("tarvo.rul")) << m_prompts.m_errors[0].toStdString();
  EXPECT_EQ(ReadBytes(rules.toStdString()), before);
}

TEST_F(SessionTest, RulesThatCannotBeLoadedAreReportedAndTheProgramFails) {
  QFile rejected(PathIn("tarvo.rul"));
  ASSERT_TRUE(rejected.open(QIODevice::WriteOnly));
  rejected.write("9\n");  // more characteristics than a rules file may have
  rejected.close();
  for (const QString& path : {PathIn("missing/tarvo.rul"), PathIn("tarvo.rul")}) {
    CGeneratorApp app(&m_prompts);
    EXPECT_EQ(app.InitInstance(path.toLocal8Bit().constData()), 1);
  }
  ASSERT_EQ(m_prompts.m_errors.size(), 2);
  for (const QString& error : m_prompts.m_errors) {
    EXPECT_TRUE(error.contains("tarvo.rul")) << error.toStdString();
    EXPECT_TRUE(error.contains(QDir(m_folder.path()).dirName())) << error.toStdString();
  }
  // The file that is there has one more problem (it ends early), and the
  // message says how to see it; the missing one has none.
  EXPECT_FALSE(m_prompts.m_errors[0].contains("--verifica")) << m_prompts.m_errors[0].toStdString();
  EXPECT_TRUE(m_prompts.m_errors[1].endsWith(" Il comando tarvo --verifica " + PathIn("tarvo.rul") +
                                             " elenca un altro problema del file."))
      << m_prompts.m_errors[1].toStdString();
}

TEST_F(SessionTest, WithoutAPathTheRulesComeFromTarvoRulInTheWorkingFolder) {
  ASSERT_TRUE(QFile::copy(QString::fromStdString(DataPath("form.rul")), PathIn("tarvo.rul")));
  const QString before = QDir::currentPath();
  ASSERT_TRUE(QDir::setCurrent(m_folder.path()));
  m_dlg = std::make_unique<CGeneratorDlg>(nullptr, &m_prompts);
  QDir::setCurrent(before);
  EXPECT_EQ(m_dlg->GetRules().ToText(), CRules(DataPath("form.rul").c_str()).ToText());
}

TEST_F(SessionTest, TheProgramEndsWithTheDialog) {
  // The form is closed by its close box as soon as it shows; it is a window
  // of its own, modal to nothing.
  QTimer closer;
  Qt::WindowType type = Qt::Widget;
  Qt::WindowModality modality = Qt::ApplicationModal;
  QObject::connect(&closer, &QTimer::timeout, [&] {
    for (QWidget* window : QApplication::topLevelWidgets()) {
      if (dynamic_cast<CGeneratorDlg*>(window) == nullptr || !window->isVisible()) continue;
      type = window->windowType();
      modality = window->windowHandle()->modality();
      window->close();
    }
  });
  closer.start(10);
  CGeneratorApp app(&m_prompts);
  EXPECT_EQ(app.InitInstance(DataPath("form.rul").c_str()), 0);
  EXPECT_TRUE(m_prompts.m_errors.isEmpty());
  EXPECT_EQ(type, Qt::Window);
  EXPECT_EQ(modality, Qt::NonModal);
}

// The real save dialog of a sheet, shown on `folder` with the files named
// in it, and its file type list, file list and name field.
struct ShownSheetDialog {
  explicit ShownSheetDialog(const QTemporaryDir& folder, const QStringList& files = {})
      : dialog(nullptr, folder.path()) {
    for (const QString& file : files) WriteBytes(folder.filePath(file).toStdString(), "");
    dialog.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    types = dialog.findChild<QComboBox*>("fileTypeCombo");
    view = dialog.findChild<QListView*>("listView");
    name = dialog.findChild<QLineEdit*>("fileNameEdit");
  }
  // The files the dialog lists, sorted.
  QStringList Listed() const {
    QStringList names;
    for (int row = 0; row < view->model()->rowCount(view->rootIndex()); ++row)
      names << view->model()->index(row, 0, view->rootIndex()).data().toString();
    names.sort();
    return names;
  }

  CSheetDialog dialog;
  QComboBox* types = nullptr;
  QListView* view = nullptr;
  QLineEdit* name = nullptr;
};

TEST(SheetDialog, AsksForAPgFileInTheGivenFolder) {
  QTemporaryDir folder;
  ShownSheetDialog shown(folder, {"eroe.pg", "note.txt"});
  const CSheetDialog& dialog = shown.dialog;
  EXPECT_EQ(dialog.acceptMode(), QFileDialog::AcceptSave);
  EXPECT_EQ(dialog.defaultSuffix(), "pg");
  EXPECT_EQ(dialog.directory().absolutePath(), QDir(folder.path()).absolutePath());
  EXPECT_FALSE(dialog.testOption(QFileDialog::DontConfirmOverwrite));

  // The entries read as named; the first is chosen and lists the sheets only.
  ASSERT_TRUE(shown.types && shown.view);
  QStringList entries;
  for (int i = 0; i < shown.types->count(); ++i) entries << shown.types->itemText(i);
  EXPECT_EQ(entries, QStringList({"PG File", "All File", "Scheda stampabile (*.pdf)",
                                  "Personaggio per Foundry VTT (*.json)"}));
  EXPECT_EQ(shown.types->currentIndex(), 0);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !shown.Listed().isEmpty(); }));
  EXPECT_EQ(shown.Listed(), QStringList({"eroe.pg"}));
  shown.types->setFocus();
  QTest::keyClick(shown.types, Qt::Key_Down);  // "All File"
  ASSERT_TRUE(QTest::qWaitFor([&] { return shown.Listed().size() == 2; }));
  EXPECT_EQ(shown.Listed(), QStringList({"eroe.pg", "note.txt"}));
}

TEST(SheetDialog, ThePrintableEntryListsPdfFilesAndNamesAPdf) {
  QTemporaryDir folder;
  ShownSheetDialog shown(folder, {"vecchia.pg", "vecchia.pdf"});
  ASSERT_TRUE(shown.types && shown.view && shown.name);

  // The user picks the third entry with the keyboard, then the name.
  shown.types->setFocus();
  QTest::keyClick(shown.types, Qt::Key_Down);
  QTest::keyClick(shown.types, Qt::Key_Down);
  EXPECT_EQ(shown.dialog.defaultSuffix(), "pdf");
  ASSERT_TRUE(QTest::qWaitFor([&] { return shown.Listed() == QStringList({"vecchia.pdf"}); }));
  shown.name->setFocus();
  QTest::keyClicks(shown.name, "eroe");
  QTest::keyClick(shown.name, Qt::Key_Return);
  ASSERT_EQ(shown.dialog.result(), QDialog::Accepted);
  EXPECT_EQ(shown.dialog.Choice().path, folder.filePath("eroe.pdf"));
  EXPECT_TRUE(shown.dialog.Choice().printable);
}

TEST(SheetDialog, RefusesANameInAFolderThatDoesNotExistAndStaysOpen) {
  QTemporaryDir folder;
  ShownSheetDialog shown(folder);
  CSheetDialog& dialog = shown.dialog;
  QLineEdit* name = shown.name;
  ASSERT_NE(name, nullptr);

  // The warning is read and closed as soon as it shows.
  QString warning;
  QTimer answer;
  QObject::connect(&answer, &QTimer::timeout, [&warning] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      warning = box->text();
      box->close();
    }
  });
  answer.start(10);
  QTest::keyClicks(name, "assente/eroe.pg");
  QTest::keyClick(name, Qt::Key_Return);
  EXPECT_TRUE(warning.contains("Percorso non trovato")) << warning.toStdString();
  EXPECT_TRUE(dialog.isVisible());

  name->clear();
  QTest::keyClicks(name, "eroe");
  QTest::keyClick(name, Qt::Key_Return);
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(dialog.selectedFiles(), QStringList({folder.filePath("eroe.pg")}));
  EXPECT_FALSE(dialog.Choice().printable);
}

TEST_F(DialogTest, PastedLineBreaksDoNotReachTheName) {
  Open();
  QLineEdit* field = Item<QLineEdit>(IDC_NAME);
  TypeName("Ao");
  field->setCursorPosition(1);
  QGuiApplication::clipboard()->setText("ld\r\nBis");
  QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(field->text(), "Aldo");
  QTest::keyClick(field, Qt::Key_End);
  QGuiApplication::clipboard()->setText("\nZ");
  QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(field->text(), "Aldo");
}

TEST(Translation, QtSpeaksItalian) {
  ASSERT_TRUE(InstallItalianTranslation(*QCoreApplication::instance()));
  EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), "Annulla");
  EXPECT_EQ(QCoreApplication::translate("QFileDialog", "Save As"), "Salva come");
}

}  // namespace
