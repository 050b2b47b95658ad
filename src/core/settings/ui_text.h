// SPDX-License-Identifier: GPL-3.0-or-later
// Every language-dependent text of the system, in one place: the main
// window's text table (one entry per role, reached by TextId) and the texts of
// the assignment dialogs and the skins dialog. English, Simplified Chinese and
// Traditional Chinese; all strings are UTF-8 and kept exactly, trailing blanks
// included. The language is chosen once per run (selectLanguage, language.h).
#pragma once

#include <array>
#include <string>

#include "core/settings/language.h"

namespace hm {

// One role per entry of the main window's text table, 72 in all. The two
// "Default" entries (Basic and Advanced page) are separate roles.
enum class TextId {
  // Main window frame and Basic page.
  BasicSettings,
  AdvancedSettings,
  Ok,
  Apply,
  Cancel,
  KeySetting,
  ReportRateSetting,
  DpiSetting,
  DefaultBasic,
  WebAddress,
  // Function names (see UiTexts::functionName for the list order).
  LeftClick,
  RightClick,
  MidClick,
  Forward,
  Backward,
  TripleClick,
  DpiSwitch,
  Shift,
  RgbOnOff,
  Windows,
  Multimedia,
  FireKey,
  SingleKey,
  ComboKey,
  MacroKey,
  KeyOff,
  LeftKeyMustBeSelected,
  // LED settings.
  RgbEffect,
  Mode,
  Parameter,
  LoopColorSetting,
  DpiSelfColorLedSetting,
  OffMode,
  StandardMode,
  RespirationMode,
  NeonMode,
  // Tray.
  Exit,
  ReportRate1000,
  ReportRate500,
  ReportRate250,
  ReportRate125,
  DpiStage1,
  DpiStage2,
  DpiStage3,
  DpiStage4,
  KeyMatrix1,
  KeyMatrix2,
  MacroKeySwitch,
  MouseNotDetected,
  // Advanced page and macros.
  MouseSpeed,
  ScrollingSpeed,
  DoubleClickSpeed,
  EnhancePointerPrecision,
  ScrollOneScreen,
  DefaultAdvanced,
  MacroSetting,
  SelectMacro,
  KeyPressSequence,
  RecordOption,
  MacroName,
  StartRecording,
  StopRecording,
  LoopTimes,
  InsertMouseEvent,
  New,
  Delete,
  Confirm,
  MacroNameBlank,
  MacroNameExists,
  PressCtrlBreak,
  NotRecording,
  // The str.ini section of the button texts ("Setting-EN", ...).
  SettingSection,
  Count
};
constexpr int kTextCount = static_cast<int>(TextId::Count);
static_assert(kTextCount == 72);

// The main window's text table, filled once from one language column.
class UiTexts {
 public:
  explicit UiTexts(Language);
  Language language() const { return language_; }
  const std::string& get(TextId) const;  // UTF-8; "" for Count or beyond
  // The sixteen function-list texts by function index 0..15 (Left Click ...
  // Triple-click, DPI Switch, RGB On/Off, Windows, Multimedia, Fire Key,
  // Single Key, Combo Key, Macro Key, Shift, Key Off); "" outside 0..15.
  const std::string& functionName(int index) const;

 private:
  Language language_;
  std::array<std::string, kTextCount> text_;
};

// The English column, for hidmousectl and messages outside the GUI.
const char* englishText(TextId);
// Any column without building a table; "" for Count or beyond.
const char* textFor(Language, TextId);

// Texts of the assignment dialogs and the skins dialog in one language.
struct DialogTexts {
  std::string ok;                                 // "OK"
  std::string cancel;                             // "Cancel"
  std::string singleKeyPrompt;                    // "Please enter a key"
  std::array<std::string, 7> mediaRows;           // multimedia list, rows 0..6
  std::array<std::string, 11> windowsRows;        // Windows-function list, rows 0..10
  std::string fireSpeedLabel;                     // "Speed"
  std::string fireTimesLabel;                     // "Times"
  std::string fireHeading;                        // "Illustration:"
  std::string fireSpeedNote;                      // "Speed (value range 5-255, ...)"
  std::string fireTimesNote;                      // "Times (value range 0-255,0 ...)"
  std::string delayPrompt;                        // "Please enter a delay"
  std::string delayRangeNote;                     // "(value range 50-10000)"
  std::string macroPrompt;                        // "Please select a macro"
  std::array<std::string, 3> macroRepeatOptions;  // options 1..3 (macroRepeat 0..2)
  std::string skinsColorPrompt;                   // "Please click to set the UI text color"
};

// The dialog texts of a language; the object lives for the whole run.
const DialogTexts& dialogTexts(Language);

}  // namespace hm
