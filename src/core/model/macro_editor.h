// SPDX-License-Identifier: GPL-3.0-or-later
// The macro editor's rules, without any window: a MacroEditor holds what the
// editor's controls show (the macro list in file order, the key press
// sequence of the selected macro, the name and loop-times fields, the face of
// the mouse-event choice) and changes it, record.ini and the macro images of
// a MouseConfig the way the editor's buttons do. The Advanced page shows it;
// hidmousectl can drive the same rules.
//
//   New      the name field's text, refused when it is blank, when 12
//            macros exist, when a macro of that name exists (letter case
//            ignored, as profile::sameName compares), when it is longer than
//            31 UTF-16 units or when a profile section could not hold it
//            ("[", "]", "=", a line break, blanks at either end). Only the
//            list gains the name; record.ini is written at Confirm.
//   Delete   removes the selected macro from the list and its section from
//            record.ini; the images are not rebuilt.
//   Confirm  writes the selected macro (the list's name, not the name
//            field's) with every sequence line, rewriting its section where
//            it stands so that its number does not change (a new macro is
//            appended), rebuilds every image, and gives the macro the loop
//            count of the loop field (a confirmed macro never keeps the loop
//            count 0 of an image that was empty). Warns when a macro was cut
//            to fit its image or has no image.
//   Loop     the loop field's integer value 1..65535 goes into the image of
//            the selected macro's list position; other values become 1 and
//            the field shows "1".
//   Delay    a line containing "ms" can be edited: an answer outside
//            50..10000 gives "50 ms", otherwise "<answer text> ms".
//   Mouse    a chosen mouse event is inserted after the selected line, with
//            "50 ms" delays, as mouseEventInsertion describes.
//   Record   Start / Stop Recording and the key events: macro_recorder.h.
// Messages go through the MessageSink: texts of the UI text table, and fixed
// English texts (caption "Warning", or the application's name).
#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/macros/macro_encoder.h"
#include "core/macros/macro_record.h"
#include "core/model/macro_recorder.h"
#include "core/settings/message_sink.h"
#include "core/settings/mouse_config.h"

namespace hm {

class UiTexts;

// The mouse events that can be inserted, in the order of the editor's list.
inline constexpr std::array<const char*, 9> kMouseEventChoices{
    "L-Button Click", "R-Button Click", "M-Button Click", "L-Button   Dn", "L-Button   Up",
    "R-Button   Dn",  "R-Button   Up",  "M-Button   Dn",  "M-Button   Up"};

inline constexpr std::size_t kMaxMacros = kMacroCount;
inline constexpr std::size_t kMaxMacroNameUnits = 31;  // the encoder's 32-unit name buffer
inline constexpr long kMinDelayMs = 50, kMaxDelayMs = 10000;
inline constexpr unsigned kDefaultDelayMs = 50;  // a delay outside the range, and between inserted events

inline constexpr char kMacroWarningCaption[] = "Warning";
inline constexpr char kTooManyMacrosText[] = "Macro numbers up to 12.";
inline constexpr char kMacroNameTooLongText[] =
    "A macro name can have at most 31 characters: a longer name would be cut.";
inline constexpr char kMacroNameUnstorableText[] =
    "A macro name cannot contain \"[\", \"]\", \"=\" or control characters, must be UTF-8 text, and cannot "
    "begin or end with a blank: record.ini could not hold it.";

// ---- plain rules -----------------------------------------------------------------

enum class NewNameCheck { Ok, Blank, TooMany, Exists, TooLong, Unstorable };
// The checks of "New", in their order.
NewNameCheck checkNewMacroName(const std::string& name, const std::vector<std::string>& macros);

// A sequence line that holds a delay: it contains "ms".
bool isDelayLine(const std::string& line);
// The line for a delay answered in the delay dialog (its value and text).
std::string delayLine(long delay, const std::string& delayText);

// The lines inserted after a selected line for a chosen mouse event, and
// which of them becomes selected. A "Click" choice is a press and a release
// (" Click" replaced by "   Dn" and "   Up"). After a delay line: the press,
// "50 ms", the release, "50 ms" (or the choice and "50 ms"), selecting the
// first; after a key line: "50 ms", the press, "50 ms", the release (or
// "50 ms" and the choice), selecting the first key line.
struct MouseEventInsertion {
  std::vector<std::string> lines;
  std::size_t selected = 0;  // index into lines
};
MouseEventInsertion mouseEventInsertion(const std::string& afterLine, const std::string& chosen);

// What the delay dialog answered.
struct DelayAnswer {
  long delay = 0;
  std::string text;
};

// ---- the editor ----------------------------------------------------------------------

class MacroEditor {
 public:
  // The config, texts and sink must outlive the editor.
  MacroEditor(std::string recordIni, MouseConfig& config, const UiTexts& texts, MessageSink& messages);

  // The source of key events while recording; without one Start Recording
  // reports that the source could not be installed.
  void setRecorderHost(RecorderHost* host) { host_ = host; }

  // Building: every section of record.ini in file order; the first one
  // selected with its name and items; the loop field shows the first image's
  // loop count ("" without macros).
  void load();
  // The editor's controls are gone (the page was left): a recording ends
  // silently, everything shown is forgotten.
  void reset();

  // ---- what the controls show ----
  const std::vector<std::string>& macros() const { return macros_; }
  int selectedMacro() const { return selectedMacro_; }  // -1: none
  const std::vector<std::string>& sequence() const { return sequence_; }
  int selectedLine() const { return selectedLine_; }  // -1: none
  const std::string& nameField() const { return name_; }
  const std::string& loopField() const { return loop_; }
  const std::string& mouseEventFace() const { return face_; }  // the last chosen mouse event

  // ---- the user's actions ----
  // Shows macro `row`: its name, its items (edits of the sequence are
  // dropped) and, when it has items, its loop count. -1 clears the selection.
  void selectMacro(int row);
  void selectLine(int row);  // -1: none
  void setNameField(std::string text) { name_ = std::move(text); }
  void setLoopField(const std::string& text);
  bool createMacro();  // "New"; true when the name was added
  bool removeMacro();  // "Delete"; true when a macro was deleted
  bool confirm();      // "Confirm"; true when the macro was written
  // A double click on a line: a delay line asks for its new delay (nullopt:
  // cancelled). True when the line changed.
  bool editDelay(int row, const std::function<std::optional<DelayAnswer>()>& ask);
  // A choice of the mouse-event list (index into kMouseEventChoices).
  void chooseMouseEvent(int choice);
  // The context menu's "Delete": the selected sequence line goes.
  bool deleteSelectedLine();
  // The sequence list holds exactly `lines`, none selected: lines made outside
  // the editor (hidmousectl), checked by the caller.
  void replaceSequence(std::vector<std::string> lines);

  // ---- recording ----
  void startRecording();
  void stopRecording();
  // A key event of the window while the key source is installed.
  void recordKey(const KeyStroke& stroke);
  // Records the release held back for a repeat that did not come; the window
  // calls it once no key event followed the release for a moment.
  void settleKeys();
  bool holdsKeyRelease() const { return recorder_.holdsRelease(); }
  // Ends a recording without a message (the page is left).
  void endRecording();
  bool recording() const { return recorder_.recording(); }
  const MacroRecorder& recorder() const { return recorder_; }

 private:
  void loadItems(const std::string& name);
  void fileFailure(const Status& status);
  void warnAboutImages(const std::vector<MacroReport>& reports);
  void stopByCtrlBreak();
  void record(const MacroRecorder::Event& event);

  std::string recordIni_;
  MouseConfig& config_;
  const UiTexts& texts_;
  MessageSink& messages_;
  RecorderHost* host_ = nullptr;
  MacroRecorder recorder_;

  std::vector<std::string> macros_;
  int selectedMacro_ = -1;
  std::vector<std::string> sequence_;
  int selectedLine_ = -1;
  std::string name_;
  std::string loop_;
  std::string face_;
};

}  // namespace hm
