#include "app/Interrupt.h"

#include <signal.h>

#include <cstdlib>

namespace {

volatile sig_atomic_t g_signal = 0;  // the signal that asked for a stop, or 0

// Ctrl+C, a polite kill, and the terminal closed under the work.
constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
constexpr int kCount = sizeof kSignals / sizeof kSignals[0];
struct sigaction g_before[kCount];

void TakeNote(int signal) { g_signal = signal; }

}  // namespace

CInterruptWatch::CInterruptWatch() {
  g_signal = 0;
  struct sigaction action {};
  action.sa_handler = TakeNote;
  sigemptyset(&action.sa_mask);
  // A second signal finds the usual action back, and ends the program.
  action.sa_flags = SA_RESTART | SA_RESETHAND;
  for (int i = 0; i < kCount; ++i) sigaction(kSignals[i], &action, &g_before[i]);
}

CInterruptWatch::~CInterruptWatch() {
  for (int i = 0; i < kCount; ++i) sigaction(kSignals[i], &g_before[i], nullptr);
}

bool CInterruptWatch::Requested() const { return g_signal != 0; }

void CInterruptWatch::EndBySignal() const {
  const int signal = g_signal != 0 ? g_signal : SIGINT;
  struct sigaction usual {};
  usual.sa_handler = SIG_DFL;
  sigemptyset(&usual.sa_mask);
  sigaction(signal, &usual, nullptr);
  ::raise(signal);
  std::_Exit(128 + signal);
}
