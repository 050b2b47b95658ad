// SPDX-License-Identifier: GPL-3.0-or-later
// Files of the user's cache folder ($XDG_CACHE_HOME/hidmouse): what a start
// keeps for the next one (decoded images, fitted font sizes, the first page's
// picture). Each is replaced whole through a temporary file and a rename, so a
// reader sees the old or the new file, never a part; there is no flush to the
// disk, since a lost file only costs the next start the work it saved.
#pragma once

#include <QByteArrayView>
#include <QString>
#include <initializer_list>

namespace hm {

// Writes the parts, in order, as the new contents of file; makes its folder
// (private to the user) when missing. False when it could not be written;
// the old file is then unchanged and no temporary file is left.
bool replaceCacheFile(const QString& file, std::initializer_list<QByteArrayView> parts);

}  // namespace hm
