// PDF files read back with poppler's own tools (poppler-utils), as any
// reader of them would see them.
#pragma once

#include <gtest/gtest.h>

#include <QProcess>
#include <QRectF>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <vector>

// What `tool` with `arguments` writes to standard output; a tool that cannot
// run or fails is a test failure.
inline QString PopplerOutput(const QString& tool, const QStringList& arguments) {
  QProcess process;
  process.start(tool, arguments);
  if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit ||
      process.exitCode() != 0) {
    ADD_FAILURE() << tool.toStdString() << " " << arguments.join(' ').toStdString()
                  << " failed (poppler-utils installed?): " << process.errorString().toStdString()
                  << " " << process.readAllStandardError().toStdString();
    return {};
  }
  return QString::fromUtf8(process.readAllStandardOutput());
}

// The page's text laid out as it is printed (pdftotext -layout).
inline QString PdfLayoutText(const QString& pdf) {
  return PopplerOutput(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, "-"});
}

struct PdfWord {
  QString text;
  QRectF box;  // in points, from the page's top left corner
};

struct PdfPage {
  QSizeF size;  // in points
  std::vector<PdfWord> words;
};

// Every word of the first page with its bounding box (pdftotext -bbox).
inline PdfPage PdfWords(const QString& pdf) {
  const QString html =
      PopplerOutput(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, "-"});
  PdfPage page;
  const QRegularExpressionMatch size =
      QRegularExpression(R"re(<page width="([\d.]+)" height="([\d.]+)">)re").match(html);
  if (size.hasMatch()) page.size = QSizeF(size.captured(1).toDouble(), size.captured(2).toDouble());
  static const QRegularExpression word(
      R"x(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)x");
  for (const QRegularExpressionMatch& match : word.globalMatch(html)) {
    QString text = match.captured(5);
    text.replace("&lt;", "<").replace("&gt;", ">").replace("&quot;", "\"").replace("&apos;", "'");
    text.replace("&amp;", "&");
    page.words.push_back(
        {text, QRectF(QPointF(match.captured(1).toDouble(), match.captured(2).toDouble()),
                      QPointF(match.captured(3).toDouble(), match.captured(4).toDouble()))});
  }
  return page;
}
