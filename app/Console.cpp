#include "app/Console.h"

#include <QCommandLineParser>
#include <QStringList>

bool WriteText(std::FILE* stream, const QString& text) {
  const bool written = std::fputs(text.toLocal8Bit().constData(), stream) >= 0;
  return std::fflush(stream) == 0 && written && std::ferror(stream) == 0;
}

QString UnknownOptionError(const QCommandLineParser& parser) {
  const QStringList unknown = parser.unknownOptionNames();
  if (unknown.isEmpty()) return {};
  const QString& name = unknown.front();
  return QStringLiteral("opzione sconosciuta: %1%2")
      .arg(name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--"), name);
}
