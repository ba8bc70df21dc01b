#include "tests/ui/UiTest.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QPrinter>
#include <QTest>

#include "character/Dice.h"
#include "ui/Controls.h"

std::string DataPath(const char* name) { return std::string(TARVO_UI_TEST_DATA_DIR "/") + name; }

CDrawScript::CDrawScript(int fallback) : m_nFallback(fallback) {
  SetRandomDraws([this] {
    ++m_nDrawn;
    if (m_queue.empty()) return m_nFallback;
    const int draw = m_queue.front();
    m_queue.pop_front();
    return draw;
  });
}

CDrawScript::~CDrawScript() { SetRandomDraws({}); }

void CDrawScript::Rolls(std::initializer_list<int> values, int bonus) {
  for (const int value : values) m_queue.push_back(value - 1 - bonus);
}

void CDrawScript::Draws(int count, int draw) {
  for (int i = 0; i < count; ++i) m_queue.push_back(draw);
}

SheetChoice CAnsweringPrompts::AskSheetPath(QWidget*, const QString& folder) {
  m_folders << folder;
  if (m_paths.empty()) {
    ADD_FAILURE() << "a save dialog nobody expected";
    return {};
  }
  const SheetChoice choice = m_paths.front();
  m_paths.pop_front();
  return choice;
}

QString CAnsweringPrompts::AskOpenSheetPath(QWidget*, const QString& folder) {
  m_folders << folder;
  if (m_opens.empty()) {
    ADD_FAILURE() << "an open dialog nobody expected";
    return {};
  }
  const QString path = m_opens.front();
  m_opens.pop_front();
  return path;
}

bool CAnsweringPrompts::AskPrinter(QWidget*, QPrinter& printer) {
  if (m_printouts.empty()) {
    ADD_FAILURE() << "a print dialog nobody expected";
    return false;
  }
  const QString file = m_printouts.front();
  m_printouts.pop_front();
  if (file.isEmpty()) return false;
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(file);
  return true;
}

void CAnsweringPrompts::ShowError(QWidget*, const QString& text) { m_errors << text; }

void CAnsweringPrompts::ShowWarning(QWidget*, const QString& text) { m_warnings << text; }

void DialogTest::Open(const char* rulesFile) { OpenPath(DataPath(rulesFile)); }

void DialogTest::OpenPath(const std::string& path) {
  m_dlg = std::make_unique<CGeneratorDlg>(path.c_str(), &m_prompts);
  ASSERT_TRUE(m_dlg->GetRules().IsLoaded()) << m_dlg->GetRules().GetLoadError().m_strMessage;
  m_dlg->show();
  m_dlg->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(m_dlg.get()));
}

void DialogTest::OpenEdited(const std::function<void(CRules&)>& edit, const char* rulesFile) {
  CRules rules(DataPath(rulesFile).c_str());
  edit(rules);
  m_editedRules = std::make_unique<QTemporaryDir>();
  const std::string path = m_editedRules->filePath("tarvo.rul").toStdString();
  std::string error;
  ASSERT_TRUE(rules.Save(path.c_str(), &error)) << error;
  OpenPath(path);
}

void DialogTest::TearDown() {
  m_dlg.reset();
  EXPECT_TRUE(m_prompts.m_paths.empty()) << "answers left for save dialogs never shown";
  EXPECT_TRUE(m_prompts.m_printouts.empty()) << "answers left for print dialogs never shown";
  EXPECT_TRUE(m_prompts.m_opens.empty()) << "answers left for open dialogs never shown";
}

QString DialogTest::Text(int id) const { return GetControlText(m_dlg->GetDlgItem(id)); }

QStringList DialogTest::Entries(int id) const {
  QStringList entries;
  const QComboBox* box = List(id);
  for (int i = 0; i < box->count(); ++i) {
    entries << box->itemText(i) + "=" + QString::number(box->itemData(i).toInt());
  }
  return entries;
}

int DialogTest::SelectedData(int id) const {
  const QComboBox* box = List(id);
  return box->currentIndex() < 0 ? -1 : box->currentData().toInt();
}

void DialogTest::Click(int id) { QTest::mouseClick(Button(id), Qt::LeftButton); }

void DialogTest::Choose(int id, const QString& text, int occurrence) {
  QComboBox* box = List(id);
  int row = -1;
  for (int i = 0, seen = 0; i < box->count(); ++i) {
    if (box->itemText(i) == text && seen++ == occurrence) row = i;
  }
  ASSERT_GE(row, 0) << text.toStdString() << " is not offered";
  QTest::mouseClick(box, Qt::LeftButton);
  QAbstractItemView* view = box->view();
  ASSERT_TRUE(QTest::qWaitFor([view] { return view->isVisible(); }));
  view->setCurrentIndex(box->model()->index(row, box->modelColumn()));
  QTest::keyClick(view, Qt::Key_Return);
  ASSERT_TRUE(QTest::qWaitFor([view] { return !view->isVisible(); }));
}

void DialogTest::TypeName(const QString& name) {
  QLineEdit* field = Item<QLineEdit>(IDC_NAME);
  QTest::mouseClick(field, Qt::LeftButton);
  QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClick(field, Qt::Key_Backspace);
  // One key per character, with its text, so that characters beyond
  // Latin-1 are typed too.
  for (const QChar ch : name) {
    QTest::sendKeyEvent(QTest::Click, field, Qt::Key_unknown, QString(ch), Qt::NoModifier);
  }
}

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  // The offscreen platform says, at every list opened, what it cannot do.
  static const QtMessageHandler qtDefault = qInstallMessageHandler(nullptr);
  qInstallMessageHandler(
      [](QtMsgType type, const QMessageLogContext& context, const QString& text) {
        if (type == QtWarningMsg && text.startsWith("This plugin does not support")) return;
        qtDefault(type, context, text);
      });
  ::testing::InitGoogleTest(&argc, argv);
  QApplication application(argc, argv);
  return RUN_ALL_TESTS();
}
