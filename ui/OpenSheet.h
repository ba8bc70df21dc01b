// Opening a saved character sheet for the form. The sheet is read against the
// form's rules and fitted to the form's fields; the form then shows the
// character as if the player had just made it: the same choices, values,
// scores, items and money, so that buying, renaming, saving and printing go
// on from there and a new race or archetype rolls anew. A refused sheet
// changes nothing at all.
//
// Nothing here knows the form: what is read comes back as plain data, and
// the form applies it to itself and tells its messages.
#pragma once

#include <QString>

#include "character/SheetReader.h"

// An accepted sheet as the form takes it.
struct COpenedSheet {
  // The sheet as read, but named as the form's name field can show it.
  CSheet sheet;
  // Empty, or what the form tells when the name had to be cut.
  QString notice;
};

// Reads the sheet at `path` against `rules`. False, with the reader's Italian
// message in `error` (if given), when it is refused.
bool ReadSheetFile(const QString& path, const CRules& rules, CSheet& sheet, QString* error);

// The accepted `sheet`, read from `path`, fitted to the form: a name the
// form's field cannot hold (longer than it, or with a line break) is cut to
// fit, and the notice then says so.
COpenedSheet FitSheetToForm(CSheet sheet, const QString& path);
