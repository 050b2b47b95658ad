// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/skin/mem_dc.h"

namespace hm {

CMemDC::CMemDC(QWidget* target, QImage& canvas) : target_(target), canvas_(canvas) {
  if (!canvas_.isNull()) painter_.begin(&canvas_);
}

CMemDC::~CMemDC() {
  if (painter_.isActive()) painter_.end();
  if (!target_) return;
  if (target_->testAttribute(Qt::WA_WState_InPaintEvent)) {
    // Built inside the target's own paint event: copy straight to it.
    presentCanvas(target_, canvas_);
  } else {
    // One repaint of the whole client area, which shows the canvas.
    target_->update();
  }
}

void presentCanvas(QWidget* widget, const QImage& canvas) {
  if (!widget || canvas.isNull()) return;
  QPainter p(widget);
  p.setCompositionMode(QPainter::CompositionMode_Source);
  p.drawImage(0, 0, canvas);
}

}  // namespace hm
