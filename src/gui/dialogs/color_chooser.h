// The colour chooser behind the loop-colour swatches. The page asks through
// this interface, like it shows messages through MessageSink, so tests answer
// it without a modal dialog.
#pragma once

#include <QColor>
#include <optional>

class QWidget;

namespace hm {

class ColorChooser {
 public:
  virtual ~ColorChooser() = default;
  // Runs the chooser modally over `parent`, starting at `initial`. Returns the
  // chosen colour when the user confirms, nothing when the chooser is cancelled.
  virtual std::optional<QColor> chooseColor(QWidget* parent, const QColor& initial) = 0;
};

// The system's standard colour dialog (default options).
class DialogColorChooser : public ColorChooser {
 public:
  std::optional<QColor> chooseColor(QWidget* parent, const QColor& initial) override;
};

}  // namespace hm
