// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/dialogs/combo_dialog.h"

#include <QLabel>
#include <QLineEdit>

#include "core/buttons/key_tables.h"
#include "gui/dialogs/dialog_drop_down.h"
#include "gui/dialogs/dialog_layout.h"

namespace hm {

CComboDialog::CComboDialog(const DialogEnv& env, QWidget* parent)
    : CSkinDialog(env, {dlg::kComboBackground, dlg::kComboCaption, Keys::Capture}, parent) {}

void CComboDialog::createControls() {
  modifierLabel_ = makeLabel(dlg::kComboModifierDisplayId, dlg::kComboModifierDisplay, Qt::AlignHCenter);
  key1_ = makeEdit(dlg::kComboKey1Id, dlg::kComboKey1, false);
  key2_ = makeEdit(dlg::kComboKey2Id, dlg::kComboKey2, false);
  // The boxes show captured names only; typing does not edit them.
  key1_->setReadOnly(true);
  key2_->setReadOnly(true);

  modifiers_ =
      new DialogDropDown(this, dlg::kComboModifierListId, dlg::kComboModifierBox, dlg::kComboModifierList);
  modifiers_->fill = [] {
    QStringList rows;
    for (int r = 0; r < kModifierRows; ++r) rows << QString::fromUtf8(hm::modifierName(r));
    return rows;
  };
  modifiers_->toggling = [this](bool opening) {
    if (opening) {
      setFocus();
      enableKeyBoxes(false);
    } else {
      enableKeyBoxes(true);
    }
  };
  modifiers_->chosen = [this](int row, const QString& text) {
    modifierName_ = text.toStdString();
    modifierRow_ = row;
    modifierLabel_->setText(text);
  };
}

void CComboDialog::enableKeyBoxes(bool on) {
  key1_->setEnabled(on);
  key2_->setEnabled(on);
}

void CComboDialog::pressOwn(QPoint p) { modifiers_->press(p); }

void CComboDialog::pressFrame(QPoint p) {
  if (modifiers_) modifiers_->press(p);
}

void CComboDialog::keyCaptured(const std::string& name) {
  if (!key1_) return;
  QWidget* focus = focusWidget();
  if (focus == key1_) {
    key1Name_ = name;
    key1_->setText(QString::fromStdString(name));
  } else if (focus == key2_) {
    key2Name_ = name;
    key2_->setText(QString::fromStdString(name));
  }
}

}  // namespace hm
