#include "web/binding/Text.h"

#include "base/Win1252.h"

namespace {

constexpr char32_t kReplacement = 0xFFFD;

}  // namespace

std::vector<char32_t> CodePoints(std::string_view text) {
  std::vector<char32_t> points;
  points.reserve(text.size());
  for (size_t at = 0; at < text.size();) points.push_back(NextUtf8(text, at));
  return points;
}

std::string CutToUtf16Units(std::string_view text, int units) {
  std::string cut;
  int used = 0;
  for (const char32_t cp : CodePoints(text)) {
    const int width = cp >= 0x10000 ? 2 : 1;
    if (used + width > units) {
      // Half of a pair fits: the field keeps a lone surrogate, which no
      // encoding can write.
      if (used < units) AppendUtf8(cut, kReplacement);
      break;
    }
    AppendUtf8(cut, cp);
    used += width;
  }
  return cut;
}
