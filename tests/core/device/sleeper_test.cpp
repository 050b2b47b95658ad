// SPDX-License-Identifier: GPL-3.0-or-later
// The real sleeper's one promise: a pause is never shorter than asked, since
// each pause is a minimum the mouse needs. (How close it stays is measured by
// bench/bench_apply.cpp.)
#include <gtest/gtest.h>

#include <chrono>

#include "core/device/sleeper.h"

namespace hm {
namespace {

class RealSleeperTest : public ::testing::TestWithParam<unsigned> {};

TEST_P(RealSleeperTest, NeverReturnsBeforeTheNominalTime) {
  RealSleeper sleeper;
  for (int i = 0; i < 5; ++i) {
    const auto start = std::chrono::steady_clock::now();
    sleeper.sleepMs(GetParam());
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(GetParam()));
  }
}

INSTANTIATE_TEST_SUITE_P(Pauses, RealSleeperTest, ::testing::Values(0u, 1u, 2u, 3u));

}  // namespace
}  // namespace hm
