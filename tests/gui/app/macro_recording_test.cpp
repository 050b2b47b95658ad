// SPDX-License-Identifier: GPL-3.0-or-later
// Macro recording in the real main window: "Start Recording" and "Stop
// Recording" clicked at their client coordinates, keys sent to the window's
// focused control as the window system sends them, and what the key press
// sequence list then shows.
#include <gtest/gtest.h>

#include "core/settings/ui_text.h"
#include "macro_fixture.h"
#include "support/param_name.h"

namespace hm::test {
namespace {

using Lines = std::vector<std::string>;

const char kTwoMacros[] = "[First]\nItemCount=1\nItem0=X   Dn\n[Second]\nItemCount=0\n";

const std::string& en(TextId id) {
  static const UiTexts texts(Language::English);
  return texts.get(id);
}

struct RecordCase {
  const char* name;
  std::vector<KeyInput> keys;
  Lines lines;
  bool recording;  // still recording afterwards
};

class RecordKeys : public ::testing::TestWithParam<RecordCase> {};

TEST_P(RecordKeys, SequenceListShowsTheLines) {
  MacroShell m(kTwoMacros);
  ASSERT_TRUE(m.started);
  m.view().nameField()->setFocus();
  const QString name = m.view().nameField()->text();
  m.click(advanced::kStartRecording);
  ASSERT_TRUE(m.view().editor().recording());
  EXPECT_TRUE(m.sequence().empty()) << "Start clears the list";
  EXPECT_EQ(m.shell.dlg->windowTitle().toStdString(), en(TextId::PressCtrlBreak));

  for (const KeyInput& k : GetParam().keys) m.key(k);
  EXPECT_EQ(m.sequence(), GetParam().lines);
  EXPECT_EQ(m.view().sequenceList()->currentRow(), static_cast<int>(GetParam().lines.size()) - 1)
      << "the last line is selected";
  EXPECT_EQ(m.view().editor().recording(), GetParam().recording);
  EXPECT_EQ(m.view().nameField()->text(), name) << "no key reached the field";
  EXPECT_TRUE(m.shell.dlg->isVisible()) << "Enter and Esc are recorded, not obeyed";
  EXPECT_EQ(m.shell.dlg->windowTitle().toStdString(), en(TextId::PressCtrlBreak)) << "the title stays";
  EXPECT_EQ(m.messages(), (std::vector<Message>{{en(TextId::StartRecording), ""}}));
}

INSTANTIATE_TEST_SUITE_P(
    Keys, RecordKeys,
    ::testing::Values(
        RecordCase{"AThenB",
                   {down(Qt::Key_A, kEvA), up(Qt::Key_A, kEvA), down(Qt::Key_B, kEvB), up(Qt::Key_B, kEvB)},
                   {"A   Dn", "50 ms", "A   Up", "50 ms", "B   Dn", "50 ms", "B   Up"},
                   true},
        RecordCase{"HeldKeyRecordsOnePress",
                   {down(Qt::Key_A, kEvA), up(Qt::Key_A, kEvA, true), down(Qt::Key_A, kEvA, true),
                    up(Qt::Key_A, kEvA, true), down(Qt::Key_A, kEvA, true), up(Qt::Key_A, kEvA)},
                   {"A   Dn", "50 ms", "A   Up"},
                   true},
        RecordCase{
            "ReleaseOfAKeyHeldBeforeTheStart", {up(Qt::Key_Shift, kEvShift)}, {"50 ms", "Shift   Up"}, true},
        RecordCase{
            "EnterAndEscAreRecorded",
            {down(Qt::Key_Return, kEvEnter), up(Qt::Key_Return, kEvEnter), down(Qt::Key_Escape, kEvEsc)},
            {"Enter   Dn", "50 ms", "Enter   Up", "50 ms", "Esc   Dn"},
            true},
        RecordCase{"CtrlBreakStopsAndLeavesNoCtrlLine",
                   {down(Qt::Key_A, kEvA),
                    up(Qt::Key_A, kEvA),
                    down(Qt::Key_Control, kEvCtrl),
                    {QEvent::KeyPress, Qt::Key_Pause, kEvPause, Qt::ControlModifier},
                    {QEvent::KeyRelease, Qt::Key_Pause, kEvPause, Qt::ControlModifier},
                    up(Qt::Key_Control, kEvCtrl),
                    down(Qt::Key_B, kEvB)},
                   {"A   Dn", "50 ms", "A   Up"},
                   false}),
    ParamName());

TEST(MacroRecording, StopWithoutStartShowsBothBoxes) {
  MacroShell m(kTwoMacros);
  const Message stop{en(TextId::StopRecording), ""};
  const Message notStarted{en(TextId::NotRecording), "Warning"};
  m.click(advanced::kStopRecording);
  m.click(advanced::kStartRecording);
  m.click(advanced::kStopRecording);
  m.click(advanced::kStopRecording);
  EXPECT_EQ(m.messages(), (std::vector<Message>{
                              stop, notStarted, {en(TextId::StartRecording), ""}, stop, stop, notStarted}));
  // Stopped: keys reach the fields again.
  m.view().loopField()->setFocus();
  m.type(m.view().loopField(), QStringLiteral("7"));
  EXPECT_EQ(m.view().loopField()->text(), "7");
}

TEST(MacroRecording, StartWithAnEmptyMacroListOnlyWarns) {
  MacroShell m;
  m.click(advanced::kStartRecording);
  EXPECT_EQ(m.messages(), (std::vector<Message>{{en(TextId::MacroNameBlank), "Warning"}}));
  EXPECT_FALSE(m.view().editor().recording());
  EXPECT_NE(m.shell.dlg->windowTitle().toStdString(), en(TextId::PressCtrlBreak));
  m.view().nameField()->setFocus();
  m.type(m.view().nameField(), QStringLiteral("Copy"));
  EXPECT_EQ(m.view().nameField()->text(), "Copy") << "keys reach the field";
}

TEST(MacroRecording, LeavingThePageEndsItSilentlyAndKeysOfOtherWindowsAreNotRecorded) {
  MacroShell m(kTwoMacros);
  m.click(advanced::kStartRecording);
  QWidget other;  // another window of the program
  QKeyEvent a(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, kEvA + kNativeScanCodeOffset, 0, 0);
  QApplication::sendEvent(&other, &a);
  EXPECT_TRUE(m.sequence().empty());

  m.shell.dlg->showBasicPage();
  EXPECT_FALSE(m.view().editor().recording());
  EXPECT_FALSE(m.view().built());
  EXPECT_EQ(m.messages().size(), 1u) << "no message when leaving";
  m.shell.key(Qt::Key_Escape);
  EXPECT_FALSE(m.shell.dlg->isVisible()) << "Esc hides the window again";
}

}  // namespace
}  // namespace hm::test
