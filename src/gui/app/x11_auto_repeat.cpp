// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/app/x11_auto_repeat.h"

#include <xcb/xcb.h>
// The header names a field "explicit", a keyword of C++.
#ifdef __clang__
#pragma clang diagnostic push
#pragma clang diagnostic ignored "-Wkeyword-macro"
#endif
#define explicit explicit_
#include <xcb/xkb.h>
#undef explicit
#ifdef __clang__
#pragma clang diagnostic pop
#endif

#include <QGuiApplication>
#include <cstdint>
#include <cstdlib>

namespace hm {

bool setDetectableAutoRepeat(bool on) {
  if (QGuiApplication::platformName() != QLatin1String("xcb")) return false;
  const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  xcb_connection_t* connection = x11 != nullptr ? x11->connection() : nullptr;
  if (connection == nullptr || xcb_connection_has_error(connection) != 0) return false;
  // Qt uses the extension on this connection already; asking again is
  // harmless and makes this independent of it.
  xcb_xkb_use_extension_reply_t* use = xcb_xkb_use_extension_reply(
      connection, xcb_xkb_use_extension(connection, XCB_XKB_MAJOR_VERSION, XCB_XKB_MINOR_VERSION), nullptr);
  const bool supported = use != nullptr && use->supported != 0;
  std::free(use);
  if (!supported) return false;
  const auto flag = static_cast<std::uint32_t>(XCB_XKB_PER_CLIENT_FLAG_DETECTABLE_AUTO_REPEAT);
  xcb_xkb_per_client_flags_reply_t* reply = xcb_xkb_per_client_flags_reply(
      connection, xcb_xkb_per_client_flags(connection, XCB_XKB_ID_USE_CORE_KBD, flag, on ? flag : 0, 0, 0, 0),
      nullptr);
  const bool nowOn = reply != nullptr && (reply->supported & flag) != 0 && (reply->value & flag) != 0;
  std::free(reply);
  return nowOn;
}

}  // namespace hm
