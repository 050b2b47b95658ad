// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/hid/simulated_mouse.h"

#include <cerrno>
#include <type_traits>

#include "platform/hid/simulated_hid.h"

namespace hm {

namespace {

// The other device of the default list: a keyboard.
constexpr HidAttributes kOtherAttributes{0x1A2B, 0x3C4D, 0x0100};
constexpr std::uint16_t kOtherUsagePage = 0x0001;
constexpr std::uint16_t kOtherUsage = 0x0006;
constexpr std::uint16_t kOtherInputLength = 9;
constexpr std::uint16_t kOtherOutputLength = 2;
constexpr std::uint16_t kMouseVersion = 0x0105;

}  // namespace

template <class F>
auto SimulatedMouse::withFirmware(F f) const {
  std::lock_guard lock(state_->m);
  if constexpr (std::is_void_v<decltype(f(state_->firmware))>) {
    f(state_->firmware);
    state_->syncInputReady();
  } else {
    return f(state_->firmware);
  }
}

SimulatedMouse::SimulatedMouse(bool pluggedIn) : state_(std::make_shared<simhid::State>()) {
  state_->plugged = pluggedIn;
}

SimulatedMouse::~SimulatedMouse() = default;

// ---------------------------------------------------------------------------
// HidBackend

std::optional<std::vector<HidInterfaceEntry>> SimulatedMouse::listInterfaces() {
  std::lock_guard lock(state_->m);
  if (state_->listFails) {
    state_->lastError = Error{"udev_enumerate_scan_devices", EIO};
    return std::nullopt;
  }
  std::vector<HidInterfaceEntry> out;
  for (std::size_t i = 0; i < state_->layout.size(); ++i) {
    if (!state_->listed(i)) continue;
    const bool mouse = state_->layout[i] != Role::Other;
    out.push_back(
        {state_->pathAt(i), static_cast<int>(i) != state_->detailFailsAt, "", mouse ? kBusPath : ""});
  }
  return out;
}

std::unique_ptr<HidDevice> SimulatedMouse::open(const std::string& path, HidAccess access) {
  std::unique_lock lock(state_->m);
  const int index = state_->indexOf(path);
  if (index < 0 || !state_->listed(static_cast<std::size_t>(index))) {
    state_->lastError = Error{"open(" + path + ")", ENOENT};
    return nullptr;
  }
  if (index == state_->openFailsAt) {
    state_->lastError = Error{"open(" + path + ")", EACCES};
    return nullptr;
  }
  const Role role = state_->layout[static_cast<std::size_t>(index)];
  HidAttributes attr{proto::kVendorId, proto::kProductId, kMouseVersion};
  HidCaps caps;
  switch (role) {
    case Role::Other:
      attr = kOtherAttributes;
      caps = {kOtherUsage, kOtherUsagePage, kOtherInputLength, kOtherOutputLength, 0};
      break;
    case Role::Command: caps = state_->commandCaps; break;
    case Role::Notification: caps = state_->notificationCaps; break;
  }
  const HidCapsStatus capsStatus = index == state_->capsFailAt ? state_->capsFailStatus : HidCapsStatus::Ok;
  lock.unlock();
  return simhid::makeHandle(state_, role, access, attr, caps, capsStatus);
}

std::unique_ptr<HidMonitor> SimulatedMouse::openMonitor() { return simhid::makeMonitor(state_); }

Error SimulatedMouse::lastError() const {
  std::lock_guard lock(state_->m);
  return state_->lastError;
}

// ---------------------------------------------------------------------------
// The system's list

void SimulatedMouse::setLayout(std::vector<Role> layout) {
  std::lock_guard lock(state_->m);
  state_->layout = std::move(layout);
}

std::vector<SimulatedMouse::Role> SimulatedMouse::layout() const {
  std::lock_guard lock(state_->m);
  return state_->layout;
}

std::string SimulatedMouse::pathAt(std::size_t index) const {
  std::lock_guard lock(state_->m);
  return index < state_->layout.size() ? state_->pathAt(index) : std::string();
}

std::string SimulatedMouse::commandPath() const { return simhid::mousePath(Role::Command); }
std::string SimulatedMouse::notificationPath() const { return simhid::mousePath(Role::Notification); }

void SimulatedMouse::setListFails(bool fails) {
  std::lock_guard lock(state_->m);
  state_->listFails = fails;
}
void SimulatedMouse::setDetailFailsAt(int index) {
  std::lock_guard lock(state_->m);
  state_->detailFailsAt = index;
}
void SimulatedMouse::setOpenFailsAt(int index) {
  std::lock_guard lock(state_->m);
  state_->openFailsAt = index;
}
void SimulatedMouse::setCapsFailAt(int index, HidCapsStatus status) {
  std::lock_guard lock(state_->m);
  state_->capsFailAt = index;
  state_->capsFailStatus = status;
}
void SimulatedMouse::setLatency(std::chrono::microseconds latency) {
  std::lock_guard lock(state_->m);
  state_->latency = latency;
}

// ---------------------------------------------------------------------------
// Plugging

void SimulatedMouse::plugIn() {
  std::lock_guard lock(state_->m);
  state_->plugIn();
}

void SimulatedMouse::unplug() {
  std::lock_guard lock(state_->m);
  state_->pullCable();
}

bool SimulatedMouse::pluggedIn() const {
  std::lock_guard lock(state_->m);
  return state_->plugged;
}

void SimulatedMouse::setFailAfter(int operations) {
  std::lock_guard lock(state_->m);
  state_->operationsLeft = operations < 0 ? -1 : operations;
}

// ---------------------------------------------------------------------------
// The mouse: its behaviour and what it stores

void SimulatedMouse::setSensorAnswer(const std::array<std::uint8_t, proto::kSensorInfoSize>& answer) {
  withFirmware([&](MouseFirmware& f) { f.setSensorAnswer(answer); });
}
void SimulatedMouse::setColourPage(int page, const std::vector<std::uint8_t>& bytes) {
  withFirmware([&](MouseFirmware& f) { f.setColourPage(page, bytes); });
}
void SimulatedMouse::setFaults(const MouseFirmware::Faults& faults) {
  withFirmware([&](MouseFirmware& f) { f.setFaults(faults); });
}

void SimulatedMouse::sendNotification(int type, int value) {
  std::vector<std::uint8_t> r(kNotificationInputLength, 0);
  r[0] = proto::kNotificationReportId;
  r[proto::kNotificationTypeByte] = static_cast<std::uint8_t>(type);
  r[proto::kNotificationValueByte] = static_cast<std::uint8_t>(value);
  sendNotificationReport(r);
}

void SimulatedMouse::sendNotificationReport(const std::vector<std::uint8_t>& report) {
  std::lock_guard lock(state_->m);
  if (!state_->plugged) return;  // nobody is there to send it
  state_->firmware.sendNotificationReport(report);
  state_->syncInputReady();
}

std::uint8_t SimulatedMouse::reportInterval() const {
  return withFirmware([](const MouseFirmware& f) { return f.reportInterval(); });
}
std::array<std::uint8_t, proto::kSensorInfoSize> SimulatedMouse::sensorOptions() const {
  return withFirmware([](const MouseFirmware& f) { return f.sensorOptions(); });
}
int SimulatedMouse::sensorWrites() const {
  return withFirmware([](const MouseFirmware& f) { return f.sensorWrites(); });
}
std::vector<std::uint8_t> SimulatedMouse::colourPage(int page) const {
  return withFirmware([&](const MouseFirmware& f) { return f.colourPage(page); });
}
std::array<std::uint8_t, proto::kLedEffectBytes> SimulatedMouse::ledEffect() const {
  return withFirmware([](const MouseFirmware& f) { return f.ledEffect(); });
}
std::array<std::uint8_t, proto::kDpiPayloadSize> SimulatedMouse::dpiCodes() const {
  return withFirmware([](const MouseFirmware& f) { return f.dpiCodes(); });
}
std::array<std::uint8_t, proto::kKeyMatrixSize> SimulatedMouse::keyMatrix(int table) const {
  return withFirmware([&](const MouseFirmware& f) { return f.keyMatrix(table); });
}
std::array<std::uint8_t, proto::kMacroImageSize> SimulatedMouse::macroImage(int macro) const {
  return withFirmware([&](const MouseFirmware& f) { return f.macroImage(macro); });
}
int SimulatedMouse::badChecksumCount() const {
  return withFirmware([](const MouseFirmware& f) { return f.badChecksumCount(); });
}
std::vector<FeatureReport> SimulatedMouse::commands() const {
  return withFirmware([](const MouseFirmware& f) { return f.commands(); });
}
int SimulatedMouse::strayDataReports() const {
  return withFirmware([](const MouseFirmware& f) { return f.strayDataReports(); });
}
void SimulatedMouse::clearLog() {
  withFirmware([](MouseFirmware& f) { f.clearLog(); });
}

}  // namespace hm
