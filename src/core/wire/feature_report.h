// SPDX-License-Identifier: GPL-3.0-or-later
// FeatureReport: the 8-byte command unit sent to the mouse.
//   byte 0     command code, bit 7 set = a read command the mouse answers
//   bytes 1..6 parameters; in block transfers byte 1 is the block or page
//              number and byte 2 the payload length in bytes
//   byte 7     checksum: (0xFF - (byte 0 + ... + byte 6)) modulo 256
#pragma once

#include <array>
#include <cstdint>

#include "core/wire/protocol.h"

namespace hm {

struct FeatureReport {
  std::array<std::uint8_t, proto::kFeatureReportSize> bytes{};

  FeatureReport() = default;
  explicit FeatureReport(std::uint8_t code, std::uint8_t p1 = 0, std::uint8_t p2 = 0, std::uint8_t p3 = 0,
                         std::uint8_t p4 = 0, std::uint8_t p5 = 0, std::uint8_t p6 = 0)
      : bytes{code, p1, p2, p3, p4, p5, p6, 0} {
    seal();
  }

  std::uint8_t code() const { return bytes[0]; }
  bool isRead() const { return (bytes[0] & proto::kReadFlag) != 0; }
  std::uint8_t& operator[](std::size_t i) { return bytes[i]; }
  std::uint8_t operator[](std::size_t i) const { return bytes[i]; }

  // The checksum of bytes 0..6.
  std::uint8_t checksum() const {
    unsigned sum = 0;
    for (std::size_t i = 0; i < proto::kChecksumIndex; ++i) sum += bytes[i];
    return static_cast<std::uint8_t>(proto::kChecksumBase - sum);
  }
  // Writes the checksum into byte 7.
  void seal() { bytes[proto::kChecksumIndex] = checksum(); }
  bool checksumValid() const { return bytes[proto::kChecksumIndex] == checksum(); }

  bool operator==(const FeatureReport&) const = default;
};

}  // namespace hm
