// SPDX-License-Identifier: GPL-3.0-or-later
// The canvas of the main window: the picture of "/main.png" shows wherever
// the first page's background does not cover it (a background with alpha, a
// smaller or a missing one), whether or not the window made it before the
// page was drawn.
#include <gtest/gtest.h>

#include <optional>

#include "fixtures.h"
#include "gui/app/hid_mouse_dlg.h"

namespace hm::test {
namespace {

TEST(ShellCanvas, MainPngShowsWhereTheBasicBackgroundLetsIt) {
  const QPoint corner(4, 650);  // nothing but the background is drawn here
  const QColor mainColour(10, 20, 30), backColour(200, 100, 50);
  auto solid = [](QSize size, QColor c, QImage::Format format) {
    QImage img(size, format);
    img.fill(c);
    return img;
  };
  struct Case {
    const char* name;
    std::optional<QImage> background;  // nullopt: the file removed
    QRgb expected;
  };
  QColor halfBack = backColour;
  halfBack.setAlpha(128);
  // Premultiplied with truncation, blended over the opaque main picture.
  auto blend = [](int back, int main) { return back * 128 / 255 + main * (255 - 128) / 255; };
  const Case cases[] = {
      {"opaque and whole", solid({880, 660}, backColour, QImage::Format_RGB32), backColour.rgb()},
      {"half transparent", solid({880, 660}, halfBack, QImage::Format_ARGB32),
       qRgb(blend(200, 10), blend(100, 20), blend(50, 30))},
      {"smaller than the window", solid({100, 100}, backColour, QImage::Format_RGB32), mainColour.rgb()},
      {"missing", std::nullopt, mainColour.rgb()},
  };
  for (const Case& c : cases) {
    ShellOptions o;
    o.replaceImages = {{QStringLiteral("main.png"), solid({880, 660}, mainColour, QImage::Format_RGB32)}};
    if (c.background)
      o.replaceImages.push_back({QStringLiteral("BasicSet2.png"), *c.background});
    else
      o.removeImages = std::vector<QString>{QStringLiteral("BasicSet2.png")};
    Shell shell(o);
    ASSERT_TRUE(shell.start()) << c.name;
    ASSERT_EQ(shell.dlg->currentPage(), kBasicPage) << c.name;
    EXPECT_EQ(shell.dlg->size(), QSize(880, 660)) << c.name;
    EXPECT_EQ(shell.pixel(corner), c.expected) << c.name;
  }
}

TEST(ShellCanvas, AChangeOfSkinBeforeAnyPageKeepsTheOldMainPng) {
  // Without the mouse no page covers the canvas; a skin chosen then draws no
  // page either, and the window still shows the old skin's "/main.png".
  ShellOptions o;
  o.pluggedIn = false;
  Shell shell(o);
  ASSERT_TRUE(shell.start());
  const QImage main(shell.dlg->skins().resolve(QStringLiteral("/main.png")));
  ASSERT_FALSE(main.isNull());
  shell.dlg->applySkinChoice(QStringLiteral("NoSuchSkin"), Qt::green);
  EXPECT_EQ(shell.picture().convertToFormat(QImage::Format_RGB32),
            main.convertToFormat(QImage::Format_RGB32));
}

}  // namespace
}  // namespace hm::test
