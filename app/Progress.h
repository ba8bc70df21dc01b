// How far a long piece of work is, told on a terminal: one line rewritten in
// place a few times a second, and a last line that sums it up. Nothing of it
// reaches a file, a pipe or a log; lines of their own (warnings, errors) go
// out as they would without it.
#pragma once

#include <QString>
#include <chrono>
#include <cstdio>

class CProgressLine {
 public:
  // Shows the line on `stream` only when `wanted` and `stream` is a terminal.
  CProgressLine(std::FILE* stream, bool wanted);
  CProgressLine(const CProgressLine&) = delete;
  CProgressLine& operator=(const CProgressLine&) = delete;
  // Clears the line, if it is shown.
  ~CProgressLine();

  // Whether the line is shown at all.
  bool Active() const { return m_active; }
  // Whether Show would show a new text now: the line is active and the last
  // text went out at least a fifth of a second ago. Cheap, so that the text
  // is made only when it is due.
  bool Due() const;
  // Puts `text` in place of the line's last text, cut to the terminal's
  // width.
  void Show(const QString& text);
  // Writes `line` and a line end on a line of its own, whether or not the
  // progress line is active; an active one is cleared first and comes back
  // with the next Show.
  void Say(const QString& line);
  // Takes the line off the terminal.
  void Clear();
  // Clears the line and, when it is active, writes `summary` as the last line.
  void Finish(const QString& summary);

  // The time since the line was made, in Italian: "0,4 s", "2 min 5 s".
  QString Elapsed() const;

 private:
  std::FILE* m_stream;
  bool m_active = false;
  int m_width = 80;       // the terminal's columns
  qsizetype m_shown = 0;  // the characters of the text on the terminal now
  std::chrono::steady_clock::time_point m_start;
  std::chrono::steady_clock::time_point m_last;  // when the last text went out
};

// A time in Italian, with a decimal comma under a minute: "0,4 s", "15,2 s",
// "2 min 5 s", "1 h 3 min".
QString DurationText(std::chrono::nanoseconds duration);

// Whether the descriptors `a` and `b` are the same terminal (standard output
// and standard error, say): then a progress line would cut into the output.
bool SameTerminal(int a, int b);
