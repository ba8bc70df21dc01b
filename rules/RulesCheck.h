// The check of a rules file for its authors: every line the reader refuses
// (an error) and every line it accepts although the author almost surely
// meant something else (a warning), all at once, in line order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class CRulesFinding {
 public:
  enum class Kind { Error, Warning };

  Kind m_kind = Kind::Warning;
  // The 1-based line it is about; 0 when it is about the whole file (one
  // that cannot be opened).
  int m_nLine = 0;
  // Italian, in UTF-8, without file or line. An error has the reader's own
  // words; a warning names the section, the record (by its name where it has
  // one) and the field, and says what the line reads as. Names from the file
  // (Windows-1252) are converted, their control characters shown as \t, \r
  // or \xNN, and very long ones cut short.
  std::string m_strMessage;

  bool IsError() const { return m_kind == Kind::Error; }
};

// Every finding of the rules file whose bytes are `text`, in line order, or
// the first `most` of them. The first error, if any, is the line and the
// reason the reader refuses the file with; a file the reader takes has no
// error. Text larger than RULES_SIZE_LIMIT gives one error at line 0, and
// is not read.
std::vector<CRulesFinding> CheckRules(std::string_view text, std::size_t most = SIZE_MAX);

// The same for the rules file at `path`, read as CRules::Load reads it. A
// file that cannot be opened, or is too large, gives one error at line 0;
// one whose reading fails gives the reader's error at its line.
std::vector<CRulesFinding> CheckRulesFile(const char* path, std::size_t most = SIZE_MAX);

// One finding as editors and terminals link to it: "FILE:LINE: errore: ..."
// or "FILE:LINE: avviso: ...", and "FILE: errore: ..." for line 0, with FILE
// as PathForMessage shows it.
std::string FormatFinding(std::string_view file, const CRulesFinding& finding);

// The count of errors and warnings, "2 errori, 5 avvisi" or "1 errore,
// 0 avvisi"; "nessun problema" when there is neither.
std::string SummarizeFindings(const std::vector<CRulesFinding>& findings);

// For the message that refuses the file at `path`: a sentence, with a
// leading blank, that says how many problems `tarvo --verifica` lists
// besides the refusal (past a thousand, "at least" so many); empty when
// none.
std::string FurtherProblemsNote(const char* path);
