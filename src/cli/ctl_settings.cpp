// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/ctl_settings.h"

#include <nlohmann/json.hpp>

#include "cli/ctl_commands.h"
#include "cli/ctl_show.h"
#include "core/config_text/setting_keys.h"
#include "core/model/config_session.h"
#include "core/settings/profile_file.h"
#include "core/settings/ui_text.h"

namespace hm::ctl {

namespace {

std::string joined(const std::vector<std::string>& words) {
  std::string out;
  for (const std::string& w : words) out += (out.empty() ? "" : " ") + w;
  return out;
}

}  // namespace

std::optional<int> resolveSensorType(Session& s, std::optional<int> option) {
  DeviceLink& link = s.link();
  if (link.openMouse() != 1) return option;
  link.readSensorType();
  const int type = link.activeSensorType();
  if (option && *option != type)
    s.console().err("hidmousectl: warning: the mouse reports sensor type " + std::to_string(type) +
                    "; --sensor " + std::to_string(*option) + " is not used");
  return type;
}

int runGet(Session& s, const std::optional<std::string>& key, std::optional<int> sensorOption) {
  MouseConfig config;
  std::uint8_t flag = 0;
  ButtonTexts texts;
  const UiTexts ui(s.language());
  SettingTarget target{config, texts, ui, s.language(), {}, std::nullopt};
  if (key) {
    // An unknown key is said before any file or the mouse is looked at.
    if (!isSettingKey(*key)) {
      s.console().error(getSetting(target, *key).error);
      return kExitUsage;
    }
  }
  if (!loadConfig(s, config, flag)) return kExitFile;
  const std::vector<std::string> keys = key ? std::vector<std::string>{*key} : settingKeys();
  bool needsSensor = false;
  for (const std::string& k : keys) needsSensor = needsSensor || settingNeedsSensor(k);
  if (needsSensor) {
    target.sensorType = resolveSensorType(s, sensorOption);
    if (!target.sensorType)
      s.console().err(
          "hidmousectl: warning: no mouse answered and no --sensor was given: the DPI values are those of "
          "sensor type 0");
  }
  nlohmann::ordered_json doc = nlohmann::ordered_json::object();
  for (const std::string& k : keys) {
    const std::string value = getSetting(target, k).value;
    if (s.options().json)
      doc[k] = value;
    else
      s.console().out(key ? value : std::string(k).append(" ").append(value));
  }
  if (s.options().json)
    s.console().out(doc.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace));
  return kExitOk;
}

int runSet(Session& s, const std::string& key, const std::vector<std::string>& words,
           std::optional<int> sensorOption, bool apply) {
  const Language language = s.language();
  const UiTexts ui(language);
  ConfigSession session(s.paths(), language, s.sink());
  {
    SettingTarget probe{session.working(), session.buttonTexts(), ui, language, {}, std::nullopt};
    if (!isSettingKey(key)) {
      s.console().error(getSetting(probe, key).error);
      return kExitUsage;
    }
  }
  if (words.empty()) {
    s.console().error("set " + key + ": the value is missing (see the KEYS section of hidmousectl(1))");
    return kExitUsage;
  }
  if (!loadConfigSession(s, session)) return kExitFile;
  const Result<profile::ProfileDocument> record = profile::ProfileDocument::load(session.paths().recordIni);
  if (!record) {
    s.console().error("cannot read " + session.paths().recordIni + ": " + record.error().text());
    return kExitFile;
  }
  // The window names buttons 1..8 of a factory config.bin at its first
  // display, before anything can be chosen; the save below writes flag 1, so
  // those names must be in the texts it saves.
  session.runFirstRunAction(ui, false);
  SettingTarget target{session.working(), session.buttonTexts(),         ui,
                       language,          record.value().sectionNames(), std::nullopt};
  if (settingNeedsSensor(key)) target.sensorType = resolveSensorType(s, sensorOption);
  const SettingResult result = setSetting(target, key, joined(words));
  if (!result.ok()) {
    s.console().error(result.error);
    return kExitUsage;
  }
  if (!session.save().saved() || !s.commitFiles()) {
    s.console().error("set " + key + ": nothing was changed in " + session.paths().folder);
    return kExitFile;
  }
  s.console().out(key + " " + result.value);
  return apply ? runApply(s) : kExitOk;
}

}  // namespace hm::ctl
