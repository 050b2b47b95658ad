// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/app/hid_mouse_app.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QStandardPaths>
#include <QStringList>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <optional>

#include "gui/app/activation.h"
#include "gui/app/basic_page.h"
#include "gui/app/command_line.h"
#include "gui/app/desktop_notifications.h"
#include "gui/app/hid_mouse_dlg.h"
#include "gui/app/message_box_sink.h"
#include "gui/app/qt_translations.h"
#include "gui/app/startup_clock.h"
#include "gui/app/tray.h"
#include "platform/hid/sim_events.h"
#include "platform/pointer_settings.h"
#include "platform/single_instance.h"
#include "platform/startup.h"
#include "platform/system_language.h"

namespace hm {

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr char kOffscreenPlatform[] = "offscreen";

bool envSet(const char* name) {
  const char* v = std::getenv(name);
  return v != nullptr && *v != '\0';
}

void printLine(std::FILE* out, const QString& text) {
  std::fprintf(out, "%s\n", text.toLocal8Bit().constData());
}

// The desktop's pointer settings, made on first use: only the Advanced page
// and OK / Apply need them, and making them starts the desktop's settings
// library with its threads.
class DeferredPointerSettings : public PointerSettings {
 public:
  explicit DeferredPointerSettings(std::function<void(const std::string&)> log) : log_(std::move(log)) {}

  Result<bool> readPrecision() override { return desktop().readPrecision(); }
  Result<int> readPointerSpeed() override { return desktop().readPointerSpeed(); }
  Result<std::uint32_t> readScrollLines() override { return desktop().readScrollLines(); }
  Result<int> readDoubleClickTime() override { return desktop().readDoubleClickTime(); }
  Status setPrecision(bool on) override { return desktop().setPrecision(on); }
  Status setPointerSpeed(int speed) override { return desktop().setPointerSpeed(speed); }
  Status setScrollLines(std::uint32_t lines) override { return desktop().setScrollLines(lines); }
  Status setDoubleClickTime(int ms) override { return desktop().setDoubleClickTime(ms); }
  std::string source(PointerSetting s) const override { return desktop().source(s); }

 private:
  PointerSettings& desktop() const {
    if (!desktop_) {
      desktop_ = makeDesktopPointerSettings();
      for (PointerSetting s : kPointerSettings)
        log_(std::string("pointer settings: ") + pointerSettingName(s) + ": " + desktop_->source(s));
    }
    return *desktop_;
  }

  std::function<void(const std::string&)> log_;
  mutable std::unique_ptr<PointerSettings> desktop_;
};

}  // namespace

int CHidMouseApp::run(int argc, char** argv) {
  // The command line first: --help and a mistake need no display.
  QStringList args;
  for (int i = 0; i < argc; ++i) args << QString::fromLocal8Bit(argv[i]);
  const ParsedCommandLine parsed = parseCommandLine(args);
  if (parsed.action == ParsedCommandLine::Action::Help) {
    printLine(stdout, parsed.message);
    return kExitOk;
  }
  if (parsed.action == ParsedCommandLine::Action::Error) {
    printLine(stderr, parsed.message);
    return kUsageExitCode;
  }
  const CommandLine& o = parsed.options;

  // A screenshot needs no display: without one, draw offscreen.
  if (!o.screenshot.isEmpty() && !envSet("QT_QPA_PLATFORM") && !envSet("DISPLAY") &&
      !envSet("WAYLAND_DISPLAY"))
    ::setenv("QT_QPA_PLATFORM", kOffscreenPlatform, 1);
  // On X11 the window's class (WM_CLASS) is the application name; the
  // instance part stays the executable's name.
  QCoreApplication::setApplicationName(QString::fromLatin1(kWindowClassName));

  QApplication app(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);
  // Ties the windows to the installed desktop file (the Wayland app id).
  QGuiApplication::setDesktopFileName(QStringLiteral(HM_DESKTOP_ID));
  // No application display name: on X11 it would be appended to every
  // window title, and the message boxes must carry exactly their captions
  // ("Warning", or the program's name).

  const bool screenshot = !o.screenshot.isEmpty();
  auto log = [verbose = o.shared.verbose](const std::string& text) {
    if (!verbose) return;
    std::fputs(text.c_str(), stderr);
    if (!text.empty() && text.back() != '\n') std::fputc('\n', stderr);
  };
  auto step = [&log](const std::string& what) { log(startupStepLine(what)); };
  step("application and display");

  // One running copy. A screenshot run lives only for its picture and does
  // not take part.
  // A second start hands its request to the running copy, which shows its
  // window; only a start that reached it ends with success.
  const QString busName = busNameForDesktopId(QStringLiteral(HM_DESKTOP_ID));
  SingleInstanceLock lock;
  const std::optional<std::string> lockFolder = screenshot ? std::nullopt : userRuntimeFolder();
  if (!screenshot && !lockFolder)
    log("single instance: no private folder for the lock (no XDG_RUNTIME_DIR, and the temporary folder's "
        "is not this user's own); running without the single-instance guarantee\n");
  if (lockFolder) {
    switch (lock.acquire(*lockFolder)) {
      case SingleInstanceLock::Outcome::AlreadyRunning: {
        const QString failure =
            requestActivation(busName, QString::fromStdString(*lockFolder), launchPlatformData());
        if (failure.isEmpty()) {
          log("single instance: the running copy shows its window\n");
          return kExitOk;
        }
        printLine(stderr,
                  QStringLiteral("hidmouse: already running, and the running copy could not be asked to "
                                 "show its window: ") +
                      failure);
        return kExitFailure;
      }
      case SingleInstanceLock::Outcome::Failed:
        log("single instance: " + lock.error() + "\n");  // run anyway
        break;
      case SingleInstanceLock::Outcome::Acquired: break;
    }
  }

  const Language language = o.language ? *o.language : selectLanguage(systemDefaultLanguageId());
  const std::unique_ptr<QTranslator> qtTexts = installQtTranslations(language);
  if (language != Language::English && !qtTexts)
    log("Qt's own texts: no catalogue for the language under " +
        QLibraryInfo::path(QLibraryInfo::TranslationsPath).toStdString() + "; they stay English");
  // The settings files: --data-dir, beside the program, or the user's folder.
  const OpenedDataFolder data = openDataFolder(o.shared.dataDir);
  if (!data.warning.empty())
    printLine(stderr, QStringLiteral("hidmouse: ") + QString::fromStdString(data.warning));
  log("data folder: " + data.location.where.folder);
  QStringList skinRoots;
  for (const std::string& root : data.location.where.skinRoots) skinRoots << QString::fromStdString(root);

  const ChosenBackend backend = chooseBackend(o.shared);

  // The desktop's pointer settings: GNOME's where its schema is installed,
  // chosen when they are first read or set.
  const auto pointer = std::make_unique<DeferredPointerSettings>(log);

  // The desktop's notification server, for the mouse's events.
  DBusNotificationServer notifications;

  StreamMessageSink streamSink;
  DlgOptions options;
  options.paths = data.paths;
  // Decoded skin images and fitted font sizes kept in the user's cache
  // folder; a screenshot run reads the skin as it is and leaves nothing behind.
  const QString cacheHome = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
  if (!screenshot && !cacheHome.isEmpty()) options.cacheFolder = cacheHome + QStringLiteral("/hidmouse");
  options.skinRoots = skinRoots;
  options.language = language;
  options.backend = backend.backend.get();
  options.log = log;
  options.pointerSettings = pointer.get();
  if (!screenshot) options.notifications = &notifications;
  if (screenshot) {
    // No one could answer a message box or click a tray icon, and drawing
    // the first display must change neither the files nor the mouse.
    options.messages = &streamSink;
    options.tray = std::make_unique<NoTrayBackend>();
    options.basicPage = [](AppContext& ctx) {
      return std::make_unique<BasicPage>(ctx, BasicPage::Writes::None);
    };
  }

  CHidMouseDlg dlg(std::move(options));
  step("main window made (fonts, pages)");

  // Later starts and the desktop's activation reach this copy: over the
  // session bus, and over a socket beside the lock where there is no bus.
  // The name is owned before the start-up's messages can wait for an
  // answer: a bus that started this copy for an Activate call hands it over
  // once the name is owned, and gives up after a while.
  ActivationServer activation;
  if (!screenshot) {
    if (!activation.listenOnBus(busName)) log("activation: " + activation.error().toStdString());
    if (lock.held() && !activation.listenOnSocket(QString::fromStdString(*lockFolder)))
      log("activation: " + activation.error().toStdString());
    QObject::connect(&activation, &ActivationServer::activated, &dlg, &CHidMouseDlg::activate);
    QObject::connect(&activation, &ActivationServer::exitRequested, &dlg, &CHidMouseDlg::shutdown);
  }
  dlg.init();
  // "Exit" from the tray while a start-up message was open: the run is over
  // (an event loop started now would never be told to end).
  if (dlg.shutDown()) return kExitOk;

  if (screenshot) {
    if (o.screenshotPage == kAdvancedPage)
      dlg.showAdvancedPage();
    else
      dlg.showBasicPage();
    if (dlg.canvas() == nullptr) {
      printLine(stderr, QStringLiteral("hidmouse: no picture to save: the skin has no \"/main.png\""));
      return kExitFailure;
    }
    // The canvas with the page's child controls (the macro editor's lists
    // and fields) on it, as the window shows it.
    const QImage picture = dlg.grab().toImage();
    if (!picture.save(o.screenshot, "PNG")) {
      printLine(stderr, QStringLiteral("hidmouse: cannot write the screenshot to '%1'").arg(o.screenshot));
      return kExitFailure;
    }
    return kExitOk;
  }

  // Hidden in the tray; shown at start when asked or when there is no tray
  // that could show it later.
  if (o.show || !dlg.tray().available()) {
    dlg.showWindow();
    step("window shown");
  }
  // The simulated mouse's own events, played once the window runs.
  std::optional<SimEventPlayer> player;
  if (backend.simulated != nullptr && !o.shared.simEvents.empty())
    player.emplace(*backend.simulated, o.shared.simEvents);
  return app.exec();
}

}  // namespace hm
