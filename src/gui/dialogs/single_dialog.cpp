// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/dialogs/single_dialog.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPainter>

#include "core/settings/ui_text.h"
#include "gui/dialogs/dialog_layout.h"
#include "gui/dialogs/key_capture.h"
#include "gui/skin/skin_text.h"

namespace hm {

CSingleDialog::CSingleDialog(const DialogEnv& env, QWidget* parent)
    : CSkinDialog(env, {dlg::kSingleBackground, dlg::kSingleCaption, Keys::Capture}, parent) {}

void CSingleDialog::createControls() {
  nameLabel_ = makeLabel(dlg::kSingleKeyNameId, dlg::kSingleKeyName, Qt::AlignHCenter);
}

void CSingleDialog::paintOwn(QPainter& painter) {
  drawPrompt(painter, dlg::kSinglePrompt, QString::fromStdString(texts().singleKeyPrompt), kTextCenter);
}

void CSingleDialog::keyCaptured(const std::string& name) {
  keyName_ = name;
  if (nameLabel_) nameLabel_->setText(QString::fromStdString(name));
}

bool CSingleDialog::swallowsKey(const QKeyEvent& event) const {
  // The Windows keys would open the desktop's menus; they are named and dropped.
  return isWindowsKey(event) || CSkinDialog::swallowsKey(event);
}

}  // namespace hm
