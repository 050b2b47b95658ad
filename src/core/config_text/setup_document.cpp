// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/config_text/setup_document.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <array>
#include <limits>
#include <map>
#include <stdexcept>
#include <unordered_set>

#include "core/buttons/button_codes.h"
#include "core/buttons/function_choice.h"
#include "core/buttons/key_tables.h"
#include "core/config_text/colour_text.h"
#include "core/config_text/macro_lines.h"
#include "core/macros/macro_record.h"
#include "core/model/basic_logic.h"
#include "core/model/macro_editor.h"
#include "core/model/pointer_settings_logic.h"
#include "core/settings/profile_file.h"
#include "core/settings/skin_name.h"
#include "core/settings/text_encoding.h"
#include "core/settings/ui_text.h"

namespace hm {
namespace {

using Json = nlohmann::ordered_json;

constexpr int kByteMax = 255;
constexpr const char* kModeKeys[] = {"a", "b"};
constexpr Language kLanguages[] = {Language::English, Language::SimplifiedChinese,
                                   Language::TraditionalChinese};

// The parameter arrays of a button block, in the record's order.
struct ButtonField {
  const char* name;
  SlotArray ButtonBlock::*array;
  int max;
};
const ButtonField kButtonFields[] = {
    {"mediaChoice", &ButtonBlock::mediaChoice, kMediaRows - 1},
    {"mediaUsage", &ButtonBlock::mediaUsage, kByteMax},
    {"windowsChoice", &ButtonBlock::windowsChoice, kWindowsRows - 1},
    {"windowsUsageLow", &ButtonBlock::windowsUsageLow, kByteMax},
    {"windowsUsageHigh", &ButtonBlock::windowsUsageHigh, kByteMax},
    {"fireChoice", &ButtonBlock::fireChoice, kFireRows - 1},
    {"fireKey", &ButtonBlock::fireKey, kByteMax},
    {"fireSpeed", &ButtonBlock::fireSpeed, kByteMax},
    {"fireTimes", &ButtonBlock::fireTimes, kByteMax},
    {"singleKey", &ButtonBlock::singleKey, kByteMax},
    {"comboModifiers", &ButtonBlock::comboModifiers, kByteMax},
    {"comboKey1", &ButtonBlock::comboKey1, kByteMax},
    {"comboKey2", &ButtonBlock::comboKey2, kByteMax},
    {"macroIndex", &ButtonBlock::macroIndex, static_cast<int>(kMacroCount) - 1},
    {"macroRepeat", &ButtonBlock::macroRepeat, kMacroRepeatOptions - 1},
};
constexpr const char* kFunctionField = "function";
constexpr const char* kDpiActionField = "dpiAction";

// The record's single bytes and byte arrays (the buttons and colours apart).
struct ByteField {
  const char* name;
  std::size_t size;  // 1: a plain number, else an array
  std::uint8_t* (*data)(MouseConfig&);
  int max;
};
const ByteField kLeadFields[] = {
    {"editedMode", 1, [](MouseConfig& c) { return &c.editedMode; }, kModeB},
};
const ByteField kTailFields[] = {
    {"reportInterval", 1, [](MouseConfig& c) { return &c.reportInterval; }, kByteMax},
    {"dpiStageValue", kDpiStages, [](MouseConfig& c) { return c.dpiStageValue; }, dpiStepCount(0) - 1},
    {"dpiStageEnabled", kStageSlots, [](MouseConfig& c) { return c.dpiStageEnabled; }, kStageOn},
    {"ledMode", 1, [](MouseConfig& c) { return &c.ledMode; }, kLedModeNeon},
    {"ledParam", 3, [](MouseConfig& c) { return c.ledParam; }, kByteMax},
    {"ledParam2", 3, [](MouseConfig& c) { return c.ledParam2; }, kByteMax},
    {"loopColorEnabled", kLoopColors, [](MouseConfig& c) { return c.loopColorEnabled; }, 1},
    {"loopColor", 0, nullptr, 0},  // colours: "#rrggbb"
    {"dpiLedMask", 4, [](MouseConfig& c) { return c.dpiLedMask; }, kByteMax},
    {"enhancePointerPrecision", 1, [](MouseConfig& c) { return &c.enhancePointerPrecision; }, 1},
    {"scrollOneScreen", 1, [](MouseConfig& c) { return &c.scrollOneScreen; }, 1},
    {"pointerSpeedStep", 1, [](MouseConfig& c) { return &c.pointerSpeedStep; }, kPointerStepCount},
    {"scrollLines", 1, [](MouseConfig& c) { return &c.scrollLines; }, kPointerStepCount},
    {"doubleClickStep", 1, [](MouseConfig& c) { return &c.doubleClickStep; }, kPointerStepCount},
    {"reserved1920", 5, [](MouseConfig& c) { return c.reserved1920; }, kByteMax},
    {"reserved1926", 1, [](MouseConfig& c) { return &c.reserved1926; }, kByteMax},
    {"reserved1939", 8, [](MouseConfig& c) { return c.reserved1939; }, kByteMax},
    {"reserved1954", 1, [](MouseConfig& c) { return &c.reserved1954; }, kByteMax},
};

// ---- writing ------------------------------------------------------------------

Json bytesOf(const std::uint8_t* p, std::size_t n) {
  Json a = Json::array();
  for (std::size_t i = 0; i < n; ++i) a.push_back(p[i]);
  return a;
}

void putFields(Json& out, const ByteField* fields, std::size_t count, MouseConfig& c) {
  for (std::size_t f = 0; f < count; ++f) {
    const ByteField& field = fields[f];
    if (!field.data) {
      Json colours = Json::array();
      for (const auto& rgb : c.loopColor) colours.push_back(colourText(rgb));
      out[field.name] = colours;
    } else if (field.size == 1) {
      out[field.name] = *field.data(c);
    } else {
      out[field.name] = bytesOf(field.data(c), field.size);
    }
  }
}

Json buttonJson(const MouseConfig& c, int mode, std::size_t b) {
  const ButtonBlock& blk = c.mode[mode];
  const int f = blk.function[b];
  Json j;
  j[kFunctionField] = f < kFunctionCount ? Json(UiTexts(Language::English).functionName(f)) : Json(f);
  for (const ButtonField& field : kButtonFields) j[field.name] = (blk.*field.array)[b];
  j[kDpiActionField] = c.dpiAction[mode][b];
  return j;
}

std::string scalar(const Json& j) { return j.dump(-1, ' ', false, Json::error_handler_t::replace); }

// Objects one field a line; an array of plain values on one line, so that a
// colour list or a button's texts stay readable.
void print(const Json& j, int indent, std::string& out) {
  const std::string inner(static_cast<std::size_t>(indent + 2), ' ');
  const bool flat =
      j.is_array() && std::none_of(j.begin(), j.end(), [](const Json& e) { return e.is_structured(); });
  if (!j.is_structured()) {
    out += scalar(j);
  } else if (j.empty()) {
    out += j.is_array() ? "[]" : "{}";
  } else if (flat) {
    out += "[";
    for (std::size_t i = 0; i < j.size(); ++i) out += (i ? ", " : "") + scalar(j[i]);
    out += "]";
  } else {
    out += j.is_array() ? "[\n" : "{\n";
    std::size_t n = 0;
    for (auto it = j.begin(); it != j.end(); ++it) {
      out += inner;
      if (j.is_object()) out += scalar(Json(it.key())) + ": ";
      print(*it, indent + 2, out);
      out += ++n < j.size() ? ",\n" : "\n";
    }
    out += std::string(static_cast<std::size_t>(indent), ' ') + (j.is_array() ? "]" : "}");
  }
}

// ---- reading ------------------------------------------------------------------

std::string child(const std::string& path, std::string_view name) {
  return path.empty() ? std::string(name) : path + "." + std::string(name);
}
std::string item(const std::string& path, std::size_t i) { return path + "[" + std::to_string(i) + "]"; }

class Checker {
 public:
  std::vector<std::string> errors;

  void fail(const std::string& path, const std::string& what) { errors.push_back(path + ": " + what); }

  // `j` is an object of exactly these fields; the faults are named.
  bool object(const Json& j, const std::string& path, const std::vector<std::string_view>& names) {
    if (!j.is_object()) {
      fail(path.empty() ? "(document)" : path, "must be an object");
      return false;
    }
    for (auto it = j.begin(); it != j.end(); ++it) {
      bool known = false;
      for (std::string_view n : names) known = known || it.key() == n;
      if (!known) fail(child(path, it.key()), "unknown field");
    }
    for (std::string_view n : names)
      if (!j.contains(n)) fail(child(path, n), "missing");
    return true;
  }

  std::optional<long> integer(const Json& j, const std::string& path, long min, long max) {
    if (!j.is_number_integer()) {
      fail(path, "must be an integer " + std::to_string(min) + ".." + std::to_string(max));
      return std::nullopt;
    }
    const long v = j.is_number_unsigned() && j.get<std::uint64_t>() > static_cast<std::uint64_t>(max)
                       ? max + 1
                       : j.get<long>();
    if (v < min || v > max) {
      fail(path, "must be " + std::to_string(min) + ".." + std::to_string(max) + ", not " + scalar(j));
      return std::nullopt;
    }
    return v;
  }

  std::optional<std::string> string(const Json& j, const std::string& path) {
    if (!j.is_string()) {
      fail(path, "must be a string");
      return std::nullopt;
    }
    return j.get<std::string>();
  }

  // An array of exactly n elements; false (said) otherwise.
  bool array(const Json& j, const std::string& path, std::size_t n) {
    if (!j.is_array() || j.size() != n) {
      fail(path, "must be an array of " + std::to_string(n));
      return false;
    }
    return true;
  }

  void bytes(const Json& j, const std::string& path, std::size_t n, int max, std::uint8_t* out) {
    if (n == 1) {
      if (const auto v = integer(j, path, 0, max)) *out = static_cast<std::uint8_t>(*v);
      return;
    }
    if (!array(j, path, n)) return;
    for (std::size_t i = 0; i < n; ++i)
      if (const auto v = integer(j[i], item(path, i), 0, max)) out[i] = static_cast<std::uint8_t>(*v);
  }
};

void readFields(Checker& ck, const Json& rec, const std::string& path, const ByteField* fields,
                std::size_t count, MouseConfig& c) {
  for (std::size_t f = 0; f < count; ++f) {
    const ByteField& field = fields[f];
    if (!rec.contains(field.name)) continue;
    const Json& j = rec[field.name];
    const std::string at = child(path, field.name);
    if (field.data) {
      ck.bytes(j, at, field.size, field.max, field.data(c));
      continue;
    }
    if (!ck.array(j, at, kLoopColors)) continue;
    for (std::size_t k = 0; k < kLoopColors; ++k) {
      const auto text = ck.string(j[k], item(at, k));
      if (!text) continue;
      const auto rgb = parseColourText(*text, false);
      if (!rgb) {
        ck.fail(item(at, k), "must be \"#rrggbb\", not " + scalar(j[k]));
        continue;
      }
      for (std::size_t ch = 0; ch < 3; ++ch) c.loopColor[k][ch] = (*rgb)[ch];
    }
  }
}

std::optional<int> functionOf(Checker& ck, const Json& j, const std::string& path) {
  if (j.is_string()) {
    const UiTexts en(Language::English);
    for (int f = 0; f < kFunctionCount; ++f)
      if (j.get<std::string>() == en.functionName(f)) return f;
    std::string names;
    for (int f = 0; f < kFunctionCount; ++f) names += (f ? ", \"" : "\"") + en.functionName(f) + "\"";
    ck.fail(path, scalar(j) + " is not a function: one of " + names + " (or its number 0..15)");
    return std::nullopt;
  }
  const auto v = ck.integer(j, path, 0, kFunctionCount - 1);
  return v ? std::optional<int>(static_cast<int>(*v)) : std::nullopt;
}

// What the dialog of the function a button holds could have handed back.
void checkParameters(Checker& ck, const ButtonBlock& blk, std::uint8_t dpiAction, std::size_t b,
                     const std::string& path) {
  auto anyRow = [](int rows, auto match) {
    for (int r = 0; r < rows; ++r)
      if (match(r)) return true;
    return false;
  };
  switch (blk.function[b]) {
    case kDpiSwitch:
      if (dpiAction < kDpiUp || dpiAction > kDpiLoop)
        ck.fail(child(path, kDpiActionField),
                "a \"DPI Switch\" button needs 1 (DPI +), 2 (DPI -) or 3 (DPI Loop)");
      break;
    case kWindows:
      if (!anyRow(kWindowsRows, [&](int r) {
            return windowsLowByteForRow(r) == blk.windowsUsageLow[b] &&
                   windowsHighByteForRow(r) == blk.windowsUsageHigh[b];
          }))
        ck.fail(child(path, "windowsUsageLow"), "with windowsUsageHigh, not the usage of a Windows function");
      break;
    case kMultimedia:
      if (!anyRow(kMediaRows, [&](int r) { return mediaUsageForRow(r) == blk.mediaUsage[b]; }))
        ck.fail(child(path, "mediaUsage"), "not the usage of a multimedia function");
      break;
    case kFireKey:
      if (!anyRow(kFireRows, [&](int r) { return fireKeyCode(r) == blk.fireKey[b]; }))
        ck.fail(child(path, "fireKey"), "not the code of a fire key");
      if (!fireSpeedInRange(blk.fireSpeed[b]))
        ck.fail(child(path, "fireSpeed"), "a \"Fire Key\" button needs " + std::to_string(kFireMinSpeed) +
                                              ".." + std::to_string(kFireMaxSpeed));
      break;
    case kComboKey: {
      const unsigned m = blk.comboModifiers[b];
      if ((m & (m - 1)) != 0)
        ck.fail(child(path, "comboModifiers"), "a combination has one modifier (one bit)");
      break;
    }
    default: break;
  }
}

std::vector<std::string_view> buttonFieldNames() {
  std::vector<std::string_view> names{kFunctionField};
  for (const ButtonField& field : kButtonFields) names.push_back(field.name);
  names.push_back(kDpiActionField);
  return names;
}

void readButtons(Checker& ck, const Json& j, const std::string& path, MouseConfig& c) {
  if (!ck.object(j, path, {kModeKeys[0], kModeKeys[1]})) return;
  for (int m = kModeA; m <= kModeB; ++m) {
    const std::string at = child(path, kModeKeys[m]);
    if (!j.contains(kModeKeys[m]) || !ck.array(j[kModeKeys[m]], at, kButtonSlots)) continue;
    bool left = false;
    for (std::size_t b = 0; b < kButtonSlots; ++b) {
      const Json& bj = j[kModeKeys[m]][b];
      const std::string bp = item(at, b);
      const std::size_t before = ck.errors.size();
      if (!ck.object(bj, bp, buttonFieldNames())) continue;
      if (bj.contains(kFunctionField))
        if (const auto f = functionOf(ck, bj[kFunctionField], child(bp, kFunctionField)))
          c.mode[m].function[b] = static_cast<std::uint8_t>(*f);
      for (const ButtonField& field : kButtonFields)
        if (bj.contains(field.name))
          ck.bytes(bj[field.name], child(bp, field.name), 1, field.max, &(c.mode[m].*field.array)[b]);
      if (bj.contains(kDpiActionField))
        ck.bytes(bj[kDpiActionField], child(bp, kDpiActionField), 1, kDpiLoop, &c.dpiAction[m][b]);
      if (ck.errors.size() == before) checkParameters(ck, c.mode[m], c.dpiAction[m][b], b, bp);
      left = left || c.mode[m].function[b] == kLeftClick;
    }
    if (!left) ck.fail(at, "no button holds \"Left Click\": every mode keeps one");
  }
}

void readRecord(Checker& ck, const Json& rec, MouseConfig& c) {
  const std::string path = "record";
  std::vector<std::string_view> names;
  for (const ByteField& f : kLeadFields) names.push_back(f.name);
  names.push_back("buttons");
  for (const ByteField& f : kTailFields) names.push_back(f.name);
  if (!ck.object(rec, path, names)) return;
  readFields(ck, rec, path, kLeadFields, std::size(kLeadFields), c);
  if (rec.contains("buttons")) readButtons(ck, rec["buttons"], child(path, "buttons"), c);
  const std::size_t before = ck.errors.size();
  readFields(ck, rec, path, kTailFields, std::size(kTailFields), c);
  if (ck.errors.size() != before) return;
  if (reportRateHz(c.reportInterval) == 0)
    ck.fail(child(path, "reportInterval"), "must be 1, 2, 4 or 8 (ms)");
  bool stageOn = false;
  for (std::size_t s = 0; s < kDpiStages; ++s) stageOn = stageOn || c.dpiStageEnabled[s] == kStageOn;
  if (!stageOn) ck.fail(child(path, "dpiStageEnabled"), "one of stages 1..4 must be on");
  for (int mode = kLedModeStandard; mode <= kLedModeNeon; ++mode)
    if (c.ledParam[mode - 1] >= ledParamCount(mode))
      ck.fail(item(child(path, "ledParam"), static_cast<std::size_t>(mode - 1)),
              "must be 0.." + std::to_string(ledParamCount(mode) - 1) + " (the entries of mode " +
                  std::to_string(mode) + ")");
}

void readTexts(Checker& ck, const Json& j, std::vector<SetupTexts>& out) {
  const std::string path = "buttonTexts";
  if (!j.is_object()) {
    ck.fail(path, "must be an object");
    return;
  }
  for (auto it = j.begin(); it != j.end(); ++it) {
    bool known = false;
    for (Language l : kLanguages) known = known || it.key() == languageSection(l);
    if (!known)
      ck.fail(child(path, it.key()), "unknown field (the sections are Setting-EN, Setting-CHS, Setting-CHT)");
  }
  for (Language l : kLanguages) {
    if (!j.contains(languageSection(l))) continue;
    const std::string at = child(path, languageSection(l));
    SetupTexts st{l, {}};
    const Json& sj = j[languageSection(l)];
    if (!ck.object(sj, at, {kModeKeys[0], kModeKeys[1]})) continue;
    for (int m = kModeA; m <= kModeB; ++m) {
      const std::string mp = child(at, kModeKeys[m]);
      if (!sj.contains(kModeKeys[m]) || !ck.array(sj[kModeKeys[m]], mp, kButtonSlots)) continue;
      for (std::size_t s = 0; s < kButtonSlots; ++s) {
        const auto text = ck.string(sj[kModeKeys[m]][s], item(mp, s));
        if (!text) continue;
        if (text::hasControlCharacter(*text))
          ck.fail(item(mp, s), "a button text cannot hold a line break or another control character");
        else if (text::utf16Length(*text) > profile::kValueReadUnits)
          ck.fail(item(mp, s), "longer than the " + std::to_string(profile::kValueReadUnits) +
                                   " characters str.ini gives back");
        st.texts.text[static_cast<std::size_t>(m)][s] = *text;
      }
    }
    out.push_back(std::move(st));
  }
}

void readSkin(Checker& ck, const Json& j, std::optional<SetupSkin>& out) {
  if (j.is_null()) return;
  if (!ck.object(j, "skin", {"path", "textColor"})) return;
  SetupSkin skin;
  if (j.contains("path"))
    if (const auto p = ck.string(j["path"], "skin.path")) {
      if (!p->empty() && !isSkinFolderName(*p))
        ck.fail("skin.path", "must be \"\" or the name of one folder inside Skins");
      skin.path = *p;
    }
  if (j.contains("textColor"))
    if (const auto t = ck.string(j["textColor"], "skin.textColor")) {
      const auto rgb = parseColourText(*t, false);
      if (!rgb) ck.fail("skin.textColor", "must be \"#rrggbb\", not " + scalar(j["textColor"]));
      if (rgb) {
        skin.red = (*rgb)[0];
        skin.green = (*rgb)[1];
        skin.blue = (*rgb)[2];
      }
    }
  out = skin;
}

std::string nameFault(NewNameCheck check) {
  switch (check) {
    case NewNameCheck::Blank: return "a macro name cannot be blank";
    case NewNameCheck::TooMany: return kTooManyMacrosText;
    case NewNameCheck::Exists: return "another macro has this name (letter case aside)";
    case NewNameCheck::TooLong: return kMacroNameTooLongText;
    case NewNameCheck::Unstorable: return kMacroNameUnstorableText;
    case NewNameCheck::Ok: break;
  }
  return "";
}

// The "items" array of a macro as the reader keeps it: its strings apart
// from the document (a value of the document costs several times a short
// line), and where anything else stood, which the array in the document
// holds.
struct MacroItems {
  TextLines lines;
  std::vector<std::size_t> others;  // indices, ascending
  std::size_t count = 0;            // lines and others
};
using MacroItemLists = std::map<std::size_t, MacroItems>;  // by the macro's index

// Macros past the twelfth are kept as record.ini keeps them (the editor
// lists them; they have no image, so no loop count).
void readMacros(Checker& ck, const Json& j, MacroItemLists& lists, std::vector<SetupMacro>& out) {
  const std::string path = "macros";
  if (!j.is_array()) {
    ck.fail(path, "must be an array");
    return;
  }
  std::vector<std::string> names;
  for (std::size_t i = 0; i < j.size(); ++i) {
    const std::string at = item(path, i);
    if (!ck.object(j[i], at, {"name", "loopTimes", "items"})) continue;
    SetupMacro m;
    if (j[i].contains("name"))
      if (const auto name = ck.string(j[i]["name"], child(at, "name"))) {
        NewNameCheck c = checkNewMacroName(*name, {});
        if (c == NewNameCheck::Ok && std::any_of(names.begin(), names.end(), [&](const std::string& n) {
              return profile::sameName(n, *name);
            }))
          c = NewNameCheck::Exists;
        if (c != NewNameCheck::Ok) ck.fail(child(at, "name"), nameFault(c));
        m.name = *name;
        names.push_back(*name);
      }
    if (j[i].contains("loopTimes"))
      if (const auto v = ck.integer(j[i]["loopTimes"], child(at, "loopTimes"), 0, kMaxLoopTimes)) {
        if (i >= kMacroCount && *v != 0)
          ck.fail(child(at, "loopTimes"), "must be 0: a macro past the twelfth has no image to keep it");
        m.loopTimes = static_cast<std::uint16_t>(*v);
      }
    if (j[i].contains("items")) {
      const std::string ip = child(at, "items");
      const auto list = lists.find(i);
      if (!j[i]["items"].is_array() || list == lists.end()) {
        ck.fail(ip, "must be an array");
      } else if (MacroItems& items = list->second; items.count > static_cast<std::size_t>(kMaxMacroItems)) {
        ck.fail(ip, "more than the " + std::to_string(kMaxMacroItems) + " lines record.ini gives back");
      } else {
        std::size_t line = 0, other = 0;
        for (std::size_t k = 0; k < items.count; ++k) {
          if (other < items.others.size() && items.others[other] == k) {
            ++other;
            ck.fail(item(ip, k), "must be a string");
            continue;
          }
          const std::string_view text = items.lines[line++];
          const MacroLineCheck checked = checkMacroLine(text, true);
          if (!checked.ok())
            ck.fail(item(ip, k), checked.error);
          else if (text::utf16Length(text) > profile::kValueReadUnits)
            ck.fail(item(ip, k), "longer than the " + std::to_string(profile::kValueReadUnits) +
                                     " characters record.ini gives back");
        }
        m.items = std::move(items.lines);
      }
    }
    out.push_back(std::move(m));
  }
}

// Builds the document as the library's own parser would, refusing on the way
// what no setup document holds: nesting deeper than kMaxSetupDepth, a field
// given twice in one object (the last would silently win), a number with a
// fraction or an exponent. The library parses without recursion; stopping at
// the first such fault means no deeper value is ever built, so nothing later
// (copying, comparing, destroying) recurses deeper than the cap either.
//
// The items of each macro go to macroItems instead of the document: a
// megabyte of short lines would otherwise take tens of megabytes as values.
class DocumentBuilder final : public nlohmann::json_sax<Json> {
 public:
  Json root;
  MacroItemLists macroItems;
  std::string fault;  // "<path>: <what>" when the parse was stopped

  bool null() override { return place(Json(nullptr)); }
  bool boolean(bool v) override { return place(Json(v)); }
  bool number_integer(number_integer_t v) override { return place(Json(v)); }
  bool number_unsigned(number_unsigned_t v) override { return place(Json(v)); }
  bool number_float(number_float_t, const string_t& text) override {
    return stop(pathOfNext(), "must be an integer, not " + text);
  }
  bool string(string_t& v) override {
    if (!open_.empty() && open_.back().items != nullptr) {
      MacroItems& items = *open_.back().items;
      items.lines.push_back(v);
      ++items.count;
      ++open_.back().count;
      return true;
    }
    return place(Json(std::move(v)));
  }
  bool binary(binary_t&) override { return stop(pathOfNext(), "not JSON"); }
  bool start_object(std::size_t) override { return open(Json::object()); }
  bool start_array(std::size_t) override { return open(Json::array()); }
  bool end_object() override { return close(); }
  bool end_array() override { return close(); }
  bool key(string_t& k) override {
    Open& top = open_.back();
    if (!top.keys.insert(k).second) {
      top.key = k;
      return stop(pathOfNext(), "given twice");
    }
    top.key = std::move(k);
    return true;
  }
  bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception& e) override {
    return stop("(document)", std::string("not JSON: ") + e.what());
  }

 private:
  struct Open {
    Json* value;
    std::string name;  // its place in its parent: ".key" or "[i]"
    std::string key;   // of the value an object takes next
    std::unordered_set<std::string> keys;
    std::size_t count = 0;        // an array's elements so far
    MacroItems* items = nullptr;  // a macro's items: where its strings go
  };
  std::vector<Open> open_;

  bool stop(const std::string& path, const std::string& what) {
    fault = (path.empty() ? "(document)" : path) + ": " + what;
    return false;
  }

  // The name of the next value in its parent, and its path from the top.
  std::string nameOfNext() const {
    if (open_.empty()) return "";
    const Open& top = open_.back();
    return top.value->is_array() ? "[" + std::to_string(top.count) + "]" : "." + top.key;
  }
  std::string pathOfNext() const {
    std::string path;
    for (const Open& o : open_) path += o.name;
    path += nameOfNext();
    return path.empty() || path[0] != '.' ? path : path.substr(1);
  }

  // Puts v where the next value goes; the pointer stays valid while it is
  // open, since only the innermost open value grows.
  Json* put(Json&& v) {
    if (open_.empty()) {
      root = std::move(v);
      return &root;
    }
    Open& parent = open_.back();
    Json& top = *parent.value;
    if (top.is_array()) {
      if (parent.items != nullptr) parent.items->others.push_back(parent.items->count++);
      ++parent.count;
      top.push_back(std::move(v));
      return &top.back();
    }
    Json& at = top[open_.back().key];
    at = std::move(v);
    return &at;
  }
  bool place(Json&& v) {
    put(std::move(v));
    return true;
  }
  bool open(Json&& v) {
    if (open_.size() >= kMaxSetupDepth)
      return stop(pathOfNext(), "nested deeper than the " + std::to_string(kMaxSetupDepth) +
                                    " levels a setup document has");
    std::string name = nameOfNext();
    // The array of macros[i].items: root object, "macros", its i-th element.
    const bool items = v.is_array() && open_.size() == 3 && open_[1].name == ".macros" &&
                       open_[1].value->is_array() && open_[2].value->is_object() && open_[2].key == "items";
    const std::size_t macro = items ? open_[1].count - 1 : 0;
    Json* at = put(std::move(v));
    open_.push_back({at, std::move(name), {}, {}, 0, items ? &macroItems[macro] : nullptr});
    return true;
  }
  bool close() {
    open_.pop_back();
    return true;
  }
};

}  // namespace

void TextLines::push_back(std::string_view line) {
  if (line.size() > std::numeric_limits<std::uint32_t>::max() - text_.size())
    throw std::length_error("more text than TextLines holds");
  text_ += line;
  ends_.push_back(static_cast<std::uint32_t>(text_.size()));
}

std::string setupToJson(const Setup& setup) {
  MouseConfig c = setup.record;
  Json rec;
  putFields(rec, kLeadFields, std::size(kLeadFields), c);
  Json buttons;
  for (int m = kModeA; m <= kModeB; ++m) {
    Json list = Json::array();
    for (std::size_t b = 0; b < kButtonSlots; ++b) list.push_back(buttonJson(c, m, b));
    buttons[kModeKeys[m]] = list;
  }
  rec["buttons"] = buttons;
  putFields(rec, kTailFields, std::size(kTailFields), c);

  Json texts = Json::object();
  for (const SetupTexts& st : setup.buttonTexts) {
    Json section;
    for (int m = kModeA; m <= kModeB; ++m) section[kModeKeys[m]] = st.texts.text[static_cast<std::size_t>(m)];
    texts[languageSection(st.language)] = section;
  }
  Json skin = nullptr;
  if (setup.skin) {
    const std::uint8_t rgb[3] = {setup.skin->red, setup.skin->green, setup.skin->blue};
    skin = Json{{"path", setup.skin->path}, {"textColor", colourText(rgb)}};
  }
  Json macros = Json::array();
  for (const SetupMacro& m : setup.macros) {
    Json items = Json::array();
    for (std::size_t i = 0; i < m.items.size(); ++i) items.push_back(std::string(m.items[i]));
    macros.push_back({{"name", m.name}, {"loopTimes", m.loopTimes}, {"items", std::move(items)}});
  }

  Json doc;
  doc["format"] = kSetupFormat;
  doc["firstRunFlag"] = setup.firstRunFlag;
  doc["record"] = rec;
  doc["buttonTexts"] = texts;
  doc["skin"] = skin;
  doc["macros"] = macros;
  std::string out;
  print(doc, 0, out);
  return out + "\n";
}

SetupRead setupFromJson(std::string_view text) {
  SetupRead result;
  if (text.size() > kMaxSetupDocumentBytes) {
    result.errors.push_back("(document): larger than the " + std::to_string(kMaxSetupDocumentBytes >> 20) +
                            " MiB a setup document can be");
    return result;
  }
  // The library's reader takes a NUL byte for the end of the text and would
  // quietly drop what follows.
  if (const std::size_t nul = text.find('\0'); nul != std::string_view::npos) {
    result.errors.push_back("(document): not JSON: a NUL byte at offset " + std::to_string(nul));
    return result;
  }
  DocumentBuilder builder;
  if (!Json::sax_parse(text.begin(), text.end(), &builder)) {
    result.errors.push_back(builder.fault);
    return result;
  }
  const Json& doc = builder.root;
  Checker ck;
  Setup setup;
  setup.record.clear();
  if (ck.object(doc, "", {"format", "firstRunFlag", "record", "buttonTexts", "skin", "macros"})) {
    if (doc.contains("format") && doc["format"] != kSetupFormat)
      ck.fail("format",
              "this program reads format " + std::to_string(kSetupFormat) + ", not " + scalar(doc["format"]));
    if (doc.contains("firstRunFlag"))
      ck.bytes(doc["firstRunFlag"], "firstRunFlag", 1, 1, &setup.firstRunFlag);
    if (doc.contains("record")) readRecord(ck, doc["record"], setup.record);
    if (doc.contains("buttonTexts")) readTexts(ck, doc["buttonTexts"], setup.buttonTexts);
    if (doc.contains("skin")) readSkin(ck, doc["skin"], setup.skin);
    if (doc.contains("macros")) readMacros(ck, doc["macros"], builder.macroItems, setup.macros);
  }
  result.errors = std::move(ck.errors);
  if (result.errors.empty()) result.setup = std::move(setup);
  return result;
}

}  // namespace hm
