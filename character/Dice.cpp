#include "character/Dice.h"

#include <chrono>
#include <cstdint>
#include <random>
#include <utility>

namespace {

constexpr int DRAW_MAX = 32767;
constexpr std::int64_t DRAW_RANGE = DRAW_MAX + 1;

// The system's one random source: integers uniform over 0..32767, from a
// Mersenne twister seeded once at start, or from a script while tests set one.
class CRandomSource {
 public:
  int Draw() {
    if (m_scripted) {
      const int r = m_scripted();
      return r < 0 ? 0 : (r > DRAW_MAX ? DRAW_MAX : r);
    }
    // The top 15 of the engine's 32 bits.
    return static_cast<int>(m_engine() >> 17);
  }

  std::mt19937 m_engine;
  std::function<int()> m_scripted;
};

CRandomSource g_random;

}  // namespace

int RollDice(int count, int sides, int bonus) {
  std::int64_t total = 0;
  for (int i = 0; i < count; ++i) {
    const std::int64_t r = g_random.Draw();
    // Division of signed integers truncates toward zero, as a die of negative
    // sides needs. |sides * r| < 2^46 and |total| < 2^31 * 2^31: no overflow.
    total += static_cast<std::int64_t>(sides) * r / DRAW_RANGE + 1;
  }
  return SaturateToInt(total + bonus);
}

void SeedRandomFromClock() {
  const auto ticks =
      static_cast<std::uint64_t>(std::chrono::system_clock::now().time_since_epoch().count());
  std::seed_seq seed{static_cast<std::uint32_t>(ticks), static_cast<std::uint32_t>(ticks >> 32)};
  g_random.m_engine.seed(seed);
}

void SeedRandom(unsigned seed) { g_random.m_engine.seed(seed); }

void SetRandomDraws(std::function<int()> draws) { g_random.m_scripted = std::move(draws); }
