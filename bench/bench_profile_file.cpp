// SPDX-License-Identifier: GPL-3.0-or-later
// Reading and writing the profile files at sizes no user makes by hand but
// a damaged or hostile file can have: 100,000 sections, sections that claim
// 65,536 items, a line of 1 MiB. The target is under a second for each (the
// whole rebuild, summary or save of such a file), from a file on tmpfs.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "core/macros/macro_encoder.h"
#include "core/macros/macro_record.h"
#include "core/settings/profile_file.h"
#include "core/settings/settings_ini.h"

namespace {

constexpr std::size_t kMiB = 1 << 20;

std::string sections(int n, const char* count) {
  std::string s;
  for (int i = 0; i < n; ++i)
    s += "[M" + std::to_string(i) + "]\nItemCount=" + count + "\nItem0=A   Dn\nItem1=50 ms\nItem2=A   Up\n";
  return s;
}

// The shapes, by benchmark argument.
std::string shape(std::int64_t which) {
  switch (which) {
    case 0: return sections(100000, "3");
    case 1: return sections(100000, "65536");
    case 2: return "[" + std::string(kMiB, 'N') + "]\nItemCount=65536\nItem0=A   Dn\n" + sections(12, "3");
    case 3: return "[M]\nItemCount=2\nItem0=" + std::string(kMiB, 'x') + "   Dn\n";
    default: return "[Setting-EN]\nItem1=x\n" + sections(100000, "3");
  }
}

const char* shapeName(std::int64_t which) {
  switch (which) {
    case 0: return "100000 sections";
    case 1: return "100000 sections of ItemCount 65536";
    case 2: return "1 MiB section name, ItemCount 65536";
    case 3: return "1 MiB item";
    default: return "str.ini of 100000 sections";
  }
}

struct File {
  explicit File(const std::string& bytes) {
    char tmpl[] = "/dev/shm/hm_bench_profile_XXXXXX";
    char fallback[] = "/tmp/hm_bench_profile_XXXXXX";
    const char* made = mkdtemp(tmpl);
    folder = made ? made : mkdtemp(fallback);
    path = folder + "/record.ini";
    write(bytes);
  }
  ~File() {
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
  }
  void write(const std::string& bytes) const {
    if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
      std::fwrite(bytes.data(), 1, bytes.size(), f);
      std::fclose(f);
    }
  }
  std::string folder, path;
};

// `macros rebuild`: read record.ini, encode the first twelve sections.
void BM_Rebuild(benchmark::State& state) {
  File file(shape(state.range(0)));
  state.SetLabel(shapeName(state.range(0)));
  hm::MouseConfig config{};
  for (auto _ : state) benchmark::DoNotOptimize(hm::rebuildMacroImages(file.path, config));
}
BENCHMARK(BM_Rebuild)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

// `show`: read record.ini once and encode every section for its summary.
void BM_Summary(benchmark::State& state) {
  File file(shape(state.range(0)));
  state.SetLabel(shapeName(state.range(0)));
  for (auto _ : state) {
    const auto doc = hm::profile::ProfileDocument::load(file.path);
    benchmark::DoNotOptimize(hm::rebuildMacroImages(doc.value(), nullptr));
  }
}
BENCHMARK(BM_Summary)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

// "Confirm": a macro written at the end of a long record.ini.
void BM_WriteMacro(benchmark::State& state) {
  const std::string bytes = shape(state.range(0));
  File file(bytes);
  state.SetLabel(shapeName(state.range(0)));
  hm::MacroRecord macro{"M1", {}};
  for (int i = 0; i < 60; ++i) macro.items.push_back(hm::MacroItem::press("A"));
  for (auto _ : state) benchmark::DoNotOptimize(hm::writeMacro(file.path, macro));
}
BENCHMARK(BM_WriteMacro)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

// "Apply": the 24 button texts into the first section of a long str.ini.
void BM_SaveButtonTexts(benchmark::State& state) {
  File file(shape(4));
  state.SetLabel(shapeName(4));
  hm::ButtonTexts texts;
  for (auto& mode : texts.text)
    for (auto& t : mode) t = "Left Click";
  for (auto _ : state) benchmark::DoNotOptimize(hm::saveButtonTexts(file.path, hm::Language::English, texts));
}
BENCHMARK(BM_SaveButtonTexts)->Unit(benchmark::kMillisecond);

}  // namespace
