// SPDX-License-Identifier: GPL-3.0-or-later
// Which mouse the device search takes when more than one is plugged in. Each
// mouse shows the system two vendor collections, on interfaces of its own;
// the bus path of their interfaces (HidInterfaceEntry::busPath) tells whose
// they are, so commands and notifications always come from one mouse.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/device/hid_backend.h"

namespace hm {

// What the device search makes of one of the mouse's collections.
enum class MouseCollection {
  Notification,  // usage page and usage 0xFF01 with input reports: read by the reader
  Command,       // usage page and usage 0xFF00 with feature reports: the commands
  Other,         // not used
};
MouseCollection mouseCollectionOf(const HidCaps& caps);

// A notification or command collection of a mouse, as the search found it.
struct FoundCollection {
  HidInterfaceEntry entry;
  HidCaps caps;
  MouseCollection role = MouseCollection::Other;
};

struct MouseChoice {
  std::optional<std::size_t> command;       // index of the chosen mouse's command collection
  std::optional<std::size_t> notification;  // of its notification collection
  std::vector<std::string> others;          // bus paths of the other mice found, in list order
};

// The mouse to take among `found` (in the system's list order):
//  - the one in use (bus path `inUse`, the mouse the last successful search
//    took) while it still has a command collection, so plugging in a second
//    mouse never takes the link from the first;
//  - else the first whose command collection is listed; the list is sorted
//    by sysfs path, so this is the same mouse every time for the same set.
// Its notification collection is the last one of its own bus path listed
// before its command collection (the search stops at the command
// collection, as on a system with one mouse); another mouse's is never taken.
MouseChoice chooseMouse(std::span<const FoundCollection> found, const std::optional<std::string>& inUse);

}  // namespace hm
