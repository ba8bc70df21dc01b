#include "base/Decimal.h"

#include <algorithm>
#include <climits>
#include <cstdint>

int ParseNumber(std::string_view text) {
  size_t i = 0;
  // The C locale's white space, as atoi skips it.
  while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  // Accumulate the magnitude, stopping growth once it is beyond any int.
  constexpr std::int64_t limit = std::int64_t{INT_MAX} + 1;
  std::int64_t magnitude = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    if (magnitude <= limit) magnitude = magnitude * 10 + (text[i] - '0');
  }
  const std::int64_t value = negative ? -magnitude : magnitude;
  return static_cast<int>(std::clamp<std::int64_t>(value, INT_MIN, INT_MAX));
}
