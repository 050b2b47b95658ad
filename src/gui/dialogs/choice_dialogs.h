// SPDX-License-Identifier: GPL-3.0-or-later
// The multimedia and the Windows-function dialogs: one drop-down list of
// consumer functions each, in the system language. The result is the chosen
// row and its text; OK without a choice gives row 0.
#pragma once

#include <string>
#include <vector>

#include "gui/dialogs/skin_dialog.h"

class QLabel;

namespace hm {

class DialogDropDown;

class CChoiceDialog : public CSkinDialog {
  Q_OBJECT
 public:
  struct Layout {
    int displayId;
    int listId;
    QRect list;
  };

  int choiceRow() const { return choiceRow_; }
  const std::string& choiceText() const { return choiceText_; }
  DialogDropDown* choiceList() const { return list_; }

 protected:
  CChoiceDialog(const DialogEnv& env, Frame frame, Layout layout, std::vector<std::string> rows,
                QWidget* parent);
  void createControls() override;
  void pressOwn(QPoint p) override;
  void pressFrame(QPoint p) override;

 private:
  Layout layout_;
  std::vector<std::string> rows_;
  int choiceRow_ = 0;
  std::string choiceText_;
  QLabel* display_ = nullptr;
  DialogDropDown* list_ = nullptr;
};

class CMediaDialog : public CChoiceDialog {
  Q_OBJECT
 public:
  explicit CMediaDialog(const DialogEnv& env, QWidget* parent = nullptr);
};

class CWindowsDialog : public CChoiceDialog {
  Q_OBJECT
 public:
  explicit CWindowsDialog(const DialogEnv& env, QWidget* parent = nullptr);
};

}  // namespace hm
