// SPDX-License-Identifier: GPL-3.0-or-later
// Hit tests, states and redraws of the skinned controls, CMemDC and text.
#include <gtest/gtest.h>

#include <QListWidget>
#include <QSignalSpy>
#include <QWidget>
#include <array>

#include "gui/skin/skin_controls.h"
#include "gui/skin/skin_library.h"
#include "skin_test_support.h"

namespace hm {
namespace {

using test::SkinDir;

constexpr QRgb kMarker = qRgb(1, 2, 3);
constexpr QRgb kNormal = qRgb(255, 0, 0);
constexpr QRgb kOver = qRgb(0, 255, 0);
constexpr QRgb kDark = qRgb(10, 10, 10);
constexpr QRgb kLight = qRgb(250, 250, 0);
constexpr QRgb kPaneOff = qRgb(0, 0, 200);
constexpr QRgb kPaneOn = qRgb(0, 200, 0);

// A skin of solid images so each state shows as one colour.
class ControlsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.valid());
    solid(skin::kButtonNormal, skin::kTextButtonSize, kNormal);
    solid(skin::kButtonOver, skin::kTextButtonSize, kOver);
    solid(skin::kKeyBoxNormal, {211, 21}, kNormal);
    solid(skin::kKeyBoxOver, {211, 21}, kOver);
    solid(skin::kReportRateDark, skin::kReportRateCellSize, kDark);
    solid(skin::kReportRateLight, skin::kReportRateCellSize, kLight);
    solid(skin::kDpiDark, skin::kDpiCellSize, kDark);
    solid(skin::kDpiLight, skin::kDpiCellSize, kLight);
    solid(skin::kPaneOff, skin::kPaneSize, kPaneOff);
    solid(skin::kPaneOn, skin::kPaneSize, kPaneOn);
    skins_.setSkinFolder(dir_.path());
    style_.skins = &skins_;
    style_.textColor = QColor(255, 255, 255);
    style_.fonts = SkinFonts::forLanguage(Language::English);
    canvas_ = test::filledCanvas({880, 660}, QColor(kMarker));
  }
  void solid(const char* name, QSize size, QRgb color) {
    dir_.writeSolid(QString::fromLatin1(name + 1), size, QColor(color), false);
  }
  QRgb at(QPoint p) const { return canvas_.pixel(p); }
  // Whether every pixel of r has colour c.
  bool filled(const QRect& r, QRgb c) const {
    for (int y = r.top(); y <= r.bottom(); ++y) {
      for (int x = r.left(); x <= r.right(); ++x) {
        if (canvas_.pixel(x, y) != c) return false;
      }
    }
    return true;
  }
  bool anyPixel(const QRect& r, QRgb c) const {
    for (int y = r.top(); y <= r.bottom(); ++y) {
      for (int x = r.left(); x <= r.right(); ++x) {
        if (canvas_.pixel(x, y) == c) return true;
      }
    }
    return false;
  }

  SkinDir dir_;
  SkinLibrary skins_;
  SkinStyle style_;
  QImage canvas_;
};

// ---- rectangles ----

TEST(Rectangles, RightAndBottomEdgesAreOutside) {
  const QRect ok = ltrb(513, 609, 618, 630);
  EXPECT_EQ(ok.width(), 105);
  EXPECT_EQ(ok.height(), 21);
  struct Case {
    QPoint p;
    bool in;
  };
  const Case cases[] = {
      {{513, 609}, true},  {{617, 629}, true},  {{618, 609}, false}, {{513, 630}, false},
      {{512, 620}, false}, {{600, 608}, false}, {{600, 630}, false},  // y = 630 is below OK
  };
  for (const auto& c : cases) {
    EXPECT_EQ(inside(ok, c.p), c.in) << c.p.x() << "," << c.p.y();
    EXPECT_EQ(SkinButton::textButton({513, 609}, "OK").contains(c.p), c.in) << c.p.x() << "," << c.p.y();
  }
}

TEST(Rectangles, EmptyRectangleContainsNothing) {
  EXPECT_FALSE(inside(ltrb(5, 5, 5, 9), {5, 6}));
  EXPECT_FALSE(inside(ltrb(5, 5, 9, 5), {6, 5}));
}

// ---- image buttons ----

TEST_F(ControlsTest, ButtonShowsItsStateAndText) {
  SkinButton b = SkinButton::textButton({513, 609}, "Apply", 1);
  {
    CMemDC dc(nullptr, canvas_);
    b.draw(dc, style_);
  }
  EXPECT_EQ(at({513, 609}), kNormal);
  EXPECT_TRUE(anyPixel(b.rect, qRgb(255, 255, 255)));                     // the text
  EXPECT_FALSE(anyPixel(ltrb(513, 609, 540, 630), qRgb(255, 255, 255)));  // centred, not at the left
  EXPECT_TRUE(b.setHighlighted(true));
  EXPECT_FALSE(b.setHighlighted(true));
  {
    CMemDC dc(nullptr, canvas_);
    b.draw(dc, style_);
  }
  EXPECT_EQ(at({513, 609}), kOver);
  EXPECT_EQ(at({617, 629}), kOver);
  EXPECT_EQ(at({618, 609}), kMarker);
}

TEST_F(ControlsTest, ButtonWithoutOverImageStaysNormal) {
  SkinButton b = SkinButton::textButton({10, 10}, "");
  b.overImage.clear();
  b.highlighted = true;
  CMemDC dc(nullptr, canvas_);
  b.draw(dc, style_);
  EXPECT_EQ(at({10, 10}), kNormal);
}

// ---- drop-down boxes ----

class DropDownTest : public ControlsTest {
 protected:
  void SetUp() override {
    ControlsTest::SetUp();
    parent_.resize(880, 660);
    for (int k = 0; k < 3; ++k) {
      boxes_[k] = std::make_unique<SkinDropDown>(&parent_, 41 + k, ltrb(252, 186 + 23 * k, 463, 207 + 23 * k),
                                                 ltrb(252, 208 + 23 * k, 463, 478 + 23 * k),
                                                 skin::kKeyBoxNormal, skin::kKeyBoxOver,
                                                 QStringList{"Left Click", "Right Click", "Mid Click"});
      group_[k] = boxes_[k].get();
    }
  }
  SkinDropDown& box(int k) { return *boxes_[k]; }

  QWidget parent_;
  std::array<std::unique_ptr<SkinDropDown>, 3> boxes_;
  std::array<SkinDropDown*, 3> group_{};
};

TEST_F(DropDownTest, OpenCreatesTheChildListWithItsItems) {
  EXPECT_EQ(box(0).list(), nullptr);
  box(0).open();
  ASSERT_TRUE(box(0).isOpen());
  QListWidget* list = box(0).list();
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->parentWidget(), &parent_);
  EXPECT_EQ(list->geometry(), ltrb(252, 208, 463, 478));
  ASSERT_EQ(list->count(), 3);
  EXPECT_EQ(list->item(2)->text(), "Mid Click");
  EXPECT_EQ(list->currentRow(), -1);
  EXPECT_EQ(box(0).windowStyle, 0x50800001u);
}

TEST_F(DropDownTest, CloseDestroysTheListAndToggleAlternates) {
  box(0).open();
  QPointer<QListWidget> list = box(0).list();
  box(0).close();
  EXPECT_FALSE(box(0).isOpen());
  EXPECT_EQ(box(0).list(), nullptr);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(list.isNull());
  box(0).toggle();
  EXPECT_TRUE(box(0).isOpen());
  EXPECT_NE(box(0).list(), nullptr);
  box(0).toggle();
  EXPECT_FALSE(box(0).isOpen());
  box(0).close();  // closing a closed box is harmless
  EXPECT_FALSE(box(0).isOpen());
}

TEST_F(DropDownTest, OpeningASecondBoxClosesTheFirstAndClickingTheFirstReopensIt) {
  EXPECT_TRUE(box(0).clickBox(group_));
  EXPECT_TRUE(box(1).clickBox(group_));
  EXPECT_FALSE(box(0).isOpen());
  EXPECT_TRUE(box(1).isOpen());
  EXPECT_TRUE(box(0).clickBox(group_));
  EXPECT_TRUE(box(0).isOpen());
  EXPECT_FALSE(box(1).isOpen());
  // A click on the open box closes it.
  EXPECT_FALSE(box(0).clickBox(group_));
  EXPECT_FALSE(box(0).isOpen());
}

TEST_F(DropDownTest, RefusingGuardOpensNothingButStillClosesTheOther) {
  box(1).open();
  int guardRuns = 0;
  EXPECT_FALSE(box(0).clickBox(group_, [&] {
    ++guardRuns;
    return false;
  }));
  EXPECT_EQ(guardRuns, 1);
  EXPECT_FALSE(box(0).isOpen());
  EXPECT_EQ(box(0).list(), nullptr);
  EXPECT_FALSE(box(1).isOpen());
}

TEST_F(DropDownTest, ClicksOutsideBoxAndListCloseIt) {
  struct Case {
    const char* what;
    QPoint p;
    bool staysOpen;
  };
  const Case cases[] = {
      {"inside the list", {300, 300}, true}, {"inside the box", {252, 186}, true},
      {"last list pixel", {462, 477}, true}, {"right of the list", {463, 300}, false},
      {"below the list", {300, 478}, false}, {"far away", {10, 10}, false},
  };
  for (const auto& c : cases) {
    box(0).open();
    EXPECT_EQ(closeListsNotHit(group_, c.p), c.staysOpen ? 0 : 1) << c.what;
    EXPECT_EQ(box(0).isOpen(), c.staysOpen) << c.what;
    box(0).close();
  }
}

TEST_F(DropDownTest, ChoicesArriveWithTheListIdentifier) {
  box(2).open();
  QSignalSpy changed(&box(2), &SkinDropDown::selectionChanged);
  QSignalSpy doubled(&box(2), &SkinDropDown::doubleClicked);
  box(2).list()->setCurrentRow(1);
  ASSERT_EQ(changed.count(), 1);
  EXPECT_EQ(changed.at(0).at(0).toInt(), 43);
  EXPECT_EQ(changed.at(0).at(1).toInt(), 1);
  emit box(2).list()->itemDoubleClicked(box(2).list()->item(2));
  ASSERT_EQ(doubled.count(), 1);
  EXPECT_EQ(doubled.at(0).at(0).toInt(), 43);
  EXPECT_EQ(doubled.at(0).at(1).toInt(), 2);
}

TEST_F(DropDownTest, ClosingFromTheChoiceHandlerIsSafe) {
  box(0).open();
  QObject::connect(&box(0), &SkinDropDown::selectionChanged, &parent_, [this](int, int) { box(0).close(); });
  box(0).list()->setCurrentRow(0);
  EXPECT_FALSE(box(0).isOpen());
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  box(0).open();
  EXPECT_EQ(box(0).list()->count(), 3);
}

TEST(DropDownLifetime, BoxAndWindowMayEndInEitherOrder) {
  test::app();
  for (bool windowFirst : {true, false}) {
    auto window = std::make_unique<QWidget>();
    auto box = std::make_unique<SkinDropDown>(window.get(), 63, ltrb(766, 329, 851, 344),
                                              ltrb(766, 347, 851, 407), skin::kSmallBox);
    box->items = {"Standard Mode", "Respiration Mode", "Neon Mode"};
    box->open();
    ASSERT_NE(box->list(), nullptr);
    if (windowFirst) {
      window.reset();
      EXPECT_EQ(box->list(), nullptr);  // the list went with its window
      box->close();
      box.reset();
    } else {
      box.reset();
      QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
      EXPECT_TRUE(window->findChildren<QListWidget*>().isEmpty());
      window.reset();
    }
  }
}

TEST_F(DropDownTest, BoxDrawsImageIndexAndCaption) {
  box(0).indexText = "1";
  box(0).caption = "Left Click";
  {
    CMemDC dc(nullptr, canvas_);
    box(0).draw(dc, style_);
  }
  EXPECT_EQ(at({252, 186}), kNormal);
  EXPECT_TRUE(anyPixel(ltrb(252, 186, 272, 207), qRgb(255, 255, 255)));   // index
  EXPECT_TRUE(anyPixel(ltrb(272, 186, 340, 207), qRgb(255, 255, 255)));   // caption
  EXPECT_FALSE(anyPixel(ltrb(400, 186, 463, 207), qRgb(255, 255, 255)));  // left aligned
  box(0).setHighlighted(true);
  {
    CMemDC dc(nullptr, canvas_);
    box(0).draw(dc, style_);
  }
  EXPECT_EQ(at({252, 186}), kOver);
}

// ---- radio cells ----

TEST_F(ControlsTest, ReselectingTheCurrentCellChangesNothing) {
  SkinCellSelector cells;
  cells.cells = {ltrb(542, 204, 612, 215), ltrb(614, 204, 684, 215), ltrb(686, 204, 756, 215),
                 ltrb(758, 204, 828, 215)};
  cells.darkImage = skin::kReportRateDark;
  cells.lightImage = skin::kReportRateLight;
  cells.selected = 3;
  {
    CMemDC dc(nullptr, canvas_);
    cells.draw(dc, style_);
  }
  EXPECT_TRUE(filled(cells.cells[3], kLight));
  EXPECT_TRUE(filled(cells.cells[0], kDark));
  canvas_.fill(QColor(kMarker));
  {
    CMemDC dc(nullptr, canvas_);
    EXPECT_FALSE(cells.select(3, dc, style_));
  }
  EXPECT_TRUE(filled(ltrb(540, 200, 830, 220), kMarker));
  {
    CMemDC dc(nullptr, canvas_);
    EXPECT_TRUE(cells.select(0, dc, style_));
  }
  EXPECT_EQ(cells.selected, 0);
  EXPECT_TRUE(filled(cells.cells[0], kLight));
  EXPECT_TRUE(filled(cells.cells[3], kDark));
  EXPECT_TRUE(filled(cells.cells[1], kMarker));  // only the two cells are redrawn
  EXPECT_FALSE(cells.select(4));
  EXPECT_FALSE(cells.select(-1));
  EXPECT_EQ(cells.selected, 0);
  EXPECT_EQ(cells.hit({612, 210}), -1);  // the gap between cells 1 and 2
  EXPECT_EQ(cells.hit({614, 204}), 1);
  EXPECT_EQ(cells.hit({827, 214}), 3);
}

// ---- level bars ----

struct LevelCase {
  const char* what;
  int count;
  int level;
  bool lit;
};

class LevelBarTest : public ControlsTest, public ::testing::WithParamInterface<LevelCase> {};

TEST_P(LevelBarTest, LightsLevelsOneToNAndOnlyTheCountsCells) {
  const auto& c = GetParam();
  SkinLevelBar bar;
  bar.origin = ltrb(581, 518, 597, 534);
  bar.step = {0, -18};
  bar.count = c.count;
  bar.unlitImage = skin::kDpiDark;
  bar.litImage = skin::kDpiLight;
  bar.setLevel(c.level);
  {
    CMemDC dc(nullptr, canvas_);
    bar.draw(dc, style_, c.lit);
  }
  for (int n = 1; n <= 12; ++n) {
    const QRect cell = ltrb(581, 518 - 18 * (n - 1), 597, 534 - 18 * (n - 1));
    const QRgb expected = n > c.count ? kMarker : (c.lit && n <= c.level ? kLight : kDark);
    EXPECT_TRUE(filled(cell, expected)) << c.what << ", level " << n;
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, LevelBarTest,
                         ::testing::Values(LevelCase{"level = count lights every cell", 12, 12, true},
                                           LevelCase{"level 1 lights only the bottom cell", 12, 1, true},
                                           LevelCase{"an 8-level scale leaves 9..12 alone", 8, 5, true},
                                           LevelCase{"owner off: all unlit", 12, 7, false}));

TEST(LevelBar, CellGeometryHitsAndClamping) {
  SkinLevelBar bar;
  bar.origin = ltrb(52, 200, 76, 211);
  bar.step = {24, 0};
  bar.count = 11;
  EXPECT_EQ(bar.cellRect(11), ltrb(292, 200, 316, 211));
  struct Case {
    QPoint p;
    int level;
  };
  const Case cases[] = {{{52, 200}, 1},  {{75, 210}, 1}, {{76, 200}, 2}, {{315, 210}, 11},
                        {{316, 200}, 0}, {{52, 211}, 0}, {{51, 205}, 0}};
  for (const auto& c : cases) EXPECT_EQ(bar.hit(c.p), c.level) << c.p.x() << "," << c.p.y();
  bar.setLevel(0);
  EXPECT_EQ(bar.level, 1);
  bar.setLevel(99);
  EXPECT_EQ(bar.level, 11);
}

TEST(LevelBar, UpwardColumnHasGapsBetweenCells) {
  SkinLevelBar bar;
  bar.origin = ltrb(554, 518, 570, 534);
  bar.step = {0, -18};
  bar.count = 12;
  EXPECT_EQ(bar.hit({554, 533}), 1);
  EXPECT_EQ(bar.hit({554, 516}), 0);
  EXPECT_EQ(bar.hit({569, 500}), 2);
  EXPECT_EQ(bar.hit({560, 320}), 12);
  EXPECT_EQ(bar.hit({560, 319}), 0);
}

// ---- check panes ----

TEST_F(ControlsTest, PaneToggledTwiceRestoresPictureAndValue) {
  SkinPane pane;
  pane.rect = ltrb(554, 541, 570, 557);
  {
    CMemDC dc(nullptr, canvas_);
    pane.draw(dc, style_);
  }
  const QImage before = canvas_.copy();
  {
    CMemDC dc(nullptr, canvas_);
    EXPECT_TRUE(pane.toggle(dc, style_));
  }
  EXPECT_TRUE(pane.on);
  EXPECT_TRUE(filled(pane.rect, kPaneOn));
  {
    CMemDC dc(nullptr, canvas_);
    EXPECT_TRUE(pane.toggle(dc, style_));
  }
  EXPECT_FALSE(pane.on);
  EXPECT_EQ(canvas_, before);
}

TEST_F(ControlsTest, RefusedToggleChangesNeitherValueNorPicture) {
  SkinPane pane;
  pane.rect = ltrb(51, 255, 67, 271);
  pane.on = true;
  std::vector<bool> asked;
  pane.refuse = [&](bool newValue) {
    asked.push_back(newValue);
    return !newValue;  // may not be switched off
  };
  {
    CMemDC dc(nullptr, canvas_);
    EXPECT_FALSE(pane.toggle(dc, style_));
  }
  EXPECT_TRUE(pane.on);
  EXPECT_TRUE(filled(pane.rect, kMarker));
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_FALSE(asked[0]);
  pane.on = false;
  EXPECT_TRUE(pane.toggle());
  EXPECT_TRUE(pane.on);
}

// ---- CMemDC and the canvas on screen ----

class CanvasWidget : public QWidget {
 public:
  QImage canvas;
  int paints = 0;

 protected:
  void paintEvent(QPaintEvent*) override {
    ++paints;
    CMemDC dc(this, canvas);  // inside the paint event: shows the canvas
  }
};

TEST_F(ControlsTest, DrawingThroughCMemDCReachesTheWindow) {
  CanvasWidget w;
  w.resize(40, 30);
  w.canvas = test::filledCanvas({40, 30}, Qt::black);
  {
    CMemDC dc(&w, w.canvas);
    dc.painter().fillRect(QRect(5, 5, 10, 10), Qt::red);
  }
  const QImage shown = w.grab().toImage().convertToFormat(QImage::Format_RGB32);
  EXPECT_EQ(shown.pixel(6, 6), qRgb(255, 0, 0));
  EXPECT_EQ(shown.pixel(20, 20), qRgb(0, 0, 0));
  EXPECT_GE(w.paints, 1);
  const int paints = w.paints;
  QCoreApplication::processEvents();
  EXPECT_LE(w.paints, paints + 1);  // no repaint loop
}

TEST(CMemDC, WithoutCanvasNothingIsDrawn) {
  test::app();
  QImage none;
  CMemDC dc(nullptr, none);
  EXPECT_FALSE(dc.active());
  drawSkinText(dc.painter(), ltrb(0, 0, 10, 10), "x", kTextCenter, QFont(), Qt::white);
  EXPECT_TRUE(none.isNull());
}

// ---- text ----

TEST(SkinText, FormatsMapToAlignment) {
  struct Case {
    int format;
    int flags;
  };
  const Case cases[] = {
      {kTextLeftTop, Qt::AlignLeft | Qt::AlignTop},
      {kTextCenterTop, Qt::AlignHCenter | Qt::AlignTop},
      {kTextLeftVCenter, Qt::AlignLeft | Qt::AlignVCenter},
      {kTextCenter, Qt::AlignHCenter | Qt::AlignVCenter},
      {kTextRightVCenter, Qt::AlignRight | Qt::AlignVCenter},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(textFormatFlags(c.format), c.flags | Qt::TextSingleLine) << std::hex << c.format;
  }
}

TEST(SkinText, LongTextIsClippedToItsRectangle) {
  test::app();
  const SkinFonts fonts = SkinFonts::forLanguage(Language::English);
  for (int format : {kTextLeftVCenter, kTextCenter, kTextRightVCenter, kTextLeftTop}) {
    QImage canvas = test::filledCanvas({300, 40}, Qt::black);
    {
      CMemDC dc(nullptr, canvas);
      drawSkinText(dc.painter(), ltrb(100, 10, 160, 30), "A text much wider than its box", format,
                   fonts.normal, Qt::white);
    }
    int inside = 0, outside = 0;
    for (int y = 0; y < 40; ++y) {
      for (int x = 0; x < 300; ++x) {
        if (canvas.pixel(x, y) == qRgb(0, 0, 0)) continue;
        (x >= 100 && x < 160 && y >= 10 && y < 30 ? inside : outside)++;
      }
    }
    EXPECT_GT(inside, 0) << std::hex << format;
    EXPECT_EQ(outside, 0) << std::hex << format;
  }
}

TEST(SkinText, ColourKeepsTheLowEightBits) {
  struct Case {
    long value;
    int channel;
  };
  const Case cases[] = {{300, 44}, {255, 255}, {256, 0}, {0, 0}, {-1, 255}};
  for (const auto& c : cases) {
    EXPECT_EQ(skinTextColor(c.value, 0, 0).red(), c.channel) << c.value;
    EXPECT_EQ(skinTextColor(0, c.value, 0).green(), c.channel) << c.value;
    EXPECT_EQ(skinTextColor(0, 0, c.value).blue(), c.channel) << c.value;
  }
}

TEST(SkinText, FontsByLanguage) {
  test::app();
  struct Case {
    Language language;
    const char* normal;
    const char* title;
    int normalCell;
  };
  const Case cases[] = {
      {Language::English, "Arial", "Tahoma", 14},
      {Language::SimplifiedChinese, "宋体", "宋体", 13},
      {Language::TraditionalChinese, "黑体", "黑体", 13},
  };
  for (const auto& c : cases) {
    const SkinFonts f = SkinFonts::forLanguage(c.language);
    EXPECT_EQ(f.normal.family(), QString::fromUtf8(c.normal));
    EXPECT_EQ(f.title.family(), QString::fromUtf8(c.title));
    EXPECT_EQ(f.normal.weight(), QFont::Normal);
    EXPECT_EQ(f.title.weight(), QFont::Bold);
    EXPECT_LE(QFontMetrics(f.normal).height(), c.normalCell);
    EXPECT_LE(QFontMetrics(f.title).height(), 18);
    EXPECT_GE(f.normal.pixelSize(), c.normalCell * 2 / 3);
  }
}

// ---- colour swatches ----

TEST(ColorSwatch, PaintsItsColourAndLetsClicksThrough) {
  test::app();
  QWidget parent;
  parent.resize(200, 100);
  ColorSwatch swatch(&parent, 75, ltrb(703, 20, 719, 36).translated(-600, 0), QColor(10, 200, 30));
  EXPECT_EQ(swatch.identifier(), 75);
  EXPECT_EQ(swatch.geometry(), ltrb(103, 20, 119, 36));
  EXPECT_TRUE(swatch.testAttribute(Qt::WA_TransparentForMouseEvents));
  EXPECT_TRUE(swatch.contains({118, 35}));
  EXPECT_FALSE(swatch.contains({119, 35}));
  QImage shown = swatch.grab().toImage().convertToFormat(QImage::Format_RGB32);
  EXPECT_EQ(shown.pixel(8, 8), qRgb(10, 200, 30));
  swatch.setColor(QColor(1, 2, 3));
  shown = swatch.grab().toImage().convertToFormat(QImage::Format_RGB32);
  EXPECT_EQ(shown.pixel(0, 0), qRgb(1, 2, 3));
}

}  // namespace
}  // namespace hm
