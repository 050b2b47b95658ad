// SPDX-License-Identifier: GPL-3.0-or-later
// The mouse's USB interfaces as the kernel meets them, each with its report
// descriptor: what a HID layer that plays the whole mouse (the fake hidraw
// kernel of the tests, the uhid tool) presents to the system.
//   interface 0  the pointer (Generic Desktop Mouse, no report IDs)
//   interface 1  a keyboard (report ID 1) and the notification collection
//                (0xFF01, report ID 6) in one descriptor
//   interface 2  the command collection (0xFF00, no report IDs)
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace hm::mouse_usb {

constexpr std::size_t kPointerInterface = 0;
constexpr std::size_t kNotificationInterface = 1;
constexpr std::size_t kCommandInterface = 2;
constexpr std::size_t kInterfaces = 3;
constexpr std::uint16_t kVersion = 0x0105;  // bcdDevice
constexpr std::uint8_t kKeyboardReportId = 1;

// Three buttons and X, Y, wheel: the boot mouse of the HID class definition.
std::vector<std::uint8_t> pointerDescriptor();
// Modifier byte, a reserved byte and six key codes after the report ID.
std::vector<std::uint8_t> keyboardDescriptor(std::uint8_t reportId);
// The descriptor of interface 0..2.
std::vector<std::uint8_t> interfaceDescriptor(std::size_t interface);

}  // namespace hm::mouse_usb
