// SPDX-License-Identifier: GPL-3.0-or-later
// record.ini access through the profile-file engine.
#include "core/macros/macro_record.h"

#include <cctype>
#include <climits>

#include "core/settings/profile_file.h"
#include "core/settings/regular_file.h"
#include "core/wire/byte_order.h"

namespace hm {

long leadingInteger(const std::string& text) {
  std::size_t i = 0;
  while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  long value = 0;
  for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
    const int digit = text[i] - '0';
    if (negative) {
      if (value < (LONG_MIN + digit) / 10) return LONG_MIN;
      value = value * 10 - digit;
    } else {
      if (value > (LONG_MAX - digit) / 10) return LONG_MAX;
      value = value * 10 + digit;
    }
  }
  return value;
}

std::string itemKey(long index) { return kItemKeyPrefix + std::to_string(index); }

long clampItemCount(const std::string& itemCountText) {
  const long count = leadingInteger(itemCountText);
  if (count < 0) return 0;
  return count > kMaxMacroItems ? kMaxMacroItems : count;
}

std::vector<std::string> listMacros(const std::string& recordIni) {
  if (!fileExists(recordIni)) return {};
  return profile::sectionNames(recordIni);
}

MacroRecord readMacro(const std::string& recordIni, const std::string& name) {
  MacroRecord record{name, {}};
  const auto doc = profile::ProfileDocument::read(recordIni);
  if (!doc.existed()) return record;
  const profile::ProfileDocument::Section section = doc.section(name);
  const long count = clampItemCount(section.get(kItemCountKey));
  record.items.reserve(static_cast<std::size_t>(count));
  for (long j = 0; j < count; ++j) record.items.push_back({section.get(itemKey(j))});
  return record;
}

Status writeMacro(const std::string& recordIni, const MacroRecord& record) {
  // A file that exists but cannot be read must not be replaced by one holding
  // only this macro.
  Result<profile::ProfileDocument> loaded = profile::ProfileDocument::load(recordIni);
  if (!loaded) return loaded.status();
  profile::ProfileDocument& doc = loaded.value();
  doc.removeSection(record.name);
  if (Status set = doc.set(record.name, kItemCountKey, std::to_string(record.items.size())); !set) return set;
  long j = 0;
  for (const MacroItem& item : record.items)
    if (Status set = doc.set(record.name, itemKey(j++), item.text); !set) return set;
  return doc.save(recordIni);
}

Status rewriteMacro(const std::string& recordIni, const MacroRecord& record) {
  Result<profile::ProfileDocument> loaded = profile::ProfileDocument::load(recordIni);
  if (!loaded) return loaded.status();
  std::vector<std::pair<std::string, std::string>> keys;
  keys.reserve(record.items.size() + 1);
  keys.emplace_back(kItemCountKey, std::to_string(record.items.size()));
  long j = 0;
  for (const MacroItem& item : record.items) keys.emplace_back(itemKey(j++), item.text);
  if (Status replaced = loaded.value().replaceSection(record.name, keys); !replaced) return replaced;
  return loaded.value().save(recordIni);
}

Status deleteMacro(const std::string& recordIni, const std::string& name) {
  return profile::deleteSection(recordIni, name);
}

namespace {
bool validSlot(int slot) { return slot >= 0 && slot < static_cast<int>(kMacroCount); }
}  // namespace

std::uint16_t loopTimes(const MouseConfig& config, int slot) {
  if (!validSlot(slot)) return 0;
  return loadBigEndian16(config.macroImage[slot]);
}

void setLoopTimes(MouseConfig& config, int slot, long value) {
  if (!validSlot(slot)) return;
  if (value < kMinLoopTimes || value > kMaxLoopTimes) value = kMinLoopTimes;
  storeBigEndian16(config.macroImage[slot], static_cast<std::uint16_t>(value));
}

std::uint16_t clampLoopTimesText(const std::string& text) {
  const long value = leadingInteger(text);
  if (value < kMinLoopTimes || value > kMaxLoopTimes) return kMinLoopTimes;
  return static_cast<std::uint16_t>(value);
}

}  // namespace hm
