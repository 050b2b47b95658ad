// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/hid/report_descriptor.h"

#include <array>
#include <map>
#include <utility>

namespace hm {

namespace {

// Item prefix: bits 0-1 size code, bits 2-3 type, bits 4-7 tag.
constexpr std::uint8_t kLongItemPrefix = 0xFE;
constexpr int kTypeMain = 0, kTypeGlobal = 1, kTypeLocal = 2;
constexpr int kMainInput = 0x8, kMainOutput = 0x9, kMainCollection = 0xA, kMainFeature = 0xB,
              kMainEndCollection = 0xC;
constexpr int kGlobalUsagePage = 0x0, kGlobalReportSize = 0x7, kGlobalReportId = 0x8,
              kGlobalReportCount = 0x9, kGlobalPush = 0xA, kGlobalPop = 0xB;
constexpr int kLocalUsage = 0x0;
// An extended usage (4 data bytes) carries its usage page in the high half.
constexpr std::size_t kExtendedUsageSize = 4;
constexpr unsigned kUsagePageShift = 16;
constexpr std::uint32_t kUsageIdMask = 0xFFFF;
// A report's byte length must fit the 16-bit length fields with the report
// ID byte added.
constexpr std::uint64_t kMaxReportBits = (0xFFFFu - 1u) * 8u;
constexpr std::uint8_t kMaxReportId = 0xFF;
constexpr std::size_t kKinds = 3;  // input, output, feature

struct GlobalState {
  std::uint32_t usagePage = 0;
  std::uint32_t reportSize = 0;
  std::uint32_t reportCount = 0;
  std::uint32_t reportId = 0;
};

// A Usage item as read. A short one (16 bits or less) is a usage ID that is
// joined to a usage page; it carries the page current when it was read until
// the main item decides (see applyLastUsagePage).
struct LocalUsage {
  std::uint32_t usage = 0;
  bool extended = false;
};

std::uint32_t withPage(std::uint32_t page, std::uint32_t usage) {
  return ((page & kUsageIdMask) << kUsagePageShift) | (usage & kUsageIdMask);
}

// The HID class definition joins short usages to the last Usage Page declared
// before the main item, so "Usage, Usage Page, Collection" names a usage of
// that page. Like the Linux parser, this walks back from the last usage and
// gives the page to every short usage up to the first one that already has
// it: usages declared after their own Usage Page keep it, so a list that
// changes page in between stays as written. Extended usages keep their own.
void applyLastUsagePage(std::vector<LocalUsage>& usages, std::uint32_t page) {
  for (auto it = usages.rbegin(); it != usages.rend(); ++it) {
    if (it->extended) continue;
    if ((it->usage >> kUsagePageShift) == (page & kUsageIdMask)) break;
    it->usage = withPage(page, it->usage);
  }
}

struct Collecting {
  TopLevelCollection tlc;
  std::array<std::map<std::uint8_t, std::uint64_t>, kKinds> bits;  // by report ID
};

std::uint16_t byteLength(const std::map<std::uint8_t, std::uint64_t>& bits) {
  std::uint64_t longest = 0;
  for (const auto& [id, b] : bits) longest = std::max(longest, (b + 7) / 8);
  if (bits.empty()) return 0;
  return static_cast<std::uint16_t>(longest + 1);
}

bool failWith(std::string* error, const char* what) {
  if (error) *error = what;
  return false;
}

}  // namespace

std::optional<ReportDescriptorInfo> parseReportDescriptor(std::span<const std::uint8_t> d,
                                                          std::string* error) {
  ReportDescriptorInfo info;
  GlobalState global;
  std::vector<GlobalState> stack;
  std::vector<LocalUsage> usages;  // local usages since the last main item
  std::vector<Collecting> done;
  Collecting current;
  int depth = 0;
  bool reportWithoutId = false;

  std::size_t pos = 0;
  while (pos < d.size()) {
    const std::uint8_t prefix = d[pos];
    if (prefix == kLongItemPrefix) {
      // Long item: size byte, tag byte, data. It carries nothing we need.
      if (pos + 3 > d.size() || pos + 3 + d[pos + 1] > d.size()) {
        failWith(error, "long item runs past the end");
        return std::nullopt;
      }
      pos += 3 + d[pos + 1];
      continue;
    }
    const std::size_t sizeCode = prefix & 0x3;
    const std::size_t size = sizeCode == 3 ? 4 : sizeCode;
    const int type = (prefix >> 2) & 0x3;
    const int tag = prefix >> 4;
    if (pos + 1 + size > d.size()) {
      failWith(error, "item runs past the end");
      return std::nullopt;
    }
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < size; ++i) value |= static_cast<std::uint32_t>(d[pos + 1 + i]) << (8 * i);
    pos += 1 + size;

    if (type == kTypeGlobal) {
      switch (tag) {
        case kGlobalUsagePage: global.usagePage = value; break;
        case kGlobalReportSize: global.reportSize = value; break;
        case kGlobalReportCount: global.reportCount = value; break;
        case kGlobalReportId:
          if (value == 0 || value > kMaxReportId) {
            failWith(error, "report ID outside 1..255");
            return std::nullopt;
          }
          global.reportId = value;
          info.usesReportIds = true;
          break;
        case kGlobalPush: stack.push_back(global); break;
        case kGlobalPop:
          if (stack.empty()) {
            failWith(error, "Pop without Push");
            return std::nullopt;
          }
          global = stack.back();
          stack.pop_back();
          break;
        default: break;
      }
      continue;
    }
    if (type == kTypeLocal) {
      if (tag == kLocalUsage) {
        const bool extended = size == kExtendedUsageSize;
        usages.push_back({extended ? value : withPage(global.usagePage, value), extended});
      }
      continue;
    }
    if (type != kTypeMain) continue;  // reserved item type: skipped

    applyLastUsagePage(usages, global.usagePage);
    switch (tag) {
      case kMainCollection:
        if (depth == 0) {
          current = Collecting{};
          const std::uint32_t usage = usages.empty() ? withPage(global.usagePage, 0) : usages.front().usage;
          current.tlc.caps.usagePage = static_cast<std::uint16_t>(usage >> kUsagePageShift);
          current.tlc.caps.usage = static_cast<std::uint16_t>(usage & kUsageIdMask);
        }
        ++depth;
        break;
      case kMainEndCollection:
        if (depth == 0) {
          failWith(error, "End Collection without Collection");
          return std::nullopt;
        }
        if (--depth == 0) done.push_back(std::exchange(current, Collecting{}));
        break;
      case kMainInput:
      case kMainOutput:
      case kMainFeature: {
        if (depth == 0) break;  // a report outside every collection belongs to none
        const std::uint64_t itemBits = static_cast<std::uint64_t>(global.reportSize) * global.reportCount;
        if (itemBits == 0) break;  // a field of no bits makes no report
        const std::size_t kind = tag == kMainInput ? 0 : tag == kMainOutput ? 1 : 2;
        const auto id = static_cast<std::uint8_t>(global.reportId);
        if (id == 0) reportWithoutId = true;
        std::uint64_t& bits = current.bits[kind][id];
        bits += itemBits;
        if (bits > kMaxReportBits) {
          failWith(error, "report longer than a HID report can be");
          return std::nullopt;
        }
        if (info.usesReportIds) {
          current.tlc.reportIds.insert(id);
          if (kind == 0) current.tlc.inputReportIds.insert(id);
        }
        break;
      }
      default: break;
    }
    usages.clear();
  }
  if (depth != 0) {
    failWith(error, "collection not closed");
    return std::nullopt;
  }
  if (info.usesReportIds && reportWithoutId) {
    // With report IDs in use every report must carry one.
    failWith(error, "report without a report ID beside reports with IDs");
    return std::nullopt;
  }
  if (done.empty()) {
    failWith(error, "no top-level collection");
    return std::nullopt;
  }
  for (Collecting& c : done) {
    c.tlc.caps.inputReportByteLength = byteLength(c.bits[0]);
    c.tlc.caps.outputReportByteLength = byteLength(c.bits[1]);
    c.tlc.caps.featureReportByteLength = byteLength(c.bits[2]);
    info.collections.push_back(std::move(c.tlc));
  }
  return info;
}

}  // namespace hm
