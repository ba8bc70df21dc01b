#include "web/binding/Json.h"

#include "web/binding/Text.h"

void CJson::Separate() {
  if (!m_first) m_text += ',';
  m_first = false;
}

CJson& CJson::Begin(char bracket) {
  Separate();
  m_text += bracket;
  m_first = true;
  return *this;
}

CJson& CJson::End(char bracket) {
  m_text += bracket;
  m_first = false;
  return *this;
}

CJson& CJson::Key(std::string_view key) {
  Text(key);
  m_text += ':';
  m_first = true;
  return *this;
}

CJson& CJson::Text(std::string_view utf8) {
  Separate();
  m_text += '"';
  static constexpr char kHex[] = "0123456789abcdef";
  for (const char ch : utf8) {
    const auto byte = static_cast<unsigned char>(ch);
    if (ch == '"' || ch == '\\') {
      m_text += '\\';
      m_text += ch;
    } else if (byte < 0x20) {
      m_text += "\\u00";
      m_text += kHex[byte >> 4];
      m_text += kHex[byte & 15];
    } else {
      m_text += ch;
    }
  }
  m_text += '"';
  return *this;
}

CJson& CJson::GameText(std::string_view bytes, bool blankControls) {
  std::string text = Utf8FromWindows1252(bytes);
  if (blankControls) {
    std::string shown;
    for (const char32_t cp : CodePoints(text))
      AppendUtf8(shown, cp < 0x20 || (cp >= 0x7F && cp <= 0x9F) ? U' ' : cp);
    text = std::move(shown);
  }
  return Text(text);
}

CJson& CJson::Number(long long value) {
  Separate();
  m_text += std::to_string(value);
  return *this;
}

CJson& CJson::Bool(bool value) {
  Separate();
  m_text += value ? "true" : "false";
  return *this;
}
