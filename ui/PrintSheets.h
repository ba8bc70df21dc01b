// tarvo --pdf and tarvo --foundry: the printable sheet, or the actor for
// Foundry VTT, of saved .pg sheets, made without a display, for a game master
// with a folder of sheets to bring to the table.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>

// What a run writes beside each sheet.
enum class CSheetOutput {
  Pdf,      // --pdf: the printable sheet, which embeds the sheet
  Foundry,  // --foundry: the actor for Foundry VTT (FoundryActorJson)
};

struct CPrintSheetsOptions {
  QString rulesFile;   // --regole; empty: the usual search
  QStringList sheets;  // the .pg sheets, as named
  bool overwrite = false;
  CSheetOutput output = CSheetOutput::Pdf;
};

// The printable sheet beside `sheet`: its name with ".pdf" in place of a
// final ".pg" (in any case), or with ".pdf" added.
QString PrintablePathFor(const QString& sheet);
// The file `output` makes beside `sheet`: as PrintablePathFor, with ".json"
// for Foundry.
QString OutputPathFor(const QString& sheet, CSheetOutput output);

// What PrintSheets tells as it goes. `line` gets one Italian line, without a
// line end, for each sheet that failed and for what the search of the rules
// has to tell; `progress` (when set) the sheets done so far, before each
// sheet, and may stop the run by returning false.
struct CPrintSheetsEvents {
  std::function<void(const QString& line)> line;
  std::function<bool(int done, int total, const QString& sheet)> progress;
  // Before the new printable sheets are synced to the disk, once, at the end.
  std::function<void()> syncing;
};

// The outcome of a run.
struct CPrintSheetsResult {
  int written = 0;        // printable sheets written
  int failed = 0;         // sheets that failed, each told by a line
  bool stopped = false;   // progress asked to stop before all were done
  bool unsynced = false;  // the new ones could not be synced to the disk (told by a line)
};

// Runs on the running QGuiApplication (on the offscreen platform): finds and
// loads the rules as the form does, then, for each sheet in order, reads it
// and writes beside it what `options.output` asks for: its printable sheet,
// which embeds it, or its actor for Foundry VTT. Below, "printable sheet"
// stands for either. A sheet named
// twice (by the same name, or through a link to its folder) is printed once.
// An existing printable sheet is replaced (atomically) only with
// `overwrite`, and never when it is the sheet itself. A sheet that fails is
// told by one line and the rest go on. However the run ends, the printable
// sheets it made are synced to the disk before it returns. Rules that cannot
// be had are one line too, and nothing is written. Returns false only then.
bool PrintSheets(const CPrintSheetsOptions& options, const CPrintSheetsEvents& events,
                 CPrintSheetsResult& result);

// The whole of `tarvo --pdf` and `tarvo --foundry`: PrintSheets with its lines on standard error,
// each after "tarvo: ", and on a terminal its progress and a last line that
// sums it up. Ctrl+C stops it between two sheets, says how many were
// written, and ends the program by the signal. Returns the exit status: 0
// when every sheet was printed (or exported), 1 otherwise.
int RunPrintSheets(const CPrintSheetsOptions& options);
