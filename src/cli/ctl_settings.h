// SPDX-License-Identifier: GPL-3.0-or-later
// `hidmousectl get` and `set`: the configuration's settings by key
// (core/config_text/setting_keys.h), changed with the window's rules and saved as
// its Apply saves them.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cli/ctl_session.h"

namespace hm::ctl {

// The sensor type that decides the DPI scale: the mouse's when one answers,
// else `option` (--sensor), else nothing.
std::optional<int> resolveSensorType(Session& s, std::optional<int> option);

// One key's value, or with no key every key's, one "KEY VALUE" line each
// (--json: one object of them).
int runGet(Session& s, const std::optional<std::string>& key, std::optional<int> sensorOption);

// Sets KEY to the value words (joined by blanks), saves config.bin (first-run
// flag 1) and the button texts, and with `apply` then runs `apply`. On a
// factory config.bin buttons 1..8 first get their factory names, as at the
// window's first display, so that the names written are not lost.
int runSet(Session& s, const std::string& key, const std::vector<std::string>& words,
           std::optional<int> sensorOption, bool apply);

}  // namespace hm::ctl
