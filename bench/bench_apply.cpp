// SPDX-License-Identifier: GPL-3.0-or-later
// Wall time of a whole "Apply" against the simulated mouse with real sleeps,
// next to the 248 ms of pauses the protocol requires. Each pause is a minimum
// the mouse needs; the aim is to stay within 2% of that floor.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>

#include "bench_folder.h"
#include "core/device/device_link.h"
#include "core/model/config_session.h"
#include "core/settings/config_file.h"
#include "platform/hid/simulated_mouse.h"

namespace {

struct TempFiles {
  TempFiles() : folder("apply"), paths(folder.paths()) {
    (void)hm::writeConfigImage(paths.configBin, 1, hm::factoryConfig());
    if (std::FILE* f = std::fopen(paths.strIni.c_str(), "w")) std::fclose(f);
  }
  hm::bench::BenchFolder folder;
  hm::DataPaths paths;
};

// The real sleeper, noting when its last pause ended: the end of the device
// part of an Apply (the session saves the files after it).
class TimingSleeper : public hm::Sleeper {
 public:
  void sleepMs(unsigned ms) override {
    real_.sleepMs(ms);
    lastEnd = std::chrono::steady_clock::now();
  }
  std::chrono::steady_clock::time_point lastEnd;

 private:
  hm::RealSleeper real_;
};

void reportFloor(benchmark::State& state, double totalMs) {
  const double perApply = totalMs / static_cast<double>(state.iterations());
  state.counters["floor_ms"] = hm::proto::kApplyPauseFloorMs;
  state.counters["apply_ms"] = perApply;
  state.counters["over_floor_pct"] = 100.0 * (perApply / hm::proto::kApplyPauseFloorMs - 1.0);
}

void BM_ApplyToSimulatedMouse(benchmark::State& state) {
  hm::SimulatedMouse mouse;
  mouse.setLatency(std::chrono::microseconds(state.range(0)));
  hm::NullMessageSink sink;
  TimingSleeper sleeper;
  hm::DeviceLink link(mouse, sink, sleeper);
  if (link.openMouse() != 1) {
    state.SkipWithError("the simulated mouse did not open");
    return;
  }
  link.sensorHandshake();
  TempFiles files;
  hm::ConfigSession session(files.paths, hm::Language::English, sink);
  session.load();
  double totalMs = 0, deviceMs = 0;
  for (auto _ : state) {
    // The whole "Apply" as the window and hidmousectl run it: encode, send,
    // save config.bin and the button texts.
    const auto start = std::chrono::steady_clock::now();
    const hm::ApplyResult result = session.applyToMouse(link);
    const auto end = std::chrono::steady_clock::now();
    if (!result.mouseTookAll() || !result.saved()) {
      state.SkipWithError("the Apply failed");
      return;
    }
    totalMs += std::chrono::duration<double, std::milli>(end - start).count();
    deviceMs += std::chrono::duration<double, std::milli>(sleeper.lastEnd - start).count();
  }
  reportFloor(state, totalMs);
  // The exchanges and pauses alone, without saving config.bin and str.ini.
  const double perDevice = deviceMs / static_cast<double>(state.iterations());
  state.counters["device_ms"] = perDevice;
  state.counters["device_over_floor_pct"] = 100.0 * (perDevice / hm::proto::kApplyPauseFloorMs - 1.0);
}
// Argument: per-transfer latency of the simulated mouse in microseconds.
BENCHMARK(BM_ApplyToSimulatedMouse)
    ->Arg(0)
    ->Arg(50)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(20);

// The 94 pauses of one Apply alone, as the real sleeper takes them.
void BM_ApplyPausesOnly(benchmark::State& state) {
  hm::RealSleeper sleeper;
  double totalMs = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    for (unsigned i = 0; i < hm::proto::kApplyDataReports; ++i)
      sleeper.sleepMs(hm::proto::kPauseAfterDataReportMs);
    for (unsigned i = 0; i < hm::proto::kApplyBlockPauses; ++i)
      sleeper.sleepMs(hm::proto::kPauseAfterBlockMs);
    totalMs += std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  }
  reportFloor(state, totalMs);
}
BENCHMARK(BM_ApplyPausesOnly)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(20);

// One pause is never shorter than asked: the shortest of many 2 ms pauses.
void BM_ShortestPause(benchmark::State& state) {
  hm::RealSleeper sleeper;
  double shortestUs = 1e9, longestUs = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    sleeper.sleepMs(hm::proto::kPauseAfterBlockMs);
    const double us =
        std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count();
    shortestUs = std::min(shortestUs, us);
    longestUs = std::max(longestUs, us);
  }
  state.counters["shortest_us"] = shortestUs;
  state.counters["longest_us"] = longestUs;
  state.counters["nominal_us"] = hm::proto::kPauseAfterBlockMs * 1000.0;
}
BENCHMARK(BM_ShortestPause)->Unit(benchmark::kMicrosecond)->UseRealTime()->Iterations(500);

}  // namespace
