// SPDX-License-Identifier: GPL-3.0-or-later
// A whole user path through the main window and the simulated mouse: open
// button 4's function list, pick "Single Key", press A in the dialog, OK,
// Apply. The mouse's table 1 then holds 00 00 04 00 in slot 4 and str.ini
// holds the box text.
#include <gtest/gtest.h>

#include <QListWidget>
#include <QMessageBox>
#include <QTimer>

#include "core/buttons/button_codes.h"
#include "core/settings/profile_file.h"
#include "fixtures.h"
#include "gui/app/basic_layout.h"
#include "gui/app/basic_page.h"
#include "gui/app/frame.h"
#include "gui/dialogs/dialog_layout.h"
#include "gui/dialogs/dialog_runner.h"
#include "gui/dialogs/single_dialog.h"
#include "platform/key_names.h"
#include "scripted_runner.h"

namespace hm::test {
namespace {

constexpr std::uint32_t kEvdevA = 30, kEvdevEnter = 28;

using UserRunner = ScriptedRunner;

QPoint centre(const basic::Box& b) { return {(b.left + b.right) / 2, (b.top + b.bottom) / 2}; }

void chooseRow(QListWidget* list, int row) {
  QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier,
                    list->visualItemRect(list->item(row)).center());
}

// The main window over the simulated mouse, shown on the Basic page, with
// dialogs run by a script instead of a modal loop.
class FunctionListEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(shell.start());
    shell.dlg->context().dialogRunner = &runner;
    shell.showWindow();
    shell.dlg->showBasicPage();
    page = dynamic_cast<BasicPage*>(shell.dlg->page(kBasicPage));
    ASSERT_NE(page, nullptr);
  }
  UserRunner runner;  // outlives the window that points at it
  Shell shell;
  BasicPage* page = nullptr;
};

TEST_F(FunctionListEndToEnd, SingleKeyForButton4ReachesTheMouseAndStrIni) {
  CHidMouseDlg* window = shell.dlg.get();
  runner.script = [window](QDialog& d) {
    ASSERT_NE(dynamic_cast<CSingleDialog*>(&d), nullptr);
    // Enter is captured by the dialog: it neither ends it nor hides the main window.
    for (QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
      QKeyEvent key(type, Qt::Key_Return, Qt::NoModifier, kEvdevEnter + kNativeScanCodeOffset, 0, 0, "\r");
      QApplication::sendEvent(&d, &key);
    }
    EXPECT_TRUE(d.isVisible());
    EXPECT_TRUE(window->isVisible());
    for (QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
      QKeyEvent key(type, Qt::Key_A, Qt::NoModifier, kEvdevA + kNativeScanCodeOffset, 0, 0, "a");
      QApplication::sendEvent(&d, &key);
    }
    QTest::mouseClick(&d, Qt::LeftButton, Qt::NoModifier, dlg::kOkRect.center());
  };

  shell.click(centre(basic::keyBox(4)));
  ASSERT_TRUE(page->keyList(4).isOpen());
  chooseRow(page->keyList(4).list(), kSingleKey);
  EXPECT_EQ(runner.runs, 1);
  EXPECT_FALSE(page->keyList(4).isOpen());
  EXPECT_EQ(shell.dlg->buttonTexts().text[kModeA][3], "Single Key-A");

  shell.mouse.clearLog();
  shell.click(frame::kApply.center());
  const auto table1 = shell.mouse.keyMatrix(1);
  EXPECT_EQ((KeyEntry{table1[16], table1[17], table1[18], table1[19]}), (KeyEntry{0x00, 0x00, 0x04, 0x00}));
  EXPECT_EQ(profile::getString(shell.pathStd("str.ini"), "Setting-EN", "Item4", ""), "Single Key-A");
}

TEST_F(FunctionListEndToEnd, CancelledDialogLeavesTheButtonAsItWas) {
  const MouseConfig before = shell.dlg->working();
  const ButtonTexts textsBefore = shell.dlg->buttonTexts();

  runner.script = [](QDialog& d) {
    QTest::mouseClick(&d, Qt::LeftButton, Qt::NoModifier, dlg::kCancelRect.center());
  };
  shell.click(centre(basic::keyBox(2)));
  ASSERT_TRUE(page->keyList(2).isOpen());
  chooseRow(page->keyList(2).list(), kMacroKey);
  EXPECT_EQ(runner.runs, 1);
  EXPECT_FALSE(page->keyList(2).isOpen());
  EXPECT_TRUE(shell.dlg->working() == before);
  EXPECT_TRUE(shell.dlg->buttonTexts() == textsBefore);
}

// Answers every message box that comes up the way a user does, with Enter,
// and notes its text, its owner and whether Enter closed it (a box Enter
// cannot close is closed here so that the test goes on).
class BoxAnswerer {
 public:
  struct Seen {
    QString text;
    QWidget* owner;
    bool closedByEnter;
  };
  BoxAnswerer() {
    timer_.setInterval(5);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      for (QWidget* w : QApplication::topLevelWidgets()) {
        auto* box = qobject_cast<QMessageBox*>(w);
        if (!box || !box->isVisible()) continue;
        QTest::keyClick(box, Qt::Key_Return);
        seen.push_back({box->text(), box->parentWidget(), !box->isVisible()});
        if (box->isVisible()) box->done(QMessageBox::Ok);
      }
    });
    timer_.start();
  }
  std::vector<Seen> seen;

 private:
  QTimer timer_;
};

// A skin without the dialogs' close image: the capturing dialogs say
// "LoadPng---Load image failed." in a box of their own, which Enter closes.
TEST(FunctionListMessages, ImageFailureBoxIsOwnedByTheDialogAndEnterClosesIt) {
  for (int function : {kSingleKey, kComboKey}) {
    SCOPED_TRACE(function);
    ShellOptions o;
    o.removeImages = std::vector<QString>{QStringLiteral("button-close-normal.png")};
    o.realMessageBoxes = true;
    UserRunner runner;
    Shell shell(o);
    ASSERT_TRUE(shell.start());
    shell.dlg->context().dialogRunner = &runner;
    shell.showWindow();
    auto* page = dynamic_cast<BasicPage*>(shell.dlg->page(kBasicPage));
    ASSERT_NE(page, nullptr);

    BoxAnswerer answerer;
    QDialog* dialog = nullptr;
    runner.script = [&](QDialog& d) {
      dialog = &d;
      QTest::mouseClick(&d, Qt::LeftButton, Qt::NoModifier, dlg::kOkRect.center());
    };
    shell.click(centre(basic::keyBox(4)));
    chooseRow(page->keyList(4).list(), function);
    ASSERT_EQ(runner.runs, 1);
    EXPECT_EQ(runner.lastResult, QDialog::Accepted);
    ASSERT_EQ(answerer.seen.size(), 1u);
    EXPECT_EQ(answerer.seen[0].text, QStringLiteral("LoadPng---Load image failed."));
    EXPECT_EQ(answerer.seen[0].owner, dialog);
    EXPECT_TRUE(answerer.seen[0].closedByEnter);
  }
}

}  // namespace
}  // namespace hm::test
