// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary notification input reports to the notification reader's
// parser and to the hidraw framing: nothing may read past the report, and
// only report ID 6 with types 5, 7, 8, 9 is forwarded.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <set>

#include "core/device/notification_reader.h"
#include "core/wire/protocol.h"
#include "platform/hid/hidraw_framing.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The parser on the report as read.
  int type = -1, value = -1;
  const bool forwarded = hm::parseNotificationReport(data, size, type, value);
  if (forwarded) {
    if (size < 4 || data[0] != hm::proto::kNotificationReportId || !hm::proto::isForwardedEvent(type) ||
        type != data[1] || value != data[3])
      std::abort();
  }

  // The framing of the same bytes as hidraw would deliver them, into the
  // reader's 40-byte buffer.
  if (size == 0) return 0;
  const bool usesIds = (data[0] & 1) != 0;
  const std::set<std::uint8_t> ids{hm::proto::kNotificationReportId};
  const hm::InputFraming framing{usesIds, (data[0] & 2) ? &ids : nullptr};
  std::array<std::uint8_t, 64> frame{};
  const std::size_t offset = hm::rawReportOffset(framing);
  const std::size_t raw = std::min(size - 1, frame.size() - offset);
  std::copy_n(data + 1, raw, frame.begin() + static_cast<long>(offset));
  std::array<std::uint8_t, hm::proto::kNotificationBufferSize> out{};
  const auto stored = hm::finishInputFrame(frame, raw, framing, out);
  if (stored && *stored > out.size()) std::abort();
  if (stored && !usesIds && out[0] != 0) std::abort();
  if (stored) {
    int t = 0, v = 0;
    hm::parseNotificationReport(out.data(), *stored, t, v);
  }
  return 0;
}
