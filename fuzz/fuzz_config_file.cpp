// Arbitrary bytes as config.bin: loading must not crash; only a file of exactly
// the stored size loads, and then it loads byte for byte.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "settings/config_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string path = [] {
    char tmpl[] = "/tmp/hm-fuzz-config-XXXXXX";
    const char* dir = ::mkdtemp(tmpl);
    if (dir == nullptr) std::abort();
    return std::string(dir) + "/config.bin";
  }();
  FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) std::abort();
  if (size > 0 && std::fwrite(data, 1, size, f) != size) std::abort();
  std::fclose(f);

  hm::MouseConfig config;
  std::uint8_t flag = 0xEE;
  hm::NullMessageSink sink;
  const bool loaded = hm::loadConfigFile(path, config, flag, sink);
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
  return 0;
}
