// hidmousectl: the mouse's configuration tool for the shell and for scripts.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <exception>
#include <filesystem>
#include <iostream>

#include "cli/ctl_commands.h"
#include "cli/ctl_doctor.h"
#include "cli/ctl_session.h"

int main(int argc, char** argv) {
  using namespace hm::ctl;
  reserveStandardDescriptors();
  CLI::App app{
      "Configures the gaming mouse from the shell: lists its interfaces, reads its sensor, "
      "applies config.bin, watches its events and shows the stored configuration."};
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
  app.add_flag("--json", options.json, "Print JSON (list, info, show, monitor, doctor)");

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
    if (*list)
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
