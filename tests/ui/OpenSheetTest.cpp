// Saved sheets opened on the real form: Ctrl+O with the open dialog answered,
// and `tarvo FILE.pg` through the application. The form must show what the
// form model shows for the same sheet, save the same bytes and go on as after
// any roll; a sheet it refuses must leave every control as it was.
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QListView>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <functional>
#include <utility>
#include <vector>

#include "character/SheetReader.h"
#include "print/Win1252.h"
#include "tests/PdfTools.h"
#include "tests/SheetRoundTrip.h"
#include "tests/ui/UiTest.h"
#include "ui/GeneratorApp.h"

namespace {

constexpr int kStatIds[FORM_CHARACTERISTICS] = {IDC_STAT1, IDC_STAT2, IDC_STAT3, IDC_STAT4};
constexpr int kSkillIds[FORM_SKILLS] = {IDC_SKILL1,  IDC_SKILL2,  IDC_SKILL3,  IDC_SKILL4,
                                        IDC_SKILL5,  IDC_SKILL6,  IDC_SKILL7,  IDC_SKILL8,
                                        IDC_SKILL9,  IDC_SKILL10, IDC_SKILL11, IDC_SKILL12,
                                        IDC_SKILL13, IDC_SKILL14, IDC_SKILL15};
constexpr std::pair<int, EquipmentPlace> kEquipment[] = {{IDC_RIGHT_ITEM, EquipmentPlace::Right},
                                                         {IDC_LEFT_ITEM, EquipmentPlace::Left},
                                                         {IDC_WORN_ITEM, EquipmentPlace::Worn},
                                                         {IDC_POCKET_ITEM, EquipmentPlace::Pocket}};
constexpr std::pair<int, FormScore> kScores[] = {{IDC_HONOUR, FormScore::Honour},
                                                 {IDC_MONEY, FormScore::Money},
                                                 {IDC_PROTECTION, FormScore::Protection},
                                                 {IDC_CDB, FormScore::CdB},
                                                 {IDC_PF, FormScore::PF},
                                                 {IDC_PM, FormScore::PM}};

// The form model showing the sheet at `path`, read against `rules`, with its
// name cut to the name field.
class CExpectedForm {
 public:
  CExpectedForm(const CRules& rules, const QString& path) : m_model(rules, m_character) {
    CSheet sheet;
    CSheetError error;
    EXPECT_TRUE(ReadSheet(path.toLocal8Bit().constData(), rules, sheet, &error))
        << error.m_strMessage;
    CCharacter read;
    ApplySheet(sheet, rules, read);
    read.m_strName = read.m_strName.substr(0, read.m_strName.find('\r')).substr(0, NAME_MAX_CHARS);
    m_model.Restore(read, sheet.m_nRace, sheet.m_aArchetypes, sheet.m_nArchetypes, sheet.m_bMale,
                    sheet.m_nHand);
  }
  const CFormModel& Model() const { return m_model; }

 private:
  CCharacter m_character;
  CFormModel m_model;
};

// The bytes of `sheet` with line `line` (from 1) replaced by `text`.
std::string WithLine(const std::string& sheet, int line, const std::string& text) {
  size_t begin = 0;
  for (int n = 1; n < line; ++n) begin = sheet.find("\r\n", begin) + 2;
  return sheet.substr(0, begin) + text + sheet.substr(sheet.find("\r\n", begin));
}

// The line (from 1) of `sheet` that is `text`.
int LineOf(const std::string& sheet, const std::string& text) {
  const size_t at = sheet.find("\r\n" + text + "\r\n");
  EXPECT_NE(at, std::string::npos) << text;
  return static_cast<int>(std::count(sheet.begin(), sheet.begin() + at + 2, '\n')) + 1;
}

class OpenSheetTest : public DialogTest {
 protected:
  QString PathIn(const QString& name) const { return m_folder.filePath(name); }
  std::string BytesOf(const QString& name) const { return ReadBytes(PathIn(name).toStdString()); }
  void Write(const QString& name, const std::string& bytes) const {
    WriteBytes(PathIn(name).toStdString(), bytes);
  }

  // Ctrl+O wherever the focus is, the open dialog answering `path`.
  void OpenSheet(const QString& path) {
    m_prompts.m_opens.push_back(path);
    QWidget* focus = QApplication::focusWidget();
    QTest::keyClick(focus != nullptr ? focus : m_dlg.get(), Qt::Key_O, Qt::ControlModifier);
    EXPECT_TRUE(m_prompts.m_opens.empty()) << "Ctrl+O asked for no sheet";
  }
  void Save(const QString& name) {
    m_prompts.m_paths.push_back(PathIn(name));
    Click(IDC_SAVE);
  }

  // Every control of the form: enabled, checked, text, and a list's entries
  // with their item data and the selection.
  QStringList FormState() const {
    QStringList state;
    const CDialogForm& form = m_dlg->GetForm();
    for (int i = 0; i < form.Count(); ++i) {
      const QWidget* control = form.ControlAt(i);
      QString line =
          QString::number(i) + (control->isEnabled() ? " on " : " off ") + GetControlText(control);
      if (const auto* button = qobject_cast<const QAbstractButton*>(control))
        line += button->isChecked() ? " [x]" : " [ ]";
      if (const auto* list = qobject_cast<const QComboBox*>(control)) {
        for (int row = 0; row < list->count(); ++row)
          line += " | " + list->itemText(row) + "=" + list->itemData(row).toString();
        line += " @" + QString::number(list->currentIndex());
      }
      state << line;
    }
    return state;
  }

  // The form shows what `model` shows, and holds its character.
  void ExpectFormShows(const CFormModel& model) const {
    const CRules& rules = model.Rules();
    EXPECT_EQ(Text(IDC_NAME), FromWindows1252(model.Name()));
    EXPECT_EQ(SelectedData(IDC_RACE), model.Race());
    const int archetypeIds[] = {IDC_ARCHETYPE1, IDC_ARCHETYPE2, IDC_ARCHETYPE3};
    for (int k = 0; k < 3; ++k) EXPECT_EQ(SelectedData(archetypeIds[k]), model.Archetype(k)) << k;
    EXPECT_EQ(Button(IDC_USE_ARCHETYPE2)->isChecked(), model.UsesSecondArchetype());
    EXPECT_EQ(Button(IDC_USE_ARCHETYPE3)->isChecked(), model.UsesThirdArchetype());
    EXPECT_EQ(List(IDC_ARCHETYPE2)->isEnabled(), model.IsSecondArchetypeEnabled());
    EXPECT_EQ(Button(IDC_USE_ARCHETYPE3)->isEnabled(), model.IsThirdBoxEnabled());
    EXPECT_EQ(List(IDC_ARCHETYPE3)->isEnabled(), model.IsThirdArchetypeEnabled());
    EXPECT_EQ(Button(IDC_RIGHT_HANDED)->isChecked(), model.IsRightHanded());
    EXPECT_EQ(Button(IDC_LEFT_HANDED)->isChecked(), model.IsLeftHanded());
    EXPECT_EQ(Button(IDC_MALE)->isChecked(), model.IsMale());
    EXPECT_EQ(Button(IDC_FEMALE)->isChecked(), !model.IsMale());
    EXPECT_EQ(SelectedData(IDC_POCKET), model.SelectedPocket());
    std::string text;
    for (int c = 0; c < std::min(FORM_CHARACTERISTICS, rules.CharacteristicsInUse()); ++c) {
      model.StatText(c, text);
      EXPECT_EQ(Text(kStatIds[c]), FromWindows1252(text)) << "characteristic " << c;
    }
    for (int s = 0; s < std::min(FORM_SKILLS, rules.SkillsInUse()); ++s) {
      model.SkillText(s, text);
      EXPECT_EQ(Text(kSkillIds[s]), FromWindows1252(text)) << "skill " << s;
    }
    for (const auto& [id, score] : kScores) {
      model.ScoreText(score, text);
      EXPECT_EQ(Text(id), FromWindows1252(text)) << "score " << id;
    }
    for (const auto& [id, place] : kEquipment) {
      int items[MAX_ITEMS];
      std::vector<int> offered(items, items + model.OfferedItems(place, items));
      std::vector<int> listed;
      for (int row = 0; row < List(id)->count(); ++row)
        listed.push_back(List(id)->itemData(row).toInt());
      std::sort(listed.begin(), listed.end());
      EXPECT_EQ(listed, offered) << "list " << id;
      EXPECT_EQ(SelectedData(id), model.SelectedItem(place)) << "list " << id;
    }
    EXPECT_EQ(m_dlg->GetCharacter().SheetText(rules), model.Character().SheetText(rules));
  }
  void ExpectFormShows(const QString& path) const {
    ExpectFormShows(CExpectedForm(m_dlg->GetRules(), path).Model());
  }

  // Runs tarvo-genera on the rules at `rules` with `arguments`, writing into
  // the test's folder.
  void Genera(const std::string& rules, const QStringList& arguments) const {
    QProcess genera;
    genera.setWorkingDirectory(m_folder.path());
    genera.start(TARVO_GENERA_PROGRAM,
                 QStringList{"--regole", QString::fromStdString(rules)} + arguments);
    EXPECT_TRUE(genera.waitForFinished(60000));
    EXPECT_EQ(genera.exitCode(), 0) << genera.readAllStandardError().toStdString();
  }

  QTemporaryDir m_folder;
};

// A character made on the form, with a "/" in one archetype's name, three
// archetypes, bought items, a female left-handed hero, saved and then opened
// over another character.
TEST_F(OpenSheetTest, CtrlOShowsASavedCharacterAsTheModelDoesAndSalvaWritesTheSameBytes) {
  OpenEdited([](CRules& rules) { rules.m_aArchetypes[1].m_strName = "Guerriero/Mago"; });
  m_draws.Draws(2000, 149);
  Choose(IDC_RACE, "Elfo");
  Click(IDC_USE_ARCHETYPE2);
  Choose(IDC_ARCHETYPE2, "Guerriero/Mago");
  Click(IDC_USE_ARCHETYPE3);
  Choose(IDC_ARCHETYPE3, "Ladro");
  Choose(IDC_RIGHT_ITEM, "Spada", 1);
  Choose(IDC_LEFT_ITEM, "Scudo");
  Choose(IDC_WORN_ITEM, "Cuoio");
  Choose(IDC_POCKET, "Tasca 3");
  Choose(IDC_POCKET_ITEM, "Élmo");
  Click(IDC_FEMALE);
  Click(IDC_LEFT_HANDED);
  TypeName(QStringLiteral("Zoë l'Ardita"));
  Save("zoe.pg");
  const std::string saved = BytesOf("zoe.pg");
  ASSERT_NE(saved.find("ARCHETIPO Bardo/Guerriero/Mago/Ladro\r\n"), std::string::npos) << saved;

  // Another character on the form, then the saved one back.
  Choose(IDC_RACE, "Nano");
  Click(IDC_USE_ARCHETYPE2);
  TypeName(QStringLiteral("Altro"));
  OpenSheet(PathIn("zoe.pg"));
  EXPECT_EQ(m_prompts.m_folders.back(), QDir::currentPath());
  ExpectFormShows(PathIn("zoe.pg"));
  EXPECT_TRUE(Button(IDC_USE_ARCHETYPE3)->isChecked());
  EXPECT_EQ(List(IDC_RIGHT_ITEM)->currentText(), "Spada");
  Save("ancora.pg");
  EXPECT_EQ(BytesOf("ancora.pg"), saved);
  EXPECT_TRUE(m_prompts.m_errors.isEmpty()) << m_prompts.m_errors.join('\n').toStdString();
  EXPECT_TRUE(m_prompts.m_warnings.isEmpty());
}

// Sheets that tarvo-genera makes, random races and archetypes included; a
// name longer than the field is cut to it, and a box says so.
TEST_F(OpenSheetTest, SheetsOfTarvoGeneraOpenAndALongNameIsCutWithABox) {
  Open();
  Genera(DataPath("form.rul"), {"--seme", "31", "--numero", "4", "--tasca", "corda", "--mano",
                                "entrambe", "--sesso", "f", "--nome", "Bandita {n}"});
  Genera(DataPath("form.rul"), {"--seme", "32", "--archetipo", "mago", "--archetipo", "ladro",
                                "--destra", "pugnale", "--nome", "Ottone il Grande Viaggiatore"});
  // The bandits first, alphabetically, Ottone last.
  const QStringList sheets = QDir(m_folder.path()).entryList({"*.pg"}, QDir::Files, QDir::Name);
  ASSERT_EQ(sheets.size(), 5);
  for (const QString& name : sheets) {
    SCOPED_TRACE(name.toStdString());
    OpenSheet(PathIn(name));
    ExpectFormShows(PathIn(name));
    Save("copia.pg");
    if (name.startsWith("Bandita")) {
      EXPECT_EQ(BytesOf("copia.pg"), BytesOf(name));
    }
  }
  EXPECT_TRUE(m_prompts.m_errors.isEmpty()) << m_prompts.m_errors.join('\n').toStdString();

  // 28 characters: the field holds the first 25, the saved sheet too.
  EXPECT_EQ(Text(IDC_NAME), "Ottone il Grande Viaggiat");
  const std::string whole = BytesOf("Ottone il Grande Viaggiatore.pg");
  EXPECT_EQ(BytesOf("copia.pg"), WithLine(whole, 4, "NOME Ottone il Grande Viaggiat"));
  ASSERT_EQ(m_prompts.m_warnings.size(), 1);
  EXPECT_EQ(m_prompts.m_warnings.front(),
            "Il nome del personaggio nella scheda \"Ottone il Grande Viaggiatore.pg\" ha 28 "
            "caratteri, ma il modulo ne tiene 25: il personaggio ora si chiama \"Ottone il Grande "
            "Viaggiat\". Il nome nella scheda è \"Ottone il Grande Viaggiatore\".");

  // A carriage return inside the name line: the field keeps the line before it.
  Write("a capo.pg", WithLine(BytesOf("Bandita 1.pg"), 4, "NOME Bandita\rdel Nord\x01"));
  OpenSheet(PathIn("a capo.pg"));
  ExpectFormShows(PathIn("a capo.pg"));
  EXPECT_EQ(Text(IDC_NAME), "Bandita");
  ASSERT_EQ(m_prompts.m_warnings.size(), 2);
  EXPECT_TRUE(m_prompts.m_warnings[1].endsWith(
      "va a capo, e il campo del nome tiene una riga sola: il personaggio ora si chiama "
      "\"Bandita\". Il nome nella scheda è \"Bandita\\rdel Nord\\x01\"."))
      << m_prompts.m_warnings[1].toStdString();
  Save("copia.pg");
  EXPECT_EQ(BytesOf("copia.pg"), WithLine(BytesOf("Bandita 1.pg"), 4, "NOME Bandita"));
}

// Sheets no form would save as they are, but the reader takes as written.
TEST_F(OpenSheetTest, OddSheetsOpenAsWrittenAndSaveAsRead) {
  Open();
  const std::string session = ReadBytes(DataPath("session.pg"));
  std::string lf;
  for (const char ch : session)
    if (ch != '\r') lf += ch;
  const std::pair<const char*, std::string> odd[] = {
      {"LF line ends", lf},
      // Both hands with an Agilità of 12: the hand is taken as written.
      {"ambidextrous", WithLine(session, LineOf(session, "DES 116"), "DES 12")},
      // The held items cost more than the money left.
      {"poor", WithLine(session, LineOf(session, "Monete 25"), "Monete 3")},
      {"one archetype twice", WithLine(session, 6, "ARCHETIPO Guerriero/Guerriero")},
      {"25 characters, one undefined in Windows-1252",
       WithLine(session, 4, "NOME Venticinque caratteri qu\x81")},
      {"control characters in the name", WithLine(session, 4, "NOME A\tb\x01")},
  };
  for (const auto& [what, bytes] : odd) {
    SCOPED_TRACE(what);
    Write("strana.pg", bytes);
    OpenSheet(PathIn("strana.pg"));
    ExpectFormShows(PathIn("strana.pg"));
    Save("salvata.pg");
    EXPECT_EQ(BytesOf("salvata.pg"), what == odd[0].first ? session : bytes);
  }
  EXPECT_TRUE(m_prompts.m_errors.isEmpty()) << m_prompts.m_errors.join('\n').toStdString();
  EXPECT_TRUE(m_prompts.m_warnings.isEmpty()) << m_prompts.m_warnings.join('\n').toStdString();
}

// A character in play: wounded, mana spent, coins spent. The form shows the
// current PF and PM under their totals and the money left, and saves them.
TEST_F(OpenSheetTest, ASheetInPlayKeepsItsWoundsManaAndMoney) {
  Open();
  std::string bytes = ReadBytes(DataPath("session.pg"));
  bytes = WithLine(bytes, LineOf(bytes, "PF.Act 114"), "PF.Act 40");
  bytes = WithLine(bytes, LineOf(bytes, "PM.Act 109"), "PM.Act 0");
  bytes = WithLine(bytes, LineOf(bytes, "Monete 25"), "Monete 7");
  Write("in gioco.pg", bytes);
  OpenSheet(PathIn("in gioco.pg"));
  ExpectFormShows(PathIn("in gioco.pg"));
  EXPECT_EQ(Text(IDC_PF), "40/114");
  EXPECT_EQ(Text(IDC_PM), "0/109");
  EXPECT_EQ(Text(IDC_MONEY), "7");
  Save("salvata.pg");
  EXPECT_EQ(BytesOf("salvata.pg"), bytes);
  // Buying goes on from the money left, and leaves the wounds as they are.
  Choose(IDC_POCKET, "Tasca 1");
  Choose(IDC_POCKET_ITEM, "Corda");
  Save("salvata.pg");
  const std::string after = BytesOf("salvata.pg");
  EXPECT_NE(after.find("\r\nPF.Act 40\r\nPM.Tot 109\r\nPM.Act 0\r\n"), std::string::npos);
  EXPECT_NE(after.find("\r\nMonete 6\r\n"), std::string::npos);  // the rope costs 1
  EXPECT_TRUE(m_prompts.m_errors.isEmpty()) << m_prompts.m_errors.join('\n').toStdString();
  EXPECT_TRUE(m_prompts.m_warnings.isEmpty()) << m_prompts.m_warnings.join('\n').toStdString();
}

TEST_F(OpenSheetTest, RefusedSheetsAreToldAtTheirLineAndChangeNothing) {
  Open();
  Choose(IDC_RACE, "Nano");
  Click(IDC_USE_ARCHETYPE2);
  Choose(IDC_RIGHT_ITEM, "Corda");
  TypeName(QStringLiteral("Prima"));
  const QStringList before = FormState();
  const std::string character = m_dlg->GetCharacter().SheetText(m_dlg->GetRules());

  const std::string good = ReadBytes(DataPath("session.pg"));
  const auto line = [&good](const char* text) { return LineOf(good, text); };
  const int lines = static_cast<int>(std::count(good.begin(), good.end(), '\n'));
  const std::string withoutLastPocket = good.substr(0, good.rfind("\r\nTasca9.NOME ") + 2);
  struct Broken {
    const char* what;
    std::string bytes;
    int line;
  };
  const Broken broken[] = {
      {"empty", "", 1},
      {"another file", "4\r\nVigore\r\n", 1},
      {"UTF-8 byte order mark", "\xEF\xBB\xBF" + good, 1},
      {"unknown race", WithLine(good, 7, "RAZZA Troll"), 7},
      {"four archetypes", WithLine(good, 6, "ARCHETIPO Ladro/Ladro/Ladro/Ladro"), 6},
      {"plus sign", WithLine(good, line("FOR 112"), "FOR +112"), line("FOR 112")},
      {"leading zero", WithLine(good, line("COS 114"), "COS 0114"), line("COS 114")},
      {"minus zero", WithLine(good, line("Monete 25"), "Monete -0"), line("Monete 25")},
      {"hand", WithLine(good, line("Dominante Ambidestro"), "Dominante Destro"),
       line("Dominante Ambidestro")},
      {"saved as UTF-8", WithLine(good, line("- Abilit\xE0 -"), "- Abilit\xC3\xA0 -"),
       line("- Abilit\xE0 -")},
      {"an item's type", WithLine(good, line("Tasca0.TIPO empty"), "Tasca0.TIPO heavy"),
       line("Tasca0.TIPO empty")},
      {"a pocket short", withoutLastPocket, lines - 4},
      {"a line too many", good + "Tasca10.NOME <Nulla>\r\n", lines + 1},
  };
  int errors = 0;
  for (const Broken& sheet : broken) {
    SCOPED_TRACE(sheet.what);
    Write("rotta.pg", sheet.bytes);
    OpenSheet(PathIn("rotta.pg"));
    ASSERT_EQ(m_prompts.m_errors.size(), ++errors);
    const QString& message = m_prompts.m_errors.back();
    EXPECT_TRUE(message.startsWith("La scheda \"rotta.pg\" nella cartella"))
        << message.toStdString();
    EXPECT_TRUE(message.contains(QStringLiteral(" non è valida: riga %1: ").arg(sheet.line)))
        << message.toStdString();
    EXPECT_EQ(FormState(), before);
    EXPECT_EQ(m_dlg->GetCharacter().SheetText(m_dlg->GetRules()), character);
  }

  // Files that are not there, not files, or larger than any sheet.
  QDir(m_folder.path()).mkdir("cartella");
  Write("enorme.pg", good + std::string(SheetSizeLimit(m_dlg->GetRules()), 'x'));
  for (const char* name : {"assente.pg", "cartella", "enorme.pg"}) {
    OpenSheet(PathIn(name));
    ASSERT_EQ(m_prompts.m_errors.size(), ++errors);
    EXPECT_TRUE(m_prompts.m_errors.back().contains(QString("\"%1\"").arg(name)))
        << m_prompts.m_errors.back().toStdString();
    EXPECT_EQ(FormState(), before);
  }
  // A cancelled dialog does nothing at all.
  OpenSheet(QString());
  EXPECT_EQ(m_prompts.m_errors.size(), errors);
  EXPECT_EQ(FormState(), before);
  EXPECT_TRUE(m_prompts.m_warnings.isEmpty());
}

// An opened character is the player's to go on with: buying with its money,
// renaming, saving, printing, and new rolls for a new race or archetype.
TEST_F(OpenSheetTest, TheOpenedCharacterGoesOnAsAnyOther) {
  Open();
  OpenSheet(QString::fromStdString(DataPath("session.pg")));
  EXPECT_EQ(Text(IDC_MONEY), "25");
  Choose(IDC_POCKET, "Tasca 2");
  Choose(IDC_POCKET_ITEM, "Pugnale");
  EXPECT_EQ(Text(IDC_MONEY), "21");
  // The shield held in the left hand is traded in at its price.
  Choose(IDC_LEFT_ITEM, "Anello");
  EXPECT_EQ(Text(IDC_MONEY), "36");
  TypeName(QStringLiteral("Zoë la Nuova"));
  Save("nuova.pg");
  const std::string sheet = BytesOf("nuova.pg");
  for (const char* line : {"\r\nNOME Zo\xEB la Nuova\r\n", "\r\nMonete 36\r\n",
                           "\r\nSinistra.NOME Anello\r\n", "\r\nTasca2.NOME Pugnale\r\n"})
    EXPECT_NE(sheet.find(line), std::string::npos) << line;
  EXPECT_TRUE(SheetRoundTrips(sheet, m_dlg->GetRules()));

  m_prompts.m_printouts.push_back(PathIn("nuova.pdf"));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_P, Qt::ControlModifier);
  EXPECT_TRUE(PdfLayoutText(PathIn("nuova.pdf")).contains(QStringLiteral("Zoë la Nuova")));

  m_draws.Rolls({201, 202, 203, 204}, 200);
  Choose(IDC_RACE, "Nano");
  EXPECT_EQ(Text(IDC_STAT1), "201 (40)");
  EXPECT_EQ(m_draws.Left(), 0);
  const int drawn = m_draws.Drawn();
  Choose(IDC_ARCHETYPE1, "mago");
  EXPECT_GT(m_draws.Drawn(), drawn);
  EXPECT_TRUE(m_prompts.m_errors.isEmpty()) << m_prompts.m_errors.join('\n').toStdString();
}

// The real open dialog: its title, its two entries, and what each lists.
TEST(OpenSheetDialog, OpensAnExistingFileUnderPgFileOrAllFile) {
  QTemporaryDir folder;
  for (const char* name : {"eroe.pg", "note.txt"})
    WriteBytes(folder.filePath(name).toStdString(), "");
  QFileDialog dialog;
  ConfigureOpenSheetDialog(dialog, folder.path());
  dialog.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
  EXPECT_EQ(dialog.windowTitle(), "Apri personaggio");
  EXPECT_EQ(dialog.acceptMode(), QFileDialog::AcceptOpen);
  EXPECT_EQ(dialog.fileMode(), QFileDialog::ExistingFile);
  auto* types = dialog.findChild<QComboBox*>("fileTypeCombo");
  auto* view = dialog.findChild<QListView*>("listView");
  ASSERT_TRUE(types && view);
  QStringList entries;
  for (int i = 0; i < types->count(); ++i) entries << types->itemText(i);
  EXPECT_EQ(entries, QStringList({"PG File", "All File"}));
  const auto listed = [view] {
    QStringList names;
    for (int row = 0; row < view->model()->rowCount(view->rootIndex()); ++row)
      names << view->model()->index(row, 0, view->rootIndex()).data().toString();
    names.sort();
    return names;
  };
  ASSERT_TRUE(QTest::qWaitFor([&] { return listed() == QStringList({"eroe.pg"}); }));
  types->setFocus();
  QTest::keyClick(types, Qt::Key_Down);
  ASSERT_TRUE(QTest::qWaitFor([&] { return listed().size() == 2; }));
}

// `tarvo FILE.pg` through the application: the form opens on the sheet; a
// refused sheet is told over a form that starts as usual.
class StartWithSheetTest : public OpenSheetTest {
 protected:
  // Runs the application on form.rul and `sheet`; once the form has shown
  // and `boxes` messages have been told, `check` looks at it and it closes.
  int Run(const QString& sheet, int boxes, const std::function<void()>& check) {
    bool checked = false;
    const qsizetype told = m_prompts.m_errors.size() + m_prompts.m_warnings.size() + boxes;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
      for (QWidget* window : QApplication::topLevelWidgets()) {
        auto* dialog = dynamic_cast<CGeneratorDlg*>(window);
        if (dialog == nullptr || !dialog->isVisible() ||
            m_prompts.m_errors.size() + m_prompts.m_warnings.size() < told)
          continue;
        // The application owns the dialog: the fixture borrows it for the
        // checks and gives it back.
        m_dlg.reset(dialog);
        check();
        m_dlg.release();
        checked = true;
        dialog->close();
      }
    });
    closer.start(10);
    CGeneratorApp app(&m_prompts);
    const int status = app.Run(QString::fromStdString(DataPath("form.rul")), sheet);
    EXPECT_TRUE(checked);
    return status;
  }
};

TEST_F(StartWithSheetTest, TheFormOpensOnTheSheetOrSaysWhyNot) {
  const QString session = QString::fromStdString(DataPath("session.pg"));
  EXPECT_EQ(Run(session, 0, [&] { ExpectFormShows(session); }), 0);
  EXPECT_TRUE(m_prompts.m_errors.isEmpty()) << m_prompts.m_errors.join('\n').toStdString();
  EXPECT_TRUE(m_prompts.m_warnings.isEmpty());

  Write("lungo.pg",
        WithLine(ReadBytes(DataPath("session.pg")), 4, "NOME Zo\xEB l'Ardita dalle Sette Torri"));
  EXPECT_EQ(
      Run(PathIn("lungo.pg"), 1, [&] { EXPECT_EQ(Text(IDC_NAME), "Zoë l'Ardita dalle Sette "); }),
      0);
  ASSERT_EQ(m_prompts.m_warnings.size(), 1);
  EXPECT_TRUE(m_prompts.m_warnings[0].contains("lungo.pg"));

  Write("rotta.pg", WithLine(ReadBytes(DataPath("session.pg")), 7, "RAZZA Troll"));
  EXPECT_EQ(Run(PathIn("rotta.pg"), 1,
                [&] {
                  // As without a sheet: the first race, no name.
                  EXPECT_EQ(List(IDC_RACE)->currentText(), "Umano");
                  EXPECT_EQ(Text(IDC_NAME), "");
                }),
            0);
  ASSERT_EQ(m_prompts.m_errors.size(), 1);
  EXPECT_TRUE(m_prompts.m_errors[0].contains("\"rotta.pg\"") &&
              m_prompts.m_errors[0].contains("riga 7"))
      << m_prompts.m_errors[0].toStdString();
}

TEST(CommandLine, ASheetByItsFirstLineAndMistakenLines) {
  QTemporaryDir folder;
  const QString sheet = folder.filePath("eroe.dat");
  WriteBytes(sheet.toStdString(), "Informazioni Personaggio\r\nnon importa\r\n");
  const QString rules = QString::fromStdString(DataPath("form.rul"));
  const QString missing = folder.filePath("manca.pg");
  const auto parse = [](QStringList arguments) {
    arguments.prepend("tarvo");
    return ParseCommandLine(arguments);
  };

  // A FILE is a sheet by its first line, whatever its name; the real program
  // is run with sheets, rules and both in ProgramTest.
  EXPECT_EQ(parse({rules, sheet}).sheetFile, sheet);
  EXPECT_EQ(parse({rules, sheet}).rulesFile, rules);
  EXPECT_EQ(parse({"--pdf", rules}).sheets, QStringList({rules}));
  const CCommandLine foundry = parse({"--foundry", "--sovrascrivi", rules, sheet});
  EXPECT_EQ(foundry.action, CCommandLine::Action::PrintSheets);
  EXPECT_TRUE(foundry.foundry && foundry.overwrite);
  EXPECT_EQ(foundry.sheets, QStringList({rules, sheet}));
  EXPECT_FALSE(parse({"--pdf", rules}).foundry);
  const std::pair<QStringList, const char*> mistaken[] = {
      {{"--pdf"}, "--pdf: manca la scheda da stampare"},
      {{"--sovrascrivi", sheet}, "--sovrascrivi vale solo con --pdf"},
      {{"--apri", sheet, missing}, "troppe schede (2: "},
      {{"--apri"}, "manca il nome del file dopo --apri"},
      {{"--pdf", "--apri", sheet}, "--pdf e --apri non vanno insieme"},
      {{"--foundry"}, "--foundry: manca la scheda da esportare"},
      {{"--pdf", "--foundry", sheet}, "--pdf e --foundry non vanno insieme"},
      {{"--foundry", "--verifica", sheet}, "--verifica e --foundry non vanno insieme"},
      {{"--verifica", "--apri", sheet}, "--verifica e --apri non vanno insieme"},
      {{"--apri", ""}, "il nome della scheda è vuoto"},
      {{rules, rules}, "troppi file delle regole (2: "},
  };
  for (const auto& [arguments, error] : mistaken) {
    const CCommandLine line = parse(arguments);
    EXPECT_EQ(line.action, CCommandLine::Action::Error) << arguments.join(' ').toStdString();
    EXPECT_TRUE(line.error.startsWith(QString::fromUtf8(error))) << line.error.toStdString();
  }
}

}  // namespace
