// SPDX-License-Identifier: GPL-3.0-or-later
// A button's function written as text, for hidmousectl's `get` and `set`:
// what a value names (a function-list choice with the parameters its dialog
// would hand back) and how an assignment of the record reads as such a value.
// Applying a value goes through the function-list rules of
// core/buttons/function_choice.h, so a value stores exactly what the same
// choice in the window stores, and is refused where the window refuses it.
//
// Values (function names and keywords match without regard to ASCII letter
// case; the names of the list are also taken in the texts' language):
//   Left Click, Right Click, Mid Click, Forward, Backward, Triple-click,
//   RGB On/Off, Shift, Key Off          the list choices without a dialog
//   DPI +, DPI -, DPI Loop              the "DPI Switch" sub-list
//   (also: dpi +, dpi -, dpi loop)
//   key KEY                             "Single Key": a key name
//   combo [MODIFIER+]KEY[+KEY]          "Combo Key": one modifier of the
//                                       dialog's list ("Ctrl", "Shift",
//                                       "Alt", "Win" stand for the left ones)
//                                       and up to two key names. The first
//                                       part is the modifier whenever it names
//                                       one; with three parts it must, and an
//                                       empty part is "none" ("+Right Ctrl+A":
//                                       no modifier, the keys Right Ctrl, A)
//   fire KEY [SPEED [TIMES]]            "Fire Key": a fire-list key, speed
//                                       5..255 (32), times 0..255 (1)
//   media ROW                           "Multimedia": a row of its list
//   windows ROW                         "Windows": a row of its list
//   macro MACRO [repeat 1|2|3]          "Macro Key": a macro by number or name
// The function's list name may stand for the keyword ("Single Key A").
#pragma once

#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "core/buttons/function_choice.h"
#include "core/settings/button_texts.h"
#include "core/settings/language.h"
#include "core/settings/mouse_config.h"

namespace hm {

class UiTexts;

// Buttons with a box on the Basic page.
inline constexpr int kBasicPageButtons = 7;

// ASCII letters compared without regard to case; every other byte exactly.
bool equalsIgnoringCase(std::string_view a, std::string_view b);

// A function-list choice that needs no dialog (function index 0..5, 7, 14, 15).
struct ListChoice {
  int index = 0;
};
// A row 0..2 of the "DPI Switch" sub-list.
struct DpiChoice {
  int row = 0;
};
using ButtonChoice = std::variant<ListChoice, DpiChoice, DialogResult>;

struct ButtonValue {
  ButtonChoice choice;
  std::string error;  // why the text names no choice; "" when it does
  bool ok() const { return error.empty(); }
};

// The text of a value as a choice. `macros` are the section names of
// record.ini in file order (the macro-key dialog's list); row and choice texts
// are those of `language`, as its dialogs hand them back.
ButtonValue parseButtonValue(std::string_view value, Language language,
                             const std::vector<std::string>& macros);

// Makes the choice for button `button` (0-based) of `mode`, as the window
// does with that mode shown: the left-button guard first, then the choice
// with its Shift rules and the display texts. The record's editedMode is left
// as it was. Returns "" when stored, else why the window refuses it.
std::string applyButtonChoice(MouseConfig& config, ButtonTexts& texts, int mode, int button,
                              const ButtonChoice& choice, const UiTexts& ui);

// The record's assignment of `button` (0-based) in `mode` as a value that
// parseButtonValue reads back to the same bytes; an assignment no value can
// make (a code without a name) is described in brackets instead.
std::string formatButtonValue(const MouseConfig& config, int mode, int button);

}  // namespace hm
