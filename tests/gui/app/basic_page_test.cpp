// SPDX-License-Identifier: GPL-3.0-or-later
// The Basic page on the real main window: clicks at the page's coordinates,
// then the working record and the canvas picture are checked.
#include <gtest/gtest.h>

#include <QWindow>
#include <functional>
#include <memory>

#include "basic_fixture.h"
#include "core/buttons/button_codes.h"
#include "core/settings/profile_file.h"
#include "core/wire/protocol.h"
#include "gui/app/frame.h"
#include "support/param_name.h"

namespace hm::test {
namespace {

struct PaintCase {
  const char* name;
  std::uint8_t sensorType;
  std::function<void(MouseConfig&)> change;
  int lightRateCell;
  std::array<int, 4> lit;  // lit levels per column, 0 = stage off
  int levels;
};

class BasicPaintTest : public ::testing::TestWithParam<PaintCase> {};

TEST_P(BasicPaintTest, ShowsTheRecord) {
  const PaintCase& t = GetParam();
  MouseConfig record = saneRecord();  // rate code 1, steps 0, 3, 5, 7, all on
  t.change(record);
  BasicShell b(record, {.sensorType = t.sensorType});
  ASSERT_TRUE(b.started);
  EXPECT_EQ(b.page->levelCount(), t.levels);
  for (int c = 0; c < 4; ++c)
    EXPECT_TRUE(
        b.shows(basic::kRateCells[c], c == t.lightRateCell ? basic::kRateCellLight : basic::kRateCellDark))
        << "rate cell " << c;
  for (int s = 0; s < 4; ++s) {
    EXPECT_TRUE(b.shows(basic::dpiPane(s), t.lit[s] ? basic::kPaneOn : basic::kPaneOff)) << "pane " << s;
    EXPECT_EQ(b.litLevels(s, t.levels), t.lit[s]) << "column " << s;
    for (int n = t.levels + 1; n <= 12; ++n)  // nothing drawn above the scale
      EXPECT_FALSE(b.shows(basic::dpiCell(s, n), basic::kDpiCellDark)) << s << "/" << n;
  }
  const bool modeB = record.editedMode != 0;  // the boxes show Mode B for any other byte
  EXPECT_TRUE(b.shows(basic::kModeBButton, modeB ? basic::kTextButtonOver : basic::kTextButtonNormal, true));
  for (int k = 1; k <= 7; ++k)
    EXPECT_EQ(b.page->keyList(k).caption.toStdString(), b.shell.dlg->buttonTexts().text[modeB][k - 1]);
}

INSTANTIATE_TEST_SUITE_P(
    Records, BasicPaintTest,
    ::testing::Values(
        PaintCase{"Sane", 0, [](MouseConfig&) {}, 3, {1, 4, 6, 8}, 12},
        PaintCase{"Rate125", 0, [](MouseConfig& c) { c.reportInterval = 8; }, 0, {1, 4, 6, 8}, 12},
        PaintCase{
            "UnknownRateLightsCell4", 0, [](MouseConfig& c) { c.reportInterval = 3; }, 3, {1, 4, 6, 8}, 12},
        PaintCase{"StageOff", 0, [](MouseConfig& c) { c.dpiStageEnabled[1] = 0; }, 3, {1, 0, 6, 8}, 12},
        PaintCase{
            "StoredAboveEightLevels", 2, [](MouseConfig& c) { c.dpiStageValue[0] = 10; }, 3, {8, 4, 6, 8}, 8},
        PaintCase{"ModeB", 0, [](MouseConfig& c) { c.editedMode = 1; }, 3, {1, 4, 6, 8}, 12},
        PaintCase{"OddEditedModeIsModeB", 0, [](MouseConfig& c) { c.editedMode = 2; }, 3, {1, 4, 6, 8}, 12}),
    hm::test::ParamName());

TEST(BasicReportRate, ClickRelightsAndReselectChangesNothing) {
  BasicShell b(saneRecord());  // stored code 1: 1000 Hz
  ASSERT_TRUE(b.started);
  b.click(basic::kRateCells[0]);
  EXPECT_EQ(b.working().reportInterval, 8);
  EXPECT_TRUE(b.shows(basic::kRateCells[0], basic::kRateCellLight));
  EXPECT_TRUE(b.shows(basic::kRateCells[3], basic::kRateCellDark));
  const QImage before = b.picture();
  b.click(basic::kRateCells[0]);
  EXPECT_EQ(b.picture(), before);
}

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
  b.click(basic::dpiPane(0));
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

TEST(BasicDpi, OnAnEightLevelScaleLevels9To12AreIgnored) {
  BasicShell b(saneRecord(), {.sensorType = 3});
  ASSERT_TRUE(b.started);
  b.click(basic::dpiCell(2, 8));
  EXPECT_EQ(b.working().dpiStageValue[2], 7);
  const QImage before = b.picture();
  for (int n : {9, 12}) b.click(basic::dpiCell(2, n));
  EXPECT_EQ(b.working().dpiStageValue[2], 7);
  EXPECT_EQ(b.picture(), before);
}

TEST(BasicDefault, ResetsButtonsOnlyAndLeavesRateDpiAndLed) {
  MouseConfig record = saneRecord();
  for (int m = 0; m < 2; ++m) {
    for (int s = 0; s < 11; ++s) record.mode[m].function[s] = kMacroKey;
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
  EXPECT_EQ(b.shell.dlg->buttonTexts().text[1][5], "DPI +");
  EXPECT_EQ(b.page->keyList(7).caption, "DPI -");
}

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
  record.mode[1].function[9] = kLeftClick;  // Mode B: buttons 1 and 10; Mode A: button 1 alone
  record.editedMode = t.editedMode;
  BasicShell b(record);
  ASSERT_TRUE(b.started);
  b.click(basic::keyBox(t.box));
  EXPECT_EQ(b.page->keyList(t.box).isOpen(), t.opens);
  if (t.opens) {
    EXPECT_TRUE(b.shell.sink.messages.empty());
    EXPECT_EQ(b.page->keyList(t.box).list()->count(), 16);
    EXPECT_EQ(b.page->keyList(t.box).list()->geometry(), toRect(basic::keyList(t.box)));
  } else {
    EXPECT_EQ(b.shell.sink.messages, (std::vector<Message>{{"Left key must be selected!", "Warning"}}));
  }
  EXPECT_EQ(b.working(), record);
}

INSTANTIATE_TEST_SUITE_P(Modes, BasicGuardTest,
                         ::testing::Values(GuardCase{"ModeAOnlyLeft", 0, 1, false},
                                           GuardCase{"ModeAOtherBox", 0, 2, true},
                                           GuardCase{"ModeBSecondLeft", 1, 1, true}),
                         hm::test::ParamName());

TEST(BasicKeyLists, OneListAtATime) {
  BasicShell b(saneRecord());
  ASSERT_TRUE(b.started);
  auto open = [&] {
    std::vector<int> v;
    for (int k = 1; k <= 7; ++k)
      if (b.page->keyList(k).isOpen()) v.push_back(k);
    return v;
  };
  b.click(basic::keyBox(3));
  EXPECT_EQ(open(), std::vector<int>{3});
  b.click(basic::keyBox(2));  // outside list 3: closes it, opens list 2
  EXPECT_EQ(open(), std::vector<int>{2});
  b.click(basic::keyBox(2));  // its own box closes it
  EXPECT_EQ(open(), std::vector<int>{});
  b.click(basic::keyBox(2));
  b.click(frame::kAdvancedTab.center());
  EXPECT_EQ(open(), std::vector<int>{});
  EXPECT_EQ(b.page->keyList(2).list(), nullptr) << "the Advanced page destroys the list";
}

// A double click on a row of an open list: the first press chooses the row
// and closes the list; the rest of the double click must not land on what
// lay under the row. It ends as a single click on the row does.
TEST(BasicKeyLists, ADoubleClickOnARowDoesWhatAClickDoes) {
  struct Case {
    const char* what;
    basic::Box box;  // opens the list
    std::function<SkinDropDown&(BasicPage&)> list;
    int row;
    basic::Box under;  // what lies under the row
  };
  const Case cases[] = {
      {"DPI Stage2 over LED toggle 2", basic::kDpiStageFace,
       [](BasicPage& p) -> SkinDropDown& { return p.led().stageList(); }, 1, basic::dpiLedRect(2)},
      {"Shift over Default", basic::keyBox(7), [](BasicPage& p) -> SkinDropDown& { return p.keyList(7); },
       kShift, basic::kDefaultButton},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto pick = [&](bool twice) {
      auto b = std::make_unique<BasicShell>(saneRecord());
      EXPECT_TRUE(b->started);
      b->click(c.box);
      QListWidget* list = c.list(*b->page).list();
      EXPECT_NE(list, nullptr);
      if (!list) return b;
      const QRect row = list->visualItemRect(list->item(c.row))
                            .translated(list->viewport()->mapTo(b->shell.dlg.get(), QPoint(0, 0)));
      const QRect spot = row & toRect(c.under);
      EXPECT_FALSE(spot.isEmpty()) << "the row does not lie over it";
      QWindow* window = b->shell.dlg->windowHandle();
      if (twice)
        QTest::mouseDClick(window, Qt::LeftButton, Qt::NoModifier, spot.center());
      else
        QTest::mouseClick(window, Qt::LeftButton, Qt::NoModifier, spot.center());
      EXPECT_FALSE(c.list(*b->page).isOpen());
      return b;
    };
    const auto once = pick(false);
    const auto twice = pick(true);
    EXPECT_EQ(twice->working(), once->working());
    EXPECT_EQ(twice->shell.dlg->buttonTexts(), once->shell.dlg->buttonTexts());
    EXPECT_EQ(twice->page->led().shownStage(), once->page->led().shownStage());
    // The row was chosen.
    EXPECT_TRUE(once->working() != saneRecord() || once->page->led().shownStage() == 1);
  }
}

TEST(BasicKeyLists, KeyboardFocusNeverPicksARow) {
  // A list that gets focus from the keyboard or from the window being
  // activated makes its first row current; that must not count as a choice.
  BasicShell b(saneRecord());
  ASSERT_TRUE(b.started);
  b.click(basic::keyBox(3));
  b.shell.key(Qt::Key_Tab);
  b.shell.dlg->activateWindow();
  QCoreApplication::processEvents();
  EXPECT_TRUE(b.page->keyList(3).isOpen());
  EXPECT_EQ(b.working(), saneRecord());
}

TEST(BasicKeyLists, DpiSwitchSubListChoiceClosesTheListAndRedrawsTheBox) {
  BasicShell b(saneRecord());
  ASSERT_TRUE(b.started);
  b.click(basic::keyBox(5));
  QListWidget* list = b.page->keyList(5).list();
  ASSERT_NE(list, nullptr);
  auto moveTo = [&](int row) {
    QTest::mouseMove(list->viewport(), list->visualItemRect(list->item(row)).center());
  };
  moveTo(kDpiSwitch);
  ASSERT_TRUE(b.page->functionLists().dpiSubListShown());
  moveTo(kShift);
  EXPECT_FALSE(b.page->functionLists().dpiSubListShown());
  moveTo(kDpiSwitch);
  BasicShell::choose(b.page->functionLists().dpiSubList(), 2);
  EXPECT_FALSE(b.page->keyList(5).isOpen());
  EXPECT_EQ(b.working().mode[0].function[4], kDpiSwitch);
  EXPECT_EQ(b.working().dpiAction[0][4], kDpiLoop);
  EXPECT_EQ(b.page->keyList(5).caption, "DPI Loop");
}

TEST(BasicHover, KeyBoxesHighlightOneAtATime) {
  BasicShell b(saneRecord());
  ASSERT_TRUE(b.started);
  b.shell.hover(centre(basic::keyBox(2)));
  EXPECT_TRUE(b.shows(basic::keyBox(2), basic::kKeyBoxOver, true));
  b.shell.hover(centre(basic::keyBox(3)));
  EXPECT_TRUE(b.shows(basic::keyBox(3), basic::kKeyBoxOver, true));
  EXPECT_TRUE(b.shows(basic::keyBox(2), basic::kKeyBoxNormal, true));
  b.shell.moveTo({100, 600});
  EXPECT_TRUE(b.shows(basic::keyBox(3), basic::kKeyBoxNormal, true));
}

// The names are shown by the first paint and written to str.ini after it.
TEST(BasicFirstShow, FactoryFlagWritesTheNamesOfButtons1To8) {
  BasicShell b(saneRecord(), {.firstRunFlag = 0});
  ASSERT_TRUE(b.started);
  EXPECT_EQ(b.shell.dlg->buttonTexts().text[1][7], "Key Off");
  auto item73 = [&] { return profile::getString(b.shell.pathStd("str.ini"), "Setting-EN", "Item73", ""); };
  EXPECT_TRUE(Shell::waitFor([&] { return item73() == "DPI -"; })) << item73();
  EXPECT_EQ(b.shell.mouse.sensorWrites(), 1) << "the sensor handshake ran once";
}

// A page that only draws (a screenshot) shows what the first display shows
// (the first-run names, the sensor's DPI scale) but writes neither str.ini
// nor anything to the mouse; only the sensor is read.
TEST(BasicFirstShow, DrawOnlyShowsTheFirstDisplayAndChangesNothing) {
  for (bool drawOnly : {false, true}) {
    SCOPED_TRACE(drawOnly ? "draw only" : "normal");
    BasicShell b(saneRecord(), {.sensorType = 1, .firstRunFlag = 0, .drawOnly = drawOnly});
    ASSERT_TRUE(b.started);
    EXPECT_EQ(b.shell.dlg->buttonTexts().text[0][5], "DPI +");
    EXPECT_EQ(b.page->keyList(6).caption, "DPI +");
    EXPECT_EQ(b.page->levelCount(), 8);
    auto item6 = [&] { return profile::getString(b.shell.pathStd("str.ini"), "Setting-EN", "Item6", ""); };
    if (drawOnly) {
      Shell::waitFor([] { return false; }, 50);
      EXPECT_EQ(b.shell.fileBytes("str.ini"), b.strIniBeforeStart);
    } else {
      EXPECT_TRUE(Shell::waitFor([&] { return item6() == "DPI +"; })) << item6();
    }
    int reads = 0, writes = 0;
    for (const FeatureReport& r : b.shell.mouse.commands()) {
      reads += r[0] == proto::kCmdSensorRead ? 1 : 0;
      writes += (r[0] & proto::kReadFlag) == 0 ? 1 : 0;
    }
    EXPECT_EQ(reads, 1);
    EXPECT_EQ(writes, drawOnly ? 0 : 1);
  }
}

TEST(BasicApply, SendsWhatWasClicked) {
  BasicShell b(saneRecord());
  ASSERT_TRUE(b.started);
  b.click(basic::kRateCells[1]);  // 250 Hz
  b.click(basic::dpiCell(0, 9));  // stage 1: step 8
  b.click(basic::dpiPane(3));     // stage 4 off
  b.click(frame::kApply.center());
  EXPECT_EQ(b.shell.mouse.reportInterval(), 4);
  const auto codes = b.shell.mouse.dpiCodes();
  EXPECT_EQ(codes[0], dpiCode(0, 8));
  EXPECT_EQ(codes[3], dpiCode(0, 7) | 0x80) << "stage 4 is sent switched off";
  EXPECT_EQ(b.shell.dlg->saved(), b.working());
}

}  // namespace
}  // namespace hm::test
