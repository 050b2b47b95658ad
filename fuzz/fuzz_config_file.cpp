// SPDX-License-Identifier: GPL-3.0-or-later
// Arbitrary bytes as config.bin: loading must not crash; only a file of exactly
// the stored size loads, and then it loads byte for byte. The file is an
// in-memory file reached through /proc/self/fd, so the fuzzer never touches
// the disk.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/settings/config_file.h"

namespace {

// Loads bytes as config.bin and checks the outcome against the file contract.
void check(const std::uint8_t* data, std::size_t size) {
  static const int fd = ::memfd_create("config.bin", MFD_CLOEXEC);
  if (fd < 0) std::abort();
  static const std::string path = "/proc/self/fd/" + std::to_string(fd);
  if (::ftruncate(fd, 0) != 0) std::abort();
  if (size > 0 && ::pwrite(fd, data, size, 0) != static_cast<ssize_t>(size)) std::abort();

  hm::MouseConfig config;
  std::uint8_t flag = 0xEE;
  hm::NullMessageSink sink;
  const bool loaded = hm::loadConfigFile(path, config, flag, sink).ok();
  if (loaded != (size == hm::kConfigFileSize)) std::abort();
  if (loaded) {
    std::uint8_t image[hm::MouseConfig::kSize];
    config.toBytes(image);
    if (flag != data[0] || std::memcmp(image, data + 1, sizeof image) != 0) std::abort();
  } else {
    hm::MouseConfig zero;
    zero.clear();
    if (flag != 0 || !(config == zero)) std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  check(data, size);
  // The same bytes cut or padded with zeros to the stored size, so every run
  // also goes through a successful load.
  std::uint8_t image[hm::kConfigFileSize] = {};
  std::memcpy(image, data, size < sizeof image ? size : sizeof image);
  check(image, sizeof image);
  return 0;
}
