#include "rules/Rules.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <system_error>

#include "rules/AtomicFile.h"

namespace fs = std::filesystem;

namespace {

// A-Z lower-cased, every other byte as it is.
char FoldByte(char ch) { return ch >= 'A' && ch <= 'Z' ? static_cast<char>(ch - 'A' + 'a') : ch; }

}  // namespace

std::string FoldCase(std::string_view text) {
  std::string folded(text);
  for (char& ch : folded) ch = FoldByte(ch);
  return folded;
}

bool EqualFolded(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (FoldByte(a[i]) != FoldByte(b[i])) return false;
  }
  return true;
}

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

std::string FormatNumber(int value) {
  std::string text;
  AppendNumber(text, value);
  return text;
}

void AppendNumber(std::string& text, int value) {
  char digits[16];
  const std::to_chars_result end = std::to_chars(digits, digits + sizeof digits, value);
  text.append(digits, static_cast<size_t>(end.ptr - digits));
}

namespace {

// Delivers the lines of a rules file held in memory: a line ends at LF, a CR
// right before the LF is dropped, and after the last line every read gives an
// empty text.
class LineReader {
 public:
  // `complete` is false when reading the file failed after `text`: a line
  // wanted beyond it is a read failure, not the end of the file.
  LineReader(std::string_view text, bool complete) : m_text(text), m_complete(complete) {}

  std::string_view Next() {
    ++m_line;
    if (m_pos >= m_text.size()) {
      if (!m_complete && m_failedLine == 0) m_failedLine = m_line;
      return {};
    }
    const char* begin = m_text.data() + m_pos;
    const size_t left = m_text.size() - m_pos;
    const auto* end = static_cast<const char*>(std::memchr(begin, '\n', left));
    if (end == nullptr) {
      // The last line may lack its line end; a CR there is part of it.
      m_pos = m_text.size();
      return {begin, left};
    }
    m_pos += static_cast<size_t>(end - begin) + 1;
    if (end != begin && end[-1] == '\r') --end;
    return {begin, static_cast<size_t>(end - begin)};
  }

  // The next line read as a number: ParseNumber(Next()). Most number lines
  // are a few plain digits and the line end, and those are read in place.
  int Number() {
    const char* at = m_text.data() + m_pos;
    const char* end = m_text.data() + m_text.size();
    int value = 0;
    // Nine digits at most: the value stays far within an int.
    for (int digits = 0; digits < 9 && at < end && *at >= '0' && *at <= '9'; ++digits, ++at)
      value = value * 10 + (*at - '0');
    if (at > m_text.data() + m_pos) {
      const char* next = nullptr;
      if (at == end) {
        next = end;
      } else if (*at == '\n') {
        next = at + 1;
      } else if (at + 1 < end && at[0] == '\r' && at[1] == '\n') {
        next = at + 2;
      }
      if (next != nullptr) {
        ++m_line;
        m_pos = static_cast<size_t>(next - m_text.data());
        return value;
      }
    }
    return ParseNumber(Next());
  }

  // The 1-based number of the line last delivered.
  int Line() const { return m_line; }
  // The line at which the input failed for another reason than its end; 0 if none.
  int FailedLine() const { return m_failedLine; }

 private:
  std::string_view m_text;
  size_t m_pos = 0;
  bool m_complete;
  int m_line = 0;
  int m_failedLine = 0;
};

// The whole lines of `text` when reading failed after it: a line cut short
// by the failure is not a line of the file.
std::string_view WholeLines(std::string_view text) {
  const size_t lastEnd = text.rfind('\n');
  return text.substr(0, lastEnd == std::string_view::npos ? 0 : lastEnd + 1);
}

// The bytes of `in` up to its end or up to a failure of its device (then
// `complete` is false).
std::string ReadAll(std::istream& in, bool& complete) {
  std::string bytes;
  complete = true;
  std::streambuf* buffer = in.rdbuf();
  if (buffer == nullptr) return bytes;
  char chunk[1 << 16];
  try {
    for (;;) {
      // What the buffer holds is taken without asking the device for more;
      // then the device is asked, which may fail.
      const std::streamsize held = buffer->in_avail();
      if (held > 0) {
        const std::streamsize got =
            buffer->sgetn(chunk, std::min<std::streamsize>(held, sizeof chunk));
        bytes.append(chunk, static_cast<size_t>(got));
      } else if (held < 0 || buffer->sgetc() == std::streambuf::traits_type::eof()) {
        break;
      }
    }
  } catch (...) {
    complete = false;
  }
  return bytes;
}

// The bytes of an open file, read straight into one buffer that grows while
// the file fills it; `complete` is false when reading failed.
struct FileBytes {
  std::unique_ptr<char[]> data;
  size_t size = 0;
  bool complete = true;

  explicit FileBytes(std::FILE* file) {
    // The file's own buffer would only copy the bytes once more.
    std::setvbuf(file, nullptr, _IONBF, 0);
    // A full rules file takes about 15 KiB: one read of this size takes it all.
    size_t capacity = 64 * 1024;
    // Left uninitialised, as the read fills it (a plain new[]: the standard
    // libraries of some targets lack make_unique_for_overwrite).
    data.reset(new char[capacity]);
    for (;;) {
      size += std::fread(data.get() + size, 1, capacity - size, file);
      if (size < capacity) break;
      capacity *= 2;
      std::unique_ptr<char[]> grown(new char[capacity]);
      std::memcpy(grown.get(), data.get(), size);
      data = std::move(grown);
    }
    complete = std::ferror(file) == 0;
  }
  std::string_view View() const { return {data.get(), size}; }
};

struct Section {
  const char* what;  // the records it counts, in Italian
  int capacity;
};

constexpr Section kCharacteristics{"caratteristiche", MAX_CHARACTERISTICS};
constexpr Section kSkills{"abilità", MAX_SKILLS};
constexpr Section kRaces{"razze", MAX_RACES};
constexpr Section kArchetypes{"archetipi", MAX_ARCHETYPES};
constexpr Section kItems{"oggetti", MAX_ITEMS};

std::string FolderOf(std::string_view path) {
  std::error_code ec;
  fs::path absolute = fs::absolute(fs::path(path), ec);
  if (ec) return ".";
  return absolute.parent_path().string();
}

std::string FileNameOf(std::string_view path) {
  const std::string name = fs::path(path).filename().string();
  return name.empty() ? std::string(path) : name;
}

CRulesError MakeError(CRulesError::Kind kind, std::string_view path, int line, std::string reason) {
  CRulesError error;
  error.m_kind = kind;
  error.m_strFile = std::string(path);
  error.m_strFolder = FolderOf(path);
  error.m_nLine = line;
  error.m_strReason = std::move(reason);
  // Appended piece by piece: at -O3, GCC 12 gives a false -Wrestrict warning on
  // const char* + std::string&&.
  std::string where = "\"";
  where.append(FileNameOf(path)).append("\" nella cartella \"").append(error.m_strFolder) += '"';
  switch (kind) {
    case CRulesError::Kind::CannotOpen:
      error.m_strMessage =
          "Impossibile aprire il file delle regole " + where + ": " + error.m_strReason + ".";
      break;
    case CRulesError::Kind::ReadFailed:
      error.m_strMessage = "Impossibile leggere il file delle regole " + where + " (riga " +
                           std::to_string(line) + "): " + error.m_strReason + ".";
      break;
    case CRulesError::Kind::Malformed:
    case CRulesError::Kind::None:
      error.m_strMessage = "Il file delle regole " + where + " non è valido: riga " +
                           std::to_string(line) + ": " + error.m_strReason + ".";
      break;
  }
  return error;
}

int Bound(int count, int capacity) { return std::clamp(count, 0, capacity); }

}  // namespace

CRules::CRules() : CRules(RULES_FILE_NAME) {}

CRules::CRules(const char* path) {
  // Just built, the database holds every default already.
  if (path) LoadFile(path, true);
}

int CRules::CharacteristicsInUse() const { return Bound(m_nCharacteristics, MAX_CHARACTERISTICS); }
int CRules::SkillsInUse() const { return Bound(m_nSkills, MAX_SKILLS); }
int CRules::RacesInUse() const { return Bound(m_nRaces, MAX_RACES); }
int CRules::ArchetypesInUse() const { return Bound(m_nArchetypes, MAX_ARCHETYPES); }
int CRules::ItemsInUse() const { return Bound(m_nItems, MAX_ITEMS); }

bool CRules::Load(const char* path) { return LoadFile(path, false); }

bool CRules::LoadFile(const char* path, bool fresh) {
  const std::string name = path ? path : "";
  std::error_code ec;
  const fs::file_status status = fs::status(name, ec);
  std::string reason;
  if (fs::is_directory(status)) {
    reason = DescribeErrno(EISDIR);
  } else if (fs::exists(status) && !fs::is_regular_file(status)) {
    // A pipe could keep the program waiting and a device could be endless.
    reason = "non è un file normale";
  } else {
    errno = 0;
    if (std::FILE* file = std::fopen(name.c_str(), "rb")) {
      const FileBytes bytes(file);
      std::fclose(file);
      return Parse(bytes.View(), bytes.complete, name, fresh);
    }
    reason = DescribeErrno(errno ? errno : (fs::exists(status) ? EACCES : ENOENT));
  }
  *this = CRules(nullptr);
  m_loadError = MakeError(CRulesError::Kind::CannotOpen, name, 0, reason);
  return false;
}

bool CRules::LoadText(std::string_view text, std::string_view name) {
  return Parse(text, true, name, false);
}

bool CRules::Load(std::istream& in, std::string_view name) {
  bool complete = true;
  const std::string bytes = ReadAll(in, complete);
  return Parse(bytes, complete, name, false);
}

bool CRules::Parse(std::string_view text, bool complete, std::string_view name, bool fresh) {
  // Records at and above the counts read keep their defaults.
  if (!fresh) *this = CRules(nullptr);
  LineReader reader(complete ? text : WholeLines(text), complete);
  // The first line that breaks a limit, and what was expected there.
  int problemLine = 0;
  std::string problem;
  auto atMost = [&](const char* what, int value, int limit) {
    if (value <= limit) return true;
    problemLine = reader.Line();
    problem = "il numero di " + std::string(what) + " è " + std::to_string(value) +
              ", al massimo " + std::to_string(limit);
    return false;
  };

  // A count of 0 or less reads no records and is kept as it is.
  auto readCount = [&](const Section& section, int& count) {
    count = reader.Number();
    return atMost(section.what, count, section.capacity);
  };
  auto readDice = [&](CDice& dice) {
    dice.m_nCount = reader.Number();
    if (!atMost("dadi", dice.m_nCount, MAX_DICE_COUNT)) return false;
    dice.m_nSides = reader.Number();
    dice.m_nBonus = reader.Number();
    return true;
  };

  bool ok = readCount(kCharacteristics, m_nCharacteristics);
  for (int c = 0; ok && c < m_nCharacteristics; ++c) {
    m_aCharLabel[c] = reader.Next();
    m_aCharKey[c] = reader.Next();
    m_aCharExtra[c] = reader.Next();
  }
  ok = ok && readCount(kSkills, m_nSkills);
  for (int s = 0; ok && s < m_nSkills; ++s) {
    m_aSkillLabel[s] = reader.Next();
    m_aSkillSheetName[s] = reader.Next();
    m_aSkillKey[s] = reader.Next();
    m_aSkillBase[s] = reader.Number();
  }
  ok = ok && readCount(kRaces, m_nRaces);
  for (int r = 0; ok && r < m_nRaces; ++r) {
    m_aRaces[r].m_strName = reader.Next();
    for (int c = 0; ok && c < m_nCharacteristics; ++c) ok = readDice(m_aRaces[r].m_aDice[c]);
  }
  ok = ok && readCount(kArchetypes, m_nArchetypes);
  for (int a = 0; ok && a < m_nArchetypes; ++a) {
    CArchetype& archetype = m_aArchetypes[a];
    archetype.m_strName = reader.Next();
    archetype.m_nHonour = reader.Number();
    ok = readDice(archetype.m_diceMoney);
    for (int s = 0; ok && s < m_nSkills; ++s) ok = readDice(archetype.m_aSkillDice[s]);
  }
  ok = ok && readCount(kItems, m_nItems);
  for (int i = 0; ok && i < m_nItems; ++i) {
    CItem& item = m_aItems[i];
    item.SetName(std::string(reader.Next()));
    item.SetType(std::string(reader.Next()));
    item.m_nPotenza = reader.Number();
    item.m_nBonus = reader.Number();
    item.m_nMod = reader.Number();
    item.m_nPrice = reader.Number();
  }

  if (reader.FailedLine() > 0) {
    const int line = reader.FailedLine();
    *this = CRules(nullptr);
    m_loadError = MakeError(CRulesError::Kind::ReadFailed, name, line, "errore di lettura");
    return false;
  }
  if (!ok) {
    *this = CRules(nullptr);
    m_loadError = MakeError(CRulesError::Kind::Malformed, name, problemLine, problem);
    return false;
  }
  for (int i = 0; i < m_nItems; ++i) m_aItems[i].m_nId = i;
  return true;
}

std::string CRules::ToText() const {
  std::string text;
  auto line = [&text](std::string_view value) {
    text.append(value);
    text.append("\r\n");
  };
  auto number = [&line](int value) { line(FormatNumber(value)); };
  auto dice = [&number](const CDice& d) {
    number(d.m_nCount);
    number(d.m_nSides);
    number(d.m_nBonus);
  };

  // Counts are written as they are, a negative one included; the records
  // follow only up to the capacity.
  number(m_nCharacteristics);
  for (int c = 0; c < CharacteristicsInUse(); ++c) {
    line(m_aCharLabel[c]);
    line(m_aCharKey[c]);
    line(m_aCharExtra[c]);
  }
  number(m_nSkills);
  for (int s = 0; s < SkillsInUse(); ++s) {
    line(m_aSkillLabel[s]);
    line(m_aSkillSheetName[s]);
    line(m_aSkillKey[s]);
    number(m_aSkillBase[s]);
  }
  number(m_nRaces);
  for (int r = 0; r < RacesInUse(); ++r) {
    line(m_aRaces[r].m_strName);
    for (int c = 0; c < CharacteristicsInUse(); ++c) dice(m_aRaces[r].m_aDice[c]);
  }
  number(m_nArchetypes);
  for (int a = 0; a < ArchetypesInUse(); ++a) {
    const CArchetype& archetype = m_aArchetypes[a];
    line(archetype.m_strName);
    number(archetype.m_nHonour);
    dice(archetype.m_diceMoney);
    for (int s = 0; s < SkillsInUse(); ++s) dice(archetype.m_aSkillDice[s]);
  }
  number(m_nItems);
  for (int i = 0; i < ItemsInUse(); ++i) {
    const CItem& item = m_aItems[i];
    line(item.m_strName);
    line(item.m_strType);
    number(item.m_nPotenza);
    number(item.m_nBonus);
    number(item.m_nMod);
    number(item.m_nPrice);
  }
  return text;
}

bool CRules::Save(const char* path, std::string* error) const {
  return WriteFileAtomically(path ? path : "", ToText(), error);
}

namespace {

int FindKey(const std::string* keys, int count, std::string_view key) {
  for (int i = 0; i < count; ++i) {
    if (EqualFolded(keys[i], key)) return i;
  }
  return -1;
}

}  // namespace

int CRules::FindSkill(std::string_view key) const {
  return FindKey(m_aSkillKey, SkillsInUse(), key);
}

int CRules::FindCharacteristic(std::string_view key) const {
  return FindKey(m_aCharKey, CharacteristicsInUse(), key);
}
