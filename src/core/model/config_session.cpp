// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/model/config_session.h"

#include <utility>

#include "core/buttons/button_codes.h"
#include "core/device/apply_reports.h"
#include "core/macros/macro_encoder.h"
#include "core/model/three_way_merge.h"
#include "core/settings/ui_text.h"

namespace hm {

std::array<std::string, kFirstRunSlots> firstRunTexts(const UiTexts& ui) {
  return {ui.get(TextId::LeftClick),   ui.get(TextId::RightClick), ui.get(TextId::MidClick),
          ui.get(TextId::Forward),     ui.get(TextId::Backward),   dpiActionText(kDpiUp - 1),
          dpiActionText(kDpiDown - 1), ui.get(TextId::KeyOff)};
}

ConfigSession::ConfigSession(DataPaths paths, Language language, MessageSink& sink)
    : paths_(std::move(paths)), language_(language), sink_(sink) {}

bool ConfigSession::load(const ConfigLog& log) {
  bool read = true;
  if (!loadConfigFile(paths_.configBin, working_, firstRunFlag_, sink_, log)) read = false;
  saved_ = working_;
  loaded_ = true;
  SettingsIni ini = loadSettingsIni(paths_.strIni, language_);
  buttonTexts_ = std::move(ini.texts);
  savedTexts_ = buttonTexts_;
  skin_ = std::move(ini.skin);
  return read;
}

bool ConfigSession::runFirstRunAction(const UiTexts& ui, bool save) {
  if (firstRunFlag_ != 0) return false;
  applyFirstRunTexts(buttonTexts_, firstRunTexts(ui));
  // A failure here shows nothing: the next Apply writes the texts again and
  // reports what it could not save.
  if (save) saveButtonTexts();
  return true;
}

bool ConfigSession::saveButtonTexts() {
  if (!hm::saveButtonTexts(paths_.strIni, language_, buttonTexts_)) return false;
  savedTexts_ = buttonTexts_;
  return true;
}

ApplyResult ConfigSession::applyToMouse(DeviceLink& link) {
  const std::optional<ExchangeFailure> failure =
      link.sendApply(encodeApply(working_, link.activeSensorType(), link.previousLedBytes()));
  // The files are saved whatever the mouse did: what was edited is not lost.
  ApplyResult result = save();
  result.deviceFailure = failure;
  return result;
}

ApplyResult ConfigSession::save() {
  ApplyResult result;
  result.configSave = saveConfigFile(paths_.configBin, working_, sink_);
  result.textsSave = hm::saveButtonTexts(paths_.strIni, language_, buttonTexts_);
  if (!result.textsSave) sink_.showMessage(kButtonTextsSaveFailedText, "");
  saved_ = working_;
  savedTexts_ = buttonTexts_;
  return result;
}

void ConfigSession::mergeFiles() {
  MouseConfig theirs;
  std::uint8_t flag = 0;
  NullMessageSink quiet;
  if (!loadConfigFile(paths_.configBin, theirs, flag, quiet)) return;
  const ButtonTexts theirTexts = loadSettingsIni(paths_.strIni, language_).texts;
  working_ = mergeRecords(saved_, working_, theirs);
  buttonTexts_ = mergeButtonTexts(savedTexts_, buttonTexts_, theirTexts);
  // The images always follow record.ini, whoever changed it last.
  static_cast<void>(rebuildMacroImages(paths_.recordIni, working_));
  saved_ = theirs;
  savedTexts_ = theirTexts;
}

void ConfigSession::reloadButtonTexts() {
  buttonTexts_ = loadSettingsIni(paths_.strIni, language_).texts;
  savedTexts_ = buttonTexts_;
}

}  // namespace hm
