// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/config_text/button_setting.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <optional>

#include "core/buttons/button_codes.h"
#include "core/buttons/key_tables.h"
#include "core/model/basic_logic.h"
#include "core/settings/profile_file.h"
#include "core/settings/ui_text.h"

namespace hm {
namespace {

constexpr char kRepeatWord[] = "repeat";
constexpr std::size_t kComboParts = 3;  // modifier, first key, second key

// The left ones of the modifier list, by the key names people write.
struct ModifierShorthand {
  const char* word;
  const char* name;
};
constexpr std::array<ModifierShorthand, 4> kModifierShorthands{
    {{"Ctrl", "Left Ctrl"}, {"Shift", "Left Shift"}, {"Alt", "Left Alt"}, {"Win", "Left Win"}}};

// Spelled-out names of two multimedia rows.
struct RowAlias {
  const char* word;
  int row;
};
constexpr std::array<RowAlias, 2> kMediaAliases{{{"Volume Up", 5}, {"Volume Down", 6}}};

std::string_view trimmed(std::string_view s) {
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
  return s;
}

// `value` begins with `word` (letter case aside) followed by a blank or its end.
bool startsWithWord(std::string_view value, std::string_view word) {
  if (word.empty() || value.size() < word.size() || !equalsIgnoringCase(value.substr(0, word.size()), word))
    return false;
  return value.size() == word.size() || std::isspace(static_cast<unsigned char>(value[word.size()]));
}

bool allDigits(std::string_view s) {
  return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

long numberOf(std::string_view digits) {
  long v = 0;
  for (char c : digits) {
    v = v * 10 + (c - '0');
    if (v > 1'000'000) return v;  // far beyond every range here
  }
  return v;
}

std::string quoted(std::string_view s) { return "\"" + std::string(s) + "\""; }

template <typename Names>
std::string joinQuoted(const Names& names) {
  std::string out;
  for (const auto& n : names) {
    if (!out.empty()) out += ", ";
    out += quoted(n);
  }
  return out;
}

std::optional<std::string> keyNameOf(std::string_view name) {
  for (int row = 0; row < kKeyNameRows; ++row)
    if (equalsIgnoringCase(name, keyNameAt(row))) return std::string(keyNameAt(row));
  return std::nullopt;
}

std::string keyNameFor(std::uint8_t code) {
  if (code == 0) return {};
  for (int row = 0; row < kKeyNameRows; ++row)
    if (keyCodeFromName(keyNameAt(row)) == code) return keyNameAt(row);
  return {};
}

std::string allKeyNames() {
  std::vector<std::string> names;
  names.reserve(kKeyNameRows);
  for (int row = 0; row < kKeyNameRows; ++row) names.emplace_back(keyNameAt(row));
  return joinQuoted(names);
}

std::optional<std::string> modifierOf(std::string_view part) {
  for (int row = 0; row < kModifierRows; ++row)
    if (equalsIgnoringCase(part, modifierName(row))) return std::string(modifierName(row));
  for (const ModifierShorthand& s : kModifierShorthands)
    if (equalsIgnoringCase(part, s.word)) return std::string(s.name);
  return std::nullopt;
}

std::string modifierList() {
  std::vector<std::string> names;
  names.reserve(kModifierRows);
  for (int row = 0; row < kModifierRows; ++row) names.emplace_back(modifierName(row));
  return joinQuoted(names);
}

// The parts between "+" signs; a key name that holds "+" ("Num +") is one part.
std::vector<std::string> comboParts(std::string_view text) {
  std::vector<std::string_view> names;
  names.reserve(kKeyNameRows);
  for (int row = 0; row < kKeyNameRows; ++row) names.emplace_back(keyNameAt(row));
  std::vector<std::string> parts;
  std::size_t i = 0;
  for (;;) {
    std::size_t length = std::string_view::npos;
    for (std::string_view n : names) {
      const std::size_t end = i + n.size();
      if (end <= text.size() && equalsIgnoringCase(text.substr(i, n.size()), n) &&
          (end == text.size() || text[end] == '+') && (length == std::string_view::npos || n.size() > length))
        length = n.size();
    }
    if (length == std::string_view::npos) {
      const std::size_t plus = text.find('+', i);
      length = (plus == std::string_view::npos ? text.size() : plus) - i;
    }
    parts.emplace_back(text.substr(i, length));
    i += length;
    if (i >= text.size()) break;
    ++i;  // the "+"
    if (i == text.size()) {
      parts.emplace_back();
      break;
    }
  }
  return parts;
}

ButtonValue failed(std::string why) { return {ListChoice{}, std::move(why)}; }

ButtonValue parseCombo(std::string_view text) {
  const std::string usage = "a combination is [MODIFIER+]KEY[+KEY]: one modifier (" + modifierList() +
                            "; Ctrl, Shift, Alt and Win stand for the left ones) and up to two keys";
  if (text.empty()) return failed("Combo Key needs its keys: " + usage);
  std::vector<std::string> parts = comboParts(text);
  if (parts.size() > kComboParts) return failed(quoted(text) + " has more parts than " + usage);
  ComboKeyResult r;
  std::size_t firstKey = 0;
  if (parts.size() == kComboParts || modifierOf(parts.front())) {
    firstKey = 1;
    if (!parts.front().empty()) {
      const std::optional<std::string> mod = modifierOf(parts.front());
      if (!mod) return failed(quoted(parts.front()) + " is not a modifier: " + usage);
      r.modifierName = *mod;
    }
  }
  std::string* keys[] = {&r.key1Name, &r.key2Name};
  for (std::size_t k = firstKey; k < parts.size(); ++k) {
    if (parts[k].empty()) continue;
    const std::optional<std::string> name = keyNameOf(parts[k]);
    if (!name) return failed(quoted(parts[k]) + " is not a key name; the key names are " + allKeyNames());
    *keys[k - firstKey] = *name;
  }
  if (r.modifierName.empty() && r.key1Name.empty() && r.key2Name.empty())
    return failed("Combo Key needs its keys: " + usage);
  return {r, ""};
}

ButtonValue parseFire(std::string_view text) {
  const std::string usage = "fire KEY [SPEED [TIMES]]";
  int row = -1;
  std::size_t length = 0;
  for (int r = 0; r < kFireRows; ++r) {
    const std::string_view name = fireRowText(r);
    if (name.size() > length && startsWithWord(text, name)) {
      row = r;
      length = name.size();
    }
  }
  if (row < 0) {
    std::vector<std::string> rows;
    rows.reserve(kFireRows);
    for (int r = 0; r < kFireRows; ++r) rows.emplace_back(fireRowText(r));
    return failed((text.empty() ? std::string("Fire Key needs a key") : quoted(text) + " is not a fire key") +
                  " (" + usage + "); the fire keys are " + joinQuoted(rows));
  }
  std::vector<std::string_view> numbers;
  std::string_view rest = trimmed(text.substr(length));
  while (!rest.empty()) {
    std::size_t end = 0;
    while (end < rest.size() && !std::isspace(static_cast<unsigned char>(rest[end]))) ++end;
    numbers.push_back(rest.substr(0, end));
    rest = trimmed(rest.substr(end));
  }
  if (numbers.size() > 2) return failed("too many numbers for " + usage);
  FireKeyResult r{row, fireRowText(row), static_cast<std::uint8_t>(kFireDefaultSpeed),
                  static_cast<std::uint8_t>(kFireDefaultTimes)};
  if (!numbers.empty()) {
    if (!allDigits(numbers[0]) || !fireSpeedInRange(numberOf(numbers[0])))
      return failed("the fire speed is " + std::to_string(kFireMinSpeed) + ".." +
                    std::to_string(kFireMaxSpeed) + " (smaller is faster), not " + quoted(numbers[0]));
    r.speed = static_cast<std::uint8_t>(numberOf(numbers[0]));
  }
  if (numbers.size() > 1) {
    if (!allDigits(numbers[1]) || !fireTimesInRange(numberOf(numbers[1])))
      return failed("the fire times are " + std::to_string(kFireMinTimes) + ".." +
                    std::to_string(kFireMaxTimes) + " (0: until the button is released), not " +
                    quoted(numbers[1]));
    r.times = static_cast<std::uint8_t>(numberOf(numbers[1]));
  }
  return {r, ""};
}

// A row of a dialog's list: its English text, its text in `language`, or an alias.
template <std::size_t N>
int rowOf(std::string_view text, const std::array<std::string, N>& english,
          const std::array<std::string, N>& local) {
  for (std::size_t r = 0; r < N; ++r)
    if (equalsIgnoringCase(text, english[r]) || text == local[r]) return static_cast<int>(r);
  return -1;
}

ButtonValue parseMedia(std::string_view text, Language language) {
  const DialogTexts& en = dialogTexts(Language::English);
  int row = rowOf(text, en.mediaRows, dialogTexts(language).mediaRows);
  for (const RowAlias& a : kMediaAliases)
    if (equalsIgnoringCase(text, a.word)) row = a.row;
  if (row < 0)
    return failed((text.empty() ? std::string("Multimedia needs a function") : quoted(text) + " is not") +
                  " one of " + joinQuoted(en.mediaRows) + " (or \"Volume Up\", \"Volume Down\")");
  return {MediaResult{row, dialogTexts(language).mediaRows[static_cast<std::size_t>(row)]}, ""};
}

ButtonValue parseWindows(std::string_view text, Language language) {
  const DialogTexts& en = dialogTexts(Language::English);
  const int row = rowOf(text, en.windowsRows, dialogTexts(language).windowsRows);
  if (row < 0)
    return failed((text.empty() ? std::string("Windows needs a function") : quoted(text) + " is not") +
                  " one of " + joinQuoted(en.windowsRows));
  return {WindowsResult{row, dialogTexts(language).windowsRows[static_cast<std::size_t>(row)]}, ""};
}

ButtonValue parseMacro(std::string_view text, const std::vector<std::string>& macros) {
  int option = 1;
  // "... repeat N" at the end.
  const std::size_t space = text.find_last_of(" \t");
  if (space != std::string_view::npos) {
    const std::string_view last = text.substr(space + 1);
    const std::string_view before = trimmed(text.substr(0, space));
    const std::size_t wordAt =
        before.size() >= sizeof kRepeatWord - 1 ? before.size() - (sizeof kRepeatWord - 1) : 0;
    if (before.size() >= sizeof kRepeatWord - 1 && equalsIgnoringCase(before.substr(wordAt), kRepeatWord) &&
        (wordAt == 0 || std::isspace(static_cast<unsigned char>(before[wordAt - 1])))) {
      if (!allDigits(last) || numberOf(last) < 1 || numberOf(last) > kMacroRepeatOptions)
        return failed("the repeat option is 1, 2 or 3 (" +
                      joinQuoted(dialogTexts(Language::English).macroRepeatOptions) + "), not " +
                      quoted(last));
      option = static_cast<int>(numberOf(last));
      text = trimmed(before.substr(0, wordAt));
    }
  }
  std::string known;
  for (std::size_t i = 0; i < macros.size(); ++i)
    known += (i ? ", " : "") + std::to_string(i + 1) + " " + quoted(macros[i]);
  if (macros.empty()) return failed("record.ini holds no macro to assign");
  if (text.empty())
    return failed("Macro Key needs a macro (macro MACRO [repeat 1|2|3]); record.ini holds " + known);
  int row = -1;
  if (allDigits(text) && numberOf(text) >= 1 && static_cast<std::size_t>(numberOf(text)) <= macros.size())
    row = static_cast<int>(numberOf(text)) - 1;
  for (std::size_t i = 0; row < 0 && i < macros.size(); ++i)
    if (profile::sameName(macros[i], text)) row = static_cast<int>(i);
  if (row < 0) return failed("no macro " + quoted(text) + "; record.ini holds " + known);
  if (row >= static_cast<int>(kMacroCount))
    return failed("macro " + std::to_string(row + 1) + " " + quoted(macros[static_cast<std::size_t>(row)]) +
                  " has no image: only the first " + std::to_string(kMacroCount) + " macros reach the mouse");
  return {MacroKeyResult{row, macros[static_cast<std::size_t>(row)], option}, ""};
}

// What the word at the start of a value is.
enum class Word { List, Dpi, DpiSwitch, Single, Combo, Fire, Media, Windows, Macro };
struct FunctionWord {
  std::string text;
  Word word;
  int number;  // List: function index; Dpi: sub-list row
};

Word wordOfFunction(int index) {
  switch (index) {
    case kDpiSwitch: return Word::DpiSwitch;
    case kWindows: return Word::Windows;
    case kMultimedia: return Word::Media;
    case kFireKey: return Word::Fire;
    case kSingleKey: return Word::Single;
    case kComboKey: return Word::Combo;
    case kMacroKey: return Word::Macro;
    default: return Word::List;
  }
}

std::vector<FunctionWord> functionWords(Language language) {
  std::vector<FunctionWord> words{{"key", Word::Single, 0},      {"combo", Word::Combo, 0},
                                  {"fire", Word::Fire, 0},       {"media", Word::Media, 0},
                                  {"windows", Word::Windows, 0}, {"macro", Word::Macro, 0},
                                  {"dpi", Word::DpiSwitch, 0}};
  for (int row = 0; row < kDpiSubListRows; ++row) words.push_back({dpiActionText(row), Word::Dpi, row});
  const UiTexts en(Language::English), local(language);
  for (int f = 0; f < kFunctionCount; ++f) {
    words.push_back({en.functionName(f), wordOfFunction(f), f});
    if (language != Language::English) words.push_back({local.functionName(f), wordOfFunction(f), f});
  }
  return words;
}

std::string functionList() {
  const UiTexts en(Language::English);
  std::string out;
  for (int f = 0; f < kFunctionCount; ++f) {
    if (f == kDpiSwitch) {
      out += "\"DPI +\", \"DPI -\", \"DPI Loop\", ";
      continue;
    }
    out += quoted(en.functionName(f));
    switch (wordOfFunction(f)) {
      case Word::Windows: out += " ROW"; break;
      case Word::Media: out += " ROW (media)"; break;
      case Word::Fire: out += " KEY [SPEED [TIMES]] (fire)"; break;
      case Word::Single: out += " KEY (key)"; break;
      case Word::Combo: out += " [MODIFIER+]KEY[+KEY] (combo)"; break;
      case Word::Macro: out += " MACRO [repeat 1|2|3] (macro)"; break;
      default: break;
    }
    if (f + 1 < kFunctionCount) out += ", ";
  }
  return out;
}

ButtonValue parseDpiAction(std::string_view rest) {
  constexpr std::array<const char*, kDpiSubListRows> kShort{"+", "-", "loop"};
  for (int row = 0; row < kDpiSubListRows; ++row)
    if (equalsIgnoringCase(rest, kShort[static_cast<std::size_t>(row)]) ||
        equalsIgnoringCase(rest, dpiActionText(row)))
      return {DpiChoice{row}, ""};
  return failed("DPI Switch takes +, - or loop (\"DPI +\", \"DPI -\", \"DPI Loop\"), not " + quoted(rest) +
                "; a button switches stages and sets no DPI of its own (the stages' DPI are dpi.1 .. dpi.4)");
}

std::string bracket(const std::string& what) { return "[" + what + "]"; }

std::string hexByte(unsigned v) {
  static const char* digits = "0123456789abcdef";
  return std::string("0x") + digits[(v >> 4) & 0xF] + digits[v & 0xF];
}

std::string formatCombo(std::uint8_t mods, std::uint8_t key1, std::uint8_t key2) {
  std::string mod;
  for (int row = 0; row < kModifierRows; ++row)
    if (modifierBitFromName(modifierName(row)) == mods) mod = modifierName(row);
  const std::string k1 = keyNameFor(key1), k2 = keyNameFor(key2);
  const bool named = (mods == 0 || !mod.empty()) && (key1 == 0 || !k1.empty()) && (key2 == 0 || !k2.empty());
  std::string described =
      bracket("Combo Key: modifiers " + hexByte(mods) + ", keys " + hexByte(key1) + " " + hexByte(key2));
  if (!named || (mods | key1 | key2) == 0) return described;
  auto readsBack = [&](const std::string& text) {
    const ButtonValue v = parseCombo(text);
    if (!v.ok()) return false;
    const auto& r = std::get<ComboKeyResult>(std::get<DialogResult>(v.choice));
    return modifierBitFromName(r.modifierName) == mods && keyCodeFromName(r.key1Name) == key1 &&
           keyCodeFromName(r.key2Name) == key2;
  };
  std::string brief;
  const std::string* named3[] = {&mod, &k1, &k2};
  for (const std::string* p : named3)
    if (!p->empty()) brief += (brief.empty() ? "" : "+") + *p;
  if (readsBack(brief)) return "combo " + brief;
  return "combo " + mod + "+" + k1 + "+" + k2;
}

template <std::size_t N, typename Match>
std::string rowText(const std::array<std::string, N>& rows, Match match) {
  for (std::size_t r = 0; r < N; ++r)
    if (match(static_cast<int>(r))) return rows[r];
  return {};
}

}  // namespace

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

ButtonValue parseButtonValue(std::string_view value, Language language,
                             const std::vector<std::string>& macros) {
  value = trimmed(value);
  const std::vector<FunctionWord> words = functionWords(language);
  const FunctionWord* found = nullptr;
  for (const FunctionWord& w : words)
    if (startsWithWord(value, w.text) && (!found || w.text.size() > found->text.size())) found = &w;
  if (!found) return failed(quoted(value) + " is not a button function; the functions are " + functionList());
  const std::string_view rest = trimmed(value.substr(found->text.size()));
  switch (found->word) {
    case Word::List:
    case Word::Dpi:
      if (!rest.empty()) return failed(quoted(found->text) + " takes no parameters");
      if (found->word == Word::Dpi) return {DpiChoice{found->number}, ""};
      return {ListChoice{found->number}, ""};
    case Word::DpiSwitch: return parseDpiAction(rest);
    case Word::Single: {
      if (rest.empty()) return failed("Single Key needs a key name; the key names are " + allKeyNames());
      const std::optional<std::string> name = keyNameOf(rest);
      if (!name) return failed(quoted(rest) + " is not a key name; the key names are " + allKeyNames());
      return {SingleKeyResult{*name}, ""};
    }
    case Word::Combo: return parseCombo(rest);
    case Word::Fire: return parseFire(rest);
    case Word::Media: return parseMedia(rest, language);
    case Word::Windows: return parseWindows(rest, language);
    case Word::Macro: return parseMacro(rest, macros);
  }
  return failed("unknown function");
}

std::string applyButtonChoice(MouseConfig& config, ButtonTexts& texts, int mode, int button,
                              const ButtonChoice& choice, const UiTexts& ui) {
  if (button < 0 || button >= static_cast<int>(kButtonSlots) || (mode != kModeA && mode != kModeB))
    return "no such button";
  const std::uint8_t shown = config.editedMode;
  config.editedMode = static_cast<std::uint8_t>(mode);
  std::string refused;
  if (!mayOpenFunctionList(config, button)) {
    refused = std::string(englishText(TextId::LeftKeyMustBeSelected)) + " (button " +
              std::to_string(button + 1) + " is the only \"Left Click\" button of " + keyModeName(mode) +
              "; give another button \"Left Click\" first)";
  } else if (const auto* list = std::get_if<ListChoice>(&choice)) {
    if (applyImmediateChoice(config, texts, button, list->index, ui) != ChoiceEffect::Changed) {
      refused = "the window refuses this choice";
      for (int b = 0; b < kFunctionListButtons; ++b)
        if (list->index == kShift && config.mode[mode].function[static_cast<std::size_t>(b)] == kShift)
          refused = "button " + std::to_string(b + 1) + " of " + keyModeName(mode) +
                    " already holds \"Shift\" (one Shift button per mode)";
    }
  } else if (const auto* dpi = std::get_if<DpiChoice>(&choice)) {
    if (!applyDpiSubListChoice(config, texts, button, dpi->row)) refused = "no such DPI action";
  } else {
    applyDialogChoice(config, texts, button, std::get<DialogResult>(choice), ui);
  }
  config.editedMode = shown;
  return refused;
}

std::string formatButtonValue(const MouseConfig& config, int mode, int button) {
  const auto b = static_cast<std::size_t>(button);
  const ButtonBlock& blk = config.mode[mode];
  const UiTexts en(Language::English);
  const DialogTexts& dt = dialogTexts(Language::English);
  const int f = blk.function[b];
  switch (f) {
    case kDpiSwitch: {
      const int action = config.dpiAction[mode][b];
      const std::string text = dpiActionText(action - kDpiUp);
      return text.empty() ? bracket("DPI Switch: action " + std::to_string(action)) : text;
    }
    case kWindows: {
      const std::string row = rowText(dt.windowsRows, [&](int r) {
        return windowsLowByteForRow(r) == blk.windowsUsageLow[b] &&
               windowsHighByteForRow(r) == blk.windowsUsageHigh[b];
      });
      return row.empty() ? bracket("Windows: usage " + hexByte(blk.windowsUsageHigh[b]) + " " +
                                   hexByte(blk.windowsUsageLow[b]))
                         : "windows " + row;
    }
    case kMultimedia: {
      const std::string row =
          rowText(dt.mediaRows, [&](int r) { return mediaUsageForRow(r) == blk.mediaUsage[b]; });
      return row.empty() ? bracket("Multimedia: usage " + hexByte(blk.mediaUsage[b])) : "media " + row;
    }
    case kFireKey: {
      std::string key;
      for (int r = 0; r < kFireRows && key.empty(); ++r)
        if (fireKeyCode(r) == blk.fireKey[b]) key = fireRowText(r);
      const std::string numbers = std::to_string(blk.fireSpeed[b]) + " " + std::to_string(blk.fireTimes[b]);
      if (key.empty() || !fireSpeedInRange(blk.fireSpeed[b]))
        return bracket("Fire Key: key " + hexByte(blk.fireKey[b]) + ", speed and times " + numbers);
      return "fire " + key + " " + numbers;
    }
    case kSingleKey: {
      const std::string key = keyNameFor(blk.singleKey[b]);
      return key.empty() ? bracket("Single Key: key " + hexByte(blk.singleKey[b])) : "key " + key;
    }
    case kComboKey: return formatCombo(blk.comboModifiers[b], blk.comboKey1[b], blk.comboKey2[b]);
    case kMacroKey: {
      const int number = blk.macroIndex[b] + 1, option = blk.macroRepeat[b] + 1;
      std::string text = "macro " + std::to_string(number) + " repeat " + std::to_string(option);
      if (number > static_cast<int>(kMacroCount) || option > kMacroRepeatOptions)
        return bracket("Macro Key: " + text);
      return text;
    }
    default:
      if (f >= kFunctionCount) return bracket("function " + std::to_string(f));
      return en.functionName(f);
  }
}

}  // namespace hm
