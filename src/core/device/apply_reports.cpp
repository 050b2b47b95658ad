// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/device/apply_reports.h"

#include <algorithm>
#include <cstdio>

#include "core/wire/byte_order.h"

namespace hm {

ApplyReports encodeApply(const MouseConfig& config, int activeSensorType,
                         std::array<std::uint8_t, 2> previousLedBytes) {
  ApplyReports r;
  r.reportRate = FeatureReport(proto::kCmdReportRate, config.reportInterval);

  for (std::size_t page = 0; page < proto::kColourPages; ++page) {
    const auto p = static_cast<std::uint8_t>(page);
    r.colourReads[page] = FeatureReport(proto::kCmdColourRead, p);
    r.colourWrites[page] =
        FeatureReport(proto::kCmdColourWrite, p, static_cast<std::uint8_t>(proto::kColourPageSize[page]));
  }
  auto loop = r.loopPage.begin();
  for (std::size_t c = 0; c < kLoopColors; ++c)
    if (config.loopColorEnabled[c] == proto::kLoopColorOn) loop = std::copy_n(config.loopColor[c], 3, loop);
  std::copy_n(config.dpiLedMask, r.ledMaskPage.size(), r.ledMaskPage.begin());

  std::array<std::uint8_t, 2> led = previousLedBytes;
  if (config.ledMode >= proto::kLedModeFirst && config.ledMode <= proto::kLedModeLast)
    led = {config.ledMode, static_cast<std::uint8_t>(config.ledParam[config.ledMode - 1] + 1)};
  r.ledEffect = FeatureReport(proto::kCmdLedEffect, led[0], led[1], proto::kLedEffectConstant);

  r.dpiWrite = FeatureReport(proto::kCmdDpiWrite, proto::kDpiStageCount,
                             static_cast<std::uint8_t>(proto::kDpiPayloadSize));
  r.dpiCodes.fill(proto::kDpiStageOff);
  for (std::size_t s = 0; s < kDpiStages; ++s) {
    const std::uint8_t code = dpiCode(activeSensorType, config.dpiStageValue[s]) & proto::kDpiCodeMask;
    r.dpiCodes[s] =
        config.dpiStageEnabled[s] != 0 ? code : static_cast<std::uint8_t>(code | proto::kDpiStageOff);
  }

  for (std::size_t m = 0; m < proto::kMacroCount; ++m) {
    const auto number = static_cast<std::uint8_t>(m + 1);
    r.macroWrites[m] =
        FeatureReport(proto::kCmdMacroWrite, number, static_cast<std::uint8_t>(proto::kMacroImageSize));
    std::copy_n(config.macroImage[m], proto::kMacroImageSize, r.macroImages[m].begin());
    r.macroReads[m] = FeatureReport(proto::kCmdMacroRead, number);
  }

  r.keyMatrices = buildKeyMatrices(config);
  for (std::size_t t = 0; t < proto::kKeyMatrixTables; ++t)
    r.keyMatrixWrites[t] = FeatureReport(proto::kCmdKeyMatrixWrite, static_cast<std::uint8_t>(t + 1),
                                         static_cast<std::uint8_t>(proto::kKeyMatrixSize));
  return r;
}

std::string keyMatrixDiagnostic(int table, const KeyMatrix& matrix) {
  char line[32];
  std::snprintf(line, sizeof line, proto::kDiagKeyMatrix, table);
  std::string out = line;
  for (std::size_t e = 0; e < matrix.size() / proto::kKeyEntrySize; ++e) {
    const std::uint8_t* p = matrix.data() + e * proto::kKeyEntrySize;
    // The entry as one 32-bit word of the little-endian byte image.
    const unsigned word = loadLittleEndian32(p);
    std::snprintf(line, sizeof line, e == 0 ? "%08x\n" : " %08x\n", word);
    out += line;
  }
  return out;
}

}  // namespace hm
