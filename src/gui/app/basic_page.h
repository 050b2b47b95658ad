// SPDX-License-Identifier: GPL-3.0-or-later
// The Basic settings page: the seven key drop-down boxes of the edited mode
// with their function lists, the Mode A / Mode B buttons and "Default", the
// report-rate cells, the four DPI stage columns with their on/off panes, and
// the LED panel (led_panel.h) on the right.
//
// Painting order (paint): background; frame buttons; "Default" image; page
// tabs; key boxes; report-rate cells dark; LED boxes; then the texts (page
// title, section titles, frame texts, "Default", key numbers and names, the
// mode buttons, report-rate labels, "Select", LED labels, stage numbers);
// the LED faces, swatches and ticks; the selected report-rate cell light; the
// DPI panes and columns; the DPI value labels; the LED stage face and toggles.
//
// Click order (handleClick, the first hit wins): "Mode A", "Mode B",
// "Default", key boxes 1..7, report-rate cells 1..4, DPI panes 1..4, the LED
// panel, then the DPI cells column by column from stage 1, each from level 1
// upwards. Every handler changes the working MouseConfig at once and redraws
// only what changed.
#pragma once

#include <QPoint>
#include <array>
#include <memory>
#include <vector>

#include "gui/app/led_panel.h"
#include "gui/app/page.h"
#include "gui/dialogs/dialog_runner.h"
#include "gui/dialogs/function_list_controller.h"
#include "gui/skin/skin_controls.h"

namespace hm {

class BasicPage : public Page {
 public:
  // A page that only draws (screenshots) changes nothing outside the
  // program: its first display reads the sensor without the handshake's
  // write and keeps the first-run texts in memory instead of writing str.ini.
  enum class Writes { Allowed, None };
  explicit BasicPage(AppContext& ctx, Writes writes = Writes::Allowed);
  ~BasicPage() override;

  PageId id() const override { return kBasicPage; }
  // The sensor handshake, and on a factory config.bin the first-run texts
  // (see Writes).
  void firstShow() override;
  void paint(CMemDC& dc) override;
  const char* backgroundImage() const override;
  void closeListsMissing(QPoint p) override;
  bool handleClick(QPoint p) override;
  void leave() override;
  std::vector<HoverItem> hoverItems() const override;
  void drawHover(CMemDC& dc, int id, bool highlighted) override;
  // Mouse moves over an open key list look up the "DPI Switch" sub-list.
  bool preFilter(QObject* watched, QEvent* event) override;

  // Hover identifiers: key boxes 1..7 are 0..6, "Default" is 7.
  static constexpr int kDefaultHoverId = 7;

  // ---- state, for the window and the tests ----
  int levelCount() const { return levelCount_; }  // DPI levels of the last paint (8 or 12)
  SkinDropDown& keyList(int k) { return *keys_[static_cast<std::size_t>(k - 1)]; }  // k = 1..7
  LedPanel& led() { return led_; }
  FunctionListController& functionLists() { return controller_; }

 private:
  // Runs the assignment dialogs through the window's runner when it has one.
  class Runner : public DialogRunner {
   public:
    explicit Runner(AppContext& ctx) : ctx_(ctx) {}
    int run(QDialog& dialog) override;

   private:
    AppContext& ctx_;
    ModalDialogRunner modal_;
  };

  void setMode(std::uint8_t mode);
  void restoreDefaults();
  void clickKeyBox(int k);
  void onKeyListChoice(int k, int row);
  void closeKeyList(int k);
  void clickReportRate(int cell);
  void clickPane(int stage);
  void clickDpiCell(int stage, int level);

  void drawKeyBoxImage(CMemDC& dc, int k, bool over);
  void drawKeyBoxTexts(CMemDC& dc, int k);
  void drawKeyBoxes(CMemDC& dc);  // all seven, normal, with texts
  void drawModeButtons(CMemDC& dc);
  void drawRateCell(CMemDC& dc, int cell, bool light);
  void drawPane(CMemDC& dc, int stage);
  void drawColumn(CMemDC& dc, int stage, int litLevels);
  template <typename Draw>
  void redraw(Draw&& draw);

  Runner runner_;
  FunctionChoiceContext choiceCtx_;
  FunctionListController controller_;
  LedPanel led_;
  SkinButton modeA_, modeB_, default_;
  std::array<std::unique_ptr<SkinDropDown>, 7> keys_;
  int levelCount_ = 12;
  Writes writes_;
};

}  // namespace hm
