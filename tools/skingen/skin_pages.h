// SPDX-License-Identifier: GPL-3.0-or-later
// The page backgrounds and the window's first picture. Every panel, well and
// line is placed from the program's own layout headers: a panel surrounds
// the controls of its group, a well frames a field or a column of cells.
#pragma once

#include <QImage>
#include <QSize>

#include "skin_painter.h"

namespace skingen {

// The main window's size: "/main.png" sets it, the page backgrounds fill it.
inline constexpr QSize kWindowSize{880, 660};

QImage basicPage(const Theme& t);
QImage advancedPage(const Theme& t);
// The frame with the mouse in the middle, shown until a page is painted.
QImage mainImage(const Theme& t);

// A soft round glow of the accent colour, fading out towards its rim.
void paintGlow(QPainter& p, QPointF centre, qreal radius, int alpha, const Theme& t);

}  // namespace skingen
