// File names as the system has them: bytes, which need not be UTF-8 (a name
// from an old share or a USB stick may be Latin-1). The command line is read
// so that every name on it reaches the system byte for byte, whatever Qt
// makes of text.
#pragma once

#include <QString>
#include <QStringList>
#include <string>
#include <string_view>

// `bytes` as text: UTF-8 where they are UTF-8, and each byte that begins no
// UTF-8 character as the lone surrogate U+DC80 + byte, which no UTF-8 text
// holds. FileNameBytes gives the same bytes back.
QString FileNameFromBytes(std::string_view bytes);
// The bytes of a name made by FileNameFromBytes, or of any text: UTF-8, with
// each of those surrogates as its byte.
std::string FileNameBytes(const QString& name);

// The command line, each argument as FileNameFromBytes makes it.
QStringList ArgumentsOf(int argc, char* argv[]);

// A name as a message shows it (PathForMessage): its bytes that are no UTF-8
// and its control characters escaped, so that the message stays one line.
QString ShownName(const QString& name);
