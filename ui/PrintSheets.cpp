#include "ui/PrintSheets.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/Console.h"
#include "app/FileNames.h"
#include "app/Interrupt.h"
#include "app/Progress.h"
#include "app/RulesLocation.h"
#include "base/AtomicFile.h"
#include "base/FileAccess.h"
#include "character/SheetReader.h"
#include "print/PrintableSheet.h"
#include "rules/Rules.h"

namespace {

// Writes `bytes` as the new file `path` (as named), which must not exist:
// created exclusively, so a file that appears meanwhile is never replaced. On
// failure no file is left and `error` says why. Nothing is synced here: the
// run syncs once, at its end.
bool WriteNewFile(const QString& path, const QByteArray& bytes, QString& error) {
  const std::string name = FileNameBytes(path);
  const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
  int err = fd < 0 ? errno : 0;
  if (fd < 0 && err == EEXIST) {
    error = QStringLiteral("la scheda stampabile %1 esiste già: --sovrascrivi la sostituisce")
                .arg(Quoted(path));
    return false;
  }
  if (fd >= 0 &&
      !WriteAndClose(fd, std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())),
                     err))
    ::unlink(name.c_str());
  if (err != 0) {
    error = QString::fromUtf8(WriteErrorText(name, DescribeErrno(err)));
    return false;
  }
  return true;
}

// What tells one file from another whatever it is named: its device and
// inode, or, for a name that names nothing yet, the name as written.
using FileKey = std::pair<std::pair<dev_t, ino_t>, std::string>;

FileKey KeyOf(const struct stat& info, std::string name = {}) {
  return {{info.st_dev, info.st_ino}, std::move(name)};
}

// The file `path` names, links followed.
FileKey FileIdentity(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) == 0) return KeyOf(info);
  return {{0, 0}, path};
}

// Where a file to be made at `path` goes: its folder's identity and its own
// name.
FileKey PlaceIdentity(const std::string& path) {
  struct stat info {};
  if (::stat(FolderOf(path).c_str(), &info) == 0)
    return KeyOf(info, std::filesystem::path(path).filename().string());
  return {{0, 0}, path};
}

// The folders the run wrote new printable sheets into, one of each file
// system, for the one sync at the end.
class CWrittenFolders {
 public:
  CWrittenFolders() = default;
  CWrittenFolders(const CWrittenFolders&) = delete;
  CWrittenFolders& operator=(const CWrittenFolders&) = delete;
  ~CWrittenFolders() {
    for (const auto& [device, fd] : m_folders) ::close(fd);
  }

  void Add(const std::string& file) {
    const int fd = ::open(FolderOf(file).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    struct stat info {};
    if (fd < 0 || ::fstat(fd, &info) != 0 || !m_folders.emplace(info.st_dev, fd).second) {
      if (fd >= 0) ::close(fd);
    }
  }
  bool Empty() const { return m_folders.empty(); }
  // Syncs each file system written to; false, with the reason, when one
  // cannot be.
  bool Sync(std::string& reason) const {
    for (const auto& [device, fd] : m_folders) {
      if (::syncfs(fd) != 0) {
        reason = DescribeErrno(errno);
        return false;
      }
    }
    return true;
  }

 private:
  std::map<dev_t, int> m_folders;
};

}  // namespace

QString PrintablePathFor(const QString& sheet) {
  const QString base =
      sheet.endsWith(QStringLiteral(".pg"), Qt::CaseInsensitive) ? sheet.chopped(3) : sheet;
  return base + QStringLiteral(".pdf");
}

bool PrintSheets(const CPrintSheetsOptions& options, const CPrintSheetsEvents& events,
                 CPrintSheetsResult& result) {
  const auto say = [&events](const QString& line) {
    if (events.line) events.line(line);
  };
  std::string rulesPath;
  const std::unique_ptr<CRules> rules = LoadRulesWithoutWindow(options.rulesFile, say, rulesPath);
  if (!rules) return false;

  // Where each printable sheet goes -> the sheet it comes from, and as named.
  std::map<FileKey, std::pair<FileKey, QString>> printedFrom;
  CWrittenFolders written;
  const int total = static_cast<int>(options.sheets.size());
  for (int n = 0; n < total; ++n) {
    const QString& path = options.sheets[n];
    if (events.progress && !events.progress(n, total, path)) {
      result.stopped = true;
      break;
    }
    const auto fail = [&](const QString& line) {
      ++result.failed;
      say(line);
    };
    const std::string sheetBytes = FileNameBytes(path);
    const FileKey sheetKey = FileIdentity(sheetBytes);
    const QString pdfPath = PrintablePathFor(path);
    const std::string pdfBytes = FileNameBytes(pdfPath);
    const auto [earlier, first] =
        printedFrom.emplace(PlaceIdentity(pdfBytes), std::make_pair(sheetKey, path));
    if (!first) {
      // A sheet named twice (again, or through a link to its folder) is
      // printed once.
      if (earlier->second.first == sheetKey) continue;
      fail(QStringLiteral("la scheda stampabile %1 sarebbe sia di %2 sia di %3: si scrive solo "
                          "la prima")
               .arg(Quoted(pdfPath), Quoted(earlier->second.second), Quoted(path)));
      continue;
    }
    // Nothing is read when the printable sheet is there already and stays.
    struct stat pdfInfo {};
    const bool pdfThere = ::lstat(pdfBytes.c_str(), &pdfInfo) == 0;
    if (!options.overwrite && pdfThere) {
      fail(QStringLiteral("la scheda stampabile %1 esiste già: --sovrascrivi la sostituisce")
               .arg(Quoted(pdfPath)));
      continue;
    }
    // A sheet that is a link to its own printable sheet's name (or the same
    // file by another name) would be replaced by it: its only copy lost.
    if (pdfThere && KeyOf(pdfInfo) == sheetKey) {
      fail(QStringLiteral("la scheda %1 e la scheda stampabile %2 sono lo stesso file: la "
                          "stampabile cancellerebbe la scheda, e non si scrive")
               .arg(Quoted(path), Quoted(pdfPath)));
      continue;
    }

    CSheet sheet;
    CSheetError error;
    if (!ReadSheet(sheetBytes.c_str(), *rules, sheet, &error)) {
      fail(QString::fromUtf8(error.m_strMessage));
      continue;
    }
    // The character as the form would show it.
    auto character = std::make_unique<CCharacter>();
    ApplySheet(sheet, *rules, *character);
    std::vector<std::string> archetypes;
    for (int k = 0; k < sheet.m_nArchetypes; ++k)
      archetypes.push_back(rules->m_aArchetypes[sheet.m_aArchetypes[k]].m_strName);
    const SheetContent content{*character, *rules, archetypes, rulesPath};

    // The sheet carried inside is named as UTF-8 can name it.
    const QString carried =
        QString::fromUtf8(std::filesystem::path(sheetBytes).filename().string());
    const QByteArray pdf = PrintableSheetPdf(content, carried);
    if (pdf.isEmpty()) {
      fail(QStringLiteral("impossibile disegnare la scheda stampabile %1").arg(Quoted(pdfPath)));
      continue;
    }
    QString writeError;
    bool done = false;
    if (options.overwrite) {
      std::string reason;
      // A link in the printable sheet's place is replaced, never written
      // through: the name is made up from the sheet's, not chosen.
      done = ReplaceFileAtomically(pdfBytes, std::string_view(pdf.constData(), pdf.size()),
                                   CLinkAtPath::Replace, reason);
      if (!done) writeError = QString::fromUtf8(WriteErrorText(pdfBytes, reason));
    } else {
      done = WriteNewFile(pdfPath, pdf, writeError);
      if (done) written.Add(pdfBytes);
    }
    if (!done) {
      fail(writeError);
      continue;
    }
    ++result.written;
  }

  // One sync for the new printable sheets, however the run ended: a power
  // cut after the last line never leaves an empty one.
  if (!written.Empty()) {
    if (events.syncing) events.syncing();
    std::string reason;
    if (!written.Sync(reason)) {
      result.unsynced = true;
      say(QStringLiteral("impossibile portare sul disco le schede stampabili scritte: %1")
              .arg(QString::fromUtf8(reason)));
    }
  }
  return true;
}

int RunPrintSheets(const CPrintSheetsOptions& options) {
  // On a terminal a line tells how far a long run is; the lines of the
  // sheets that fail go out on lines of their own.
  CProgressLine progress(stderr, true);
  CInterruptWatch interrupt;
  CPrintSheetsEvents events;
  events.line = [&progress](const QString& line) {
    progress.Say(QStringLiteral("tarvo: ") + line);
  };
  events.progress = [&](int done, int total, const QString& sheet) {
    if (interrupt.Requested()) return false;
    if (progress.Due()) {
      progress.Show(
          QStringLiteral("Scheda %1 di %2: %3").arg(done + 1).arg(total).arg(ShownName(sheet)));
    }
    return true;
  };
  // The last step, once: on a slow disk it may take as long as the rest.
  events.syncing = [&progress] {
    if (progress.Active()) progress.Show(QStringLiteral("Scrittura sul disco"));
  };
  CPrintSheetsResult result;
  if (!PrintSheets(options, events, result)) return 1;
  const auto count = [](int sheets) {
    return sheets == 1 ? QStringLiteral("1 scheda stampabile")
                       : QStringLiteral("%1 schede stampabili").arg(sheets);
  };
  if (result.stopped) {
    progress.Say(
        QStringLiteral("tarvo: interrotto: %1 %2 di %3, le altre no")
            .arg(result.written == 1 ? QStringLiteral("scritta") : QStringLiteral("scritte"),
                 count(result.written))
            .arg(options.sheets.size()));
    interrupt.EndBySignal();
  }
  progress.Finish(
      QStringLiteral("%1 %2 (%3)%4")
          .arg(result.written == 1 ? QStringLiteral("Scritta") : QStringLiteral("Scritte"),
               count(result.written), progress.Elapsed(),
               result.failed == 0   ? QString()
               : result.failed == 1 ? QStringLiteral("; 1 non stampata")
                                    : QStringLiteral("; %1 non stampate").arg(result.failed)));
  return result.failed == 0 && !result.unsynced ? 0 : 1;
}
