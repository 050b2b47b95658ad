// The balloons of the tray icon: what the mouse just did (report rate, DPI
// stage, key matrix, macro key switched with its buttons) and the warning
// that the mouse is missing. Plain functions over the text table.
#pragma once

#include <optional>
#include <string>

namespace hm {

class UiTexts;
struct MouseConfig;

inline constexpr char kBalloonTitleInfo[] = "Info";
inline constexpr char kBalloonTitleWarning[] = "Warning";
// Every balloon stays at least this long. The warning was once given 100 ms,
// which a desktop that honours time-outs would close before anyone reads it.
inline constexpr int kBalloonTimeoutMs = 5000;

struct Balloon {
  std::string title;
  std::string text;  // UTF-8
  int timeoutMs = kBalloonTimeoutMs;
  bool operator==(const Balloon&) const = default;
};

// The balloon for a device event, nothing for an unlisted type or value:
//   5  values 1, 2, 4, 8     "Switch report rate into 1000HZ" / 500 / 250 / 125   "Info"
//   7  stage 1..4            the stage's text + dpiText(sensorType, dpiStageValue[stage-1])  "Info"
//                            (without a record: the stage's text alone)
//   8  1, 2                  "Switch to key matrix 1" / "... 2"                  "Info"
//   9  n != 0                "Switch to macro key" + n in decimal                "Info"
//   15 any                   "The system did not detect the gaming mouse!"       "Warning"
std::optional<Balloon> balloonForEvent(int type, int value, const UiTexts& texts, const MouseConfig* config,
                                       int sensorType);
inline std::optional<Balloon> balloonForEvent(int type, int value, const UiTexts& texts,
                                              const MouseConfig& config, int sensorType) {
  return balloonForEvent(type, value, texts, &config, sensorType);
}

}  // namespace hm
