// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/app/hid_mouse_app.h"

int main(int argc, char** argv) { return hm::CHidMouseApp::run(argc, argv); }
