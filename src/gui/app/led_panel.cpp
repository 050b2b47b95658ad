// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/app/led_panel.h"

#include <QFontMetrics>
#include <QListWidget>
#include <QStringList>

#include "core/model/basic_logic.h"
#include "core/settings/mouse_config.h"
#include "core/settings/ui_text.h"
#include "gui/app/basic_layout.h"
#include "gui/app/basic_qt.h"
#include "gui/skin/draw_skin_image.h"
#include "gui/skin/mem_dc.h"
#include "gui/skin/skin_library.h"
#include "gui/skin/skin_text.h"

namespace hm {
namespace {

using basic::Box;

using basic::img;
using basic::qrect;
using basic::qs;

// The two text faces are static controls painted black with the skin text
// colour on them.
const QColor kFaceBackground(0, 0, 0);

QString modeName(const UiTexts& ui, int mode) { return qs(ledModeName(ui, mode)); }

// The faces are narrower than the longer mode names in the normal font; such
// a text is drawn in a smaller size of the same font so it shows whole.
constexpr int kSmallestFacePixels = 8;
QFont fittedFont(QFont font, const QString& text, int width, FontSizeCache* sizes) {
  auto fit = [font, &text, width]() mutable {
    while (font.pixelSize() > kSmallestFacePixels && QFontMetrics(font).horizontalAdvance(text) > width)
      font.setPixelSize(font.pixelSize() - 1);
    return font.pixelSize();
  };
  font.setPixelSize(sizes != nullptr ? sizes->pixelSize(font, QString::number(width) + u' ' + text, fit)
                                     : fit());
  return font;
}

// Room kept free at the right end of the DPI stage box for its arrow.
constexpr int kStageBoxArrowWidth = 14;

QColor swatchColor(const MouseConfig& cfg, int k) {
  return QColor(cfg.loopColor[k][0], cfg.loopColor[k][1], cfg.loopColor[k][2]);
}

}  // namespace

LedPanel::LedPanel(AppContext& ctx) : ctx_(ctx) {
  QStringList modes;
  for (int m = kLedModeStandard; m <= kLedModeNeon; ++m) modes << modeName(ctx_.ui, m);
  modeBox_ =
      std::make_unique<SkinDropDown>(ctx_.mainWindow, basic::kLedModeListId, qrect(basic::kLedModeBox),
                                     qrect(basic::kLedModeList), img(basic::kLedBoxImage), QString(), modes);
  paramBox_ =
      std::make_unique<SkinDropDown>(ctx_.mainWindow, basic::kLedParamListId, qrect(basic::kLedParamBox),
                                     qrect(basic::ledParamList(0)), img(basic::kLedBoxImage));
  QStringList stages;
  for (const char* s : basic::kDpiStageNames) stages << QString::fromLatin1(s);
  stageBox_ = std::make_unique<SkinDropDown>(ctx_.mainWindow, basic::kDpiStageListId,
                                             qrect(basic::kDpiStageFace), qrect(basic::kDpiStageList),
                                             img(basic::kDpiStageBoxImage), QString(), stages);
  for (SkinDropDown* d : {modeBox_.get(), paramBox_.get(), stageBox_.get()}) {
    d->listFont = ctx_.style.fonts.normal;
    QObject::connect(d, &SkinDropDown::selectionChanged, d, [this](int id, int row) {
      if (id == basic::kLedModeListId)
        onModeChoice(row);
      else if (id == basic::kLedParamListId)
        onParamChoice(row);
      else if (id == basic::kDpiStageListId)
        onStageChoice(row);
    });
  }
}

LedPanel::~LedPanel() { leave(); }

template <typename Draw>
void LedPanel::redraw(Draw&& draw) {
  std::unique_ptr<CMemDC> dc = ctx_.frame.beginDraw();
  if (dc) draw(*dc);
}

// ---- painting -------------------------------------------------------------------

void LedPanel::drawBoxes(CMemDC& dc) {
  for (SkinDropDown* d : {modeBox_.get(), paramBox_.get(), stageBox_.get()})
    drawSkinImage(dc.canvas(), ctx_.skins, d->image, d->rect.left(), d->rect.top());
}

void LedPanel::drawLabels(CMemDC& dc) {
  struct Label {
    Box box;
    TextId text;
    int format;
  };
  const Label labels[] = {
      {basic::kRgbEffectTitle, TextId::RgbEffect, kTextCenter},
      {basic::kLedModeLabel, TextId::Mode, kTextRightVCenter},
      {basic::kLedParamLabel, TextId::Parameter, kTextRightVCenter},
      {basic::kLoopColorTitle, TextId::LoopColorSetting, kTextLeftVCenter},
      {basic::kDpiLedTitle, TextId::DpiSelfColorLedSetting, kTextLeftVCenter},
  };
  for (const Label& l : labels)
    drawSkinText(dc.painter(), qrect(l.box), qs(ctx_.ui.get(l.text)), l.format, ctx_.style.fonts.normal,
                 ctx_.style.textColor);
}

void LedPanel::drawControls(CMemDC& dc) {
  drawModeFace(dc);
  paramFace_.reset();
  if (ctx_.working.ledMode != kLedModeOff) drawParamFace(dc);
  for (int k = 0; k < basic::kLoopColorCount; ++k) {
    const QColor c = swatchColor(ctx_.working, k);
    if (!swatches_[k] && ctx_.mainWindow) {
      auto* s = new ColorSwatch(ctx_.mainWindow, basic::kSwatchIdBase + k, qrect(basic::swatchRect(k)), c);
      s->setObjectName(QStringLiteral("loopColorSwatch%1").arg(basic::kSwatchIdBase + k));
      swatches_[k] = s;
    }
    if (swatches_[k]) swatches_[k]->setColor(c);
    drawSwatchColor(dc, k);
    drawTick(dc, k);
  }
}

void LedPanel::drawStageSection(CMemDC& dc) {
  shownStage_ = 0;
  drawStageFace(dc, false);  // its box image was drawn with the other boxes
  for (int led = 1; led <= basic::kDpiLedCount; ++led) drawToggle(dc, led);
}

void LedPanel::drawModeFace(CMemDC& dc) {
  const QRect r = qrect(basic::kLedModeFace);
  const QString name = modeName(ctx_.ui, ctx_.working.ledMode);
  modeFace_ = name;
  if (dc.active()) dc.painter().fillRect(r, kFaceBackground);
  drawSkinText(dc.painter(), r, name, kTextLeftVCenter,
               fittedFont(ctx_.style.fonts.normal, name, r.width(), ctx_.style.fontSizes),
               ctx_.style.textColor);
}

void LedPanel::drawParamFace(CMemDC& dc) {
  const QRect r = qrect(basic::kLedParamFace);
  const QString text = qs(ledParamFaceText(ctx_.working));
  paramFace_ = text;
  if (dc.active()) dc.painter().fillRect(r, kFaceBackground);
  drawSkinText(dc.painter(), r, text, kTextLeftVCenter,
               fittedFont(ctx_.style.fonts.normal, text, r.width(), ctx_.style.fontSizes),
               ctx_.style.textColor);
}

void LedPanel::drawStageFace(CMemDC& dc, bool withImage) {
  if (withImage)
    drawSkinImage(dc.canvas(), ctx_.skins, stageBox_->image, stageBox_->rect.left(), stageBox_->rect.top());
  const QString name = QString::fromLatin1(basic::kDpiStageNames[static_cast<std::size_t>(shownStage_)]);
  const QRect r = stageBox_->rect.adjusted(0, 0, -kStageBoxArrowWidth, 0);
  stageFace_ = name;
  drawSkinText(dc.painter(), r, name, kTextCenter,
               fittedFont(ctx_.style.fonts.normal, name, r.width(), ctx_.style.fontSizes),
               ctx_.style.textColor);
}

void LedPanel::drawToggle(CMemDC& dc, int led) {
  const Box b = basic::dpiLedRect(led);
  const char* image = dpiLedLit(ctx_.working, shownStage_, led) ? basic::kDpiCellLight : basic::kDpiCellDark;
  drawSkinImage(dc.canvas(), ctx_.skins, img(image), b.left, b.top);
}

void LedPanel::drawTick(CMemDC& dc, int k) {
  const Box b = basic::loopTickRect(k);
  drawSkinImage(dc.canvas(), ctx_.skins,
                img(loopColorUsed(ctx_.working, k) ? basic::kPaneOn : basic::kPaneOff), b.left, b.top);
}

// The swatch is a child window over the canvas; its colour is also put on
// the canvas underneath so the page's picture is complete on its own.
void LedPanel::drawSwatchColor(CMemDC& dc, int k) {
  if (dc.active()) dc.painter().fillRect(qrect(basic::swatchRect(k)), swatchColor(ctx_.working, k));
}

// ---- clicks --------------------------------------------------------------------------

void LedPanel::closeListsMissing(QPoint p) {
  SkinDropDown* const boxes[] = {modeBox_.get(), paramBox_.get(), stageBox_.get()};
  closeListsNotHit(boxes, p);
}

bool LedPanel::handleClick(QPoint p) {
  SkinDropDown* const group[] = {modeBox_.get(), paramBox_.get(), stageBox_.get()};
  if (stageBox_->contains(p)) {
    stageBox_->clickBox(group);
    return true;
  }
  for (int led = 1; led <= basic::kDpiLedCount; ++led) {
    if (basic::dpiLedRect(led).contains(p.x(), p.y())) {
      toggleDpiLed(ctx_.working, shownStage_, led);
      redraw([&](CMemDC& dc) { drawToggle(dc, led); });
      return true;
    }
  }
  if (modeBox_->contains(p)) {
    modeBox_->clickBox(group);
    return true;
  }
  if (paramBox_->contains(p)) {
    if (!paramBox_->isOpen()) {
      // The list shows the table of the current mode (the neon table for
      // modes other than 1 and 2) and is as tall as that table wants.
      paramBox_->items.clear();
      for (const std::string& s : ledParamTable(ctx_.working.ledMode)) paramBox_->items << qs(s);
      paramBox_->listRect = qrect(basic::ledParamList(ctx_.working.ledMode));
    }
    paramBox_->clickBox(group);
    return true;
  }
  for (int k = 0; k < basic::kLoopColorCount; ++k) {
    if (basic::loopTickRect(k).contains(p.x(), p.y())) {
      toggleLoopColor(ctx_.working, k);
      redraw([&](CMemDC& dc) { drawTick(dc, k); });
      return true;
    }
  }
  for (int k = 0; k < basic::kLoopColorCount; ++k) {
    if (basic::swatchRect(k).contains(p.x(), p.y())) {
      clickSwatch(k);
      return true;
    }
  }
  return false;
}

void LedPanel::clickSwatch(int k) {
  if (!swatchOpensChooser(ctx_.working, k)) return;
  // The chooser starts at black, as the standard colour dialog is opened.
  const std::optional<QColor> c = chooser().chooseColor(ctx_.mainWindow, QColor(0, 0, 0));
  if (!c) return;
  setLoopColor(ctx_.working, k, static_cast<std::uint8_t>(c->red()), static_cast<std::uint8_t>(c->green()),
               static_cast<std::uint8_t>(c->blue()));
  if (swatches_[k]) swatches_[k]->setColor(swatchColor(ctx_.working, k));
  redraw([&](CMemDC& dc) { drawSwatchColor(dc, k); });
}

ColorChooser& LedPanel::chooser() { return ctx_.colorChooser ? *ctx_.colorChooser : defaultChooser_; }

void LedPanel::leave() {
  for (SkinDropDown* d : {modeBox_.get(), paramBox_.get(), stageBox_.get()})
    if (d) d->close();
  for (QPointer<ColorSwatch>& s : swatches_) {
    if (s) {
      s->hide();
      s->deleteLater();
    }
    s = nullptr;
  }
}

// ---- list choices --------------------------------------------------------------------

void LedPanel::onModeChoice(int line) {
  if (!chooseLedMode(ctx_.working, line)) return;
  modeBox_->close();
  redraw([&](CMemDC& dc) {
    drawModeFace(dc);
    drawParamFace(dc);
  });
}

void LedPanel::onParamChoice(int line) {
  const bool stored = chooseLedParam(ctx_.working, line);
  paramBox_->close();
  // In "Off Mode" there is no parameter face and nothing was stored.
  if (stored) redraw([&](CMemDC& dc) { drawParamFace(dc); });
}

void LedPanel::onStageChoice(int line) {
  if (line < 0 || line >= static_cast<int>(kDpiStages)) return;
  shownStage_ = line;
  stageBox_->close();
  redraw([&](CMemDC& dc) {
    drawStageFace(dc, true);
    for (int led = 1; led <= basic::kDpiLedCount; ++led) drawToggle(dc, led);
  });
}

ColorSwatch* LedPanel::swatch(int k) const {
  if (k < 0 || k >= basic::kLoopColorCount) return nullptr;
  return swatches_[static_cast<std::size_t>(k)];
}

}  // namespace hm
