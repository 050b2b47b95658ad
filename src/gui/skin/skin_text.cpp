// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/skin/skin_text.h"

#include <QFile>
#include <QFontInfo>
#include <QFontMetrics>
#include <QPainter>
#include <QStringList>

#include "gui/skin/cache_file.h"

namespace hm {
namespace {

constexpr int kEnglishNormalHeight = 14;
constexpr int kChineseNormalHeight = 13;
constexpr int kTitleHeight = 18;
constexpr long kChannelMask = 0xFF;
// More than any cache of fitted sizes holds: a larger file is read only so far.
constexpr qint64 kMaxFontSizeCacheBytes = 64 * 1024;

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

FontSizeCache::FontSizeCache(QString file) : file_(std::move(file)) {
  if (file_.isEmpty()) return;
  QFile f(file_);
  if (!f.open(QIODevice::ReadOnly)) return;
  // One entry a line: key TAB size TAB family.
  for (const QByteArray& line : f.read(kMaxFontSizeCacheBytes).split('\n')) {
    const QList<QByteArray> fields = line.split('\t');
    bool ok = false;
    const int size = fields.size() == 3 ? fields[1].toInt(&ok) : 0;
    if (ok && size > 0) entries_.insert(QString::fromUtf8(fields[0]), {size, QString::fromUtf8(fields[2])});
  }
}

int FontSizeCache::pixelSize(const QFont& font, const QString& what, const std::function<int()>& fit) {
  const QString key = font.key() + u'|' + what;
  if (const auto it = entries_.constFind(key); it != entries_.constEnd()) {
    if (trusting_) return it->first;
    QFont sized = font;
    sized.setPixelSize(it->first);
    if (QFontInfo(sized).family() == it->second) return it->first;
  }
  const int size = fit();
  QFont sized = font;
  sized.setPixelSize(size);
  entries_.insert(key, {size, QFontInfo(sized).family()});
  save();
  return size;
}

QByteArray FontSizeCache::contents() const {
  // In key order: the same sizes give the same file.
  QStringList keys = entries_.keys();
  keys.sort();
  QByteArray text;
  for (const QString& k : keys) {
    const auto it = entries_.constFind(k);
    const QByteArray key = k.toUtf8(), family = it->second.toUtf8();
    if (key.contains('\t') || key.contains('\n') || family.contains('\t') || family.contains('\n')) continue;
    text += key + '\t' + QByteArray::number(it->first) + '\t' + family + '\n';
  }
  return text;
}

void FontSizeCache::save() const {
  if (file_.isEmpty()) return;
  static_cast<void>(replaceCacheFile(file_, {contents()}));
}

QFont skinFont(const QString& family, int cellHeight, bool bold, FontSizeCache* sizes) {
  QFont font(family);
  // The Windows faces are usually absent; name the free substitutes that
  // cover the Latin and Chinese texts so fontconfig picks them first.
  font.setFamilies({family, QStringLiteral("Liberation Sans"), QStringLiteral("WenQuanYi Zen Hei")});
  font.setStyleHint(QFont::SansSerif);
  font.setWeight(bold ? QFont::Bold : QFont::Normal);
  font.setPixelSize(cellHeight);
  // The windows give their fonts by cell height; Qt's pixel size is the em
  // height, so shrink until ascent + descent fits the cell.
  auto fit = [font, cellHeight]() mutable {
    int px = cellHeight;
    for (; px > 1; --px) {
      font.setPixelSize(px);
      if (QFontMetrics(font).height() <= cellHeight) break;
    }
    return px;
  };
  font.setPixelSize(sizes != nullptr ? sizes->pixelSize(font, QStringLiteral("cell height"), fit) : fit());
  return font;
}

SkinFonts SkinFonts::forLanguage(Language language, FontSizeCache* sizes) {
  SkinFonts fonts;
  switch (language) {
    case Language::SimplifiedChinese:
      fonts.normal = skinFont(QStringLiteral("宋体"), kChineseNormalHeight, false, sizes);
      fonts.title = skinFont(QStringLiteral("宋体"), kTitleHeight, true, sizes);
      break;
    case Language::TraditionalChinese:
      fonts.normal = skinFont(QStringLiteral("黑体"), kChineseNormalHeight, false, sizes);
      fonts.title = skinFont(QStringLiteral("黑体"), kTitleHeight, true, sizes);
      break;
    default:
      fonts.normal = skinFont(QStringLiteral("Arial"), kEnglishNormalHeight, false, sizes);
      fonts.title = skinFont(QStringLiteral("Tahoma"), kTitleHeight, true, sizes);
      break;
  }
  return fonts;
}

QColor skinTextColor(long red, long green, long blue) {
  return QColor(static_cast<int>(red & kChannelMask), static_cast<int>(green & kChannelMask),
                static_cast<int>(blue & kChannelMask));
}

}  // namespace hm
