#include "print/PrintableSheet.h"

#include <QBuffer>
#include <QColor>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QPen>
#include <QStringList>
#include <algorithm>
#include <array>
#include <cmath>
#include <string_view>

#include "base/AtomicFile.h"
#include "character/SheetTexts.h"
#include "print/Canvas.h"
#include "print/Win1252.h"

namespace {

// ---- What the sheet says ----

struct StatRow {
  QString label, value, modifier, total;
};
struct SkillRow {
  QString label, value, modifier, total, withBase;
};
struct SkillGroup {
  QString heading;
  std::vector<SkillRow> skills;
};
struct ItemRow {
  QString place, name, type, potenza, bonus, mod;
};
struct LabelledText {
  QString label, text;
};

struct SheetTexts {
  QString name, race, sex, hand, rulesFile, program;
  QStringList archetypes;
  std::vector<StatRow> stats;
  std::array<LabelledText, 6> scores;
  std::vector<SkillGroup> groups;
  std::array<ItemRow, 3> held;
  std::vector<LabelledText> pockets;
};

// The core's texts as the page shows them.
SheetTexts MakeTexts(const SheetContent& content) {
  const CSheetTexts core =
      MakeSheetTexts(content.character, content.rules, content.archetypes, content.rulesPath);
  SheetTexts texts;
  texts.name = ShownText(core.name);
  texts.race = ShownText(core.race);
  texts.sex = ShownText(core.sex);
  texts.hand = ShownText(core.hand);
  texts.rulesFile = QFile::decodeName(QByteArray::fromStdString(core.rulesFile));
  texts.program = ShownText(core.program);
  for (const std::string& name : core.archetypes) texts.archetypes << ShownText(name);
  for (const CSheetTexts::Stat& stat : core.stats) {
    texts.stats.push_back({ShownText(stat.label), ShownText(stat.value), ShownText(stat.modifier),
                           ShownText(stat.total)});
  }
  for (size_t i = 0; i < core.scores.size(); ++i)
    texts.scores[i] = {ShownText(core.scores[i].label), ShownText(core.scores[i].text)};
  for (const CSheetTexts::Group& group : core.groups) {
    SkillGroup shown{ShownText(group.heading), {}};
    for (const CSheetTexts::Skill& skill : group.skills) {
      shown.skills.push_back({ShownText(skill.label), ShownText(skill.value),
                              ShownText(skill.modifier), ShownText(skill.total),
                              ShownText(skill.withBase)});
    }
    texts.groups.push_back(std::move(shown));
  }
  for (size_t i = 0; i < core.held.size(); ++i) {
    const CSheetTexts::Held& item = core.held[i];
    texts.held[i] = {ShownText(item.place),   ShownText(item.name),  ShownText(item.type),
                     ShownText(item.potenza), ShownText(item.bonus), ShownText(item.mod)};
  }
  for (const CSheetTexts::Labelled& pocket : core.pockets)
    texts.pockets.push_back({ShownText(pocket.label), ShownText(pocket.text)});
  return texts;
}

// A word of the sheet.
QString Word(std::string_view word) { return ShownText(word); }

// ---- How it is drawn ----
// Every length below is in millimetres on an A4 page.

constexpr double kMargin = 12;
constexpr double kContentWidth = kPageWidth - 2 * kMargin;
constexpr double kPadding = 1.2;  // between a box's edge and its text

constexpr double kLeftColumnWidth = 84;
constexpr double kRightColumnX = kMargin + kLeftColumnWidth + 4;
constexpr double kRightColumnWidth = kPageWidth - kMargin - kRightColumnX;
constexpr double kHeadingHeight = 6.5;
constexpr double kHeaderRowHeight = 5;
constexpr double kSectionGap = 4;

struct TextStyle {
  double points;
  bool bold;
  Qt::Alignment align;
  QColor color;
  // A text too wide for its box is drawn smaller, down to this share of its
  // size, before it is shortened with an ellipsis. Names are only shortened,
  // but for the title, which holds any 25 characters the form takes; numbers
  // shrink as far as they must, since a shortened number would be a wrong one.
  double shrinkTo = 1.0;
};

const TextStyle kTitle{20, true, Qt::AlignLeft, kInk, 0.7};
const TextStyle kHeading{10.5, true, Qt::AlignLeft, kInk};
const TextStyle kGroup{8.5, true, Qt::AlignLeft, kInk};
const TextStyle kBody{9.5, false, Qt::AlignLeft, kInk};
const TextStyle kValue{11, false, Qt::AlignLeft, kInk};
const TextStyle kNumber{9.5, false, Qt::AlignHCenter, kInk, 0};
const TextStyle kBigNumber{13, true, Qt::AlignHCenter, kInk, 0};
const TextStyle kCaption{7, false, Qt::AlignLeft, kGrey};
const TextStyle kRowLabel{8.5, false, Qt::AlignLeft, kGrey};
const TextStyle kColumnCaption{7, false, Qt::AlignHCenter, kGrey, 0.7};
const TextStyle kFooter{7.5, false, Qt::AlignLeft, kGrey};
const TextStyle kFooterRight{7.5, false, Qt::AlignRight, kGrey};

// The page, with the printable sheet's ways of fitting text.
class CCanvas : public CPageCanvas {
 public:
  using CPageCanvas::CPageCanvas;

  // One line of text in the box; what does not fit is shortened with "…".
  void Text(double x, double y, double w, double h, const QString& text,
            const TextStyle& style) const {
    const QRectF box = Rect(x + kPadding, y, w - 2 * kPadding, h);
    QFont font = Font(style.points, style.bold);
    QFontMetricsF metrics(font, m_painter.device());
    QString shown = text;
    const double width = metrics.horizontalAdvance(text);
    if (width > box.width()) {
      if (style.shrinkTo < 1.0) {
        const double share = std::max(style.shrinkTo, box.width() / width);
        font.setPixelSize(std::max(1, static_cast<int>(std::floor(font.pixelSize() * share))));
        metrics = QFontMetricsF(font, m_painter.device());
      }
      shown = metrics.elidedText(text, Qt::ElideRight, box.width());
    }
    m_painter.setFont(font);
    m_painter.setPen(style.color);
    m_painter.drawText(box, static_cast<int>(style.align | Qt::AlignVCenter) | Qt::TextSingleLine,
                       shown);
  }

  // Names that share a box of width `w`, joined by " / ": on one line when
  // they fit, a little smaller if need be; otherwise on two lines in smaller
  // type, or one name a line. A name is shortened with "…" only when it alone
  // is wider than the box.
  struct NameLines {
    QStringList lines;
    double points = 0;
    double lineHeight = 0;  // in millimetres
  };
  NameLines LayOutNames(const QStringList& names, double w, const TextStyle& style) const {
    const double width = w - 2 * kPadding;
    const QString separator = QStringLiteral(" / ");
    const auto lineHeight = [](double points) { return points * kMmPerPoint * 1.3; };
    const QString joined = names.join(separator);
    for (const double points : {style.points, style.points * 0.8}) {
      if (TextWidth(joined, points, style.bold) <= width)
        return {{joined}, points, lineHeight(points)};
    }
    const double points = style.points * 0.75;
    NameLines best{{}, points, lineHeight(points)};
    double bestWidth = width;
    for (qsizetype k = 1; k < names.size(); ++k) {
      const QStringList lines = {names.mid(0, k).join(separator) + QStringLiteral(" /"),
                                 names.mid(k).join(separator)};
      const double widest = std::max(TextWidth(lines[0], points, style.bold),
                                     TextWidth(lines[1], points, style.bold));
      if (widest <= bestWidth) {
        bestWidth = widest;
        best.lines = lines;
      }
    }
    if (best.lines.isEmpty()) {
      QFont font = Font(points, style.bold);
      const QFontMetricsF metrics(font, m_painter.device());
      for (const QString& name : names)
        best.lines << metrics.elidedText(name, Qt::ElideRight, width * m_scale);
    }
    return best;
  }
  void Lines(double x, double y, double w, const NameLines& lines, const TextStyle& style) const {
    TextStyle small = style;
    small.points = lines.points;
    for (qsizetype i = 0; i < lines.lines.size(); ++i) {
      Text(x, y + static_cast<double>(i) * lines.lineHeight, w, lines.lineHeight, lines.lines[i],
           small);
    }
  }

  // A section's title on a grey band; returns where the section goes on.
  double Heading(double x, double y, double w, const QString& title) const {
    Fill(x, y, w, kHeadingHeight, kBand);
    Text(x, y, w, kHeadingHeight, title, kHeading);
    return y + kHeadingHeight;
  }

 private:
  // The width of `text` in millimetres.
  double TextWidth(const QString& text, double points, bool bold) const {
    return QFontMetricsF(Font(points, bold), m_painter.device()).horizontalAdvance(text) / m_scale;
  }
};

// A table's row: the first column takes what the number columns leave.
struct Columns {
  double x, width;
  std::vector<double> numbers;  // widths of the number columns, at the right

  double LabelWidth() const {
    double rest = width;
    for (const double w : numbers) rest -= w;
    return rest;
  }
  void Row(const CCanvas& canvas, double y, double h, const QString& label, double indent,
           const TextStyle& labelStyle, const std::vector<QString>& cells,
           const TextStyle& cellStyle) const {
    canvas.Text(x + indent, y, LabelWidth() - indent, h, label, labelStyle);
    double cx = x + LabelWidth();
    for (size_t i = 0; i < numbers.size() && i < cells.size(); ++i) {
      canvas.Text(cx, y, numbers[i], h, cells[i], cellStyle);
      cx += numbers[i];
    }
  }
};

double DrawCharacteristics(const CCanvas& canvas, const SheetTexts& texts, double y) {
  const Columns columns{kMargin, kLeftColumnWidth, {14, 14, 14}};
  y = canvas.Heading(kMargin, y, kLeftColumnWidth, Word(SHEET_WORDS.characteristics));
  columns.Row(canvas, y, kHeaderRowHeight, {}, 0, kCaption,
              {Word(SHEET_WORDS.statColumns[0]), Word(SHEET_WORDS.statColumns[1]),
               Word(SHEET_WORDS.statColumns[2])},
              kColumnCaption);
  y += kHeaderRowHeight;
  constexpr double kRow = 6.5;
  for (const StatRow& stat : texts.stats) {
    columns.Row(canvas, y, kRow, stat.label, 0, kBody, {stat.value, stat.modifier, stat.total},
                kNumber);
    y += kRow;
    canvas.HLine(kMargin, y, kLeftColumnWidth, 0.3, kRule);
  }
  return y;
}

double DrawScores(const CCanvas& canvas, const SheetTexts& texts, double y) {
  y = canvas.Heading(kMargin, y, kLeftColumnWidth, Word(SHEET_WORDS.scores));
  constexpr double kBoxHeight = 13;
  const double boxWidth = kLeftColumnWidth / 3;
  for (size_t i = 0; i < texts.scores.size(); ++i) {
    const double x = kMargin + static_cast<double>(i % 3) * boxWidth;
    const double top = y + 1 + static_cast<double>(i / 3) * kBoxHeight;
    canvas.Frame(x, top, boxWidth, kBoxHeight);
    canvas.Text(x, top + 0.5, boxWidth, 4, texts.scores[i].label, kCaption);
    canvas.Text(x, top + 4, boxWidth, 8.5, texts.scores[i].text, kBigNumber);
  }
  return y + 1 + 2 * kBoxHeight;
}

double DrawPockets(const CCanvas& canvas, const SheetTexts& texts, double y) {
  y = canvas.Heading(kMargin, y, kLeftColumnWidth, Word(SHEET_WORDS.pockets));
  constexpr double kRow = 6;
  constexpr double kLabelWidth = 17;
  for (const LabelledText& pocket : texts.pockets) {
    canvas.Text(kMargin, y, kLabelWidth, kRow, pocket.label, kRowLabel);
    canvas.Text(kMargin + kLabelWidth, y, kLeftColumnWidth - kLabelWidth, kRow, pocket.text, kBody);
    y += kRow;
    canvas.HLine(kMargin, y, kLeftColumnWidth, 0.3, kRule);
  }
  return y;
}

double DrawSkills(const CCanvas& canvas, const SheetTexts& texts, double y) {
  const Columns columns{kRightColumnX, kRightColumnWidth, {12.5, 12.5, 12.5, 12.5}};
  y = canvas.Heading(kRightColumnX, y, kRightColumnWidth, Word(SHEET_WORDS.skills));
  columns.Row(canvas, y, kHeaderRowHeight, {}, 0, kCaption,
              {Word(SHEET_WORDS.skillColumns[0]), Word(SHEET_WORDS.skillColumns[1]),
               Word(SHEET_WORDS.skillColumns[2]), Word(SHEET_WORDS.skillColumns[3])},
              kColumnCaption);
  y += kHeaderRowHeight;
  constexpr double kRow = 5.5;
  for (const SkillGroup& group : texts.groups) {
    canvas.Text(kRightColumnX, y, kRightColumnWidth, kRow, group.heading, kGroup);
    y += kRow;
    canvas.HLine(kRightColumnX, y, kRightColumnWidth, 0.5, kInk);
    for (const SkillRow& skill : group.skills) {
      columns.Row(canvas, y, kRow, skill.label, 3, kBody,
                  {skill.value, skill.modifier, skill.total, skill.withBase}, kNumber);
      y += kRow;
      canvas.HLine(kRightColumnX, y, kRightColumnWidth, 0.3, kRule);
    }
  }
  return y;
}

double DrawEquipment(const CCanvas& canvas, const SheetTexts& texts, double y) {
  y = canvas.Heading(kMargin, y, kContentWidth, Word(SHEET_WORDS.equipment));
  // Place, item and type, then the three numbers.
  constexpr double kPlace = 30, kName = 66, kType = 36, kNumberWidth = 18;
  const auto row = [&](double top, double h, const ItemRow& item, const TextStyle& text,
                       const TextStyle& number) {
    double x = kMargin;
    canvas.Text(x, top, kPlace, h, item.place, kRowLabel);
    x += kPlace;
    canvas.Text(x, top, kName, h, item.name, text);
    x += kName;
    canvas.Text(x, top, kType, h, item.type, text);
    x += kType;
    for (const QString* value : {&item.potenza, &item.bonus, &item.mod}) {
      canvas.Text(x, top, kNumberWidth, h, *value, number);
      x += kNumberWidth;
    }
  };
  row(y, kHeaderRowHeight,
      {{},
       Word(SHEET_WORDS.itemColumns[0]),
       Word(SHEET_WORDS.itemColumns[1]),
       Word(SHEET_WORDS.itemColumns[2]),
       Word(SHEET_WORDS.itemColumns[3]),
       Word(SHEET_WORDS.itemColumns[4])},
      kCaption, kColumnCaption);
  y += kHeaderRowHeight;
  constexpr double kRow = 6.5;
  for (const ItemRow& item : texts.held) {
    row(y, kRow, item, kBody, kNumber);
    y += kRow;
    canvas.HLine(kMargin, y, kContentWidth, 0.3, kRule);
  }
  return y;
}

}  // namespace

QString PrintableSheetTitle(const CCharacter& character) {
  return ShownText(SheetTitle(character));
}

void DrawPrintableSheet(QPainter& painter, const QRectF& page, const SheetContent& content) {
  const SheetTexts texts = MakeTexts(content);
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setRenderHint(QPainter::TextAntialiasing);
  const CCanvas canvas(painter, page);

  double y = kMargin;
  canvas.Text(kMargin, y, kContentWidth, 5, Word(SHEET_WORDS.title), kCaption);
  y += 5;
  canvas.Text(kMargin, y, kContentWidth, 11, texts.name, kTitle);
  y += 12;
  canvas.HLine(kMargin, y, kContentWidth, 1.2, kInk);
  y += 3;

  // The archetypes may need more than the one line the other fields take:
  // the row grows to hold them.
  constexpr double kArchetypesWidth = 78;
  const CCanvas::NameLines archetypes =
      canvas.LayOutNames(texts.archetypes, kArchetypesWidth, kValue);
  const double valueHeight =
      std::max(7.0, static_cast<double>(archetypes.lines.size()) * archetypes.lineHeight);
  const double rowHeight = 4.5 + valueHeight + 0.5;
  const struct {
    QString label;
    const QString* value;  // none: the archetypes' lines
    double width;
  } identity[] = {
      {Word(SHEET_WORDS.race), &texts.race, 50},
      {Word(SHEET_WORDS.archetypes), nullptr, kArchetypesWidth},
      {Word(SHEET_WORDS.sex), &texts.sex, 26},
      {Word(SHEET_WORDS.hand), &texts.hand, kContentWidth - 50 - kArchetypesWidth - 26},
  };
  double x = kMargin;
  for (const auto& field : identity) {
    canvas.Frame(x, y, field.width, rowHeight);
    canvas.Text(x, y + 0.5, field.width, 4, field.label, kCaption);
    if (field.value != nullptr) {
      canvas.Text(x, y + 4.5, field.width, 7, *field.value, kValue);
    } else {
      canvas.Lines(
          x,
          y + 4.5 +
              (valueHeight - static_cast<double>(archetypes.lines.size()) * archetypes.lineHeight) /
                  2,
          field.width, archetypes, kValue);
    }
    x += field.width;
  }
  y += rowHeight + 5;

  double left = DrawCharacteristics(canvas, texts, y);
  left = DrawScores(canvas, texts, left + kSectionGap);
  left = DrawPockets(canvas, texts, left + kSectionGap);
  const double right = DrawSkills(canvas, texts, y);
  y = DrawEquipment(canvas, texts, std::max(left, right) + 5);

  // The notes take the rest of the page, ruled lightly for the pencil.
  constexpr double kFooterTop = kPageHeight - kMargin - 5;
  y = canvas.Heading(kMargin, y + 5, kContentWidth, Word(SHEET_WORDS.notes));
  const double notesBottom = kFooterTop - 3;
  canvas.Frame(kMargin, y, kContentWidth, notesBottom - y);
  for (double line = y + 8; line < notesBottom - 2; line += 8) {
    canvas.HLine(kMargin + 3, line, kContentWidth - 6, 0.3, kRule);
  }

  canvas.HLine(kMargin, kFooterTop, kContentWidth, 0.5, kGrey);
  canvas.Text(kMargin, kFooterTop + 0.5, kContentWidth - 40, 4.5,
              Word(SHEET_WORDS.rulesFile) + texts.rulesFile, kFooter);
  canvas.Text(kPageWidth - kMargin - 40, kFooterTop + 0.5, 40, 4.5, texts.program, kFooterRight);
  painter.restore();
}

bool PaintPrintableSheet(QPagedPaintDevice& device, const SheetContent& content) {
  QPainter painter;
  if (!painter.begin(&device)) return false;
  // The painter starts at the corner of the printable area; the sheet is
  // placed on the whole sheet of paper.
  const QPageLayout layout = device.pageLayout();
  const int resolution = device.logicalDpiX();
  const QRect paper = layout.fullRectPixels(resolution);
  const QRect printable = layout.paintRectPixels(resolution);
  DrawPrintableSheet(painter, QRectF(paper).translated(-printable.topLeft()), content);
  return painter.end();
}

QByteArray PrintableSheetPdf(const SheetContent& content, const QString& sheetFileName) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  if (!buffer.open(QIODevice::WriteOnly)) return {};
  {
    QPdfWriter writer(&buffer);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(),
                                     QPageLayout::Millimeter));
    writer.setCreator(Word(ProgramMark()));
    writer.setTitle(PrintableSheetTitle(content.character));
    const std::string sheet = content.character.SheetText(content.rules);
    writer.addFileAttachment(sheetFileName, QByteArray::fromStdString(sheet),
                             QString::fromLatin1(SHEET_MIME_TYPE));
    if (!PaintPrintableSheet(writer, content)) return {};
  }
  buffer.close();
  return bytes;
}

bool WritePrintableSheet(const std::string& path, const SheetContent& content, std::string* error) {
  const QString fileName = QFileInfo(QFile::decodeName(QByteArray::fromStdString(path))).fileName();
  const QString base = fileName.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive)
                           ? fileName.chopped(4)
                           : fileName;
  const QByteArray pdf = PrintableSheetPdf(content, base + QStringLiteral(".pg"));
  if (pdf.isEmpty()) {
    if (error) *error = "Impossibile disegnare la scheda stampabile \"" + path + "\".";
    return false;
  }
  return WriteFileAtomically(
      path, std::string_view(pdf.constData(), static_cast<size_t>(pdf.size())), error);
}
