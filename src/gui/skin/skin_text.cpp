// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/skin/skin_text.h"

#include <QFontMetrics>
#include <QPainter>

namespace hm {
namespace {

constexpr int kEnglishNormalHeight = 14;
constexpr int kChineseNormalHeight = 13;
constexpr int kTitleHeight = 18;
constexpr long kChannelMask = 0xFF;

// The format bits as the painters use them.
constexpr int kFormatCenter = 0x01;
constexpr int kFormatRight = 0x02;
constexpr int kFormatVCenter = 0x04;

}  // namespace

int textFormatFlags(int format) {
  int flags = Qt::TextSingleLine;
  if (format & kFormatCenter) {
    flags |= Qt::AlignHCenter;
  } else if (format & kFormatRight) {
    flags |= Qt::AlignRight;
  } else {
    flags |= Qt::AlignLeft;
  }
  flags |= (format & kFormatVCenter) ? Qt::AlignVCenter : Qt::AlignTop;
  return flags;
}

void drawSkinText(QPainter& painter, const QRect& rect, const QString& text, int format, const QFont& font,
                  QColor color) {
  if (!painter.isActive() || text.isEmpty()) return;
  painter.save();
  painter.setBackgroundMode(Qt::TransparentMode);
  painter.setFont(font);
  painter.setPen(color);
  painter.drawText(rect, textFormatFlags(format), text);
  painter.restore();
}

QFont skinFont(const QString& family, int cellHeight, bool bold) {
  QFont font(family);
  // The Windows faces are usually absent; name the free substitutes that
  // cover the Latin and Chinese texts so fontconfig picks them first.
  font.setFamilies({family, QStringLiteral("Liberation Sans"), QStringLiteral("WenQuanYi Zen Hei")});
  font.setStyleHint(QFont::SansSerif);
  font.setWeight(bold ? QFont::Bold : QFont::Normal);
  font.setPixelSize(cellHeight);
  // The windows give their fonts by cell height; Qt's pixel size is the em
  // height, so shrink until ascent + descent fits the cell.
  for (int px = cellHeight; px > 1; --px) {
    font.setPixelSize(px);
    if (QFontMetrics(font).height() <= cellHeight) break;
  }
  return font;
}

SkinFonts SkinFonts::forLanguage(Language language) {
  SkinFonts fonts;
  switch (language) {
    case Language::SimplifiedChinese:
      fonts.normal = skinFont(QStringLiteral("宋体"), kChineseNormalHeight, false);
      fonts.title = skinFont(QStringLiteral("宋体"), kTitleHeight, true);
      break;
    case Language::TraditionalChinese:
      fonts.normal = skinFont(QStringLiteral("黑体"), kChineseNormalHeight, false);
      fonts.title = skinFont(QStringLiteral("黑体"), kTitleHeight, true);
      break;
    default:
      fonts.normal = skinFont(QStringLiteral("Arial"), kEnglishNormalHeight, false);
      fonts.title = skinFont(QStringLiteral("Tahoma"), kTitleHeight, true);
      break;
  }
  return fonts;
}

QColor skinTextColor(long red, long green, long blue) {
  return QColor(static_cast<int>(red & kChannelMask), static_cast<int>(green & kChannelMask),
                static_cast<int>(blue & kChannelMask));
}

}  // namespace hm
