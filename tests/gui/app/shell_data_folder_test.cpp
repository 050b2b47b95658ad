// SPDX-License-Identifier: GPL-3.0-or-later
// The window and another program saving into one data folder: the window
// follows what the other saves while it has no edits, and its Apply keeps
// both the user's edits and the other program's changes.
#include <gtest/gtest.h>
#include <QTest>

#include <string>
#include <thread>

#include "basic_fixture.h"
#include "core/model/config_session.h"
#include "core/settings/folder_transaction.h"
#include "gui/app/basic_layout.h"
#include "gui/app/frame_layout.h"

namespace hm::test {
namespace {

constexpr int kRounds = 8;
constexpr int kFollowMs = 3000;

// Another program's save, as hidmousectl set makes it: under the folder's
// lock, read, change, save, put in place.
void saveElsewhere(const DataPaths& paths, std::uint8_t reportInterval, const std::string& button4Text) {
  FolderHold hold(paths, FolderAccess::Write, "other");
  ASSERT_TRUE(hold.status().ok());
  NullMessageSink quiet;
  ConfigSession other(paths, Language::English, quiet);
  other.load();
  other.working().reportInterval = reportInterval;
  other.buttonTexts().text[0][3] = button4Text;
  ASSERT_TRUE(other.save().saved());
  ASSERT_TRUE(hold.commit().ok());
}

ConfigSession onDisk(const DataPaths& paths) {
  static NullMessageSink quiet;
  ConfigSession now(paths, Language::English, quiet);
  now.load();
  return now;
}

TEST(DataFolder, TheWindowsApplyAndAnotherWriterKeepBothChanges) {
  BasicShell b(saneRecord());
  ASSERT_TRUE(b.started);
  const DataPaths paths = b.shell.dlg->context().paths;
  for (int round = 0; round < kRounds; ++round) {
    const std::uint8_t interval = round % 2 == 0 ? 2 : 8;
    const std::string text = "Single Key-F" + std::to_string(round + 1);
    const int step = 1 + round % 5;
    // The user's edit, then the other save and the Apply at the same time.
    b.click(basic::dpiCell(0, step + 1));
    std::thread other([&] { saveElsewhere(paths, interval, text); });
    b.click(frame::kApply.center());
    other.join();
    const ConfigSession now = onDisk(paths);
    ASSERT_EQ(now.working().reportInterval, interval) << "round " << round << ": the other save was lost";
    ASSERT_EQ(now.buttonTexts().text[0][3], text) << "round " << round;
    ASSERT_EQ(now.working().dpiStageValue[0], step) << "round " << round << ": the window's edit was lost";
  }
}

TEST(DataFolder, TheWindowShowsAnotherSaveUnlessItHasEditsAndCancelGoesBackToTheFiles) {
  BasicShell b(saneRecord());
  ASSERT_TRUE(b.started);
  const DataPaths paths = b.shell.dlg->context().paths;
  // No edits: the other save is loaded and shown.
  saveElsewhere(paths, 8, "Single Key-F9");
  for (int waited = 0; waited < kFollowMs && b.working().reportInterval != 8; waited += 50) QTest::qWait(50);
  EXPECT_EQ(b.working().reportInterval, 8);
  EXPECT_EQ(b.shell.dlg->buttonTexts().text[0][3], "Single Key-F9");
  // With an edit the window keeps it (Apply merges); Cancel takes the files.
  b.click(basic::dpiCell(0, 4));
  const MouseConfig edited = b.working();
  saveElsewhere(paths, 2, "Single Key-F10");
  QTest::qWait(500);
  EXPECT_EQ(b.working(), edited);
  b.click(frame::kCancel.center());
  EXPECT_EQ(b.working().reportInterval, 2);
  EXPECT_EQ(b.working(), onDisk(paths).working());
}

}  // namespace
}  // namespace hm::test
