// SPDX-License-Identifier: GPL-3.0-or-later
// The command line of the hidmouse program:
//   hidmouse [--simulate] [--sim-sensor T,R,O1,O2] [--sim-events LIST]
//            [--data-dir DIR] [--language en|zh_CN|zh_TW] [--show]
//            [--screenshot FILE [--page basic|advanced]] [--verbose]
#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

#include "core/settings/language.h"
#include "gui/app/app_context.h"
#include "platform/startup.h"

namespace hm {

struct CommandLine {
  StartupOptions shared;             // the options hidmousectl takes too
  std::optional<Language> language;  // overrides the system language
  bool show = false;                 // start shown instead of in the tray
  QString screenshot;                // write the page's picture here and exit
  PageId screenshotPage = kBasicPage;
};

struct ParsedCommandLine {
  // Help: print the message on stdout and exit (--help, --version).
  enum class Action { Run, Help, Error };
  Action action = Action::Run;
  CommandLine options;
  QString message;  // the help text, or the error ("hidmouse: ..." one line)
};

// args[0] is the program name. Runs before the application object exists
// (a mistake or --help needs no display), so the toolkit's own options
// (-platform, -style, ...) are taken and left to it. Never exits the process.
ParsedCommandLine parseCommandLine(const QStringList& args);

// "en", "zh_CN", "zh_TW" (letter case ignored, "-" for "_" accepted).
std::optional<Language> parseLanguageName(const QString& text);

}  // namespace hm
