// SPDX-License-Identifier: GPL-3.0-or-later
// Helpers of the main-window tests: one QApplication for the test program, a
// temporary data folder with the generated factory files, a message sink and
// a tray that record, and Shell: the real CHidMouseDlg over a SimulatedMouse
// with the pauses recorded instead of slept, driven with QTest events at the
// window's client coordinates.
//
//   hm::test::Shell shell;            // plugged-in mouse, factory files
//   ASSERT_TRUE(shell.start());       // init(); the window stays hidden
//   shell.showWindow();               // as the tray would show it
//   shell.click({565, 615});          // OK
//
// Options change one thing each: no mouse, no config.bin, another skin, a
// skin without "/main.png", a language, recording pages in place of the real
// ones.
#pragma once

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTest>
#include <array>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/device/sleeper.h"
#include "core/settings/data_paths.h"
#include "core/settings/message_sink.h"
#include "core/settings/profile_file.h"
#include "gui/app/basic_page.h"
#include "gui/app/desktop_notifications.h"
#include "gui/app/hid_mouse_dlg.h"
#include "gui/app/tray.h"
#include "gui/dialogs/dialog_runner.h"
#include "platform/hid/simulated_mouse.h"
#include "support/qt_application.h"
#include "support/recording_sink.h"

namespace hm::test {

// Where the build put the factory files and the generated skins.
inline QString outputDir() { return QString::fromUtf8(HM_TEST_OUTPUT_DIR); }

struct ShownBalloon {
  QString title;
  QString text;
  int timeoutMs = 0;
  bool operator==(const ShownBalloon&) const = default;
};

// A tray without a desktop: records what is shown; click() is the user.
class RecordingTray : public TrayIconBackend {
 public:
  explicit RecordingTray(bool available = true) : available_(available) {}
  bool available() const override { return available_; }
  void setIcon(const QIcon& i) override { icon = i; }
  void setToolTip(const QString& t) override { tip = t; }
  void setContextMenu(QMenu* m) override { menu = m; }
  // Without a tray the icon waits for one: appear() is the tray starting.
  void show() override {
    wanted = true;
    shown = available_;
  }
  void hide() override { shown = wanted = false; }
  void appear() {
    available_ = true;
    shown = wanted;
    emit availableChanged();
  }
  bool visible() const override { return shown; }
  void showMessage(const QString& title, const QString& text, int timeoutMs) override {
    balloons.push_back({title, text, timeoutMs});
  }
  void click(QSystemTrayIcon::ActivationReason reason = QSystemTrayIcon::Trigger) { emit activated(reason); }

  QIcon icon;
  QString tip;
  QMenu* menu = nullptr;
  bool shown = false;
  bool wanted = false;
  std::vector<ShownBalloon> balloons;

 private:
  bool available_;
};

// A page that records what the window asks of it; clicks inside `regions`
// count as hits.
class RecordingPage : public Page {
 public:
  RecordingPage(AppContext& ctx, PageId id) : Page(ctx), id_(id) {}
  PageId id() const override { return id_; }
  void firstShow() override { calls.push_back("firstShow"); }
  void paint(CMemDC&) override { calls.push_back("paint"); }
  void closeListsMissing(QPoint p) override { calls.push_back(at("closeLists", p)); }
  bool handleClick(QPoint p) override {
    calls.push_back(at("click", p));
    for (const QRect& r : regions)
      if (inside(r, p)) return true;
    return false;
  }
  void leave() override { calls.push_back("leave"); }
  std::vector<HoverItem> hoverItems() const override { return hover; }
  void drawHover(CMemDC&, int id, bool on) override {
    calls.push_back((on ? "hoverOn " : "hoverOff ") + std::to_string(id));
  }
  bool swallowsKeys() const override { return swallowKeys; }

  int count(const std::string& call) const {
    int n = 0;
    for (const auto& c : calls) n += c == call ? 1 : 0;
    return n;
  }
  static std::string at(const char* what, QPoint p) {
    return std::string(what) + " " + std::to_string(p.x()) + "," + std::to_string(p.y());
  }

  std::vector<std::string> calls;
  std::vector<QRect> regions;
  std::vector<HoverItem> hover;
  bool swallowKeys = false;

 private:
  PageId id_;
};

// Ends every dialog with Cancel at once, so that a click that opens one never
// waits for a user; tests that answer dialogs set a runner of their own.
class CancellingRunner : public DialogRunner {
 public:
  int run(QDialog&) override {
    ++runs;
    return QDialog::Rejected;
  }
  int runs = 0;
};

// The simulated mouse whose system refuses device notifications.
class NoMonitorBackend : public HidBackend {
 public:
  explicit NoMonitorBackend(HidBackend& inner) : inner_(inner) {}
  std::optional<std::vector<HidInterfaceEntry>> listInterfaces() override { return inner_.listInterfaces(); }
  std::unique_ptr<HidDevice> open(const std::string& path, HidAccess access) override {
    return inner_.open(path, access);
  }
  std::unique_ptr<HidMonitor> openMonitor() override { return nullptr; }
  Error lastError() const override { return {"socket(AF_NETLINK)", EACCES}; }

 private:
  HidBackend& inner_;
};

struct ShellOptions {
  bool pluggedIn = true;
  bool withConfig = true;  // copy the factory config.bin
  bool withStrIni = true;  // copy the factory str.ini
  std::optional<std::array<std::uint8_t, 4>> sensorAnswer;
  Language language = Language::English;
  bool trayAvailable = true;
  // A skin of its own: a copy of "Default" named `skinName` in the data
  // folder, without the files listed in removeImages.
  std::optional<std::vector<QString>> removeImages;
  // ... and with these files replaced (an own skin is made when either is set).
  std::vector<std::pair<QString, QImage>> replaceImages;
  QString skinName = QStringLiteral("Broken");
  bool recordingPages = false;                  // RecordingPage in place of both pages
  bool monitorFails = false;                    // no device notifications
  bool realMessageBoxes = false;                // the window's own modal boxes instead of `sink`
  bool drawOnly = false;                        // the Basic page of a screenshot run (writes nothing)
  HidBackend* backend = nullptr;                // another HID system in place of the simulated mouse
  NotificationServer* notifications = nullptr;  // the desktop's notification server
  QString cacheFolder;                          // what the window keeps between runs; empty: nothing
};

class Shell {
 public:
  explicit Shell(ShellOptions o = {}) : options(std::move(o)), mouse(options.pluggedIn) {
    application();
    if (options.sensorAnswer) mouse.setSensorAnswer(*options.sensorAnswer);
    const QString out = outputDir();
    if (options.withConfig) QFile::copy(out + "/config.bin", path("config.bin"));
    if (options.withStrIni) QFile::copy(out + "/str.ini", path("str.ini"));
    QFile::setPermissions(path("config.bin"), QFile::ReadOwner | QFile::WriteOwner);
    QFile::setPermissions(path("str.ini"), QFile::ReadOwner | QFile::WriteOwner);
    QString skinsBase = out;
    if (options.removeImages || !options.replaceImages.empty()) {
      const QString from = out + "/Skins/Default";
      const QString to = path("Skins/" + options.skinName);
      QDir().mkpath(to);
      for (const QString& f : QDir(from).entryList(QDir::Files)) QFile::copy(from + "/" + f, to + "/" + f);
      for (const QString& f : options.removeImages.value_or(std::vector<QString>{}))
        QFile::remove(to + "/" + f);
      for (const auto& [f, image] : options.replaceImages) {
        QFile::remove(to + "/" + f);
        image.save(to + "/" + f, "PNG");
      }
      EXPECT_TRUE(profile::writeString(path("str.ini").toStdString(), "Skins", "Path",
                                       options.skinName.toStdString()));
      skinsBase = folder.path();
    }

    DlgOptions d;
    d.paths = DataPaths::inFolder(folder.path().toStdString());
    d.skinRoots = {skinsBase + "/Skins"};
    d.language = options.language;
    noMonitor = std::make_unique<NoMonitorBackend>(mouse);
    d.backend = options.backend        ? options.backend
                : options.monitorFails ? static_cast<HidBackend*>(noMonitor.get())
                                       : &mouse;
    d.messages = options.realMessageBoxes ? nullptr : &sink;
    auto trayBackend = std::make_unique<RecordingTray>(options.trayAvailable);
    tray = trayBackend.get();
    d.tray = std::move(trayBackend);
    d.sleeper = &sleeper;
    d.notifications = options.notifications;
    d.cacheFolder = options.cacheFolder;
    d.log = [this](const std::string& line) { log += line; };
    d.dialogRunner = &dialogs;
    d.exitProcess = [this](int code) { exitCode = code; };
    d.openUrl = [this](const QString& url) { openedUrls.push_back(url); };
    if (options.drawOnly)
      d.basicPage = [](AppContext& ctx) { return std::make_unique<BasicPage>(ctx, BasicPage::Writes::None); };
    if (options.recordingPages) {
      d.basicPage = [this](AppContext& ctx) {
        auto p = std::make_unique<RecordingPage>(ctx, kBasicPage);
        basicPage = p.get();
        return p;
      };
      d.advancedPage = [this](AppContext& ctx) {
        auto p = std::make_unique<RecordingPage>(ctx, kAdvancedPage);
        advancedPage = p.get();
        return p;
      };
    }
    dlg = std::make_unique<CHidMouseDlg>(std::move(d));
  }

  bool start() { return dlg->init(); }
  // Shows the window the way the tray does, and waits until it is exposed.
  void showWindow() {
    dlg->showWindow();
    (void)QTest::qWaitForWindowExposed(dlg.get());
  }

  QString path(const QString& name) const { return folder.filePath(name); }
  std::string pathStd(const QString& name) const { return path(name).toStdString(); }
  QByteArray fileBytes(const QString& name) const {
    QFile f(path(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  }

  // Input at client coordinates, as the window system delivers it.
  void click(QPoint p) { QTest::mouseClick(dlg.get(), Qt::LeftButton, Qt::NoModifier, p); }
  void press(QPoint p) {
    QTest::mousePress(dlg.get(), Qt::LeftButton, Qt::NoModifier, p);
    buttons_ = Qt::LeftButton;
  }
  void release(QPoint p) {
    QTest::mouseRelease(dlg.get(), Qt::LeftButton, Qt::NoModifier, p);
    buttons_ = Qt::NoButton;
  }
  // A move straight to the window (the offscreen screen is smaller than the
  // window, so moves through the cursor would miss its far side).
  void moveTo(QPoint p) {
    QMouseEvent move(QEvent::MouseMove, QPointF(p), QPointF(dlg->mapToGlobal(p)), Qt::NoButton, buttons_,
                     Qt::NoModifier);
    QApplication::sendEvent(dlg.get(), &move);
  }
  // Moves there and lets the hover delay pass.
  void hover(QPoint p) {
    moveTo(p);
    dlg->hover().hoverNow();
  }
  void key(Qt::Key k, QWidget* target = nullptr) { QTest::keyClick(target ? target : dlg.get(), k); }

  // The canvas picture (a copy), and one of its pixels.
  QImage picture() const { return dlg->canvas() ? dlg->canvas()->copy() : QImage(); }
  QRgb pixel(QPoint p) const { return dlg->canvas() ? dlg->canvas()->pixel(p) : 0; }

  // Runs the event loop until `done` or the time-out.
  static bool waitFor(const std::function<bool()>& done, int timeoutMs = 3000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
      if (std::chrono::steady_clock::now() > end) return false;
      QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
      QTest::qSleep(2);
    }
    return true;
  }
  // Handles the device monitor's waiting events (as its socket notifier would).
  void pollDevices() { dlg->device().pollMonitor(); }

  ShellOptions options;
  QTemporaryDir folder;
  SimulatedMouse mouse;
  std::unique_ptr<NoMonitorBackend> noMonitor;
  RecordingSink sink;
  RecordingSleeper sleeper;
  CancellingRunner dialogs;
  RecordingTray* tray = nullptr;
  RecordingPage* basicPage = nullptr;
  RecordingPage* advancedPage = nullptr;
  int exitCode = -1;
  std::vector<QString> openedUrls;
  std::string log;  // the window's diagnostic lines
  std::unique_ptr<CHidMouseDlg> dlg;

 private:
  Qt::MouseButtons buttons_ = Qt::NoButton;
};

}  // namespace hm::test
