// SPDX-License-Identifier: GPL-3.0-or-later
// The sensor answer a simulated mouse gives, as both programs take it on
// their command line (--sim-sensor T,R,O1,O2): sensor type, rate, option 1
// and option 2, four decimal numbers 0..255 separated by commas, nothing
// else (no blanks, signs or hex).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace hm {

using SensorAnswer = std::array<std::uint8_t, 4>;

// How the option's value is written, for usage and error texts.
inline constexpr char kSensorAnswerSyntax[] = "T,R,O1,O2 (four decimal bytes 0..255)";

// nullopt for anything but exactly four decimal bytes.
std::optional<SensorAnswer> parseSensorAnswer(std::string_view text);

}  // namespace hm
