// SPDX-License-Identifier: GPL-3.0-or-later
// Images decoded ahead on the library's worker: taken by the first draw of
// their folder, never across folders, dropped with the cache; and the size a
// file announces without decoding it.
#include <gtest/gtest.h>

#include <functional>

#include "gui/skin/skin_library.h"
#include "skin_test_support.h"

namespace hm {
namespace {

using test::SkinDir;

TEST(SkinPrefetch, TheFirstDrawSeesTheFileOfItsOwnFolder) {
  struct Case {
    const char* name;
    const char* prefetched;  // the name prefetch() is given
    const char* drawn;       // the name image() is asked
    // What happens between the prefetch and the draw (folders a and b, the
    // library, the file's path in a).
    std::function<void(const SkinDir& a, const SkinDir& b, SkinLibrary&)> between;
    QRgb expected;  // 0: no image
  };
  const QRgb red = qRgb(255, 0, 0), blue = qRgb(0, 0, 255), green = qRgb(0, 255, 0);
  auto intoA = [](const SkinDir& a, const SkinDir&, SkinLibrary& s) { s.setSkinFolder(a.path()); };
  const Case cases[] = {
      {"same folder", "/img.png", "/img.png", intoA, red},
      {"other spelling", "/IMG.PNG", "/img.png", intoA, red},
      {"another folder after it", "/img.png", "/img.png",
       [](const SkinDir&, const SkinDir& b, SkinLibrary& s) { s.setSkinFolder(b.path()); }, blue},
      {"the cache cleared after a change of the file", "/img.png", "/img.png",
       [](const SkinDir& a, const SkinDir&, SkinLibrary& s) {
         s.setSkinFolder(a.path());
         a.writeSolid("img.png", {4, 3}, Qt::green, false);
         s.clearCache();
       },
       green},
      {"caching switched off", "/img.png", "/img.png",
       [](const SkinDir& a, const SkinDir&, SkinLibrary& s) {
         s.setCaching(false);
         s.setSkinFolder(a.path());
       },
       red},
      {"a missing file", "/none.png", "/none.png", intoA, 0},
      {"a name never prefetched", "/img.png", "/other.png", intoA, red},
  };
  for (const Case& c : cases) {
    SkinDir a, b;
    a.writeSolid("img.png", {4, 3}, Qt::red, false);
    a.writeSolid("other.png", {4, 3}, Qt::red, false);
    b.writeSolid("img.png", {4, 3}, Qt::blue, false);
    SkinLibrary skins;
    skins.prefetch(a.path(), {QString::fromLatin1(c.prefetched)});
    c.between(a, b, skins);
    const SkinImage* img = skins.image(QString::fromLatin1(c.drawn));
    if (c.expected == 0) {
      EXPECT_EQ(img, nullptr) << c.name;
      continue;
    }
    ASSERT_NE(img, nullptr) << c.name;
    EXPECT_EQ(img->image.size(), QSize(4, 3)) << c.name;
    EXPECT_EQ(img->image.pixel(1, 1), c.expected) << c.name;
    // Later draws keep the image the first one took.
    EXPECT_EQ(skins.image(QString::fromLatin1(c.drawn)), img) << c.name;
  }
}

TEST(SkinPrefetch, ALibraryGoesAwayWhileItsWorkerDecodes) {
  SkinDir a;
  QStringList names;
  for (int i = 0; i < 8; ++i) {
    const QString name = QStringLiteral("big%1.png").arg(i);
    a.writeSolid(name, {800, 600}, Qt::red, false);
    names << u'/' + name;
  }
  for (int round = 0; round < 3; ++round) {
    SkinLibrary skins(a.path());
    skins.prefetch(a.path(), names);
  }  // each destructor stops and joins the worker
  SUCCEED();
}

TEST(AnnouncedImageSize, ReadsTheHeaderOnly) {
  SkinDir dir;
  dir.writeSolid("main.png", {880, 660}, Qt::red, false);
  // A header that promises more than the file holds still tells its size.
  QFile whole(dir.path() + "/main.png");
  ASSERT_TRUE(whole.open(QIODevice::ReadOnly));
  dir.writeBytes("cut.png", whole.read(64));
  dir.writeBytes("junk.png", "not an image");
  EXPECT_EQ(announcedImageSize(dir.path() + "/main.png"), QSize(880, 660));
  EXPECT_EQ(announcedImageSize(dir.path() + "/cut.png"), QSize(880, 660));
  EXPECT_FALSE(announcedImageSize(dir.path() + "/junk.png").isValid());
  EXPECT_FALSE(announcedImageSize(dir.path() + "/missing.png").isValid());
  EXPECT_FALSE(announcedImageSize(dir.path()).isValid());  // a folder is never opened
}

}  // namespace
}  // namespace hm
