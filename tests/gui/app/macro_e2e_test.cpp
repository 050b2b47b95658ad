// SPDX-License-Identifier: GPL-3.0-or-later
// A whole user path through the main window and the simulated mouse: on the
// Advanced page New "Copy", record A, Confirm, loop times 3; on the Basic
// page assign "Copy" to button 4 with the macro key dialog; Apply. The mouse
// then holds macro image 1 = 00 03 05 04 80 04 ... and 09 00 01 00 in slot 4
// of key table 1, and a macro confirmed again keeps its number.
#include <gtest/gtest.h>

#include "core/buttons/button_codes.h"
#include "core/macros/macro_record.h"
#include "gui/app/frame.h"
#include "gui/dialogs/dialog_drop_down.h"
#include "gui/dialogs/dialog_layout.h"
#include "gui/dialogs/macro_dialog.h"
#include "macro_fixture.h"

namespace hm::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(MacroEndToEnd, RecordedMacroOnButton4ReachesTheMouse) {
  MacroShell m;
  ASSERT_TRUE(m.started);
  m.view().nameField()->setFocus();
  m.type(m.view().nameField(), QStringLiteral("Copy"));
  m.click(advanced::kNewButton);
  m.click(advanced::kStartRecording);
  m.key(down(Qt::Key_A, kEvA));
  m.key(up(Qt::Key_A, kEvA));
  m.key({QEvent::KeyPress, Qt::Key_Control, kEvCtrl});
  m.key({QEvent::KeyPress, Qt::Key_Pause, kEvPause, Qt::ControlModifier});
  m.click(advanced::kConfirmButton);
  m.view().loopField()->setFocus();
  m.type(m.view().loopField(), QStringLiteral("3"));
  EXPECT_EQ(profile::getString(m.shell.pathStd("record.ini"), "Copy", "ItemCount"), "3");

  m.shell.dlg->showBasicPage();
  auto* basic = dynamic_cast<BasicPage*>(m.shell.dlg->page(kBasicPage));
  ASSERT_NE(basic, nullptr);
  m.runner.script = [](QDialog& d) {
    auto* macro = dynamic_cast<CMacroDialog*>(&d);
    ASSERT_NE(macro, nullptr);
    QTest::mouseClick(&d, Qt::LeftButton, Qt::NoModifier, dlg::kMacroBox.center());
    ASSERT_TRUE(macro->macroList()->isOpen());
    ASSERT_EQ(rows(macro->macroList()->list()), std::vector<std::string>{"Copy"});
    MacroShell::clickRow(macro->macroList()->list(), 0);
    QTest::mouseClick(&d, Qt::LeftButton, Qt::NoModifier, dlg::kOkRect.center());
  };
  m.shell.click(centre(basic::keyBox(4)));
  ASSERT_TRUE(basic->keyList(4).isOpen());
  MacroShell::clickRow(basic->keyList(4).list(), kMacroKey);
  EXPECT_EQ(m.runner.runs, 1);
  EXPECT_EQ(m.shell.dlg->buttonTexts().text[kModeA][3], "Macro Key-Copy");

  m.shell.click(frame::kApply.center());
  const auto image = m.shell.mouse.macroImage(1);
  Bytes expected(kMacroImageSize, 0);
  const Bytes head{0x00, 0x03, 0x05, 0x04, 0x80, 0x04};
  std::copy(head.begin(), head.end(), expected.begin());
  EXPECT_EQ(Bytes(image.begin(), image.end()), expected);
  const auto table1 = m.shell.mouse.keyMatrix(1);
  EXPECT_EQ(Bytes(table1.begin() + 16, table1.begin() + 20),
            (Bytes{0x09, 0x00, 0x01, 0x00}));  // button 4: slot 4
}

// Button 4 plays macro 2; confirming macro 1 again must not make it play
// another macro or move the loop counts.
TEST(MacroEndToEnd, ConfirmingTheFirstOfThreeKeepsTheButtonsMacro) {
  MacroShell m(recordIni({"One", "Two", "Three"}, {"A   Dn", "50 ms", "A   Up"}).c_str());
  MacroEditorView& v = m.view();
  for (int row : {1, 2, 0}) {
    MacroShell::clickRow(v.macroList(), row);
    m.type(v.loopField(), QString::number(row + 5));
    m.click(advanced::kConfirmButton);
  }
  m.insertMouseEvent(2, 1);
  m.click(advanced::kConfirmButton);
  EXPECT_EQ(listMacros(m.shell.pathStd("record.ini")), (std::vector<std::string>{"One", "Two", "Three"}));
  const MouseConfig& c = m.shell.dlg->working();
  for (int slot = 0; slot < 3; ++slot) EXPECT_EQ(loopTimes(c, slot), slot + 5);
  EXPECT_EQ(c.macroImage[0][9], 0xF1) << "macro 1 holds the inserted click";
  EXPECT_EQ(c.macroImage[1][9], 0x00) << "macro 2 is still the plain one";

  m.shell.dlg->workingConfig().mode[kModeA].function[3] = kMacroKey;  // button 4
  m.shell.dlg->workingConfig().mode[kModeA].macroIndex[3] = 1;
  m.shell.click(frame::kApply.center());
  const auto image2 = m.shell.mouse.macroImage(2);
  EXPECT_EQ(Bytes(image2.begin(), image2.begin() + 7), (Bytes{0x00, 0x06, 0x05, 0x04, 0x80, 0x04, 0x00}));
  const auto table1 = m.shell.mouse.keyMatrix(1);
  EXPECT_EQ(table1[18], 0x02) << "button 4 (slot 4) plays macro 2";
}

}  // namespace
}  // namespace hm::test
