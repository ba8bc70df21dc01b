#include "app/Console.h"

#include <QCommandLineParser>
#include <QStringList>
#include <cerrno>
#include <csignal>

#include "rules/AtomicFile.h"

namespace {

// Writes `bytes` to `stream` as they are, at once; false, with the errno
// value in `err`, when they did not get there.
bool WriteBytes(std::FILE* stream, std::string_view bytes, int& err) {
  errno = 0;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), stream) == bytes.size();
  const bool ok = std::fflush(stream) == 0 && written && std::ferror(stream) == 0;
  if (!ok) err = errno != 0 ? errno : EIO;
  return ok;
}

void SayOutputFailed(const QString& program, int err) {
  WriteText(stderr, QStringLiteral("%1: impossibile scrivere sullo standard output: %2\n")
                        .arg(program, QString::fromLocal8Bit(DescribeErrno(err))));
}

}  // namespace

bool WriteText(std::FILE* stream, const QString& text, int* err) {
  const QByteArray bytes = text.toLocal8Bit();
  int failed = 0;
  if (WriteBytes(stream, {bytes.constData(), static_cast<size_t>(bytes.size())}, failed))
    return true;
  if (err != nullptr) *err = failed;
  return false;
}

bool WriteOutput(const QString& program, const QString& text) {
  int err = 0;
  if (WriteText(stdout, text, &err)) return true;
  SayOutputFailed(program, err);
  return false;
}

bool WriteOutputBytes(const QString& program, std::string_view bytes) {
  int err = 0;
  if (WriteBytes(stdout, bytes, err)) return true;
  SayOutputFailed(program, err);
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
