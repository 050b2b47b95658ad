// Where the current skin's images live.
#pragma once

#include <QString>

namespace hm {

// The folder of the skin named skinName: executableFolder + "/Skins/" +
// skinName, formed by plain concatenation (image paths are then this folder
// + a name beginning with "/").
QString skinFolderPath(const QString& executableFolder, const QString& skinName);

}  // namespace hm
