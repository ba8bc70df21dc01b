#include "ui/OpenSheet.h"

#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileInfo>

#include "app/Console.h"
#include "app/FileNames.h"
#include "print/Win1252.h"
#include "base/Win1252.h"
#include "ui/GeneratorDlg.h"
#include "ui/Prompts.h"

namespace {

// How much of a long name a message shows.
constexpr size_t kShownName = 120;

}  // namespace

void CSheetOpening::AskAndOpen() {
  const QString path = m_dlg.m_prompts->AskOpenSheetPath(&m_dlg, QDir::currentPath());
  if (path.isEmpty()) return;
  CSheet sheet;
  QString error;
  if (!Read(path, sheet, &error)) {
    m_dlg.m_prompts->ShowError(&m_dlg, error);
    return;
  }
  const QString notice = Show(sheet, path);
  if (!notice.isEmpty()) m_dlg.m_prompts->ShowWarning(&m_dlg, notice);
}

bool CSheetOpening::Read(const QString& path, CSheet& sheet, QString* error) const {
  CSheetError refusal;
  if (ReadSheet(FileNameBytes(path).c_str(), m_dlg.m_rules, sheet, &refusal)) return true;
  if (error != nullptr) *error = QString::fromUtf8(refusal.m_strMessage);
  return false;
}

QString CSheetOpening::Show(const CSheet& sheet, const QString& path) {
  CGeneratorDlg& d = m_dlg;
  CCharacter read;
  ApplySheet(sheet, d.m_rules, read);

  // The name field holds one line of NAME_MAX_CHARS characters, one byte each
  // in the sheet's code page; tarvo-genera writes longer names, and a sheet
  // may hold a carriage return inside its name line. The character is named
  // as the field can show it, and a box says so.
  QString notice;
  const std::string whole = read.m_strName;
  const size_t lineBreak = whole.find('\r');
  if (lineBreak != std::string::npos) read.m_strName.resize(lineBreak);
  if (read.m_strName.size() > static_cast<size_t>(NAME_MAX_CHARS))
    read.m_strName.resize(NAME_MAX_CHARS);
  if (read.m_strName != whole) {
    const QString why = lineBreak != std::string::npos
                            ? QStringLiteral("va a capo, e il campo del nome tiene una riga sola")
                            : QStringLiteral("ha %1 caratteri, ma il modulo ne tiene %2")
                                  .arg(whole.size())
                                  .arg(NAME_MAX_CHARS);
    notice = QStringLiteral(
                 "Il nome del personaggio nella scheda %1 %2: il personaggio ora si chiama "
                 "%3. Il nome nella scheda è %4.")
                 .arg(Quoted(QFileInfo(path).fileName()), why,
                      QString::fromStdString(QuotedForMessage(read.m_strName)),
                      QString::fromStdString(QuotedForMessage(whole, kShownName)));
  }

  d.m_model.Restore(read, sheet.m_nRace, sheet.m_aArchetypes, sheet.m_nArchetypes, sheet.m_bMale,
                    sheet.m_nHand);
  d.m_strName = read.m_strName;

  // The choices, as the controls show them after the player made them.
  d.m_cbRace.SetCurSel(d.FindItemData(d.m_cbRace, d.m_model.Race()));
  CComboBox* const lists[] = {&d.m_cbArchetype1, &d.m_cbArchetype2, &d.m_cbArchetype3};
  for (int k = 0; k < 3; ++k)
    lists[k]->SetCurSel(d.FindItemData(*lists[k], d.m_model.Archetype(k)));
  d.m_btnUseArchetype2.SetCheck(d.m_model.UsesSecondArchetype());
  d.ShowArchetypeBoxes();
  d.ShowSex();
  d.ShowHands();
  d.m_cbPocket.SetCurSel(d.FindItemData(d.m_cbPocket, d.m_model.SelectedPocket()));

  // The values, scores and equipment lists, and every text to the form.
  d.RefreshDisplay();
  return notice;
}

CSheetAtStart::CSheetAtStart(CGeneratorDlg& dialog, CSheet sheet, QString path)
    : m_dlg(dialog), m_sheet(std::move(sheet)), m_path(std::move(path)) {
  dialog.installEventFilter(this);
}

bool CSheetAtStart::eventFilter(QObject* watched, QEvent* event) {
  // The form sets itself up just before it shows, and is painted after.
  if (watched == &m_dlg && event->type() == QEvent::Show && !m_shown) {
    m_shown = true;
    m_notice = CSheetOpening(m_dlg).Show(m_sheet, m_path);
  }
  return false;
}
