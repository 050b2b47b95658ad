// SPDX-License-Identifier: GPL-3.0-or-later
// Decoded skin images kept between runs, so that a start reads the pixels of
// its large images instead of decoding them again.
//
// One file per image in the cache folder (the user's $XDG_CACHE_HOME/hidmouse),
// named after the image's path and holding the source file's size, modification
// time and inode beside the prepared pixels. An entry counts only while the
// source file still has that size, time and inode; anything else in the file
// (a short file, another layout, a size beyond the caller's limit) is a miss,
// and the image is decoded as without the cache. Entries are written through
// a temporary file and a rename, without a flush to the disk: a lost entry is
// only decoded again.
#pragma once

#include <QSize>
#include <QString>
#include <optional>

namespace hm {

struct SkinImage;  // gui/skin/skin_library.h

// decodeSkinImage(path, maxSize), through the cache in cacheFolder (made on
// the first store); an empty cacheFolder decodes without one.
std::optional<SkinImage> loadSkinImage(const QString& path, QSize maxSize, const QString& cacheFolder);

}  // namespace hm
