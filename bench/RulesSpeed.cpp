// How loading the rules compares with the least any reader must do: the
// file's bytes split into lines with memchr; and how checking the rules for
// their author (tarvo --verifica) compares with loading them.
//   tarvo_rules_speed [samples]
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "bench/BenchRules.h"
#include "bench/Timing.h"
#include "rules/Rules.h"
#include "rules/RulesCheck.h"

namespace {

// The floor: every line of `text` as a view, found with memchr.
size_t SplitLines(std::string_view text, std::vector<std::string_view>& lines) {
  lines.clear();
  const char* at = text.data();
  const char* end = at + text.size();
  while (at < end) {
    const auto* newline = static_cast<const char*>(std::memchr(at, '\n', end - at));
    const char* stop = newline ? newline : end;
    lines.emplace_back(at, stop - at);
    at = stop + 1;
  }
  return lines.size();
}

// The floor from disk: the file's bytes with open, read and close, then split.
size_t ReadAndSplit(const char* path, std::string& bytes, std::vector<std::string_view>& lines) {
  const int fd = ::open(path, O_RDONLY);
  bytes.resize(1 << 16);
  size_t size = 0;
  for (ssize_t got; (got = ::read(fd, bytes.data() + size, bytes.size() - size)) > 0;) {
    size += static_cast<size_t>(got);
    if (size == bytes.size()) bytes.resize(size * 2);
  }
  ::close(fd);
  return SplitLines(std::string_view(bytes.data(), size), lines);
}

}  // namespace

int main(int argc, char** argv) {
  const int samples = argc > 1 ? std::atoi(argv[1]) : 301;
  const std::string text = bench::FullRules();
  const std::filesystem::path path = std::filesystem::temp_directory_path() /
                                     bench::Numbered("tarvo-speed-", getpid()).append(".rul");
  std::ofstream(path, std::ios::binary) << text;

  std::vector<std::string_view> lines;
  lines.reserve(4096);
  std::string bytes;
  CRules rules(nullptr);
  if (!rules.LoadText(text, "full.rul") || rules.m_nItems != MAX_ITEMS) {
    std::fprintf(stderr, "the full rules do not load\n");
    return 1;
  }
  std::printf("full rules: %zu bytes, %zu lines\n", text.size(), SplitLines(text, lines));

  const bench::Pair memory = bench::TimePair([&] { rules.LoadText(text, "full.rul"); },
                                             [&] { SplitLines(text, lines); }, 20, samples);
  bench::Report("load the full rules from memory", memory, "memchr line split", 2.0);

  const std::string name = path.string();
  const bench::Pair disk =
      bench::TimePair([&] { rules.Load(name.c_str()); },
                      [&] { ReadAndSplit(name.c_str(), bytes, lines); }, 20, samples);
  bench::Report("load the full rules from disk", disk, "read(2) + memchr line split", 1.5);

  // The full file shows more characteristics and skills than the form: the
  // check has two warnings to write.
  std::printf("check of the full rules: %s\n", SummarizeFindings(CheckRules(text)).c_str());
  const bench::Pair check = bench::TimePair([&] { CheckRules(text); },
                                            [&] { rules.LoadText(text, "full.rul"); }, 20, samples);
  bench::Report("check the full rules from memory", check, "load them from memory", 2.0);
  const bench::Pair checkDisk = bench::TimePair([&] { CheckRulesFile(name.c_str()); },
                                                [&] { rules.Load(name.c_str()); }, 20, samples);
  bench::Report("check the full rules from disk", checkDisk, "load them from disk", 2.0);
  std::filesystem::remove(path);
  return 0;
}
