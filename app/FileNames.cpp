#include "app/FileNames.h"

#include "base/Win1252.h"

namespace {

constexpr char16_t kEscapedByte = 0xDC00;  // + the byte, from 0x80 on

}  // namespace

QString FileNameFromBytes(std::string_view bytes) {
  QString name;
  name.reserve(static_cast<qsizetype>(bytes.size()));
  for (size_t at = 0; at < bytes.size();) {
    const size_t from = at;
    const char32_t code = NextUtf8(bytes, at);
    if (code == 0xFFFD && at == from + 1) {
      // Malformed UTF-8 begins with a byte from 0x80 on.
      name += QChar(static_cast<char16_t>(kEscapedByte + static_cast<unsigned char>(bytes[from])));
    } else {
      name += QString::fromUcs4(&code, 1);
    }
  }
  return name;
}

std::string FileNameBytes(const QString& name) {
  std::string bytes;
  bytes.reserve(static_cast<size_t>(name.size()));
  for (qsizetype i = 0; i < name.size(); ++i) {
    const char16_t unit = name[i].unicode();
    if (QChar::isHighSurrogate(unit) && i + 1 < name.size() && name[i + 1].isLowSurrogate()) {
      AppendUtf8(bytes, QChar::surrogateToUcs4(unit, name[++i].unicode()));
    } else if (unit >= kEscapedByte + 0x80 && unit <= kEscapedByte + 0xFF) {
      bytes += static_cast<char>(unit - kEscapedByte);
    } else if (QChar::isSurrogate(unit)) {
      bytes += '?';  // no text of FileNameFromBytes holds another
    } else {
      AppendUtf8(bytes, unit);
    }
  }
  return bytes;
}

QStringList ArgumentsOf(int argc, char* argv[]) {
  QStringList arguments;
  for (int i = 0; i < argc; ++i) arguments << FileNameFromBytes(argv[i]);
  return arguments;
}

QString ShownName(const QString& name) {
  return QString::fromStdString(PathForMessage(FileNameBytes(name)));
}
