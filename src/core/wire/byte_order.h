// SPDX-License-Identifier: GPL-3.0-or-later
// Byte-order conversions of the program's byte images, in one place:
//  - big-endian 16-bit words (the loop count of a macro image),
//  - 16-bit values kept as a low and a high byte (consumer usages in the
//    button blocks and key-matrix entries),
//  - little-endian 16- and 32-bit words (UTF-16LE text units, key-matrix
//    entries read as one word for the diagnostic lines).
// The functions take any one-byte element type (char of a std::string or
// std::uint8_t of a record) and never depend on the host's byte order.
#pragma once

#include <cstdint>

namespace hm {

constexpr std::uint8_t lowByte(std::uint16_t v) { return static_cast<std::uint8_t>(v & 0xFFu); }
constexpr std::uint8_t highByte(std::uint16_t v) { return static_cast<std::uint8_t>(v >> 8); }
constexpr std::uint16_t wordFromBytes(std::uint8_t low, std::uint8_t high) {
  return static_cast<std::uint16_t>(static_cast<unsigned>(high) << 8 | low);
}

template <class Byte>
constexpr std::uint8_t byteAt(const Byte* p, int i) {
  static_assert(sizeof(Byte) == 1);
  return static_cast<std::uint8_t>(p[i]);
}

template <class Byte>
constexpr std::uint16_t loadBigEndian16(const Byte* p) {
  return wordFromBytes(byteAt(p, 1), byteAt(p, 0));
}

template <class Byte>
constexpr void storeBigEndian16(Byte* p, std::uint16_t v) {
  p[0] = static_cast<Byte>(highByte(v));
  p[1] = static_cast<Byte>(lowByte(v));
}

template <class Byte>
constexpr std::uint16_t loadLittleEndian16(const Byte* p) {
  return wordFromBytes(byteAt(p, 0), byteAt(p, 1));
}

template <class Byte>
constexpr void storeLittleEndian16(Byte* p, std::uint16_t v) {
  p[0] = static_cast<Byte>(lowByte(v));
  p[1] = static_cast<Byte>(highByte(v));
}

template <class Byte>
constexpr std::uint32_t loadLittleEndian32(const Byte* p) {
  return static_cast<std::uint32_t>(loadLittleEndian16(p)) |
         static_cast<std::uint32_t>(loadLittleEndian16(p + 2)) << 16;
}

}  // namespace hm
