// SPDX-License-Identifier: GPL-3.0-or-later
// The skins the skins dialog offers: the sub-folders of the skin roots.
//
// A skin root is a folder that holds one folder per skin ("Skins" beside the
// executable, and possibly one in the user's data folder). Callers give the
// roots in order of precedence: when two roots hold a skin of the same name,
// the earlier root's folder is the one used. Names are listed once each,
// sorted by their bytes (directory order is arbitrary), and compared exactly,
// letter case included.
//
// A skin name is a single folder name: never empty, ".", "..", or a name
// with a '/' or '\\' in it, and always valid UTF-8 (it is stored as text in
// str.ini). Folders with other names are not offered.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace hm {

struct SkinEntry {
  std::string name;    // the folder's name
  std::string folder;  // root + "/" + name
  bool operator==(const SkinEntry&) const = default;
};

// Every skin of the roots, sorted by name. Files, unreadable or missing
// roots and folders whose names are not skin names are left out.
std::vector<SkinEntry> listSkins(const std::vector<std::string>& roots);

// The folder of the skin whose name equals `name` exactly, from the first root
// that has it; nothing when no root has it (or the name is no skin name).
std::optional<std::string> findSkin(const std::vector<std::string>& roots, std::string_view name);

}  // namespace hm
