// SPDX-License-Identifier: GPL-3.0-or-later
// A DialogRunner for the main-window tests: it shows the dialog and runs a
// script that drives it the way a user would, instead of a modal loop; a
// dialog the script leaves open is cancelled.
#pragma once

#include <QDialog>
#include <functional>

#include "gui/dialogs/dialog_runner.h"

namespace hm::test {

class ScriptedRunner : public DialogRunner {
 public:
  std::function<void(QDialog&)> script;
  int runs = 0;
  int lastResult = -1;
  int run(QDialog& dialog) override {
    ++runs;
    dialog.show();
    if (script) script(dialog);
    if (dialog.isVisible()) dialog.reject();
    return lastResult = dialog.result();
  }
};

}  // namespace hm::test
