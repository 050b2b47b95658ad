// SPDX-License-Identifier: GPL-3.0-or-later
// Macros in their editable form and their record.ini file.
//
// record.ini holds one section per macro, in macro order (macro n is the n-th
// section in file order and owns image n):
//   [name]
//   ItemCount=<decimal>
//   Item0=<text> ... Item<ItemCount-1>=<text>
// Item texts: "<key name>   Dn" (press), "<key name>   Up" (release),
// "<ms> ms" (delay). Section names compare without regard to letter case.
// Values read cut at 1023 UTF-16 units, as a 1024-unit read buffer holds them.
// The loop count is not in the file: it is bytes 0..1 (big-endian) of the
// macro's 128-byte image in MouseConfig::macroImage.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/error.h"
#include "core/settings/mouse_config.h"

namespace hm {

constexpr const char* kPressSuffix = "   Dn";
constexpr const char* kReleaseSuffix = "   Up";
constexpr const char* kDelaySuffix = " ms";
constexpr const char* kItemCountKey = "ItemCount";
constexpr const char* kItemKeyPrefix = "Item";  // "Item0", "Item1", ...
constexpr std::uint16_t kMinLoopTimes = 1, kMaxLoopTimes = 65535;
// Most items read from one section. A hand-edited "ItemCount" beyond this is
// read as this many, so an absurd count cannot exhaust memory or time.
constexpr long kMaxMacroItems = 65536;

// The key of item `index`: "Item0", "Item1", ... (decimal, no leading zeros).
std::string itemKey(long index);

struct MacroItem {
  std::string text;
  static MacroItem press(const std::string& key) { return {key + kPressSuffix}; }
  static MacroItem release(const std::string& key) { return {key + kReleaseSuffix}; }
  static MacroItem delay(unsigned ms) { return {std::to_string(ms) + kDelaySuffix}; }
  bool operator==(const MacroItem&) const = default;
};

struct MacroRecord {
  std::string name;
  std::vector<MacroItem> items;
  bool operator==(const MacroRecord&) const = default;
};

// Number of items of a section: "ItemCount" read like atoi, limited to
// 0..kMaxMacroItems (a negative count reads as 0 items).
long clampItemCount(const std::string& itemCountText);

// Section names in file order; empty when the file is missing.
std::vector<std::string> listMacros(const std::string& recordIni);
// The macro's items ("ItemCount" items "Item0"...); a missing file, section or
// count gives no items, a missing item an empty text. `name` of the result is
// the name asked for.
MacroRecord readMacro(const std::string& recordIni, const std::string& name);
// Deletes the section of that name and writes it anew at the end of the file.
// Fails when the file could not be read or written (nothing is lost then).
Status writeMacro(const std::string& recordIni, const MacroRecord&);
// Rewrites the macro's section where it stands, so its number (and with it
// the button assignments and loop count that refer to it) stays; a macro not
// yet in the file is appended. Fails as writeMacro does.
Status rewriteMacro(const std::string& recordIni, const MacroRecord&);
// Deletes the section; fails when the file could not be read or written.
Status deleteMacro(const std::string& recordIni, const std::string& name);

// Loop count of image `slot` (0..11), big-endian bytes 0..1; 0 outside.
std::uint16_t loopTimes(const MouseConfig&, int slot);
// Stores value into image `slot`; below 1 or above 65535 stores 1. A slot
// outside 0..11 changes nothing.
void setLoopTimes(MouseConfig&, int slot, long value);
// The loop field's text as the value to store: its integer value (leading
// blanks, sign, leading digits), 1 when below 1 or above 65535.
std::uint16_t clampLoopTimesText(const std::string& text);

// Integer value of a text read the way the C library's atoi reads it: leading
// blanks, an optional sign, then leading decimal digits; no digits gives 0.
// Saturates at the limits of long instead of overflowing.
long leadingInteger(const std::string& text);

}  // namespace hm
