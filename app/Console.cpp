#include "app/Console.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCommandLineParser>
#include <QStringList>
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <new>

#include "app/FileNames.h"
#include "base/AtomicFile.h"

namespace {

bool g_stdoutClosed = false;        // standard output was closed at the start
const char* g_lastWords = "tarvo";  // the program InstallLastWords names
QtMessageHandler g_beforeNoRuntimeFolder = nullptr;

[[noreturn]] void EndWithLastWords() {
  SayLastWords(g_lastWords, std::current_exception());
  std::_Exit(1);
}

// Qt's words about the runtime folder it could not make are no news.
void WithoutRuntimeFolderNotes(QtMsgType type, const QMessageLogContext& context,
                               const QString& text) {
  if (text.startsWith(QStringLiteral("QStandardPaths:"))) return;
  if (g_beforeNoRuntimeFolder != nullptr) g_beforeNoRuntimeFolder(type, context, text);
}

// Writes `bytes` to `stream` as they are, at once; false, with the errno
// value in `err`, when they did not get there.
bool WriteBytes(std::FILE* stream, std::string_view bytes, int& err) {
  if (stream == stdout && g_stdoutClosed) {
    err = EBADF;
    return false;
  }
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

void ClaimStandardStreams() {
  for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
    if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    // The lowest free descriptor: this one, as the lower ones are open.
    const int null = ::open("/dev/null", fd == STDIN_FILENO ? O_RDONLY : O_WRONLY);
    if (null >= 0 && null != fd) {
      ::dup2(null, fd);
      ::close(null);
    }
    if (fd == STDOUT_FILENO) g_stdoutClosed = true;
  }
}

bool StandardOutputClosed() { return g_stdoutClosed; }

void InstallLastWords(const char* program) {
  g_lastWords = program;
  std::set_terminate(EndWithLastWords);
}

int RunMain(const char* program, int argc, char* argv[], int (*body)(int, char*[])) {
  ClaimStandardStreams();
  InstallLastWords(program);
  try {
    return body(argc, argv);
  } catch (...) {
    // Unwound: no temporary file of the work is left.
    return SayLastWords(program, std::current_exception());
  }
}

int SayLastWords(const char* program, const std::exception_ptr& why) {
  const char* what = "errore interno imprevisto";
  if (why) {
    try {
      std::rethrow_exception(why);
    } catch (const std::bad_alloc&) {
      what = "memoria esaurita";
    } catch (...) {
      // Any other: an internal fault, said as such.
    }
  }
  // Made without allocating: there may be no memory left.
  char line[200];
  const int size =
      std::snprintf(line, sizeof line, "%s: %s: il programma si ferma\n", program, what);
  if (size > 0 && ::write(STDERR_FILENO, line, std::min<size_t>(size, sizeof line - 1)) < 0) {
    // Nowhere left to say it.
  }
  return 1;
}

CNoRuntimeFolder::CNoRuntimeFolder() {
  // When XDG_RUNTIME_DIR names no folder of this user's, Qt's fallback is a
  // folder in the temporary folder; under /dev/null none can be made, and Qt
  // goes on without one.
  m_hadTemp = qEnvironmentVariableIsSet("TMPDIR");
  m_temp = qgetenv("TMPDIR");
  qputenv("TMPDIR", "/dev/null");
  g_beforeNoRuntimeFolder = qInstallMessageHandler(WithoutRuntimeFolderNotes);
}

CNoRuntimeFolder::~CNoRuntimeFolder() {
  qInstallMessageHandler(g_beforeNoRuntimeFolder);
  if (m_hadTemp) {
    qputenv("TMPDIR", m_temp);
  } else {
    qunsetenv("TMPDIR");
  }
}

QString UnknownOptionError(const QCommandLineParser& parser, const QStringList& arguments) {
  const QStringList unknown = parser.unknownOptionNames();
  if (unknown.isEmpty()) return {};
  const QString& name = unknown.front();
  QString error = QStringLiteral("opzione sconosciuta: %1%2")
                      .arg(name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--"), name);
  // A file whose name begins with "-" reads as options.
  for (const QString& argument : arguments.mid(1)) {
    if (argument == QStringLiteral("--")) break;
    struct stat info {};
    if (argument.size() < 2 || !argument.startsWith(QLatin1Char('-')) ||
        ::stat(FileNameBytes(argument).c_str(), &info) != 0)
      continue;
    const QString shown = ShownName(argument);
    error += QStringLiteral(" (%1 è un file: per nominarlo scrivi -- %2 oppure ./%2)")
                 .arg(Quoted(argument), shown);
    break;
  }
  return error;
}

QString Quoted(const QString& text) {
  return QLatin1Char('"') + ShownName(text) + QLatin1Char('"');
}

void QuietQt(QtMsgType type, const QMessageLogContext&, const QString& text) {
  if (type == QtCriticalMsg || type == QtFatalMsg) WriteText(stderr, text + QLatin1Char('\n'));
}
