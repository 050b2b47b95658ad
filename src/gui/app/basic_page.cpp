// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/app/basic_page.h"

#include <QEvent>
#include <QListWidget>
#include <QMouseEvent>

#include "core/buttons/button_codes.h"
#include "core/device/device_link.h"
#include "core/model/basic_logic.h"
#include "core/model/config_session.h"
#include "core/settings/button_texts.h"
#include "core/settings/data_paths.h"
#include "core/settings/folder_transaction.h"
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
bool hit(const Box& b, QPoint p) { return b.contains(p.x(), p.y()); }

}  // namespace

int BasicPage::Runner::run(QDialog& dialog) {
  return ctx_.dialogRunner ? ctx_.dialogRunner->run(dialog) : modal_.run(dialog);
}

BasicPage::BasicPage(AppContext& ctx, Writes writes)
    : Page(ctx),
      runner_(ctx),
      choiceCtx_{ctx.working,       ctx.buttonTexts, ctx.ui,  ctx.language,   ctx.paths.recordIni,
                 ctx.skins,         ctx.messages,    runner_, ctx.mainWindow, ctx.style.textColor,
                 ctx.dialogMessages},
      controller_(choiceCtx_),
      led_(ctx),
      writes_(writes) {
  modeA_ = SkinButton::textButton(QPoint(basic::kModeAButton.left, basic::kModeAButton.top),
                                  QString::fromLatin1(keyModeName(kModeA)));
  modeB_ = SkinButton::textButton(QPoint(basic::kModeBButton.left, basic::kModeBButton.top),
                                  QString::fromLatin1(keyModeName(kModeB)));
  default_ = SkinButton::textButton(QPoint(basic::kDefaultButton.left, basic::kDefaultButton.top),
                                    qs(ctx.ui.get(TextId::DefaultBasic)), kHoverAlone);

  QStringList functions;
  for (int f = 0; f < kFunctionCount; ++f) functions << qs(ctx.ui.functionName(f));
  for (int k = 1; k <= basic::kKeyBoxCount; ++k) {
    auto d = std::make_unique<SkinDropDown>(ctx.mainWindow, basic::kKeyListIdBase + k,
                                            qrect(basic::keyBox(k)), qrect(basic::keyList(k)),
                                            img(basic::kKeyBoxNormal), img(basic::kKeyBoxOver), functions);
    d->indexText = QString::number(k);
    d->hoverGroup = kHoverKeyBoxes;
    d->listFont = ctx.style.fonts.normal;
    QObject::connect(d.get(), &SkinDropDown::selectionChanged, d.get(),
                     [this, k](int, int row) { onKeyListChoice(k, row); });
    QObject::connect(d.get(), &SkinDropDown::doubleClicked, d.get(),
                     [this, k](int, int row) { onKeyListChoice(k, row); });
    keys_[static_cast<std::size_t>(k - 1)] = std::move(d);
  }
  // A "DPI Switch" sub-list choice has stored itself; the key list closes and
  // the box shows the new text.
  controller_.setAfterDpiChoice([this](int button) {
    if (button >= 0 && button < basic::kKeyBoxCount) closeKeyList(button + 1);
  });
}

BasicPage::~BasicPage() { leave(); }

template <typename Draw>
void BasicPage::redraw(Draw&& draw) {
  std::unique_ptr<CMemDC> dc = ctx_.frame.beginDraw();
  if (dc) draw(*dc);
}

// ---- first display ---------------------------------------------------------------

void BasicPage::firstShow() {
  const bool mayWrite = writes_ == Writes::Allowed;
  if (mayWrite)
    ctx_.device.sensorHandshake();
  else
    ctx_.device.readSensorType();
  // A factory config.bin: the boxes of buttons 1..8 get their factory names,
  // which the first display shows; they are written to str.ini right after
  // it (kept in memory only by a run that writes nothing).
  if (!ctx_.session.runFirstRunAction(ctx_.ui, false) || !mayWrite) return;
  ctx_.frame.afterFirstPaint([&session = ctx_.session, &paths = ctx_.paths] {
    // str.ini changes while no other program writes the folder.
    FolderHold hold(paths, FolderAccess::Write, "hidmouse");
    if (hold.status() && session.saveButtonTexts()) static_cast<void>(hold.commit());
  });
}

// ---- painting ------------------------------------------------------------------------

void BasicPage::paint(CMemDC& dc) {
  levelCount_ = dpiLevelCount(ctx_.device.activeSensorType());
  const QFont& font = ctx_.style.fonts.normal;
  const QColor color = ctx_.style.textColor;
  QPainter& p = dc.painter();
  auto text = [&](const Box& b, const QString& s, int format) {
    drawSkinText(p, qrect(b), s, format, font, color);
  };

  // Images.
  drawSkinImage(dc.canvas(), ctx_.skins, img(basic::kBackgroundImage), 0, 0);
  ctx_.frame.drawFrameButtons(dc);
  drawSkinImage(dc.canvas(), ctx_.skins, default_.normalImage, default_.rect.left(), default_.rect.top());
  default_.highlighted = false;
  ctx_.frame.drawPageTabs(dc);
  for (int k = 1; k <= basic::kKeyBoxCount; ++k) drawKeyBoxImage(dc, k, false);
  for (int c = 0; c < basic::kRateCellCount; ++c) drawRateCell(dc, c, false);
  led_.drawBoxes(dc);

  // Texts.
  ctx_.frame.drawPageTitle(dc);
  text(basic::kKeySettingTitle, qs(ctx_.ui.get(TextId::KeySetting)), kTextCenter);
  text(basic::kReportRateTitle, qs(ctx_.ui.get(TextId::ReportRateSetting)), kTextCenter);
  text(basic::kDpiSettingTitle, qs(ctx_.ui.get(TextId::DpiSetting)), kTextCenter);
  ctx_.frame.drawFrameTexts(dc);
  drawSkinText(p, default_.rect, default_.text, kTextCenter, font, color);
  for (int k = 1; k <= basic::kKeyBoxCount; ++k) drawKeyBoxTexts(dc, k);
  drawModeButtons(dc);
  for (int c = 0; c < basic::kRateCellCount; ++c)
    text(basic::rateLabelRect(c), qs(reportRateLabel(c)), kTextCenter);
  text(basic::kSelectLabel, QString::fromLatin1(basic::kSelectText), kTextRightVCenter);
  led_.drawLabels(dc);
  for (int s = 0; s < basic::kDpiColumnCount; ++s)
    text(basic::stageNumberRect(s), QString::number(s + 1), kTextCenter);

  // The LED panel's child windows and panes, the selected report rate, the
  // DPI stages with the labels of the scale, the LED stage section.
  led_.drawControls(dc);
  drawRateCell(dc, reportRateCell(ctx_.working.reportInterval), true);
  for (int s = 0; s < basic::kDpiColumnCount; ++s) {
    drawPane(dc, s);
    drawColumn(dc, s, dpiLitLevels(ctx_.working, s, levelCount_));
  }
  const int sensor = ctx_.device.activeSensorType();
  for (int n = 1; n <= levelCount_; ++n)
    text(basic::dpiLabelRect(n), qs(dpiLevelLabel(sensor, n)), kTextRightVCenter);
  led_.drawStageSection(dc);
}

const char* BasicPage::backgroundImage() const { return basic::kBackgroundImage; }

void BasicPage::drawKeyBoxImage(CMemDC& dc, int k, bool over) {
  SkinDropDown& d = keyList(k);
  d.highlighted = over;
  drawSkinImage(dc.canvas(), ctx_.skins, over ? d.overImage : d.image, d.rect.left(), d.rect.top());
}

void BasicPage::drawKeyBoxTexts(CMemDC& dc, int k) {
  const int mode = ctx_.working.editedModeIndex();
  const std::string& name =
      ctx_.buttonTexts.text[static_cast<std::size_t>(mode)][static_cast<std::size_t>(k - 1)];
  keyList(k).caption = qs(name);
  drawSkinText(dc.painter(), qrect(basic::keyNumberRect(k)), QString::number(k), kTextLeftVCenter,
               ctx_.style.fonts.normal, ctx_.style.textColor);
  drawSkinText(dc.painter(), qrect(basic::keyNameRect(k)), qs(name), kTextLeftVCenter,
               ctx_.style.fonts.normal, ctx_.style.textColor);
}

void BasicPage::drawKeyBoxes(CMemDC& dc) {
  for (int k = 1; k <= basic::kKeyBoxCount; ++k) {
    drawKeyBoxImage(dc, k, false);
    drawKeyBoxTexts(dc, k);
  }
}

void BasicPage::drawModeButtons(CMemDC& dc) {
  // The highlighted button is the mode the boxes, the left-click guard and
  // the choices edit.
  const bool modeB = ctx_.working.editedModeIndex() == kModeB;
  modeA_.drawAs(dc, ctx_.style, !modeB);
  modeB_.drawAs(dc, ctx_.style, modeB);
}

void BasicPage::drawRateCell(CMemDC& dc, int cell, bool light) {
  const Box& b = basic::kRateCells[static_cast<std::size_t>(cell)];
  drawSkinImage(dc.canvas(), ctx_.skins, img(light ? basic::kRateCellLight : basic::kRateCellDark), b.left,
                b.top);
}

void BasicPage::drawPane(CMemDC& dc, int stage) {
  const Box b = basic::dpiPane(stage);
  drawSkinImage(dc.canvas(), ctx_.skins,
                img(dpiStageOn(ctx_.working, stage) ? basic::kPaneOn : basic::kPaneOff), b.left, b.top);
}

void BasicPage::drawColumn(CMemDC& dc, int stage, int litLevels) {
  for (int n = 1; n <= levelCount_; ++n) {
    const Box b = basic::dpiCell(stage, n);
    drawSkinImage(dc.canvas(), ctx_.skins, img(n <= litLevels ? basic::kDpiCellLight : basic::kDpiCellDark),
                  b.left, b.top);
  }
}

// ---- clicks ----------------------------------------------------------------------------

void BasicPage::closeListsMissing(QPoint p) {
  for (int k = 1; k <= basic::kKeyBoxCount; ++k) {
    SkinDropDown& d = keyList(k);
    if (d.isOpen() && !inside(d.listRect, p) && !inside(d.rect, p)) {
      d.close();
      controller_.hideDpiSubList();
    }
  }
  led_.closeListsMissing(p);
}

bool BasicPage::handleClick(QPoint p) {
  if (hit(basic::kModeAButton, p)) {
    setMode(kModeA);
    return true;
  }
  if (hit(basic::kModeBButton, p)) {
    setMode(kModeB);
    return true;
  }
  if (hit(basic::kDefaultButton, p)) {
    restoreDefaults();
    return true;
  }
  for (int k = 1; k <= basic::kKeyBoxCount; ++k) {
    if (hit(basic::keyBox(k), p)) {
      clickKeyBox(k);
      return true;
    }
  }
  for (int c = 0; c < basic::kRateCellCount; ++c) {
    if (hit(basic::kRateCells[static_cast<std::size_t>(c)], p)) {
      clickReportRate(c);
      return true;
    }
  }
  for (int s = 0; s < basic::kDpiColumnCount; ++s) {
    if (hit(basic::dpiPane(s), p)) {
      clickPane(s);
      return true;
    }
  }
  if (led_.handleClick(p)) return true;
  for (int s = 0; s < basic::kDpiColumnCount; ++s) {
    for (int n = 1; n <= basic::kDpiMaxLevels; ++n) {
      if (hit(basic::dpiCell(s, n), p)) {
        clickDpiCell(s, n);
        return true;
      }
    }
  }
  return false;
}

void BasicPage::setMode(std::uint8_t mode) {
  ctx_.working.editedMode = mode;
  // Redrawn even when the mode did not change.
  redraw([&](CMemDC& dc) {
    drawModeButtons(dc);
    drawKeyBoxes(dc);
  });
}

void BasicPage::restoreDefaults() {
  restoreDefaultAssignments(ctx_.working);
  restoreDefaultTexts(ctx_.buttonTexts, ctx_.ui);
  redraw([&](CMemDC& dc) {
    drawKeyBoxes(dc);
    drawModeButtons(dc);
  });
}

void BasicPage::clickKeyBox(int k) {
  SkinDropDown& d = keyList(k);
  // Opening or closing a list ends any "DPI Switch" sub-list.
  controller_.hideDpiSubList();
  std::vector<SkinDropDown*> group;
  for (auto& box : keys_) group.push_back(box.get());
  choiceCtx_.textColor = ctx_.style.textColor;
  d.clickBox(group, [&] { return controller_.mayOpenFunctionList(k - 1); });
  if (d.isOpen() && d.list()) {
    // Moves over the list reach the window's filter, which looks up the item
    // under the pointer for the sub-list.
    d.list()->setMouseTracking(true);
    d.list()->viewport()->setMouseTracking(true);
  }
}

void BasicPage::onKeyListChoice(int k, int row) {
  choiceCtx_.textColor = ctx_.style.textColor;
  if (controller_.onFunctionListChoice(k - 1, row)) closeKeyList(k);
}

void BasicPage::closeKeyList(int k) {
  keyList(k).close();
  controller_.hideDpiSubList();
  redraw([&](CMemDC& dc) {
    drawKeyBoxImage(dc, k, false);
    drawKeyBoxTexts(dc, k);
  });
}

void BasicPage::clickReportRate(int cell) {
  const ReportRateChange r = selectReportRate(ctx_.working, cell);
  if (!r.redraw) return;
  redraw([&](CMemDC& dc) {
    drawRateCell(dc, r.darkCell, false);
    drawRateCell(dc, r.lightCell, true);
  });
}

void BasicPage::clickPane(int stage) {
  if (toggleDpiStage(ctx_.working, stage) == PaneToggle::Refused) return;  // the last stage stays on
  redraw([&](CMemDC& dc) {
    drawPane(dc, stage);
    drawColumn(dc, stage, dpiLitLevels(ctx_.working, stage, levelCount_));
  });
}

void BasicPage::clickDpiCell(int stage, int level) {
  // Levels above the scale are not on it: the click does nothing.
  if (!selectDpiLevel(ctx_.working, stage, level, levelCount_)) return;
  redraw([&](CMemDC& dc) { drawColumn(dc, stage, level); });
}

void BasicPage::leave() {
  for (auto& d : keys_)
    if (d) d->close();
  controller_.hideDpiSubList();
  led_.leave();
}

// ---- hover -------------------------------------------------------------------------------

std::vector<HoverItem> BasicPage::hoverItems() const {
  std::vector<HoverItem> items;
  for (int k = 1; k <= basic::kKeyBoxCount; ++k)
    items.push_back({k - 1, qrect(basic::keyBox(k)), kHoverKeyBoxes});
  items.push_back({kDefaultHoverId, default_.rect, kHoverAlone});
  return items;
}

void BasicPage::drawHover(CMemDC& dc, int id, bool highlighted) {
  if (id >= 0 && id < basic::kKeyBoxCount) {
    drawKeyBoxImage(dc, id + 1, highlighted);
    drawKeyBoxTexts(dc, id + 1);
  } else if (id == kDefaultHoverId) {
    default_.highlighted = highlighted;
    default_.drawAs(dc, ctx_.style, highlighted);
  }
}

// ---- pre-filter ----------------------------------------------------------------------------

bool BasicPage::preFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::MouseMove) return false;
  for (int k = 1; k <= basic::kKeyBoxCount; ++k) {
    QListWidget* list = keyList(k).list();
    if (list && keyList(k).isOpen() && watched == list->viewport()) {
      const auto* move = static_cast<QMouseEvent*>(event);
      controller_.trackFunctionList(ctx_.mainWindow, k - 1, *list, move->position().toPoint());
      break;
    }
  }
  return false;
}

}  // namespace hm
