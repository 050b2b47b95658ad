// SPDX-License-Identifier: GPL-3.0-or-later
// Settings by key against the window's own rules: every value a key takes
// stores exactly what the same choice on the window's page stores (record and
// button texts compared whole), reads back through get to a value that stores
// the same again, and every value the window refuses is refused with a
// message naming what is allowed, changing nothing.
#include "core/config_text/setting_keys.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "core/buttons/button_codes.h"
#include "core/buttons/function_choice.h"
#include "core/model/basic_logic.h"
#include "core/model/pointer_settings_logic.h"
#include "core/settings/config_file.h"
#include "core/settings/ui_text.h"

namespace hm {
namespace {

const std::vector<std::string> kMacros{"First", "Second", "third"};

// The factory record with the factory texts: what a fresh install shows.
struct Sane {
  MouseConfig config = factoryConfig();
  ButtonTexts texts;
  UiTexts ui{Language::English};
  std::optional<int> sensor;
  Sane() { restoreDefaultTexts(texts, ui); }
  SettingTarget target() { return {config, texts, ui, Language::English, kMacros, sensor}; }
  // The window's rule, made with `mode` shown on the Basic page.
  void inMode(int mode, const std::function<void(Sane&)>& rule) {
    const std::uint8_t shown = config.editedMode;
    config.editedMode = static_cast<std::uint8_t>(mode);
    rule(*this);
    config.editedMode = shown;
  }
  KeyEntry entry(int mode, int button) const {
    return encodeEntry(config.mode[mode], button, config.dpiAction[mode][static_cast<std::size_t>(button)]);
  }
};

using Rule = std::function<void(Sane&)>;

Rule dialog(int button, DialogResult r) {
  return [=](Sane& s) { applyDialogChoice(s.config, s.texts, button, r, s.ui); };
}
Rule listChoice(int button, int index) {
  return [=](Sane& s) { applyImmediateChoice(s.config, s.texts, button, index, s.ui); };
}
Rule dpiRow(int button, int row) {
  return [=](Sane& s) { applyDpiSubListChoice(s.config, s.texts, button, row); };
}

struct ButtonCase {
  const char* key;
  const char* value;
  int mode, button;  // what the window's rule works on
  Rule window;
  KeyEntry entry;  // what the mouse then gets (the window's tests know these bytes)
};

const ButtonCase kButtonCases[] = {
    {"button.a.4", "key A", kModeA, 3, dialog(3, SingleKeyResult{"A"}), {0x00, 0x00, 0x04, 0x00}},
    {"button.b.4",
     "Single Key num 7",
     kModeB,
     3,
     dialog(3, SingleKeyResult{"Num 7"}),
     {0x00, 0x00, 0x5F, 0x00}},
    {"button.a.5",
     "combo Left Ctrl+A+B",
     kModeA,
     4,
     dialog(4, ComboKeyResult{"Left Ctrl", "A", "B"}),
     {0x00, 0x01, 0x04, 0x05}},
    {"button.a.5",
     "combo Ctrl+Shift+A",
     kModeA,
     4,
     dialog(4, ComboKeyResult{"Left Ctrl", "Shift", "A"}),
     {0x00, 0x01, 0xE1, 0x04}},
    {"button.a.5",
     "combo Right Ctrl+A",
     kModeA,
     4,
     dialog(4, ComboKeyResult{"Right Ctrl", "A", ""}),
     {0x00, 0x10, 0x04, 0x00}},
    {"button.a.5",
     "combo +Right Ctrl+A",
     kModeA,
     4,
     dialog(4, ComboKeyResult{"", "Right Ctrl", "A"}),
     {0x00, 0x00, 0xE4, 0x04}},
    {"button.b.5", "combo ++B", kModeB, 4, dialog(4, ComboKeyResult{"", "", "B"}), {0x00, 0x00, 0x00, 0x05}},
    {"button.a.5",
     "combo Num ++Num 7",
     kModeA,
     4,
     dialog(4, ComboKeyResult{"", "Num +", "Num 7"}),
     {0x00, 0x00, 0x57, 0x5F}},
    {"button.a.5",
     "combo Right Win",
     kModeA,
     4,
     dialog(4, ComboKeyResult{"Right Win", "", ""}),
     {0x00, 0x80, 0x00, 0x00}},
    {"button.a.3", "fire A", kModeA, 2, dialog(2, FireKeyResult{0, "A", 32, 1}), {0x0A, 0x04, 0x20, 0x01}},
    {"button.b.3",
     "Fire Key L-Button 10 0",
     kModeB,
     2,
     dialog(2, FireKeyResult{54, "L-Button", 10, 0}),
     {0x0A, 0xF0, 0x0A, 0x00}},
    {"button.a.3",
     "fire r-tilt wheel 255",
     kModeA,
     2,
     dialog(2, FireKeyResult{60, "R-Tilt Wheel", 255, 1}),
     {0x0A, 0xF6, 0xFF, 0x01}},
    {"button.a.6", "media Vol-", kModeA, 5, dialog(5, MediaResult{6, "Vol-"}), {0x03, 0x00, 0xEA, 0x00}},
    {"button.a.6", "media volume up", kModeA, 5, dialog(5, MediaResult{5, "Vol+"}), {0x03, 0x00, 0xE9, 0x00}},
    {"button.b.6", "Multimedia Next", kModeB, 5, dialog(5, MediaResult{0, "Next"}), {0x03, 0x00, 0xB5, 0x00}},
    {"button.a.7",
     "windows My Computer",
     kModeA,
     6,
     dialog(6, WindowsResult{3, "My Computer"}),
     {0x03, 0x00, 0x94, 0x01}},
    {"button.a.7",
     "Windows Browser-My Favorites",
     kModeA,
     6,
     dialog(6, WindowsResult{10, "Browser-My Favorites"}),
     {0x03, 0x00, 0x2A, 0x02}},
    {"button.a.2",
     "macro 3 repeat 3",
     kModeA,
     1,
     dialog(1, MacroKeyResult{2, "third", 3}),
     {0x09, 0x02, 0x03, 0x00}},
    {"button.b.2",
     "Macro Key second",
     kModeB,
     1,
     dialog(1, MacroKeyResult{1, "Second", 1}),
     {0x09, 0x00, 0x02, 0x00}},
    {"button.a.4", "DPI -", kModeA, 3, dpiRow(3, 1), {0x07, 0x00, 0x02, 0x00}},
    {"button.b.4", "dpi loop", kModeB, 3, dpiRow(3, 2), {0x07, 0x00, 0x03, 0x00}},
    {"button.a.2", "Triple-click", kModeA, 1, listChoice(1, kTripleClick), {0x0A, 0xF0, 0x20, 0x03}},
    {"button.b.7", "key off", kModeB, 6, listChoice(6, kKeyOff), {0x00, 0x00, 0x00, 0x00}},
    {"button.a.3", "Shift", kModeA, 2, listChoice(2, kShift), {0x08, 0x00, 0x02, 0x00}},
    {"button.b.1", "RGB On/Off", kModeB, 0, listChoice(0, kRgbOnOff), {0x08, 0x00, 0x03, 0x00}},
};

TEST(SettingKeys, ButtonValuesStoreWhatTheWindowsChoiceStoresAndReadBack) {
  for (const ButtonCase& c : kButtonCases) {
    SCOPED_TRACE(std::string(c.key) + " " + c.value);
    // A second "Left Click" (hidden button 12 of Mode B) lets button 1 of Mode B change.
    Sane set, window;
    for (Sane* s : {&set, &window}) s->config.mode[kModeB].function[11] = kLeftClick;
    SettingTarget t = set.target();
    const SettingResult r = setSetting(t, c.key, c.value);
    ASSERT_TRUE(r.ok()) << r.error;
    window.inMode(c.mode, c.window);
    EXPECT_TRUE(set.config == window.config);
    EXPECT_EQ(set.texts, window.texts);
    EXPECT_EQ(set.entry(c.mode, c.button), c.entry);
    EXPECT_EQ(set.config.editedMode, kModeA);  // the shown mode stays

    // What get gives stores the same bytes and texts again.
    Sane again;
    again.config.mode[kModeB].function[11] = kLeftClick;
    SettingTarget t2 = again.target();
    EXPECT_EQ(getSetting(t, c.key).value, r.value);
    ASSERT_TRUE(setSetting(t2, c.key, r.value).ok()) << r.value;
    EXPECT_TRUE(again.config == set.config) << r.value;
  }
}

struct OtherCase {
  const char* key;
  const char* value;
  std::optional<int> sensor;
  Rule window;
  const char* reads;
};

const OtherCase kOtherCases[] = {
    {"mode", "B", {}, [](Sane& s) { s.config.editedMode = kModeB; }, "b"},
    {"rate", "125", {}, [](Sane& s) { selectReportRate(s.config, 0); }, "125"},
    {"rate", "500Hz", {}, [](Sane& s) { selectReportRate(s.config, 2); }, "500"},
    {"dpi.2", "1600", 1, [](Sane& s) { selectDpiLevel(s.config, 1, 5, 8); }, "1600"},
    {"dpi.4", "4000", 0, [](Sane& s) { selectDpiLevel(s.config, 3, 12, 12); }, "4000"},
    {"dpi.3.enabled", "off", {}, [](Sane& s) { toggleDpiStage(s.config, 2); }, "off"},
    {"dpi.3.enabled", "on", {}, [](Sane&) {}, "on"},
    {"led.mode", "neon", {}, [](Sane& s) { chooseLedMode(s.config, 2); }, "neon"},
    {"led.mode", "Respiration Mode", {}, [](Sane& s) { chooseLedMode(s.config, 1); }, "respiration"},
    {"led.param", "55", {}, [](Sane& s) { chooseLedParam(s.config, 5); }, "55%"},
    {"led.colour.3", "#12ab5C", {}, [](Sane& s) { setLoopColor(s.config, 2, 0x12, 0xAB, 0x5C); }, "#12ab5c"},
    {"led.color.8.enabled", "off", {}, [](Sane& s) { toggleLoopColor(s.config, 7); }, "off"},
    {"led.stage.3",
     "2 4",
     {},
     [](Sane& s) {
       toggleDpiLed(s.config, 2, 3);
       toggleDpiLed(s.config, 2, 2);
       toggleDpiLed(s.config, 2, 4);
     },
     "2,4"},
    {"led.stage.1", "none", {}, [](Sane& s) { toggleDpiLed(s.config, 0, 1); }, "none"},
    {"pointer.speed", "11", {}, [](Sane& s) { selectPointerStep(s.config, PointerSlider::Speed, 11); }, "11"},
    {"pointer.doubleClick",
     "1",
     {},
     [](Sane& s) { selectPointerStep(s.config, PointerSlider::DoubleClick, 1); },
     "1"},
    {"pointer.precision", "off", {}, [](Sane& s) { togglePrecision(s.config); }, "off"},
    {"pointer.scrollOneScreen", "on", {}, [](Sane& s) { toggleScrollOneScreen(s.config); }, "on"},
};

TEST(SettingKeys, PageSettingsStoreWhatThePagesClicksStore) {
  for (const OtherCase& c : kOtherCases) {
    SCOPED_TRACE(std::string(c.key) + " " + c.value);
    Sane set, window;
    set.sensor = c.sensor;
    SettingTarget t = set.target();
    const SettingResult r = setSetting(t, c.key, c.value);
    ASSERT_TRUE(r.ok()) << r.error;
    c.window(window);
    EXPECT_TRUE(set.config == window.config);
    EXPECT_EQ(r.value, c.reads);
    EXPECT_EQ(getSetting(t, c.key).value, c.reads);
  }
}

struct RefusedCase {
  const char* key;
  const char* value;
  Rule arrange;  // on the factory record before the change
  const char* says;
};

const RefusedCase kRefused[] = {
    // Where the window refuses.
    {"button.a.1", "Right Click", nullptr, "Left key must be selected!"},
    {"button.b.2", "Shift", [](Sane& s) { s.config.mode[kModeB].function[2] = kShift; },
     "button 3 of Mode B already holds \"Shift\""},
    {"dpi.1.enabled", "off",
     [](Sane& s) {
       for (int k = 1; k < 4; ++k) s.config.dpiStageEnabled[k] = 0;
     },
     "only stage on"},
    {"led.mode", "off", nullptr, "standard, respiration and neon"},
    {"led.param", "5%", [](Sane& s) { s.config.ledMode = kLedModeOff; }, "set led.mode first"},
    {"led.param", "95%", nullptr, "5%, 15%, 25%"},
    {"led.colour.3", "#123456", [](Sane& s) { toggleLoopColor(s.config, 2); },
     "set led.colour.3.enabled on first"},
    {"dpi.2", "1600", nullptr, "plug the mouse in or give --sensor"},
    // Values no dialog can give.
    {"button.a.4", "key \\", nullptr, "is not a key name"},
    {"button.a.4", "key", nullptr, "needs a key name"},
    {"button.a.5", "combo Ctrl+A+B+C", nullptr, "more parts than"},
    {"button.a.5", "combo A+Left Ctrl+B", nullptr, "\"A\" is not a modifier"},
    {"button.a.5", "combo Ctrl+Shift+Q-Key", nullptr, "\"Q-Key\" is not a key name"},
    {"button.a.3", "fire A 4", nullptr, "5..255"},
    {"button.a.3", "fire A 32 256", nullptr, "0..255"},
    {"button.a.3", "fire A 32 1 1", nullptr, "too many numbers"},
    {"button.a.3", "fire Q-Button", nullptr, "is not a fire key"},
    {"button.a.6", "media Volume", nullptr, "\"Next\", \"Previous\""},
    {"button.a.7", "windows Calc", nullptr, "\"Calculator\""},
    {"button.a.2", "macro 4", nullptr, "no macro \"4\"; record.ini holds 1 \"First\""},
    {"button.a.2", "macro 2 repeat 4", nullptr, "1, 2 or 3"},
    {"button.a.3", "dpi 1600", nullptr, "sets no DPI of its own"},
    {"button.a.2", "Left Click now", nullptr, "takes no parameters"},
    {"button.a.2", "Sideways", nullptr, "is not a button function; the functions are \"Left Click\""},
    // Keys and values of the other settings.
    {"button.c.1", "Left Click", nullptr, "the modes are a and b"},
    {"button.a.8", "Left Click", nullptr, "numbered 1..7"},
    {"dpi.5", "500", nullptr, "numbered 1..4"},
    {"led.colour.9", "#000000", nullptr, "numbered 1..8"},
    {"pointer.speedy", "3", nullptr, "unknown key \"pointer.speedy\"; the keys are mode"},
    {"rate", "300", nullptr, "125, 250, 500 and 1000"},
    {"led.colour.1", "#12345", nullptr, "#rrggbb"},
    {"led.stage.1", "5", nullptr, "1..4"},
    {"pointer.speed", "0", [](Sane& s) { s.config.pointerSpeedStep = 3; }, "1..11"},
    {"pointer.precision", "maybe", nullptr, "on or off"},
    {"mode", "c", nullptr, "a and b"},
};

TEST(SettingKeys, RefusedValuesNameWhatIsAllowedAndChangeNothing) {
  for (const RefusedCase& c : kRefused) {
    SCOPED_TRACE(std::string(c.key) + " " + c.value);
    Sane s;
    if (c.arrange) c.arrange(s);
    const MouseConfig before = s.config;
    const ButtonTexts textsBefore = s.texts;
    SettingTarget t = s.target();
    const SettingResult r = setSetting(t, c.key, c.value);
    ASSERT_FALSE(r.ok());
    EXPECT_NE(r.error.find(c.says), std::string::npos) << r.error;
    EXPECT_TRUE(s.config == before);
    EXPECT_EQ(s.texts, textsBefore);
  }
}

// A line get prints, pasted after set, is taken and changes nothing, even
// where the window would not offer the value anew (a button's own function,
// LED off, a slider at 0, a report interval no cell shows).
TEST(SettingKeys, EveryValueGetPrintsIsTakenBackUnchanged) {
  const std::pair<const char*, void (*)(Sane&)> setups[] = {
      {"factory", [](Sane&) {}},
      {"varied",
       [](Sane& s) {
         s.config.ledMode = kLedModeOff;
         s.config.reportInterval = 3;
         s.config.pointerSpeedStep = 0;
         s.config.scrollLines = 11;
         s.config.editedMode = 1;
         s.config.dpiStageValue[2] = 40;
         s.config.mode[1].function[5] = kMacroKey;
         s.config.mode[1].macroIndex[5] = 2;
         s.config.mode[0].function[6] = 200;
         s.texts.text[0][3] = "my own text";
         s.sensor = 1;
       }},
  };
  for (const auto& [name, vary] : setups)
    for (const std::string& key : settingKeys()) {
      Sane s;
      vary(s);
      const MouseConfig before = s.config;
      const ButtonTexts textsBefore = s.texts;
      SettingTarget t = s.target();
      const std::string value = getSetting(t, key).value;
      SCOPED_TRACE(std::string(name) + ": set " + key + " " + value);
      const SettingResult r = setSetting(t, key, value);
      EXPECT_TRUE(r.ok()) << r.error;
      EXPECT_EQ(r.value, value);
      EXPECT_TRUE(s.config == before);
      EXPECT_EQ(s.texts, textsBefore);
    }
}

TEST(SettingKeys, DpiOutsideTheSensorsScaleIsRefusedAndEveryKeyReads) {
  Sane s;
  s.sensor = 1;  // 8 levels: 600 .. 3200
  SettingTarget t = s.target();
  const SettingResult r = setSetting(t, "dpi.1", "4000");
  EXPECT_NE(r.error.find("sensor type 1: 600, 800, 1000, 1200, 1600, 2000, 2400, 3200"), std::string::npos)
      << r.error;
  for (const std::string& key : settingKeys()) {
    SCOPED_TRACE(key);
    EXPECT_TRUE(isSettingKey(key));
    EXPECT_TRUE(getSetting(t, key).ok());
  }
  EXPECT_EQ(settingKeys().size(), 1u + 14u + 1u + 8u + 2u + 16u + 4u + 5u);
}

}  // namespace
}  // namespace hm
