// Opening a saved character sheet on the form. The sheet is read against the
// form's rules; once accepted, the form shows the character as if the player
// had just made it: the same choices, values, scores, items and money, so
// that buying, renaming, saving and printing go on from there and a new race
// or archetype rolls anew. A refused sheet changes nothing at all.
#pragma once

#include <QObject>
#include <QString>

#include "character/SheetReader.h"

class CGeneratorDlg;

class CSheetOpening {
 public:
  explicit CSheetOpening(CGeneratorDlg& dialog) : m_dlg(dialog) {}

  // Ctrl+O: asks which sheet to open and opens it; a refusal, or a name cut
  // to fit the form, is told in a box.
  void AskAndOpen();

  // Reads the sheet at `path` against the form's rules. False, with the
  // reader's Italian message in `error` (if given), when it is refused.
  bool Read(const QString& path, CSheet& sheet, QString* error) const;

  // Shows the accepted `sheet`, read from `path`, on the initialised form.
  // A name the form's field cannot hold (longer than it, or with a line
  // break) is cut to fit; the returned text then says so (empty otherwise).
  QString Show(const CSheet& sheet, const QString& path);

 private:
  CGeneratorDlg& m_dlg;
};

// Shows a sheet read before the form opened (one named on the command line)
// as soon as the form is set up, before it is first painted, so that the
// player never sees the character rolled at start. While alive it watches
// `dialog`.
class CSheetAtStart : public QObject {
 public:
  CSheetAtStart(CGeneratorDlg& dialog, CSheet sheet, QString path);

  // What Show answered: empty unless the name had to be cut.
  const QString& Notice() const { return m_notice; }
  bool Shown() const { return m_shown; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  CGeneratorDlg& m_dlg;
  CSheet m_sheet;
  QString m_path;
  QString m_notice;
  bool m_shown = false;
};
