// SPDX-License-Identifier: GPL-3.0-or-later
// Small conversions shared by the Basic page and its LED panel: layout boxes
// to Qt rectangles, UTF-8 texts and image names to QString.
#pragma once

#include <QRect>
#include <QString>

#include <string>

#include "gui/app/basic_layout.h"
#include "gui/skin/skin_rect.h"

namespace hm::basic {

inline QRect qrect(const Box& b) { return ltrb(b.left, b.top, b.right, b.bottom); }
inline QString qs(const std::string& s) { return QString::fromStdString(s); }
inline QString img(const char* name) { return QString::fromLatin1(name); }

}  // namespace hm::basic
