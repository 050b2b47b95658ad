// SPDX-License-Identifier: GPL-3.0-or-later
// The LED panel of the Basic page: the effect mode and its parameter, the
// eight loop colours with their ticks and swatches, and the per-stage DPI
// LED toggles. The Basic page owns the panel and calls it at its points of
// the painting order and of the click order; every handler changes the
// working MouseConfig at once and redraws only what changed.
//
// Fields edited: ledMode, ledParam[0..2], loopColorEnabled, loopColor,
// dpiLedMask bytes 0 and 1. ledParam2 and dpiLedMask bytes 2 and 3 stay as
// loaded.
#pragma once

#include <QPoint>
#include <QPointer>
#include <QString>
#include <array>
#include <memory>
#include <optional>

#include "gui/app/app_context.h"
#include "gui/dialogs/color_chooser.h"
#include "gui/skin/skin_controls.h"

namespace hm {

class LedPanel {
 public:
  explicit LedPanel(AppContext& ctx);
  ~LedPanel();
  LedPanel(const LedPanel&) = delete;
  LedPanel& operator=(const LedPanel&) = delete;

  // ---- the Basic page's painting order ----
  // The box images of the mode, parameter and DPI stage drop-downs.
  void drawBoxes(CMemDC& dc);
  // "RGB Effect", "Mode", "Parameter", "Loop Color Setting",
  // "DPI Self-Color LED Setting ".
  void drawLabels(CMemDC& dc);
  // The mode face, the parameter face (none for "Off Mode"), the loop-colour
  // swatches (created here when missing) and their ticks.
  void drawControls(CMemDC& dc);
  // The DPI stage face and toggles, always for stage 1 (the shown stage
  // becomes stage 1).
  void drawStageSection(CMemDC& dc);

  // ---- clicks ----
  // Closes every open LED list whose list and box both miss p.
  void closeListsMissing(QPoint p);
  // The panel's regions in the page's order: DPI stage face, the four LED
  // toggles, mode face, parameter face, the eight ticks, the eight swatches.
  bool handleClick(QPoint p);
  // The page is left: lists and swatches destroyed, flags cleared.
  void leave();

  // ---- list choices (the lists' selection reports) ----
  void onModeChoice(int line);
  void onParamChoice(int line);
  void onStageChoice(int line);

  // ---- state, for the page and its tests ----
  int shownStage() const { return shownStage_; }  // 0..3
  // The texts the faces show now; the parameter face is absent (nullopt)
  // while "Off Mode" is shown.
  const QString& modeFaceText() const { return modeFace_; }
  const std::optional<QString>& paramFaceText() const { return paramFace_; }
  const QString& stageFaceText() const { return stageFace_; }
  SkinDropDown& modeList() { return *modeBox_; }
  SkinDropDown& paramList() { return *paramBox_; }
  SkinDropDown& stageList() { return *stageBox_; }
  ColorSwatch* swatch(int k) const;  // nullptr before the first paint and after leave()

 private:
  void drawModeFace(CMemDC& dc);
  void drawParamFace(CMemDC& dc);
  void drawStageFace(CMemDC& dc, bool withImage);
  void drawToggle(CMemDC& dc, int led);
  void drawTick(CMemDC& dc, int k);
  void drawSwatchColor(CMemDC& dc, int k);
  void clickSwatch(int k);
  ColorChooser& chooser();
  template <typename Draw>
  void redraw(Draw&& draw);

  AppContext& ctx_;
  std::unique_ptr<SkinDropDown> modeBox_;
  std::unique_ptr<SkinDropDown> paramBox_;
  std::unique_ptr<SkinDropDown> stageBox_;
  std::array<QPointer<ColorSwatch>, 8> swatches_{};
  int shownStage_ = 0;
  QString modeFace_;
  std::optional<QString> paramFace_;
  QString stageFace_;
  DialogColorChooser defaultChooser_;
};

}  // namespace hm
