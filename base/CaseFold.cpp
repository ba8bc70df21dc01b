#include "base/CaseFold.h"

std::string FoldAsciiCase(std::string_view text) {
  std::string folded(text);
  for (char& ch : folded) ch = FoldAsciiByte(ch);
  return folded;
}

unsigned char FoldWin1252Case(unsigned char byte) {
  if ((byte >= 'A' && byte <= 'Z') || (byte >= 0xC0 && byte <= 0xDE && byte != 0xD7))
    return static_cast<unsigned char>(byte + 0x20);
  switch (byte) {
    case 0x8A:  // S caron
    case 0x8C:  // OE
    case 0x8E:  // Z caron
      return static_cast<unsigned char>(byte + 0x10);
    case 0x9F:  // Y diaeresis
      return 0xFF;
    default:
      return byte;
  }
}

char32_t FoldUnicodeCase(char32_t cp) {
  if ((cp >= 'A' && cp <= 'Z') || (cp >= 0xC0 && cp <= 0xDE && cp != 0xD7)) return cp + 0x20;
  switch (cp) {
    case 0x00B5:  // micro sign
    case 0x039C:  // capital mu
      return 0x03BC;
    case 0x0152:  // OE
    case 0x0160:  // S caron
    case 0x017D:  // Z caron
    case 0x0191:  // F hook
      return cp + 1;
    case 0x0178:  // Y diaeresis
      return 0x00FF;
    case 0x017F:  // long s
      return 's';
    case 0x1E9E:  // capital sharp s
      return 0x00DF;
    case 0x212A:  // Kelvin sign
      return 'k';
    case 0x212B:  // Angstrom sign
      return 0x00E5;
    default:
      return cp;
  }
}
