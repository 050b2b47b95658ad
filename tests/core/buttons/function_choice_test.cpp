// SPDX-License-Identifier: GPL-3.0-or-later
// What a function-list choice stores: dialog results into the edited mode
// and the box text, the Shift rules, the DPI sub-list and the left-button
// guard. Checked through the encoded key-matrix entry, which is what the
// mouse finally gets.
#include <gtest/gtest.h>

#include <string>

#include "core/buttons/button_codes.h"
#include "core/buttons/function_choice.h"

namespace hm {
namespace {

// A record after "Default" in both modes with its texts; every case changes
// one thing of it.
struct Sane {
  MouseConfig config{};
  ButtonTexts texts;
  UiTexts ui{Language::English};
  Sane() {
    config.clear();
    restoreDefaultAssignments(config);
    restoreDefaultTexts(texts, ui);
  }
  KeyEntry entry(int mode, int button) const {
    return encodeEntry(config.mode[mode], button, config.dpiAction[mode][static_cast<std::size_t>(button)]);
  }
  const std::string& text(int mode, int button) const {
    return texts.text[static_cast<std::size_t>(mode)][static_cast<std::size_t>(button)];
  }
};

struct DialogCase {
  const char* what;
  DialogResult result;
  KeyEntry entry;
  const char* text;
  std::uint8_t function;
};

// The widget-driven controller tests cover the everyday results; these are
// the corner cases of the stored fields and texts.
const DialogCase kDialogCases[] = {
    {"single backslash", SingleKeyResult{"\\"}, {0x00, 0x00, 0x00, 0x00}, "Single Key-\\", kSingleKey},
    {"combo full",
     ComboKeyResult{"Left Ctrl", "A", "B"},
     {0x00, 0x01, 0x04, 0x05},
     "Combo Key-Left Ctrl+A+B",
     kComboKey},
    {"combo lone second key",
     ComboKeyResult{"", "", "B"},
     {0x00, 0x00, 0x00, 0x05},
     "Combo Key-B",
     kComboKey},
    {"combo unknown key left out",
     ComboKeyResult{"Shift", "\\", "Num 7"},
     {0x00, 0x00, 0x00, 0x5F},
     "Combo Key-Num 7",
     kComboKey},
    {"fire L-Button",
     FireKeyResult{54, "L-Button", 10, 0},
     {0x0A, 0xF0, 0x0A, 0x00},
     "Fire Key-L-Button",
     kFireKey},
    {"media first row", MediaResult{0, "Next"}, {0x03, 0x00, 0xB5, 0x00}, "Multimedia-Next", kMultimedia},
    {"windows Favorites",
     WindowsResult{10, "Browser-My Favorites"},
     {0x03, 0x00, 0x2A, 0x02},
     "Browser-My Favorites",
     kWindows},
    {"macro third, option 3",
     MacroKeyResult{2, "third", 3},
     {0x09, 0x02, 0x03, 0x00},
     "Macro Key-third",
     kMacroKey},
    {"macro without option", MacroKeyResult{0, "m", 0}, {0x09, 0x00, 0x01, 0x00}, "Macro Key-m", kMacroKey},
};

TEST(FunctionChoice, DialogResultsStoreEntryAndTextInTheEditedModeOnly) {
  for (int mode : {kModeA, kModeB}) {
    for (const DialogCase& c : kDialogCases) {
      SCOPED_TRACE(std::string(c.what) + (mode ? " / Mode B" : " / Mode A"));
      Sane s;
      s.config.editedMode = static_cast<std::uint8_t>(mode);
      const Sane before;
      applyDialogChoice(s.config, s.texts, 3, c.result, s.ui);
      EXPECT_EQ(s.config.mode[mode].function[3], c.function);
      EXPECT_EQ(s.entry(mode, 3), c.entry);
      EXPECT_EQ(s.text(mode, 3), c.text);
      const int other = 1 - mode;
      EXPECT_EQ(s.entry(other, 3), before.entry(other, 3));
      EXPECT_EQ(s.text(other, 3), before.text(other, 3));
      EXPECT_EQ(s.entry(mode, 2), before.entry(mode, 2));
    }
  }
}

TEST(FunctionChoice, ChineseFunctionNamesPrefixTheDetail) {
  Sane s;
  const UiTexts chs(Language::SimplifiedChinese);
  applyDialogChoice(s.config, s.texts, 0, MediaResult{4, "静音"}, chs);
  EXPECT_EQ(s.text(kModeA, 0), chs.functionName(kMultimedia) + "-静音");
  applyDialogChoice(s.config, s.texts, 1, WindowsResult{0, "打开多媒体播放器"}, chs);
  EXPECT_EQ(s.text(kModeA, 1), "打开多媒体播放器");
}

TEST(FunctionChoice, ImmediateChoicesShowTheListText) {
  for (int index : {0, 1, 2, 3, 4, 5, 7, 15}) {
    SCOPED_TRACE(index);
    Sane s;
    s.config.editedMode = kModeB;
    EXPECT_EQ(applyImmediateChoice(s.config, s.texts, 1, index, s.ui), ChoiceEffect::Changed);
    EXPECT_EQ(s.config.mode[kModeB].function[1], index);
    EXPECT_EQ(s.config.mode[kModeA].function[1], kRightClick);
    EXPECT_EQ(s.text(kModeB, 1), s.ui.functionName(index));
  }
}

TEST(FunctionChoice, NoSelectionDpiSwitchAndDialogIndicesLeaveEverythingAndKeepTheListOpen) {
  for (int index : {kNoSelection, 6, 8, 11, 13}) {
    SCOPED_TRACE(index);
    Sane s;
    EXPECT_EQ(applyImmediateChoice(s.config, s.texts, 0, index, s.ui), ChoiceEffect::KeepListOpen);
    EXPECT_TRUE(s.config == Sane().config);
    EXPECT_TRUE(s.texts == Sane().texts);
  }
}

TEST(FunctionChoice, BadIndicesAndButtonsChangeNothing) {
  struct Case {
    int button, index;
  };
  for (const Case c : {Case{0, 16}, Case{0, -2}, Case{12, 1}, Case{-1, 1}}) {
    Sane s;
    EXPECT_EQ(applyImmediateChoice(s.config, s.texts, c.button, c.index, s.ui), ChoiceEffect::CloseList);
    EXPECT_TRUE(s.config == Sane().config);
  }
}

struct ShiftCase {
  const char* what;
  int edited;
  int holderMode;  // -1: nobody holds Shift
  int holderButton;
  bool allowed;
};

const ShiftCase kShiftCases[] = {
    {"nobody holds it", kModeA, -1, 0, true},
    {"button 3 holds it in the edited mode", kModeA, kModeA, 2, false},
    {"button 8 holds it in Mode B", kModeB, kModeB, 7, false},
    {"the other mode holds it", kModeA, kModeB, 2, true},
    {"hidden button 9 holds it", kModeA, kModeA, 8, true},
    {"the chosen button itself holds it", kModeB, kModeB, 4, false},
};

TEST(FunctionChoice, ShiftIsSetInBothModesUnlessAButtonOfTheEditedModeHasIt) {
  for (const ShiftCase& c : kShiftCases) {
    SCOPED_TRACE(c.what);
    Sane s;
    s.config.editedMode = static_cast<std::uint8_t>(c.edited);
    if (c.holderMode >= 0)
      s.config.mode[c.holderMode].function[static_cast<std::size_t>(c.holderButton)] = kShift;
    const MouseConfig before = s.config;
    const ButtonTexts textsBefore = s.texts;
    const ChoiceEffect e = applyImmediateChoice(s.config, s.texts, 4, kShift, s.ui);
    if (c.allowed) {
      EXPECT_EQ(e, ChoiceEffect::Changed);
      for (int m : {kModeA, kModeB}) {
        EXPECT_EQ(s.config.mode[m].function[4], kShift);
        EXPECT_EQ(s.entry(m, 4), (KeyEntry{0x08, 0x00, 0x02, 0x00}));
        EXPECT_EQ(s.text(m, 4), "Shift");
      }
    } else {
      EXPECT_EQ(e, ChoiceEffect::CloseList);
      EXPECT_TRUE(s.config == before);
      EXPECT_TRUE(s.texts == textsBefore);
    }
  }
}

TEST(FunctionChoice, ReplacingShiftReplacesItInBothModesAndCopiesTheText) {
  for (int edited : {kModeA, kModeB}) {
    SCOPED_TRACE(edited);
    Sane s;
    s.config.editedMode = static_cast<std::uint8_t>(edited);
    ASSERT_EQ(applyImmediateChoice(s.config, s.texts, 5, kShift, s.ui), ChoiceEffect::Changed);
    const int other = 1 - edited;
    s.config.mode[other].singleKey[5] = 0x07;  // the other mode's parameter stays
    ASSERT_EQ(applyImmediateChoice(s.config, s.texts, 5, kRightClick, s.ui), ChoiceEffect::Changed);
    for (int m : {kModeA, kModeB}) {
      EXPECT_EQ(s.config.mode[m].function[5], kRightClick);
      EXPECT_EQ(s.text(m, 5), "Right Click");
    }
    // Shift again, then a dialog function: parameters only in the edited mode.
    ASSERT_EQ(applyImmediateChoice(s.config, s.texts, 5, kShift, s.ui), ChoiceEffect::Changed);
    applyDialogChoice(s.config, s.texts, 5, SingleKeyResult{"A"}, s.ui);
    EXPECT_EQ(s.config.mode[edited].function[5], kSingleKey);
    EXPECT_EQ(s.config.mode[other].function[5], kSingleKey);
    EXPECT_EQ(s.config.mode[edited].singleKey[5], 0x04);
    EXPECT_EQ(s.config.mode[other].singleKey[5], 0x07);
    EXPECT_EQ(s.text(other, 5), "Single Key-A");
  }
}

TEST(FunctionChoice, DpiSubListSetsActionAndTextInTheEditedModeOnly) {
  const char* texts[] = {"DPI +", "DPI -", "DPI Loop"};
  for (int row = 0; row < 3; ++row) {
    SCOPED_TRACE(row);
    Sane s;
    s.config.editedMode = kModeB;
    // Even a Shift button changes in the edited mode only here.
    ASSERT_EQ(applyImmediateChoice(s.config, s.texts, 2, kShift, s.ui), ChoiceEffect::Changed);
    ASSERT_TRUE(applyDpiSubListChoice(s.config, s.texts, 2, row));
    EXPECT_EQ(s.entry(kModeB, 2), (KeyEntry{0x07, 0x00, static_cast<std::uint8_t>(row + 1), 0x00}));
    EXPECT_EQ(s.text(kModeB, 2), texts[row]);
    EXPECT_EQ(s.config.mode[kModeA].function[2], kShift);
    EXPECT_EQ(s.text(kModeA, 2), "Shift");
  }
  Sane s;
  EXPECT_FALSE(applyDpiSubListChoice(s.config, s.texts, 2, 3));
  EXPECT_FALSE(applyDpiSubListChoice(s.config, s.texts, 2, -1));
  EXPECT_TRUE(s.config == Sane().config);
}

struct GuardCase {
  const char* what;
  int leftButtons[12];  // 1 = that button holds "Left Click" in the edited mode
  int button;
  bool opens;
};

const GuardCase kGuardCases[] = {
    {"the only left button", {1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 0, false},
    {"another button beside the only left button", {1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 1, true},
    {"two left buttons", {1, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 0, true},
    {"hidden button 12 is a left button too", {1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}, 0, true},
    {"hidden button 10 is the only left button", {0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0}, 9, false},
    {"all left (an all-zero record)", {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1}, 0, true},
    {"no left button at all", {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 3, true},
};

TEST(FunctionChoice, LeftButtonGuardCountsAllTwelveButtonsOfTheEditedMode) {
  for (int edited : {kModeA, kModeB}) {
    for (const GuardCase& c : kGuardCases) {
      SCOPED_TRACE(std::string(c.what) + (edited ? " / Mode B" : " / Mode A"));
      Sane s;
      s.config.editedMode = static_cast<std::uint8_t>(edited);
      for (std::size_t b = 0; b < kButtonSlots; ++b) {
        s.config.mode[edited].function[b] = c.leftButtons[b] ? kLeftClick : kKeyOff;
        s.config.mode[1 - edited].function[b] = kLeftClick;  // the other mode does not count
      }
      EXPECT_EQ(mayOpenFunctionList(s.config, c.button), c.opens);
    }
  }
}

}  // namespace
}  // namespace hm
