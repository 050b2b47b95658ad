// SPDX-License-Identifier: GPL-3.0-or-later
// The Advanced page's pointer-settings rules as plain functions over
// MouseConfig, without any window or desktop: the mapping between the
// record's slider steps and the desktop's values, the values "Default"
// hands over, and what the sliders and ticks show. The page draws what these
// functions decide; the platform's PointerSettings reads and sets the values.
//
// Desktop values (PointerValues) use one scale whatever the desktop:
//   pointer speed     1..20, 10 neutral
//   scroll lines      lines per wheel notch; kScrollOneScreen = a whole screen
//   double-click time milliseconds
//   precision         pointer acceleration on / off
//
// Mapping (steps 1..11 on the sliders):
//   speed        step 1 -> 1, step s >= 2 -> 2s - 2      value v -> v / 2 + 1
//   scroll lines one-screen tick -> kScrollOneScreen,    kScrollOneScreen -> tick set, step 0;
//                otherwise the step itself               otherwise the value, tick clear
//   double-click step s -> 900 - 70 (s - 1) ms           t ms -> (900 - t) / 70 + 1
// (integer division). Values the mapping does not cover land on the nearest
// end: a speed or scroll value past the ends, or a double-click time above
// 900 or below 200 ms, gives step 1 or 11. Steps outside 1..11 in the record
// (an all-zero or damaged config.bin) are handed over as follows: a step of 0
// as that setting's "Default" value (scroll lines 0 without the one-screen
// tick as 3 lines), a step above 11 as step 11.
#pragma once

#include <cstdint>
#include <optional>

#include "core/settings/mouse_config.h"

namespace hm {

inline constexpr int kPointerStepCount = 11;  // cells of each slider
inline constexpr int kPointerSpeedMin = 1;
inline constexpr int kPointerSpeedMax = 20;
inline constexpr int kPointerSpeedNeutral = 10;
inline constexpr std::uint32_t kScrollOneScreen = 0xFFFFFFFFu;
inline constexpr int kDoubleClickSlowestMs = 900;  // step 1
inline constexpr int kDoubleClickStepMs = 70;      // per step; step 11 is 200 ms

// What the desktop is handed, or gave.
struct PointerValues {
  bool precision = false;
  int speed = kPointerSpeedNeutral;
  std::uint32_t scrollLines = 3;
  int doubleClickMs = 500;
  bool operator==(const PointerValues&) const = default;
};

// "Default": what the desktop is set to at once, and the fields afterwards.
inline constexpr PointerValues kDefaultPointerValues{false, kPointerSpeedNeutral, 3, 500};
inline constexpr std::uint8_t kDefaultSpeedStep = 6;
inline constexpr std::uint8_t kDefaultScrollLines = 3;
inline constexpr std::uint8_t kDefaultDoubleClickStep = 6;

// One setting each way.
int pointerSpeedForStep(int step);
int stepForPointerSpeed(int speed);
int doubleClickMsForStep(int step);
int stepForDoubleClickMs(int ms);

// What the desktop answered; nullopt where its read failed. A failed
// precision read counts as off; any other failed read leaves that setting at
// its "Default" value.
struct PointerReading {
  std::optional<bool> precision;
  std::optional<int> speed;
  std::optional<std::uint32_t> scrollLines;
  std::optional<int> doubleClickMs;
};

// The page's first paint: replaces the five pointer fields of cfg with what
// the desktop answered.
void takePointerReading(MouseConfig& cfg, const PointerReading& reading);
// OK / Apply: what the fields hand to the desktop.
PointerValues pointerValuesFor(const MouseConfig& cfg);
// "Default": the fields after the desktop got kDefaultPointerValues.
void restorePointerDefaults(MouseConfig& cfg);

// What the page shows: lit cells of each slider (0..11) and the ticks. The
// speed and double-click sliders show the step OK / Apply hands over; the
// scroll slider shows its lines as they would be handed over without the
// one-screen tick, and stays empty for lines 0 while the tick is set (one-
// screen scrolling read from the desktop).
enum class PointerSlider { Speed, ScrollLines, DoubleClick };
int shownPointerStep(const MouseConfig& cfg, PointerSlider slider);
bool precisionTicked(const MouseConfig& cfg);
bool scrollOneScreenTicked(const MouseConfig& cfg);

// Clicks: cell n (1..11) of a slider stores n (false, nothing stored, for
// any other n); a tick flips its field (the scroll slider keeps its step).
bool selectPointerStep(MouseConfig& cfg, PointerSlider slider, int n);
void togglePrecision(MouseConfig& cfg);
void toggleScrollOneScreen(MouseConfig& cfg);

}  // namespace hm
