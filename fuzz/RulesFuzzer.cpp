// Coverage-guided fuzzing of the rules reader and of the check of rules
// files. Beyond "no crash": whatever loads must save, and what was saved must
// load back into the same database and save to the same bytes; the check's
// first error is the reader's refusal, line and words, and a file the reader
// takes has no error.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "rules/Rules.h"
#include "rules/RulesCheck.h"

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

// Whether `text` is well-formed UTF-8 (no overlong forms, surrogates or
// values beyond U+10FFFF).
bool IsUtf8(std::string_view text) {
  for (size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const size_t length = lead < 0x80   ? 1
                          : lead < 0xC2 ? 0
                          : lead < 0xE0 ? 2
                          : lead < 0xF0 ? 3
                          : lead < 0xF5 ? 4
                                        : 0;
    if (length == 0 || i + length > text.size()) return false;
    char32_t code = length == 1 ? lead : lead & (0x7F >> length);
    for (size_t k = 1; k < length; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      code = (code << 6) | (next & 0x3F);
    }
    if ((length == 3 && (code < 0x800 || (code >= 0xD800 && code <= 0xDFFF))) ||
        (length == 4 && (code < 0x10000 || code > 0x10FFFF)))
      return false;
    i += length;
  }
  return true;
}

// The check agrees with what the reader made of the same bytes.
void CheckAgrees(std::string_view text, const CRules& rules) {
  const std::vector<CRulesFinding> findings = CheckRules(text);
  int line = 0;
  const CRulesFinding* error = nullptr;
  for (const CRulesFinding& finding : findings) {
    if (finding.m_nLine < line) Broken("check: findings out of line order");
    line = finding.m_nLine;
    if (finding.m_strMessage.empty()) Broken("check: a finding without words");
    if (!IsUtf8(finding.m_strMessage)) Broken("check: a message that is not UTF-8");
    if (finding.IsError() && error == nullptr) error = &finding;
  }
  if (rules.IsLoaded()) {
    if (error != nullptr) Broken("check: an error in a file the reader takes");
    return;
  }
  if (error == nullptr) Broken("check: no error in a file the reader refuses");
  if (error->m_nLine != rules.GetLoadError().m_nLine) Broken("check: first error at another line");
  if (error->m_strMessage != rules.GetLoadError().m_strReason)
    Broken("check: first error in other words");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  std::istringstream in{std::string(text)};
  CRules rules(nullptr);
  const bool loaded = rules.Load(in, "tarvo.rul");
  CheckAgrees(text, rules);
  if (!loaded) {
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
