// SPDX-License-Identifier: GPL-3.0-or-later
// Key names as the Windows key-name service reports them on a US English
// layout ("Ctrl", "Right Ctrl", "Num 7", "Prnt Scrn", "\" ...), looked up from
// the physical key. The key tables of the button functions and the macro
// items use exactly these names, so a key named here maps to its usage there.
//
// The physical key arrives as the native scan code of the window system: on
// X11 and Wayland that is the Linux evdev key code plus 8 (the XKB keycode
// offset). Plain C++, no toolkit.
#pragma once

#include <cstdint>
#include <string>

namespace hm {

// Offset between an X11/Wayland native scan code and the evdev key code.
constexpr std::uint32_t kNativeScanCodeOffset = 8;

// The name of the key with this native scan code (evdev code + 8); "" when the
// code is 0, below the offset, or names a key the name service has no name for.
std::string keyNameFromScanCode(std::uint32_t nativeScanCode);

// The same from the evdev key code itself (the macro recorder reads evdev
// codes on some paths); "" for unknown codes.
std::string keyNameFromEvdevCode(std::uint32_t evdevCode);

}  // namespace hm
