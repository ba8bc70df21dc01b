#include "genera/Genera.h"

#include <QFile>
#include <memory>
#include <string>

#include "app/Console.h"
#include "app/RulesLocation.h"
#include "genera/Batch.h"
#include "rules/Rules.h"
#include "rules/RulesCheck.h"

void SayOnStandardError(const QString& text, bool bare) {
  WriteText(stderr, (bare ? text : QStringLiteral("tarvo-genera: ") + text) + QLatin1Char('\n'));
}

int RunGenera(const CGeneraOptions& options) {
  const CRulesLocation location = FindRulesFile(options.rulesFile, CRulesPlaces::ForThisProgram());
  if (!location.Found()) {
    SayOnStandardError(location.error);
    return 1;
  }
  const std::string path = QFile::encodeName(location.path).toStdString();
  const auto rules = std::make_unique<CRules>(path.c_str());
  if (!rules->IsLoaded()) {
    SayOnStandardError(QString::fromUtf8(rules->GetLoadError().m_strMessage +
                                         FurtherProblemsNote(CheckRulesFile(path.c_str()), path)));
    return 1;
  }

  CBatchPlan plan;
  CGeneraFailure failure;
  const SayFunction warn = [](const QString& text) { SayOnStandardError(text); };
  const SayFunction tell = [](const QString& text) { SayOnStandardError(text, true); };
  if (!PlanBatch(options, *rules, path, plan, failure) || !RunBatch(plan, warn, tell, failure)) {
    SayOnStandardError(failure.message);
    return failure.status;
  }
  return 0;
}
