// SPDX-License-Identifier: GPL-3.0-or-later
// Premultiplication, exact blending, opaque copies and the failure variants
// of drawing one skin image.
#include <gtest/gtest.h>

#include "gui/skin/draw_skin_image.h"
#include "gui/skin/skin_images.h"
#include "gui/skin/skin_library.h"
#include "skin_test_support.h"

namespace hm {
namespace {

using test::SkinDir;

struct Channel4 {
  int r, g, b, a;
};

struct PremultiplyCase {
  const char* what;
  Channel4 straight;
  Channel4 expected;
};

class PremultiplyTest : public ::testing::TestWithParam<PremultiplyCase> {};

TEST_P(PremultiplyTest, TruncatesEveryColourChannel) {
  const auto& c = GetParam();
  QImage img(2, 1, QImage::Format_ARGB32);
  img.fill(QColor(c.straight.r, c.straight.g, c.straight.b, c.straight.a));
  const QImage out = premultiplyTruncating(img);
  ASSERT_EQ(out.format(), QImage::Format_ARGB32_Premultiplied);
  for (int x = 0; x < 2; ++x) {
    // Raw bytes: QImage::pixel() would unpremultiply them.
    const QRgb raw = reinterpret_cast<const QRgb*>(out.constScanLine(0))[x];
    EXPECT_EQ(qRed(raw), c.expected.r) << c.what;
    EXPECT_EQ(qGreen(raw), c.expected.g) << c.what;
    EXPECT_EQ(qBlue(raw), c.expected.b) << c.what;
    EXPECT_EQ(qAlpha(raw), c.expected.a) << c.what;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PremultiplyTest,
    ::testing::Values(
        PremultiplyCase{
            "alpha 128, red 200 gives 100 (100.39 truncated)", {200, 255, 1, 128}, {100, 128, 0, 128}},
        PremultiplyCase{"fractions above one half still truncate", {3, 201, 250, 128}, {1, 100, 125, 128}},
        PremultiplyCase{"alpha 0 clears the colour", {200, 100, 50, 0}, {0, 0, 0, 0}},
        PremultiplyCase{"alpha 255 keeps the colour", {200, 100, 50, 255}, {200, 100, 50, 255}},
        PremultiplyCase{"alpha 1", {255, 254, 0, 1}, {1, 0, 0, 1}},
        PremultiplyCase{"alpha 77", {100, 10, 255, 77}, {30, 3, 77, 77}}));

// One straight-alpha source pixel drawn from a PNG file onto an opaque canvas.
struct BlendCase {
  const char* what;
  Channel4 source;  // straight, as stored in the file
  QRgb canvas;
  QRgb expected;
};

class BlendTest : public ::testing::TestWithParam<BlendCase> {};

TEST_P(BlendTest, FileImageBlendsExactly) {
  const auto& c = GetParam();
  SkinDir dir;
  ASSERT_TRUE(dir.valid());
  dir.writeSolid("img.png", {3, 2}, QColor(c.source.r, c.source.g, c.source.b, c.source.a),
                 /*withAlpha=*/true);
  SkinLibrary skins(dir.path());
  QImage canvas = test::filledCanvas({6, 5}, QColor(c.canvas));
  ASSERT_TRUE(drawSkinImage(canvas, skins, "/img.png", 2, 1));
  EXPECT_EQ(canvas.pixel(2, 1), c.expected) << c.what;
  EXPECT_EQ(canvas.pixel(4, 2), c.expected) << c.what;
  // Outside the image the canvas is untouched.
  EXPECT_EQ(canvas.pixel(1, 1), QColor(c.canvas).rgb()) << c.what;
  EXPECT_EQ(canvas.pixel(5, 1), QColor(c.canvas).rgb()) << c.what;
  EXPECT_EQ(canvas.pixel(2, 3), QColor(c.canvas).rgb()) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BlendTest,
    ::testing::Values(
        BlendCase{"alpha 0 leaves the destination", {200, 10, 30, 0}, qRgb(50, 60, 70), qRgb(50, 60, 70)},
        BlendCase{"alpha 255 replaces it", {200, 10, 30, 255}, qRgb(50, 60, 70), qRgb(200, 10, 30)},
        BlendCase{"alpha 128: red 200 is stored as 100 and added",
                  {200, 0, 255, 128},
                  qRgb(50, 255, 0),
                  qRgb(124, 127, 128)},
        BlendCase{"alpha 128 on black shows the premultiplied source",
                  {200, 0, 255, 128},
                  qRgb(0, 0, 0),
                  qRgb(100, 0, 128)},
        BlendCase{
            "alpha 64 over a mixed colour", {255, 255, 255, 64}, qRgb(200, 100, 0), qRgb(213, 138, 64)}));

TEST(BlendPremultiplied, ClipsAtEveryCanvasEdge) {
  QImage src(4, 4, QImage::Format_ARGB32_Premultiplied);
  src.fill(qRgba(255, 0, 0, 255));
  for (QPoint at : {QPoint(-2, -2), QPoint(3, 3), QPoint(-10, 0), QPoint(0, 10)}) {
    QImage canvas = test::filledCanvas({5, 5}, Qt::blue);
    blendPremultiplied(canvas, src, at);
    for (int y = 0; y < 5; ++y) {
      for (int x = 0; x < 5; ++x) {
        const bool covered = x >= at.x() && x < at.x() + 4 && y >= at.y() && y < at.y() + 4;
        EXPECT_EQ(canvas.pixel(x, y), covered ? qRgb(255, 0, 0) : qRgb(0, 0, 255))
            << "at " << at.x() << "," << at.y() << " pixel " << x << "," << y;
      }
    }
  }
}

TEST(BlendPremultiplied, PremultipliedCanvasBlendsItsAlphaToo) {
  QImage canvas(1, 1, QImage::Format_ARGB32_Premultiplied);
  canvas.fill(Qt::transparent);
  QImage src(1, 1, QImage::Format_ARGB32_Premultiplied);
  reinterpret_cast<QRgb*>(src.scanLine(0))[0] = qRgba(100, 0, 0, 128);
  blendPremultiplied(canvas, src, {0, 0});
  const QRgb raw = reinterpret_cast<const QRgb*>(canvas.constScanLine(0))[0];
  EXPECT_EQ(qAlpha(raw), 128);
  EXPECT_EQ(qRed(raw), 100);
}

// Images without alpha are copied pixel for pixel, whatever their format.
struct OpaqueCase {
  const char* what;
  QImage::Format format;
};

class OpaqueCopyTest : public ::testing::TestWithParam<OpaqueCase> {};

TEST_P(OpaqueCopyTest, CopiesPixelForPixel) {
  const auto& c = GetParam();
  SkinDir dir;
  QImage rgb(7, 4, QImage::Format_RGB32);
  for (int y = 0; y < rgb.height(); ++y) {
    for (int x = 0; x < rgb.width(); ++x)
      rgb.setPixel(x, y, qRgb(x * 30 + 1, y * 60 + 3, (x * y * 17) % 256));
  }
  const QImage stored = c.format == QImage::Format_Indexed8
                            ? rgb.convertToFormat(c.format, Qt::ThresholdDither)
                            : rgb.convertToFormat(c.format);
  dir.writeImage("flat.png", stored);
  SkinLibrary skins(dir.path());
  const SkinImage* decoded = skins.image("/flat.png");
  ASSERT_NE(decoded, nullptr) << c.what;
  EXPECT_FALSE(decoded->hasAlpha) << c.what;

  QImage canvas = test::filledCanvas({12, 9}, QColor(9, 9, 9));
  ASSERT_TRUE(drawSkinImage(canvas, skins, "/flat.png", 3, 2));
  const QImage expected = stored.convertToFormat(QImage::Format_RGB32);
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 7; ++x) {
      EXPECT_EQ(canvas.pixel(3 + x, 2 + y), expected.pixel(x, y)) << c.what << " " << x << "," << y;
    }
  }
  EXPECT_EQ(canvas.pixel(2, 2), qRgb(9, 9, 9));
  EXPECT_EQ(canvas.pixel(10, 5), qRgb(9, 9, 9));
}

INSTANTIATE_TEST_SUITE_P(Formats, OpaqueCopyTest,
                         ::testing::Values(OpaqueCase{"24-bit RGB", QImage::Format_RGB888},
                                           OpaqueCase{"palette", QImage::Format_Indexed8},
                                           OpaqueCase{"grey", QImage::Format_Grayscale8}));

// ---- failures ----

struct FailureCase {
  const char* what;
  bool writeGarbage;  // the file exists but is not an image
};

class MissingImageTest : public ::testing::TestWithParam<FailureCase> {};

TEST_P(MissingImageTest, SilentVariantSaysNothingAndKeepsTheCanvas) {
  SkinDir dir;
  if (GetParam().writeGarbage) dir.writeBytes("gone.png", "not an image at all");
  SkinLibrary skins(dir.path());
  QImage canvas = test::filledCanvas({4, 4}, Qt::green);
  const QImage before = canvas;
  EXPECT_FALSE(drawSkinImage(canvas, skins, "/gone.png", 0, 0));
  EXPECT_EQ(canvas, before);
}

TEST_P(MissingImageTest, DialogVariantWarnsOnEveryDraw) {
  SkinDir dir;
  if (GetParam().writeGarbage) dir.writeBytes("gone.png", "not an image at all");
  SkinLibrary skins(dir.path());
  test::RecordingSink sink;
  QImage canvas = test::filledCanvas({4, 4}, Qt::green);
  EXPECT_FALSE(drawSkinImageOrWarn(canvas, skins, "/gone.png", 0, 0, sink));
  EXPECT_FALSE(drawSkinImageOrWarn(canvas, skins, "/gone.png", 0, 0, sink));
  ASSERT_EQ(sink.messages.size(), 2u);
  for (const auto& m : sink.messages) {
    EXPECT_EQ(m.text, "LoadPng---Load image failed.");
    EXPECT_EQ(m.caption, "");  // the application's title
  }
}

INSTANTIATE_TEST_SUITE_P(Kinds, MissingImageTest,
                         ::testing::Values(FailureCase{"missing file", false},
                                           FailureCase{"undecodable file", true}));

TEST(DrawSkinImageOrWarn, PresentImageSaysNothing) {
  SkinDir dir;
  dir.writeSolid("ok.png", {2, 2}, Qt::red, false);
  SkinLibrary skins(dir.path());
  test::RecordingSink sink;
  QImage canvas = test::filledCanvas({4, 4}, Qt::green);
  EXPECT_TRUE(drawSkinImageOrWarn(canvas, skins, "/ok.png", 1, 1, sink));
  EXPECT_TRUE(sink.messages.empty());
  EXPECT_EQ(canvas.pixel(1, 1), qRgb(255, 0, 0));
}

TEST(DrawSkinImage, NullCanvasDrawsNothingAndDoesNotCrash) {
  SkinDir dir;
  dir.writeSolid("ok.png", {2, 2}, Qt::red, true);
  SkinLibrary skins(dir.path());
  QImage none;
  drawSkinImage(none, skins, "/ok.png", 0, 0);
  EXPECT_TRUE(none.isNull());
}

// ---- high-density screens ----

// A 10 x 6 image drawn at (3, 5) covers the device pixels of that logical
// rectangle at any scale, edges rounded: from "@2x" (blue) above scale 1
// when the folder has it (any letter case), else from the 1x image (red),
// scaled smoothly where the pixels do not match.
TEST(DrawSkinImage, CoversItsLogicalRectangleAtEveryScale) {
  struct Case {
    qreal scale;
    const char* hiResFile;  // nullptr: none
    QRgb colour;
    QRect device;
  };
  const Case cases[] = {
      {1, "cell@2x.png", qRgb(255, 0, 0), {3, 5, 10, 6}},    // 1x never takes "@2x"
      {2, "cell@2x.png", qRgb(0, 0, 255), {6, 10, 20, 12}},  // pixel for pixel
      {2, "CELL@2X.PNG", qRgb(0, 0, 255), {6, 10, 20, 12}},  // found without regard to case
      {2, nullptr, qRgb(255, 0, 0), {6, 10, 20, 12}},        // 1x enlarged
      {1.5, "cell@2x.png", qRgb(0, 0, 255), {5, 8, 15, 9}},  // "@2x" shrunk: 4.5..19.5 x 7.5..16.5
      {1.25, nullptr, qRgb(255, 0, 0), {4, 6, 12, 8}},       // 3.75..16.25 x 6.25..13.75
      {3, "cell@2x.png", qRgb(0, 0, 255), {9, 15, 30, 18}},
  };
  for (const Case& c : cases) {
    SkinDir dir;
    dir.writeSolid("cell.png", {10, 6}, Qt::red, false);
    if (c.hiResFile) dir.writeSolid(c.hiResFile, {20, 12}, Qt::blue, false);
    SkinLibrary skins(dir.path());
    skins.setScale(c.scale);
    EXPECT_EQ(skins.imageSize("/cell.png"), QSize(10, 6)) << c.scale;
    QImage canvas = blankCanvas({40, 30}, c.scale);
    canvas.fill(Qt::black);
    ASSERT_TRUE(drawSkinImage(canvas, skins, "/cell.png", 3, 5));
    int wrong = 0;
    for (int y = 0; y < canvas.height(); ++y)
      for (int x = 0; x < canvas.width(); ++x)
        wrong += canvas.pixel(x, y) != (c.device.contains(x, y) ? c.colour : qRgb(0, 0, 0)) ? 1 : 0;
    EXPECT_EQ(wrong, 0) << "scale " << c.scale << (c.hiResFile ? " with @2x" : "");
  }
}

// The canvas has the window's size in logical pixels at every scale; the
// picture is "/main@2x.png" where there is one.
TEST(LoadCanvas, TakesTheWindowSizeAtTheScreensScale) {
  SkinDir dir;
  dir.writeSolid("main.png", {20, 10}, Qt::red, false);
  dir.writeSolid("main@2x.png", {40, 20}, Qt::blue, false);
  SkinLibrary skins(dir.path());
  for (qreal scale : {1.0, 1.5, 2.0}) {
    skins.setScale(scale);
    const QImage canvas = loadCanvas(skins, scale);
    EXPECT_EQ(canvas.deviceIndependentSize(), QSizeF(20, 10)) << scale;
    EXPECT_EQ(canvas.size(), QSize(20, 10) * scale) << scale;
    EXPECT_EQ(canvas.pixel(5, 5), scale == 1 ? qRgb(255, 0, 0) : qRgb(0, 0, 255)) << scale;
  }
}

// ---- the main window's canvas ----

TEST(LoadCanvas, MissingMainImageGivesNoCanvas) {
  SkinDir dir;
  dir.writeSolid("BasicSet2.png", {8, 8}, Qt::red, false);
  SkinLibrary skins(dir.path());
  const QImage canvas = loadCanvas(skins);
  EXPECT_TRUE(canvas.isNull());
  EXPECT_EQ(canvas.size(), QSize(0, 0));
}

TEST(LoadCanvas, KeepsColourBytesOfATransparentMainImage) {
  SkinDir dir;
  dir.writeSolid("Main.PNG", {20, 10}, QColor(200, 40, 7, 128), true);
  SkinLibrary skins(dir.path());
  const QImage canvas = loadCanvas(skins);
  ASSERT_EQ(canvas.size(), QSize(20, 10));
  EXPECT_EQ(canvas.format(), QImage::Format_RGB32);
  // Not premultiplied: the bytes stay as stored, shown opaque.
  EXPECT_EQ(canvas.pixel(5, 5), qRgb(200, 40, 7));
}

TEST(LoadCanvas, CanvasIsDrawableAndIndependentOfTheCache) {
  SkinDir dir;
  dir.writeSolid("main.png", {10, 10}, Qt::black, false);
  dir.writeSolid("dot.png", {1, 1}, Qt::white, false);
  SkinLibrary skins(dir.path());
  QImage canvas = loadCanvas(skins);
  ASSERT_TRUE(drawSkinImage(canvas, skins, "/dot.png", 4, 4));
  EXPECT_EQ(canvas.pixel(4, 4), qRgb(255, 255, 255));
  QImage again = loadCanvas(skins);
  EXPECT_EQ(again.pixel(4, 4), qRgb(0, 0, 0));
}

}  // namespace
}  // namespace hm
