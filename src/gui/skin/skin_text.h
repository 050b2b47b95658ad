// SPDX-License-Identifier: GPL-3.0-or-later
// Painted text of the skinned windows: fonts per language and the text
// formats used by every painter (always transparent, single line, clipped to
// the rectangle).
#pragma once

#include <QColor>
#include <QFont>
#include <QHash>
#include <QRect>
#include <QString>
#include <functional>
#include <utility>

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

// Fitted font sizes kept between runs. Finding the largest size of a font
// that fits loads a font engine for every size tried; a start that finds the
// size here loads only the one it draws with. One text file (in the user's
// cache folder); an entry counts while the font at its size still resolves
// to the family it resolved to when it was stored, else the size is found
// again and the file rewritten (through a temporary file and a rename).
class FontSizeCache {
 public:
  // file: empty keeps nothing between runs.
  explicit FontSizeCache(QString file = {});
  // The pixel size fit() finds for `font` and `what` (what the size must
  // fit), from the cache while it holds a valid one.
  int pixelSize(const QFont& font, const QString& what, const std::function<int()>& fit);
  // While trusting, a size found here is taken without loading the font to
  // check its family: nothing of the font database is read. For a start
  // that shows a stored picture before it draws anything; the fonts are made
  // again, checked, before the first drawing.
  void setTrusting(bool on) { trusting_ = on; }
  bool trusting() const { return trusting_; }
  // The sizes held, as the file keeps them (in key order).
  QByteArray contents() const;

 private:
  void save() const;
  QString file_;
  bool trusting_ = false;
  QHash<QString, std::pair<int, QString>> entries_;  // key -> size, family
};

// A font whose cell height (ascent + descent) is at most `cellHeight`
// pixels, as the windows give their fonts by cell height.
QFont skinFont(const QString& family, int cellHeight, bool bold, FontSizeCache* sizes = nullptr);

struct SkinFonts {
  QFont normal;  // all ordinary text
  QFont title;   // page titles of the main window
  // English (any other language): "Arial" 14 / "Tahoma" 18 bold;
  // Simplified Chinese "宋体", Traditional Chinese "黑体", 13 / 18 bold.
  static SkinFonts forLanguage(Language language, FontSizeCache* sizes = nullptr);
};

// The skin text colour from the three str.ini values; only the low 8 bits of
// each are used ("300" gives 44).
QColor skinTextColor(long red, long green, long blue);

// What painters need besides the canvas.
struct SkinStyle {
  SkinLibrary* skins = nullptr;
  SkinFonts fonts;
  QColor textColor{0, 255, 0};
  FontSizeCache* fontSizes = nullptr;  // nullptr: sizes are found at every use
};

}  // namespace hm
