// SPDX-License-Identifier: GPL-3.0-or-later
// `hidmousectl macro`: the macros of record.ini, changed with the macro
// editor's rules (core/model/macro_editor.h): list, show NAME, new NAME,
// delete NAME, loop NAME N, set NAME LINE... . new writes the section at once
// (the shell has no separate Confirm); set replaces the macro's lines and
// confirms them (its section rewritten where it stands, every image rebuilt).
// config.bin keeps its first-run flag, as `macros rebuild` keeps it.
#pragma once

#include <string>
#include <vector>

#include "cli/ctl_session.h"

namespace hm::ctl {

int runMacroList(Session& s);
int runMacroShow(Session& s, const std::string& name);
int runMacroNew(Session& s, const std::string& name);
int runMacroDelete(Session& s, const std::string& name);
int runMacroLoop(Session& s, const std::string& name, const std::string& times);
int runMacroSet(Session& s, const std::string& name, const std::vector<std::string>& lines);

}  // namespace hm::ctl
