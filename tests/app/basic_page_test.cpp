// The Basic page on the real main window: clicks at the page's coordinates,
// then the working record and the canvas picture are checked.
#include <gtest/gtest.h>

#include "app/basic_logic.h"
#include "app/frame.h"
#include "basic_fixture.h"
#include "buttons/button_codes.h"
#include "settings/ui_text.h"

namespace hm::test {
namespace {

using basic::Box;

// ---- the painter -------------------------------------------------------------------------

struct PaintCase {
  const char* name;
  std::uint8_t sensorType;
  std::function<void(MouseConfig&)> change;
  int lightRateCell;
  std::array<bool, 4> panesOn;
  std::array<int, 4> lit;   // lit levels per column
  int levels;
};

class BasicPaintTest : public ::testing::TestWithParam<PaintCase> {};

TEST_P(BasicPaintTest, ShowsTheRecord) {
  const PaintCase& t = GetParam();
  MouseConfig record = saneRecord();
  t.change(record);
  BasicShell b(record, {.sensorType = t.sensorType});
  ASSERT_TRUE(b.started);
  ASSERT_NE(b.page, nullptr);
  EXPECT_EQ(b.page->levelCount(), t.levels);
  for (int c = 0; c < 4; ++c)
    EXPECT_TRUE(b.shows(basic::kRateCells[c], c == t.lightRateCell ? basic::kRateCellLight : basic::kRateCellDark))
        << "rate cell " << c;
  for (int s = 0; s < 4; ++s) {
    EXPECT_TRUE(b.shows(basic::dpiPane(s), t.panesOn[s] ? basic::kPaneOn : basic::kPaneOff)) << "pane " << s;
    EXPECT_EQ(b.litLevels(s, t.levels), t.lit[s]) << "column " << s;
    // Nothing of the column is drawn above the scale.
    for (int n = t.levels + 1; n <= 12; ++n) {
      EXPECT_FALSE(b.shows(basic::dpiCell(s, n), basic::kDpiCellDark)) << s << "/" << n;
      EXPECT_FALSE(b.shows(basic::dpiCell(s, n), basic::kDpiCellLight)) << s << "/" << n;
    }
  }
  const bool modeB = record.editedMode == 1;
  EXPECT_TRUE(b.shows(basic::kModeAButton, modeB ? basic::kTextButtonNormal : basic::kTextButtonOver, true));
  EXPECT_TRUE(b.shows(basic::kModeBButton, modeB ? basic::kTextButtonOver : basic::kTextButtonNormal, true));
  for (int k = 1; k <= 7; ++k) EXPECT_TRUE(b.shows(basic::keyBox(k), basic::kKeyBoxNormal, true)) << k;
}

INSTANTIATE_TEST_SUITE_P(
    Records, BasicPaintTest,
    ::testing::Values(
        PaintCase{"Sane", 0, [](MouseConfig&) {}, 3, {true, true, true, true}, {1, 4, 6, 8}, 12},
        PaintCase{"Rate125", 0, [](MouseConfig& c) { c.reportInterval = 8; }, 0, {true, true, true, true},
                  {1, 4, 6, 8}, 12},
        PaintCase{"Rate500", 0, [](MouseConfig& c) { c.reportInterval = 2; }, 2, {true, true, true, true},
                  {1, 4, 6, 8}, 12},
        PaintCase{"UnknownRateLightsCell4", 0, [](MouseConfig& c) { c.reportInterval = 3; }, 3,
                  {true, true, true, true}, {1, 4, 6, 8}, 12},
        PaintCase{"StageOff", 0, [](MouseConfig& c) { c.dpiStageEnabled[1] = 0; }, 3, {true, false, true, true},
                  {1, 0, 6, 8}, 12},
        PaintCase{"StageByteTwoIsOff", 0, [](MouseConfig& c) { c.dpiStageEnabled[2] = 2; }, 3,
                  {true, true, false, true}, {1, 4, 0, 8}, 12},
        PaintCase{"TopLevel", 0, [](MouseConfig& c) { c.dpiStageValue[3] = 11; }, 3, {true, true, true, true},
                  {1, 4, 6, 12}, 12},
        PaintCase{"EightLevelSensor", 1, [](MouseConfig&) {}, 3, {true, true, true, true}, {1, 4, 6, 8}, 8},
        PaintCase{"StoredAboveEightLevels", 2, [](MouseConfig& c) { c.dpiStageValue[0] = 10; }, 3,
                  {true, true, true, true}, {8, 4, 6, 8}, 8},
        PaintCase{"UnknownSensorHasTwelve", 9, [](MouseConfig&) {}, 3, {true, true, true, true}, {1, 4, 6, 8},
                  12},
        PaintCase{"ModeB", 0, [](MouseConfig& c) { c.editedMode = 1; }, 3, {true, true, true, true},
                  {1, 4, 6, 8}, 12}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(BasicPaint, KeyBoxesShowTheEditedModesTexts) {
  MouseConfig record = saneRecord();
  record.editedMode = 1;
  BasicShell b(record);
  ASSERT_TRUE(b.started);
  for (int k = 1; k <= 7; ++k)
    EXPECT_EQ(b.page->keyList(k).caption.toStdString(), b.shell.dlg->buttonTexts().text[1][k - 1]) << k;
}

// ---- report rate ----------------------------------------------------------------------------

TEST(BasicReportRate, ClickRelightsAndReselectChangesNothing) {
  BasicShell b(saneRecord());   // stored code 1: 1000 Hz
  ASSERT_TRUE(b.started);
  b.click(basic::kRateCells[0]);
  EXPECT_EQ(b.working().reportInterval, 8);
  EXPECT_TRUE(b.shows(basic::kRateCells[0], basic::kRateCellLight));
  EXPECT_TRUE(b.shows(basic::kRateCells[3], basic::kRateCellDark));
  const QImage before = b.picture();
  b.click(basic::kRateCells[0]);
  EXPECT_EQ(b.picture(), before);
  EXPECT_EQ(b.working().reportInterval, 8);
}

TEST(BasicReportRate, EdgePixelsBelongToTheNextRegion) {
  BasicShell b(saneRecord());
  ASSERT_TRUE(b.started);
  const Box cell2 = basic::kRateCells[1];
  b.click(QPoint(cell2.right, cell2.top));   // x = 684 lies between cells 2 and 3
  EXPECT_EQ(b.working().reportInterval, 1);
  b.click(QPoint(cell2.right - 1, cell2.bottom - 1));
  EXPECT_EQ(b.working().reportInterval, 4);
}

// ---- DPI stages -------------------------------------------------------------------------------

TEST(BasicDpi, TopLevelOfStage2StoresEleven) {
  BasicShell b(saneRecord());
  ASSERT_TRUE(b.started);
  MouseConfig expected = b.working();
  expected.dpiStageValue[1] = 11;
  b.click(basic::dpiCell(1, 12));
  EXPECT_EQ(b.working(), expected);
  EXPECT_EQ(b.litLevels(1, 12), 12);
}

TEST(BasicDpi, StageOffThenOnRelightsItsLevels) {
  MouseConfig record = saneRecord();
  record.dpiStageValue[0] = 3;
  BasicShell b(record);
  ASSERT_TRUE(b.started);
  b.click(basic::dpiPane(0));
  EXPECT_EQ(b.working().dpiStageEnabled[0], 0);
  EXPECT_EQ(b.litLevels(0, 12), 0);
  EXPECT_TRUE(b.shows(basic::dpiPane(0), basic::kPaneOff));
  b.click(basic::dpiPane(0));
  EXPECT_EQ(b.working().dpiStageEnabled[0], 1);
  EXPECT_EQ(b.litLevels(0, 12), 4);
  EXPECT_TRUE(b.shows(basic::dpiPane(0), basic::kPaneOn));
  EXPECT_EQ(b.working(), record);
}

TEST(BasicDpi, LastStageCannotBeSwitchedOff) {
  MouseConfig record = saneRecord();
  for (int s = 0; s < 8; ++s) record.dpiStageEnabled[s] = s == 2 ? 1 : 0;
  BasicShell b(record);
  ASSERT_TRUE(b.started);
  const QImage before = b.picture();
  b.click(basic::dpiPane(2));
  EXPECT_EQ(b.working(), record);
  EXPECT_EQ(b.picture(), before);
}

TEST(BasicDpi, AHiddenStageSlotLetsTheLastShownStageGoOff) {
  MouseConfig record = saneRecord();
  for (int s = 0; s < 8; ++s) record.dpiStageEnabled[s] = (s == 2 || s == 6) ? 1 : 0;
  BasicShell b(record);
  ASSERT_TRUE(b.started);
  b.click(basic::dpiPane(2));
  EXPECT_EQ(b.working().dpiStageEnabled[2], 0);
}

TEST(BasicDpi, CellClickKeepsTheStagesOnOffState) {
  MouseConfig record = saneRecord();
  record.dpiStageEnabled[3] = 0;
  BasicShell b(record);
  ASSERT_TRUE(b.started);
  b.click(basic::dpiCell(3, 2));
  EXPECT_EQ(b.working().dpiStageValue[3], 1);
  EXPECT_EQ(b.working().dpiStageEnabled[3], 0);
}

struct EightLevelCase {
  int level;
  bool stored;
};

class BasicEightLevelTest : public ::testing::TestWithParam<EightLevelCase> {};

TEST_P(BasicEightLevelTest, LevelsAboveTheScaleAreIgnored) {
  const EightLevelCase& t = GetParam();
  BasicShell b(saneRecord(), {.sensorType = 3});
  ASSERT_TRUE(b.started);
  ASSERT_EQ(b.page->levelCount(), 8);
  MouseConfig expected = b.working();
  if (t.stored) expected.dpiStageValue[2] = static_cast<std::uint8_t>(t.level - 1);
  const QImage before = b.picture();
  b.click(basic::dpiCell(2, t.level));
  EXPECT_EQ(b.working(), expected);
  if (t.stored) EXPECT_EQ(b.litLevels(2, 8), t.level);
  else EXPECT_EQ(b.picture(), before);
}

INSTANTIATE_TEST_SUITE_P(Levels, BasicEightLevelTest,
                         ::testing::Values(EightLevelCase{1, true}, EightLevelCase{8, true},
                                           EightLevelCase{9, false}, EightLevelCase{12, false}));

// ---- mode buttons and "Default" ------------------------------------------------------------------

TEST(BasicModes, ModeButtonsSwitchTheEditedModeAndItsTexts) {
  BasicShell b(saneRecord());
  ASSERT_TRUE(b.started);
  ButtonTexts& texts = b.shell.dlg->context().buttonTexts;
  texts.text[1][2] = "B3";
  b.click(basic::kModeBButton);
  EXPECT_EQ(b.working().editedMode, 1);
  EXPECT_TRUE(b.shows(basic::kModeBButton, basic::kTextButtonOver, true));
  EXPECT_TRUE(b.shows(basic::kModeAButton, basic::kTextButtonNormal, true));
  EXPECT_EQ(b.page->keyList(3).caption, "B3");
  // x = 357 belongs to both buttons; "Mode A" is tested first.
  b.click(QPoint(357, 520));
  EXPECT_EQ(b.working().editedMode, 0);
  EXPECT_TRUE(b.shows(basic::kModeAButton, basic::kTextButtonOver, true));
  MouseConfig expected = saneRecord();
  EXPECT_EQ(b.working(), expected);
}

TEST(BasicDefault, ResetsButtonsOnlyAndLeavesRateDpiAndLed) {
  MouseConfig record = saneRecord();
  for (int m = 0; m < 2; ++m) {
    for (int s = 0; s < 12; ++s) record.mode[m].function[s] = kMacroKey;
    record.mode[m].function[11] = kLeftClick;
    record.mode[m].macroIndex[3] = 5;
  }
  record.reportInterval = 2;
  record.dpiStageEnabled[1] = 0;
  record.ledMode = 3;
  BasicShell b(record);
  ASSERT_TRUE(b.started);
  b.click(basic::kDefaultButton);
  MouseConfig expected = record;
  restoreDefaultAssignments(expected);
  EXPECT_EQ(b.working(), expected);
  EXPECT_EQ(b.working().mode[0].function[9], kMacroKey) << "button 10 keeps its function";
  const auto& texts = b.shell.dlg->buttonTexts();
  for (int m = 0; m < 2; ++m) {
    EXPECT_EQ(texts.text[m][0], "Left Click");
    EXPECT_EQ(texts.text[m][5], "DPI +");
    EXPECT_EQ(texts.text[m][8], "Key Off");
  }
  EXPECT_EQ(b.page->keyList(7).caption, "DPI -");
}

// ---- key lists -----------------------------------------------------------------------------------

struct GuardCase {
  const char* name;
  std::uint8_t editedMode;
  int box;
  bool opens;
};

class BasicGuardTest : public ::testing::TestWithParam<GuardCase> {};

TEST_P(BasicGuardTest, TheOnlyLeftClickButtonKeepsItsList) {
  const GuardCase& t = GetParam();
  MouseConfig record = saneRecord();
  // Mode A: button 1 is the only "Left Click"; Mode B: buttons 1 and 10 are.
  record.mode[1].function[9] = kLeftClick;
  record.editedMode = t.editedMode;
  BasicShell b(record);
  ASSERT_TRUE(b.started);
  b.click(basic::keyBox(t.box));
  EXPECT_EQ(b.page->keyList(t.box).isOpen(), t.opens);
  if (t.opens) {
    EXPECT_TRUE(b.shell.sink.messages.empty());
    ASSERT_NE(b.page->keyList(t.box).list(), nullptr);
    EXPECT_EQ(b.page->keyList(t.box).list()->count(), 16);
    EXPECT_EQ(b.page->keyList(t.box).list()->geometry(), toRect(basic::keyList(t.box)));
  } else {
    ASSERT_EQ(b.shell.sink.messages.size(), 1u);
    EXPECT_EQ(b.shell.sink.messages[0], (Message{"Left key must be selected!", "Warning"}));
  }
  EXPECT_EQ(b.working(), record);
}

INSTANTIATE_TEST_SUITE_P(Modes, BasicGuardTest,
                         ::testing::Values(GuardCase{"ModeAOnlyLeft", 0, 1, false},
                                           GuardCase{"ModeAOtherBox", 0, 2, true},
                                           GuardCase{"ModeBSecondLeft", 1, 1, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(BasicKeyLists, OneListAtATime) {
  MouseConfig record = saneRecord();
  record.mode[0].function[9] = kLeftClick;
  BasicShell b(record);
  ASSERT_TRUE(b.started);
  auto open = [&] {
    std::vector<int> v;
    for (int k = 1; k <= 7; ++k)
      if (b.page->keyList(k).isOpen()) v.push_back(k);
    return v;
  };
  b.click(basic::keyBox(3));
  EXPECT_EQ(open(), std::vector<int>{3});
  b.click(basic::keyBox(1));   // outside list 3: closes it, opens list 1
  EXPECT_EQ(open(), std::vector<int>{1});
  b.click(basic::keyBox(1));   // its own box closes it
  EXPECT_EQ(open(), std::vector<int>{});
  b.click(basic::keyBox(1));
  EXPECT_EQ(open(), std::vector<int>{1});
  b.click(QPoint(100, 600));         // empty background closes it
  EXPECT_EQ(open(), std::vector<int>{});
}

TEST(BasicKeyLists, ChoiceStoresAndRedrawsTheBox) {
  BasicShell b(saneRecord());
  ASSERT_TRUE(b.started);
  b.click(basic::keyBox(2));
  BasicShell::choose(b.page->keyList(2).list(), kKeyOff);
  EXPECT_FALSE(b.page->keyList(2).isOpen());
  EXPECT_EQ(b.working().mode[0].function[1], kKeyOff);
  EXPECT_EQ(b.page->keyList(2).caption, "Key Off");
}

TEST(BasicKeyLists, KeyboardFocusNeverPicksARow) {
  // A list that gets focus from the keyboard or from the window being
  // activated makes its first row current; that must not count as a choice.
  BasicShell b(saneRecord());
  ASSERT_TRUE(b.started);
  b.click(basic::keyBox(3));
  ASSERT_TRUE(b.page->keyList(3).isOpen());
  b.shell.key(Qt::Key_Tab);
  b.shell.dlg->activateWindow();
  QCoreApplication::processEvents();
  EXPECT_TRUE(b.page->keyList(3).isOpen());
  EXPECT_EQ(b.working(), saneRecord());
}

TEST(BasicKeyLists, DpiSwitchItemShowsTheSubListAndItsChoiceClosesTheList) {
  BasicShell b(saneRecord());
  ASSERT_TRUE(b.started);
  b.click(basic::keyBox(5));
  QListWidget* list = b.page->keyList(5).list();
  ASSERT_NE(list, nullptr);
  QTest::mouseMove(list->viewport(), list->visualItemRect(list->item(kDpiSwitch)).center());
  ASSERT_TRUE(b.page->functionLists().dpiSubListShown());
  QTest::mouseMove(list->viewport(), list->visualItemRect(list->item(kShift)).center());
  EXPECT_FALSE(b.page->functionLists().dpiSubListShown());
  QTest::mouseMove(list->viewport(), list->visualItemRect(list->item(kDpiSwitch)).center());
  BasicShell::choose(b.page->functionLists().dpiSubList(), 2);
  EXPECT_FALSE(b.page->keyList(5).isOpen());
  EXPECT_EQ(b.working().mode[0].function[4], kDpiSwitch);
  EXPECT_EQ(b.working().dpiAction[0][4], kDpiLoop);
  EXPECT_EQ(b.page->keyList(5).caption, "DPI Loop");
}

TEST(BasicKeyLists, ClosingTheListEndsTheSubList) {
  BasicShell b(saneRecord());
  ASSERT_TRUE(b.started);
  b.click(basic::keyBox(4));
  QListWidget* list = b.page->keyList(4).list();
  ASSERT_NE(list, nullptr);
  QTest::mouseMove(list->viewport(), list->visualItemRect(list->item(kDpiSwitch)).center());
  ASSERT_TRUE(b.page->functionLists().dpiSubListShown());
  b.click(basic::kRateCells[2]);
  EXPECT_FALSE(b.page->keyList(4).isOpen());
  EXPECT_FALSE(b.page->functionLists().dpiSubListShown());
  EXPECT_EQ(b.working().reportInterval, 2) << "the click still reaches its region";
}

TEST(BasicKeyLists, AdvancedPageDestroysTheLists) {
  BasicShell b(saneRecord());
  ASSERT_TRUE(b.started);
  b.click(basic::keyBox(2));
  ASSERT_TRUE(b.page->keyList(2).isOpen());
  b.click(frame::kAdvancedTab.center());
  EXPECT_FALSE(b.page->keyList(2).isOpen());
  EXPECT_EQ(b.page->keyList(2).list(), nullptr);
}

// ---- hover ------------------------------------------------------------------------------------------

TEST(BasicHover, KeyBoxesHighlightOneAtATime) {
  BasicShell b(saneRecord());
  ASSERT_TRUE(b.started);
  b.shell.hover(centre(basic::keyBox(2)));
  EXPECT_TRUE(b.shows(basic::keyBox(2), basic::kKeyBoxOver, true));
  b.shell.hover(centre(basic::keyBox(3)));
  EXPECT_TRUE(b.shows(basic::keyBox(3), basic::kKeyBoxOver, true));
  EXPECT_TRUE(b.shows(basic::keyBox(2), basic::kKeyBoxNormal, true));
  b.shell.hover(centre(basic::kDefaultButton));
  EXPECT_TRUE(b.shows(basic::kDefaultButton, basic::kTextButtonOver, true));
  EXPECT_TRUE(b.shows(basic::keyBox(3), basic::kKeyBoxOver, true)) << "another group keeps its highlight";
  b.shell.moveTo({100, 600});
  EXPECT_TRUE(b.shows(basic::keyBox(3), basic::kKeyBoxNormal, true));
  EXPECT_TRUE(b.shows(basic::kDefaultButton, basic::kTextButtonNormal, true));
}

// ---- first display and Apply ----------------------------------------------------------------------------

TEST(BasicFirstShow, FactoryFlagResetsTheNamesOfButtons1To8) {
  BasicShell b(saneRecord(), {.firstRunFlag = 0});
  ASSERT_TRUE(b.started);
  const auto& texts = b.shell.dlg->buttonTexts();
  const char* want[8] = {"Left Click", "Right Click", "Mid Click", "Forward", "Backward", "DPI +", "DPI -", "Key Off"};
  for (int m = 0; m < 2; ++m)
    for (int s = 0; s < 8; ++s) EXPECT_EQ(texts.text[m][s], want[s]) << m << "/" << s;
  EXPECT_EQ(profile::getString(b.shell.pathStd("str.ini"), "Setting-EN", "Item73", ""), "DPI -");
  EXPECT_EQ(b.shell.mouse.sensorWrites(), 1) << "the sensor handshake ran once";
}

TEST(BasicApply, SendsWhatWasClicked) {
  BasicShell b(saneRecord());
  ASSERT_TRUE(b.started);
  b.click(basic::kRateCells[1]);       // 250 Hz
  b.click(basic::dpiCell(0, 9));       // stage 1: step 8
  b.click(basic::dpiPane(3));          // stage 4 off
  b.click(basic::kDefaultButton);
  b.click(frame::kApply.center());
  EXPECT_EQ(b.shell.mouse.reportInterval(), 4);
  const auto codes = b.shell.mouse.dpiCodes();
  EXPECT_EQ(codes[0], dpiCode(0, 8));
  EXPECT_EQ(codes[1], dpiCode(0, 3));
  EXPECT_EQ(codes[3], dpiCode(0, 7) | 0x80) << "stage 4 is sent switched off";
  const auto table1 = buildKeyMatrices(b.working())[0];
  EXPECT_EQ(b.shell.mouse.keyMatrix(1), table1);
  EXPECT_EQ(b.shell.dlg->saved(), b.working());
}

}  // namespace
}  // namespace hm::test
