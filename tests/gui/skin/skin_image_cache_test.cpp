// SPDX-License-Identifier: GPL-3.0-or-later
// Decoded skin images kept between runs: what the cache gives is always what
// decoding the file as it is now gives.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "gui/skin/skin_image_cache.h"
#include "gui/skin/skin_library.h"
#include "skin_test_support.h"

namespace hm {
namespace {

using test::SkinDir;

// The only entry in the cache folder.
QString onlyEntry(const QString& folder) {
  const QStringList files = QDir(folder).entryList(QDir::Files | QDir::Hidden);
  return files.size() == 1 ? folder + u'/' + files.front() : QString();
}

void setTime(const QString& path, time_t seconds) {
  const timespec times[2] = {{seconds, 0}, {seconds, 0}};
  ASSERT_EQ(utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0), 0);
}

TEST(SkinImageCache, GivesTheDecodedPixelsFromTheFirstRunOn) {
  for (bool alpha : {true, false}) {
    SCOPED_TRACE(alpha ? "with alpha" : "opaque");
    SkinDir dir;
    QTemporaryDir cache;
    QImage picture(7, 5, QImage::Format_ARGB32);
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < 7; ++x)
        picture.setPixel(x, y, qRgba(x * 30, y * 50, 200, alpha ? 40 + x * 20 : 255));
    const QString png =
        dir.writeImage("bg.png", alpha ? picture : picture.convertToFormat(QImage::Format_RGB32));
    const std::optional<SkinImage> decoded = decodeSkinImage(png);
    ASSERT_TRUE(decoded);
    for (int run = 0; run < 2; ++run) {  // the first stores, the second reads the entry
      const std::optional<SkinImage> got = loadSkinImage(png, kMaxMainImageSize, cache.path());
      ASSERT_TRUE(got) << run;
      EXPECT_EQ(got->hasAlpha, decoded->hasAlpha);
      EXPECT_EQ(got->image.format(), decoded->image.format());
      EXPECT_EQ(got->image, decoded->image) << run;
    }
    EXPECT_FALSE(onlyEntry(cache.path()).isEmpty());
  }
}

// A changed file, a damaged entry, a limit the entry's image exceeds: each
// gives what the file decodes to now (or nothing, as decoding would).
TEST(SkinImageCache, AnEntryCountsOnlyForTheFileItWasMadeOf) {
  enum class Change { SourceRewritten, EntryTruncated, EntryGarbage, LimitBelowImage };
  for (Change change :
       {Change::SourceRewritten, Change::EntryTruncated, Change::EntryGarbage, Change::LimitBelowImage}) {
    SCOPED_TRACE(static_cast<int>(change));
    SkinDir dir;
    QTemporaryDir cache;
    const QString png = dir.writeSolid("bg.png", {6, 4}, Qt::red, false);
    setTime(png, 1000000);
    ASSERT_TRUE(loadSkinImage(png, kMaxMainImageSize, cache.path()));
    const QString entry = onlyEntry(cache.path());
    ASSERT_FALSE(entry.isEmpty());
    QSize limit = kMaxMainImageSize;
    QFile e(entry);
    switch (change) {
      case Change::SourceRewritten:  // same size, another colour, another time
        dir.writeSolid("bg.png", {6, 4}, Qt::blue, false);
        setTime(png, 2000000);
        break;
      case Change::EntryTruncated: ASSERT_TRUE(e.resize(e.size() - 1)); break;
      case Change::EntryGarbage:
        ASSERT_TRUE(e.open(QIODevice::ReadWrite));
        e.seek(e.size() - 4);
        e.write("\x01\x02\x03\x04", 4);
        e.write("tail");
        e.close();
        break;
      case Change::LimitBelowImage: limit = QSize(5, 4); break;
    }
    const std::optional<SkinImage> got = loadSkinImage(png, limit, cache.path());
    const std::optional<SkinImage> decoded = decodeSkinImage(png, limit);
    ASSERT_EQ(got.has_value(), decoded.has_value());
    if (got) {
      EXPECT_EQ(got->image, decoded->image);
    }
  }
}

TEST(SkinImageCache, AFolderThatCannotBeMadeOnlyCostsTheDecode) {
  SkinDir dir;
  const QString png = dir.writeSolid("bg.png", {3, 3}, Qt::green, false);
  const QString blocker = dir.writeBytes("file", "not a folder");
  const std::optional<SkinImage> got = loadSkinImage(png, kMaxMainImageSize, blocker + "/cache");
  ASSERT_TRUE(got);
  EXPECT_EQ(got->image.pixel(1, 1), qRgb(0, 255, 0));
}

}  // namespace
}  // namespace hm
