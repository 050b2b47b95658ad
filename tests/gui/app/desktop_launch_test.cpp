// SPDX-License-Identifier: GPL-3.0-or-later
// The program on a desktop: the mouse's events as desktop notifications
// (the tray's balloons only where no server takes them), and a second start
// reaching the running copy, which shows its window.
#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTemporaryDir>
#include <optional>
#include <thread>
#include <vector>

#include "core/wire/protocol.h"
#include "fixtures.h"
#include "gui/app/activation.h"
#include "gui/app/desktop_notifications.h"

namespace hm::test {
namespace {

const NotificationSender kSender{QStringLiteral("Gaming Mouse Setting"), QStringLiteral("org.example.Mouse"),
                                 QStringLiteral("org.example.Mouse")};

TEST(DesktopNotices, ABalloonBecomesANotificationOfTheDesktopEntry) {
  struct Case {
    const char* what;
    Balloon balloon;
    const char* icon;
    Urgency urgency;
  };
  const Case cases[] = {
      {"info", {"Info", "Switch to key matrix 2", 5000}, "org.example.Mouse", Urgency::Normal},
      {"warning",
       {"Warning", "The system did not detect the gaming mouse!", 5000},
       "dialog-warning",
       Urgency::Critical},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const Notification n = notificationFor(c.balloon, kSender, 7);
    EXPECT_EQ(n.appName, "Gaming Mouse Setting");
    EXPECT_EQ(n.replacesId, 7u);
    EXPECT_EQ(n.icon, c.icon);
    EXPECT_EQ(n.summary, QString::fromStdString(c.balloon.title));
    EXPECT_EQ(n.body, QString::fromStdString(c.balloon.text));
    EXPECT_EQ(n.timeoutMs, c.balloon.timeoutMs);
    EXPECT_EQ(n.hints.value("desktop-entry").toString(), "org.example.Mouse");
    EXPECT_EQ(n.hints.value("urgency").value<uchar>(), static_cast<uchar>(c.urgency));
  }
}

// A server that answers with growing ids (a replaced notification keeps its
// id), or takes nothing while `down`.
class FakeServer : public NotificationServer {
 public:
  std::optional<quint32> notify(const Notification& n) override {
    calls.push_back(n);
    if (down) return std::nullopt;
    return n.replacesId != 0 ? n.replacesId : ++lastId;
  }
  std::vector<Notification> calls;
  bool down = false;
  quint32 lastId = 40;
};

TEST(DesktopNotices, OneBubbleAtATimeAndTheTrayOnlyWithoutAServer) {
  const Balloon dpi{"Info", "Switch DPI into the second stage 1600", 5000};
  FakeServer server;
  std::vector<Balloon> trayBalloons;
  DesktopNotices notices(&server, kSender, [&](const Balloon& b) { trayBalloons.push_back(b); });

  // A burst updates one bubble.
  for (int i = 0; i < 3; ++i) notices.show(dpi);
  ASSERT_EQ(server.calls.size(), 3u);
  EXPECT_EQ(server.calls[0].replacesId, 0u);
  EXPECT_EQ(server.calls[1].replacesId, 41u);
  EXPECT_EQ(server.calls[2].replacesId, 41u);
  // Once the server has closed it, the next one is a new bubble.
  notices.closed(99);
  notices.show(dpi);
  EXPECT_EQ(server.calls.back().replacesId, 41u);
  notices.closed(41);
  notices.show(dpi);
  EXPECT_EQ(server.calls.back().replacesId, 0u);
  EXPECT_TRUE(trayBalloons.empty());

  // The server gone: the tray shows the balloon, and a server back later
  // starts a new bubble.
  server.down = true;
  notices.show(dpi);
  EXPECT_EQ(trayBalloons, std::vector<Balloon>{dpi});
  server.down = false;
  notices.show(dpi);
  EXPECT_EQ(server.calls.back().replacesId, 0u);

  // No session bus at all: the tray alone.
  DesktopNotices trayOnly(nullptr, kSender, [&](const Balloon& b) { trayBalloons.push_back(b); });
  trayOnly.show(dpi);
  EXPECT_EQ(trayBalloons.size(), 2u);
}

TEST(DesktopNotices, TheMouseEventsReachTheServerWithOrWithoutATray) {
  for (const bool trayAvailable : {true, false}) {
    SCOPED_TRACE(trayAvailable ? "tray" : "no tray");
    FakeServer server;
    ShellOptions o;
    o.trayAvailable = trayAvailable;
    o.notifications = &server;
    Shell shell(o);
    ASSERT_TRUE(shell.start());
    shell.dlg->onDeviceEvent(8, 2);
    shell.dlg->onDeviceEvent(8, 3);  // shows nothing
    shell.dlg->onDeviceEvent(proto::kEventMouseMissing, 0);
    ASSERT_EQ(server.calls.size(), 2u);
    EXPECT_EQ(server.calls[0].body, "Switch to key matrix 2");
    EXPECT_EQ(server.calls[1].icon, kWarningIconName);
    EXPECT_EQ(server.calls[1].replacesId, 41u);
    EXPECT_EQ(server.calls[0].hints.value("desktop-entry").toString(), "io.github.hidmouse.HidMouse");
    EXPECT_TRUE(shell.tray->balloons.empty());
  }
}

TEST(Activation, NamesFromTheDesktopFileAndTheLaunchToken) {
  EXPECT_EQ(busNameForDesktopId("io.github.hidmouse.HidMouse"), "io.github.hidmouse.HidMouse");
  EXPECT_EQ(busNameForDesktopId("org.example.my-app.desktop"), "org.example.my_app");
  EXPECT_EQ(objectPathForBusName("org.example.my_app"), "/org/example/my_app");

  struct Case {
    const char* what;
    QVariantMap data;
    const char* token;
  };
  const Case cases[] = {
      {"none", {}, ""},
      {"wayland", {{"activation-token", "w1"}}, "w1"},
      {"x11", {{"desktop-startup-id", "x1"}}, "x1"},
      {"both: wayland first", {{"activation-token", "w1"}, {"desktop-startup-id", "x1"}}, "w1"},
  };
  for (const Case& c : cases) EXPECT_EQ(activationToken(c.data), c.token) << c.what;

  qputenv("XDG_ACTIVATION_TOKEN", "tok-1");
  qunsetenv("DESKTOP_STARTUP_ID");
  EXPECT_EQ(launchPlatformData(), (QVariantMap{{"activation-token", "tok-1"}}));
  qunsetenv("XDG_ACTIVATION_TOKEN");
}

// Without a session bus the request goes over the socket beside the lock;
// the running copy shows its window, the mouse plugged in or not.
TEST(Activation, ASecondStartShowsTheRunningWindow) {
  for (const bool pluggedIn : {true, false}) {
    SCOPED_TRACE(pluggedIn ? "mouse" : "no mouse");
    ShellOptions o;
    o.pluggedIn = pluggedIn;
    Shell shell(o);
    ASSERT_TRUE(shell.start());
    ASSERT_FALSE(shell.dlg->isVisible());
    QTemporaryDir runtime;
    ActivationServer server;
    ASSERT_TRUE(server.listenOnSocket(runtime.path())) << server.error().toStdString();
    QObject::connect(&server, &ActivationServer::activated, shell.dlg.get(), &CHidMouseDlg::activate);
    QSignalSpy activated(&server, &ActivationServer::activated);

    QString failure = QStringLiteral("not run");
    std::thread second([&] {
      failure = requestActivation("org.example.NotRunning", runtime.path(), {{"activation-token", "t-9"}});
    });
    EXPECT_TRUE(Shell::waitFor([&] { return !activated.isEmpty(); }));
    second.join();
    EXPECT_EQ(failure, "");
    ASSERT_EQ(activated.size(), 1);
    EXPECT_EQ(activated[0][0].toString(), "t-9");
    EXPECT_TRUE(shell.dlg->isVisible());
    EXPECT_EQ(shell.dlg->basicPageShown(), pluggedIn);
    qunsetenv("XDG_ACTIVATION_TOKEN");
  }
  // Nobody to hand the request to: said, not hidden.
  QTemporaryDir empty;
  EXPECT_NE(requestActivation("org.example.NotRunning", empty.path(), {}, 0), "");
}

// The bus that starts the program for the menu entry hands over the Activate
// call once the name is owned, which can be while a start-up message is
// open: the window is shown once the start is over.
TEST(Activation, ARequestDuringTheStartShowsTheWindowAfterIt) {
  ShellOptions o;
  o.pluggedIn = false;  // the "not detected" message
  Shell shell(o);
  shell.sink.whileShown = [&] { shell.dlg->activate(QStringLiteral("t-1")); };
  ASSERT_TRUE(shell.start());
  EXPECT_FALSE(shell.dlg->isVisible());
  EXPECT_TRUE(Shell::waitFor([&] { return shell.dlg->isVisible(); }));
  qunsetenv("XDG_ACTIVATION_TOKEN");
}

// The login's copy can start before the tray: the icon waits for it, and
// then the window lives in the tray.
TEST(ShellTray, ATrayThatAppearsLaterTakesTheIconAndTheWindow) {
  ShellOptions o;
  o.trayAvailable = false;
  Shell shell(o);
  ASSERT_TRUE(shell.start());
  EXPECT_FALSE(shell.tray->shown);
  shell.showWindow();
  shell.tray->appear();
  EXPECT_TRUE(shell.tray->shown);
  EXPECT_TRUE(shell.dlg->windowFlags().testFlag(Qt::Tool));
  EXPECT_TRUE(shell.dlg->isVisible());
  shell.click({830, 10});  // the minimise button now hides
  EXPECT_FALSE(shell.dlg->isVisible());
  EXPECT_FALSE(shell.dlg->isMinimized());
}

}  // namespace
}  // namespace hm::test
