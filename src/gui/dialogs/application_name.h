// SPDX-License-Identifier: GPL-3.0-or-later
// The application's title: the caption of messages without one of their own
// and the title of its windows that have none of their own (the executable's
// base name).
#pragma once

namespace hm {

inline constexpr char kApplicationName[] = "hidmouse";

}  // namespace hm
