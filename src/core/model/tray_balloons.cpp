// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/model/tray_balloons.h"

#include "core/model/basic_logic.h"
#include "core/settings/mouse_config.h"
#include "core/settings/ui_text.h"
#include "core/wire/protocol.h"

namespace hm {

namespace {

// The report-rate texts in the order of the report-rate cells (125 Hz first).
constexpr TextId kReportRateText[kReportRateCellCount] = {TextId::ReportRate125, TextId::ReportRate250,
                                                          TextId::ReportRate500, TextId::ReportRate1000};
constexpr int kFirstStage = 1;
constexpr int kLastStage = 4;
constexpr int kFirstMatrix = 1;
constexpr int kLastMatrix = 2;

Balloon info(std::string text) { return Balloon{kBalloonTitleInfo, std::move(text), kBalloonTimeoutMs}; }

}  // namespace

std::optional<Balloon> balloonForEvent(int type, int value, const UiTexts& texts, const MouseConfig* config,
                                       int sensorType) {
  switch (type) {
    case proto::kEventReportRate:
      // The mouse sends its new report interval, one of the cells' codes.
      if (reportRateHz(value) == 0) return std::nullopt;
      return info(texts.get(kReportRateText[reportRateCell(static_cast<std::uint8_t>(value))]));
    case proto::kEventDpiStage: {
      if (value < kFirstStage || value > kLastStage) return std::nullopt;
      constexpr TextId kStageText[] = {TextId::DpiStage1, TextId::DpiStage2, TextId::DpiStage3,
                                       TextId::DpiStage4};
      const int stage = value - kFirstStage;
      std::string text = texts.get(kStageText[stage]);
      if (config != nullptr) text += dpiText(sensorType, config->dpiStageValue[stage]);
      return info(std::move(text));
    }
    case proto::kEventKeyMatrix:
      if (value < kFirstMatrix || value > kLastMatrix) return std::nullopt;
      return info(texts.get(value == kFirstMatrix ? TextId::KeyMatrix1 : TextId::KeyMatrix2));
    case proto::kEventMacroKey:
      if (value == 0) return std::nullopt;
      return info(texts.get(TextId::MacroKeySwitch) + std::to_string(value));
    case proto::kEventMouseMissing:
      return Balloon{kBalloonTitleWarning, texts.get(TextId::MouseNotDetected), kBalloonTimeoutMs};
    default: return std::nullopt;
  }
}

bool MissingMouseWarnings::show(Source source, Clock::time_point now) {
  if (source == Source::User) return true;
  if (lastShown_ && now - *lastShown_ < kOneUnplug) return false;
  lastShown_ = now;
  return true;
}

}  // namespace hm
