// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/skin/draw_skin_image.h"

#include <QRect>
#include <cstdint>
#include <cstring>
#include <utility>

#include "gui/skin/skin_images.h"
#include "gui/skin/skin_library.h"

namespace hm {
namespace {

constexpr std::uint32_t kMaxChannel = 255;
constexpr std::uint32_t kOpaqueAlpha = 0xFF000000u;

// floor(c * a / 255) for one channel.
constexpr std::uint32_t scaleTruncating(std::uint32_t c, std::uint32_t a) { return c * a / kMaxChannel; }

// The part of src placed at `at` that falls inside dst, in dst coordinates.
QRect clippedTarget(const QImage& dst, const QImage& src, QPoint at) {
  return QRect(at, src.size()).intersected(dst.rect());
}

}  // namespace

QImage premultiplyTruncating(QImage image) {
  if (image.isNull()) return image;
  // Straight alpha first (lossless for every source format), then our own
  // truncating premultiplication.
  QImage out = std::move(image).convertToFormat(QImage::Format_ARGB32);
  for (int y = 0; y < out.height(); ++y) {
    auto* row = reinterpret_cast<QRgb*>(out.scanLine(y));
    for (int x = 0; x < out.width(); ++x) {
      const QRgb p = row[x];
      const std::uint32_t a = static_cast<std::uint32_t>(qAlpha(p));
      row[x] = qRgba(static_cast<int>(scaleTruncating(static_cast<std::uint32_t>(qRed(p)), a)),
                     static_cast<int>(scaleTruncating(static_cast<std::uint32_t>(qGreen(p)), a)),
                     static_cast<int>(scaleTruncating(static_cast<std::uint32_t>(qBlue(p)), a)),
                     static_cast<int>(a));
    }
  }
  // Same bytes, now labelled as what they are.
  out.reinterpretAsFormat(QImage::Format_ARGB32_Premultiplied);
  return out;
}

void blendPremultiplied(QImage& dst, const QImage& src, QPoint at) {
  if (dst.isNull() || src.isNull()) return;
  const QImage* source = &src;
  QImage converted;
  if (src.format() != QImage::Format_ARGB32_Premultiplied) {
    converted = premultiplyTruncating(src);
    source = &converted;
  }
  if (dst.format() != QImage::Format_RGB32 && dst.format() != QImage::Format_ARGB32_Premultiplied &&
      dst.format() != QImage::Format_ARGB32) {
    dst.convertTo(QImage::Format_RGB32);
  }
  const bool keepOpaque = dst.format() == QImage::Format_RGB32;
  const QRect target = clippedTarget(dst, *source, at);
  for (int y = target.top(); y <= target.bottom(); ++y) {
    auto* out = reinterpret_cast<QRgb*>(dst.scanLine(y));
    const auto* in = reinterpret_cast<const QRgb*>(source->constScanLine(y - at.y()));
    for (int x = target.left(); x <= target.right(); ++x) {
      const QRgb s = in[x - at.x()];
      const std::uint32_t sa = static_cast<std::uint32_t>(qAlpha(s));
      if (sa == kMaxChannel) {
        out[x] = s;
        continue;
      }
      if (sa == 0 && (s & 0x00FFFFFFu) == 0) continue;
      const QRgb d = out[x];
      const std::uint32_t inv = kMaxChannel - sa;
      auto channel = [inv](int sc, int dc) {
        return static_cast<int>(static_cast<std::uint32_t>(sc) +
                                static_cast<std::uint32_t>(dc) * inv / kMaxChannel);
      };
      const int r = channel(qRed(s), qRed(d));
      const int g = channel(qGreen(s), qGreen(d));
      const int b = channel(qBlue(s), qBlue(d));
      const int a = keepOpaque ? static_cast<int>(kMaxChannel) : channel(qAlpha(s), qAlpha(d));
      // A premultiplied source never exceeds 255 here; clamp against a
      // malformed one so a channel cannot spill into its neighbour.
      out[x] = qRgba(qMin(r, 255), qMin(g, 255), qMin(b, 255), qMin(a, 255));
    }
  }
}

void copyOpaque(QImage& dst, const QImage& src, QPoint at) {
  if (dst.isNull() || src.isNull()) return;
  const QImage* source = &src;
  QImage converted;
  if (src.format() != QImage::Format_RGB32) {
    converted = src.convertToFormat(QImage::Format_RGB32);
    source = &converted;
  }
  if (dst.format() != QImage::Format_RGB32 && dst.format() != QImage::Format_ARGB32_Premultiplied &&
      dst.format() != QImage::Format_ARGB32) {
    dst.convertTo(QImage::Format_RGB32);
  }
  const QRect target = clippedTarget(dst, *source, at);
  if (target.isEmpty()) return;
  // RGB32 pixels are 0xffRRGGBB already: whole rows are copied as they are.
  const std::size_t rowBytes = static_cast<std::size_t>(target.width()) * sizeof(QRgb);
  for (int y = target.top(); y <= target.bottom(); ++y) {
    auto* out = reinterpret_cast<QRgb*>(dst.scanLine(y)) + target.left();
    const auto* in =
        reinterpret_cast<const QRgb*>(source->constScanLine(y - at.y())) + (target.left() - at.x());
    std::memcpy(out, in, rowBytes);
  }
}

QRect deviceRect(const QRectF& logical, qreal scale) {
  const QPoint topLeft(qRound(logical.left() * scale), qRound(logical.top() * scale));
  const QPoint end(qRound(logical.right() * scale), qRound(logical.bottom() * scale));
  return QRect(topLeft, QSize(end.x() - topLeft.x(), end.y() - topLeft.y()));
}

QImage blankCanvas(QSize logical, qreal scale) {
  QImage canvas(deviceRect(QRectF(QPointF(0, 0), logical), scale).size(), QImage::Format_RGB32);
  canvas.setDevicePixelRatio(scale);
  return canvas;
}

void placeSkinImage(QImage& canvas, const SkinImage& image, QPoint at) {
  if (canvas.isNull() || image.image.isNull()) return;
  const qreal scale = canvas.devicePixelRatio();
  const QRect target = deviceRect(QRectF(at, image.logicalSize()), scale);
  QImage scaled;
  const QImage* source = &image.image;
  if (target.size() != image.image.size()) {
    // Filtered in the image's own format: premultiplied where it has alpha,
    // so transparent edges take no colour from the hidden pixels.
    scaled = image.image.scaled(target.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    source = &scaled;
  }
  if (image.hasAlpha) {
    blendPremultiplied(canvas, *source, target.topLeft());
  } else {
    copyOpaque(canvas, *source, target.topLeft());
  }
}

bool drawSkinImage(QImage& canvas, SkinLibrary& skins, const QString& name, int x, int y) {
  const SkinImage* img = skins.image(name);
  if (!img) return false;
  placeSkinImage(canvas, *img, QPoint(x, y));
  return true;
}

bool drawSkinImageOrWarn(QImage& canvas, SkinLibrary& skins, const QString& name, int x, int y,
                         MessageSink& messages) {
  if (drawSkinImage(canvas, skins, name, x, y)) return true;
  messages.showMessage(kLoadImageFailedText, std::string());
  return false;
}

QImage loadCanvas(SkinLibrary& skins, qreal scale) {
  const QString main = QString::fromLatin1(skin::kMain);
  const QString path = skins.resolve(main);
  const QSize limit = skins.sizeLimit(main);
  // The window takes the size of the 1x picture; above scale 1 an "@2x"
  // picture beside it fills that size with its own pixels.
  QSize logical;
  std::optional<QImage> decoded;
  if (scale > 1) {
    logical = announcedImageSize(path);
    if (logical.isValid() && !logical.isEmpty())
      decoded = readSkinFile(skins.resolve(hiResName(main)), limit * 2);
  }
  if (!decoded) {
    decoded = readSkinFile(path, limit);
    if (!decoded) return {};
    logical = decoded->size();
  }
  QImage canvas = decoded->convertToFormat(QImage::Format_ARGB32);
  for (int y = 0; y < canvas.height(); ++y) {
    auto* row = reinterpret_cast<QRgb*>(canvas.scanLine(y));
    for (int x = 0; x < canvas.width(); ++x) row[x] |= kOpaqueAlpha;
  }
  canvas.reinterpretAsFormat(QImage::Format_RGB32);
  const QSize device = deviceRect(QRectF(QPointF(0, 0), logical), scale).size();
  if (canvas.size() != device)
    canvas = canvas.scaled(device, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  canvas.setDevicePixelRatio(scale);
  return canvas;
}

}  // namespace hm
