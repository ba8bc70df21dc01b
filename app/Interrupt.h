// Ctrl+C in the middle of a long piece of work: the work stops at a point of
// its own choosing, says how far it got, and only then ends.
#pragma once

// While alive, the first SIGINT, SIGTERM or SIGHUP only takes note, for the work to
// read between its steps; a second one ends the program at once, as usual.
// One at a time in a program.
class CInterruptWatch {
 public:
  CInterruptWatch();
  CInterruptWatch(const CInterruptWatch&) = delete;
  CInterruptWatch& operator=(const CInterruptWatch&) = delete;
  // Puts back what the signals did before.
  ~CInterruptWatch();

  // Whether a stop has been asked for.
  bool Requested() const;
  // Ends the program by the signal that asked for the stop, as if it had
  // not been caught: a shell then knows the program was interrupted (status
  // 130 for Ctrl+C) and stops a script that ran it.
  [[noreturn]] void EndBySignal() const;
};
