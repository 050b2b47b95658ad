#include "gui/dialogs/color_chooser.h"

#include <QColorDialog>

namespace hm {

std::optional<QColor> DialogColorChooser::chooseColor(QWidget* parent, const QColor& initial) {
  const QColor c = QColorDialog::getColor(initial, parent);
  if (!c.isValid()) return std::nullopt;  // cancelled
  return c;
}

}  // namespace hm
