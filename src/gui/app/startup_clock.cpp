// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/app/startup_clock.h"

#include <time.h>

#include <cstdio>

namespace hm {

namespace {

double seconds(const timespec& t) {
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

// The monotonic time of the exec: now, less the CPU time used so far.
double execTime() {
  timespec now{}, cpu{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpu);
  return seconds(now) - seconds(cpu);
}

const double kExecTime = execTime();

}  // namespace

double msSinceExec() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return (seconds(now) - kExecTime) * 1000.0;
}

std::string startupStepLine(const std::string& what) {
  char head[32];
  std::snprintf(head, sizeof head, "start-up %7.1f ms  ", msSinceExec());
  return head + what + "\n";
}

}  // namespace hm
