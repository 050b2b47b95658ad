// SPDX-License-Identifier: GPL-3.0-or-later
// Key capture of the single-key and combo-key dialogs, driven by key events
// carrying native scan codes as X11 delivers them, and the Qt-key names used
// when no scan code comes.
#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>

#include "core/buttons/key_tables.h"
#include "dialog_test_support.h"
#include "gui/dialogs/combo_dialog.h"
#include "gui/dialogs/dialog_drop_down.h"
#include "gui/dialogs/dialog_layout.h"
#include "gui/dialogs/key_capture.h"
#include "gui/dialogs/single_dialog.h"

namespace hm {
namespace {

struct KeyCase {
  const char* what;
  int qtKey;
  std::uint32_t evdev;  // 0: no scan code
  Qt::KeyboardModifiers mods;
  const char* name;
};

const KeyCase kKeys[] = {
    {"A", Qt::Key_A, 30, Qt::NoModifier, "A"},
    {"Right Ctrl", Qt::Key_Control, 97, Qt::ControlModifier, "Right Ctrl"},
    {"left Ctrl", Qt::Key_Control, 29, Qt::ControlModifier, "Ctrl"},
    {"Enter", Qt::Key_Return, 28, Qt::NoModifier, "Enter"},
    {"Esc", Qt::Key_Escape, 1, Qt::NoModifier, "Esc"},
    {"keypad Enter", Qt::Key_Enter, 96, Qt::KeypadModifier, "Num Enter"},
    {"backslash", Qt::Key_Backslash, 43, Qt::NoModifier, "\\"},
    {"shifted 1", Qt::Key_Exclam, 2, Qt::ShiftModifier, "1"},
    {"Print", Qt::Key_Print, 99, Qt::NoModifier, "Prnt Scrn"},
    {"no scan code: Z", Qt::Key_Z, 0, Qt::NoModifier, "Z"},
    {"no scan code: keypad 7", Qt::Key_7, 0, Qt::KeypadModifier, "Num 7"},
    {"no scan code: keypad Home (Num Lock off)", Qt::Key_Home, 0, Qt::KeypadModifier, "Num 7"},
    {"no scan code: shifted slash", Qt::Key_Question, 0, Qt::ShiftModifier, "/"},
    {"no scan code: F24", Qt::Key_F24, 0, Qt::NoModifier, "F24"},
    {"unknown scan code falls back to the Qt key", Qt::Key_B, 250, Qt::NoModifier, "B"},
};

class SingleKey : public ::testing::Test {
 protected:
  test::TestSkin skin;
  test::RecordingSink sink;
  DialogEnv env{skin.library, sink, Language::English, QColor(0, 255, 0)};
};

TEST_F(SingleKey, ShowsTheNameOfTheLastKeyEventAndNeverEnds) {
  for (const KeyCase& k : kKeys) {
    SCOPED_TRACE(k.what);
    CSingleDialog d(env);
    d.show();
    ASSERT_TRUE(d.capturing());
    test::sendKey(&d, QEvent::KeyPress, k.qtKey, k.evdev, k.mods);
    EXPECT_EQ(d.keyName(), k.name);
    auto* label = qobject_cast<QLabel*>(d.control(dlg::kSingleKeyNameId));
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->text().toStdString(), k.name);
    test::sendKey(&d, QEvent::KeyRelease, k.qtKey, k.evdev, k.mods);
    EXPECT_EQ(d.keyName(), k.name);
    EXPECT_TRUE(d.isVisible());
  }
}

TEST_F(SingleKey, ReleaseOfAnotherKeyIsTheLastEvent) {
  CSingleDialog d(env);
  d.show();
  test::sendKey(&d, QEvent::KeyPress, Qt::Key_A, 30);
  test::sendKey(&d, QEvent::KeyRelease, Qt::Key_Shift, 42);
  EXPECT_EQ(d.keyName(), "Shift");
}

TEST_F(SingleKey, NoKeyGivesAnEmptyNameAndCaptureEndsWithTheDialog) {
  CSingleDialog d(env);
  d.show();
  EXPECT_EQ(d.keyName(), "");
  d.accept();
  EXPECT_FALSE(d.capturing());
  test::tapKey(&d, Qt::Key_A, 30);
  EXPECT_EQ(d.keyName(), "");
}

// Counts the key events that get past the application-wide capture filter
// to the dialog itself.
class KeyProbe : public QObject {
 public:
  int presses = 0, releases = 0;
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::KeyPress) ++presses;
    if (e->type() == QEvent::KeyRelease) ++releases;
    return false;
  }
};

TEST_F(SingleKey, WindowsKeysAreNamedAndSwallowedEnterAndEscPressesToo) {
  struct Case {
    const char* what;
    int qtKey;
    std::uint32_t evdev;
    const char* name;
    int presses, releases;  // how many reach the dialog
  };
  const Case cases[] = {
      {"left Windows", Qt::Key_Super_L, 125, "Left Windows", 0, 0},
      {"right Windows", Qt::Key_Super_R, 126, "Right Windows", 0, 0},
      {"Enter", Qt::Key_Return, 28, "Enter", 0, 1},
      {"Esc", Qt::Key_Escape, 1, "Esc", 0, 1},
      {"A", Qt::Key_A, 30, "A", 1, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    CSingleDialog d(env);
    d.show();
    KeyProbe probe;
    d.installEventFilter(&probe);
    test::tapKey(&d, c.qtKey, c.evdev);
    EXPECT_EQ(d.keyName(), c.name);
    EXPECT_EQ(probe.presses, c.presses);
    EXPECT_EQ(probe.releases, c.releases);
    d.removeEventFilter(&probe);
  }
}

// A window of its own over the dialog (a message box it raised) keeps its
// keys: Enter and Esc reach it and are not captured.
TEST_F(SingleKey, KeysOfAnotherWindowAreNeitherNamedNorSwallowed) {
  CSingleDialog d(env);
  d.show();
  QWidget box(&d, Qt::Dialog);
  box.show();
  KeyProbe probe;
  box.installEventFilter(&probe);
  test::tapKey(&box, Qt::Key_Return, 28);
  test::tapKey(&box, Qt::Key_Escape, 1);
  EXPECT_EQ(probe.presses, 2);
  EXPECT_EQ(probe.releases, 2);
  EXPECT_EQ(d.keyName(), "");
  test::tapKey(&d, Qt::Key_A, 30);  // the dialog itself still captures
  EXPECT_EQ(d.keyName(), "A");
}

TEST(KeyCapture, AnEventPropagatingToParentsIsNamedOnce) {
  test::app();
  QWidget window;
  auto* child = new QWidget(&window);  // ignores keys, so they travel to the window
  std::vector<std::string> names;
  KeyCaptureFilter capture(
      &window, [&](const std::string& n, const QKeyEvent&) { names.push_back(n); },
      [](const QKeyEvent&) { return false; });
  test::tapKey(child, Qt::Key_A, 30);
  test::tapKey(child, Qt::Key_A, 30);  // the same key again is a new event
  test::sendKey(child, QEvent::KeyPress, Qt::Key_B, 48);
  EXPECT_EQ(names, (std::vector<std::string>{"A", "A", "A", "A", "B"}));
}

class ComboKey : public SingleKey {};

TEST_F(ComboKey, KeysGoToTheBoxWithTheFocusLastEventWins) {
  CComboDialog d(env);
  d.show();
  test::clickAt(&d, dlg::kComboKey1.center());
  ASSERT_EQ(d.focusWidget(), d.key1Box());
  test::tapKey(d.key1Box(), Qt::Key_Control, 29, Qt::ControlModifier);
  test::tapKey(d.key1Box(), Qt::Key_A, 30);
  EXPECT_EQ(d.key1Name(), "A");
  EXPECT_EQ(d.key1Box()->text(), "A");
  EXPECT_EQ(d.key2Name(), "");

  test::clickAt(&d, dlg::kComboKey2.center());
  test::tapKey(d.key2Box(), Qt::Key_Escape, 1);
  EXPECT_EQ(d.key2Name(), "Esc");
  EXPECT_EQ(d.key2Box()->text(), "Esc");
  EXPECT_TRUE(d.isVisible());
  test::tapKey(d.key2Box(), Qt::Key_Return, 28);
  EXPECT_EQ(d.key2Name(), "Enter");
  EXPECT_TRUE(d.isVisible());
  EXPECT_EQ(d.key1Name(), "A");
}

TEST_F(ComboKey, KeysWithoutAFocusedKeyBoxChangeNothing) {
  CComboDialog d(env);
  d.show();
  d.setFocus();
  test::tapKey(&d, Qt::Key_B, 48);
  EXPECT_EQ(d.key1Name(), "");
  EXPECT_EQ(d.key2Name(), "");
  EXPECT_EQ(d.key1Box()->text(), "");
}

TEST_F(ComboKey, ModifierListTogglesDisablesTheKeyBoxesAndTakesAChoice) {
  CComboDialog d(env);
  d.show();
  test::clickAt(&d, dlg::kComboKey1.center());
  DialogDropDown* list = d.modifierList();
  test::clickAt(&d, dlg::kComboModifierBox.topLeft() + QPoint(70, 3));  // beyond the display
  ASSERT_TRUE(list->isOpen());
  EXPECT_EQ(list->list()->geometry(), dlg::kComboModifierList);
  EXPECT_EQ(list->list()->count(), 8);
  EXPECT_FALSE(d.key1Box()->isEnabled());
  EXPECT_FALSE(d.key2Box()->isEnabled());
  EXPECT_EQ(d.focusWidget(), &d);
  test::tapKey(&d, Qt::Key_C, 46);  // no key box has the focus now
  EXPECT_EQ(d.key1Name(), "");

  list->list()->setCurrentRow(7);
  EXPECT_FALSE(list->isOpen());
  EXPECT_EQ(d.modifierName(), "Right Win");
  EXPECT_EQ(d.modifierRow(), 7);
  EXPECT_EQ(modifierBitFromName(d.modifierName()), 0x80);
  EXPECT_EQ(qobject_cast<QLabel*>(d.control(dlg::kComboModifierDisplayId))->text(), "Right Win");
  EXPECT_TRUE(d.key1Box()->isEnabled());

  // Toggle closed by the box, and closed by a click elsewhere.
  test::clickAt(&d, dlg::kComboModifierDisplay.center());
  ASSERT_TRUE(list->isOpen());
  test::clickAt(&d, dlg::kComboModifierDisplay.center());
  EXPECT_FALSE(list->isOpen());
  EXPECT_TRUE(d.key2Box()->isEnabled());
  test::clickAt(&d, dlg::kComboModifierDisplay.center());
  ASSERT_TRUE(list->isOpen());
  test::clickAt(&d, {300, 150});
  EXPECT_FALSE(list->isOpen());
  EXPECT_TRUE(d.key1Box()->isEnabled());
  EXPECT_EQ(d.modifierName(), "Right Win");
}

TEST_F(ComboKey, HotTrackingSelectsWithoutChoosing) {
  CComboDialog d(env);
  d.show();
  test::clickAt(&d, dlg::kComboModifierBox.center());
  QListWidget* list = d.modifierList()->list();
  ASSERT_NE(list, nullptr);
  const QRect row2 = list->visualItemRect(list->item(2));
  test::moveTo(list->viewport(), row2.center());
  EXPECT_EQ(list->currentRow(), 2);
  EXPECT_TRUE(d.modifierList()->isOpen());
  EXPECT_EQ(d.modifierName(), "");
  // Clicking the tracked row chooses it.
  QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, row2.center());
  EXPECT_FALSE(d.modifierList()->isOpen());
  EXPECT_EQ(d.modifierName(), "Left Alt");
}

}  // namespace
}  // namespace hm
