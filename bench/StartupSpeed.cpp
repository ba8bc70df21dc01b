// The program's start against its floor: whole processes on the offscreen
// platform, started in pairs, each run until its form has been painted once.
// The program opens on the bundled rules and on a capacity-full file; the
// floor is the same form built from the template with no rules
// (tarvo_form_floor). Reports the median time and the peak memory of each,
// and the floor with the lists' collator loaded against the plain floor: the
// share of the start that Qt's collator alone takes.
//   tarvo_startup_speed [pairs]
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/BenchRules.h"
#include "bench/Process.h"
#include "bench/Timing.h"

namespace {

namespace fs = std::filesystem;

void Compare(const char* what, const std::vector<std::string>& program, int pairs) {
  std::vector<double> tarvoMs, floorMs, tarvoMiB, floorMiB;
  for (int i = 0; i < pairs; ++i) {
    const bench::Run run = bench::RunProgram(program, true);
    const bench::Run floor = bench::RunProgram({TARVO_FLOOR}, true);
    tarvoMs.push_back(run.ms);
    floorMs.push_back(floor.ms);
    tarvoMiB.push_back(run.peakMiB);
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

  Compare("bundled Velmor rules", {TARVO_PROGRAM, TARVO_BUNDLED_RULES}, pairs);
  Compare("capacity-full rules", {TARVO_PROGRAM, full.string()}, pairs);
  Compare("floor with the collator", {TARVO_FLOOR, "--collatore"}, pairs);
  fs::remove_all(home);
  return 0;
}
