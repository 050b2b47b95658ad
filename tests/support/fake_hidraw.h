// SPDX-License-Identifier: GPL-3.0-or-later
// A fake of the kernel's hidraw interface for the Linux HID backend's tests:
// it answers the backend's system calls (HidrawSyscalls) for the device files
// /dev/hidrawN of the USB HID interfaces plugged into it, and lays out the
// sysfs folder the backend reads (class/hidraw/hidrawN, the HID device's
// uevent with HID_ID and HID_PHYS and its report_descriptor, the USB device's
// bcdDevice), or the one of a device made through /dev/uhid.
//
// It behaves as hidraw does:
//  * open(): ENOENT for a device file that is not there (never made, or gone
//    with its device), EACCES where the file's permissions deny access; every
//    open file gets its own queue of input reports (64 at most; more are
//    dropped) and a descriptor that real poll(2) can wait on.
//  * ioctl(): HIDIOCGRDESCSIZE, HIDIOCGRDESC (at most
//    HID_MAX_DESCRIPTOR_SIZE - 1 bytes), HIDIOCGRAWINFO from the interface's
//    fixture; HIDIOCSFEATURE(len) and HIDIOCGFEATURE(len) take the length
//    from the request number and the report number from byte 0 of the
//    buffer. A report number of 0 is not sent to the device (the transfer
//    carries the data bytes only) but counts in the returned length; a get
//    leaves byte 0 as it was and returns the bytes it stored. Lengths below 2
//    or above HID_MAX_BUFFER_SIZE give EINVAL, another type byte EINVAL,
//    another request ENOTTY. A request the device stalls gives EPIPE.
//  * write(): an output report, byte 0 the report number, framed as for
//    HIDIOCSFEATURE; it goes to the interrupt OUT endpoint, else as
//    SET_REPORT. Returns the length written.
//  * read(): one whole input report per call, as the device sent it (the
//    report number first only for numbered reports), cut to the caller's
//    buffer; EAGAIN on a non-blocking file with nothing queued, EIO once the
//    device is gone and the queue is empty; EBADF on a file not open for it.
//  * poll(): POLLIN while the file's queue holds a report, POLLERR | POLLHUP
//    once the device is gone, POLLOUT always; other descriptors are polled
//    as they are. Every `n`th poll can be made to end in EINTR.
//  * After an unplug every ioctl and write gives ENODEV, poll reports
//    POLLERR | POLLHUP, the device files and the sysfs entries are gone, and
//    each monitor hears a removal per node; a node number stays taken until
//    its last open file is closed. Plugging gives an arrival per node.
//
// Thread-safe: one lock guards everything (it is recursive, so a device
// may queue input reports while it answers a request).
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "core/device/hid_backend.h"
#include "core/device/wake_event.h"
#include "platform/hid/hidraw_syscalls.h"
#include "support/temp_dir.h"

namespace hm::test {

// The report types of the HID class definition (7.2.1, wValue high byte - 1).
enum class HidReportType { Input, Output, Feature };

// What a USB HID interface answers on its pipes. Transfers are as on the bus:
// a report of number 0 carries no number byte, a numbered one starts with it.
class FakeHidInterface {
 public:
  virtual ~FakeHidInterface() = default;
  // SET_REPORT. Returns the bytes taken or -errno (-EPIPE for a stall).
  virtual int setReport(HidReportType type, std::uint8_t number, std::span<const std::uint8_t> data) = 0;
  // GET_REPORT into `out`. Returns the bytes sent or -errno.
  virtual int getReport(HidReportType type, std::uint8_t number, std::span<std::uint8_t> out) = 0;
  // A transfer on the interrupt OUT endpoint; -ENOSYS when there is none.
  virtual int interruptOut(std::span<const std::uint8_t> data) = 0;
};

// One interface of a USB device, as the kernel makes one hidraw node of it.
struct FakeInterfaceShape {
  int number = 0;  // bInterfaceNumber
  std::vector<std::uint8_t> descriptor;
  FakeHidInterface* device = nullptr;  // nullptr: every request stalls
  bool sysfsDescriptor = true;         // report_descriptor in sysfs (else HIDIOCGRDESC only)
  bool sysfsHidId = true;              // HID_ID in the HID device's uevent (else HIDIOCGRAWINFO only)
  bool accessible = true;              // the device file's permissions let us open it
};

struct FakeUsbDeviceShape {
  std::string port;  // "1-4": the USB device's sysfs name; on uhid, what the maker gave as phys
  std::uint16_t vendor = 0;
  std::uint16_t product = 0;
  std::uint16_t version = 0;  // bcdDevice
  std::vector<FakeInterfaceShape> interfaces;
  // Made through /dev/uhid: each interface is a HID device of its own under
  // devices/virtual/misc/uhid, numbered in the order of all HID devices, with
  // no USB device above it (no bcdDevice). Its HID_PHYS is port + "/inputN";
  // a USB device's is "usb-0000:00:14.0-" + the port path + "/inputN".
  bool onUhid = false;
};

class FakeHidrawKernel : public HidrawSyscalls {
 public:
  struct IoctlCall {
    std::string node;  // "/dev/hidraw2"
    unsigned long request = 0;
    bool operator==(const IoctlCall&) const = default;
  };
  struct IoCall {
    std::string node;
    std::size_t count = 0;  // the length passed
  };

  FakeHidrawKernel();
  ~FakeHidrawKernel() override;

  const std::string& sysfsRoot() const { return root_.path(); }

  // Plugs a USB device in: one node per interface, numbered from the lowest
  // free node number. Returns the device's handle.
  int plug(const FakeUsbDeviceShape& shape);
  void unplug(int device);
  // The device files of a plugged device, in interface order.
  std::vector<std::string> deviceFiles(int device) const;
  // The sysfs path of an interface's node (what the backend's paths start with).
  std::string nodeSyspath(int device, std::size_t interface) const;
  // The device sends an input report on an interface's interrupt IN pipe.
  void inputReport(int device, std::size_t interface, std::span<const std::uint8_t> transfer);
  // Pulls the device's cable at the `n`th (from 0) feature ioctl, write or
  // poll on a file of one of its interfaces from now on, before the call is
  // served (-1: never).
  void unplugAtCall(int device, std::size_t interface, int n);
  void setAccessible(int device, std::size_t interface, bool accessible);
  // False: nodes plugged from now on have neither report_descriptor nor
  // HID_ID in sysfs, so they are known through the ioctls only.
  void setSysfsDetails(bool inSysfs);
  // Every `n`th poll (0: none) fails with EINTR before waiting.
  void interruptEveryPoll(int n);

  // A monitor that hears of every node added and removed from now on.
  std::unique_ptr<HidMonitor> openMonitor();

  // What the backend did.
  std::vector<IoctlCall> ioctls() const;
  std::vector<IoCall> writes() const;
  std::vector<IoCall> reads() const;
  int openFiles() const;
  void clearLog();

  // ---- HidrawSyscalls ----
  int open(const char* path, int flags) override;
  int close(int fd) override;
  int ioctl(int fd, unsigned long request, void* arg) override;
  ssize_t read(int fd, void* buf, std::size_t count) override;
  ssize_t write(int fd, const void* buf, std::size_t count) override;
  int poll(pollfd* fds, nfds_t count, int timeoutMs) override;

 private:
  struct Node;
  struct OpenFile;
  class Monitor;

  void removeNodeIfUnused(int minor);
  void syncReady(OpenFile& f);
  void announce(HidDeviceEventKind kind, const std::string& syspath);
  // Counts a call on a node's file for unplugAtCall, pulling the cable
  // when it is the one.
  void countCall(Node& n);
  OpenFile* fileOf(int fd);
  int sendReport(Node& n, const std::uint8_t* buf, std::size_t count, HidReportType type);
  int getReport(Node& n, std::uint8_t* buf, std::size_t count);

  TempDir root_;
  mutable std::recursive_mutex m_;
  std::map<int, std::unique_ptr<Node>> nodes_;  // by node number (minor)
  std::map<int, std::unique_ptr<OpenFile>> files_;
  std::map<int, std::vector<int>> devices_;              // device handle -> its node numbers
  std::map<std::pair<int, std::size_t>, int> unplugAt_;  // (device, interface) -> calls left
  std::vector<Monitor*> monitors_;
  int nextDevice_ = 1;
  int nextHidSequence_ = 1;
  int pollCount_ = 0;
  int interruptEvery_ = 0;
  bool sysfsDetails_ = true;
  std::vector<IoctlCall> ioctls_;
  std::vector<IoCall> writes_;
  std::vector<IoCall> reads_;
};

}  // namespace hm::test
