// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/device/mouse_choice.h"

#include <algorithm>

#include "core/wire/protocol.h"

namespace hm {

MouseCollection mouseCollectionOf(const HidCaps& caps) {
  if (caps.usage == proto::kNotificationUsage && caps.usagePage == proto::kNotificationUsagePage &&
      caps.inputReportByteLength != 0)
    return MouseCollection::Notification;
  if (caps.usage == proto::kCommandUsage && caps.usagePage == proto::kCommandUsagePage &&
      caps.featureReportByteLength != 0)
    return MouseCollection::Command;
  return MouseCollection::Other;
}

MouseChoice chooseMouse(std::span<const FoundCollection> found, const std::optional<std::string>& inUse) {
  MouseChoice choice;
  for (std::size_t i = 0; i < found.size(); ++i) {
    if (found[i].role != MouseCollection::Command) continue;
    if (!choice.command) choice.command = i;
    if (inUse && found[i].entry.busPath == *inUse) {
      choice.command = i;
      break;
    }
  }
  if (!choice.command) return choice;
  const std::string& busPath = found[*choice.command].entry.busPath;
  for (std::size_t i = 0; i < *choice.command; ++i)
    if (found[i].role == MouseCollection::Notification && found[i].entry.busPath == busPath)
      choice.notification = i;
  for (const FoundCollection& f : found)
    if (f.entry.busPath != busPath &&
        std::ranges::find(choice.others, f.entry.busPath) == choice.others.end())
      choice.others.push_back(f.entry.busPath);
  return choice;
}

}  // namespace hm
