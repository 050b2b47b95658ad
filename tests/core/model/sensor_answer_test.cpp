// SPDX-License-Identifier: GPL-3.0-or-later
// The --sim-sensor value both programs accept: four decimal bytes.
#include <gtest/gtest.h>

#include "core/model/sensor_answer.h"

namespace hm {
namespace {

TEST(SensorAnswer, OnlyFourDecimalBytesAreTaken) {
  struct Case {
    const char* text;
    std::optional<SensorAnswer> expected;
  };
  const Case cases[] = {
      {"1,2,0,255", SensorAnswer{1, 2, 0, 255}},
      {"0,0,0,0", SensorAnswer{0, 0, 0, 0}},
      {"007,10,99,200", SensorAnswer{7, 10, 99, 200}},
      {"", std::nullopt},
      {"1,2,3", std::nullopt},
      {"1,2,3,4,5", std::nullopt},
      {"1,2,3,", std::nullopt},
      {",1,2,3", std::nullopt},
      {"1,,2,3", std::nullopt},
      {"1,2,3,256", std::nullopt},
      {"1,2,3,0255", std::nullopt},
      {"1,2,0x10,255", std::nullopt},
      {"1, 2,3,4", std::nullopt},
      {"1,2,3,4 ", std::nullopt},
      {"-1,2,3,4", std::nullopt},
      {"+1,2,3,4", std::nullopt},
      {"a,b,c,d", std::nullopt},
      {"1;2;3;4", std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(parseSensorAnswer(c.text), c.expected) << '"' << c.text << '"';
}

}  // namespace
}  // namespace hm
