// SPDX-License-Identifier: GPL-3.0-or-later
// Button function codes: the sixteen functions a button can carry, how one
// assignment becomes a 4-byte key-matrix entry, how "Apply" builds the four
// 64-byte key matrices, and the "Default" assignments.
//
// Key-matrix entry (4 bytes), byte 0 is the entry type:
//   0x00 keyboard:  1 = modifier bits, 2 = first usage, 3 = second usage
//                   (all zero = "Key Off")
//   0x01 mouse:     2 = button code F0 left, F1 right, F2 middle, F3 fourth
//                   ("Backward"), F4 fifth ("Forward"); F7/F8 only in the fixed
//                   entries 14 and 15
//   0x03 consumer:  2..3 = 16-bit consumer usage, low byte first
//   0x07 DPI:       2 = 1 "DPI +", 2 "DPI -", 3 "DPI Loop"
//   0x08 special:   2 = 2 "Shift", 3 "RGB On/Off"
//   0x09 macro:     1 = repeat mode, 2 = macro number 1..12
//   0x0A fire:      1 = key or button code, 2 = speed, 3 = count
//
// Key matrix: sixteen entries, entry k at bytes 4k..4k+3. Table 1 carries
// Mode A, table 3 Mode B, tables 2 and 4 are all zero. Buttons 1..8 go to
// slots 0..7 with 3<->4 and 6<->7 exchanged; entries 8..13 are zero and
// entries 14, 15 are fixed.
#pragma once

#include <array>
#include <cstdint>

#include "core/settings/button_texts.h"
#include "core/settings/mouse_config.h"
#include "core/settings/ui_text.h"
#include "core/wire/protocol.h"

namespace hm {

// Function list index, stored in ButtonBlock::function.
enum Function : std::uint8_t {
  kLeftClick = 0,
  kRightClick,
  kMidClick,
  kForward,
  kBackward,
  kTripleClick,
  kDpiSwitch,
  kRgbOnOff,
  kWindows,
  kMultimedia,
  kFireKey,
  kSingleKey,
  kComboKey,
  kMacroKey,
  kShift,
  kKeyOff
};
constexpr int kFunctionCount = 16;

// DPI actions of a "DPI Switch" button (MouseConfig::dpiAction).
constexpr std::uint8_t kDpiUp = 1, kDpiDown = 2, kDpiLoop = 3;

// Key-matrix layout; the sizes are the mouse's (core/wire/protocol.h).
constexpr int kKeyMatrixEntries = static_cast<int>(proto::kKeyMatrixEntries);
// Number (1..4) of the table that carries each mode: Mode A table 1, Mode B
// table 3.
constexpr int kModeKeyMatrix[2] = {1, 3};
constexpr int kSentButtons = 8;     // buttons 1..8 reach the mouse
constexpr int kDefaultButtons = 9;  // "Default" writes buttons 1..9

using KeyEntry = std::array<std::uint8_t, proto::kKeyEntrySize>;
using KeyMatrix = std::array<std::uint8_t, proto::kKeyMatrixSize>;
using KeyMatrices = std::array<KeyMatrix, proto::kKeyMatrixTables>;

// The entry of `button` (0..11) of one mode block; dpiAction is that
// button's DPI action. Functions above 15 give 00 00 00 00.
KeyEntry encodeEntry(const ButtonBlock& block, int button, std::uint8_t dpiAction);

// The four tables sent by "Apply": [0] = table 1 (Mode A) ... [3] = table 4.
KeyMatrices buildKeyMatrices(const MouseConfig&);

// Slot of button b (0..7) in a key matrix: 3<->4 and 6<->7 exchanged.
int keyMatrixSlot(int button);

// "Default": in both modes, functions of buttons 1..9 = Left Click, Right
// Click, Mid Click, Forward, Backward, DPI Switch, DPI Switch, Key Off, Key
// Off; DPI action of button 6 = "DPI +", of button 7 = "DPI -". Buttons 10..12,
// every parameter array and every other field stay as they are.
void restoreDefaultAssignments(MouseConfig&);

// The display texts that go with "Default", buttons 1..9 of both modes: the
// language's "Left Click", "Right Click", "Mid Click", "Forward", "Backward",
// then "DPI +", "DPI -" (fixed English), then the language's "Key Off" twice.
void restoreDefaultTexts(ButtonTexts&, const UiTexts&);

// The fixed English texts of the DPI sub-list, row 0..2 = action 1..3; "" outside.
const char* dpiActionText(int row);

}  // namespace hm
