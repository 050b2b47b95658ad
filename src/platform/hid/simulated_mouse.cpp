#include "platform/hid/simulated_mouse.h"

#include <poll.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <thread>

#include "core/device/protocol.h"
#include "core/error.h"

namespace hm {

namespace {

// The other device of the default list: a keyboard.
constexpr std::uint16_t kOtherVendor = 0x1A2B;
constexpr std::uint16_t kOtherProduct = 0x3C4D;
constexpr std::uint16_t kOtherVersion = 0x0100;
constexpr std::uint16_t kOtherUsagePage = 0x0001;
constexpr std::uint16_t kOtherUsage = 0x0006;
constexpr std::uint16_t kOtherInputLength = 9;
constexpr std::uint16_t kOtherOutputLength = 2;
constexpr std::uint16_t kMouseVersion = 0x0105;

constexpr const char* kMouseNode = "/sys/devices/sim/usb1/1-9/1-9:1.1/0003:04D9:A09F.0009/hidraw/hidraw9";
constexpr const char* kNotificationSuffix = "&col01";
constexpr const char* kCommandSuffix = "&col02";

std::size_t chunksFor(std::size_t length) { return (length + proto::kChunkSize - 1) / proto::kChunkSize; }

std::string otherPath(std::size_t index) {
  const std::string n = std::to_string(index);
  return "/sys/devices/sim/usb1/1-" + n + "/1-" + n + ":1.0/0003:1A2B:3C4D.000" + n + "/hidraw/hidraw" + n;
}

}  // namespace

struct SimulatedMouse::State {
  mutable std::mutex m;
  bool plugged = true;
  std::vector<Role> layout{Role::Other, Role::Notification, Role::Command};
  bool listFails = false;
  int detailFailsAt = -1;
  int openFailsAt = -1;
  int capsFailAt = -1;
  HidCapsStatus capsFailStatus = HidCapsStatus::Ok;
  std::chrono::microseconds latency{0};
  Error lastError;

  // Mouse behaviour.
  std::array<std::uint8_t, 4> sensorAnswer{};
  std::array<std::uint8_t, proto::kColourBlockSize> colour{};
  int colourAnswerPage = -1;
  int answerLength = -1;
  int missingReports = 0;

  // What the mouse was told.
  std::uint8_t reportInterval = 0;
  std::array<std::uint8_t, 4> sensorOptions{};
  int sensorWrites = 0;
  std::array<std::uint8_t, 3> led{};
  std::array<std::uint8_t, 8> dpi{};
  std::array<std::array<std::uint8_t, proto::kKeyMatrixSize>, proto::kKeyMatrixTables> keyMatrices{};
  std::array<std::array<std::uint8_t, proto::kMacroImageSize>, proto::kMacroCount> macros{};
  int badChecksums = 0;
  int strayReports = 0;
  std::vector<FeatureReport> commands;

  // A block write waiting for its data reports.
  bool pendingActive = false;
  FeatureReport pendingHeader;
  std::vector<std::uint8_t> pendingData;
  std::size_t pendingChunks = 0;
  std::size_t pendingReceived = 0;

  FeatureReport answer;  // what a get-feature returns
  std::deque<std::vector<std::uint8_t>> commandInput;
  WakeEvent commandInputReady;
  std::deque<std::vector<std::uint8_t>> notifications;
  WakeEvent notificationReady;

  std::vector<Handle*> handles;
  std::vector<Monitor*> monitors;

  std::string pathAt(std::size_t index) const {
    switch (layout[index]) {
      case Role::Notification: return std::string(kMouseNode) + kNotificationSuffix;
      case Role::Command: return std::string(kMouseNode) + kCommandSuffix;
      default: return otherPath(index);
    }
  }
  int indexOf(const std::string& path) const {
    for (std::size_t i = 0; i < layout.size(); ++i)
      if (pathAt(i) == path) return static_cast<int>(i);
    return -1;
  }
  bool listed(std::size_t index) const { return plugged || layout[index] == Role::Other; }

  void pushEvent(HidDeviceEventKind kind);
  void finishPendingWrite();
  void queueAnswer(const std::uint8_t* data, std::size_t available, std::uint8_t code, std::uint8_t number,
                   std::size_t realLength);
  void handleCommand(const FeatureReport& r);
};

// ---------------------------------------------------------------------------
// Monitor

class SimulatedMouse::Monitor : public HidMonitor {
 public:
  explicit Monitor(std::shared_ptr<State> s) : s_(std::move(s)) {
    std::lock_guard lock(s_->m);
    s_->monitors.push_back(this);
  }
  ~Monitor() override {
    std::lock_guard lock(s_->m);
    std::erase(s_->monitors, this);
  }
  int fd() const override { return ready_.fd(); }
  std::vector<HidDeviceEvent> drain() override {
    std::lock_guard lock(s_->m);
    std::vector<HidDeviceEvent> out(events_.begin(), events_.end());
    events_.clear();
    ready_.reset();
    return out;
  }
  // Called with the state's lock held.
  void push(HidDeviceEvent e) {
    events_.push_back(std::move(e));
    ready_.set();
  }

 private:
  std::shared_ptr<State> s_;
  std::deque<HidDeviceEvent> events_;
  WakeEvent ready_;
};

void SimulatedMouse::State::pushEvent(HidDeviceEventKind kind) {
  for (std::size_t i = 0; i < layout.size(); ++i) {
    if (layout[i] == Role::Other) continue;
    for (Monitor* mon : monitors) mon->push(HidDeviceEvent{kind, pathAt(i)});
  }
}

// ---------------------------------------------------------------------------
// The mouse side of the command collection (called with the lock held).

void SimulatedMouse::State::finishPendingWrite() {
  pendingActive = false;
  const std::uint8_t number = pendingHeader[proto::kHeaderPageByte];
  const std::size_t length = pendingHeader[proto::kHeaderLengthByte];
  const std::uint8_t* data = pendingData.data();
  switch (pendingHeader.code()) {
    case proto::kCmdColourWrite:
      if (number < proto::kColourPages) {
        const std::size_t n = std::min(length, proto::kColourPageSize[number]);
        std::copy_n(data, n, colour.begin() + proto::kColourPageOffset[number]);
      }
      break;
    case proto::kCmdDpiWrite: std::copy_n(data, std::min(length, dpi.size()), dpi.begin()); break;
    case proto::kCmdKeyMatrixWrite:
      if (number >= 1 && number <= proto::kKeyMatrixTables)
        std::copy_n(data, std::min(length, proto::kKeyMatrixSize), keyMatrices[number - 1].begin());
      break;
    case proto::kCmdMacroWrite:
      if (number >= 1 && number <= proto::kMacroCount)
        std::copy_n(data, std::min(length, proto::kMacroImageSize), macros[number - 1].begin());
      break;
    default: break;
  }
}

void SimulatedMouse::State::queueAnswer(const std::uint8_t* data, std::size_t available, std::uint8_t code,
                                        std::uint8_t number, std::size_t realLength) {
  const std::size_t announced = answerLength >= 0 ? static_cast<std::size_t>(answerLength) : realLength;
  answer = FeatureReport(code, number, static_cast<std::uint8_t>(announced));
  std::size_t chunks = chunksFor(announced);
  chunks -= std::min<std::size_t>(chunks, static_cast<std::size_t>(std::max(missingReports, 0)));
  for (std::size_t c = 0; c < chunks; ++c) {
    std::vector<std::uint8_t> report(kInputLength, 0);
    const std::size_t offset = c * proto::kChunkSize;
    if (offset < available)
      std::copy_n(data + offset, std::min(proto::kChunkSize, available - offset), report.begin() + 1);
    commandInput.push_back(std::move(report));
  }
  if (!commandInput.empty()) commandInputReady.set();
}

void SimulatedMouse::State::handleCommand(const FeatureReport& r) {
  commands.push_back(r);
  if (pendingActive) {
    // A new command ends an unfinished block write; its data is dropped.
    pendingActive = false;
  }
  const std::uint8_t p1 = r[1];
  switch (r.code()) {
    case proto::kCmdReportRate: reportInterval = p1; break;
    case proto::kCmdSensorWrite:
      std::copy_n(r.bytes.begin() + 1, sensorOptions.size(), sensorOptions.begin());
      ++sensorWrites;
      break;
    case proto::kCmdSensorRead:
      answer = FeatureReport(proto::kCmdSensorRead, sensorAnswer[0], sensorAnswer[1], sensorAnswer[2],
                             sensorAnswer[3]);
      break;
    case proto::kCmdLedEffect: std::copy_n(r.bytes.begin() + 1, led.size(), led.begin()); break;
    case proto::kCmdColourWrite:
    case proto::kCmdDpiWrite:
    case proto::kCmdKeyMatrixWrite:
    case proto::kCmdMacroWrite: {
      pendingHeader = r;
      pendingChunks = chunksFor(r[proto::kHeaderLengthByte]);
      pendingReceived = 0;
      pendingData.assign(pendingChunks * proto::kChunkSize, 0);
      pendingActive = true;
      if (pendingChunks == 0) finishPendingWrite();
      break;
    }
    case proto::kCmdColourRead: {
      const int page = colourAnswerPage >= 0 ? colourAnswerPage : p1;
      if (p1 < proto::kColourPages) {
        queueAnswer(colour.data() + proto::kColourPageOffset[p1], proto::kColourPageSize[p1],
                    proto::kCmdColourRead, static_cast<std::uint8_t>(page), proto::kColourPageSize[p1]);
      } else {
        answer = FeatureReport(proto::kCmdColourRead, p1, 0);
      }
      break;
    }
    case proto::kCmdMacroRead:
      if (p1 >= 1 && p1 <= proto::kMacroCount) {
        queueAnswer(macros[p1 - 1].data(), proto::kMacroImageSize, proto::kCmdMacroRead, p1,
                    proto::kMacroImageSize);
      } else {
        answer = FeatureReport(proto::kCmdMacroRead, p1, 0);
      }
      break;
    default: break;  // unknown commands are ignored
  }
}

// ---------------------------------------------------------------------------
// Handle

class SimulatedMouse::Handle : public HidDevice {
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
  // Called with the lock held when the mouse is unplugged.
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
    if (!commandIo()) return fail("HIDIOCSFEATURE", dead_ ? ENODEV : EPIPE);
    delay();
    std::lock_guard lock(s_->m);
    if (report.empty() || report[0] != proto::kReportIdNone) return failLocked("HIDIOCSFEATURE", EINVAL);
    FeatureReport r;
    const std::size_t n = std::min(report.size() - 1, r.bytes.size());
    std::copy_n(report.begin() + 1, n, r.bytes.begin());
    if (!r.checksumValid()) {
      ++s_->badChecksums;
      return true;
    }
    s_->handleCommand(r);
    return true;
  }

  bool getFeature(std::span<std::uint8_t> report) override {
    if (!commandIo()) return fail("HIDIOCGFEATURE", dead_ ? ENODEV : EPIPE);
    delay();
    std::lock_guard lock(s_->m);
    if (report.empty()) return failLocked("HIDIOCGFEATURE", EINVAL);
    report[0] = proto::kReportIdNone;
    const std::size_t n = std::min(report.size() - 1, s_->answer.bytes.size());
    std::copy_n(s_->answer.bytes.begin(), n, report.begin() + 1);
    return true;
  }

  bool write(std::span<const std::uint8_t> report) override {
    if (dead_) return fail("write", ENODEV);
    if (role_ == Role::Notification && access_ == HidAccess::Write) return true;
    if (!commandIo()) return fail("write", EPIPE);
    delay();
    std::lock_guard lock(s_->m);
    if (report.empty() || report[0] != proto::kReportIdNone) return failLocked("write", EINVAL);
    if (!s_->pendingActive) {
      ++s_->strayReports;
      return true;
    }
    const std::size_t offset = s_->pendingReceived * proto::kChunkSize;
    const std::size_t n = std::min(report.size() - 1, proto::kChunkSize);
    std::copy_n(report.begin() + 1, n, s_->pendingData.begin() + offset);
    if (++s_->pendingReceived == s_->pendingChunks) s_->finishPendingWrite();
    return true;
  }

  HidReadResult read(std::span<std::uint8_t> report, int timeoutMs, const WakeEvent* wake) override {
    const bool notification = role_ == Role::Notification && access_ == HidAccess::Read;
    if (!notification && !commandIo()) {
      fail("read", dead_ ? ENODEV : EPIPE);
      return {HidReadStatus::Failed, 0};
    }
    if (!notification) delay();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
      {
        std::lock_guard lock(s_->m);
        if (dead_ || cancelled_.isSet()) {
          failLocked("read", dead_ ? ENODEV : ECANCELED);
          return {HidReadStatus::Failed, 0};
        }
        auto& queue = notification ? s_->notifications : s_->commandInput;
        WakeEvent& ready = notification ? s_->notificationReady : s_->commandInputReady;
        if (!queue.empty()) {
          const std::vector<std::uint8_t> r = std::move(queue.front());
          queue.pop_front();
          if (queue.empty()) ready.reset();
          const std::size_t n = std::min(report.size(), r.size());
          std::copy_n(r.begin(), n, report.begin());
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
          {(notification ? s_->notificationReady : s_->commandInputReady).fd(), POLLIN, 0},
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
  bool commandIo() const { return !dead_ && role_ == Role::Command && access_ == HidAccess::ReadWrite; }
  void delay() const {
    std::chrono::microseconds latency;
    {
      std::lock_guard lock(s_->m);
      latency = s_->latency;
    }
    if (latency.count() > 0) std::this_thread::sleep_for(latency);
  }
  bool fail(const std::string& call, int err) {
    std::lock_guard lock(s_->m);
    return failLocked(call, err);
  }
  bool failLocked(const std::string& call, int err) {
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
// SimulatedMouse

SimulatedMouse::SimulatedMouse(bool pluggedIn) : state_(std::make_shared<State>()) {
  state_->plugged = pluggedIn;
}

SimulatedMouse::~SimulatedMouse() = default;

std::optional<std::vector<HidInterfaceEntry>> SimulatedMouse::listInterfaces() {
  std::lock_guard lock(state_->m);
  if (state_->listFails) {
    state_->lastError = Error{"udev_enumerate_scan_devices", EIO};
    return std::nullopt;
  }
  std::vector<HidInterfaceEntry> out;
  for (std::size_t i = 0; i < state_->layout.size(); ++i) {
    if (!state_->listed(i)) continue;
    out.push_back({state_->pathAt(i), static_cast<int>(i) != state_->detailFailsAt});
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
  HidAttributes attr;
  HidCaps caps;
  if (role == Role::Other) {
    attr = {kOtherVendor, kOtherProduct, kOtherVersion};
    caps = {kOtherUsage, kOtherUsagePage, kOtherInputLength, kOtherOutputLength, 0};
  } else {
    attr = {proto::kVendorId, proto::kProductId, kMouseVersion};
    if (role == Role::Command)
      caps = {proto::kCommandUsage, proto::kCommandUsagePage, kInputLength, kOutputLength, kFeatureLength};
    else
      caps = {proto::kNotificationUsage, proto::kNotificationUsagePage, kNotificationInputLength, 0, 0};
  }
  const HidCapsStatus capsStatus = index == state_->capsFailAt ? state_->capsFailStatus : HidCapsStatus::Ok;
  lock.unlock();
  return std::make_unique<Handle>(state_, role, access, attr, caps, capsStatus);
}

std::unique_ptr<HidMonitor> SimulatedMouse::openMonitor() { return std::make_unique<Monitor>(state_); }

Error SimulatedMouse::lastError() const {
  std::lock_guard lock(state_->m);
  return state_->lastError;
}

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

std::string SimulatedMouse::commandPath() const { return std::string(kMouseNode) + kCommandSuffix; }
std::string SimulatedMouse::notificationPath() const { return std::string(kMouseNode) + kNotificationSuffix; }

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

void SimulatedMouse::plugIn() {
  std::lock_guard lock(state_->m);
  if (state_->plugged) return;
  state_->plugged = true;
  state_->pushEvent(HidDeviceEventKind::Arrival);
}

void SimulatedMouse::unplug() {
  std::lock_guard lock(state_->m);
  if (!state_->plugged) return;
  state_->plugged = false;
  for (Handle* h : state_->handles)
    if (h->isMouse()) h->kill();
  state_->commandInput.clear();
  state_->commandInputReady.reset();
  state_->notifications.clear();
  state_->notificationReady.reset();
  state_->pendingActive = false;
  state_->pushEvent(HidDeviceEventKind::Removal);
}

bool SimulatedMouse::pluggedIn() const {
  std::lock_guard lock(state_->m);
  return state_->plugged;
}

void SimulatedMouse::setSensorAnswer(const std::array<std::uint8_t, 4>& answer) {
  std::lock_guard lock(state_->m);
  state_->sensorAnswer = answer;
}

void SimulatedMouse::setColourPage(int page, const std::vector<std::uint8_t>& bytes) {
  if (page < 0 || page >= static_cast<int>(proto::kColourPages)) return;
  std::lock_guard lock(state_->m);
  const auto p = static_cast<std::size_t>(page);
  std::fill_n(state_->colour.begin() + proto::kColourPageOffset[p], proto::kColourPageSize[p], 0);
  std::copy_n(bytes.begin(), std::min(bytes.size(), proto::kColourPageSize[p]),
              state_->colour.begin() + proto::kColourPageOffset[p]);
}

void SimulatedMouse::setColourAnswerPage(int page) {
  std::lock_guard lock(state_->m);
  state_->colourAnswerPage = page;
}
void SimulatedMouse::setAnswerLength(int length) {
  std::lock_guard lock(state_->m);
  state_->answerLength = std::min(length, 0xFF);
}
void SimulatedMouse::setMissingAnswerReports(int count) {
  std::lock_guard lock(state_->m);
  state_->missingReports = count;
}
void SimulatedMouse::setLatency(std::chrono::microseconds latency) {
  std::lock_guard lock(state_->m);
  state_->latency = latency;
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
  if (!state_->plugged) return;
  state_->notifications.push_back(report);
  state_->notificationReady.set();
}

std::uint8_t SimulatedMouse::reportInterval() const {
  std::lock_guard lock(state_->m);
  return state_->reportInterval;
}
std::array<std::uint8_t, 4> SimulatedMouse::sensorOptions() const {
  std::lock_guard lock(state_->m);
  return state_->sensorOptions;
}
int SimulatedMouse::sensorWrites() const {
  std::lock_guard lock(state_->m);
  return state_->sensorWrites;
}
std::vector<std::uint8_t> SimulatedMouse::colourPage(int page) const {
  if (page < 0 || page >= static_cast<int>(proto::kColourPages)) return {};
  std::lock_guard lock(state_->m);
  const auto p = static_cast<std::size_t>(page);
  auto begin = state_->colour.begin() + proto::kColourPageOffset[p];
  return {begin, begin + proto::kColourPageSize[p]};
}
std::array<std::uint8_t, 3> SimulatedMouse::ledEffect() const {
  std::lock_guard lock(state_->m);
  return state_->led;
}
std::array<std::uint8_t, 8> SimulatedMouse::dpiCodes() const {
  std::lock_guard lock(state_->m);
  return state_->dpi;
}
std::array<std::uint8_t, proto::kKeyMatrixSize> SimulatedMouse::keyMatrix(int table) const {
  std::lock_guard lock(state_->m);
  if (table < 1 || table > proto::kKeyMatrixTables) return {};
  return state_->keyMatrices[static_cast<std::size_t>(table - 1)];
}
std::array<std::uint8_t, proto::kMacroImageSize> SimulatedMouse::macroImage(int macro) const {
  std::lock_guard lock(state_->m);
  if (macro < 1 || macro > proto::kMacroCount) return {};
  return state_->macros[static_cast<std::size_t>(macro - 1)];
}
int SimulatedMouse::badChecksumCount() const {
  std::lock_guard lock(state_->m);
  return state_->badChecksums;
}
std::vector<FeatureReport> SimulatedMouse::commands() const {
  std::lock_guard lock(state_->m);
  return state_->commands;
}
int SimulatedMouse::strayDataReports() const {
  std::lock_guard lock(state_->m);
  return state_->strayReports;
}
void SimulatedMouse::clearLog() {
  std::lock_guard lock(state_->m);
  state_->commands.clear();
  state_->badChecksums = 0;
  state_->strayReports = 0;
}

}  // namespace hm
