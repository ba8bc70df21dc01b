#include "web/binding/Text.h"

namespace {

constexpr char32_t kReplacement = 0xFFFD;

// The code point starting at text[at], and how many bytes it takes.
char32_t Decode(std::string_view text, size_t at, size_t& length) {
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(at);
  length = 1;
  if (lead < 0x80) return lead;
  int more = 0;
  char32_t cp = 0;
  char32_t least = 0;
  if ((lead & 0xE0) == 0xC0) {
    more = 1, cp = lead & 0x1F, least = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    more = 2, cp = lead & 0x0F, least = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    more = 3, cp = lead & 0x07, least = 0x10000;
  } else {
    return kReplacement;
  }
  if (at + static_cast<size_t>(more) >= text.size()) return kReplacement;
  for (int i = 1; i <= more; ++i) {
    const unsigned char next = byte(at + static_cast<size_t>(i));
    if ((next & 0xC0) != 0x80) return kReplacement;
    cp = (cp << 6) | (next & 0x3F);
  }
  // Overlong forms, surrogates and values beyond Unicode are not characters.
  if (cp < least || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return kReplacement;
  length = static_cast<size_t>(more) + 1;
  return cp;
}

}  // namespace

void AppendUtf8(std::string& text, char32_t cp) {
  if (cp < 0x80) {
    text += static_cast<char>(cp);
  } else if (cp < 0x800) {
    text += static_cast<char>(0xC0 | (cp >> 6));
    text += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    text += static_cast<char>(0xE0 | (cp >> 12));
    text += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    text += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    text += static_cast<char>(0xF0 | (cp >> 18));
    text += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    text += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    text += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

std::vector<char32_t> CodePoints(std::string_view text) {
  std::vector<char32_t> points;
  points.reserve(text.size());
  for (size_t at = 0; at < text.size();) {
    size_t length = 1;
    points.push_back(Decode(text, at, length));
    at += length;
  }
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
