// The progress line and Ctrl+C, on a terminal of the test's own.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>

#include "app/Interrupt.h"
#include "app/Progress.h"

namespace {

using std::chrono::milliseconds;

// A pseudo-terminal `columns` wide: the line writes to its stream, the test
// reads what the terminal got.
class CTerminal {
 public:
  explicit CTerminal(unsigned short columns) {
    winsize size{};
    size.ws_row = 24;
    size.ws_col = columns;
    EXPECT_EQ(openpty(&m_master, &m_slave, nullptr, nullptr, &size), 0);
    fcntl(m_master, F_SETFL, O_NONBLOCK);
    m_stream = fdopen(dup(m_slave), "w");
  }
  CTerminal(const CTerminal&) = delete;
  CTerminal& operator=(const CTerminal&) = delete;
  ~CTerminal() {
    std::fclose(m_stream);
    close(m_slave);
    close(m_master);
  }

  std::FILE* Stream() const { return m_stream; }
  int Slave() const { return m_slave; }
  // What the terminal got since the last call (a line end arrives as CR LF):
  // all it gets until it has got nothing for a tenth of a second.
  std::string Read() {
    std::string got;
    char buffer[1024];
    pollfd wait{m_master, POLLIN, 0};
    while (poll(&wait, 1, 100) > 0) {
      const ssize_t n = read(m_master, buffer, sizeof buffer);
      if (n <= 0) break;
      got.append(buffer, static_cast<size_t>(n));
    }
    return got;
  }

 private:
  int m_master = -1, m_slave = -1;
  std::FILE* m_stream = nullptr;
};

std::string Blanks(size_t n) { return std::string(n, ' '); }

}  // namespace

TEST(ProgressLine, OnATerminalOneLineIsRewrittenInPlace) {
  CTerminal terminal(20);
  {
    CProgressLine line(terminal.Stream(), true);
    ASSERT_TRUE(line.Active());
    // Not at once: a short piece of work says nothing until it sums up.
    EXPECT_FALSE(line.Due());
    std::this_thread::sleep_for(milliseconds(210));
    EXPECT_TRUE(line.Due());

    line.Show("Personaggio 7 di 9");
    EXPECT_FALSE(line.Due());
    EXPECT_EQ(terminal.Read(), "\rPersonaggio 7 di 9");
    // A shorter text covers what the longer one left.
    line.Show("Quasi");
    EXPECT_EQ(terminal.Read(), "\rQuasi" + Blanks(13));
    // Cut to 19 columns: the 20th would wrap on some terminals.
    line.Show("Personaggio 10000 di 10000 (una-cartella/)");
    EXPECT_EQ(terminal.Read(), "\rPersonaggio 10000 d");

    // A warning gets a line of its own; the progress comes back after it.
    line.Say("tarvo-genera: avviso");
    EXPECT_EQ(terminal.Read(), "\r" + Blanks(19) + "\rtarvo-genera: avviso\r\n");
    line.Show("Personaggio 8 di 9");
    EXPECT_EQ(terminal.Read(), "\rPersonaggio 8 di 9");

    line.Finish("Scritte 9 schede");
    EXPECT_EQ(terminal.Read(), "\r" + Blanks(18) + "\rScritte 9 schede\r\n");
  }
  EXPECT_EQ(terminal.Read(), "");  // nothing left to clear
}

TEST(ProgressLine, DurationsReadInItalian) {
  using std::chrono::nanoseconds;
  const auto seconds = [](double s) { return nanoseconds(static_cast<long long>(s * 1e9)); };
  EXPECT_EQ(DurationText(seconds(0.04)), "0,0 s");
  EXPECT_EQ(DurationText(seconds(0.46)), "0,4 s");
  EXPECT_EQ(DurationText(seconds(15.2)), "15,2 s");
  EXPECT_EQ(DurationText(seconds(59.99)), "59,9 s");
  EXPECT_EQ(DurationText(seconds(60)), "1 min 0 s");
  EXPECT_EQ(DurationText(seconds(125.7)), "2 min 5 s");
  EXPECT_EQ(DurationText(seconds(3600 + 3 * 60 + 59)), "1 h 3 min");
  EXPECT_EQ(DurationText(seconds(-1)), "0,0 s");
}

// The first Ctrl+C only asks; the work ends by the signal afterwards, so
// that a shell knows it was interrupted; a second one ends it at once.
TEST(InterruptWatch, TheFirstSignalAsksTheSecondEnds) {
  const auto inChild = [](auto body) {
    const pid_t pid = fork();
    if (pid == 0) {
      body();
      _exit(0);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return status;
  };
  int status = inChild([] {
    CInterruptWatch watch;
    if (watch.Requested()) _exit(3);
    raise(SIGINT);
    if (!watch.Requested()) _exit(4);
    watch.EndBySignal();
  });
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGINT) << status;

  status = inChild([] {
    CInterruptWatch watch;
    raise(SIGTERM);
    raise(SIGTERM);
    _exit(5);
  });
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << status;
}
