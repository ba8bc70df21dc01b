// The program tarvo-genera.
#pragma once

#include <QString>

#include "genera/Batch.h"
#include "genera/CommandLine.h"

// Prints `text` and a line end on standard error, after "tarvo-genera: "
// unless `bare`.
void SayOnStandardError(const QString& text, bool bare = false);

// Runs a batch on the running QCoreApplication (a QGuiApplication on the
// offscreen platform when it draws PDFs): finds and loads the rules as the
// form does, resolves the options, writes the sheets (RunPlannedBatch).
// Returns the exit status: 0, or 1 or 2 after one line on standard error
// saying why.
int RunGenera(const CGeneraOptions& options);

// Writes the sheets of `plan` as RunGenera does. When standard error is a
// terminal (and neither `quiet` nor sheets on that same terminal ask
// otherwise), a line there tells how far the batch is, and a last one sums it
// up. Ctrl+C stops the batch between two characters: the program then says
// how many were written whole and ends by that signal. Returns the exit
// status.
int RunPlannedBatch(const CBatchPlan& plan, bool quiet);
