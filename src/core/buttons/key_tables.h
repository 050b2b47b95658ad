// SPDX-License-Identifier: GPL-3.0-or-later
// Fixed tables that turn key names, modifier names and dialog list rows into
// the codes the mouse understands: HID keyboard-page usages (with the
// keyboard report's modifier byte), the mouse-button codes 0xF0..0xF6 that
// share the keyboard-usage space, and consumer-page usages. All tables are
// constant data compiled into the program.
//
// Name lookups are exact: the whole name, case-sensitive, first row in table
// order wins, no trimming. Anything unknown, or a row outside a table, gives 0.
#pragma once

#include <cstdint>
#include <string>

namespace hm {

// Key names (106 rows) as captured from the keyboard or stored in macro
// items, plus "L-Button", "R-Button", "M-Button" (0xF0..0xF2). There is no
// row for usage 0x31, so "\" gives 0.
std::uint8_t keyCodeFromName(const std::string& name);

// Modifier names of the combo-key dialog ("Left Ctrl" ... "Right Win") to
// their bit in the HID keyboard modifier byte (0x01 ... 0x80).
std::uint8_t modifierBitFromName(const std::string& name);

// Fire-key list: row 0..60 to the code repeated by a fire entry.
std::uint8_t fireKeyCode(int row);

// Multimedia list: row 0..6 to the one-byte consumer usage (high byte 0).
std::uint8_t mediaUsageForRow(int row);

// Windows-function list: row 0..10 to the low byte of the 16-bit consumer
// usage, and its high byte: 1 for rows 0..3, 2 for rows 4..10, 0 otherwise.
std::uint8_t windowsLowByteForRow(int row);
std::uint8_t windowsHighByteForRow(int row);

constexpr int kKeyNameRows = 106, kFireRows = 61, kMediaRows = 7, kWindowsRows = 11, kModifierRows = 8;

// Texts of the fire-key list in list order ("A".."Z", "1".."0", "L-CTRL", ...,
// "R-Tilt Wheel"); "" outside 0..60. The same in every language.
const char* fireRowText(int row);

// Modifier list texts in list order ("Left Ctrl" ... "Right Win"); "" outside 0..7.
const char* modifierName(int row);

// Name of key-name row 0..105 in table order; "" outside.
const char* keyNameAt(int row);

}  // namespace hm
