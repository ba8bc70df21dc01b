#include "app/RulesLocation.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include "app/Build.h"
#include "rules/AtomicFile.h"
#include "rules/Rules.h"

namespace {

const QString kRulesName = QString::fromLatin1(RULES_FILE_NAME);

std::filesystem::path NativePath(const QString& path) {
  return std::filesystem::path(QFile::encodeName(path).toStdString());
}

QString FromNative(const std::string& text) { return QString::fromLocal8Bit(text); }

// A file that can be a rules file: it exists and is no folder.
bool IsCandidate(const QString& path) {
  const QFileInfo info(path);
  return info.exists() && !info.isDir();
}

QString Quoted(const QString& path) { return QLatin1Char('"') + path + QLatin1Char('"'); }

// The whole of the file at `path`; false with the reason when it cannot be read.
bool ReadWhole(const QString& path, std::string& bytes, QString& reason) {
  errno = 0;
  std::FILE* file = std::fopen(QFile::encodeName(path).constData(), "rb");
  if (file == nullptr) {
    reason = FromNative(DescribeErrno(errno != 0 ? errno : EIO));
    return false;
  }
  char buffer[8192];
  std::size_t n = 0;
  while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.append(buffer, n);
  const bool ok = std::ferror(file) == 0;
  const int err = errno;
  std::fclose(file);
  if (!ok) reason = FromNative(DescribeErrno(err != 0 ? err : EIO));
  return ok;
}

}  // namespace

CRulesPlaces CRulesPlaces::ForThisProgram() {
  CRulesPlaces places;
  places.workingFolder = QDir::currentPath();
  QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
  // A data folder given as a relative path is not one: it would put the
  // player's copy in whatever folder the program starts from.
  if (QDir::isRelativePath(data)) data = QDir::homePath() + QStringLiteral("/.local/share");
  places.dataFolder = data + QStringLiteral("/tarvo");
  places.installedRules =
      QDir::cleanPath(QCoreApplication::applicationDirPath() + QLatin1Char('/') +
                      QString::fromUtf8(TARVO_DATA_FROM_BINDIR) + QLatin1Char('/') + kRulesName);
  return places;
}

QString PlayerRulesPath(const QString& dataFolder) {
  return QDir::cleanPath(dataFolder + QLatin1Char('/') + kRulesName);
}

bool CreatePlayerCopy(const QString& installedRules, const QString& dataFolder, QString* error) {
  const QString folder = QDir::cleanPath(dataFolder);
  auto fail = [&](const QString& reason) {
    if (error != nullptr) {
      *error = QStringLiteral(
                   "Impossibile creare la copia delle regole del giocatore nella "
                   "cartella dei dati %1: %2.")
                   .arg(Quoted(folder), reason);
    }
    return false;
  };

  std::string bytes;
  QString reason;
  if (!ReadWhole(installedRules, bytes, reason)) {
    return fail(QStringLiteral("le regole installate %1 non si leggono (%2)")
                    .arg(Quoted(installedRules), reason));
  }

  std::error_code ec;
  std::filesystem::create_directories(NativePath(folder), ec);
  if (ec) return fail(FromNative(DescribeErrno(ec.value())));

  std::string writeError;
  if (!WriteFileAtomically(QFile::encodeName(PlayerRulesPath(folder)).toStdString(), bytes,
                           &writeError)) {
    // "Impossibile scrivere il file ...: reason." continues the sentence.
    QString detail = FromNative(writeError);
    if (detail.endsWith(QLatin1Char('.'))) detail.chop(1);
    if (!detail.isEmpty()) detail[0] = detail[0].toLower();
    return fail(detail);
  }
  return true;
}

CRulesLocation FindRulesFile(const QString& explicitFile, const CRulesPlaces& places,
                             CPlayerCopy copy) {
  CRulesLocation location;
  const QDir working(places.workingFolder);

  if (!explicitFile.isEmpty()) {
    const QString path = QDir::cleanPath(working.absoluteFilePath(explicitFile));
    if (QFileInfo::exists(path)) {
      location.path = path;
    } else {
      location.error = QStringLiteral("Il file delle regole %1 non esiste.").arg(Quoted(path));
    }
    return location;
  }

  const QString inWorkingFolder = QDir::cleanPath(working.absoluteFilePath(kRulesName));
  const QString playerCopy = PlayerRulesPath(places.dataFolder);
  for (const QString& path : {inWorkingFolder, playerCopy}) {
    if (IsCandidate(path)) {
      location.path = path;
      return location;
    }
  }

  if (!IsCandidate(places.installedRules)) {
    location.error =
        QStringLiteral(
            "File delle regole non trovato. Cercato, in quest'ordine: %1 (cartella di "
            "lavoro), %2 (copia del giocatore), %3 (regole installate).")
            .arg(Quoted(inWorkingFolder), Quoted(playerCopy), Quoted(places.installedRules));
    return location;
  }
  if (copy == CPlayerCopy::Skip) {
    location.path = places.installedRules;
    return location;
  }
  if (CreatePlayerCopy(places.installedRules, places.dataFolder, &location.error)) {
    location.path = playerCopy;
  }
  return location;
}
