// SPDX-License-Identifier: GPL-3.0-or-later
// `hidmousectl export` and `import`: the whole setup as one JSON document
// (core/config_text/setup_document.h) in a file or, for "-", on stdout / stdin.
#pragma once

#include <string>

#include "cli/ctl_session.h"

namespace hm::ctl {

int runExport(Session& s, const std::string& file);
// Checks the whole document first (every fault on stderr, nothing written
// while any is there), then writes the three files, then with `apply` runs
// `apply`.
int runImport(Session& s, const std::string& file, bool apply);

}  // namespace hm::ctl
