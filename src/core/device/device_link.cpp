// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/device/device_link.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "core/device/apply_reports.h"

namespace hm {

namespace {

constexpr const char* kHexDigits = "0123456789abcdef";

// The length actually used with a wire buffer: what the collection announces,
// never more than the buffer holds.
std::size_t boundedLength(std::uint16_t announced, std::size_t bufferSize) {
  return std::min<std::size_t>(announced, bufferSize);
}

std::size_t chunkCount(std::uint8_t payloadLength) {
  return (payloadLength + proto::kChunkSize - 1) / proto::kChunkSize;
}

// Operation names of the trace and of ExchangeFailure.
constexpr const char* kOpSetFeature = "set-feature";
constexpr const char* kOpGetFeature = "get-feature";
constexpr const char* kOpWrite = "write";
constexpr const char* kOpRead = "read";

// An exchange tried while no command collection is open.
Error notOpenError() { return Error{"HID command collection", ENODEV}; }
// A data report that did not come within the read time-out.
Error timedOutError() { return Error{kOpRead, ETIMEDOUT}; }

// "EPIPE" for EPIPE; the number where the C library has no name for it.
std::string errnoName(int code) {
  const char* name = strerrorname_np(code);
  return name ? name : std::to_string(code);
}

template <typename... Args>
std::string format(const char* fmt, Args... args) {
  char buf[512];
  std::snprintf(buf, sizeof buf, fmt, args...);
  return buf;
}

// One data-report chunk of payload, zero beyond what is copied in.
using ChunkBuffer = std::array<std::uint8_t, proto::kChunkSize>;

}  // namespace

std::string traceHex(std::span<const std::uint8_t> bytes) {
  std::string out;
  out.reserve(bytes.size() * 3);
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (i) out.push_back(' ');
    out.push_back(kHexDigits[bytes[i] >> 4]);
    out.push_back(kHexDigits[bytes[i] & 0x0F]);
  }
  return out;
}

std::string permissionDeniedText(const std::string& node) {
  return "permission denied on " + node + ": install the udev rule " + kUdevRuleFile +
         " and plug the mouse in again";
}

bool isPermissionError(const Error& error) { return error.code == EACCES || error.code == EPERM; }

bool isGoneError(const Error& error) { return error.code == ENOENT || error.code == ENODEV; }

std::string nodeOrPath(const HidInterfaceEntry& entry) {
  return entry.node.empty() ? entry.path : entry.node;
}

std::vector<std::string> chosenMouseLines(const ChosenMouse& mouse) {
  const auto where = [](const std::string& busPath) {
    return busPath.empty() ? std::string("an unknown bus path") : busPath;
  };
  std::vector<std::string> out{"The mouse at " + where(mouse.busPath) + " is used: commands on " +
                               nodeOrPath(mouse.command) +
                               (mouse.notification ? ", notifications on " + nodeOrPath(*mouse.notification)
                                                   : std::string(", no notification collection"))};
  for (const std::string& other : mouse.others)
    out.push_back("Another mouse at " + where(other) + " is plugged in and ignored");
  return out;
}

DeviceLink::DeviceLink(HidBackend& backend, MessageSink& sink, Sleeper& sleeper)
    : backend_(backend), sink_(sink), sleeper_(sleeper) {}

DeviceLink::~DeviceLink() { closeHandles(); }

std::string ExchangeFailure::text() const {
  char head[32];
  std::snprintf(head, sizeof head, "command 0x%02x, ", command);
  return head + operation + ": " + error.text();
}

void DeviceLink::traceOp(const char* op, std::span<const std::uint8_t> bytes, const Error* failure) {
  if (!trace_) return;
  std::string line = op;
  line.push_back(' ');
  line += traceHex(bytes);
  if (failure) line += " ! " + errnoName(failure->code);
  trace_(line);
}

std::optional<Error> DeviceLink::callError(bool ok) const {
  if (ok) return std::nullopt;
  return featureHandle_->lastError();
}

void DeviceLink::finishCall(std::uint8_t command, const char* op, std::span<const std::uint8_t> wire,
                            const std::optional<Error>& failure) {
  traceOp(op, wire, failure ? &*failure : nullptr);
  if (failure) noteFailure(command, op, *failure);
}

void DeviceLink::noteFailure(std::uint8_t command, const char* op, const Error& error) {
  if (!exchangeFailure_) exchangeFailure_ = ExchangeFailure{command, op, error};
}

void DeviceLink::pause(unsigned ms) {
  if (trace_) trace_("sleep " + std::to_string(ms));
  sleeper_.sleepMs(ms);
}

void DeviceLink::logLine(const std::string& text) {
  if (log_) log_(text);
}

std::shared_ptr<HidDevice> DeviceLink::notificationReadHandle() const {
  std::lock_guard lock(notificationMutex_);
  return notificationRead_;
}

bool DeviceLink::notificationOpen() const { return notificationReadHandle() != nullptr; }

void DeviceLink::closeHandles() {
  deviceOpen.store(0);
  staleInput_ = false;  // a new handle starts with an empty queue
  std::shared_ptr<HidDevice> read;
  std::unique_ptr<HidDevice> write;
  {
    std::lock_guard lock(notificationMutex_);
    read = std::move(notificationRead_);
    write = std::move(notificationWrite_);
  }
  // A reader blocked on the old handle returns at once and drops its
  // reference; the handle closes with the last reference.
  if (read) read->cancel();
  read.reset();
  write.reset();
  featureHandle_.reset();
  featureLength_ = inputLength_ = outputLength_ = 0;
  notificationInputLength_.store(0);
}

void DeviceLink::close() {
  closeHandles();
  readerEvent_.set();
}

void DeviceLink::noteOpenFailure(const HidInterfaceEntry& entry, const char* purpose) {
  const Error error = backend_.lastError();
  logLine("opening " + entry.path + " " + purpose + " failed: " + error.text() + "\n");
  if (isPermissionError(error))
    permissionProblem_ = permissionDeniedText(entry.node.empty() ? entry.path : entry.node);
}

int DeviceLink::openMouse() {
  // A mouse pulled out during a search leaves it with a list that no longer
  // holds: the search runs again on a fresh list, a few times at most.
  constexpr int kSearches = 3;
  for (int i = 1;; ++i) {
    const Search result = searchOnce();
    if (result != Search::Gone || i == kSearches) return result == Search::Opened ? 1 : 0;
  }
}

DeviceLink::Search DeviceLink::searchOnce() {
  closeHandles();
  permissionProblem_.reset();
  chosen_.reset();
  auto fail = [this](Search result = Search::Failed) {
    closeHandles();
    return result;
  };
  // Opening the chosen mouse failed: a pulled mouse means another search.
  auto openFailed = [&](const HidInterfaceEntry& entry, const char* purpose) {
    noteOpenFailure(entry, purpose);
    return fail(isGoneError(backend_.lastError()) ? Search::Gone : Search::Failed);
  };

  const auto list = backend_.listInterfaces();
  if (!list) {
    logLine("listing HID interfaces failed: " + backend_.lastError().text() + "\n");
    return fail();
  }
  // The collections of every mouse plugged in. Until a command collection is
  // found a failure ends the search as it does with one mouse; after that it
  // only ends the look for other mice.
  std::vector<FoundCollection> found;
  bool commandFound = false;
  for (const HidInterfaceEntry& entry : *list) {
    if (!entry.detailOk) {
      if (commandFound) break;
      sink_.showMessage(proto::kMsgInterfaceDetailFailed, "");
      return fail();
    }
    devicePath_ = entry.path;
    // An interface whose device went away after the list was made is not
    // one of the present interfaces: it is passed over. On Linux that is
    // common: the removal event comes while sysfs still lists the node.
    auto query = backend_.open(entry.path, HidAccess::Query);
    if (!query) {
      logLine("opening " + entry.path + " failed: " + backend_.lastError().text() + "\n");
      if (isGoneError(backend_.lastError())) continue;
      if (commandFound) break;
      return fail();
    }
    HidAttributes attr;
    if (!query->getAttributes(attr)) attr = HidAttributes{};
    logLine(format(proto::kDiagAttributes, attr.productId, attr.vendorId, attr.versionNumber));
    if (attr.vendorId != proto::kVendorId || attr.productId != proto::kProductId) continue;

    HidCaps caps;
    const HidCapsStatus status = query->getCaps(caps);
    if (status != HidCapsStatus::Ok) {
      logLine("the capabilities of " + entry.path + " cannot be had: " + query->lastError().text() + "\n");
      if (isGoneError(query->lastError())) continue;
      if (commandFound) break;
      sink_.showMessage(status == HidCapsStatus::PreparsedDataFailed ? proto::kMsgPreparsedDataFailed
                                                                     : proto::kMsgGetCapsFailed,
                        "");
      return fail();
    }
    query.reset();
    logLine(format(proto::kDiagCaps, caps.usage, caps.usagePage, caps.featureReportByteLength,
                   caps.inputReportByteLength, caps.outputReportByteLength));
    const MouseCollection role = mouseCollectionOf(caps);
    if (role == MouseCollection::Other) continue;
    found.push_back({entry, caps, role});
    commandFound = commandFound || role == MouseCollection::Command;
  }

  const MouseChoice choice = chooseMouse(found, inUse_);
  if (!choice.command) return fail();
  const FoundCollection& command = found[*choice.command];
  chosen_ = ChosenMouse{command.entry.busPath, command.entry, std::nullopt, choice.others};
  if (choice.notification) chosen_->notification = found[*choice.notification].entry;
  for (const std::string& line : chosenMouseLines(*chosen_)) logLine(line + "\n");
  devicePath_ = command.entry.path;

  if (choice.notification) {
    const FoundCollection& notification = found[*choice.notification];
    std::shared_ptr<HidDevice> read = backend_.open(notification.entry.path, HidAccess::Read);
    if (!read) return openFailed(notification.entry, "for reading");
    std::unique_ptr<HidDevice> write = backend_.open(notification.entry.path, HidAccess::Write);
    if (!write) return openFailed(notification.entry, "for writing");
    {
      std::lock_guard lock(notificationMutex_);
      notificationRead_ = std::move(read);
      notificationWrite_ = std::move(write);
    }
    notificationInputLength_.store(notification.caps.inputReportByteLength);
  }
  auto feature = backend_.open(command.entry.path, HidAccess::ReadWrite);
  if (!feature) return openFailed(command.entry, "for commands");
  featureHandle_ = std::move(feature);
  featureLength_ = command.caps.featureReportByteLength;
  inputLength_ = command.caps.inputReportByteLength;
  outputLength_ = command.caps.outputReportByteLength;
  inUse_ = command.entry.busPath;
  deviceOpen.store(1);
  if (choice.notification) readerEvent_.set();
  return Search::Opened;
}

bool DeviceLink::sendCommand(FeatureReport& report) {
  exchangeFailure_.reset();
  report.seal();
  const std::uint8_t code = report.code();
  std::array<std::uint8_t, proto::kFeatureBufferSize> buf{};
  buf[0] = proto::kReportIdNone;
  std::copy(report.bytes.begin(), report.bytes.end(), buf.begin() + 1);
  if (!featureHandle_) {
    // No mouse: the exchange fails untraced and an answer stays zero.
    if (report.isRead()) report.bytes.fill(0);
    noteFailure(code, kOpSetFeature, notOpenError());
    return false;
  }
  const std::size_t len = boundedLength(featureLength_, buf.size());
  const std::span<std::uint8_t> wire(buf.data(), len);
  finishCall(code, kOpSetFeature, wire, callError(featureHandle_->setFeature(wire)));
  if (!report.isRead()) return !exchangeFailure_;

  buf.fill(0);
  buf[0] = proto::kReportIdNone;
  const bool got = featureHandle_->getFeature(wire);
  if (!got) buf.fill(0);
  finishCall(code, kOpGetFeature, wire, callError(got));
  std::copy(buf.begin() + 1, buf.begin() + 1 + proto::kFeatureReportSize, report.bytes.begin());
  return !exchangeFailure_;
}

void DeviceLink::discardStaleInput() {
  // Input reports of an answer whose reads timed out may still come, and
  // would be taken for the next answer's: after a time-out they are read
  // and dropped before the next block read.
  constexpr int kMostStaleReports = 256;
  constexpr int kStaleReportWaitMs = 1;
  // While the mouse is silent in an Apply nothing is read at all; what it
  // left waiting is dropped before the first read after that.
  if (!staleInput_ || silent_ || !featureHandle_) return;
  staleInput_ = false;
  std::array<std::uint8_t, proto::kDataBufferSize> buf{};
  const std::size_t inLen = boundedLength(inputLength_, buf.size());
  for (int i = 0; inLen != 0 && i < kMostStaleReports; ++i) {
    buf.fill(0);
    const std::span<std::uint8_t> wire(buf.data(), inLen);
    if (featureHandle_->read(wire, kStaleReportWaitMs, nullptr).status != HidReadStatus::Ok) return;
    traceOp(kOpRead, wire);
  }
}

bool DeviceLink::transferBlock(FeatureReport& header, std::span<std::uint8_t> payload) {
  exchangeFailure_.reset();
  if (header.isRead()) discardStaleInput();
  header.seal();
  const std::uint8_t code = header.code();
  std::array<std::uint8_t, proto::kDataBufferSize> buf{};
  std::copy(header.bytes.begin(), header.bytes.end(), buf.begin() + 1);
  const std::size_t featureLen = boundedLength(featureLength_, proto::kFeatureBufferSize);
  const std::span<std::uint8_t> featureWire(buf.data(), featureHandle_ ? featureLen : 0);
  if (featureHandle_)
    finishCall(code, kOpSetFeature, featureWire, callError(featureHandle_->setFeature(featureWire)));
  else
    noteFailure(code, kOpSetFeature, notOpenError());

  if (!header.isRead()) {
    const std::size_t outLen = boundedLength(outputLength_, buf.size());
    const std::size_t n = chunkCount(header[proto::kHeaderLengthByte]);
    for (std::size_t chunk = 0; chunk < n; ++chunk) {
      buf.fill(0);
      const std::size_t offset = chunk * proto::kChunkSize;
      if (offset < payload.size()) {
        const std::size_t count = std::min(proto::kChunkSize, payload.size() - offset);
        std::copy_n(payload.begin() + offset, count, buf.begin() + 1);
      }
      if (featureHandle_ && outLen != 0) {
        const std::span<std::uint8_t> wire(buf.data(), outLen);
        finishCall(code, kOpWrite, wire, callError(featureHandle_->write(wire)));
      }
      pause(proto::kPauseAfterDataReportMs);
    }
    return !exchangeFailure_;
  }

  buf.fill(0);
  if (featureHandle_) {
    const bool got = featureHandle_->getFeature(featureWire);
    if (!got) buf.fill(0);
    finishCall(code, kOpGetFeature, featureWire, callError(got));
  }
  std::copy(buf.begin() + 1, buf.begin() + 1 + proto::kFeatureReportSize, header.bytes.begin());

  const std::size_t inLen = boundedLength(inputLength_, buf.size());
  const std::size_t n = chunkCount(header[proto::kHeaderLengthByte]);
  for (std::size_t chunk = 0; chunk < n; ++chunk) {
    buf.fill(0);
    if (featureHandle_ && inLen != 0) {
      if (silent_) {
        // The mouse stopped answering earlier in this Apply: no call, no wait.
        noteFailure(code, kOpRead, timedOutError());
        staleInput_ = true;  // whatever it still sends for this answer is left unread
      } else {
        const std::span<std::uint8_t> wire(buf.data(), inLen);
        const HidReadResult r =
            featureHandle_->read(wire, static_cast<int>(proto::kSyncReadTimeoutMs), nullptr);
        std::optional<Error> failure;
        if (r.status != HidReadStatus::Ok) {
          buf.fill(0);
          const bool timedOut = r.status == HidReadStatus::TimedOut;
          failure = timedOut ? timedOutError() : featureHandle_->lastError();
          if (timedOut && applying_) silent_ = true;
          if (timedOut) staleInput_ = true;
        }
        finishCall(code, kOpRead, wire, failure);
      }
    }
    // Only what the caller's buffer holds is stored; the rest of an
    // over-long answer is read and dropped so the next exchange starts clean.
    const std::size_t offset = chunk * proto::kChunkSize;
    if (offset < payload.size()) {
      const std::size_t count = std::min(proto::kChunkSize, payload.size() - offset);
      std::copy_n(buf.begin() + 1, count, payload.begin() + offset);
    }
  }
  return !exchangeFailure_;
}

void DeviceLink::readSensorInfo() {
  FeatureReport r(proto::kCmdSensorRead);
  sendCommand(r);
  sensorInfo_ = SensorInfo{r[1], r[2], r[3], r[4]};
  logLine(format(proto::kDiagSensor, sensorInfo_.sensorType, sensorInfo_.rate, sensorInfo_.option1,
                 sensorInfo_.option2));
}

void DeviceLink::writeSensorOptions() {
  FeatureReport r(proto::kCmdSensorWrite, sensorInfo_.sensorType, sensorInfo_.rate, sensorInfo_.option1,
                  sensorInfo_.option2);
  sendCommand(r);
}

void DeviceLink::readSensorType() {
  readSensorInfo();
  activeSensorType_ = sensorInfo_.sensorType;
}

void DeviceLink::sensorHandshake() {
  readSensorType();
  sensorInfo_.option2 |= proto::kSensorOption2Flag;
  writeSensorOptions();
}

// The device part of "Apply": the encoded reports, in the order and with the
// pauses the mouse needs. Saving the files is the caller's part.
std::optional<ExchangeFailure> DeviceLink::sendApply(const ApplyReports& reports) {
  std::optional<ExchangeFailure> first;
  auto keep = [&](bool ok) {
    if (!ok && !first) first = exchangeFailure_;
  };
  // Silence found in this Apply ends with it: the next one tries again.
  applying_ = true;
  silent_ = false;
  struct EndOfApply {
    DeviceLink& link;
    ~EndOfApply() { link.applying_ = link.silent_ = false; }
  } endOfApply{*this};

  // 1. Report rate.
  {
    FeatureReport r = reports.reportRate;
    keep(sendCommand(r));
  }

  // 2. Colour block read: an answer is kept only for the page asked for.
  for (std::size_t page = 0; page < proto::kColourPages; ++page) {
    FeatureReport h = reports.colourReads[page];
    ChunkBuffer answer{};
    keep(transferBlock(h, answer));
    if (h[proto::kHeaderPageByte] == page) {
      const std::size_t n = std::min<std::size_t>(h[proto::kHeaderLengthByte], proto::kColourPageSize[page]);
      std::copy_n(answer.begin(), n, colourBlock_.begin() + proto::kColourPageOffset[page]);
    }
    pause(proto::kPauseAfterBlockMs);
  }

  // 3. Pages 0 and 2 as encoded; page 1 stays as the mouse gave it.
  std::copy(reports.loopPage.begin(), reports.loopPage.end(),
            colourBlock_.begin() + proto::kColourPageOffset[proto::kColourLoopPage]);
  std::copy(reports.ledMaskPage.begin(), reports.ledMaskPage.end(),
            colourBlock_.begin() + proto::kColourPageOffset[proto::kColourLedMaskPage]);

  // 4. Colour block write.
  for (std::size_t page = 0; page < proto::kColourPages; ++page) {
    FeatureReport h = reports.colourWrites[page];
    ChunkBuffer data{};
    std::copy_n(colourBlock_.begin() + proto::kColourPageOffset[page], proto::kColourPageSize[page],
                data.begin());
    keep(transferBlock(h, data));
    pause(proto::kPauseAfterBlockMs);
  }

  // 5. LED effect.
  {
    FeatureReport r = reports.ledEffect;
    keep(sendCommand(r));
    ledBytes_ = reports.ledBytes();
  }

  // 6. DPI stage codes.
  {
    FeatureReport h = reports.dpiWrite;
    ChunkBuffer codes{};
    std::copy(reports.dpiCodes.begin(), reports.dpiCodes.end(), codes.begin());
    keep(transferBlock(h, codes));
  }

  // 7. Macro images.
  for (std::size_t m = 0; m < proto::kMacroCount; ++m) {
    FeatureReport h = reports.macroWrites[m];
    MacroImage image = reports.macroImages[m];
    keep(transferBlock(h, image));
    pause(proto::kPauseAfterBlockMs);
  }

  // 8. Macro read-back; the answers are read and dropped.
  for (std::size_t m = 0; m < proto::kMacroCount; ++m) {
    FeatureReport h = reports.macroReads[m];
    MacroImage image{};
    keep(transferBlock(h, image));
    pause(proto::kPauseAfterBlockMs);
  }

  // 9. Key matrices 1..4.
  for (std::size_t t = 0; t < proto::kKeyMatrixTables; ++t) {
    KeyMatrix table = reports.keyMatrices[t];
    logLine(keyMatrixDiagnostic(static_cast<int>(t + 1), table));
    FeatureReport h = reports.keyMatrixWrites[t];
    keep(transferBlock(h, table));
    pause(proto::kPauseAfterBlockMs);
  }
  return first;
}

}  // namespace hm
