// SPDX-License-Identifier: GPL-3.0-or-later
// Painted text of the skinned windows: fonts per language and the text
// formats used by every painter (always transparent, single line, clipped to
// the rectangle).
#pragma once

#include <QColor>
#include <QFont>
#include <QRect>
#include <QString>

#include "core/settings/language.h"

class QPainter;

namespace hm {

class SkinLibrary;

// Format values as the painters name them.
enum TextFormat {
  kTextLeftTop = 0x20,
  kTextCenterTop = 0x21,
  kTextLeftVCenter = 0x24,
  kTextCenter = 0x25,
  kTextRightVCenter = 0x26,
};

// Qt alignment flags for a format value (single line).
int textFormatFlags(int format);

// Draws text in rect with the format, font and colour, background
// transparent. Does nothing on an inactive painter (a window without canvas).
void drawSkinText(QPainter& painter, const QRect& rect, const QString& text, int format, const QFont& font,
                  QColor color);

// A font whose cell height (ascent + descent) is at most `cellHeight`
// pixels, as the windows give their fonts by cell height.
QFont skinFont(const QString& family, int cellHeight, bool bold);

struct SkinFonts {
  QFont normal;  // all ordinary text
  QFont title;   // page titles of the main window
  // English (any other language): "Arial" 14 / "Tahoma" 18 bold;
  // Simplified Chinese "宋体", Traditional Chinese "黑体", 13 / 18 bold.
  static SkinFonts forLanguage(Language language);
};

// The skin text colour from the three str.ini values; only the low 8 bits of
// each are used ("300" gives 44).
QColor skinTextColor(long red, long green, long blue);

// What painters need besides the canvas.
struct SkinStyle {
  SkinLibrary* skins = nullptr;
  SkinFonts fonts;
  QColor textColor{0, 255, 0};
};

}  // namespace hm
