// SPDX-License-Identifier: GPL-3.0-or-later
// The hidmousectl subcommands. Each returns the process exit code.
#pragma once

#include "cli/ctl_session.h"
#include "core/model/config_session.h"
#include "core/settings/mouse_config.h"

namespace hm::ctl {

int runList(Session& s);
int runInfo(Session& s);
int runApply(Session& s);
int runMonitor(Session& s);
int runShow(Session& s, int sensorType);
int runMacrosRebuild(Session& s);

// config.bin into `config` and its flag; false, with its error line, when it
// is missing or not whole.
bool loadConfig(Session& s, MouseConfig& config, std::uint8_t& flag);
// The same for a whole session (str.ini may be missing).
bool loadConfigSession(Session& s, ConfigSession& config);

// The English balloon text of a device event ("" when the event shows
// nothing). Type 7 appends the DPI of the stage: `dpiText` of `sensorType` and
// the stage's dpiStageValue in `config`, or nothing when config is null.
std::string balloonText(int type, int value, int sensorType, const MouseConfig* config);

}  // namespace hm::ctl
