// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/dialogs/delay_time_dialog.h"

#include <QLineEdit>
#include <QPainter>
#include <QRegularExpressionValidator>

#include "core/macros/macro_record.h"
#include "core/settings/ui_text.h"
#include "gui/dialogs/dialog_layout.h"
#include "gui/skin/skin_text.h"

namespace hm {

CDelayTimeDialog::CDelayTimeDialog(const DialogEnv& env, QWidget* parent)
    : CSkinDialog(env, {dlg::kDelayBackground, dlg::kDelayCaption, Keys::Standard}, parent) {}

void CDelayTimeDialog::createControls() {
  box_ = makeEdit(dlg::kDelayBoxId, dlg::kDelayBox, true);
  box_->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), box_));
  connect(box_, &QLineEdit::textChanged, this, [this](const QString& text) {
    delayText_ = text.toStdString();
    delay_ = leadingInteger(delayText_);
  });
  box_->setFocus();
}

void CDelayTimeDialog::paintOwn(QPainter& painter) {
  drawPrompt(painter, dlg::kDelayPrompt, QString::fromStdString(texts().delayPrompt), kTextCenter);
  drawPrompt(painter, dlg::kDelayNote, QString::fromStdString(texts().delayRangeNote), kTextCenter);
}

}  // namespace hm
