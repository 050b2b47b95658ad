// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/settings/settings_ini.h"

#include <climits>
#include <cstdint>
#include <utility>
#include <vector>

#include "core/settings/profile_file.h"

namespace hm {
namespace {

constexpr int kModes = 2;

using Entries = std::vector<std::pair<std::string, std::string>>;

// Sets every key of one section of str.ini and writes the file once.
Status saveSection(const std::string& path, const char* section, const Entries& entries) {
  Result<profile::ProfileDocument> doc = profile::ProfileDocument::load(path);
  if (!doc) return doc.status();
  if (Status set = doc.value().setAll(section, entries); !set) return set;
  return doc.value().save(path);
}

}  // namespace

std::string buttonTextKey(int mode, int slot) {
  std::string key = "Item" + std::to_string(slot + 1);
  if (mode == kModeB) key += '3';
  return key;
}

SettingsIni loadSettingsIni(const std::string& strIniPath, Language language) {
  const profile::ProfileDocument doc = profile::ProfileDocument::read(strIniPath);
  SettingsIni out;
  const char* section = languageSection(language);
  for (int m = 0; m < kModes; ++m)
    for (int s = 0; s < static_cast<int>(kButtonSlots); ++s)
      out.texts.text[static_cast<std::size_t>(m)][static_cast<std::size_t>(s)] =
          doc.get(section, buttonTextKey(m, s));
  out.skin.rColor = doc.get(kSkinsSection, kSkinRedKey);
  out.skin.gColor = doc.get(kSkinsSection, kSkinGreenKey);
  out.skin.bColor = doc.get(kSkinsSection, kSkinBlueKey);
  out.skin.path = doc.get(kSkinsSection, kSkinPathKey);
  return out;
}

Status saveButtonTexts(const std::string& strIniPath, Language language, const ButtonTexts& texts) {
  Entries entries;
  for (int m = 0; m < kModes; ++m)
    for (int s = 0; s < static_cast<int>(kButtonSlots); ++s)
      entries.emplace_back(buttonTextKey(m, s),
                           texts.text[static_cast<std::size_t>(m)][static_cast<std::size_t>(s)]);
  return saveSection(strIniPath, languageSection(language), entries);
}

Status saveSkinSettings(const std::string& strIniPath, std::uint8_t r, std::uint8_t g, std::uint8_t b,
                        const std::string& skinName) {
  return saveSection(strIniPath, kSkinsSection,
                     {{kSkinRedKey, std::to_string(r)},
                      {kSkinGreenKey, std::to_string(g)},
                      {kSkinBlueKey, std::to_string(b)},
                      {kSkinPathKey, skinName}});
}

std::uint8_t colourByteFromText(const std::string& text) {
  std::size_t i = 0;
  auto isSpace = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
  while (i < text.size() && isSpace(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  std::int64_t v = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    v = v * 10 + (text[i] - '0');
    if (v > static_cast<std::int64_t>(INT_MAX) + 1) v = static_cast<std::int64_t>(INT_MAX) + 1;
  }
  if (negative) v = -v;
  if (v > INT_MAX) v = INT_MAX;
  if (v < INT_MIN) v = INT_MIN;
  return static_cast<std::uint8_t>(static_cast<std::uint32_t>(static_cast<std::int32_t>(v)) & 0xFF);
}

void applyFirstRunTexts(ButtonTexts& texts, const std::array<std::string, kFirstRunSlots>& slotTexts) {
  for (auto& mode : texts.text)
    for (std::size_t s = 0; s < kFirstRunSlots; ++s) mode[s] = slotTexts[s];
}

}  // namespace hm
