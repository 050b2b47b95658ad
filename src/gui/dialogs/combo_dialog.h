// SPDX-License-Identifier: GPL-3.0-or-later
// The combo-key dialog: one modifier chosen from a list and up to two keys
// captured from the keyboard, each into the key box that has the focus.
#pragma once

#include <string>

#include "gui/dialogs/skin_dialog.h"

class QLabel;
class QLineEdit;

namespace hm {

class DialogDropDown;

class CComboDialog : public CSkinDialog {
  Q_OBJECT
 public:
  explicit CComboDialog(const DialogEnv& env, QWidget* parent = nullptr);

  const std::string& modifierName() const { return modifierName_; }
  const std::string& key1Name() const { return key1Name_; }
  const std::string& key2Name() const { return key2Name_; }
  int modifierRow() const { return modifierRow_; }

  DialogDropDown* modifierList() const { return modifiers_; }
  QLineEdit* key1Box() const { return key1_; }
  QLineEdit* key2Box() const { return key2_; }

 protected:
  void createControls() override;
  void pressOwn(QPoint p) override;
  void pressFrame(QPoint p) override;
  void keyCaptured(const std::string& name) override;

 private:
  void enableKeyBoxes(bool on);

  std::string modifierName_, key1Name_, key2Name_;
  int modifierRow_ = 0;
  QLabel* modifierLabel_ = nullptr;
  QLineEdit* key1_ = nullptr;
  QLineEdit* key2_ = nullptr;
  DialogDropDown* modifiers_ = nullptr;
};

}  // namespace hm
