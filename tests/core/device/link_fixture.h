// A DeviceLink over a SimulatedMouse with a recording sleeper, a recording
// message sink and the trace collected line by line.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "core/device/device_link.h"
#include "core/settings/config_file.h"
#include "platform/hid/simulated_mouse.h"
#include "support/recording_sink.h"

namespace hm::test {

struct LinkFixture {
  explicit LinkFixture(bool plugged = true) : mouse(plugged), link(mouse, sink, sleeper) {
    link.setTrace([this](const std::string& line) { trace.push_back(line); });
  }
  // Trace lines that start with `op` ("set-feature", "write", ...).
  std::vector<std::string> ops(const std::string& op) const {
    std::vector<std::string> out;
    for (const auto& l : trace)
      if (l.rfind(op + " ", 0) == 0) out.push_back(l);
    return out;
  }

  SimulatedMouse mouse;
  RecordingSink sink;
  RecordingSleeper sleeper;
  DeviceLink link;
  std::vector<std::string> trace;
};

// A temporary data folder with a config.bin (the factory record) and an
// empty str.ini, removed at the end.
struct TempDataFolder {
  TempDataFolder() {
    char tmpl[] = "/tmp/hm_device_test_XXXXXX";
    folder = mkdtemp(tmpl);
    configBin = folder + "/config.bin";
    strIni = folder + "/str.ini";
    EXPECT_TRUE(writeConfigImage(configBin, 0, factoryConfig()));
    std::FILE* f = std::fopen(strIni.c_str(), "w");
    if (f) std::fclose(f);
  }
  ~TempDataFolder() {
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
  }
  std::string folder, configBin, strIni;
};

// "xx xx .." of bytes.
inline std::string hex(const std::vector<std::uint8_t>& b) { return traceHex(b); }

}  // namespace hm::test
