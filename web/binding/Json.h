// A small writer of JSON text, for the views the page reads.
#pragma once

#include <string>
#include <string_view>

class CJson {
 public:
  CJson& Begin(char bracket);  // '{' or '['
  CJson& End(char bracket);    // '}' or ']'
  CJson& Key(std::string_view key);
  // A UTF-8 text, escaped as JSON needs.
  CJson& Text(std::string_view utf8);
  // A Windows-1252 game text; with `blankControls`, control characters show
  // as blanks.
  CJson& GameText(std::string_view bytes, bool blankControls = false);
  CJson& Number(long long value);
  CJson& Bool(bool value);

  const std::string& Result() const { return m_text; }

 private:
  void Separate();

  std::string m_text;
  bool m_first = true;
};
