// SimulatedMouse: an in-process stand-in for the mouse and the system's HID
// list, used by every device test, by the benchmarks and by --simulate.
//
// It lists interfaces like a real system: by default an unrelated keyboard
// (vendor 0x1A2B, product 0x3C4D), then the mouse's notification collection
// (0xFF01, input length 9) and its command collection (0xFF00, feature 9,
// input 33, output 33). The layout can be changed to put other devices
// between them or the command collection first.
//
// The mouse side: every feature report is a FeatureReport after report ID 0;
// one with a bad checksum is ignored and counted. Write commands are kept
// (report interval, sensor options, LED effect, and the block payloads of
// colour pages, DPI codes, key matrices and macro images, which take their
// announced number of 32-byte output reports). 0x83 is answered with the
// sensor answer (settable); 0x90 with the page, its length and the page's
// bytes; 0x93 with the macro number, 128 and the macro image. Answers of block
// reads come as 33-byte input reports on the command collection.
//
// Notification reports (input length 9, report ID first) are queued by
// sendNotification() and read from the notification collection.
//
// Plugging: unplug() removes the mouse's interfaces, makes every open handle
// of the mouse fail and queues a removal event per interface; plugIn() lists
// them again and queues an arrival event per interface. Handles and monitors
// share the mouse's state, so one may outlive the SimulatedMouse (it then
// just fails). All members are safe to call from any thread.
#pragma once

#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "core/device/feature_report.h"
#include "core/device/hid_backend.h"
#include "core/device/wake_event.h"

namespace hm {

class SimulatedMouse : public HidBackend {
 public:
  enum class Role { Other, Notification, Command };

  // What the mouse's collections announce.
  static constexpr std::uint16_t kFeatureLength = 9;
  static constexpr std::uint16_t kInputLength = 33;
  static constexpr std::uint16_t kOutputLength = 33;
  static constexpr std::uint16_t kNotificationInputLength = 9;

  explicit SimulatedMouse(bool pluggedIn = true);
  ~SimulatedMouse() override;

  // ---- HidBackend ----
  std::optional<std::vector<HidInterfaceEntry>> listInterfaces() override;
  std::unique_ptr<HidDevice> open(const std::string& path, HidAccess access) override;
  std::unique_ptr<HidMonitor> openMonitor() override;
  Error lastError() const override;

  // ---- The system's list ----
  // The order of interfaces; each Role::Other is another device (vendor
  // 0x1A2B). Default {Other, Notification, Command}. Applies to later lists.
  void setLayout(std::vector<Role> layout);
  std::vector<Role> layout() const;
  // The path of the interface at `index` of the layout.
  std::string pathAt(std::size_t index) const;
  std::string commandPath() const;
  std::string notificationPath() const;
  // Makes the whole list unavailable (listInterfaces() gives nullopt).
  void setListFails(bool fails);
  // The interface at `index` reports no path (detailOk false).
  void setDetailFailsAt(int index);
  // Opening the interface at `index` fails for every access (-1: none).
  void setOpenFailsAt(int index);
  // Capabilities of the interface at `index` fail with this status.
  void setCapsFailAt(int index, HidCapsStatus status);

  // ---- Plugging ----
  void plugIn();
  void unplug();
  bool pluggedIn() const;

  // ---- Behaviour ----
  void setSensorAnswer(const std::array<std::uint8_t, 4>& answer);
  // Bytes the mouse holds for a colour page (0..2) before any write.
  void setColourPage(int page, const std::vector<std::uint8_t>& bytes);
  // 0x90 answers name this page instead of the asked one (-1: the asked one).
  void setColourAnswerPage(int page);
  // Block-read answers announce this length instead of the real one (-1: real).
  void setAnswerLength(int length);
  // Block-read answers send this many fewer data reports than announced.
  void setMissingAnswerReports(int count);
  // Every transfer on the command collection takes this long.
  void setLatency(std::chrono::microseconds latency);

  // Queues a notification report ID 6, byte 1 = type, byte 3 = value.
  void sendNotification(int type, int value);
  // Queues a raw notification report (report ID first).
  void sendNotificationReport(const std::vector<std::uint8_t>& report);

  // ---- Stored state (what the mouse was told) ----
  std::uint8_t reportInterval() const;
  std::array<std::uint8_t, 4> sensorOptions() const;  // last 0x03, bytes 1..4
  int sensorWrites() const;
  std::vector<std::uint8_t> colourPage(int page) const;  // 24, 24, 4 bytes
  std::array<std::uint8_t, 3> ledEffect() const;         // last 0x0D, bytes 1..3
  std::array<std::uint8_t, 8> dpiCodes() const;
  std::array<std::uint8_t, proto::kKeyMatrixSize> keyMatrix(int table) const;    // 1..4
  std::array<std::uint8_t, proto::kMacroImageSize> macroImage(int macro) const;  // 1..12
  int badChecksumCount() const;
  // Every accepted command header, in order.
  std::vector<FeatureReport> commands() const;
  // Output reports that arrived without a block write announcing them.
  int strayDataReports() const;
  void clearLog();

 private:
  class Handle;
  class Monitor;
  friend class Handle;
  friend class Monitor;

  struct State;
  std::shared_ptr<State> state_;
};

}  // namespace hm
