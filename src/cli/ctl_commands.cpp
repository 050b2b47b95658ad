// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/ctl_commands.h"

#include <poll.h>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>

#include "cli/ctl_doctor.h"
#include "cli/ctl_show.h"
#include "core/device/device_change.h"
#include "core/device/notification_reader.h"
#include "core/macros/macro_encoder.h"
#include "core/model/config_session.h"
#include "core/model/tray_balloons.h"
#include "core/settings/config_file.h"
#include "core/settings/profile_file.h"
#include "core/settings/settings_ini.h"
#include "core/settings/ui_text.h"
#include "platform/pointer_settings.h"

namespace hm::ctl {

using nlohmann::json;

namespace {

std::string hex2(unsigned v) {
  char b[8];
  std::snprintf(b, sizeof b, "%02x", v & 0xFF);
  return b;
}
std::string hex4(unsigned v) {
  char b[8];
  std::snprintf(b, sizeof b, "%04x", v & 0xFFFF);
  return b;
}

// False, with its error line, when there is no config.bin.
bool configExists(Session& s) {
  const std::string path = s.paths().configBin;
  if (std::filesystem::exists(path)) return true;
  s.console().error("cannot read " + path + ": " + kConfigMissingText);
  return false;
}

void reportUnreadableConfig(Session& s) {
  s.console().error("cannot read " + s.paths().configBin + ": not a config.bin of " +
                    std::to_string(kConfigFileSize) + " bytes");
}

// SIGINT and SIGTERM end `monitor` through this event (write(2) is safe in a
// signal handler).
WakeEvent* gStopEvent = nullptr;
extern "C" void onStopSignal(int) {
  if (gStopEvent) gStopEvent->set();
}

// Plays --sim-events during apply, one every 100 ms of the mouse's pauses, so
// that "unplug" lands at the same exchange on every run.
void playSimEventsOnPauses(Session& s) {
  SimulatedMouse* mouse = s.simulated();
  if (!mouse || s.options().simEvents.empty()) return;
  s.pauses().afterPause = [&s, mouse, next = std::size_t{0}](unsigned elapsedMs) mutable {
    const std::vector<SimEvent>& events = s.options().simEvents;
    const auto gap = static_cast<unsigned>(SimEventPlayer::kGap.count());
    while (next < events.size() && elapsedMs >= (next + 1) * gap) playSimEvent(*mouse, events[next++]);
  };
}

// str.ini is optional (without it the button texts are empty), but one that
// is there and cannot be read (a folder or FIFO in its place, no permission)
// is a damaged data folder, not one without texts.
bool strIniReadable(Session& s) {
  const Result<profile::ProfileDocument> str = profile::ProfileDocument::load(s.paths().strIni);
  if (str) return true;
  s.console().error("cannot read " + s.paths().strIni + ": " + str.error().text());
  return false;
}

}  // namespace

bool loadConfig(Session& s, MouseConfig& config, std::uint8_t& flag) {
  if (!configExists(s)) return false;
  NullMessageSink quiet;
  if (!loadConfigFile(s.paths().configBin, config, flag, quiet)) {
    reportUnreadableConfig(s);
    return false;
  }
  return strIniReadable(s);
}

bool loadConfigSession(Session& s, ConfigSession& config) {
  // str.ini is optional: without it the button texts start empty and Apply
  // creates the file, as the desktop program does.
  if (!configExists(s)) return false;
  if (!config.load()) {
    reportUnreadableConfig(s);
    return false;
  }
  return strIniReadable(s);
}

std::string balloonText(int type, int value, int sensorType, const MouseConfig* config) {
  const auto balloon = balloonForEvent(type, value, UiTexts(Language::English), config, sensorType);
  return balloon ? balloon->text : std::string();
}

int runList(Session& s) {
  const auto list = s.backend().listInterfaces();
  if (!list) {
    s.console().error("listing the HID interfaces failed: " + s.backend().lastError().text());
    return kExitNoMouse;
  }
  json interfaces = json::array();
  std::vector<std::string> lines;
  for (const HidInterfaceEntry& e : *list) {
    if (!e.detailOk) continue;
    auto q = s.backend().open(e.path, HidAccess::Query);
    if (!q) {
      if (s.options().verbose) s.console().err("skipped " + e.path + ": " + s.backend().lastError().text());
      continue;
    }
    HidAttributes a;
    if (!q->getAttributes(a) || a.vendorId != proto::kVendorId || a.productId != proto::kProductId) continue;
    HidCaps c;
    if (q->getCaps(c) != HidCapsStatus::Ok) {
      s.console().error("the capabilities of " + e.path + " cannot be read: " + q->lastError().text());
      continue;
    }
    interfaces.push_back({{"path", e.path},
                          {"vendor", a.vendorId},
                          {"product", a.productId},
                          {"version", a.versionNumber},
                          {"usagePage", c.usagePage},
                          {"usage", c.usage},
                          {"inputLength", c.inputReportByteLength},
                          {"outputLength", c.outputReportByteLength},
                          {"featureLength", c.featureReportByteLength}});
    lines.push_back(e.path);
    lines.push_back("  vendor " + hex4(a.vendorId) + ", product " + hex4(a.productId) + ", version " +
                    hex4(a.versionNumber) + ", usage page " + hex4(c.usagePage) + ", usage " + hex4(c.usage) +
                    ", input " + std::to_string(c.inputReportByteLength) + ", output " +
                    std::to_string(c.outputReportByteLength) + ", feature " +
                    std::to_string(c.featureReportByteLength));
  }
  if (s.options().json) {
    s.console().out(jsonLine(json{{"interfaces", interfaces}}));
  } else {
    for (const auto& l : lines) s.console().out(l);
  }
  if (interfaces.empty()) {
    s.console().error(proto::kMsgMouseNotDetected);
    return kExitNoMouse;
  }
  return kExitOk;
}

int runInfo(Session& s) {
  if (!s.openMouse()) return kExitNoMouse;
  DeviceLink& link = s.link();
  link.readSensorInfo();
  const SensorInfo si = link.sensorInfo();
  const int type = si.sensorType;
  json steps = json::array();
  for (int step = 0; step < dpiStepCount(type); ++step) {
    const std::string dpi = dpiText(type, step);
    if (dpi.empty()) continue;
    steps.push_back({{"step", step}, {"dpi", dpi}, {"code", dpiCode(type, step)}});
  }
  if (s.options().json) {
    s.console().out(jsonLine(json{{"mouse", chosenMouseJson(link.chosenMouse())},
                                  {"sensorType", si.sensorType},
                                  {"rate", si.rate},
                                  {"option1", si.option1},
                                  {"option2", si.option2},
                                  {"dpiSteps", steps}}));
    return kExitOk;
  }
  for (const std::string& l : chosenMouseLines(*link.chosenMouse())) s.console().out(l);
  s.console().out("Sensor type: " + hex2(si.sensorType));
  s.console().out("Rate: " + hex2(si.rate));
  s.console().out("Option 1: " + hex2(si.option1));
  s.console().out("Option 2: " + hex2(si.option2));
  if (steps.empty()) {
    s.console().out("DPI steps: none (no DPI table for sensor type " + std::to_string(type) + ")");
  } else {
    s.console().out("DPI steps of sensor type " + std::to_string(type) + ":");
    for (const json& st : steps)
      s.console().out("  step " + std::to_string(st["step"].get<int>()) + ": " +
                      st["dpi"].get<std::string>() + " DPI (code 0x" + hex2(st["code"].get<int>()) + ")");
  }
  return kExitOk;
}

namespace {

// As the window's Apply: after the mouse, whether or not it took everything,
// the record's pointer settings go to the desktop. What the desktop has no
// place for is kept only by this process, so --verbose says what serves each.
void handPointerSettingsToDesktop(Session& s, const MouseConfig& record) {
  const std::unique_ptr<PointerSettings> desktop = makeDesktopPointerSettings();
  if (s.options().verbose)
    for (PointerSetting p : kPointerSettings)
      s.console().err(std::string("pointer settings: ") + pointerSettingName(p) + ": " + desktop->source(p));
  applyPointerValues(*desktop, pointerValuesFor(record), s.sink());
}

}  // namespace

int runApply(Session& s) {
  const DataPaths paths = s.paths();
  ConfigSession config(paths, s.language(), s.sink());
  if (!loadConfigSession(s, config)) return kExitFile;
  if (!s.openMouse()) return kExitNoMouse;
  DeviceLink& link = s.link();
  // What the window's first display of the Basic page does before an Apply
  // can be clicked: the handshake, and on a factory config.bin the factory
  // names of buttons 1..8.
  link.sensorHandshake();
  config.runFirstRunAction(UiTexts(config.language()));
  playSimEventsOnPauses(s);
  const ApplyResult result = config.applyToMouse(link);
  s.pauses().afterPause = nullptr;
  // The files go in place whatever the mouse did, all of them or none.
  const bool saved = result.saved() && s.commitFiles();
  handPointerSettingsToDesktop(s, config.working());
  if (!result.mouseTookAll()) {
    s.console().error("the mouse did not take the whole configuration (" + result.deviceFailure->text() +
                      (saved ? "); " + paths.configBin + " and " + paths.strIni + " were saved" : ")"));
    return kExitDevice;
  }
  if (!saved) {
    s.console().error("none of " + paths.configBin + " and " + paths.strIni + " was changed");
    return kExitFile;
  }
  s.console().out("Applied the configuration to the mouse and saved " + paths.configBin + " and " +
                  paths.strIni + ".");
  return kExitOk;
}

int runShow(Session& s, int sensorType) {
  MouseConfig config;
  std::uint8_t flag = 0;
  if (!loadConfig(s, config, flag)) return kExitFile;
  // No record.ini is no macros; one that cannot be read is a file error.
  const Result<profile::ProfileDocument> macros = profile::ProfileDocument::load(s.paths().recordIni);
  if (!macros) {
    s.console().error("cannot read " + s.paths().recordIni + ": " + macros.error().text());
    return kExitFile;
  }
  const json doc = describeConfig(config, sensorType, summariseMacros(macros.value()));
  if (s.options().json) {
    s.console().out(jsonLine(doc));
  } else {
    for (const auto& l : renderConfig(doc)) s.console().out(l);
  }
  return kExitOk;
}

int runMacrosRebuild(Session& s) {
  const DataPaths paths = s.paths();
  MouseConfig config;
  std::uint8_t flag = 0;
  if (!loadConfig(s, config, flag)) return kExitFile;
  // A record.ini that is there but cannot be read (no permission, a folder
  // or a FIFO in its place) is an error, not a file without macros.
  const Result<profile::ProfileDocument> loaded = profile::ProfileDocument::load(paths.recordIni);
  if (!loaded) {
    s.console().error("cannot read " + paths.recordIni + ": " + loaded.error().text());
    return kExitFile;
  }
  if (!loaded.value().existed()) {
    s.console().error("cannot read " + paths.recordIni + ": the file does not exist");
    return kExitFile;
  }
  const std::vector<MacroReport> reports = rebuildMacroImages(loaded.value(), &config);
  if (!writeConfigImage(paths.configBin, flag, config)) {
    s.console().error("cannot write " + paths.configBin);
    return kExitFile;
  }
  if (!s.commitFiles()) return kExitFile;
  for (const MacroReport& r : reports) {
    s.console().out("Macro " + std::to_string(r.number) + " \"" + r.name + "\": " + std::to_string(r.events) +
                    " events");
    if (!r.hasImage)
      s.console().err("hidmousectl: warning: macro " + std::to_string(r.number) + " \"" + r.name +
                      "\" has no image (only the first twelve macros reach the mouse)");
    else if (r.truncated)
      s.console().err("hidmousectl: warning: macro " + std::to_string(r.number) + " \"" + r.name +
                      "\" was cut to " + std::to_string(r.events) + " events to fit its image");
  }
  if (reports.empty()) s.console().out("No macros in " + paths.recordIni + "; the images are unchanged.");
  return kExitOk;
}

int runMonitor(Session& s) {
  auto monitor = s.backend().openMonitor();
  if (!monitor) {
    s.console().error("watching for devices failed: " + s.backend().lastError().text());
    return kExitNoMouse;
  }
  MouseConfig config;
  std::uint8_t flag = 0;
  NullMessageSink quiet;
  const bool haveConfig = loadConfigFile(s.paths().configBin, config, flag, quiet).ok();
  std::atomic<int> sensorType{0};
  const bool asJson = s.options().json;
  Console& con = s.console();

  auto printEvent = [&](int type, int value) {
    const std::string text = balloonText(type, value, sensorType.load(), haveConfig ? &config : nullptr);
    if (asJson)
      con.out(jsonLine(
          nlohmann::json{{"event", "notification"}, {"type", type}, {"value", value}, {"text", text}}));
    else
      con.out("event " + std::to_string(type) + " " + std::to_string(value) + ": " +
              (text.empty() ? "(shows nothing)" : text));
  };
  auto printDevice = [&](const HidDeviceEvent& e) {
    const char* kind = e.kind == HidDeviceEventKind::Arrival ? "arrival" : "removal";
    if (asJson)
      con.out(jsonLine(nlohmann::json{{"event", kind}, {"path", e.path}}));
    else
      con.out(std::string(kind) + " " + e.path);
  };

  DeviceLink& link = s.link();
  NotificationReader reader(link, printEvent);
  // A mouse that is there but may not be opened is said so plainly.
  auto mouseMissing = [&] {
    if (link.permissionProblem())
      s.reportMouseMissing();
    else
      printEvent(proto::kEventMouseMissing, 0);
  };
  if (link.openMouse() == 1) {
    link.readSensorInfo();
    sensorType = link.sensorInfo().sensorType;
    reader.release();
  } else {
    mouseMissing();
  }

  WakeEvent stop;
  gStopEvent = &stop;
  struct sigaction sa {};
  sa.sa_handler = onStopSignal;
  sigemptyset(&sa.sa_mask);
  struct sigaction oldInt = {};
  struct sigaction oldTerm = {};
  sigaction(SIGINT, &sa, &oldInt);
  sigaction(SIGTERM, &sa, &oldTerm);
  {
    std::optional<SimEventPlayer> player;
    if (SimulatedMouse* mouse = s.simulated()) player.emplace(*mouse, s.options().simEvents);
    for (;;) {
      pollfd fds[2] = {{monitor->fd(), POLLIN, 0}, {stop.fd(), POLLIN, 0}};
      if (::poll(fds, 2, -1) < 0 && errno != EINTR) break;
      if (stop.isSet()) break;
      for (const HidDeviceEvent& e : monitor->drain()) {
        printDevice(e);
        const DeviceChangeAction a = handleDeviceChange(link, deviceChangeCode(e.kind),
                                                        proto::kDeviceTypeInterface, e.path, false, true);
        if (a.kind == DeviceChangeKind::WarnAndHide) mouseMissing();
        if (a.handshakeDone) sensorType = link.activeSensorType();
        if (a.startReader) reader.release();
      }
    }
  }
  sigaction(SIGINT, &oldInt, nullptr);
  sigaction(SIGTERM, &oldTerm, nullptr);
  gStopEvent = nullptr;
  reader.stop();
  return kExitOk;
}

}  // namespace hm::ctl
