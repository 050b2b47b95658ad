// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/system_language.h"

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace hm {

namespace {

std::string trim(const std::string& s) {
  std::size_t b = 0, e = s.size();
  while (b < e && std::isspace(static_cast<unsigned char>(s[b]))) ++b;
  while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1]))) --e;
  return s.substr(b, e - b);
}

std::string unquote(std::string v) {
  // A quoted value ends at its closing quote (a comment may follow it).
  if (!v.empty() && (v.front() == '"' || v.front() == '\'')) {
    const auto close = v.find(v.front(), 1);
    if (close != std::string::npos) return v.substr(1, close - 1);
  }
  // An unquoted value ends at a comment.
  const auto hash = v.find('#');
  if (hash != std::string::npos) v = trim(v.substr(0, hash));
  return v;
}

std::string lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

}  // namespace

std::optional<std::string> localeFromConfText(const std::string& text) {
  std::optional<std::string> lang, messages;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    line = trim(line);
    if (line.empty() || line[0] == '#') continue;
    if (line.rfind("export ", 0) == 0) line = trim(line.substr(7));
    const auto eq = line.find('=');
    if (eq == std::string::npos) continue;
    const std::string key = trim(line.substr(0, eq));
    const std::string value = unquote(trim(line.substr(eq + 1)));
    if (value.empty()) continue;
    if (key == "LANG")
      lang = value;  // a later assignment wins, as in a shell
    else if (key == "LC_MESSAGES")
      messages = value;
  }
  if (lang) return lang;
  return messages;
}

std::uint16_t languageIdFromLocale(const std::string& locale) {
  std::string name = locale.substr(0, locale.find_first_of(".@"));
  name = lower(trim(name));
  for (char& c : name)
    if (c == '-') c = '_';
  if (name == "zh_cn") return kLangIdChineseChina;
  if (name == "zh_tw") return kLangIdChineseTaiwan;
  if (name == "zh_hk") return kLangIdChineseHongKong;
  if (name == "zh_sg") return kLangIdChineseSingapore;
  return kLangIdEnglishUs;
}

std::string processLocale() {
  for (const char* var : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* v = std::getenv(var);
    if (v != nullptr && *v != '\0') return v;
  }
  return {};
}

std::uint16_t systemDefaultLanguageId(const std::vector<std::string>& confFiles,
                                      const std::string& fallbackLocale) {
  for (const std::string& path : confFiles) {
    std::ifstream in(path, std::ios::binary);
    if (!in) continue;
    std::ostringstream text;
    text << in.rdbuf();
    if (auto locale = localeFromConfText(text.str())) return languageIdFromLocale(*locale);
  }
  return languageIdFromLocale(fallbackLocale);
}

}  // namespace hm
