// SPDX-License-Identifier: GPL-3.0-or-later
// record.ini -> macro images.
#include "core/macros/macro_encoder.h"

#include <cstring>
#include <map>
#include <string_view>
#include <utility>

#include "core/buttons/key_tables.h"
#include "core/macros/macro_record.h"
#include "core/settings/profile_file.h"

namespace hm {
namespace {

constexpr long kUnitMs = 10;       // time unit of the 2-byte form
constexpr long kLongUnitMs = 100;  // time unit of the 4-byte continuation
constexpr std::uint8_t kTimeMask = 0x7F;

// Removes every occurrence of `part` in one pass from left to right; an
// occurrence that only forms once another has been cut out stays. True when
// there was one.
bool removeAll(std::string& text, const std::string& part) {
  std::string kept;
  std::size_t from = 0;
  for (std::size_t at; (at = text.find(part, from)) != std::string::npos; from = at + part.size())
    kept.append(text, from, at - from);
  if (from == 0) return false;
  kept.append(text, from, std::string::npos);
  text = std::move(kept);
  return true;
}

// Writes the events of the items with the given indices, in ascending order
// (itemAt(j) gives item j), at byte 2 upward, after clearing bytes 2..127.
// The loop bytes are kept. The delay of an event is item j+1, also for the
// last item of the list: itemAt(count) is the item stored after it.
template <typename ItemAt>
EncodeResult encodeEvents(const std::vector<long>& indices, const ItemAt& itemAt, std::uint8_t* image) {
  std::memset(image + kLoopBytes, 0, kMacroImageSize - kLoopBytes);
  EncodeResult result;
  std::size_t pos = kLoopBytes;
  for (const long j : indices) {
    std::string key = itemAt(j);
    bool release;
    if (removeAll(key, kPressSuffix))
      release = false;
    else if (removeAll(key, kReleaseSuffix))
      release = true;
    else
      continue;  // a delay or anything else writes nothing by itself

    std::string next = itemAt(j + 1);
    removeAll(next, kDelaySuffix);
    long delay = leadingInteger(next);
    if (delay < 0) delay = 0;  // a negative delay would spill into the release bit

    const std::uint8_t flag = release ? kReleaseBit : 0;
    const std::uint8_t code = keyCodeFromName(key);
    const std::size_t size = delay <= kShortDelayMax ? kShortEventBytes : kLongEventBytes;
    if (pos + size > kMacroImageSize) {
      result.truncated = true;
      break;
    }
    if (size == kShortEventBytes) {
      image[pos] = static_cast<std::uint8_t>((delay / kUnitMs & kTimeMask) | flag);
      image[pos + 1] = code;
    } else {
      image[pos] = static_cast<std::uint8_t>((delay % kLongUnitMs & kTimeMask) | flag);
      image[pos + 1] = code;
      image[pos + 2] = static_cast<std::uint8_t>(delay / kLongUnitMs & 0xFF);
      image[pos + 3] = kLongEventMarker;
    }
    pos += size;
    ++result.events;
  }
  return result;
}

}  // namespace

namespace {

// The items 0..count-1 of a list, itemAt(count) the one stored after it.
template <typename ItemAt>
EncodeResult encodeList(std::size_t count, const ItemAt& itemAt, std::uint8_t* image) {
  if (count == 0) {
    std::memset(image, 0, kMacroImageSize);
    return {};
  }
  std::vector<long> indices(count);
  for (std::size_t j = 0; j < count; ++j) indices[j] = static_cast<long>(j);
  return encodeEvents(
      indices, [&](long j) { return itemAt(static_cast<std::size_t>(j)); }, image);
}

}  // namespace

EncodeResult encodeMacroImage(std::size_t count, const std::function<std::string(std::size_t)>& itemAt,
                              std::uint8_t* image) {
  return encodeList(
      count, [&](std::size_t j) { return j < count ? itemAt(j) : std::string(); }, image);
}

EncodeResult encodeMacroImage(const std::vector<std::string>& items, std::uint8_t* image,
                              const std::string& itemAfterList) {
  return encodeList(
      items.size(), [&](std::size_t j) { return j < items.size() ? items[j] : itemAfterList; }, image);
}

namespace {

// The index of an item key as a find folds it ("item0", "item12"; no leading
// zeros), or -1 for any other key and for an index past `last`.
long itemIndexOf(std::string_view foldedKey, long last) {
  const std::string_view prefix = "item";
  if (foldedKey.size() <= prefix.size() || foldedKey.substr(0, prefix.size()) != prefix) return -1;
  const std::string_view digits = foldedKey.substr(prefix.size());
  if (digits.size() > 1 && digits.front() == '0') return -1;
  long index = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return -1;
    index = index * 10 + (c - '0');
    if (index > last) return -1;
  }
  return index;
}

}  // namespace

EncodeResult encodeMacroSection(const profile::ProfileDocument::Section& section, std::uint8_t* image) {
  const std::string countText = section.get(kItemCountKey);
  if (leadingInteger(countText) == 0) {
    std::memset(image, 0, kMacroImageSize);
    return {};
  }
  const long count = clampItemCount(countText);
  // Only the items that are in the file: an item that is not there is an
  // empty text, which writes no event and gives a delay of 0, so walking the
  // stored ones in order encodes the same as asking for all `count` of them,
  // in time that follows the file rather than the count it claims.
  std::map<long, std::string> stored;
  for (auto& [key, value] : section.entries())
    if (const long j = itemIndexOf(key, count); j >= 0) stored.emplace(j, std::move(value));
  static const std::string kNone;
  std::vector<long> order;
  order.reserve(stored.size());
  for (const auto& entry : stored)
    if (entry.first < count) order.push_back(entry.first);
  auto itemAt = [&](long j) -> const std::string& {
    const auto it = stored.find(j);
    return it == stored.end() ? kNone : it->second;
  };
  return encodeEvents(order, itemAt, image);
}

std::vector<MacroReport> rebuildMacroImages(const profile::ProfileDocument& doc, MouseConfig* config) {
  std::vector<MacroReport> reports;
  const std::vector<std::string> names = doc.sectionNames();
  reports.reserve(names.size());
  int number = 0;
  for (const std::string& name : names) {
    MacroReport report;
    report.number = ++number;
    report.name = name;
    const profile::ProfileDocument::Section section = doc.section(name);
    report.items = clampItemCount(section.get(kItemCountKey));
    std::uint8_t scratch[kMacroImageSize] = {};
    std::uint8_t* image = scratch;
    report.hasImage = number <= static_cast<int>(kMacroCount);
    if (config != nullptr && report.hasImage) image = config->macroImage[number - 1];
    if (config == nullptr || report.hasImage) {
      const EncodeResult r = encodeMacroSection(section, image);
      report.events = r.events;
      report.truncated = r.truncated;
    }
    reports.push_back(std::move(report));
  }
  return reports;
}

std::vector<MacroReport> rebuildMacroImages(const std::string& recordIni, MouseConfig& config) {
  const Result<profile::ProfileDocument> loaded = profile::ProfileDocument::load(recordIni);
  // Missing or unreadable: the images stay as they are.
  if (!loaded || !loaded.value().existed()) return {};
  return rebuildMacroImages(loaded.value(), &config);
}

}  // namespace hm
