// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/model/sensor_answer.h"

#include <algorithm>

namespace hm {

namespace {
constexpr int kMaxByte = 255;
constexpr std::size_t kMaxDigits = 3;
constexpr int kDecimalBase = 10;
constexpr char kSeparator = ',';
}  // namespace

std::optional<SensorAnswer> parseSensorAnswer(std::string_view text) {
  SensorAnswer out{};
  std::size_t field = 0;
  std::size_t start = 0;
  while (true) {
    const std::size_t end = std::min(text.find(kSeparator, start), text.size());
    const std::string_view digits = text.substr(start, end - start);
    if (field >= out.size() || digits.empty() || digits.size() > kMaxDigits) return std::nullopt;
    int v = 0;
    for (char c : digits) {
      if (c < '0' || c > '9') return std::nullopt;
      v = v * kDecimalBase + (c - '0');
    }
    if (v > kMaxByte) return std::nullopt;
    out[field++] = static_cast<std::uint8_t>(v);
    if (end == text.size()) break;
    start = end + 1;
  }
  if (field != out.size()) return std::nullopt;
  return out;
}

}  // namespace hm
