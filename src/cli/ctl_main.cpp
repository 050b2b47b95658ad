// SPDX-License-Identifier: GPL-3.0-or-later
// hidmousectl: the mouse's configuration tool for the shell and for scripts.
#include <CLI/CLI.hpp>

#include <cerrno>
#include <cstdio>
#include <functional>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "cli/ctl_commands.h"
#include "cli/ctl_doctor.h"
#include "cli/ctl_macro.h"
#include "cli/ctl_session.h"
#include "cli/ctl_settings.h"
#include "cli/ctl_setup.h"
#include "core/version.h"

namespace {

using hm::ctl::Session;

int usage(const std::string& text) {
  std::fprintf(stderr, "hidmousectl: %s (see --help)\n", text.c_str());
  return hm::ctl::kExitUsage;
}

// The global options as given, checked by the start-up both programs share.
struct GlobalWords {
  hm::SharedOptionWords shared;
  std::string simSensor;
  std::vector<std::string> simEvents;
  std::string dataDir;
  bool json = false;
};

void addGlobalOptions(CLI::App& app, GlobalWords& w) {
  app.add_option("--data-dir", w.dataDir,
                 "Folder of config.bin, str.ini and record.ini (default: the program's folder, or "
                 "$XDG_CONFIG_HOME/hidmouse when the program's folder is read-only)");
  app.add_flag("--simulate", w.shared.simulate,
               "Use the simulated mouse instead of the system's HID devices");
  app.add_option("--sim-sensor", w.simSensor,
                 std::string("The simulated mouse's sensor answer ") + hm::kSensorAnswerSyntax +
                     ", default 0,0,0,0 (needs --simulate)");
  app.add_option("--sim-events", w.simEvents,
                 "Events the simulated mouse plays 100 ms apart (real time while monitoring, the "
                 "mouse's pauses during apply): TYPE:VALUE, unplug, plug (needs --simulate)")
      ->delimiter(',');
  app.add_flag("--trace", w.shared.trace, "Print every operation on the mouse to stderr");
  app.add_flag("--verbose", w.shared.verbose, "Print the diagnostic lines to stderr");
  app.add_flag("--json", w.json,
               "Print JSON (list, info, show, monitor, doctor, get, macro list, macro show)");
}

// One command of the table: the subcommand, what runs it and how it uses
// the data folder (nothing: it opens no settings file).
struct Command {
  CLI::App* app;
  std::function<int(Session&)> run;
  std::optional<hm::FolderAccess> folder;
};

// What the commands' own options and arguments are read into.
struct CommandWords {
  int showSensor = 0;
  std::optional<int> sensor;
  std::optional<std::string> getKey;
  bool apply = false;
  std::vector<std::string> words;  // set's KEY VALUE..., macro set's NAME LINE...
  std::string file, macroName, loopTimes;
};

// The first word taken off `words` (set's key, macro set's name), or a usage error.
std::optional<std::string> takeFirst(std::vector<std::string>& words) {
  if (words.empty()) return std::nullopt;
  std::string first = words.front();
  words.erase(words.begin());
  return first;
}

std::vector<Command> addCommands(CLI::App& app, CommandWords& w) {
  using namespace hm::ctl;
  std::vector<Command> table;
  constexpr auto reads = hm::FolderAccess::Read;
  constexpr auto writes = hm::FolderAccess::Write;
  auto command = [&table](CLI::App& parent, const char* name, const char* what,
                          std::function<int(Session&)> run, std::optional<hm::FolderAccess> folder = {}) {
    CLI::App* sub = parent.add_subcommand(name, what);
    table.push_back({sub, std::move(run), folder});
    return sub;
  };
  // Settings by key. The values are taken as they come (a "-" or "DPI -"
  // among them), so their options go before the key.
  auto addSensor = [&w](CLI::App* cmd) {
    cmd->add_option("--sensor", w.sensor, "Sensor type whose DPI scale dpi.N uses when no mouse answers")
        ->check(CLI::Range(0, 255));
  };
  auto addApply = [&w](CLI::App* cmd) {
    cmd->add_flag("--apply", w.apply, "Then send the configuration to the mouse, as apply does");
  };

  command(app, "list", "The mouse's HID interfaces with their lengths", runList);
  command(app, "info", "Read the sensor information (nothing is written)", runInfo);
  command(app, "apply", "Send config.bin to the mouse and save it, as Apply does", runApply, writes);
  command(app, "monitor", "Print the mouse's events and arrivals until interrupted", runMonitor);
  command(
      app, "show", "Print the configuration held in config.bin",
      [&w](Session& s) { return runShow(s, w.showSensor); }, reads)
      ->add_option("--sensor", w.showSensor, "Sensor type whose DPI scale is shown (default 0)")
      ->check(CLI::Range(0, 255));
  command(app, "doctor",
          "Check the mouse's hidraw nodes, their access and the sensor answer (for problem reports)",
          runDoctor, reads);
  CLI::App* macros = app.add_subcommand("macros", "Macro images in config.bin");
  macros->require_subcommand(1);
  command(*macros, "rebuild", "Rebuild the twelve macro images from record.ini", runMacrosRebuild, writes);

  CLI::App* get = command(
      app, "get", "Print a setting, or every setting (see KEYS in hidmousectl(1))",
      [&w](Session& s) { return runGet(s, w.getKey, w.sensor); }, reads);
  get->add_option("KEY", w.getKey, "The setting's key, such as button.a.4, rate or dpi.2");
  addSensor(get);
  CLI::App* set = command(
      app, "set", "Change a setting as the window does and save it: set [--apply] KEY VALUE...",
      [&w](Session& s) {
        const auto key = takeFirst(w.words);
        return key ? runSet(s, *key, w.words, w.sensor, w.apply) : usage("set needs a KEY and its VALUE");
      },
      writes);
  addApply(set);
  addSensor(set);
  set->add_option("KEY VALUE", w.words, "The key, then its value (words are joined by blanks)")->required();
  command(
      app, "export", "Write the whole setup as one JSON document (FILE - is stdout)",
      [&w](Session& s) { return runExport(s, w.file); }, reads)
      ->add_option("FILE", w.file, "The document to write")
      ->required();
  CLI::App* importCmd = command(
      app, "import", "Check a setup document and write it into the settings files",
      [&w](Session& s) { return runImport(s, w.file, w.apply); }, writes);
  importCmd->add_option("FILE", w.file, "The document to read (- is stdin)")->required();
  addApply(importCmd);

  CLI::App* macro = app.add_subcommand("macro", "The macros of record.ini, with the macro editor's rules");
  macro->require_subcommand(1);
  command(*macro, "list", "The macros with their lines, events and loop times", runMacroList, reads);
  command(
      *macro, "show", "One macro's lines", [&w](Session& s) { return runMacroShow(s, w.macroName); }, reads)
      ->add_option("NAME", w.macroName, "The macro")
      ->required();
  command(
      *macro, "new", "Make a macro without lines (its section is written at once)",
      [&w](Session& s) { return runMacroNew(s, w.macroName); }, writes)
      ->add_option("NAME", w.macroName, "The new macro's name")
      ->required();
  command(
      *macro, "delete", "Delete a macro from record.ini",
      [&w](Session& s) { return runMacroDelete(s, w.macroName); }, writes)
      ->add_option("NAME", w.macroName, "The macro")
      ->required();
  CLI::App* loop = command(
      *macro, "loop", "Set a macro's loop times (1..65535)",
      [&w](Session& s) { return runMacroLoop(s, w.macroName, w.loopTimes); }, writes);
  loop->add_option("NAME", w.macroName, "The macro")->required();
  loop->add_option("TIMES", w.loopTimes, "How often the mouse plays it")->required();
  command(
      *macro, "set",
      "Replace a macro's lines and confirm them: macro set NAME LINE... (\"A   Dn\", \"50 ms\", \"A   Up\")",
      [&w](Session& s) {
        const auto name = takeFirst(w.words);
        return name ? runMacroSet(s, *name, w.words) : usage("macro set needs a NAME and its lines");
      },
      writes)
      ->add_option("NAME LINE", w.words, "The macro, then its lines")
      ->required();
  return table;
}

// Prints the help; a help that could not be written (a full disk, a closed
// stdout) is a failure like any other lost output.
int helpExit(CLI::App& app, const CLI::Error& e) {
  const int code = app.exit(e);
  std::cout.flush();
  if (!std::cout || std::fflush(stdout) != 0 || std::ferror(stdout) != 0) {
    std::fprintf(stderr, "hidmousectl: %s\n", hm::errnoText("writing the output", errno).c_str());
    return hm::ctl::kExitFile;
  }
  return code;
}

int parseFailure(const CLI::App& app, const CLI::ParseError& e) {
  // An unknown word where the subcommand belongs is named as such.
  const std::vector<std::string> rest = app.remaining();
  if (app.get_subcommands().empty() && !rest.empty() && !rest.front().empty() && rest.front()[0] != '-')
    std::fprintf(stderr, "hidmousectl: unknown subcommand \"%s\" (see --help)\n", rest.front().c_str());
  else
    std::fprintf(stderr, "hidmousectl: %s (see --help)\n", e.what());
  return hm::ctl::kExitUsage;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace hm::ctl;
  reserveStandardDescriptors();
  CLI::App app{
      "Configures the gaming mouse from the shell: lists its interfaces, reads its sensor, changes, "
      "applies, exports and imports its configuration, and watches its events."};
  app.name("hidmousectl");
  app.require_subcommand(1);
  app.fallthrough();
  app.set_version_flag("--version", std::string("hidmousectl ") + hm::kVersion, "Print the version and exit");
  GlobalWords global;
  addGlobalOptions(app, global);
  CommandWords words;
  const std::vector<Command> commands = addCommands(app, words);
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return helpExit(app, e);
  } catch (const CLI::CallForAllHelp& e) {
    return helpExit(app, e);
  } catch (const CLI::CallForVersion& e) {
    return helpExit(app, e);
  } catch (const CLI::ParseError& e) {
    return parseFailure(app, e);
  }

  if (app.count("--sim-sensor") > 0) global.shared.simSensor = global.simSensor;
  if (app.count("--sim-events") > 0) global.shared.simEvents = global.simEvents;
  if (app.count("--data-dir") > 0) global.shared.dataDir = global.dataDir;
  std::string problem;
  const std::optional<hm::StartupOptions> shared = hm::checkSharedOptions(global.shared, problem);
  if (!shared) {
    std::fprintf(stderr, "hidmousectl: %s\n", problem.c_str());
    return kExitUsage;
  }
  GlobalOptions options;
  static_cast<hm::StartupOptions&>(options) = *shared;
  options.json = global.json;

  Console console;
  int code = kExitUsage;
  for (const Command& c : commands)
    if (c.app->parsed())
      code = runCommand(console, [&] {
        Session session(options, console);
        // Commands that change the files hold the folder alone; those that
        // read them share it with other readers.
        if (c.folder && !session.lockFolder(*c.folder)) return kExitFile;
        return c.run(session);
      });
  // Output that never arrived is a failure of the run, not a success.
  if (const int e = console.outputError(); e != 0 && code == kExitOk) {
    std::fprintf(stderr, "hidmousectl: %s\n", hm::errnoText("writing the output", e).c_str());
    return kExitFile;
  }
  return code;
}
