// SPDX-License-Identifier: GPL-3.0-or-later
#include "skin_pages.h"

#include <QPainterPath>
#include <QRadialGradient>
#include <algorithm>
#include <initializer_list>

#include "gui/app/advanced_layout.h"
#include "gui/app/basic_layout.h"
#include "gui/app/frame_layout.h"
#include "skin_control_images.h"

namespace skingen {

namespace {

using hm::ltrb;

constexpr int kHeaderHeight = 30;
constexpr int kEdgeMargin = 8;   // panels keep this far from the window's sides
constexpr int kPanelMargin = 8;  // room around the controls of a panel
constexpr int kPanelGap = 3;     // between a panel and the bottom bar
constexpr int kLineInset = 10;   // accent lines inside their panel
constexpr int kWellMargin = 2;   // a well around a row or column of cells
constexpr int kBarAboveButtons = 6;
constexpr int kBarBelowLink = 5;
constexpr int kTitleLineDrop = 13;  // an accent line sits this far below a title's middle
constexpr int kRuleGap = 8;         // a line between two groups of one panel
constexpr int kHeadInset = 3;       // column separators inside the column heads

QRect basicRect(const hm::basic::Box& b) { return ltrb(b.left, b.top, b.right, b.bottom); }

QRect united(std::initializer_list<QRect> rects) {
  QRect u;
  for (const QRect& r : rects) u = u.united(r);
  return u;
}

// The bottom bar: OK / Apply / Cancel and the web address, across the window.
QRect bottomBar() {
  return ltrb(kEdgeMargin, hm::frame::kOk.top() - kBarAboveButtons, kWindowSize.width() - kEdgeMargin,
              hm::frame::kWebLink.bottom() + 1 + kBarBelowLink);
}

// A panel around a group of controls, kept inside the window and above the
// bottom bar.
QRect panelAround(std::initializer_list<QRect> rects) {
  const QRect area = ltrb(kEdgeMargin / 2, kHeaderHeight, kWindowSize.width() - kEdgeMargin / 2,
                          bottomBar().top() - kPanelGap);
  return united(rects).adjusted(-kPanelMargin, -kPanelMargin, kPanelMargin, kPanelMargin).intersected(area);
}

// The accent line under a section title, across its panel.
void titleLine(QPainter& p, const QRect& panel, const QRect& title, const Theme& t) {
  const int y = static_cast<int>(QRectF(title).center().y()) + kTitleLineDrop;
  paintAccentLine(p, panel.left() + kLineInset, panel.right() - kLineInset, y, t);
}

void ruleAbove(QPainter& p, const QRect& panel, const QRect& below, const Theme& t) {
  paintAccentLine(p, panel.left() + kLineInset, panel.right() - kLineInset, below.top() - kRuleGap, t);
}

QRect inflated(const QRect& r, int by) { return r.adjusted(-by, -by, by, by); }

void paintFrame(QPainter& p, const Theme& t);

// A window-sized picture: the frame, then `draw`.
QImage windowImage(const Theme& t, const std::function<void(QPainter&)>& draw) {
  return controlImage(t, kWindowSize, t.windowBottom, [&](QPainter& p) {
    paintFrame(p, t);
    draw(p);
  });
}

void paintFrame(QPainter& p, const Theme& t) {
  paintWindowBase(p, kWindowSize, t, kHeaderHeight);
  paintEmblem(p, QPointF(18, 15), 8, t);  // in the header strip, left of the frame buttons
  // Page title band: an accent line under the title text.
  const QRect title = hm::frame::kTitle;
  paintAccentLine(p, title.left(), title.right() + 1, title.bottom() + 1 - kRuleGap, t);
  paintPanel(p, bottomBar(), t);
}

// A stylised mouse seen from above, drawn around its centre (124, 357).
constexpr QPointF kMouseCentre(124, 357);
void paintMouseIllustration(QPainter& p, QPointF centre, const Theme& t) {
  p.save();
  p.setRenderHint(QPainter::Antialiasing);
  p.translate(centre - kMouseCentre);
  paintGlow(p, QPointF(124, 352), 150, 40, t);

  QPainterPath body;
  body.moveTo(124, 222);
  body.cubicTo(176, 222, 196, 262, 196, 320);
  body.lineTo(196, 410);
  body.cubicTo(196, 462, 164, 492, 124, 492);
  body.cubicTo(84, 492, 52, 462, 52, 410);
  body.lineTo(52, 320);
  body.cubicTo(52, 262, 72, 222, 124, 222);
  QLinearGradient bg(52, 222, 196, 492);
  bg.setColorAt(0, t.face);
  bg.setColorAt(1, t.windowBottom);
  p.setBrush(bg);
  p.setPen(QPen(t.faceBorder, 1.5));
  p.drawPath(body);
  // Button split and wheel.
  p.setPen(QPen(t.faceBorder.lighter(130), 1.5));
  p.drawLine(QPointF(124, 222), QPointF(124, 300));
  p.drawLine(QPointF(54, 318), QPointF(194, 318));
  p.setPen(QPen(t.accent, 2));
  p.setBrush(t.accentDeep);
  p.drawRoundedRect(QRectF(117, 250, 14, 34), 7, 7);
  // Side buttons.
  p.setPen(QPen(t.faceBorder.lighter(120), 1.2));
  p.setBrush(t.faceBottom);
  p.drawRoundedRect(QRectF(44, 332, 10, 26), 3, 3);
  p.drawRoundedRect(QRectF(44, 364, 10, 26), 3, 3);
  // Light strips along both flanks and the emblem on the palm.
  p.setPen(QPen(t.accent, 2.5, Qt::SolidLine, Qt::RoundCap));
  p.setBrush(Qt::NoBrush);
  QPainterPath left;
  left.moveTo(62, 330);
  left.lineTo(62, 408);
  left.cubicTo(62, 440, 76, 462, 96, 474);
  p.drawPath(left);
  QPainterPath right;
  right.moveTo(186, 330);
  right.lineTo(186, 408);
  right.cubicTo(186, 440, 172, 462, 152, 474);
  p.drawPath(right);
  paintEmblem(p, QPointF(124, 420), 13, t);
  // DPI indicator dots.
  p.setPen(Qt::NoPen);
  for (int i = 0; i < 4; ++i) {
    QColor d = t.accent;
    d.setAlpha(i == 1 ? 255 : 90);
    p.setBrush(d);
    p.drawEllipse(QPointF(140, 334 + i * 9), 2.2, 2.2);
  }
  p.restore();
}

void paintRecordIcon(QPainter& p, const QRect& area, const Theme& t, bool stop) {
  p.save();
  p.setRenderHint(QPainter::Antialiasing);
  const QRectF box = QRectF(area).adjusted(0.5, 0.5, -0.5, -0.5);
  QLinearGradient g(box.topLeft(), box.bottomLeft());
  g.setColorAt(0, t.face);
  g.setColorAt(1, t.faceBottom);
  p.setPen(QPen(t.faceBorder, 1));
  p.setBrush(g);
  p.drawRoundedRect(box, 5, 5);
  const QPointF c = box.center();
  if (stop) {
    p.setPen(Qt::NoPen);
    p.setBrush(t.glyph);
    p.drawRoundedRect(QRectF(c.x() - 6, c.y() - 6, 12, 12), 2, 2);
  } else {
    QRadialGradient dot(c, 8);
    dot.setColorAt(0, t.record.lighter(130));
    dot.setColorAt(1, t.record.darker(140));
    p.setPen(QPen(t.record.lighter(150), 1));
    p.setBrush(dot);
    p.drawEllipse(c, 7, 7);
  }
  p.restore();
}

}  // namespace

void paintGlow(QPainter& p, QPointF centre, qreal radius, int alpha, const Theme& t) {
  QRadialGradient glow(centre, radius);
  QColor inner = t.accent;
  inner.setAlpha(alpha);
  QColor outer = t.accent;
  outer.setAlpha(0);
  glow.setColorAt(0, inner);
  glow.setColorAt(1, outer);
  p.setPen(Qt::NoPen);
  p.setBrush(glow);
  p.drawEllipse(centre, radius, radius);
}

QImage basicPage(const Theme& t) {
  namespace b = hm::basic;
  return windowImage(t, [&](QPainter& p) {
    // Key setting: the title, the seven boxes, the mode and "Default" buttons.
    const QRect keys = panelAround({basicRect(b::kKeySettingTitle), basicRect(b::keyBox(1)),
                                    basicRect(b::keyBox(b::kKeyBoxCount)), basicRect(b::kModeAButton),
                                    basicRect(b::kModeBButton), basicRect(b::kDefaultButton)});
    // The mouse fills the free column left of the keys.
    paintMouseIllustration(p, QPointF(keys.left() / 2.0, keys.center().y()), t);
    paintPanel(p, keys, t);
    titleLine(p, keys, basicRect(b::kKeySettingTitle), t);
    ruleAbove(p, keys, basicRect(b::kModeAButton), t);

    // Report rate: the title, the cells and their labels.
    const QRect firstCell = basicRect(b::kRateCells.front()), lastCell = basicRect(b::kRateCells.back());
    const QRect rates = panelAround({basicRect(b::kReportRateTitle), firstCell, lastCell,
                                     basicRect(b::rateLabelRect(b::kRateCellCount - 1))});
    paintPanel(p, rates, t);
    titleLine(p, rates, basicRect(b::kReportRateTitle), t);
    paintWell(p, inflated(firstCell.united(lastCell), kWellMargin), t.well, t);

    // DPI: the title, the value labels, the columns, the panes and their
    // numbers; the LED column beside it, with the room its lists open into.
    // The two panels share their bottom edge.
    const QRect led = panelAround({basicRect(b::kLedPanelArea)});
    QRect dpi =
        panelAround({basicRect(b::kDpiSettingTitle), basicRect(b::dpiLabelRect(b::kDpiMaxLevels)),
                     basicRect(b::dpiCell(b::kDpiColumnCount - 1, b::kDpiMaxLevels)),
                     basicRect(b::kSelectLabel), basicRect(b::stageNumberRect(b::kDpiColumnCount - 1))});
    dpi.setBottom(led.bottom());
    paintPanel(p, dpi, t);
    titleLine(p, dpi, basicRect(b::kDpiSettingTitle), t);
    for (int s = 0; s < b::kDpiColumnCount; ++s)
      paintWell(p,
                inflated(basicRect(b::dpiCell(s, 1)).united(basicRect(b::dpiCell(s, b::kDpiMaxLevels))),
                         kWellMargin),
                t.well, t);

    // LED panel: effect, loop colours and the DPI LEDs.
    paintPanel(p, led, t);
    titleLine(p, led, basicRect(b::kRgbEffectTitle), t);
    titleLine(p, led, basicRect(b::kLoopColorTitle), t);
    titleLine(p, led, basicRect(b::kDpiLedTitle), t);
    // The mode and parameter faces are text on black.
    paintWell(p, basicRect(b::kLedModeFace), QColor(Qt::black), t);
    paintWell(p, basicRect(b::kLedParamFace), QColor(Qt::black), t);
    // A thin frame around each colour swatch.
    for (int k = 0; k < b::kLoopColorCount; ++k) paintWell(p, basicRect(b::swatchRect(k)), t.well, t);
  });
}

QImage advancedPage(const Theme& t) {
  namespace a = hm::advanced;
  const auto r = basicRect;
  return windowImage(t, [&](QPainter& p) {
    // Pointer settings: three titled sliders, two ticks and "Default".
    const QRect pointer = panelAround({r(a::kMouseSpeedTitle), r(a::sliderCell(0, 1)), r(a::kPrecisionLabel),
                                       r(a::kOneScreenLabel), r(a::kDefaultButton)});
    paintPanel(p, pointer, t);
    for (const a::Box& title : {a::kMouseSpeedTitle, a::kScrollingSpeedTitle, a::kDoubleClickTitle})
      titleLine(p, pointer, r(title), t);
    for (int row = 0; row < a::kSliderCount; ++row)
      paintWell(
          p, inflated(r(a::sliderCell(row, 1)).united(r(a::sliderCell(row, a::kSliderCells))), kWellMargin),
          t.well, t);

    // Macro editor: title, column heads over the two lists, the record options
    // and the New / Delete / Confirm buttons.
    const QRect heads = united({r(a::kSelectMacroHead), r(a::kSequenceHead), r(a::kRecordOptionHead)});
    // It shares its bottom edge with the pointer settings.
    QRect macros = panelAround({r(a::kMacroTitle), heads, r(a::kMacroList), r(a::kSequenceList),
                                r(a::kMouseEventList), r(a::kNewButton), r(a::kConfirmButton)});
    macros.setBottom(std::max(macros.bottom(), pointer.bottom()));
    paintPanel(p, macros, t);
    titleLine(p, macros, r(a::kMacroTitle), t);
    p.fillRect(heads, t.header);
    p.fillRect(QRect(heads.left(), heads.bottom(), heads.width(), 1), t.panelBorder);
    for (const a::Box& head : {a::kSequenceHead, a::kRecordOptionHead})
      p.fillRect(QRect(head.left, head.top + kHeadInset, 1, head.height() - 2 * kHeadInset), t.panelBorder);
    paintWell(p, r(a::kMacroList), t.well, t);
    paintWell(p, r(a::kSequenceList), t.well, t);
    paintRecordIcon(p, r(a::kStartRecording), t, false);
    paintRecordIcon(p, r(a::kStopRecording), t, true);
    paintWell(p, r(a::kMacroNameField), QColor(Qt::black), t);
    paintWell(p, r(a::kLoopTimesField), QColor(Qt::black), t);
    // The mouse-event face with its arrow compartment at the right.
    const QRect box = r(a::kMouseEventBox), face = r(a::kMouseEventFace);
    paintWell(p, box, QColor(Qt::black), t);
    p.fillRect(QRect(face.right() + 1, box.top() + 1, 1, box.height() - 2), t.wellBorder);
    paintChevron(p, QRectF(face.right() + 2, box.top(), box.right() - face.right() - 1, box.height()),
                 t.accent);
    ruleAbove(p, macros, r(a::kNewButton), t);
  });
}

QImage mainImage(const Theme& t) {
  return windowImage(t, [&](QPainter& p) {
    // A window shown before any page (the mouse is missing) still shows where
    // its skins, minimise and close buttons are.
    p.drawImage(hm::frame::kSkins.topLeft(), frameButton(t, Glyph::Skins, false));
    p.drawImage(hm::frame::kMinimise.topLeft(), frameButton(t, Glyph::Minimise, false));
    p.drawImage(hm::frame::kClose.topLeft(), frameButton(t, Glyph::Close, false));
    paintMouseIllustration(p, QPointF(kWindowSize.width() / 2.0, kWindowSize.height() / 2.0), t);
  });
}

}  // namespace skingen
