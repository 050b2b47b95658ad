// The "Apply" sequence: everything of MouseConfig that the mouse keeps, in
// the order and with the pauses the mouse needs, then the two files.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "core/buttons/button_codes.h"
#include "core/device/device_link.h"
#include "core/settings/byte_order.h"
#include "core/settings/config_file.h"
#include "core/settings/settings_ini.h"

namespace hm {

namespace {

constexpr const char* kButtonTextsSaveFailed = "The button texts could not be saved to str.ini.";

// One data-report chunk of payload, zero beyond what is copied in.
using ChunkBuffer = std::array<std::uint8_t, proto::kChunkSize>;

std::string keyMatrixDiagnostic(int table, const KeyMatrix& m) {
  char line[32];
  std::snprintf(line, sizeof line, proto::kDiagKeyMatrix, table);
  std::string out = line;
  for (std::size_t e = 0; e < m.size() / proto::kKeyEntrySize; ++e) {
    const std::uint8_t* p = m.data() + e * proto::kKeyEntrySize;
    // The entry as one 32-bit word of the little-endian byte image.
    const unsigned word = loadLittleEndian32(p);
    std::snprintf(line, sizeof line, e == 0 ? "%08x\n" : " %08x\n", word);
    out += line;
  }
  return out;
}

}  // namespace

bool DeviceLink::applyToMouse(const MouseConfig& config, const ApplyFiles& files) {
  // 1. Report rate.
  {
    FeatureReport r(proto::kCmdReportRate, config.reportInterval);
    sendCommand(r);
  }

  // 2. Colour block read: an answer is kept only for the page asked for.
  for (std::size_t page = 0; page < proto::kColourPages; ++page) {
    FeatureReport h(proto::kCmdColourRead, static_cast<std::uint8_t>(page));
    ChunkBuffer answer{};
    transferBlock(h, answer);
    if (h[proto::kHeaderPageByte] == page) {
      const std::size_t n = std::min<std::size_t>(h[proto::kHeaderLengthByte], proto::kColourPageSize[page]);
      std::copy_n(answer.begin(), n, colourBlock_.begin() + proto::kColourPageOffset[page]);
    }
    pause(proto::kPauseAfterBlockMs);
  }

  // 3. Page 0: the enabled loop colours packed in colour order; page 2: the
  // DPI LED mask. Page 1 stays as the mouse gave it.
  {
    auto page0 = colourBlock_.begin() + proto::kColourPageOffset[proto::kColourLoopPage];
    std::fill_n(page0, proto::kColourPageSize[proto::kColourLoopPage], 0);
    for (std::size_t c = 0; c < kLoopColors; ++c) {
      if (config.loopColorEnabled[c] != proto::kLoopColorOn) continue;
      page0 = std::copy_n(config.loopColor[c], 3, page0);
    }
    std::copy_n(config.dpiLedMask, proto::kColourPageSize[proto::kColourLedMaskPage],
                colourBlock_.begin() + proto::kColourPageOffset[proto::kColourLedMaskPage]);
  }

  // 4. Colour block write.
  for (std::size_t page = 0; page < proto::kColourPages; ++page) {
    FeatureReport h(proto::kCmdColourWrite, static_cast<std::uint8_t>(page),
                    static_cast<std::uint8_t>(proto::kColourPageSize[page]));
    ChunkBuffer data{};
    std::copy_n(colourBlock_.begin() + proto::kColourPageOffset[page], proto::kColourPageSize[page],
                data.begin());
    transferBlock(h, data);
    pause(proto::kPauseAfterBlockMs);
  }

  // 5. LED effect; a mode outside 1..3 repeats the previous Apply's bytes.
  {
    if (config.ledMode >= proto::kLedModeFirst && config.ledMode <= proto::kLedModeLast) {
      ledBytes_[0] = config.ledMode;
      ledBytes_[1] = static_cast<std::uint8_t>(config.ledParam[config.ledMode - 1] + 1);
    }
    FeatureReport r(proto::kCmdLedEffect, ledBytes_[0], ledBytes_[1], proto::kLedEffectConstant);
    sendCommand(r);
  }

  // 6. DPI stage codes: bit 7 marks a disabled stage; stages 5..8 are off.
  {
    ChunkBuffer codes{};
    for (std::size_t s = 0; s < proto::kDpiPayloadSize; ++s) codes[s] = proto::kDpiStageOff;
    for (std::size_t s = 0; s < kDpiStages; ++s) {
      const std::uint8_t code = dpiCode(activeSensorType_, config.dpiStageValue[s]) & proto::kDpiCodeMask;
      codes[s] =
          config.dpiStageEnabled[s] != 0 ? code : static_cast<std::uint8_t>(code | proto::kDpiStageOff);
    }
    FeatureReport h(proto::kCmdDpiWrite, proto::kDpiStageCount,
                    static_cast<std::uint8_t>(proto::kDpiPayloadSize));
    transferBlock(h, codes);
  }

  // 7. Macro images.
  for (std::uint8_t m = 1; m <= proto::kMacroCount; ++m) {
    std::array<std::uint8_t, proto::kMacroImageSize> image{};
    std::memcpy(image.data(), config.macroImage[m - 1], image.size());
    FeatureReport h(proto::kCmdMacroWrite, m, static_cast<std::uint8_t>(proto::kMacroImageSize));
    transferBlock(h, image);
    pause(proto::kPauseAfterBlockMs);
  }

  // 8. Macro read-back; the answers are read and dropped.
  for (std::uint8_t m = 1; m <= proto::kMacroCount; ++m) {
    std::array<std::uint8_t, proto::kMacroImageSize> image{};
    FeatureReport h(proto::kCmdMacroRead, m);
    transferBlock(h, image);
    pause(proto::kPauseAfterBlockMs);
  }

  // 9. Key matrices 1..4.
  {
    KeyMatrices tables = buildKeyMatrices(config);
    for (std::uint8_t t = 1; t <= proto::kKeyMatrixTables; ++t) {
      KeyMatrix& table = tables[t - 1];
      logLine(keyMatrixDiagnostic(t, table));
      FeatureReport h(proto::kCmdKeyMatrixWrite, t, static_cast<std::uint8_t>(proto::kKeyMatrixSize));
      transferBlock(h, table);
      pause(proto::kPauseAfterBlockMs);
    }
  }

  // 10. The files.
  const bool configSaved = saveConfigFile(files.configBin, config, files.sink).ok();
  const bool textsSaved = saveButtonTexts(files.strIni, files.language, files.texts).ok();
  if (!textsSaved) files.sink.showMessage(kButtonTextsSaveFailed, "");
  return configSaved && textsSaved;
}

}  // namespace hm
