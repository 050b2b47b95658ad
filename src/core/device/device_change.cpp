// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/device/device_change.h"

namespace hm {

bool isMouseInterfacePath(const std::string& path) {
  for (const char* id : {proto::kPathIdWindowsMixed, proto::kPathIdWindowsUpper, proto::kPathIdLinux})
    if (path.find(id) != std::string::npos) return true;
  return false;
}

DeviceChangeAction handleDeviceChange(DeviceLink& link, std::uint32_t eventCode, std::uint32_t deviceType,
                                      const std::string& path, bool basicPageShown, bool readerExists) {
  DeviceChangeAction action;
  if (eventCode != proto::kDeviceArrival && eventCode != proto::kDeviceRemoveComplete) return action;
  if (deviceType != proto::kDeviceTypeInterface) return action;
  if (!isMouseInterfacePath(path)) return action;

  // Removals too: a removal of one of the mouse's interfaces leaves the mouse
  // usable when it can still be opened.
  const bool wasOpen = link.deviceOpen.load() == 1;
  const std::optional<std::string> before =
      link.chosenMouse() ? std::optional(link.chosenMouse()->busPath) : std::nullopt;
  if (link.openMouse() == 0) {
    link.deviceOpen.store(0);
    action.kind = DeviceChangeKind::WarnAndHide;
    return action;
  }
  link.deviceOpen.store(1);
  action.kind = DeviceChangeKind::Opened;
  // The removal of the mouse in use while another one is plugged in leaves
  // the link on the other one, which then gets its handshake as on arrival.
  const bool anotherMouse = wasOpen && before != link.chosenMouse()->busPath;
  if (eventCode == proto::kDeviceArrival || anotherMouse) {
    link.sensorHandshake();
    action.handshakeDone = true;
  }
  if (eventCode == proto::kDeviceArrival) action.startReader = readerExists && !basicPageShown;
  return action;
}

}  // namespace hm
