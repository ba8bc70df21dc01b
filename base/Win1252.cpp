#include "base/Win1252.h"

char* WriteUtf8(char* at, char32_t code) {
  if (code < 0x80) {
    at[0] = static_cast<char>(code);
    return at + 1;
  }
  if (code < 0x800) {
    at[0] = static_cast<char>(0xC0 | (code >> 6));
    at[1] = static_cast<char>(0x80 | (code & 0x3F));
    return at + 2;
  }
  if (code < 0x10000) {
    at[0] = static_cast<char>(0xE0 | (code >> 12));
    at[1] = static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    at[2] = static_cast<char>(0x80 | (code & 0x3F));
    return at + 3;
  }
  at[0] = static_cast<char>(0xF0 | (code >> 18));
  at[1] = static_cast<char>(0x80 | ((code >> 12) & 0x3F));
  at[2] = static_cast<char>(0x80 | ((code >> 6) & 0x3F));
  at[3] = static_cast<char>(0x80 | (code & 0x3F));
  return at + 4;
}

void AppendUtf8(std::string& text, char32_t code) {
  char bytes[4];
  text.append(bytes, static_cast<size_t>(WriteUtf8(bytes, code) - bytes));
}

char32_t NextUtf8(std::string_view utf8, size_t& at) {
  constexpr char32_t kBad = 0xFFFD;
  const auto byte = [&utf8](size_t i) { return static_cast<unsigned char>(utf8[i]); };
  const unsigned char lead = byte(at++);
  if (lead < 0x80) return lead;
  int length = 0;
  char32_t code = 0;
  char32_t lowest = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 1;
    code = lead & 0x1F;
    lowest = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 2;
    code = lead & 0x0F;
    lowest = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 3;
    code = lead & 0x07;
    lowest = 0x10000;
  } else {
    return kBad;
  }
  if (utf8.size() - at < static_cast<size_t>(length)) return kBad;
  for (int i = 0; i < length; ++i) {
    const unsigned char next = byte(at + static_cast<size_t>(i));
    if ((next & 0xC0) != 0x80) return kBad;
    code = (code << 6) | (next & 0x3F);
  }
  if (code < lowest || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return kBad;
  at += static_cast<size_t>(length);
  return code;
}

char UnicodeToWin1252(char32_t code) {
  if (code < 0x80 || (code >= 0xA0 && code <= 0xFF)) return static_cast<char>(code);
  for (unsigned byte = 0x80; byte < 0xA0; ++byte) {
    if (Win1252ToUnicode(static_cast<unsigned char>(byte)) == code) return static_cast<char>(byte);
  }
  return '?';
}

std::string Win1252ToUtf8(std::string_view bytes) {
  std::string text;
  text.reserve(bytes.size());
  for (const char ch : bytes) AppendUtf8(text, Win1252ToUnicode(static_cast<unsigned char>(ch)));
  return text;
}

std::string CutToUtf16Units(std::string_view text, int units) {
  std::string cut;
  int used = 0;
  for (size_t at = 0; at < text.size();) {
    const char32_t code = NextUtf8(text, at);
    const int width = code >= 0x10000 ? 2 : 1;
    if (used + width > units) {
      // Half of a pair fits: the field keeps a lone surrogate, which no
      // encoding can write.
      if (used < units) AppendUtf8(cut, 0xFFFD);
      break;
    }
    AppendUtf8(cut, code);
    used += width;
  }
  return cut;
}

std::string Win1252ToShownUtf8(std::string_view bytes) {
  std::string text;
  text.reserve(bytes.size());
  for (const char ch : bytes) {
    const auto byte = static_cast<unsigned char>(ch);
    AppendUtf8(text, IsWin1252Control(byte) ? u' ' : Win1252ToUnicode(byte));
  }
  return text;
}

std::u16string Win1252ToUtf16(std::string_view bytes) {
  std::u16string text(bytes.size(), u'\0');
  for (size_t i = 0; i < bytes.size(); ++i)
    text[i] = Win1252ToUnicode(static_cast<unsigned char>(bytes[i]));
  return text;
}

std::string Utf8ToWin1252(std::string_view utf8) {
  std::string bytes;
  bytes.reserve(utf8.size());
  for (size_t at = 0; at < utf8.size();) bytes.push_back(UnicodeToWin1252(NextUtf8(utf8, at)));
  return bytes;
}

std::string Utf16ToWin1252(std::u16string_view utf16) {
  std::string bytes;
  bytes.reserve(utf16.size());
  for (size_t i = 0; i < utf16.size(); ++i) {
    const char16_t unit = utf16[i];
    // A surrogate pair is one character outside the code page.
    if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 &&
        utf16[i + 1] <= 0xDFFF) {
      ++i;
      bytes.push_back('?');
      continue;
    }
    bytes.push_back(UnicodeToWin1252(unit));
  }
  return bytes;
}

namespace {

// \xNN, with NN the byte in hexadecimal, upper case.
void AppendHexEscape(std::string& text, unsigned char byte) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  text.append("\\x").append(1, kHex[byte >> 4]).append(1, kHex[byte & 0xF]);
}

}  // namespace

std::string Win1252ForMessage(std::string_view bytes, std::size_t most) {
  const bool cut = bytes.size() > most;
  if (cut) bytes = bytes.substr(0, most);
  std::string text;
  text.reserve(bytes.size() + 8);
  for (const char ch : bytes) {
    const char16_t code = Win1252ToUnicode(static_cast<unsigned char>(ch));
    if (code == '\t') {
      text += "\\t";
    } else if (code == '\r') {
      text += "\\r";
    } else if (code == '\\') {
      text += "\\\\";
    } else if (IsControlCode(code)) {
      AppendHexEscape(text, static_cast<unsigned char>(ch));
    } else {
      AppendUtf8(text, code);
    }
  }
  if (cut) text += "\xE2\x80\xA6";  // an ellipsis
  return text;
}

std::string QuotedForMessage(std::string_view bytes, std::size_t most) {
  std::string text = "\"";
  text += Win1252ForMessage(bytes, most);
  text += '"';
  return text;
}

std::string PathForMessage(std::string_view path) {
  std::string shown;
  shown.reserve(path.size());
  const auto escape = [&shown](unsigned char byte) { AppendHexEscape(shown, byte); };
  for (size_t at = 0; at < path.size();) {
    const size_t from = at;
    const char32_t code = NextUtf8(path, at);
    if (code == 0xFFFD && at == from + 1) {
      escape(static_cast<unsigned char>(path[from]));  // no UTF-8 begins here
    } else if (code == '\n') {
      shown += "\\n";
    } else if (code == '\r') {
      shown += "\\r";
    } else if (code == '\t') {
      shown += "\\t";
    } else if (IsControlCode(code)) {
      // C1 controls too: a terminal takes some of them for escapes.
      for (size_t i = from; i < at; ++i) escape(static_cast<unsigned char>(path[i]));
    } else {
      shown.append(path.substr(from, at - from));
    }
  }
  return shown;
}
