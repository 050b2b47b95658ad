// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/app/advanced_page.h"

#include "core/settings/mouse_config.h"
#include "core/settings/ui_text.h"
#include "gui/app/advanced_layout.h"
#include "gui/app/basic_qt.h"
#include "gui/skin/draw_skin_image.h"
#include "gui/skin/mem_dc.h"
#include "gui/skin/skin_images.h"
#include "gui/skin/skin_text.h"
#include "platform/pointer_settings.h"

namespace hm {
namespace {

using advanced::Box;
using basic::qrect;
using basic::qs;

constexpr std::array<PointerSlider, advanced::kSliderCount> kSliders{
    PointerSlider::Speed, PointerSlider::ScrollLines, PointerSlider::DoubleClick};

int row(PointerSlider s) { return static_cast<int>(s); }
bool hit(const Box& b, QPoint p) { return b.contains(p.x(), p.y()); }

}  // namespace

AdvancedPage::AdvancedPage(AppContext& ctx) : Page(ctx), macros_(ctx) {
  for (PointerSlider s : kSliders) {
    SkinLevelBar& bar = slider(s);
    bar.origin = qrect(advanced::sliderCell(row(s), 1));
    bar.step = QPoint(advanced::kCellWidth, 0);
    bar.count = advanced::kSliderCells;
    bar.unlitImage = QString::fromLatin1(skin::kSliderDark);
    bar.litImage = QString::fromLatin1(skin::kSliderLight);
  }
  precision_.rect = qrect(advanced::kPrecisionTick);
  oneScreen_.rect = qrect(advanced::kOneScreenTick);
  default_ = SkinButton::textButton(QPoint(advanced::kDefaultButton.left, advanced::kDefaultButton.top),
                                    qs(ctx.ui.get(TextId::DefaultAdvanced)), kHoverAlone);
}

template <typename Draw>
void AdvancedPage::redraw(Draw&& draw) {
  std::unique_ptr<CMemDC> dc = ctx_.frame.beginDraw();
  if (dc) draw(*dc);
}

void AdvancedPage::firstShow() {
  takePointerReading(ctx_.working, readPointerValues(*ctx_.pointerSettings, ctx_.messages));
}

// ---- painting ------------------------------------------------------------------------

void AdvancedPage::paint(CMemDC& dc) {
  const QFont& font = ctx_.style.fonts.normal;
  const QColor color = ctx_.style.textColor;
  auto text = [&](const Box& b, const std::string& s, int format) {
    drawSkinText(dc.painter(), qrect(b), qs(s), format, font, color);
  };

  drawSkinImage(dc.canvas(), ctx_.skins, QString::fromLatin1(skin::kAdvancedBackground), 0, 0);
  ctx_.frame.drawFrameButtons(dc);
  // The "Default" image; its text comes with the other texts below.
  drawSkinImage(dc.canvas(), ctx_.skins, default_.normalImage, default_.rect.left(), default_.rect.top());
  default_.highlighted = false;
  ctx_.frame.drawPageTabs(dc);

  ctx_.frame.drawPageTitle(dc);
  text(advanced::kMouseSpeedTitle, ctx_.ui.get(TextId::MouseSpeed), kTextCenter);
  text(advanced::kScrollingSpeedTitle, ctx_.ui.get(TextId::ScrollingSpeed), kTextCenter);
  text(advanced::kDoubleClickTitle, ctx_.ui.get(TextId::DoubleClickSpeed), kTextCenter);
  ctx_.frame.drawFrameTexts(dc);
  text(advanced::kPrecisionLabel, ctx_.ui.get(TextId::EnhancePointerPrecision), kTextLeftVCenter);
  text(advanced::kOneScreenLabel, ctx_.ui.get(TextId::ScrollOneScreen), kTextLeftVCenter);
  for (PointerSlider s : kSliders)
    for (int n = 1; n <= advanced::kSliderCells; ++n)
      text(advanced::cellNumberRect(row(s), n), std::to_string(n), kTextCenter);

  for (PointerSlider s : kSliders) drawSlider(dc, s);
  drawTicks(dc);
  drawSkinText(dc.painter(), default_.rect, default_.text, kTextCenter, font, color);

  macros_.paint(dc);
  macros_.build();
}

void AdvancedPage::drawSlider(CMemDC& dc, PointerSlider s) {
  SkinLevelBar& bar = slider(s);
  // Set directly: an empty scroll slider (one screen per notch) lights no cell.
  bar.level = shownPointerStep(ctx_.working, s);
  bar.draw(dc, ctx_.style);
}

void AdvancedPage::drawTicks(CMemDC& dc) {
  precision_.on = precisionTicked(ctx_.working);
  oneScreen_.on = scrollOneScreenTicked(ctx_.working);
  precision_.draw(dc, ctx_.style);
  oneScreen_.draw(dc, ctx_.style);
}

// ---- clicks --------------------------------------------------------------------------

bool AdvancedPage::handleClick(QPoint p) {
  for (PointerSlider s : kSliders) {
    if (const int n = slider(s).hit(p); n > 0) {
      clickCell(s, n);
      return true;
    }
  }
  if (hit(advanced::kPrecisionTick, p)) {
    clickPrecision();
    return true;
  }
  if (hit(advanced::kOneScreenTick, p)) {
    clickOneScreen();
    return true;
  }
  if (hit(advanced::kDefaultButton, p)) {
    restoreDefaults();
    return true;
  }
  return macros_.handleClick(p);
}

void AdvancedPage::clickCell(PointerSlider s, int n) {
  if (!selectPointerStep(ctx_.working, s, n)) return;
  redraw([&](CMemDC& dc) { drawSlider(dc, s); });
}

void AdvancedPage::clickPrecision() {
  togglePrecision(ctx_.working);
  redraw([&](CMemDC& dc) { drawTicks(dc); });
}

void AdvancedPage::clickOneScreen() {
  toggleScrollOneScreen(ctx_.working);
  // The slider keeps its step; it is redrawn because an empty slider (lines
  // 0, read as one screen) shows the lines handed over once the tick is off.
  redraw([&](CMemDC& dc) {
    drawTicks(dc);
    drawSlider(dc, PointerSlider::ScrollLines);
  });
}

void AdvancedPage::restoreDefaults() {
  applyPointerValues(*ctx_.pointerSettings, kDefaultPointerValues, ctx_.messages);
  restorePointerDefaults(ctx_.working);
  redraw([&](CMemDC& dc) {
    drawTicks(dc);
    for (PointerSlider s : kSliders) drawSlider(dc, s);
  });
}

// ---- hover -------------------------------------------------------------------------------

std::vector<HoverItem> AdvancedPage::hoverItems() const {
  std::vector<HoverItem> items{{kDefaultHoverId, default_.rect, kHoverAlone}};
  for (const HoverItem& i : macros_.hoverItems()) items.push_back(i);
  return items;
}

void AdvancedPage::drawHover(CMemDC& dc, int id, bool highlighted) {
  if (id != kDefaultHoverId) {
    macros_.drawHover(dc, id, highlighted);
    return;
  }
  default_.highlighted = highlighted;
  default_.drawAs(dc, ctx_.style, highlighted);
}

}  // namespace hm
