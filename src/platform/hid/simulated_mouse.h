// SPDX-License-Identifier: GPL-3.0-or-later
// SimulatedMouse: an in-process stand-in for the system's HID stack with the
// mouse plugged in, used by every device test, by the benchmarks and by
// --simulate. It is the fake HID system over the mouse's firmware model
// (mouse_firmware.h, which says what the mouse stores and answers): the
// system's list, the handles and the plug and removal notifications.
//
// It lists interfaces like a real system: by default an unrelated keyboard
// (vendor 0x1A2B, product 0x3C4D), then the mouse's notification collection
// and its command collection, whose capabilities come from the firmware's
// report descriptors (0xFF01: input 9; 0xFF00: feature 9, input 33, output
// 33). The layout can be changed to put other devices between them or the
// command collection first.
//
// Set-feature, get-feature, write and read on the command collection's
// read-write handle reach the firmware; block-read answers come as input
// reports of that collection. Notification reports are queued by
// sendNotification() and read from the notification collection's read handle.
//
// Plugging: unplug() removes the mouse's interfaces, makes every open handle
// of the mouse fail with ENODEV and queues a removal event per interface;
// plugIn() lists them again and queues an arrival event per interface. Handles
// and monitors share the system's state, so one may outlive the SimulatedMouse
// (it then just fails). All members are safe to call from any thread.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/device/hid_backend.h"
#include "core/wire/feature_report.h"
#include "core/wire/protocol.h"
#include "platform/hid/mouse_firmware.h"

namespace hm {

namespace simhid {
struct State;
}

class SimulatedMouse : public HidBackend {
 public:
  enum class Role { Other, Notification, Command };

  // What the mouse's collections announce.
  static constexpr std::uint16_t kFeatureLength = proto::kCommandFeatureLength;
  static constexpr std::uint16_t kInputLength = proto::kCommandInputLength;
  static constexpr std::uint16_t kOutputLength = proto::kCommandOutputLength;
  static constexpr std::uint16_t kNotificationInputLength = proto::kNotificationInputLength;
  // The bus path of the mouse's interfaces.
  static constexpr char kBusPath[] = "simulated";

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
  // The cable is pulled mid-transfer: after `operations` more operations on
  // the command collection (set-feature, get-feature, write, read) the next
  // one fails with ENODEV and the mouse is unplugged as by unplug(). Reads of
  // the notification collection are not counted, so the point of failure does
  // not depend on when a reader thread happens to wait. The fault fires once:
  // after plugIn() the mouse works again. -1 switches it off.
  void setFailAfter(int operations);

  // ---- Behaviour of the mouse (see MouseFirmware) ----
  void setSensorAnswer(const std::array<std::uint8_t, proto::kSensorInfoSize>& answer);
  // Bytes the mouse holds for a colour page (0..2) before any write.
  void setColourPage(int page, const std::vector<std::uint8_t>& bytes);
  // How its answers go wrong (MouseFirmware::Faults; {} puts them right).
  void setFaults(const MouseFirmware::Faults& faults);
  // Every transfer on the command collection takes this long.
  void setLatency(std::chrono::microseconds latency);

  // Queues a notification report ID 6, byte 1 = type, byte 3 = value.
  void sendNotification(int type, int value);
  // Queues a raw notification report (report ID first).
  void sendNotificationReport(const std::vector<std::uint8_t>& report);

  // ---- Stored state (what the mouse was told; see MouseFirmware) ----
  std::uint8_t reportInterval() const;
  std::array<std::uint8_t, proto::kSensorInfoSize> sensorOptions() const;  // last 0x03, bytes 1..4
  int sensorWrites() const;
  std::vector<std::uint8_t> colourPage(int page) const;                // 24, 24, 4 bytes
  std::array<std::uint8_t, proto::kLedEffectBytes> ledEffect() const;  // last 0x0D, bytes 1..3
  std::array<std::uint8_t, proto::kDpiPayloadSize> dpiCodes() const;
  std::array<std::uint8_t, proto::kKeyMatrixSize> keyMatrix(int table) const;    // 1..4
  std::array<std::uint8_t, proto::kMacroImageSize> macroImage(int macro) const;  // 1..12
  int badChecksumCount() const;
  // Every accepted command header, in order.
  std::vector<FeatureReport> commands() const;
  // Output reports that arrived without a block write announcing them.
  int strayDataReports() const;
  void clearLog();

 private:
  // Runs f on the firmware with the system's lock held.
  template <class F>
  auto withFirmware(F f) const;

  std::shared_ptr<simhid::State> state_;
};

}  // namespace hm
