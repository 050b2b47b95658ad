// SPDX-License-Identifier: GPL-3.0-or-later
// The skins button end to end: the real skins dialog over the main window,
// driven like a user (open the list, choose "Crimson", pick a colour, OK or
// Cancel). OK stores the skin in str.ini and repaints the page from it;
// Cancel leaves memory, str.ini and the picture as they were.
#include <gtest/gtest.h>

#include <QListWidget>

#include "core/settings/profile_file.h"
#include "fixtures.h"
#include "gui/app/frame_layout.h"
#include "gui/dialogs/color_chooser.h"
#include "gui/dialogs/dialog_drop_down.h"
#include "gui/dialogs/dialog_layout.h"
#include "gui/dialogs/dialog_runner.h"
#include "gui/dialogs/skins_dialog.h"

namespace hm::test {
namespace {

class UserRunner : public DialogRunner {
 public:
  std::function<void(CSkinsDialog&)> script;
  int runs = 0;
  int run(QDialog& dialog) override {
    ++runs;
    dialog.show();
    auto* skins = dynamic_cast<CSkinsDialog*>(&dialog);
    EXPECT_NE(skins, nullptr);
    if (skins && script) script(*skins);
    if (dialog.isVisible()) dialog.reject();
    return dialog.result();
  }
};

// A left click at a point of the dialog, delivered to whatever child lies there.
void clickAt(QWidget* dialog, QPoint p) {
  QWidget* target = dialog->childAt(p);
  if (!target) target = dialog;
  QTest::mouseClick(target, Qt::LeftButton, Qt::NoModifier, target->mapFrom(dialog, p));
}

class OneColour : public ColorChooser {
 public:
  std::optional<QColor> chooseColor(QWidget*, const QColor&) override { return QColor(1, 2, 3); }
};

struct SkinKeys {
  std::string r, g, b, path;
  bool operator==(const SkinKeys&) const = default;
};

SkinKeys skinKeys(const std::string& ini) {
  return {profile::getString(ini, "Skins", "RColor"), profile::getString(ini, "Skins", "GColor"),
          profile::getString(ini, "Skins", "BColor"), profile::getString(ini, "Skins", "Path")};
}

// The Basic page of a window started with these skin settings.
QImage startedWith(const SkinKeys& keys) {
  Shell shell;
  const std::string ini = shell.pathStd("str.ini");
  for (const auto& [key, value] :
       {std::pair{"RColor", keys.r}, {"GColor", keys.g}, {"BColor", keys.b}, {"Path", keys.path}})
    EXPECT_TRUE(profile::writeString(ini, "Skins", key, value));
  EXPECT_TRUE(shell.start());
  return shell.picture();
}

TEST(SkinsButtonEndToEnd, OkShowsAndStoresTheChosenSkinAndCancelChangesNothing) {
  struct Case {
    const char* name;
    bool chooseCrimson;
    QPoint end;  // OK or Cancel
  };
  const Case cases[] = {{"choose Crimson, OK", true, dlg::kOkRect.center()},
                        {"choose Crimson, Cancel", true, dlg::kCancelRect.center()},
                        {"choose Crimson, close", true, dlg::kCloseRect.center()},
                        {"OK without a choice", false, dlg::kOkRect.center()}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    UserRunner runner;
    OneColour chooser;
    Shell shell;
    ASSERT_TRUE(shell.start());
    shell.dlg->context().dialogRunner = &runner;
    shell.dlg->context().colorChooser = &chooser;
    shell.showWindow();
    const QImage before = shell.picture();
    const QByteArray iniBefore = shell.fileBytes("str.ini");
    const std::string ini = shell.pathStd("str.ini");
    const SkinKeys keysBefore = skinKeys(ini);
    const QString folderBefore = shell.dlg->skins().skinFolder();
    const QColor colourBefore = shell.dlg->style().textColor;
    ASSERT_EQ(keysBefore.path, "Default");

    runner.script = [&](CSkinsDialog& d) {
      EXPECT_EQ(d.skinName(), QStringLiteral("Default"));
      if (c.chooseCrimson) {
        clickAt(&d, dlg::kSkinsBox.center());
        QListWidget* list = d.skinList()->list();
        ASSERT_NE(list, nullptr);
        const QList<QListWidgetItem*> found = list->findItems(QStringLiteral("Crimson"), Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier,
                          list->visualItemRect(found[0]).center());
        clickAt(&d, dlg::kSkinsSwatch.center());
      }
      clickAt(&d, c.end);
    };
    shell.click(frame::kSkins.center());
    EXPECT_EQ(runner.runs, 1);
    const bool changed = c.chooseCrimson && c.end == dlg::kOkRect.center();
    if (changed) {
      EXPECT_EQ(skinKeys(ini), (SkinKeys{"1", "2", "3", "Crimson"}));
      EXPECT_EQ(shell.dlg->skins().skinFolder(), outputDir() + "/Skins/Crimson");
      EXPECT_EQ(shell.dlg->skinName(), QStringLiteral("Crimson"));
      EXPECT_EQ(shell.dlg->style().textColor, QColor(1, 2, 3));
      EXPECT_NE(shell.picture(), before);
      // Every pixel as a start with that skin and colour shows it.
      EXPECT_EQ(shell.picture(), startedWith({"1", "2", "3", "Crimson"}));
    } else {
      EXPECT_EQ(skinKeys(ini), keysBefore);
      if (c.end != dlg::kOkRect.center()) {
        EXPECT_EQ(shell.fileBytes("str.ini"), iniBefore);
      }
      EXPECT_EQ(shell.dlg->skins().skinFolder(), folderBefore);
      EXPECT_EQ(shell.dlg->style().textColor, colourBefore);
      EXPECT_EQ(shell.picture(), before);
    }
    EXPECT_TRUE(shell.dlg->isVisible());
    EXPECT_EQ(shell.dlg->currentPage(), kBasicPage);
    EXPECT_TRUE(shell.sink.messages.empty());
  }
}

}  // namespace
}  // namespace hm::test
