// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/macros/macro_record.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <filesystem>

#include "core/settings/profile_file.h"
#include "support/temp_dir.h"

namespace hm {
namespace {

using test::TempDir;

TEST(MacroItem, ItemTexts) {
  EXPECT_EQ(MacroItem::press("A").text, "A   Dn");
  EXPECT_EQ(MacroItem::release("L-Button").text, "L-Button   Up");
  EXPECT_EQ(MacroItem::delay(50).text, "50 ms");
  EXPECT_EQ(MacroItem::delay(2500).text, "2500 ms");
  EXPECT_EQ(MacroItem::delay(0).text, "0 ms");
}

MacroRecord copyMacro() {
  return {"Copy",
          {MacroItem::press("Ctrl"), MacroItem::delay(20), MacroItem::press("C"), MacroItem::delay(50),
           MacroItem::release("C"), MacroItem::delay(20), MacroItem::release("Ctrl")}};
}

TEST(MacroFile, WriteCreatesTheFileAndReadsBack) {
  TempDir dir;
  const std::string ini = dir.file("record.ini");
  ASSERT_TRUE(writeMacro(ini, copyMacro()));
  EXPECT_EQ(readMacro(ini, "Copy"), copyMacro());
  EXPECT_EQ(profile::getString(ini, "Copy", "ItemCount"), "7");
  EXPECT_EQ(profile::getString(ini, "Copy", "Item0"), "Ctrl   Dn");
  EXPECT_EQ(profile::getString(ini, "Copy", "Item6"), "Ctrl   Up");
  EXPECT_EQ(listMacros(ini), std::vector<std::string>{"Copy"});
}

TEST(MacroFile, SectionNamesMatchWithoutCase) {
  TempDir dir;
  const std::string ini = dir.file("record.ini");
  ASSERT_TRUE(writeMacro(ini, copyMacro()));
  EXPECT_EQ(readMacro(ini, "COPY").items, copyMacro().items);
  MacroRecord shorter{"copy", {MacroItem::press("A")}};
  ASSERT_TRUE(writeMacro(ini, shorter));
  EXPECT_EQ(listMacros(ini).size(), 1u);
  EXPECT_EQ(readMacro(ini, "Copy").items, shorter.items);
}

TEST(MacroFile, RewriteMovesTheSectionToTheEndAndDropsOldItems) {
  TempDir dir;
  const std::string ini = dir.file("record.ini");
  for (const char* name : {"One", "Two", "Three"}) {
    MacroRecord r = copyMacro();
    r.name = name;
    ASSERT_TRUE(writeMacro(ini, r));
  }
  ASSERT_TRUE(writeMacro(ini, {"One", {MacroItem::press("A"), MacroItem::delay(5)}}));
  EXPECT_EQ(listMacros(ini), (std::vector<std::string>{"Two", "Three", "One"}));
  EXPECT_EQ(readMacro(ini, "One").items.size(), 2u);
  EXPECT_EQ(profile::getString(ini, "One", "Item2", "<none>"), "<none>");
  EXPECT_EQ(readMacro(ini, "Two"), (MacroRecord{"Two", copyMacro().items}));
}

TEST(MacroFile, EmptyItemListWritesCountZero) {
  TempDir dir;
  const std::string ini = dir.file("record.ini");
  ASSERT_TRUE(writeMacro(ini, {"Empty", {}}));
  EXPECT_EQ(profile::getString(ini, "Empty", "ItemCount"), "0");
  EXPECT_TRUE(readMacro(ini, "Empty").items.empty());
}

TEST(MacroFile, DeleteRemovesOnlyThatSection) {
  TempDir dir;
  const std::string ini = dir.file("record.ini");
  ASSERT_TRUE(writeMacro(ini, {"A", {MacroItem::press("A")}}));
  ASSERT_TRUE(writeMacro(ini, {"B", {MacroItem::press("B")}}));
  ASSERT_TRUE(deleteMacro(ini, "a"));
  EXPECT_EQ(listMacros(ini), std::vector<std::string>{"B"});
  EXPECT_TRUE(readMacro(ini, "A").items.empty());
}

struct ReadCase {
  const char* what;
  const char* file;  // nullptr = no file
  const char* section;
  std::vector<std::string> items;
};

void PrintTo(const ReadCase& c, std::ostream* os) { *os << c.what; }

class ReadMacroTest : public ::testing::TestWithParam<ReadCase> {};

TEST_P(ReadMacroTest, Items) {
  TempDir dir;
  const std::string ini = GetParam().file ? dir.write("record.ini", GetParam().file) : dir.file("record.ini");
  std::vector<std::string> got;
  for (const MacroItem& item : readMacro(ini, GetParam().section).items) got.push_back(item.text);
  EXPECT_EQ(got, GetParam().items) << GetParam().what;
  EXPECT_EQ(readMacro(ini, GetParam().section).name, GetParam().section);
}

INSTANTIATE_TEST_SUITE_P(
    Files, ReadMacroTest,
    ::testing::Values(
        ReadCase{"missing file", nullptr, "M", {}},
        ReadCase{"missing section", "[X]\nItemCount=1\nItem0=A   Dn\n", "M", {}},
        ReadCase{"missing count", "[M]\nItem0=A   Dn\n", "M", {}},
        ReadCase{"missing item reads empty", "[M]\nItemCount=2\nItem1=5 ms\n", "M", {"", "5 ms"}},
        ReadCase{
            "count read like atoi", "[M]\nItemCount= 2 items\nItem0=a\nItem1=b\nItem2=c\n", "M", {"a", "b"}},
        ReadCase{"negative count", "[M]\nItemCount=-4\nItem0=a\n", "M", {}},
        ReadCase{"CRLF and blanks", "[M]\r\nItemCount = 1\r\n Item0 = A   Dn\r\n", "M", {"A   Dn"}}));

TEST(MacroFile, AbsurdItemCountIsLimited) {
  TempDir dir;
  const std::string ini = dir.write("record.ini", "[M]\nItemCount=2147483647\nItem0=A   Dn\n");
  const MacroRecord r = readMacro(ini, "M");
  ASSERT_EQ(r.items.size(), static_cast<std::size_t>(kMaxMacroItems));
  EXPECT_EQ(r.items[0].text, "A   Dn");
}

TEST(MacroFile, WriteRefusesAFileItCannotRead) {
  TempDir dir;
  const std::string ini = dir.file("record.ini");
  std::filesystem::create_directory(ini);  // exists, but cannot be read as a file
  EXPECT_FALSE(writeMacro(ini, copyMacro()));
  EXPECT_TRUE(std::filesystem::is_directory(ini));
}

TEST(MacroFile, ListOfMissingFileIsEmpty) {
  TempDir dir;
  EXPECT_TRUE(listMacros(dir.file("record.ini")).empty());
}

struct LoopCase {
  long value;
  std::uint8_t high, low;
};

class SetLoopTimesTest : public ::testing::TestWithParam<LoopCase> {};

// Only bytes 0..1 of the chosen image change, big-endian.
TEST_P(SetLoopTimesTest, StoresBigEndianInTheChosenImageOnly) {
  constexpr int kSlot = 4;
  MouseConfig config{};
  config.clear();
  std::memset(config.macroImage, 0xAB, sizeof config.macroImage);
  MouseConfig expected = config;
  expected.macroImage[kSlot][0] = GetParam().high;
  expected.macroImage[kSlot][1] = GetParam().low;
  setLoopTimes(config, kSlot, GetParam().value);
  EXPECT_TRUE(config == expected) << GetParam().value;
  EXPECT_EQ(loopTimes(config, kSlot), GetParam().high << 8 | GetParam().low);
}

INSTANTIATE_TEST_SUITE_P(Values, SetLoopTimesTest,
                         ::testing::Values(LoopCase{1, 0, 1}, LoopCase{255, 0, 0xFF}, LoopCase{256, 1, 0},
                                           LoopCase{0x1234, 0x12, 0x34}, LoopCase{65535, 0xFF, 0xFF},
                                           LoopCase{0, 0, 1}, LoopCase{-1, 0, 1}, LoopCase{65536, 0, 1},
                                           LoopCase{70000, 0, 1}, LoopCase{LONG_MAX, 0, 1}));

TEST(LoopTimes, SlotOutsideTheTwelveChangesNothing) {
  MouseConfig config{};
  config.clear();
  const MouseConfig before = config;
  setLoopTimes(config, -1, 5);
  setLoopTimes(config, 12, 5);
  EXPECT_TRUE(config == before);
  EXPECT_EQ(loopTimes(config, 12), 0);
}

struct TextCase {
  const char* text;
  long integer;        // leadingInteger
  std::uint16_t loop;  // clampLoopTimesText
};

void PrintTo(const TextCase& c, std::ostream* os) { *os << '"' << c.text << '"'; }

class NumberTextTest : public ::testing::TestWithParam<TextCase> {};

TEST_P(NumberTextTest, ReadLikeAtoi) {
  EXPECT_EQ(leadingInteger(GetParam().text), GetParam().integer) << GetParam().text;
  EXPECT_EQ(clampLoopTimesText(GetParam().text), GetParam().loop) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(Texts, NumberTextTest,
                         ::testing::Values(TextCase{"", 0, 1}, TextCase{"0", 0, 1}, TextCase{"1", 1, 1},
                                           TextCase{"70000", 70000, 1}, TextCase{"65535", 65535, 65535},
                                           TextCase{"65536", 65536, 1}, TextCase{"  12", 12, 12},
                                           TextCase{"\t7x", 7, 7}, TextCase{"12 34", 12, 12},
                                           TextCase{"+9", 9, 9}, TextCase{"-3", -3, 1}, TextCase{"abc", 0, 1},
                                           TextCase{"- 3", 0, 1}, TextCase{"50 ms", 50, 50},
                                           TextCase{"99999999999999999999999", LONG_MAX, 1},
                                           TextCase{"-99999999999999999999999", LONG_MIN, 1}));

TEST(ItemKeys, CountFromZeroWithoutLeadingZeros) {
  EXPECT_EQ(itemKey(0), "Item0");
  EXPECT_EQ(itemKey(10), "Item10");
  EXPECT_EQ(clampItemCount("7"), 7);
  EXPECT_EQ(clampItemCount("-7"), 0);
  EXPECT_EQ(clampItemCount("99999999"), kMaxMacroItems);
}

}  // namespace
}  // namespace hm
