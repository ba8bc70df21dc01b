#include "ui/PrintSheets.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
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
#include "character/Foundry.h"
#include "character/SheetReader.h"
#include "print/GroupSheet.h"
#include "print/PrintableSheet.h"
#include "rules/Rules.h"

namespace {

// The words of a run's lines, which name what it writes.
struct COutputWords {
  const char* exists;    // %1 the file made: it is there already
  const char* twice;     // %1 the file made, %2 and %3 the two sheets it would be of
  const char* sameFile;  // %1 the sheet, %2 the file made: one file
  const char* unsynced;  // %1 the reason
  const char* one;       // "1 ...": one file made
  const char* many;      // "%1 ...": any other count
  const char *writtenOne, *writtenMany;  // how the count was written, in the last line
  const char* othersNot;                 // after the count of an interrupted run
  const char *failedOne, *failedMany;    // the sheets that failed, in the last line
};

const COutputWords& WordsFor(CSheetOutput output) {
  static const COutputWords pdf = {
      "la scheda stampabile %1 esiste già: --sovrascrivi la sostituisce",
      "la scheda stampabile %1 sarebbe sia di %2 sia di %3: si scrive solo la prima",
      "la scheda %1 e la scheda stampabile %2 sono lo stesso file: la stampabile cancellerebbe "
      "la scheda, e non si scrive",
      "impossibile portare sul disco le schede stampabili scritte: %1",
      "1 scheda stampabile",
      "%1 schede stampabili",
      "scritta",
      "scritte",
      "le altre no",
      "; 1 non stampata",
      "; %1 non stampate",
  };
  static const COutputWords foundry = {
      "il file per Foundry %1 esiste già: --sovrascrivi lo sostituisce",
      "il file per Foundry %1 sarebbe sia di %2 sia di %3: si scrive solo il primo",
      "la scheda %1 e il file per Foundry %2 sono lo stesso file: il file per Foundry "
      "cancellerebbe la scheda, e non si scrive",
      "impossibile portare sul disco i file per Foundry scritti: %1",
      "1 file per Foundry",
      "%1 file per Foundry",
      "scritto",
      "scritti",
      "gli altri no",
      "; 1 non esportata",
      "; %1 non esportate",
  };
  return output == CSheetOutput::Foundry ? foundry : pdf;
}

QString Words(const char* text) { return QString::fromUtf8(text); }

// Writes `bytes` as the new file `path` (as named), which must not exist:
// created exclusively, so a file that appears meanwhile is never replaced. On
// failure no file is left and `error` says why (`exists` when it is there
// already). Nothing is synced here: the run syncs once, at its end.
bool WriteNewFile(const QString& path, std::string_view bytes, const QString& exists,
                  QString& error) {
  const std::string name = FileNameBytes(path);
  const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
  int err = fd < 0 ? errno : 0;
  if (fd < 0 && err == EEXIST) {
    error = exists.arg(Quoted(path));
    return false;
  }
  if (fd >= 0 && !WriteAndClose(fd, bytes, err)) ::unlink(name.c_str());
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

QString PrintablePathFor(const QString& sheet) { return OutputPathFor(sheet, CSheetOutput::Pdf); }

QString OutputPathFor(const QString& sheet, CSheetOutput output) {
  const QString base =
      sheet.endsWith(QStringLiteral(".pg"), Qt::CaseInsensitive) ? sheet.chopped(3) : sheet;
  return base + (output == CSheetOutput::Foundry ? QString::fromUtf8(FOUNDRY_EXTENSION)
                                                 : QStringLiteral(".pdf"));
}

namespace {

// A sheet read, as the form would show it: its character and the names of
// its archetypes.
struct CShownSheet {
  std::unique_ptr<CCharacter> character = std::make_unique<CCharacter>();
  std::vector<std::string> archetypes;
};

CShownSheet ShowSheet(const CSheet& sheet, const CRules& rules) {
  CShownSheet shown;
  ApplySheet(sheet, rules, *shown.character);
  for (int k = 0; k < sheet.m_nArchetypes; ++k)
    shown.archetypes.push_back(rules.m_aArchetypes[sheet.m_aArchetypes[k]].m_strName);
  return shown;
}

// What `output` makes of a sheet read: the bytes of its file, or empty when
// it cannot be made. `carried` names the sheet inside a printable sheet.
std::string OutputBytes(CSheetOutput output, const CSheet& sheet, const CRules& rules,
                        const std::string& rulesPath, const std::string& rulesHash,
                        const QString& carried) {
  const CShownSheet shown = ShowSheet(sheet, rules);
  if (output == CSheetOutput::Foundry) {
    // No seed: the same character gives the same bytes as the form's Salva.
    return FoundryActorJson(
        {*shown.character, rules, shown.archetypes, rulesPath, rulesHash, std::nullopt});
  }
  const SheetContent content{*shown.character, rules, shown.archetypes, rulesPath};
  const QByteArray pdf = PrintableSheetPdf(content, carried);
  return std::string(pdf.constData(), static_cast<size_t>(pdf.size()));
}

QString GroupExistsText() {
  return QStringLiteral("il foglio del gruppo %1 esiste già: --sovrascrivi lo sostituisce");
}

// Why the group sheet of `options` cannot be written, told before anything
// is read: it is there and is to stay, it cannot be replaced, its folder
// cannot be written, or it is one of the sheets. Empty when it can be.
QString GroupSheetRefusal(const CPrintSheetsOptions& options) {
  const QString& path = options.groupFile;
  const std::string file = FileNameBytes(path);
  const auto cannot = [&file](const std::string& reason) {
    return QString::fromUtf8(WriteErrorText(file, reason));
  };
  struct stat info {};
  const bool there = ::lstat(file.c_str(), &info) == 0;
  if (there && !options.overwrite) return GroupExistsText().arg(Quoted(path));
  // A link in its place is replaced, whatever it names.
  if (there && !S_ISLNK(info.st_mode)) {
    if (!S_ISREG(info.st_mode))
      return QStringLiteral("il foglio del gruppo %1 esiste e non è un file: non si sostituisce")
          .arg(Quoted(path));
    if ((info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
      return cannot("il file è in sola lettura");
    if (::access(file.c_str(), W_OK) != 0) return cannot(DescribeErrno(errno));
  }
  if (::access(FolderOf(file).c_str(), W_OK | X_OK) != 0) return cannot(DescribeErrno(errno));
  if (!there) return {};
  // The file in its place, and the one it names, if it is a link.
  std::set<FileKey> replaced = {KeyOf(info)};
  if (::stat(file.c_str(), &info) == 0) replaced.insert(KeyOf(info));
  for (const QString& sheet : options.sheets) {
    if (replaced.count(FileIdentity(FileNameBytes(sheet))) != 0)
      return QStringLiteral(
                 "la scheda %1 e il foglio del gruppo %2 sono lo stesso file: il foglio "
                 "cancellerebbe la scheda, e non si scrive")
          .arg(Quoted(sheet), Quoted(path));
  }
  return {};
}

// PrintSheets for CSheetOutput::Group.
bool PrintGroupSheet(const CPrintSheetsOptions& options, const CPrintSheetsEvents& events,
                     CPrintSheetsResult& result) {
  const auto say = [&events](const QString& line) {
    if (events.line) events.line(line);
  };
  const QString refusal = GroupSheetRefusal(options);
  if (!refusal.isEmpty()) {
    say(refusal);
    return false;
  }
  std::string rulesPath;
  const std::unique_ptr<CRules> rules = LoadRulesWithoutWindow(options.rulesFile, say, rulesPath);
  if (!rules) return false;

  CGroupSheet group(rulesPath);
  std::set<FileKey> added;  // the sheets in it, whatever they were named
  const int total = static_cast<int>(options.sheets.size());
  for (int n = 0; n < total; ++n) {
    const QString& path = options.sheets[n];
    if (events.progress && !events.progress(n, total, path)) {
      result.stopped = true;
      return true;
    }
    const std::string sheetBytes = FileNameBytes(path);
    // A sheet named twice (again, or through a link to it or its folder) is
    // in it once.
    if (!added.insert(FileIdentity(sheetBytes)).second) continue;
    CSheet sheet;
    CSheetError error;
    if (!ReadSheet(sheetBytes.c_str(), *rules, sheet, &error)) {
      ++result.failed;
      say(QString::fromUtf8(error.m_strMessage));
      continue;
    }
    const CShownSheet shown = ShowSheet(sheet, *rules);
    group.Add({*shown.character, *rules, shown.archetypes, rulesPath},
              std::filesystem::path(sheetBytes).filename().string());
    ++result.written;
  }

  const QString named = Quoted(options.groupFile);
  if (group.Count() == 0) {
    say(QStringLiteral("il foglio del gruppo %1 non si scrive: nessuna scheda da metterci")
            .arg(named));
    return true;
  }
  if (events.group && !events.group(false, group.Count())) {
    result.stopped = true;
    return true;
  }
  const QByteArray pdf = group.Pdf();
  // Drawing thousands takes a while: a stop asked for meanwhile still holds.
  if (events.group && !events.group(true, group.Count())) {
    result.stopped = true;
    return true;
  }
  if (pdf.isEmpty()) {
    say(QStringLiteral("impossibile disegnare il foglio del gruppo %1").arg(named));
    return true;
  }
  const std::string_view bytes(pdf.constData(), static_cast<size_t>(pdf.size()));
  const std::string file = FileNameBytes(options.groupFile);
  if (options.overwrite) {
    // Synced before it takes the name.
    std::string reason;
    if (!ReplaceFileAtomically(file, bytes, CLinkAtPath::Replace, reason)) {
      say(QString::fromUtf8(WriteErrorText(file, reason)));
      return true;
    }
  } else {
    QString error;
    if (!WriteNewFile(options.groupFile, bytes, GroupExistsText(), error)) {
      say(error);
      return true;
    }
    CWrittenFolders written;
    written.Add(file);
    if (events.syncing) events.syncing();
    std::string reason;
    if (!written.Sync(reason)) {
      result.unsynced = true;
      say(QStringLiteral("impossibile portare sul disco il foglio del gruppo %1: %2")
              .arg(named, QString::fromUtf8(reason)));
    }
  }
  result.groupWritten = true;
  return true;
}

}  // namespace

bool PrintSheets(const CPrintSheetsOptions& options, const CPrintSheetsEvents& events,
                 CPrintSheetsResult& result) {
  if (options.output == CSheetOutput::Group) return PrintGroupSheet(options, events, result);
  const auto say = [&events](const QString& line) {
    if (events.line) events.line(line);
  };
  std::string rulesPath;
  const std::unique_ptr<CRules> rules = LoadRulesWithoutWindow(options.rulesFile, say, rulesPath);
  if (!rules) return false;
  const COutputWords& words = WordsFor(options.output);
  // Every actor names the same rules: their hash is taken once.
  const std::string rulesHash =
      options.output == CSheetOutput::Foundry ? RulesFileHash(rulesPath) : std::string();

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
    const QString madePath = OutputPathFor(path, options.output);
    const std::string madeBytes = FileNameBytes(madePath);
    const auto [earlier, first] =
        printedFrom.emplace(PlaceIdentity(madeBytes), std::make_pair(sheetKey, path));
    if (!first) {
      // A sheet named twice (again, or through a link to its folder) is
      // printed once.
      if (earlier->second.first == sheetKey) continue;
      fail(Words(words.twice).arg(Quoted(madePath), Quoted(earlier->second.second), Quoted(path)));
      continue;
    }
    // Nothing is read when the printable sheet is there already and stays.
    struct stat madeInfo {};
    const bool madeThere = ::lstat(madeBytes.c_str(), &madeInfo) == 0;
    if (!options.overwrite && madeThere) {
      fail(Words(words.exists).arg(Quoted(madePath)));
      continue;
    }
    // A sheet that is a link to its own printable sheet's name (or the same
    // file by another name) would be replaced by it: its only copy lost.
    if (madeThere && KeyOf(madeInfo) == sheetKey) {
      fail(Words(words.sameFile).arg(Quoted(path), Quoted(madePath)));
      continue;
    }

    CSheet sheet;
    CSheetError error;
    if (!ReadSheet(sheetBytes.c_str(), *rules, sheet, &error)) {
      fail(QString::fromUtf8(error.m_strMessage));
      continue;
    }
    // The sheet carried inside is named as UTF-8 can name it.
    const QString carried =
        QString::fromUtf8(std::filesystem::path(sheetBytes).filename().string());
    const std::string made =
        OutputBytes(options.output, sheet, *rules, rulesPath, rulesHash, carried);
    if (made.empty()) {
      fail(QStringLiteral("impossibile disegnare la scheda stampabile %1").arg(Quoted(madePath)));
      continue;
    }
    QString writeError;
    bool done = false;
    if (options.overwrite) {
      std::string reason;
      // A link in the printable sheet's place is replaced, never written
      // through: the name is made up from the sheet's, not chosen.
      done = ReplaceFileAtomically(madeBytes, made, CLinkAtPath::Replace, reason);
      if (!done) writeError = QString::fromUtf8(WriteErrorText(madeBytes, reason));
    } else {
      done = WriteNewFile(madePath, made, Words(words.exists), writeError);
      if (done) written.Add(madeBytes);
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
      say(Words(words.unsynced).arg(QString::fromUtf8(reason)));
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
  events.group = [&](bool drawn, int characters) {
    if (interrupt.Requested()) return false;
    if (!drawn && progress.Active()) {
      progress.Show(QStringLiteral("Foglio del gruppo: %1")
                        .arg(characters == 1 ? QStringLiteral("1 personaggio")
                                             : QStringLiteral("%1 personaggi").arg(characters)));
    }
    return true;
  };
  CPrintSheetsResult result;
  if (!PrintSheets(options, events, result)) return 1;
  if (options.output == CSheetOutput::Group) {
    const QString named = Quoted(options.groupFile);
    if (result.stopped) {
      progress.Say(QStringLiteral("tarvo: interrotto: il foglio del gruppo %1 non è stato scritto")
                       .arg(named));
      interrupt.EndBySignal();
    }
    const QString failed = result.failed == 0 ? QString()
                           : result.failed == 1
                               ? QStringLiteral("; 1 non stampata")
                               : QStringLiteral("; %1 non stampate").arg(result.failed);
    if (result.groupWritten) {
      progress.Finish(QStringLiteral("Scritto il foglio del gruppo %1 con %2 (%3)%4")
                          .arg(named,
                               result.written == 1
                                   ? QStringLiteral("1 scheda")
                                   : QStringLiteral("%1 schede").arg(result.written),
                               progress.Elapsed(), failed));
    } else {
      progress.Finish(QStringLiteral("Foglio del gruppo %1 non scritto (%2)%3")
                          .arg(named, progress.Elapsed(), failed));
    }
    return result.groupWritten && result.failed == 0 && !result.unsynced ? 0 : 1;
  }
  const COutputWords& words = WordsFor(options.output);
  const auto count = [&words](int sheets) {
    return sheets == 1 ? Words(words.one) : Words(words.many).arg(sheets);
  };
  const QString written = Words(result.written == 1 ? words.writtenOne : words.writtenMany);
  if (result.stopped) {
    progress.Say(QStringLiteral("tarvo: interrotto: %1 %2 di %3, %4")
                     .arg(written, count(result.written))
                     .arg(options.sheets.size())
                     .arg(Words(words.othersNot)));
    interrupt.EndBySignal();
  }
  QString capitalWritten = written;
  capitalWritten[0] = capitalWritten[0].toUpper();
  progress.Finish(QStringLiteral("%1 %2 (%3)%4")
                      .arg(capitalWritten, count(result.written), progress.Elapsed(),
                           result.failed == 0   ? QString()
                           : result.failed == 1 ? Words(words.failedOne)
                                                : Words(words.failedMany).arg(result.failed)));
  return result.failed == 0 && !result.unsynced ? 0 : 1;
}
