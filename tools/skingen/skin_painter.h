// SPDX-License-Identifier: GPL-3.0-or-later
// Drawing primitives of the skin generator: a colour theme and the pieces the
// skins are made of (panels, wells, bevelled buttons, cells, glyphs).
#pragma once

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QRect>
#include <QSize>
#include <QString>
#include <functional>

namespace skingen {

struct Theme {
  QString name;
  QColor windowTop;  // window background gradient
  QColor windowBottom;
  QColor header;  // title strip behind the frame buttons
  QColor panel;   // flat colour under every control
  QColor panelBorder;
  QColor well;  // fields and list wells on the pages
  QColor wellBorder;
  QColor dialogWell;  // fields of the dialogs (their controls paint 0x282828)
  QColor face;        // button face, top of its gradient
  QColor faceBottom;
  QColor faceBorder;
  QColor accent;
  QColor accentDeep;
  QColor glyph;   // idle glyphs (close, minimise, ...)
  QColor record;  // the start-recording dot
  // Image pixels per window pixel: 1, or 2 for the "@2x" pictures. Drawing
  // stays in window pixels; the painter scales it.
  int scale = 1;
};

// A picture of `size` window pixels at the theme's scale.
QImage scaledImage(const Theme& t, QSize size);

Theme defaultTheme();
Theme crimsonTheme();

QColor mix(QColor a, QColor b, double t);  // t = 0 gives a, 1 gives b

// An opaque image of `size` whose pixels start as `base` (the flat colour the
// control sits on) and are then drawn by `draw` with antialiasing.
QImage controlImage(const Theme& t, QSize size, QColor base, const std::function<void(QPainter&)>& draw);

// The window background: gradient, faint grid, border and header strip.
void paintWindowBase(QPainter& p, QSize size, const Theme& t, int headerHeight);
// A flat panel with a hairline border and an accent notch at its top-left.
void paintPanel(QPainter& p, const QRect& r, const Theme& t);
// An accent line fading to the right.
void paintAccentLine(QPainter& p, int x1, int x2, int y, const Theme& t);
// A sunken well around `inner` (the field itself fills `inner`).
void paintWell(QPainter& p, const QRect& inner, QColor fill, const Theme& t);
// A small downward chevron centred in r.
void paintChevron(QPainter& p, const QRectF& r, QColor c);
// The emblem in the title strip.
void paintEmblem(QPainter& p, QPointF centre, double radius, const Theme& t);

// Control faces.
void paintButtonFace(QPainter& p, const QRectF& r, const Theme& t, bool over);
void paintCell(QPainter& p, const QRectF& r, const Theme& t, bool lit);

}  // namespace skingen
