// SPDX-License-Identifier: GPL-3.0-or-later
// Dragging the window on a real X server (run under xvfb-run, no window
// manager): a drag starts only while the server's pointer holds the left
// button. Qt's own button state lags behind while a click's action blocks (an
// Apply), and a move started on it would follow the pointer after the button
// is up. XTest presses the server's button where a test needs it down.
#include <gtest/gtest.h>
#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <QGuiApplication>

#include "../app/fixtures.h"
#include "gui/app/pointer_buttons.h"

namespace hm::test {
namespace {

// The server's left button, pressed and released through XTest on a
// connection of the test's own.
class ServerButton {
 public:
  ServerButton() : connection_(xcb_connect(nullptr, nullptr)) {}
  ~ServerButton() {
    if (down_) set(false);
    xcb_disconnect(connection_);
  }
  ServerButton(const ServerButton&) = delete;
  ServerButton& operator=(const ServerButton&) = delete;

  bool connected() const { return xcb_connection_has_error(connection_) == 0; }
  void set(bool down) {
    xcb_test_fake_input(connection_, down ? XCB_BUTTON_PRESS : XCB_BUTTON_RELEASE, XCB_BUTTON_INDEX_1,
                        XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    free(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));  // a round trip
    down_ = down;
  }

 private:
  xcb_connection_t* connection_;
  bool down_ = false;
};

ShellOptions recordingPages() {
  ShellOptions o;
  o.recordingPages = true;
  return o;
}

TEST(WindowDrag, RunsOnTheX11Platform) {
  application();
  EXPECT_EQ(QGuiApplication::platformName(), "xcb");
}

TEST(WindowDrag, AQtPressWhoseButtonTheServerNoLongerHoldsStartsNoDrag) {
  Shell shell(recordingPages());
  ASSERT_TRUE(shell.start());
  shell.showWindow();
  // As after a click whose release is still queued behind a blocking action.
  shell.press({5, 300});
  EXPECT_TRUE(QGuiApplication::mouseButtons() & Qt::LeftButton);
  EXPECT_FALSE(leftButtonDownNow());
  EXPECT_FALSE(shell.dlg->dragging());
  shell.release({5, 300});
}

TEST(WindowDrag, APressTheServerStillHoldsStartsADrag) {
  ServerButton button;
  ASSERT_TRUE(button.connected());
  Shell shell(recordingPages());
  ASSERT_TRUE(shell.start());
  shell.showWindow();
  button.set(true);
  shell.press({5, 300});
  EXPECT_TRUE(leftButtonDownNow());
  EXPECT_TRUE(shell.dlg->dragging());  // no window manager: the window follows the pointer
  button.set(false);
  shell.release({5, 300});
  EXPECT_FALSE(shell.dlg->dragging());
}

}  // namespace
}  // namespace hm::test
