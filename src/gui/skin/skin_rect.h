// SPDX-License-Identifier: GPL-3.0-or-later
// Rectangles of the skinned windows. Every control is a fixed rectangle in
// client pixels given as (left, top, right, bottom) with right and bottom
// exclusive; a point is inside when left <= x < right and top <= y < bottom.
#pragma once

#include <QPoint>
#include <QRect>

namespace hm {

// The QRect covering left..right-1 x top..bottom-1.
constexpr QRect ltrb(int left, int top, int right, int bottom) {
  return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
}

// Point-in-rectangle with right and bottom exclusive (the edge pixel at
// x == right or y == bottom is outside).
constexpr bool inside(const QRect& r, QPoint p) {
  return p.x() >= r.left() && p.x() < r.left() + r.width() && p.y() >= r.top() &&
         p.y() < r.top() + r.height();
}

}  // namespace hm
