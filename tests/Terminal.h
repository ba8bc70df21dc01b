// Running a program on a terminal of its own, as a person at a shell runs
// it: what it shows only there (a progress line, say) is then what the test
// sees, and keys can be typed to it while it runs.
#pragma once

#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

// A run on a terminal: everything the terminal got, standard output and
// error mixed as a person sees them, and how the program ended.
struct TerminalOutcome {
  std::string screen;
  int status = -1;  // the exit status, or -1 when a signal ended it
  int signal = 0;   // the signal that ended it, or 0
  double seconds = 0;
};

// Runs `argv` (the program first) with exactly the environment `env`
// ("NAME=value" each) in `folder`, on a terminal of 24 rows and `columns`
// columns. `whileRunning` (when set) is called with the terminal's side and
// all it has shown, each time it shows more, until it returns false. A
// program silent for two minutes is a failure and is killed.
inline TerminalOutcome RunOnTerminal(
    std::vector<std::string> argv, std::vector<std::string> env,
    const std::filesystem::path& folder, unsigned short columns = 80,
    const std::function<bool(int, const std::string&)>& whileRunning = nullptr) {
  const auto pointers = [](std::vector<std::string>& texts) {
    std::vector<char*> list;
    for (std::string& text : texts) list.push_back(text.data());
    list.push_back(nullptr);
    return list;
  };
  std::vector<char*> argp = pointers(argv), envp = pointers(env);

  TerminalOutcome run;
  const auto start = std::chrono::steady_clock::now();
  winsize size{};
  size.ws_row = 24;
  size.ws_col = columns;
  int terminal = -1;
  const pid_t pid = forkpty(&terminal, nullptr, nullptr, &size);
  if (pid == 0) {
    if (chdir(folder.c_str()) == 0) execve(argp[0], argp.data(), envp.data());
    _exit(127);
  }
  if (pid < 0) {
    ADD_FAILURE() << "no terminal: forkpty failed";
    return run;
  }
  bool watching = static_cast<bool>(whileRunning);
  char buffer[4096];
  for (;;) {
    pollfd wait{terminal, POLLIN, 0};
    if (poll(&wait, 1, 120000) <= 0) {
      ADD_FAILURE() << argv.front() << " said nothing for two minutes";
      kill(pid, SIGKILL);
      break;
    }
    const ssize_t n = read(terminal, buffer, sizeof buffer);
    if (n <= 0) break;  // the program and its terminal have gone
    run.screen.append(buffer, static_cast<size_t>(n));
    if (watching) watching = whileRunning(terminal, run.screen);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  close(terminal);
  run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (WIFEXITED(status)) run.status = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) run.signal = WTERMSIG(status);
  return run;
}

// The pieces of `screen` between carriage returns and line ends: each text
// the terminal showed in turn on its current line.
inline std::vector<std::string> ShownTexts(const std::string& screen) {
  std::vector<std::string> texts;
  std::string text;
  for (const char ch : screen) {
    if (ch == '\r' || ch == '\n') {
      if (!text.empty()) texts.push_back(text);
      text.clear();
    } else {
      text += ch;
    }
  }
  if (!text.empty()) texts.push_back(text);
  return texts;
}
