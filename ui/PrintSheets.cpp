#include "ui/PrintSheets.h"

#include <fcntl.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <cerrno>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/Console.h"
#include "app/Interrupt.h"
#include "app/Progress.h"
#include "app/RulesLocation.h"
#include "character/SheetReader.h"
#include "print/PrintableSheet.h"
#include "rules/AtomicFile.h"
#include "rules/Rules.h"

namespace {

// Writes `bytes` as the new file `path`, which must not exist: created
// exclusively, so a file that appears meanwhile is never replaced. On failure
// no file is left and `error` says why.
bool WriteNewFile(const QString& path, const QByteArray& bytes, QString& error) {
  const QByteArray name = QFile::encodeName(path);
  const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
  int err = fd < 0 ? errno : 0;
  if (fd < 0 && err == EEXIST) {
    error = QStringLiteral("la scheda stampabile %1 esiste già: --sovrascrivi la sostituisce")
                .arg(Quoted(path));
    return false;
  }
  if (fd >= 0 &&
      !WriteAndClose(fd, std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())),
                     err))
    ::unlink(name.constData());
  if (err != 0) {
    error = QString::fromUtf8(WriteErrorText(name.toStdString(), DescribeErrno(err)));
    return false;
  }
  return true;
}

// The absolute, cleaned form of `path`, to tell two names of one file apart
// from two files.
QString Absolute(const QString& path) {
  return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

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

  QSet<QString> sheetsDone;             // absolute paths of the sheets taken so far
  QHash<QString, QString> printedFrom;  // absolute PDF path -> the sheet it came from
  const int total = static_cast<int>(options.sheets.size());
  for (int n = 0; n < total; ++n) {
    const QString& path = options.sheets[n];
    if (events.progress && !events.progress(n, total, path)) {
      result.stopped = true;
      break;
    }
    const QString absolute = Absolute(path);
    if (sheetsDone.contains(absolute)) continue;
    sheetsDone.insert(absolute);
    const auto fail = [&](const QString& line) {
      ++result.failed;
      say(line);
    };

    const QString pdfPath = PrintablePathFor(path);
    const QString pdfAbsolute = Absolute(pdfPath);
    if (printedFrom.contains(pdfAbsolute)) {
      fail(QStringLiteral("la scheda stampabile %1 sarebbe sia di %2 sia di %3: si scrive solo "
                          "la prima")
               .arg(Quoted(pdfPath), Quoted(printedFrom.value(pdfAbsolute)), Quoted(path)));
      continue;
    }
    printedFrom.insert(pdfAbsolute, path);
    // Nothing is read when the printable sheet is there already and stays.
    if (!options.overwrite && QFileInfo::exists(pdfPath)) {
      fail(QStringLiteral("la scheda stampabile %1 esiste già: --sovrascrivi la sostituisce")
               .arg(Quoted(pdfPath)));
      continue;
    }

    CSheet sheet;
    CSheetError error;
    if (!ReadSheet(QFile::encodeName(path).constData(), *rules, sheet, &error)) {
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

    const QByteArray pdf = PrintableSheetPdf(content, QFileInfo(path).fileName());
    if (pdf.isEmpty()) {
      fail(QStringLiteral("impossibile disegnare la scheda stampabile %1").arg(Quoted(pdfPath)));
      continue;
    }
    QString writeError;
    bool written = false;
    if (options.overwrite) {
      std::string atomicError;
      // A link in the printable sheet's place is replaced, never written
      // through: the name is made up from the sheet's, not chosen.
      written = WriteFileAtomically(QFile::encodeName(pdfPath).toStdString(),
                                    std::string_view(pdf.constData(), pdf.size()), &atomicError,
                                    CLinkAtPath::Replace);
      if (!written) writeError = QString::fromUtf8(atomicError);
    } else {
      written = WriteNewFile(pdfPath, pdf, writeError);
    }
    if (!written) {
      fail(writeError);
      continue;
    }
    ++result.written;
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
      progress.Show(QStringLiteral("Scheda %1 di %2: %3")
                        .arg(done + 1)
                        .arg(total)
                        .arg(QDir::toNativeSeparators(sheet)));
    }
    return true;
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
  return result.failed == 0 ? 0 : 1;
}
