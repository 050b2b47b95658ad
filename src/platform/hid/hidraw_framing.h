// SPDX-License-Identifier: GPL-3.0-or-later
// The framing rule of hidraw input reports: hidraw delivers a report of a
// collection without report IDs as its data alone, and a report of a device
// with report IDs with its ID in byte 0. The device link always wants byte 0
// to be the report ID (0 without IDs), and a read on one collection of a node
// with several collections must see only that collection's reports.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <set>
#include <span>

namespace hm {

struct InputFraming {
  bool usesReportIds = false;
  // When set (a node with several collections), reports with other IDs are
  // not this collection's.
  const std::set<std::uint8_t>* collectionIds = nullptr;
};

// Where read(2) must put the raw report in the frame buffer: 1 without report
// IDs (byte 0 is then the ID 0), 0 with them.
constexpr std::size_t rawReportOffset(const InputFraming& f) { return f.usesReportIds ? 0 : 1; }

// Given a frame buffer into which read(2) stored `rawLength` bytes at
// rawReportOffset(), completes the frame and copies at most out.size() bytes
// of it to `out`. Returns the number of bytes stored, or nullopt when the
// report belongs to another collection (or is empty).
std::optional<std::size_t> finishInputFrame(std::span<std::uint8_t> frame, std::size_t rawLength,
                                            const InputFraming& f, std::span<std::uint8_t> out);

}  // namespace hm
