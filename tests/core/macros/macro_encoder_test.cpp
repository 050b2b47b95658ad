// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/macros/macro_encoder.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "core/macros/macro_record.h"
#include "support/temp_dir.h"

namespace hm {
namespace {

using test::TempDir;
using Bytes = std::vector<std::uint8_t>;

constexpr std::uint8_t kCanary = 0xCC;

// An image with guard bytes on both sides and loop bytes 0x12 0x34.
struct GuardedImage {
  std::array<std::uint8_t, 16 + kMacroImageSize + 16> buffer;
  GuardedImage() {
    buffer.fill(kCanary);
    image()[0] = 0x12;
    image()[1] = 0x34;
  }
  std::uint8_t* image() { return buffer.data() + 16; }
  bool guardsIntact() const {
    for (std::size_t i = 0; i < 16; ++i)
      if (buffer[i] != kCanary || buffer[buffer.size() - 1 - i] != kCanary) return false;
    return true;
  }
};

struct EncodeCase {
  const char* what;
  std::vector<std::string> items;
  Bytes events;
  int count;
};

void PrintTo(const EncodeCase& c, std::ostream* os) { *os << c.what; }

class EncodeImageTest : public ::testing::TestWithParam<EncodeCase> {};

TEST_P(EncodeImageTest, Events) {
  GuardedImage g;
  std::memset(g.image() + kLoopBytes, 0x5A, kMacroImageSize - kLoopBytes);  // stale events
  const EncodeResult r = encodeMacroImage(GetParam().items, g.image());
  const std::size_t n = GetParam().events.size();
  EXPECT_EQ(Bytes(g.image() + kLoopBytes, g.image() + kLoopBytes + n), GetParam().events) << GetParam().what;
  for (std::size_t i = kLoopBytes + n; i < kMacroImageSize; ++i)
    EXPECT_EQ(g.image()[i], 0) << GetParam().what << " byte " << i;
  EXPECT_EQ(r.events, GetParam().count) << GetParam().what;
  EXPECT_FALSE(r.truncated);
  EXPECT_EQ(g.image()[0], 0x12) << "loop bytes are kept";
  EXPECT_EQ(g.image()[1], 0x34);
  EXPECT_TRUE(g.guardsIntact());
}

INSTANTIATE_TEST_SUITE_P(
    Forms, EncodeImageTest,
    ::testing::Values(
        EncodeCase{"worked example", {"A   Dn", "50 ms", "A   Up"}, {0x05, 0x04, 0x80, 0x04}, 2},
        EncodeCase{"2500 ms uses the long form",
                   {"A   Dn", "2500 ms", "A   Up"},
                   {0x00, 0x04, 0x19, 0x03, 0x80, 0x04},
                   2},
        EncodeCase{"1270 ms press", {"A   Dn", "1270 ms"}, {0x7F, 0x04}, 1},
        EncodeCase{"1270 ms release", {"A   Up", "1270 ms"}, {0xFF, 0x04}, 1},
        EncodeCase{"1271 ms press", {"A   Dn", "1271 ms"}, {0x47, 0x04, 0x0C, 0x03}, 1},
        EncodeCase{"1280 ms press", {"A   Dn", "1280 ms"}, {0x50, 0x04, 0x0C, 0x03}, 1},
        EncodeCase{"1280 ms release", {"A   Up", "1280 ms"}, {0xD0, 0x04, 0x0C, 0x03}, 1},
        EncodeCase{"delay above 25500 keeps the low 8 bits of d/100",
                   {"A   Dn", "30000 ms"},
                   {0x00, 0x04, 0x2C, 0x03},
                   1},
        EncodeCase{"9 ms rounds down to 0 units", {"B   Dn", "9 ms", "B   Up"}, {0x00, 0x05, 0x80, 0x05}, 2},
        EncodeCase{"last event gets delay 0", {"A   Dn"}, {0x00, 0x04}, 1},
        EncodeCase{
            "key after key gives delay 0", {"Ctrl   Dn", "C   Dn", "20 ms"}, {0x00, 0xE0, 0x02, 0x06}, 2},
        EncodeCase{"mouse buttons",
                   {"L-Button   Dn", "10 ms", "R-Button   Up", "20 ms", "M-Button   Dn"},
                   {0x01, 0xF0, 0x82, 0xF1, 0x00, 0xF2},
                   3},
        EncodeCase{"unknown key encodes as 0", {"\\   Dn", "30 ms", "a   Up"}, {0x03, 0x00, 0x80, 0x00}, 2},
        EncodeCase{"junk items write nothing",
                   {"hello", "", "70 ms", "Dn", "A   Dn", "40 ms", "   "},
                   {0x04, 0x04},
                   1},
        EncodeCase{"delay read like atoi", {"A   Dn", "  60 msec"}, {0x06, 0x04}, 1},
        EncodeCase{"negative delay reads as 0", {"A   Up", "-500 ms"}, {0x80, 0x04}, 1},
        EncodeCase{"every suffix occurrence is removed", {"A   Dn   Dn", "10 ms"}, {0x01, 0x04}, 1},
        EncodeCase{"press wins over release", {"A   Dn   Up"}, {0x00, 0x00}, 1},
        EncodeCase{"suffix in the middle of the name", {"Num   Dn 1"}, {0x00, 0x59}, 1},
        // Removal is one pass: cutting "   Dn" out of "A      DnDn" leaves
        // "A   Dn", which is no key name; the same for " ms" joining digits.
        EncodeCase{"a suffix formed by a removal stays", {"A      DnDn"}, {0x00, 0x00}, 1},
        EncodeCase{"digits joined by a removal are not read", {"A   Dn", "1 m mss2"}, {0x00, 0x04}, 1}));

TEST(EncodeImage, NoItemsZeroesTheWholeImage) {
  GuardedImage g;
  std::memset(g.image() + kLoopBytes, 0x5A, kMacroImageSize - kLoopBytes);
  const EncodeResult r = encodeMacroImage({}, g.image());
  for (std::size_t i = 0; i < kMacroImageSize; ++i) EXPECT_EQ(g.image()[i], 0) << i;
  EXPECT_EQ(r.events, 0);
  EXPECT_TRUE(g.guardsIntact());
}

std::vector<std::string> shortEvents(int n) {
  std::vector<std::string> items;
  for (int i = 0; i < n; ++i) {
    items.push_back("A   Dn");
    items.push_back("10 ms");
  }
  return items;
}

struct LimitCase {
  const char* what;
  std::vector<std::string> items;
  int events;
  bool truncated;
  std::size_t usedBytes;  // event bytes written
};

void PrintTo(const LimitCase& c, std::ostream* os) { *os << c.what; }

class ImageLimitTest : public ::testing::TestWithParam<LimitCase> {};

TEST_P(ImageLimitTest, StopsAtTheFirstEventThatDoesNotFit) {
  GuardedImage g;
  const EncodeResult r = encodeMacroImage(GetParam().items, g.image());
  EXPECT_EQ(r.events, GetParam().events) << GetParam().what;
  EXPECT_EQ(r.truncated, GetParam().truncated) << GetParam().what;
  for (std::size_t i = kLoopBytes + GetParam().usedBytes; i < kMacroImageSize; ++i)
    EXPECT_EQ(g.image()[i], 0) << GetParam().what << " byte " << i;
  EXPECT_TRUE(g.guardsIntact());
}

std::vector<std::string> plus(std::vector<std::string> items, std::vector<std::string> more) {
  items.insert(items.end(), more.begin(), more.end());
  return items;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ImageLimitTest,
    ::testing::Values(LimitCase{"63 short events fill it exactly", shortEvents(63), 63, false, 126},
                      LimitCase{"a 64th event is dropped", shortEvents(64), 63, true, 126},
                      LimitCase{"long event at byte 126 is dropped, and the short one after it too",
                                plus(shortEvents(62), {"B   Dn", "5000 ms", "C   Dn", "10 ms"}), 62, true,
                                124},
                      LimitCase{"long event that just fits", plus(shortEvents(61), {"B   Dn", "5000 ms"}), 62,
                                false, 126}));

// record.ini builders.
std::string section(const std::string& name, const std::vector<std::string>& items,
                    const std::string& count = "") {
  std::string s =
      "[" + name + "]\nItemCount=" + (count.empty() ? std::to_string(items.size()) : count) + "\n";
  for (std::size_t i = 0; i < items.size(); ++i) s += "Item" + std::to_string(i) + "=" + items[i] + "\n";
  return s;
}

// "A   Dn" for n = 1, "B   Dn" for n = 2, ... (key code 0x03 + n).
std::string keyNameFor(int n) { return std::string(1, static_cast<char>('A' + n - 1)) + kPressSuffix; }

MouseConfig saneConfig() {
  MouseConfig config{};
  config.clear();
  for (std::size_t m = 0; m < kMacroCount; ++m) {
    std::memset(config.macroImage[m], 0x77, kMacroImageSize);  // stale images
    config.macroImage[m][0] = 0;
    config.macroImage[m][1] = static_cast<std::uint8_t>(m + 1);  // loop times = slot + 1
  }
  config.reportInterval = 4;
  config.dpiAction[0][0] = 3;
  return config;
}

Bytes imageEvents(const MouseConfig& config, int slot) {
  const std::uint8_t* image = config.macroImage[slot];
  std::size_t end = kMacroImageSize;
  while (end > kLoopBytes && image[end - 1] == 0) --end;
  return Bytes(image + kLoopBytes, image + end);
}

TEST(RebuildImages, MissingFileChangesNothing) {
  TempDir dir;
  MouseConfig config = saneConfig();
  const MouseConfig before = config;
  EXPECT_TRUE(rebuildMacroImages(dir.file("record.ini"), config).empty());
  EXPECT_TRUE(config == before);
}

TEST(RebuildImages, WorkedExample) {
  TempDir dir;
  const std::string ini = dir.write("record.ini", section("Copy", {"A   Dn", "50 ms", "A   Up"}));
  MouseConfig config = saneConfig();
  const auto reports = rebuildMacroImages(ini, config);
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].number, 1);
  EXPECT_EQ(reports[0].name, "Copy");
  EXPECT_EQ(reports[0].events, 2);
  EXPECT_TRUE(reports[0].hasImage);
  EXPECT_FALSE(reports[0].truncated);
  const Bytes expected = {0x00, 0x01, 0x05, 0x04, 0x80, 0x04};
  EXPECT_EQ(Bytes(config.macroImage[0], config.macroImage[0] + 6), expected);
  for (std::size_t i = 6; i < kMacroImageSize; ++i) EXPECT_EQ(config.macroImage[0][i], 0) << i;
  // Images without a section keep their contents.
  EXPECT_EQ(config.macroImage[1][5], 0x77);
}

struct CountCase {
  const char* count;
  Bytes image;  // first bytes of image 1 (loop bytes 00 01 before)
  int events;
};

void PrintTo(const CountCase& c, std::ostream* os) { *os << "ItemCount=" << c.count; }

class ItemCountTest : public ::testing::TestWithParam<CountCase> {};

TEST_P(ItemCountTest, ParsedLikeAtoi) {
  TempDir dir;
  const std::string ini =
      dir.write("record.ini", section("M", {"A   Dn", "50 ms", "A   Up"}, GetParam().count));
  MouseConfig config = saneConfig();
  const auto reports = rebuildMacroImages(ini, config);
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].events, GetParam().events) << GetParam().count;
  const Bytes got(config.macroImage[0], config.macroImage[0] + GetParam().image.size());
  EXPECT_EQ(got, GetParam().image) << GetParam().count;
  for (std::size_t i = GetParam().image.size(); i < kMacroImageSize; ++i)
    EXPECT_EQ(config.macroImage[0][i], 0) << GetParam().count << " byte " << i;
}

INSTANTIATE_TEST_SUITE_P(Counts, ItemCountTest,
                         ::testing::Values(CountCase{"3", {0x00, 0x01, 0x05, 0x04, 0x80, 0x04}, 2},
                                           CountCase{" +3", {0x00, 0x01, 0x05, 0x04, 0x80, 0x04}, 2},
                                           CountCase{"3 items", {0x00, 0x01, 0x05, 0x04, 0x80, 0x04}, 2},
                                           CountCase{"2", {0x00, 0x01, 0x05, 0x04}, 1},
                                           // The delay after the last counted item is read all the same.
                                           CountCase{"1", {0x00, 0x01, 0x05, 0x04}, 1},
                                           CountCase{"9", {0x00, 0x01, 0x05, 0x04, 0x80, 0x04}, 2},
                                           CountCase{"0", {0x00, 0x00}, 0}, CountCase{"x3", {0x00, 0x00}, 0},
                                           CountCase{"-2", {0x00, 0x01}, 0}));

// Items are read into a 1024-unit buffer, so what lies past UTF-16 unit 1023
// of an item is not there for the encoder.
TEST(RebuildImages, ItemsAreReadUpTo1023Units) {
  const std::string kEAcute = "\xC3\xA9";  // one unit, two bytes
  std::string accents;
  for (int i = 0; i < 1018; ++i) accents += kEAcute;
  struct Case {
    const char* what;
    std::string item;
    int events;
  };
  const Case cases[] = {
      {"\"   Dn\" ending at unit 1023 is a press", std::string(1018, 'x') + kPressSuffix, 1},
      {"\"   Dn\" past unit 1023 is cut off", std::string(1030, 'x') + kPressSuffix, 0},
      {"units, not bytes, are counted", accents + kPressSuffix, 1},
  };
  for (const Case& c : cases) {
    TempDir dir;
    const std::string ini = dir.write("record.ini", section("M", {c.item, "50 ms"}));
    MouseConfig config = saneConfig();
    const auto reports = rebuildMacroImages(ini, config);
    ASSERT_EQ(reports.size(), 1u) << c.what;
    EXPECT_EQ(reports[0].events, c.events) << c.what;
    const std::uint8_t* first = config.macroImage[0] + kLoopBytes;
    EXPECT_EQ(Bytes(first, first + 2), (c.events ? Bytes{0x05, 0x00} : Bytes{0x00, 0x00})) << c.what;
  }
}

TEST(RebuildImages, SectionWithoutItemCountEmptiesItsImage) {
  TempDir dir;
  const std::string ini = dir.write("record.ini", "[M]\nItem0=A   Dn\n");
  MouseConfig config = saneConfig();
  rebuildMacroImages(ini, config);
  for (std::size_t i = 0; i < kMacroImageSize; ++i) EXPECT_EQ(config.macroImage[0][i], 0) << i;
}

TEST(RebuildImages, ThirteenSectionsFillTwelveImagesAndReportTheRest) {
  TempDir dir;
  std::string file;
  for (int n = 1; n <= 13; ++n)
    file += section("Macro" + std::to_string(n), {keyNameFor(n), std::to_string(10 * n) + " ms"});
  const std::string ini = dir.write("record.ini", file);
  MouseConfig config = saneConfig();
  MouseConfig expectedRest = config;
  const auto reports = rebuildMacroImages(ini, config);
  ASSERT_EQ(reports.size(), 13u);
  for (int n = 1; n <= 12; ++n) {
    EXPECT_TRUE(reports[n - 1].hasImage);
    EXPECT_EQ(reports[n - 1].number, n);
    EXPECT_EQ(imageEvents(config, n - 1),
              (Bytes{static_cast<std::uint8_t>(n), static_cast<std::uint8_t>(0x03 + n)}))
        << n;
  }
  EXPECT_FALSE(reports[12].hasImage);
  EXPECT_EQ(reports[12].name, "Macro13");
  EXPECT_EQ(reports[12].events, 0);
  // Nothing outside the twelve images changes.
  std::memcpy(expectedRest.macroImage, config.macroImage, sizeof config.macroImage);
  EXPECT_TRUE(config == expectedRest);
}

TEST(RebuildImages, NamesMatchingWithoutCaseAreOneSection) {
  TempDir dir;
  const std::string ini = dir.write(
      "record.ini", section("Copy", {"A   Dn"}) + section("COPY", {"B   Dn"}) + section("Next", {"C   Dn"}));
  MouseConfig config = saneConfig();
  const auto reports = rebuildMacroImages(ini, config);
  ASSERT_EQ(reports.size(), 2u);
  EXPECT_EQ(reports[1].name, "Next");
  EXPECT_EQ(imageEvents(config, 0), (Bytes{0x00, 0x04}));
  EXPECT_EQ(imageEvents(config, 1), (Bytes{0x00, 0x06}));
}

TEST(RebuildImages, LongNamesDoNotHideLaterSections) {
  TempDir dir;
  std::string file;
  for (int n = 1; n <= 12; ++n)
    file += section(std::string(60, static_cast<char>('a' + n)), {"A   Dn", std::to_string(10 * n) + " ms"});
  const std::string ini = dir.write("record.ini", file);
  MouseConfig config = saneConfig();
  const auto reports = rebuildMacroImages(ini, config);
  ASSERT_EQ(reports.size(), 12u);
  EXPECT_EQ(imageEvents(config, 11), (Bytes{12, 0x04}));
  EXPECT_EQ(reports[11].name, std::string(60, 'm'));
}

TEST(RebuildImages, ReportsACutMacro) {
  TempDir dir;
  std::vector<std::string> items;
  for (int i = 0; i < 70; ++i) {
    items.push_back("A   Dn");
    items.push_back("10 ms");
  }
  const std::string ini = dir.write("record.ini", section("Long", items) + section("Short", {"A   Dn"}));
  MouseConfig config = saneConfig();
  const auto reports = rebuildMacroImages(ini, config);
  ASSERT_EQ(reports.size(), 2u);
  EXPECT_TRUE(reports[0].truncated);
  EXPECT_EQ(reports[0].events, 63);
  EXPECT_FALSE(reports[1].truncated);
  EXPECT_EQ(config.macroImage[1][2], 0x00);  // the next image is untouched by the overflow
  EXPECT_EQ(config.macroImage[1][3], 0x04);
}

// "Confirm" on the first of three macros rewrites its section at the end of
// the file, so the rebuild puts it into image 3 and moves the others up; the
// loop bytes stay with the image slot.
TEST(RebuildImages, ConfirmMovesTheFirstOfThreeToImageThree) {
  TempDir dir;
  const std::string ini = dir.file("record.ini");
  ASSERT_TRUE(writeMacro(ini, {"First", {MacroItem::press("A")}}));
  ASSERT_TRUE(writeMacro(ini, {"Second", {MacroItem::press("B")}}));
  ASSERT_TRUE(writeMacro(ini, {"Third", {MacroItem::press("C")}}));
  MouseConfig config = saneConfig();
  rebuildMacroImages(ini, config);
  EXPECT_EQ(imageEvents(config, 0), (Bytes{0x00, 0x04}));

  ASSERT_TRUE(writeMacro(ini, {"First", {MacroItem::press("A"), MacroItem::delay(50)}}));
  const auto reports = rebuildMacroImages(ini, config);
  ASSERT_EQ(reports.size(), 3u);
  EXPECT_EQ(reports[2].name, "First");
  EXPECT_EQ(imageEvents(config, 0), (Bytes{0x00, 0x05}));
  EXPECT_EQ(imageEvents(config, 1), (Bytes{0x00, 0x06}));
  EXPECT_EQ(imageEvents(config, 2), (Bytes{0x05, 0x04}));
  EXPECT_EQ(loopTimes(config, 2), 3);
}

}  // namespace
}  // namespace hm
