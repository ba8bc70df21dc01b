// tarvo --pdf, tarvo --foundry and tarvo --gruppo: the printable sheet, or
// the actor for Foundry VTT, of saved .pg sheets, or the one group sheet of
// them all, made without a display, for a game master with a folder of sheets
// to bring to the table.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>

// What a run writes: a file beside each sheet, or one of them all.
enum class CSheetOutput {
  Pdf,      // --pdf: the printable sheet, which embeds the sheet
  Foundry,  // --foundry: the actor for Foundry VTT (FoundryActorJson)
  Group,    // --gruppo: the group sheet (CGroupSheet), which embeds every sheet
};

struct CPrintSheetsOptions {
  QString rulesFile;   // --regole; empty: the usual search
  QStringList sheets;  // the .pg sheets, as named
  bool overwrite = false;
  CSheetOutput output = CSheetOutput::Pdf;
  QString groupFile;  // for Group: the group sheet to write, as named
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
  // For the group sheet: before it is drawn (`drawn` false) with the
  // characters it has, and before it is written (`drawn` true). False stops
  // the run there, and nothing is written.
  std::function<bool(bool drawn, int characters)> group;
};

// The outcome of a run.
struct CPrintSheetsResult {
  int written = 0;            // printable sheets written; for Group, the sheets it holds
  int failed = 0;             // sheets that failed, each told by a line
  bool stopped = false;       // progress asked to stop before all were done
  bool unsynced = false;      // the new ones could not be synced to the disk (told by a line)
  bool groupWritten = false;  // for Group: the group sheet is written (and synced)
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
//
// For Group, the sheets read go, in order, into one group sheet written at
// the end as `options.groupFile`: a sheet named twice goes in once, a sheet
// that fails is told and left out. Before anything else, the group sheet is
// refused (one line, false, nothing done) when it exists and `overwrite` is
// not asked for, when its folder cannot be written, or when it is one of the
// sheets. It is created exclusively, or replaced atomically, a link in its
// place replaced and never written through; either way it is synced. A run
// stopped, or in which no sheet could be read, writes none.
bool PrintSheets(const CPrintSheetsOptions& options, const CPrintSheetsEvents& events,
                 CPrintSheetsResult& result);

// The whole of `tarvo --pdf`, `tarvo --foundry` and `tarvo --gruppo`:
// PrintSheets with its lines on standard error, each after "tarvo: ", and on
// a terminal its progress and a last line that sums it up. Ctrl+C stops it
// between two sheets, says how many were written (for the group sheet: that
// it is not written), and ends the program by the signal. Returns the exit
// status: 0 when every sheet was printed (or exported, or is in the group
// sheet written), 1 otherwise.
int RunPrintSheets(const CPrintSheetsOptions& options);
