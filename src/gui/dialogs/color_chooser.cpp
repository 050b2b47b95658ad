// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/dialogs/color_chooser.h"

#include <QColorDialog>
#include <QWidget>
#include <QWindow>

namespace hm {

std::optional<QColor> DialogColorChooser::chooseColor(QWidget* parent, const QColor& initial) {
  // No parent widget: a child dialog would take the skinned window's style
  // sheet and colours (white on dark for labels and edits). The owner is
  // only the dialog's window-system parent, which keeps it above the owner
  // and centred on it.
  QColorDialog dialog(initial);
  if (QWidget* owner = parent != nullptr ? parent->window() : nullptr) {
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.winId();  // creates the native window the transient parent is set on
    if (QWindow* ownerWindow = owner->windowHandle()) dialog.windowHandle()->setTransientParent(ownerWindow);
    dialog.adjustSize();
    dialog.move(owner->geometry().center() - dialog.rect().center());
  }
  ModalDialogRunner modal;
  if ((runner_ != nullptr ? runner_ : &modal)->run(dialog) != QDialog::Accepted) return std::nullopt;
  const QColor chosen = dialog.selectedColor();
  if (!chosen.isValid()) return std::nullopt;
  return chosen;
}

}  // namespace hm
