#include "core/model/tray_balloons.h"

#include "core/device/protocol.h"
#include "core/settings/mouse_config.h"
#include "core/settings/ui_text.h"

namespace hm {

namespace {

// Report interval in ms as the mouse sends it.
constexpr int kInterval1000Hz = 1;
constexpr int kInterval500Hz = 2;
constexpr int kInterval250Hz = 4;
constexpr int kInterval125Hz = 8;
constexpr int kFirstStage = 1;
constexpr int kLastStage = 4;
constexpr int kFirstMatrix = 1;
constexpr int kLastMatrix = 2;

Balloon info(std::string text) { return Balloon{kBalloonTitleInfo, std::move(text), kBalloonTimeoutMs}; }

}  // namespace

std::optional<Balloon> balloonForEvent(int type, int value, const UiTexts& texts, const MouseConfig& config,
                                       int sensorType) {
  switch (type) {
    case proto::kEventReportRate:
      switch (value) {
        case kInterval1000Hz: return info(texts.get(TextId::ReportRate1000));
        case kInterval500Hz: return info(texts.get(TextId::ReportRate500));
        case kInterval250Hz: return info(texts.get(TextId::ReportRate250));
        case kInterval125Hz: return info(texts.get(TextId::ReportRate125));
        default: return std::nullopt;
      }
    case proto::kEventDpiStage: {
      if (value < kFirstStage || value > kLastStage) return std::nullopt;
      constexpr TextId kStageText[] = {TextId::DpiStage1, TextId::DpiStage2, TextId::DpiStage3,
                                       TextId::DpiStage4};
      const int stage = value - kFirstStage;
      return info(texts.get(kStageText[stage]) + dpiText(sensorType, config.dpiStageValue[stage]));
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

}  // namespace hm
