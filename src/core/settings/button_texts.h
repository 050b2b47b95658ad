// SPDX-License-Identifier: GPL-3.0-or-later
// The display texts of the button assignments: one string per mode and
// button slot, shown in the Basic page's boxes and kept in str.ini. They live
// beside MouseConfig and are never derived from it.
#pragma once

#include <array>
#include <string>

#include "core/settings/mouse_config.h"

namespace hm {

struct ButtonTexts {
  // text[mode][slot], mode 0 = Mode A, 1 = Mode B; UTF-8.
  std::array<std::array<std::string, kButtonSlots>, 2> text;
  bool operator==(const ButtonTexts&) const = default;
};

}  // namespace hm
