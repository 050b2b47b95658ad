// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/ctl_macro.h"

#include <nlohmann/json.hpp>

#include <optional>
#include <sstream>

#include "cli/ctl_commands.h"
#include "cli/ctl_show.h"
#include "core/config_text/macro_lines.h"
#include "core/macros/macro_record.h"
#include "core/model/macro_editor.h"
#include "core/settings/config_file.h"
#include "core/settings/profile_file.h"
#include "core/settings/ui_text.h"

namespace hm::ctl {

namespace {

using nlohmann::json;

// What the editor said, to be told as errors or warnings afterwards.
class CollectingSink : public MessageSink {
 public:
  void showMessage(const std::string& text, const std::string&) override { texts.push_back(text); }
  std::vector<std::string> texts;
};

// config.bin and record.ini as the macro commands need them.
struct MacroFiles {
  MouseConfig config{};
  std::uint8_t flag = 0;
  profile::ProfileDocument record;
};

bool open(Session& s, MacroFiles& f) {
  if (!loadConfig(s, f.config, f.flag)) return false;
  Result<profile::ProfileDocument> loaded = profile::ProfileDocument::load(s.paths().recordIni);
  if (!loaded) {
    s.console().error("cannot read " + s.paths().recordIni + ": " + loaded.error().text());
    return false;
  }
  f.record = std::move(loaded.value());
  return true;
}

// The files, and the macro editor loaded over them with the texts and the
// sink it keeps references to, all alive as long as the editor.
struct MacroWork {
  explicit MacroWork(Session& s) : ui(s.language()) {}
  MacroFiles files;
  const UiTexts ui;
  CollectingSink said;
  std::optional<MacroEditor> editor;
};

// Opens the files and loads the editor, telling `messages` (by default
// collecting them in `said`); false, said, when a file cannot be read.
bool openEditor(Session& s, MacroWork& w, MessageSink* messages = nullptr) {
  if (!open(s, w.files)) return false;
  w.editor.emplace(s.paths().recordIni, w.files.config, w.ui, messages ? *messages : w.said);
  w.editor->load();
  return true;
}

std::string quoted(const std::string& s) { return "\"" + s + "\""; }

// The row of `name` in the editor's list; -1, said, when there is none.
int rowOf(Session& s, const std::vector<std::string>& macros, const std::string& name) {
  for (std::size_t i = 0; i < macros.size(); ++i)
    if (profile::sameName(macros[i], name)) return static_cast<int>(i);
  std::string known;
  for (std::size_t i = 0; i < macros.size(); ++i)
    known += (i ? ", " : "") + std::to_string(i + 1) + " " + quoted(macros[i]);
  s.console().error(
      "no macro " + quoted(name) + " in " + s.paths().recordIni +
      (known.empty() ? " (it holds none; make one with: macro new NAME)" : "; it holds " + known));
  return -1;
}

void warn(Session& s, const std::vector<std::string>& texts) {
  for (const std::string& text : texts) {
    std::stringstream lines(text);
    for (std::string line; std::getline(lines, line);) s.console().err("hidmousectl: warning: " + line);
  }
}

// config.bin with the images, then every file the command wrote put in
// place together.
bool saveImages(Session& s, const MacroFiles& f) {
  if (!writeConfigImage(s.paths().configBin, f.flag, f.config)) {
    s.console().error("cannot write " + s.paths().configBin + "; nothing was changed");
    return false;
  }
  return s.commitFiles();
}

json macroJson(const MacroFiles& f) {
  return describeConfig(f.config, 0, summariseMacros(f.record))["macros"];
}

std::string summary(const json& m) {
  std::string line = std::to_string(m["number"].get<int>()) + " " + quoted(m["name"].get<std::string>()) +
                     ": " + std::to_string(m["items"].get<long>()) + " lines, " +
                     std::to_string(m["events"].get<int>()) + " events";
  if (m["hasImage"].get<bool>())
    line += ", loop " + std::to_string(m["loopTimes"].get<int>());
  else
    line += ", no image (only the first 12 macros reach the mouse)";
  if (m["truncated"].get<bool>()) line += ", cut to fit its image";
  return line;
}

}  // namespace

int runMacroList(Session& s) {
  MacroFiles f;
  if (!open(s, f)) return kExitFile;
  const json macros = macroJson(f);
  if (s.options().json) {
    s.console().out(jsonLine(json{{"macros", macros}}));
    return kExitOk;
  }
  if (macros.empty()) s.console().out("No macros in " + s.paths().recordIni + ".");
  for (const json& m : macros) s.console().out(summary(m));
  return kExitOk;
}

int runMacroShow(Session& s, const std::string& name) {
  MacroFiles f;
  if (!open(s, f)) return kExitFile;
  for (json m : macroJson(f)) {
    if (!profile::sameName(m["name"].get<std::string>(), name)) continue;
    const profile::ProfileDocument::Section section = f.record.section(name);
    json lines = json::array();
    const long count = clampItemCount(section.get(kItemCountKey));
    for (long j = 0; j < count; ++j) lines.push_back(section.get(itemKey(j)));
    m["lines"] = lines;
    if (s.options().json) {
      s.console().out(jsonLine(m));
    } else {
      s.console().out("Macro " + summary(m));
      for (const json& l : lines) s.console().out("  " + l.get<std::string>());
    }
    return kExitOk;
  }
  rowOf(s, f.record.sectionNames(), name);
  return kExitUsage;
}

int runMacroNew(Session& s, const std::string& name) {
  MacroWork w(s);
  if (!openEditor(s, w)) return kExitFile;
  MacroEditor& editor = *w.editor;
  CollectingSink& said = w.said;
  editor.setNameField(name);
  if (!editor.createMacro()) {
    for (const std::string& why : said.texts) s.console().error("macro new " + quoted(name) + ": " + why);
    return kExitUsage;
  }
  if (!editor.confirm()) {
    for (const std::string& why : said.texts) s.console().error(why);
    return kExitFile;
  }
  warn(s, said.texts);
  if (!saveImages(s, w.files)) return kExitFile;
  s.console().out("Macro " + std::to_string(editor.selectedMacro() + 1) + " " + quoted(name) + " is in " +
                  s.paths().recordIni + " (no lines yet).");
  return kExitOk;
}

int runMacroDelete(Session& s, const std::string& name) {
  MacroWork w(s);
  if (!openEditor(s, w)) return kExitFile;
  MacroEditor& editor = *w.editor;
  const int row = rowOf(s, editor.macros(), name);
  if (row < 0) return kExitUsage;
  editor.selectMacro(row);
  if (!editor.removeMacro()) {
    for (const std::string& why : w.said.texts) s.console().error(why);
    return kExitFile;
  }
  if (!s.commitFiles()) return kExitFile;
  // As the editor's Delete: the images are rebuilt at the next Confirm.
  s.console().out("Deleted macro " + std::to_string(row + 1) + " " + quoted(name) + " from " +
                  s.paths().recordIni +
                  "; the macro images follow at the next macro set, macro new or macros rebuild.");
  return kExitOk;
}

int runMacroLoop(Session& s, const std::string& name, const std::string& times) {
  const bool digits =
      !times.empty() && times.size() <= 5 && times.find_first_not_of("0123456789") == std::string::npos;
  const long value = digits ? leadingInteger(times) : 0;
  if (value < kMinLoopTimes || value > kMaxLoopTimes) {
    s.console().error("macro loop: the loop times are " + std::to_string(kMinLoopTimes) + ".." +
                      std::to_string(kMaxLoopTimes) + ", not " + quoted(times));
    return kExitUsage;
  }
  MacroWork w(s);
  if (!openEditor(s, w, &s.sink())) return kExitFile;
  MacroEditor& editor = *w.editor;
  const int row = rowOf(s, editor.macros(), name);
  if (row < 0) return kExitUsage;
  if (row >= static_cast<int>(kMacroCount)) {
    s.console().error("macro " + std::to_string(row + 1) + " " + quoted(name) +
                      " has no image (only the first 12 macros reach the mouse), so it has no loop times");
    return kExitUsage;
  }
  editor.selectMacro(row);
  editor.setLoopField(times);
  if (!saveImages(s, w.files)) return kExitFile;
  s.console().out("Macro " + std::to_string(row + 1) + " " + quoted(name) + ": loop " + editor.loopField());
  return kExitOk;
}

int runMacroSet(Session& s, const std::string& name, const std::vector<std::string>& lines) {
  std::vector<std::string> sequence;
  bool bad = false;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const MacroLineCheck line = checkMacroLine(lines[i], false);
    if (!line.ok()) {
      s.console().error("macro set " + quoted(name) + ": line " + std::to_string(i + 1) + ": " + line.error);
      bad = true;
      continue;
    }
    if (line.unknownKey)
      s.console().err("hidmousectl: warning: line " + std::to_string(i + 1) + ": " + quoted(line.line) +
                      " names a key the key table lacks; the mouse gets code 0 for it");
    sequence.push_back(line.line);
  }
  if (bad) return kExitUsage;
  MacroWork w(s);
  if (!openEditor(s, w)) return kExitFile;
  MacroEditor& editor = *w.editor;
  const int row = rowOf(s, editor.macros(), name);
  if (row < 0) return kExitUsage;
  editor.selectMacro(row);
  // The loop field shows the macro's own count, so Confirm keeps it.
  editor.setLoopField(std::to_string(loopTimes(w.files.config, row)));
  editor.replaceSequence(sequence);
  if (!editor.confirm()) {
    for (const std::string& why : w.said.texts) s.console().error(why);
    return kExitFile;
  }
  warn(s, w.said.texts);
  if (!saveImages(s, w.files)) return kExitFile;
  s.console().out("Macro " + std::to_string(editor.selectedMacro() + 1) + " " +
                  quoted(editor.macros()[static_cast<std::size_t>(editor.selectedMacro())]) + ": " +
                  std::to_string(sequence.size()) + " lines confirmed.");
  return kExitOk;
}

}  // namespace hm::ctl
