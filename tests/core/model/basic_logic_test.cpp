// SPDX-License-Identifier: GPL-3.0-or-later
// Tables of the Basic page and LED panel rules, without a window.
#include <gtest/gtest.h>

#include "core/model/basic_logic.h"
#include "core/settings/ui_text.h"

namespace hm {
namespace {

TEST(BasicLogic, ReportRateCellAndRateOfEveryCode) {
  struct Case {
    std::uint8_t code;
    int cell, hz;
  };
  const Case cases[] = {{8, 0, 125}, {4, 1, 250}, {2, 2, 500}, {1, 3, 1000},
                        {0, 3, 0},   {3, 3, 0},   {16, 3, 0},  {255, 3, 0}};
  for (const Case& c : cases) {
    EXPECT_EQ(reportRateCell(c.code), c.cell) << int(c.code);
    EXPECT_EQ(reportRateHz(c.code), c.hz) << int(c.code);
  }
  const char* labels[] = {"125", "250", "500", "1000"};
  for (int cell = 0; cell < kReportRateCellCount; ++cell) EXPECT_EQ(reportRateLabel(cell), labels[cell]);
  EXPECT_EQ(reportRateLabel(kReportRateCellCount), "");
}

TEST(BasicLogic, ModeNamesAndTheStoredLedParameter) {
  EXPECT_STREQ(keyModeName(kModeA), "Mode A");
  EXPECT_STREQ(keyModeName(kModeB), "Mode B");
  EXPECT_STREQ(keyModeName(2), "");
  struct Case {
    std::uint8_t mode;
    const char* name;
    std::optional<int> param;  // ledParam = {4, 3, 19}
    const char* face;
  };
  const Case cases[] = {{0, "Off Mode", std::nullopt, ""},
                        {1, "Standard Mode", 4, "45%"},
                        {2, "Respiration Mode", 3, "5S"},
                        {3, "Neon Mode", 19, "10S"},
                        {4, "", std::nullopt, ""}};
  const UiTexts en(Language::English);
  for (const Case& c : cases) {
    MouseConfig cfg;
    cfg.clear();
    cfg.ledMode = c.mode;
    cfg.ledParam[0] = 4;
    cfg.ledParam[1] = 3;
    cfg.ledParam[2] = 19;
    EXPECT_EQ(ledModeName(en, c.mode), c.name) << int(c.mode);
    EXPECT_EQ(storedLedParam(cfg), c.param) << int(c.mode);
    EXPECT_EQ(ledParamFaceText(cfg), c.face) << int(c.mode);
  }
}

TEST(BasicLogic, DpiScaleOfEverySensorType) {
  struct Case {
    int sensor, levels;
    const char *bottom, *top;
  };
  const Case cases[] = {{0, 12, "250", "4000"}, {1, 8, "600", "3200"},  {2, 8, "250", "2500"},
                        {3, 8, "400", "3200"},  {4, 12, "250", "4000"}, {255, 12, "250", "4000"}};
  for (const Case& t : cases) {
    EXPECT_EQ(dpiLevelCount(t.sensor), t.levels) << t.sensor;
    EXPECT_EQ(dpiLevelLabel(t.sensor, 1), t.bottom) << t.sensor;
    EXPECT_EQ(dpiLevelLabel(t.sensor, t.levels), t.top) << t.sensor;
    EXPECT_EQ(dpiLevelLabel(t.sensor, t.levels + 1), "") << "no label above the scale";
  }
}

TEST(BasicLogic, TheLastStageRuleCountsAllEightBytes) {
  struct Case {
    std::array<std::uint8_t, 8> enabled;
    int stage;
    PaneToggle result;
  };
  const Case cases[] = {
      {{0, 1, 0, 0, 0, 0, 0, 0}, 0, PaneToggle::SwitchedOn},
      {{1, 1, 0, 0, 0, 0, 0, 0}, 0, PaneToggle::SwitchedOff},
      {{0, 0, 1, 0, 0, 0, 0, 0}, 2, PaneToggle::Refused},
      {{0, 0, 0, 1, 0, 0, 0, 1}, 3, PaneToggle::SwitchedOff},  // a hidden slot is on
      {{1, 2, 0, 0, 0, 0, 0, 0}, 0, PaneToggle::Refused},      // only 1 counts as on
  };
  for (const Case& t : cases) {
    MouseConfig c;
    c.clear();
    std::copy(t.enabled.begin(), t.enabled.end(), c.dpiStageEnabled);
    EXPECT_EQ(toggleDpiStage(c, t.stage), t.result);
  }
}

TEST(BasicLogic, LedParameterTables) {
  struct Case {
    int mode, index;
    const char* text;
  };
  const Case cases[] = {{1, 0, "5%"},   {1, 8, "85%"},  {1, 9, "100%"}, {1, 10, ""},    {2, 0, "8S"},
                        {2, 3, "5S"},   {2, 4, "4S"},   {2, 5, ""},     {3, 0, "0.5S"}, {3, 1, "1S"},
                        {3, 2, "1.5S"}, {3, 19, "10S"}, {3, 29, "15S"}, {3, 30, ""},    {3, -1, ""},
                        {0, 29, "15S"}};  // modes other than 1 and 2 list the neon table
  for (const Case& t : cases) EXPECT_EQ(ledParamText(t.mode, t.index), t.text) << t.mode << "/" << t.index;
  EXPECT_EQ(ledParamTable(1).size(), 10u);
  EXPECT_EQ(ledParamTable(2).size(), 5u);
  EXPECT_EQ(ledParamTable(3).size(), 30u);
}

TEST(BasicLogic, EachStageAndLedFlipsItsOwnBit) {
  struct Case {
    int stage, led, byte;
    std::uint8_t bit;
  };
  const Case cases[] = {{0, 1, 0, 0x01}, {0, 4, 0, 0x08}, {1, 1, 0, 0x10}, {1, 4, 0, 0x80},
                        {2, 2, 1, 0x02}, {3, 1, 1, 0x10}, {3, 4, 1, 0x80}};
  for (const Case& t : cases) {
    MouseConfig c;
    c.clear();
    c.dpiLedMask[2] = 0xA5;
    MouseConfig expected = c;
    expected.dpiLedMask[t.byte] ^= t.bit;
    toggleDpiLed(c, t.stage, t.led);
    EXPECT_EQ(c, expected) << t.stage << "/" << t.led;
    EXPECT_TRUE(dpiLedLit(c, t.stage, t.led));
    EXPECT_EQ(dpiLedBits(c, t.stage), 1u << (t.led - 1)) << "only its own LED in its stage's bits";
  }
  MouseConfig c;
  c.clear();
  toggleDpiLed(c, 4, 1);
  toggleDpiLed(c, 0, 5);
  EXPECT_EQ(c.dpiLedMask[2] | c.dpiLedMask[3] | c.dpiLedMask[0] | c.dpiLedMask[1], 0) << "outside: nothing";
}

}  // namespace
}  // namespace hm
