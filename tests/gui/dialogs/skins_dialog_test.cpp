// SPDX-License-Identifier: GPL-3.0-or-later
// The skins dialog through its real widgets: what it starts from and gives
// back, the list of skin folders, exact-name choices, the colour chooser, the
// wheel, the hover images, and the generated skins' "/skins.png".
#include <gtest/gtest.h>

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QWindow>
#include <deque>
#include <memory>
#include <optional>

#include "dialog_test_support.h"
#include "gui/dialogs/color_chooser.h"
#include "gui/dialogs/dialog_drop_down.h"
#include "gui/dialogs/dialog_layout.h"
#include "gui/dialogs/skins_dialog.h"

namespace hm {
namespace {

const QColor kStartColour(11, 22, 33);

class AnsweringChooser : public ColorChooser {
 public:
  std::optional<QColor> chooseColor(QWidget*, const QColor& initial) override {
    initials.push_back(initial);
    return answer;
  }
  std::optional<QColor> answer;
  std::vector<QColor> initials;
};

QStringList rows(const QListWidget* list) {
  QStringList r;
  for (int i = 0; i < list->count(); ++i) r << list->item(i)->text();
  return r;
}

void chooseRow(QListWidget* list, int row) {
  QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier,
                    list->visualItemRect(list->item(row)).center());
}

// Opens the skin list with a click on the face.
QListWidget* openList(CSkinsDialog& d) {
  test::clickAt(&d, dlg::kSkinsBox.center());
  return d.skinList()->list();
}

class SkinsDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    skin.write(QStringLiteral("skins.png"), {test::kDialogWidth, test::kDialogHeight},
               test::kBackgroundColor);
    for (const char* name : {"Zeta", "Default", "crimson", "Crimson"}) addFolder(QString::fromUtf8(name));
    QFile file(root() + QStringLiteral("/notes.txt"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  }
  QString root() const { return roots.path(); }
  void addFolder(const QString& name) { ASSERT_TRUE(QDir(root()).mkpath(name)); }
  std::unique_ptr<CSkinsDialog> open(const DialogEnv& e) {
    auto d = std::make_unique<CSkinsDialog>(e, chooser, std::vector<std::string>{root().toStdString()},
                                            QStringLiteral("Default"));
    d->setResult(-1);
    d->show();
    return d;
  }
  std::unique_ptr<CSkinsDialog> open() { return open(env); }
  test::TestSkin skin;
  QTemporaryDir roots;
  test::RecordingSink sink;
  AnsweringChooser chooser;
  DialogEnv env{skin.library, sink, Language::English, kStartColour};
};

TEST_F(SkinsDialogTest, OkWithoutAChoiceGivesBackWhatItStartedFromEvenWithoutItsBackground) {
  for (bool withBackground : {true, false}) {
    SCOPED_TRACE(withBackground ? "with /skins.png" : "without /skins.png");
    test::TestSkin current;
    current.write(QStringLiteral("skins.png"), {test::kDialogWidth, test::kDialogHeight},
                  test::kBackgroundColor);
    if (!withBackground) current.remove(QStringLiteral("skins.png"));
    test::RecordingSink s;
    auto d = open({current.library, s, Language::English, kStartColour});
    if (withBackground) {
      EXPECT_TRUE(s.messages.empty());
      auto* name = qobject_cast<QLabel*>(d->control(dlg::kSkinsNameId));
      ASSERT_NE(name, nullptr);
      EXPECT_EQ(name->text(), QStringLiteral("Default"));
      EXPECT_EQ(name->geometry(), dlg::kSkinsName);
      QWidget* swatch = d->control(dlg::kSkinsSwatchId);
      ASSERT_NE(swatch, nullptr);
      EXPECT_EQ(swatch->geometry(), dlg::kSkinsSwatch);
      EXPECT_EQ(test::pixel(swatch->grab().toImage(), {3, 3}), kStartColour);
      // The prompt is painted in the text colour, over the whole width of its text.
      const QImage canvas = d->canvas();
      int left = canvas.width(), right = -1;
      for (int y = dlg::kSkinsPrompt.top(); y <= dlg::kSkinsPrompt.bottom(); ++y)
        for (int x = 0; x < canvas.width(); ++x)
          if (test::pixel(canvas, {x, y}) != test::kBackgroundColor) {
            left = std::min(left, x);
            right = std::max(right, x);
          }
      EXPECT_LT(left, dlg::kSkinsPrompt.left()) << "the English prompt is wider than its place";
      EXPECT_GT(right, dlg::kSkinsPrompt.right());
      EXPECT_GE(left, 0);
      EXPECT_EQ(dlg::kSkinsPrompt.center().x() * 2 - (left + right), 0 /* centred */)
          << left << ".." << right;
    } else {
      ASSERT_EQ(s.messages.size(), 1u);
      EXPECT_EQ(s.messages[0], (test::Message{"error", "Skins Dialog Load background image failed!!!"}));
      EXPECT_TRUE(d->findChildren<QWidget*>().isEmpty());
      test::clickAt(d.get(), dlg::kSkinsBox.center());  // no list to open
      EXPECT_EQ(d->skinList(), nullptr);
    }
    test::clickAt(d.get(), dlg::kOkRect.center());
    EXPECT_EQ(d->result(), QDialog::Accepted);
    EXPECT_EQ(d->skinName(), QStringLiteral("Default"));
    EXPECT_EQ(d->skinFolder(), current.path());
    EXPECT_EQ(d->textColor(), kStartColour);
  }
}

TEST_F(SkinsDialogTest, TheFaceTogglesAListOfTheSkinFoldersOnlySortedByName) {
  auto d = open();
  QListWidget* list = openList(*d);
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->objectName(), QStringLiteral("id%1").arg(dlg::kSkinsListId));
  EXPECT_EQ(list->geometry(), dlg::kSkinsList);
  EXPECT_EQ(rows(list), (QStringList{"Crimson", "Default", "Zeta", "crimson"}));
  test::clickAt(d.get(), dlg::kSkinsBox.center());
  EXPECT_FALSE(d->skinList()->isOpen());
  // Listed afresh at each opening; a press beside both face and list closes it.
  addFolder(QStringLiteral("Amber"));
  EXPECT_EQ(rows(openList(*d)).front(), QStringLiteral("Amber"));
  test::clickAt(d.get(), {300, 100});
  EXPECT_FALSE(d->skinList()->isOpen());
  EXPECT_TRUE(d->isVisible());
}

TEST_F(SkinsDialogTest, AChosenLineTakesTheFolderOfExactlyThatName) {
  struct Case {
    const char* name;
    bool folderRemovedFirst;
  };
  const Case cases[] = {{"Crimson", false}, {"crimson", false}, {"Zeta", false}, {"Zeta", true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.name) + (c.folderRemovedFirst ? " (removed)" : ""));
    auto d = open();
    QListWidget* list = openList(*d);
    ASSERT_NE(list, nullptr);
    const int row = static_cast<int>(rows(list).indexOf(QString::fromUtf8(c.name)));
    ASSERT_GE(row, 0);
    if (c.folderRemovedFirst) {
      ASSERT_TRUE(QDir(root() + "/" + c.name).removeRecursively());
    }
    chooseRow(list, row);
    EXPECT_FALSE(d->skinList()->isOpen());
    // A line whose folder is gone changes nothing: name and folder agree.
    const QString name = c.folderRemovedFirst ? QStringLiteral("Default") : QString::fromUtf8(c.name);
    EXPECT_EQ(d->skinName(), name);
    EXPECT_EQ(d->skinFolder(), c.folderRemovedFirst ? skin.path() : root() + "/" + c.name);
    EXPECT_EQ(d->chosenIndex(), c.folderRemovedFirst ? -1 : row);
    EXPECT_EQ(qobject_cast<QLabel*>(d->control(dlg::kSkinsNameId))->text(), name);
    if (c.folderRemovedFirst) addFolder(QString::fromUtf8(c.name));
  }
}

TEST_F(SkinsDialogTest, TheSwatchAsksTheChooserFromBlackAndShowsTheChosenColour) {
  for (const std::optional<QColor>& answer :
       {std::optional<QColor>(QColor(9, 8, 7)), std::optional<QColor>()}) {
    SCOPED_TRACE(answer ? "chosen" : "cancelled");
    chooser.answer = answer;
    chooser.initials.clear();
    auto d = open();
    openList(*d);
    test::clickAt(d.get(), dlg::kSkinsSwatch.center());
    EXPECT_FALSE(d->skinList()->isOpen());  // the press missed the list: it closed first
    EXPECT_EQ(chooser.initials, std::vector<QColor>{QColor(Qt::black)});
    const QColor expected = answer.value_or(kStartColour);
    EXPECT_EQ(d->textColor(), expected);
    EXPECT_EQ(test::pixel(d->control(dlg::kSkinsSwatchId)->grab().toImage(), {3, 3}), expected);
    test::clickAt(d.get(), dlg::kCancelRect.center());
    EXPECT_EQ(d->result(), QDialog::Rejected);
  }
}

// The standard chooser over the skinned dialog keeps the desktop's colours:
// the dialog's white-on-dark style for its own labels and edit boxes must not
// reach the chooser's.
TEST_F(SkinsDialogTest, TheStandardColourChooserKeepsTheDesktopsStyle) {
  auto d = open();
  struct Inspect : DialogRunner {
    QWidget* owner = nullptr;
    int checked = 0;
    int run(QDialog& c) override {
      c.show();
      EXPECT_EQ(c.windowHandle()->transientParent(), owner->windowHandle()) << "kept above its owner";
      EXPECT_TRUE(c.isModal());
      for (QWidget* w : c.findChildren<QWidget*>()) {
        if (qobject_cast<QLabel*>(w) == nullptr && qobject_cast<QLineEdit*>(w) == nullptr) continue;
        const QPalette desktop = QApplication::palette(w);
        for (QPalette::ColorRole role : {QPalette::Text, QPalette::WindowText, QPalette::Base})
          EXPECT_EQ(w->palette().color(role), desktop.color(role)) << w->metaObject()->className();
        ++checked;
      }
      c.reject();
      return c.result();
    }
  } inspect;
  inspect.owner = d.get();
  DialogColorChooser standard(&inspect);
  EXPECT_EQ(standard.chooseColor(d.get(), Qt::black), std::nullopt);
  EXPECT_GT(inspect.checked, 4);
}

TEST_F(SkinsDialogTest, TheWheelAnywhereOverTheDialogScrollsTheOpenListThreeLines) {
  for (int i = 0; i < 30; ++i) addFolder(QStringLiteral("Skin%1").arg(i, 2, 10, QChar(u'0')));
  auto d = open();
  test::wheel(d.get(), -120);  // no list: nothing to scroll
  QListWidget* list = openList(*d);
  ASSERT_NE(list, nullptr);
  QScrollBar* bar = list->verticalScrollBar();
  ASSERT_GT(bar->maximum(), 6);
  struct Step {
    QWidget* over;
    int delta;
    int value;
  };
  // Towards the user (negative) scrolls down.
  const Step steps[] = {{d.get(), -120, 3}, {list->viewport(), -120, 6}, {d.get(), 120, 3}, {d.get(), 0, 3}};
  for (const Step& s : steps) {
    test::wheel(s.over, s.delta);
    EXPECT_EQ(bar->value(), s.value) << s.delta;
  }
  EXPECT_TRUE(d->skinList()->isOpen());
}

TEST_F(SkinsDialogTest, OkCancelAndCloseShowTheirOverImagesWhileHovered) {
  struct Case {
    QRect rect;
    QColor over;
    QColor normal;
  };
  const Case cases[] = {{dlg::kOkRect, test::kButtonOverColor, test::kButtonNormalColor},
                        {dlg::kCancelRect, test::kButtonOverColor, test::kButtonNormalColor},
                        {dlg::kCloseRect, test::kCloseOverColor, test::kCloseNormalColor}};
  auto d = open();
  for (const Case& c : cases) {
    const QPoint corner = c.rect.topLeft() + QPoint(1, 1);  // off the centred texts
    test::moveTo(d.get(), c.rect.center());
    // Waits for the hover delay however slow the machine is.
    EXPECT_TRUE(QTest::qWaitFor([&] { return test::pixel(d->canvas(), corner) == c.over; }, 2000));
    test::moveTo(d.get(), {300, 100});
    EXPECT_EQ(test::pixel(d->canvas(), corner), c.normal);
  }
}

// The program's own skins: "/skins.png" holds the whole dialog, and
// everything it draws is there.
TEST(GeneratedSkins, EverySkinsBackgroundHoldsTheSkinsDialog) {
  test::app();
  const QDir skins(QStringLiteral(HM_TEST_OUTPUT_DIR "/Skins"));
  const QStringList folders = skins.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
  ASSERT_FALSE(folders.isEmpty());
  AnsweringChooser chooser;
  for (const QString& folder : folders) {
    SCOPED_TRACE(folder.toStdString());
    SkinLibrary library(skins.filePath(folder));
    test::RecordingSink sink;
    CSkinsDialog d({library, sink, Language::English, kStartColour}, chooser, {skins.path().toStdString()},
                   folder);
    d.show();
    ASSERT_TRUE(d.backgroundLoaded());
    EXPECT_TRUE(sink.messages.empty());
    const QRect client(QPoint(0, 0), d.size());
    for (const QRect& r : {dlg::kOkRect, dlg::kCancelRect, dlg::kCloseRect, dlg::kSkinsPrompt,
                           dlg::kSkinsSwatch, dlg::kSkinsBox, dlg::kSkinsList})
      EXPECT_TRUE(client.contains(r)) << r.right() + 1 << "," << r.bottom() + 1 << " lies outside "
                                      << client.width() << "x" << client.height();
    EXPECT_EQ(rows(openList(d)), folders);
  }
}

}  // namespace
}  // namespace hm
