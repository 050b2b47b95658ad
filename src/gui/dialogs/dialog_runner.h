// SPDX-License-Identifier: GPL-3.0-or-later
// How an assignment dialog is run. The function-list logic never calls
// QDialog::exec() itself: it hands the dialog to a runner, so the program runs
// it modally while tests drive the dialog's real widgets and then accept or
// reject it without a blocking event loop.
#pragma once

class QDialog;

namespace hm {

class DialogRunner {
 public:
  virtual ~DialogRunner();
  // Runs the dialog to its end; returns QDialog::Accepted or QDialog::Rejected.
  virtual int run(QDialog& dialog) = 0;
};

// The program's runner: a modal exec().
class ModalDialogRunner : public DialogRunner {
 public:
  int run(QDialog& dialog) override;
};

}  // namespace hm
