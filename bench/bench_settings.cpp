// SPDX-License-Identifier: GPL-3.0-or-later
// Reading the three settings files as the start-up and the Advanced page
// read them: config.bin, str.ini with the texts of all three languages and
// the skin settings, and record.ini with twelve full macros (every image filled
// to its last byte); then rebuilding the twelve macro images from it, as every
// "Apply" does.
#include <benchmark/benchmark.h>

#include <string>

#include "bench_folder.h"
#include "core/macros/macro_encoder.h"
#include "core/macros/macro_record.h"
#include "core/settings/config_file.h"
#include "core/settings/data_paths.h"
#include "core/settings/message_sink.h"
#include "core/settings/settings_ini.h"

namespace {

constexpr int kMacros = 12;
// A press or a release followed by a 10 ms delay is one 2-byte event: 63 of
// them fill the 126 event bytes of an image.
constexpr int kEventsPerMacro = 63;

struct SettingsFolder {
  SettingsFolder() : folder("settings"), paths(folder.paths()) {
    ok = hm::writeConfigImage(paths.configBin, 1, hm::factoryConfig()).ok();
    hm::ButtonTexts texts;
    for (auto& mode : texts.text)
      for (std::size_t slot = 0; slot < mode.size(); ++slot)
        mode[slot] = "Button text " + std::to_string(slot);
    for (hm::Language l :
         {hm::Language::English, hm::Language::SimplifiedChinese, hm::Language::TraditionalChinese})
      ok = ok && hm::saveButtonTexts(paths.strIni, l, texts).ok();
    ok = ok && hm::saveSkinSettings(paths.strIni, 0, 255, 0, "Default").ok();
    for (int m = 0; m < kMacros; ++m) {
      hm::MacroRecord macro{"Macro " + std::to_string(m + 1), {}};
      for (int e = 0; e < kEventsPerMacro; ++e) {
        macro.items.push_back(e % 2 == 0 ? hm::MacroItem::press("A") : hm::MacroItem::release("A"));
        macro.items.push_back(hm::MacroItem::delay(10));
      }
      ok = ok && hm::writeMacro(paths.recordIni, macro).ok();
    }
  }
  hm::bench::BenchFolder folder;
  hm::DataPaths paths;
  bool ok = false;
};

SettingsFolder& files() {
  static SettingsFolder f;
  return f;
}

bool ready(benchmark::State& state) {
  if (files().ok) return true;
  state.SkipWithError("the settings files could not be written");
  return false;
}

void BM_LoadConfigBin(benchmark::State& state) {
  if (!ready(state)) return;
  hm::NullMessageSink sink;
  hm::MouseConfig config;
  std::uint8_t flag = 0;
  for (auto _ : state) {
    const hm::Status s = hm::loadConfigFile(files().paths.configBin, config, flag, sink);
    benchmark::DoNotOptimize(s.ok());
    benchmark::DoNotOptimize(config);
  }
}
BENCHMARK(BM_LoadConfigBin)->Unit(benchmark::kMicrosecond);

void BM_LoadStrIni(benchmark::State& state) {
  if (!ready(state)) return;
  for (auto _ : state) {
    hm::SettingsIni ini = hm::loadSettingsIni(files().paths.strIni, hm::Language::English);
    benchmark::DoNotOptimize(ini);
  }
}
BENCHMARK(BM_LoadStrIni)->Unit(benchmark::kMicrosecond);

// The Advanced page's macro list: every section name, then every macro.
void BM_LoadRecordIni(benchmark::State& state) {
  if (!ready(state)) return;
  std::size_t items = 0;
  for (auto _ : state) {
    items = 0;
    for (const std::string& name : hm::listMacros(files().paths.recordIni))
      items += hm::readMacro(files().paths.recordIni, name).items.size();
    benchmark::DoNotOptimize(items);
  }
  state.counters["items"] = static_cast<double>(items);
}
BENCHMARK(BM_LoadRecordIni)->Unit(benchmark::kMicrosecond);

void BM_RebuildTwelveMacroImages(benchmark::State& state) {
  if (!ready(state)) return;
  hm::MouseConfig config = hm::factoryConfig();
  int events = 0;
  for (auto _ : state) {
    events = 0;
    for (const hm::MacroReport& r : hm::rebuildMacroImages(files().paths.recordIni, config))
      events += r.events;
    benchmark::DoNotOptimize(config);
  }
  state.counters["events"] = events;
}
BENCHMARK(BM_RebuildTwelveMacroImages)->Unit(benchmark::kMicrosecond);

}  // namespace
