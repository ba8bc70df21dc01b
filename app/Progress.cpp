#include "app/Progress.h"

#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "app/Console.h"

namespace {

using Clock = std::chrono::steady_clock;

// A few times a second at most: the eye gets no more out of it, and the work
// loses nothing measurable to it.
constexpr auto kInterval = std::chrono::milliseconds(200);

}  // namespace

CProgressLine::CProgressLine(std::FILE* stream, bool wanted)
    : m_stream(stream), m_start(Clock::now()), m_last(m_start) {
  const int fd = ::fileno(stream);
  m_active = wanted && fd >= 0 && ::isatty(fd) == 1;
  if (!m_active) return;
  winsize size{};
  if (::ioctl(fd, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) m_width = size.ws_col;
}

CProgressLine::~CProgressLine() { Clear(); }

bool CProgressLine::Due() const { return m_active && Clock::now() - m_last >= kInterval; }

void CProgressLine::Show(const QString& text) {
  if (!m_active) return;
  // The last column stays free: a line that fills it would wrap on some
  // terminals, and the carriage return would no longer reach its start.
  const QString shown = text.left(std::max(m_width - 1, 1));
  QString out = QLatin1Char('\r') + shown;
  // Blanks over what the longer text before left.
  if (shown.size() < m_shown) out += QString(m_shown - shown.size(), QLatin1Char(' '));
  WriteText(m_stream, out);
  m_shown = shown.size();
  m_last = Clock::now();
}

void CProgressLine::Say(const QString& line) {
  Clear();
  WriteText(m_stream, line + QLatin1Char('\n'));
}

void CProgressLine::Clear() {
  if (!m_active || m_shown == 0) return;
  WriteText(m_stream, QLatin1Char('\r') + QString(m_shown, QLatin1Char(' ')) + QLatin1Char('\r'));
  m_shown = 0;
}

void CProgressLine::Finish(const QString& summary) {
  Clear();
  if (m_active) WriteText(m_stream, summary + QLatin1Char('\n'));
}

QString CProgressLine::Elapsed() const {
  return DurationText(std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now() - m_start));
}

QString DurationText(std::chrono::nanoseconds duration) {
  const long long tenths = std::max<long long>(duration.count(), 0) / 100'000'000;
  if (tenths < 600) return QStringLiteral("%1,%2 s").arg(tenths / 10).arg(tenths % 10);
  const long long seconds = tenths / 10;
  if (seconds < 3600) return QStringLiteral("%1 min %2 s").arg(seconds / 60).arg(seconds % 60);
  return QStringLiteral("%1 h %2 min").arg(seconds / 3600).arg(seconds / 60 % 60);
}

bool SameTerminal(int a, int b) {
  struct stat first {
  }, second{};
  return ::isatty(a) == 1 && ::isatty(b) == 1 && ::fstat(a, &first) == 0 &&
         ::fstat(b, &second) == 0 && first.st_rdev == second.st_rdev;
}
