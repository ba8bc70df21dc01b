#include "app/RulesLocation.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

#include "app/Build.h"
#include "app/Console.h"
#include "app/FileNames.h"
#include "base/AtomicFile.h"
#include "rules/Rules.h"
#include "rules/RulesCheck.h"

namespace {

const QString kRulesName = QString::fromLatin1(RULES_FILE_NAME);

// The path as the system takes it: the bytes the name was made from.
std::filesystem::path NativePath(const QString& path) {
  return std::filesystem::path(FileNameBytes(path));
}

// Words the core made (Italian, in UTF-8): the reason of an error, say.
QString FromCore(const std::string& text) { return QString::fromUtf8(text); }

std::filesystem::file_status StatusOf(const QString& path) {
  std::error_code ec;
  return std::filesystem::status(NativePath(path), ec);
}

// A file that can be a rules file: it exists and is no folder.
bool IsCandidate(const QString& path) {
  const std::filesystem::file_status status = StatusOf(path);
  return std::filesystem::exists(status) && !std::filesystem::is_directory(status);
}

// The whole of the file at `path`; false with the reason when it cannot be read.
bool ReadWhole(const QString& path, std::string& bytes, QString& reason) {
  errno = 0;
  std::FILE* file = std::fopen(FileNameBytes(path).c_str(), "rb");
  if (file == nullptr) {
    reason = FromCore(DescribeErrno(errno != 0 ? errno : EIO));
    return false;
  }
  char buffer[8192];
  std::size_t n = 0;
  while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.append(buffer, n);
  const bool ok = std::ferror(file) == 0;
  const int err = errno;
  std::fclose(file);
  if (!ok) reason = FromCore(DescribeErrno(err != 0 ? err : EIO));
  return ok;
}

}  // namespace

QString RulesSearchText() {
  return QStringLiteral(
      "  1. tarvo.rul nella cartella di lavoro;\n"
      "  2. la copia del giocatore, tarvo.rul in $XDG_DATA_HOME/tarvo\n"
      "     (di solito ~/.local/share/tarvo);\n"
      "  3. le regole installate, che la prima volta diventano la copia del giocatore\n"
      "     (se la cartella dei dati non si può scrivere, si leggono come sono).\n");
}

CRulesPlaces CRulesPlaces::ForThisProgram() {
  CRulesPlaces places;
  std::error_code ignored;
  // The working folder as its bytes: QDir::currentPath would lose those
  // that are no UTF-8.
  const std::filesystem::path current = std::filesystem::current_path(ignored);
  places.workingFolder = ignored ? QDir::currentPath() : FileNameFromBytes(current.native());
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

namespace {

// Writes `bytes` as the player's copy in `folder`, creating the folder when
// needed; false with the reason, as words that go on a sentence, when it
// cannot.
bool WriteCopy(std::string_view bytes, const QString& folder, QString& reason) {
  std::error_code ec;
  std::filesystem::create_directories(NativePath(folder), ec);
  if (ec) {
    reason = FromCore(DescribeErrno(ec.value()));
    return false;
  }
  std::string writeError;
  if (!WriteFileAtomically(FileNameBytes(PlayerRulesPath(folder)), bytes, &writeError)) {
    // "Impossibile scrivere il file ...: reason." continues the sentence.
    reason = FromCore(writeError);
    if (reason.endsWith(QLatin1Char('.'))) reason.chop(1);
    if (!reason.isEmpty()) reason[0] = reason[0].toLower();
    return false;
  }
  return true;
}

}  // namespace

bool CreatePlayerCopy(const QString& installedRules, const QString& dataFolder, QString* error) {
  const QString folder = QDir::cleanPath(dataFolder);
  std::string bytes;
  QString reason;
  if (!ReadWhole(installedRules, bytes, reason)) {
    reason = QStringLiteral("le regole installate %1 non si leggono (%2)")
                 .arg(Quoted(installedRules), reason);
  } else if (WriteCopy(bytes, folder, reason)) {
    return true;
  }
  if (error != nullptr) {
    *error = QStringLiteral(
                 "Impossibile creare la copia delle regole del giocatore nella cartella dei "
                 "dati %1: %2.")
                 .arg(Quoted(folder), reason);
  }
  return false;
}

bool SavePlayerRules(std::string_view bytes, const QString& dataFolder, QString* error) {
  const QString folder = QDir::cleanPath(dataFolder);
  QString reason;
  if (WriteCopy(bytes, folder, reason)) return true;
  if (error != nullptr) {
    *error = QStringLiteral(
                 "Impossibile salvare le regole nella copia del giocatore, nella cartella dei "
                 "dati %1: %2.")
                 .arg(Quoted(folder), reason);
  }
  return false;
}

CRulesLocation FindRulesFile(const QString& explicitFile, const CRulesPlaces& places,
                             CPlayerCopy copy) {
  CRulesLocation location;
  const QDir working(places.workingFolder);

  if (!explicitFile.isEmpty()) {
    const QString path = QDir::cleanPath(working.absoluteFilePath(explicitFile));
    if (std::filesystem::exists(StatusOf(path))) {
      location.path = path;
    } else {
      location.error = QStringLiteral("Il file delle regole %1 non esiste.").arg(Quoted(path));
    }
    return location;
  }

  const QString inWorkingFolder = QDir::cleanPath(working.absoluteFilePath(kRulesName));
  if (IsCandidate(inWorkingFolder)) {
    location.path = inWorkingFolder;
    return location;
  }
  // An empty copy is what a power cut right after the first start can leave
  // behind; no player writes empty rules.
  const QString playerCopy = PlayerRulesPath(places.dataFolder);
  std::error_code ec;
  const bool emptyCopy =
      IsCandidate(playerCopy) && std::filesystem::file_size(NativePath(playerCopy), ec) == 0 && !ec;
  if (IsCandidate(playerCopy) && !emptyCopy) {
    location.path = playerCopy;
    return location;
  }
  const QString emptyNotice =
      QStringLiteral(
          "La copia delle regole del giocatore %1 è vuota (0 byte): non sono regole "
          "scritte dal giocatore.")
          .arg(Quoted(playerCopy));

  if (!IsCandidate(places.installedRules)) {
    location.error =
        QStringLiteral(
            "File delle regole non trovato. Cercato, in quest'ordine: %1 (cartella di "
            "lavoro), %2 (copia del giocatore%4), %3 (regole installate).")
            .arg(Quoted(inWorkingFolder), Quoted(playerCopy), Quoted(places.installedRules),
                 emptyCopy ? QStringLiteral(", vuota") : QString());
    return location;
  }
  if (copy == CPlayerCopy::Skip) {
    location.path = QDir::cleanPath(working.absoluteFilePath(places.installedRules));
    return location;
  }
  QString copyError;
  if (CreatePlayerCopy(places.installedRules, places.dataFolder, &copyError)) {
    location.path = playerCopy;
    if (emptyCopy) {
      location.notice =
          emptyNotice + QStringLiteral(" Vi si sono copiate di nuovo le regole installate %1.")
                            .arg(Quoted(places.installedRules));
    }
    return location;
  }
  // A home that cannot be written (a guest session, a kiosk) still plays:
  // on the installed rules, which are never written.
  location.path = QDir::cleanPath(working.absoluteFilePath(places.installedRules));
  location.readOnly = true;
  location.notice = (emptyCopy ? emptyNotice + QLatin1Char(' ') : QString()) + copyError +
                    QStringLiteral(" Si usano le regole installate %1, in sola lettura.")
                        .arg(Quoted(location.path));
  return location;
}

std::unique_ptr<CRules> LoadRulesWithoutWindow(const QString& explicitFile,
                                               const std::function<void(const QString&)>& say,
                                               std::string& path) {
  const CRulesLocation location = FindRulesFile(explicitFile, CRulesPlaces::ForThisProgram());
  if (!location.Found()) {
    say(location.error);
    return nullptr;
  }
  if (!location.notice.isEmpty()) say(location.notice);
  path = FileNameBytes(location.path);
  auto rules = std::make_unique<CRules>(path.c_str());
  if (!rules->IsLoaded()) {
    say(QString::fromUtf8(rules->GetLoadError().m_strMessage + FurtherProblemsNote(path.c_str())));
    return nullptr;
  }
  return rules;
}
