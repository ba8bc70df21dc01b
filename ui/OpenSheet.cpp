#include "ui/OpenSheet.h"

#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileInfo>

#include "print/Win1252.h"
#include "ui/GeneratorDlg.h"
#include "ui/Prompts.h"

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
  if (ReadSheet(QFile::encodeName(path).constData(), m_dlg.m_rules, sheet, &refusal)) return true;
  if (error != nullptr) *error = QString::fromUtf8(refusal.m_strMessage);
  return false;
}

QString CSheetOpening::Show(const CSheet& sheet, const QString& path) {
  CGeneratorDlg& d = m_dlg;
  CCharacter read;
  ApplySheet(sheet, d.m_rules, read);

  // The name field holds NAME_MAX_CHARS characters, one byte each in the
  // sheet's code page; tarvo-genera writes longer names.
  QString notice;
  if (read.m_strName.size() > static_cast<size_t>(NAME_MAX_CHARS)) {
    const QString whole = FromWindows1252(read.m_strName);
    read.m_strName.resize(NAME_MAX_CHARS);
    notice = QStringLiteral(
                 "Il nome del personaggio nella scheda \"%1\" ha %2 caratteri, ma il modulo ne "
                 "tiene %3: il personaggio ora si chiama \"%4\". Il nome intero era \"%5\".")
                 .arg(QFileInfo(path).fileName())
                 .arg(whole.size())
                 .arg(NAME_MAX_CHARS)
                 .arg(FromWindows1252(read.m_strName), whole);
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
