// SPDX-License-Identifier: GPL-3.0-or-later
// The macro image: the 128-byte device form of one macro.
//
//   bytes 0..1   loop count, big-endian
//   bytes 2..127 events packed upward, rest zero
// An event is a press or release with the delay d (ms) that follows it:
//   d <= 1270:  [d/10 | release<<7] [key code]
//   d >  1270:  [d%100 | release<<7] [key code] [(d/100) & 0xFF] [0x03]
// A press/release item takes its delay from the next item (" ms" removed,
// read like atoi; none or a key item gives 0), for the last item of a section
// the one stored after it, beyond ItemCount. Unknown key names encode as 0.
// An image with no items (ItemCount 0) is all zero, loop bytes included.
// Nothing is ever written past byte 127: encoding stops at the first event
// that does not fit whole, and the result says it was cut.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/settings/mouse_config.h"
#include "core/settings/profile_file.h"

namespace hm {

constexpr std::size_t kLoopBytes = 2;
constexpr int kShortEventBytes = 2, kLongEventBytes = 4;
constexpr long kShortDelayMax = 1270;  // longest delay of the 2-byte form
constexpr std::uint8_t kReleaseBit = 0x80;
constexpr std::uint8_t kLongEventMarker = 0x03;

struct EncodeResult {
  int events = 0;          // events written
  bool truncated = false;  // an event did not fit and it and all after it were dropped
};

// Encodes one item list (the section's ItemCount items) into `image`
// (kMacroImageSize bytes). Bytes 0..1 are kept, unless `items` is empty, which
// zeroes the whole image. itemAfterList is the item stored after the list in
// its section (key "Item<ItemCount>", empty when there is none), which gives
// the last event its delay.
EncodeResult encodeMacroImage(const std::vector<std::string>& items, std::uint8_t* image,
                              const std::string& itemAfterList = {});

// The same over `count` items handed out one at a time by itemAt(j), for
// lists not held as strings; the item after the list is empty.
EncodeResult encodeMacroImage(std::size_t count, const std::function<std::string(std::size_t)>& itemAt,
                              std::uint8_t* image);

// Encodes one section of record.ini (its ItemCount and Item<j> keys) into
// `image`, as the rebuild does; time and memory follow the keys stored in
// the section, not the count it claims.
EncodeResult encodeMacroSection(const profile::ProfileDocument::Section&, std::uint8_t* image);

struct MacroReport {
  int number = 0;  // 1-based position of the section in the file
  std::string name;
  long items = 0;  // its ItemCount, as read
  int events = 0;
  bool truncated = false;
  bool hasImage = false;  // false for sections beyond the twelfth
};

// Rebuilds the images of the first twelve sections of record.ini (section n
// -> image n); a missing file changes nothing and gives no reports. One report
// per section in file order. Section names are used whole (no 32-unit cut);
// the editor refuses names longer than 31 characters.
std::vector<MacroReport> rebuildMacroImages(const std::string& recordIni, MouseConfig&);
// The same over a record.ini already read. With no config, nothing is
// written and every section is encoded for its report (images beyond the
// twelfth included): what `show` lists.
std::vector<MacroReport> rebuildMacroImages(const profile::ProfileDocument& recordIni, MouseConfig* config);

}  // namespace hm
