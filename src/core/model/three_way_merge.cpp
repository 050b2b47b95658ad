// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/model/three_way_merge.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "core/macros/macro_record.h"

namespace hm {
namespace {

// A macro section's keys in file order, or nothing when there is none.
std::optional<profile::ProfileDocument::Entries> macroEntries(const profile::ProfileDocument& doc,
                                                              const std::string& name) {
  const profile::ProfileDocument::Section section = doc.section(name);
  if (!section.exists()) return std::nullopt;
  profile::ProfileDocument::Entries keys;
  const std::string count = section.get(kItemCountKey);
  keys.emplace_back(kItemCountKey, count);
  for (long j = 0, n = clampItemCount(count); j < n; ++j)
    keys.emplace_back(itemKey(j), section.get(itemKey(j)));
  return keys;
}

}  // namespace

MouseConfig mergeRecords(const MouseConfig& base, const MouseConfig& mine, const MouseConfig& theirs) {
  std::array<std::uint8_t, MouseConfig::kSize> b{}, m{}, t{};
  base.toBytes(b.data());
  mine.toBytes(m.data());
  theirs.toBytes(t.data());
  for (std::size_t i = 0; i < t.size(); ++i)
    if (m[i] != b[i]) t[i] = m[i];
  MouseConfig merged;
  merged.fromBytes(t.data());
  return merged;
}

ButtonTexts mergeButtonTexts(const ButtonTexts& base, const ButtonTexts& mine, const ButtonTexts& theirs) {
  ButtonTexts merged = theirs;
  for (std::size_t mode = 0; mode < merged.text.size(); ++mode)
    for (std::size_t slot = 0; slot < merged.text[mode].size(); ++slot)
      if (mine.text[mode][slot] != base.text[mode][slot]) merged.text[mode][slot] = mine.text[mode][slot];
  return merged;
}

profile::ProfileDocument mergeMacroSections(const profile::ProfileDocument& base,
                                            const profile::ProfileDocument& mine,
                                            const profile::ProfileDocument& theirs) {
  profile::ProfileDocument merged = theirs;
  std::vector<std::string> names = base.sectionNames();
  for (std::string& name : mine.sectionNames())
    if (std::none_of(names.begin(), names.end(),
                     [&](const std::string& n) { return profile::sameName(n, name); }))
      names.push_back(std::move(name));
  for (const std::string& name : names) {
    const auto before = macroEntries(base, name);
    const auto after = macroEntries(mine, name);
    if (before == after) continue;
    if (!after)
      merged.removeSection(name);
    else
      static_cast<void>(merged.replaceSection(name, *after));  // names read from a file can be stored
  }
  return merged;
}

}  // namespace hm
