// SPDX-License-Identifier: GPL-3.0-or-later
// Draws the default skins into <output>/Skins/<name>/ and writes the factory
// <output>/str.ini. Run at build time: skingen <output folder>.
//
// The files a skin holds are the program's own list (gui/skin/skin_images.h);
// each is drawn at the size and in the places the program uses it. The page
// backgrounds put their panels, wells and icons exactly where the pages draw
// their controls and texts.
#include <QDir>
#include <QFile>
#include <QImage>
#include <cstdio>
#include <string_view>

#include "gui/app/basic_layout.h"
#include "gui/app/frame_layout.h"
#include "gui/skin/skin_images.h"
#include "skin_control_images.h"
#include "skin_dialogs.h"
#include "skin_pages.h"

using namespace skingen;
namespace skin = hm::skin;

namespace {

// The factory text colour: a light cyan that reads well on both skins.
constexpr int kTextRed = 150;
constexpr int kTextGreen = 220;
constexpr int kTextBlue = 245;

// QImageWriter's quality for PNG: 0 is zlib's smallest output; the skins
// ship in the package.
constexpr int kPngBestCompression = 0;

QSize boxSize(const hm::basic::Box& b) { return {b.width(), b.height()}; }

// The picture of one skin file; a null image for a name this generator does
// not know how to draw.
QImage picture(const Theme& t, std::string_view name, const QImage& basic) {
  // The tabs sit on the window background; take its colour at their corner.
  const QColor tabBase(basic.pixel(hm::frame::kBasicTab.topLeft() * t.scale));
  const QSize keyBox = boxSize(hm::basic::keyBox(1));
  const QSize smallBox = boxSize(hm::basic::kDpiStageFace);
  if (name == skin::kMain) return mainImage(t);
  if (name == skin::kBasicBackground) return basic;
  if (name == skin::kAdvancedBackground) return advancedPage(t);
  if (name == skin::kButtonNormal) return textButton(t, false);
  if (name == skin::kButtonOver) return textButton(t, true);
  if (name == skin::kCloseNormal) return frameButton(t, Glyph::Close, false);
  if (name == skin::kCloseOver) return frameButton(t, Glyph::Close, true);
  if (name == skin::kMinNormal) return frameButton(t, Glyph::Minimise, false);
  if (name == skin::kMinOver) return frameButton(t, Glyph::Minimise, true);
  if (name == skin::kSkinsNormal) return frameButton(t, Glyph::Skins, false);
  if (name == skin::kSkinsOver) return frameButton(t, Glyph::Skins, true);
  if (name == skin::kPrePageNormal) return pageTab(t, tabBase, false, false);
  if (name == skin::kPrePageOver) return pageTab(t, tabBase, false, true);
  if (name == skin::kNextPageNormal) return pageTab(t, tabBase, true, false);
  if (name == skin::kNextPageOver) return pageTab(t, tabBase, true, true);
  if (name == skin::kKeyBoxNormal) return dropDownBox(t, keyBox, true, false);
  if (name == skin::kKeyBoxOver) return dropDownBox(t, keyBox, true, true);
  if (name == skin::kSmallBox) return dropDownBox(t, smallBox, false, false);
  if (name == skin::kReportRateDark) return cell(t, skin::kReportRateCellSize, false, t.panel);
  if (name == skin::kReportRateLight) return cell(t, skin::kReportRateCellSize, true, t.panel);
  if (name == skin::kDpiDark) return cell(t, skin::kDpiCellSize, false, t.panel);
  if (name == skin::kDpiLight) return cell(t, skin::kDpiCellSize, true, t.panel);
  if (name == skin::kSliderDark) return cell(t, skin::kSliderCellSize, false, t.well);
  if (name == skin::kSliderLight) return cell(t, skin::kSliderCellSize, true, t.well);
  if (name == skin::kPaneOff) return tickPane(t, false);
  if (name == skin::kPaneOn) return tickPane(t, true);
  return dialogImage(t, name);
}

// The file of `name` at the theme's scale: "/main.png", "/main@2x.png".
QString fileName(const Theme& t, const char* name) {
  QString file = QString::fromLatin1(name);
  if (t.scale == 2) file.replace(QStringLiteral(".png"), QStringLiteral("@2x.png"));
  return file;
}

bool writeSkin(const QString& root, const Theme& t) {
  const QString folder = root + QStringLiteral("/Skins/") + t.name;
  if (!QDir().mkpath(folder)) {
    std::fprintf(stderr, "skingen: cannot create %s\n", qPrintable(folder));
    return false;
  }
  const QImage basic = basicPage(t);
  bool ok = true;
  for (const char* name : skin::kSkinImages) {
    const QImage img = picture(t, name, basic);
    const QString path = folder + fileName(t, name);  // names begin with "/"
    if (img.isNull()) {
      std::fprintf(stderr, "skingen: no picture for %s\n", name);
      ok = false;
    } else if (!img.save(path, "PNG", kPngBestCompression)) {
      std::fprintf(stderr, "skingen: cannot write %s\n", qPrintable(path));
      ok = false;
    }
  }
  return ok;
}

bool writeStrIni(const QString& root) {
  QFile f(root + QStringLiteral("/str.ini"));
  if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
    std::fprintf(stderr, "skingen: cannot write %s: %s\n", qPrintable(f.fileName()),
                 qPrintable(f.errorString()));
    return false;
  }
  const QByteArray text = QStringLiteral("[Skins]\nRColor=%1\nGColor=%2\nBColor=%3\nPath=Default\n")
                              .arg(kTextRed)
                              .arg(kTextGreen)
                              .arg(kTextBlue)
                              .toUtf8();
  return f.write(text) == text.size();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: skingen <output folder>\n");
    return 2;
  }
  const QString root = QString::fromLocal8Bit(argv[1]);
  bool ok = true;
  // Each skin at 1x and, drawn again at twice the pixels, for high-density
  // screens.
  for (Theme t : {defaultTheme(), crimsonTheme()}) {
    for (int scale : {1, 2}) {
      t.scale = scale;
      ok = writeSkin(root, t) && ok;
    }
  }
  ok = writeStrIni(root) && ok;
  return ok ? 0 : 1;
}
