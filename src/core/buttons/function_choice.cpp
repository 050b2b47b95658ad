// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/buttons/function_choice.h"

#include <cstddef>
#include <vector>

#include "core/buttons/key_tables.h"

namespace hm {
namespace {

constexpr int kFirstDialogFunction = kWindows;
constexpr int kLastDialogFunction = kMacroKey;
constexpr int kFirstRepeatOption = 1, kLastRepeatOption = kMacroRepeatOptions;

bool validButton(int button) { return button >= 0 && button < static_cast<int>(kButtonSlots); }

std::size_t slot(int button) { return static_cast<std::size_t>(button); }

std::string withDetail(const UiTexts& ui, Function f, const std::string& detail) {
  return ui.functionName(f) + kFunctionTextSeparator + detail;
}

// The function index a dialog result belongs to.
struct FunctionOf {
  Function operator()(const WindowsResult&) const { return kWindows; }
  Function operator()(const MediaResult&) const { return kMultimedia; }
  Function operator()(const FireKeyResult&) const { return kFireKey; }
  Function operator()(const SingleKeyResult&) const { return kSingleKey; }
  Function operator()(const ComboKeyResult&) const { return kComboKey; }
  Function operator()(const MacroKeyResult&) const { return kMacroKey; }
};

struct TextOf {
  const UiTexts& ui;
  std::string operator()(const WindowsResult& r) const { return r.text; }
  std::string operator()(const MediaResult& r) const { return withDetail(ui, kMultimedia, r.text); }
  std::string operator()(const FireKeyResult& r) const { return withDetail(ui, kFireKey, r.keyText); }
  std::string operator()(const SingleKeyResult& r) const { return withDetail(ui, kSingleKey, r.keyName); }
  std::string operator()(const ComboKeyResult& r) const {
    // Only the parts that map to a code are shown, in the order modifier,
    // first key, second key.
    std::vector<const std::string*> parts;
    if (modifierBitFromName(r.modifierName) != 0) parts.push_back(&r.modifierName);
    if (keyCodeFromName(r.key1Name) != 0) parts.push_back(&r.key1Name);
    if (keyCodeFromName(r.key2Name) != 0) parts.push_back(&r.key2Name);
    std::string joined;
    for (std::size_t i = 0; i < parts.size(); ++i) {
      if (i) joined += kComboPartSeparator;
      joined += *parts[i];
    }
    return withDetail(ui, kComboKey, joined);
  }
  std::string operator()(const MacroKeyResult& r) const { return withDetail(ui, kMacroKey, r.name); }
};

std::uint8_t byteOfRow(int row) { return row < 0 ? 0 : static_cast<std::uint8_t>(row); }

struct Store {
  ButtonBlock& b;
  std::size_t i;
  void operator()(const WindowsResult& r) const {
    b.windowsChoice[i] = byteOfRow(r.row);
    b.windowsUsageLow[i] = windowsLowByteForRow(r.row);
    b.windowsUsageHigh[i] = windowsHighByteForRow(r.row);
  }
  void operator()(const MediaResult& r) const {
    b.mediaChoice[i] = byteOfRow(r.row);
    b.mediaUsage[i] = mediaUsageForRow(r.row);
  }
  void operator()(const FireKeyResult& r) const {
    b.fireChoice[i] = byteOfRow(r.row);
    b.fireKey[i] = fireKeyCode(r.row);
    b.fireSpeed[i] = r.speed;
    b.fireTimes[i] = r.times;
  }
  void operator()(const SingleKeyResult& r) const { b.singleKey[i] = keyCodeFromName(r.keyName); }
  void operator()(const ComboKeyResult& r) const {
    b.comboModifiers[i] = modifierBitFromName(r.modifierName);
    b.comboKey1[i] = keyCodeFromName(r.key1Name);
    b.comboKey2[i] = keyCodeFromName(r.key2Name);
  }
  void operator()(const MacroKeyResult& r) const {
    b.macroIndex[i] = byteOfRow(r.row);
    // An option outside 1..3 (a dialog that never initialised) keeps the
    // first repeat mode rather than wrapping to 255.
    const bool valid = r.repeatOption >= kFirstRepeatOption && r.repeatOption <= kLastRepeatOption;
    b.macroRepeat[i] = static_cast<std::uint8_t>(valid ? r.repeatOption - kFirstRepeatOption : 0);
  }
};

}  // namespace

bool fireSpeedInRange(long value) { return value >= kFireMinSpeed && value <= kFireMaxSpeed; }
bool fireTimesInRange(long value) { return value >= kFireMinTimes && value <= kFireMaxTimes; }
std::uint8_t fireSpeedFromBox(long value) {
  return static_cast<std::uint8_t>(fireSpeedInRange(value) ? value : kFireSpeedReplacement);
}
std::uint8_t fireTimesFromBox(long value) {
  return static_cast<std::uint8_t>(fireTimesInRange(value) ? value : kFireTimesReplacement);
}

bool choiceNeedsDialog(int index) { return index >= kFirstDialogFunction && index <= kLastDialogFunction; }

std::string displayTextFor(const DialogResult& result, const UiTexts& ui) {
  return std::visit(TextOf{ui}, result);
}

void storeDialogResult(ButtonBlock& block, int button, const DialogResult& result) {
  if (!validButton(button)) return;
  std::visit(Store{block, slot(button)}, result);
}

void storeFunction(MouseConfig& config, ButtonTexts& texts, int button, int index) {
  if (!validButton(button)) return;
  const int m = config.editedModeIndex();
  const int o = 1 - m;
  const std::size_t i = slot(button);
  const auto k = static_cast<std::uint8_t>(index);
  if (config.mode[m].function[i] == kShift) {
    // "Shift" lives in both modes, so replacing it replaces it in both.
    config.mode[m].function[i] = k;
    config.mode[o].function[i] = k;
    texts.text[static_cast<std::size_t>(o)][i] = texts.text[static_cast<std::size_t>(m)][i];
  } else {
    config.mode[m].function[i] = k;
  }
}

ChoiceEffect applyImmediateChoice(MouseConfig& config, ButtonTexts& texts, int button, int index,
                                  const UiTexts& ui) {
  if (index == kNoSelection || index == kDpiSwitch || choiceNeedsDialog(index))
    return ChoiceEffect::KeepListOpen;
  if (!validButton(button) || index < 0 || index >= kFunctionCount) return ChoiceEffect::CloseList;
  const int m = config.editedModeIndex();
  const std::size_t i = slot(button);
  if (index == kShift) {
    for (int b = 0; b < kFunctionListButtons; ++b)
      if (config.mode[m].function[slot(b)] == kShift) return ChoiceEffect::CloseList;
    for (int mode = kModeA; mode <= kModeB; ++mode) {
      config.mode[mode].function[i] = kShift;
      texts.text[static_cast<std::size_t>(mode)][i] = ui.functionName(kShift);
    }
    return ChoiceEffect::Changed;
  }
  texts.text[static_cast<std::size_t>(m)][i] = ui.functionName(index);
  storeFunction(config, texts, button, index);
  return ChoiceEffect::Changed;
}

void applyDialogChoice(MouseConfig& config, ButtonTexts& texts, int button, const DialogResult& result,
                       const UiTexts& ui) {
  if (!validButton(button)) return;
  const int m = config.editedModeIndex();
  storeDialogResult(config.mode[m], button, result);
  texts.text[static_cast<std::size_t>(m)][slot(button)] = displayTextFor(result, ui);
  storeFunction(config, texts, button, std::visit(FunctionOf{}, result));
}

bool applyDpiSubListChoice(MouseConfig& config, ButtonTexts& texts, int button, int row) {
  if (!validButton(button) || row < 0 || row >= kDpiSubListRows) return false;
  const int m = config.editedModeIndex();
  const std::size_t i = slot(button);
  config.mode[m].function[i] = kDpiSwitch;
  config.dpiAction[m][i] = static_cast<std::uint8_t>(row + kDpiUp);
  texts.text[static_cast<std::size_t>(m)][i] = dpiActionText(row);
  return true;
}

bool mayOpenFunctionList(const MouseConfig& config, int button) {
  if (!validButton(button)) return true;
  const ButtonBlock& block = config.edited();
  if (block.function[slot(button)] != kLeftClick) return true;
  for (int b = 0; b < static_cast<int>(kButtonSlots); ++b)
    if (b != button && block.function[slot(b)] == kLeftClick) return true;
  return false;
}

}  // namespace hm
