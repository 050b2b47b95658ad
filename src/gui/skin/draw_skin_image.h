// SPDX-License-Identifier: GPL-3.0-or-later
// Putting skin images on a canvas with their transparency.
//
// Images with alpha are kept premultiplied with truncation and blended
// source-over by our own integer loop, so the result is exact:
//   result = src + floor(dst * (255 - srcAlpha) / 255)   per channel.
// Alpha 0 leaves the destination unchanged, alpha 255 replaces it. Images
// without alpha are copied pixel for pixel.
//
// Positions are logical (window) pixels. A canvas of device pixel ratio 1
// takes a 1x image as it is, and one of ratio 2 an "@2x" image; any other
// pairing scales the image with a smooth filter to the device pixels its
// logical rectangle covers, then blends it by the same rule.
#pragma once

#include <QImage>
#include <QPoint>
#include <QRectF>
#include <QString>

#include "core/settings/message_sink.h"

namespace hm {

class SkinLibrary;
struct SkinImage;

// The text shown when a dialog cannot load one of its images.
inline constexpr char kLoadImageFailedText[] = "LoadPng---Load image failed.";

// Converts to Format_ARGB32_Premultiplied with each colour channel
// floor(c * a / 255) of its straight value (QImage's own conversion rounds).
QImage premultiplyTruncating(QImage image);

// Blends the premultiplied source onto dst with its top-left corner at `at`,
// clipped to dst. dst may be RGB32 (its alpha byte stays 0xFF) or
// ARGB32_Premultiplied (alpha is blended with the same rule).
void blendPremultiplied(QImage& dst, const QImage& src, QPoint at);

// Copies src onto dst at `at`, pixel for pixel (opaque), clipped to dst.
void copyOpaque(QImage& dst, const QImage& src, QPoint at);

// The device pixels a logical rectangle covers at device pixel ratio
// `scale`: each edge rounded to the nearest pixel, so neighbouring
// rectangles share their edges and a 1x rectangle stays as it is.
QRect deviceRect(const QRectF& logical, qreal scale);

// A canvas of `logical` window pixels at device pixel ratio `scale`.
QImage blankCanvas(QSize logical, qreal scale);

// Puts the image on the canvas with its top-left corner at the logical
// point `at`, covering its logical size (see above).
void placeSkinImage(QImage& canvas, const SkinImage& image, QPoint at);

// Draws the named image of the library at (x, y) at its natural size. Returns
// false, silently, when the image is missing or undecodable (the canvas keeps
// what it had there). A null canvas draws nothing.
bool drawSkinImage(QImage& canvas, SkinLibrary& skins, const QString& name, int x, int y);

// The dialogs' variant: on failure also shows kLoadImageFailedText with the
// application's title as caption (empty caption) through `messages`, once per
// call, so every paint that needs the image says so again.
bool drawSkinImageOrWarn(QImage& canvas, SkinLibrary& skins, const QString& name, int x, int y,
                         MessageSink& messages);

// The main window's canvas at device pixel ratio `scale`: "/main.png" (above
// scale 1 its "@2x" picture where there is one) as loaded (no
// premultiplication), its colour bytes kept and made opaque, in
// Format_RGB32, scaled smoothly when its pixels are not the canvas's. A
// null image when "/main.png" is missing; the window then has no canvas
// (size 0 x 0).
QImage loadCanvas(SkinLibrary& skins, qreal scale = 1);

}  // namespace hm
