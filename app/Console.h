// What the programs write on a terminal, and how their command lines are told
// wrong.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <cstdio>
#include <exception>
#include <string_view>

class QCommandLineParser;

// `text` in double quotes, as a message names a file or a name, shown as
// ShownName shows it: bytes that are no UTF-8 and control characters escaped.
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

// Called first thing in main, before anything opens a file: standard input,
// output or error that the program was started without (`>&-`) is given
// /dev/null, so that no file the program opens takes its place and gets
// what was meant for it. Writes to a standard output that was closed fail
// all the same (WriteText, WriteOutput, StandardOutputClosed).
void ClaimStandardStreams();
// Whether the program was started with standard output closed.
bool StandardOutputClosed();

// From then on, whatever would end `program` on an uncaught exception (memory
// that runs out, above all) ends it with one Italian line on standard error,
// "program: memoria esaurita: il programma si ferma", and status 1: never an
// abort with the runtime's English words.
void InstallLastWords(const char* program);
// Says that line, for a program that caught the exception itself, and
// returns the exit status 1.
int SayLastWords(const char* program, const std::exception_ptr& why);

// The whole of main for `program`: ClaimStandardStreams, InstallLastWords,
// then `body`, whose exit status it returns; an exception out of `body`
// unwinds it (every temporary file goes) and is said by SayLastWords.
int RunMain(const char* program, int argc, char* argv[], int (*body)(int, char*[]));

// While alive, Qt finds nowhere to make a runtime folder of its own when
// XDG_RUNTIME_DIR names none (it would make /tmp/runtime-USER, which nobody
// asked for): a program without a window builds its QGuiApplication, which
// looks for one, in its time. One at a time.
class CNoRuntimeFolder {
 public:
  CNoRuntimeFolder();
  CNoRuntimeFolder(const CNoRuntimeFolder&) = delete;
  CNoRuntimeFolder& operator=(const CNoRuntimeFolder&) = delete;
  // Puts TMPDIR back as it was.
  ~CNoRuntimeFolder();

 private:
  bool m_hadTemp = false;
  QByteArray m_temp;
};

// "opzione sconosciuta: --pippo" (or "-x") for the first option `parser` did
// not know; empty when it knew them all. When one of `arguments` that begins
// with "-" is the name of a file, it says how to name that file instead.
QString UnknownOptionError(const QCommandLineParser& parser, const QStringList& arguments = {});

// Qt's message handler for a program run from a script: Qt's own notes and
// warnings (an unset XDG_RUNTIME_DIR, say) stay off standard error, which
// carries the program's Italian lines. Critical and fatal messages still go
// out.
void QuietQt(QtMsgType type, const QMessageLogContext& context, const QString& text);
