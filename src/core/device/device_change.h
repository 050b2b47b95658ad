// SPDX-License-Identifier: GPL-3.0-or-later
// The reaction to the system's device arrival and removal notifications: the
// mouse is searched again for every notification of one of its interfaces,
// and the window is told what to do.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "core/device/device_link.h"
#include "core/device/hid_backend.h"

namespace hm {

enum class DeviceChangeKind {
  Ignored,      // not an interface notification of the mouse: do nothing
  WarnAndHide,  // mouse gone: send event type 15 (value 0) and hide the window;
                // deviceOpen is already 0
  Opened,       // mouse open: deviceOpen is 1
};

struct DeviceChangeAction {
  DeviceChangeKind kind = DeviceChangeKind::Ignored;
  bool handshakeDone = false;  // Opened on an arrival, or on another mouse than the
                               // one open before: sensorHandshake has run
  bool startReader = false;    // Opened on an arrival with a reader that was not
                               // yet let run: call NotificationReader::release()
  bool operator==(const DeviceChangeAction&) const = default;
};

// eventCode: proto::kDeviceArrival (0x8000) or proto::kDeviceRemoveComplete
// (0x8004); deviceType: proto::kDeviceTypeInterface (5); anything else is
// ignored. basicPageShown: the Basic page was shown in this run; readerExists:
// the reader thread exists.
DeviceChangeAction handleDeviceChange(DeviceLink& link, std::uint32_t eventCode, std::uint32_t deviceType,
                                      const std::string& path, bool basicPageShown, bool readerExists);

// The event code of a monitor event (arrival 0x8000, removal 0x8004).
constexpr std::uint32_t deviceChangeCode(HidDeviceEventKind kind) {
  return kind == HidDeviceEventKind::Arrival ? proto::kDeviceArrival : proto::kDeviceRemoveComplete;
}

// True when `path` contains "Vid_04d9&Pid_a09f", "VID_04D9&PID_A09F" or
// "0003:04D9:A09F" (exact, case-sensitive).
bool isMouseInterfacePath(const std::string& path);

}  // namespace hm
