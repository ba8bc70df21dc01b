#include "print/Win1252.h"

#include "base/Win1252.h"

QString FromWindows1252(std::string_view bytes) {
  // Sized once and filled in place: one character per byte.
  QString text(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
  char16_t* unit = reinterpret_cast<char16_t*>(text.data());
  for (const char ch : bytes) *unit++ = Win1252ToUnicode(static_cast<unsigned char>(ch));
  return text;
}

std::string ToWindows1252(const QString& text) {
  return Utf16ToWin1252(std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()),
                                            static_cast<size_t>(text.size())));
}

QString ShownText(std::string_view bytes) {
  QString text = FromWindows1252(bytes);
  for (QChar& ch : text) {
    if (ch.category() == QChar::Other_Control) ch = QLatin1Char(' ');
  }
  return text;
}
