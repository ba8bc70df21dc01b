// Paired timing for ratios: the subject and its floor are timed alternately,
// sample by sample, so that whatever else the machine does weighs on both.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

namespace bench {

struct Pair {
  double subject = 0;  // median nanoseconds of one run
  double floor = 0;
  double Ratio() const { return floor > 0 ? subject / floor : 0; }
};

inline double Median(std::vector<double> samples) {
  std::sort(samples.begin(), samples.end());
  return samples[samples.size() / 2];
}

// Nanoseconds of `batch` runs of `work`.
inline double TimeBatch(const std::function<void()>& work, int batch) {
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < batch; ++i) work();
  const auto end = std::chrono::steady_clock::now();
  return std::chrono::duration<double, std::nano>(end - start).count();
}

// Median time of one run of `subject` and of `floor`, each sample a batch of
// `batch` runs, `samples` samples each, alternating.
inline Pair TimePair(const std::function<void()>& subject, const std::function<void()>& floor,
                     int batch, int samples) {
  std::vector<double> a, b;
  for (int i = 0; i < samples; ++i) {
    a.push_back(TimeBatch(subject, batch) / batch);
    b.push_back(TimeBatch(floor, batch) / batch);
  }
  return {Median(a), Median(b)};
}

inline void Report(const char* what, const Pair& pair, const char* floorName, double goal) {
  std::printf("%-46s %10.2f us  %-28s %10.2f us  ratio %5.2f  (goal <= %.2f) %s\n", what,
              pair.subject / 1000, floorName, pair.floor / 1000, pair.Ratio(), goal,
              pair.Ratio() <= goal ? "ok" : "OVER");
}

}  // namespace bench
