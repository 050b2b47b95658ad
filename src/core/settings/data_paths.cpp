// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/settings/data_paths.h"

#include <unistd.h>

#include <climits>
#include <vector>

namespace hm {

std::string executableFolder() {
  std::vector<char> buf(PATH_MAX + 1);
  ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size() - 1);
  if (n <= 0) return ".";
  std::string path(buf.data(), static_cast<std::size_t>(n));
  std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

DataPaths DataPaths::inFolder(const std::string& folder) {
  DataPaths p;
  p.folder = folder;
  std::string base = folder;
  if (base.empty()) base = ".";
  if (base.back() != '/') base += '/';
  p.configBin = base + "config.bin";
  p.strIni = base + "str.ini";
  p.recordIni = base + "record.ini";
  return p;
}

}  // namespace hm
