// SPDX-License-Identifier: GPL-3.0-or-later
// The function-list controller end to end below the Basic page: a choice
// runs the real dialog (driven through its widgets by a scripted runner),
// the result lands in the edited mode and the key-matrix entry, a cancelled
// dialog changes nothing, the DPI sub-list and the left-button guard.
#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <fstream>

#include "core/buttons/button_codes.h"
#include "dialog_test_support.h"
#include "gui/dialogs/choice_dialogs.h"
#include "gui/dialogs/combo_dialog.h"
#include "gui/dialogs/dialog_drop_down.h"
#include "gui/dialogs/dialog_layout.h"
#include "gui/dialogs/fire_key_dialog.h"
#include "gui/dialogs/function_list_controller.h"
#include "gui/dialogs/macro_dialog.h"
#include "gui/dialogs/single_dialog.h"

namespace hm {
namespace {

class Controller : public ::testing::Test {
 protected:
  void SetUp() override {
    config.clear();
    restoreDefaultAssignments(config);
    restoreDefaultTexts(texts, ui);
    std::ofstream(recordIni) << "[first]\nItemCount=0\n[second]\nItemCount=0\n[third]\nItemCount=0\n";
  }
  KeyEntry entry(int mode, int button) const {
    return encodeEntry(config.mode[mode], button, config.dpiAction[mode][static_cast<std::size_t>(button)]);
  }
  const std::string& text(int mode, int button) const {
    return texts.text[static_cast<std::size_t>(mode)][static_cast<std::size_t>(button)];
  }

  test::TestSkin skin;
  test::RecordingSink sink;
  test::ScriptedRunner runner;
  QTemporaryDir dir;
  std::string recordIni = (dir.path() + "/record.ini").toStdString();
  MouseConfig config{};
  ButtonTexts texts;
  UiTexts ui{Language::English};
  FunctionChoiceContext ctx{config, texts, ui, Language::English, recordIni, skin.library, sink, runner};
  FunctionListController controller{ctx};
};

TEST_F(Controller, SingleKeyForButton4PressAOk) {
  runner.setScript([](QDialog& d) {
    test::tapKey(&d, Qt::Key_A, 30);
    test::clickAt(&d, dlg::kOkRect.center());
  });
  EXPECT_TRUE(controller.onFunctionListChoice(3, kSingleKey));
  EXPECT_EQ(runner.runs, 1);
  EXPECT_EQ(config.mode[kModeA].function[3], kSingleKey);
  EXPECT_EQ(entry(kModeA, 3), (KeyEntry{0x00, 0x00, 0x04, 0x00}));
  EXPECT_EQ(text(kModeA, 3), "Single Key-A");
  EXPECT_EQ(buildKeyMatrices(config)[0][4 * 4 + 2], 0x04);  // button 4 sits in slot 4
}

struct Scripted {
  const char* what;
  int index;
  test::ScriptedRunner::Script script;
  KeyEntry entry;
  const char* text;
};

std::vector<Scripted> scriptedCases() {
  auto clickOk = [](QDialog& d) { test::clickAt(&d, dlg::kOkRect.center()); };
  return {
      {"single Right Ctrl",
       kSingleKey,
       [=](QDialog& d) {
         test::tapKey(&d, Qt::Key_Control, 97, Qt::ControlModifier);
         clickOk(d);
       },
       {0x00, 0x00, 0xE4, 0x00},
       "Single Key-Right Ctrl"},
      {"single nothing", kSingleKey, clickOk, {0x00, 0x00, 0x00, 0x00}, "Single Key-"},
      {"combo Left Ctrl then A in the first box",
       kComboKey,
       [=](QDialog& d) {
         auto& c = dynamic_cast<CComboDialog&>(d);
         test::clickAt(&c, dlg::kComboKey1.center());
         test::tapKey(c.key1Box(), Qt::Key_Control, 29, Qt::ControlModifier);
         test::tapKey(c.key1Box(), Qt::Key_A, 30);
         clickOk(d);
       },
       {0x00, 0x00, 0x04, 0x00},
       "Combo Key-A"},
      {"combo Right Win and a lone second key",
       kComboKey,
       [=](QDialog& d) {
         auto& c = dynamic_cast<CComboDialog&>(d);
         test::clickAt(&c, dlg::kComboModifierBox.center());
         c.modifierList()->list()->setCurrentRow(7);
         test::clickAt(&c, dlg::kComboKey2.center());
         test::tapKey(c.key2Box(), Qt::Key_B, 48);
         clickOk(d);
       },
       {0x00, 0x80, 0x00, 0x05},
       "Combo Key-Right Win+B"},
      {"combo nothing", kComboKey, clickOk, {0x00, 0x00, 0x00, 0x00}, "Combo Key-"},
      {"fire defaults", kFireKey, clickOk, {0x0A, 0x04, 0x20, 0x01}, "Fire Key-A"},
      {"fire L-Button speed 10 times 0",
       kFireKey,
       [=](QDialog& d) {
         auto& f = dynamic_cast<CFireKeyDialog&>(d);
         test::clickAt(&f, dlg::kFireBox.center());
         f.keyList()->list()->setCurrentRow(54);
         f.speedBox()->setText("10");
         f.timesBox()->setText("0");
         clickOk(d);  // the speed box is checked on OK too
       },
       {0x0A, 0xF0, 0x0A, 0x00},
       "Fire Key-L-Button"},
      {"fire speed 3, times 256",
       kFireKey,
       [=](QDialog& d) {
         auto& f = dynamic_cast<CFireKeyDialog&>(d);
         f.speedBox()->setText("3");
         f.timesBox()->setText("256");
         clickOk(d);
       },
       {0x0A, 0x04, 0x05, 0x01},
       "Fire Key-A"},
      {"multimedia Vol-",
       kMultimedia,
       [=](QDialog& d) {
         auto& m = dynamic_cast<CChoiceDialog&>(d);
         test::clickAt(&m, dlg::kChoiceBox.center());
         m.choiceList()->list()->setCurrentRow(6);
         clickOk(d);
       },
       {0x03, 0x00, 0xEA, 0x00},
       "Multimedia-Vol-"},
      {"Windows My Computer",
       kWindows,
       [=](QDialog& d) {
         auto& m = dynamic_cast<CChoiceDialog&>(d);
         test::clickAt(&m, dlg::kChoiceBox.center());
         m.choiceList()->list()->setCurrentRow(3);
         clickOk(d);
       },
       {0x03, 0x00, 0x94, 0x01},
       "My Computer"},
      {"Windows Browser-My Favorites",
       kWindows,
       [=](QDialog& d) {
         auto& m = dynamic_cast<CChoiceDialog&>(d);
         test::clickAt(&m, dlg::kChoiceBox.center());
         m.choiceList()->list()->setCurrentRow(10);
         clickOk(d);
       },
       {0x03, 0x00, 0x2A, 0x02},
       "Browser-My Favorites"},
      {"third macro, option 3",
       kMacroKey,
       [=](QDialog& d) {
         auto& m = dynamic_cast<CMacroDialog&>(d);
         test::clickAt(&m, dlg::kMacroBox.center());
         m.macroList()->list()->setCurrentRow(2);
         test::clickAt(&m, dlg::kRepeatTick[2].center());
         clickOk(d);
       },
       {0x09, 0x02, 0x03, 0x00},
       "Macro Key-third"},
      {"macro at once", kMacroKey, clickOk, {0x09, 0x00, 0x01, 0x00}, "Macro Key-"},
  };
}

TEST_F(Controller, DialogsStoreTheirResultsInTheEditedMode) {
  for (int mode : {kModeA, kModeB}) {
    for (const Scripted& c : scriptedCases()) {
      SCOPED_TRACE(std::string(c.what) + (mode ? " / Mode B" : " / Mode A"));
      SetUp();
      config.editedMode = static_cast<std::uint8_t>(mode);
      const KeyEntry otherBefore = entry(1 - mode, 1);
      runner.setScript(c.script);
      EXPECT_TRUE(controller.onFunctionListChoice(1, c.index));
      EXPECT_EQ(runner.lastResult, QDialog::Accepted);
      EXPECT_EQ(config.mode[mode].function[1], c.index);
      EXPECT_EQ(entry(mode, 1), c.entry);
      EXPECT_EQ(text(mode, 1), c.text);
      EXPECT_EQ(entry(1 - mode, 1), otherBefore);
    }
  }
}

TEST_F(Controller, CancelledDialogsChangeNothing) {
  const test::ScriptedRunner::Script cancels[] = {
      [](QDialog& d) { test::clickAt(&d, dlg::kCancelRect.center()); },
      [](QDialog& d) { test::clickAt(&d, dlg::kCloseRect.center()); },
  };
  for (int index = kWindows; index <= kMacroKey; ++index) {
    for (const auto& cancel : cancels) {
      SCOPED_TRACE(index);
      SetUp();
      config.editedMode = kModeB;
      // A Shift button would otherwise spread its change to both modes.
      ASSERT_TRUE(controller.onFunctionListChoice(2, kShift));
      const MouseConfig before = config;
      const ButtonTexts textsBefore = texts;
      runner.setScript([&](QDialog& d) {
        if (auto* single = dynamic_cast<CSingleDialog*>(&d)) test::tapKey(single, Qt::Key_A, 30);
        cancel(d);
      });
      EXPECT_TRUE(controller.onFunctionListChoice(2, index));  // the list closes all the same
      EXPECT_EQ(runner.lastResult, QDialog::Rejected);
      EXPECT_TRUE(config == before);
      EXPECT_TRUE(texts == textsBefore);
    }
  }
}

TEST_F(Controller, WindowsRowTextInSimplifiedChinese) {
  const UiTexts chs(Language::SimplifiedChinese);
  FunctionChoiceContext c{config,    texts,        chs,  Language::SimplifiedChinese,
                          recordIni, skin.library, sink, runner};
  FunctionListController chinese(c);
  runner.setScript([](QDialog& d) { test::clickAt(&d, dlg::kOkRect.center()); });
  EXPECT_TRUE(chinese.onFunctionListChoice(4, kWindows));
  EXPECT_EQ(text(kModeA, 4), "打开多媒体播放器");
  EXPECT_EQ(entry(kModeA, 4), (KeyEntry{0x03, 0x00, 0x83, 0x01}));
  EXPECT_TRUE(chinese.onFunctionListChoice(5, kMultimedia));
  EXPECT_EQ(text(kModeA, 5), chs.functionName(kMultimedia) + "-下一首");
}

TEST_F(Controller, ShiftInBothModesAndRefusedForASecondButton) {
  config.editedMode = kModeB;
  EXPECT_TRUE(controller.onFunctionListChoice(2, kShift));
  EXPECT_EQ(config.mode[kModeA].function[2], kShift);
  EXPECT_EQ(config.mode[kModeB].function[2], kShift);
  const MouseConfig before = config;
  EXPECT_TRUE(controller.onFunctionListChoice(4, kShift));  // closes the list, nothing else
  EXPECT_TRUE(config == before);
  EXPECT_EQ(runner.runs, 0);
  EXPECT_TRUE(controller.onFunctionListChoice(2, kRightClick));
  EXPECT_EQ(config.mode[kModeA].function[2], kRightClick);
  EXPECT_EQ(text(kModeA, 2), "Right Click");
}

TEST_F(Controller, NoSelectionAndDpiSwitchKeepTheListOpen) {
  const MouseConfig before = config;
  EXPECT_FALSE(controller.onFunctionListChoice(0, -1));
  EXPECT_FALSE(controller.onFunctionListChoice(0, kDpiSwitch));
  EXPECT_TRUE(config == before);
  EXPECT_EQ(runner.runs, 0);
}

TEST_F(Controller, DpiSubListBesideItem6WhileThePointerRestsOnIt) {
  QWidget window;
  window.resize(900, 650);
  window.show();
  QListWidget list(&window);
  list.setGeometry(252, 231, 211, 270);
  for (int i = 0; i < kFunctionCount; ++i) list.addItem(QString::fromStdString(ui.functionName(i)));
  list.show();

  const QRect item6 = list.visualItemRect(list.item(6));
  controller.trackFunctionList(&window, 1, list, item6.center());
  ASSERT_TRUE(controller.dpiSubListShown());
  QListWidget* sub = controller.dpiSubList();
  EXPECT_EQ(sub->parentWidget(), &window);
  // The list's corner plus the item's edges in the list's client area,
  // without the border in between.
  ASSERT_GT(list.viewport()->mapTo(&list, QPoint(0, 0)).x(), 0);
  const QPoint expected = QPoint(252, 231) + QPoint(item6.left() + item6.width(), item6.top());
  EXPECT_EQ(sub->geometry(), QRect(expected, QSize(60, 60)));
  ASSERT_EQ(sub->count(), 3);
  EXPECT_EQ(sub->item(0)->text(), "DPI +");
  EXPECT_EQ(sub->item(1)->text(), "DPI -");
  EXPECT_EQ(sub->item(2)->text(), "DPI Loop");

  controller.trackFunctionList(&window, 1, list, item6.center() + QPoint(3, 0));
  EXPECT_EQ(controller.dpiSubList(), sub);  // created once
  const QRect item5 = list.visualItemRect(list.item(5));
  controller.trackFunctionList(&window, 1, list, item5.center());
  EXPECT_FALSE(controller.dpiSubListShown());
}

TEST_F(Controller, DpiSubListChoiceStoresTheActionAndHandsTheButtonBack) {
  for (int row = 0; row < 3; ++row) {
    SCOPED_TRACE(row);
    SetUp();
    config.editedMode = kModeB;
    QWidget window;
    int handed = -1;
    controller.setAfterDpiChoice([&](int button) { handed = button; });
    controller.showDpiSubList(&window, 3, kDpiSwitch, {400, 300});
    ASSERT_TRUE(controller.dpiSubListShown());
    controller.dpiSubList()->setCurrentRow(row);
    EXPECT_EQ(handed, 3);
    EXPECT_FALSE(controller.dpiSubListShown());
    EXPECT_EQ(config.mode[kModeB].function[3], kDpiSwitch);
    EXPECT_EQ(entry(kModeB, 3), (KeyEntry{0x07, 0x00, static_cast<std::uint8_t>(row + 1), 0x00}));
    const char* const names[] = {"DPI +", "DPI -", "DPI Loop"};
    EXPECT_EQ(text(kModeB, 3), names[row]);
    EXPECT_EQ(config.mode[kModeA].function[3], kForward);
  }
}

TEST_F(Controller, LeftButtonGuardWarnsAndCountsTheHiddenButtons) {
  for (std::size_t b = 0; b < kButtonSlots; ++b) config.mode[kModeA].function[b] = kKeyOff;
  config.mode[kModeA].function[0] = kLeftClick;
  EXPECT_FALSE(controller.mayOpenFunctionList(0));
  ASSERT_EQ(sink.messages.size(), 1u);
  EXPECT_EQ(sink.messages[0], (test::Message{"Left key must be selected!", "Warning"}));
  EXPECT_TRUE(controller.mayOpenFunctionList(1));
  for (std::size_t hidden : {9u, 10u, 11u}) {
    config.mode[kModeA].function[hidden] = kLeftClick;
    EXPECT_TRUE(controller.mayOpenFunctionList(0)) << hidden;
    config.mode[kModeA].function[hidden] = kKeyOff;
  }
  config.editedMode = kModeB;  // Mode B still holds its Default assignments
  EXPECT_TRUE(controller.mayOpenFunctionList(0));
  EXPECT_EQ(sink.messages.size(), 1u);
}

}  // namespace
}  // namespace hm
