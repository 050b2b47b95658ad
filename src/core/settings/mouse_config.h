// SPDX-License-Identifier: GPL-3.0-or-later
// MouseConfig: the 2021-byte configuration record. It is the body of
// config.bin byte for byte (after the one first-run flag byte), so the struct
// is a packed image of one-byte fields; offsets are checked below.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "core/wire/protocol.h"

namespace hm {

constexpr std::size_t kButtonSlots = 12;  // buttons 1..12 on screen, 0..11 in arrays
// The record keeps the macro images as the mouse takes them.
constexpr std::size_t kMacroCount = proto::kMacroCount;
constexpr std::size_t kMacroImageSize = proto::kMacroImageSize;
constexpr std::size_t kDpiStages = proto::kDpiStageCount;  // stages sent to the mouse
constexpr std::size_t kLoopColors = 8;

using SlotArray = std::array<std::uint8_t, kButtonSlots>;

// One mode's button assignments: sixteen parallel arrays of twelve bytes,
// element b of each array belonging to button slot b.
struct ButtonBlock {
  SlotArray function;          // 0x00: function list index 0..15
  SlotArray mediaChoice;       // 0x0C: multimedia dialog row
  SlotArray mediaUsage;        // 0x18: consumer usage of that row
  SlotArray windowsChoice;     // 0x24: Windows-function dialog row
  SlotArray windowsUsageLow;   // 0x30
  SlotArray windowsUsageHigh;  // 0x3C
  SlotArray fireChoice;        // 0x48: fire-key list row
  SlotArray fireKey;           // 0x54
  SlotArray fireSpeed;         // 0x60
  SlotArray fireTimes;         // 0x6C
  SlotArray singleKey;         // 0x78
  SlotArray comboModifiers;    // 0x84
  SlotArray comboKey1;         // 0x90
  SlotArray comboKey2;         // 0x9C
  SlotArray macroIndex;        // 0xA8: macro number - 1
  SlotArray macroRepeat;       // 0xB4
};
static_assert(sizeof(ButtonBlock) == 192);

enum Mode : std::uint8_t { kModeA = 0, kModeB = 1 };

struct MouseConfig {
  ButtonBlock mode[2];                                    // 0, 192
  std::uint8_t macroImage[kMacroCount][kMacroImageSize];  // 384
  std::uint8_t reserved1920[5];                           // 1920
  std::uint8_t reportInterval;                            // 1925: 1, 2, 4, 8 ms
  std::uint8_t reserved1926;                              // 1926
  std::uint8_t dpiStageValue[kDpiStages];                 // 1927: step index per stage
  std::uint8_t dpiStageEnabled[8];                        // 1931: 0 = skipped
  std::uint8_t reserved1939[8];                           // 1939
  std::uint8_t ledMode;                                   // 1947: 0 off, 1..3
  std::uint8_t ledParam[3];                               // 1948
  std::uint8_t ledParam2[3];                              // 1951: kept, never edited
  std::uint8_t reserved1954;                              // 1954
  std::uint8_t enhancePointerPrecision;                   // 1955
  std::uint8_t scrollOneScreen;                           // 1956
  std::uint8_t pointerSpeedStep;                          // 1957
  std::uint8_t scrollLines;                               // 1958
  std::uint8_t doubleClickStep;                           // 1959
  std::uint8_t editedMode;                                // 1960: 0 Mode A, 1 Mode B
  std::uint8_t dpiAction[2][kButtonSlots];                // 1961, 1973: 1 +, 2 -, 3 loop
  std::uint8_t loopColorEnabled[kLoopColors];             // 1985: 1 = used
  std::uint8_t loopColor[kLoopColors][3];                 // 1993: R, G, B
  std::uint8_t dpiLedMask[4];                             // 2017

  static constexpr std::size_t kSize = 2021;

  // Whole-record operations.
  void clear() { std::memset(this, 0, sizeof *this); }
  void toBytes(std::uint8_t* out) const { std::memcpy(out, this, kSize); }
  void fromBytes(const std::uint8_t* in) { std::memcpy(this, in, kSize); }
  bool operator==(const MouseConfig& o) const { return std::memcmp(this, &o, kSize) == 0; }
  // Any editedMode byte other than 0 edits Mode B.
  Mode editedModeIndex() const { return editedMode ? kModeB : kModeA; }
  ButtonBlock& edited() { return mode[editedModeIndex()]; }
  const ButtonBlock& edited() const { return mode[editedModeIndex()]; }
};

static_assert(sizeof(MouseConfig) == MouseConfig::kSize);
static_assert(alignof(MouseConfig) == 1);
static_assert(offsetof(MouseConfig, mode) == 0);
static_assert(offsetof(MouseConfig, macroImage) == 384);
static_assert(offsetof(MouseConfig, reserved1920) == 1920);
static_assert(offsetof(MouseConfig, reportInterval) == 1925);
static_assert(offsetof(MouseConfig, dpiStageValue) == 1927);
static_assert(offsetof(MouseConfig, dpiStageEnabled) == 1931);
static_assert(offsetof(MouseConfig, reserved1939) == 1939);
static_assert(offsetof(MouseConfig, ledMode) == 1947);
static_assert(offsetof(MouseConfig, ledParam) == 1948);
static_assert(offsetof(MouseConfig, ledParam2) == 1951);
static_assert(offsetof(MouseConfig, enhancePointerPrecision) == 1955);
static_assert(offsetof(MouseConfig, scrollOneScreen) == 1956);
static_assert(offsetof(MouseConfig, pointerSpeedStep) == 1957);
static_assert(offsetof(MouseConfig, scrollLines) == 1958);
static_assert(offsetof(MouseConfig, doubleClickStep) == 1959);
static_assert(offsetof(MouseConfig, editedMode) == 1960);
static_assert(offsetof(MouseConfig, dpiAction) == 1961);
static_assert(offsetof(MouseConfig, loopColorEnabled) == 1985);
static_assert(offsetof(MouseConfig, loopColor) == 1993);
static_assert(offsetof(MouseConfig, dpiLedMask) == 2017);
static_assert(offsetof(MouseConfig, reserved1926) == 1926);
static_assert(offsetof(MouseConfig, reserved1954) == 1954);
static_assert(offsetof(ButtonBlock, function) == 0x00);
static_assert(offsetof(ButtonBlock, mediaChoice) == 0x0C);
static_assert(offsetof(ButtonBlock, mediaUsage) == 0x18);
static_assert(offsetof(ButtonBlock, windowsChoice) == 0x24);
static_assert(offsetof(ButtonBlock, windowsUsageLow) == 0x30);
static_assert(offsetof(ButtonBlock, windowsUsageHigh) == 0x3C);
static_assert(offsetof(ButtonBlock, fireChoice) == 0x48);
static_assert(offsetof(ButtonBlock, fireKey) == 0x54);
static_assert(offsetof(ButtonBlock, fireSpeed) == 0x60);
static_assert(offsetof(ButtonBlock, fireTimes) == 0x6C);
static_assert(offsetof(ButtonBlock, singleKey) == 0x78);
static_assert(offsetof(ButtonBlock, comboModifiers) == 0x84);
static_assert(offsetof(ButtonBlock, comboKey1) == 0x90);
static_assert(offsetof(ButtonBlock, comboKey2) == 0x9C);
static_assert(offsetof(ButtonBlock, macroIndex) == 0xA8);
static_assert(offsetof(ButtonBlock, macroRepeat) == 0xB4);

// DPI step tables by sensor type: the DPI shown and the code sent per step.
// A sensor type outside 0..3 gives "" and 0.
const char* dpiText(int sensorType, int step);
std::uint8_t dpiCode(int sensorType, int step);
// Number of steps on the scale of a sensor type: 12 for type 0 (and any type
// outside 1..3, as the Basic page draws it), 8 for types 1..3.
int dpiStepCount(int sensorType);

}  // namespace hm
