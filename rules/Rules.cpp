#include "rules/Rules.h"

#include <sys/stat.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>

#include "base/AtomicFile.h"
#include "base/FileAccess.h"
#include "rules/RulesReading.h"

namespace rules_reading {

std::string OverLimit(const char* what, int value, int limit) {
  return "il numero di " + std::string(what) + " è " + std::to_string(value) + ", al massimo " +
         std::to_string(limit);
}

bool ReadRulesFile(const std::string& path, FileBytes& bytes, std::string& reason) {
  std::FILE* file = OpenPlainFile(path, reason);
  if (file == nullptr) return false;
  bytes = FileBytes();
  // A file larger than any rules is not read at all, however large it is.
  struct stat info {};
  if (::fstat(::fileno(file), &info) == 0 &&
      static_cast<std::uint64_t>(info.st_size) > RULES_SIZE_LIMIT) {
    bytes.tooLarge = static_cast<std::uint64_t>(info.st_size);
    std::fclose(file);
    return true;
  }
  // The file's own buffer would only copy the bytes once more.
  std::setvbuf(file, nullptr, _IONBF, 0);
  // A full rules file takes about 15 KiB: one read of this size takes it all.
  size_t capacity = 64 * 1024;
  // Left uninitialised, as the read fills it (a plain new[]: the standard
  // libraries of some targets lack make_unique_for_overwrite).
  bytes.data.reset(new char[capacity]);
  for (;;) {
    bytes.size += std::fread(bytes.data.get() + bytes.size, 1, capacity - bytes.size, file);
    if (bytes.size < capacity) break;
    if (bytes.size > RULES_SIZE_LIMIT) {
      // It grew while it was read: never more than one byte beyond the limit.
      bytes = FileBytes();
      bytes.tooLarge = RULES_SIZE_LIMIT + 1;
      break;
    }
    capacity = std::min(capacity * 2, RULES_SIZE_LIMIT + 1);
    std::unique_ptr<char[]> grown(new char[capacity]);
    std::memcpy(grown.get(), bytes.data.get(), bytes.size);
    bytes.data = std::move(grown);
  }
  bytes.complete = std::ferror(file) == 0;
  std::fclose(file);
  return true;
}

std::string TooLargeReason(std::uint64_t size) {
  return (size > RULES_SIZE_LIMIT + 1 ? std::to_string(size) + " byte"
                                      : "più di " + std::to_string(RULES_SIZE_LIMIT) + " byte") +
         ", e un file delle regole ne ha al massimo " + std::to_string(RULES_SIZE_LIMIT);
}

}  // namespace rules_reading

namespace {

using rules_reading::FileBytes;
using rules_reading::LineReader;
using rules_reading::WholeLines;

// The bytes of `in` up to its end or up to a failure of its device (then
// `complete` is false), and never much more than RULES_SIZE_LIMIT of them.
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
      if (bytes.size() > RULES_SIZE_LIMIT) break;
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

CRulesError MakeError(CRulesError::Kind kind, std::string_view path, int line, std::string reason) {
  CRulesError error;
  const std::string where = PlaceFileError(error, kind, path, line, std::move(reason));
  switch (kind) {
    case CRulesError::Kind::CannotOpen:
      error.m_strMessage =
          "Impossibile aprire il file delle regole " + where + ": " + error.m_strReason + ".";
      break;
    case CRulesError::Kind::ReadFailed:
      error.m_strMessage = "Impossibile leggere il file delle regole " + where + " (riga " +
                           std::to_string(line) + "): " + error.m_strReason + ".";
      break;
    case CRulesError::Kind::TooLarge:
      error.m_strMessage =
          "Il file delle regole " + where + " è troppo grande: " + error.m_strReason + ".";
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
  FileBytes bytes;
  std::string reason;
  if (!rules_reading::ReadRulesFile(name, bytes, reason)) {
    *this = CRules(nullptr);
    m_loadError = MakeError(CRulesError::Kind::CannotOpen, name, 0, reason);
    return false;
  }
  if (bytes.tooLarge != 0) return RefuseAsTooLarge(bytes.tooLarge, name);
  return Parse(bytes.View(), bytes.complete, name, fresh);
}

bool CRules::LoadText(std::string_view text, std::string_view name) {
  if (text.size() > RULES_SIZE_LIMIT) return RefuseAsTooLarge(text.size(), name);
  return Parse(text, true, name, false);
}

bool CRules::Load(std::istream& in, std::string_view name) {
  bool complete = true;
  const std::string bytes = ReadAll(in, complete);
  if (bytes.size() > RULES_SIZE_LIMIT) return RefuseAsTooLarge(0, name);
  return Parse(bytes, complete, name, false);
}

bool CRules::RefuseAsTooLarge(std::uint64_t size, std::string_view name) {
  *this = CRules(nullptr);
  m_loadError =
      MakeError(CRulesError::Kind::TooLarge, name, 0, rules_reading::TooLargeReason(size));
  return false;
}

bool CRules::Parse(std::string_view text, bool complete, std::string_view name, bool fresh) {
  // Records at and above the counts read keep their defaults.
  if (!fresh) *this = CRules(nullptr);
  LineReader reader(complete ? text : WholeLines(text), complete);
  rules_reading::StopAtRefusal watch;
  // The first line that breaks a limit, and what was expected there.
  const rules_reading::Refusal refusal =
      rules_reading::Walk<rules_reading::StopAtRefusal>(*this, reader, watch).Run();

  if (reader.FailedLine() > 0) {
    const int line = reader.FailedLine();
    *this = CRules(nullptr);
    m_loadError = MakeError(CRulesError::Kind::ReadFailed, name, line, "errore di lettura");
    return false;
  }
  if (refusal.line > 0) {
    *this = CRules(nullptr);
    m_loadError = MakeError(CRulesError::Kind::Malformed, name, refusal.line, refusal.reason);
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
    if (EqualAsciiFolded(keys[i], key)) return i;
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
