// SPDX-License-Identifier: GPL-3.0-or-later
// Rectangles of the main window's frame, the same on both pages: page title,
// skins, minimise and close buttons, the two page tabs, OK / Apply / Cancel
// and the web-address link. Client pixels, right / bottom exclusive.
#pragma once

#include <QColor>
#include <QRect>

#include "gui/skin/skin_rect.h"

namespace hm::frame {

inline constexpr QRect kTitle = ltrb(120, 50, 352, 100);
inline constexpr QRect kSkins = ltrb(701, 5, 719, 23);
inline constexpr QRect kMinimise = ltrb(825, 5, 843, 23);
inline constexpr QRect kClose = ltrb(850, 5, 868, 23);
inline constexpr QRect kBasicTab = ltrb(20, 55, 60, 95);
inline constexpr QRect kAdvancedTab = ltrb(70, 55, 110, 95);
inline constexpr QRect kOk = ltrb(513, 609, 618, 630);
inline constexpr QRect kApply = ltrb(617, 609, 722, 630);
inline constexpr QRect kCancel = ltrb(721, 609, 826, 630);
inline constexpr QRect kWebLink = ltrb(265, 627, 449, 647);
inline constexpr QColor kTitleColour{255, 255, 255};

}  // namespace hm::frame
