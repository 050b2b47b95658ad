// Tables of the Basic page and LED panel rules, without a window.
#include <gtest/gtest.h>

#include "core/model/basic_logic.h"

namespace hm {
namespace {

TEST(BasicLogic, ReportRateCellOfEveryCode) {
  const std::pair<std::uint8_t, int> cases[] = {{8, 0}, {4, 1}, {2, 2}, {1, 3}, {0, 3}, {3, 3}, {255, 3}};
  for (auto [code, cell] : cases) EXPECT_EQ(reportRateCell(code), cell) << int(code);
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
  }
  MouseConfig c;
  c.clear();
  toggleDpiLed(c, 4, 1);
  toggleDpiLed(c, 0, 5);
  EXPECT_EQ(c.dpiLedMask[2] | c.dpiLedMask[3] | c.dpiLedMask[0] | c.dpiLedMask[1], 0) << "outside: nothing";
}

}  // namespace
}  // namespace hm
