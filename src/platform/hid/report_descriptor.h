// SPDX-License-Identifier: GPL-3.0-or-later
// A parser of USB HID report descriptors (HID class definition 1.11, 6.2.2):
// short and long items, the global state table with Push/Pop, collections and
// the Input, Output and Feature main items. A short Usage takes the last Usage
// Page declared before its main item, a 4-byte one carries its own page. It
// yields what the system needs of each top-level collection: its usage page
// and usage, the report IDs it uses and the report byte lengths as the Windows
// HID parser announces them (the longest report of each kind in bytes, plus
// one for the report ID byte, or 0 when the collection has no report of that
// kind).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "core/device/hid_backend.h"

namespace hm {

struct TopLevelCollection {
  HidCaps caps;
  // Report IDs of the collection's input reports (empty when the descriptor
  // declares no report IDs).
  std::set<std::uint8_t> inputReportIds;
  std::set<std::uint8_t> reportIds;  // of any kind
};

struct ReportDescriptorInfo {
  std::vector<TopLevelCollection> collections;
  bool usesReportIds = false;
};

// nullopt when the descriptor is malformed: an item runs past the end, a
// collection is not closed or closed without being opened, Pop without Push,
// a report ID of 0, a report larger than the limits of a HID report, or no
// top-level collection at all. `error` says which.
std::optional<ReportDescriptorInfo> parseReportDescriptor(std::span<const std::uint8_t> descriptor,
                                                          std::string* error = nullptr);

}  // namespace hm
