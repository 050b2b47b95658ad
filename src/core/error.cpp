// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/error.h"

#include <cstring>

namespace hm {

std::string errnoText(const std::string& call, int err) {
  return call + " failed: " + std::strerror(err) + " (errno " + std::to_string(err) + ")";
}

}  // namespace hm
