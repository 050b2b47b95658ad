// SPDX-License-Identifier: GPL-3.0-or-later
// The reports of one "Apply", encoded from the record without touching the
// mouse: everything the sequence sends except page 1 of the colour block,
// which is the mouse's own and comes from its 0x90 answer during the run.
// DeviceLink::sendApply sends them in the order below, with the pauses.
//
// Byte contract (every header is a FeatureReport, byte 7 its checksum;
// unnamed bytes are 0):
//   order  report            bytes 0..2            payload
//   1      reportRate        01 reportInterval     -
//   2      colourReads[p]    90 p                  - (answer: 90 page length, then the page)
//   3      colourWrites[p]   10 p 24|24|4          page 0: loopPage, 1: as read, 2: ledMaskPage
//   4      ledEffect         0D mode param+1 03    -
//   5      dpiWrite          11 04 08              dpiCodes
//   6      macroWrites[m]    13 m+1 80             macroImages[m] (128 bytes)
//   7      macroReads[m]     93 m+1                - (answer read and dropped)
//   8      keyMatrixWrites   12 t+1 40             keyMatrices[t] (64 bytes)
// p = 0..2, m = 0..11, t = 0..3.
//
//   loopPage     the (R, G, B) of each loop colour whose loopColorEnabled is
//                exactly 1, in colour order, packed; zero after the last
//   ledMaskPage  dpiLedMask bytes 0..3
//   ledEffect    ledMode 1..3: bytes 1, 2 = ledMode, ledParam[ledMode - 1] + 1
//                (mod 256); any other mode repeats the previous Apply's
//                bytes 1, 2 (0, 0 before the first Apply of a run)
//   dpiCodes     byte s (stage s = 0..3): dpiCode(sensor type, dpiStageValue[s])
//                with bit 7 cleared, then set when dpiStageEnabled[s] is 0;
//                bytes 4..7 = 0x80 (stages 5..8 off)
//   keyMatrices  buildKeyMatrices(record): table 1 Mode A, table 3 Mode B,
//                tables 2 and 4 zero
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "core/buttons/button_codes.h"
#include "core/settings/mouse_config.h"
#include "core/wire/feature_report.h"
#include "core/wire/protocol.h"

namespace hm {

using MacroImage = std::array<std::uint8_t, proto::kMacroImageSize>;

struct ApplyReports {
  FeatureReport reportRate;
  std::array<FeatureReport, proto::kColourPages> colourReads;
  std::array<FeatureReport, proto::kColourPages> colourWrites;
  std::array<std::uint8_t, proto::kColourPageSize[proto::kColourLoopPage]> loopPage{};
  std::array<std::uint8_t, proto::kColourPageSize[proto::kColourLedMaskPage]> ledMaskPage{};
  FeatureReport ledEffect;
  FeatureReport dpiWrite;
  std::array<std::uint8_t, proto::kDpiPayloadSize> dpiCodes{};
  std::array<FeatureReport, proto::kMacroCount> macroWrites;
  std::array<MacroImage, proto::kMacroCount> macroImages{};
  std::array<FeatureReport, proto::kMacroCount> macroReads;
  std::array<FeatureReport, proto::kKeyMatrixTables> keyMatrixWrites;
  KeyMatrices keyMatrices{};

  // Bytes 1 and 2 of ledEffect: what the next Apply repeats for a mode
  // outside 1..3.
  std::array<std::uint8_t, 2> ledBytes() const { return {ledEffect[1], ledEffect[2]}; }
};

// The reports of an Apply of `config` for the active sensor type, after an
// Apply that sent `previousLedBytes` as bytes 1 and 2 of 0x0D.
ApplyReports encodeApply(const MouseConfig& config, int activeSensorType,
                         std::array<std::uint8_t, 2> previousLedBytes);

// The diagnostic composed before key matrix `table` (1..4) is written:
// "Write KeyMatrix[N]:\n", then each entry as the "%08x" of its
// little-endian 32-bit word on its own line, every line after the first
// indented by one space.
std::string keyMatrixDiagnostic(int table, const KeyMatrix& matrix);

}  // namespace hm
