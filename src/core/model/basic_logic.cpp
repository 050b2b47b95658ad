// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/model/basic_logic.h"

#include <array>

#include "core/settings/ui_text.h"

namespace hm {

namespace {

// Sensor type whose labels the 12-level scale shows for every type without
// its own 8-level scale.
constexpr int kTwelveLevelSensor = 0;

constexpr std::array<const char*, 10> kStandardParams{"5%",  "15%", "25%", "35%", "45%",
                                                      "55%", "65%", "75%", "85%", "100%"};
constexpr std::array<const char*, 5> kRespirationParams{"8S", "7S", "6S", "5S", "4S"};
constexpr int kNeonParamCount = 30;

constexpr std::uint8_t kStageOff = 0;
constexpr int kStagesPerMaskByte = 2;
constexpr unsigned kStageBitsMask = (1u << kLedsPerStage) - 1;
constexpr int kMsPerSecond = 1000;

constexpr const char* kKeyModeNames[] = {"Mode A", "Mode B"};
constexpr TextId kLedModeNames[] = {TextId::OffMode, TextId::StandardMode, TextId::RespirationMode,
                                    TextId::NeonMode};
constexpr std::uint8_t kLoopColorUsed = 1;

bool validStage(int stage) { return stage >= 0 && stage < static_cast<int>(kDpiStages); }

std::string neonText(int index) {
  // Entry i lasts (i + 1) half seconds; whole seconds are written without ".0".
  const int halves = index + 1;
  std::string s = std::to_string(halves / 2);
  if (halves % 2) s += ".5";
  return s + "S";
}

}  // namespace

const char* keyModeName(int mode) { return mode == kModeA || mode == kModeB ? kKeyModeNames[mode] : ""; }

int reportRateCell(std::uint8_t reportInterval) {
  for (int c = 0; c < kReportRateCellCount - 1; ++c)
    if (kReportRateCodes[c] == reportInterval) return c;
  return kReportRateCellCount - 1;
}

std::uint8_t reportRateCode(int cell) {
  if (cell < 0 || cell >= kReportRateCellCount) return 0;
  return kReportRateCodes[cell];
}

int reportRateHz(int reportInterval) {
  for (std::uint8_t code : kReportRateCodes)
    if (code == reportInterval) return kMsPerSecond / code;
  return 0;
}

std::string reportRateLabel(int cell) {
  const int hz = reportRateHz(reportRateCode(cell));
  return hz != 0 ? std::to_string(hz) : std::string();
}

ReportRateChange selectReportRate(MouseConfig& cfg, int cell) {
  ReportRateChange r;
  if (cell < 0 || cell >= kReportRateCellCount) return r;
  const std::uint8_t code = kReportRateCodes[cell];
  if (cfg.reportInterval != code) {
    r.darkCell = reportRateCell(cfg.reportInterval);
    r.lightCell = cell;
    r.redraw = true;
  }
  cfg.reportInterval = code;
  return r;
}

int dpiLevelCount(int sensorType) { return dpiStepCount(sensorType); }

std::string dpiLevelLabel(int sensorType, int level) {
  if (level < 1 || level > dpiLevelCount(sensorType)) return {};
  const int table =
      dpiLevelCount(sensorType) == dpiStepCount(kTwelveLevelSensor) ? kTwelveLevelSensor : sensorType;
  return dpiText(table, level - 1);
}

bool dpiStageOn(const MouseConfig& cfg, int stage) {
  return validStage(stage) && cfg.dpiStageEnabled[stage] == kStageOn;
}

int dpiLitLevels(const MouseConfig& cfg, int stage, int levelCount) {
  if (!dpiStageOn(cfg, stage)) return 0;
  const int lit = cfg.dpiStageValue[stage] + 1;
  return lit < levelCount ? lit : levelCount;
}

PaneToggle toggleDpiStage(MouseConfig& cfg, int stage) {
  if (!validStage(stage)) return PaneToggle::Refused;
  if (cfg.dpiStageEnabled[stage] != kStageOn) {
    cfg.dpiStageEnabled[stage] = kStageOn;
    return PaneToggle::SwitchedOn;
  }
  for (std::size_t s = 0; s < kStageSlots; ++s) {
    if (static_cast<int>(s) != stage && cfg.dpiStageEnabled[s] == kStageOn) {
      cfg.dpiStageEnabled[stage] = kStageOff;
      return PaneToggle::SwitchedOff;
    }
  }
  return PaneToggle::Refused;
}

bool selectDpiLevel(MouseConfig& cfg, int stage, int level, int levelCount) {
  if (!validStage(stage) || level < 1 || level > levelCount) return false;
  cfg.dpiStageValue[stage] = static_cast<std::uint8_t>(level - 1);
  return true;
}

std::string ledModeName(const UiTexts& texts, int ledMode) {
  if (ledMode < kLedModeOff || ledMode > kLedModeNeon) return {};
  return texts.get(kLedModeNames[ledMode]);
}

int ledParamCount(int ledMode) {
  switch (ledMode) {
    case kLedModeStandard: return static_cast<int>(kStandardParams.size());
    case kLedModeRespiration: return static_cast<int>(kRespirationParams.size());
    default: return kNeonParamCount;
  }
}

std::string ledParamText(int ledMode, int index) {
  if (index < 0 || index >= ledParamCount(ledMode)) return {};
  switch (ledMode) {
    case kLedModeStandard: return kStandardParams[static_cast<std::size_t>(index)];
    case kLedModeRespiration: return kRespirationParams[static_cast<std::size_t>(index)];
    default: return neonText(index);
  }
}

std::vector<std::string> ledParamTable(int ledMode) {
  std::vector<std::string> v;
  v.reserve(static_cast<std::size_t>(ledParamCount(ledMode)));
  for (int i = 0; i < ledParamCount(ledMode); ++i) v.push_back(ledParamText(ledMode, i));
  return v;
}

std::optional<int> storedLedParam(const MouseConfig& cfg) {
  if (cfg.ledMode < kLedModeStandard || cfg.ledMode > kLedModeNeon) return std::nullopt;
  return cfg.ledParam[cfg.ledMode - 1];
}

std::string ledParamFaceText(const MouseConfig& cfg) {
  const std::optional<int> index = storedLedParam(cfg);
  return index ? ledParamText(cfg.ledMode, *index) : std::string();
}

bool chooseLedMode(MouseConfig& cfg, int line) {
  if (line < 0 || line >= kLedModeChoices) return false;
  cfg.ledMode = static_cast<std::uint8_t>(line + 1);
  return true;
}

bool chooseLedParam(MouseConfig& cfg, int line) {
  if (cfg.ledMode < kLedModeStandard || cfg.ledMode > kLedModeNeon) return false;
  if (line < 0 || line >= ledParamCount(cfg.ledMode)) return false;
  cfg.ledParam[cfg.ledMode - 1] = static_cast<std::uint8_t>(line);
  return true;
}

bool loopColorUsed(const MouseConfig& cfg, int k) {
  return k >= 0 && k < static_cast<int>(kLoopColors) && cfg.loopColorEnabled[k] == kLoopColorUsed;
}

void toggleLoopColor(MouseConfig& cfg, int k) {
  if (k < 0 || k >= static_cast<int>(kLoopColors)) return;
  cfg.loopColorEnabled[k] = loopColorUsed(cfg, k) ? 0 : kLoopColorUsed;
}

bool swatchOpensChooser(const MouseConfig& cfg, int k) { return loopColorUsed(cfg, k); }

void setLoopColor(MouseConfig& cfg, int k, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  if (k < 0 || k >= static_cast<int>(kLoopColors)) return;
  cfg.loopColor[k][0] = r;
  cfg.loopColor[k][1] = g;
  cfg.loopColor[k][2] = b;
}

namespace {
// Where a stage's nibble lies: its byte of dpiLedMask and its lowest bit.
int stageByte(int stage) { return stage / kStagesPerMaskByte; }
int stageShift(int stage) { return (stage % kStagesPerMaskByte) * kLedsPerStage; }

bool ledBit(int stage, int led, int& byte, std::uint8_t& mask) {
  if (!validStage(stage) || led < 1 || led > kLedsPerStage) return false;
  byte = stageByte(stage);
  mask = static_cast<std::uint8_t>(1u << (stageShift(stage) + (led - 1)));
  return true;
}
}  // namespace

bool dpiLedLit(const MouseConfig& cfg, int stage, int led) {
  int byte = 0;
  std::uint8_t mask = 0;
  return ledBit(stage, led, byte, mask) && (cfg.dpiLedMask[byte] & mask) != 0;
}

std::uint8_t dpiLedBits(const MouseConfig& cfg, int stage) {
  if (!validStage(stage)) return 0;
  return static_cast<std::uint8_t>((cfg.dpiLedMask[stageByte(stage)] >> stageShift(stage)) & kStageBitsMask);
}

void toggleDpiLed(MouseConfig& cfg, int stage, int led) {
  int byte = 0;
  std::uint8_t mask = 0;
  if (ledBit(stage, led, byte, mask)) cfg.dpiLedMask[byte] ^= mask;
}

}  // namespace hm
