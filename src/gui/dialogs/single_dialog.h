// SPDX-License-Identifier: GPL-3.0-or-later
// The single-key dialog: captures one key from the keyboard and shows its
// name; the name of the last key event (press or release) is the result.
#pragma once

#include <string>

#include "gui/dialogs/skin_dialog.h"

class QLabel;

namespace hm {

class CSingleDialog : public CSkinDialog {
  Q_OBJECT
 public:
  explicit CSingleDialog(const DialogEnv& env, QWidget* parent = nullptr);

  // The last key captured; "" when none.
  const std::string& keyName() const { return keyName_; }

 protected:
  void createControls() override;
  void paintOwn(QPainter& painter) override;
  void keyCaptured(const std::string& name) override;
  bool swallowsKey(const QKeyEvent& event) const override;

 private:
  std::string keyName_;
  QLabel* nameLabel_ = nullptr;
};

}  // namespace hm
