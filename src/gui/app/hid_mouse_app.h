// SPDX-License-Identifier: GPL-3.0-or-later
// CHidMouseApp: the program. It prepares the platform (offscreen for
// screenshots without a display, the X11 window class), reads the command
// line, takes the single-instance lock (a second start asks the running copy
// to show its window and ends with 0, or with 1 when it cannot reach it),
// picks the language, the data folder and the HID backend (hidraw, or the
// simulated mouse), runs the main window's start-up, answers later starts
// (activation.h) and then runs the event loop until "Exit" or the close
// button.
#pragma once

namespace hm {

class CHidMouseApp {
 public:
  // The whole run; returns the process exit code.
  static int run(int argc, char** argv);
};

}  // namespace hm
