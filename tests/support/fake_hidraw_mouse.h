// SPDX-License-Identifier: GPL-3.0-or-later
// The mouse and a few other devices on the fake hidraw kernel
// (fake_hidraw.h). HidrawMouse wires the mouse's firmware model
// (platform/hid/mouse_firmware.h) to its three USB interfaces
// (platform/hid/mouse_interfaces.h), each a hidraw node as the kernel makes
// them.
// The firmware's input reports go out on the interrupt IN pipe of their
// interface (without the report ID 0 of the command collection), feature
// requests and output reports reach it with the report ID put back first.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/hid/mouse_firmware.h"
#include "platform/hid/mouse_interfaces.h"
#include "support/fake_hidraw.h"

namespace hm::test {

class HidrawMouse {
 public:
  static constexpr std::size_t kPointerInterface = mouse_usb::kPointerInterface;
  static constexpr std::size_t kNotificationInterface = mouse_usb::kNotificationInterface;
  static constexpr std::size_t kCommandInterface = mouse_usb::kCommandInterface;
  static constexpr std::uint16_t kVersion = mouse_usb::kVersion;

  // Plugged in at once when `plugged`.
  explicit HidrawMouse(FakeHidrawKernel& kernel, bool plugged = true, std::string port = "1-2");
  ~HidrawMouse();
  HidrawMouse(const HidrawMouse&) = delete;
  HidrawMouse& operator=(const HidrawMouse&) = delete;

  // Plugging in powers the mouse up: what it stores is kept, what it had
  // queued is not.
  void plug();
  void unplug();
  bool plugged() const;
  // The kernel's handle of the plugged mouse (0 while unplugged).
  int device() const;
  std::string deviceFile(std::size_t interface) const;

  // The mouse sends a report on its notification interface (report ID
  // first: 6 for the notification collection, 1 for the keyboard).
  void sendReport(const std::vector<std::uint8_t>& report);
  // Every feature request on the command interface stalls (EPIPE).
  void stallFeatures(bool stall);
  // The cable is pulled at the `n`th call on the command interface's files
  // (see FakeHidrawKernel::unplugAtCall).
  void unplugAtCommandCall(int n);

  // Runs f on the firmware with the mouse's lock held.
  template <class F>
  auto withFirmware(F f) {
    std::lock_guard lock(m_);
    return f(firmware_);
  }

 private:
  class Command;
  class Notification;
  // Hands the firmware's waiting input reports to the kernel; m_ held.
  void pump();

  FakeHidrawKernel& kernel_;
  std::string port_;
  mutable std::mutex m_;
  MouseFirmware firmware_;
  bool stall_ = false;
  int device_ = 0;
  std::unique_ptr<Command> command_;
  std::unique_ptr<Notification> notification_;
};

// Devices beside the mouse: a keyboard of another maker with numbered
// reports (keyboard ID 1, consumer control ID 2) on port 1-1, and on port
// 1-3 a device without numbered reports whose one collection has the
// command collection's usages, feature length and all. Neither answers.
struct OtherDevices {
  static constexpr std::uint16_t kKeyboardVendor = 0x1A2B;
  static constexpr std::uint16_t kKeyboardProduct = 0x3C4D;
  static constexpr std::uint16_t kLookAlikeVendor = 0x5E6F;
  static constexpr std::uint16_t kLookAlikeProduct = 0x7081;
  explicit OtherDevices(FakeHidrawKernel& kernel);
  int keyboard = 0;
  int lookAlike = 0;
};

}  // namespace hm::test
