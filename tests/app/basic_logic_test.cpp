// Rules of the Basic page without a window: report-rate cells, DPI scale,
// stage panes and level clicks.
#include <gtest/gtest.h>

#include "app/basic_logic.h"

namespace hm {
namespace {

MouseConfig saneConfig() {
  MouseConfig c;
  c.clear();
  c.reportInterval = 1;
  c.dpiStageValue[0] = 3;
  c.dpiStageValue[1] = 5;
  c.dpiStageValue[2] = 7;
  c.dpiStageValue[3] = 11;
  for (int s = 0; s < 4; ++s) c.dpiStageEnabled[s] = 1;
  return c;
}

// ---- report rate ------------------------------------------------------------

struct RateCase {
  std::uint8_t stored;
  int clickedCell;
  bool redraw;
  int darkCell;
  std::uint8_t storedAfter;
};

class ReportRateTest : public ::testing::TestWithParam<RateCase> {};

TEST_P(ReportRateTest, SelectingACellRelightsAndStoresItsCode) {
  const RateCase& t = GetParam();
  MouseConfig c = saneConfig();
  c.reportInterval = t.stored;
  const ReportRateChange r = selectReportRate(c, t.clickedCell);
  EXPECT_EQ(r.redraw, t.redraw);
  if (t.redraw) {
    EXPECT_EQ(r.darkCell, t.darkCell);
    EXPECT_EQ(r.lightCell, t.clickedCell);
  }
  EXPECT_EQ(c.reportInterval, t.storedAfter);
  MouseConfig expected = saneConfig();
  expected.reportInterval = t.storedAfter;
  EXPECT_EQ(c, expected) << "only reportInterval may change";
}

INSTANTIATE_TEST_SUITE_P(
    Cells, ReportRateTest,
    ::testing::Values(RateCase{1, 0, true, 3, 8},     // 1000 Hz -> 125 Hz
                      RateCase{8, 0, false, -1, 8},   // reselect: nothing drawn
                      RateCase{4, 2, true, 1, 2},
                      RateCase{2, 3, true, 2, 1},
                      RateCase{0, 3, true, 3, 1},     // unknown code counts as cell 4
                      RateCase{7, 1, true, 3, 4},
                      RateCase{255, 0, true, 3, 8}));

TEST(ReportRateCell, KnownAndUnknownCodes) {
  const std::pair<std::uint8_t, int> cases[] = {{8, 0}, {4, 1}, {2, 2}, {1, 3}, {0, 3}, {3, 3}, {16, 3}};
  for (auto [code, cell] : cases) EXPECT_EQ(reportRateCell(code), cell) << int(code);
  for (int cell = 0; cell < 4; ++cell) EXPECT_EQ(reportRateCell(reportRateCode(cell)), cell);
  EXPECT_EQ(reportRateCode(4), 0);
  EXPECT_EQ(reportRateCode(-1), 0);
}

TEST(ReportRateCell, CellOutsideTheFourChangesNothing) {
  MouseConfig c = saneConfig();
  const ReportRateChange r = selectReportRate(c, 4);
  EXPECT_FALSE(r.redraw);
  EXPECT_EQ(c, saneConfig());
}

// ---- DPI scale ----------------------------------------------------------------

struct ScaleCase {
  int sensorType;
  int levels;
  const char* bottom;
  const char* top;
};

class DpiScaleTest : public ::testing::TestWithParam<ScaleCase> {};

TEST_P(DpiScaleTest, LevelCountAndLabels) {
  const ScaleCase& t = GetParam();
  EXPECT_EQ(dpiLevelCount(t.sensorType), t.levels);
  EXPECT_EQ(dpiLevelLabel(t.sensorType, 1), t.bottom);
  EXPECT_EQ(dpiLevelLabel(t.sensorType, t.levels), t.top);
  EXPECT_EQ(dpiLevelLabel(t.sensorType, 0), "");
  EXPECT_EQ(dpiLevelLabel(t.sensorType, t.levels + 1), "") << "no label above the scale";
  for (int n = 1; n <= t.levels; ++n) EXPECT_FALSE(dpiLevelLabel(t.sensorType, n).empty()) << n;
}

INSTANTIATE_TEST_SUITE_P(SensorTypes, DpiScaleTest,
                         ::testing::Values(ScaleCase{0, 12, "250", "4000"}, ScaleCase{1, 8, "600", "3200"},
                                           ScaleCase{2, 8, "250", "2500"}, ScaleCase{3, 8, "400", "3200"},
                                           ScaleCase{4, 12, "250", "4000"},   // unknown type: 12 levels
                                           ScaleCase{255, 12, "250", "4000"},
                                           ScaleCase{-1, 12, "250", "4000"}));

TEST(DpiScale, TwelveLevelLabelsInOrder) {
  const char* want[] = {"250", "500", "750", "1000", "1250", "1500", "1750", "2000", "2500", "3000", "3500", "4000"};
  for (int n = 1; n <= 12; ++n) EXPECT_EQ(dpiLevelLabel(7, n), want[n - 1]) << n;
}

// ---- stage panes ------------------------------------------------------------------

struct PaneCase {
  const char* name;
  std::array<std::uint8_t, 8> enabled;
  int stage;
  PaneToggle result;
  std::uint8_t byteAfter;
};

class DpiPaneTest : public ::testing::TestWithParam<PaneCase> {};

TEST_P(DpiPaneTest, ToggleFollowsTheLastStageRule) {
  const PaneCase& t = GetParam();
  MouseConfig c = saneConfig();
  std::copy(t.enabled.begin(), t.enabled.end(), c.dpiStageEnabled);
  MouseConfig expected = c;
  expected.dpiStageEnabled[t.stage] = t.byteAfter;
  EXPECT_EQ(toggleDpiStage(c, t.stage), t.result);
  EXPECT_EQ(c, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rule, DpiPaneTest,
    ::testing::Values(
        PaneCase{"OffGoesOn", {0, 1, 0, 0, 0, 0, 0, 0}, 0, PaneToggle::SwitchedOn, 1},
        PaneCase{"OnGoesOffWhileAnotherIsOn", {1, 1, 0, 0, 0, 0, 0, 0}, 0, PaneToggle::SwitchedOff, 0},
        PaneCase{"OnlyStageOnIsRefused", {0, 0, 1, 0, 0, 0, 0, 0}, 2, PaneToggle::Refused, 1},
        PaneCase{"HiddenSlotCountsAsOtherStage", {0, 0, 0, 1, 0, 0, 1, 0}, 3, PaneToggle::SwitchedOff, 0},
        PaneCase{"LastHiddenSlotCounts", {1, 0, 0, 0, 0, 0, 0, 1}, 0, PaneToggle::SwitchedOff, 0},
        PaneCase{"OtherByteNotOneDoesNotCount", {1, 2, 0, 0, 0, 0, 0, 0}, 0, PaneToggle::Refused, 1},
        PaneCase{"ByteOtherThanOneIsOff", {2, 1, 0, 0, 0, 0, 0, 0}, 0, PaneToggle::SwitchedOn, 1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DpiPane, TogglingTwiceRestoresTheByte) {
  MouseConfig c = saneConfig();
  EXPECT_EQ(toggleDpiStage(c, 1), PaneToggle::SwitchedOff);
  EXPECT_EQ(toggleDpiStage(c, 1), PaneToggle::SwitchedOn);
  EXPECT_EQ(c, saneConfig());
  EXPECT_EQ(toggleDpiStage(c, 4), PaneToggle::Refused) << "only four panes exist";
  EXPECT_EQ(c, saneConfig());
}

// ---- columns and levels ---------------------------------------------------------------

struct LitCase {
  std::uint8_t enabled;
  std::uint8_t value;
  int levelCount;
  int lit;
};

class DpiLitTest : public ::testing::TestWithParam<LitCase> {};

TEST_P(DpiLitTest, LitLevels) {
  const LitCase& t = GetParam();
  MouseConfig c = saneConfig();
  c.dpiStageEnabled[2] = t.enabled;
  c.dpiStageValue[2] = t.value;
  EXPECT_EQ(dpiLitLevels(c, 2, t.levelCount), t.lit);
}

INSTANTIATE_TEST_SUITE_P(Columns, DpiLitTest,
                         ::testing::Values(LitCase{1, 0, 12, 1}, LitCase{1, 3, 12, 4}, LitCase{1, 11, 12, 12},
                                           LitCase{0, 3, 12, 0}, LitCase{2, 3, 12, 0},
                                           LitCase{1, 11, 8, 8},     // stored above an 8-level scale
                                           LitCase{1, 200, 12, 12}));

struct LevelCase {
  int level;
  int levelCount;
  bool accepted;
  std::uint8_t valueAfter;
};

class DpiLevelTest : public ::testing::TestWithParam<LevelCase> {};

TEST_P(DpiLevelTest, ClickStoresLevelMinusOneWithoutTouchingTheStage) {
  const LevelCase& t = GetParam();
  for (std::uint8_t enabled : {0, 1}) {
    MouseConfig c = saneConfig();
    c.dpiStageEnabled[1] = enabled;
    MouseConfig expected = c;
    expected.dpiStageValue[1] = t.valueAfter;
    EXPECT_EQ(selectDpiLevel(c, 1, t.level, t.levelCount), t.accepted);
    EXPECT_EQ(c, expected) << "level " << t.level << " enabled " << int(enabled);
  }
}

INSTANTIATE_TEST_SUITE_P(Levels, DpiLevelTest,
                         ::testing::Values(LevelCase{12, 12, true, 11}, LevelCase{1, 12, true, 0},
                                           LevelCase{8, 8, true, 7},
                                           LevelCase{9, 8, false, 5},    // above the 8-level scale
                                           LevelCase{12, 8, false, 5}, LevelCase{0, 12, false, 5},
                                           LevelCase{13, 12, false, 5}));

}  // namespace
}  // namespace hm
