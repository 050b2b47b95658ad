// SPDX-License-Identifier: GPL-3.0-or-later
// The delay-time dialog of the macro editor: one box for a delay in
// milliseconds. The dialog does not check the range (the note tells the
// user); the editor does.
#pragma once

#include <string>

#include "gui/dialogs/skin_dialog.h"

class QLineEdit;

namespace hm {

class CDelayTimeDialog : public CSkinDialog {
  Q_OBJECT
 public:
  explicit CDelayTimeDialog(const DialogEnv& env, QWidget* parent = nullptr);

  const std::string& delayText() const { return delayText_; }
  long delay() const { return delay_; }
  QLineEdit* delayBox() const { return box_; }

 protected:
  void createControls() override;
  void paintOwn(QPainter& painter) override;

 private:
  std::string delayText_;
  long delay_ = 0;
  QLineEdit* box_ = nullptr;
};

}  // namespace hm
