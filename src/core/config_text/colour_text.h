// SPDX-License-Identifier: GPL-3.0-or-later
// A colour as the settings show it: "#rrggbb", lower-case hexadecimal.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

namespace hm {

inline std::string colourText(const std::uint8_t* rgb) {
  char b[8];
  std::snprintf(b, sizeof b, "#%02x%02x%02x", rgb[0], rgb[1], rgb[2]);
  return b;
}

// "#rrggbb" in either letter case; with hashOptional the "#" may be left out.
inline std::optional<std::array<std::uint8_t, 3>> parseColourText(std::string_view text, bool hashOptional) {
  if (!text.empty() && text.front() == '#')
    text.remove_prefix(1);
  else if (!hashOptional)
    return std::nullopt;
  if (text.size() != 6) return std::nullopt;
  auto digit = [](char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  };
  std::array<std::uint8_t, 3> rgb{};
  for (std::size_t k = 0; k < 3; ++k) {
    const int hi = digit(text[2 * k]), lo = digit(text[2 * k + 1]);
    if (hi < 0 || lo < 0) return std::nullopt;
    rgb[k] = static_cast<std::uint8_t>(hi * 16 + lo);
  }
  return rgb;
}

}  // namespace hm
