// SPDX-License-Identifier: GPL-3.0-or-later
// The first page's picture kept between runs: the file's checks, the key's
// parts, and the window's start that shows it, draws the page over it and
// replaces it where the two differ.
#include "gui/app/start_picture.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <functional>

#include "core/settings/profile_file.h"
#include "core/settings/settings_ini.h"
#include "fixtures.h"

namespace hm::test {
namespace {

constexpr qsizetype kHeaderBytes = 64;  // magic, key, four sizes, pixel ratio
constexpr qsizetype kKeyAt = 8;
constexpr qsizetype kWidthAt = 40;

QImage sample() {
  QImage image(3, 2, QImage::Format_RGB32);
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) image.setPixel(x, y, qRgb(x * 80, y * 120, 7));
  image.setDevicePixelRatio(1.5);
  return image;
}

QByteArray keyOf(const char* text) { return StartPictureKey().add(QByteArray(text)).digest(); }

QByteArray readAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
  f.write(bytes);
}

TEST(StartPicture, AStoredPictureComesBackOnlyWholeAndUnderItsKey) {
  QTemporaryDir dir;
  const QString file = dir.filePath("cache/start-picture");
  const StartPicture pictures(file);
  EXPECT_FALSE(pictures.load(keyOf("a")));  // nothing stored yet
  pictures.store(keyOf("a"), sample());
  const std::optional<QImage> back = pictures.load(keyOf("a"));
  ASSERT_TRUE(back);
  EXPECT_EQ(*back, sample());
  EXPECT_EQ(back->devicePixelRatio(), 1.5);
  EXPECT_EQ(QFile::permissions(dir.filePath("cache")) & 0x0077, 0);  // the folder made is the user's alone
  EXPECT_FALSE(StartPicture().load(keyOf("a")));                     // no file: nothing kept

  // The stored file changed in one way each: never taken.
  const QByteArray good = readAll(file);
  ASSERT_EQ(good.size(), kHeaderBytes + 3 * 2 * 4);
  struct Case {
    const char* what;
    std::function<QByteArray(QByteArray)> damage;
    const char* key = "a";
  };
  const Case cases[] = {
      {"another key", [](QByteArray b) { return b; }, "b"},
      {"empty", [](QByteArray) { return QByteArray(); }},
      {"header cut", [](QByteArray b) { return b.left(kHeaderBytes - 1); }},
      {"last pixel cut", [](QByteArray b) { return b.chopped(1); }},
      {"a byte too many", [](QByteArray b) { return b + 'x'; }},
      {"another magic", [](QByteArray b) { return b.replace(0, 1, "X"); }},
      {"key changed",
       [](QByteArray b) { return b.replace(kKeyAt, 1, QByteArray(1, static_cast<char>(b[kKeyAt] ^ 1))); }},
      {"width too large for the pixels", [](QByteArray b) { return b.replace(kWidthAt, 1, "\x04"); }},
      {"width zero", [](QByteArray b) { return b.replace(kWidthAt, 1, QByteArray(1, '\0')); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    writeAll(file, c.damage(good));
    EXPECT_FALSE(pictures.load(keyOf(c.key)));
  }
}

TEST(StartPicture, EveryPartOfTheKeyAndEveryChangeOfAFolderGivesAnotherKey) {
  QTemporaryDir dir;
  const QString skin = dir.filePath("skin");
  QDir().mkpath(skin);
  writeAll(skin + "/a.png", "one");
  auto folderKey = [&] { return StartPictureKey().addFolder(skin).digest(); };
  const QByteArray before = folderKey();
  EXPECT_EQ(folderKey(), before);  // the same folder, the same key

  // Parts do not run together, and each kind of part counts.
  EXPECT_NE(StartPictureKey().add(QByteArray("ab")).add(QByteArray("c")).digest(),
            StartPictureKey().add(QByteArray("a")).add(QByteArray("bc")).digest());
  EXPECT_NE(StartPictureKey().add(qint64{1}).digest(), StartPictureKey().add(qint64{2}).digest());
  EXPECT_NE(StartPictureKey().add(1.0).digest(), StartPictureKey().add(2.0).digest());

  const std::function<void()> changes[] = {
      [&] { writeAll(skin + "/a.png", "two"); },  // same size, new contents
      [&] { writeAll(skin + "/b.png", "new"); },  // a file added
      [&] { QFile::rename(skin + "/b.png", skin + "/c.png"); },
      [&] { QFile::remove(skin + "/c.png"); },
  };
  QByteArray last = before;
  for (const auto& change : changes) {
    QTest::qSleep(10);  // another modification time even on coarse clocks
    change();
    const QByteArray now = folderKey();
    EXPECT_NE(now, last);
    last = now;
  }
}

// Two starts over the same cache folder: the first stores the picture, the
// second shows it when nothing it depends on changed in between.
class ShellStartPicture : public ::testing::Test {
 protected:
  ShellOptions options() const {
    ShellOptions o;
    o.cacheFolder = cache.path();
    return o;
  }
  QString pictureFile() const { return cache.filePath("start-picture"); }
  // A first start, shown, until its picture is stored; its canvas.
  QImage firstStart() {
    Shell first(options());
    EXPECT_TRUE(first.start());
    first.showWindow();
    EXPECT_TRUE(Shell::waitFor([&] { return QFile::exists(pictureFile()); }));
    EXPECT_EQ(first.log.find("start picture: shown"), std::string::npos);
    return first.picture();
  }
  static bool pictureShown(const Shell& s) { return s.log.find("start picture: shown") != std::string::npos; }

  QTemporaryDir cache;
};

TEST_F(ShellStartPicture, IsShownOnlyWhileNothingTheFirstPageShowsHasChanged) {
  struct Case {
    const char* what;
    std::function<void(Shell&)> change;
    std::function<void(ShellOptions&)> option;
    bool shown;
  };
  const Case cases[] = {
      {"nothing", {}, {}, true},
      {"report rate in config.bin",
       [](Shell& s) {
         QByteArray bin = s.fileBytes("config.bin");
         constexpr int kReportIntervalAt = 1925;
         bin[kReportIntervalAt] = bin[kReportIntervalAt] == 1 ? 2 : 1;
         writeAll(s.path("config.bin"), bin);
       },
       {},
       false},
      {"text colour in str.ini",
       [](Shell& s) {
         EXPECT_TRUE(profile::writeString(s.pathStd("str.ini"), kSkinsSection, kSkinRedKey, "17"));
       },
       {},
       false},
      {"language", {}, [](ShellOptions& o) { o.language = Language::SimplifiedChinese; }, false},
      {"sensor",
       {},
       [](ShellOptions& o) {
         o.sensorAnswer = std::array<std::uint8_t, 4>{1, 0, 0, 0};
       },
       false},
  };
  const QImage first = firstStart();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ShellOptions o = options();
    if (c.option) c.option(o);
    Shell second(o);
    if (c.change) c.change(second);
    ASSERT_TRUE(second.start());
    EXPECT_EQ(pictureShown(second), c.shown);
    second.showWindow();
    ASSERT_TRUE(Shell::waitFor(
        [&] { return second.log.find("drawn over its picture") != std::string::npos || !c.shown; }));
    EXPECT_EQ(second.log.find("out of date"), std::string::npos);
    if (c.shown) {
      EXPECT_EQ(second.picture(), first);
    }
  }
}

TEST_F(ShellStartPicture, AnOutOfDatePictureIsReplacedOnTheScreenAndInTheFile) {
  const QImage first = firstStart();
  // The stored pixels changed under the right key, as a change of the
  // system's fonts would leave them.
  QByteArray bytes = readAll(pictureFile());
  bytes.replace(kHeaderBytes, 64, QByteArray(64, '\x55'));
  writeAll(pictureFile(), bytes);

  Shell second(options());
  ASSERT_TRUE(second.start());
  ASSERT_TRUE(pictureShown(second));
  EXPECT_NE(second.picture(), first);
  // Input before the first paint reaches the page as drawn, not the picture.
  second.moveTo({10, 10});
  EXPECT_NE(second.log.find("drawn over its picture"), std::string::npos);
  EXPECT_NE(second.log.find("out of date"), std::string::npos);
  EXPECT_EQ(second.picture(), first);
  EXPECT_NE(readAll(pictureFile()).mid(kHeaderBytes, 64), QByteArray(64, '\x55'));
  Shell third(options());
  ASSERT_TRUE(third.start());
  EXPECT_TRUE(pictureShown(third));
  EXPECT_EQ(third.picture(), first);
}

}  // namespace
}  // namespace hm::test
