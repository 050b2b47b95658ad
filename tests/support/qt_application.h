// SPDX-License-Identifier: GPL-3.0-or-later
// The one QApplication of a GUI test program, made on first use. Without a
// display the tests still get a platform: offscreen.
#pragma once

#include <QApplication>

namespace hm::test {

inline QApplication& application() {
  if (auto* existing = qobject_cast<QApplication*>(QCoreApplication::instance())) return *existing;
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
      qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  static int argc = 1;
  static char name[] = "hidmouse_tests";
  static char* argv[] = {name, nullptr};
  static QApplication* instance = new QApplication(argc, argv);
  return *instance;
}

}  // namespace hm::test
