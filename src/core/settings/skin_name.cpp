#include "core/settings/skin_name.h"

#include "core/settings/text_encoding.h"

namespace hm {

bool isSkinFolderName(std::string_view name) {
  if (name.empty() || name == "." || name == "..") return false;
  return name.find_first_of(std::string_view("/\\\0", 3)) == std::string_view::npos &&
         text::isValidUtf8(name);
}

std::string usableSkinName(std::string_view name) {
  return isSkinFolderName(name) ? std::string(name) : std::string();
}

}  // namespace hm
