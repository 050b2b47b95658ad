// Where the current skin's images live.
#pragma once

#include <QString>

namespace hm {

// The folder of the skin named skinName: executableFolder + "/Skins/" +
// skinName, formed by plain concatenation (image paths are then this folder
// + a name beginning with "/"). A name that is not one folder name
// (core/settings/skin_name.h: "..", "a/b") gives the default skin, the
// Skins folder itself, as an empty name does.
QString skinFolderPath(const QString& executableFolder, const QString& skinName);

}  // namespace hm
