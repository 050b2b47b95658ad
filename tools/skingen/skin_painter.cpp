// SPDX-License-Identifier: GPL-3.0-or-later
#include "skin_painter.h"

#include <QLinearGradient>
#include <QPainterPath>
#include <QRadialGradient>
#include <cmath>
#include <numbers>

namespace skingen {

Theme defaultTheme() {
  Theme t;
  t.name = QStringLiteral("Default");
  t.windowTop = QColor(0x11, 0x15, 0x1b);
  t.windowBottom = QColor(0x08, 0x0a, 0x0d);
  t.header = QColor(0x0c, 0x0f, 0x13);
  t.panel = QColor(0x15, 0x1a, 0x21);
  t.panelBorder = QColor(0x27, 0x31, 0x3c);
  t.well = QColor(0x06, 0x08, 0x0a);
  t.wellBorder = QColor(0x2c, 0x38, 0x44);
  t.dialogWell = QColor(0x28, 0x28, 0x28);
  t.face = QColor(0x22, 0x2a, 0x34);
  t.faceBottom = QColor(0x14, 0x19, 0x20);
  t.faceBorder = QColor(0x36, 0x43, 0x50);
  t.accent = QColor(0x1e, 0xc8, 0xff);
  t.accentDeep = QColor(0x0a, 0x5a, 0x80);
  t.glyph = QColor(0x9a, 0xaa, 0xb8);
  t.record = QColor(0xff, 0x3b, 0x4a);
  return t;
}

Theme crimsonTheme() {
  Theme t;
  t.name = QStringLiteral("Crimson");
  t.windowTop = QColor(0x1a, 0x0f, 0x12);
  t.windowBottom = QColor(0x0a, 0x06, 0x07);
  t.header = QColor(0x12, 0x0a, 0x0c);
  t.panel = QColor(0x1e, 0x13, 0x16);
  t.panelBorder = QColor(0x40, 0x24, 0x2a);
  t.well = QColor(0x08, 0x04, 0x05);
  t.wellBorder = QColor(0x4a, 0x2a, 0x30);
  t.dialogWell = QColor(0x28, 0x28, 0x28);
  t.face = QColor(0x34, 0x1c, 0x21);
  t.faceBottom = QColor(0x1e, 0x10, 0x13);
  t.faceBorder = QColor(0x5a, 0x30, 0x38);
  t.accent = QColor(0xff, 0x2e, 0x4c);
  t.accentDeep = QColor(0x80, 0x10, 0x22);
  t.glyph = QColor(0xc8, 0xa8, 0xae);
  t.record = QColor(0xff, 0x6a, 0x2a);
  return t;
}

QColor mix(QColor a, QColor b, double t) {
  auto m = [t](int x, int y) { return static_cast<int>(std::lround(x + (y - x) * t)); };
  return QColor(m(a.red(), b.red()), m(a.green(), b.green()), m(a.blue(), b.blue()));
}

QImage scaledImage(const Theme& t, QSize size) {
  QImage img(size * t.scale, QImage::Format_RGB32);
  img.setDevicePixelRatio(t.scale);
  return img;
}

QImage controlImage(const Theme& t, QSize size, QColor base, const std::function<void(QPainter&)>& draw) {
  QImage img = scaledImage(t, size);
  img.fill(base);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  draw(p);
  return img;
}

void paintWindowBase(QPainter& p, QSize size, const Theme& t, int headerHeight) {
  QLinearGradient g(0, 0, 0, size.height());
  g.setColorAt(0, t.windowTop);
  g.setColorAt(1, t.windowBottom);
  p.fillRect(QRect(QPoint(0, 0), size), g);

  // A faint diagonal grid gives the dark surface some texture.
  p.save();
  p.setRenderHint(QPainter::Antialiasing, false);
  QColor line = t.accent;
  line.setAlpha(10);
  p.setPen(line);
  constexpr int kGridStep = 22;
  for (int x = -size.height(); x < size.width(); x += kGridStep) {
    p.drawLine(x, size.height(), x + size.height(), 0);
  }
  p.restore();

  p.fillRect(QRect(0, 0, size.width(), headerHeight), t.header);
  QLinearGradient hl(0, 0, size.width(), 0);
  hl.setColorAt(0, t.accent);
  hl.setColorAt(0.45, t.accentDeep);
  hl.setColorAt(1, t.panelBorder);
  p.fillRect(QRect(0, headerHeight, size.width(), 1), hl);

  p.setPen(t.panelBorder);
  p.setBrush(Qt::NoBrush);
  p.drawRect(QRect(0, 0, size.width() - 1, size.height() - 1));
  // Accent corner brackets.
  p.setPen(QPen(t.accent, 2));
  const int w = size.width();
  const int h = size.height();
  constexpr int kBracket = 18;
  p.drawLine(1, h - 2, 1 + kBracket, h - 2);
  p.drawLine(1, h - 2, 1, h - 2 - kBracket);
  p.drawLine(w - 2, h - 2, w - 2 - kBracket, h - 2);
  p.drawLine(w - 2, h - 2, w - 2, h - 2 - kBracket);
}

void paintPanel(QPainter& p, const QRect& r, const Theme& t) {
  p.save();
  p.setRenderHint(QPainter::Antialiasing, false);
  p.fillRect(r, t.panel);
  p.setPen(t.panelBorder);
  p.setBrush(Qt::NoBrush);
  p.drawRect(r.adjusted(0, 0, -1, -1));
  // Notch: a short accent stroke along the top-left corner.
  p.fillRect(QRect(r.left(), r.top(), 28, 2), t.accent);
  p.fillRect(QRect(r.left(), r.top(), 2, 12), t.accent);
  p.restore();
}

void paintAccentLine(QPainter& p, int x1, int x2, int y, const Theme& t) {
  QLinearGradient g(x1, 0, x2, 0);
  QColor end = t.accentDeep;
  end.setAlpha(0);
  g.setColorAt(0, t.accent);
  g.setColorAt(0.5, t.accentDeep);
  g.setColorAt(1, end);
  p.fillRect(QRect(x1, y, x2 - x1, 1), g);
}

void paintWell(QPainter& p, const QRect& inner, QColor fill, const Theme& t) {
  p.save();
  p.setRenderHint(QPainter::Antialiasing, false);
  const QRect outer = inner.adjusted(-1, -1, 1, 1);
  p.fillRect(outer, t.wellBorder);
  p.fillRect(inner, fill);
  // Darker top edge: the field looks sunken.
  p.fillRect(QRect(outer.left(), outer.top(), outer.width(), 1), t.well.darker(130));
  p.restore();
}

void paintChevron(QPainter& p, const QRectF& r, QColor c) {
  p.save();
  p.setRenderHint(QPainter::Antialiasing);
  const QPointF m = r.center();
  const double w = std::min(r.width(), r.height()) * 0.28;
  QPainterPath path;
  path.moveTo(m.x() - w, m.y() - w * 0.5);
  path.lineTo(m.x(), m.y() + w * 0.6);
  path.lineTo(m.x() + w, m.y() - w * 0.5);
  p.setPen(QPen(c, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.setBrush(Qt::NoBrush);
  p.drawPath(path);
  p.restore();
}

void paintEmblem(QPainter& p, QPointF centre, double radius, const Theme& t) {
  p.save();
  p.setRenderHint(QPainter::Antialiasing);
  QPainterPath hex;
  for (int i = 0; i < 6; ++i) {
    const double a = std::numbers::pi / 3 * i + std::numbers::pi / 6;
    const QPointF pt(centre.x() + radius * std::cos(a), centre.y() + radius * std::sin(a));
    if (i == 0) {
      hex.moveTo(pt);
    } else {
      hex.lineTo(pt);
    }
  }
  hex.closeSubpath();
  p.setPen(QPen(t.accent, 1.5));
  p.setBrush(t.accentDeep);
  p.drawPath(hex);
  p.setPen(Qt::NoPen);
  p.setBrush(t.accent);
  p.drawEllipse(centre, radius * 0.32, radius * 0.32);
  p.restore();
}

void paintButtonFace(QPainter& p, const QRectF& r, const Theme& t, bool over) {
  const QRectF box = r.adjusted(0.5, 0.5, -0.5, -0.5);
  QLinearGradient g(box.topLeft(), box.bottomLeft());
  if (over) {
    g.setColorAt(0, mix(t.face, t.accent, 0.38));
    g.setColorAt(1, mix(t.faceBottom, t.accentDeep, 0.55));
  } else {
    g.setColorAt(0, t.face);
    g.setColorAt(1, t.faceBottom);
  }
  p.setPen(QPen(over ? t.accent : t.faceBorder, 1));
  p.setBrush(g);
  p.drawRoundedRect(box, 3, 3);
  // Top highlight.
  QColor hi = over ? t.accent.lighter(140) : t.faceBorder.lighter(130);
  hi.setAlpha(over ? 150 : 90);
  p.setPen(QPen(hi, 1));
  p.drawLine(QPointF(box.left() + 3, box.top() + 1), QPointF(box.right() - 3, box.top() + 1));
}

void paintCell(QPainter& p, const QRectF& r, const Theme& t, bool lit) {
  const QRectF box = r.adjusted(0.5, 0.5, -0.5, -0.5);
  if (lit) {
    QLinearGradient g(box.topLeft(), box.bottomLeft());
    g.setColorAt(0, t.accent.lighter(125));
    g.setColorAt(1, t.accent.darker(130));
    p.setPen(QPen(t.accent.lighter(150), 1));
    p.setBrush(g);
  } else {
    QLinearGradient g(box.topLeft(), box.bottomLeft());
    g.setColorAt(0, t.well.lighter(250));
    g.setColorAt(1, t.well);
    p.setPen(QPen(t.wellBorder, 1));
    p.setBrush(g);
  }
  p.drawRoundedRect(box, 2, 2);
}

}  // namespace skingen
