// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/hid/queued_monitor.h"

namespace hm {

std::vector<HidDeviceEvent> QueuedHidMonitor::drain() {
  std::lock_guard lock(m_);
  std::vector<HidDeviceEvent> out(events_.begin(), events_.end());
  events_.clear();
  ready_.reset();
  return out;
}

void QueuedHidMonitor::push(HidDeviceEvent event) {
  std::lock_guard lock(m_);
  events_.push_back(std::move(event));
  ready_.set();
}

}  // namespace hm
