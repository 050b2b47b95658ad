// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/pointer_settings_kde.h"

#include <gio/gio.h>

#include <cerrno>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/settings/profile_file.h"
#include "platform/pointer_settings_gnome.h"

namespace hm {

namespace {

constexpr char kDevicesPath[] = "/org/kde/KWin/InputDevice";
constexpr char kManagerInterface[] = "org.kde.KWin.InputDeviceManager";
constexpr char kDeviceInterface[] = "org.kde.KWin.InputDevice";
constexpr char kAccelProperty[] = "pointerAcceleration";
constexpr char kAdaptiveProperty[] = "pointerAccelerationProfileAdaptive";
constexpr char kFlatProperty[] = "pointerAccelerationProfileFlat";
constexpr char kSection[] = "KDE";
constexpr char kDoubleClickKey[] = "DoubleClickInterval";
constexpr char kScrollLinesKey[] = "WheelScrollLines";
constexpr int kCallTimeoutMs = 2000;

Status dbusFailure(const std::string& call, GError* error) {
  const std::string text = call + (error != nullptr ? std::string(": ") + error->message : std::string());
  if (error != nullptr) g_error_free(error);
  return Status::failure(text, EIO);
}

// A property of an object of KWin's; nullptr when it does not answer.
GVariant* getProperty(GDBusConnection* bus, const std::string& path, const char* interface,
                      const char* name) {
  if (bus == nullptr) return nullptr;
  GVariant* reply = g_dbus_connection_call_sync(
      bus, KdePointerSettings::kKWinService, path.c_str(), "org.freedesktop.DBus.Properties", "Get",
      g_variant_new("(ss)", interface, name), G_VARIANT_TYPE("(v)"), G_DBUS_CALL_FLAGS_NO_AUTO_START,
      kCallTimeoutMs, nullptr, nullptr);
  if (reply == nullptr) return nullptr;
  GVariant* value = nullptr;
  g_variant_get(reply, "(v)", &value);
  g_variant_unref(reply);
  return value;
}

// The object paths of KWin's pointer devices (mice and touchpads).
std::vector<std::string> pointerDevices(GDBusConnection* bus) {
  std::vector<std::string> paths;
  GVariant* names = getProperty(bus, kDevicesPath, kManagerInterface, "devicesSysNames");
  if (names == nullptr || !g_variant_is_of_type(names, G_VARIANT_TYPE_STRING_ARRAY)) {
    if (names != nullptr) g_variant_unref(names);
    return paths;
  }
  gsize n = 0;
  const gchar** list = g_variant_get_strv(names, &n);
  for (gsize i = 0; i < n; ++i) {
    const std::string path = std::string(kDevicesPath) + "/" + list[i];
    GVariant* pointer = getProperty(bus, path, kDeviceInterface, "pointer");
    if (pointer != nullptr && g_variant_is_of_type(pointer, G_VARIANT_TYPE_BOOLEAN) &&
        g_variant_get_boolean(pointer) != FALSE)
      paths.push_back(path);
    if (pointer != nullptr) g_variant_unref(pointer);
  }
  g_free(static_cast<gpointer>(list));
  g_variant_unref(names);
  return paths;
}

std::string kdeglobalsIn(const std::string& configHome) { return configHome + "/kdeglobals"; }

}  // namespace

bool KdePointerSettings::kwinAnswers() {
  GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
  if (bus == nullptr) return false;
  GVariant* names = getProperty(bus, kDevicesPath, kManagerInterface, "devicesSysNames");
  const bool answers = names != nullptr;
  if (names != nullptr) g_variant_unref(names);
  g_object_unref(bus);
  return answers;
}

KdePointerSettings::KdePointerSettings(const std::string& configHome)
    : bus_(g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr)), kdeglobals_(kdeglobalsIn(configHome)) {}

KdePointerSettings::~KdePointerSettings() {
  if (bus_ != nullptr) g_object_unref(bus_);
}

Result<bool> KdePointerSettings::readPrecision() {
  const std::vector<std::string> devices = pointerDevices(bus_);
  if (devices.empty()) return Error{"KWin: no pointer device", ENODEV};
  GVariant* flat = getProperty(bus_, devices.front(), kDeviceInterface, kFlatProperty);
  if (flat == nullptr) return Error{"KWin: " + devices.front() + " " + kFlatProperty, EIO};
  const bool on = g_variant_get_boolean(flat) == FALSE;
  g_variant_unref(flat);
  return on;
}

Result<int> KdePointerSettings::readPointerSpeed() {
  const std::vector<std::string> devices = pointerDevices(bus_);
  if (devices.empty()) return Error{"KWin: no pointer device", ENODEV};
  GVariant* accel = getProperty(bus_, devices.front(), kDeviceInterface, kAccelProperty);
  if (accel == nullptr || !g_variant_is_of_type(accel, G_VARIANT_TYPE_DOUBLE)) {
    if (accel != nullptr) g_variant_unref(accel);
    return Error{"KWin: " + devices.front() + " " + kAccelProperty, EIO};
  }
  const int speed = GnomePointerSettings::speedFromGsettings(g_variant_get_double(accel));
  g_variant_unref(accel);
  return speed;
}

Result<std::uint32_t> KdePointerSettings::readScrollLines() {
  if (oneScreen_) return kScrollOneScreen;
  const std::string v = profile::getString(kdeglobals_, kSection, kScrollLinesKey);
  const int lines = v.empty() ? kDefaultScrollLines : std::atoi(v.c_str());
  return static_cast<std::uint32_t>(lines > 0 ? lines : kDefaultScrollLines);
}

Result<int> KdePointerSettings::readDoubleClickTime() {
  const std::string v = profile::getString(kdeglobals_, kSection, kDoubleClickKey);
  const int ms = v.empty() ? kDefaultDoubleClickMs : std::atoi(v.c_str());
  return ms > 0 ? ms : kDefaultDoubleClickMs;
}

Status KdePointerSettings::setOnPointers(const char* property, void* value) {
  auto* v = static_cast<GVariant*>(value);
  g_variant_ref_sink(v);
  const std::vector<std::string> devices = pointerDevices(bus_);
  Status result = devices.empty() ? Status::failure("KWin: no pointer device", ENODEV) : Status{};
  for (const std::string& path : devices) {
    GError* error = nullptr;
    GVariant* reply =
        g_dbus_connection_call_sync(bus_, kKWinService, path.c_str(), "org.freedesktop.DBus.Properties",
                                    "Set", g_variant_new("(ssv)", kDeviceInterface, property, v), nullptr,
                                    G_DBUS_CALL_FLAGS_NO_AUTO_START, kCallTimeoutMs, nullptr, &error);
    if (reply == nullptr)
      result = dbusFailure("KWin: set " + path + " " + property, error);
    else
      g_variant_unref(reply);
  }
  g_variant_unref(v);
  return result;
}

Status KdePointerSettings::setPrecision(bool on) {
  // KWin takes the profile as two switches: the one switched on wins.
  if (Status s = setOnPointers(on ? kAdaptiveProperty : kFlatProperty, g_variant_new_boolean(TRUE)); !s)
    return s;
  return setOnPointers(on ? kFlatProperty : kAdaptiveProperty, g_variant_new_boolean(FALSE));
}

Status KdePointerSettings::setPointerSpeed(int speed) {
  return setOnPointers(kAccelProperty, g_variant_new_double(GnomePointerSettings::gsettingsSpeed(speed)));
}

Status KdePointerSettings::writeGlobal(const char* key, int value) {
  if (Status s = profile::writeString(kdeglobals_, kSection, key, std::to_string(value)); !s) return s;
  if (bus_ == nullptr) return Status::failure("kdeglobals: no session bus to announce the change", ENOTCONN);
  // Plasma's programs re-read the keys named in the signal.
  GVariantBuilder groups;
  g_variant_builder_init(&groups, G_VARIANT_TYPE("a{sas}"));
  const gchar* keys[] = {key, nullptr};
  g_variant_builder_add(&groups, "{s^as}", kSection, keys);
  GError* error = nullptr;
  if (g_dbus_connection_emit_signal(bus_, nullptr, "/kdeglobals", "org.kde.kconfig.notify", "ConfigChanged",
                                    g_variant_new("(a{sas})", &groups), &error) == FALSE)
    return dbusFailure("kdeglobals: ConfigChanged", error);
  g_dbus_connection_flush_sync(bus_, nullptr, nullptr);
  return {};
}

Status KdePointerSettings::setScrollLines(std::uint32_t lines) {
  oneScreen_ = lines == kScrollOneScreen;
  if (oneScreen_) return {};
  return writeGlobal(kScrollLinesKey, static_cast<int>(lines));
}

Status KdePointerSettings::setDoubleClickTime(int ms) { return writeGlobal(kDoubleClickKey, ms); }

std::string KdePointerSettings::source(PointerSetting s) const {
  switch (s) {
    case PointerSetting::Precision: return std::string("KWin input devices ") + kAdaptiveProperty;
    case PointerSetting::Speed: return std::string("KWin input devices ") + kAccelProperty;
    case PointerSetting::ScrollLines:
      return kdeglobals_ + " [KDE] " + kScrollLinesKey + " (one screen per notch: kept for this run)";
    case PointerSetting::DoubleClick: return kdeglobals_ + " [KDE] " + kDoubleClickKey;
  }
  return "";
}

}  // namespace hm
