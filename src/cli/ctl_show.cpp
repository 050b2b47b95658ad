// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/ctl_show.h"

#include <cstdio>

#include "core/buttons/button_codes.h"
#include "core/buttons/key_tables.h"
#include "core/macros/macro_encoder.h"
#include "core/macros/macro_record.h"
#include "core/model/basic_logic.h"
#include "core/settings/ui_text.h"
#include "core/wire/byte_order.h"

namespace hm::ctl {

using nlohmann::json;

namespace {

std::string hexByte(unsigned v) {
  char b[8];
  std::snprintf(b, sizeof b, "0x%02x", v & 0xFF);
  return b;
}

std::string keyName(std::uint8_t code) {
  if (code == 0) return "(none)";
  for (int row = 0; row < kKeyNameRows; ++row) {
    const char* name = keyNameAt(row);
    if (*name && keyCodeFromName(name) == code) return name;
  }
  for (const char* name : {"L-Button", "R-Button", "M-Button"})
    if (keyCodeFromName(name) == code) return name;
  return hexByte(code);
}

std::string modifierNames(std::uint8_t bits) {
  std::string out;
  for (int row = 0; row < kModifierRows; ++row) {
    const char* name = modifierName(row);
    if (bits & modifierBitFromName(name)) {
      if (!out.empty()) out += "+";
      out += name;
    }
  }
  return out;
}

std::string rowText(const std::string* rows, std::size_t count, unsigned row) {
  return row < count ? rows[row] : std::string();
}

json describeButton(const MouseConfig& c, int mode, int b, const std::vector<MacroSummary>& macros) {
  const ButtonBlock& blk = c.mode[mode];
  const UiTexts en(Language::English);
  const DialogTexts& dt = dialogTexts(Language::English);
  const int f = blk.function[b];
  json j{{"button", b + 1}, {"function", f}, {"functionName", en.functionName(f)}};
  json params = json::object();
  std::string detail;
  switch (f) {
    case kDpiSwitch: {
      const int action = c.dpiAction[mode][b];
      params = {{"dpiAction", action}, {"text", dpiActionText(action - 1)}};
      detail = dpiActionText(action - 1);
      break;
    }
    case kWindows: {
      const unsigned usage = wordFromBytes(blk.windowsUsageLow[b], blk.windowsUsageHigh[b]);
      const std::string row = rowText(dt.windowsRows.data(), dt.windowsRows.size(), blk.windowsChoice[b]);
      params = {{"row", blk.windowsChoice[b]}, {"text", row}, {"usage", usage}};
      char u[16];
      std::snprintf(u, sizeof u, "0x%04x", usage);
      detail = row + " (usage " + u + ")";
      break;
    }
    case kMultimedia: {
      const std::string row = rowText(dt.mediaRows.data(), dt.mediaRows.size(), blk.mediaChoice[b]);
      params = {{"row", blk.mediaChoice[b]}, {"text", row}, {"usage", blk.mediaUsage[b]}};
      detail = row + " (usage " + hexByte(blk.mediaUsage[b]) + ")";
      break;
    }
    case kFireKey: {
      const std::string key = fireRowText(blk.fireChoice[b]);
      params = {{"row", blk.fireChoice[b]},
                {"key", key},
                {"keyCode", blk.fireKey[b]},
                {"speed", blk.fireSpeed[b]},
                {"times", blk.fireTimes[b]}};
      detail = key + ", speed " + std::to_string(blk.fireSpeed[b]) + ", " +
               (blk.fireTimes[b] ? std::to_string(blk.fireTimes[b]) + " times" : "until released");
      break;
    }
    case kSingleKey:
      params = {{"key", keyName(blk.singleKey[b])}, {"keyCode", blk.singleKey[b]}};
      detail = keyName(blk.singleKey[b]);
      break;
    case kComboKey: {
      const std::string mods = modifierNames(blk.comboModifiers[b]);
      params = {{"modifiers", mods},
                {"modifierBits", blk.comboModifiers[b]},
                {"key1", keyName(blk.comboKey1[b])},
                {"key1Code", blk.comboKey1[b]},
                {"key2", keyName(blk.comboKey2[b])},
                {"key2Code", blk.comboKey2[b]}};
      detail = (mods.empty() ? std::string() : mods + "+") + keyName(blk.comboKey1[b]) + "+" +
               keyName(blk.comboKey2[b]);
      break;
    }
    case kMacroKey: {
      const int number = blk.macroIndex[b] + 1;
      const int repeat = blk.macroRepeat[b];
      std::string name;
      for (const auto& m : macros)
        if (m.number == number) name = m.name;
      const std::string repeatText =
          rowText(dt.macroRepeatOptions.data(), dt.macroRepeatOptions.size(), static_cast<unsigned>(repeat));
      params = {{"macro", number}, {"macroName", name}, {"repeat", repeat}, {"repeatText", repeatText}};
      detail = "macro " + std::to_string(number) + (name.empty() ? "" : " \"" + name + "\"") + ", repeat " +
               std::to_string(repeat) + (repeatText.empty() ? "" : " (" + repeatText + ")");
      break;
    }
    default: break;
  }
  j["params"] = params;
  j["description"] = detail;
  return j;
}

}  // namespace

std::string jsonLine(const json& doc) { return doc.dump(-1, ' ', false, json::error_handler_t::replace); }

std::vector<MacroSummary> summariseMacros(const profile::ProfileDocument& recordIni) {
  std::vector<MacroSummary> out;
  for (const MacroReport& r : rebuildMacroImages(recordIni, nullptr))
    out.push_back({r.number, r.name, static_cast<int>(r.items), r.events, r.truncated});
  return out;
}

json describeConfig(const MouseConfig& c, int sensorType, const std::vector<MacroSummary>& macros) {
  json doc;
  json modes = json::array();
  for (int m = kModeA; m <= kModeB; ++m) {
    json buttons = json::array();
    for (int b = 0; b < kSentButtons; ++b) buttons.push_back(describeButton(c, m, b, macros));
    modes.push_back(
        {{"mode", m}, {"name", keyModeName(m)}, {"keyMatrix", kModeKeyMatrix[m]}, {"buttons", buttons}});
  }
  doc["modes"] = modes;
  doc["editedMode"] = c.editedMode;
  doc["editedModeName"] = keyModeName(c.editedModeIndex());

  const int hz = reportRateHz(c.reportInterval);
  doc["reportRate"] = {{"interval", c.reportInterval}, {"hz", hz != 0 ? json(hz) : json(nullptr)}};
  doc["sensorType"] = sensorType;
  json stages = json::array();
  for (int s = 0; s < static_cast<int>(kDpiStages); ++s)
    stages.push_back({{"stage", s + 1},
                      {"enabled", c.dpiStageEnabled[s] != 0},
                      {"step", c.dpiStageValue[s]},
                      {"dpi", dpiText(sensorType, c.dpiStageValue[s])}});
  doc["dpiStages"] = stages;

  const std::optional<int> param = storedLedParam(c);
  doc["led"] = {{"mode", c.ledMode},
                {"modeName", ledModeName(UiTexts(Language::English), c.ledMode)},
                {"param", param ? json(*param) : json(nullptr)},
                {"paramText", ledParamFaceText(c)}};

  json colours = json::array();
  for (int k = 0; k < static_cast<int>(kLoopColors); ++k) {
    char rgb[8];
    std::snprintf(rgb, sizeof rgb, "#%02x%02x%02x", c.loopColor[k][0], c.loopColor[k][1], c.loopColor[k][2]);
    colours.push_back({{"color", k + 1}, {"rgb", rgb}, {"enabled", loopColorUsed(c, k)}});
  }
  doc["loopColors"] = colours;

  json leds = json::array();
  for (int s = 0; s < static_cast<int>(kDpiStages); ++s) {
    json lit = json::array();
    for (int led = 1; led <= kLedsPerStage; ++led)
      if (dpiLedLit(c, s, led)) lit.push_back(led);
    leds.push_back({{"stage", s + 1}, {"mask", dpiLedBits(c, s)}, {"leds", lit}});
  }
  doc["dpiLeds"] = leds;

  doc["pointer"] = {{"speedStep", c.pointerSpeedStep},
                    {"scrollLines", c.scrollLines},
                    {"doubleClickStep", c.doubleClickStep},
                    {"enhancePrecision", c.enhancePointerPrecision != 0},
                    {"scrollOneScreen", c.scrollOneScreen != 0}};

  json ms = json::array();
  for (const MacroSummary& m : macros) {
    const bool hasImage = m.number <= static_cast<int>(kMacroCount);
    ms.push_back({{"number", m.number},
                  {"name", m.name},
                  {"items", m.items},
                  {"events", m.events},
                  {"truncated", m.truncated},
                  {"hasImage", hasImage},
                  {"loopTimes", hasImage ? json(loopTimes(c, m.number - 1)) : json(nullptr)}});
  }
  doc["macros"] = ms;
  return doc;
}

std::vector<std::string> renderConfig(const json& doc) {
  std::vector<std::string> out;
  auto onOff = [](bool b) { return b ? "on" : "off"; };
  for (const json& m : doc["modes"]) {
    out.push_back(m["name"].get<std::string>() + " (key matrix " + std::to_string(m["keyMatrix"].get<int>()) +
                  "):");
    for (const json& b : m["buttons"]) {
      std::string line =
          "  Button " + std::to_string(b["button"].get<int>()) + ": " + b["functionName"].get<std::string>();
      const std::string d = b["description"].get<std::string>();
      if (!d.empty()) line += " - " + d;
      out.push_back(line);
    }
  }
  out.push_back("Edited mode: " + doc["editedModeName"].get<std::string>());
  const json& rr = doc["reportRate"];
  out.push_back("Report rate: " +
                (rr["hz"].is_null() ? "unknown (interval " + std::to_string(rr["interval"].get<int>()) + ")"
                                    : std::to_string(rr["hz"].get<int>()) + " Hz"));
  out.push_back("DPI stages (sensor type " + std::to_string(doc["sensorType"].get<int>()) + "):");
  for (const json& s : doc["dpiStages"]) {
    const std::string dpi = s["dpi"].get<std::string>();
    out.push_back(
        "  Stage " + std::to_string(s["stage"].get<int>()) + ": " + onOff(s["enabled"].get<bool>()) + ", " +
        (dpi.empty() ? "step " + std::to_string(s["step"].get<int>()) + " (no DPI for this sensor type)"
                     : dpi + " DPI"));
  }
  const json& led = doc["led"];
  std::string ledLine =
      "LED: " + (led["modeName"].get<std::string>().empty() ? "mode " + std::to_string(led["mode"].get<int>())
                                                            : led["modeName"].get<std::string>());
  if (!led["param"].is_null())
    ledLine += ", parameter " + (led["paramText"].get<std::string>().empty()
                                     ? "index " + std::to_string(led["param"].get<int>())
                                     : led["paramText"].get<std::string>());
  out.push_back(ledLine);
  out.push_back("Loop colours:");
  for (const json& k : doc["loopColors"])
    out.push_back("  Colour " + std::to_string(k["color"].get<int>()) + ": " + k["rgb"].get<std::string>() +
                  (k["enabled"].get<bool>() ? ", ticked" : ", not ticked"));
  out.push_back("DPI LEDs:");
  for (const json& s : doc["dpiLeds"]) {
    std::string lit;
    for (const json& l : s["leds"]) {
      if (!lit.empty()) lit.push_back(' ');
      lit.append(std::to_string(l.get<int>()));
    }
    out.push_back("  Stage " + std::to_string(s["stage"].get<int>()) + ": " +
                  (lit.empty() ? "none lit" : "LEDs " + lit + " lit"));
  }
  const json& p = doc["pointer"];
  out.push_back("Pointer: speed step " + std::to_string(p["speedStep"].get<int>()) + ", scroll lines " +
                std::to_string(p["scrollLines"].get<int>()) + ", double-click step " +
                std::to_string(p["doubleClickStep"].get<int>()) + ", enhance pointer precision " +
                onOff(p["enhancePrecision"].get<bool>()) + ", scroll one screen " +
                onOff(p["scrollOneScreen"].get<bool>()));
  out.push_back("Macros:");
  if (doc["macros"].empty()) out.push_back("  (none in record.ini)");
  for (const json& m : doc["macros"]) {
    std::string line = "  Macro " + std::to_string(m["number"].get<int>()) + " \"" +
                       m["name"].get<std::string>() + "\": " + std::to_string(m["events"].get<int>()) +
                       " events";
    if (m["hasImage"].get<bool>())
      line += ", loop " + std::to_string(m["loopTimes"].get<int>());
    else
      line += ", no image (only the first twelve macros reach the mouse)";
    if (m["truncated"].get<bool>()) line += ", cut to fit the image";
    out.push_back(line);
  }
  return out;
}

}  // namespace hm::ctl
