// SPDX-License-Identifier: GPL-3.0-or-later
// The skin folder, case-insensitive image names and the image cache.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <string>

#include "gui/skin/draw_skin_image.h"
#include "gui/skin/skin_folder.h"
#include "gui/skin/skin_library.h"
#include "skin_test_support.h"
#include "support/param_name.h"

namespace hm {
namespace {

using test::SkinDir;

TEST(SkinFolderPath, AppendsSkinsAndTheNameByPlainConcatenation) {
  struct Case {
    const char* exe;
    const char* name;
    const char* expected;
  };
  const Case cases[] = {
      {"/opt/hm", "Default", "/opt/hm/Skins/Default"},
      {"/opt/hm", "", "/opt/hm/Skins/"},  // str.ini without a name: the Skins folder itself
      {"/opt/my mouse", "Crimson Red", "/opt/my mouse/Skins/Crimson Red"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(skinFolderPath(c.exe, c.name), QString::fromUtf8(c.expected)) << c.name;
  }
}

// Over the user's skins and the shipped ones: a name the user has wins.
TEST(SkinFolderPath, FirstRootWithTheSkinWins) {
  SkinDir d;
  QDir(d.path()).mkpath("user/Default");
  QDir(d.path()).mkpath("user/Mine");
  QDir(d.path()).mkpath("shipped/Default");
  QDir(d.path()).mkpath("shipped/Crimson");
  const QString user = d.path() + "/user", shipped = d.path() + "/shipped", gone = d.path() + "/gone";
  struct Case {
    QStringList roots;
    const char* name;
    QString expected;
  };
  const Case cases[] = {
      {{user, shipped}, "Default", user + "/Default"},
      {{user, shipped}, "Crimson", shipped + "/Crimson"},
      {{user, shipped}, "Mine", user + "/Mine"},
      {{user, shipped}, "Missing", shipped + "/Missing"},  // names a folder without images
      {{user, shipped}, "", user + "/"},
      {{gone, shipped}, "", shipped + "/"},
      {{gone, shipped}, "Default", shipped + "/Default"},
      {{shipped}, "Default", shipped + "/Default"},
      {{}, "Default", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(skinFolderPath(c.roots, c.name), c.expected) << c.name;
}

// Image names as the painters spell them, against the file as it is stored.
struct NameCase {
  const char* stored;
  const char* asked;
};

class CaseInsensitiveNameTest : public ::testing::TestWithParam<NameCase> {};

TEST_P(CaseInsensitiveNameTest, FindsTheStoredFile) {
  SkinDir dir;
  dir.writeSolid(GetParam().stored, {3, 3}, Qt::red, false);
  SkinLibrary skins(dir.path());
  EXPECT_EQ(skins.resolve(GetParam().asked), dir.path() + u'/' + GetParam().stored);
  ASSERT_NE(skins.image(GetParam().asked), nullptr);
  EXPECT_EQ(skins.imageSize(GetParam().asked), QSize(3, 3));
}

INSTANTIATE_TEST_SUITE_P(Names, CaseInsensitiveNameTest,
                         ::testing::Values(NameCase{"DropdownBox.png", "/dropdownbox.png"},
                                           NameCase{"dropdownbox.png", "/DropdownBox.png"},
                                           NameCase{"DropdownBox.png", "/DropdownBox.png"},
                                           NameCase{"BUTTON-SKINS-NORMAL.PNG", "/button-Skins-normal.png"}));

TEST(SkinLibrary, BothSpellingsShareOneCachedImage) {
  SkinDir dir;
  dir.writeSolid("DropdownBox.png", {3, 3}, Qt::red, false);
  SkinLibrary skins(dir.path());
  EXPECT_EQ(skins.image("/DropdownBox.png"), skins.image("/dropdownbox.png"));
}

TEST(SkinLibrary, UnknownNameResolvesToPlainConcatenation) {
  SkinDir dir;
  SkinLibrary skins(dir.path());
  EXPECT_EQ(skins.resolve("/Nothing.png"), dir.path() + "/Nothing.png");
  EXPECT_EQ(skins.image("/Nothing.png"), nullptr);
  EXPECT_TRUE(skins.imageSize("/Nothing.png").isEmpty());
}

TEST(SkinLibrary, MissingFolderHasNoImages) {
  SkinLibrary skins("/nonexistent/folder/Skins/Nope");
  QImage canvas = loadCanvas(skins);
  EXPECT_TRUE(canvas.isNull());
  EXPECT_EQ(skins.image("/BasicSet2.png"), nullptr);
}

TEST(SkinLibrary, CachesDecodedImagesPerPath) {
  SkinDir dir;
  dir.writeSolid("a.png", {2, 2}, Qt::red, false);
  SkinLibrary skins(dir.path());
  const SkinImage* first = skins.image("/a.png");
  ASSERT_NE(first, nullptr);
  // Rewritten on disk: the cache still answers with the decoded image.
  dir.writeSolid("a.png", {2, 2}, Qt::blue, false);
  EXPECT_EQ(skins.image("/a.png"), first);
  EXPECT_EQ(first->image.pixel(0, 0), qRgb(255, 0, 0));
}

TEST(SkinLibrary, CachedPointersSurviveManyLaterLoads) {
  SkinDir dir;
  for (int i = 0; i < 80; ++i) dir.writeSolid(QString("i%1.png").arg(i), {1, 1}, QColor(i, 0, 0), false);
  SkinLibrary skins(dir.path());
  const SkinImage* first = skins.image("/i0.png");
  for (int i = 1; i < 80; ++i) skins.image(QString("/i%1.png").arg(i));
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->image.pixel(0, 0), qRgb(0, 0, 0));
  EXPECT_EQ(skins.image("/i0.png"), first);
}

TEST(SkinLibrary, ChangingTheSkinShowsTheNewImages) {
  SkinDir one, two;
  one.writeSolid("main.png", {2, 2}, Qt::red, false);
  two.writeSolid("MAIN.png", {4, 4}, Qt::blue, false);
  SkinLibrary skins(one.path());
  ASSERT_NE(skins.image("/main.png"), nullptr);
  EXPECT_EQ(skins.imageSize("/main.png"), QSize(2, 2));
  skins.setSkinFolder(two.path());
  EXPECT_EQ(skins.skinFolder(), two.path());
  EXPECT_EQ(skins.imageSize("/main.png"), QSize(4, 4));
  EXPECT_EQ(skins.image("/main.png")->image.pixel(0, 0), qRgb(0, 0, 255));
}

TEST(SkinLibrary, ReselectingTheSameFolderRereadsItsFiles) {
  SkinDir dir;
  SkinLibrary skins(dir.path());
  EXPECT_EQ(skins.image("/late.png"), nullptr);
  dir.writeSolid("late.png", {2, 2}, Qt::red, false);
  skins.setSkinFolder(dir.path());
  EXPECT_NE(skins.image("/late.png"), nullptr);
}

// Once a page is painted, only the large images leave memory, and only with
// an image cache folder to read them back from: a later use shows the file
// as it is then; a kept image still shows what was read first.
TEST(SkinLibrary, ReleasesLargeImagesOnlyWithAnImageCache) {
  const int largeSide = 400;  // 400 x 400 x 4 bytes: above kLargeImageBytes
  static_assert(largeSide * largeSide * 4 >= kLargeImageBytes);
  for (const bool withCache : {true, false})
    for (const int side : {largeSide, 2}) {
      SCOPED_TRACE(QString("cache folder %1, side %2").arg(withCache).arg(side).toStdString());
      SkinDir dir;
      QTemporaryDir cache;
      dir.writeSolid("bg.png", {side, side}, Qt::red, false);
      SkinLibrary skins(dir.path());
      if (withCache) skins.setImageCache(cache.path());
      ASSERT_NE(skins.image("/bg.png"), nullptr);
      dir.writeSolid("bg.png", {side, side}, Qt::blue, false);
      skins.releaseLargeImages();
      const SkinImage* again = skins.image("/bg.png");
      ASSERT_NE(again, nullptr);
      const bool released = withCache && side == largeSide;
      EXPECT_EQ(again->image.pixel(0, 0), released ? qRgb(0, 0, 255) : qRgb(255, 0, 0));
    }
}

TEST(SkinLibrary, WithoutCachingEveryUseDecodesTheFile) {
  SkinDir dir;
  dir.writeSolid("a.png", {2, 2}, Qt::red, false);
  SkinLibrary skins(dir.path());
  skins.setCaching(false);
  ASSERT_NE(skins.image("/a.png"), nullptr);
  EXPECT_EQ(skins.image("/a.png")->image.pixel(0, 0), qRgb(255, 0, 0));
  dir.writeSolid("a.png", {2, 2}, Qt::blue, false);
  EXPECT_EQ(skins.image("/a.png")->image.pixel(0, 0), qRgb(0, 0, 255));
}

TEST(DecodeSkinImage, MarksAlphaOnlyWhenTheFileCarriesIt) {
  SkinDir dir;
  const QString withAlpha = dir.writeSolid("alpha.png", {2, 2}, QColor(10, 20, 30, 40), true);
  const QString without = dir.writeSolid("flat.png", {2, 2}, QColor(10, 20, 30), false);
  const auto a = decodeSkinImage(withAlpha);
  const auto b = decodeSkinImage(without);
  ASSERT_TRUE(a && b);
  EXPECT_TRUE(a->hasAlpha);
  EXPECT_EQ(a->image.format(), QImage::Format_ARGB32_Premultiplied);
  EXPECT_FALSE(b->hasAlpha);
  EXPECT_EQ(b->image.format(), QImage::Format_RGB32);
  EXPECT_FALSE(decodeSkinImage(dir.path() + "/none.png"));
}

}  // namespace
}  // namespace hm

namespace hm {
namespace {

// ---- What a hostile skin folder cannot make the program do ----------------

const QString kFixtures = QStringLiteral(HM_SOURCE_DIR "/tests/gui/skin/fixtures/");
constexpr const char* kFifo = "<fifo>";
constexpr const char* kFolder = "<folder>";

struct HostileCase {
  const char* name;
  const char* main;   // fixture of main.png, kFifo, kFolder, or nullptr for none
  const char* other;  // the same for BasicSet2.png
  QSize canvas;       // the window's canvas (0 x 0: none)
  bool otherDrawn;
};

void PrintTo(const HostileCase& c, std::ostream* os) { *os << c.name; }

void place(const test::SkinDir& dir, const char* fileName, const char* what) {
  if (what == nullptr) return;
  const QByteArray path = QFile::encodeName(dir.path() + u'/' + QString::fromLatin1(fileName));
  if (what == std::string(kFifo))
    ::mkfifo(path.constData(), 0600);
  else if (what == std::string(kFolder))
    ::mkdir(path.constData(), 0700);
  else
    QFile::copy(kFixtures + QString::fromLatin1(what), QString::fromLocal8Bit(path));
}

const HostileCase kHostile[] = {
    {"plain", "grey-320x240.png", "grey-320x240-rgba.png", {320, 240}, true},
    {"main_of_5000_by_5000_is_refused", "grey-5000x5000.png", "grey-320x240.png", {0, 0}, true},
    {"main_at_the_limit", "grey-4096x4096.png", "grey-320x240.png", {4096, 4096}, true},
    {"main_one_pixel_too_wide", "grey-4097x16.png", nullptr, {0, 0}, false},
    {"main_one_pixel_too_high", "grey-16x4097.png", nullptr, {0, 0}, false},
    {"image_wider_than_main", "grey-320x240.png", "grey-321x10.png", {320, 240}, false},
    {"image_higher_than_main", "grey-320x240.png", "grey-10x241.png", {320, 240}, false},
    {"huge_image_under_a_small_main", "grey-320x240.png", "grey-5000x5000.png", {320, 240}, false},
    {"huge_image_without_main", nullptr, "grey-5000x5000.png", {0, 0}, false},
    {"fifo_as_main", kFifo, "grey-320x240.png", {0, 0}, true},
    {"fifo_as_image", "grey-320x240.png", kFifo, {320, 240}, false},
    {"folder_as_main", kFolder, "grey-320x240.png", {0, 0}, true},
};

class HostileSkin : public ::testing::TestWithParam<HostileCase> {};

// A refused image is a missing one: no canvas for a refused main.png, the
// image skipped elsewhere; a FIFO never blocks.
TEST_P(HostileSkin, RefusedImagesCountAsMissing) {
  const HostileCase& c = GetParam();
  test::SkinDir dir;
  place(dir, "main.png", c.main);
  place(dir, "BasicSet2.png", c.other);
  SkinLibrary skins(dir.path());
  EXPECT_EQ(loadCanvas(skins).size(), c.canvas);
  EXPECT_EQ(skins.image(QStringLiteral("/BasicSet2.png")) != nullptr, c.otherDrawn);
  QImage canvas = test::filledCanvas({8, 8}, Qt::black);
  EXPECT_EQ(drawSkinImage(canvas, skins, QStringLiteral("/BasicSet2.png"), 0, 0), c.otherDrawn);
}

INSTANTIATE_TEST_SUITE_P(Folders, HostileSkin, ::testing::ValuesIn(kHostile), hm::test::ParamName());

// A skin name from str.ini is one folder inside Skins; anything else is the
// default skin, the Skins folder itself.
TEST(SkinFolderPath, ANameThatLeavesTheSkinsFolderIsTheDefaultSkin) {
  for (const char* name :
       {"..", ".", "../../somewhere", "../../../../etc", "/etc", "a/b", "a\\b", "Default/"})
    EXPECT_EQ(skinFolderPath("/opt/hm", QString::fromUtf8(name)), QStringLiteral("/opt/hm/Skins/")) << name;
  for (const char* name : {"Default", "..hidden", "a..b", "Crimson Red"})
    EXPECT_EQ(skinFolderPath("/opt/hm", QString::fromUtf8(name)), "/opt/hm/Skins/" + QString::fromUtf8(name));
}

}  // namespace
}  // namespace hm
