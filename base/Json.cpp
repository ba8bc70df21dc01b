#include "base/Json.h"

#include "base/Decimal.h"
#include "base/Win1252.h"

namespace {

constexpr char kHex[] = "0123456789abcdef";
constexpr size_t kPiece = 1024;

// One character of a JSON string (below U+10000, which is all a
// Windows-1252 text holds) at `at`, which has room for 6 bytes: quotes and
// backslashes escaped, control characters below U+0020 as \u00XX, the rest
// in UTF-8. Returns the end of what it wrote.
char* Escaped(char* at, char32_t cp) {
  if (cp == '"' || cp == '\\') {
    at[0] = '\\';
    at[1] = static_cast<char>(cp);
    return at + 2;
  }
  if (cp < 0x20) {
    const char escaped[6] = {'\\', 'u', '0', '0', kHex[cp >> 4], kHex[cp & 15]};
    std::memcpy(at, escaped, 6);
    return at + 6;
  }
  return WriteUtf8(at, cp);
}

}  // namespace

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

// A text goes in a piece at a time: room for the most each byte can take
// (6, as \u00XX) is made once for the piece, then its bytes are written with
// inline code.
template <class WriteByte>
CJson& CJson::Quoted(std::string_view bytes, WriteByte write) {
  Separate();
  Put('"');
  for (size_t from = 0; from < bytes.size(); from += kPiece) {
    const std::string_view piece = bytes.substr(from, kPiece);
    char* const begin = Room(6 * piece.size());
    char* at = begin;
    for (const char ch : piece) at = write(at, static_cast<unsigned char>(ch));
    m_size += static_cast<size_t>(at - begin);
  }
  Put('"');
  return *this;
}

CJson& CJson::Text(std::string_view utf8) {
  return Quoted(utf8, [](char* at, unsigned char byte) {
    if (byte >= 0x20 && byte != '"' && byte != '\\') {
      *at = static_cast<char>(byte);
      return at + 1;
    }
    return Escaped(at, byte);
  });
}

CJson& CJson::GameText(std::string_view bytes, bool blankControls) {
  return Quoted(bytes, [blankControls](char* at, unsigned char byte) {
    if (byte >= 0x20 && byte < 0x7F && byte != '"' && byte != '\\') {
      *at = static_cast<char>(byte);
      return at + 1;
    }
    char32_t cp = Win1252ToUnicode(byte);
    if (blankControls && IsControlCode(cp)) cp = ' ';
    return Escaped(at, cp);
  });
}

CJson& CJson::Number(long long value) {
  Separate();
  char* const begin = Room(20);
  m_size += static_cast<size_t>(WriteDecimal(begin, value) - begin);
  return *this;
}

CJson& CJson::NumberText(long long value) {
  Separate();
  char* const begin = Room(22);
  char* at = begin;
  *at++ = '"';
  at = WriteDecimal(at, value);
  *at++ = '"';
  m_size += static_cast<size_t>(at - begin);
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
