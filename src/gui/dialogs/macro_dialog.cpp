// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/dialogs/macro_dialog.h"

#include <QFontMetrics>
#include <QLabel>
#include <QPainter>
#include <climits>

#include "core/macros/macro_record.h"
#include "core/settings/ui_text.h"
#include "gui/dialogs/dialog_drop_down.h"
#include "gui/dialogs/dialog_layout.h"
#include "gui/skin/skin_images.h"
#include "gui/skin/skin_rect.h"
#include "gui/skin/skin_text.h"

namespace hm {

CMacroDialog::CMacroDialog(const DialogEnv& env, std::string recordIniPath, QWidget* parent)
    : CSkinDialog(env, {dlg::kMacroBackground, dlg::kMacroCaption, Keys::Standard}, parent),
      recordIniPath_(std::move(recordIniPath)) {}

void CMacroDialog::createControls() {
  display_ = makeLabel(dlg::kMacroDisplayId, dlg::kMacroDisplay, Qt::AlignLeft);
  list_ = new DialogDropDown(this, dlg::kMacroListId, dlg::kMacroBox, dlg::kMacroList, dlg::kWheelLines);
  list_->fill = [this] {
    // Read at every opening, so a macro added meanwhile is listed.
    QStringList rows;
    for (const std::string& name : listMacros(recordIniPath_)) rows << QString::fromStdString(name);
    return rows;
  };
  list_->chosen = [this](int row, const QString& text) {
    macroRow_ = row;
    macroName_ = text.toStdString();
    display_->setText(text);
  };
  repeatOption_ = 1;
}

void CMacroDialog::paintOwnImages() {
  for (int k = 0; k < dlg::kRepeatOptions; ++k)
    drawImage(repeatOption_ == k + 1 ? skin::kPaneOn : skin::kPaneOff, dlg::kRepeatTick[k].topLeft());
}

void CMacroDialog::paintOwn(QPainter& painter) {
  const DialogTexts& t = texts();
  drawPrompt(painter, dlg::kMacroPrompt, QString::fromStdString(t.macroPrompt), kTextCenter);
  painter.save();
  painter.setFont(dialogFont());
  painter.setPen(QColor::fromRgb(dlg::kPromptText));
  const QFontMetrics metrics(dialogFont());
  for (int k = 0; k < dlg::kRepeatOptions; ++k) {
    const QRect area = dlg::kRepeatText[k];
    const QString text = QString::fromStdString(t.macroRepeatOptions[static_cast<std::size_t>(k)]);
    constexpr int kWrap = Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop;
    // The wrapped text's height, centred about the rectangle's middle.
    const int height =
        metrics.boundingRect(QRect(area.left(), 0, area.width(), INT_MAX / 2), kWrap, text).height();
    const int top = area.top() + (area.height() - height) / 2;
    painter.drawText(QRect(area.left(), top, area.width(), height), kWrap, text);
  }
  painter.restore();
}

void CMacroDialog::pressOwn(QPoint p) {
  list_->press(p);
  for (int k = 0; k < dlg::kRepeatOptions; ++k) {
    if (inside(dlg::kRepeatTick[k], p) && repeatOption_ != k + 1) {
      repeatOption_ = k + 1;
      redraw();
    }
  }
}

void CMacroDialog::pressFrame(QPoint p) {
  if (list_) list_->press(p);
}

bool CMacroDialog::wheelOwn(int delta) { return list_ && list_->scroll(delta); }

}  // namespace hm
