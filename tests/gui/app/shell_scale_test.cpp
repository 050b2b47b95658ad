// SPDX-License-Identifier: GPL-3.0-or-later
// The window moved between screens of scale 1 and 2: the picture is drawn
// again at the new device pixel ratio, while the window keeps its size and
// its controls in window pixels. Needs the two screens of two_screens.json
// (tests/CMakeLists.txt runs it on them); skipped on a single screen.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>
#include <QWindow>

#include "fixtures.h"
#include "gui/app/frame_layout.h"
#include "gui/app/hid_mouse_dlg.h"

namespace hm::test {
namespace {

TEST(ShellScale, FollowsTheWindowToAScreenOfAnotherScale) {
  application();
  const QList<QScreen*> screens = QGuiApplication::screens();
  if (screens.size() < 2 || screens[0]->devicePixelRatio() != 1 || screens[1]->devicePixelRatio() != 2)
    GTEST_SKIP() << "needs a screen of scale 1 and one of scale 2 (two_screens.json)";
  Shell shell;
  ASSERT_TRUE(shell.start());
  shell.showWindow();
  ASSERT_NE(shell.dlg->canvas(), nullptr);
  EXPECT_EQ(shell.dlg->canvas()->devicePixelRatio(), 1);

  auto moveTo = [&](QScreen* screen, qreal scale) {
    shell.dlg->windowHandle()->setScreen(screen);
    return Shell::waitFor([&] { return shell.dlg->canvas()->devicePixelRatio() == scale; });
  };
  ASSERT_TRUE(moveTo(screens[1], 2));
  EXPECT_EQ(shell.dlg->canvas()->size(), QSize(1760, 1320));
  EXPECT_EQ(shell.dlg->size(), QSize(880, 660));
  // A click lands by window pixels; the page it opens is drawn at scale 2.
  shell.click(frame::kAdvancedTab.center());
  EXPECT_EQ(shell.dlg->currentPage(), kAdvancedPage);
  EXPECT_EQ(shell.dlg->canvas()->size(), QSize(1760, 1320));

  ASSERT_TRUE(moveTo(screens[0], 1));
  EXPECT_EQ(shell.dlg->canvas()->size(), QSize(880, 660));
  EXPECT_EQ(shell.dlg->currentPage(), kAdvancedPage);
}

}  // namespace
}  // namespace hm::test
