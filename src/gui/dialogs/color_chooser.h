// SPDX-License-Identifier: GPL-3.0-or-later
// The colour chooser behind the loop-colour swatches. The page asks through
// this interface, like it shows messages through MessageSink, so tests answer
// it without a modal dialog.
#pragma once

#include <QColor>
#include <optional>

#include "gui/dialogs/dialog_runner.h"

class QWidget;

namespace hm {

class ColorChooser {
 public:
  virtual ~ColorChooser() = default;
  // Runs the chooser modally over `parent`, starting at `initial`. Returns the
  // chosen colour when the user confirms, nothing when the chooser is cancelled.
  virtual std::optional<QColor> chooseColor(QWidget* parent, const QColor& initial) = 0;
};

// The system's standard colour dialog (default options), in the desktop's
// style rather than the skinned owner's: its window-system parent is the
// owner's window, but it is no child widget of it. `runner` runs it (modal
// exec() when none is given).
class DialogColorChooser : public ColorChooser {
 public:
  explicit DialogColorChooser(DialogRunner* runner = nullptr) : runner_(runner) {}
  std::optional<QColor> chooseColor(QWidget* parent, const QColor& initial) override;

 private:
  DialogRunner* runner_;
};

}  // namespace hm
