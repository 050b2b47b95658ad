// SPDX-License-Identifier: GPL-3.0-or-later
// A DeviceLink over a SimulatedMouse with a recording sleeper, a recording
// message sink and the trace collected line by line (also used by the
// configuration session's tests).
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/device/apply_reports.h"
#include "core/device/device_link.h"
#include "core/settings/config_file.h"
#include "platform/hid/simulated_mouse.h"
#include "support/recording_sink.h"

namespace hm::test {

// Records the pauses; `afterPause` runs after each with the number taken so
// far (to pull the mouse out at a known point of a sequence).
struct HookedSleeper : RecordingSleeper {
  void sleepMs(unsigned ms) override {
    RecordingSleeper::sleepMs(ms);
    if (afterPause) afterPause(pauses.size());
  }
  std::function<void(std::size_t)> afterPause;
};

struct LinkFixture {
  explicit LinkFixture(bool plugged = true) : mouse(plugged), link(mouse, sink, sleeper) {
    link.setTrace([this](const std::string& line) { trace.push_back(line); });
  }
  // The device part of an Apply of `config`, encoded as the session does.
  std::optional<ExchangeFailure> apply(const MouseConfig& config) {
    return link.sendApply(encodeApply(config, link.activeSensorType(), link.previousLedBytes()));
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
  HookedSleeper sleeper;
  DeviceLink link;
  std::vector<std::string> trace;
};

// "xx xx .." of bytes.
inline std::string hex(const std::vector<std::uint8_t>& b) { return traceHex(b); }

}  // namespace hm::test
