#include "app/Console.h"

#include <QCommandLineParser>
#include <QStringList>
#include <cerrno>
#include <csignal>

#include "rules/AtomicFile.h"

bool WriteText(std::FILE* stream, const QString& text, int* err) {
  errno = 0;
  const bool written = std::fputs(text.toLocal8Bit().constData(), stream) >= 0;
  const bool ok = std::fflush(stream) == 0 && written && std::ferror(stream) == 0;
  if (!ok && err != nullptr) *err = errno != 0 ? errno : EIO;
  return ok;
}

namespace {

void SayOutputFailed(const QString& program, int err) {
  WriteText(stderr, QStringLiteral("%1: impossibile scrivere sullo standard output: %2\n")
                        .arg(program, QString::fromLocal8Bit(DescribeErrno(err))));
}

}  // namespace

bool WriteOutput(const QString& program, const QString& text) {
  int err = 0;
  if (WriteText(stdout, text, &err)) return true;
  SayOutputFailed(program, err);
  return false;
}

bool WriteOutputBytes(const QString& program, std::string_view bytes) {
  errno = 0;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size();
  if (std::fflush(stdout) == 0 && written && std::ferror(stdout) == 0) return true;
  SayOutputFailed(program, errno != 0 ? errno : EIO);
  return false;
}

void IgnoreClosedPipes() { std::signal(SIGPIPE, SIG_IGN); }

QString UnknownOptionError(const QCommandLineParser& parser) {
  const QStringList unknown = parser.unknownOptionNames();
  if (unknown.isEmpty()) return {};
  const QString& name = unknown.front();
  return QStringLiteral("opzione sconosciuta: %1%2")
      .arg(name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--"), name);
}

QString Quoted(const QString& text) { return QLatin1Char('"') + text + QLatin1Char('"'); }
