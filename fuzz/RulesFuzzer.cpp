// Coverage-guided fuzzing of the rules reader. Beyond "no crash": whatever
// loads must save, and what was saved must load back into the same database
// and save to the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>

#include "rules/Rules.h"

namespace {

[[noreturn]] void Broken(const char* what) {
  std::fprintf(stderr, "rules round trip broken: %s\n", what);
  std::abort();
}

bool SameDatabase(const CRules& a, const CRules& b) {
  if (a.ToText() != b.ToText()) return false;
  for (int i = 0; i < MAX_ITEMS; ++i) {
    if (a.m_aItems[i].m_nId != b.m_aItems[i].m_nId) return false;
  }
  return a.m_nPockets == b.m_nPockets;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
  CRules rules(nullptr);
  if (!rules.Load(in, "tarvo.rul")) {
    if (rules.GetLoadError().m_strMessage.empty()) Broken("refused without a message");
    if (rules.m_nItems != 0 || rules.m_nCharacteristics != 0) Broken("refused but not empty");
    return 0;
  }
  const std::string saved = rules.ToText();
  std::istringstream again(saved);
  CRules reloaded(nullptr);
  if (!reloaded.Load(again, "tarvo.rul")) Broken("saved file does not load");
  if (!SameDatabase(rules, reloaded)) Broken("saved file loads into another database");
  if (reloaded.ToText() != saved) Broken("second save differs");
  return 0;
}
