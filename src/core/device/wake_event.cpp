// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/device/wake_event.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <system_error>

namespace hm {

WakeEvent::WakeEvent() {
  fd_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (fd_ < 0) throw std::system_error(errno, std::generic_category(), "eventfd failed");
}

WakeEvent::~WakeEvent() {
  if (fd_ >= 0) ::close(fd_);
}

void WakeEvent::set() {
  const std::uint64_t one = 1;
  // The counter only needs to be non-zero; a full counter (EAGAIN) is set too.
  while (::write(fd_, &one, sizeof one) < 0 && errno == EINTR) {
  }
}

void WakeEvent::reset() {
  std::uint64_t value = 0;
  while (::read(fd_, &value, sizeof value) < 0 && errno == EINTR) {
  }
}

bool WakeEvent::isSet() const { return wait(0); }

bool WakeEvent::wait(int timeoutMs) const {
  pollfd p{fd_, POLLIN, 0};
  for (;;) {
    const int r = ::poll(&p, 1, timeoutMs);
    if (r > 0) return (p.revents & POLLIN) != 0;
    if (r == 0) return false;
    if (errno != EINTR) return false;
  }
}

}  // namespace hm
