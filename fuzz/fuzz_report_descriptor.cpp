// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary bytes to the HID report-descriptor parser: it must never
// read out of bounds, loop or crash, and what it accepts must be consistent.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "platform/hid/report_descriptor.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string error;
  const auto info = hm::parseReportDescriptor(std::span(data, size), &error);
  if (!info) {
    if (error.empty()) std::abort();  // every rejection names its reason
    return 0;
  }
  if (info->collections.empty()) std::abort();
  for (const auto& c : info->collections) {
    // A length is 0 or the report ID byte plus at least one data byte.
    for (std::uint16_t len :
         {c.caps.inputReportByteLength, c.caps.outputReportByteLength, c.caps.featureReportByteLength})
      if (len == 1) std::abort();
    if (!info->usesReportIds && !c.reportIds.empty()) std::abort();
    for (std::uint8_t id : c.inputReportIds)
      if (id == 0 || !c.reportIds.contains(id)) std::abort();
  }
  return 0;
}
