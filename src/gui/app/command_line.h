// The command line of the hidmouse program:
//   hidmouse --help | --version
//   hidmouse [--simulate] [--sim-sensor T,R,O1,O2] [--sim-events LIST]
//            [--data-dir DIR] [--language en|zh_CN|zh_TW] [--show]
//            [--screenshot FILE [--page basic|advanced]] [--verbose]
#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

#include "core/model/sensor_answer.h"
#include "core/settings/language.h"
#include "gui/app/app_context.h"
#include "platform/hid/sim_events.h"

namespace hm {

struct CommandLine {
  bool simulate = false;                  // the simulated mouse instead of hidraw
  std::optional<SensorAnswer> simSensor;  // its sensor answer: type, rate, option 1, 2
  std::vector<SimEvent> simEvents;        // what it plays after the start
  QString dataDir;                        // empty: beside the executable, or the user's folder
  std::optional<Language> language;       // overrides the system language
  bool show = false;                      // start shown instead of in the tray
  QString screenshot;                     // write the page's picture here and exit
  PageId screenshotPage = kBasicPage;
  bool verbose = false;  // diagnostic lines on stderr
};

struct CommandLineResult {
  // Help: print the message on stdout and exit (--help, --version).
  enum class Status { Run, Help, Error };
  Status status = Status::Run;
  CommandLine options;
  QString message;  // the help text, or the error ("hidmouse: ..." one line)
};

// args[0] is the program name. Never exits the process.
CommandLineResult parseCommandLine(const QStringList& args);

// "en", "zh_CN", "zh_TW" (letter case ignored, "-" for "_" accepted).
std::optional<Language> parseLanguageName(const QString& text);

}  // namespace hm
