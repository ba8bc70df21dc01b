// The printable character sheet: one A4 page, portrait, in Italian, drawn on a
// QPainter, so that a PDF file and a printer get the same page.
#pragma once

#include <QByteArray>
#include <QRectF>
#include <QString>
#include <string>
#include <vector>

#include "character/Character.h"
#include "rules/Rules.h"

class QPagedPaintDevice;
class QPainter;

// What one sheet shows: a character and the rules it was built from, with the
// numbers the form shows. The identity comes from the fields of the character
// that a save sets (name, race, sex, hand). The archetypes come as a list,
// because an archetype's name may itself hold the "/" that joins them on the
// .pg sheet. Texts are Windows-1252 bytes, as the rules and the form keep them.
struct SheetContent {
  const CCharacter& character;
  const CRules& rules;
  std::vector<std::string> archetypes;  // the archetypes in use, in the form's order
  std::string rulesPath;                // the rules file; the footer shows its name
};

// The sheet's title for the PDF's properties and the print queue.
QString PrintableSheetTitle(const CCharacter& character);

// Draws the sheet inside `page`, the whole sheet of paper in the painter's
// coordinates; the drawing keeps its own margins inside it. A page that is
// not A4 portrait gets the A4 drawing scaled to fit, centred.
void DrawPrintableSheet(QPainter& painter, const QRectF& page, const SheetContent& content);

// Paints the sheet as the one page of `device` (a PDF writer or a printer),
// placed on the whole sheet of paper whatever margins the device keeps.
// False when the device cannot be painted on (a printer that cannot start).
bool PaintPrintableSheet(QPagedPaintDevice& device, const SheetContent& content);

// The MIME type of the .pg character sheet.
inline constexpr const char* SHEET_MIME_TYPE = "application/x-tarvo-pg";

// The sheet as a one-page A4 PDF with its fonts embedded; empty on failure.
// The PDF carries the character's .pg sheet as an embedded file named
// `sheetFileName`, so that a player who kept only the PDF keeps the data.
QByteArray PrintableSheetPdf(const SheetContent& content, const QString& sheetFileName);

// Writes PrintableSheetPdf to `path`, replacing an existing file atomically:
// on failure the previous file is intact, no temporary file is left, and
// `error` (if given) receives an Italian description. The embedded sheet is
// named as the PDF, with ".pg" for ".pdf".
bool WritePrintableSheet(const std::string& path, const SheetContent& content, std::string* error);
