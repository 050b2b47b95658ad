// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/hid/mouse_firmware.h"

#include <algorithm>
#include <initializer_list>
#include <limits>

namespace hm {

namespace {

// Short items of the HID class definition (6.2.2), by prefix byte.
constexpr std::uint8_t kItemUsagePage16 = 0x06;
constexpr std::uint8_t kItemUsage16 = 0x0A;
constexpr std::uint8_t kItemUsage8 = 0x09;
constexpr std::uint8_t kItemCollection = 0xA1;
constexpr std::uint8_t kItemEndCollection = 0xC0;
constexpr std::uint8_t kItemLogicalMinimum8 = 0x15;
constexpr std::uint8_t kItemLogicalMaximum16 = 0x26;
constexpr std::uint8_t kItemReportSize = 0x75;
constexpr std::uint8_t kItemReportCount = 0x95;
constexpr std::uint8_t kItemReportId = 0x85;
constexpr std::uint8_t kItemInput = 0x81;
constexpr std::uint8_t kItemOutput = 0x91;
constexpr std::uint8_t kItemFeature = 0xB1;
constexpr std::uint8_t kCollectionApplication = 0x01;
constexpr std::uint8_t kDataVariableAbsolute = 0x02;
constexpr std::uint8_t kBitsPerByte = 8;

constexpr std::uint8_t low(std::uint16_t v) { return static_cast<std::uint8_t>(v & 0xFF); }
constexpr std::uint8_t high(std::uint16_t v) { return static_cast<std::uint8_t>(v >> 8); }
constexpr std::uint8_t count(std::size_t n) { return static_cast<std::uint8_t>(n); }

std::size_t chunksFor(std::size_t length) { return (length + proto::kChunkSize - 1) / proto::kChunkSize; }

// A report that the command collection declares: report ID 0 first.
bool isCommandReport(std::span<const std::uint8_t> report) {
  return !report.empty() && report[0] == proto::kReportIdNone;
}

}  // namespace

std::vector<std::uint8_t> MouseFirmware::reportDescriptor(Collection c) {
  std::vector<std::uint8_t> d;
  const auto item = [&d](std::uint8_t prefix, std::initializer_list<std::uint8_t> data) {
    d.push_back(prefix);
    d.insert(d.end(), data);
  };
  // One field of bytes; its usage is a vendor usage ID, numbered from 1.
  std::uint8_t fieldUsage = 0;
  const auto field = [&](std::uint8_t mainItem, std::size_t bytes) {
    item(kItemReportCount, {count(bytes)});
    item(kItemUsage8, {++fieldUsage});
    item(mainItem, {kDataVariableAbsolute});
  };
  const bool command = c == Collection::Command;
  const std::uint16_t page = command ? proto::kCommandUsagePage : proto::kNotificationUsagePage;
  const std::uint16_t usage = command ? proto::kCommandUsage : proto::kNotificationUsage;
  item(kItemUsagePage16, {low(page), high(page)});
  item(kItemUsage16, {low(usage), high(usage)});
  item(kItemCollection, {kCollectionApplication});
  item(kItemLogicalMinimum8, {0x00});
  item(kItemLogicalMaximum16, {0xFF, 0x00});
  item(kItemReportSize, {kBitsPerByte});
  if (command) {
    field(kItemFeature, proto::kFeatureReportSize);
    field(kItemInput, proto::kChunkSize);
    field(kItemOutput, proto::kChunkSize);
  } else {
    item(kItemReportId, {proto::kNotificationReportId});
    field(kItemInput, proto::kNotificationDataSize);
  }
  item(kItemEndCollection, {});
  return d;
}

// ---------------------------------------------------------------------------
// The wire

bool MouseFirmware::setFeatureReport(std::span<const std::uint8_t> report) {
  if (!isCommandReport(report)) return false;
  FeatureReport r;
  std::copy_n(report.begin() + proto::kReportIdBytes,
              std::min(report.size() - proto::kReportIdBytes, r.bytes.size()), r.bytes.begin());
  if (!r.checksumValid()) {
    ++badChecksums_;
    return true;
  }
  handleCommand(r);
  return true;
}

bool MouseFirmware::getFeatureReport(std::span<std::uint8_t> report) {
  if (!isCommandReport(report)) return false;
  std::size_t n = std::min(report.size() - proto::kReportIdBytes, answer_.bytes.size());
  if (faults_.featureAnswerBytes >= 0) n = std::min(n, static_cast<std::size_t>(faults_.featureAnswerBytes));
  std::copy_n(answer_.bytes.begin(), n, report.begin() + proto::kReportIdBytes);
  return true;
}

bool MouseFirmware::outputReport(std::span<const std::uint8_t> report) {
  if (!isCommandReport(report)) return false;
  if (!pendingActive_) {
    ++strayReports_;
    return true;
  }
  const std::size_t offset = pendingReceived_ * proto::kChunkSize;
  std::copy_n(report.begin() + proto::kReportIdBytes,
              std::min(report.size() - proto::kReportIdBytes, proto::kChunkSize),
              pendingData_.begin() + offset);
  if (++pendingReceived_ == pendingChunks_) finishPendingWrite();
  return true;
}

std::optional<MouseFirmware::Report> MouseFirmware::nextInputReport(Collection c) {
  auto& queue = c == Collection::Command ? commandInput_ : notifications_;
  if (queue.empty()) return std::nullopt;
  Report r = std::move(queue.front());
  queue.pop_front();
  return r;
}

bool MouseFirmware::inputPending(Collection c) const {
  return !(c == Collection::Command ? commandInput_ : notifications_).empty();
}

void MouseFirmware::sendNotificationReport(Report report) { notifications_.push_back(std::move(report)); }

void MouseFirmware::powerOff() {
  commandInput_.clear();
  notifications_.clear();
  pendingActive_ = false;
}

// ---------------------------------------------------------------------------
// Commands

void MouseFirmware::handleCommand(const FeatureReport& r) {
  commands_.push_back(r);
  pendingActive_ = false;  // a new command ends an unfinished block write; its data is dropped
  const std::uint8_t p1 = r[proto::kHeaderPageByte];
  switch (r.code()) {
    case proto::kCmdReportRate: reportInterval_ = p1; break;
    case proto::kCmdSensorWrite:
      std::copy_n(r.bytes.begin() + proto::kFirstParamByte, sensorOptions_.size(), sensorOptions_.begin());
      ++sensorWrites_;
      break;
    case proto::kCmdSensorRead:
      answer_ = FeatureReport(proto::kCmdSensorRead, sensorAnswer_[0], sensorAnswer_[1], sensorAnswer_[2],
                              sensorAnswer_[3]);
      break;
    case proto::kCmdLedEffect:
      std::copy_n(r.bytes.begin() + proto::kFirstParamByte, led_.size(), led_.begin());
      break;
    case proto::kCmdColourWrite:
    case proto::kCmdDpiWrite:
    case proto::kCmdKeyMatrixWrite:
    case proto::kCmdMacroWrite:
      pendingHeader_ = r;
      pendingChunks_ = chunksFor(r[proto::kHeaderLengthByte]);
      pendingReceived_ = 0;
      pendingData_.assign(pendingChunks_ * proto::kChunkSize, 0);
      pendingActive_ = true;
      if (pendingChunks_ == 0) finishPendingWrite();
      break;
    case proto::kCmdColourRead:
      if (p1 < proto::kColourPages) {
        queueAnswer(std::span(colour_).subspan(proto::kColourPageOffset[p1], proto::kColourPageSize[p1]),
                    proto::kCmdColourRead,
                    faults_.colourAnswerPage >= 0 ? static_cast<std::uint8_t>(faults_.colourAnswerPage) : p1);
      } else {
        answer_ = FeatureReport(proto::kCmdColourRead, p1, 0);
      }
      break;
    case proto::kCmdMacroRead:
      if (p1 >= 1 && p1 <= proto::kMacroCount) {
        queueAnswer(macros_[p1 - 1], proto::kCmdMacroRead, p1);
      } else {
        answer_ = FeatureReport(proto::kCmdMacroRead, p1, 0);
      }
      break;
    default: break;  // unknown commands are ignored
  }
}

void MouseFirmware::finishPendingWrite() {
  pendingActive_ = false;
  const std::uint8_t number = pendingHeader_[proto::kHeaderPageByte];
  const std::size_t length = pendingHeader_[proto::kHeaderLengthByte];
  const std::uint8_t* data = pendingData_.data();
  switch (pendingHeader_.code()) {
    case proto::kCmdColourWrite:
      if (number < proto::kColourPages)
        std::copy_n(data, std::min(length, proto::kColourPageSize[number]),
                    colour_.begin() + proto::kColourPageOffset[number]);
      break;
    case proto::kCmdDpiWrite: std::copy_n(data, std::min(length, dpi_.size()), dpi_.begin()); break;
    case proto::kCmdKeyMatrixWrite:
      if (number >= 1 && number <= proto::kKeyMatrixTables)
        std::copy_n(data, std::min(length, proto::kKeyMatrixSize), keyMatrices_[number - 1].begin());
      break;
    case proto::kCmdMacroWrite:
      if (number >= 1 && number <= proto::kMacroCount)
        std::copy_n(data, std::min(length, proto::kMacroImageSize), macros_[number - 1].begin());
      break;
    default: break;
  }
}

// The header answer of a block read, and its payload as input reports of the
// command collection (report ID 0, 32 bytes each).
void MouseFirmware::queueAnswer(std::span<const std::uint8_t> data, std::uint8_t code, std::uint8_t number) {
  const std::size_t announced =
      faults_.answerLength >= 0 ? static_cast<std::size_t>(faults_.answerLength) : data.size();
  answer_ = FeatureReport(code, number, static_cast<std::uint8_t>(announced));
  std::size_t chunks = chunksFor(announced);
  chunks -=
      std::min<std::size_t>(chunks, static_cast<std::size_t>(std::max(faults_.missingAnswerReports, 0)));
  for (std::size_t c = 0; c < chunks; ++c) {
    Report report(proto::kCommandInputLength, 0);
    report[0] = proto::kReportIdNone;
    const std::size_t offset = c * proto::kChunkSize;
    if (offset < data.size())
      std::copy_n(data.begin() + offset, std::min(proto::kChunkSize, data.size() - offset),
                  report.begin() + proto::kReportIdBytes);
    commandInput_.push_back(std::move(report));
  }
}

// ---------------------------------------------------------------------------
// Behaviour and stored state

void MouseFirmware::setSensorAnswer(const std::array<std::uint8_t, proto::kSensorInfoSize>& answer) {
  sensorAnswer_ = answer;
}

void MouseFirmware::setColourPage(int page, const std::vector<std::uint8_t>& bytes) {
  if (page < 0 || page >= static_cast<int>(proto::kColourPages)) return;
  const auto p = static_cast<std::size_t>(page);
  const auto begin = colour_.begin() + proto::kColourPageOffset[p];
  std::fill_n(begin, proto::kColourPageSize[p], 0);
  std::copy_n(bytes.begin(), std::min(bytes.size(), proto::kColourPageSize[p]), begin);
}

void MouseFirmware::setFaults(const Faults& faults) {
  faults_ = faults;
  faults_.answerLength = std::min<int>(faults.answerLength, std::numeric_limits<std::uint8_t>::max());
}

std::vector<std::uint8_t> MouseFirmware::colourPage(int page) const {
  if (page < 0 || page >= static_cast<int>(proto::kColourPages)) return {};
  const auto p = static_cast<std::size_t>(page);
  const auto begin = colour_.begin() + proto::kColourPageOffset[p];
  return {begin, begin + proto::kColourPageSize[p]};
}

std::array<std::uint8_t, proto::kKeyMatrixSize> MouseFirmware::keyMatrix(int table) const {
  if (table < 1 || table > proto::kKeyMatrixTables) return {};
  return keyMatrices_[static_cast<std::size_t>(table - 1)];
}

std::array<std::uint8_t, proto::kMacroImageSize> MouseFirmware::macroImage(int macro) const {
  if (macro < 1 || macro > proto::kMacroCount) return {};
  return macros_[static_cast<std::size_t>(macro - 1)];
}

void MouseFirmware::clearLog() {
  commands_.clear();
  badChecksums_ = 0;
  strayReports_ = 0;
}

}  // namespace hm
