// SPDX-License-Identifier: GPL-3.0-or-later
// The configuration as named settings, for hidmousectl's `get` and `set`:
// each key reads a part of the record as text and changes it through the
// same rules as the window's page that edits it (core/model/basic_logic.h,
// pointer_settings_logic.h, button_setting.h), refusing what the window
// refuses, with a message that names the allowed values.
//
//   mode                      a | b                the mode the Basic page shows
//   button.a.N, button.b.N    see button_setting.h  N = 1..7
//   rate                      125 | 250 | 500 | 1000
//   dpi.N                     a DPI of the sensor type's scale   N = 1..4
//   dpi.N.enabled             on | off             one stage always stays on
//   led.mode                  standard | respiration | neon
//   led.param                 an entry of the mode's table ("55%", "6S", "1.5S")
//   led.colour.N              #rrggbb              N = 1..8, only while used
//   led.colour.N.enabled      on | off
//   led.stage.N               the LEDs lit at DPI stage N: "1,3" or "none"
//   pointer.speed             1..11                the Advanced page's sliders
//   pointer.scrollLines       1..11
//   pointer.doubleClick       1..11
//   pointer.precision         on | off             and its ticks
//   pointer.scrollOneScreen   on | off
// Words match without regard to ASCII letter case; "led.color.N" is taken
// for "led.colour.N".
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/settings/button_texts.h"
#include "core/settings/language.h"
#include "core/settings/mouse_config.h"

namespace hm {

class UiTexts;

// What a key reads and changes. The sensor type decides the DPI scale of
// dpi.N; without one, dpi.N cannot be set (and reads as sensor type 0's).
struct SettingTarget {
  MouseConfig& config;
  ButtonTexts& texts;
  const UiTexts& ui;
  Language language = Language::English;
  std::vector<std::string> macros;  // record.ini's sections in file order
  std::optional<int> sensorType;
};

// Every key, in the order `get` lists them.
std::vector<std::string> settingKeys();
// Whether `key` names a setting (in any spelling that set and get take).
bool isSettingKey(const std::string& key);
// Whether the key's value depends on the sensor type (dpi.N).
bool settingNeedsSensor(const std::string& key);

struct SettingResult {
  std::string value;  // get: the value as set takes it
  std::string error;  // "" on success
  bool ok() const { return error.empty(); }
};

SettingResult getSetting(const SettingTarget& target, const std::string& key);
// Changes the record and the texts; nothing at all when refused.
SettingResult setSetting(SettingTarget& target, const std::string& key, const std::string& value);

}  // namespace hm
