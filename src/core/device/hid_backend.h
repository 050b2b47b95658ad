// SPDX-License-Identifier: GPL-3.0-or-later
// The HID interface contract between the device link and the operating
// system: what finding the mouse, exchanging commands and reading its
// notifications need of a HID stack. Two backends implement it: the Linux one
// (hidraw nodes through libudev, platform/hid/linux_hid_backend.h) and the
// simulated mouse used by the tests and by --simulate
// (platform/hid/simulated_mouse.h).
//
// Byte contracts (every backend, every collection):
//  * A report buffer always starts with the report ID in byte 0, 0 for a
//    collection that declares no report IDs; the data bytes follow from
//    byte 1. This holds for feature reports (set and get), for written output
//    reports and for read input reports alike.
//  * The length passed with a buffer is the number of bytes including the
//    report ID byte, i.e. the report byte length the capabilities announce
//    (HidCaps), never more than the buffer holds.
//  * getFeature() fills at most `report.size()` bytes; byte 0 is the report ID
//    asked for on entry.
//  * read() stores at most `report.size()` bytes and returns how many it
//    stored; a shorter report leaves the rest of the buffer untouched.
// Report byte lengths are computed the way the Windows HID parser announces
// them: per top-level collection, the longest report of each kind in bytes
// plus one for the report ID byte (also when the collection uses no IDs), and
// 0 when the collection has no report of that kind.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/error.h"

namespace hm {

class WakeEvent;

// One entry of the system's list of HID interfaces (one per top-level
// collection). `detailOk` false means the system listed an interface whose
// path it could not produce. `node` is the device file that opening the
// interface opens ("/dev/hidraw3", shared by the collections of one node),
// empty where the system has no such file. `busPath` names the physical
// device the interface belongs to, the same for all its interfaces and
// different for two devices plugged in at once ("usb-0000:00:14.0-2" for
// the device on port 2 of that controller); empty where the system does not
// say, and then all such interfaces count as one device's.
struct HidInterfaceEntry {
  std::string path;
  bool detailOk = true;
  std::string node = {};
  std::string busPath = {};
};

struct HidAttributes {
  std::uint16_t vendorId = 0;
  std::uint16_t productId = 0;
  std::uint16_t versionNumber = 0;
};

struct HidCaps {
  std::uint16_t usage = 0;
  std::uint16_t usagePage = 0;
  std::uint16_t inputReportByteLength = 0;
  std::uint16_t outputReportByteLength = 0;
  std::uint16_t featureReportByteLength = 0;
  bool operator==(const HidCaps&) const = default;
};

enum class HidCapsStatus {
  Ok,
  PreparsedDataFailed,   // the report descriptor could not be fetched
  InvalidPreparsedData,  // it was fetched but does not parse
};

// How a path is opened.
enum class HidAccess {
  Query,      // attributes and capabilities only, no reads or writes
  ReadWrite,  // synchronous feature, write and read (the command collection)
  Read,       // input reports (the notification collection)
  Write,      // output reports (opened beside Read, never written)
};

enum class HidReadStatus {
  Ok,        // a report was stored, `bytes` > 0
  TimedOut,  // nothing arrived within the time-out
  Woken,     // the WakeEvent passed to read() was set
  Failed,    // the handle failed, was cancelled or the device is gone
};

struct HidReadResult {
  HidReadStatus status = HidReadStatus::Failed;
  std::size_t bytes = 0;
};

// An open interface. Calls on one handle come from one thread, except
// cancel(), which any thread may call while another thread is in read().
class HidDevice {
 public:
  virtual ~HidDevice() = default;

  virtual bool getAttributes(HidAttributes& out) = 0;
  virtual HidCapsStatus getCaps(HidCaps& out) = 0;

  // Feature report out (report ID first, report.size() bytes).
  virtual bool setFeature(std::span<const std::uint8_t> report) = 0;
  // Feature report in: report[0] holds the report ID on entry.
  virtual bool getFeature(std::span<std::uint8_t> report) = 0;
  // Output report (report ID first).
  virtual bool write(std::span<const std::uint8_t> report) = 0;
  // Input report (report ID first). timeoutMs < 0 waits without limit. When
  // `wake` is given, the read returns Woken as soon as that event is set
  // (also when it was set before the call); the event is not reset.
  virtual HidReadResult read(std::span<std::uint8_t> report, int timeoutMs, const WakeEvent* wake) = 0;
  // Makes the current and every later read() return Failed at once.
  virtual void cancel() = 0;

  // The last failure: the call and its errno, e.g. {"ioctl(HIDIOCSFEATURE)",
  // EPIPE}, whose text() is "ioctl(HIDIOCSFEATURE) failed: Broken pipe (errno 32)".
  virtual Error lastError() const = 0;
};

enum class HidDeviceEventKind { Arrival, Removal };

struct HidDeviceEvent {
  HidDeviceEventKind kind = HidDeviceEventKind::Arrival;
  std::string path;  // carries the identification of the device
  bool operator==(const HidDeviceEvent&) const = default;
};

// Arrival and removal notifications. fd() becomes readable when events are
// waiting (watch it on an event loop, e.g. a QSocketNotifier); drain() returns
// them in order and never blocks.
class HidMonitor {
 public:
  virtual ~HidMonitor() = default;
  virtual int fd() const = 0;
  virtual std::vector<HidDeviceEvent> drain() = 0;
};

class HidBackend {
 public:
  virtual ~HidBackend() = default;

  // The system's HID interfaces in a stable order (the same order for the
  // same set of devices); nullopt when the list cannot be had at all.
  virtual std::optional<std::vector<HidInterfaceEntry>> listInterfaces() = 0;
  // nullptr on failure (see lastError()).
  virtual std::unique_ptr<HidDevice> open(const std::string& path, HidAccess access) = 0;
  // nullptr on failure (see lastError()).
  virtual std::unique_ptr<HidMonitor> openMonitor() = 0;

  virtual Error lastError() const = 0;
};

}  // namespace hm
