// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/pointer_settings.h"

#include "core/settings/message_sink.h"
#include "platform/pointer_settings_gnome.h"
#include "platform/pointer_settings_kde.h"
#include "platform/pointer_settings_x11.h"

#include <cstdlib>
#include <string_view>

namespace hm {

Status KeptPointerSettings::setPrecision(bool on) {
  values_.precision = on;
  return {};
}

Status KeptPointerSettings::setPointerSpeed(int speed) {
  values_.speed = speed;
  return {};
}

Status KeptPointerSettings::setScrollLines(std::uint32_t lines) {
  values_.scrollLines = lines;
  return {};
}

Status KeptPointerSettings::setDoubleClickTime(int ms) {
  values_.doubleClickMs = ms;
  return {};
}

std::string KeptPointerSettings::source(PointerSetting) const { return "kept for this run"; }

namespace {

template <class T>
std::optional<T> valueOrWarn(Result<T> r, const char* failedText, MessageSink& messages) {
  if (r) return r.value();
  if (failedText != nullptr) messages.showMessage(failedText, kPointerWarningCaption);
  return std::nullopt;
}

void warnIfFailed(const Status& s, const char* failedText, MessageSink& messages) {
  if (!s) messages.showMessage(failedText, kPointerWarningCaption);
}

}  // namespace

PointerReading readPointerValues(PointerSettings& desktop, MessageSink& messages) {
  PointerReading r;
  r.precision = valueOrWarn(desktop.readPrecision(), nullptr, messages);
  r.speed = valueOrWarn(desktop.readPointerSpeed(), kReadSpeedFailedText, messages);
  r.scrollLines = valueOrWarn(desktop.readScrollLines(), kReadScrollLinesFailedText, messages);
  r.doubleClickMs = valueOrWarn(desktop.readDoubleClickTime(), kReadDoubleClickFailedText, messages);
  return r;
}

void applyPointerValues(PointerSettings& desktop, const PointerValues& v, MessageSink& messages) {
  warnIfFailed(desktop.setPrecision(v.precision), kSetPrecisionFailedText, messages);
  warnIfFailed(desktop.setPointerSpeed(v.speed), kSetSpeedFailedText, messages);
  warnIfFailed(desktop.setScrollLines(v.scrollLines), kSetScrollLinesFailedText, messages);
  warnIfFailed(desktop.setDoubleClickTime(v.doubleClickMs), kSetDoubleClickFailedText, messages);
}

namespace {

bool desktopNamed(std::string_view list, std::string_view name) {
  while (!list.empty()) {
    const std::size_t end = list.find(':');
    if (list.substr(0, end) == name) return true;
    if (end == std::string_view::npos) break;
    list.remove_prefix(end + 1);
  }
  return false;
}

std::string configHome() {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  if (config != nullptr && *config == '/') return config;
  const char* home = std::getenv("HOME");
  return std::string(home != nullptr ? home : "") + "/.config";
}

bool gnomeDesktop(std::string_view desktops) {
  return desktopNamed(desktops, "GNOME") || desktopNamed(desktops, "Unity");
}

bool set(const char* v) { return v != nullptr && *v != '\0'; }

}  // namespace

PointerStore choosePointerStore(const char* currentDesktop, bool gnomeStoreUsable, bool kwinAnswers,
                                bool x11Devices) {
  const std::string_view desktops = currentDesktop != nullptr ? currentDesktop : "";
  if (desktopNamed(desktops, "KDE")) return kwinAnswers ? PointerStore::Kde : PointerStore::Kept;
  if (gnomeDesktop(desktops)) return gnomeStoreUsable ? PointerStore::Gnome : PointerStore::Kept;
  return x11Devices ? PointerStore::XInput : PointerStore::Kept;
}

bool x11Session(const char* sessionType, const char* waylandDisplay, const char* display) {
  return set(display) && !set(waylandDisplay) &&
         std::string_view(sessionType != nullptr ? sessionType : "") != "wayland";
}

std::unique_ptr<PointerSettings> makeDesktopPointerSettings() {
  const char* desktop = std::getenv("XDG_CURRENT_DESKTOP");
  const std::string_view d = desktop != nullptr ? desktop : "";
  // Each store is asked about only where its desktop runs.
  const bool kde = desktopNamed(d, "KDE");
  const bool gnomeUsable =
      !kde && GnomePointerSettings::schemaInstalled() && GnomePointerSettings::storeWritable();
  std::unique_ptr<XInputDevices> x11;
  if (!kde && !gnomeDesktop(d) &&
      x11Session(std::getenv("XDG_SESSION_TYPE"), std::getenv("WAYLAND_DISPLAY"), std::getenv("DISPLAY")))
    x11 = connectXInput();
  const bool x11Devices = x11 && X11PointerSettings::servesAny(*x11);
  switch (choosePointerStore(desktop, gnomeUsable, kde && KdePointerSettings::kwinAnswers(), x11Devices)) {
    case PointerStore::Gnome: return std::make_unique<GnomePointerSettings>();
    case PointerStore::Kde: return std::make_unique<KdePointerSettings>(configHome());
    case PointerStore::XInput: return std::make_unique<X11PointerSettings>(std::move(x11));
    case PointerStore::Kept: break;
  }
  return std::make_unique<KeptPointerSettings>();
}

}  // namespace hm
