// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/device/sleeper.h"

#include <sys/prctl.h>
#include <time.h>

#include <cerrno>
#include <chrono>

namespace hm {

namespace {

// The kernel's timer slack stretches every sleep by up to 50 us by default;
// 1 ns makes the wake-up as punctual as the scheduler allows.
constexpr unsigned long kTimerSlackNs = 1;
// The last stretch of each pause is spun so that a late wake-up of the sleep
// does not add to the pause.
constexpr auto kSpinTail = std::chrono::microseconds(50);

void setTimerSlackOnce() {
  thread_local bool done = false;
  if (!done) {
    ::prctl(PR_SET_TIMERSLACK, kTimerSlackNs, 0, 0, 0);
    done = true;
  }
}

}  // namespace

void RealSleeper::sleepMs(unsigned ms) {
  using Clock = std::chrono::steady_clock;
  const auto start = Clock::now();
  const auto deadline = start + std::chrono::milliseconds(ms);
  setTimerSlackOnce();
  const auto sleepUntil = deadline - kSpinTail;
  if (Clock::now() < sleepUntil) {
    // steady_clock is CLOCK_MONOTONIC on Linux.
    const auto ns =
        std::chrono::duration_cast<std::chrono::nanoseconds>(sleepUntil.time_since_epoch()).count();
    timespec ts{};
    ts.tv_sec = static_cast<time_t>(ns / 1000000000);
    ts.tv_nsec = static_cast<long>(ns % 1000000000);
    // EINTR: sleep on to the same deadline; any other error falls back to
    // the spin below.
    while (::clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr) == EINTR) {
    }
  }
  while (Clock::now() < deadline) {
  }
}

}  // namespace hm
