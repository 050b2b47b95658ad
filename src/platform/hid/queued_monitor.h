// SPDX-License-Identifier: GPL-3.0-or-later
// QueuedHidMonitor: a HidMonitor fed by whoever stands in for the system's
// device notifications (the simulated HID system, a test's fake kernel).
// push() queues an event; fd() is readable while any wait; drain() hands
// them out in order. Any thread may call any member.
#pragma once

#include <deque>
#include <mutex>
#include <vector>

#include "core/device/hid_backend.h"
#include "core/device/wake_event.h"

namespace hm {

class QueuedHidMonitor : public HidMonitor {
 public:
  int fd() const override { return ready_.fd(); }
  std::vector<HidDeviceEvent> drain() override;
  void push(HidDeviceEvent event);

 private:
  std::mutex m_;
  std::deque<HidDeviceEvent> events_;
  WakeEvent ready_;
};

}  // namespace hm
