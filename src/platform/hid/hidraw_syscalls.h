// SPDX-License-Identifier: GPL-3.0-or-later
// The system calls the Linux HID backend makes on hidraw nodes, behind one
// small interface so that tests can put a fake kernel beneath the backend.
// Each member behaves as the call of the same name: it returns what the call
// returns and, on failure, -1 with errno set. Nothing else goes through it:
// sysfs is read as ordinary files and udev is reached through libudev.
#pragma once

#include <poll.h>
#include <sys/types.h>

#include <cstddef>

namespace hm {

class HidrawSyscalls {
 public:
  virtual ~HidrawSyscalls() = default;
  virtual int open(const char* path, int flags) = 0;
  virtual int close(int fd) = 0;
  virtual int ioctl(int fd, unsigned long request, void* arg) = 0;
  virtual ssize_t read(int fd, void* buf, std::size_t count) = 0;
  virtual ssize_t write(int fd, const void* buf, std::size_t count) = 0;
  virtual int poll(pollfd* fds, nfds_t count, int timeoutMs) = 0;
};

// The plain calls of the C library.
HidrawSyscalls& systemHidrawSyscalls();

}  // namespace hm
