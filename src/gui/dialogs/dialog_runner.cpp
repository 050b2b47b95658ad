// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/dialogs/dialog_runner.h"

#include <QDialog>

namespace hm {

DialogRunner::~DialogRunner() = default;

int ModalDialogRunner::run(QDialog& dialog) { return dialog.exec(); }

}  // namespace hm
