// SPDX-License-Identifier: GPL-3.0-or-later
// Names parameterised cases after their `name` field, as the case tables do.
#pragma once

#include <gtest/gtest.h>

#include <string>

namespace hm::test {

struct ParamName {
  template <class P>
  std::string operator()(const ::testing::TestParamInfo<P>& c) const {
    return std::string(c.param.name);
  }
};

}  // namespace hm::test
