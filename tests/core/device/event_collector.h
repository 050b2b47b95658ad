// SPDX-License-Identifier: GPL-3.0-or-later
// Collects the events a notification reader forwards; waits are bounded so a
// broken reader fails the test instead of hanging it.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <utility>
#include <vector>

namespace hm::test {

using Event = std::pair<int, int>;

class Collector {
 public:
  void operator()(int type, int value) {
    std::lock_guard lock(m_);
    events_.emplace_back(type, value);
    cv_.notify_all();
  }
  bool waitFor(std::size_t count) {
    std::unique_lock lock(m_);
    return cv_.wait_for(lock, std::chrono::seconds(20), [&] { return events_.size() >= count; });
  }
  std::vector<Event> events() {
    std::lock_guard lock(m_);
    return events_;
  }

 private:
  std::mutex m_;
  std::condition_variable cv_;
  std::vector<Event> events_;
};

}  // namespace hm::test
