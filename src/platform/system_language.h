// SPDX-License-Identifier: GPL-3.0-or-later
// The system's default language, the stand-in for the system default
// language identifier of the platform the tool was first written for.
//
// The system-wide locale setting is read from /etc/locale.conf, then from
// /etc/default/locale; only when neither names a locale does the process
// locale (LC_ALL, LC_MESSAGES, LANG) decide. The user's own desktop language
// does not matter when the system names one.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace hm {

// Language identifiers as the text and font rules use them.
inline constexpr std::uint16_t kLangIdEnglishUs = 0x0409;
inline constexpr std::uint16_t kLangIdChineseChina = 0x0804;
inline constexpr std::uint16_t kLangIdChineseTaiwan = 0x0404;
inline constexpr std::uint16_t kLangIdChineseHongKong = 0x0C04;
inline constexpr std::uint16_t kLangIdChineseSingapore = 0x1004;

inline constexpr char kLocaleConfPath[] = "/etc/locale.conf";
inline constexpr char kDefaultLocalePath[] = "/etc/default/locale";

// The locale a locale.conf-style text names: the value of LANG, else of
// LC_MESSAGES (quotes, "export " and comments handled); nullopt when the text
// names none.
std::optional<std::string> localeFromConfText(const std::string& text);

// zh_CN → 0x0804, zh_TW → 0x0404, zh_HK → 0x0C04, zh_SG → 0x1004 (codeset
// and modifier ignored, "-" accepted for "_", letter case ignored); any other
// locale → 0x0409.
std::uint16_t languageIdFromLocale(const std::string& locale);

// The process locale as the C library would take it: the first non-empty of
// LC_ALL, LC_MESSAGES, LANG; "" when none is set.
std::string processLocale();

// The system default language identifier: the first of `confFiles` that can
// be read and names a locale decides, else `fallbackLocale`.
std::uint16_t systemDefaultLanguageId(const std::vector<std::string>& confFiles = {kLocaleConfPath,
                                                                                   kDefaultLocalePath},
                                      const std::string& fallbackLocale = processLocale());

}  // namespace hm
