// SPDX-License-Identifier: GPL-3.0-or-later
// Putting skin images on a canvas with their transparency.
//
// Images with alpha are kept premultiplied with truncation and blended
// source-over by our own integer loop, so the result is exact:
//   result = src + floor(dst * (255 - srcAlpha) / 255)   per channel.
// Alpha 0 leaves the destination unchanged, alpha 255 replaces it. Images
// without alpha are copied pixel for pixel. Nothing is ever scaled.
#pragma once

#include <QImage>
#include <QPoint>
#include <QString>

#include "core/settings/message_sink.h"

namespace hm {

class SkinLibrary;

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

// Draws the named image of the library at (x, y) at its natural size. Returns
// false, silently, when the image is missing or undecodable (the canvas keeps
// what it had there). A null canvas draws nothing.
bool drawSkinImage(QImage& canvas, SkinLibrary& skins, const QString& name, int x, int y);

// The dialogs' variant: on failure also shows kLoadImageFailedText with the
// application's title as caption (empty caption) through `messages`, once per
// call, so every paint that needs the image says so again.
bool drawSkinImageOrWarn(QImage& canvas, SkinLibrary& skins, const QString& name, int x, int y,
                         MessageSink& messages);

// The main window's canvas: "/main.png" as loaded (no premultiplication),
// its colour bytes kept and made opaque, in Format_RGB32. A null image when
// "/main.png" is missing; the window then has no canvas (size 0 x 0).
QImage loadCanvas(SkinLibrary& skins);

}  // namespace hm
