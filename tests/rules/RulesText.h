// Rules files for the tests, line by line, and the agreement of the check
// with the reader.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "rules/Rules.h"
#include "rules/RulesCheck.h"

inline std::string Lines(const std::vector<std::string>& lines, const char* end = "\r\n") {
  std::string text;
  for (const std::string& line : lines) text += line + end;
  return text;
}

// The complete one-record file: one characteristic, skill, race, archetype, item.
inline const std::vector<std::string> kExample = {
    "1",     "Strength", "strength", "STR", "1",       "Music", "Music", "music", "0", "1",
    "Human", "3",        "6",        "2",   "1",       "Bard",  "3",     "2",     "6", "10",
    "1",     "6",        "0",        "1",   "<Nulla>", "empty", "0",     "0",     "0", "0"};

// The check of `text` against what the reader made of it: a refused file's
// first error is the refusal, line and words; a file taken has no error. The
// findings come in line order.
inline void ExpectCheckAgreesWithReader(const std::string& text, const CRules& rules) {
  const std::vector<CRulesFinding> findings = CheckRules(text);
  EXPECT_TRUE(std::is_sorted(
      findings.begin(), findings.end(),
      [](const CRulesFinding& a, const CRulesFinding& b) { return a.m_nLine < b.m_nLine; }));
  const auto error = std::find_if(findings.begin(), findings.end(),
                                  [](const CRulesFinding& f) { return f.IsError(); });
  if (rules.IsLoaded()) {
    EXPECT_EQ(error, findings.end()) << error->m_nLine << ": " << error->m_strMessage;
    return;
  }
  ASSERT_NE(error, findings.end()) << rules.GetLoadError().m_strMessage;
  EXPECT_EQ(error->m_nLine, rules.GetLoadError().m_nLine);
  EXPECT_EQ(error->m_strMessage, rules.GetLoadError().m_strReason);
}
