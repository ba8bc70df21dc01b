// The printable sheet from the form: the save dialog's third entry, a name
// ending in ".pdf", and Ctrl+P through the printer.
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "tests/PdfTools.h"
#include "tests/ui/UiTest.h"
#include "ui/GeneratorApp.h"

namespace {

class PrintTest : public DialogTest {
 protected:
  QString PathIn(const QString& name) const { return m_folder.filePath(name); }
  QStringList Files() const { return QDir(m_folder.path()).entryList(QDir::Files); }
  void PressCtrlP() {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_P, Qt::ControlModifier);
  }

  QTemporaryDir m_folder;
};

// An archetype whose name holds a "/" stays one name on the printed sheet.
TEST_F(PrintTest, ThePrintableEntryOrANameEndingInPdfWritesThePdfAsASaveTakesTheForm) {
  OpenEdited([](CRules& rules) { rules.m_aArchetypes[1].m_strName = "Guerriero/Mago"; });
  Click(IDC_USE_ARCHETYPE2);
  Choose(IDC_ARCHETYPE2, "Guerriero/Mago");
  Choose(IDC_RACE, "Nano");
  Click(IDC_FEMALE);
  Click(IDC_LEFT_HANDED);
  TypeName(QStringLiteral("Zoë"));
  m_prompts.m_paths.push_back({PathIn("zoe.pdf"), true});
  Click(IDC_SAVE);
  const CCharacter& ch = m_dlg->GetCharacter();
  EXPECT_EQ(ch.m_strName, "Zo\xEB");
  EXPECT_EQ(ch.m_strArchetype, "Bardo/Guerriero/Mago");
  EXPECT_EQ(ch.m_strRace, "Nano");
  EXPECT_EQ(ch.m_bMale, 0);
  EXPECT_EQ(ch.m_nHand, 3);  // a dwarf's Agilità allows both hands
  const QString text = PdfLayoutText(PathIn("zoe.pdf"));
  EXPECT_TRUE(text.contains(QRegularExpression(
      QStringLiteral(R"((?s)Zoë\n.*\nNano\s+Bardo / Guerriero/Mago\s+Femminile\s+Ambidestro\n)"))))
      << text.toStdString();

  // A name ending in ".pdf" or ".pg" decides what is written under any entry;
  // only another name takes the entry's.
  for (const SheetChoice& save :
       {SheetChoice(PathIn("Digitato.PDF"), false), SheetChoice(PathIn("strana.pg"), true),
        SheetChoice(PathIn("eroe.pg"), false), SheetChoice(PathIn("foglio.txt"), true)}) {
    m_prompts.m_paths.push_back(save);
    Click(IDC_SAVE);
  }
  const std::string sheet = ch.SheetText(m_dlg->GetRules());
  EXPECT_EQ(ReadBytes(PathIn("Digitato.PDF").toStdString()).substr(0, 5), "%PDF-");
  EXPECT_EQ(ReadBytes(PathIn("strana.pg").toStdString()), sheet);
  EXPECT_EQ(ReadBytes(PathIn("eroe.pg").toStdString()), sheet);
  EXPECT_EQ(ReadBytes(PathIn("foglio.txt").toStdString()).substr(0, 5), "%PDF-");
  EXPECT_EQ(Files(), QStringList({"Digitato.PDF", "eroe.pg", "foglio.txt", "strana.pg", "zoe.pdf"}));
  EXPECT_TRUE(m_prompts.m_errors.isEmpty()) << m_prompts.m_errors.join('\n').toStdString();
}

TEST_F(PrintTest, CtrlPPrintsTheSavedPageACancelPrintsNothingAFailureIsReported) {
  Open();
  TypeName(QStringLiteral("Aldo"));  // the name field keeps the focus
  m_prompts.m_printouts.push_back(QString());
  PressCtrlP();
  EXPECT_TRUE(m_prompts.m_printouts.empty()) << "no print dialog";
  EXPECT_TRUE(Files().isEmpty());
  EXPECT_EQ(m_dlg->GetCharacter().m_strRace, "");

  m_prompts.m_printouts.push_back(PathIn("stampa.pdf"));
  PressCtrlP();
  EXPECT_EQ(m_dlg->GetCharacter().m_strRace, "Umano");
  EXPECT_TRUE(PopplerOutput("pdfinfo", {PathIn("stampa.pdf")}).contains("(A4)"));
  m_prompts.m_paths.push_back({PathIn("salvata.pdf"), true});
  Click(IDC_SAVE);
  const QString printed = PdfLayoutText(PathIn("stampa.pdf"));
  EXPECT_TRUE(printed.contains("Aldo\n")) << printed.toStdString();
  EXPECT_EQ(printed, PdfLayoutText(PathIn("salvata.pdf")));
  EXPECT_TRUE(m_prompts.m_errors.isEmpty()) << m_prompts.m_errors.join('\n').toStdString();

  m_prompts.m_printouts.push_back(PathIn("assente/stampa.pdf"));
  PressCtrlP();
  ASSERT_EQ(m_prompts.m_errors.size(), 1);
  EXPECT_TRUE(m_prompts.m_errors[0].startsWith("Impossibile stampare la scheda nel file"))
      << m_prompts.m_errors[0].toStdString();
}

// The real print dialog, in Qt's Italian; cancelling it prints nothing.
TEST(PrintDialog, SpeaksItalianAndACancelAnswersNo) {
  ASSERT_TRUE(InstallItalianTranslation(*QCoreApplication::instance()));
  QString title;
  QTimer closer;
  QObject::connect(&closer, &QTimer::timeout, [&title] {
    if (auto* dialog = qobject_cast<QPrintDialog*>(QApplication::activeModalWidget())) {
      title = dialog->windowTitle();
      QTest::keyClick(dialog, Qt::Key_Escape);
    }
  });
  closer.start(10);
  CQtPrompts prompts;
  QPrinter printer;
  EXPECT_FALSE(prompts.AskPrinter(nullptr, printer));
  EXPECT_EQ(title, "Stampa");
}

}  // namespace
