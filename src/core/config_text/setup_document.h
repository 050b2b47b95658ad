// SPDX-License-Identifier: GPL-3.0-or-later
// The whole setup as one JSON document (hidmousectl's export and import):
// the record of config.bin with its first-run flag, the button texts of
// str.ini, its skin choice, and the macros of record.ini with their loop
// counts.
//
// {
//   "format": 1,
//   "firstRunFlag": 0 | 1,          config.bin byte 0 (0: the factory file, whose
//                                   buttons 1..8 the window names at its first display)
//   "record": {                     MouseConfig field by field, by its names
//     "editedMode": 0 | 1,
//     "buttons": { "a": [12 buttons], "b": [12 buttons] },
//         a button: {"function": "Left Click" (a list name, or 0..15),
//                    "mediaChoice", "mediaUsage", "windowsChoice",
//                    "windowsUsageLow", "windowsUsageHigh", "fireChoice",
//                    "fireKey", "fireSpeed", "fireTimes", "singleKey",
//                    "comboModifiers", "comboKey1", "comboKey2", "macroIndex",
//                    "macroRepeat", "dpiAction"}  (bytes)
//     "reportInterval", "dpiStageValue" [4], "dpiStageEnabled" [8],
//     "ledMode", "ledParam" [3], "ledParam2" [3], "loopColorEnabled" [8],
//     "loopColor" [8 × "#rrggbb"], "dpiLedMask" [4],
//     "enhancePointerPrecision", "scrollOneScreen", "pointerSpeedStep",
//     "scrollLines", "doubleClickStep",
//     "reserved1920" [5], "reserved1926", "reserved1939" [8], "reserved1954"
//   },
//   "buttonTexts": { "Setting-EN": {"a": [12 texts], "b": [12 texts]}, ... },
//   "skin": {"path": "...", "textColor": "#rrggbb"} | null,
//   "macros": [ {"name": "...", "loopTimes": 1, "items": ["A   Dn", "50 ms", ...]} ]
// }
// The macro images are not in the document: they are rebuilt from the
// macros, as Confirm rebuilds them, and carry the loop counts given.
//
// Reading checks all of it and names every fault by its path
// ("record.buttons.a[3].function: ..."): unknown and missing fields, types,
// the ranges the record's fields keep (and, for the function a button holds,
// parameters its dialog can give), a Left Click in each mode, a DPI stage
// on, macros with the macro editor's name rules and lines (at most as many,
// and each as long, as record.ini gives back; past the twelfth, without a
// loop count), names
// and texts without control characters. Before any of that the text itself:
// at most kMaxSetupDocumentBytes, no NUL byte, nested at most kMaxSetupDepth
// deep, each field once, integers only.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/settings/button_texts.h"
#include "core/settings/language.h"
#include "core/settings/mouse_config.h"

namespace hm {

inline constexpr int kSetupFormat = 1;
// A real document is about 13 KB and nests 5 deep (a button inside its mode's
// list inside "buttons" inside "record"); anything far past that is not one.
inline constexpr std::size_t kMaxSetupDocumentBytes = std::size_t{1} << 20;
inline constexpr std::size_t kMaxSetupDepth = 8;

// Lines of text held as one string and where each ends: a macro of 65,536
// short lines costs its text and four bytes a line, not a string a line.
class TextLines {
 public:
  TextLines() = default;
  TextLines(std::initializer_list<std::string_view> lines) {
    for (std::string_view line : lines) push_back(line);
  }
  void push_back(std::string_view line);
  std::size_t size() const { return ends_.size(); }
  bool empty() const { return ends_.empty(); }
  std::string_view operator[](std::size_t i) const {
    const std::size_t begin = i == 0 ? 0 : ends_[i - 1];
    return std::string_view(text_).substr(begin, ends_[i] - begin);
  }
  bool operator==(const TextLines&) const = default;

 private:
  std::string text_;
  std::vector<std::uint32_t> ends_;
};

struct SetupMacro {
  std::string name;
  std::uint16_t loopTimes = 0;
  TextLines items;
  bool operator==(const SetupMacro&) const = default;
};

struct SetupTexts {
  Language language = Language::English;  // the section "Setting-EN", ...
  ButtonTexts texts;
  bool operator==(const SetupTexts&) const = default;
};

struct SetupSkin {
  std::uint8_t red = 0, green = 0, blue = 0;
  std::string path;  // "" or one folder name inside "Skins"
  bool operator==(const SetupSkin&) const = default;
};

struct Setup {
  std::uint8_t firstRunFlag = 0;
  MouseConfig record{};                 // macroImage is not part of the document
  std::vector<SetupTexts> buttonTexts;  // in the order English, Simplified, Traditional Chinese
  std::optional<SetupSkin> skin;
  std::vector<SetupMacro> macros;
};

// The document, indented by two blanks and ending in a line break. Text that
// is not valid UTF-8 becomes U+FFFD.
std::string setupToJson(const Setup& setup);

struct SetupRead {
  std::optional<Setup> setup;       // set only when there are no errors
  std::vector<std::string> errors;  // "<path>: <what>", in document order
};
SetupRead setupFromJson(std::string_view text);

}  // namespace hm
