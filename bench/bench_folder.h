// SPDX-License-Identifier: GPL-3.0-or-later
// A temporary folder for the files a benchmark reads and writes, removed with
// it. On tmpfs when there is one, so that reading and saving cost what the
// code costs, not what the disk's flush costs.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <string>
#include <system_error>

#include "core/settings/data_paths.h"

namespace hm::bench {

class BenchFolder {
 public:
  // name: a short word that tells the benchmark in the folder's name.
  explicit BenchFolder(const std::string& name) {
    for (const char* base : {"/dev/shm", "/tmp"}) {
      std::string tmpl = std::string(base) + "/hm_bench_" + name + "_XXXXXX";
      if (mkdtemp(tmpl.data()) != nullptr) {
        folder_ = tmpl;
        break;
      }
    }
    paths_ = DataPaths::inFolder(folder_);
  }
  ~BenchFolder() {
    std::error_code ec;
    if (!folder_.empty()) std::filesystem::remove_all(folder_, ec);
  }
  BenchFolder(const BenchFolder&) = delete;
  BenchFolder& operator=(const BenchFolder&) = delete;

  const DataPaths& paths() const { return paths_; }

 private:
  std::string folder_;
  DataPaths paths_;
};

}  // namespace hm::bench
