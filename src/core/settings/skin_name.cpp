// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/settings/skin_name.h"

#include "core/settings/profile_file.h"
#include "core/settings/text_encoding.h"

namespace hm {

bool isSkinFolderName(std::string_view name) {
  if (name.empty() || name == "." || name == "..") return false;
  return name.find_first_of("/\\") == std::string_view::npos && text::isValidUtf8(name) &&
         !text::hasControlCharacter(name) && text::utf16Length(name) <= profile::kValueReadUnits;
}

std::string usableSkinName(std::string_view name) {
  return isSkinFolderName(name) ? std::string(name) : std::string();
}

}  // namespace hm
