// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/dialogs/fire_key_dialog.h"

#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QRegularExpressionValidator>

#include "core/buttons/function_choice.h"
#include "core/buttons/key_tables.h"
#include "core/macros/macro_record.h"
#include "core/settings/ui_text.h"
#include "gui/dialogs/dialog_drop_down.h"
#include "gui/dialogs/dialog_layout.h"
#include "gui/skin/skin_text.h"

namespace hm {

CFireKeyDialog::CFireKeyDialog(const DialogEnv& env, QWidget* parent)
    : CSkinDialog(env, {dlg::kFireBackground, dlg::kFireCaption, Keys::Standard}, parent),
      fireKeyText_(fireRowText(0)),
      speed_(static_cast<std::uint8_t>(kFireDefaultSpeed)),
      times_(static_cast<std::uint8_t>(kFireDefaultTimes)) {}

void CFireKeyDialog::createControls() {
  keyLabel_ = makeLabel(dlg::kFireDisplayId, dlg::kFireDisplay, Qt::AlignHCenter);
  keyLabel_->setText(QString::fromStdString(fireKeyText_));
  auto* digits = new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), this);
  speedBox_ = makeEdit(dlg::kFireSpeedId, dlg::kFireSpeed, false);
  speedBox_->setValidator(digits);
  speedBox_->setText(QString::number(kFireDefaultSpeed));
  speedBox_->installEventFilter(this);
  timesBox_ = makeEdit(dlg::kFireTimesId, dlg::kFireTimes, false);
  timesBox_->setValidator(digits);
  timesBox_->setText(QString::number(kFireDefaultTimes));
  connect(timesBox_, &QLineEdit::textChanged, this, &CFireKeyDialog::checkTimes);

  keys_ = new DialogDropDown(this, dlg::kFireListId, dlg::kFireBox, dlg::kFireList, dlg::kWheelLines);
  keys_->fill = [] {
    QStringList rows;
    for (int r = 0; r < kFireRows; ++r) rows << QString::fromUtf8(fireRowText(r));
    return rows;
  };
  keys_->toggling = [this](bool opening) {
    if (opening) {
      setFocus();
      enableNumberBoxes(false);
    } else {
      enableNumberBoxes(true);
    }
  };
  keys_->chosen = [this](int row, const QString& text) {
    fireRow_ = row;
    fireKeyText_ = text.toStdString();
    keyLabel_->setText(text);
  };
}

void CFireKeyDialog::paintOwn(QPainter& painter) {
  const DialogTexts& t = texts();
  drawPrompt(painter, dlg::kFireSpeedLabel, QString::fromStdString(t.fireSpeedLabel), kTextLeftVCenter);
  drawPrompt(painter, dlg::kFireTimesLabel, QString::fromStdString(t.fireTimesLabel), kTextLeftVCenter);
  drawPrompt(painter, dlg::kFireHeading, QString::fromStdString(t.fireHeading), kTextLeftVCenter);
  drawPrompt(painter, dlg::kFireSpeedNote, QString::fromStdString(t.fireSpeedNote), kTextLeftVCenter);
  drawPrompt(painter, dlg::kFireTimesNote, QString::fromStdString(t.fireTimesNote), kTextLeftVCenter);
}

void CFireKeyDialog::enableNumberBoxes(bool on) {
  speedBox_->setEnabled(on);
  timesBox_->setEnabled(on);
}

void CFireKeyDialog::pressOwn(QPoint p) { keys_->press(p); }

void CFireKeyDialog::pressFrame(QPoint p) {
  if (keys_) keys_->press(p);
}

bool CFireKeyDialog::eventFilter(QObject* watched, QEvent* event) {
  if (watched == speedBox_ && event->type() == QEvent::FocusOut) checkSpeed();
  return CSkinDialog::eventFilter(watched, event);
}

void CFireKeyDialog::checkSpeed() {
  if (!speedBox_) return;
  const long value = leadingInteger(speedBox_->text().toStdString());
  speed_ = fireSpeedFromBox(value);
  if (!fireSpeedInRange(value)) speedBox_->setText(QString::number(speed_));
}

void CFireKeyDialog::checkTimes() {
  const long value = leadingInteger(timesBox_->text().toStdString());
  times_ = fireTimesFromBox(value);
  // Setting the text changes it again; the replacement is in range.
  if (!fireTimesInRange(value)) timesBox_->setText(QString::number(times_));
}

void CFireKeyDialog::accept() {
  // The box may still have the focus when OK ends the dialog.
  checkSpeed();
  CSkinDialog::accept();
}

bool CFireKeyDialog::wheelOwn(int delta) { return keys_ && keys_->scroll(delta); }

}  // namespace hm
