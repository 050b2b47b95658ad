// SPDX-License-Identifier: GPL-3.0-or-later
// The tray and the device: every balloon text, clicks on the icon, "Exit",
// events from the mouse reaching the window through the reader thread, and
// unplugging and replugging through the simulated mouse.
#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QMouseEvent>
#include <QScreen>
#include <cstdlib>
#include <functional>

#include "core/device/device_link.h"
#include "core/model/tray_balloons.h"
#include "core/settings/ui_text.h"
#include "core/wire/protocol.h"
#include "fixtures.h"
#include "gui/app/command_line.h"
#include "platform/hid/sim_events.h"
#include "support/param_name.h"

namespace hm::test {
namespace {

struct BalloonCase {
  const char* name;
  int type;
  int value;
  int sensorType;
  std::uint8_t stageValue;  // dpiStageValue of every stage
  Language language;
  std::optional<Balloon> expected;
  friend void PrintTo(const BalloonCase& c, std::ostream* os) { *os << c.name; }
};

Balloon infoBalloon(const char* text) { return {"Info", text, 5000}; }

class BalloonTable : public ::testing::TestWithParam<BalloonCase> {};

TEST_P(BalloonTable, TextTitleAndTimeOut) {
  const BalloonCase& c = GetParam();
  const UiTexts texts(c.language);
  MouseConfig config{};
  config.clear();
  for (auto& v : config.dpiStageValue) v = c.stageValue;
  EXPECT_EQ(balloonForEvent(c.type, c.value, texts, config, c.sensorType), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Events, BalloonTable,
    ::testing::Values(
        BalloonCase{"rate_1000", 5, 1, 0, 0, Language::English,
                    infoBalloon("Switch report rate into 1000HZ")},
        BalloonCase{"rate_500", 5, 2, 0, 0, Language::English, infoBalloon("Switch report rate into 500HZ")},
        BalloonCase{"rate_250", 5, 4, 0, 0, Language::English, infoBalloon("Switch report rate into 250HZ")},
        BalloonCase{"rate_125", 5, 8, 0, 0, Language::English, infoBalloon("Switch report rate into 125HZ")},
        BalloonCase{"rate_unlisted", 5, 3, 0, 0, Language::English, std::nullopt},
        BalloonCase{"stage1_type0_step0", 7, 1, 0, 0, Language::English,
                    infoBalloon("Switch DPI into the first stage 250")},
        BalloonCase{"stage2_type1_step4", 7, 2, 1, 4, Language::English,
                    infoBalloon("Switch DPI into the second stage 1600")},
        BalloonCase{"stage3_type3_step7", 7, 3, 3, 7, Language::English,
                    infoBalloon("Switch DPI into the third stage 3200")},
        BalloonCase{"stage4_type0_step11", 7, 4, 0, 11, Language::English,
                    infoBalloon("Switch DPI into the fourth stage 4000")},
        BalloonCase{"stage_chinese", 7, 1, 0, 0, Language::SimplifiedChinese,
                    infoBalloon("DPI切换到第一段250")},
        BalloonCase{"stage_0", 7, 0, 0, 0, Language::English, std::nullopt},
        BalloonCase{"stage_5", 7, 5, 0, 0, Language::English, std::nullopt},
        BalloonCase{"matrix_1", 8, 1, 0, 0, Language::English, infoBalloon("Switch to key matrix 1")},
        BalloonCase{"matrix_2", 8, 2, 0, 0, Language::English, infoBalloon("Switch to key matrix 2")},
        BalloonCase{"matrix_3", 8, 3, 0, 0, Language::English, std::nullopt},
        BalloonCase{"matrix_4", 8, 4, 0, 0, Language::English, std::nullopt},
        BalloonCase{"macro_3_no_blank", 9, 3, 0, 0, Language::English, infoBalloon("Switch to macro key3")},
        BalloonCase{"macro_12", 9, 12, 0, 0, Language::English, infoBalloon("Switch to macro key12")},
        BalloonCase{"macro_traditional", 9, 1, 0, 0, Language::TraditionalChinese,
                    infoBalloon("切換到巨集1")},
        BalloonCase{"macro_0", 9, 0, 0, 0, Language::English, std::nullopt},
        BalloonCase{"missing_is_a_readable_warning", 15, 0, 0, 0, Language::English,
                    Balloon{"Warning", "The system did not detect the gaming mouse!", 5000}},
        BalloonCase{"type_6", 6, 1, 0, 0, Language::English, std::nullopt},
        BalloonCase{"type_0", 0, 0, 0, 0, Language::English, std::nullopt}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(ShellTray, ClicksShowTheWindowOnlyWhileTheMouseIsOpen) {
  struct Case {
    const char* what;
    bool pluggedIn;
    QSystemTrayIcon::ActivationReason reason;
    bool shown;
    int warnings;
  };
  const Case cases[] = {
      {"left click", true, QSystemTrayIcon::Trigger, true, 0},
      {"double click", true, QSystemTrayIcon::DoubleClick, true, 0},
      {"middle click", true, QSystemTrayIcon::MiddleClick, false, 0},
      {"right click", true, QSystemTrayIcon::Context, false, 0},
      {"left click without mouse", false, QSystemTrayIcon::Trigger, false, 1},
      {"double click without mouse", false, QSystemTrayIcon::DoubleClick, false, 1},
  };
  for (const Case& c : cases) {
    ShellOptions o;
    o.pluggedIn = c.pluggedIn;
    Shell shell(o);
    ASSERT_TRUE(shell.start());
    shell.tray->click(c.reason);
    EXPECT_EQ(shell.dlg->isVisible(), c.shown) << c.what;
    int warnings = 0;
    for (const auto& b : shell.tray->balloons)
      warnings += b == ShownBalloon{"Warning", "The system did not detect the gaming mouse!", 5000} ? 1 : 0;
    EXPECT_EQ(warnings, c.warnings) << c.what;
  }
}

// Qt's X11 tray icon window reports a press as the activation; the icon acts
// on the release over it instead, and a press alone does nothing.
TEST(ShellTray, TheX11IconActsOnTheReleaseOverIt) {
  using Reason = QSystemTrayIcon::ActivationReason;
  struct Step {
    QEvent::Type type;
    Qt::MouseButton button;
    QPoint at;
  };
  const QPoint in(10, 10), out(40, 10);
  struct Case {
    const char* what;
    std::vector<Step> steps;
    std::vector<Reason> reasons;
    bool menuShown;
  };
  using E = QEvent;
  const Case cases[] = {
      {"left press", {{E::MouseButtonPress, Qt::LeftButton, in}}, {}, false},
      {"left click",
       {{E::MouseButtonPress, Qt::LeftButton, in}, {E::MouseButtonRelease, Qt::LeftButton, in}},
       {QSystemTrayIcon::Trigger},
       false},
      {"left double click",
       {{E::MouseButtonPress, Qt::LeftButton, in},
        {E::MouseButtonRelease, Qt::LeftButton, in},
        {E::MouseButtonDblClick, Qt::LeftButton, in},
        {E::MouseButtonRelease, Qt::LeftButton, in}},
       {QSystemTrayIcon::Trigger, QSystemTrayIcon::Trigger},
       false},
      {"left release away from the icon",
       {{E::MouseButtonPress, Qt::LeftButton, in}, {E::MouseButtonRelease, Qt::LeftButton, out}},
       {},
       false},
      {"right press", {{E::MouseButtonPress, Qt::RightButton, in}}, {}, false},
      {"right click",
       {{E::MouseButtonPress, Qt::RightButton, in}, {E::MouseButtonRelease, Qt::RightButton, in}},
       {QSystemTrayIcon::Context},
       true},
      {"middle click",
       {{E::MouseButtonPress, Qt::MiddleButton, in}, {E::MouseButtonRelease, Qt::MiddleButton, in}},
       {QSystemTrayIcon::MiddleClick},
       false},
  };
  application();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SystemTrayBackend backend;
    QMenu menu;
    menu.addAction(QStringLiteral("Exit"));
    backend.setContextMenu(&menu);
    std::vector<Reason> reasons;
    QObject::connect(&backend, &TrayIconBackend::activated, [&](Reason r) { reasons.push_back(r); });
    QWidget icon;  // stands for Qt's own tray icon window
    icon.setObjectName(QString::fromLatin1(SystemTrayBackend::kXEmbedIconWindow));
    icon.resize(22, 22);
    icon.show();
    for (const Step& s : c.steps) {
      const Qt::MouseButtons held =
          s.type == E::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(s.button);
      QMouseEvent event(s.type, QPointF(s.at), icon.mapToGlobal(QPointF(s.at)), s.button, held,
                        Qt::NoModifier);
      QApplication::sendEvent(&icon, &event);
    }
    EXPECT_EQ(reasons, c.reasons);
    EXPECT_EQ(menu.isVisible(), c.menuShown);
    menu.hide();
  }
}

TEST(ShellTray, TheFirstShowIsCentredAndPaintsTheBasicPageWhenNeverPainted) {
  ShellOptions o;
  o.pluggedIn = false;
  Shell shell(o);
  ASSERT_TRUE(shell.start());
  EXPECT_FALSE(shell.dlg->basicPageShown());
  shell.mouse.plugIn();
  shell.pollDevices();
  shell.tray->click();
  EXPECT_TRUE(shell.dlg->basicPageShown());
  EXPECT_EQ(shell.dlg->currentPage(), kBasicPage);
  // The free space is shared equally on both sides.
  const QRect screen = shell.dlg->screen()->availableGeometry();
  const QRect window = shell.dlg->geometry();
  EXPECT_EQ(window.left() - screen.left(), (screen.width() - window.width()) / 2);
  EXPECT_EQ(window.top() - screen.top(), (screen.height() - window.height()) / 2);
}

TEST(ShellTray, ExitEndsWithCodeZeroAndWritesNothing) {
  Shell shell;
  ASSERT_TRUE(shell.start());
  shell.dlg->workingConfig().reportInterval = 4;  // an unsaved change
  const QByteArray config = shell.fileBytes("config.bin"), ini = shell.fileBytes("str.ini");
  ASSERT_TRUE(shell.tray->shown);
  shell.tray->menu->actions().first()->trigger();
  EXPECT_EQ(shell.exitCode, 0);
  EXPECT_TRUE(shell.dlg->shutDown());
  EXPECT_FALSE(shell.tray->shown);
  EXPECT_FALSE(shell.dlg->deviceOpen());
  EXPECT_EQ(shell.fileBytes("config.bin"), config);
  EXPECT_EQ(shell.fileBytes("str.ini"), ini);
}

TEST(ShellTray, TheExitItemIsInTheLanguage) {
  ShellOptions o;
  o.language = Language::SimplifiedChinese;
  Shell shell(o);
  ASSERT_TRUE(shell.start());
  EXPECT_EQ(shell.tray->menu->actions().first()->text(),
            QString::fromStdString(UiTexts(Language::SimplifiedChinese).get(TextId::Exit)));
}

TEST(ShellDevice, EventsFromTheMouseBecomeBalloons) {
  ShellOptions o;
  o.sensorAnswer = std::array<std::uint8_t, 4>{1, 0, 0, 0};
  Shell shell(o);
  ASSERT_TRUE(shell.start());
  shell.dlg->workingConfig().dpiStageValue[1] = 4;
  shell.mouse.sendNotification(5, 1);
  shell.mouse.sendNotification(6, 1);                               // not forwarded
  shell.mouse.sendNotificationReport({5, 5, 0, 1, 0, 0, 0, 0, 0});  // report ID 5: dropped
  shell.mouse.sendNotification(7, 2);
  shell.mouse.sendNotification(9, 3);
  ASSERT_TRUE(Shell::waitFor([&] { return shell.tray->balloons.size() >= 3; }));
  QTest::qWait(50);  // nothing else follows
  const std::vector<ShownBalloon> expected{{"Info", "Switch report rate into 1000HZ", 5000},
                                           {"Info", "Switch DPI into the second stage 1600", 5000},
                                           {"Info", "Switch to macro key3", 5000}};
  EXPECT_EQ(shell.tray->balloons, expected);
}

// --sim-events: the simulated mouse plays its own switches and the plugging
// after the start, and each reaches the tray as its balloon.
TEST(ShellDevice, EventsPlayedFromTheCommandLineBecomeTheirBalloons) {
  const ShownBalloon missing{"Warning", "The system did not detect the gaming mouse!", 5000};
  struct Case {
    const char* events;
    std::vector<ShownBalloon> balloons;
  };
  const Case cases[] = {
      {"5:2", {{"Info", "Switch report rate into 500HZ", 5000}}},
      {"7:2", {{"Info", "Switch DPI into the second stage 1600", 5000}}},
      {"8:1", {{"Info", "Switch to key matrix 1", 5000}}},
      {"9:12", {{"Info", "Switch to macro key12", 5000}}},
      // One unplug, one warning: the removals of both collections, and the
      // mouse's own event as it goes, are the same unplug.
      {"unplug", {missing}},
      {"15:0,unplug", {missing}},
      {"5:1,7:2,15:0",
       {{"Info", "Switch report rate into 1000HZ", 5000},
        {"Info", "Switch DPI into the second stage 1600", 5000},
        missing}},
      {"unplug,plug,8:2", {missing, {"Info", "Switch to key matrix 2", 5000}}},
      {"unplug,plug,unplug", {missing, missing}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.events);
    const ParsedCommandLine line =
        parseCommandLine({"hidmouse", "--simulate", "--sim-events", QString::fromLatin1(c.events)});
    ASSERT_EQ(line.action, ParsedCommandLine::Action::Run) << line.message.toStdString();
    ShellOptions o;
    o.sensorAnswer = std::array<std::uint8_t, 4>{1, 0, 0, 0};
    Shell shell(o);
    ASSERT_TRUE(shell.start());
    shell.dlg->workingConfig().dpiStageValue[1] = 4;
    SimEventPlayer player(shell.mouse, line.options.shared.simEvents);
    ASSERT_TRUE(Shell::waitFor(
        [&] { return player.finished() && shell.tray->balloons.size() >= c.balloons.size(); }, 5000));
    QTest::qWait(50);  // nothing else follows
    EXPECT_EQ(shell.tray->balloons, c.balloons);
  }
}

TEST(ShellDevice, UnplugWarnsAndHidesReplugBringsEventsBack) {
  Shell shell;
  ASSERT_TRUE(shell.start());
  shell.showWindow();
  shell.mouse.unplug();
  shell.pollDevices();
  EXPECT_FALSE(shell.dlg->deviceOpen());
  EXPECT_FALSE(shell.dlg->isVisible());
  ASSERT_FALSE(shell.tray->balloons.empty());
  EXPECT_EQ(shell.tray->balloons.back().title, QStringLiteral("Warning"));

  // While unplugged: OK does nothing and the tray does not show the window.
  shell.dlg->okAction();
  shell.tray->click();
  EXPECT_FALSE(shell.dlg->isVisible());

  const int writesBefore = shell.mouse.sensorWrites();
  shell.mouse.plugIn();
  shell.pollDevices();
  EXPECT_TRUE(shell.dlg->deviceOpen());
  EXPECT_GT(shell.mouse.sensorWrites(), writesBefore);  // the handshake again
  shell.tray->balloons.clear();
  shell.mouse.sendNotification(8, 2);
  ASSERT_TRUE(Shell::waitFor([&] { return !shell.tray->balloons.empty(); }));
  EXPECT_EQ(shell.tray->balloons.front().text, QStringLiteral("Switch to key matrix 2"));
  shell.tray->click();
  EXPECT_TRUE(shell.dlg->isVisible());
}

TEST(ShellDevice, ApplyJustAfterTheMouseVanishedStillSavesAndKeepsRunning) {
  Shell shell;
  ASSERT_TRUE(shell.start());
  shell.dlg->workingConfig().reportInterval = 4;
  shell.mouse.unplug();  // the removal notification has not been handled yet
  shell.dlg->applyAction();
  const QByteArray saved = shell.fileBytes("config.bin");
  ASSERT_EQ(saved.size(), 2022);
  EXPECT_EQ(static_cast<unsigned char>(saved[1 + 1925]), 4u);
  EXPECT_TRUE(shell.sink.messages.empty());  // device failures are not shown
  shell.pollDevices();
  EXPECT_FALSE(shell.dlg->deviceOpen());
}

TEST(ShellDevice, StartedWithoutTheMouseTheReaderRunsOncePluggedIn) {
  ShellOptions o;
  o.pluggedIn = false;
  Shell shell(o);
  ASSERT_TRUE(shell.start());
  EXPECT_FALSE(shell.dlg->device().readerReleased());
  // Shown without the mouse (--show) and the Basic page seen first.
  shell.showWindow();
  shell.dlg->showBasicPage();
  shell.mouse.plugIn();
  shell.pollDevices();
  EXPECT_TRUE(shell.dlg->device().readerReleased());
  shell.mouse.sendNotification(5, 8);
  ASSERT_TRUE(Shell::waitFor([&] { return !shell.tray->balloons.empty(); }));
  EXPECT_EQ(shell.tray->balloons.back().text, QStringLiteral("Switch report rate into 125HZ"));
}

TEST(ShellDevice, ShutdownWhileTheReaderWaitsForTheWindowDoesNotHang) {
  Shell shell;
  ASSERT_TRUE(shell.start());
  for (int i = 0; i < 20; ++i) shell.mouse.sendNotification(5, 1);
  QTest::qSleep(20);  // the reader is now waiting for the UI thread
  shell.dlg->shutdown();
  EXPECT_EQ(shell.exitCode, 0);
  shell.dlg.reset();
}

TEST(ShellDevice, NoTrayShowsNothingButTheWindowStillRuns) {
  ShellOptions o;
  o.trayAvailable = false;
  Shell shell(o);
  ASSERT_TRUE(shell.start());
  EXPECT_FALSE(shell.dlg->tray().available());
  EXPECT_FALSE(shell.tray->shown);
}

// Without a tray nothing could show a hidden window again: whatever would
// hide it minimises it instead, and it keeps its taskbar button.
struct TraylessCase {
  const char* name;
  std::function<void(Shell&)> act;
  friend void PrintTo(const TraylessCase& c, std::ostream* os) { *os << c.name; }
};

class TraylessHide : public ::testing::TestWithParam<TraylessCase> {};

TEST_P(TraylessHide, MinimisesInsteadOfHiding) {
  ShellOptions o;
  o.trayAvailable = false;
  Shell shell(o);
  ASSERT_TRUE(shell.start());
  EXPECT_FALSE(shell.dlg->windowFlags().testFlag(Qt::Tool));
  shell.showWindow();

  GetParam().act(shell);

  EXPECT_TRUE(shell.dlg->isVisible());
  EXPECT_TRUE(shell.dlg->isMinimized());
  shell.dlg->showWindow();
  EXPECT_FALSE(shell.dlg->isMinimized());
}

INSTANTIATE_TEST_SUITE_P(Actions, TraylessHide,
                         ::testing::Values(TraylessCase{"minimise_button",
                                                        [](Shell& s) {
                                                          s.click({830, 10});
                                                        }},
                                           TraylessCase{"ok_button",
                                                        [](Shell& s) {
                                                          s.click({565, 620});
                                                        }},
                                           TraylessCase{"cancel_button",
                                                        [](Shell& s) {
                                                          s.click({800, 620});
                                                        }},
                                           TraylessCase{"escape_key",
                                                        [](Shell& s) { s.key(Qt::Key_Escape); }},
                                           TraylessCase{"window_close", [](Shell& s) { s.dlg->close(); }}),
                         hm::test::ParamName());

TEST(ShellTray, WithoutATrayTheRestoreAfterCancelShowsTheRestoredValues) {
  ShellOptions o;
  o.trayAvailable = false;
  Shell shell(o);
  ASSERT_TRUE(shell.start());
  shell.showWindow();
  shell.click({800, 620});  // Cancel
  ASSERT_TRUE(shell.dlg->isMinimized());
  EXPECT_TRUE(shell.dlg->refreshOnShow());
  shell.dlg->showNormal();  // the taskbar button
  EXPECT_FALSE(shell.dlg->refreshOnShow());
  EXPECT_EQ(shell.dlg->currentPage(), kBasicPage);
}

TEST(ShellTray, WithATrayHidingHidesAndTheWindowHasNoTaskbarButton) {
  Shell shell;
  ASSERT_TRUE(shell.start());
  EXPECT_TRUE(shell.dlg->windowFlags().testFlag(Qt::Tool));
  shell.showWindow();
  shell.click({830, 10});
  EXPECT_FALSE(shell.dlg->isVisible());
}

}  // namespace
}  // namespace hm::test
