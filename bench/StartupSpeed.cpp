// The program's start against its floor: whole processes on the offscreen
// platform, started in pairs, each run until its form has been painted once.
// The program opens on the bundled rules and on a capacity-full file; the
// floor is the same form built from the template with no rules
// (tarvo_form_floor). Reports the median time and the peak memory of each.
//   tarvo_startup_speed [pairs]
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/BenchRules.h"
#include "bench/Timing.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

struct Run {
  double ms = 0;
  double peakMiB = 0;
};

// Runs `program` with `arguments` to its end, its output discarded.
Run Start(const std::string& program, const std::vector<std::string>& arguments) {
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  const auto start = std::chrono::steady_clock::now();
  pid_t pid = 0;
  if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ) != 0) {
    std::perror(program.c_str());
    std::exit(1);
  }
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  const auto end = std::chrono::steady_clock::now();
  posix_spawn_file_actions_destroy(&actions);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "%s ended with status %d\n", program.c_str(), status);
    std::exit(1);
  }
  return {std::chrono::duration<double, std::milli>(end - start).count(),
          static_cast<double>(usage.ru_maxrss) / 1024.0};
}

void Compare(const char* what, const std::string& rules, int pairs) {
  std::vector<double> tarvoMs, floorMs, tarvoMiB, floorMiB;
  for (int i = 0; i < pairs; ++i) {
    const Run program = Start(TARVO_PROGRAM, {rules});
    const Run floor = Start(TARVO_FLOOR, {});
    tarvoMs.push_back(program.ms);
    floorMs.push_back(floor.ms);
    tarvoMiB.push_back(program.peakMiB);
    floorMiB.push_back(floor.peakMiB);
  }
  const double time = bench::Median(tarvoMs) / bench::Median(floorMs);
  const double memory = bench::Median(tarvoMiB) / bench::Median(floorMiB);
  std::printf("%-26s start %7.1f ms, floor %7.1f ms: ratio %.3f (goal <= 1.05) %s\n", what,
              bench::Median(tarvoMs), bench::Median(floorMs), time, time <= 1.05 ? "ok" : "OVER");
  std::printf("%-26s peak  %7.1f MiB, floor %6.1f MiB: ratio %.3f (goal <= 1.05) %s\n", "",
              bench::Median(tarvoMiB), bench::Median(floorMiB), memory,
              memory <= 1.05 ? "ok" : "OVER");
}

}  // namespace

int main(int argc, char** argv) {
  const int pairs = argc > 1 ? std::atoi(argv[1]) : 31;
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  setenv("TARVO_PROVA_AVVIO", "1", 1);
  // A home of its own, so that no player's copy is read or made.
  const fs::path home = fs::temp_directory_path() / bench::Numbered("tarvo-startup-", getpid());
  fs::create_directories(home);
  setenv("HOME", home.c_str(), 1);
  setenv("XDG_DATA_HOME", (home / "data").c_str(), 1);
  const fs::path full = home / "full.rul";
  std::ofstream(full, std::ios::binary) << bench::FullRules();

  Compare("bundled Velmor rules", TARVO_BUNDLED_RULES, pairs);
  Compare("capacity-full rules", full.string(), pairs);
  fs::remove_all(home);
  return 0;
}
