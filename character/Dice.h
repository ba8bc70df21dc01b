// The dice and the system's one random source.
#pragma once

#include <cstdint>
#include <functional>
#include <limits>

// Throws `count` dice of `sides` sides and returns their sum plus `bonus`.
// One draw r in 0..32767 per die; each die is sides * r / 32768 + 1 (truncating
// toward zero); no draw at all when count < 1. The product and the total are
// formed 64 bits wide, so any sides give the exact die; a total beyond the
// 32-bit range comes back as the nearest 32-bit value.
int RollDice(int count, int sides, int bonus);

// Seeds the random source from the clock. Called once when the form starts.
void SeedRandomFromClock();
// Seeds the random source with a fixed value (benchmarks, long random sessions).
void SeedRandom(unsigned seed);

// Test seam: while set, every draw comes from `draws` (each call must return a
// value in 0..32767) instead of the generator. An empty function restores it.
void SetRandomDraws(std::function<int()> draws);

// The nearest 32-bit value to `value`: sums and products of 32-bit values are
// formed 64 bits wide and brought back with this, so they never overflow.
inline constexpr int SaturateToInt(std::int64_t value) {
  if (value > std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
  if (value < std::numeric_limits<int>::min()) return std::numeric_limits<int>::min();
  return static_cast<int>(value);
}

// a + b, stopping at the edge of the 32-bit range: the totals the form and
// the printable sheet show.
inline constexpr int AddSaturating(int a, int b) { return SaturateToInt(std::int64_t{a} + b); }
