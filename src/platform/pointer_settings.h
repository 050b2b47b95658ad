// SPDX-License-Identifier: GPL-3.0-or-later
// The desktop's pointer settings: pointer speed, pointer acceleration
// ("Enhance Pointer Precision"), wheel scroll lines (or one screen per notch)
// and double-click time, read and set in the units of PointerValues
// (core/model/pointer_settings_logic.h). The Advanced page reads them on its
// first paint; OK, Apply and "Default" set them.
//
// Implementations, chosen at start-up by makeDesktopPointerSettings() from
// the running desktop (XDG_CURRENT_DESKTOP) and what answers there; a store
// the running desktop does not read is never written:
// - GnomePointerSettings (pointer_settings_gnome.h): the GSettings schema
//   org.gnome.desktop.peripherals.mouse, on GNOME where it is installed;
// - KdePointerSettings (pointer_settings_kde.h): KWin's input devices and
//   kdeglobals, on KDE Plasma where KWin answers on the session bus;
// - X11PointerSettings (pointer_settings_x11.h): the libinput driver's device
//   properties, on the other desktops of an X11 session where a pointer
//   device has them;
// - KeptPointerSettings: for what the desktop has no place for, the program
//   keeps the value for the run: a read gives what was last set, or the
//   "Default" value while nothing was set, and never fails.
// Tests put their own implementation behind the interface.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "core/error.h"
#include "core/model/pointer_settings_logic.h"

namespace hm {

class MessageSink;

enum class PointerSetting { Precision, Speed, ScrollLines, DoubleClick };
inline constexpr std::array<PointerSetting, 4> kPointerSettings{
    PointerSetting::Precision, PointerSetting::Speed, PointerSetting::ScrollLines,
    PointerSetting::DoubleClick};

// The setting's name in the diagnostic lines.
constexpr const char* pointerSettingName(PointerSetting s) {
  switch (s) {
    case PointerSetting::Precision: return "precision";
    case PointerSetting::Speed: return "pointer speed";
    case PointerSetting::ScrollLines: return "scroll lines";
    case PointerSetting::DoubleClick: return "double-click time";
  }
  return "";
}

class PointerSettings {
 public:
  virtual ~PointerSettings() = default;
  virtual Result<bool> readPrecision() = 0;
  virtual Result<int> readPointerSpeed() = 0;           // 1..20
  virtual Result<std::uint32_t> readScrollLines() = 0;  // kScrollOneScreen: one screen
  virtual Result<int> readDoubleClickTime() = 0;        // ms
  virtual Status setPrecision(bool on) = 0;
  virtual Status setPointerSpeed(int speed) = 0;
  virtual Status setScrollLines(std::uint32_t lines) = 0;
  virtual Status setDoubleClickTime(int ms) = 0;
  // What serves a setting, for the diagnostic lines ("GSettings
  // org.gnome.desktop.peripherals.mouse speed", "kept for this run").
  virtual std::string source(PointerSetting) const = 0;
};

// The values a desktop without a place for them keeps for the run.
class KeptPointerSettings : public PointerSettings {
 public:
  Result<bool> readPrecision() override { return values_.precision; }
  Result<int> readPointerSpeed() override { return values_.speed; }
  Result<std::uint32_t> readScrollLines() override { return values_.scrollLines; }
  Result<int> readDoubleClickTime() override { return values_.doubleClickMs; }
  Status setPrecision(bool on) override;
  Status setPointerSpeed(int speed) override;
  Status setScrollLines(std::uint32_t lines) override;
  Status setDoubleClickTime(int ms) override;
  std::string source(PointerSetting) const override;

 private:
  PointerValues values_ = kDefaultPointerValues;
};

// The messages of failing calls, shown with the caption "Warning". A failing
// precision read shows nothing (it reads as off).
inline constexpr char kPointerWarningCaption[] = "Warning";
inline constexpr char kReadSpeedFailedText[] = "GETMOUSESPEED failed.";
inline constexpr char kReadScrollLinesFailedText[] = "GETWHEELSCROLLLINES failed.";
inline constexpr char kReadDoubleClickFailedText[] = "GetDoubleClickTime failed.";
inline constexpr char kSetPrecisionFailedText[] = "SETMOUSE failed.";
inline constexpr char kSetSpeedFailedText[] = "SETMOUSESPEED failed.";
inline constexpr char kSetScrollLinesFailedText[] = "SETWHEELSCROLLLINES failed.";
inline constexpr char kSetDoubleClickFailedText[] = "SPI_SETDOUBLECLICKTIME failed.";

// The four reads; each failure (but precision's) shows its message, and the
// next read still runs.
PointerReading readPointerValues(PointerSettings& desktop, MessageSink& messages);
// The four sets in the order precision, speed, scroll lines, double-click
// time; each failure shows its message, and the next set still runs.
void applyPointerValues(PointerSettings& desktop, const PointerValues& values, MessageSink& messages);

enum class PointerStore { Gnome, Kde, XInput, Kept };
// The store of the desktop named by currentDesktop (XDG_CURRENT_DESKTOP, a
// ':'-separated list; may be null): GNOME's where GNOME runs (also Unity,
// which reads the same keys) and its store can keep a set, KDE's where
// Plasma runs and KWin answers; on any other desktop the X server's devices
// where the session is X11 and a pointer device takes the settings
// (x11Devices); else kept for the run.
PointerStore choosePointerStore(const char* currentDesktop, bool gnomeStoreUsable, bool kwinAnswers,
                                bool x11Devices);
// Whether the session's display is X11 (not Wayland with its X server for
// older programs, whose devices are the compositor's stand-ins), from
// XDG_SESSION_TYPE, WAYLAND_DISPLAY and DISPLAY (each may be null).
bool x11Session(const char* sessionType, const char* waylandDisplay, const char* display);
// The running desktop's implementation (choosePointerStore).
std::unique_ptr<PointerSettings> makeDesktopPointerSettings();

}  // namespace hm
