// hidmousectl: the mouse's configuration tool for the shell and for scripts.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <exception>
#include <filesystem>
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

namespace {

int usage(const std::string& text) {
  std::fprintf(stderr, "hidmousectl: %s (see --help)\n", text.c_str());
  return hm::ctl::kExitUsage;
}

int runSetCommand(hm::ctl::Session& session, std::vector<std::string> words, std::optional<int> sensor,
                  bool apply) {
  if (words.empty()) return usage("set needs a KEY and its VALUE");
  const std::string key = words.front();
  words.erase(words.begin());
  return hm::ctl::runSet(session, key, words, sensor, apply);
}

int runMacroSetCommand(hm::ctl::Session& session, std::vector<std::string> words) {
  if (words.empty()) return usage("macro set needs a NAME and its lines");
  const std::string name = words.front();
  words.erase(words.begin());
  return hm::ctl::runMacroSet(session, name, words);
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

  GlobalOptions options;
  std::string simSensor = "0,0,0,0";
  std::vector<std::string> simEvents;
  app.add_option("--data-dir", options.dataDir,
                 "Folder of config.bin, str.ini and record.ini (default: the program's folder, or "
                 "$XDG_CONFIG_HOME/hidmouse when the program's folder is read-only)");
  app.add_flag("--simulate", options.simulate, "Use the simulated mouse instead of the system's HID devices");
  app.add_option(
      "--sim-sensor", simSensor,
      std::string("The simulated mouse's sensor answer ") + hm::kSensorAnswerSyntax + ", default 0,0,0,0");
  app.add_option("--sim-events", simEvents,
                 "Events the simulated mouse plays 100 ms apart (real time while monitoring, the "
                 "mouse's pauses during apply): TYPE:VALUE, unplug, plug")
      ->delimiter(',');
  app.add_flag("--trace", options.trace, "Print every operation on the mouse to stderr");
  app.add_flag("--verbose", options.verbose, "Print the diagnostic lines to stderr");
  app.add_flag("--json", options.json,
               "Print JSON (list, info, show, monitor, doctor, get, macro list, macro show)");

  CLI::App* list = app.add_subcommand("list", "The mouse's HID interfaces with their lengths");
  CLI::App* info = app.add_subcommand("info", "Read the sensor information (nothing is written)");
  CLI::App* apply = app.add_subcommand("apply", "Send config.bin to the mouse and save it, as Apply does");
  CLI::App* monitor =
      app.add_subcommand("monitor", "Print the mouse's events and arrivals until interrupted");
  CLI::App* show = app.add_subcommand("show", "Print the configuration held in config.bin");
  int showSensor = 0;
  show->add_option("--sensor", showSensor, "Sensor type whose DPI scale is shown (default 0)")
      ->check(CLI::Range(0, 255));
  CLI::App* doctor = app.add_subcommand(
      "doctor", "Check the mouse's hidraw nodes, their access and the sensor answer (for problem reports)");
  CLI::App* macros = app.add_subcommand("macros", "Macro images in config.bin");
  macros->require_subcommand(1);
  CLI::App* rebuild = macros->add_subcommand("rebuild", "Rebuild the twelve macro images from record.ini");

  // Settings by key. The values are taken as they come (a "-" or "DPI -"
  // among them), so their options go before the key.
  std::optional<int> sensorOption;
  auto addSensor = [&sensorOption](CLI::App* cmd) {
    cmd->add_option("--sensor", sensorOption, "Sensor type whose DPI scale dpi.N uses when no mouse answers")
        ->check(CLI::Range(0, 255));
  };
  CLI::App* get = app.add_subcommand("get", "Print a setting, or every setting (see KEYS in hidmousectl(1))");
  std::optional<std::string> getKey;
  get->add_option("KEY", getKey, "The setting's key, such as button.a.4, rate or dpi.2");
  addSensor(get);
  CLI::App* set = app.add_subcommand(
      "set", "Change a setting as the window does and save it: set [--apply] KEY VALUE...");
  bool setApply = false;
  set->add_flag("--apply", setApply, "Then send the configuration to the mouse, as apply does");
  addSensor(set);
  std::vector<std::string> setWords;
  set->add_option("KEY VALUE", setWords, "The key, then its value (words are joined by blanks)")->required();
  CLI::App* exportCmd =
      app.add_subcommand("export", "Write the whole setup as one JSON document (FILE - is stdout)");
  std::string exportFile;
  exportCmd->add_option("FILE", exportFile, "The document to write")->required();
  CLI::App* importCmd =
      app.add_subcommand("import", "Check a setup document and write it into the settings files");
  std::string importFile;
  bool importApply = false;
  importCmd->add_option("FILE", importFile, "The document to read (- is stdin)")->required();
  importCmd->add_flag("--apply", importApply, "Then send the configuration to the mouse, as apply does");
  CLI::App* macro = app.add_subcommand("macro", "The macros of record.ini, with the macro editor's rules");
  macro->require_subcommand(1);
  std::string macroName, loopTimes;
  CLI::App* macroList = macro->add_subcommand("list", "The macros with their lines, events and loop times");
  CLI::App* macroShow = macro->add_subcommand("show", "One macro's lines");
  macroShow->add_option("NAME", macroName, "The macro")->required();
  CLI::App* macroNew =
      macro->add_subcommand("new", "Make a macro without lines (its section is written at once)");
  macroNew->add_option("NAME", macroName, "The new macro's name")->required();
  CLI::App* macroDelete = macro->add_subcommand("delete", "Delete a macro from record.ini");
  macroDelete->add_option("NAME", macroName, "The macro")->required();
  CLI::App* macroLoop = macro->add_subcommand("loop", "Set a macro's loop times (1..65535)");
  macroLoop->add_option("NAME", macroName, "The macro")->required();
  macroLoop->add_option("TIMES", loopTimes, "How often the mouse plays it")->required();
  CLI::App* macroSet = macro->add_subcommand(
      "set",
      "Replace a macro's lines and confirm them: macro set NAME LINE... (\"A   Dn\", \"50 ms\", \"A   Up\")");
  std::vector<std::string> macroSetWords;
  macroSet->add_option("NAME LINE", macroSetWords, "The macro, then its lines")->required();

  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForAllHelp& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    // An unknown word where the subcommand belongs is named as such.
    const std::vector<std::string> rest = app.remaining();
    if (app.get_subcommands().empty() && !rest.empty() && !rest.front().empty() && rest.front()[0] != '-')
      std::fprintf(stderr, "hidmousectl: unknown subcommand \"%s\" (see --help)\n", rest.front().c_str());
    else
      std::fprintf(stderr, "hidmousectl: %s (see --help)\n", e.what());
    return kExitUsage;
  }
  const auto sensor = hm::parseSensorAnswer(simSensor);
  if (!sensor) {
    std::fprintf(stderr, "hidmousectl: --sim-sensor needs %s, not \"%s\"\n", hm::kSensorAnswerSyntax,
                 simSensor.c_str());
    return kExitUsage;
  }
  options.simSensor = *sensor;
  std::string badEvent;
  const auto events = hm::parseSimEvents(simEvents, &badEvent);
  if (!events) {
    std::fprintf(stderr, "hidmousectl: --sim-events: \"%s\" is not %s\n", badEvent.c_str(),
                 hm::kSimEventForms);
    return kExitUsage;
  }
  options.simEvents = *events;

  // An empty folder would silently be the executable's own, whose files
  // apply would then rewrite.
  if (app.count("--data-dir") > 0 && options.dataDir.empty()) {
    std::fprintf(stderr, "hidmousectl: --data-dir needs a folder (see --help)\n");
    return kExitUsage;
  }

  Console console;
  int code = kExitUsage;
  try {
    Session session(options, console);
    // Commands that change the files hold the folder alone; those that read
    // them share it with other readers.
    const bool writes =
        *apply || *rebuild || *set || *importCmd || *macroNew || *macroDelete || *macroLoop || *macroSet;
    const bool reads = *show || *get || *exportCmd || *macroList || *macroShow || *doctor;
    if ((writes || reads) && !session.lockFolder(writes ? hm::FolderAccess::Write : hm::FolderAccess::Read))
      code = kExitFile;
    else if (*list)
      code = runList(session);
    else if (*info)
      code = runInfo(session);
    else if (*apply)
      code = runApply(session);
    else if (*monitor)
      code = runMonitor(session);
    else if (*show)
      code = runShow(session, showSensor);
    else if (*rebuild)
      code = runMacrosRebuild(session);
    else if (*doctor)
      code = runDoctor(session);
    else if (*get)
      code = runGet(session, getKey, sensorOption);
    else if (*set)
      code = runSetCommand(session, setWords, sensorOption, setApply);
    else if (*exportCmd)
      code = runExport(session, exportFile);
    else if (*importCmd)
      code = runImport(session, importFile, importApply);
    else if (*macroList)
      code = runMacroList(session);
    else if (*macroShow)
      code = runMacroShow(session, macroName);
    else if (*macroNew)
      code = runMacroNew(session, macroName);
    else if (*macroDelete)
      code = runMacroDelete(session, macroName);
    else if (*macroLoop)
      code = runMacroLoop(session, macroName, loopTimes);
    else if (*macroSet)
      code = runMacroSetCommand(session, macroSetWords);
  } catch (const std::filesystem::filesystem_error& e) {
    // A data folder or file that cannot even be looked at is a file error.
    std::fprintf(stderr, "hidmousectl: %s\n", e.what());
    code = kExitFile;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "hidmousectl: %s\n", e.what());
    code = kExitNoMouse;
  }
  // Output that never arrived is a failure of the run, not a success.
  if (const int e = console.outputError(); e != 0 && code == kExitOk) {
    std::fprintf(stderr, "hidmousectl: %s\n", hm::errnoText("writing the output", e).c_str());
    return kExitFile;
  }
  return code;
}
