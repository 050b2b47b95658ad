// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/model/pointer_settings_logic.h"

#include <algorithm>

namespace hm {

namespace {

int clampStep(int step) { return std::clamp(step, 1, kPointerStepCount); }

// A record step as it is handed over: 0 gives the "Default" step, anything
// above the sliders the last cell.
int effectiveStep(int step, int defaultStep) { return step == 0 ? defaultStep : clampStep(step); }

int effectiveScrollLines(const MouseConfig& cfg) {
  return effectiveStep(cfg.scrollLines, kDefaultScrollLines);
}

}  // namespace

int pointerSpeedForStep(int step) {
  const int s = effectiveStep(step, kDefaultSpeedStep);
  return s == 1 ? kPointerSpeedMin : 2 * s - 2;
}

int stepForPointerSpeed(int speed) { return clampStep(speed / 2 + 1); }

int doubleClickMsForStep(int step) {
  return kDoubleClickSlowestMs - (effectiveStep(step, kDefaultDoubleClickStep) - 1) * kDoubleClickStepMs;
}

int stepForDoubleClickMs(int ms) {
  // Times past either end land on the end cells; the time is bounded first so
  // that any int the desktop holds stays clear of overflow.
  const int t = std::clamp(ms, 0, 2 * kDoubleClickSlowestMs);
  return clampStep((kDoubleClickSlowestMs - t) / kDoubleClickStepMs + 1);
}

void takePointerReading(MouseConfig& cfg, const PointerReading& r) {
  cfg.enhancePointerPrecision = r.precision.value_or(false) ? 1 : 0;
  cfg.pointerSpeedStep =
      r.speed ? static_cast<std::uint8_t>(stepForPointerSpeed(*r.speed)) : kDefaultSpeedStep;
  if (r.scrollLines && *r.scrollLines == kScrollOneScreen) {
    cfg.scrollOneScreen = 1;
    cfg.scrollLines = 0;
  } else {
    cfg.scrollOneScreen = 0;
    // Compared before narrowing: a huge line count is the last cell.
    cfg.scrollLines = r.scrollLines ? static_cast<std::uint8_t>(std::clamp<std::uint32_t>(
                                          *r.scrollLines, 1, static_cast<std::uint32_t>(kPointerStepCount)))
                                    : kDefaultScrollLines;
  }
  cfg.doubleClickStep = r.doubleClickMs ? static_cast<std::uint8_t>(stepForDoubleClickMs(*r.doubleClickMs))
                                        : kDefaultDoubleClickStep;
}

PointerValues pointerValuesFor(const MouseConfig& cfg) {
  PointerValues v;
  v.precision = precisionTicked(cfg);
  v.speed = pointerSpeedForStep(cfg.pointerSpeedStep);
  v.scrollLines =
      scrollOneScreenTicked(cfg) ? kScrollOneScreen : static_cast<std::uint32_t>(effectiveScrollLines(cfg));
  v.doubleClickMs = doubleClickMsForStep(cfg.doubleClickStep);
  return v;
}

void restorePointerDefaults(MouseConfig& cfg) {
  cfg.enhancePointerPrecision = 0;
  cfg.scrollOneScreen = 0;
  cfg.pointerSpeedStep = kDefaultSpeedStep;
  cfg.scrollLines = kDefaultScrollLines;
  cfg.doubleClickStep = kDefaultDoubleClickStep;
}

int shownPointerStep(const MouseConfig& cfg, PointerSlider slider) {
  switch (slider) {
    case PointerSlider::Speed: return effectiveStep(cfg.pointerSpeedStep, kDefaultSpeedStep);
    case PointerSlider::ScrollLines:
      return scrollOneScreenTicked(cfg) && cfg.scrollLines == 0 ? 0 : effectiveScrollLines(cfg);
    case PointerSlider::DoubleClick: return effectiveStep(cfg.doubleClickStep, kDefaultDoubleClickStep);
  }
  return 0;
}

bool precisionTicked(const MouseConfig& cfg) { return cfg.enhancePointerPrecision != 0; }
bool scrollOneScreenTicked(const MouseConfig& cfg) { return cfg.scrollOneScreen != 0; }

bool selectPointerStep(MouseConfig& cfg, PointerSlider slider, int n) {
  if (n < 1 || n > kPointerStepCount) return false;
  const auto step = static_cast<std::uint8_t>(n);
  switch (slider) {
    case PointerSlider::Speed: cfg.pointerSpeedStep = step; break;
    case PointerSlider::ScrollLines: cfg.scrollLines = step; break;
    case PointerSlider::DoubleClick: cfg.doubleClickStep = step; break;
  }
  return true;
}

void togglePrecision(MouseConfig& cfg) { cfg.enhancePointerPrecision = precisionTicked(cfg) ? 0 : 1; }
void toggleScrollOneScreen(MouseConfig& cfg) { cfg.scrollOneScreen = scrollOneScreenTicked(cfg) ? 0 : 1; }

}  // namespace hm
