// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/config_text/setting_keys.h"

#include <array>
#include <cctype>

#include "core/config_text/button_setting.h"
#include "core/config_text/colour_text.h"
#include "core/model/basic_logic.h"
#include "core/model/pointer_settings_logic.h"
#include "core/settings/ui_text.h"

namespace hm {
namespace {

enum class Kind {
  Mode,
  Button,
  Rate,
  Dpi,
  DpiEnabled,
  LedMode,
  LedParam,
  LedColour,
  LedColourEnabled,
  LedStage,
  PointerSpeed,
  PointerScrollLines,
  PointerDoubleClick,
  PointerPrecision,
  PointerScrollOneScreen
};

struct Key {
  Kind kind = Kind::Mode;
  int mode = kModeA;
  int index = 0;  // 0-based button, stage or colour
};

struct ParsedKey {
  std::optional<Key> key;
  std::string error;
};

constexpr const char* kModeWords[] = {"a", "b"};
constexpr const char* kLedModeWords[] = {"off", "standard", "respiration", "neon"};
constexpr const char* kOn = "on";
constexpr const char* kOff = "off";
constexpr const char* kNoLeds = "none";

struct NamedKind {
  const char* name;
  Kind kind;
};
constexpr NamedKind kPointerKeys[] = {{"speed", Kind::PointerSpeed},
                                      {"scrollLines", Kind::PointerScrollLines},
                                      {"doubleClick", Kind::PointerDoubleClick},
                                      {"precision", Kind::PointerPrecision},
                                      {"scrollOneScreen", Kind::PointerScrollOneScreen}};

std::vector<std::string> split(const std::string& text, char by) {
  std::vector<std::string> parts(1);
  for (char c : text) {
    if (c == by)
      parts.emplace_back();
    else
      parts.back().push_back(c);
  }
  return parts;
}

std::string trimmed(const std::string& s) {
  std::size_t a = 0, b = s.size();
  while (a < b && std::isspace(static_cast<unsigned char>(s[a]))) ++a;
  while (b > a && std::isspace(static_cast<unsigned char>(s[b - 1]))) --b;
  return s.substr(a, b - a);
}

std::string quoted(const std::string& s) { return "\"" + s + "\""; }

// 1..count as a 0-based index, or nothing.
std::optional<int> numberIn(const std::string& text, int count) {
  if (text.empty() || text.size() > 3) return std::nullopt;
  int n = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    n = n * 10 + (c - '0');
  }
  if (n < 1 || n > count) return std::nullopt;
  return n - 1;
}

std::string rangeText(int count) { return "1.." + std::to_string(count); }

ParsedKey parseKey(const std::string& key) {
  const std::vector<std::string> p = split(key, '.');
  auto is = [&](std::size_t i, const char* word) { return i < p.size() && equalsIgnoringCase(p[i], word); };
  auto indexed = [&](std::size_t at, int count, const char* what, Key k) -> ParsedKey {
    const std::optional<int> n = numberIn(p[at], count);
    if (!n) return {std::nullopt, key + ": " + what + " are numbered " + rangeText(count)};
    k.index = *n;
    return {k, ""};
  };
  if (p.size() == 1 && is(0, "mode")) return {Key{Kind::Mode}, ""};
  if (p.size() == 1 && is(0, "rate")) return {Key{Kind::Rate}, ""};
  if (p.size() == 3 && is(0, "button")) {
    Key k{Kind::Button};
    if (is(1, "b"))
      k.mode = kModeB;
    else if (!is(1, "a"))
      return {std::nullopt, key + ": the modes are a and b"};
    return indexed(2, kBasicPageButtons, "the buttons with a box on the Basic page", k);
  }
  if ((p.size() == 2 || (p.size() == 3 && is(2, "enabled"))) && is(0, "dpi"))
    return indexed(1, static_cast<int>(kDpiStages), "the DPI stages",
                   Key{p.size() == 2 ? Kind::Dpi : Kind::DpiEnabled});
  if (p.size() == 2 && is(0, "led") && is(1, "mode")) return {Key{Kind::LedMode}, ""};
  if (p.size() == 2 && is(0, "led") && is(1, "param")) return {Key{Kind::LedParam}, ""};
  if (is(0, "led") && (is(1, "colour") || is(1, "color")) &&
      (p.size() == 3 || (p.size() == 4 && is(3, "enabled"))))
    return indexed(2, static_cast<int>(kLoopColors), "the loop colours",
                   Key{p.size() == 3 ? Kind::LedColour : Kind::LedColourEnabled});
  if (p.size() == 3 && is(0, "led") && is(1, "stage"))
    return indexed(2, static_cast<int>(kDpiStages), "the DPI stages", Key{Kind::LedStage});
  if (p.size() == 2 && is(0, "pointer"))
    for (const NamedKind& n : kPointerKeys)
      if (is(1, n.name)) return {Key{n.kind}, ""};
  return {std::nullopt,
          "unknown key " + quoted(key) +
              "; the keys are mode, button.a.1..7, button.b.1..7, rate, dpi.1..4, dpi.1..4.enabled, "
              "led.mode, led.param, led.colour.1..8, led.colour.1..8.enabled, led.stage.1..4, "
              "pointer.speed, pointer.scrollLines, pointer.doubleClick, pointer.precision, "
              "pointer.scrollOneScreen"};
}

std::optional<bool> onOff(const std::string& v) {
  for (const char* w : {kOn, "true", "yes", "1"})
    if (equalsIgnoringCase(v, w)) return true;
  for (const char* w : {kOff, "false", "no", "0"})
    if (equalsIgnoringCase(v, w)) return false;
  return std::nullopt;
}

const char* onOffText(bool on) { return on ? kOn : kOff; }

std::string dpiScale(int sensorType) {
  std::string out;
  for (int level = 1; level <= dpiLevelCount(sensorType); ++level)
    out += (level > 1 ? ", " : "") + dpiLevelLabel(sensorType, level);
  return out;
}

std::string ledsText(const MouseConfig& c, int stage) {
  std::string out;
  for (int led = 1; led <= kLedsPerStage; ++led)
    if (dpiLedLit(c, stage, led)) out += (out.empty() ? "" : ",") + std::to_string(led);
  return out.empty() ? kNoLeds : out;
}

std::optional<std::uint8_t> parseLeds(const std::string& v) {
  if (equalsIgnoringCase(trimmed(v), kNoLeds)) return std::uint8_t{0};
  std::uint8_t bits = 0;
  std::string part;
  bool any = false;
  for (std::size_t i = 0; i <= v.size(); ++i) {
    if (i == v.size() || v[i] == ',' || std::isspace(static_cast<unsigned char>(v[i]))) {
      if (part.empty()) continue;
      const std::optional<int> led = numberIn(part, kLedsPerStage);
      if (!led) return std::nullopt;
      bits = static_cast<std::uint8_t>(bits | (1u << *led));
      any = true;
      part.clear();
    } else {
      part.push_back(v[i]);
    }
  }
  if (!any) return std::nullopt;
  return bits;
}

PointerSlider sliderOf(Kind k) {
  switch (k) {
    case Kind::PointerSpeed: return PointerSlider::Speed;
    case Kind::PointerScrollLines: return PointerSlider::ScrollLines;
    default: return PointerSlider::DoubleClick;
  }
}

std::uint8_t pointerStep(const MouseConfig& c, Kind k) {
  switch (k) {
    case Kind::PointerSpeed: return c.pointerSpeedStep;
    case Kind::PointerScrollLines: return c.scrollLines;
    default: return c.doubleClickStep;
  }
}

std::string ledModeWord(int mode) {
  return mode >= kLedModeOff && mode <= kLedModeNeon ? kLedModeWords[mode] : std::to_string(mode);
}

// A tick of the window: clicked only when it is not already as wanted.
template <typename Toggle>
void setTick(bool now, bool wanted, Toggle toggle) {
  if (now != wanted) toggle();
}

std::string change(SettingTarget& t, const Key& k, const std::string& v) {
  MouseConfig& c = t.config;
  switch (k.kind) {
    case Kind::Mode:
      for (int m : {kModeA, kModeB})
        if (equalsIgnoringCase(v, kModeWords[m]) || equalsIgnoringCase(v, keyModeName(m))) {
          c.editedMode = static_cast<std::uint8_t>(m);
          return "";
        }
      return "the modes are a and b";
    case Kind::Button: {
      const ButtonValue parsed = parseButtonValue(v, t.language, t.macros);
      if (!parsed.ok()) return parsed.error;
      return applyButtonChoice(c, t.texts, k.mode, k.index, parsed.choice, t.ui);
    }
    case Kind::Rate: {
      std::string hz = v;
      if (hz.size() > 2 && equalsIgnoringCase(hz.substr(hz.size() - 2), "hz"))
        hz = trimmed(hz.substr(0, hz.size() - 2));
      for (int cell = 0; cell < kReportRateCellCount; ++cell)
        if (hz == reportRateLabel(cell)) {
          selectReportRate(c, cell);
          return "";
        }
      return "the report rates are 125, 250, 500 and 1000 (Hz)";
    }
    case Kind::Dpi: {
      if (!t.sensorType)
        return "the DPI scale depends on the sensor type: plug the mouse in or give --sensor T";
      const int type = *t.sensorType, levels = dpiLevelCount(type);
      for (int level = 1; level <= levels; ++level)
        if (v == dpiLevelLabel(type, level)) {
          selectDpiLevel(c, k.index, level, levels);
          return "";
        }
      return quoted(v) + " is not on the DPI scale of sensor type " + std::to_string(type) + ": " +
             dpiScale(type);
    }
    case Kind::DpiEnabled: {
      const std::optional<bool> on = onOff(v);
      if (!on) return "a stage is on or off";
      if (*on != dpiStageOn(c, k.index) && toggleDpiStage(c, k.index) == PaneToggle::Refused)
        return "stage " + std::to_string(k.index + 1) + " is the only stage on: one stage always stays on";
      return "";
    }
    case Kind::LedMode:
      for (int line = 0; line < kLedModeChoices; ++line) {
        const int mode = line + kLedModeStandard;
        if (equalsIgnoringCase(v, kLedModeWords[mode]) || equalsIgnoringCase(v, ledModeName(t.ui, mode)) ||
            equalsIgnoringCase(v, ledModeName(UiTexts(Language::English), mode))) {
          chooseLedMode(c, line);
          return "";
        }
      }
      return "the LED modes are standard, respiration and neon (the mode list offers no off)";
    case Kind::LedParam: {
      if (!storedLedParam(c)) return "the LED mode is off, which has no parameter: set led.mode first";
      const std::vector<std::string> table = ledParamTable(c.ledMode);
      for (std::size_t line = 0; line < table.size(); ++line) {
        const std::string& e = table[line];
        if (equalsIgnoringCase(v, e) || v == e.substr(0, e.size() - 1)) {
          chooseLedParam(c, static_cast<int>(line));
          return "";
        }
      }
      std::string all;
      for (const std::string& e : table) all += (all.empty() ? "" : ", ") + e;
      return "the parameters of " + ledModeWord(c.ledMode) + " are " + all;
    }
    case Kind::LedColour: {
      const auto rgb = parseColourText(v, true);
      if (!rgb) return "a colour is #rrggbb (six hexadecimal digits)";
      if (!swatchOpensChooser(c, k.index))
        return "loop colour " + std::to_string(k.index + 1) + " is not used: set led.colour." +
               std::to_string(k.index + 1) + ".enabled on first";
      setLoopColor(c, k.index, (*rgb)[0], (*rgb)[1], (*rgb)[2]);
      return "";
    }
    case Kind::LedColourEnabled: {
      const std::optional<bool> on = onOff(v);
      if (!on) return "a loop colour is on or off";
      setTick(loopColorUsed(c, k.index), *on, [&] { toggleLoopColor(c, k.index); });
      return "";
    }
    case Kind::LedStage: {
      const std::optional<std::uint8_t> bits = parseLeds(v);
      if (!bits) return "the LEDs lit are a list of 1..4 (\"1,3\") or none";
      for (int led = 1; led <= kLedsPerStage; ++led)
        setTick(dpiLedLit(c, k.index, led), ((*bits >> (led - 1)) & 1u) != 0,
                [&] { toggleDpiLed(c, k.index, led); });
      return "";
    }
    case Kind::PointerSpeed:
    case Kind::PointerScrollLines:
    case Kind::PointerDoubleClick: {
      const std::optional<int> n = numberIn(v, kPointerStepCount);
      if (!n) return "the slider's steps are " + rangeText(kPointerStepCount);
      selectPointerStep(c, sliderOf(k.kind), *n + 1);
      return "";
    }
    case Kind::PointerPrecision:
    case Kind::PointerScrollOneScreen: {
      const std::optional<bool> on = onOff(v);
      if (!on) return "a tick is on or off";
      if (k.kind == Kind::PointerPrecision)
        setTick(precisionTicked(c), *on, [&] { togglePrecision(c); });
      else
        setTick(scrollOneScreenTicked(c), *on, [&] { toggleScrollOneScreen(c); });
      return "";
    }
  }
  return "unknown key";
}

std::string read(const SettingTarget& t, const Key& k) {
  const MouseConfig& c = t.config;
  switch (k.kind) {
    case Kind::Mode: return kModeWords[c.editedModeIndex()];
    case Kind::Button: return formatButtonValue(c, k.mode, k.index);
    case Kind::Rate: {
      const int hz = reportRateHz(c.reportInterval);
      return hz ? std::to_string(hz) : "[interval " + std::to_string(c.reportInterval) + "]";
    }
    case Kind::Dpi: {
      const int type = t.sensorType.value_or(0);
      const std::string label = dpiLevelLabel(type, c.dpiStageValue[k.index] + 1);
      return label.empty() ? "[step " + std::to_string(c.dpiStageValue[k.index]) + "]" : label;
    }
    case Kind::DpiEnabled: return onOffText(dpiStageOn(c, k.index));
    case Kind::LedMode: return ledModeWord(c.ledMode);
    case Kind::LedParam: {
      const std::optional<int> p = storedLedParam(c);
      if (!p) return "";
      const std::string text = ledParamFaceText(c);
      return text.empty() ? "[index " + std::to_string(*p) + "]" : text;
    }
    case Kind::LedColour: return colourText(c.loopColor[k.index]);
    case Kind::LedColourEnabled: return onOffText(loopColorUsed(c, k.index));
    case Kind::LedStage: return ledsText(c, k.index);
    case Kind::PointerSpeed:
    case Kind::PointerScrollLines:
    case Kind::PointerDoubleClick: return std::to_string(pointerStep(c, k.kind));
    case Kind::PointerPrecision: return onOffText(precisionTicked(c));
    case Kind::PointerScrollOneScreen: return onOffText(scrollOneScreenTicked(c));
  }
  return "";
}

}  // namespace

std::vector<std::string> settingKeys() {
  std::vector<std::string> keys{"mode"};
  for (const char* m : kModeWords)
    for (int b = 1; b <= kBasicPageButtons; ++b)
      keys.push_back(std::string("button.") + m + "." + std::to_string(b));
  keys.emplace_back("rate");
  for (std::size_t s = 1; s <= kDpiStages; ++s) keys.push_back("dpi." + std::to_string(s));
  for (std::size_t s = 1; s <= kDpiStages; ++s) keys.push_back("dpi." + std::to_string(s) + ".enabled");
  keys.emplace_back("led.mode");
  keys.emplace_back("led.param");
  for (std::size_t k = 1; k <= kLoopColors; ++k) keys.push_back("led.colour." + std::to_string(k));
  for (std::size_t k = 1; k <= kLoopColors; ++k)
    keys.push_back("led.colour." + std::to_string(k) + ".enabled");
  for (std::size_t s = 1; s <= kDpiStages; ++s) keys.push_back("led.stage." + std::to_string(s));
  for (const NamedKind& n : kPointerKeys) keys.push_back(std::string("pointer.") + n.name);
  return keys;
}

bool isSettingKey(const std::string& key) { return parseKey(key).key.has_value(); }

bool settingNeedsSensor(const std::string& key) {
  const ParsedKey k = parseKey(key);
  return k.key && k.key->kind == Kind::Dpi;
}

SettingResult getSetting(const SettingTarget& target, const std::string& key) {
  const ParsedKey k = parseKey(key);
  if (!k.key) return {"", k.error};
  return {read(target, *k.key), ""};
}

SettingResult setSetting(SettingTarget& target, const std::string& key, const std::string& value) {
  const ParsedKey k = parseKey(key);
  if (!k.key) return {"", k.error};
  // A value as get prints it changes nothing, whatever the window would say
  // to choosing it anew ("Left Click" on a button that holds it, "off" for a
  // mode the list does not offer, "[interval 3]").
  if (const std::string now = read(target, *k.key); trimmed(value) == now) return {now, ""};
  // Changes are made to copies and kept only when the whole change was taken.
  MouseConfig config = target.config;
  ButtonTexts texts = target.texts;
  SettingTarget copy{config, texts, target.ui, target.language, target.macros, target.sensorType};
  const std::string why = change(copy, *k.key, trimmed(value));
  if (!why.empty()) return {"", key + ": " + why};
  target.config = config;
  target.texts = texts;
  return {read(target, *k.key), ""};
}

}  // namespace hm
