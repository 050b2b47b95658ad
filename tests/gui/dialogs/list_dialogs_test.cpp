// SPDX-License-Identifier: GPL-3.0-or-later
// The dialogs with lists and number boxes: fire key, delay time, multimedia,
// Windows function and macro key, driven through their real widgets.
#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <fstream>

#include "dialog_test_support.h"
#include "gui/dialogs/choice_dialogs.h"
#include "gui/dialogs/delay_time_dialog.h"
#include "gui/dialogs/dialog_drop_down.h"
#include "gui/dialogs/dialog_layout.h"
#include "gui/dialogs/fire_key_dialog.h"
#include "gui/dialogs/macro_dialog.h"

namespace hm {
namespace {

class ListDialogs : public ::testing::Test {
 protected:
  test::TestSkin skin;
  test::RecordingSink sink;
  DialogEnv env{skin.library, sink, Language::English, QColor(0, 255, 0)};

  // Types into a number box the way a user does, replacing its text.
  static void type(QLineEdit* box, const QString& text) {
    box->setFocus();
    box->selectAll();
    box->del();
    QTest::keyClicks(box, text);
  }
  static void leave(QWidget* dialog, QLineEdit* box) {
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(box, &out);
    dialog->setFocus();
  }
};

TEST_F(ListDialogs, FireKeySpeedIsCheckedOnFocusLossAndOnOk) {
  struct Case {
    const char* typed;
    bool leaveFirst;  // false: OK while the box still has the focus
    const char* shown;
    int speed;
  };
  const Case cases[] = {
      {"10", true, "10", 10},     {"3", true, "5", 5},
      {"300", true, "5", 5},      {"5", true, "5", 5},
      {"255", true, "255", 255},  {"256", true, "5", 5},
      {"", true, "5", 5},         {"99999999999999999999", true, "5", 5},
      {"200", false, "200", 200}, {"4", false, "5", 5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.typed) + (c.leaveFirst ? " then leave" : " then OK"));
    CFireKeyDialog d(env);
    d.show();
    type(d.speedBox(), QString::fromUtf8(c.typed));
    if (c.leaveFirst) {
      leave(&d, d.speedBox());
      EXPECT_EQ(d.speedBox()->text(), c.shown);
    }
    test::clickAt(&d, dlg::kOkRect.center());
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_EQ(d.speedBox()->text(), c.shown);
    EXPECT_EQ(d.speed(), c.speed);
  }
}

TEST_F(ListDialogs, FireKeyTimesAreCheckedOnEveryChange) {
  struct Case {
    const char* typed;
    const char* shown;
    int times;
  };
  const Case cases[] = {{"0", "0", 0}, {"255", "255", 255}, {"256", "1", 1}, {"", "", 0}, {"70", "70", 70}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    CFireKeyDialog d(env);
    d.show();
    type(d.timesBox(), QString::fromUtf8(c.typed));
    EXPECT_EQ(d.timesBox()->text(), c.shown);  // at once, without leaving the box
    EXPECT_EQ(d.times(), c.times);
  }
  CFireKeyDialog d(env);
  d.show();
  type(d.timesBox(), "x7");  // digits only
  EXPECT_EQ(d.timesBox()->text(), "7");
}

TEST_F(ListDialogs, FireKeyListChoiceWheelAndBoxes) {
  CFireKeyDialog d(env);
  d.show();
  DialogDropDown* keys = d.keyList();
  test::clickAt(&d, dlg::kFireBox.topLeft() + QPoint(75, 5));
  ASSERT_TRUE(keys->isOpen());
  QListWidget* list = keys->list();
  EXPECT_EQ(list->count(), 61);
  EXPECT_EQ(list->geometry(), dlg::kFireList);
  EXPECT_EQ(list->item(54)->text(), "L-Button");
  EXPECT_FALSE(d.speedBox()->isEnabled());
  EXPECT_FALSE(d.timesBox()->isEnabled());

  test::wheel(list->viewport(), -120);
  EXPECT_EQ(list->verticalScrollBar()->value(), 3);
  test::wheel(list->viewport(), -120);
  EXPECT_EQ(list->verticalScrollBar()->value(), 6);
  test::wheel(list->viewport(), 120);
  EXPECT_EQ(list->verticalScrollBar()->value(), 3);
  test::wheel(&d, -120);  // the wheel over the dialog itself scrolls the open list too
  EXPECT_EQ(list->verticalScrollBar()->value(), 6);
  for (QWidget* over : {static_cast<QWidget*>(list->viewport()), static_cast<QWidget*>(&d)}) {
    // A sideways turn has no vertical distance: the list stays where it is.
    const QPointF at(5, 5);
    QWheelEvent sideways(at, over->mapToGlobal(at), QPoint(), QPoint(120, 0), Qt::NoButton, Qt::NoModifier,
                         Qt::NoScrollPhase, false);
    QApplication::sendEvent(over, &sideways);
    EXPECT_EQ(list->verticalScrollBar()->value(), 6);
  }
  EXPECT_TRUE(keys->isOpen());

  list->setCurrentRow(54);
  EXPECT_FALSE(keys->isOpen());
  EXPECT_TRUE(d.speedBox()->isEnabled());
  EXPECT_EQ(qobject_cast<QLabel*>(d.control(dlg::kFireDisplayId))->text(), "L-Button");
  type(d.speedBox(), "10");
  leave(&d, d.speedBox());
  type(d.timesBox(), "0");
  test::clickAt(&d, dlg::kOkRect.center());
  EXPECT_EQ(d.fireRow(), 54);
  EXPECT_EQ(d.fireKeyText(), "L-Button");
  EXPECT_EQ(d.speed(), 10);
  EXPECT_EQ(d.times(), 0);

  // A press outside the box and the list (which covers the number boxes)
  // closes it and enables the boxes.
  CFireKeyDialog e(env);
  e.show();
  test::clickAt(&e, dlg::kFireBox.center());
  ASSERT_TRUE(e.keyList()->isOpen());
  test::clickAt(&e, {20, 150});
  EXPECT_FALSE(e.keyList()->isOpen());
  EXPECT_TRUE(e.timesBox()->isEnabled());
  EXPECT_EQ(e.fireKeyText(), "A");
}

TEST_F(ListDialogs, DelayTimeTakesTheTextUnchecked) {
  struct Case {
    const char* typed;
    long delay;
  };
  for (const Case c : {Case{"", 0}, Case{"120", 120}, Case{"20", 20}, Case{"50000", 50000}}) {
    SCOPED_TRACE(c.typed);
    CDelayTimeDialog d(env);
    d.show();
    QTest::keyClicks(d.delayBox(), QString::fromUtf8(c.typed));
    test::clickAt(&d, dlg::kOkRect.center());
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_EQ(d.delayText(), c.typed);
    EXPECT_EQ(d.delay(), c.delay);
  }
}

struct ChoiceCase {
  const char* what;
  bool windows;
  Language language;
  int row;  // -1: OK without choosing
  int expectRow;
  const char* text;
  int listRows;
  QRect listRect;
};

const ChoiceCase kChoices[] = {
    {"media Vol-", false, Language::English, 6, 6, "Vol-", 7, dlg::kMediaList},
    {"media Chinese Mute", false, Language::SimplifiedChinese, 4, 4, "静音", 7, dlg::kMediaList},
    {"windows at once", true, Language::English, -1, 0, "Multimedia Player", 11, dlg::kWindowsList},
    {"windows Simplified Chinese first row", true, Language::SimplifiedChinese, -1, 0, "打开多媒体播放器", 11,
     dlg::kWindowsList},
    {"windows Traditional Chinese Favorites", true, Language::TraditionalChinese, 10, 10, "瀏覽器-我的最愛",
     11, dlg::kWindowsList},
};

TEST_F(ListDialogs, MediaAndWindowsChoices) {
  for (const ChoiceCase& c : kChoices) {
    SCOPED_TRACE(c.what);
    const DialogEnv e{skin.library, sink, c.language, QColor(0, 255, 0)};
    std::unique_ptr<CChoiceDialog> d;
    if (c.windows) {
      d = std::make_unique<CWindowsDialog>(e);
    } else {
      d = std::make_unique<CMediaDialog>(e);
    }
    d->show();
    const int displayId = c.windows ? dlg::kWindowsDisplayId : dlg::kMediaDisplayId;
    auto* display = qobject_cast<QLabel*>(d->control(displayId));
    ASSERT_NE(display, nullptr);
    EXPECT_EQ(display->geometry(), dlg::kChoiceDisplay);
    if (c.row >= 0) {
      test::clickAt(d.get(), dlg::kChoiceBox.topLeft() + QPoint(100, 5));
      ASSERT_TRUE(d->choiceList()->isOpen());
      EXPECT_EQ(d->choiceList()->list()->count(), c.listRows);
      EXPECT_EQ(d->choiceList()->list()->geometry(), c.listRect);
      QListWidget* list = d->choiceList()->list();
      QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier,
                        list->visualItemRect(list->item(c.row)).center());
      EXPECT_FALSE(d->choiceList()->isOpen());
    }
    EXPECT_EQ(display->text().toStdString(), c.text);
    test::clickAt(d.get(), dlg::kOkRect.center());
    EXPECT_EQ(d->result(), QDialog::Accepted);
    EXPECT_EQ(d->choiceRow(), c.expectRow);
    EXPECT_EQ(d->choiceText(), c.text);
  }
}

TEST_F(ListDialogs, ChoiceListClosesOnAClickOutside) {
  CMediaDialog d(env);
  d.show();
  test::clickAt(&d, dlg::kChoiceBox.center());
  ASSERT_TRUE(d.choiceList()->isOpen());
  test::clickAt(&d, dlg::kChoiceBox.center());
  EXPECT_FALSE(d.choiceList()->isOpen());
  test::clickAt(&d, dlg::kChoiceBox.center());
  test::clickAt(&d, {300, 100});
  EXPECT_FALSE(d.choiceList()->isOpen());
  EXPECT_EQ(d.choiceText(), "Next");
}

class MacroDialog : public ListDialogs {
 protected:
  QTemporaryDir dir;
  std::string recordIni() const { return (dir.path() + "/record.ini").toStdString(); }
  void writeMacros(std::initializer_list<const char*> names) const {
    std::ofstream out(recordIni(), std::ios::trunc);
    for (const char* n : names) out << "[" << n << "]\nItemCount=0\n";
  }
  void openList(CMacroDialog& d) const { test::clickAt(&d, dlg::kMacroBox.center()); }
  static QColor tick(const CMacroDialog& d, int k) {
    return test::pixel(d.canvas(), dlg::kRepeatTick[k].center());
  }
};

TEST_F(MacroDialog, OkAtOnceGivesTheFirstRowNoNameAndOption1) {
  writeMacros({"one", "two"});
  CMacroDialog d(env, recordIni());
  d.show();
  EXPECT_EQ(tick(d, 0), test::kPaneOnColor);
  EXPECT_EQ(tick(d, 1), test::kPaneOffColor);
  test::clickAt(&d, dlg::kOkRect.center());
  EXPECT_EQ(d.macroRow(), 0);
  EXPECT_EQ(d.macroName(), "");
  EXPECT_EQ(d.repeatOption(), 1);
}

TEST_F(MacroDialog, ThirdMacroWithOption3AndTicksOneAtATime) {
  writeMacros({"one", "two", "three"});
  CMacroDialog d(env, recordIni());
  d.show();
  openList(d);
  ASSERT_TRUE(d.macroList()->isOpen());
  EXPECT_EQ(d.macroList()->list()->geometry(), dlg::kMacroList);
  ASSERT_EQ(d.macroList()->list()->count(), 3);
  d.macroList()->list()->setCurrentRow(2);
  EXPECT_FALSE(d.macroList()->isOpen());
  EXPECT_EQ(qobject_cast<QLabel*>(d.control(dlg::kMacroDisplayId))->text(), "three");

  struct Step {
    int clicked;  // tick box 0..2
    int option;
  };
  for (const Step s : {Step{2, 3}, Step{2, 3}, Step{1, 2}, Step{2, 3}}) {
    test::clickAt(&d, dlg::kRepeatTick[s.clicked].center());
    EXPECT_EQ(d.repeatOption(), s.option);
    for (int k = 0; k < 3; ++k)
      EXPECT_EQ(tick(d, k), k == s.option - 1 ? test::kPaneOnColor : test::kPaneOffColor) << "box " << k;
  }
  // The option texts are not tick boxes.
  test::clickAt(&d, dlg::kRepeatText[0].center());
  EXPECT_EQ(d.repeatOption(), 3);
  test::clickAt(&d, dlg::kOkRect.center());
  EXPECT_EQ(d.macroRow(), 2);
  EXPECT_EQ(d.macroName(), "three");
  EXPECT_EQ(d.repeatOption(), 3);
}

TEST_F(MacroDialog, ListIsReadAfreshAtEveryOpening) {
  writeMacros({"one"});
  CMacroDialog d(env, recordIni());
  d.show();
  openList(d);
  EXPECT_EQ(d.macroList()->list()->count(), 1);
  openList(d);  // closes
  writeMacros({"one", "added"});
  openList(d);
  ASSERT_EQ(d.macroList()->list()->count(), 2);
  EXPECT_EQ(d.macroList()->list()->item(1)->text(), "added");
}

TEST_F(MacroDialog, MissingRecordFileOpensAnEmptyList) {
  CMacroDialog d(env, recordIni());
  d.show();
  openList(d);
  ASSERT_TRUE(d.macroList()->isOpen());
  EXPECT_EQ(d.macroList()->list()->count(), 0);
  test::clickAt(&d, dlg::kOkRect.center());
  EXPECT_EQ(d.macroRow(), 0);
  EXPECT_EQ(d.macroName(), "");
}

TEST_F(MacroDialog, WithoutBackgroundTheOptionStays1) {
  writeMacros({"one"});
  skin.remove("macro-key.png");
  CMacroDialog d(env, recordIni());
  d.show();
  ASSERT_FALSE(d.backgroundLoaded());
  test::clickAt(&d, dlg::kOkRect.center());
  EXPECT_EQ(d.result(), QDialog::Accepted);
  EXPECT_EQ(d.repeatOption(), 1);
}

}  // namespace
}  // namespace hm
