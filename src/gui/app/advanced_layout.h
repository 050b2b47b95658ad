// Geometry and control identifiers of the Advanced page, in client pixels of
// the main window: the pointer settings on the left and the macro editor on
// the right. Rectangles are left, top, right, bottom with the right and
// bottom edges outside, as everywhere in the skinned windows.
#pragma once

#include <QRect>

#include "gui/skin/skin_images.h"
#include "gui/skin/skin_rect.h"

namespace hm::advanced {

// ---- pointer settings ----------------------------------------------------------
inline constexpr QRect kSpeedTitle = ltrb(38, 160, 143, 181);
inline constexpr QRect kScrollTitle = ltrb(38, 310, 143, 331);
inline constexpr QRect kDoubleClickTitle = ltrb(38, 460, 143, 481);

// The three sliders: 11 cells each, cell n (1..11) at kSliderLeft + 24 (n - 1).
inline constexpr int kSliderCells = 11;
inline constexpr int kSliderLeft = 52;
inline constexpr int kSpeedSliderTop = 200;
inline constexpr int kScrollSliderTop = 350;
inline constexpr int kDoubleClickSliderTop = 500;
inline constexpr int kSliderTops[] = {kSpeedSliderTop, kScrollSliderTop, kDoubleClickSliderTop};
constexpr QRect sliderCell(int sliderTop, int n) {
  const int left = kSliderLeft + skin::kSliderCellSize.width() * (n - 1);
  return ltrb(left, sliderTop, left + skin::kSliderCellSize.width(),
              sliderTop + skin::kSliderCellSize.height());
}
// The number under a cell, from 10 to 30 pixels below it.
inline constexpr int kCellNumberGap = 10;
inline constexpr int kCellNumberBottom = 30;
constexpr QRect cellNumberRect(int sliderTop, int n) {
  const QRect c = sliderCell(sliderTop, n);
  return ltrb(c.left(), c.bottom() + 1 + kCellNumberGap, c.right() + 1, c.bottom() + 1 + kCellNumberBottom);
}

inline constexpr QRect kPrecisionTick = ltrb(51, 255, 67, 271);
inline constexpr QRect kPrecisionLabel = ltrb(77, 255, 408, 271);
inline constexpr QRect kOneScreenTick = ltrb(51, 405, 67, 421);
inline constexpr QRect kOneScreenLabel = ltrb(77, 405, 408, 421);
inline constexpr QRect kDefaultButton = ltrb(194, 573, 299, 594);

// ---- macro editor ------------------------------------------------------------------
inline constexpr QRect kMacroTitle = ltrb(469, 160, 578, 181);
inline constexpr QRect kSelectMacroHead = ltrb(457, 196, 592, 220);
inline constexpr QRect kSequenceHead = ltrb(591, 196, 726, 220);
inline constexpr QRect kRecordOptionHead = ltrb(725, 196, 875, 220);
inline constexpr int kMacroListId = 151;
inline constexpr QRect kMacroList = ltrb(462, 220, 591, 512);
inline constexpr int kSequenceListId = 152;
inline constexpr QRect kSequenceList = ltrb(592, 220, 725, 512);
// The recording buttons' icons are part of the page background; their texts
// are word-wrapped beside them.
inline constexpr QRect kStartRecording = ltrb(735, 229, 764, 258);
inline constexpr QRect kStartRecordingText = ltrb(765, 239, 874, 268);
inline constexpr QRect kStopRecording = ltrb(735, 265, 764, 294);
inline constexpr QRect kStopRecordingText = ltrb(765, 275, 874, 304);
inline constexpr int kMacroNameId = 150;
inline constexpr QRect kMacroNameLabel = ltrb(735, 302, 874, 322);
inline constexpr QRect kMacroNameField = ltrb(735, 322, 799, 336);
inline constexpr int kLoopTimesId = 149;
inline constexpr QRect kLoopTimesLabel = ltrb(735, 342, 874, 362);
inline constexpr QRect kLoopTimesField = ltrb(735, 362, 799, 376);
inline constexpr int kMouseEventFaceId = 119;
inline constexpr QRect kMouseEventLabel = ltrb(735, 382, 874, 402);
inline constexpr QRect kMouseEventFace = ltrb(735, 402, 839, 416);
inline constexpr QRect kMouseEventBox = ltrb(735, 402, 854, 416);  // click area, face and arrow
inline constexpr int kMouseEventListId = 154;
inline constexpr QRect kMouseEventList = ltrb(734, 419, 854, 569);
inline constexpr QRect kNewButton = ltrb(513, 528, 618, 549);
inline constexpr QRect kDeleteButton = ltrb(617, 528, 722, 549);
inline constexpr QRect kConfirmButton = ltrb(721, 528, 826, 549);

}  // namespace hm::advanced
