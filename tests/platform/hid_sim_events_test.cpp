// SPDX-License-Identifier: GPL-3.0-or-later
// The simulated mouse's played events: the words of --sim-events, and the
// player that plays them on the mouse in order.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <thread>

#include "platform/hid/sim_events.h"
#include "platform/hid/simulated_mouse.h"

namespace hm {
namespace {

using Kind = SimEvent::Kind;

TEST(SimEvents, WordsAreNotificationsOrPlugging) {
  struct Case {
    const char* word;
    std::optional<SimEvent> event;
  };
  const Case cases[] = {
      {"7:2", SimEvent{Kind::Notification, 7, 2}},
      {"5:1", SimEvent{Kind::Notification, 5, 1}},
      {"255:0", SimEvent{Kind::Notification, 255, 0}},
      {"unplug", SimEvent{Kind::Unplug}},
      {"plug", SimEvent{Kind::Plug}},
      {"", std::nullopt},
      {"7", std::nullopt},
      {"7:", std::nullopt},
      {":2", std::nullopt},
      {"7:2:1", std::nullopt},
      {"7:256", std::nullopt},
      {"-1:2", std::nullopt},
      {"7:2x", std::nullopt},
      {"0x7:2", std::nullopt},
      {"Plug", std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(parseSimEvent(c.word), c.event) << '"' << c.word << '"';

  std::string bad;
  EXPECT_EQ(parseSimEvents({"9:3", "unplug"}, &bad),
            (std::vector<SimEvent>{{Kind::Notification, 9, 3}, {Kind::Unplug}}));
  EXPECT_EQ(parseSimEvents({"9:3", "eject", "x"}, &bad), std::nullopt);
  EXPECT_EQ(bad, "eject");
}

bool waitFor(const std::function<bool()>& done) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

TEST(SimEvents, ThePlayerPlaysInOrderAndStopsWithItsEnd) {
  SimulatedMouse mouse;
  {
    SimEventPlayer player(mouse, {{Kind::Unplug}, {Kind::Notification, 5, 8}}, std::chrono::milliseconds(1));
    ASSERT_TRUE(waitFor([&] { return player.finished(); }));
  }
  EXPECT_FALSE(mouse.pluggedIn());
  {
    SimEventPlayer player(mouse, {{Kind::Plug}}, std::chrono::milliseconds(1));
    ASSERT_TRUE(waitFor([&] { return player.finished(); }));
  }
  EXPECT_TRUE(mouse.pluggedIn());
  // Ended before its first event: nothing is played, and the end does not
  // wait for the gap.
  const auto start = std::chrono::steady_clock::now();
  {
    SimEventPlayer player(mouse, {{Kind::Unplug}}, std::chrono::seconds(30));
    EXPECT_FALSE(player.finished());
  }
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  EXPECT_TRUE(mouse.pluggedIn());
  EXPECT_TRUE(SimEventPlayer(mouse, {}).finished());
}

}  // namespace
}  // namespace hm
