// SPDX-License-Identifier: GPL-3.0-or-later
// A virtual mouse on the kernel's /dev/uhid: the firmware model behind the
// mouse's notification and command interfaces, made real HID devices
// 04D9:A09F with the report descriptors of mouse_usb. The kernel then gives
// them hidraw nodes, udev events and permissions like a plugged-in mouse, so
// both programs meet it through the same paths as the real one.
//
// What uhid hands over and wants back, as the kernel does it:
// - set-report (feature) and output reports arrive with the report number
//   first (0 on the command interface), as the firmware takes them;
// - a get-report reply starts with the report number, also for the
//   unnumbered command interface (as usbhid hands it to hidraw);
// - an input report goes out without report number 0 on the command
//   interface, and at its whole declared length on the notification
//   interface (the kernel drops a shorter one).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/hid/mouse_firmware.h"

namespace hm {

// How the virtual mouse behaves: the firmware's answer faults, and those of
// the HID layer.
struct UhidFaults {
  std::optional<std::array<std::uint8_t, proto::kSensorInfoSize>> sensorAnswer;
  MouseFirmware::Faults firmware;
  bool stallFeatures = false;  // every feature request fails (EIO)
};

class UhidMouse {
 public:
  UhidMouse(std::string serial, const UhidFaults& faults);
  ~UhidMouse();
  UhidMouse(const UhidMouse&) = delete;
  UhidMouse& operator=(const UhidMouse&) = delete;

  // Creates both interfaces (nothing when plugged). false with errno set
  // when /dev/uhid refuses.
  bool plug();
  // Destroys both interfaces; requests not yet answered fail in the kernel.
  void unplug();
  bool plugged() const { return command_ >= 0; }
  // The mouse forgets what it was told and has queued: a new one of the
  // same behaviour.
  void reset();

  // The mouse sends a notification report (report ID first); it is padded
  // with zeros or cut to the declared length.
  bool sendNotification(std::vector<std::uint8_t> report);
  // The cable is pulled at the `n`th request on the command interface from
  // now (1: the next one), before it is answered. 0 switches it off.
  void unplugAtRequest(int n) { unplugAt_ = n; }

  // The descriptors to poll and the handler of one that is readable; false
  // when the mouse was unplugged by unplugAtRequest().
  std::vector<int> fds() const;
  bool handle(int fd);

  // What a user of the control channel may want to know.
  std::string status() const;
  const MouseFirmware& firmware() const { return firmware_; }
  // The kernel's open and close of an interface, for the log.
  std::vector<std::string> takeEvents();

 private:
  bool create(int& fd, std::size_t interface);
  void handleCommand(int fd);
  void handleNotification(int fd);
  bool answer(int fd, std::uint32_t type, std::uint32_t id, int err, const std::vector<std::uint8_t>& data);
  bool input(int fd, const std::vector<std::uint8_t>& data);
  void pump();
  // Counts one command-interface request; true when the cable is pulled now.
  bool pulledAt();

  std::string serial_;
  UhidFaults faults_;
  MouseFirmware firmware_;
  int command_ = -1;
  int notification_ = -1;
  int unplugAt_ = 0;
  std::vector<std::string> events_;
};

}  // namespace hm
