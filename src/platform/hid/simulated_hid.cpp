// SPDX-License-Identifier: GPL-3.0-or-later
// The handles and monitors of the simulated HID system, over the firmware
// model of the mouse.
#include "platform/hid/simulated_hid.h"

#include <poll.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <deque>
#include <thread>

#include "core/wire/protocol.h"
#include "platform/hid/queued_monitor.h"
#include "platform/hid/report_descriptor.h"

namespace hm::simhid {

namespace {

constexpr const char* kMouseNode = "/sys/devices/sim/usb1/1-9/1-9:1.1/0003:04D9:A09F.0009/hidraw/hidraw9";
constexpr const char* kNotificationSuffix = "&col01";
constexpr const char* kCommandSuffix = "&col02";

std::string otherPath(std::size_t index) {
  const std::string n = std::to_string(index);
  return "/sys/devices/sim/usb1/1-" + n + "/1-" + n + ":1.0/0003:1A2B:3C4D.000" + n + "/hidraw/hidraw" + n;
}

HidCaps capsOf(MouseFirmware::Collection c) {
  const auto info = parseReportDescriptor(MouseFirmware::reportDescriptor(c));
  return info && !info->collections.empty() ? info->collections.front().caps : HidCaps{};
}

using Collection = MouseFirmware::Collection;

}  // namespace

std::string mousePath(Role role) {
  return std::string(kMouseNode) + (role == Role::Notification ? kNotificationSuffix : kCommandSuffix);
}

// ---------------------------------------------------------------------------
// Monitor

class Monitor : public QueuedHidMonitor {
 public:
  explicit Monitor(std::shared_ptr<State> s) : s_(std::move(s)) {
    std::lock_guard lock(s_->m);
    s_->monitors.push_back(this);
  }
  ~Monitor() override {
    std::lock_guard lock(s_->m);
    std::erase(s_->monitors, this);
  }

 private:
  std::shared_ptr<State> s_;
};

// ---------------------------------------------------------------------------
// Handle

class Handle : public HidDevice {
 public:
  Handle(std::shared_ptr<State> s, Role role, HidAccess access, HidAttributes attr, HidCaps caps,
         HidCapsStatus capsStatus)
      : s_(std::move(s)), role_(role), access_(access), attr_(attr), caps_(caps), capsStatus_(capsStatus) {
    std::lock_guard lock(s_->m);
    s_->handles.push_back(this);
  }
  ~Handle() override {
    std::lock_guard lock(s_->m);
    std::erase(s_->handles, this);
  }

  bool isMouse() const { return role_ != Role::Other; }
  // Called with the lock held when the cable is pulled.
  void kill() {
    dead_.store(true);
    cancelled_.set();
  }

  bool getAttributes(HidAttributes& out) override {
    if (dead_) return fail("HidD_GetAttributes", ENODEV);
    out = attr_;
    return true;
  }
  HidCapsStatus getCaps(HidCaps& out) override {
    if (dead_) {
      fail("HIDIOCGRDESC", ENODEV);
      return HidCapsStatus::PreparsedDataFailed;
    }
    if (capsStatus_ != HidCapsStatus::Ok) return capsStatus_;
    out = caps_;
    return HidCapsStatus::Ok;
  }

  bool setFeature(std::span<const std::uint8_t> report) override {
    return exchange("HIDIOCSFEATURE", [&] { return s_->firmware.setFeatureReport(report); });
  }
  bool getFeature(std::span<std::uint8_t> report) override {
    return exchange("HIDIOCGFEATURE", [&] { return s_->firmware.getFeatureReport(report); });
  }
  bool write(std::span<const std::uint8_t> report) override {
    if (role_ == Role::Notification && access_ == HidAccess::Write && !dead_) return true;
    return exchange("write", [&] { return s_->firmware.outputReport(report); });
  }

  HidReadResult read(std::span<std::uint8_t> report, int timeoutMs, const WakeEvent* wake) override {
    const bool notification = role_ == Role::Notification && access_ == HidAccess::Read;
    if (!notification && !begin("read")) return {HidReadStatus::Failed, 0};
    const Collection collection = notification ? Collection::Notification : Collection::Command;
    WakeEvent& ready = notification ? s_->notificationReady : s_->commandInputReady;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
      {
        std::lock_guard lock(s_->m);
        if (dead_ || cancelled_.isSet()) {
          failLocked("read", dead_ ? ENODEV : ECANCELED);
          return {HidReadStatus::Failed, 0};
        }
        if (auto r = s_->firmware.nextInputReport(collection)) {
          s_->syncInputReady();
          const std::size_t n = std::min(report.size(), r->size());
          std::copy_n(r->begin(), n, report.begin());
          return {HidReadStatus::Ok, n};
        }
      }
      if (wake && wake->isSet()) return {HidReadStatus::Woken, 0};
      int waitMs = -1;
      if (timeoutMs >= 0) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return {HidReadStatus::TimedOut, 0};
        waitMs = static_cast<int>(left.count()) + 1;
      }
      pollfd fds[3] = {
          {ready.fd(), POLLIN, 0},
          {cancelled_.fd(), POLLIN, 0},
          {wake ? wake->fd() : -1, POLLIN, 0},
      };
      ::poll(fds, wake ? 3 : 2, waitMs);
    }
  }

  void cancel() override { cancelled_.set(); }

  Error lastError() const override {
    std::lock_guard lock(s_->m);
    return lastError_;
  }

 private:
  // The checks every command-collection operation passes before it reaches
  // the mouse: the right handle, a present mouse, the fault counter, the
  // transfer time.
  bool begin(const char* call) {
    if (dead_ || role_ != Role::Command || access_ != HidAccess::ReadWrite)
      return fail(call, dead_ ? ENODEV : EPIPE);
    {
      std::lock_guard lock(s_->m);
      if (!s_->takeOperation()) return failLocked(call, ENODEV);
    }
    delay();
    return true;
  }
  // One report to or from the firmware; a report the collection does not
  // declare is refused as the kernel refuses a bad argument.
  template <class F>
  bool exchange(const char* call, F toFirmware) {
    if (!begin(call)) return false;
    std::lock_guard lock(s_->m);
    if (dead_) return failLocked(call, ENODEV);  // pulled during the transfer
    if (!toFirmware()) return failLocked(call, EINVAL);
    s_->syncInputReady();
    return true;
  }
  void delay() const {
    std::chrono::microseconds latency;
    {
      std::lock_guard lock(s_->m);
      latency = s_->latency;
    }
    if (latency.count() > 0) std::this_thread::sleep_for(latency);
  }
  bool fail(const char* call, int err) {
    std::lock_guard lock(s_->m);
    return failLocked(call, err);
  }
  bool failLocked(const char* call, int err) {
    lastError_ = Error{call, err};
    return false;
  }

  std::shared_ptr<State> s_;
  Role role_;
  HidAccess access_;
  HidAttributes attr_;
  HidCaps caps_;
  HidCapsStatus capsStatus_;
  std::atomic<bool> dead_{false};
  WakeEvent cancelled_;
  Error lastError_;
};

// ---------------------------------------------------------------------------
// State

State::State()
    : commandCaps(capsOf(Collection::Command)), notificationCaps(capsOf(Collection::Notification)) {}

std::string State::pathAt(std::size_t index) const {
  return layout[index] == Role::Other ? otherPath(index) : mousePath(layout[index]);
}

int State::indexOf(const std::string& path) const {
  for (std::size_t i = 0; i < layout.size(); ++i)
    if (pathAt(i) == path) return static_cast<int>(i);
  return -1;
}

void State::syncInputReady() {
  for (const auto& [collection, ready] :
       {std::pair<Collection, WakeEvent*>{Collection::Command, &commandInputReady},
        {Collection::Notification, &notificationReady}}) {
    if (firmware.inputPending(collection))
      ready->set();
    else
      ready->reset();
  }
}

bool State::takeOperation() {
  if (operationsLeft < 0) return true;
  if (operationsLeft-- > 0) return true;
  operationsLeft = -1;  // the fault is spent: a plugged-in mouse works again
  pullCable();
  return false;
}

void State::plugIn() {
  if (plugged) return;
  plugged = true;
  announce(HidDeviceEventKind::Arrival);
}

void State::pullCable() {
  if (!plugged) return;
  plugged = false;
  for (Handle* h : handles)
    if (h->isMouse()) h->kill();
  firmware.powerOff();
  syncInputReady();
  announce(HidDeviceEventKind::Removal);
}

void State::announce(HidDeviceEventKind kind) {
  for (std::size_t i = 0; i < layout.size(); ++i) {
    if (layout[i] == Role::Other) continue;
    for (Monitor* mon : monitors) mon->push(HidDeviceEvent{kind, pathAt(i)});
  }
}

std::unique_ptr<HidDevice> makeHandle(std::shared_ptr<State> s, Role role, HidAccess access,
                                      HidAttributes attr, HidCaps caps, HidCapsStatus capsStatus) {
  return std::make_unique<Handle>(std::move(s), role, access, attr, caps, capsStatus);
}

std::unique_ptr<HidMonitor> makeMonitor(std::shared_ptr<State> s) {
  return std::make_unique<Monitor>(std::move(s));
}

}  // namespace hm::simhid
