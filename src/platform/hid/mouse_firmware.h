// SPDX-License-Identifier: GPL-3.0-or-later
// MouseFirmware: what the mouse itself stores and answers behind its two
// vendor collections, with no notion of handles, paths or the system's device
// list. A HID layer (the simulated HID system of simulated_mouse.h, or a fake
// hidraw kernel) hands it the reports that arrive, framed as on the wire with
// the report ID in byte 0, and takes from it the answers and the input reports
// it must deliver:
//
//   setFeatureReport()  a set-feature on the command collection
//   getFeatureReport()  a get-feature on the command collection
//   outputReport()      an output report written to the command collection
//   nextInputReport()   the next input report of either collection
//
// Command collection (no report IDs): a feature report is one FeatureReport
// after report ID 0. One with a bad checksum is ignored and counted. Write
// commands are kept (report interval, sensor options, LED effect, and the
// block payloads of colour pages, DPI codes, key matrices and macro images,
// which take their announced number of 32-byte output reports; a new command
// drops an unfinished block). A read command sets the answer of the next
// get-feature: 0x83 the sensor answer; 0x90 the page, its length and, as
// input reports, the page's bytes; 0x93 the macro number, 128 and the image.
// Notification collection (report ID 6): the reports the mouse sends.
// Input reports, too, come with the report ID first (0 on the command
// collection); a hidraw layer drops that byte for the collection without IDs.
//
// The faults a test can give the mouse: block-read answers that name another
// colour page, announce another length, or leave out data reports, and
// feature answers cut short.
//
// Not thread-safe: the HID layer serialises every call.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <optional>
#include <span>
#include <vector>

#include "core/wire/feature_report.h"
#include "core/wire/protocol.h"

namespace hm {

class MouseFirmware {
 public:
  enum class Collection { Command, Notification };
  using Report = std::vector<std::uint8_t>;

  // The report descriptor of one collection (one top-level collection each);
  // parsed, it announces the proto::kCommand*Length and
  // proto::kNotificationInputLength report lengths.
  static std::vector<std::uint8_t> reportDescriptor(Collection c);

  // ---- The wire ----
  // Each returns false, changing nothing, for a report the collection does not
  // declare (empty, or a report ID other than 0).
  bool setFeatureReport(std::span<const std::uint8_t> report);
  // Fills the answer after report ID 0, at most report.size() bytes.
  bool getFeatureReport(std::span<std::uint8_t> report);
  bool outputReport(std::span<const std::uint8_t> report);
  // The next input report waiting on a collection (report ID first).
  std::optional<Report> nextInputReport(Collection c);
  bool inputPending(Collection c) const;

  // The mouse sends a notification report (report ID first).
  void sendNotificationReport(Report report);
  // Power is lost: an unfinished block write and the queued input reports are
  // dropped; what the mouse stores is kept.
  void powerOff();

  // ---- Behaviour ----
  void setSensorAnswer(const std::array<std::uint8_t, proto::kSensorInfoSize>& answer);
  // Bytes the mouse holds for a colour page (0..2) before any write.
  void setColourPage(int page, const std::vector<std::uint8_t>& bytes);
  // How the mouse's answers go wrong; all off by default.
  struct Faults {
    // 0x90 answers name this page instead of the asked one (-1: the asked one).
    int colourAnswerPage = -1;
    // Block-read answers announce this length instead of the real one (-1:
    // real; at most 255, what header byte 2 holds).
    int answerLength = -1;
    // Block-read answers send this many fewer data reports than announced.
    int missingAnswerReports = 0;
    // A get-feature fills only this many bytes after the report ID, the rest
    // of the caller's buffer staying as it was (-1: all 8). 0 gives an answer
    // of zeros, checksum included.
    int featureAnswerBytes = -1;
  };
  void setFaults(const Faults& faults);

  // ---- Stored state (what the mouse was told) ----
  std::uint8_t reportInterval() const { return reportInterval_; }
  std::array<std::uint8_t, proto::kSensorInfoSize> sensorOptions() const { return sensorOptions_; }
  int sensorWrites() const { return sensorWrites_; }
  std::vector<std::uint8_t> colourPage(int page) const;  // 24, 24, 4 bytes
  std::array<std::uint8_t, proto::kLedEffectBytes> ledEffect() const { return led_; }
  std::array<std::uint8_t, proto::kDpiPayloadSize> dpiCodes() const { return dpi_; }
  std::array<std::uint8_t, proto::kKeyMatrixSize> keyMatrix(int table) const;    // 1..4
  std::array<std::uint8_t, proto::kMacroImageSize> macroImage(int macro) const;  // 1..12
  int badChecksumCount() const { return badChecksums_; }
  // Every accepted command header, in order.
  const std::vector<FeatureReport>& commands() const { return commands_; }
  // Output reports that arrived without a block write announcing them.
  int strayDataReports() const { return strayReports_; }
  void clearLog();

 private:
  void handleCommand(const FeatureReport& r);
  void finishPendingWrite();
  void queueAnswer(std::span<const std::uint8_t> data, std::uint8_t code, std::uint8_t number);

  // Behaviour.
  std::array<std::uint8_t, proto::kSensorInfoSize> sensorAnswer_{};
  Faults faults_;

  // Stored.
  std::uint8_t reportInterval_ = 0;
  std::array<std::uint8_t, proto::kSensorInfoSize> sensorOptions_{};
  int sensorWrites_ = 0;
  std::array<std::uint8_t, proto::kColourBlockSize> colour_{};
  std::array<std::uint8_t, proto::kLedEffectBytes> led_{};
  std::array<std::uint8_t, proto::kDpiPayloadSize> dpi_{};
  std::array<std::array<std::uint8_t, proto::kKeyMatrixSize>, proto::kKeyMatrixTables> keyMatrices_{};
  std::array<std::array<std::uint8_t, proto::kMacroImageSize>, proto::kMacroCount> macros_{};
  int badChecksums_ = 0;
  int strayReports_ = 0;
  std::vector<FeatureReport> commands_;

  // A block write waiting for its data reports.
  bool pendingActive_ = false;
  FeatureReport pendingHeader_;
  std::vector<std::uint8_t> pendingData_;
  std::size_t pendingChunks_ = 0;
  std::size_t pendingReceived_ = 0;

  FeatureReport answer_;  // what a get-feature returns
  std::deque<Report> commandInput_;
  std::deque<Report> notifications_;
};

}  // namespace hm
