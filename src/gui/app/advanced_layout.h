// Geometry of the Advanced page's left half (the desktop's pointer settings),
// in client pixels of the main window. Rectangles are left, top, right,
// bottom with the right and bottom edges outside, as in basic_layout.h. The
// images are named in gui/skin/skin_images.h.
#pragma once

#include <array>

#include "gui/app/basic_layout.h"

namespace hm::advanced {

using basic::Box;

// ---- titles --------------------------------------------------------------------
inline constexpr Box kMouseSpeedTitle{38, 160, 143, 181};
inline constexpr Box kScrollingSpeedTitle{38, 310, 143, 331};
inline constexpr Box kDoubleClickTitle{38, 460, 143, 481};

// ---- sliders: rows 0 pointer speed, 1 scroll lines, 2 double-click -------------
inline constexpr int kSliderCount = 3;
inline constexpr int kSliderCells = 11;
inline constexpr int kCellLeft = 52;  // cell 1
inline constexpr int kCellWidth = 24;
inline constexpr int kCellHeight = 11;
inline constexpr std::array<int, kSliderCount> kSliderTop{200, 350, 500};
inline constexpr int kCellNumberGap = 10;     // the number "n" from the cell's bottom + 10 ...
inline constexpr int kCellNumberBottom = 30;  // ... to its bottom + 30
// row 0..2, cell n = 1..11
constexpr Box sliderCell(int row, int n) {
  const int left = kCellLeft + kCellWidth * (n - 1);
  const int top = kSliderTop[static_cast<std::size_t>(row)];
  return {left, top, left + kCellWidth, top + kCellHeight};
}
constexpr Box cellNumberRect(int row, int n) {
  const Box c = sliderCell(row, n);
  return {c.left, c.bottom + kCellNumberGap, c.right, c.bottom + kCellNumberBottom};
}

// ---- ticks and their labels ------------------------------------------------------
inline constexpr Box kPrecisionTick{51, 255, 67, 271};
inline constexpr Box kPrecisionLabel{77, 255, 408, 271};
inline constexpr Box kOneScreenTick{51, 405, 67, 421};
inline constexpr Box kOneScreenLabel{77, 405, 408, 421};

// ---- "Default": the desktop's values at once -----------------------------------
inline constexpr Box kDefaultButton{194, 573, 299, 594};

// Everything the left half draws lies inside this; the macro editor has the
// rest of the page.
inline constexpr Box kPointerArea{24, 150, 442, 600};

}  // namespace hm::advanced
