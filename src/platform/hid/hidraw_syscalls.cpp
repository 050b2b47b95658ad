// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/hid/hidraw_syscalls.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace hm {

namespace {

class SystemCalls : public HidrawSyscalls {
 public:
  int open(const char* path, int flags) override { return ::open(path, flags); }
  int close(int fd) override { return ::close(fd); }
  int ioctl(int fd, unsigned long request, void* arg) override { return ::ioctl(fd, request, arg); }
  ssize_t read(int fd, void* buf, std::size_t count) override { return ::read(fd, buf, count); }
  ssize_t write(int fd, const void* buf, std::size_t count) override { return ::write(fd, buf, count); }
  int poll(pollfd* fds, nfds_t count, int timeoutMs) override { return ::poll(fds, count, timeoutMs); }
};

}  // namespace

HidrawSyscalls& systemHidrawSyscalls() {
  static SystemCalls calls;
  return calls;
}

}  // namespace hm
