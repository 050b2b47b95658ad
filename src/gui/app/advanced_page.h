// SPDX-License-Identifier: GPL-3.0-or-later
// The Advanced page. Its left half holds the desktop's pointer settings: the
// pointer speed, scroll lines and double-click sliders (11 cells each), the
// "Enhance Pointer Precision" and "Scroll One Screen" ticks and "Default";
// the right half is the macro editor's.
//
// The first paint in a run reads the desktop's four values (through
// AppContext::pointerSettings) and replaces the record's fields with them;
// later paints draw the fields as they are. Clicks change the working record
// only: the window hands the fields to the desktop after OK / Apply has
// written the mouse. "Default" sets the desktop at once, then the fields.
//
// Painting order (paint): background; frame buttons; "Default" image; page
// tabs; page title; the three titles; frame texts; tick labels; cell numbers;
// the sliders; the ticks; the "Default" text; the macro editor's buttons and
// texts; then the macro editor's build step (macro_editor_view.h), which
// creates its controls when they do not exist.
//
// Click order (handleClick, the first hit wins; nothing overlaps): the cells
// of the speed, scroll and double-click sliders, the precision tick, the
// one-screen tick, "Default", then the macro editor's regions. Leaving the
// page destroys the macro editor's controls and ends a recording.
#pragma once

#include <array>

#include "core/model/pointer_settings_logic.h"
#include "gui/app/macro_editor_view.h"
#include "gui/app/page.h"
#include "gui/skin/skin_controls.h"

namespace hm {

class AdvancedPage : public Page {
 public:
  explicit AdvancedPage(AppContext& ctx);
  PageId id() const override { return kAdvancedPage; }
  // Reads the desktop's pointer settings into the working record.
  void firstShow() override;
  void paint(CMemDC& dc) override;
  void closeListsMissing(QPoint p) override { macros_.closeListsMissing(p); }
  bool handleClick(QPoint p) override;
  void leave() override { macros_.destroy(); }
  std::vector<HoverItem> hoverItems() const override;
  void drawHover(CMemDC& dc, int id, bool highlighted) override;
  bool swallowsKeys() const override { return macros_.swallowsKeys(); }
  bool preFilter(QObject* watched, QEvent* event) override { return macros_.preFilter(watched, event); }

  MacroEditorView& macroEditor() { return macros_; }

  // Hover identifier of the pointer settings' "Default".
  static constexpr int kDefaultHoverId = 0;

 private:
  SkinLevelBar& slider(PointerSlider s) { return sliders_[static_cast<std::size_t>(s)]; }
  void clickCell(PointerSlider s, int n);
  void clickPrecision();
  void clickOneScreen();
  void restoreDefaults();
  void drawSlider(CMemDC& dc, PointerSlider s);
  void drawTicks(CMemDC& dc);
  template <typename Draw>
  void redraw(Draw&& draw);

  std::array<SkinLevelBar, 3> sliders_;  // by PointerSlider
  SkinPane precision_, oneScreen_;
  SkinButton default_;
  MacroEditorView macros_;
};

}  // namespace hm
