// SPDX-License-Identifier: GPL-3.0-or-later
// The frame all seven dialogs share: background sizing, the "error" box when
// the background is missing (OK / Cancel still work by position), OK /
// Cancel / close by position, hover images, the standard keys.
#include <gtest/gtest.h>

#include <QDir>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <memory>
#include <utility>
#include <vector>

#include "dialog_test_support.h"
#include "gui/dialogs/choice_dialogs.h"
#include "gui/dialogs/combo_dialog.h"
#include "gui/dialogs/delay_time_dialog.h"
#include "gui/dialogs/dialog_layout.h"
#include "gui/dialogs/fire_key_dialog.h"
#include "gui/dialogs/macro_dialog.h"
#include "gui/dialogs/single_dialog.h"

namespace hm {
namespace {

// Whether the window as shown has the thin border all round and the
// picture just inside it.
void expectThinBorder(QWidget& d, QColor inside) {
  const QImage shot = d.grab().toImage();
  const QColor border = QColor::fromRgb(dlg::kBorderColor);
  const int w = shot.width(), h = shot.height();
  for (QPoint edge : {QPoint(0, 0), QPoint(w / 2, 0), QPoint(w - 1, h / 2), QPoint(w / 2, h - 1),
                      QPoint(0, h / 2), QPoint(w - 1, h - 1)})
    EXPECT_EQ(test::pixel(shot, edge), border) << edge.x() << "," << edge.y();
  EXPECT_EQ(test::pixel(shot, {1, h / 2}), inside);
}

using test::kButtonNormalColor;
using test::kButtonOverColor;

struct DialogKind {
  const char* name;
  const char* background;  // file name in the skin folder
  const char* caption;
  bool escapeCancels;
  std::function<std::unique_ptr<CSkinDialog>(const DialogEnv&)> make;
  QRect listBox = {};  // the box that opens the dialog's list, if it has one
};

const std::vector<DialogKind>& kinds() {
  static const std::vector<DialogKind> k = {
      {"single", "single-key.png", "Single Key Dialog Load background image failed!!!", false,
       [](const DialogEnv& e) { return std::make_unique<CSingleDialog>(e); }},
      {"combo", "combo-key.png", "Combo Dialog Load background image failed!!!", false,
       [](const DialogEnv& e) { return std::make_unique<CComboDialog>(e); }, dlg::kComboModifierBox},
      {"fire", "fire-key.png", "FireKey Dialog Load background image failed!!!", true,
       [](const DialogEnv& e) { return std::make_unique<CFireKeyDialog>(e); }, dlg::kFireBox},
      {"delay", "delay-time.png", "DelayTime Dialog Load background image failed!!!", true,
       [](const DialogEnv& e) { return std::make_unique<CDelayTimeDialog>(e); }},
      {"media", "media-key.png", "Media Dialog Load background image failed!!!", true,
       [](const DialogEnv& e) { return std::make_unique<CMediaDialog>(e); }, dlg::kChoiceBox},
      {"windows", "windows-key.png", "Windows Dialog Load background image failed!!!", true,
       [](const DialogEnv& e) { return std::make_unique<CWindowsDialog>(e); }, dlg::kChoiceBox},
      {"macro", "macro-key.png", "Macro Key Dialog Load background image failed!!!", true,
       [](const DialogEnv& e) { return std::make_unique<CMacroDialog>(e, "/nonexistent/record.ini"); },
       dlg::kMacroBox},
  };
  return k;
}

class DialogFrame : public ::testing::Test {
 protected:
  test::TestSkin skin;
  test::RecordingSink sink;
  DialogEnv env{skin.library, sink, Language::English, QColor(0, 255, 0)};
};

TEST_F(DialogFrame, BackgroundSizesTheDialogAndNothingIsReported) {
  for (const DialogKind& k : kinds()) {
    SCOPED_TRACE(k.name);
    auto d = k.make(env);
    d->show();
    EXPECT_TRUE(d->backgroundLoaded());
    EXPECT_EQ(d->size(), QSize(test::kDialogWidth, test::kDialogHeight));
    EXPECT_EQ(test::pixel(d->canvas(), {5, 100}), test::kBackgroundColor);
    EXPECT_EQ(test::pixel(d->canvas(), dlg::kOkRect.topLeft() + QPoint(1, 1)), kButtonNormalColor);
    EXPECT_EQ(test::pixel(d->canvas(), dlg::kCloseRect.center()), test::kCloseNormalColor);
    EXPECT_TRUE(sink.messages.empty());
    expectThinBorder(*d, test::kBackgroundColor);
  }
}

TEST_F(DialogFrame, MissingBackgroundSaysErrorAndLeavesAnEmptyDialogWhoseButtonsStillWork) {
  for (const DialogKind& k : kinds()) {
    SCOPED_TRACE(k.name);
    test::TestSkin broken;
    broken.remove(k.background);
    test::RecordingSink s;
    const DialogEnv e{broken.library, s, Language::English, QColor(0, 255, 0)};
    for (QPoint where : {dlg::kOkRect.center(), dlg::kCancelRect.center(), dlg::kCloseRect.center()}) {
      s.messages.clear();
      auto d = k.make(e);
      d->setResult(-1);
      d->show();
      ASSERT_EQ(s.messages.size(), 1u);
      EXPECT_EQ(s.messages[0], (test::Message{"error", k.caption}));
      EXPECT_FALSE(d->backgroundLoaded());
      EXPECT_TRUE(d->findChildren<QWidget*>().isEmpty());
      EXPECT_FALSE(d->capturing());
      expectThinBorder(*d, d->palette().color(QPalette::Window));
      test::clickAt(d.get(), where);
      EXPECT_FALSE(d->isVisible());
      EXPECT_EQ(d->result(), where == dlg::kOkRect.center() ? QDialog::Accepted : QDialog::Rejected);
    }
  }
}

TEST_F(DialogFrame, OkCancelAndCloseEndTheDialogByPosition) {
  struct Case {
    QPoint at;
    int result;
  };
  // Edge pixels: x 270 belongs to OK (tested first), x 375 / y 274 are outside.
  const Case cases[] = {{{166, 253}, QDialog::Accepted}, {{270, 263}, QDialog::Accepted},
                        {{271, 263}, QDialog::Rejected}, {{374, 273}, QDialog::Rejected},
                        {{352, 6}, QDialog::Rejected},   {{369, 23}, QDialog::Rejected}};
  for (const DialogKind& k : kinds()) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(k.name) + " at " + std::to_string(c.at.x()) + "," + std::to_string(c.at.y()));
      auto d = k.make(env);
      d->setResult(-1);
      d->show();
      test::clickAt(d.get(), c.at);
      EXPECT_FALSE(d->isVisible());
      EXPECT_EQ(d->result(), c.result);
    }
    SCOPED_TRACE(k.name);
    auto d = k.make(env);
    d->show();
    for (QPoint miss : {QPoint(375, 263), QPoint(200, 274), QPoint(370, 10), QPoint(165, 260)}) {
      test::clickAt(d.get(), miss);
      EXPECT_TRUE(d->isVisible());
    }
  }
}

// The highlight follows the hover delay's timer; a loaded machine may fire it
// late, so the test waits for it (bounded) instead of for a fixed time.
TEST_F(DialogFrame, HoverHighlightsOneOfOkAndCancelAfterTheDelay) {
  constexpr int kHoverWaitMs = 5000;
  CSingleDialog d(env);
  d.show();
  const QPoint ok = dlg::kOkRect.center(), cancel = dlg::kCancelRect.center();
  test::moveTo(&d, ok);
  EXPECT_FALSE(d.okHot());  // only after the hover delay
  EXPECT_TRUE(QTest::qWaitFor([&] { return d.okHot(); }, kHoverWaitMs));
  // Corner pixels lie off the centred button texts.
  const QPoint okCorner = dlg::kOkRect.topLeft() + QPoint(2, 2);
  const QPoint cancelCorner = dlg::kCancelRect.bottomRight() - QPoint(2, 2);
  EXPECT_EQ(test::pixel(d.canvas(), okCorner), kButtonOverColor);

  // Straight from OK onto Cancel: the highlight moves.
  test::moveTo(&d, cancel);
  EXPECT_TRUE(QTest::qWaitFor([&] { return d.cancelHot(); }, kHoverWaitMs));
  EXPECT_FALSE(d.okHot());
  EXPECT_EQ(test::pixel(d.canvas(), cancelCorner), kButtonOverColor);
  EXPECT_EQ(test::pixel(d.canvas(), okCorner), kButtonNormalColor);

  test::moveTo(&d, dlg::kCloseRect.center());
  EXPECT_TRUE(QTest::qWaitFor([&] { return d.closeHot(); }, kHoverWaitMs));
  EXPECT_EQ(test::pixel(d.canvas(), dlg::kCloseRect.center()), test::kCloseOverColor);

  test::moveTo(&d, {10, 10});
  EXPECT_FALSE(d.okHot() || d.cancelHot() || d.closeHot());
  EXPECT_EQ(test::pixel(d.canvas(), cancelCorner), kButtonNormalColor);
  EXPECT_EQ(test::pixel(d.canvas(), dlg::kCloseRect.center()), test::kCloseNormalColor);
}

TEST_F(DialogFrame, EscapeCancelsOnlyTheDialogsThatDoNotCaptureKeys) {
  for (const DialogKind& k : kinds()) {
    SCOPED_TRACE(k.name);
    auto d = k.make(env);
    d->setResult(-1);
    d->show();
    test::tapKey(d.get(), Qt::Key_Escape, 1);
    if (k.escapeCancels) {
      EXPECT_FALSE(d->isVisible());
      EXPECT_EQ(d->result(), QDialog::Rejected);
    } else {
      EXPECT_TRUE(d->isVisible());
      test::tapKey(d.get(), Qt::Key_Return, 28);
      EXPECT_TRUE(d->isVisible());
    }
  }
}

// The static texts, key and number boxes and the open list all use the
// dialog's font, whatever the application's default font is.
TEST_F(DialogFrame, ChildControlsUseTheDialogFontNotTheApplicationDefault) {
  const QFont appFont = QApplication::font();
  QApplication::setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  for (const DialogKind& k : kinds()) {
    SCOPED_TRACE(k.name);
    auto d = k.make(env);
    d->show();
    if (!k.listBox.isNull()) test::clickAt(d.get(), k.listBox.topLeft() + QPoint(k.listBox.width() - 3, 3));
    const QFontInfo want(d->dialogFont());
    ASSERT_NE(want.family(), QFontInfo(QApplication::font()).family());
    int controls = 0;
    for (QWidget* w : d->findChildren<QWidget*>()) {
      if (!qobject_cast<QLabel*>(w) && !qobject_cast<QLineEdit*>(w) && !qobject_cast<QListWidget*>(w))
        continue;
      ++controls;
      const QFontInfo got(w->font());
      EXPECT_EQ(got.family(), want.family()) << w->objectName().toStdString();
      EXPECT_EQ(got.pixelSize(), want.pixelSize()) << w->objectName().toStdString();
    }
    EXPECT_GT(controls, 0);
    if (!k.listBox.isNull()) {
      EXPECT_NE(d->findChild<QListWidget*>(), nullptr);
    }
  }
  QApplication::setFont(appFont);
}

// The program's own skins size every dialog by its background, so each
// background must hold the dialog's frame and all of its own regions, open
// lists and painted texts included.
TEST(GeneratedSkins, EveryDialogBackgroundHoldsAllOfItsRegions) {
  test::app();
  using Rects = std::vector<QRect>;
  const Rects frame = {dlg::kOkRect, dlg::kCancelRect, dlg::kCloseRect};
  const std::vector<std::pair<const char*, Rects>> regions = {
      {"single", {dlg::kSingleKeyName, dlg::kSinglePrompt}},
      {"combo", {dlg::kComboModifierList, dlg::kComboKey1, dlg::kComboKey2}},
      {"fire", {dlg::kFireList, dlg::kFireHeading, dlg::kFireSpeedNote, dlg::kFireTimesNote}},
      {"delay", {dlg::kDelayBox, dlg::kDelayPrompt, dlg::kDelayNote}},
      {"media", {dlg::kMediaList}},
      {"windows", {dlg::kWindowsList}},
      {"macro",
       {dlg::kMacroList, dlg::kMacroPrompt, dlg::kRepeatText[0], dlg::kRepeatText[1], dlg::kRepeatText[2]}},
  };
  const QDir skins(QStringLiteral(HM_TEST_OUTPUT_DIR "/Skins"));
  const QStringList folders = skins.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
  ASSERT_FALSE(folders.isEmpty());
  for (const QString& folder : folders) {
    SkinLibrary library(skins.filePath(folder));
    test::RecordingSink sink;
    const DialogEnv e{library, sink, Language::English, QColor(0, 255, 0)};
    ASSERT_EQ(regions.size(), kinds().size());
    for (std::size_t i = 0; i < regions.size(); ++i) {
      SCOPED_TRACE(folder.toStdString() + " " + kinds()[i].name);
      ASSERT_STREQ(regions[i].first, kinds()[i].name);
      auto d = kinds()[i].make(e);
      d->show();
      ASSERT_TRUE(d->backgroundLoaded());
      const QRect client(QPoint(0, 0), d->size());
      for (const Rects* set : {&frame, &regions[i].second})
        for (const QRect& r : *set)
          EXPECT_TRUE(client.contains(r)) << r.right() + 1 << "," << r.bottom() + 1 << " lies outside "
                                          << client.width() << "x" << client.height();
    }
  }
}

TEST_F(DialogFrame, ControlsAreWhiteOnDarkGrey) {
  CFireKeyDialog d(env);
  d.show();
  QWidget* speed = d.control(dlg::kFireSpeedId);
  ASSERT_NE(speed, nullptr);
  QImage shot = speed->grab().toImage();
  EXPECT_EQ(test::pixel(shot, {2, 2}), QColor(0x28, 0x28, 0x28));
  QWidget* display = d.control(dlg::kFireDisplayId);
  ASSERT_NE(display, nullptr);
  EXPECT_EQ(test::pixel(display->grab().toImage(), {1, 1}), QColor(0x28, 0x28, 0x28));
  EXPECT_EQ(display->geometry(), dlg::kFireDisplay);
}

}  // namespace
}  // namespace hm
