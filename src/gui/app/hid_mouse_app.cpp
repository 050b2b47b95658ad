#include "gui/app/hid_mouse_app.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>

#include "core/device/hid_backend.h"
#include "core/settings/data_paths.h"
#include "core/settings/regular_file.h"
#include "gui/app/command_line.h"
#include "gui/app/hid_mouse_dlg.h"
#include "gui/app/message_box_sink.h"
#include "gui/app/tray.h"
#include "platform/hid/linux_hid_backend.h"
#include "platform/hid/simulated_mouse.h"
#include "platform/pointer_settings.h"
#include "platform/single_instance.h"
#include "platform/system_language.h"

namespace hm {

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;
constexpr char kScreenshotOption[] = "--screenshot";
constexpr char kOffscreenPlatform[] = "offscreen";

bool hasArgument(int argc, char** argv, const char* option) {
  const std::size_t n = std::strlen(option);
  for (int i = 1; i < argc; ++i)
    if (std::strncmp(argv[i], option, n) == 0 && (argv[i][n] == '\0' || argv[i][n] == '=')) return true;
  return false;
}

bool envSet(const char* name) {
  const char* v = std::getenv(name);
  return v != nullptr && *v != '\0';
}

void printLine(std::FILE* out, const QString& text) {
  std::fprintf(out, "%s\n", text.toLocal8Bit().constData());
}

}  // namespace

int CHidMouseApp::run(int argc, char** argv) {
  // A screenshot needs no display: without one, draw offscreen.
  const bool screenshotRun =
      hasArgument(argc, argv, kScreenshotOption) || hasArgument(argc, argv, kScreenshotOption + 1);
  if (screenshotRun && !envSet("QT_QPA_PLATFORM") && !envSet("DISPLAY") && !envSet("WAYLAND_DISPLAY"))
    ::setenv("QT_QPA_PLATFORM", kOffscreenPlatform, 1);
  // On X11 the window's class (WM_CLASS) is the application name; the
  // instance part stays the executable's name.
  QCoreApplication::setApplicationName(QString::fromLatin1(kWindowClassName));

  QApplication app(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);
  // No application display name: on X11 it would be appended to every
  // window title, and the message boxes must carry exactly their captions
  // ("Warning", or the program's name).

  const CommandLineResult parsed = parseCommandLine(QCoreApplication::arguments());
  if (parsed.status == CommandLineResult::Status::Help) {
    printLine(stdout, parsed.message);
    return kExitOk;
  }
  if (parsed.status == CommandLineResult::Status::Error) {
    printLine(stderr, parsed.message);
    return kExitUsage;
  }
  const CommandLine& o = parsed.options;
  const bool screenshot = !o.screenshot.isEmpty();
  auto log = [verbose = o.verbose](const std::string& text) {
    if (!verbose) return;
    std::fputs(text.c_str(), stderr);
    if (!text.empty() && text.back() != '\n') std::fputc('\n', stderr);
  };

  // One running copy. A screenshot run lives only for its picture and does
  // not take part.
  SingleInstanceLock lock;
  const std::optional<std::string> lockFolder = screenshot ? std::nullopt : userRuntimeFolder();
  if (!screenshot && !lockFolder)
    log("single instance: no private folder for the lock (no XDG_RUNTIME_DIR, and the temporary folder's "
        "is not this user's own); running without the single-instance guarantee\n");
  if (lockFolder) {
    switch (lock.acquire(*lockFolder)) {
      case SingleInstanceLock::Result::AlreadyRunning: return kExitOk;
      case SingleInstanceLock::Result::Failed:
        log("single instance: " + lock.error() + "\n");  // run anyway
        break;
      case SingleInstanceLock::Result::Acquired: break;
    }
  }

  const Language language = o.language ? *o.language : selectLanguage(systemDefaultLanguageId());
  const std::string exeFolder = executableFolder();
  const std::string dataFolder = o.dataDir.isEmpty() ? exeFolder : o.dataDir.toStdString();
  // The skins come from the data folder when it has its own, else from
  // beside the executable.
  const QString dataSkins = QString::fromStdString(dataFolder) + QStringLiteral("/Skins");
  const QString skinsBase =
      QFileInfo(dataSkins).isDir() ? QString::fromStdString(dataFolder) : QString::fromStdString(exeFolder);

  std::unique_ptr<HidBackend> backend;
  if (o.simulate) {
    auto sim = std::make_unique<SimulatedMouse>();
    if (o.simSensor) sim->setSensorAnswer(*o.simSensor);
    backend = std::move(sim);
  } else {
    backend = makeLinuxHidBackend();
  }

  // The desktop's pointer settings: GNOME's where its schema is installed.
  const std::unique_ptr<PointerSettings> pointer = makeDesktopPointerSettings();
  const char* const settingNames[] = {"precision", "pointer speed", "scroll lines", "double-click time"};
  for (PointerSetting s : kPointerSettings)
    log(std::string("pointer settings: ") + settingNames[static_cast<int>(s)] + ": " + pointer->source(s));

  StreamMessageSink streamSink;
  DlgOptions options;
  options.paths = DataPaths::inFolder(dataFolder);
  // What a killed save left behind is cleared before anything is read.
  for (const std::string* f : {&options.paths.configBin, &options.paths.strIni, &options.paths.recordIni})
    removeStaleTemporaryFiles(*f);
  options.skinsBase = skinsBase;
  options.language = language;
  options.backend = backend.get();
  options.log = log;
  options.pointerSettings = pointer.get();
  if (screenshot) {
    // No one could answer a message box or click a tray icon.
    options.messages = &streamSink;
    options.tray = std::make_unique<NoTrayBackend>();
  }

  CHidMouseDlg dlg(std::move(options));
  dlg.init();
  // "Exit" from the tray while a start-up message was open: the run is over
  // (an event loop started now would never be told to end).
  if (dlg.shutDown()) return kExitOk;

  if (screenshot) {
    if (o.screenshotPage == kAdvancedPage)
      dlg.showAdvancedPage();
    else
      dlg.showBasicPage();
    QImage* picture = dlg.canvas();
    if (picture == nullptr) {
      printLine(stderr, QStringLiteral("hidmouse: no picture to save: the skin has no \"/main.png\""));
      return kExitFailure;
    }
    if (!picture->save(o.screenshot, "PNG")) {
      printLine(stderr, QStringLiteral("hidmouse: cannot write the screenshot to '%1'").arg(o.screenshot));
      return kExitFailure;
    }
    return kExitOk;
  }

  // Hidden in the tray; shown at start when asked or when there is no tray
  // that could show it later.
  if (o.show || !dlg.tray().available()) dlg.showWindow();
  return app.exec();
}

}  // namespace hm
