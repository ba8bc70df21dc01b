#include "web/binding/Names.h"

#include <vector>

#include "base/CaseFold.h"
#include "base/Win1252.h"
#include "web/binding/Text.h"

namespace {

// File names stay well below the 255 bytes a file system allows, with room
// for the extension.
constexpr size_t MAX_FILE_BASE = 200;

// White space as Unicode counts it: the blanks trimmed from a name's ends.
bool IsBlank(char32_t cp) {
  return cp == 0x20 || (cp >= 0x09 && cp <= 0x0D) || cp == 0x85 || cp == 0xA0 || cp == 0x1680 ||
         (cp >= 0x2000 && cp <= 0x200A) || cp == 0x2028 || cp == 0x2029 || cp == 0x202F ||
         cp == 0x205F || cp == 0x3000;
}

}  // namespace

namespace {

std::vector<char32_t> Trimmed(std::vector<char32_t> text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  return {text.begin() + static_cast<std::ptrdiff_t>(begin),
          text.begin() + static_cast<std::ptrdiff_t>(end)};
}

bool IsControl(char32_t cp) { return cp < 0x20 || (cp >= 0x7F && cp <= 0x9F); }

bool IsTrimmedAtEnd(char ch) { return ch == ' ' || ch == '.'; }

}  // namespace

bool SameNameLoosely(std::string_view a, std::string_view b) {
  const std::vector<char32_t> left = Trimmed(CodePoints(a));
  const std::vector<char32_t> right = Trimmed(CodePoints(b));
  if (left.size() != right.size()) return false;
  for (size_t i = 0; i < left.size(); ++i) {
    if (FoldUnicodeCase(left[i]) != FoldUnicodeCase(right[i])) return false;
  }
  return true;
}

int MatchName(std::string_view wanted, int count, const std::function<std::string(int)>& nameOf) {
  for (int i = 0; i < count; ++i) {
    if (Win1252ToUtf8(nameOf(i)) == wanted) return i;
  }
  for (int i = 0; i < count; ++i) {
    if (SameNameLoosely(Win1252ToUtf8(nameOf(i)), wanted)) return i;
  }
  return -1;
}

std::string SheetFileName(std::string_view name) {
  std::string safe;
  bool start = true;
  for (const char32_t cp : CodePoints(name)) {
    if (start && cp == ' ') continue;
    char32_t shown = cp;
    if (IsControl(cp) || std::u32string_view(U"/\\:*?\"<>|").find(cp) != std::u32string_view::npos)
      shown = '_';
    // No hidden file, and nothing a command would take for an option.
    if (start && (shown == '.' || shown == '-')) shown = '_';
    start = false;
    AppendUtf8(safe, shown);
  }
  while (!safe.empty() && IsTrimmedAtEnd(safe.back())) safe.pop_back();
  if (safe.size() > MAX_FILE_BASE) {
    // Cut between two characters of UTF-8, never inside one.
    size_t cut = MAX_FILE_BASE;
    while (cut > 0 && (static_cast<unsigned char>(safe[cut]) & 0xC0) == 0x80) --cut;
    safe.resize(cut);
    while (!safe.empty() && IsTrimmedAtEnd(safe.back())) safe.pop_back();
  }
  if (safe.empty()) safe = "Senza nome";
  return safe + ".pg";
}
