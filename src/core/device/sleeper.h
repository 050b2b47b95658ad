// SPDX-License-Identifier: GPL-3.0-or-later
// The pauses of the protocol go through a Sleeper so that tests run without
// waiting and record what was asked, while the program and the benchmarks
// sleep for real.
#pragma once

#include <vector>

namespace hm {

class Sleeper {
 public:
  virtual ~Sleeper() = default;
  // Blocks the calling thread for at least `ms` milliseconds.
  virtual void sleepMs(unsigned ms) = 0;
};

// Sleeps for real. On first use on a thread it sets that thread's timer slack
// to 1 ns (prctl PR_SET_TIMERSLACK), so the kernel does not stretch each pause
// by its default 50 us; the last stretch of each pause is spun on the steady
// clock. A pause is never shorter than asked and overshoots by a few
// microseconds.
class RealSleeper : public Sleeper {
 public:
  void sleepMs(unsigned ms) override;
};

// Records every pause and returns at once.
class RecordingSleeper : public Sleeper {
 public:
  void sleepMs(unsigned ms) override { pauses.push_back(ms); }
  unsigned totalMs() const {
    unsigned t = 0;
    for (unsigned p : pauses) t += p;
    return t;
  }
  std::vector<unsigned> pauses;
};

}  // namespace hm
