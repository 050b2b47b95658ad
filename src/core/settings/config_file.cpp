// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/settings/config_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "core/settings/regular_file.h"

namespace hm {
namespace {

constexpr std::uint8_t kWrittenByApplyFlag = 1;

std::string format(const char* fmt, int a) {
  char buf[128];
  std::snprintf(buf, sizeof buf, fmt, a);
  return buf;
}

std::string format(const char* fmt, int a, int b) {
  char buf[128];
  std::snprintf(buf, sizeof buf, fmt, a, b);
  return buf;
}

std::string format(const char* fmt, int a, int b, int c) {
  char buf[128];
  std::snprintf(buf, sizeof buf, fmt, a, b, c);
  return buf;
}

constexpr const char* kLoadDiagnosticFormat = "Prpgram First Run Flag:%d\nRead Size is: %d";
constexpr const char* kSaveDiagnosticFormat = "Data num:%d BYTE -%d BYTE\n Struct size:%d BYTE";

std::string imageOf(std::uint8_t flag, const MouseConfig& config) {
  std::string bytes(kConfigFileSize, '\0');
  bytes[0] = static_cast<char>(flag);
  config.toBytes(reinterpret_cast<std::uint8_t*>(bytes.data()) + kConfigFlagSize);
  return bytes;
}

}  // namespace

Status loadConfigFile(const std::string& path, MouseConfig& config, std::uint8_t& firstRunFlag,
                      MessageSink& sink, const ConfigLog& log) {
  config.clear();
  firstRunFlag = 0;
  if (!fileExists(path)) {
    sink.showMessage(kConfigMissingText, "");
    return Error{"stat(" + path + ")", ENOENT};
  }
  // Unreadable or of another size: silent, the record stays zero.
  Result<std::string> image = readRegularFile(path, kConfigFileSize);
  if (!image) return image.status();
  const std::string& bytes = image.value();
  if (bytes.size() != kConfigFileSize) return Error{"read(" + path + ")", EINVAL};
  firstRunFlag = static_cast<std::uint8_t>(bytes[0]);
  config.fromBytes(reinterpret_cast<const std::uint8_t*>(bytes.data()) + kConfigFlagSize);
  if (log) log(format(kLoadDiagnosticFormat, firstRunFlag, static_cast<int>(bytes.size() - kConfigFlagSize)));
  return {};
}

Status saveConfigFile(const std::string& path, const MouseConfig& config, MessageSink& sink,
                      const ConfigLog& log) {
  if (!fileExists(path)) {
    sink.showMessage(kConfigMissingText, "");
    return Error{"stat(" + path + ")", ENOENT};
  }
  Status saved = writeFileAtomically(path, imageOf(kWrittenByApplyFlag, config));
  if (!saved) {
    if (log) log(saved.error().text());
    sink.showMessage(format(kConfigWriteErrorFormat, saved.code()), kConfigWriteErrorCaption);
    return saved;
  }
  if (log)
    log(format(kSaveDiagnosticFormat, static_cast<int>(kConfigFlagSize), static_cast<int>(MouseConfig::kSize),
               static_cast<int>(MouseConfig::kSize)));
  return {};
}

Status writeConfigImage(const std::string& path, std::uint8_t firstRunFlag, const MouseConfig& config) {
  return writeFileAtomically(path, imageOf(firstRunFlag, config));
}

// Factory record: the "Default" button assignments in both modes and sane
// values for everything else, valid for every sensor type.
MouseConfig factoryConfig() {
  // Function list indices (Left, Right, Mid, Forward, Backward, DPI Switch,
  // DPI Switch, Key Off, Key Off), then Key Off for the stored-only slots.
  constexpr std::uint8_t kFunctions[kButtonSlots] = {0, 1, 2, 3, 4, 6, 6, 15, 15, 15, 15, 15};
  constexpr std::uint8_t kDpiUp = 1, kDpiDown = 2;
  constexpr std::size_t kDpiUpSlot = 5, kDpiDownSlot = 6;
  constexpr std::uint8_t kFireSpeed = 10;  // 5..255
  constexpr std::uint8_t kReportIntervalMs = 1;
  // Steps 1, 3, 5, 7 lie inside every sensor type's table (at least 8 steps).
  constexpr std::uint8_t kDpiSteps[kDpiStages] = {1, 3, 5, 7};
  constexpr std::uint8_t kStandardLedMode = 1;
  constexpr std::uint8_t kLoopColours[kLoopColors][3] = {{255, 0, 0},   {0, 255, 0},    {0, 0, 255},
                                                         {255, 255, 0}, {0, 255, 255},  {255, 0, 255},
                                                         {255, 128, 0}, {255, 255, 255}};
  // Stage 1 lights LED bit 0, stage 2 bit 1, stage 3 bit 2, stage 4 bit 3;
  // byte 0 holds stages 1 (low nibble) and 2 (high nibble), byte 1 stages 3 and 4.
  constexpr std::uint8_t kDpiLedMask[4] = {0x21, 0x84, 0x00, 0x00};
  constexpr std::uint8_t kPointerSpeedStep = 6, kScrollLines = 3, kDoubleClickStep = 6;

  MouseConfig c;
  c.clear();
  for (std::size_t m = 0; m < 2; ++m) {
    ButtonBlock& b = c.mode[m];
    for (std::size_t s = 0; s < kButtonSlots; ++s) {
      b.function[s] = kFunctions[s];
      b.fireSpeed[s] = kFireSpeed;
    }
    c.dpiAction[m][kDpiUpSlot] = kDpiUp;
    c.dpiAction[m][kDpiDownSlot] = kDpiDown;
  }
  c.reportInterval = kReportIntervalMs;
  for (std::size_t s = 0; s < kDpiStages; ++s) {
    c.dpiStageValue[s] = kDpiSteps[s];
    c.dpiStageEnabled[s] = 1;
  }
  c.ledMode = kStandardLedMode;
  for (std::size_t k = 0; k < kLoopColors; ++k) {
    c.loopColorEnabled[k] = 1;
    for (std::size_t ch = 0; ch < 3; ++ch) c.loopColor[k][ch] = kLoopColours[k][ch];
  }
  std::memcpy(c.dpiLedMask, kDpiLedMask, sizeof kDpiLedMask);
  c.enhancePointerPrecision = 1;
  c.pointerSpeedStep = kPointerSpeedStep;
  c.scrollLines = kScrollLines;
  c.doubleClickStep = kDoubleClickStep;
  c.editedMode = kModeA;
  return c;
}

}  // namespace hm
