// SPDX-License-Identifier: GPL-3.0-or-later
// The mouse's HID protocol: identity, collections, command codes, lengths,
// pauses, notification events and the texts the device link shows. Every
// number the device code uses is named here.
#pragma once

#include <cstddef>
#include <cstdint>

namespace hm::proto {

// ---- Identity -------------------------------------------------------------
constexpr std::uint16_t kVendorId = 0x04D9;
constexpr std::uint16_t kProductId = 0xA09F;

// Command collection: feature-report commands and 32-byte data reports.
constexpr std::uint16_t kCommandUsagePage = 0xFF00;
constexpr std::uint16_t kCommandUsage = 0xFF00;
// Notification collection: the mouse's unsolicited input reports.
constexpr std::uint16_t kNotificationUsagePage = 0xFF01;
constexpr std::uint16_t kNotificationUsage = 0xFF01;

// Interface paths that belong to the mouse contain one of these (exact,
// case-sensitive, tested in this order). The first two are the Windows
// device-interface forms, the third the Linux HID id (bus:vendor:product)
// that every sysfs path of the mouse carries.
constexpr const char* kPathIdWindowsMixed = "Vid_04d9&Pid_a09f";
constexpr const char* kPathIdWindowsUpper = "VID_04D9&PID_A09F";
constexpr const char* kPathIdLinux = "0003:04D9:A09F";

// ---- Framing ---------------------------------------------------------------
constexpr std::size_t kFeatureReportSize = 8;  // FeatureReport bytes
constexpr std::size_t kChecksumIndex = 7;      // byte 7 = 0xFF - sum(0..6)
constexpr std::uint8_t kChecksumBase = 0xFF;
constexpr std::uint8_t kReadFlag = 0x80;        // bit 7 of the code: a read
constexpr std::uint8_t kReportIdNone = 0;       // report ID of both collections
constexpr std::size_t kFeatureBufferSize = 16;  // wire buffer of one feature report
constexpr std::size_t kDataBufferSize = 40;     // wire buffer of one data report
constexpr std::size_t kChunkSize = 32;          // payload bytes per data report
constexpr std::size_t kMaxBlockPayload = 256;   // 8 chunks (header byte 2 is 0..255)
constexpr std::size_t kFirstParamByte = 1;      // bytes 1..6 are parameters
constexpr std::size_t kHeaderPageByte = 1;      // block/page number in a header
constexpr std::size_t kHeaderLengthByte = 2;    // payload length in a header

// ---- Command codes -----------------------------------------------------------
constexpr std::uint8_t kCmdReportRate = 0x01;      // 1: reportInterval
constexpr std::uint8_t kCmdSensorWrite = 0x03;     // 1..4: sensor info bytes
constexpr std::uint8_t kCmdSensorRead = 0x83;      // answer 1..4: sensor info
constexpr std::uint8_t kCmdLedEffect = 0x0D;       // 1: mode, 2: param + 1, 3: 3
constexpr std::uint8_t kCmdColourWrite = 0x10;     // block: page 0..2
constexpr std::uint8_t kCmdColourRead = 0x90;      // block read: page 0..2
constexpr std::uint8_t kCmdDpiWrite = 0x11;        // block: 4 stages, 8 bytes
constexpr std::uint8_t kCmdKeyMatrixWrite = 0x12;  // block: table 1..4, 64 bytes
constexpr std::uint8_t kCmdMacroWrite = 0x13;      // block: macro 1..12, 128 bytes
constexpr std::uint8_t kCmdMacroRead = 0x93;       // block read: macro 1..12

// ---- Payloads -----------------------------------------------------------------
constexpr std::size_t kColourPages = 3;
constexpr std::size_t kColourPageSize[kColourPages] = {24, 24, 4};
constexpr std::size_t kColourPageOffset[kColourPages] = {0, 24, 48};
constexpr std::size_t kColourBlockSize = 52;
constexpr std::size_t kColourLoopPage = 0;     // packed enabled loop colours
constexpr std::size_t kColourMousePage = 1;    // sent back as the mouse gave it
constexpr std::size_t kColourLedMaskPage = 2;  // dpiLedMask
constexpr std::uint8_t kLoopColorOn = 1;

constexpr std::uint8_t kLedModeFirst = 1;
constexpr std::uint8_t kLedModeLast = 3;
constexpr std::uint8_t kLedEffectConstant = 3;  // byte 3 of 0x0D
constexpr std::size_t kLedEffectBytes = 3;      // bytes 1..3 of 0x0D

constexpr std::uint8_t kDpiStageCount = 4;   // byte 1 of 0x11
constexpr std::size_t kDpiPayloadSize = 8;   // stages 1..8
constexpr std::uint8_t kDpiStageOff = 0x80;  // bit 7: stage disabled
constexpr std::uint8_t kDpiCodeMask = 0x7F;

constexpr std::uint8_t kKeyMatrixTables = 4;
constexpr std::size_t kKeyMatrixSize = 64;  // bytes of one table
constexpr std::size_t kKeyEntrySize = 4;    // bytes of one entry, byte 0 its type
constexpr std::size_t kKeyMatrixEntries = kKeyMatrixSize / kKeyEntrySize;
constexpr std::uint8_t kMacroCount = 12;
constexpr std::size_t kMacroImageSize = 128;

constexpr std::size_t kSensorInfoSize = 4;         // type, rate, option 1, option 2
constexpr std::uint8_t kSensorOption2Flag = 0x40;  // set by the handshake

// ---- Pauses (milliseconds, minimums the mouse needs) ---------------------------
constexpr unsigned kPauseAfterDataReportMs = 3;  // after each written data report
constexpr unsigned kPauseAfterBlockMs = 2;       // after colour pages, macros, tables
constexpr unsigned kSyncReadTimeoutMs = 1000;    // a data report that never comes
// "Apply": 1 + 3 + 3 + 1 + 1 + 12 + 12 + 4 command headers, 60 written data
// reports, 34 pauses of 2 ms; 248 ms of pauses in all.
constexpr unsigned kApplyCommandCount = 37;
constexpr unsigned kApplyDataReports = 60;
constexpr unsigned kApplyBlockPauses = 34;
constexpr unsigned kApplyPauseFloorMs =
    kApplyDataReports * kPauseAfterDataReportMs + kApplyBlockPauses * kPauseAfterBlockMs;
static_assert(kApplyPauseFloorMs == 248);

// ---- Notifications --------------------------------------------------------------
constexpr std::size_t kNotificationBufferSize = 40;
constexpr std::uint8_t kNotificationReportId = 6;
constexpr std::size_t kNotificationTypeByte = 1;
constexpr std::size_t kNotificationValueByte = 3;
constexpr int kEventReportRate = 5;  // value: report interval 1, 2, 4, 8 ms
constexpr int kEventDpiStage = 7;    // value: stage 1..4
constexpr int kEventKeyMatrix = 8;   // value: matrix 1 or 2
constexpr int kEventMacroKey = 9;    // value: macro key, non-zero
// Sent by the program (value 0) when the mouse cannot be opened, and by the
// mouse itself as it goes away.
constexpr int kEventMouseMissing = 15;

constexpr bool isForwardedEvent(int type) {
  return type == kEventReportRate || type == kEventDpiStage || type == kEventKeyMatrix ||
         type == kEventMacroKey || type == kEventMouseMissing;
}

// ---- The mouse's collections -------------------------------------------------
// What their capabilities announce: the report ID byte and the data bytes.
// The command collection has no report IDs; a notification carries its ID 6.
constexpr std::size_t kReportIdBytes = 1;
constexpr std::size_t kNotificationDataSize = 8;  // bytes after the report ID
constexpr std::uint16_t kCommandFeatureLength = kReportIdBytes + kFeatureReportSize;        // 9
constexpr std::uint16_t kCommandInputLength = kReportIdBytes + kChunkSize;                  // 33
constexpr std::uint16_t kCommandOutputLength = kReportIdBytes + kChunkSize;                 // 33
constexpr std::uint16_t kNotificationInputLength = kReportIdBytes + kNotificationDataSize;  // 9
static_assert(kCommandFeatureLength <= kFeatureBufferSize && kCommandInputLength <= kDataBufferSize &&
              kNotificationInputLength <= kNotificationBufferSize);

// ---- Device change ------------------------------------------------------------
constexpr std::uint32_t kDeviceArrival = 0x8000;
constexpr std::uint32_t kDeviceRemoveComplete = 0x8004;
constexpr std::uint32_t kDeviceTypeInterface = 5;

// ---- Texts ----------------------------------------------------------------------
constexpr const char* kMsgInterfaceDetailFailed = "SetupDiGetDeviceInterfaceDetail failed.\n";
constexpr const char* kMsgPreparsedDataFailed = "HidD_GetPreparsedData failed.\n";
constexpr const char* kMsgGetCapsFailed = "HidP_GetCaps failed.";
constexpr const char* kMsgMouseNotDetected = "The system did not detect the gaming mouse!";

// Diagnostic lines (logged with --verbose only).
constexpr const char* kDiagAttributes = "PID:%04x\n,VID:%04x\n,VersionNumber:%04x\n";
constexpr const char* kDiagCaps =
    "Usage:0x%04x\n, UsagePage:0x%04x\n,FeatureReportByteLength:0x%04x\n,"
    "InputReportByteLength:0x%x\n,OutputReportByteLength:0x%x\n";
constexpr const char* kDiagSensor = "Sensor Type:%02x\n,,Rate:%02x\n,Option1:%02x\n,Option2:%02x\n";
constexpr const char* kDiagKeyMatrix = "Write KeyMatrix[%d]:\n";

}  // namespace hm::proto
