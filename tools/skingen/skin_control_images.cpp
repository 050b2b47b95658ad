// SPDX-License-Identifier: GPL-3.0-or-later
#include "skin_control_images.h"

#include <QPainterPath>

#include "gui/app/basic_layout.h"
#include "gui/skin/skin_images.h"

namespace skingen {

namespace {

constexpr double kIndexWidth = hm::basic::kKeyNumberWidth;

// The outline of a control of `size`, on pixel centres.
QRectF inner(QSize size) { return QRectF(0.5, 0.5, size.width() - 1, size.height() - 1); }

}  // namespace

QImage textButton(const Theme& t, bool over) {
  const QSize size = hm::skin::kTextButtonSize;
  return controlImage(t, size, t.panel,
                      [&](QPainter& p) { paintButtonFace(p, QRectF(QPointF(0, 0), QSizeF(size)), t, over); });
}

QImage frameButton(const Theme& t, Glyph glyph, bool over) {
  const QSize size = hm::skin::kFrameButtonSize;
  return controlImage(t, size, t.header, [&](QPainter& p) {
    const QRectF box = inner(size);
    if (over) {
      const QColor fill = glyph == Glyph::Close ? QColor(0xd0, 0x24, 0x36) : t.accentDeep;
      p.setPen(QPen(glyph == Glyph::Close ? QColor(0xff, 0x60, 0x70) : t.accent, 1));
      p.setBrush(fill);
      p.drawRoundedRect(box, 3, 3);
    } else {
      p.setPen(QPen(t.faceBorder, 1));
      p.setBrush(t.faceBottom);
      p.drawRoundedRect(box, 3, 3);
    }
    const QColor ink = over ? QColor(Qt::white) : t.glyph;
    p.setPen(QPen(ink, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    switch (glyph) {
      case Glyph::Close:
        p.drawLine(QPointF(5.5, 5.5), QPointF(12.5, 12.5));
        p.drawLine(QPointF(12.5, 5.5), QPointF(5.5, 12.5));
        break;
      case Glyph::Minimise: p.drawLine(QPointF(5, 12.5), QPointF(13, 12.5)); break;
      case Glyph::Skins: {
        // A small palette: ring with three colour dots.
        p.drawEllipse(QPointF(9, 9), 5.2, 5.2);
        p.setPen(Qt::NoPen);
        p.setBrush(over ? QColor(Qt::white) : t.accent);
        p.drawEllipse(QPointF(7, 7.2), 1.4, 1.4);
        p.setBrush(t.record);
        p.drawEllipse(QPointF(11, 7.2), 1.4, 1.4);
        p.setBrush(QColor(0xf0, 0xc0, 0x30));
        p.drawEllipse(QPointF(9, 11.3), 1.4, 1.4);
        break;
      }
    }
  });
}

// Page tabs: 40 x 40 tiles, a mouse for the Basic page and sliders for the
// Advanced page.
QImage pageTab(const Theme& t, QColor base, bool advanced, bool over) {
  const QSize size = hm::skin::kPageTabSize;
  return controlImage(t, size, base, [&](QPainter& p) {
    const QRectF box = inner(size);
    QLinearGradient g(0, 0, 0, size.height());
    g.setColorAt(0, over ? mix(t.face, t.accent, 0.35) : t.face);
    g.setColorAt(1, over ? mix(t.faceBottom, t.accentDeep, 0.6) : t.faceBottom);
    p.setPen(QPen(over ? t.accent : t.faceBorder, 1));
    p.setBrush(g);
    p.drawRoundedRect(box, 6, 6);
    const QColor ink = over ? QColor(Qt::white) : t.glyph;
    p.setPen(QPen(ink, 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    if (!advanced) {
      const QRectF body(12.5, 8.5, 15, 23);
      p.drawRoundedRect(body, 7.5, 7.5);
      p.drawLine(QPointF(20, 8.5), QPointF(20, 17));
      p.drawLine(QPointF(12.5, 17), QPointF(27.5, 17));
      p.setPen(QPen(over ? QColor(Qt::white) : t.accent, 2.2, Qt::SolidLine, Qt::RoundCap));
      p.drawLine(QPointF(20, 11), QPointF(20, 13.5));
    } else {
      for (int i = 0; i < 3; ++i) {
        const double y = 12.5 + i * 7.5;
        p.setPen(QPen(ink, 1.8, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(9, y), QPointF(31, y));
        const double knob = 13 + ((i * 7) % 3) * 6 + i * 2;
        p.setPen(QPen(over ? QColor(Qt::white) : t.accent, 1.6));
        p.setBrush(over ? t.accent : t.faceBottom);
        p.drawEllipse(QPointF(knob, y), 2.6, 2.6);
        p.setBrush(Qt::NoBrush);
      }
    }
  });
}

// Drop-down boxes: a dark field, the index compartment (key boxes only) and a
// chevron compartment on the right.
QImage dropDownBox(const Theme& t, QSize size, bool withIndex, bool over) {
  return controlImage(t, size, t.panel, [&](QPainter& p) {
    const QRectF box = inner(size);
    p.setPen(QPen(over ? t.accent : t.wellBorder, 1));
    QLinearGradient g(0, 0, 0, size.height());
    g.setColorAt(0, over ? mix(t.well, t.accentDeep, 0.45) : t.well.lighter(180));
    g.setColorAt(1, t.well);
    p.setBrush(g);
    p.drawRoundedRect(box, 2.5, 2.5);
    const double arrowW = size.height();
    const QColor sep = over ? t.accent : t.wellBorder;
    p.setPen(QPen(sep, 1));
    p.drawLine(QPointF(size.width() - arrowW - 0.5, 3),
               QPointF(size.width() - arrowW - 0.5, size.height() - 3));
    if (withIndex) {
      // The index compartment (where the key number sits) is tinted like a badge.
      QColor badge = over ? t.accent : t.accentDeep;
      badge.setAlpha(over ? 90 : 70);
      p.setPen(Qt::NoPen);
      p.setBrush(badge);
      p.drawRoundedRect(QRectF(1, 1, kIndexWidth - 1.5, size.height() - 2), 2, 2);
      p.setPen(QPen(sep, 1));
      p.drawLine(QPointF(kIndexWidth - 0.5, 3), QPointF(kIndexWidth - 0.5, size.height() - 3));
    }
    paintChevron(p, QRectF(size.width() - arrowW, 0, arrowW, size.height()),
                 over ? QColor(Qt::white) : t.accent);
  });
}

QImage tickPane(const Theme& t, bool ticked) {
  const QSize size = hm::skin::kPaneSize;
  return controlImage(t, size, t.panel, [&](QPainter& p) {
    const QRectF box = inner(size);
    p.setPen(QPen(ticked ? t.accent : t.wellBorder, 1));
    p.setBrush(ticked ? mix(t.well, t.accentDeep, 0.5) : t.well);
    p.drawRoundedRect(box, 2.5, 2.5);
    if (ticked) {
      QPainterPath tick;
      tick.moveTo(4, 8.3);
      tick.lineTo(7, 11.2);
      tick.lineTo(12.2, 4.8);
      p.setPen(QPen(t.accent.lighter(130), 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
      p.setBrush(Qt::NoBrush);
      p.drawPath(tick);
    }
  });
}

QImage cell(const Theme& t, QSize size, bool lit, QColor base) {
  return controlImage(t, size, base,
                      [&](QPainter& p) { paintCell(p, QRectF(QPointF(0, 0), QSizeF(size)), t, lit); });
}

}  // namespace skingen
