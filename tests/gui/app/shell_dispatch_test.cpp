// SPDX-License-Identifier: GPL-3.0-or-later
// The click dispatcher of the main window: the frame regions in their order
// (OK, Apply and the skins button independent, minimise and close ending the
// dispatch, Cancel going on), the right and bottom edge pixels outside, the
// page model, OK / Apply only while the mouse is open, Cancel with
// refresh-on-show, and dragging from empty spots.
#include <gtest/gtest.h>

#include <QLineEdit>

#include "core/wire/protocol.h"
#include "fixtures.h"
#include "support/param_name.h"

namespace hm::test {
namespace {

int appliedCount(const SimulatedMouse& mouse) {
  int n = 0;
  for (const FeatureReport& r : mouse.commands()) n += r.code() == proto::kCmdReportRate ? 1 : 0;
  return n;
}

ShellOptions recording(bool pluggedIn = true) {
  ShellOptions o;
  o.recordingPages = true;
  o.pluggedIn = pluggedIn;
  return o;
}

struct ClickCase {
  const char* name;
  QPoint at;
  bool pluggedIn;
  int applies;     // applyToMouse runs
  bool hidden;     // the window is hidden afterwards
  bool cancelled;  // refresh-on-show set
  bool pageAsked;  // the Basic page's regions were tested
  int page;        // CurrentPage afterwards
  bool exited;
  bool linkOpened;
  friend void PrintTo(const ClickCase& c, std::ostream* os) { *os << c.name; }
};

class ShellClick : public ::testing::TestWithParam<ClickCase> {};

TEST_P(ShellClick, FrameRegionsInTheirOrder) {
  const ClickCase& c = GetParam();
  Shell shell(recording(c.pluggedIn));
  ASSERT_TRUE(shell.start());
  if (!c.pluggedIn) shell.dlg->showBasicPage();  // the page is there in every case
  shell.showWindow();
  shell.mouse.clearLog();
  shell.basicPage->calls.clear();

  shell.click(c.at);

  EXPECT_EQ(appliedCount(shell.mouse), c.applies);
  EXPECT_EQ(!shell.dlg->isVisible(), c.hidden);
  EXPECT_EQ(shell.dlg->refreshOnShow(), c.cancelled);
  const std::string probe = RecordingPage::at("click", c.at);
  EXPECT_EQ(shell.basicPage->count(probe), c.pageAsked ? 1 : 0);
  if (c.pageAsked) {
    // Open lists are closed before the page's regions are tested (after
    // the repaint of a Cancel).
    const std::vector<std::string>& calls = shell.basicPage->calls;
    ASSERT_EQ(calls.size(), c.cancelled ? 4u : 2u);
    EXPECT_EQ(calls[calls.size() - 2], RecordingPage::at("closeLists", c.at));
  }
  EXPECT_EQ(shell.dlg->currentPage(), c.page);
  EXPECT_EQ(shell.exitCode, c.exited ? 0 : -1);
  EXPECT_EQ(shell.openedUrls.size(), c.linkOpened ? 1u : 0u);
}

// Columns: name, point, plugged in, applies, hidden, cancelled, page asked, page, exited, link.
INSTANTIATE_TEST_SUITE_P(
    Regions, ShellClick,
    ::testing::Values(
        ClickCase{"ok_top_left", {513, 609}, true, 1, true, false, true, 1, false, false},
        ClickCase{"ok_and_apply_share_x617", {617, 620}, true, 2, true, false, true, 1, false, false},
        ClickCase{"apply_only_at_ok_right_edge", {618, 620}, true, 1, false, false, true, 1, false, false},
        ClickCase{"below_ok_bottom_edge", {565, 630}, true, 0, false, false, true, 1, false, false},
        ClickCase{"apply_then_cancel_share_x721", {721, 620}, true, 1, true, true, true, 1, false, false},
        ClickCase{"cancel_goes_on_to_the_page", {800, 620}, true, 0, true, true, true, 1, false, false},
        ClickCase{"cancel_right_edge_outside", {826, 620}, true, 0, false, false, true, 1, false, false},
        ClickCase{"ok_without_mouse_does_nothing", {565, 620}, false, 0, false, false, true, 1, false, false},
        ClickCase{
            "apply_without_mouse_does_nothing", {650, 620}, false, 0, false, false, true, 1, false, false},
        ClickCase{"cancel_without_mouse", {800, 620}, false, 0, true, true, true, 1, false, false},
        ClickCase{"minimise", {825, 5}, true, 0, true, false, false, 1, false, false},
        ClickCase{"minimise_right_edge_outside", {843, 10}, true, 0, false, false, true, 1, false, false},
        ClickCase{"close", {867, 22}, true, 0, true, false, false, 1, true, false},
        ClickCase{"close_bottom_edge_outside", {860, 23}, true, 0, false, false, true, 1, false, false},
        ClickCase{"basic_tab_on_basic_page", {20, 55}, true, 0, false, false, false, 1, false, false},
        ClickCase{"advanced_tab", {109, 94}, true, 0, false, false, false, 2, false, false},
        ClickCase{"advanced_tab_right_edge_outside", {110, 70}, true, 0, false, false, true, 1, false, false},
        ClickCase{"skins_button_goes_on", {701, 5}, true, 0, false, false, true, 1, false, false},
        ClickCase{"web_link", {265, 627}, true, 0, false, false, false, 1, false, true},
        ClickCase{"web_link_bottom_edge_outside", {300, 647}, true, 0, false, false, true, 1, false, false},
        ClickCase{"title_is_no_region", {200, 75}, true, 0, false, false, true, 1, false, false}),
    hm::test::ParamName());

TEST(ShellDispatch, ThePageHitEndsTheDispatchAndAMissStartsADrag) {
  Shell shell(recording());
  ASSERT_TRUE(shell.start());
  shell.showWindow();
  shell.basicPage->regions = {ltrb(300, 300, 310, 310)};

  shell.press({305, 305});
  EXPECT_FALSE(shell.dlg->dragging());
  shell.release({305, 305});

  // Empty page background: no window manager here, so the window follows
  // the pointer until the button is released.
  const QPoint start = shell.dlg->pos();
  shell.press({5, 300});
  ASSERT_TRUE(shell.dlg->dragging());
  shell.moveTo({35, 320});
  EXPECT_EQ(shell.dlg->pos(), start + QPoint(30, 20));
  shell.release({35, 320});
  EXPECT_FALSE(shell.dlg->dragging());
  shell.moveTo({60, 340});
  EXPECT_EQ(shell.dlg->pos(), start + QPoint(30, 20));
}

TEST(ShellDispatch, AClickThatHidesTheWindowStartsNoDrag) {
  Shell shell(recording());
  ASSERT_TRUE(shell.start());
  shell.showWindow();
  shell.press({565, 620});  // OK
  EXPECT_FALSE(shell.dlg->isVisible());
  EXPECT_FALSE(shell.dlg->dragging());
  shell.release({565, 620});
}

TEST(ShellPages, ShowingLeavingAndRefreshing) {
  Shell shell(recording());
  ASSERT_TRUE(shell.start());
  RecordingPage& basic = *shell.basicPage;
  RecordingPage& advanced = *shell.advancedPage;
  // Start-up: the Basic page's first show, then its paint. Entering a page
  // always tears the other down, shown before or not.
  EXPECT_EQ(basic.calls, (std::vector<std::string>{"firstShow", "paint"}));
  EXPECT_EQ(advanced.calls, (std::vector<std::string>{"leave"}));

  shell.dlg->showBasicPage();  // already shown: nothing
  EXPECT_EQ(basic.count("paint"), 1);

  shell.dlg->showAdvancedPage();  // entering Advanced tears the Basic page down
  EXPECT_EQ(basic.count("leave"), 1);
  EXPECT_EQ(advanced.calls, (std::vector<std::string>{"leave", "firstShow", "paint"}));

  shell.dlg->showBasicPage();  // the first show is once per run
  EXPECT_EQ(advanced.count("leave"), 2);
  EXPECT_EQ(basic.count("firstShow"), 1);
  EXPECT_EQ(basic.count("paint"), 2);

  // A forced refresh first tears the shown page down as if leaving it, then
  // enters it again.
  basic.calls.clear();
  advanced.calls.clear();
  shell.dlg->refreshCurrentPage();
  EXPECT_EQ(shell.dlg->currentPage(), kBasicPage);
  EXPECT_EQ(basic.calls, (std::vector<std::string>{"leave", "paint"}));
  EXPECT_EQ(advanced.calls, (std::vector<std::string>{"leave"}));
  shell.dlg->showAdvancedPage();
  basic.calls.clear();
  advanced.calls.clear();
  shell.dlg->refreshCurrentPage();
  EXPECT_EQ(shell.dlg->currentPage(), kAdvancedPage);
  EXPECT_EQ(advanced.calls, (std::vector<std::string>{"leave", "paint"}));
  EXPECT_EQ(basic.calls, (std::vector<std::string>{"leave"}));
}

TEST(ShellCommands, ApplySendsAndSavesCancelRestoresTheSavedCopy) {
  Shell shell(recording());
  ASSERT_TRUE(shell.start());
  const QByteArray before = shell.fileBytes("config.bin");
  MouseConfig& working = shell.dlg->workingConfig();
  working.reportInterval = 2;
  shell.dlg->applyAction();
  EXPECT_EQ(shell.mouse.reportInterval(), 2);
  EXPECT_EQ(shell.dlg->saved().reportInterval, 2);
  const QByteArray after = shell.fileBytes("config.bin");
  ASSERT_EQ(after.size(), 2022);
  EXPECT_EQ(after[0], 1);  // written by Apply
  EXPECT_EQ(static_cast<unsigned char>(after[1 + 1925]), 2u);
  EXPECT_NE(before, after);

  working.reportInterval = 8;
  shell.showWindow();
  shell.dlg->cancelAction();
  EXPECT_EQ(shell.dlg->working().reportInterval, 2);
  EXPECT_TRUE(shell.dlg->refreshOnShow());
  EXPECT_FALSE(shell.dlg->isVisible());
  EXPECT_EQ(shell.mouse.reportInterval(), 2);  // nothing sent
  EXPECT_EQ(shell.fileBytes("config.bin"), after);
}

TEST(ShellCommands, TheShowAfterCancelRereadsTheKeyNamesAndRepaints) {
  Shell shell(recording());
  ASSERT_TRUE(shell.start());
  shell.dlg->cancelAction();
  ASSERT_TRUE(profile::writeString(shell.pathStd("str.ini"), "Setting-EN", "Item3", "Changed elsewhere"));
  shell.basicPage->calls.clear();
  shell.tray->click();
  EXPECT_FALSE(shell.dlg->refreshOnShow());
  EXPECT_EQ(shell.dlg->buttonTexts().text[0][2], "Changed elsewhere");
  EXPECT_EQ(shell.basicPage->count("paint"), 1);
  EXPECT_TRUE(shell.dlg->isVisible());

  // Without Cancel the show repaints nothing.
  shell.dlg->hideWindow();
  shell.tray->click(QSystemTrayIcon::DoubleClick);
  EXPECT_EQ(shell.basicPage->count("paint"), 1);
  EXPECT_TRUE(shell.dlg->isVisible());
}

TEST(ShellCommands, CancelOnTheAdvancedPageAlsoRestoresTheKeyNames) {
  Shell shell(recording());
  ASSERT_TRUE(shell.start());
  const std::string stored = shell.dlg->buttonTexts().text[0][3];
  shell.dlg->workingConfig().mode[0].function[3] = 11;
  shell.dlg->context().buttonTexts.text[0][3] = "Single Key-A";  // as a choice would
  shell.dlg->showAdvancedPage();
  shell.dlg->cancelAction();
  shell.tray->click();
  EXPECT_EQ(shell.dlg->currentPage(), kAdvancedPage);
  EXPECT_EQ(shell.dlg->working().mode[0].function[3], shell.dlg->saved().mode[0].function[3]);
  EXPECT_EQ(shell.dlg->buttonTexts().text[0][3], stored);
}

TEST(ShellCommands, TheSkinsButtonRunsTheDialogAndAChosenSkinIsStoredAndShown) {
  Shell shell(recording());
  ASSERT_TRUE(shell.start());
  int runs = 0;
  shell.dlg->setSkinsDialog([&] {
    ++runs;
    shell.dlg->applySkinChoice(QStringLiteral("Crimson"), QColor(1, 2, 300 % 256));
  });
  shell.basicPage->calls.clear();
  shell.click({710, 14});
  EXPECT_EQ(runs, 1);
  EXPECT_TRUE(shell.dlg->skins().skinFolder().endsWith(QStringLiteral("/Skins/Crimson")));
  EXPECT_EQ(shell.dlg->style().textColor, QColor(1, 2, 44));
  EXPECT_TRUE(shell.dlg->isVisible());
  // Repainted through a forced refresh, then the click went on to the page.
  EXPECT_EQ(shell.basicPage->count("paint"), 1);
  EXPECT_EQ(shell.basicPage->count(RecordingPage::at("click", {710, 14})), 1);
  const std::string ini = shell.pathStd("str.ini");
  EXPECT_EQ(profile::getString(ini, "Skins", "RColor"), "1");
  EXPECT_EQ(profile::getString(ini, "Skins", "GColor"), "2");
  EXPECT_EQ(profile::getString(ini, "Skins", "BColor"), "44");
  EXPECT_EQ(profile::getString(ini, "Skins", "Path"), "Crimson");
}

TEST(ShellCommands, EnterAndEscapeHideTheWindowAndAreDropped) {
  struct Case {
    Qt::Key key;
    bool hides;
  };
  const Case cases[] = {{Qt::Key_Return, true},
                        {Qt::Key_Enter, true},
                        {Qt::Key_Escape, true},
                        {Qt::Key_A, false},
                        {Qt::Key_Space, false}};
  for (const Case& c : cases) {
    Shell shell(recording());
    ASSERT_TRUE(shell.start());
    shell.showWindow();
    // A child edit of the window: the key never reaches it.
    auto* edit = new QLineEdit(shell.dlg.get());
    edit->setGeometry(ltrb(10, 200, 100, 220));
    edit->show();
    int returns = 0;
    QObject::connect(edit, &QLineEdit::returnPressed, [&] { ++returns; });
    shell.key(c.key, edit);
    EXPECT_EQ(!shell.dlg->isVisible(), c.hides) << c.key;
    EXPECT_EQ(returns, 0) << c.key;
    if (c.key == Qt::Key_A) {
      EXPECT_EQ(edit->text(), QStringLiteral("a"));
    }
  }
}

TEST(ShellCommands, APageThatSwallowsKeysKeepsEnterFromHiding) {
  Shell shell(recording());
  ASSERT_TRUE(shell.start());
  shell.showWindow();
  shell.basicPage->swallowKeys = true;
  shell.key(Qt::Key_Escape);
  EXPECT_TRUE(shell.dlg->isVisible());
}

}  // namespace
}  // namespace hm::test
