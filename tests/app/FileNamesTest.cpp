// File names from the command line: any bytes come back as they went in,
// whatever Qt's text makes of them.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "app/FileNames.h"

TEST(FileNames, AnyBytesComeBackAsTheyWereAndShowOnOneLine) {
  std::mt19937 random(28);
  // Pieces that make UTF-8 and every way of failing it: a stray continuation,
  // a cut or overlong sequence, an encoded surrogate, a lead byte past U+10FFFF.
  const std::string pieces[] = {
      "a",    "/",    "\n",       "\xE9",     "\xC3\xA9",     "\xE2\x82\xAC", "\xF0\x9F\x8E\xB2",
      "\x80", "\xC3", "\xE2\x82", "\xC0\xAF", "\xED\xA0\x80", "\xF5\x80",     "\xEF\xBF\xBD",
      "\xFF"};
  for (int round = 0; round < 20000; ++round) {
    std::string bytes;
    for (int n = static_cast<int>(random() % 8); n > 0; --n)
      bytes += pieces[random() % std::size(pieces)];
    const QString name = FileNameFromBytes(bytes);
    ASSERT_EQ(FileNameBytes(name), bytes);
    // Shown, nothing of it breaks the line or steers a terminal.
    const QString shown = ShownName(name);
    for (const char32_t code : shown.toUcs4()) ASSERT_TRUE(QChar::isPrint(code)) << bytes;
  }
  EXPECT_EQ(ShownName(FileNameFromBytes("\xE9roe\n\xC3\xA9.pg")),
            QStringLiteral("\\xE9roe\\né.pg"));
}
