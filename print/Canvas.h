// What the printed sheets share: an A4 page measured in millimetres, the
// colours of the paper, and a painter that draws in those millimetres on any
// device. Each sheet adds its own way of fitting text.
#pragma once

#include <QColor>
#include <QFont>
#include <QPainter>
#include <QPen>
#include <QPointF>
#include <QRectF>
#include <algorithm>
#include <cmath>

constexpr double kPageWidth = 210;
constexpr double kPageHeight = 297;
constexpr double kMmPerPoint = 25.4 / 72;

inline const QColor kInk(Qt::black);
inline const QColor kGrey(0x55, 0x55, 0x55);
inline const QColor kRule(0xAA, 0xAA, 0xAA);
inline const QColor kBand(0xE4, 0xE4, 0xE4);

// The painter seen in millimetres of an A4 page placed in the page
// rectangle: scaled to fit, centred.
class CPageCanvas {
 public:
  CPageCanvas(QPainter& painter, const QRectF& page) : m_painter(painter) {
    m_scale = std::min(page.width() / kPageWidth, page.height() / kPageHeight);
    m_origin = page.center() - QPointF(kPageWidth * m_scale / 2, kPageHeight * m_scale / 2);
  }

  void HLine(double x, double y, double w, double points, const QColor& color) const {
    m_painter.setPen(Pen(points, color));
    m_painter.drawLine(Point(x, y), Point(x + w, y));
  }
  void Frame(double x, double y, double w, double h, double points = 0.6) const {
    m_painter.setPen(Pen(points, kInk));
    m_painter.setBrush(Qt::NoBrush);
    m_painter.drawRect(Rect(x, y, w, h));
  }
  void Fill(double x, double y, double w, double h, const QColor& color) const {
    m_painter.fillRect(Rect(x, y, w, h), color);
  }

 protected:
  QPointF Point(double x, double y) const { return m_origin + QPointF(x, y) * m_scale; }
  QRectF Rect(double x, double y, double w, double h) const {
    return {Point(x, y), QSizeF(w, h) * m_scale};
  }
  QPen Pen(double points, const QColor& color) const {
    QPen pen(color, points * kMmPerPoint * m_scale);
    pen.setCapStyle(Qt::FlatCap);
    return pen;
  }
  // The sheets' type, `points` big, unhinted so that it measures the same on
  // a PDF and a printer.
  QFont Font(double points, bool bold) const {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(points * kMmPerPoint * m_scale))));
    font.setBold(bold);
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
  }

  QPainter& m_painter;
  double m_scale = 1;  // device units per millimetre
  QPointF m_origin;
};
