// SPDX-License-Identifier: GPL-3.0-or-later
// Hover highlighting: after the hover delay the control under the pointer is
// drawn with its over image, the other members of its group go back to
// normal, and a move outside every hoverable control clears them all.
#include <gtest/gtest.h>

#include "fixtures.h"
#include "gui/app/frame.h"

namespace hm::test {
namespace {

QImage region(const QImage& picture, const QRect& r) { return picture.copy(r); }

QImage solid(QSize size, QColor c) {
  QImage image(size, QImage::Format_RGB32);
  image.fill(c);
  return image;
}

class ShellHover : public ::testing::Test {
 protected:
  void SetUp() override {
    ShellOptions o;
    o.recordingPages = true;
    // Opaque buttons: drawing the normal image again restores the picture
    // exactly (blended images would add up where they are translucent).
    o.skinName = QStringLiteral("Opaque");
    for (const char* state : {"normal", "over"}) {
      const bool over = QLatin1String(state) == QLatin1String("over");
      const QColor c = over ? QColor(40, 90, 160) : QColor(30, 30, 40);
      const QColor small = over ? QColor(200, 60, 60) : QColor(60, 60, 60);
      o.replaceImages.push_back({QStringLiteral("button-%1.png").arg(state), solid({105, 21}, c)});
      for (const char* name : {"close", "min", "Skins"})
        o.replaceImages.push_back(
            {QStringLiteral("button-%1-%2.png").arg(name, state), solid({18, 18}, small)});
      for (const char* name : {"PrePage", "NextPage"})
        o.replaceImages.push_back({QStringLiteral("button-%1-%2.png").arg(name, state), solid({40, 40}, c)});
    }
    shell = std::make_unique<Shell>(o);
    ASSERT_TRUE(shell->start());
    shell->showWindow();
    // The recording page has no picture of its own: draw the real frame once.
    auto dc = shell->dlg->beginDraw();
    ASSERT_TRUE(dc);
    shell->dlg->drawFrame(*dc);
    dc.reset();
    normal = shell->picture();
  }
  bool lit(const QRect& r) const { return region(shell->picture(), r) != region(normal, r); }
  std::unique_ptr<Shell> shell;
  QImage normal;
};

TEST_F(ShellHover, GroupMembersTakeTurnsOnlyWhenTheHoverIsReported) {
  CHidMouseDlg& dlg = *shell->dlg;
  shell->hover({565, 620});  // OK
  EXPECT_TRUE(dlg.hover().frameHighlighted(kFrameOk));
  EXPECT_TRUE(lit(frame::kOk));

  // Straight onto Apply: OK stays until the hover over Apply is reported.
  shell->moveTo({660, 620});
  EXPECT_TRUE(dlg.hover().frameHighlighted(kFrameOk));
  EXPECT_FALSE(dlg.hover().frameHighlighted(kFrameApply));
  dlg.hover().hoverNow();
  EXPECT_TRUE(dlg.hover().frameHighlighted(kFrameApply));
  EXPECT_FALSE(dlg.hover().frameHighlighted(kFrameOk));
  EXPECT_FALSE(lit(frame::kOk));
  EXPECT_TRUE(lit(frame::kApply));
}

TEST_F(ShellHover, ControlsOfOtherGroupsStayLitUntilTheMoveOutside) {
  CHidMouseDlg& dlg = *shell->dlg;
  shell->hover({710, 14});   // skins button, alone
  shell->hover({40, 75});    // Basic tab
  shell->hover({565, 620});  // OK
  EXPECT_TRUE(dlg.hover().frameHighlighted(kFrameSkins));
  EXPECT_TRUE(dlg.hover().frameHighlighted(kFrameBasicTab));
  EXPECT_TRUE(dlg.hover().frameHighlighted(kFrameOk));
  shell->hover({90, 75});  // Advanced tab: only its group partner goes out
  EXPECT_FALSE(dlg.hover().frameHighlighted(kFrameBasicTab));
  EXPECT_TRUE(dlg.hover().frameHighlighted(kFrameAdvancedTab));
  EXPECT_TRUE(dlg.hover().frameHighlighted(kFrameSkins));

  shell->moveTo({400, 400});  // empty background
  for (int c = 0; c < kFrameControlCount; ++c) EXPECT_FALSE(dlg.hover().frameHighlighted(c)) << c;
  EXPECT_EQ(shell->picture(), normal);
}

TEST_F(ShellHover, EdgePixelsAndTheDelay) {
  CHidMouseDlg& dlg = *shell->dlg;
  struct Case {
    QPoint at;
    int control;  // -1: none
  };
  const Case cases[] = {{{825, 5}, kFrameMinimise},
                        {{842, 22}, kFrameMinimise},
                        {{843, 10}, -1},
                        {{850, 23}, -1},
                        {{721, 629}, kFrameApply},
                        {{721, 630}, -1},
                        {{826, 620}, -1},
                        {{20, 55}, kFrameBasicTab}};
  for (const Case& c : cases) {
    shell->moveTo({400, 400});
    shell->hover(c.at);
    for (int k = 0; k < kFrameControlCount; ++k)
      EXPECT_EQ(dlg.hover().frameHighlighted(k), k == c.control)
          << c.at.x() << "," << c.at.y() << " control " << k;
  }
  // Through the real timer: nothing before the delay has passed after the last move.
  shell->moveTo({400, 400});
  shell->moveTo({565, 620});
  EXPECT_FALSE(dlg.hover().frameHighlighted(kFrameOk));
  EXPECT_TRUE(Shell::waitFor([&] { return dlg.hover().frameHighlighted(kFrameOk); }, 1000));
}

TEST_F(ShellHover, PageControlsJoinTheirOwnGroups) {
  CHidMouseDlg& dlg = *shell->dlg;
  RecordingPage& page = *shell->basicPage;
  page.hover = {{0, ltrb(252, 186, 463, 207), kHoverKeyBoxes},
                {1, ltrb(252, 209, 463, 230), kHoverKeyBoxes},
                {7, ltrb(307, 549, 412, 570), kHoverAlone}};
  page.calls.clear();
  shell->hover({565, 620});  // OK
  shell->hover({300, 190});  // box 1
  shell->hover({300, 215});  // box 2: box 1 goes out, OK stays
  shell->hover({350, 560});  // "Default"
  EXPECT_EQ(page.calls, (std::vector<std::string>{"hoverOn 0", "hoverOn 1", "hoverOff 0", "hoverOn 7"}));
  EXPECT_TRUE(dlg.hover().frameHighlighted(kFrameOk));
  EXPECT_TRUE(dlg.hover().pageHighlighted(1));
  EXPECT_TRUE(dlg.hover().pageHighlighted(7));

  page.calls.clear();
  shell->moveTo({5, 300});
  EXPECT_EQ(page.calls, (std::vector<std::string>{"hoverOff 1", "hoverOff 7"}));
  EXPECT_FALSE(dlg.hover().frameHighlighted(kFrameOk));

  // A page's controls hover only while it is shown; leaving forgets its flags.
  shell->hover({300, 190});
  dlg.showAdvancedPage();
  EXPECT_FALSE(dlg.hover().pageHighlighted(0));
  page.calls.clear();
  shell->hover({300, 190});
  EXPECT_TRUE(page.calls.empty());
}

}  // namespace
}  // namespace hm::test
