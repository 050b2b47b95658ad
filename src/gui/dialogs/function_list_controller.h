// SPDX-License-Identifier: GPL-3.0-or-later
// What a choice in one of the Basic page's key function lists does: runs the
// assignment dialog where the function has one, stores the result into the
// edited mode of the working record and sets the button's display text; the
// "DPI Switch" sub-list shown beside the list's "DPI Switch" item; and the
// guard that keeps one button on "Left Click".
//
// The Basic page needs only:
//   (a) on a list's selection change or double click:
//         if (ctl.onFunctionListChoice(button, row)) { close list; redraw box; }
//   (b) from mouse moves over an open list:
//         ctl.trackFunctionList(mainWindow, button, list, posInViewport)
//       (or showDpiSubList with its own geometry), hideDpiSubList() when the
//       list closes; a sub-list choice stores itself and then calls the
//       handler set with setAfterDpiChoice(button) so the page closes the list
//       and redraws the box;
//   (c) before opening list `button`: if (!ctl.mayOpenFunctionList(button)) stop.
// Buttons are 0-based (0..11), list rows are the function indices 0..15.
#pragma once

#include <QColor>
#include <QListWidget>
#include <QPoint>
#include <QPointer>
#include <functional>
#include <memory>
#include <string>

#include "core/buttons/function_choice.h"
#include "core/settings/language.h"
#include "gui/dialogs/dialog_messages.h"

class QWidget;
class QAbstractItemView;

namespace hm {

struct MouseConfig;
struct ButtonTexts;
class UiTexts;
class SkinLibrary;
class MessageSink;
class DialogRunner;

// Everything the controller and its dialogs work on; all referred objects
// outlive the controller.
struct FunctionChoiceContext {
  MouseConfig& config;                    // the working copy; its editedMode selects the mode
  ButtonTexts& texts;                     // display texts of both modes
  const UiTexts& ui;                      // function names in the system language
  Language language;                      // dialog texts and fonts
  std::string recordIniPath;              // macro list of the macro-key dialog
  SkinLibrary& skins;                     // dialog backgrounds and buttons
  MessageSink& messages;                  // "Warning" / "error" message boxes
  DialogRunner& runner;                   // runs each dialog (modal in the program)
  QWidget* parent = nullptr;              // owner of the dialogs (the main window)
  QColor textColor{0, 255, 0};            // the skin text colour for the dialogs' painted texts
  OwnedMessageSinks dialogMessages = {};  // boxes owned by each dialog; empty: `messages`
};

// Geometry of the DPI sub-list: a 60 x 60 list box, child of the main window.
constexpr int kDpiSubListId = 37;
constexpr int kDpiSubListSize = 60;

class FunctionListController {
 public:
  explicit FunctionListController(FunctionChoiceContext& ctx);
  ~FunctionListController();
  FunctionListController(const FunctionListController&) = delete;
  FunctionListController& operator=(const FunctionListController&) = delete;

  // A choice of function index `index` (-1 = nothing selected) in the list of
  // `button` in the edited mode. Returns true when the page should close the
  // list and redraw the box (a value stored, or a refused "Shift", or a
  // cancelled dialog, which changes nothing); false when the list stays open
  // (-1 or "DPI Switch", whose sub-list takes the choice).
  bool onFunctionListChoice(int button, int index);

  // The pointer is over item `itemIndex` of the open list of `button`. On the
  // "DPI Switch" item the sub-list is created (once) as a child of mainWindow
  // with its top-left corner at subListTopLeft (main-window coordinates: list
  // left + item right edge, list top + item top); on any other item it is
  // destroyed.
  void showDpiSubList(QWidget* mainWindow, int button, int itemIndex, QPoint subListTopLeft);
  // The same, finding the item under posInViewport (list viewport
  // coordinates) and the sub-list position from the list's own geometry.
  void trackFunctionList(QWidget* mainWindow, int button, const QAbstractItemView& list,
                         QPoint posInViewport);
  void hideDpiSubList();
  bool dpiSubListShown() const;
  QListWidget* dpiSubList() const;  // nullptr when not shown
  int dpiSubListButton() const;     // the button it belongs to, -1 when none

  // A sub-list choice (row 0..2) for `button`: function 6 with that DPI
  // action and text in the edited mode; the sub-list is destroyed. Returns
  // true when stored. The sub-list's own selection calls this and then the
  // after-choice handler.
  bool onDpiSubListChoice(int button, int choice);
  void setAfterDpiChoice(std::function<void(int button)> handler);

  // False, after showing "Left key must be selected!" under "Warning", when
  // `button` is the only one of the twelve holding "Left Click".
  bool mayOpenFunctionList(int button) const;

 private:
  // Runs the dialog of function index 8..13; false when cancelled.
  bool runDialog(int index, DialogResult& result);

  FunctionChoiceContext& ctx_;
  QPointer<QListWidget> subList_;
  int subListButton_ = -1;
  QMetaObject::Connection subListChoice_;
  std::function<void(int)> afterDpiChoice_;
};

}  // namespace hm
