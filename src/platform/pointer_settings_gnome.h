// SPDX-License-Identifier: GPL-3.0-or-later
// GNOME's pointer settings through GSettings (GIO's plain C API), schema
// org.gnome.desktop.peripherals.mouse:
//
//   pointer speed  key "speed", a double in -1..1 with 0 the desktop's own
//                  default. Speed s (1..20, 10 neutral) maps linearly:
//                  g = (s - 10) / 10, so 1 -> -0.9, 10 -> 0.0, 11 -> 0.1,
//                  20 -> 1.0; back s = round(10 g + 10) kept to 1..20, so
//                  -0.9 -> 1, 0.0 -> 10, 0.1 -> 11, 1.0 -> 20 and -1.0 -> 1.
//   precision      key "accel-profile": on = 'adaptive', off = 'flat'; the
//                  desktop's 'default' (adaptive on every desktop we know)
//                  reads as on.
//   double-click   key "double-click", milliseconds.
//   scroll lines   GNOME has no such setting: kept for the run
//                  (KeptPointerSettings), as is any of the keys above that
//                  the installed schema lacks.
//
// Every set is written through at once (g_settings_sync). A set that
// GSettings refuses (a key locked down by the administrator, a read-only
// backend) fails with EACCES. Reads do not fail: GSettings answers the
// schema's default for a key nobody set.
#pragma once

#include <array>
#include <string>

#include "platform/pointer_settings.h"

// GIO's type, as gio/giotypes.h names it.
typedef struct _GSettings GSettings;  // NOLINT(bugprone-reserved-identifier): GIO's own name

namespace hm {

class GnomePointerSettings : public PointerSettings {
 public:
  static constexpr char kSchema[] = "org.gnome.desktop.peripherals.mouse";
  // Whether the schema is installed (without it every setting is kept).
  static bool schemaInstalled();
  // Whether GSettings' default store can keep a set. dconf, the store of a
  // desktop session, writes through the session bus; without one (a shell
  // over ssh, a bare X server) GIO tries to launch a bus, prints warnings and
  // loses every set, so the values are then better kept for the run.
  static bool storeWritable();
  // The rule of storeWritable(): `backendType` is the default backend's GLib
  // type name; the bus is reachable by `busAddress`
  // (DBUS_SESSION_BUS_ADDRESS) or by the socket `runtimeDir`/bus, as GIO
  // finds it. Either may be null.
  static bool storeWritable(const char* backendType, const char* busAddress, const char* runtimeDir);

  enum class Store {
    Desktop,   // GSettings' default backend: dconf on a GNOME desktop
               // (GSETTINGS_BACKEND=memory chooses GIO's in-memory one)
    ReadOnly,  // the schema's defaults, every set refused
  };
  explicit GnomePointerSettings(Store store = Store::Desktop);
  ~GnomePointerSettings() override;
  GnomePointerSettings(const GnomePointerSettings&) = delete;
  GnomePointerSettings& operator=(const GnomePointerSettings&) = delete;

  Result<bool> readPrecision() override;
  Result<int> readPointerSpeed() override;
  Result<std::uint32_t> readScrollLines() override;
  Result<int> readDoubleClickTime() override;
  Status setPrecision(bool on) override;
  Status setPointerSpeed(int speed) override;
  Status setScrollLines(std::uint32_t lines) override;
  Status setDoubleClickTime(int ms) override;
  std::string source(PointerSetting) const override;

  // The speed mapping above.
  static double gsettingsSpeed(int speed);
  static int speedFromGsettings(double value);

 private:
  bool served(PointerSetting s) const { return served_[static_cast<std::size_t>(s)]; }

  GSettings* settings_ = nullptr;  // nullptr: the schema is missing
  std::array<bool, 4> served_{};   // by PointerSetting: a key of the schema
  KeptPointerSettings kept_;       // everything else
};

}  // namespace hm
