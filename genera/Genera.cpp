#include "genera/Genera.h"

#include <unistd.h>

#include <QFile>
#include <QStringList>
#include <memory>
#include <string>

#include "app/Console.h"
#include "app/FileNames.h"
#include "app/Interrupt.h"
#include "app/Progress.h"
#include "app/RulesLocation.h"
#include "rules/Rules.h"

namespace {

QString Prefixed(const QString& text) { return QStringLiteral("tarvo-genera: ") + text; }

// "1500 schede e 1500 PDF", "1 scheda", "2 schede, 2 PDF e 2 file .json".
QString SheetCount(int count, bool pdf, bool foundry) {
  QStringList parts = {count == 1 ? QStringLiteral("1 scheda")
                                  : QStringLiteral("%1 schede").arg(count)};
  if (pdf) parts << QStringLiteral("%1 PDF").arg(count);
  if (foundry) parts << QStringLiteral("%1 file .json").arg(count);
  const QString last = parts.takeLast();
  return parts.isEmpty() ? last : parts.join(QStringLiteral(", ")) + QStringLiteral(" e ") + last;
}

}  // namespace

void SayOnStandardError(const QString& text, bool bare) {
  WriteText(stderr, (bare ? text : Prefixed(text)) + QLatin1Char('\n'));
}

int RunGenera(const CGeneraOptions& options) {
  std::string path;
  const std::unique_ptr<CRules> rules = LoadRulesWithoutWindow(
      options.rulesFile, [](const QString& line) { SayOnStandardError(line); }, path);
  if (!rules) return 1;

  CBatchPlan plan;
  CGeneraFailure failure;
  if (!PlanBatch(options, *rules, path, plan, failure)) {
    SayOnStandardError(failure.message);
    return failure.status;
  }
  return RunPlannedBatch(plan, options.quiet);
}

int RunPlannedBatch(const CBatchPlan& plan, bool quiet) {
  // On a terminal a line tells how far the batch is, unless the sheets
  // themselves go to that terminal.
  const bool sheetsOnTerminal = plan.toStdout && SameTerminal(STDOUT_FILENO, STDERR_FILENO);
  CProgressLine progress(stderr, !quiet && !sheetsOnTerminal);
  const SayFunction warn = [&progress](const QString& text) { progress.Say(Prefixed(text)); };
  const SayFunction tell = [&progress](const QString& text) { progress.Say(text); };

  const QString place = BatchPlace(plan);
  CInterruptWatch interrupt;
  CBatchEvents events;
  events.stop = [&interrupt] { return interrupt.Requested(); };
  if (progress.Active()) {
    events.written = [&](int written) {
      if (progress.Due())
        progress.Show(
            QStringLiteral("Personaggio %1 di %2 (%3)").arg(written).arg(plan.count).arg(place));
    };
    // The last step, once: on a slow disk it may take as long as the rest.
    events.syncing = [&] { progress.Show(QStringLiteral("Scrittura sul disco (%1)").arg(place)); };
    events.drawing = [&](int characters) {
      progress.Show(QStringLiteral("Foglio del gruppo: %1")
                        .arg(characters == 1 ? QStringLiteral("1 personaggio")
                                             : QStringLiteral("%1 personaggi").arg(characters)));
    };
  }
  int replaced = 0;
  events.replaced = [&replaced](int files) { replaced = files; };
  CGeneraFailure failure;
  if (!RunBatch(plan, warn, tell, failure, events)) {
    progress.Say(Prefixed(failure.message));
    if (interrupt.Requested()) interrupt.EndBySignal();
    return failure.status;
  }
  progress.Finish(QStringLiteral("%1 %2 %3%4 (%5)%6")
                      .arg(plan.count == 1 ? QStringLiteral("Scritta") : QStringLiteral("Scritte"),
                           SheetCount(plan.count, plan.pdf, plan.foundry),
                           plan.toStdout ? QStringLiteral("sullo standard output")
                                         : QStringLiteral("in ") + place,
                           plan.group.empty() ? QString()
                                              : QStringLiteral(" e il foglio del gruppo %1")
                                                    .arg(Quoted(FileNameFromBytes(plan.group))),
                           progress.Elapsed(),
                           replaced == 0   ? QString()
                           : replaced == 1 ? QStringLiteral("; 1 file sostituito")
                                           : QStringLiteral("; %1 file sostituiti").arg(replaced)));
  return 0;
}
