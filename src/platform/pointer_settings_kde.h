// SPDX-License-Identifier: GPL-3.0-or-later
// KDE Plasma's pointer settings:
//
//   pointer speed  KWin's input devices over the session bus (service
//   precision      org.kde.KWin, /org/kde/KWin/InputDevice/<sysName>,
//                  interface org.kde.KWin.InputDevice): on every pointer
//                  device (property "pointer" true) "pointerAcceleration", a
//                  double in -1..1 mapped from the speed as GNOME's key is,
//                  and the profile: precision on = "pointerAccelerationProfile
//                  Adaptive", off = "pointerAccelerationProfileFlat". KWin
//                  applies them at once. Read from the first pointer device.
//   double-click   kdeglobals [KDE] DoubleClickInterval (ms) and
//   scroll lines   WheelScrollLines, in $XDG_CONFIG_HOME (~/.config), each
//                  set announced with the ConfigChanged signal Plasma's
//                  programs listen to (/kdeglobals, org.kde.kconfig.notify).
//                  Plasma has no one-screen scrolling: that is kept for the
//                  run. A missing key reads as Plasma's default (400 ms,
//                  3 lines).
//
// Plain C++ over GIO's GDBus, no Qt.
#pragma once

#include <string>

#include "platform/pointer_settings.h"

typedef struct _GDBusConnection GDBusConnection;  // NOLINT(bugprone-reserved-identifier): GIO's own name

namespace hm {

class KdePointerSettings : public PointerSettings {
 public:
  static constexpr char kKWinService[] = "org.kde.KWin";
  static constexpr int kDefaultDoubleClickMs = 400;
  static constexpr int kDefaultScrollLines = 3;

  // Whether KWin's input devices answer on the session bus.
  static bool kwinAnswers();

  // configHome: the folder of kdeglobals ($XDG_CONFIG_HOME or ~/.config).
  explicit KdePointerSettings(const std::string& configHome);
  ~KdePointerSettings() override;
  KdePointerSettings(const KdePointerSettings&) = delete;
  KdePointerSettings& operator=(const KdePointerSettings&) = delete;

  Result<bool> readPrecision() override;
  Result<int> readPointerSpeed() override;
  Result<std::uint32_t> readScrollLines() override;
  Result<int> readDoubleClickTime() override;
  Status setPrecision(bool on) override;
  Status setPointerSpeed(int speed) override;
  Status setScrollLines(std::uint32_t lines) override;
  Status setDoubleClickTime(int ms) override;
  std::string source(PointerSetting) const override;

  const std::string& kdeglobals() const { return kdeglobals_; }

 private:
  Status setOnPointers(const char* property, void* value);  // GVariant*, floating
  Status writeGlobal(const char* key, int value);

  GDBusConnection* bus_ = nullptr;
  std::string kdeglobals_;
  bool oneScreen_ = false;  // one-screen scrolling, kept for the run
};

}  // namespace hm
