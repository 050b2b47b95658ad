// SPDX-License-Identifier: GPL-3.0-or-later
// Key names from native scan codes (evdev code + 8), as the key tables and
// the macro items spell them.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "core/buttons/key_tables.h"
#include "platform/key_names.h"

namespace hm {
namespace {

struct ScanCase {
  std::uint32_t evdev;
  const char* name;
};

// Keys whose Windows names differ from what a Linux key name would suggest,
// the left/right pairs and the keypad.
const ScanCase kNamed[] = {
    {29, "Ctrl"},
    {97, "Right Ctrl"},
    {42, "Shift"},
    {54, "Right Shift"},
    {56, "Alt"},
    {100, "Right Alt"},
    {125, "Left Windows"},
    {126, "Right Windows"},
    {1, "Esc"},
    {28, "Enter"},
    {96, "Num Enter"},
    {82, "Num 0"},
    {71, "Num 7"},
    {83, "Num Del"},
    {111, "Delete"},
    {98, "Num /"},
    {55, "Num *"},
    {99, "Prnt Scrn"},
    {104, "Page Up"},
    {109, "Page Down"},
    {58, "Caps Lock"},
    {43, "\\"},
    {41, "`"},
    {40, "'"},
    {30, "A"},
    {44, "Z"},
    {11, "0"},
    {2, "1"},
    {87, "F11"},
    {88, "F12"},
    {119, "Pause"},
    {69, "Num Lock"},
    {70, "Scroll Lock"},
    {57, "Space"},
    {14, "Backspace"},
    {183, "F13"},
};

TEST(KeyNames, NamesThePhysicalKeyFromItsScanCode) {
  for (const ScanCase& c : kNamed) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(keyNameFromScanCode(c.evdev + kNativeScanCodeOffset), c.name);
    EXPECT_EQ(keyNameFromEvdevCode(c.evdev), c.name);
  }
}

TEST(KeyNames, UnknownAndOutOfRangeCodesHaveNoName) {
  for (std::uint32_t scan : {0u, 1u, 7u, 8u + 0u, 8u + 84u, 8u + 195u, 8u + 1000u, 0xFFFFFFFFu}) {
    SCOPED_TRACE(scan);
    EXPECT_EQ(keyNameFromScanCode(scan), "");
  }
}

// Every keyboard name of the key-name table must be reachable from some
// physical key, or that key could never be assigned by pressing it. The
// mouse-button rows and the table's non-US key row are not keyboard keys.
TEST(KeyNames, EveryKeyboardNameOfTheKeyTableHasAKey) {
  std::set<std::string> produced;
  for (std::uint32_t evdev = 0; evdev < 256; ++evdev) produced.insert(keyNameFromEvdevCode(evdev));
  const std::set<std::string> notKeys = {"L-Button", "R-Button", "M-Button", "Eurpo(Note 2)"};
  for (int row = 0; row < kKeyNameRows; ++row) {
    const std::string name = keyNameAt(row);
    if (notKeys.count(name)) continue;
    EXPECT_TRUE(produced.count(name)) << "no key produces \"" << name << "\"";
  }
}

TEST(KeyNames, NamesMapToTheirUsagesOrToZero) {
  struct Case {
    std::uint32_t evdev;
    std::uint8_t usage;
  };
  const Case cases[] = {{30, 0x04}, {97, 0xE4}, {29, 0xE0}, {28, 0x28},  {96, 0x58},
                        {82, 0x62}, {99, 0x46}, {43, 0x00}, {127, 0x00}, {126, 0xE7}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.evdev);
    EXPECT_EQ(keyCodeFromName(keyNameFromEvdevCode(c.evdev)), c.usage);
  }
}

}  // namespace
}  // namespace hm
