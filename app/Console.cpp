#include "app/Console.h"

#include <QCommandLineParser>
#include <QStringList>

void WriteText(std::FILE* stream, const QString& text) {
  std::fputs(text.toLocal8Bit().constData(), stream);
  std::fflush(stream);
}

QString UnknownOptionError(const QCommandLineParser& parser) {
  const QStringList unknown = parser.unknownOptionNames();
  if (unknown.isEmpty()) return {};
  const QString& name = unknown.front();
  return QStringLiteral("opzione sconosciuta: %1%2")
      .arg(name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--"), name);
}
