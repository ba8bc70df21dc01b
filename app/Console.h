// What the programs write on a terminal, and how their command lines are told
// wrong.
#pragma once

#include <QString>
#include <cstdio>
#include <string_view>

class QCommandLineParser;

// `text` in double quotes, as a message names a file or a name.
QString Quoted(const QString& text);

// Writes `text` to `stream` in the locale's encoding, at once; false when
// it did not get there (a full disk, a closed pipe), with the errno value in
// `err` when it is given.
bool WriteText(std::FILE* stream, const QString& text, int* err = nullptr);

// Writes `text` to standard output. When it does not get there, says so on
// standard error, "program: impossibile scrivere sullo standard output: ...",
// and returns false.
bool WriteOutput(const QString& program, const QString& text);
// The same for `bytes` written as they are.
bool WriteOutputBytes(const QString& program, std::string_view bytes);

// A write to a pipe whose reader has gone fails as any other write does,
// with a message and status 1, instead of ending the program without a word.
void IgnoreClosedPipes();

// "opzione sconosciuta: --pippo" (or "-x") for the first option `parser` did
// not know; empty when it knew them all.
QString UnknownOptionError(const QCommandLineParser& parser);
