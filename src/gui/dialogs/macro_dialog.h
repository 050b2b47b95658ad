// SPDX-License-Identifier: GPL-3.0-or-later
// The macro-key dialog: one of the stored macros (listed afresh from
// record.ini at each opening of the list) and how the mouse repeats it, as
// one of three options ticked one at a time.
#pragma once

#include <string>

#include "gui/dialogs/skin_dialog.h"

class QLabel;

namespace hm {

class DialogDropDown;

class CMacroDialog : public CSkinDialog {
  Q_OBJECT
 public:
  CMacroDialog(const DialogEnv& env, std::string recordIniPath, QWidget* parent = nullptr);

  int macroRow() const { return macroRow_; }
  const std::string& macroName() const { return macroName_; }
  // 1..3. Stays 1 when the dialog could not initialise (no background), so a
  // caller never derives a repeat mode outside 0..2 from it.
  int repeatOption() const { return repeatOption_; }

  DialogDropDown* macroList() const { return list_; }

 protected:
  void createControls() override;
  void paintOwnImages() override;
  void paintOwn(QPainter& painter) override;
  void pressOwn(QPoint p) override;
  void pressFrame(QPoint p) override;
  bool wheelOwn(int delta) override;

 private:
  std::string recordIniPath_;
  int macroRow_ = 0;
  std::string macroName_;
  int repeatOption_ = 1;
  QLabel* display_ = nullptr;
  DialogDropDown* list_ = nullptr;
};

}  // namespace hm
