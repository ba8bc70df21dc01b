#include "print/GroupSheet.h"

#include <QBuffer>
#include <QColor>
#include <QFile>
#include <QFont>
#include <QFontMetricsF>
#include <QHash>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPen>
#include <QSet>
#include <QStringList>
#include <algorithm>
#include <array>
#include <cmath>
#include <initializer_list>
#include <string_view>
#include <vector>

#include "base/Win1252.h"
#include "character/Naming.h"
#include "character/SheetTexts.h"
#include "print/Canvas.h"
#include "print/Win1252.h"

namespace {

// The name of an embedded sheet as the PDF shows it: the bytes as UTF-8 when
// they are UTF-8 throughout, otherwise as Windows-1252, the code page of the
// game's own texts; a name that is empty, or a folder alone, is the name of
// the sheet of a character with no name.
QString AttachmentName(std::string_view bytes) {
  bytes = bytes.substr(bytes.find_last_of('/') + 1);
  if (bytes.empty()) return QString::fromUtf8(SheetFileName({}));
  for (size_t at = 0; at < bytes.size();) {
    const size_t from = at;
    if (NextUtf8(bytes, at) == 0xFFFD && at == from + 1) return FromWindows1252(bytes);
  }
  return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

// Whether a hand, the body or a pocket holds nothing: the item every place
// starts with and goes back to, the catalogue's first (the rules' "<Nulla>"),
// or the item a place has before the rules fill it. Both carry id 0, which is
// how the character's other exports tell an empty place.
bool HoldsNothing(const CItem& item) { return item.m_nId == 0; }

// The group sheet's own words.
QString GroupTitle(int count) {
  return count == 1 ? QStringLiteral("Gruppo di 1 personaggio")
                    : QStringLiteral("Gruppo di %1 personaggi").arg(count);
}
QString PageOf(int page, int pages) {
  return QStringLiteral("pagina %1 di %2").arg(page).arg(pages);
}

// A word of the sheet.
QString Word(std::string_view word) { return ShownText(word); }

// ---- How it is drawn ----
// Every length below is in millimetres on an A4 page, portrait.

constexpr double kMargin = 8;
constexpr double kContentWidth = kPageWidth - 2 * kMargin;
constexpr double kInset = 0.5;  // between a text's box and the text

// The header (the group's title; on the first page the rules and the
// program too) and the footer (the page's number) frame a grid of blocks,
// two across, three or two down.
constexpr double kHeaderHeight = 6;
constexpr double kFooterHeight = 5;
constexpr double kGridTop = kMargin + kHeaderHeight;
constexpr double kGridHeight = kPageHeight - kMargin - kFooterHeight - kGridTop;
constexpr int kColumns = 2;
constexpr double kColumnGap = 4;
constexpr double kRowGap = 3;
constexpr double kBlockWidth = (kContentWidth - (kColumns - 1) * kColumnGap) / kColumns;
constexpr int kMostRows = 3;
constexpr int kFewestRows = 2;
constexpr double BlockHeight(int rows) { return (kGridHeight - (rows - 1) * kRowGap) / rows; }

// Inside a block: a frame, the name, the identity in two rows and the scores
// on a band across, then two columns: the characteristics, the equipment and
// the pockets on the left, the skills on the right, a line each.
constexpr double kPadding = 1.5;  // between the frame and what is inside
constexpr double kInnerWidth = kBlockWidth - 2 * kPadding;
constexpr double kNameHeight = 5.2;
constexpr double kIdentityHeight = 3.3;
constexpr double kScoresHeight = 7;
constexpr double kScoresTop = kNameHeight + 2 * kIdentityHeight + 0.6;
constexpr double kBodyTop = kScoresTop + kScoresHeight + 1;
constexpr double kLine = 3;
constexpr double kLeftWidth = 44;
constexpr double kRightX = kLeftWidth + 2;
constexpr double kRightWidth = kInnerWidth - kRightX;
// The left column's tables: a label, then the numbers.
constexpr double kStatNumberWidths[3] = {10, 7, 8.5};
constexpr double kPlaceWidth = 17.5;  // "Mano sinistra", "Tasca 14"
constexpr double kSkillIndent = 2;
constexpr double kSkillLabelLeast = 16;

struct TextStyle {
  double points;
  bool bold;
  Qt::Alignment align;
  QColor color;
  // A text too wide for its box is drawn smaller until it fits when it
  // shrinks: a number, since a shortened number would be a wrong one, and the
  // skills' legend; any other is shortened with "…", as the printed sheet
  // shortens names.
  bool shrinks = false;
};

const TextStyle kName{10.5, true, Qt::AlignLeft, kInk};
const TextStyle kHeading{7, true, Qt::AlignLeft, kInk};
const TextStyle kBody{7, false, Qt::AlignLeft, kInk};
const TextStyle kNumber{7, false, Qt::AlignHCenter, kInk, true};
const TextStyle kRightNumber{7, false, Qt::AlignRight, kInk, true};
const TextStyle kLeftNumber{7, false, Qt::AlignLeft, kInk, true};
const TextStyle kScore{8, true, Qt::AlignHCenter, kInk, true};
const TextStyle kCaption{6.5, false, Qt::AlignLeft, kGrey};
const TextStyle kCentredCaption{6.5, false, Qt::AlignHCenter, kGrey};
const TextStyle kLegend{6.5, false, Qt::AlignRight, kGrey, true};
const TextStyle kTitle{9, true, Qt::AlignLeft, kInk};
const TextStyle kMark{7.5, false, Qt::AlignRight, kGrey};

// The page, with the few fonts of the sheet made once.
class CCanvas : public CPageCanvas {
 public:
  using CPageCanvas::CPageCanvas;

  // The width of `text` in `style`, with its box's insets.
  double Width(const QString& text, const TextStyle& style) {
    return Fonts(style).metrics.horizontalAdvance(text) / m_scale + 2 * kInset;
  }

  // One line of text in the box.
  void Text(double x, double y, double w, double h, const QString& text, const TextStyle& style) {
    if (text.isEmpty()) return;
    const QRectF box = Rect(x + kInset, y, std::max(0.0, w - 2 * kInset), h);
    const FontAndMetrics& fonts = Fonts(style);
    const double width = fonts.metrics.horizontalAdvance(text);
    m_painter.setPen(style.color);
    if (width <= box.width()) {
      Draw(fonts.font, box, text, style);
    } else if (style.shrinks) {
      QFont font = fonts.font;
      int size = static_cast<int>(std::floor(font.pixelSize() * box.width() / width));
      for (; size > 1; --size) {
        font.setPixelSize(size);
        if (QFontMetricsF(font, m_painter.device()).horizontalAdvance(text) <= box.width()) break;
      }
      font.setPixelSize(std::max(1, size));
      Draw(font, box, text, style);
    } else {
      Draw(fonts.font, box, fonts.metrics.elidedText(text, Qt::ElideRight, box.width()), style);
    }
  }

 private:
  struct FontAndMetrics {
    double points;
    bool bold;
    QFont font;
    QFontMetricsF metrics;
  };

  const FontAndMetrics& Fonts(const TextStyle& style) {
    for (const FontAndMetrics& made : m_fonts) {
      if (made.points == style.points && made.bold == style.bold) return made;
    }
    const QFont font = Font(style.points, style.bold);
    m_fonts.push_back({style.points, style.bold, font, QFontMetricsF(font, m_painter.device())});
    return m_fonts.back();
  }
  void Draw(const QFont& font, const QRectF& box, const QString& text, const TextStyle& style) {
    m_painter.setFont(font);
    m_painter.drawText(box, static_cast<int>(style.align | Qt::AlignVCenter) | Qt::TextSingleLine,
                       text);
  }

  std::vector<FontAndMetrics> m_fonts;  // a handful: the sheet's styles
};

// What one block shows, as the core says it, and the .pg the PDF carries.
struct Block {
  CSheetTexts texts;                  // without the pockets that hold nothing
  std::array<bool, 3> heldNothing{};  // the right hand, the left hand, worn
  QString sheetName;
  QByteArray sheet;
};

// The lines the left column of a block takes: the characteristics with their
// captions, then the equipment, two lines for an item held, then the
// pockets; and the right column: the skills, a line for each group's heading.
int LeftLines(const Block& block) {
  int lines = 2 + static_cast<int>(block.texts.stats.size()) + 1;
  for (const bool nothing : block.heldNothing) lines += nothing ? 1 : 2;
  return lines + static_cast<int>(block.texts.pockets.size());
}
int RightLines(const Block& block) {
  int lines = 1;
  for (const CSheetTexts::Group& group : block.texts.groups)
    lines += 1 + static_cast<int>(group.skills.size());
  return lines;
}

// Three blocks down a page when every block fits in a third of it, two
// otherwise: what the rules allow at their capacities fits in a half.
int RowsOnPage(const std::vector<Block>& blocks) {
  int lines = 0;
  for (const Block& block : blocks) lines = std::max({lines, LeftLines(block), RightLines(block)});
  const double needed = 2 * kPadding + kBodyTop + lines * kLine;
  return needed <= BlockHeight(kMostRows) ? kMostRows : kFewestRows;
}

// A section's title on a grey band across a column.
void Heading(CCanvas& canvas, double x, double y, double w, const QString& title) {
  canvas.Fill(x, y, w, kLine, kBand);
  canvas.Text(x, y, w, kLine, title, kHeading);
}

// A caption and its text side by side from `x` in a box of width `w`; the
// text is shortened when it does not fit.
void Captioned(CCanvas& canvas, double x, double y, double w, const QString& caption,
               const QString& text) {
  const double captionWidth = std::min(w, canvas.Width(caption, kCaption));
  canvas.Text(x, y, captionWidth, kIdentityHeight, caption, kCaption);
  canvas.Text(x + captionWidth, y, w - captionWidth, kIdentityHeight, text, kBody);
}

double DrawCharacteristics(CCanvas& canvas, double x, double y, const CSheetTexts& texts) {
  Heading(canvas, x, y, kLeftWidth, Word(SHEET_WORDS.characteristics));
  y += kLine;
  const double labelWidth =
      kLeftWidth - kStatNumberWidths[0] - kStatNumberWidths[1] - kStatNumberWidths[2];
  double cx = x + labelWidth;
  for (size_t i = 0; i < SHEET_WORDS.statColumns.size(); ++i) {
    canvas.Text(cx, y, kStatNumberWidths[i], kLine, Word(SHEET_WORDS.statColumns[i]),
                kCentredCaption);
    cx += kStatNumberWidths[i];
  }
  y += kLine;
  for (const CSheetTexts::Stat& stat : texts.stats) {
    canvas.Text(x, y, labelWidth, kLine, ShownText(stat.label), kBody);
    cx = x + labelWidth;
    const std::string* numbers[] = {&stat.value, &stat.modifier, &stat.total};
    for (size_t i = 0; i < std::size(numbers); ++i) {
      canvas.Text(cx, y, kStatNumberWidths[i], kLine, ShownText(*numbers[i]), kNumber);
      cx += kStatNumberWidths[i];
    }
    y += kLine;
    canvas.HLine(x, y, kLeftWidth, 0.25, kRule);
  }
  return y;
}

void DrawEquipment(CCanvas& canvas, double x, double y, const Block& block) {
  Heading(canvas, x, y, kLeftWidth, Word(SHEET_WORDS.equipment));
  y += kLine;
  const CSheetTexts& texts = block.texts;
  for (size_t i = 0; i < texts.held.size(); ++i) {
    const CSheetTexts::Held& item = texts.held[i];
    canvas.Text(x, y, kPlaceWidth, kLine, ShownText(item.place), kCaption);
    canvas.Text(x + kPlaceWidth, y, kLeftWidth - kPlaceWidth, kLine, ShownText(item.name), kBody);
    y += kLine;
    if (!block.heldNothing[i]) {
      // POTENZA, BONUS and MOD in a row under the item, each number after
      // its caption; the numbers share what the captions leave.
      const std::string* numbers[] = {&item.potenza, &item.bonus, &item.mod};
      constexpr double kGap = 1.5;
      const double left = x + kSkillIndent;
      double captions = 0, natural = 0;
      std::array<double, 3> widths{};
      for (size_t n = 0; n < widths.size(); ++n) {
        captions += canvas.Width(Word(SHEET_WORDS.itemColumns[2 + n]), kCaption);
        widths[n] = canvas.Width(ShownText(*numbers[n]), kLeftNumber);
        natural += widths[n];
      }
      const double room = kLeftWidth - kSkillIndent - captions - 2 * kGap;
      const double share = natural > room ? std::max(0.0, room) / natural : 1.0;
      double cx = left;
      for (size_t n = 0; n < widths.size(); ++n) {
        const QString caption = Word(SHEET_WORDS.itemColumns[2 + n]);
        const double captionWidth = canvas.Width(caption, kCaption);
        canvas.Text(cx, y, captionWidth, kLine, caption, kCaption);
        cx += captionWidth;
        canvas.Text(cx, y, widths[n] * share, kLine, ShownText(*numbers[n]), kLeftNumber);
        cx += widths[n] * share + kGap;
      }
      y += kLine;
    }
    canvas.HLine(x, y, kLeftWidth, 0.25, kRule);
  }
  for (const CSheetTexts::Labelled& pocket : texts.pockets) {
    canvas.Text(x, y, kPlaceWidth, kLine, ShownText(pocket.label), kCaption);
    canvas.Text(x + kPlaceWidth, y, kLeftWidth - kPlaceWidth, kLine, ShownText(pocket.text), kBody);
    y += kLine;
    canvas.HLine(x, y, kLeftWidth, 0.25, kRule);
  }
}

void DrawSkills(CCanvas& canvas, double x, double y, const CSheetTexts& texts) {
  // "Valore+Mod.=Totale (+ Car.)": how each skill's numbers read.
  const QString legend =
      QStringLiteral("%1+%2=%3 (%4)")
          .arg(Word(SHEET_WORDS.skillColumns[0]), Word(SHEET_WORDS.skillColumns[1]),
               Word(SHEET_WORDS.skillColumns[2]), Word(SHEET_WORDS.skillColumns[3]));
  const QString title = Word(SHEET_WORDS.skills);
  const double titleWidth = canvas.Width(title, kHeading);
  Heading(canvas, x, y, titleWidth, title);
  canvas.Fill(x + titleWidth, y, kRightWidth - titleWidth, kLine, kBand);
  canvas.Text(x + titleWidth, y, kRightWidth - titleWidth, kLine, legend, kLegend);
  y += kLine;
  for (const CSheetTexts::Group& group : texts.groups) {
    canvas.Text(x, y, kRightWidth, kLine, ShownText(group.heading), kHeading);
    y += kLine;
    canvas.HLine(x, y, kRightWidth, 0.4, kInk);
    for (const CSheetTexts::Skill& skill : group.skills) {
      const bool negative = !skill.modifier.empty() && skill.modifier[0] == '-';
      const QString numbers =
          QStringLiteral("%1%2%3=%4 (%5)")
              .arg(ShownText(skill.value), negative ? QString() : "+", ShownText(skill.modifier),
                   ShownText(skill.total), ShownText(skill.withBase));
      const double room = kRightWidth - kSkillIndent - kSkillLabelLeast;
      const double numbersWidth = std::min(room, canvas.Width(numbers, kRightNumber));
      const double labelWidth = kRightWidth - kSkillIndent - numbersWidth;
      canvas.Text(x + kSkillIndent, y, labelWidth, kLine, ShownText(skill.label), kBody);
      canvas.Text(x + kRightWidth - numbersWidth, y, numbersWidth, kLine, numbers, kRightNumber);
      y += kLine;
      canvas.HLine(x, y, kRightWidth, 0.25, kRule);
    }
  }
}

void DrawBlock(CCanvas& canvas, double x, double y, double h, const Block& block) {
  const CSheetTexts& texts = block.texts;
  canvas.Frame(x, y, kBlockWidth, h, 0.6);
  x += kPadding;
  y += kPadding;
  const double w = kInnerWidth;

  canvas.Text(x, y, w, kNameHeight, ShownText(texts.name), kName);
  double top = y + kNameHeight;
  // Race, sex and hand on a row, the race taking what the others leave; the
  // sex and the hand where the widest of their words fits, in every block.
  const QString sexCaption = Word(SHEET_WORDS.sex), handCaption = Word(SHEET_WORDS.hand);
  const auto widest = [&canvas](std::initializer_list<std::string_view> words) {
    double most = 0;
    for (const std::string_view word : words)
      most = std::max(most, canvas.Width(Word(word), kBody));
    return most;
  };
  const double handWidth = canvas.Width(handCaption, kCaption) + 0.5 +
                           widest({HandName(HAND_RIGHT), HandName(HAND_LEFT), HandName(HAND_BOTH)});
  const double sexWidth =
      canvas.Width(sexCaption, kCaption) + 2.5 + widest({SexName(true), SexName(false)});
  const double raceWidth = std::max(0.0, w - handWidth - sexWidth);
  Captioned(canvas, x, top, raceWidth, Word(SHEET_WORDS.race), ShownText(texts.race));
  Captioned(canvas, x + raceWidth, top, sexWidth, sexCaption, ShownText(texts.sex));
  Captioned(canvas, x + w - handWidth, top, handWidth, handCaption, ShownText(texts.hand));
  top += kIdentityHeight;
  QStringList archetypes;
  for (const std::string& name : texts.archetypes) archetypes << ShownText(name);
  Captioned(canvas, x, top, w, Word(SHEET_WORDS.archetypes),
            archetypes.join(QStringLiteral(" / ")));

  // The scores on a band, each under its caption.
  top = y + kScoresTop;
  canvas.Fill(x, top, w, kScoresHeight, kBand);
  const double cell = w / static_cast<double>(texts.scores.size());
  for (size_t i = 0; i < texts.scores.size(); ++i) {
    const double cx = x + static_cast<double>(i) * cell;
    canvas.Text(cx, top + 0.2, cell, 2.8, ShownText(texts.scores[i].label), kCentredCaption);
    canvas.Text(cx, top + 2.9, cell, 3.9, ShownText(texts.scores[i].text), kScore);
  }

  top = y + kBodyTop;
  const double below = DrawCharacteristics(canvas, x, top, texts);
  DrawEquipment(canvas, x, below, block);
  DrawSkills(canvas, x + kRightX, top, texts);
}

void DrawPage(CCanvas& canvas, const std::vector<Block>& blocks, int page, int pages, int rows) {
  canvas.Text(kMargin, kMargin, kContentWidth * 0.55, kHeaderHeight - 1,
              GroupTitle(static_cast<int>(blocks.size())), kTitle);
  if (page == 1) {
    // The rules the band was made on, and the program that made the sheet.
    const CSheetTexts& first = blocks.front().texts;
    const QString program = ShownText(first.program);
    const double programWidth = canvas.Width(program, kMark);
    const double rulesX = kMargin + kContentWidth * 0.55;
    canvas.Text(
        rulesX, kMargin, kPageWidth - kMargin - programWidth - 2 - rulesX, kHeaderHeight - 1,
        Word(SHEET_WORDS.rulesFile) + QFile::decodeName(QByteArray::fromStdString(first.rulesFile)),
        kMark);
    canvas.Text(kPageWidth - kMargin - programWidth, kMargin, programWidth, kHeaderHeight - 1,
                program, kMark);
  }
  canvas.HLine(kMargin, kMargin + kHeaderHeight - 0.8, kContentWidth, 0.5, kGrey);

  const double footer = kPageHeight - kMargin - kFooterHeight + 1;
  canvas.HLine(kMargin, footer, kContentWidth, 0.5, kGrey);
  canvas.Text(kMargin, footer + 0.3, kContentWidth, kFooterHeight - 1.3, PageOf(page, pages),
              kMark);

  const double height = BlockHeight(rows);
  const size_t perPage = static_cast<size_t>(kColumns * rows);
  const size_t first = static_cast<size_t>(page - 1) * perPage;
  const size_t last = std::min(blocks.size(), first + perPage);
  for (size_t i = first; i < last; ++i) {
    const size_t at = i - first;
    const double x = kMargin + static_cast<double>(at % kColumns) * (kBlockWidth + kColumnGap);
    const double y = kGridTop + static_cast<double>(at / kColumns) * (height + kRowGap);
    DrawBlock(canvas, x, y, height, blocks[i]);
  }
}

}  // namespace

// What the PDF keeps of each character as it comes, and the names its
// embedded sheets have taken.
struct CGroupSheet::Impl {
  std::string rulesPath;
  std::vector<Block> blocks;
  QSet<QString> taken;       // the embedded files' names, case-folded
  QHash<QString, int> next;  // a wanted name, case-folded -> the number to try next

  // `wanted`, or, when a name the same but for case is taken, the first of
  // "x (2).pg", "x (3).pg"... that is not.
  QString UniqueName(const QString& wanted) {
    const QString key = wanted.toCaseFolded();
    if (!taken.contains(key)) {
      taken.insert(key);
      return wanted;
    }
    const qsizetype dot = wanted.lastIndexOf(QLatin1Char('.'));
    const QString stem = dot > 0 ? wanted.left(dot) : wanted;
    const QString extension = dot > 0 ? wanted.mid(dot) : QString();
    int& n = next[key];
    for (n = std::max(n, 2);; ++n) {
      const QString name = QStringLiteral("%1 (%2)%3").arg(stem).arg(n).arg(extension);
      const QString folded = name.toCaseFolded();
      if (!taken.contains(folded)) {
        taken.insert(folded);
        ++n;
        return name;
      }
    }
  }
};

CGroupSheet::CGroupSheet(std::string rulesPath) : m_impl(std::make_unique<Impl>()) {
  m_impl->rulesPath = std::move(rulesPath);
}

CGroupSheet::~CGroupSheet() = default;

void CGroupSheet::Add(const SheetContent& content, const std::string& sheetName) {
  Block block;
  const CCharacter& ch = content.character;
  MakeSheetTexts(ch, content.rules, content.archetypes, m_impl->rulesPath, block.texts);
  const CItem* held[] = {&ch.m_itemRight, &ch.m_itemLeft, &ch.m_itemWorn};
  for (size_t i = 0; i < block.heldNothing.size(); ++i)
    block.heldNothing[i] = HoldsNothing(*held[i]);
  // The core gives a pocket for each the rules use, within the pocket array.
  std::vector<CSheetTexts::Labelled>& pockets = block.texts.pockets;
  size_t kept = 0;
  for (size_t p = 0; p < pockets.size() && p < std::size(ch.m_aPockets); ++p) {
    if (HoldsNothing(ch.m_aPockets[p])) continue;
    if (kept != p) pockets[kept] = std::move(pockets[p]);
    ++kept;
  }
  pockets.resize(kept);
  block.sheetName = m_impl->UniqueName(AttachmentName(sheetName));
  const std::string sheet = ch.SheetText(content.rules);
  block.sheet = QByteArray(sheet.data(), static_cast<qsizetype>(sheet.size()));
  m_impl->blocks.push_back(std::move(block));
}

int CGroupSheet::Count() const { return static_cast<int>(m_impl->blocks.size()); }

QByteArray CGroupSheet::Pdf() {
  const std::vector<Block>& blocks = m_impl->blocks;
  if (blocks.empty()) return {};
  const int rows = RowsOnPage(blocks);
  const int perPage = kColumns * rows;
  const int pages = (Count() + perPage - 1) / perPage;

  QByteArray bytes;
  QBuffer buffer(&bytes);
  if (!buffer.open(QIODevice::WriteOnly)) return {};
  {
    QPdfWriter writer(&buffer);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(),
                                     QPageLayout::Millimeter));
    writer.setCreator(Word(ProgramMark()));
    writer.setTitle(GroupTitle(Count()));
    for (const Block& block : blocks) {
      writer.addFileAttachment(block.sheetName, block.sheet, QString::fromLatin1(SHEET_MIME_TYPE));
    }
    QPainter painter;
    if (!painter.begin(&writer)) return {};
    // The page is placed on the whole sheet of paper.
    const QPageLayout layout = writer.pageLayout();
    const int resolution = writer.logicalDpiX();
    const QRect paper = layout.fullRectPixels(resolution);
    const QRect printable = layout.paintRectPixels(resolution);
    CCanvas canvas(painter, QRectF(paper).translated(-printable.topLeft()));
    for (int page = 1; page <= pages; ++page) {
      if (page > 1 && !writer.newPage()) return {};
      DrawPage(canvas, blocks, page, pages, rows);
    }
    if (!painter.end()) return {};
  }
  buffer.close();
  return bytes;
}
