// SPDX-License-Identifier: GPL-3.0-or-later
// The skin name of str.ini ("Path" in section "Skins") and of the skins
// dialog: the name of one folder directly inside the Skins folder.
#pragma once

#include <string>
#include <string_view>

namespace hm {

// Whether name is one folder name: valid UTF-8, not empty, not "." or "..",
// and without a path separator ('/' or '\'), so no name can lead out of the
// Skins folder ("../../etc") or deeper into it; without control characters
// (a line break would end its line in str.ini) and no longer than the 1,023
// units a read of str.ini gives back.
bool isSkinFolderName(std::string_view name);

// The skin to use for a name read from a file: the name itself when it is
// one folder name, else "" (the Skins folder itself: the default skin, as
// when str.ini names none).
std::string usableSkinName(std::string_view name);

}  // namespace hm
