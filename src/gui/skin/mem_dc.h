// SPDX-License-Identifier: GPL-3.0-or-later
// Off-screen drawing over a window's persistent canvas.
//
// Every painter and every partial redraw builds a CMemDC over the window's
// canvas, draws images (through canvas()) and text (through painter()) onto
// it, and on destruction the whole client area is put on screen in one copy.
// The window's paint event only shows the canvas, so the window always shows
// the last picture drawn, even after being covered.
#pragma once

#include <QImage>
#include <QPainter>
#include <QPointer>
#include <QWidget>

namespace hm {

class CMemDC {
 public:
  // target may be nullptr (drawing only, e.g. before the window is shown).
  // A null canvas (no "/main.png") gives an inactive painter; draws are
  // skipped.
  CMemDC(QWidget* target, QImage& canvas);
  ~CMemDC();
  CMemDC(const CMemDC&) = delete;
  CMemDC& operator=(const CMemDC&) = delete;

  QPainter& painter() { return painter_; }
  QImage& canvas() { return canvas_; }
  bool active() const { return painter_.isActive(); }

 private:
  QPointer<QWidget> target_;
  QImage& canvas_;
  QPainter painter_;
};

// Shows the canvas on the widget; call from the widget's paintEvent. Areas the
// canvas does not cover are left to the widget's background.
void presentCanvas(QWidget* widget, const QImage& canvas);

}  // namespace hm
