// SPDX-License-Identifier: GPL-3.0-or-later
// The five key tables as constant data.
#include "core/buttons/key_tables.h"

#include <iterator>

#include "core/wire/byte_order.h"

namespace hm {
namespace {

struct NamedCode {
  const char* name;
  std::uint8_t code;
};

// Key names in table order. Rows are grouped by the runs of consecutive
// usages they cover; 0x31 has no row.
constexpr NamedCode kKeyNames[] = {
    {"A", 0x04},
    {"B", 0x05},
    {"C", 0x06},
    {"D", 0x07},
    {"E", 0x08},
    {"F", 0x09},
    {"G", 0x0A},
    {"H", 0x0B},
    {"I", 0x0C},
    {"J", 0x0D},
    {"K", 0x0E},
    {"L", 0x0F},
    {"M", 0x10},
    {"N", 0x11},
    {"O", 0x12},
    {"P", 0x13},
    {"Q", 0x14},
    {"R", 0x15},
    {"S", 0x16},
    {"T", 0x17},
    {"U", 0x18},
    {"V", 0x19},
    {"W", 0x1A},
    {"X", 0x1B},
    {"Y", 0x1C},
    {"Z", 0x1D},
    {"1", 0x1E},
    {"2", 0x1F},
    {"3", 0x20},
    {"4", 0x21},
    {"5", 0x22},
    {"6", 0x23},
    {"7", 0x24},
    {"8", 0x25},
    {"9", 0x26},
    {"0", 0x27},
    {"Enter", 0x28},
    {"Esc", 0x29},
    {"Backspace", 0x2A},
    {"Tab", 0x2B},
    {"Space", 0x2C},
    {"-", 0x2D},
    {"=", 0x2E},
    {"[", 0x2F},
    {"]", 0x30},
    {"Eurpo(Note 2)", 0x32},
    {";", 0x33},
    {"'", 0x34},
    {"`", 0x35},
    {",", 0x36},
    {".", 0x37},
    {"/", 0x38},
    {"Caps Lock", 0x39},
    {"F1", 0x3A},
    {"F2", 0x3B},
    {"F3", 0x3C},
    {"F4", 0x3D},
    {"F5", 0x3E},
    {"F6", 0x3F},
    {"F7", 0x40},
    {"F8", 0x41},
    {"F9", 0x42},
    {"F10", 0x43},
    {"F11", 0x44},
    {"F12", 0x45},
    {"Prnt Scrn", 0x46},
    {"Scroll Lock", 0x47},
    {"Pause", 0x48},
    {"Insert", 0x49},
    {"Home", 0x4A},
    {"Page Up", 0x4B},
    {"Delete", 0x4C},
    {"End", 0x4D},
    {"Page Down", 0x4E},
    {"Right", 0x4F},
    {"Left", 0x50},
    {"Down", 0x51},
    {"Up", 0x52},
    {"Num Lock", 0x53},
    {"Num /", 0x54},
    {"Num *", 0x55},
    {"Num -", 0x56},
    {"Num +", 0x57},
    {"Num Enter", 0x58},
    {"Num 1", 0x59},
    {"Num 2", 0x5A},
    {"Num 3", 0x5B},
    {"Num 4", 0x5C},
    {"Num 5", 0x5D},
    {"Num 6", 0x5E},
    {"Num 7", 0x5F},
    {"Num 8", 0x60},
    {"Num 9", 0x61},
    {"Num 0", 0x62},
    {"Num Del", 0x63},
    {"Ctrl", 0xE0},
    {"Shift", 0xE1},
    {"Alt", 0xE2},
    {"Left Windows", 0xE3},
    {"Right Ctrl", 0xE4},
    {"Right Shift", 0xE5},
    {"Right Alt", 0xE6},
    {"Right Windows", 0xE7},
    {"L-Button", 0xF0},
    {"R-Button", 0xF1},
    {"M-Button", 0xF2},
};
static_assert(std::size(kKeyNames) == kKeyNameRows);

constexpr NamedCode kModifiers[] = {
    {"Left Ctrl", 0x01},  {"Left Shift", 0x02},  {"Left Alt", 0x04},  {"Left Win", 0x08},
    {"Right Ctrl", 0x10}, {"Right Shift", 0x20}, {"Right Alt", 0x40}, {"Right Win", 0x80},
};
static_assert(std::size(kModifiers) == kModifierRows);

// The fire list has no Windows-key rows (0xE3, 0xE7 cannot be fired).
constexpr NamedCode kFireRowTable[] = {
    {"A", 0x04},
    {"B", 0x05},
    {"C", 0x06},
    {"D", 0x07},
    {"E", 0x08},
    {"F", 0x09},
    {"G", 0x0A},
    {"H", 0x0B},
    {"I", 0x0C},
    {"J", 0x0D},
    {"K", 0x0E},
    {"L", 0x0F},
    {"M", 0x10},
    {"N", 0x11},
    {"O", 0x12},
    {"P", 0x13},
    {"Q", 0x14},
    {"R", 0x15},
    {"S", 0x16},
    {"T", 0x17},
    {"U", 0x18},
    {"V", 0x19},
    {"W", 0x1A},
    {"X", 0x1B},
    {"Y", 0x1C},
    {"Z", 0x1D},
    {"1", 0x1E},
    {"2", 0x1F},
    {"3", 0x20},
    {"4", 0x21},
    {"5", 0x22},
    {"6", 0x23},
    {"7", 0x24},
    {"8", 0x25},
    {"9", 0x26},
    {"0", 0x27},
    {"L-CTRL", 0xE0},
    {"L-SHIFT", 0xE1},
    {"L-ALT", 0xE2},
    {"R-CTRL", 0xE4},
    {"R-SHIFT", 0xE5},
    {"R-ALT", 0xE6},
    {"F1", 0x3A},
    {"F2", 0x3B},
    {"F3", 0x3C},
    {"F4", 0x3D},
    {"F5", 0x3E},
    {"F6", 0x3F},
    {"F7", 0x40},
    {"F8", 0x41},
    {"F9", 0x42},
    {"F10", 0x43},
    {"F11", 0x44},
    {"F12", 0x45},
    {"L-Button", 0xF0},
    {"R-Button", 0xF1},
    {"M-Button", 0xF2},
    {"B4-Button", 0xF3},
    {"B5-Button", 0xF4},
    {"L-Tilt Wheel", 0xF5},
    {"R-Tilt Wheel", 0xF6},
};
static_assert(std::size(kFireRowTable) == kFireRows);

// Consumer-page usages (HID Usage Tables, Consumer page 0x0C).
constexpr std::uint8_t kMediaUsage[] = {0xB5, 0xB6, 0xB7, 0xCD, 0xE2, 0xE9, 0xEA};
static_assert(std::size(kMediaUsage) == kMediaRows);

constexpr std::uint16_t kWindowsUsage[] = {0x0183, 0x018A, 0x0192, 0x0194, 0x0221, 0x0223,
                                           0x0224, 0x0225, 0x0226, 0x0227, 0x022A};
static_assert(std::size(kWindowsUsage) == kWindowsRows);

template <std::size_t N>
std::uint8_t lookup(const NamedCode (&table)[N], const std::string& name) {
  for (const NamedCode& row : table)
    if (name == row.name) return row.code;
  return 0;
}

template <typename T, std::size_t N>
bool inTable(const T (&)[N], int row) {
  return row >= 0 && static_cast<std::size_t>(row) < N;
}

}  // namespace

std::uint8_t keyCodeFromName(const std::string& name) { return lookup(kKeyNames, name); }

std::uint8_t modifierBitFromName(const std::string& name) { return lookup(kModifiers, name); }

std::uint8_t fireKeyCode(int row) { return inTable(kFireRowTable, row) ? kFireRowTable[row].code : 0; }

std::uint8_t mediaUsageForRow(int row) { return inTable(kMediaUsage, row) ? kMediaUsage[row] : 0; }

std::uint8_t windowsLowByteForRow(int row) {
  return inTable(kWindowsUsage, row) ? lowByte(kWindowsUsage[row]) : 0;
}

std::uint8_t windowsHighByteForRow(int row) {
  return inTable(kWindowsUsage, row) ? highByte(kWindowsUsage[row]) : 0;
}

const char* fireRowText(int row) { return inTable(kFireRowTable, row) ? kFireRowTable[row].name : ""; }

const char* modifierName(int row) { return inTable(kModifiers, row) ? kModifiers[row].name : ""; }

const char* keyNameAt(int row) { return inTable(kKeyNames, row) ? kKeyNames[row].name : ""; }

}  // namespace hm
