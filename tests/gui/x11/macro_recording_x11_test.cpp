// SPDX-License-Identifier: GPL-3.0-or-later
// Recording a held key on a real X server (run under xvfb-run): the server
// repeats a held key with its own auto-repeat, and the recorder has to see
// one press and one release however the repeats arrive.
#include <gtest/gtest.h>
#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <cstdlib>

#include "../app/macro_fixture.h"

namespace hm::test {
namespace {

constexpr std::uint8_t kXKeyC = 54;  // evdev 46 + 8

// The server's keyboard, driven through XTest on a connection of the test's own.
class ServerKeyboard {
 public:
  ServerKeyboard() : connection_(xcb_connect(nullptr, nullptr)) {}
  ~ServerKeyboard() { xcb_disconnect(connection_); }
  ServerKeyboard(const ServerKeyboard&) = delete;
  ServerKeyboard& operator=(const ServerKeyboard&) = delete;

  bool connected() const { return xcb_connection_has_error(connection_) == 0; }
  // Auto-repeat on (the server's default, set in case a run changed it) and
  // the keys going to `window`, as no window manager gives it the focus.
  bool prepare(xcb_window_t window) {
    const std::uint32_t on = XCB_AUTO_REPEAT_MODE_ON;
    xcb_change_keyboard_control(connection_, XCB_KB_AUTO_REPEAT_MODE, &on);
    xcb_set_input_focus(connection_, XCB_INPUT_FOCUS_POINTER_ROOT, window, XCB_CURRENT_TIME);
    xcb_get_keyboard_control_reply_t* control =
        xcb_get_keyboard_control_reply(connection_, xcb_get_keyboard_control(connection_), nullptr);
    const bool repeats = control != nullptr && control->global_auto_repeat == XCB_AUTO_REPEAT_MODE_ON;
    std::free(control);
    return repeats;
  }
  void key(std::uint8_t code, bool down) {
    xcb_test_fake_input(connection_, down ? XCB_KEY_PRESS : XCB_KEY_RELEASE, code, XCB_CURRENT_TIME, XCB_NONE,
                        0, 0, 0);
    xcb_flush(connection_);
  }

 private:
  xcb_connection_t* connection_;
};

TEST(MacroRecordingX11, AKeyHeldForTwoSecondsRecordsOnePressAndOneRelease) {
  ServerKeyboard keyboard;
  ASSERT_TRUE(keyboard.connected());
  MacroShell m("[First]\nItemCount=0\n");
  ASSERT_TRUE(m.started);
  ASSERT_TRUE(keyboard.prepare(static_cast<xcb_window_t>(m.shell.dlg->winId())));
  QTest::qWait(100);
  m.click(advanced::kStartRecording);
  ASSERT_TRUE(m.view().editor().recording());

  keyboard.key(kXKeyC, true);
  QTest::qWait(2000);  // about 35 repeats at the server's default rate
  keyboard.key(kXKeyC, false);
  QTest::qWait(300);
  EXPECT_EQ(m.sequence(), (std::vector<std::string>{"C   Dn", "50 ms", "C   Up"}));

  // A press and release after the hold is recorded as usual.
  keyboard.key(kXKeyC, true);
  keyboard.key(kXKeyC, false);
  QTest::qWait(300);
  EXPECT_EQ(m.sequence(),
            (std::vector<std::string>{"C   Dn", "50 ms", "C   Up", "50 ms", "C   Dn", "50 ms", "C   Up"}));
}

}  // namespace
}  // namespace hm::test
