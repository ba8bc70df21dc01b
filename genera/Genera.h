// The program tarvo-genera.
#pragma once

#include <QString>

#include "genera/CommandLine.h"

// Prints `text` and a line end on standard error, after "tarvo-genera: "
// unless `bare`.
void SayOnStandardError(const QString& text, bool bare = false);

// Runs a batch on the running QCoreApplication (a QGuiApplication on the
// offscreen platform when it draws PDFs): finds and loads the rules as the
// form does, resolves the options, writes the sheets. Returns the exit
// status: 0, or 1 or 2 after one line on standard error saying why.
int RunGenera(const CGeneraOptions& options);
