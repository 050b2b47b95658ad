// SPDX-License-Identifier: GPL-3.0-or-later
// The inside of the simulated HID system (simulated_mouse.h): the state that
// the SimulatedMouse, its handles and its monitors share, and the makers of
// handles and monitors. Only simulated_mouse.cpp and simulated_hid.cpp use it.
//
// Everything here is guarded by `m`; the firmware model is called with it
// held, and the readiness events follow its input queues.
#pragma once

#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "core/device/hid_backend.h"
#include "core/device/wake_event.h"
#include "platform/hid/mouse_firmware.h"
#include "platform/hid/simulated_mouse.h"

namespace hm::simhid {

class Handle;
class Monitor;

using Role = SimulatedMouse::Role;

struct State {
  State();

  mutable std::mutex m;
  MouseFirmware firmware;
  bool plugged = true;
  std::vector<Role> layout{Role::Other, Role::Notification, Role::Command};

  // Faults of the system.
  bool listFails = false;
  int detailFailsAt = -1;
  int openFailsAt = -1;
  int capsFailAt = -1;
  HidCapsStatus capsFailStatus = HidCapsStatus::Ok;
  std::chrono::microseconds latency{0};
  // Command-collection operations left before the cable is pulled (-1: never).
  int operationsLeft = -1;
  Error lastError;

  // What the mouse's collections announce, from their report descriptors.
  HidCaps commandCaps;
  HidCaps notificationCaps;

  WakeEvent commandInputReady;
  WakeEvent notificationReady;
  std::vector<Handle*> handles;
  std::vector<Monitor*> monitors;

  std::string pathAt(std::size_t index) const;
  int indexOf(const std::string& path) const;
  bool listed(std::size_t index) const { return plugged || layout[index] == Role::Other; }

  // The calls below expect the lock held.
  // Sets or resets the readiness events after the firmware's queues changed.
  void syncInputReady();
  // Counts one operation on the command collection; false when it is the one
  // the cable is pulled at (the cable is then pulled).
  bool takeOperation();
  void plugIn();
  // Every open handle of the mouse fails from now on, the mouse loses power
  // and every monitor hears of the removal of each of its interfaces.
  void pullCable();

 private:
  void announce(HidDeviceEventKind kind);
};

std::string mousePath(Role role);

std::unique_ptr<HidDevice> makeHandle(std::shared_ptr<State> s, Role role, HidAccess access,
                                      HidAttributes attr, HidCaps caps, HidCapsStatus capsStatus);
std::unique_ptr<HidMonitor> makeMonitor(std::shared_ptr<State> s);

}  // namespace hm::simhid
