// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/pointer_settings_gnome.h"

#include <gio/gio.h>
#define G_SETTINGS_ENABLE_BACKEND
#include <gio/gsettingsbackend.h>

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

namespace hm {

namespace {

constexpr char kSpeedKey[] = "speed";
constexpr char kAccelKey[] = "accel-profile";
constexpr char kDoubleClickKey[] = "double-click";
constexpr char kAccelOn[] = "adaptive";
constexpr char kAccelOff[] = "flat";
constexpr double kSpeedScale = 10.0;  // speed steps per unit of the key
constexpr char kDconfBackendType[] = "DConfSettingsBackend";

// The key that serves a setting; nullptr where GNOME has none.
const char* keyFor(PointerSetting s) {
  switch (s) {
    case PointerSetting::Precision: return kAccelKey;
    case PointerSetting::Speed: return kSpeedKey;
    case PointerSetting::DoubleClick: return kDoubleClickKey;
    case PointerSetting::ScrollLines: return nullptr;
  }
  return nullptr;
}

GSettingsSchema* lookUpSchema() {
  GSettingsSchemaSource* source = g_settings_schema_source_get_default();  // not owned
  return source != nullptr ? g_settings_schema_source_lookup(source, GnomePointerSettings::kSchema, TRUE)
                           : nullptr;
}

Status written(gboolean ok, const char* key) {
  if (!ok)
    return Status::failure(std::string("g_settings_set(") + GnomePointerSettings::kSchema + " " + key + ")",
                           EACCES);
  g_settings_sync();
  return {};
}

}  // namespace

bool GnomePointerSettings::schemaInstalled() {
  GSettingsSchema* schema = lookUpSchema();
  if (schema == nullptr) return false;
  g_settings_schema_unref(schema);
  return true;
}

bool GnomePointerSettings::storeWritable(const char* backendType, const char* busAddress,
                                         const char* runtimeDir) {
  if (backendType == nullptr || std::strcmp(backendType, kDconfBackendType) != 0) return true;
  if (busAddress != nullptr && *busAddress != '\0') return true;
  if (runtimeDir == nullptr || *runtimeDir == '\0') return false;
  struct stat st {};
  return ::stat((std::string(runtimeDir) + "/bus").c_str(), &st) == 0 && S_ISSOCK(st.st_mode);
}

bool GnomePointerSettings::storeWritable() {
  GSettingsBackend* backend = g_settings_backend_get_default();  // a new reference
  const bool writable = storeWritable(G_OBJECT_TYPE_NAME(backend), std::getenv("DBUS_SESSION_BUS_ADDRESS"),
                                      std::getenv("XDG_RUNTIME_DIR"));
  g_object_unref(backend);
  return writable;
}

GnomePointerSettings::GnomePointerSettings(Store store) {
  GSettingsSchema* schema = lookUpSchema();
  if (schema == nullptr) return;  // GSettings would abort on an unknown schema
  GSettingsBackend* backend = store == Store::ReadOnly ? g_null_settings_backend_new() : nullptr;
  settings_ = g_settings_new_full(schema, backend, nullptr);
  if (backend != nullptr) g_object_unref(backend);  // the settings hold their own reference
  for (PointerSetting s : kPointerSettings) {
    const char* key = keyFor(s);
    served_[static_cast<std::size_t>(s)] = key != nullptr && g_settings_schema_has_key(schema, key);
  }
  g_settings_schema_unref(schema);
}

GnomePointerSettings::~GnomePointerSettings() {
  if (settings_ != nullptr) g_object_unref(settings_);
}

double GnomePointerSettings::gsettingsSpeed(int speed) {
  return (std::clamp(speed, kPointerSpeedMin, kPointerSpeedMax) - kPointerSpeedNeutral) / kSpeedScale;
}

int GnomePointerSettings::speedFromGsettings(double value) {
  if (!std::isfinite(value)) return kPointerSpeedNeutral;
  const double s = std::clamp(value * kSpeedScale + kPointerSpeedNeutral, double{kPointerSpeedMin},
                              double{kPointerSpeedMax});
  return static_cast<int>(std::lround(s));
}

Result<bool> GnomePointerSettings::readPrecision() {
  if (!served(PointerSetting::Precision)) return kept_.readPrecision();
  gchar* profile = g_settings_get_string(settings_, kAccelKey);
  const bool on = g_strcmp0(profile, kAccelOff) != 0;  // 'adaptive' and the desktop's 'default'
  g_free(profile);
  return on;
}

Result<int> GnomePointerSettings::readPointerSpeed() {
  if (!served(PointerSetting::Speed)) return kept_.readPointerSpeed();
  return speedFromGsettings(g_settings_get_double(settings_, kSpeedKey));
}

Result<std::uint32_t> GnomePointerSettings::readScrollLines() { return kept_.readScrollLines(); }

Result<int> GnomePointerSettings::readDoubleClickTime() {
  if (!served(PointerSetting::DoubleClick)) return kept_.readDoubleClickTime();
  return static_cast<int>(g_settings_get_int(settings_, kDoubleClickKey));
}

Status GnomePointerSettings::setPrecision(bool on) {
  if (!served(PointerSetting::Precision)) return kept_.setPrecision(on);
  return written(g_settings_set_string(settings_, kAccelKey, on ? kAccelOn : kAccelOff), kAccelKey);
}

Status GnomePointerSettings::setPointerSpeed(int speed) {
  if (!served(PointerSetting::Speed)) return kept_.setPointerSpeed(speed);
  return written(g_settings_set_double(settings_, kSpeedKey, gsettingsSpeed(speed)), kSpeedKey);
}

Status GnomePointerSettings::setScrollLines(std::uint32_t lines) { return kept_.setScrollLines(lines); }

Status GnomePointerSettings::setDoubleClickTime(int ms) {
  if (!served(PointerSetting::DoubleClick)) return kept_.setDoubleClickTime(ms);
  return written(g_settings_set_int(settings_, kDoubleClickKey, ms), kDoubleClickKey);
}

std::string GnomePointerSettings::source(PointerSetting s) const {
  if (!served(s)) return kept_.source(s);
  return std::string("GSettings ") + kSchema + " " + keyFor(s);
}

}  // namespace hm
