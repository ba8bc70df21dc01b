// What the programs write on a terminal, and how their command lines are told
// wrong.
#pragma once

#include <QString>
#include <cstdio>

class QCommandLineParser;

// Writes `text` to `stream` in the locale's encoding, at once; false when
// it did not get there (a full disk, a closed pipe).
bool WriteText(std::FILE* stream, const QString& text);

// "opzione sconosciuta: --pippo" (or "-x") for the first option `parser` did
// not know; empty when it knew them all.
QString UnknownOptionError(const QCommandLineParser& parser);
