// The skin folder, case-insensitive image names and the image cache.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QStringList>

#include "gui/skin/draw_skin_image.h"
#include "gui/skin/skin_folder.h"
#include "gui/skin/skin_library.h"
#include "skin_test_support.h"

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
