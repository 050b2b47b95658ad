// record.ini -> macro images.
#include "core/macros/macro_encoder.h"

#include <cstring>
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

// Writes the events of items 0..count-1 (itemAt(j) gives item j) at byte 2
// upward, after clearing bytes 2..127. The loop bytes are kept. The delay of
// an event is item j+1, also for the last item: itemAt(count) is the item
// stored after the list.
template <typename ItemAt>
EncodeResult encodeEvents(long count, const ItemAt& itemAt, std::uint8_t* image) {
  std::memset(image + kLoopBytes, 0, kMacroImageSize - kLoopBytes);
  EncodeResult result;
  std::size_t pos = kLoopBytes;
  for (long j = 0; j < count; ++j) {
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

EncodeResult encodeMacroImage(const std::vector<std::string>& items, std::uint8_t* image,
                              const std::string& itemAfterList) {
  if (items.empty()) {
    std::memset(image, 0, kMacroImageSize);
    return {};
  }
  const auto count = static_cast<long>(items.size());
  return encodeEvents(
      count, [&](long j) { return j < count ? items[static_cast<std::size_t>(j)] : itemAfterList; }, image);
}

std::vector<MacroReport> rebuildMacroImages(const std::string& recordIni, MouseConfig& config) {
  std::vector<MacroReport> reports;
  const Result<profile::ProfileDocument> loaded = profile::ProfileDocument::load(recordIni);
  // Missing or unreadable: the images stay as they are.
  if (!loaded || !loaded.value().existed()) return reports;
  const profile::ProfileDocument& doc = loaded.value();

  const std::vector<std::string> names = doc.sectionNames();
  reports.reserve(names.size());
  int number = 0;
  for (const std::string& name : names) {
    MacroReport report;
    report.number = ++number;
    report.name = name;
    if (number <= static_cast<int>(kMacroCount)) {
      std::uint8_t* image = config.macroImage[number - 1];
      const std::string countText = doc.get(name, kItemCountKey);
      const long count = clampItemCount(countText);
      report.hasImage = true;
      if (leadingInteger(countText) == 0) {
        std::memset(image, 0, kMacroImageSize);
      } else {
        const auto r = encodeEvents(
            count, [&doc, &name](long j) { return doc.get(name, itemKey(j)); }, image);
        report.events = r.events;
        report.truncated = r.truncated;
      }
    }
    reports.push_back(std::move(report));
  }
  return reports;
}

}  // namespace hm
