// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/fake_hidraw_mouse.h"

#include <cerrno>

#include "core/wire/protocol.h"

namespace hm::test {

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes joined(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

// A report with its report ID 0 put back in front, as the firmware takes it.
Bytes withReportIdZero(std::span<const std::uint8_t> data) {
  Bytes r{proto::kReportIdNone};
  r.insert(r.end(), data.begin(), data.end());
  return r;
}

}  // namespace

// The command interface: feature requests, output reports and the block
// answers' input reports, all without report IDs.
class HidrawMouse::Command : public FakeHidInterface {
 public:
  explicit Command(HidrawMouse& m) : m_(m) {}
  int setReport(HidReportType type, std::uint8_t number, std::span<const std::uint8_t> data) override {
    std::lock_guard lock(m_.m_);
    if (number != proto::kReportIdNone) return -EPIPE;
    if (type == HidReportType::Output) return output(data);
    if (type != HidReportType::Feature || m_.stall_) return -EPIPE;
    const bool ok = m_.firmware_.setFeatureReport(withReportIdZero(data));
    m_.pump();
    return ok ? static_cast<int>(data.size()) : -EPIPE;
  }
  int getReport(HidReportType type, std::uint8_t number, std::span<std::uint8_t> out) override {
    std::lock_guard lock(m_.m_);
    if (number != proto::kReportIdNone || type != HidReportType::Feature || m_.stall_) return -EPIPE;
    // The mouse answers with its whole feature report, never more.
    Bytes answer(proto::kReportIdBytes + proto::kFeatureReportSize, 0);
    if (!m_.firmware_.getFeatureReport(answer)) return -EPIPE;
    const std::size_t n = std::min(out.size(), proto::kFeatureReportSize);
    std::copy_n(answer.begin() + proto::kReportIdBytes, n, out.begin());
    return static_cast<int>(n);
  }
  int interruptOut(std::span<const std::uint8_t> data) override {
    std::lock_guard lock(m_.m_);
    return output(data);
  }

 private:
  int output(std::span<const std::uint8_t> data) {
    const bool ok = m_.firmware_.outputReport(withReportIdZero(data));
    m_.pump();
    return ok ? static_cast<int>(data.size()) : -EPIPE;
  }
  HidrawMouse& m_;
};

// The keyboard and notification interface: input reports only; it has no
// OUT endpoint and stalls every request.
class HidrawMouse::Notification : public FakeHidInterface {
 public:
  int setReport(HidReportType, std::uint8_t, std::span<const std::uint8_t>) override { return -EPIPE; }
  int getReport(HidReportType, std::uint8_t, std::span<std::uint8_t>) override { return -EPIPE; }
  int interruptOut(std::span<const std::uint8_t>) override { return -ENOSYS; }
};

HidrawMouse::HidrawMouse(FakeHidrawKernel& kernel, bool pluggedIn, std::string port)
    : kernel_(kernel),
      port_(std::move(port)),
      command_(std::make_unique<Command>(*this)),
      notification_(std::make_unique<Notification>()) {
  if (pluggedIn) plug();
}

HidrawMouse::~HidrawMouse() { unplug(); }

void HidrawMouse::plug() {
  if (plugged()) return;
  {
    std::lock_guard lock(m_);
    firmware_.powerOff();
  }
  FakeUsbDeviceShape shape{port_, proto::kVendorId, proto::kProductId, kVersion, {}};
  const auto descriptor = [](std::size_t i) { return mouse_usb::interfaceDescriptor(i); };
  shape.interfaces.push_back({0, descriptor(kPointerInterface), nullptr});
  shape.interfaces.push_back({1, descriptor(kNotificationInterface), notification_.get()});
  shape.interfaces.push_back({2, descriptor(kCommandInterface), command_.get()});
  const int device = kernel_.plug(shape);
  std::lock_guard lock(m_);
  device_ = device;
}

void HidrawMouse::unplug() {
  kernel_.unplug(device());
  std::lock_guard lock(m_);
  firmware_.powerOff();
}

bool HidrawMouse::plugged() const { return !kernel_.deviceFiles(device()).empty(); }

int HidrawMouse::device() const {
  std::lock_guard lock(m_);
  return device_;
}

std::string HidrawMouse::deviceFile(std::size_t interface) const {
  const auto files = kernel_.deviceFiles(device());
  return interface < files.size() ? files[interface] : std::string();
}

void HidrawMouse::sendReport(const std::vector<std::uint8_t>& report) {
  int device = 0;
  {
    std::lock_guard lock(m_);
    device = device_;
  }
  kernel_.inputReport(device, kNotificationInterface, report);
}

void HidrawMouse::stallFeatures(bool stall) {
  std::lock_guard lock(m_);
  stall_ = stall;
}

void HidrawMouse::unplugAtCommandCall(int n) { kernel_.unplugAtCall(device(), kCommandInterface, n); }

void HidrawMouse::pump() {
  while (auto r = firmware_.nextInputReport(MouseFirmware::Collection::Command))
    kernel_.inputReport(device_, kCommandInterface, std::span(*r).subspan(proto::kReportIdBytes));
  while (auto r = firmware_.nextInputReport(MouseFirmware::Collection::Notification))
    kernel_.inputReport(device_, kNotificationInterface, *r);
}

OtherDevices::OtherDevices(FakeHidrawKernel& kernel) {
  // Consumer control, report ID 2: one 16-bit usage.
  const Bytes consumer = {0x05, 0x0C, 0x09, 0x01, 0xA1, 0x01, 0x85, 0x02, 0x15, 0x00, 0x26, 0xFF, 0x03,
                          0x19, 0x00, 0x2A, 0xFF, 0x03, 0x75, 0x10, 0x95, 0x01, 0x81, 0x00, 0xC0};
  FakeUsbDeviceShape kb{"1-1", kKeyboardVendor, kKeyboardProduct, 0x0210, {}};
  kb.interfaces.push_back({0, joined({mouse_usb::keyboardDescriptor(1), consumer}), nullptr});
  keyboard = kernel.plug(kb);
  FakeUsbDeviceShape other{"1-3", kLookAlikeVendor, kLookAlikeProduct, 0x0001, {}};
  other.interfaces.push_back(
      {0, MouseFirmware::reportDescriptor(MouseFirmware::Collection::Command), nullptr});
  lookAlike = kernel.plug(other);
}

}  // namespace hm::test
