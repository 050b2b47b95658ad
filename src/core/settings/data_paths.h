// SPDX-License-Identifier: GPL-3.0-or-later
// Where the settings files live: the folder of the running executable by
// default, or any folder a caller names (the programs take --data-dir).
#pragma once

#include <string>

namespace hm {

// Folder of /proc/self/exe, without a trailing '/'; "." when it cannot be read.
std::string executableFolder();

struct DataPaths {
  std::string folder, configBin, strIni, recordIni;
  // The folder holds the factory files of an installed copy: they are read
  // and never saved, even by root (FolderHold refuses to write them).
  bool readOnly = false;
  // folder + "/config.bin", "/str.ini", "/record.ini".
  static DataPaths inFolder(const std::string& folder);
};

}  // namespace hm
