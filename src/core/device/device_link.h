// SPDX-License-Identifier: GPL-3.0-or-later
// DeviceLink: the link to the mouse. It finds and opens the mouse's two
// vendor collections, frames commands and block transfers, and sends the
// command sequences (sensor handshake, the device part of "Apply", whose
// reports device/apply_reports.h encodes). It holds the link state that the
// notification reader shares: deviceOpen, the notification read handle and
// its input length, and the reader event.
//
// Threads: everything except the members marked "any thread" runs on the UI
// thread only and is not re-entered.
//
// Wire framing (byte 0 = report ID 0, see device/hid_backend.h):
//   feature report: 16-byte zeroed buffer, bytes 1..8 = the FeatureReport,
//                   sent and fetched with the feature length;
//   data report:    40-byte zeroed buffer, bytes 1..32 = 32 payload bytes,
//                   written with the output length, read with the input
//                   length. Lengths above the buffers are cut to the buffers.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/device/hid_backend.h"
#include "core/device/mouse_choice.h"
#include "core/device/sleeper.h"
#include "core/device/wake_event.h"
#include "core/error.h"
#include "core/settings/message_sink.h"  // openMouse's three messages
#include "core/wire/feature_report.h"
#include "core/wire/protocol.h"

namespace hm {

struct ApplyReports;

// The four bytes of the 0x83 answer, in its order; zero until the first answer.
struct SensorInfo {
  std::uint8_t sensorType = 0;
  std::uint8_t rate = 0;
  std::uint8_t option1 = 0;
  std::uint8_t option2 = 0;
  bool operator==(const SensorInfo&) const = default;
};

// A call of an exchange that failed: the command it belonged to (byte 0 of
// the command or block header), the operation as the trace names it, and
// the backend's call and errno (ETIMEDOUT for a data report that never came).
struct ExchangeFailure {
  std::uint8_t command = 0;
  std::string operation;  // "set-feature", "get-feature", "write" or "read"
  Error error;
  // "command 0x13, write: write(/dev/hidraw3) failed: No such device (errno 19)"
  std::string text() const;
  bool operator==(const ExchangeFailure&) const = default;
};

// One line per operation, exactly:
//   "set-feature HEX", "get-feature HEX", "write HEX", "read HEX", "sleep MS"
// HEX = the buffer as passed to or returned by the call (report ID first, as
// many bytes as the length used), lowercase two-digit bytes separated by
// single spaces; MS = decimal milliseconds. A failed call's line ends in
// " ! NAME", NAME being the symbolic name of its errno ("set-feature 00 01 08
// 00 00 00 00 00 f6 ! EPIPE"); a failed read's bytes are zeros. No trailing
// newline.
using TraceHook = std::function<void(const std::string& line)>;
// Diagnostic lines (attributes, capabilities, sensor information, key
// matrices), each as composed, ending in its own newlines.
using LogHook = std::function<void(const std::string& text)>;

// The trace line texts, shared with the notification reader.
std::string traceHex(std::span<const std::uint8_t> bytes);

// The udev rule file that gives the logged-in user the mouse's hidraw nodes.
inline constexpr char kUdevRuleFile[] = "70-hidmouse.rules";
// "permission denied on /dev/hidraw3: install the udev rule
// 70-hidmouse.rules and plug the mouse in again"
std::string permissionDeniedText(const std::string& node);
// The errno values of an open refused for lack of permission.
bool isPermissionError(const Error& error);
// The errno values of a call on an interface whose device is gone (ENOENT,
// ENODEV): the device search passes such an interface over.
bool isGoneError(const Error& error);

// The mouse the last device search took, with the interfaces of its two
// collections.
struct ChosenMouse {
  std::string busPath;  // HidInterfaceEntry::busPath of its interfaces
  HidInterfaceEntry command;
  std::optional<HidInterfaceEntry> notification;
  std::vector<std::string> others;  // bus paths of the other mice plugged in, ignored
};
// The lines that say which mouse the program uses (logged at each search,
// shown by info and doctor):
//   "The mouse at usb-0000:00:14.0-2 is used: commands on /dev/hidraw4,
//    notifications on /dev/hidraw3" (one line)
//   "Another mouse at usb-0000:00:14.0-5 is plugged in and ignored"
std::vector<std::string> chosenMouseLines(const ChosenMouse& mouse);
// The device file of an interface, else its path.
std::string nodeOrPath(const HidInterfaceEntry& entry);

class DeviceLink {
 public:
  // `sink` receives the three messages openMouse can show. The backend, sink
  // and sleeper must outlive the link.
  DeviceLink(HidBackend& backend, MessageSink& sink, Sleeper& sleeper);
  ~DeviceLink();
  DeviceLink(const DeviceLink&) = delete;
  DeviceLink& operator=(const DeviceLink&) = delete;

  // Set the hooks before a NotificationReader runs: the reader traces its
  // reads through the same hook.
  void setTrace(TraceHook hook) { trace_ = std::move(hook); }
  void setLog(LogHook hook) { log_ = std::move(hook); }

  // Searches the system's interfaces for the mouse, closing the handles of an
  // earlier search first. Returns 1 when the command collection is open, else
  // 0, and sets deviceOpen to that result. Signals the reader event when the
  // notification collection was opened in this search and the result is 1.
  // With more than one mouse plugged in it takes one (chooseMouse): the one
  // taken by the last successful search while it is still there, else the
  // first by bus path; it logs which (chosenMouseLines).
  int openMouse();
  // The mouse the last search chose, also when opening it then failed;
  // nullopt when it found none.
  const std::optional<ChosenMouse>& chosenMouse() const { return chosen_; }
  // After an openMouse that returned 0 because opening one of the mouse's
  // collections was refused for lack of permission: the plain message
  // naming its device file and the udev rule (permissionDeniedText).
  // nullopt after any other result.
  const std::optional<std::string>& permissionProblem() const { return permissionProblem_; }
  // Closes every handle; deviceOpen becomes 0. A blocked notification read is
  // cancelled.
  void close();

  // Exchanges one command; byte 7 is always replaced by the checksum. For a
  // read command the 8 answer bytes replace `report` (zeros when the exchange
  // failed). False when a call failed (see lastExchangeFailure()); without an
  // open command collection nothing is sent or traced and the exchange fails.
  bool sendCommand(FeatureReport& report);
  // A header command and its payload. Write (bit 7 clear): ceil(header[2] / 32)
  // data reports from `payload`, each followed by 3 ms; `payload` holds at
  // least that many whole chunks (shorter is zero-padded). Read (bit 7 set):
  // the answer header replaces `header`, then ceil(answer[2] / 32) data reports
  // are read (each gives up after 1 s, leaving its bytes zero); only what fits
  // in `payload` is stored. Every call is made even after one failed; false
  // when any failed.
  bool transferBlock(FeatureReport& header, std::span<std::uint8_t> payload);
  // The first failed call of the last sendCommand or transferBlock; nullopt
  // when all of its calls succeeded.
  const std::optional<ExchangeFailure>& lastExchangeFailure() const { return exchangeFailure_; }

  // 0x83: stores the answer as the sensor information.
  void readSensorInfo();
  // 0x03 with the sensor information bytes.
  void writeSensorOptions();
  // 0x83, active sensor type = sensorType, option2 |= 0x40, 0x03.
  void sensorHandshake();
  // The device part of "Apply": sends `reports` (encodeApply) in their order
  // with the protocol's pauses, colour page 1 as the mouse answered it, and
  // keeps their LED bytes for the next Apply. Every exchange is tried however
  // many failed. Once a data report read times out the mouse counts as silent
  // for the rest of the call: later reads fail at once, untraced, so a mouse
  // that announces answers it never sends costs one time-out, not one per
  // report. Returns the first failure; nullopt when the mouse took everything.
  std::optional<ExchangeFailure> sendApply(const ApplyReports& reports);
  // The handshake's reading half: 0x83 and active sensor type = sensorType;
  // nothing is written to the mouse.
  void readSensorType();

  int activeSensorType() const { return activeSensorType_; }
  const SensorInfo& sensorInfo() const { return sensorInfo_; }
  // The 52-byte colour block as last sent (page 0 at 0, page 1 at 24, page 2 at 48).
  const std::array<std::uint8_t, proto::kColourBlockSize>& colourBlock() const { return colourBlock_; }
  // Bytes 1 and 2 of the last 0x0D sent (0, 0 before the first).
  std::array<std::uint8_t, 2> previousLedBytes() const { return ledBytes_; }

  // Link state of the last search.
  const std::string& devicePath() const { return devicePath_; }
  std::uint16_t featureLength() const { return featureLength_; }
  std::uint16_t inputLength() const { return inputLength_; }
  std::uint16_t outputLength() const { return outputLength_; }
  bool notificationOpen() const;

  // ---- Shared with the notification reader (any thread) ----
  // 1 while the command collection is open.
  std::atomic<int> deviceOpen{0};
  // The notification read handle (nullptr while not open); the reader keeps
  // its own reference for the duration of a read.
  std::shared_ptr<HidDevice> notificationReadHandle() const;
  std::uint16_t notificationInputLength() const { return notificationInputLength_.load(); }
  // The reader's manual-reset event.
  WakeEvent& readerEvent() { return readerEvent_; }
  // The trace hook for reads on the notification collection (may be empty).
  const TraceHook& traceHook() const { return trace_; }

 private:
  void traceOp(const char* op, std::span<const std::uint8_t> bytes, const Error* failure = nullptr);
  // Traces a call of the current exchange and keeps its failure when it is
  // the exchange's first.
  void finishCall(std::uint8_t command, const char* op, std::span<const std::uint8_t> wire,
                  const std::optional<Error>& failure);
  void noteFailure(std::uint8_t command, const char* op, const Error& error);
  // nullopt when a call on the feature handle succeeded, else its lastError().
  std::optional<Error> callError(bool ok) const;
  void pause(unsigned ms);
  void logLine(const std::string& text);
  void closeHandles();
  enum class Search { Opened, Failed, Gone };  // Gone: the chosen mouse went away while it was opened
  // One search of openMouse on the system's list as it is now.
  Search searchOnce();
  // Logs a failed open of one of the mouse's collections and keeps a
  // permission refusal for permissionProblem().
  void noteOpenFailure(const HidInterfaceEntry& entry, const char* purpose);
  void discardStaleInput();

  HidBackend& backend_;
  MessageSink& sink_;
  Sleeper& sleeper_;
  TraceHook trace_;
  LogHook log_;

  std::unique_ptr<HidDevice> featureHandle_;
  mutable std::mutex notificationMutex_;  // guards the two notification handles
  std::shared_ptr<HidDevice> notificationRead_;
  std::unique_ptr<HidDevice> notificationWrite_;
  std::string devicePath_;
  std::uint16_t featureLength_ = 0;
  std::uint16_t inputLength_ = 0;
  std::uint16_t outputLength_ = 0;
  std::atomic<std::uint16_t> notificationInputLength_{0};
  WakeEvent readerEvent_;

  SensorInfo sensorInfo_;
  int activeSensorType_ = 0;
  std::array<std::uint8_t, proto::kColourBlockSize> colourBlock_{};
  std::array<std::uint8_t, 2> ledBytes_{};

  std::optional<ExchangeFailure> exchangeFailure_;
  std::optional<std::string> permissionProblem_;
  std::optional<ChosenMouse> chosen_;
  std::optional<std::string> inUse_;  // bus path of the mouse the last successful search opened
  bool applying_ = false;             // inside sendApply
  bool silent_ = false;               // a read of this Apply timed out
  bool staleInput_ = false;           // a read timed out: late answer reports may be waiting
};

}  // namespace hm
