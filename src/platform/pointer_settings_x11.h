// SPDX-License-Identifier: GPL-3.0-or-later
// The pointer settings of X11 desktops other than GNOME and KDE Plasma, where
// no desktop store exists and the X server's libinput driver takes them
// directly, as the X Input extension's device properties:
//
//   pointer speed  "libinput Accel Speed", a float in -1..1 mapped from the
//                  speed as GNOME's key is (GNOME hands that key to the same
//                  property);
//   precision      "libinput Accel Profile Enabled", one byte per profile
//                  the driver knows (adaptive, flat[, custom]): on =
//                  adaptive, off = flat.
//
// Each set goes to every pointer device that has the property (mice and
// touchpads alike); reads come from the first one. The X server keeps them
// until it ends, as the desktop's own pointer settings of a session are kept.
// A property that no pointer device has, double-click time and scroll lines
// (X has no place for them) are kept for the run.
//
// The devices sit behind XInputDevices so tests give the properties of their
// own devices; connectXInput() gives the X server's.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/pointer_settings.h"

namespace hm {

class XInputDevices {
 public:
  struct Device {
    int id = 0;
    std::string name;
    std::vector<std::string> properties;  // the names of its properties
  };
  virtual ~XInputDevices() = default;
  // The pointer devices (XInput's slave pointers), in the server's order.
  virtual Result<std::vector<Device>> pointers() = 0;
  // A property of 32-bit floats / of bytes, read and replaced whole.
  virtual Result<std::vector<float>> floats(int device, const std::string& property) = 0;
  virtual Result<std::vector<std::uint8_t>> bytes(int device, const std::string& property) = 0;
  virtual Status setFloats(int device, const std::string& property, const std::vector<float>& values) = 0;
  virtual Status setBytes(int device, const std::string& property,
                          const std::vector<std::uint8_t>& values) = 0;
};

// The X server of $DISPLAY over xcb-xinput (XInput 2.2); nullptr when there
// is no X server or it lacks XInput 2.
std::unique_ptr<XInputDevices> connectXInput();

class X11PointerSettings : public PointerSettings {
 public:
  static constexpr char kSpeedProperty[] = "libinput Accel Speed";
  static constexpr char kProfileProperty[] = "libinput Accel Profile Enabled";

  // Whether a pointer device takes either setting (else every setting would
  // be kept, and the store is not worth choosing).
  static bool servesAny(XInputDevices& devices);

  // Learns which devices have the properties now; the devices are asked
  // again at every set, so a mouse plugged in later gets the next one.
  explicit X11PointerSettings(std::unique_ptr<XInputDevices> devices);

  Result<bool> readPrecision() override;
  Result<int> readPointerSpeed() override;
  Result<std::uint32_t> readScrollLines() override { return kept_.readScrollLines(); }
  Result<int> readDoubleClickTime() override { return kept_.readDoubleClickTime(); }
  Status setPrecision(bool on) override;
  Status setPointerSpeed(int speed) override;
  Status setScrollLines(std::uint32_t lines) override { return kept_.setScrollLines(lines); }
  Status setDoubleClickTime(int ms) override { return kept_.setDoubleClickTime(ms); }
  std::string source(PointerSetting) const override;

 private:
  // The pointer devices that have `property`; an error when none has it now.
  Result<std::vector<XInputDevices::Device>> devicesWith(const char* property);

  std::unique_ptr<XInputDevices> devices_;
  std::string speedSource_, precisionSource_;  // empty: kept for the run
  KeptPointerSettings kept_;
};

}  // namespace hm
