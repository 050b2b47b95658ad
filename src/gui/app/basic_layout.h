// SPDX-License-Identifier: GPL-3.0-or-later
// Geometry and image names of the Basic page and its LED panel, in client
// pixels of the main window. Rectangles are left, top, right, bottom with the
// right and bottom edges outside (left <= x < right, top <= y < bottom), the
// rule the click dispatcher uses everywhere.
#pragma once

#include <array>

#include "core/model/basic_logic.h"
#include "core/settings/mouse_config.h"
#include "gui/skin/skin_images.h"

namespace hm::basic {

struct Box {
  int left, top, right, bottom;
  constexpr bool contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
  constexpr int width() const { return right - left; }
  constexpr int height() const { return bottom - top; }
  constexpr Box moved(int dx, int dy) const { return {left + dx, top + dy, right + dx, bottom + dy}; }
  constexpr bool operator==(const Box&) const = default;
};

// ---- images ----------------------------------------------------------------
inline constexpr const char* kBackgroundImage = skin::kBasicBackground;
inline constexpr const char* kTextButtonNormal = skin::kButtonNormal;
inline constexpr const char* kTextButtonOver = skin::kButtonOver;
inline constexpr const char* kKeyBoxNormal = skin::kKeyBoxNormal;
inline constexpr const char* kKeyBoxOver = skin::kKeyBoxOver;
inline constexpr const char* kRateCellDark = skin::kReportRateDark;
inline constexpr const char* kRateCellLight = skin::kReportRateLight;
inline constexpr const char* kDpiCellDark = skin::kDpiDark;
inline constexpr const char* kDpiCellLight = skin::kDpiLight;
inline constexpr const char* kPaneOff = skin::kPaneOff;
inline constexpr const char* kPaneOn = skin::kPaneOn;
inline constexpr const char* kLedBoxImage = skin::kSmallBoxAlias;  // mode and parameter boxes
inline constexpr const char* kDpiStageBoxImage = skin::kSmallBox;  // DPI stage face

// ---- key setting -------------------------------------------------------------
inline constexpr int kKeyBoxCount = 7;
inline constexpr int kKeyRowStep = 23;
inline constexpr int kKeyNumberWidth = 20;  // the number "k" sits in the box's first pixels
inline constexpr int kKeyListIdBase = 40;   // list of box k has identifier 40 + k
inline constexpr Box kKeySettingTitle{259, 160, 364, 181};
inline constexpr Box kKeyBox1{252, 186, 463, 207};
inline constexpr Box kKeyList1{252, 208, 463, 478};
// k = 1..7
constexpr Box keyBox(int k) { return kKeyBox1.moved(0, kKeyRowStep * (k - 1)); }
constexpr Box keyList(int k) { return kKeyList1.moved(0, kKeyRowStep * (k - 1)); }
constexpr Box keyNumberRect(int k) {
  const Box b = keyBox(k);
  return {b.left, b.top, b.left + kKeyNumberWidth, b.bottom};
}
constexpr Box keyNameRect(int k) {
  const Box b = keyBox(k);
  return {b.left + kKeyNumberWidth, b.top, b.right, b.bottom};
}

inline constexpr Box kModeAButton{253, 518, 358, 539};
inline constexpr Box kModeBButton{357, 518, 462, 539};
inline constexpr Box kDefaultButton{307, 549, 412, 570};

// ---- report rate ---------------------------------------------------------------
inline constexpr Box kReportRateTitle{504, 161, 609, 182};
inline constexpr int kRateCellCount = kReportRateCellCount;
inline constexpr std::array<Box, kRateCellCount> kRateCells{
    {{542, 204, 612, 215}, {614, 204, 684, 215}, {686, 204, 756, 215}, {758, 204, 828, 215}}};
inline constexpr int kRateLabelGap = 10;     // label from cell bottom + 10 ...
inline constexpr int kRateLabelBottom = 30;  // ... to cell bottom + 30
constexpr Box rateLabelRect(int cell) {
  const Box c = kRateCells[static_cast<std::size_t>(cell)];
  return {c.left, c.bottom + kRateLabelGap, c.right, c.bottom + kRateLabelBottom};
}

// ---- DPI stages ------------------------------------------------------------------
inline constexpr Box kDpiSettingTitle{504, 275, 609, 296};
inline constexpr int kDpiColumnCount = static_cast<int>(kDpiStages);
inline constexpr int kDpiMaxLevels = 12;
inline constexpr std::array<int, kDpiColumnCount> kDpiColumnX{554, 581, 608, 635};
inline constexpr int kDpiCellSize = 16;
inline constexpr int kDpiLevel1Top = 518;
inline constexpr int kDpiLevelStep = -18;  // each level sits 18 pixels above the one below
inline constexpr int kDpiLabelLeft = 494;
inline constexpr int kDpiLabelRight = 544;
// stage 0..3, level 1..12 counted from the bottom
constexpr Box dpiCell(int stage, int level) {
  const int x = kDpiColumnX[static_cast<std::size_t>(stage)];
  const int y = kDpiLevel1Top + kDpiLevelStep * (level - 1);
  return {x, y, x + kDpiCellSize, y + kDpiCellSize};
}
constexpr Box dpiLabelRect(int level) {
  const int y = kDpiLevel1Top + kDpiLevelStep * (level - 1);
  return {kDpiLabelLeft, y, kDpiLabelRight, y + kDpiCellSize};
}
inline constexpr int kPaneSize = 16;
inline constexpr int kDpiPaneTop = 541;
constexpr Box dpiPane(int stage) {
  const int x = kDpiColumnX[static_cast<std::size_t>(stage)];
  return {x, kDpiPaneTop, x + kPaneSize, kDpiPaneTop + kPaneSize};
}
inline constexpr int kStageNumberGap = 5;      // stage number from pane bottom + 5 ...
inline constexpr int kStageNumberBottom = 30;  // ... to pane bottom + 30
constexpr Box stageNumberRect(int stage) {
  const Box p = dpiPane(stage);
  return {p.left, p.bottom + kStageNumberGap, p.right, p.bottom + kStageNumberBottom};
}
inline constexpr Box kSelectLabel{494, 541, 544, 557};
inline constexpr const char* kSelectText = "Select";

// ---- LED panel -------------------------------------------------------------------
inline constexpr Box kRgbEffectTitle{704, 275, 809, 296};
inline constexpr Box kLedModeLabel{696, 329, 756, 344};
inline constexpr Box kLedModeFace{767, 330, 835, 344};  // text face (identifier 86)
inline constexpr Box kLedModeBox{766, 329, 851, 344};   // click area, box image origin
inline constexpr Box kLedModeList{766, 347, 851, 407};
inline constexpr int kLedModeListId = 63;
inline constexpr int kLedModeFaceId = 86;
inline constexpr Box kLedParamLabel{696, 359, 756, 374};
inline constexpr Box kLedParamFace{767, 360, 835, 374};  // text face (identifier 87)
inline constexpr Box kLedParamBox{766, 359, 851, 374};
inline constexpr int kLedParamListId = 64;
inline constexpr int kLedParamFaceId = 87;
inline constexpr int kLedParamListLeft = 766, kLedParamListTop = 377, kLedParamListRight = 851;
inline constexpr int kLedParamListBottomStandard = 547;
inline constexpr int kLedParamListBottomRespiration = 467;
inline constexpr int kLedParamListBottomOther = 577;
// The parameter list's height follows the mode whose table it shows.
constexpr Box ledParamList(int ledMode) {
  const int bottom = ledMode == kLedModeStandard      ? kLedParamListBottomStandard
                     : ledMode == kLedModeRespiration ? kLedParamListBottomRespiration
                                                      : kLedParamListBottomOther;
  return {kLedParamListLeft, kLedParamListTop, kLedParamListRight, bottom};
}

inline constexpr Box kLoopColorTitle{697, 390, 870, 420};
inline constexpr int kLoopColorCount = static_cast<int>(kLoopColors);
inline constexpr int kLoopColorStep = 21;
inline constexpr int kSwatchIdBase = 75;  // swatch k has identifier 75 + k
inline constexpr Box kSwatch0{703, 420, 719, 436};
inline constexpr Box kLoopTick0{703, 440, 719, 456};
constexpr Box swatchRect(int k) { return kSwatch0.moved(kLoopColorStep * k, 0); }  // k = 0..7
constexpr Box loopTickRect(int k) { return kLoopTick0.moved(kLoopColorStep * k, 0); }

inline constexpr Box kDpiLedTitle{697, 480, 870, 500};
inline constexpr Box kDpiStageFace{741, 510, 826, 526};
inline constexpr Box kDpiStageList{740, 529, 826, 609};
inline constexpr int kDpiStageListId = 67;
inline constexpr int kDpiLedCount = kLedsPerStage;
inline constexpr int kDpiLedStep = 26;
inline constexpr Box kDpiLed1{737, 540, 753, 556};
constexpr Box dpiLedRect(int led) { return kDpiLed1.moved(kDpiLedStep * (led - 1), 0); }  // led = 1..4
inline constexpr std::array<const char*, 4> kDpiStageNames{"DPI Stage1", "DPI Stage2", "DPI Stage3",
                                                           "DPI Stage4"};

// The whole LED column, for checks that nothing else is drawn into it.
inline constexpr Box kLedPanelArea{697, 275, 870, 609};

}  // namespace hm::basic
