// SPDX-License-Identifier: GPL-3.0-or-later
// The LED panel on the real main window: clicks at the panel's coordinates,
// list choices as the user makes them, then the record, the faces and the
// canvas picture are checked; Apply sends what was set.
#include <gtest/gtest.h>

#include "basic_fixture.h"
#include "gui/app/frame.h"

namespace hm::test {
namespace {

struct FaceCase {
  std::uint8_t ledMode;
  const char* modeFace;
  std::optional<QString> paramFace;
};

class LedFacesTest : public ::testing::TestWithParam<FaceCase> {};

TEST_P(LedFacesTest, PaintShowsModeAndParameter) {
  const FaceCase& t = GetParam();
  MouseConfig record = saneRecord();  // ledParam 4, 3, 5
  record.ledMode = t.ledMode;
  BasicShell b(record);
  ASSERT_TRUE(b.started);
  EXPECT_EQ(b.page->led().modeFaceText(), t.modeFace);
  EXPECT_EQ(b.page->led().paramFaceText(), t.paramFace);
  // Without a parameter face the box image shows there unchanged.
  EXPECT_EQ(b.shows(basic::kLedParamBox, basic::kLedBoxImage), !t.paramFace.has_value());
}

INSTANTIATE_TEST_SUITE_P(Modes, LedFacesTest,
                         ::testing::Values(FaceCase{0, "Off Mode", std::nullopt},
                                           FaceCase{1, "Standard Mode", QString("45%")},
                                           FaceCase{3, "Neon Mode", QString("3S")}),
                         [](const auto& c) { return "LedMode" + std::to_string(c.param.ledMode); });

TEST(LedMode, ChoosingRespirationWithStoredThreeShowsFiveSeconds) {
  MouseConfig record = saneRecord();
  record.ledMode = 0;
  BasicShell b(record);
  ASSERT_TRUE(b.started);
  b.click(basic::kLedModeBox);
  SkinDropDown& modes = b.page->led().modeList();
  ASSERT_TRUE(modes.isOpen());
  EXPECT_EQ(modes.list()->count(), 3);
  BasicShell::choose(modes.list(), 1);
  EXPECT_FALSE(modes.isOpen());
  record.ledMode = 2;
  EXPECT_EQ(b.working(), record);
  EXPECT_EQ(b.page->led().modeFaceText(), "Respiration Mode");
  EXPECT_EQ(b.page->led().paramFaceText(), QString("5S"));
}

struct ParamCase {
  std::uint8_t ledMode;
  int rows;
  int line;  // chosen
  int slot;  // ledParam index stored, -1 none
};

class LedParamTest : public ::testing::TestWithParam<ParamCase> {};

TEST_P(LedParamTest, ListFollowsTheModeAndTheChoiceIsStoredForItOnly) {
  const ParamCase& t = GetParam();
  MouseConfig record = saneRecord();
  record.ledMode = t.ledMode;
  BasicShell b(record);
  ASSERT_TRUE(b.started);
  b.click(basic::kLedParamBox);
  QListWidget* list = b.page->led().paramList().list();
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->count(), t.rows);
  EXPECT_EQ(list->geometry(), toRect(basic::ledParamList(t.ledMode)));
  BasicShell::choose(list, t.line);
  EXPECT_FALSE(b.page->led().paramList().isOpen());
  if (t.slot >= 0) record.ledParam[t.slot] = static_cast<std::uint8_t>(t.line);
  EXPECT_EQ(b.working(), record) << "ledParam2 and the other modes' parameters stay";
}

INSTANTIATE_TEST_SUITE_P(Modes, LedParamTest,
                         ::testing::Values(ParamCase{1, 10, 9, 0}, ParamCase{2, 5, 0, 1},
                                           ParamCase{0, 30, 3, -1}),  // "Off Mode" stores nothing
                         [](const auto& c) { return "LedMode" + std::to_string(c.param.ledMode); });

TEST(LedDpiToggles, Led2AtStage3FlipsBit1OfByte1AndEveryPaintShowsStage1) {
  BasicShell b(saneRecord());  // mask 0x21 0x84 0xA5 0x5A: stage 3 has LED 3 lit
  ASSERT_TRUE(b.started);
  b.click(basic::kDpiStageFace);
  BasicShell::choose(b.page->led().stageList().list(), 2);
  EXPECT_EQ(b.page->led().stageFaceText(), "DPI Stage3");
  for (int led = 1; led <= 4; ++led)
    EXPECT_TRUE(b.shows(basic::dpiLedRect(led), led == 3 ? basic::kDpiCellLight : basic::kDpiCellDark))
        << led;
  b.click(basic::dpiLedRect(2));
  MouseConfig expected = saneRecord();
  expected.dpiLedMask[1] = 0x86;
  EXPECT_EQ(b.working(), expected);
  EXPECT_TRUE(b.shows(basic::dpiLedRect(2), basic::kDpiCellLight));

  b.shell.dlg->refreshCurrentPage();
  EXPECT_EQ(b.page->led().stageFaceText(), "DPI Stage1");
  for (int led = 1; led <= 4; ++led)  // stage 1: byte 0 low nibble 0x1
    EXPECT_TRUE(b.shows(basic::dpiLedRect(led), led == 1 ? basic::kDpiCellLight : basic::kDpiCellDark))
        << led;
  b.click(basic::dpiLedRect(4));
  EXPECT_EQ(b.working().dpiLedMask[0], 0x29);
}

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
  b.click(basic::loopTickRect(2));
  b.click(basic::swatchRect(2));
  ASSERT_EQ(b.chooser.initials, std::vector<QColor>{QColor(0, 0, 0)}) << "the chooser starts at black";
  expected = saneRecord();
  expected.loopColor[2][0] = 1;
  expected.loopColor[2][1] = 2;
  expected.loopColor[2][2] = 3;
  EXPECT_EQ(b.working(), expected);
  EXPECT_EQ(b.page->led().swatch(2)->color(), QColor(1, 2, 3));
  EXPECT_EQ(b.shell.pixel(centre(basic::swatchRect(2))), QColor(1, 2, 3).rgb());
  b.click(basic::swatchRect(2));  // cancelled: nothing changes
  EXPECT_EQ(b.working(), expected);
}

TEST(LedApply, SendsWhatWasClicked) {
  BasicShell b(saneRecord());
  ASSERT_TRUE(b.started);
  b.click(basic::kLedModeBox);
  BasicShell::choose(b.page->led().modeList().list(), 2);  // "Neon Mode"
  b.click(basic::kLedParamBox);
  BasicShell::choose(b.page->led().paramList().list(), 19);  // "10S"
  b.click(basic::loopTickRect(0));                           // colour 1 unused
  b.chooser.answers.push_back(QColor(10, 20, 30));
  b.click(basic::swatchRect(1));  // colour 2 changed
  b.click(basic::kDpiStageFace);
  BasicShell::choose(b.page->led().stageList().list(), 1);  // stage 2
  b.click(basic::dpiLedRect(1));                            // byte 0 bit 4
  b.click(frame::kApply.center());

  EXPECT_EQ(b.shell.mouse.ledEffect(), (std::array<std::uint8_t, 3>{3, 20, 3}));
  const std::vector<std::uint8_t> page0 = b.shell.mouse.colourPage(0);
  ASSERT_EQ(page0.size(), 24u);
  EXPECT_EQ(std::vector<std::uint8_t>(page0.begin(), page0.begin() + 6),
            (std::vector<std::uint8_t>{10, 20, 30, 0, 0, 255}))
      << "colour 2 first, then colour 3";
  EXPECT_EQ(b.shell.mouse.colourPage(2), (std::vector<std::uint8_t>{0x31, 0x84, 0xA5, 0x5A}));
  EXPECT_EQ(b.shell.dlg->saved().ledParam2[1], 8);
}

}  // namespace
}  // namespace hm::test
