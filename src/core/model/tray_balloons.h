// SPDX-License-Identifier: GPL-3.0-or-later
// The balloons of the tray icon: what the mouse just did (report rate, DPI
// stage, key matrix, macro key switched with its buttons) and the warning
// that the mouse is missing. Plain functions over the text table.
#pragma once

#include <chrono>
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

// Which "not detected" warnings become balloons. One unplug reaches the
// program several times: the mouse's own event as it goes (type 15 from the
// mouse) and the system's removal of each of its collections, all within
// moments. The first of them warns; the others are the same unplug. A
// warning the user asked for (a click on the icon while the mouse is away)
// is always shown, and a mouse opened again makes the next unplug warn anew.
class MissingMouseWarnings {
 public:
  using Clock = std::chrono::steady_clock;
  enum class Source { Mouse, Removal, User };
  // Within this time of the warning shown, another is the same unplug.
  static constexpr std::chrono::milliseconds kOneUnplug{2000};

  // Whether the warning from `source` arriving at `now` is shown.
  bool show(Source source, Clock::time_point now);
  void mouseOpened() { lastShown_.reset(); }

 private:
  std::optional<Clock::time_point> lastShown_;  // of the last one from the mouse or the system
};

}  // namespace hm
