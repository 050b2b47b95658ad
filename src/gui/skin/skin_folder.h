// SPDX-License-Identifier: GPL-3.0-or-later
// Where the current skin's images live.
#pragma once

#include <QString>
#include <QStringList>

namespace hm {

// The folder of the skin named skinName: executableFolder + "/Skins/" +
// skinName, formed by plain concatenation (image paths are then this folder
// + a name beginning with "/"). A name that is not one folder name
// (core/settings/skin_name.h: "..", "a/b") gives the default skin, the
// Skins folder itself, as an empty name does.
QString skinFolderPath(const QString& executableFolder, const QString& skinName);

// The same over several skin roots (folders that hold one subfolder per
// skin, the user's own first): root + "/" + skinName for the first root that
// has such a folder, else the last root's, so that a missing skin still
// names a folder (which then has no images). An empty skinName names the
// first root that exists.
QString skinFolderPath(const QStringList& skinRoots, const QString& skinName);

}  // namespace hm
