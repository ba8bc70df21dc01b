#include "ui/OpenSheet.h"

#include <QFileInfo>
#include <utility>

#include "app/Console.h"
#include "app/FileNames.h"
#include "base/Win1252.h"
#include "form/FormModel.h"

namespace {

// How much of a long name a message shows.
constexpr size_t kShownName = 120;

}  // namespace

bool ReadSheetFile(const QString& path, const CRules& rules, CSheet& sheet, QString* error) {
  CSheetError refusal;
  if (ReadSheet(FileNameBytes(path).c_str(), rules, sheet, &refusal)) return true;
  if (error != nullptr) *error = QString::fromUtf8(refusal.m_strMessage);
  return false;
}

COpenedSheet FitSheetToForm(CSheet sheet, const QString& path) {
  // The name field holds one line of NAME_MAX_CHARS characters, one byte each
  // in the sheet's code page; tarvo-genera writes longer names, and a sheet
  // may hold a carriage return inside its name line. The character is named
  // as the field can show it, and a box says so.
  COpenedSheet opened{std::move(sheet), QString()};
  std::string& name = opened.sheet.m_strName;
  const std::string whole = name;
  const size_t lineBreak = whole.find('\r');
  if (lineBreak != std::string::npos) name.resize(lineBreak);
  if (name.size() > static_cast<size_t>(NAME_MAX_CHARS)) name.resize(NAME_MAX_CHARS);
  if (name != whole) {
    const QString why = lineBreak != std::string::npos
                            ? QStringLiteral("va a capo, e il campo del nome tiene una riga sola")
                            : QStringLiteral("ha %1 caratteri, ma il modulo ne tiene %2")
                                  .arg(whole.size())
                                  .arg(NAME_MAX_CHARS);
    opened.notice = QStringLiteral(
                        "Il nome del personaggio nella scheda %1 %2: il personaggio ora si chiama "
                        "%3. Il nome nella scheda è %4.")
                        .arg(Quoted(QFileInfo(path).fileName()), why,
                             QString::fromStdString(QuotedForMessage(name)),
                             QString::fromStdString(QuotedForMessage(whole, kShownName)));
  }
  return opened;
}
