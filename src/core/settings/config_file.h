// SPDX-License-Identifier: GPL-3.0-or-later
// config.bin: the stored configuration.
//
// Byte contract (exactly kConfigFileSize bytes, nothing else):
//   offset 0      1 byte     first-run flag: 0 = the factory file, 1 = written by "Apply"
//   offset 1   2021 bytes    MouseConfig, byte for byte (settings/mouse_config.h)
// The program never creates config.bin: a factory copy sits beside the
// executable and is only read and overwritten.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "core/error.h"
#include "core/settings/message_sink.h"
#include "core/settings/mouse_config.h"

namespace hm {

constexpr std::size_t kConfigFileSize = 2022;  // first-run flag + record
constexpr std::size_t kConfigFlagSize = 1;
static_assert(kConfigFileSize == kConfigFlagSize + MouseConfig::kSize);

constexpr const char* kConfigMissingText = "Config file is not exist.";
constexpr const char* kConfigWriteErrorFormat = "Error Code is: %d \n";
constexpr const char* kConfigWriteErrorCaption = "NULL ==fp ";

// Receives the diagnostic lines composed after loading and saving; they are
// shown nowhere by default.
using ConfigLog = std::function<void(const std::string&)>;

// Reads config.bin: missing → "Config file is not exist." (caption ""), ENOENT;
// unreadable → its Error, silently; another size → EINVAL (EFBIG when longer),
// silently. In every failing case config is zero-filled and firstRunFlag 0.
Status loadConfigFile(const std::string& path, MouseConfig& config, std::uint8_t& firstRunFlag,
                      MessageSink& sink, const ConfigLog& log = {});
// Writes flag 1 + record, never creating the file (missing → "Config file is not
// exist.", ENOENT). The file is replaced atomically where its folder allows,
// else written in place; on failure "Error Code is: %d \n" (the errno) is shown
// with caption "NULL ==fp " and the Error given back.
Status saveConfigFile(const std::string& path, const MouseConfig& config, MessageSink& sink,
                      const ConfigLog& log = {});
// Writes a complete config.bin image (creating the file). Used by the factory
// generator, hidmousectl and tests.
Status writeConfigImage(const std::string& path, std::uint8_t firstRunFlag, const MouseConfig& config);
// The record shipped in the factory config.bin.
MouseConfig factoryConfig();

}  // namespace hm
