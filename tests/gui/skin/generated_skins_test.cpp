// SPDX-License-Identifier: GPL-3.0-or-later
// The skins and the factory str.ini written by the build into bin/.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <cmath>

#include "gui/skin/draw_skin_image.h"
#include "gui/skin/skin_folder.h"
#include "gui/skin/skin_images.h"
#include "gui/skin/skin_library.h"
#include "skin_test_support.h"

namespace hm {
namespace {

const QString kOutput = QStringLiteral(HM_TEST_OUTPUT_DIR);

struct ImageSize {
  const char* name;
  QSize size;
  bool atLeast = false;  // size is a minimum, not the exact size
};

// The dialogs must hold the frame: OK / Cancel up to 375 x 274, close up to 370.
constexpr QSize kDialogMinimum{376, 275};

const ImageSize kImages[] = {
    {skin::kMain, {880, 660}},
    {skin::kBasicBackground, {880, 660}, true},
    {skin::kAdvancedBackground, {880, 660}, true},
    {skin::kButtonNormal, skin::kTextButtonSize},
    {skin::kButtonOver, skin::kTextButtonSize},
    {skin::kCloseNormal, skin::kFrameButtonSize},
    {skin::kCloseOver, skin::kFrameButtonSize},
    {skin::kMinNormal, skin::kFrameButtonSize},
    {skin::kMinOver, skin::kFrameButtonSize},
    {skin::kSkinsNormal, skin::kFrameButtonSize},
    {skin::kSkinsOver, skin::kFrameButtonSize},
    {skin::kPrePageNormal, skin::kPageTabSize},
    {skin::kPrePageOver, skin::kPageTabSize},
    {skin::kNextPageNormal, skin::kPageTabSize},
    {skin::kNextPageOver, skin::kPageTabSize},
    {skin::kKeyBoxNormal, {211, 21}},  // key drop-down box 252..463 x 186..207
    {skin::kKeyBoxOver, {211, 21}},
    {"/DropdownBox.png", {85, 16}},  // LED and DPI-stage faces, 741..826 x 510..526
    {"/dropdownbox.png", {85, 16}},
    {skin::kReportRateDark, skin::kReportRateCellSize},
    {skin::kReportRateLight, skin::kReportRateCellSize},
    {skin::kDpiDark, skin::kDpiCellSize},
    {skin::kDpiLight, skin::kDpiCellSize},
    {skin::kSliderDark, skin::kSliderCellSize},
    {skin::kSliderLight, skin::kSliderCellSize},
    {skin::kPaneOff, skin::kPaneSize},
    {skin::kPaneOn, skin::kPaneSize},
    {skin::kComboKeyDialog, kDialogMinimum, true},
    {skin::kDelayTimeDialog, kDialogMinimum, true},
    {skin::kFireKeyDialog, kDialogMinimum, true},
    {skin::kMacroKeyDialog, kDialogMinimum, true},
    {skin::kMediaKeyDialog, kDialogMinimum, true},
    {skin::kSingleKeyDialog, kDialogMinimum, true},
    {skin::kWindowsKeyDialog, kDialogMinimum, true},
    {skin::kSkinsDialog, kDialogMinimum, true},
};

class GeneratedSkinTest : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override { test::app(); }
};

// At scale 2 every name stands for its "@2x" picture: twice the pixels over
// the same window area.
TEST_P(GeneratedSkinTest, HasEveryImageAtItsSizeAt1xAnd2x) {
  SkinLibrary skins(skinFolderPath(kOutput, GetParam()));
  for (int scale : {1, 2}) {
    skins.setScale(scale);
    for (const ImageSize& i : kImages) {
      const SkinImage* img = skins.image(i.name);
      ASSERT_NE(img, nullptr) << GetParam() << i.name << " @" << scale;
      EXPECT_EQ(img->image.devicePixelRatio(), scale) << GetParam() << i.name;
      const QSize logical = img->logicalSize().toSize();
      EXPECT_EQ(img->image.size(), logical * scale) << GetParam() << i.name;
      if (i.atLeast) {
        EXPECT_GE(logical.width(), i.size.width()) << GetParam() << i.name;
        EXPECT_GE(logical.height(), i.size.height()) << GetParam() << i.name;
      } else {
        EXPECT_EQ(logical, i.size) << GetParam() << i.name << " @" << scale;
      }
    }
    const QImage canvas = loadCanvas(skins, scale);
    EXPECT_EQ(canvas.size(), QSize(880, 660) * scale);
    EXPECT_EQ(canvas.deviceIndependentSize(), QSizeF(880, 660));
  }
}

// Relative luminance and contrast ratio as used for legibility checks.
double luminance(QColor c) {
  auto lin = [](double v) {
    v /= 255.0;
    return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * lin(c.red()) + 0.7152 * lin(c.green()) + 0.0722 * lin(c.blue());
}
double contrast(QColor a, QColor b) {
  const double la = luminance(a), lb = luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor factoryTextColour() {
  QFile f(kOutput + "/str.ini");
  if (!f.open(QIODevice::ReadOnly)) return {};
  const QString text = QString::fromUtf8(f.readAll());
  auto value = [&](const char* key) {
    const auto m =
        QRegularExpression(QStringLiteral("^%1=(\\d+)$").arg(key), QRegularExpression::MultilineOption)
            .match(text);
    return m.hasMatch() ? m.captured(1).toInt() : -1;
  };
  return QColor(value("RColor"), value("GColor"), value("BColor"));
}

TEST_P(GeneratedSkinTest, FactoryTextColourIsLegibleWhereTextIsDrawn) {
  SkinLibrary skins(skinFolderPath(kOutput, GetParam()));
  const QColor text = factoryTextColour();
  ASSERT_TRUE(text.isValid());
  struct Spot {
    const char* image;
    QPoint at;
  };
  const Spot spots[] = {
      {skin::kButtonNormal, {52, 10}},         {skin::kButtonOver, {52, 10}},
      {skin::kKeyBoxNormal, {100, 10}},        {skin::kKeyBoxOver, {100, 10}},
      {skin::kBasicBackground, {300, 170}},     // "Key Setting" title
      {skin::kBasicBackground, {520, 560}},     // "Select"
      {skin::kBasicBackground, {780, 405}},     // "Loop Color Setting"
      {skin::kAdvancedBackground, {90, 170}},   // "Mouse Speed"
      {skin::kAdvancedBackground, {800, 250}},  // "Start Recording"
      {skin::kBasicBackground, {357, 637}},     // web address
  };
  for (const Spot& s : spots) {
    const SkinImage* img = skins.image(s.image);
    ASSERT_NE(img, nullptr) << s.image;
    const QColor under(img->image.pixel(s.at));
    EXPECT_GE(contrast(text, under), 4.5) << GetParam() << s.image << " at " << s.at.x() << "," << s.at.y();
  }
}

// Before any page is drawn (the mouse is missing) the window shows only
// "/main.png": it must show where the skins, minimise and close buttons are.
TEST_P(GeneratedSkinTest, MainImageShowsTheFrameButtons) {
  SkinLibrary skins(skinFolderPath(kOutput, GetParam()));
  const QImage main = loadCanvas(skins);
  ASSERT_FALSE(main.isNull());
  struct Button {
    const char* image;
    QPoint at;
  };
  for (const Button& b : {Button{skin::kSkinsNormal, {701, 5}}, Button{skin::kMinNormal, {825, 5}},
                          Button{skin::kCloseNormal, {850, 5}}}) {
    QImage expected = main.copy();
    expected.fill(Qt::black);
    ASSERT_TRUE(drawSkinImage(expected, skins, QString::fromLatin1(b.image), b.at.x(), b.at.y()));
    const QRect r(b.at, skin::kFrameButtonSize);
    int same = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
      for (int x = r.left(); x <= r.right(); ++x) same += main.pixel(x, y) == expected.pixel(x, y) ? 1 : 0;
    // The button's own (opaque) pixels are there; the corners show the frame.
    EXPECT_GE(same, r.width() * r.height() / 2) << GetParam() << b.image;
  }
}

INSTANTIATE_TEST_SUITE_P(Skins, GeneratedSkinTest, ::testing::Values("Default", "Crimson"));

TEST(FactoryStrIni, NamesTheDefaultSkinInUtf8WithLineFeeds) {
  QFile f(kOutput + "/str.ini");
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  const QByteArray bytes = f.readAll();
  EXPECT_FALSE(bytes.contains('\r'));
  EXPECT_TRUE(bytes.startsWith("[Skins]\n"));
  EXPECT_TRUE(bytes.contains("\nPath=Default\n"));
  const QColor c = factoryTextColour();
  for (int v : {c.red(), c.green(), c.blue()}) {
    EXPECT_GE(v, 0);
    EXPECT_LE(v, 255);
  }
  EXPECT_TRUE(QDir(kOutput + "/Skins/Default").exists());
}

TEST(FactoryStrIni, EverySkinFolderIsComplete) {
  const QStringList folders = QDir(kOutput + "/Skins").entryList(QDir::Dirs | QDir::NoDotAndDotDot);
  EXPECT_GE(folders.size(), 2);
  for (const QString& name : folders) {
    SkinLibrary skins(skinFolderPath(kOutput, name));
    EXPECT_NE(skins.image(skin::kMain), nullptr) << name.toStdString();
  }
}

}  // namespace
}  // namespace hm
