// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/app/pointer_buttons.h"

#include <xcb/xcb.h>

#include <QGuiApplication>
#include <cstdlib>

namespace hm {

bool leftButtonDownNow() {
  const bool qtDown = (QGuiApplication::mouseButtons() & Qt::LeftButton) != 0;
  // Only the xcb platform: the offscreen one may give an X11 interface
  // without a connection.
  if (!qtDown || QGuiApplication::platformName() != QLatin1String("xcb")) return qtDown;
  const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  xcb_connection_t* connection = x11 != nullptr ? x11->connection() : nullptr;
  if (connection == nullptr || xcb_connection_has_error(connection) != 0) return qtDown;
  const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
  if (screen == nullptr) return qtDown;
  xcb_query_pointer_reply_t* reply =
      xcb_query_pointer_reply(connection, xcb_query_pointer(connection, screen->root), nullptr);
  if (reply == nullptr) return qtDown;
  const bool down = (reply->mask & XCB_BUTTON_MASK_1) != 0;
  std::free(reply);
  return down;
}

}  // namespace hm
