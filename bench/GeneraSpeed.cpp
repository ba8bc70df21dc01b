// How a batch of tarvo-genera compares with the least any program writing as
// many files for good must do: 10,000 characters with three archetypes and six
// purchases each, on the capacity-full rules, written into an empty folder,
// against 10,000 files of the same size written with open, write and close,
// then synced to the disk once, as the batch syncs them.
// Timed in rounds, in the same folder, emptied and synced (untimed) before
// each run; the batch in this process, and the whole program started as a
// process. Both tell how far they are when standard error is a terminal, as
// the program does for a game master: run through `script -qec` to time that.
//   tarvo_genera_speed [rounds] [folder]
// The folder (default: the system's temporary folder) decides the file
// system measured.
#include <fcntl.h>
#include <sys/statfs.h>
#include <unistd.h>

#include <QString>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/BenchRules.h"
#include "bench/Process.h"
#include "bench/Timing.h"
#include "genera/Batch.h"
#include "genera/Genera.h"
#include "print/Win1252.h"

namespace {

namespace fs = std::filesystem;

constexpr int CHARACTERS = 10000;

double Now() {
  return std::chrono::duration<double, std::nano>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

void Empty(const fs::path& folder) {
  fs::remove_all(folder);
  fs::create_directory(folder);
}

// The floor: the files `names` in `folder`, in that order, each created
// exclusively and written with one write call of `bytes`, then one sync.
void WriteFloor(const fs::path& folder, const std::vector<std::string>& names,
                const std::string& bytes) {
  const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  for (const std::string& name : names) {
    const int fd = ::openat(dir, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 || ::write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())) {
      std::perror(name.c_str());
      std::exit(1);
    }
    ::close(fd);
  }
  ::syncfs(dir);
  ::close(dir);
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::atoi(argv[1]) : 9;
  const fs::path root = fs::path(argc > 2 ? argv[2] : fs::temp_directory_path().string()) /
                        bench::Numbered("tarvo-genera-speed-", getpid());
  fs::create_directories(root);
  const fs::path rulesPath = root / "full.rul";
  const fs::path folder = root / "schede";
  std::ofstream(rulesPath, std::ios::binary) << bench::FullRules();

  CRules rules(rulesPath.c_str());
  if (!rules.IsLoaded() || rules.ArchetypesInUse() != MAX_ARCHETYPES) {
    std::fprintf(stderr, "the full rules do not load\n");
    return 1;
  }
  // Three archetypes; a shield, a light weapon and an armour held, and three
  // pockets: every hand and worn purchase recomputes the effects.
  auto item = [&rules](int i) { return FromWindows1252(rules.m_aItems[i].GetName()); };
  CGeneraOptions options;
  for (int a : {3, 11, 19}) options.archetypes << FromWindows1252(rules.m_aArchetypes[a].GetName());
  options.right = item(2);
  options.left = item(1);
  options.worn = item(6);
  options.pockets = {item(3), item(4), item(5)};
  options.count = CHARACTERS;
  options.folder = QString::fromStdString(folder.string());
  options.seed = 12345;

  CBatchPlan plan;
  CGeneraFailure failure;
  const SayFunction say = [](const QString& text) {
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
  };
  if (!PlanBatch(options, rules, rulesPath.string(), plan, failure)) {
    std::fprintf(stderr, "%s\n", failure.message.toLocal8Bit().constData());
    return 1;
  }

  // The floor writes files of the batch's average size under the same names.
  Empty(folder);
  if (!RunBatch(plan, say, say, failure)) {
    std::fprintf(stderr, "%s\n", failure.message.toLocal8Bit().constData());
    return 1;
  }
  std::uintmax_t total = 0;
  std::vector<std::string> names;
  for (int n = 1; n <= CHARACTERS; ++n) {
    names.push_back(FileBaseName(plan, n) + ".pg");
    std::error_code ec;
    total += fs::file_size(folder / names.back(), ec);
    if (ec) {
      std::fprintf(stderr, "the batch did not write %s\n", names.back().c_str());
      return 1;
    }
  }
  const std::string bytes(total / CHARACTERS, 'x');
  struct statfs fsInfo {};
  statfs(folder.c_str(), &fsInfo);
  std::printf("%d characters, sheets of %zu bytes on average, in %s (file system 0x%lx)\n",
              CHARACTERS, bytes.size(), folder.c_str(), static_cast<unsigned long>(fsInfo.f_type));

  std::vector<std::string> arguments = {TARVO_GENERA_PROGRAM,
                                        "--regole",
                                        rulesPath.string(),
                                        "--cartella",
                                        folder.string(),
                                        "--numero",
                                        std::to_string(CHARACTERS),
                                        "--seme",
                                        "12345",
                                        "--destra",
                                        options.right->toLocal8Bit().toStdString(),
                                        "--sinistra",
                                        options.left->toLocal8Bit().toStdString(),
                                        "--addosso",
                                        options.worn->toLocal8Bit().toStdString()};
  for (const QString& name : options.archetypes) {
    arguments.push_back("--archetipo");
    arguments.push_back(name.toLocal8Bit().toStdString());
  }
  for (const QString& name : options.pockets) {
    arguments.push_back("--tasca");
    arguments.push_back(name.toLocal8Bit().toStdString());
  }

  // Each round times the three in turn, each first as often as the others,
  // each from an empty folder with nothing left for the system to write back.
  std::vector<double> batch, program, floor;
  for (int i = 0; i < rounds; ++i) {
    for (int k = 0; k < 3; ++k) {
      Empty(folder);
      ::sync();
      const double start = Now();
      switch ((i + k) % 3) {
        case 0:
          if (RunPlannedBatch(plan, false) != 0) return 1;
          batch.push_back(Now() - start);
          break;
        case 1:
          WriteFloor(folder, names, bytes);
          floor.push_back(Now() - start);
          break;
        default:
          bench::RunProgram(arguments, false);
          program.push_back(Now() - start);
          break;
      }
    }
  }
  fs::remove_all(root);

  const double floorNs = bench::Median(floor);
  const bench::Pair inProcess{bench::Median(batch), floorNs};
  const bench::Pair whole{bench::Median(program), floorNs};
  std::printf(
      "batch in process: %.0f characters/s; program: %.0f characters/s; "
      "plain writes: %.0f files/s\n",
      CHARACTERS / (inProcess.subject / 1e9), CHARACTERS / (whole.subject / 1e9),
      CHARACTERS / (floorNs / 1e9));
  bench::Report("10,000 characters, batch in process", inProcess, "10,000 plain file writes", 1.5);
  bench::Report("10,000 characters, tarvo-genera", whole, "10,000 plain file writes", 1.5);
  std::printf("standard error %s a terminal: the batches %s how far they were\n",
              isatty(STDERR_FILENO) ? "is" : "is not",
              isatty(STDERR_FILENO) ? "told" : "did not tell");
  return 0;
}
