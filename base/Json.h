// A small writer of JSON text: the views the web page reads after every
// action, and the files written for other programs. It writes into one
// buffer of its own with inline code: the standard library's string appends
// are calls into a prebuilt library in the WebAssembly build, and a view is
// built from hundreds of small pieces.
#pragma once

#include <cstring>
#include <memory>
#include <string>
#include <string_view>

class CJson {
 public:
  CJson() : m_buffer(new char[4096]), m_capacity(4096) {}

  CJson& Begin(char bracket);  // '{' or '['
  CJson& End(char bracket);    // '}' or ']'
  // A key, one of the program's own words: nothing to escape. Inline, so
  // that the copy of a key written in the code is one of known length.
  CJson& Key(std::string_view key) {
    Separate();
    char* at = Room(key.size() + 3);
    *at++ = '"';
    std::memcpy(at, key.data(), key.size());
    at[key.size()] = '"';
    at[key.size() + 1] = ':';
    m_size += key.size() + 3;
    m_first = true;
    return *this;
  }
  // A UTF-8 text, escaped as JSON needs.
  CJson& Text(std::string_view utf8);
  // A Windows-1252 game text; with `blankControls`, control characters show
  // as blanks.
  CJson& GameText(std::string_view bytes, bool blankControls = false);
  CJson& Number(long long value);
  // A number as a JSON string: "12".
  CJson& NumberText(long long value);
  CJson& Bool(bool value);
  CJson& Null();

  std::string Result() const { return {m_buffer.get(), m_size}; }
  std::string_view View() const { return {m_buffer.get(), m_size}; }
  // Empty again, keeping the buffer.
  void Clear() {
    m_size = 0;
    m_first = true;
  }

 private:
  void Separate() {
    if (!m_first) Put(',');
    m_first = false;
  }
  // Room for `more` bytes after the end.
  char* Room(size_t more) {
    if (m_size + more > m_capacity) Grow(more);
    return m_buffer.get() + m_size;
  }
  void Grow(size_t more);
  // A JSON string of `bytes`, each written by `write(at, byte)`, which
  // returns the end of what it wrote, at most 6 bytes.
  template <class WriteByte>
  CJson& Quoted(std::string_view bytes, WriteByte write);
  void Put(char ch) {
    *Room(1) = ch;
    ++m_size;
  }
  void Put(std::string_view text) {
    if (!text.empty()) std::memcpy(Room(text.size()), text.data(), text.size());
    m_size += text.size();
  }

  // Filled up to m_size; what lies beyond is not initialised.
  std::unique_ptr<char[]> m_buffer;
  size_t m_capacity;
  size_t m_size = 0;
  bool m_first = true;
};
