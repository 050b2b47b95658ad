// SPDX-License-Identifier: GPL-3.0-or-later
// `hidmousectl show`: the configuration of config.bin (and the macros of
// record.ini) as a JSON document with stable field names, and the same in
// readable text.
#pragma once

#include <nlohmann/json.hpp>

#include <string>
#include <vector>

#include "core/settings/mouse_config.h"
#include "core/settings/profile_file.h"

namespace hm::ctl {

struct MacroSummary {
  int number = 0;  // position of the section in record.ini, 1-based
  std::string name;
  int items = 0;
  int events = 0;
  bool truncated = false;
};

// The macros of a record.ini with their item and event counts.
std::vector<MacroSummary> summariseMacros(const profile::ProfileDocument& recordIni);

// Fields (all stable):
//   modes[2]: {mode, name, keyMatrix, buttons[8]: {button, function, functionName,
//             description, params{...}}}
//   editedMode, editedModeName, reportRate{interval, hz}, sensorType,
//   dpiStages[4]: {stage, enabled, step, dpi}, led{mode, modeName, param, paramText},
//   loopColors[8]: {color, rgb, enabled}, dpiLeds[4]: {stage, mask, leds[]},
//   pointer{speedStep, scrollLines, doubleClickStep, enhancePrecision, scrollOneScreen},
//   macros[]: {number, name, items, events, truncated, hasImage, loopTimes}
nlohmann::json describeConfig(const MouseConfig& config, int sensorType,
                              const std::vector<MacroSummary>& macros);

// One line of JSON. Text taken from the files (macro names, paths) need not
// be valid UTF-8; such bytes become U+FFFD instead of failing the output.
std::string jsonLine(const nlohmann::json& doc);

// The readable form of describeConfig's document, one string per line.
std::vector<std::string> renderConfig(const nlohmann::json& doc);

}  // namespace hm::ctl
