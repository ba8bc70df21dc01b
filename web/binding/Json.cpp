#include "web/binding/Json.h"

#include <charconv>

#include "rules/Win1252.h"

namespace {

constexpr char kHex[] = "0123456789abcdef";

bool IsControl(char32_t cp) { return cp < 0x20 || (cp >= 0x7F && cp <= 0x9F); }

}  // namespace

// One character of a JSON string (below U+10000, which is all a
// Windows-1252 text holds): quotes and backslashes escaped, control
// characters below U+0020 as \u00XX, the rest in UTF-8.
void CJson::PutEscaped(char32_t cp) {
  char* at = Room(6);
  size_t length = 1;
  if (cp == '"' || cp == '\\') {
    at[0] = '\\';
    at[1] = static_cast<char>(cp);
    length = 2;
  } else if (cp < 0x20) {
    const char escaped[6] = {'\\', 'u', '0', '0', kHex[cp >> 4], kHex[cp & 15]};
    std::memcpy(at, escaped, 6);
    length = 6;
  } else if (cp < 0x80) {
    at[0] = static_cast<char>(cp);
  } else if (cp < 0x800) {
    at[0] = static_cast<char>(0xC0 | (cp >> 6));
    at[1] = static_cast<char>(0x80 | (cp & 0x3F));
    length = 2;
  } else {
    at[0] = static_cast<char>(0xE0 | (cp >> 12));
    at[1] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    at[2] = static_cast<char>(0x80 | (cp & 0x3F));
    length = 3;
  }
  m_size += length;
}

void CJson::Grow(size_t more) {
  m_capacity = 2 * (m_size + more);
  std::unique_ptr<char[]> grown(new char[m_capacity]);
  std::memcpy(grown.get(), m_buffer.get(), m_size);
  m_buffer = std::move(grown);
}

CJson& CJson::Begin(char bracket) {
  Separate();
  Put(bracket);
  m_first = true;
  return *this;
}

CJson& CJson::End(char bracket) {
  Put(bracket);
  m_first = false;
  return *this;
}

CJson& CJson::Key(std::string_view key) {
  // Keys are the binding's own words: nothing to escape.
  Separate();
  Put('"');
  Put(key);
  Put(std::string_view("\":"));
  m_first = true;
  return *this;
}

CJson& CJson::Text(std::string_view utf8) {
  Separate();
  Put('"');
  // Runs of bytes that need no escape go in whole.
  size_t run = 0;
  for (size_t i = 0; i < utf8.size(); ++i) {
    const auto byte = static_cast<unsigned char>(utf8[i]);
    if (byte >= 0x20 && byte != '"' && byte != '\\') continue;
    Put(utf8.substr(run, i - run));
    PutEscaped(byte);
    run = i + 1;
  }
  Put(utf8.substr(run));
  Put('"');
  return *this;
}

CJson& CJson::GameText(std::string_view bytes, bool blankControls) {
  Separate();
  Put('"');
  for (const char ch : bytes) {
    const auto byte = static_cast<unsigned char>(ch);
    char32_t cp = Win1252ToUnicode(byte);
    if (blankControls && IsControl(cp)) cp = ' ';
    PutEscaped(cp);
  }
  Put('"');
  return *this;
}

CJson& CJson::Number(long long value) {
  Separate();
  char* at = Room(24);
  m_size += static_cast<size_t>(std::to_chars(at, at + 24, value).ptr - at);
  return *this;
}

CJson& CJson::Bool(bool value) {
  Separate();
  Put(value ? std::string_view("true") : std::string_view("false"));
  return *this;
}

CJson& CJson::Null() {
  Separate();
  Put(std::string_view("null"));
  return *this;
}
