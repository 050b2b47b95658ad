// SPDX-License-Identifier: GPL-3.0-or-later
// The setup of setup_document.h read from and written to the three settings
// files.
//
// Reading takes config.bin (it must be there and whole), the button texts of
// every language section str.ini holds (the current language's always, empty
// when str.ini has none), its "Skins" section (a skin name the window would
// not use reads as ""), and every section of record.ini with its items and
// the loop count of its image (0 beyond the twelfth).
//
// Writing builds all three files first: record.ini with exactly the setup's
// macros in order (lines outside the sections kept), config.bin with the
// setup's flag and record and the images of those macros as a rebuild from
// that record.ini makes them (images without a macro zero; the lines are
// those record.ini gives back, as reading a setup or a document gives them)
// carrying their loop counts, str.ini with exactly the
// given language sections and "Skins" (none when the setup has no skin). Each file is then
// replaced atomically: record.ini, config.bin, str.ini; when one fails, those
// already replaced get their old contents back. config.bin is never created.
#pragma once

#include <string>
#include <vector>

#include "core/config_text/setup_document.h"
#include "core/macros/macro_encoder.h"
#include "core/settings/data_paths.h"

namespace hm {

struct SetupLoad {
  Setup setup;
  std::string error;  // "" when read; else the file and what is wrong with it
  bool ok() const { return error.empty(); }
};
SetupLoad readSetup(const DataPaths& paths, Language current);

struct SetupSave {
  std::string error;                 // "" when all three files were written
  std::vector<MacroReport> reports;  // the rebuild's, for warnings about cut macros
  bool ok() const { return error.empty(); }
};
SetupSave writeSetup(const DataPaths& paths, const Setup& setup);

}  // namespace hm
