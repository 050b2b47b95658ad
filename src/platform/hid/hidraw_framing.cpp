// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/hid/hidraw_framing.h"

#include <algorithm>

namespace hm {

std::optional<std::size_t> finishInputFrame(std::span<std::uint8_t> frame, std::size_t rawLength,
                                            const InputFraming& f, std::span<std::uint8_t> out) {
  const std::size_t offset = rawReportOffset(f);
  if (rawLength == 0 || frame.empty()) return std::nullopt;
  const std::size_t total = std::min(rawLength + offset, frame.size());
  if (offset) frame[0] = 0;
  if (f.usesReportIds && f.collectionIds && !f.collectionIds->contains(frame[0])) return std::nullopt;
  const std::size_t stored = std::min(total, out.size());
  std::copy_n(frame.begin(), stored, out.begin());
  return stored;
}

}  // namespace hm
