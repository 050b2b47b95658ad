// The LED panel on the real main window: clicks at the panel's coordinates,
// list choices as the user makes them, then the working record, the faces
// and the canvas picture are checked; Apply sends what was set.
#include <gtest/gtest.h>

#include "app/basic_logic.h"
#include "app/frame.h"
#include "basic_fixture.h"

namespace hm::test {
namespace {

using basic::Box;

// ---- mode and parameter ----------------------------------------------------------------------

struct FaceCase {
  const char* name;
  std::uint8_t ledMode;
  const char* modeFace;
  std::optional<QString> paramFace;
};

class LedFacesTest : public ::testing::TestWithParam<FaceCase> {};

TEST_P(LedFacesTest, PaintShowsModeAndParameter) {
  const FaceCase& t = GetParam();
  MouseConfig record = saneRecord();   // ledParam 4, 3, 5
  record.ledMode = t.ledMode;
  BasicShell b(record);
  ASSERT_TRUE(b.started);
  LedPanel& led = b.page->led();
  EXPECT_EQ(led.modeFaceText(), t.modeFace);
  EXPECT_EQ(led.paramFaceText(), t.paramFace);
  // Without a parameter face the box image shows there unchanged.
  EXPECT_EQ(b.shows(basic::kLedParamBox, basic::kLedBoxImage), !t.paramFace.has_value());
  EXPECT_EQ(led.stageFaceText(), "DPI Stage1");
}

INSTANTIATE_TEST_SUITE_P(Modes, LedFacesTest,
                         ::testing::Values(FaceCase{"Off", 0, "Off Mode", std::nullopt},
                                           FaceCase{"Standard", 1, "Standard Mode", QString("45%")},
                                           FaceCase{"Respiration", 2, "Respiration Mode", QString("5S")},
                                           FaceCase{"Neon", 3, "Neon Mode", QString("3S")},
                                           FaceCase{"Unknown", 4, "", QString("")}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(LedMode, ChoosingRespirationWithStoredThreeShowsFiveSeconds) {
  MouseConfig record = saneRecord();
  record.ledMode = 0;
  BasicShell b(record);
  ASSERT_TRUE(b.started);
  b.click(basic::kLedModeBox);
  SkinDropDown& modes = b.page->led().modeList();
  ASSERT_TRUE(modes.isOpen());
  ASSERT_EQ(modes.list()->count(), 3);
  EXPECT_EQ(modes.list()->item(0)->text(), "Standard Mode");
  EXPECT_EQ(modes.list()->geometry(), toRect(basic::kLedModeList));
  BasicShell::choose(modes.list(), 1);
  EXPECT_FALSE(modes.isOpen());
  MouseConfig expected = record;
  expected.ledMode = 2;
  EXPECT_EQ(b.working(), expected);
  EXPECT_EQ(b.page->led().modeFaceText(), "Respiration Mode");
  EXPECT_EQ(b.page->led().paramFaceText(), QString("5S"));
  EXPECT_FALSE(b.shows(basic::kLedParamBox, basic::kLedBoxImage)) << "the parameter face appeared";
}

struct ParamListCase {
  std::uint8_t ledMode;
  int rows;
  const char* last;
  int line;             // chosen
  int slot;             // ledParam index stored, -1 none
  std::optional<QString> face;
};

class LedParamListTest : public ::testing::TestWithParam<ParamListCase> {};

TEST_P(LedParamListTest, ListFollowsTheModeAndTheChoiceIsStoredForItOnly) {
  const ParamListCase& t = GetParam();
  MouseConfig record = saneRecord();
  record.ledMode = t.ledMode;
  BasicShell b(record);
  ASSERT_TRUE(b.started);
  b.click(basic::kLedParamBox);
  SkinDropDown& params = b.page->led().paramList();
  ASSERT_TRUE(params.isOpen());
  QListWidget* list = params.list();
  ASSERT_EQ(list->count(), t.rows);
  EXPECT_EQ(list->item(t.rows - 1)->text(), t.last);
  EXPECT_EQ(list->geometry(), toRect(basic::ledParamList(t.ledMode)));
  BasicShell::choose(list, t.line);
  EXPECT_FALSE(params.isOpen());
  MouseConfig expected = record;
  if (t.slot >= 0) expected.ledParam[t.slot] = static_cast<std::uint8_t>(t.line);
  EXPECT_EQ(b.working(), expected);
  EXPECT_EQ(b.page->led().paramFaceText(), t.face);
}

INSTANTIATE_TEST_SUITE_P(Modes, LedParamListTest,
                         ::testing::Values(ParamListCase{1, 10, "100%", 9, 0, QString("100%")},
                                           ParamListCase{2, 5, "4S", 0, 1, QString("8S")},
                                           ParamListCase{3, 30, "15S", 2, 2, QString("1.5S")},
                                           // "Off Mode": the neon table, nothing stored, no face
                                           ParamListCase{0, 30, "15S", 3, -1, std::nullopt}));

TEST(LedLists, OneFaceClickOpensTheOtherClosesAndASecondClickCloses) {
  BasicShell b(saneRecord());
  ASSERT_TRUE(b.started);
  LedPanel& led = b.page->led();
  b.click(basic::kLedModeBox);
  EXPECT_TRUE(led.modeList().isOpen());
  b.click(basic::kDpiStageFace);
  EXPECT_FALSE(led.modeList().isOpen());
  EXPECT_TRUE(led.stageList().isOpen());
  b.click(basic::kDpiStageFace);
  EXPECT_FALSE(led.stageList().isOpen());
  b.click(basic::kLedParamBox);
  EXPECT_TRUE(led.paramList().isOpen());
  b.click(basic::keyBox(2));   // a key list opens, the LED list closes
  EXPECT_FALSE(led.paramList().isOpen());
  EXPECT_TRUE(b.page->keyList(2).isOpen());
  EXPECT_EQ(b.working(), saneRecord());
}

// ---- DPI self-colour LEDs -----------------------------------------------------------------------

TEST(LedDpiToggles, Led2AtStage3FlipsBit1OfByte1Only) {
  BasicShell b(saneRecord());   // byte 1 = 0x84: stage 3 has LED 3 lit
  ASSERT_TRUE(b.started);
  b.click(basic::kDpiStageFace);
  BasicShell::choose(b.page->led().stageList().list(), 2);
  EXPECT_EQ(b.page->led().shownStage(), 2);
  EXPECT_EQ(b.page->led().stageFaceText(), "DPI Stage3");
  for (int led = 1; led <= 4; ++led)
    EXPECT_TRUE(b.shows(basic::dpiLedRect(led), led == 3 ? basic::kDpiCellLight : basic::kDpiCellDark)) << led;
  b.click(basic::dpiLedRect(2));
  MouseConfig expected = saneRecord();
  expected.dpiLedMask[1] = 0x86;
  EXPECT_EQ(b.working(), expected);
  EXPECT_TRUE(b.shows(basic::dpiLedRect(2), basic::kDpiCellLight));
  b.click(basic::dpiLedRect(2));
  EXPECT_EQ(b.working(), saneRecord());
  EXPECT_TRUE(b.shows(basic::dpiLedRect(2), basic::kDpiCellDark));
}

struct ToggleCase {
  int stage;   // 0..3
  int led;     // 1..4
  int byte;
  std::uint8_t bit;
};

class LedToggleTest : public ::testing::TestWithParam<ToggleCase> {};

TEST_P(LedToggleTest, EachStageAndLedHasItsOwnBit) {
  const ToggleCase& t = GetParam();
  BasicShell b(saneRecord());
  ASSERT_TRUE(b.started);
  if (t.stage != 0) {
    b.click(basic::kDpiStageFace);
    BasicShell::choose(b.page->led().stageList().list(), t.stage);
  }
  b.click(basic::dpiLedRect(t.led));
  MouseConfig expected = saneRecord();
  expected.dpiLedMask[t.byte] ^= t.bit;
  EXPECT_EQ(b.working(), expected);
}

INSTANTIATE_TEST_SUITE_P(Bits, LedToggleTest,
                         ::testing::Values(ToggleCase{0, 1, 0, 0x01}, ToggleCase{0, 4, 0, 0x08},
                                           ToggleCase{1, 1, 0, 0x10}, ToggleCase{1, 3, 0, 0x40},
                                           ToggleCase{3, 4, 1, 0x80}));

TEST(LedDpiToggles, EveryPaintShowsStage1) {
  BasicShell b(saneRecord());
  ASSERT_TRUE(b.started);
  b.click(basic::kDpiStageFace);
  BasicShell::choose(b.page->led().stageList().list(), 3);
  ASSERT_EQ(b.page->led().shownStage(), 3);
  b.shell.dlg->refreshCurrentPage();
  EXPECT_EQ(b.page->led().shownStage(), 0);
  EXPECT_EQ(b.page->led().stageFaceText(), "DPI Stage1");
  // Stage 1 (byte 0 low nibble 0x1): LED 1 lit only.
  for (int led = 1; led <= 4; ++led)
    EXPECT_TRUE(b.shows(basic::dpiLedRect(led), led == 1 ? basic::kDpiCellLight : basic::kDpiCellDark)) << led;
  b.click(basic::dpiLedRect(4));
  EXPECT_EQ(b.working().dpiLedMask[0], 0x29) << "the toggles act on stage 1 again";
}

// ---- loop colours -------------------------------------------------------------------------------

TEST(LedLoopColors, UntickedSwatchIgnoresClicksAndKeepsItsColour) {
  BasicShell b(saneRecord());
  ASSERT_TRUE(b.started);
  b.click(basic::loopTickRect(2));
  MouseConfig expected = saneRecord();
  expected.loopColorEnabled[2] = 0;
  EXPECT_EQ(b.working(), expected);
  EXPECT_TRUE(b.shows(basic::loopTickRect(2), basic::kPaneOff));
  b.chooser.answers.push_back(QColor(1, 2, 3));
  b.click(basic::swatchRect(2));
  EXPECT_EQ(b.chooser.calls, 0);
  EXPECT_EQ(b.working(), expected);
  b.click(basic::loopTickRect(2));
  EXPECT_TRUE(b.shows(basic::loopTickRect(2), basic::kPaneOn));
  b.click(basic::swatchRect(2));
  EXPECT_EQ(b.chooser.calls, 1);
  expected = saneRecord();
  expected.loopColor[2][0] = 1;
  expected.loopColor[2][1] = 2;
  expected.loopColor[2][2] = 3;
  EXPECT_EQ(b.working(), expected);
  ASSERT_NE(b.page->led().swatch(2), nullptr);
  EXPECT_EQ(b.page->led().swatch(2)->color(), QColor(1, 2, 3));
  EXPECT_EQ(b.page->led().swatch(2)->geometry(), toRect(basic::swatchRect(2)));
  EXPECT_EQ(b.shell.pixel(centre(basic::swatchRect(2))), QColor(1, 2, 3).rgb());
}

TEST(LedLoopColors, CancelledChooserChangesNothing) {
  BasicShell b(saneRecord());
  ASSERT_TRUE(b.started);
  b.click(basic::swatchRect(7));
  EXPECT_EQ(b.chooser.calls, 1);
  ASSERT_EQ(b.chooser.initials.size(), 1u);
  EXPECT_EQ(b.chooser.initials[0], QColor(0, 0, 0)) << "the chooser starts at black";
  EXPECT_EQ(b.working(), saneRecord());
}

TEST(LedLoopColors, SwatchesShowTheRecordAndGoWithTheAdvancedPage) {
  BasicShell b(saneRecord());
  ASSERT_TRUE(b.started);
  const MouseConfig& c = b.working();
  for (int k = 0; k < 8; ++k) {
    ASSERT_NE(b.page->led().swatch(k), nullptr) << k;
    EXPECT_EQ(b.page->led().swatch(k)->color(), QColor(c.loopColor[k][0], c.loopColor[k][1], c.loopColor[k][2]));
  }
  b.click(frame::kAdvancedTab.center());
  for (int k = 0; k < 8; ++k) EXPECT_EQ(b.page->led().swatch(k), nullptr) << k;
}

// ---- Apply ------------------------------------------------------------------------------------------

TEST(LedApply, SendsWhatWasClicked) {
  BasicShell b(saneRecord());
  ASSERT_TRUE(b.started);
  b.click(basic::kLedModeBox);
  BasicShell::choose(b.page->led().modeList().list(), 2);        // "Neon Mode"
  b.click(basic::kLedParamBox);
  BasicShell::choose(b.page->led().paramList().list(), 19);      // "10S"
  b.click(basic::loopTickRect(0));                               // colour 1 unused
  b.chooser.answers.push_back(QColor(10, 20, 30));
  b.click(basic::swatchRect(1));                                 // colour 2 changed
  b.click(basic::kDpiStageFace);
  BasicShell::choose(b.page->led().stageList().list(), 1);       // stage 2
  b.click(basic::dpiLedRect(1));                                 // byte 0 bit 4
  b.click(frame::kApply.center());

  EXPECT_EQ(b.shell.mouse.ledEffect(), (std::array<std::uint8_t, 3>{3, 20, 3}));
  const std::vector<std::uint8_t> page0 = b.shell.mouse.colourPage(0);
  ASSERT_EQ(page0.size(), 24u);
  EXPECT_EQ(std::vector<std::uint8_t>(page0.begin(), page0.begin() + 6),
            (std::vector<std::uint8_t>{10, 20, 30, 0, 0, 255})) << "colour 2 first, then colour 3";
  EXPECT_EQ(b.shell.mouse.colourPage(2), (std::vector<std::uint8_t>{0x31, 0x84, 0xA5, 0x5A}));
  const MouseConfig& sent = b.shell.dlg->saved();
  EXPECT_EQ(std::vector<std::uint8_t>(sent.ledParam2, sent.ledParam2 + 3), (std::vector<std::uint8_t>{7, 8, 9}));
}

}  // namespace
}  // namespace hm::test
