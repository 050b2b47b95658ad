// SPDX-License-Identifier: GPL-3.0-or-later
// The backgrounds of the assignment dialogs and the skins dialog: the frame
// with OK / Cancel and close, an icon of the dialog's kind, and wells where
// the dialog's fields and drop-down boxes are (gui/dialogs/dialog_layout.h).
#pragma once

#include <QImage>
#include <string_view>

#include "skin_painter.h"

namespace skingen {

// The background named `file` (one of the dialog images of
// gui/skin/skin_images.h); a null image for any other name.
QImage dialogImage(const Theme& t, std::string_view file);

}  // namespace skingen
