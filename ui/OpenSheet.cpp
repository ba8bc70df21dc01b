#include "ui/OpenSheet.h"

#include <QFileInfo>
#include <utility>

#include "app/FileNames.h"
#include "form/FormModel.h"

bool ReadSheetFile(const QString& path, const CRules& rules, CSheet& sheet, QString* error) {
  CSheetError refusal;
  if (ReadSheet(FileNameBytes(path).c_str(), rules, sheet, &refusal)) return true;
  if (error != nullptr) *error = QString::fromUtf8(refusal.m_strMessage);
  return false;
}

COpenedSheet FitSheetToForm(CSheet sheet, const QString& path) {
  COpenedSheet opened{std::move(sheet), QString()};
  opened.notice = QString::fromStdString(
      FitSheetName(opened.sheet.m_strName, FileNameBytes(QFileInfo(path).fileName())));
  return opened;
}
