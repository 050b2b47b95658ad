// SPDX-License-Identifier: GPL-3.0-or-later
// WakeEvent: a manual-reset event that a thread can wait on together with a
// file descriptor. It is an eventfd: set() makes it readable and keeps it so
// until reset(), so a waiter that polls its fd() beside a device descriptor
// is woken by whichever comes first, and a set() that happens before the wait
// is never lost. Any thread may call any member.
#pragma once

namespace hm {

class WakeEvent {
 public:
  // Starts reset. Throws std::system_error naming eventfd and errno when the
  // descriptor cannot be created.
  WakeEvent();
  ~WakeEvent();
  WakeEvent(const WakeEvent&) = delete;
  WakeEvent& operator=(const WakeEvent&) = delete;

  void set();
  void reset();
  bool isSet() const;
  // Waits until the event is set; timeoutMs < 0 waits without limit.
  // Returns whether it is set.
  bool wait(int timeoutMs = -1) const;
  // Readable (POLLIN) while the event is set.
  int fd() const { return fd_; }

 private:
  int fd_ = -1;
};

}  // namespace hm
