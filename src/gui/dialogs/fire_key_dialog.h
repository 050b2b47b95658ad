// SPDX-License-Identifier: GPL-3.0-or-later
// The fire-key dialog: which key or mouse button the mouse repeats (a list of
// the 61 fire rows), how fast (speed 5..255, smaller is faster) and how often
// (times 0..255, 0 = until the button is released).
//
// The speed box is checked when it loses the focus and again on OK, so a
// value typed last is not lost: below 5 or above 255 (or not a number)
// becomes "5". The times box is checked on every change: above 255 becomes
// "1"; an empty box means 0.
#pragma once

#include <cstdint>
#include <string>

#include "gui/dialogs/skin_dialog.h"

class QLabel;
class QLineEdit;

namespace hm {

class DialogDropDown;

class CFireKeyDialog : public CSkinDialog {
  Q_OBJECT
 public:
  explicit CFireKeyDialog(const DialogEnv& env, QWidget* parent = nullptr);

  int fireRow() const { return fireRow_; }
  const std::string& fireKeyText() const { return fireKeyText_; }
  std::uint8_t speed() const { return speed_; }
  std::uint8_t times() const { return times_; }

  DialogDropDown* keyList() const { return keys_; }
  QLineEdit* speedBox() const { return speedBox_; }
  QLineEdit* timesBox() const { return timesBox_; }

  void accept() override;

 protected:
  void createControls() override;
  void paintOwn(QPainter& painter) override;
  void pressOwn(QPoint p) override;
  void pressFrame(QPoint p) override;
  bool wheelOwn(int delta) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void checkSpeed();
  void checkTimes();
  void enableNumberBoxes(bool on);

  int fireRow_ = 0;
  std::string fireKeyText_;
  std::uint8_t speed_;
  std::uint8_t times_;
  QLabel* keyLabel_ = nullptr;
  QLineEdit* speedBox_ = nullptr;
  QLineEdit* timesBox_ = nullptr;
  DialogDropDown* keys_ = nullptr;
};

}  // namespace hm
