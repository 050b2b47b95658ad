// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the factory config.bin: first-run flag 0 and factoryConfig().
// Usage: hm_factory_config OUTPUT_PATH
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "core/settings/config_file.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT_PATH\n", argv[0]);
    return 2;
  }
  constexpr std::uint8_t kFactoryFlag = 0;
  errno = 0;
  if (!hm::writeConfigImage(argv[1], kFactoryFlag, hm::factoryConfig())) {
    std::fprintf(stderr, "%s: cannot write %s: %s\n", argv[0], argv[1], std::strerror(errno));
    return 1;
  }
  return 0;
}
