// SPDX-License-Identifier: GPL-3.0-or-later
// Geometry and control identifiers of the Advanced page, in client pixels of
// the main window: the desktop's pointer settings on the left, the macro
// editor on the right. Rectangles are left, top, right,
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

// ---- macro editor ------------------------------------------------------------------
inline constexpr Box kMacroTitle{469, 160, 578, 181};
inline constexpr Box kSelectMacroHead{457, 196, 592, 220};
inline constexpr Box kSequenceHead{591, 196, 726, 220};
inline constexpr Box kRecordOptionHead{725, 196, 875, 220};
inline constexpr int kMacroListId = 151;
inline constexpr Box kMacroList{462, 220, 591, 512};
inline constexpr int kSequenceListId = 152;
inline constexpr Box kSequenceList{592, 220, 725, 512};
// The recording buttons' icons are part of the page background; their texts
// are word-wrapped beside them.
inline constexpr Box kStartRecording{735, 229, 764, 258};
inline constexpr Box kStartRecordingText{765, 239, 874, 268};
inline constexpr Box kStopRecording{735, 265, 764, 294};
inline constexpr Box kStopRecordingText{765, 275, 874, 304};
inline constexpr int kMacroNameId = 150;
inline constexpr Box kMacroNameLabel{735, 302, 874, 322};
inline constexpr Box kMacroNameField{735, 322, 799, 336};
inline constexpr int kLoopTimesId = 149;
inline constexpr Box kLoopTimesLabel{735, 342, 874, 362};
inline constexpr Box kLoopTimesField{735, 362, 799, 376};
inline constexpr int kMouseEventFaceId = 119;
inline constexpr Box kMouseEventLabel{735, 382, 874, 402};
inline constexpr Box kMouseEventFace{735, 402, 839, 416};
inline constexpr Box kMouseEventBox{735, 402, 854, 416};  // click area: face and arrow
inline constexpr int kMouseEventListId = 154;
inline constexpr Box kMouseEventList{734, 419, 854, 569};
inline constexpr Box kNewButton{513, 528, 618, 549};
inline constexpr Box kDeleteButton{617, 528, 722, 549};
inline constexpr Box kConfirmButton{721, 528, 826, 549};

}  // namespace hm::advanced
