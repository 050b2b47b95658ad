// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/buttons/button_codes.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace hm {
namespace {

constexpr int kButton = 5;  // the button under test; its neighbours hold other values

// A block whose parameters are distinct per array and per button, so an entry
// built from the wrong array or the wrong button shows.
ButtonBlock saneBlock() {
  ButtonBlock block;
  std::memset(&block, 0xEE, sizeof block);  // every parameter of every button
  block.function.fill(kKeyOff);
  block.mediaUsage[kButton] = 0xE9;
  block.windowsUsageLow[kButton] = 0x2A;
  block.windowsUsageHigh[kButton] = 0x02;
  block.fireKey[kButton] = 0xF0;
  block.fireSpeed[kButton] = 0x0A;
  block.fireTimes[kButton] = 0x07;
  block.singleKey[kButton] = 0x04;
  block.comboModifiers[kButton] = 0x11;
  block.comboKey1[kButton] = 0x05;
  block.comboKey2[kButton] = 0x06;
  block.macroIndex[kButton] = 2;
  block.macroRepeat[kButton] = 1;
  return block;
}

struct EntryCase {
  int function;
  KeyEntry entry;
};

class EncodeEntryTest : public ::testing::TestWithParam<EntryCase> {};

TEST_P(EncodeEntryTest, EntryOfFunction) {
  ButtonBlock block = saneBlock();
  block.function[kButton] = static_cast<std::uint8_t>(GetParam().function);
  EXPECT_EQ(encodeEntry(block, kButton, kDpiLoop), GetParam().entry) << "function " << GetParam().function;
}

INSTANTIATE_TEST_SUITE_P(
    AllFunctions, EncodeEntryTest,
    ::testing::Values(
        EntryCase{kLeftClick, {0x01, 0x00, 0xF0, 0x00}}, EntryCase{kRightClick, {0x01, 0x00, 0xF1, 0x00}},
        EntryCase{kMidClick, {0x01, 0x00, 0xF2, 0x00}}, EntryCase{kForward, {0x01, 0x00, 0xF4, 0x00}},
        EntryCase{kBackward, {0x01, 0x00, 0xF3, 0x00}}, EntryCase{kTripleClick, {0x0A, 0xF0, 0x20, 0x03}},
        EntryCase{kDpiSwitch, {0x07, 0x00, 0x03, 0x00}}, EntryCase{kRgbOnOff, {0x08, 0x00, 0x03, 0x00}},
        EntryCase{kWindows, {0x03, 0x00, 0x2A, 0x02}}, EntryCase{kMultimedia, {0x03, 0x00, 0xE9, 0x00}},
        EntryCase{kFireKey, {0x0A, 0xF0, 0x0A, 0x07}}, EntryCase{kSingleKey, {0x00, 0x00, 0x04, 0x00}},
        EntryCase{kComboKey, {0x00, 0x11, 0x05, 0x06}}, EntryCase{kMacroKey, {0x09, 0x01, 0x03, 0x00}},
        EntryCase{kShift, {0x08, 0x00, 0x02, 0x00}}, EntryCase{kKeyOff, {0x00, 0x00, 0x00, 0x00}},
        EntryCase{16, {0x00, 0x00, 0x00, 0x00}}, EntryCase{0xFF, {0x00, 0x00, 0x00, 0x00}}));

struct ParameterCase {
  const char* what;
  void (*change)(ButtonBlock&);
  int function;
  KeyEntry entry;
};

void PrintTo(const ParameterCase& c, std::ostream* os) { *os << c.what; }

class EntryParameterTest : public ::testing::TestWithParam<ParameterCase> {};

TEST_P(EntryParameterTest, Entry) {
  ButtonBlock block = saneBlock();
  block.function[kButton] = static_cast<std::uint8_t>(GetParam().function);
  GetParam().change(block);
  EXPECT_EQ(encodeEntry(block, kButton, kDpiUp), GetParam().entry) << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(Cases, EntryParameterTest,
                         ::testing::Values(ParameterCase{"combo with only a second key",
                                                         [](ButtonBlock& b) {
                                                           b.comboModifiers[kButton] = 0;
                                                           b.comboKey1[kButton] = 0;
                                                           b.comboKey2[kButton] = 0x1D;
                                                         },
                                                         kComboKey,
                                                         {0x00, 0x00, 0x00, 0x1D}},
                                           ParameterCase{"first macro, repeat until released",
                                                         [](ButtonBlock& b) {
                                                           b.macroIndex[kButton] = 0;
                                                           b.macroRepeat[kButton] = 2;
                                                         },
                                                         kMacroKey,
                                                         {0x09, 0x02, 0x01, 0x00}},
                                           ParameterCase{"twelfth macro",
                                                         [](ButtonBlock& b) {
                                                           b.macroIndex[kButton] = 11;
                                                           b.macroRepeat[kButton] = 0;
                                                         },
                                                         kMacroKey,
                                                         {0x09, 0x00, 0x0C, 0x00}},
                                           ParameterCase{"fire key defaults (A, 32, 1)",
                                                         [](ButtonBlock& b) {
                                                           b.fireKey[kButton] = 0x04;
                                                           b.fireSpeed[kButton] = 32;
                                                           b.fireTimes[kButton] = 1;
                                                         },
                                                         kFireKey,
                                                         {0x0A, 0x04, 0x20, 0x01}},
                                           ParameterCase{"DPI action comes from the argument",
                                                         [](ButtonBlock&) {},
                                                         kDpiSwitch,
                                                         {0x07, 0x00, 0x01, 0x00}}));

TEST(EncodeEntry, ButtonOutsideTheBlockGivesKeyOff) {
  ButtonBlock block = saneBlock();
  block.function.fill(kLeftClick);
  EXPECT_EQ(encodeEntry(block, -1, 1), KeyEntry{});
  EXPECT_EQ(encodeEntry(block, static_cast<int>(kButtonSlots), 1), KeyEntry{});
}

KeyEntry entryAt(const KeyMatrix& table, int slot) {
  KeyEntry e{};
  std::memcpy(e.data(), table.data() + 4 * slot, 4);
  return e;
}

TEST(BuildKeyMatrices, FreshDefault) {
  MouseConfig config{};
  config.clear();
  restoreDefaultAssignments(config);
  const auto tables = buildKeyMatrices(config);
  const std::vector<KeyEntry> expected = {{0x01, 0x00, 0xF0, 0x00},
                                          {0x01, 0x00, 0xF1, 0x00},
                                          {0x01, 0x00, 0xF2, 0x00},
                                          {0x01, 0x00, 0xF3, 0x00},
                                          {0x01, 0x00, 0xF4, 0x00},
                                          {0x07, 0x00, 0x01, 0x00},
                                          {0x00, 0x00, 0x00, 0x00},
                                          {0x07, 0x00, 0x02, 0x00},
                                          {},
                                          {},
                                          {},
                                          {},
                                          {},
                                          {},
                                          {0x01, 0x00, 0xF7, 0x00},
                                          {0x01, 0x00, 0xF8, 0x00}};
  for (int table : {0, 2})
    for (int slot = 0; slot < kKeyMatrixEntries; ++slot)
      EXPECT_EQ(entryAt(tables[table], slot), expected[slot]) << "table " << table + 1 << " slot " << slot;
  EXPECT_EQ(tables[1], KeyMatrix{});
  EXPECT_EQ(tables[3], KeyMatrix{});
}

struct SlotCase {
  int button;
  int slot;
};

class KeyMatrixSlotTest : public ::testing::TestWithParam<SlotCase> {};

// Each button gets a single key of its own code in Mode A and another in Mode
// B; the code must arrive at the button's slot of tables 1 and 3.
TEST_P(KeyMatrixSlotTest, ButtonLandsInItsSlot) {
  MouseConfig config{};
  config.clear();
  for (int m = 0; m < 2; ++m)
    for (std::size_t b = 0; b < kButtonSlots; ++b) {
      config.mode[m].function[b] = kSingleKey;
      config.mode[m].singleKey[b] = static_cast<std::uint8_t>(0x10 * (m + 1) + b);
    }
  const auto tables = buildKeyMatrices(config);
  const int b = GetParam().button, s = GetParam().slot;
  EXPECT_EQ(keyMatrixSlot(b), s);
  EXPECT_EQ(entryAt(tables[0], s), (KeyEntry{0, 0, static_cast<std::uint8_t>(0x10 + b), 0}));
  EXPECT_EQ(entryAt(tables[2], s), (KeyEntry{0, 0, static_cast<std::uint8_t>(0x20 + b), 0}));
}

INSTANTIATE_TEST_SUITE_P(ButtonsOneToEight, KeyMatrixSlotTest,
                         ::testing::Values(SlotCase{0, 0}, SlotCase{1, 1}, SlotCase{2, 2}, SlotCase{3, 4},
                                           SlotCase{4, 3}, SlotCase{5, 5}, SlotCase{6, 7}, SlotCase{7, 6}));

TEST(BuildKeyMatrices, ButtonsNineToTwelveAreNeverSent) {
  MouseConfig config{};
  config.clear();
  for (int m = 0; m < 2; ++m)
    for (std::size_t b = 0; b < kButtonSlots; ++b) config.mode[m].function[b] = b < 8 ? kKeyOff : kShift;
  const auto tables = buildKeyMatrices(config);
  for (int table : {0, 2}) {
    for (int slot = 0; slot < 14; ++slot) EXPECT_EQ(entryAt(tables[table], slot), KeyEntry{}) << slot;
    EXPECT_EQ(entryAt(tables[table], 14), (KeyEntry{0x01, 0x00, 0xF7, 0x00}));
    EXPECT_EQ(entryAt(tables[table], 15), (KeyEntry{0x01, 0x00, 0xF8, 0x00}));
  }
}

TEST(BuildKeyMatrices, EachModeUsesItsOwnDpiActions) {
  MouseConfig config{};
  config.clear();
  config.mode[0].function[0] = kDpiSwitch;
  config.mode[1].function[0] = kDpiSwitch;
  config.dpiAction[0][0] = kDpiDown;
  config.dpiAction[1][0] = kDpiLoop;
  const auto tables = buildKeyMatrices(config);
  EXPECT_EQ(entryAt(tables[0], 0), (KeyEntry{0x07, 0, kDpiDown, 0}));
  EXPECT_EQ(entryAt(tables[2], 0), (KeyEntry{0x07, 0, kDpiLoop, 0}));
}

// A record with a distinct non-zero value in every byte.
MouseConfig patternedConfig() {
  MouseConfig config{};
  std::uint8_t bytes[MouseConfig::kSize];
  for (std::size_t i = 0; i < sizeof bytes; ++i) bytes[i] = static_cast<std::uint8_t>(i * 7 + 3);
  config.fromBytes(bytes);
  return config;
}

TEST(RestoreDefaultAssignments, ChangesOnlyFunctionsOfButtonsOneToNineAndTwoDpiActions) {
  MouseConfig config = patternedConfig();
  config.editedMode = 1;
  MouseConfig expected = config;
  const std::uint8_t functions[9] = {0, 1, 2, 3, 4, 6, 6, 15, 15};
  for (int m = 0; m < 2; ++m) {
    for (int b = 0; b < 9; ++b) expected.mode[m].function[b] = functions[b];
    expected.dpiAction[m][5] = 1;
    expected.dpiAction[m][6] = 2;
  }
  restoreDefaultAssignments(config);
  std::uint8_t got[MouseConfig::kSize], want[MouseConfig::kSize];
  config.toBytes(got);
  expected.toBytes(want);
  for (std::size_t i = 0; i < MouseConfig::kSize; ++i) EXPECT_EQ(got[i], want[i]) << "offset " << i;
}

struct DefaultTextCase {
  Language language;
  std::vector<std::string> texts;  // buttons 1..9
};

void PrintTo(const DefaultTextCase& c, std::ostream* os) {
  *os << "language " << static_cast<int>(c.language);
}

class RestoreDefaultTextsTest : public ::testing::TestWithParam<DefaultTextCase> {};

TEST_P(RestoreDefaultTextsTest, ButtonsOneToNineInBothModes) {
  ButtonTexts texts;
  for (auto& mode : texts.text)
    for (std::size_t b = 0; b < kButtonSlots; ++b) mode[b] = "old " + std::to_string(b);
  restoreDefaultTexts(texts, UiTexts(GetParam().language));
  for (const auto& mode : texts.text) {
    for (std::size_t b = 0; b < 9; ++b) EXPECT_EQ(mode[b], GetParam().texts[b]) << b;
    for (std::size_t b = 9; b < kButtonSlots; ++b) EXPECT_EQ(mode[b], "old " + std::to_string(b));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Languages, RestoreDefaultTextsTest,
    ::testing::Values(
        DefaultTextCase{Language::English,
                        {"Left Click", "Right Click", "Mid Click", "Forward", "Backward", "DPI +", "DPI -",
                         "Key Off", "Key Off"}},
        DefaultTextCase{Language::SimplifiedChinese,
                        {"左键", "右键", "中键", "前进", "后退", "DPI +", "DPI -", "按键关闭", "按键关闭"}},
        DefaultTextCase{Language::TraditionalChinese,
                        {"左鍵", "右鍵", "中鍵", "前進", "後退", "DPI +", "DPI -", "按鍵關閉", "按鍵關閉"}}));

TEST(DpiActionText, RowsOfTheSubList) {
  EXPECT_STREQ(dpiActionText(kDpiUp - 1), "DPI +");
  EXPECT_STREQ(dpiActionText(kDpiDown - 1), "DPI -");
  EXPECT_STREQ(dpiActionText(kDpiLoop - 1), "DPI Loop");
  EXPECT_STREQ(dpiActionText(3), "");
  EXPECT_STREQ(dpiActionText(-1), "");
}

}  // namespace
}  // namespace hm
