// SPDX-License-Identifier: GPL-3.0-or-later
// A tray that starts after the program, on a real X server (xvfb-run): the
// waiting icon is made when the tray announces itself (MANAGER to the root
// window), without any polling.
#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <QSignalSpy>
#include <QTest>
#include <cstdlib>
#include <cstring>

#include "gui/app/tray.h"
#include "support/qt_application.h"

namespace hm {
namespace {

xcb_atom_t atom(xcb_connection_t* c, const char* name) {
  xcb_intern_atom_reply_t* r =
      xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, static_cast<uint16_t>(strlen(name)), name), nullptr);
  const xcb_atom_t a = r != nullptr ? r->atom : XCB_NONE;
  std::free(r);
  return a;
}

// An XEmbed tray as far as announcing goes: owns the first screen's tray
// selection and tells the root window so.
class AnnouncedTray {
 public:
  AnnouncedTray() : c_(xcb_connect(nullptr, nullptr)) {}
  ~AnnouncedTray() { xcb_disconnect(c_); }
  AnnouncedTray(const AnnouncedTray&) = delete;
  AnnouncedTray& operator=(const AnnouncedTray&) = delete;

  bool connected() const { return xcb_connection_has_error(c_) == 0; }
  void start() {
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c_)).data;
    const xcb_window_t w = xcb_generate_id(c_);
    xcb_create_window(c_, XCB_COPY_FROM_PARENT, w, screen->root, 0, 0, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY,
                      XCB_COPY_FROM_PARENT, 0, nullptr);
    const xcb_atom_t selection = atom(c_, "_NET_SYSTEM_TRAY_S0");
    xcb_set_selection_owner(c_, w, selection, XCB_CURRENT_TIME);
    xcb_client_message_event_t m{};
    m.response_type = XCB_CLIENT_MESSAGE;
    m.format = 32;
    m.window = screen->root;
    m.type = atom(c_, "MANAGER");
    m.data.data32[0] = XCB_CURRENT_TIME;
    m.data.data32[1] = selection;
    m.data.data32[2] = w;
    xcb_send_event(c_, 0, screen->root, XCB_EVENT_MASK_STRUCTURE_NOTIFY, reinterpret_cast<const char*>(&m));
    xcb_flush(c_);
  }

 private:
  xcb_connection_t* c_;
};

TEST(TrayX11, AWaitingIconGoesToATrayThatAnnouncesItselfLater) {
  test::application();
  AnnouncedTray tray;
  ASSERT_TRUE(tray.connected());
  SystemTrayBackend backend;
  QSignalSpy appeared(&backend, &TrayIconBackend::availableChanged);
  backend.show();
  ASSERT_FALSE(backend.visible()) << "a tray is already there";
  QTest::qWait(100);
  EXPECT_EQ(appeared.count(), 0);
  tray.start();
  EXPECT_TRUE(QTest::qWaitFor([&] { return appeared.count() == 1; }, 5000));
  EXPECT_TRUE(backend.visible());
  EXPECT_TRUE(backend.available());
}

}  // namespace
}  // namespace hm
