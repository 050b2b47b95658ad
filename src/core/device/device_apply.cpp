// The device part of "Apply": the encoded reports, in the order and with the
// pauses the mouse needs. Saving the files is the caller's part.
#include <algorithm>

#include "core/device/apply_reports.h"
#include "core/device/device_link.h"

namespace hm {

namespace {

// One data-report chunk of payload, zero beyond what is copied in.
using ChunkBuffer = std::array<std::uint8_t, proto::kChunkSize>;

}  // namespace

std::optional<ExchangeFailure> DeviceLink::sendApply(const ApplyReports& reports) {
  std::optional<ExchangeFailure> first;
  auto keep = [&](bool ok) {
    if (!ok && !first) first = exchangeFailure_;
  };
  // Silence found in this Apply ends with it: the next one tries again.
  applying_ = true;
  silent_ = false;
  struct EndOfApply {
    DeviceLink& link;
    ~EndOfApply() { link.applying_ = link.silent_ = false; }
  } endOfApply{*this};

  // 1. Report rate.
  {
    FeatureReport r = reports.reportRate;
    keep(sendCommand(r));
  }

  // 2. Colour block read: an answer is kept only for the page asked for.
  for (std::size_t page = 0; page < proto::kColourPages; ++page) {
    FeatureReport h = reports.colourReads[page];
    ChunkBuffer answer{};
    keep(transferBlock(h, answer));
    if (h[proto::kHeaderPageByte] == page) {
      const std::size_t n = std::min<std::size_t>(h[proto::kHeaderLengthByte], proto::kColourPageSize[page]);
      std::copy_n(answer.begin(), n, colourBlock_.begin() + proto::kColourPageOffset[page]);
    }
    pause(proto::kPauseAfterBlockMs);
  }

  // 3. Pages 0 and 2 as encoded; page 1 stays as the mouse gave it.
  std::copy(reports.loopPage.begin(), reports.loopPage.end(),
            colourBlock_.begin() + proto::kColourPageOffset[proto::kColourLoopPage]);
  std::copy(reports.ledMaskPage.begin(), reports.ledMaskPage.end(),
            colourBlock_.begin() + proto::kColourPageOffset[proto::kColourLedMaskPage]);

  // 4. Colour block write.
  for (std::size_t page = 0; page < proto::kColourPages; ++page) {
    FeatureReport h = reports.colourWrites[page];
    ChunkBuffer data{};
    std::copy_n(colourBlock_.begin() + proto::kColourPageOffset[page], proto::kColourPageSize[page],
                data.begin());
    keep(transferBlock(h, data));
    pause(proto::kPauseAfterBlockMs);
  }

  // 5. LED effect.
  {
    FeatureReport r = reports.ledEffect;
    keep(sendCommand(r));
    ledBytes_ = reports.ledBytes();
  }

  // 6. DPI stage codes.
  {
    FeatureReport h = reports.dpiWrite;
    ChunkBuffer codes{};
    std::copy(reports.dpiCodes.begin(), reports.dpiCodes.end(), codes.begin());
    keep(transferBlock(h, codes));
  }

  // 7. Macro images.
  for (std::size_t m = 0; m < proto::kMacroCount; ++m) {
    FeatureReport h = reports.macroWrites[m];
    MacroImage image = reports.macroImages[m];
    keep(transferBlock(h, image));
    pause(proto::kPauseAfterBlockMs);
  }

  // 8. Macro read-back; the answers are read and dropped.
  for (std::size_t m = 0; m < proto::kMacroCount; ++m) {
    FeatureReport h = reports.macroReads[m];
    MacroImage image{};
    keep(transferBlock(h, image));
    pause(proto::kPauseAfterBlockMs);
  }

  // 9. Key matrices 1..4.
  for (std::size_t t = 0; t < proto::kKeyMatrixTables; ++t) {
    KeyMatrix table = reports.keyMatrices[t];
    logLine(keyMatrixDiagnostic(static_cast<int>(t + 1), table));
    FeatureReport h = reports.keyMatrixWrites[t];
    keep(transferBlock(h, table));
    pause(proto::kPauseAfterBlockMs);
  }
  return first;
}

}  // namespace hm
