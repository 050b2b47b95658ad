// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/config_text/macro_lines.h"

#include <cctype>

#include "core/buttons/key_tables.h"
#include "core/config_text/button_setting.h"
#include "core/macros/macro_record.h"
#include "core/model/macro_editor.h"

namespace hm {
namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view trimmed(std::string_view s) {
  while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
  return s;
}

std::string usage() {
  return "a line is \"KEY   Dn\", \"KEY   Up\" or \"N ms\" with N " + std::to_string(kMinDelayMs) + ".." +
         std::to_string(kMaxDelayMs);
}

// "<name><suffix>" with the suffix's word in any case and any blanks before it.
bool splitSuffix(std::string_view text, std::string_view word, bool exact, std::string_view exactSuffix,
                 std::string_view& name) {
  if (exact) {
    if (text.size() <= exactSuffix.size() || text.substr(text.size() - exactSuffix.size()) != exactSuffix)
      return false;
    name = text.substr(0, text.size() - exactSuffix.size());
    return true;
  }
  if (text.size() < word.size() || !equalsIgnoringCase(text.substr(text.size() - word.size()), word))
    return false;
  name = trimmed(text.substr(0, text.size() - word.size()));
  return true;
}

}  // namespace

MacroLineCheck checkMacroLine(std::string_view text, bool exact) {
  MacroLineCheck r;
  if (text.find_first_of("\r\n") != std::string_view::npos) {
    r.error = "a line cannot hold a line break";
    return r;
  }
  if (!exact) text = trimmed(text);
  std::string_view name;
  if (splitSuffix(text, "ms", exact, kDelaySuffix, name)) {
    const bool digits =
        !name.empty() && name.size() <= 6 && name.find_first_not_of("0123456789") == std::string_view::npos;
    const long ms = digits ? leadingInteger(std::string(name)) : -1;
    if (!digits || ms < kMinDelayMs || ms > kMaxDelayMs || (exact && name.front() == '0')) {
      r.error = "\"" + std::string(text) + "\" is not a delay: " + usage();
      return r;
    }
    r.line = MacroItem::delay(static_cast<unsigned>(ms)).text;
    return r;
  }
  for (const bool release : {false, true}) {
    if (!splitSuffix(text, release ? "Up" : "Dn", exact, release ? kReleaseSuffix : kPressSuffix, name))
      continue;
    if (trimmed(name).empty() || (exact && trimmed(name) != name)) break;
    std::string key(name);
    for (int row = 0; row < kKeyNameRows; ++row)
      if (equalsIgnoringCase(name, keyNameAt(row)) && (!exact || name == keyNameAt(row)))
        key = keyNameAt(row);
    r.unknownKey = keyCodeFromName(key) == 0;
    r.line = release ? MacroItem::release(key).text : MacroItem::press(key).text;
    return r;
  }
  r.error = "\"" + std::string(text) + "\" is not a line of a key press sequence: " + usage();
  return r;
}

}  // namespace hm
