// SPDX-License-Identifier: GPL-3.0-or-later
// The interface language of a run, chosen once from the system's default
// language identifier.
#pragma once

#include <cstdint>

namespace hm {

enum class Language { English = 0, SimplifiedChinese = 1, TraditionalChinese = 2 };

// 0x0804 Simplified Chinese, 0x0404 Traditional Chinese, anything else
// (0x0C04 and 0x1004 included) English.
constexpr Language selectLanguage(std::uint16_t languageId) {
  switch (languageId) {
    case 0x0804: return Language::SimplifiedChinese;
    case 0x0404: return Language::TraditionalChinese;
    default: return Language::English;
  }
}

// The str.ini section that holds the button texts of a language.
constexpr const char* languageSection(Language l) {
  switch (l) {
    case Language::SimplifiedChinese: return "Setting-CHS";
    case Language::TraditionalChinese: return "Setting-CHT";
    default: return "Setting-EN";
  }
}

}  // namespace hm
