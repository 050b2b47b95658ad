// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/hid/sim_events.h"

#include <charconv>

#include "platform/hid/simulated_mouse.h"

namespace hm {
namespace {

constexpr std::string_view kPlug = "plug";
constexpr std::string_view kUnplug = "unplug";
constexpr int kByteMax = 255;

// A decimal byte, digits only.
std::optional<int> byteValue(std::string_view text) {
  if (text.empty() || text.size() > 3) return std::nullopt;
  int v = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (ec != std::errc() || end != text.data() + text.size() || v < 0 || v > kByteMax) return std::nullopt;
  return v;
}

}  // namespace

std::optional<SimEvent> parseSimEvent(std::string_view word) {
  if (word == kPlug) return SimEvent{SimEvent::Kind::Plug};
  if (word == kUnplug) return SimEvent{SimEvent::Kind::Unplug};
  const std::size_t colon = word.find(':');
  if (colon == std::string_view::npos) return std::nullopt;
  const auto type = byteValue(word.substr(0, colon));
  const auto value = byteValue(word.substr(colon + 1));
  if (!type || !value) return std::nullopt;
  return SimEvent{SimEvent::Kind::Notification, *type, *value};
}

std::optional<std::vector<SimEvent>> parseSimEvents(const std::vector<std::string>& words, std::string* bad) {
  std::vector<SimEvent> events;
  for (const std::string& w : words) {
    const auto e = parseSimEvent(w);
    if (!e) {
      if (bad) *bad = w;
      return std::nullopt;
    }
    events.push_back(*e);
  }
  return events;
}

SimEventPlayer::SimEventPlayer(SimulatedMouse& mouse, std::vector<SimEvent> events,
                               std::chrono::milliseconds gap)
    : mouse_(mouse), events_(std::move(events)), gap_(gap) {
  if (events_.empty()) {
    finished_ = true;
    return;
  }
  thread_ = std::thread([this] { run(); });
}

SimEventPlayer::~SimEventPlayer() {
  stop_.set();
  if (thread_.joinable()) thread_.join();
}

void playSimEvent(SimulatedMouse& mouse, const SimEvent& e) {
  switch (e.kind) {
    case SimEvent::Kind::Plug: mouse.plugIn(); break;
    case SimEvent::Kind::Unplug: mouse.unplug(); break;
    case SimEvent::Kind::Notification: mouse.sendNotification(e.type, e.value); break;
  }
}

void SimEventPlayer::run() {
  for (const SimEvent& e : events_) {
    if (stop_.wait(static_cast<int>(gap_.count()))) return;
    playSimEvent(mouse_, e);
  }
  finished_ = true;
}

}  // namespace hm
