// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/buttons/key_tables.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace hm {
namespace {

struct NameCase {
  const char* name;
  std::uint8_t code;
};

class KeyNameTest : public ::testing::TestWithParam<NameCase> {};

TEST_P(KeyNameTest, MapsExactName) {
  EXPECT_EQ(keyCodeFromName(GetParam().name), GetParam().code) << '"' << GetParam().name << '"';
}

INSTANTIATE_TEST_SUITE_P(
    GroupEdges, KeyNameTest,
    ::testing::Values(NameCase{"A", 0x04}, NameCase{"Z", 0x1D}, NameCase{"1", 0x1E}, NameCase{"0", 0x27},
                      NameCase{"Enter", 0x28}, NameCase{"Esc", 0x29}, NameCase{"Space", 0x2C},
                      NameCase{"]", 0x30}, NameCase{"Eurpo(Note 2)", 0x32}, NameCase{";", 0x33},
                      NameCase{"`", 0x35}, NameCase{"/", 0x38}, NameCase{"Caps Lock", 0x39},
                      NameCase{"F1", 0x3A}, NameCase{"F12", 0x45}, NameCase{"Prnt Scrn", 0x46},
                      NameCase{"Delete", 0x4C}, NameCase{"Num Lock", 0x53}, NameCase{"Num /", 0x54},
                      NameCase{"Num Enter", 0x58}, NameCase{"Num 1", 0x59}, NameCase{"Num 0", 0x62},
                      NameCase{"Num Del", 0x63}, NameCase{"Ctrl", 0xE0}, NameCase{"Left Windows", 0xE3},
                      NameCase{"Right Ctrl", 0xE4}, NameCase{"Right Windows", 0xE7},
                      NameCase{"L-Button", 0xF0}, NameCase{"M-Button", 0xF2}));

// Names that must not match: wrong case, blanks, names of the other tables,
// the backslash (no 0x31 row) and near misses.
INSTANTIATE_TEST_SUITE_P(Unknown, KeyNameTest,
                         ::testing::Values(NameCase{"a", 0}, NameCase{"\\", 0}, NameCase{"Left Ctrl", 0},
                                           NameCase{"", 0}, NameCase{" A", 0}, NameCase{"A ", 0},
                                           NameCase{"enter", 0}, NameCase{"Europe", 0}, NameCase{"F13", 0},
                                           NameCase{"B4-Button", 0}, NameCase{"L-CTRL", 0},
                                           NameCase{"Num  1", 0}, NameCase{"Backslash", 0}));

TEST(KeyNameTable, EveryRowFindsItsOwnCodeAndCodesRiseWithout0x31) {
  std::set<std::string> names;
  int previous = -1;
  for (int row = 0; row < kKeyNameRows; ++row) {
    const std::string name = keyNameAt(row);
    ASSERT_FALSE(name.empty()) << row;
    EXPECT_TRUE(names.insert(name).second) << "duplicate " << name;
    const int code = keyCodeFromName(name);
    EXPECT_GT(code, previous) << name;
    EXPECT_NE(code, 0x31) << name;
    previous = code;
  }
  EXPECT_STREQ(keyNameAt(kKeyNameRows), "");
  EXPECT_STREQ(keyNameAt(-1), "");
}

struct ModifierCase {
  int row;
  const char* name;
  std::uint8_t bit;
};

class ModifierTest : public ::testing::TestWithParam<ModifierCase> {};

TEST_P(ModifierTest, NameAndBit) {
  const auto& c = GetParam();
  EXPECT_STREQ(modifierName(c.row), c.name);
  EXPECT_EQ(modifierBitFromName(c.name), c.bit);
}

INSTANTIATE_TEST_SUITE_P(
    AllRows, ModifierTest,
    ::testing::Values(ModifierCase{0, "Left Ctrl", 0x01}, ModifierCase{1, "Left Shift", 0x02},
                      ModifierCase{2, "Left Alt", 0x04}, ModifierCase{3, "Left Win", 0x08},
                      ModifierCase{4, "Right Ctrl", 0x10}, ModifierCase{5, "Right Shift", 0x20},
                      ModifierCase{6, "Right Alt", 0x40}, ModifierCase{7, "Right Win", 0x80},
                      ModifierCase{8, "", 0}, ModifierCase{-1, "", 0}));

TEST(ModifierTable, KeyNamesAndWrongCaseAreNotModifiers) {
  for (const char* name : {"Ctrl", "left ctrl", "Right Windows", "Left Ctrl ", "Shift"})
    EXPECT_EQ(modifierBitFromName(name), 0) << name;
}

struct RowCase {
  int row;
  const char* text;
  std::uint8_t code;
};

class FireRowTest : public ::testing::TestWithParam<RowCase> {};

TEST_P(FireRowTest, TextAndCode) {
  const auto& c = GetParam();
  EXPECT_STREQ(fireRowText(c.row), c.text);
  EXPECT_EQ(fireKeyCode(c.row), c.code);
}

INSTANTIATE_TEST_SUITE_P(
    GroupEdges, FireRowTest,
    ::testing::Values(RowCase{0, "A", 0x04}, RowCase{25, "Z", 0x1D}, RowCase{26, "1", 0x1E},
                      RowCase{35, "0", 0x27}, RowCase{36, "L-CTRL", 0xE0}, RowCase{38, "L-ALT", 0xE2},
                      RowCase{39, "R-CTRL", 0xE4}, RowCase{40, "R-SHIFT", 0xE5}, RowCase{41, "R-ALT", 0xE6},
                      RowCase{42, "F1", 0x3A}, RowCase{53, "F12", 0x45}, RowCase{54, "L-Button", 0xF0},
                      RowCase{57, "B4-Button", 0xF3}, RowCase{58, "B5-Button", 0xF4},
                      RowCase{59, "L-Tilt Wheel", 0xF5}, RowCase{60, "R-Tilt Wheel", 0xF6},
                      RowCase{61, "", 0}, RowCase{-1, "", 0}, RowCase{1000, "", 0}));

TEST(FireTable, KeysSharedWithTheKeyNameTableHaveTheSameCode) {
  // Letters, digits and F-keys are spelled alike in both tables.
  for (int row = 0; row < kFireRows; ++row) {
    const std::uint8_t code = fireKeyCode(row);
    EXPECT_NE(code, 0xE3) << row;  // Windows keys cannot be fired
    EXPECT_NE(code, 0xE7) << row;
    const std::uint8_t named = keyCodeFromName(fireRowText(row));
    if (named != 0) {
      EXPECT_EQ(named, code) << fireRowText(row);
    }
  }
}

struct UsageCase {
  int row;
  std::uint8_t low;
  std::uint8_t high;
};

class MediaRowTest : public ::testing::TestWithParam<UsageCase> {};
TEST_P(MediaRowTest, Usage) { EXPECT_EQ(mediaUsageForRow(GetParam().row), GetParam().low); }
INSTANTIATE_TEST_SUITE_P(Rows, MediaRowTest,
                         ::testing::Values(UsageCase{0, 0xB5, 0}, UsageCase{3, 0xCD, 0},
                                           UsageCase{4, 0xE2, 0}, UsageCase{6, 0xEA, 0}, UsageCase{7, 0, 0},
                                           UsageCase{-1, 0, 0}));

class WindowsRowTest : public ::testing::TestWithParam<UsageCase> {};
TEST_P(WindowsRowTest, LowAndHighByte) {
  EXPECT_EQ(windowsLowByteForRow(GetParam().row), GetParam().low);
  EXPECT_EQ(windowsHighByteForRow(GetParam().row), GetParam().high);
}
INSTANTIATE_TEST_SUITE_P(Rows, WindowsRowTest,
                         ::testing::Values(UsageCase{0, 0x83, 0x01}, UsageCase{3, 0x94, 0x01},
                                           UsageCase{4, 0x21, 0x02}, UsageCase{9, 0x27, 0x02},
                                           UsageCase{10, 0x2A, 0x02}, UsageCase{11, 0, 0},
                                           UsageCase{-1, 0, 0}));

}  // namespace
}  // namespace hm
