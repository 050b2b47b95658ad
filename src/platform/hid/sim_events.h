// SPDX-License-Identifier: GPL-3.0-or-later
// Events that the simulated mouse plays after a program has started, for
// trying out what the mouse's own switches and plugging do without one
// (--sim-events of hidmouse and hidmousectl). A list of words, given as
// "7:2,5:1,unplug,plug":
//   TYPE:VALUE  a notification report of that type and value (decimal
//               bytes), as the mouse sends when it switches something itself
//   unplug      the mouse is pulled out
//   plug        the mouse is put back
// The player plays them in order, one every 100 ms, the first 100 ms after
// it starts, on a thread of its own.
#pragma once

#include <atomic>
#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "core/device/wake_event.h"

namespace hm {

class SimulatedMouse;

struct SimEvent {
  enum class Kind { Notification, Unplug, Plug };
  Kind kind = Kind::Notification;
  int type = 0;   // notifications only
  int value = 0;  // notifications only
  bool operator==(const SimEvent&) const = default;
};

// One word; nullopt when it is none of the three forms.
std::optional<SimEvent> parseSimEvent(std::string_view word);

// Every word of the list; nullopt when one is not an event, which is then
// named in *bad (when given).
std::optional<std::vector<SimEvent>> parseSimEvents(const std::vector<std::string>& words,
                                                    std::string* bad = nullptr);

// Plays one event on the mouse at once.
void playSimEvent(SimulatedMouse& mouse, const SimEvent& e);

// The form of a word, for usage and error messages.
inline constexpr char kSimEventForms[] = "TYPE:VALUE, unplug or plug";

class SimEventPlayer {
 public:
  static constexpr std::chrono::milliseconds kGap{100};

  // Starts playing at once (nothing for an empty list). The mouse must
  // outlive the player.
  SimEventPlayer(SimulatedMouse& mouse, std::vector<SimEvent> events, std::chrono::milliseconds gap = kGap);
  // Stops playing (events not yet played are dropped) and waits for the thread.
  ~SimEventPlayer();
  SimEventPlayer(const SimEventPlayer&) = delete;
  SimEventPlayer& operator=(const SimEventPlayer&) = delete;

  // All events have been played.
  bool finished() const { return finished_.load(); }

 private:
  void run();

  SimulatedMouse& mouse_;
  std::vector<SimEvent> events_;
  std::chrono::milliseconds gap_;
  WakeEvent stop_;
  std::atomic<bool> finished_{false};
  std::thread thread_;
};

}  // namespace hm
