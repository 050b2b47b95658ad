// SPDX-License-Identifier: GPL-3.0-or-later
// The clock of the start-up's diagnostic lines: milliseconds since the exec
// of the program. The clock starts when the program's static objects are made,
// before main(); the time the process spent before that (loading and linking
// its libraries) is taken as the CPU time it had used by then, which is what
// a start from a warm page cache spends there.
#pragma once

#include <string>

namespace hm {

// Milliseconds since the exec.
double msSinceExec();

// "start-up  12.3 ms  WHAT": one diagnostic line of a start-up step.
std::string startupStepLine(const std::string& what);

}  // namespace hm
