// SPDX-License-Identifier: GPL-3.0-or-later
// Encoding of button assignments into key-matrix entries.
#include "core/buttons/button_codes.h"

#include <tuple>

#include "core/buttons/key_tables.h"

namespace hm {

// The dialog texts hold one row per table row.
static_assert(std::tuple_size_v<decltype(DialogTexts::mediaRows)> == kMediaRows);
static_assert(std::tuple_size_v<decltype(DialogTexts::windowsRows)> == kWindowsRows);

namespace {

// Entry types (byte 0).
constexpr std::uint8_t kTypeKeyboard = 0x00;
constexpr std::uint8_t kTypeMouse = 0x01;
constexpr std::uint8_t kTypeConsumer = 0x03;
constexpr std::uint8_t kTypeDpi = 0x07;
constexpr std::uint8_t kTypeSpecial = 0x08;
constexpr std::uint8_t kTypeMacro = 0x09;
constexpr std::uint8_t kTypeFire = 0x0A;

// Mouse-button codes.
constexpr std::uint8_t kButtonLeft = 0xF0, kButtonRight = 0xF1, kButtonMiddle = 0xF2, kButton4 = 0xF3,
                       kButton5 = 0xF4, kFixedEntry14 = 0xF7, kFixedEntry15 = 0xF8;

// Special codes and the triple click (a fire entry of the left button).
constexpr std::uint8_t kSpecialShift = 0x02, kSpecialRgb = 0x03;
constexpr std::uint8_t kTripleClickSpeed = 0x20, kTripleClickCount = 3;

constexpr int kFixedSlot14 = 14, kFixedSlot15 = 15;
constexpr int kEntryBytes = static_cast<int>(proto::kKeyEntrySize);

constexpr KeyEntry mouse(std::uint8_t code) { return {kTypeMouse, 0, code, 0}; }

}  // namespace

KeyEntry encodeEntry(const ButtonBlock& block, int button, std::uint8_t dpiAction) {
  if (button < 0 || button >= static_cast<int>(kButtonSlots)) return {};
  const auto b = static_cast<std::size_t>(button);
  switch (block.function[b]) {
    case kLeftClick: return mouse(kButtonLeft);
    case kRightClick: return mouse(kButtonRight);
    case kMidClick: return mouse(kButtonMiddle);
    case kForward: return mouse(kButton5);
    case kBackward: return mouse(kButton4);
    case kTripleClick: return {kTypeFire, kButtonLeft, kTripleClickSpeed, kTripleClickCount};
    case kDpiSwitch: return {kTypeDpi, 0, dpiAction, 0};
    case kRgbOnOff: return {kTypeSpecial, 0, kSpecialRgb, 0};
    case kWindows: return {kTypeConsumer, 0, block.windowsUsageLow[b], block.windowsUsageHigh[b]};
    case kMultimedia: return {kTypeConsumer, 0, block.mediaUsage[b], 0};
    case kFireKey: return {kTypeFire, block.fireKey[b], block.fireSpeed[b], block.fireTimes[b]};
    case kSingleKey: return {kTypeKeyboard, 0, block.singleKey[b], 0};
    case kComboKey: return {kTypeKeyboard, block.comboModifiers[b], block.comboKey1[b], block.comboKey2[b]};
    case kMacroKey:
      return {kTypeMacro, block.macroRepeat[b], static_cast<std::uint8_t>(block.macroIndex[b] + 1), 0};
    case kShift: return {kTypeSpecial, 0, kSpecialShift, 0};
    case kKeyOff:
    default: return {};
  }
}

int keyMatrixSlot(int button) {
  switch (button) {
    case 3: return 4;
    case 4: return 3;
    case 6: return 7;
    case 7: return 6;
    default: return button;
  }
}

KeyMatrices buildKeyMatrices(const MouseConfig& config) {
  KeyMatrices tables{};
  // Tables not named in kModeKeyMatrix (2 and 4) stay zero.
  const KeyEntry fixed14 = mouse(kFixedEntry14), fixed15 = mouse(kFixedEntry15);
  for (int m = 0; m < 2; ++m) {
    KeyMatrix& table = tables[static_cast<std::size_t>(kModeKeyMatrix[m] - 1)];
    auto put = [&table](int slot, const KeyEntry& e) {
      for (int i = 0; i < kEntryBytes; ++i)
        table[static_cast<std::size_t>(slot) * kEntryBytes + static_cast<std::size_t>(i)] =
            e[static_cast<std::size_t>(i)];
    };
    for (int b = 0; b < kSentButtons; ++b)
      put(keyMatrixSlot(b), encodeEntry(config.mode[m], b, config.dpiAction[m][b]));
    put(kFixedSlot14, fixed14);
    put(kFixedSlot15, fixed15);
  }
  return tables;
}

namespace {
constexpr std::uint8_t kDefaultFunctions[kDefaultButtons] = {
    kLeftClick, kRightClick, kMidClick, kForward, kBackward, kDpiSwitch, kDpiSwitch, kKeyOff, kKeyOff};
constexpr int kDefaultDpiUpButton = 5, kDefaultDpiDownButton = 6;
}  // namespace

void restoreDefaultAssignments(MouseConfig& config) {
  for (int m = 0; m < 2; ++m) {
    for (int b = 0; b < kDefaultButtons; ++b) config.mode[m].function[b] = kDefaultFunctions[b];
    config.dpiAction[m][kDefaultDpiUpButton] = kDpiUp;
    config.dpiAction[m][kDefaultDpiDownButton] = kDpiDown;
  }
}

void restoreDefaultTexts(ButtonTexts& texts, const UiTexts& ui) {
  for (auto& mode : texts.text) {
    for (int b = 0; b < kDefaultButtons; ++b) {
      if (b == kDefaultDpiUpButton)
        mode[b] = dpiActionText(kDpiUp - 1);
      else if (b == kDefaultDpiDownButton)
        mode[b] = dpiActionText(kDpiDown - 1);
      else
        mode[b] = ui.functionName(kDefaultFunctions[b]);
    }
  }
}

const char* dpiActionText(int row) {
  static constexpr const char* kTexts[] = {"DPI +", "DPI -", "DPI Loop"};
  return row >= 0 && row < 3 ? kTexts[row] : "";
}

}  // namespace hm
