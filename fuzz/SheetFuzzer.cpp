// Coverage-guided fuzzing of the sheet reader, against two fixed rules sets:
// the bundled Velmor rules and a small odd set (names holding "/", repeated
// names and items, negative numbers, no "<Nulla>" in the catalogue). Beyond
// "no crash": a refusal carries its message and line, and whatever a set
// accepts is written back to the same bytes, up to line ends.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "character/Character.h"
#include "character/SheetReader.h"
#include "rules/Rules.h"

namespace {

[[noreturn]] void Broken(const char* what) {
  std::fprintf(stderr, "sheet round trip broken: %s\n", what);
  std::abort();
}

// Both rules sets, loaded at the first input and kept for the whole run.
const CRules* const* FixedRules() {
  static const CRules velmor(TARVO_FUZZ_VELMOR_RULES);
  static const CRules odd(TARVO_FUZZ_ODD_RULES);
  static const CRules* const sets[] = {&velmor, &odd, nullptr};
  for (const CRules* const* rules = sets; *rules; ++rules) {
    if (!(*rules)->IsLoaded()) Broken((*rules)->GetLoadError().m_strMessage.c_str());
  }
  return sets;
}

// The bytes as the writer would have ended their lines: every line (the last
// one too, when it lacks its end) ends with CR LF, where a CR right before an
// LF belonged to the line end.
std::string WithWriterLineEnds(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() + 256);
  while (!bytes.empty()) {
    const size_t end = bytes.find('\n');
    std::string_view line = bytes.substr(0, end);
    if (end != std::string_view::npos && !line.empty() && line.back() == '\r')
      line.remove_suffix(1);
    out.append(line).append("\r\n");
    bytes.remove_prefix(end == std::string_view::npos ? bytes.size() : end + 1);
  }
  return out;
}

void Check(std::string_view bytes, const CRules& rules) {
  CSheet sheet;
  sheet.m_strName = "intatta";
  CSheetError error;
  if (!ReadSheetText(bytes, "scheda.pg", rules, sheet, &error)) {
    if (error.m_strMessage.empty()) Broken("refused without a message");
    if (error.m_kind == CSheetError::Kind::Malformed && error.m_nLine < 1)
      Broken("refused without a line");
    if (sheet.m_strName != "intatta") Broken("refused but changed the result");
    return;
  }
  if (!IsSheetText(bytes)) Broken("accepted without the first line of a sheet");
  CCharacter character;
  ApplySheet(sheet, rules, character);
  if (character.SheetText(rules) != WithWriterLineEnds(bytes)) Broken("written back differently");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  for (const CRules* const* rules = FixedRules(); *rules; ++rules) Check(bytes, **rules);
  return 0;
}
