// SPDX-License-Identifier: GPL-3.0-or-later
// The Basic page's and LED panel's rules as plain functions over MouseConfig,
// without any window: the key modes, the report-rate cells, the DPI scale and
// columns, the rule that keeps one DPI stage on, the LED modes and parameter
// tables, the DPI LED bits and the loop colours. The page classes draw what
// these functions decide; hidmousectl's "show" describes a record with them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/settings/mouse_config.h"

namespace hm {

class UiTexts;

// ---- key modes ----------------------------------------------------------------
// "Mode A" / "Mode B" for kModeA / kModeB (the same in every language); ""
// for anything else.
const char* keyModeName(int mode);

// ---- report rate --------------------------------------------------------------
// Cells 0..3 carry the report-interval codes 8, 4, 2, 1 (125, 250, 500,
// 1000 Hz). A stored code other than 8, 4 or 2 counts as the last cell.
inline constexpr int kReportRateCellCount = 4;
inline constexpr std::uint8_t kReportRateCodes[kReportRateCellCount] = {8, 4, 2, 1};
int reportRateCell(std::uint8_t reportInterval);
std::uint8_t reportRateCode(int cell);  // cell outside 0..3 gives 0
// The rate in Hz of a report-interval code (1000 / interval for 1, 2, 4, 8);
// 0 for any other code.
int reportRateHz(int reportInterval);
// The label under cell 0..3: "125", "250", "500", "1000".
std::string reportRateLabel(int cell);

// What selecting a report-rate cell did: the cell drawn dark, the cell drawn
// light, and whether anything had to be drawn (the stored code differed).
struct ReportRateChange {
  int darkCell = -1;
  int lightCell = -1;
  bool redraw = false;
};
// Stores the code of `cell` (0..3) in cfg.reportInterval.
ReportRateChange selectReportRate(MouseConfig& cfg, int cell);

// ---- DPI scale and columns ---------------------------------------------------------
// Levels shown for a sensor type: 8 for types 1..3, 12 for every other type.
int dpiLevelCount(int sensorType);
// Label of level 1..levelCount (bottom up) on the scale of a sensor type;
// types other than 1..3 use the 12-level labels. "" outside the scale.
std::string dpiLevelLabel(int sensorType, int level);

inline constexpr std::uint8_t kStageOn = 1;
inline constexpr std::size_t kStageSlots = sizeof(MouseConfig::dpiStageEnabled);  // 8

// A stage counts as on when its byte is exactly 1, as the page draws it.
bool dpiStageOn(const MouseConfig& cfg, int stage);
// Cells of a column drawn lit: levels 1..n, n = stored step + 1, never more
// than the scale shows; 0 while the stage is off.
int dpiLitLevels(const MouseConfig& cfg, int stage, int levelCount);

// A click on a DPI stage pane (stage 0..3).
enum class PaneToggle { SwitchedOn, SwitchedOff, Refused };
// Applies the click to cfg.dpiStageEnabled: an off stage goes on; an on stage
// goes off unless it is the only byte of all eight that is 1.
PaneToggle toggleDpiStage(MouseConfig& cfg, int stage);

// A click on the cell of `level` (1..12) of `stage`: stores level - 1 as the
// stage's step and leaves its on/off byte alone. Levels above the scale's
// count are not on the scale and are refused (returns false, nothing stored).
bool selectDpiLevel(MouseConfig& cfg, int stage, int level, int levelCount);

// ---- LED effect ------------------------------------------------------------------------
inline constexpr std::uint8_t kLedModeOff = 0;
inline constexpr std::uint8_t kLedModeStandard = 1;
inline constexpr std::uint8_t kLedModeRespiration = 2;
inline constexpr std::uint8_t kLedModeNeon = 3;
inline constexpr int kLedModeChoices = 3;  // the mode list offers modes 1..3

// The name of a mode 0..3 in the texts' language ("Off Mode", "Standard
// Mode", "Respiration Mode", "Neon Mode"); "" for any other value.
std::string ledModeName(const UiTexts& texts, int ledMode);

// Parameter table of a mode: 1 percentages (10), 2 respiration times (5,
// longest first), anything else the 30 neon times.
int ledParamCount(int ledMode);
// Entry `index` of the mode's table; "" for an index outside it.
std::string ledParamText(int ledMode, int index);
// The whole table, in list order.
std::vector<std::string> ledParamTable(int ledMode);
// The stored parameter index of the record's mode, ledParam[mode - 1];
// nothing for a mode outside 1..3 (which has no parameter).
std::optional<int> storedLedParam(const MouseConfig& cfg);
// Text of the parameter face: the mode's table entry of storedLedParam;
// "" for a mode outside 1..3 or a stored index outside the table.
std::string ledParamFaceText(const MouseConfig& cfg);
// Choosing line `line` of the mode list: ledMode becomes line + 1.
// Returns false (nothing stored) for a line outside 0..2.
bool chooseLedMode(MouseConfig& cfg, int line);
// Choosing line `line` of the parameter list: stored for modes 1..3 only.
// Returns whether anything was stored.
bool chooseLedParam(MouseConfig& cfg, int line);

// ---- loop colours ----------------------------------------------------------------------
bool loopColorUsed(const MouseConfig& cfg, int k);  // k = 0..7
void toggleLoopColor(MouseConfig& cfg, int k);      // used -> 0, anything else -> 1
// A swatch click opens the colour chooser only while its colour is used.
bool swatchOpensChooser(const MouseConfig& cfg, int k);
void setLoopColor(MouseConfig& cfg, int k, std::uint8_t r, std::uint8_t g, std::uint8_t b);

// ---- DPI self-colour LEDs ------------------------------------------------------------------
// dpiLedMask byte 0 holds stage 1 in bits 0..3 and stage 2 in bits 4..7,
// byte 1 stages 3 and 4 alike; bit led - 1 of a stage's nibble is LED `led`.
// Bytes 2 and 3 are never touched. stage = 0..3, led = 1..4.
inline constexpr int kLedsPerStage = 4;
bool dpiLedLit(const MouseConfig& cfg, int stage, int led);
// The four bits of a stage (bit led - 1 = LED led); 0 for a stage outside 0..3.
std::uint8_t dpiLedBits(const MouseConfig& cfg, int stage);
void toggleDpiLed(MouseConfig& cfg, int stage, int led);

}  // namespace hm
