// Rules of the LED panel without a window: parameter tables, mode and
// parameter choices, loop colours and the DPI LED bits.
#include <gtest/gtest.h>

#include "app/basic_logic.h"

namespace hm {
namespace {

MouseConfig saneConfig() {
  MouseConfig c;
  c.clear();
  c.ledMode = 1;
  c.ledParam[0] = 9;
  c.ledParam[1] = 3;
  c.ledParam[2] = 1;
  c.ledParam2[0] = 0x11;
  c.ledParam2[1] = 0x22;
  c.ledParam2[2] = 0x33;
  for (int k = 0; k < 8; ++k) {
    c.loopColorEnabled[k] = 1;
    c.loopColor[k][0] = static_cast<std::uint8_t>(10 * k);
    c.loopColor[k][1] = static_cast<std::uint8_t>(100 + k);
    c.loopColor[k][2] = static_cast<std::uint8_t>(200 + k);
  }
  c.dpiLedMask[0] = 0x5A;
  c.dpiLedMask[1] = 0xC3;
  c.dpiLedMask[2] = 0xEE;
  c.dpiLedMask[3] = 0x77;
  return c;
}

// ---- parameter tables ------------------------------------------------------------

struct ParamCase {
  int mode;
  int index;
  const char* text;
};

class LedParamTextTest : public ::testing::TestWithParam<ParamCase> {};

TEST_P(LedParamTextTest, EntryOfTheModesTable) {
  const ParamCase& t = GetParam();
  EXPECT_EQ(ledParamText(t.mode, t.index), t.text);
}

INSTANTIATE_TEST_SUITE_P(
    Tables, LedParamTextTest,
    ::testing::Values(ParamCase{1, 0, "5%"}, ParamCase{1, 8, "85%"}, ParamCase{1, 9, "100%"},  // no 95%
                      ParamCase{1, 10, ""}, ParamCase{1, -1, ""},
                      ParamCase{2, 0, "8S"}, ParamCase{2, 3, "5S"}, ParamCase{2, 4, "4S"}, ParamCase{2, 5, ""},
                      ParamCase{3, 0, "0.5S"}, ParamCase{3, 1, "1S"}, ParamCase{3, 2, "1.5S"},
                      ParamCase{3, 19, "10S"}, ParamCase{3, 28, "14.5S"}, ParamCase{3, 29, "15S"},
                      ParamCase{3, 30, ""},
                      ParamCase{0, 29, "15S"},   // modes outside 1..2 list the neon table
                      ParamCase{7, 0, "0.5S"}));

TEST(LedParamTable, CountsAndNoHiddenEntries) {
  EXPECT_EQ(ledParamTable(1).size(), 10u);
  EXPECT_EQ(ledParamTable(2).size(), 5u);
  EXPECT_EQ(ledParamTable(3).size(), 30u);
  for (const std::string& s : ledParamTable(1)) EXPECT_NE(s, "95%");
  for (const std::string& s : ledParamTable(3)) EXPECT_EQ(s.find(".0"), std::string::npos) << s;
  const auto respiration = ledParamTable(2);
  EXPECT_EQ(respiration.front(), "8S") << "longest time first";
}

struct FaceCase {
  std::uint8_t mode;
  std::uint8_t param[3];
  const char* face;
};

class LedFaceTest : public ::testing::TestWithParam<FaceCase> {};

TEST_P(LedFaceTest, FaceShowsTheModesOwnParameter) {
  const FaceCase& t = GetParam();
  MouseConfig c = saneConfig();
  c.ledMode = t.mode;
  std::copy(std::begin(t.param), std::end(t.param), c.ledParam);
  EXPECT_EQ(ledParamFaceText(c), t.face);
}

INSTANTIATE_TEST_SUITE_P(Faces, LedFaceTest,
                         ::testing::Values(FaceCase{1, {4, 3, 5}, "45%"}, FaceCase{2, {4, 3, 5}, "5S"},
                                           FaceCase{3, {4, 3, 5}, "3S"}, FaceCase{0, {4, 3, 5}, ""},
                                           FaceCase{4, {4, 3, 5}, ""}, FaceCase{2, {4, 9, 5}, ""},
                                           FaceCase{1, {10, 0, 0}, ""}));

// ---- choices ----------------------------------------------------------------------------

TEST(LedModeChoice, LineBecomesModeAndKeepsParameters) {
  for (int line = 0; line < 3; ++line) {
    MouseConfig c = saneConfig();
    MouseConfig expected = c;
    expected.ledMode = static_cast<std::uint8_t>(line + 1);
    EXPECT_TRUE(chooseLedMode(c, line));
    EXPECT_EQ(c, expected);
  }
  MouseConfig c = saneConfig();
  EXPECT_FALSE(chooseLedMode(c, 3));
  EXPECT_FALSE(chooseLedMode(c, -1));
  EXPECT_EQ(c, saneConfig());
}

TEST(LedModeChoice, RespirationWithStoredThreeShowsFiveSeconds) {
  MouseConfig c = saneConfig();
  c.ledParam[1] = 3;
  ASSERT_TRUE(chooseLedMode(c, 1));
  EXPECT_EQ(ledParamFaceText(c), "5S");
}

struct ParamChoiceCase {
  std::uint8_t mode;
  int line;
  bool stored;
  int slot;   // ledParam index written, -1 none
};

class LedParamChoiceTest : public ::testing::TestWithParam<ParamChoiceCase> {};

TEST_P(LedParamChoiceTest, StoresIntoTheCurrentModesSlotOnly) {
  const ParamChoiceCase& t = GetParam();
  MouseConfig c = saneConfig();
  c.ledMode = t.mode;
  MouseConfig expected = c;
  if (t.slot >= 0) expected.ledParam[t.slot] = static_cast<std::uint8_t>(t.line);
  EXPECT_EQ(chooseLedParam(c, t.line), t.stored);
  EXPECT_EQ(c, expected) << "ledParam2 and other slots stay";
}

INSTANTIATE_TEST_SUITE_P(Choices, LedParamChoiceTest,
                         ::testing::Values(ParamChoiceCase{1, 4, true, 0}, ParamChoiceCase{2, 0, true, 1},
                                           ParamChoiceCase{3, 29, true, 2},
                                           ParamChoiceCase{0, 2, false, -1},   // "Off Mode" stores nothing
                                           ParamChoiceCase{5, 2, false, -1},
                                           ParamChoiceCase{2, 5, false, -1},   // outside the 5-entry table
                                           ParamChoiceCase{1, -1, false, -1}));

// ---- loop colours ------------------------------------------------------------------------

TEST(LoopColor, UntickingKeepsTheColourAndBlocksTheChooser) {
  MouseConfig c = saneConfig();
  ASSERT_TRUE(swatchOpensChooser(c, 2));
  toggleLoopColor(c, 2);
  EXPECT_EQ(c.loopColorEnabled[2], 0);
  EXPECT_FALSE(swatchOpensChooser(c, 2));
  MouseConfig expected = saneConfig();
  expected.loopColorEnabled[2] = 0;
  EXPECT_EQ(c, expected) << "the colour value stays";
  toggleLoopColor(c, 2);
  EXPECT_EQ(c, saneConfig());
}

TEST(LoopColor, ValuesOtherThanOneAreUnusedAndTickToOne) {
  for (std::uint8_t v : {0, 2, 255}) {
    MouseConfig c = saneConfig();
    c.loopColorEnabled[5] = v;
    EXPECT_FALSE(loopColorUsed(c, 5)) << int(v);
    toggleLoopColor(c, 5);
    EXPECT_EQ(c.loopColorEnabled[5], 1) << int(v);
  }
}

TEST(LoopColor, SetWritesThreeBytesOfOneSwatch) {
  MouseConfig c = saneConfig();
  setLoopColor(c, 7, 1, 2, 3);
  MouseConfig expected = saneConfig();
  expected.loopColor[7][0] = 1;
  expected.loopColor[7][1] = 2;
  expected.loopColor[7][2] = 3;
  EXPECT_EQ(c, expected);
  setLoopColor(c, 8, 9, 9, 9);
  toggleLoopColor(c, -1);
  EXPECT_EQ(c, expected) << "indices outside 0..7 are ignored";
}

// ---- DPI LED bits --------------------------------------------------------------------------

struct LedBitCase {
  int stage;   // 0..3
  int led;     // 1..4
  int byte;
  std::uint8_t bit;
};

class DpiLedBitTest : public ::testing::TestWithParam<LedBitCase> {};

TEST_P(DpiLedBitTest, ToggleFlipsExactlyOneBit) {
  const LedBitCase& t = GetParam();
  MouseConfig c = saneConfig();
  const bool before = dpiLedLit(c, t.stage, t.led);
  EXPECT_EQ(before, (c.dpiLedMask[t.byte] & t.bit) != 0);
  toggleDpiLed(c, t.stage, t.led);
  MouseConfig expected = saneConfig();
  expected.dpiLedMask[t.byte] ^= t.bit;
  EXPECT_EQ(c, expected);
  EXPECT_NE(dpiLedLit(c, t.stage, t.led), before);
}

INSTANTIATE_TEST_SUITE_P(Bits, DpiLedBitTest,
                         ::testing::Values(LedBitCase{0, 1, 0, 0x01}, LedBitCase{0, 4, 0, 0x08},
                                           LedBitCase{1, 1, 0, 0x10}, LedBitCase{1, 4, 0, 0x80},
                                           LedBitCase{2, 2, 1, 0x02},   // LED 2 at stage 3: bit 1 of byte 1
                                           LedBitCase{2, 3, 1, 0x04}, LedBitCase{3, 1, 1, 0x10},
                                           LedBitCase{3, 4, 1, 0x80}));

TEST(DpiLedBits, OutOfRangeNeverTouchesBytesTwoAndThree) {
  MouseConfig c = saneConfig();
  toggleDpiLed(c, 4, 1);
  toggleDpiLed(c, 0, 5);
  toggleDpiLed(c, 0, 0);
  toggleDpiLed(c, -1, 1);
  EXPECT_EQ(c, saneConfig());
  EXPECT_FALSE(dpiLedLit(c, 4, 1));
}

}  // namespace
}  // namespace hm
