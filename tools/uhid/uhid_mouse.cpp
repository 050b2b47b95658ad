// SPDX-License-Identifier: GPL-3.0-or-later
#include "uhid_mouse.h"

#include <fcntl.h>
#include <linux/uhid.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

#include "platform/hid/mouse_interfaces.h"

namespace hm {

namespace {

constexpr const char* kUhidNode = "/dev/uhid";
constexpr std::uint16_t kBusUsb = 0x03;

bool writeEvent(int fd, const uhid_event& ev) {
  const ssize_t n = ::write(fd, &ev, sizeof ev);
  return n == static_cast<ssize_t>(sizeof ev);
}

// A text field of the create request: cut to fit, zero-terminated.
void copyText(std::uint8_t* to, std::size_t size, const std::string& text) {
  std::fill_n(to, size, 0);
  std::copy_n(text.begin(), std::min(text.size(), size - 1), to);
}

}  // namespace

UhidMouse::UhidMouse(std::string serial, const UhidFaults& faults)
    : serial_(std::move(serial)), faults_(faults) {
  reset();
}

void UhidMouse::reset() {
  firmware_ = MouseFirmware{};
  if (faults_.sensorAnswer) firmware_.setSensorAnswer(*faults_.sensorAnswer);
  firmware_.setFaults(faults_.firmware);
}

UhidMouse::~UhidMouse() { unplug(); }

bool UhidMouse::create(int& fd, std::size_t interface) {
  fd = ::open(kUhidNode, O_RDWR | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return false;
  uhid_event ev{};
  ev.type = UHID_CREATE2;
  auto& c = ev.u.create2;
  copyText(c.name, sizeof c.name, "hidmouse-uhid virtual mouse");
  copyText(c.phys, sizeof c.phys, "hidmouse-uhid/" + serial_ + "/input" + std::to_string(interface));
  copyText(c.uniq, sizeof c.uniq, serial_);
  const std::vector<std::uint8_t> d = mouse_usb::interfaceDescriptor(interface);
  c.rd_size = static_cast<std::uint16_t>(d.size());
  std::copy(d.begin(), d.end(), c.rd_data);
  c.bus = kBusUsb;
  c.vendor = proto::kVendorId;
  c.product = proto::kProductId;
  c.version = mouse_usb::kVersion;
  if (writeEvent(fd, ev)) return true;
  const int e = errno;
  ::close(fd);
  fd = -1;
  errno = e;
  return false;
}

bool UhidMouse::plug() {
  if (plugged()) return true;
  firmware_.powerOff();
  // The notification interface first, as the mouse's USB interfaces come.
  if (!create(notification_, mouse_usb::kNotificationInterface)) return false;
  if (!create(command_, mouse_usb::kCommandInterface)) {
    const int e = errno;
    unplug();
    errno = e;
    return false;
  }
  return true;
}

void UhidMouse::unplug() {
  // Closing the uhid descriptor destroys its device.
  for (int* fd : {&command_, &notification_}) {
    if (*fd >= 0) ::close(*fd);
    *fd = -1;
  }
  firmware_.powerOff();
  unplugAt_ = 0;
}

std::vector<int> UhidMouse::fds() const {
  std::vector<int> out;
  for (int fd : {notification_, command_})
    if (fd >= 0) out.push_back(fd);
  return out;
}

bool UhidMouse::handle(int fd) {
  if (fd == command_) {
    handleCommand(fd);
  } else if (fd == notification_) {
    handleNotification(fd);
  }
  return plugged();
}

bool UhidMouse::pulledAt() {
  if (unplugAt_ <= 0 || --unplugAt_ > 0) return false;
  unplug();
  events_.emplace_back("unplugged");
  return true;
}

void UhidMouse::handleCommand(int fd) {
  uhid_event ev{};
  if (::read(fd, &ev, sizeof ev) <= 0) return;
  switch (ev.type) {
    case UHID_OPEN: events_.emplace_back("command interface opened"); break;
    case UHID_CLOSE: events_.emplace_back("command interface closed"); break;
    case UHID_OUTPUT: {
      if (pulledAt()) return;
      const auto& o = ev.u.output;
      firmware_.outputReport(std::span(o.data, std::min<std::size_t>(o.size, UHID_DATA_MAX)));
      pump();
      break;
    }
    case UHID_SET_REPORT: {
      if (pulledAt()) return;
      const auto& s = ev.u.set_report;
      bool ok = !faults_.stallFeatures && s.rtype == UHID_FEATURE_REPORT;
      if (ok) {
        // The report number comes first, as the firmware takes it.
        ok = firmware_.setFeatureReport(std::span(s.data, std::min<std::size_t>(s.size, UHID_DATA_MAX)));
      }
      answer(fd, UHID_SET_REPORT_REPLY, s.id, ok ? 0 : EIO, {});
      pump();
      break;
    }
    case UHID_GET_REPORT: {
      if (pulledAt()) return;
      const auto& g = ev.u.get_report;
      std::vector<std::uint8_t> report(proto::kReportIdBytes + proto::kFeatureReportSize, 0);
      report[0] = g.rnum;
      const bool ok =
          !faults_.stallFeatures && g.rtype == UHID_FEATURE_REPORT && firmware_.getFeatureReport(report);
      answer(fd, UHID_GET_REPORT_REPLY, g.id, ok ? 0 : EIO, ok ? report : std::vector<std::uint8_t>{});
      break;
    }
    default: break;
  }
}

// The notification interface takes no requests: each is refused as the
// mouse stalls it.
void UhidMouse::handleNotification(int fd) {
  uhid_event ev{};
  if (::read(fd, &ev, sizeof ev) <= 0) return;
  if (ev.type == UHID_GET_REPORT) answer(fd, UHID_GET_REPORT_REPLY, ev.u.get_report.id, EIO, {});
  if (ev.type == UHID_SET_REPORT) answer(fd, UHID_SET_REPORT_REPLY, ev.u.set_report.id, EIO, {});
}

bool UhidMouse::answer(int fd, std::uint32_t type, std::uint32_t id, int err,
                       const std::vector<std::uint8_t>& data) {
  uhid_event ev{};
  ev.type = type;
  if (type == UHID_SET_REPORT_REPLY) {
    ev.u.set_report_reply.id = id;
    ev.u.set_report_reply.err = static_cast<std::uint16_t>(err);
  } else {
    ev.u.get_report_reply.id = id;
    ev.u.get_report_reply.err = static_cast<std::uint16_t>(err);
    ev.u.get_report_reply.size = static_cast<std::uint16_t>(data.size());
    std::copy(data.begin(), data.end(), ev.u.get_report_reply.data);
  }
  return writeEvent(fd, ev);
}

bool UhidMouse::input(int fd, const std::vector<std::uint8_t>& data) {
  if (fd < 0) return false;
  uhid_event ev{};
  ev.type = UHID_INPUT2;
  ev.u.input2.size = static_cast<std::uint16_t>(std::min<std::size_t>(data.size(), UHID_DATA_MAX));
  std::copy_n(data.begin(), ev.u.input2.size, ev.u.input2.data);
  return writeEvent(fd, ev);
}

bool UhidMouse::sendNotification(std::vector<std::uint8_t> report) {
  if (!plugged()) return false;
  firmware_.sendNotificationReport(std::move(report));
  pump();
  return true;
}

void UhidMouse::pump() {
  while (auto r = firmware_.nextInputReport(MouseFirmware::Collection::Command))
    input(command_, {r->begin() + proto::kReportIdBytes, r->end()});
  while (auto r = firmware_.nextInputReport(MouseFirmware::Collection::Notification)) {
    r->resize(proto::kNotificationInputLength, 0);
    input(notification_, *r);
  }
}

std::string UhidMouse::status() const {
  return std::string(plugged() ? "plugged" : "unplugged") +
         " commands=" + std::to_string(firmware_.commands().size()) +
         " bad-checksums=" + std::to_string(firmware_.badChecksumCount()) +
         " stray-reports=" + std::to_string(firmware_.strayDataReports()) +
         " report-interval=" + std::to_string(firmware_.reportInterval()) +
         " sensor-writes=" + std::to_string(firmware_.sensorWrites());
}

std::vector<std::string> UhidMouse::takeEvents() { return std::exchange(events_, {}); }

}  // namespace hm
