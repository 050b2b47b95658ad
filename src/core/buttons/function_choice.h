// SPDX-License-Identifier: GPL-3.0-or-later
// What a choice in a button's function list does to the working record and
// the display texts, without any window: the results the assignment dialogs
// hand back, how each is stored into the edited mode and which text the
// button's box then shows, the "Shift" rules, the "DPI Switch" sub-list
// choice and the guard that keeps one button on "Left Click".
//
// Display texts of dialog functions are "<function name>-<detail>" where the
// function name is the language's list text (for example "Single Key-A");
// the Windows function shows its row text alone and "DPI Switch" shows the
// fixed English action text ("DPI +", "DPI -", "DPI Loop").
#pragma once

#include <cstdint>
#include <string>
#include <variant>

#include "core/buttons/button_codes.h"
#include "core/settings/button_texts.h"
#include "core/settings/mouse_config.h"
#include "core/settings/ui_text.h"

namespace hm {

constexpr const char* kFunctionTextSeparator = "-";  // between function name and detail
constexpr const char* kComboPartSeparator = "+";     // between the parts of a combination
constexpr int kNoSelection = -1;                     // a list reporting no selected row
constexpr int kDpiSubListRows = 3;
constexpr int kFunctionListButtons = kSentButtons;  // buttons whose list can hold Shift / DPI

// The fire-key dialog's number boxes: speed 5..255 (smaller is faster) and
// times 0..255 (0 = firing ends when the button is released), what they show
// when the dialog opens, and what replaces a value outside its range.
inline constexpr int kFireDefaultSpeed = 32;
inline constexpr int kFireDefaultTimes = 1;
inline constexpr int kFireMinSpeed = 5, kFireMaxSpeed = 255;
inline constexpr int kFireSpeedReplacement = 5;
inline constexpr int kFireMinTimes = 0, kFireMaxTimes = 255;
inline constexpr int kFireTimesReplacement = 1;
bool fireSpeedInRange(long value);
bool fireTimesInRange(long value);
// What a box keeps for the number typed into it: the number itself in range,
// else the replacement.
std::uint8_t fireSpeedFromBox(long value);
std::uint8_t fireTimesFromBox(long value);

// The macro-key dialog's repeat options 1..3; option k stores macroRepeat k - 1.
inline constexpr int kMacroRepeatOptions = 3;

// Results of the confirmed dialogs, as the dialogs hand them back.
struct SingleKeyResult {
  std::string keyName;  // last key captured; "" when none
};
struct ComboKeyResult {
  std::string modifierName;  // one of the eight modifier names, or ""
  std::string key1Name;
  std::string key2Name;
};
struct WindowsResult {
  int row = 0;       // 0..10
  std::string text;  // the row's text in the system language
};
struct MediaResult {
  int row = 0;  // 0..6
  std::string text;
};
struct FireKeyResult {
  int row = 0;  // fire-list row 0..60
  std::string keyText = "A";
  std::uint8_t speed = kFireDefaultSpeed;  // kFireMinSpeed..kFireMaxSpeed
  std::uint8_t times = kFireDefaultTimes;  // kFireMinTimes..kFireMaxTimes, 0 = until released
};
struct MacroKeyResult {
  int row = 0;           // macro position in record.ini, 0-based
  std::string name;      // "" when none was chosen
  int repeatOption = 1;  // 1..kMacroRepeatOptions; macroRepeat = option - 1
};

using DialogResult =
    std::variant<WindowsResult, MediaResult, FireKeyResult, SingleKeyResult, ComboKeyResult, MacroKeyResult>;

// True for the list indices 8..13, whose choice runs a dialog first.
bool choiceNeedsDialog(int index);

// The display text a confirmed dialog result gives, in the language of `ui`.
std::string displayTextFor(const DialogResult&, const UiTexts& ui);

// Writes the result's parameter fields into `block` for `button` (0..11);
// `function` is not touched.
void storeDialogResult(ButtonBlock& block, int button, const DialogResult&);

// What a choice did, for the page that shows the list.
enum class ChoiceEffect {
  KeepListOpen,  // nothing selected or "DPI Switch": the sub-list takes the choice
  CloseList,     // refused or cancelled: nothing changed, the list closes
  Changed        // stored: the list closes and the box is redrawn
};

// A choice of list index `index` for `button` (0..11) in the edited mode that
// needs no dialog (-1, 0..7, 14, 15; 8..13 give KeepListOpen untouched).
// "Shift" is refused (CloseList) while any of buttons 1..8 already holds it in
// the edited mode; otherwise it is set in both modes with its text in both.
ChoiceEffect applyImmediateChoice(MouseConfig&, ButtonTexts&, int button, int index, const UiTexts& ui);

// A confirmed dialog for `button` in the edited mode: stores the parameters
// and the display text, then the function (see storeFunction).
void applyDialogChoice(MouseConfig&, ButtonTexts&, int button, const DialogResult&, const UiTexts& ui);

// Stores function `index` for `button` in the edited mode. A button that held
// "Shift" gets the new function in both modes and its edited-mode text is
// copied to the other mode (parameters stay per mode).
void storeFunction(MouseConfig&, ButtonTexts&, int button, int index);

// A choice in the "DPI Switch" sub-list: row 0..2 = "DPI +", "DPI -",
// "DPI Loop". Sets function 6, the DPI action and the text in the edited mode
// only. False (nothing changed) for a row outside 0..2 or a bad button.
bool applyDpiSubListChoice(MouseConfig&, ButtonTexts&, int button, int row);

// Whether button (0..11) may open its function list: no when it holds "Left
// Click" in the edited mode and none of the other eleven buttons does.
bool mayOpenFunctionList(const MouseConfig&, int button);

}  // namespace hm
