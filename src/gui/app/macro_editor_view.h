// SPDX-License-Identifier: GPL-3.0-or-later
// The macro editor on the right half of the Advanced page: it shows a
// MacroEditor (core/model/macro_editor.h, which holds the rules and the
// state) with the page's real child controls and drawn buttons.
//
//   151  macro list              QListWidget, a choice selects the macro
//   152  key press sequence      QListWidget; a double click edits a delay,
//                                the right button opens "Delete" (32772),
//                                hovering selects the line under the pointer
//   150  macro name field        QLineEdit, centred
//   149  loop times field        QLineEdit, digits only, centred
//   119  mouse-event face        QLabel showing the last chosen mouse event
//   154  mouse-event drop list   QListWidget, created while open; hovering
//                                marks a line, a click chooses it (the rest
//                                of a double click there goes nowhere)
// Drawn: the "Macro Setting" title, the three column heads, the word-wrapped
// "Start Recording" / "Stop Recording" texts beside their icons (part of the
// page background), the three field labels and the "New", "Delete",
// "Confirm" buttons (one hover group). Colours are the window's answer for
// each child (frame_colours.h).
//
// The controls exist from the page's build step (its first paint after
// being entered) until the page is left; each build reads record.ini afresh.
// Click order: Start Recording, Stop Recording, the mouse-event box, New,
// Delete, Confirm. Any other click on the page closes the drop list.
#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/model/macro_editor.h"
#include "gui/app/app_context.h"
#include "gui/app/macro_key_source.h"
#include "gui/app/page.h"
#include "gui/skin/skin_controls.h"

class QAction;
class QEvent;
class QMenu;

namespace hm {

// The command of the sequence list's context menu.
inline constexpr int kDeleteLineCommand = 32772;

class MacroEditorView : public QObject {
  Q_OBJECT
 public:
  explicit MacroEditorView(AppContext& ctx);
  ~MacroEditorView() override;

  // The drawn parts, in the page's painting order.
  void paint(CMemDC& dc);
  // Creates the controls and fills them from record.ini, unless they exist.
  void build();
  // Destroys the controls; a recording ends without a message.
  void destroy();
  bool built() const { return macroList_ != nullptr; }

  void closeListsMissing(QPoint p);
  bool handleClick(QPoint p);
  std::vector<HoverItem> hoverItems() const;
  void drawHover(CMemDC& dc, int id, bool highlighted);
  // While recording every key event goes to the recorder instead.
  bool swallowsKeys() const { return editor_.recording(); }
  // Mouse moves over the sequence and drop lists, the right press on the
  // sequence list.
  bool preFilter(QObject* watched, QEvent* event);

  // Hover identifiers (the page's own start at 0).
  static constexpr int kNewHoverId = 1, kDeleteHoverId = 2, kConfirmHoverId = 3;

  // ---- for the page and its tests ----
  MacroEditor& editor() { return editor_; }
  QListWidget* macroList() const { return macroList_; }
  QListWidget* sequenceList() const { return sequenceList_; }
  QListWidget* mouseEventList() const { return eventList_; }
  QLineEdit* nameField() const { return nameField_; }
  QLineEdit* loopField() const { return loopField_; }
  QLabel* mouseEventFace() const { return face_; }
  bool mouseEventListOpen() const { return eventList_ != nullptr; }
  // Runs the context menu at a global point and gives the chosen action
  // (nullptr: none); by default QMenu::exec. Tests answer it.
  using MenuRunner = std::function<QAction*(QMenu&, QPoint)>;
  void setMenuRunner(MenuRunner run) { runMenu_ = std::move(run); }

 private:
  QListWidget* makeList(int id, const QRect& rect);
  QLineEdit* makeEdit(int id, const QRect& rect);
  // Copies the editor's state into the controls.
  void show();
  void openMouseEventList();
  void closeMouseEventList();
  void editDelay(int row);
  void openLineMenu(QPoint globalPos);
  void onKey(const KeyStroke& stroke);
  template <typename Draw>
  void redraw(Draw&& draw);

  AppContext& ctx_;
  MacroEditor editor_;
  MacroKeySource keys_;
  // Settles a key release held back in case it was half of a repeat, when no
  // press came right after it.
  QTimer settleKeys_;
  SkinButton new_, delete_, confirm_;
  QPointer<QListWidget> macroList_, sequenceList_, eventList_;
  QPointer<QLineEdit> nameField_, loopField_;
  QPointer<QLabel> face_;
  bool showing_ = false;  // show() is changing the controls: their signals are not the user's
  MenuRunner runMenu_;
  DoubleClickGuard doubleClick_;  // the rest of a double click that chose a mouse event
};

}  // namespace hm
