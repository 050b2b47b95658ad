// SPDX-License-Identifier: GPL-3.0-or-later
// The control images of a skin: text buttons, frame buttons, page tabs,
// drop-down boxes, check panes and cells, at the sizes the program draws
// them (gui/skin/skin_images.h, gui/app/basic_layout.h).
//
// Every control image is opaque and carries, outside its own shape, the flat
// colour that lies under it, so redrawing a control in another state never
// leaves traces of the previous picture.
#pragma once

#include <QColor>
#include <QImage>
#include <QSize>

#include "skin_painter.h"

namespace skingen {

enum class Glyph { Close, Minimise, Skins };

QImage textButton(const Theme& t, bool over);
QImage frameButton(const Theme& t, Glyph glyph, bool over);
// Page tabs: a mouse for the Basic page, sliders for the Advanced page.
QImage pageTab(const Theme& t, QColor base, bool advanced, bool over);
// withIndex: the key boxes' number compartment at the left.
QImage dropDownBox(const Theme& t, QSize size, bool withIndex, bool over);
QImage tickPane(const Theme& t, bool ticked);
// `base` is what shows around the cell's rounded corners: the panel, or the
// well of a slider whose cells touch.
QImage cell(const Theme& t, QSize size, bool lit, QColor base);

}  // namespace skingen
