// SPDX-License-Identifier: GPL-3.0-or-later
// Detectable auto-repeat on X11: while it is on, the server sends a held
// key's repeats as presses only, without the release it otherwise puts before
// each (a release and a press with the same time, which Qt marks as repeats
// only when both are already queued). The setting belongs to the program's
// own connection; other programs keep theirs.
#pragma once

namespace hm {

// Switches detectable auto-repeat on or off for the program's connection to
// the X server. Gives whether it is on afterwards; false on other platforms
// and on servers without the keyboard extension.
bool setDetectableAutoRepeat(bool on);

}  // namespace hm
