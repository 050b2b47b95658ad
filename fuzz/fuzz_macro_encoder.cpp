// SPDX-License-Identifier: GPL-3.0-or-later
// Arbitrary bytes as record.ini: rebuilding the macro images must not crash,
// must write nothing outside the twelve 128-byte images, and every image must
// match the encoding of the items the record reader sees for its section.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "core/macros/macro_encoder.h"
#include "core/macros/macro_record.h"
#include "core/settings/profile_file.h"

namespace {

void check(bool ok) {
  if (!ok) __builtin_trap();
}

const std::string& recordPath() {
  static const std::string path = [] {
    std::string pattern = (std::filesystem::temp_directory_path() / "hm-fuzz-macro-XXXXXX").string();
    check(mkdtemp(pattern.data()) != nullptr);
    static std::string dir = pattern;
    std::atexit([] {
      std::error_code ignored;
      std::filesystem::remove_all(dir, ignored);
    });
    return pattern + "/record.ini";
  }();
  return path;
}

constexpr std::size_t kGuard = 64;
constexpr std::uint8_t kCanary = 0xA5;

struct Guarded {
  std::uint8_t before[kGuard];
  hm::MouseConfig config;
  std::uint8_t after[kGuard];
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string& path = recordPath();
  {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }

  Guarded g;
  std::memset(g.before, kCanary, kGuard);
  std::memset(g.after, kCanary, kGuard);
  std::uint8_t bytes[hm::MouseConfig::kSize];
  for (std::size_t i = 0; i < sizeof bytes; ++i) bytes[i] = static_cast<std::uint8_t>(i * 13 + 1);
  g.config.fromBytes(bytes);
  const hm::MouseConfig original = g.config;

  const auto reports = hm::rebuildMacroImages(path, g.config);

  for (std::size_t i = 0; i < kGuard; ++i) check(g.before[i] == kCanary && g.after[i] == kCanary);
  // Everything outside the images is as it was.
  hm::MouseConfig outside = g.config;
  std::memcpy(outside.macroImage, original.macroImage, sizeof outside.macroImage);
  check(outside == original);

  int number = 0;
  for (const hm::MacroReport& r : reports) {
    check(r.number == ++number);
    check(r.hasImage == (r.number <= static_cast<int>(hm::kMacroCount)));
    check(r.events >= 0);
    check(static_cast<std::size_t>(r.events) * hm::kShortEventBytes <= hm::kMacroImageSize - hm::kLoopBytes);
    if (!r.hasImage) continue;
    // The same image again from the reader's view of the section.
    const hm::MacroRecord record = hm::readMacro(path, r.name);
    if (record.items.empty()) continue;
    std::vector<std::string> items;
    items.reserve(record.items.size());
    for (const auto& item : record.items) items.push_back(item.text);
    // The last event's delay is the item stored after the list.
    const std::string after =
        hm::profile::getString(path, r.name, hm::itemKey(static_cast<long>(items.size())));
    std::uint8_t image[hm::kMacroImageSize];
    std::memcpy(image, g.config.macroImage[r.number - 1], hm::kLoopBytes);
    const hm::EncodeResult again = hm::encodeMacroImage(items, image, after);
    check(again.events == r.events && again.truncated == r.truncated);
    check(std::memcmp(image, g.config.macroImage[r.number - 1], hm::kMacroImageSize) == 0);
  }
  return 0;
}
