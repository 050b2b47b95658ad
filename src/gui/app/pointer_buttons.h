// SPDX-License-Identifier: GPL-3.0-or-later
// Whether the left mouse button is down now, as the display server sees it.
//
// Qt's own idea (QGuiApplication::mouseButtons) follows the input events the
// program has taken so far: while a click's action blocks the UI thread (an
// Apply waits ~250 ms for the mouse), the release is still queued and Qt
// still holds the button down. Starting a window move then hands the window
// manager a move whose button is already up, and the window follows the
// pointer until the next click. On X11 the server is asked; elsewhere Qt's
// state is all there is (and a Wayland compositor checks the press itself).
#pragma once

namespace hm {

bool leftButtonDownNow();

}  // namespace hm
