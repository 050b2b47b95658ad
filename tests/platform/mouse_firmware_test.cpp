// SPDX-License-Identifier: GPL-3.0-or-later
// The mouse's firmware model through its wire interface: framed reports in,
// stored state, answers and input reports out.
#include "platform/hid/mouse_firmware.h"

#include <gtest/gtest.h>

#include <functional>

#include "platform/hid/report_descriptor.h"
#include "support/param_name.h"

namespace hm {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Collection = MouseFirmware::Collection;

Bytes frame(const FeatureReport& r) {
  Bytes b(proto::kCommandFeatureLength, proto::kReportIdNone);
  std::copy(r.bytes.begin(), r.bytes.end(), b.begin() + proto::kReportIdBytes);
  return b;
}

// `reports` output reports of `fill` bytes, report ID 0 first.
void sendData(MouseFirmware& fw, std::size_t reports, std::uint8_t fill) {
  for (std::size_t i = 0; i < reports; ++i) {
    Bytes data(proto::kCommandOutputLength, fill);
    data[0] = proto::kReportIdNone;
    EXPECT_TRUE(fw.outputReport(data));
  }
}

void blockWrite(MouseFirmware& fw, std::uint8_t code, std::uint8_t number, std::size_t length,
                std::uint8_t fill) {
  EXPECT_TRUE(fw.setFeatureReport(frame(FeatureReport(code, number, static_cast<std::uint8_t>(length)))));
  sendData(fw, (length + proto::kChunkSize - 1) / proto::kChunkSize, fill);
}

TEST(MouseFirmware, ItsReportDescriptorsAnnounceTheCollectionsOfTheMouse) {
  const auto command = parseReportDescriptor(MouseFirmware::reportDescriptor(Collection::Command));
  ASSERT_TRUE(command);
  ASSERT_EQ(command->collections.size(), 1u);
  EXPECT_EQ(command->collections[0].caps,
            (HidCaps{proto::kCommandUsage, proto::kCommandUsagePage, proto::kCommandInputLength,
                     proto::kCommandOutputLength, proto::kCommandFeatureLength}));
  EXPECT_FALSE(command->usesReportIds);

  const auto note = parseReportDescriptor(MouseFirmware::reportDescriptor(Collection::Notification));
  ASSERT_TRUE(note);
  ASSERT_EQ(note->collections.size(), 1u);
  EXPECT_EQ(note->collections[0].caps, (HidCaps{proto::kNotificationUsage, proto::kNotificationUsagePage,
                                                proto::kNotificationInputLength, 0, 0}));
  EXPECT_EQ(note->collections[0].inputReportIds, std::set<std::uint8_t>{proto::kNotificationReportId});
}

// ---------------------------------------------------------------------------
// What the mouse stores. Everything it keeps, laid end to end: report
// interval, sensor options, LED effect, colour block, DPI codes, the four key
// matrices and the twelve macros.

constexpr std::size_t kAtSensor = 1;
constexpr std::size_t kAtLed = kAtSensor + proto::kSensorInfoSize;
constexpr std::size_t kAtColour = kAtLed + proto::kLedEffectBytes;
constexpr std::size_t kAtDpi = kAtColour + proto::kColourBlockSize;
constexpr std::size_t kAtKeyMatrix = kAtDpi + proto::kDpiPayloadSize;
constexpr std::size_t kAtMacro = kAtKeyMatrix + proto::kKeyMatrixTables * proto::kKeyMatrixSize;
constexpr std::size_t kStoredSize = kAtMacro + proto::kMacroCount * proto::kMacroImageSize;

Bytes stored(const MouseFirmware& fw) {
  Bytes out{fw.reportInterval()};
  const auto add = [&out](const auto& bytes) { out.insert(out.end(), bytes.begin(), bytes.end()); };
  add(fw.sensorOptions());
  add(fw.ledEffect());
  for (int p = 0; p < static_cast<int>(proto::kColourPages); ++p) add(fw.colourPage(p));
  add(fw.dpiCodes());
  for (int t = 1; t <= proto::kKeyMatrixTables; ++t) add(fw.keyMatrix(t));
  for (int m = 1; m <= proto::kMacroCount; ++m) add(fw.macroImage(m));
  return out;
}

constexpr std::uint8_t kFill = 0xA7;

struct StoreCase {
  const char* name;
  std::function<void(MouseFirmware&)> send;
  std::size_t at = 0, length = 0;  // where the stored image holds kFill afterwards
  int badChecksums = 0, strayReports = 0;
};

void PrintTo(const StoreCase& c, std::ostream* os) { *os << c.name; }

class FirmwareStoreTest : public ::testing::TestWithParam<StoreCase> {};

TEST_P(FirmwareStoreTest, KeepsWhatItWasToldAndNothingElse) {
  MouseFirmware fw;
  GetParam().send(fw);
  Bytes expected(kStoredSize, 0);
  std::fill_n(expected.begin() + static_cast<std::ptrdiff_t>(GetParam().at), GetParam().length, kFill);
  EXPECT_EQ(stored(fw), expected);
  EXPECT_EQ(fw.badChecksumCount(), GetParam().badChecksums);
  EXPECT_EQ(fw.strayDataReports(), GetParam().strayReports);
  EXPECT_FALSE(fw.inputPending(Collection::Command));
}

INSTANTIATE_TEST_SUITE_P(
    Commands, FirmwareStoreTest,
    ::testing::Values(
        StoreCase{"ReportRate",
                  [](MouseFirmware& fw) {
                    fw.setFeatureReport(frame(FeatureReport(proto::kCmdReportRate, kFill)));
                  },
                  0, 1},
        StoreCase{"SensorOptions",
                  [](MouseFirmware& fw) {
                    fw.setFeatureReport(
                        frame(FeatureReport(proto::kCmdSensorWrite, kFill, kFill, kFill, kFill)));
                  },
                  kAtSensor, proto::kSensorInfoSize},
        StoreCase{"LedEffect",
                  [](MouseFirmware& fw) {
                    fw.setFeatureReport(frame(FeatureReport(proto::kCmdLedEffect, kFill, kFill, kFill)));
                  },
                  kAtLed, proto::kLedEffectBytes},
        StoreCase{"ColourPage1",
                  [](MouseFirmware& fw) { blockWrite(fw, proto::kCmdColourWrite, 1, 24, kFill); },
                  kAtColour + proto::kColourPageOffset[1], proto::kColourPageSize[1]},
        // A length beyond the page stores the page only.
        StoreCase{"ColourPage2LongerThanThePage",
                  [](MouseFirmware& fw) { blockWrite(fw, proto::kCmdColourWrite, 2, 24, kFill); },
                  kAtColour + proto::kColourPageOffset[2], proto::kColourPageSize[2]},
        StoreCase{"ColourPage3DoesNotExist",
                  [](MouseFirmware& fw) { blockWrite(fw, proto::kCmdColourWrite, 3, 24, kFill); }},
        StoreCase{"DpiCodes",
                  [](MouseFirmware& fw) {
                    blockWrite(fw, proto::kCmdDpiWrite, proto::kDpiStageCount, proto::kDpiPayloadSize, kFill);
                  },
                  kAtDpi, proto::kDpiPayloadSize},
        StoreCase{"KeyMatrix4",
                  [](MouseFirmware& fw) {
                    blockWrite(fw, proto::kCmdKeyMatrixWrite, 4, proto::kKeyMatrixSize, kFill);
                  },
                  kAtKeyMatrix + 3 * proto::kKeyMatrixSize, proto::kKeyMatrixSize},
        StoreCase{"KeyMatrix5DoesNotExist",
                  [](MouseFirmware& fw) {
                    blockWrite(fw, proto::kCmdKeyMatrixWrite, 5, proto::kKeyMatrixSize, kFill);
                  }},
        StoreCase{"Macro12",
                  [](MouseFirmware& fw) {
                    blockWrite(fw, proto::kCmdMacroWrite, 12, proto::kMacroImageSize, kFill);
                  },
                  kAtMacro + 11 * proto::kMacroImageSize, proto::kMacroImageSize},
        // A shorter length stores that many bytes of its one data report.
        StoreCase{"MacroOfTenBytes",
                  [](MouseFirmware& fw) { blockWrite(fw, proto::kCmdMacroWrite, 1, 10, kFill); }, kAtMacro,
                  10},
        StoreCase{"MacroShortOfItsLastReport",
                  [](MouseFirmware& fw) {
                    fw.setFeatureReport(
                        frame(FeatureReport(proto::kCmdMacroWrite, 1, proto::kMacroImageSize)));
                    sendData(fw, 3, kFill);
                  }},
        // A command in the middle drops the block; its later reports are strays.
        StoreCase{"MacroCutByACommand",
                  [](MouseFirmware& fw) {
                    fw.setFeatureReport(
                        frame(FeatureReport(proto::kCmdMacroWrite, 1, proto::kMacroImageSize)));
                    sendData(fw, 2, kFill);
                    fw.setFeatureReport(frame(FeatureReport(proto::kCmdSensorRead)));
                    sendData(fw, 2, kFill);
                  },
                  0, 0, 0, 2},
        StoreCase{"BadChecksum",
                  [](MouseFirmware& fw) {
                    FeatureReport r(proto::kCmdMacroWrite, 1, proto::kMacroImageSize);
                    r[proto::kChecksumIndex] ^= 1;
                    fw.setFeatureReport(frame(r));
                    sendData(fw, 4, kFill);
                  },
                  0, 0, 1, 4},
        // Reports the collection does not declare are refused and change nothing.
        StoreCase{"OtherReportIds",
                  [](MouseFirmware& fw) {
                    Bytes header = frame(FeatureReport(proto::kCmdReportRate, kFill));
                    header[0] = proto::kNotificationReportId;
                    EXPECT_FALSE(fw.setFeatureReport(header));
                    EXPECT_TRUE(fw.setFeatureReport(frame(FeatureReport(proto::kCmdMacroWrite, 1, 32))));
                    Bytes data(proto::kCommandOutputLength, kFill);
                    EXPECT_FALSE(fw.outputReport(data));
                    EXPECT_FALSE(fw.outputReport({}));
                    EXPECT_FALSE(fw.setFeatureReport({}));
                  }}),
    hm::test::ParamName());

// ---------------------------------------------------------------------------
// What the mouse answers: the get-feature after a read command and the data
// reports of a block read, also when a fault bends the answer.

struct AnswerCase {
  const char* name;
  FeatureReport command;
  std::function<void(MouseFirmware&)> fault;
  FeatureReport answer;
  std::size_t reports;
  std::size_t payloadFrom, payloadLength;  // the answered bytes in source()
};

void PrintTo(const AnswerCase& c, std::ostream* os) { *os << c.name; }

// The colour block then the twelve macros, every byte different from its
// neighbours.
Bytes source() {
  Bytes b(proto::kColourBlockSize + proto::kMacroCount * proto::kMacroImageSize);
  for (std::size_t i = 0; i < b.size(); ++i) b[i] = static_cast<std::uint8_t>(i * 7 + 1);
  return b;
}
constexpr std::size_t macroAt(std::size_t m) {
  return proto::kColourBlockSize + (m - 1) * proto::kMacroImageSize;
}

class FirmwareAnswerTest : public ::testing::TestWithParam<AnswerCase> {};

TEST_P(FirmwareAnswerTest, AnswersTheReadAndQueuesItsDataReports) {
  MouseFirmware fw;
  const Bytes src = source();
  for (std::size_t p = 0; p < proto::kColourPages; ++p)
    fw.setColourPage(static_cast<int>(p),
                     Bytes(src.begin() + proto::kColourPageOffset[p],
                           src.begin() + proto::kColourPageOffset[p] + proto::kColourPageSize[p]));
  for (std::uint8_t m = 1; m <= proto::kMacroCount; ++m) {
    EXPECT_TRUE(fw.setFeatureReport(frame(FeatureReport(proto::kCmdMacroWrite, m, proto::kMacroImageSize))));
    for (std::size_t c = 0; c < proto::kMacroImageSize / proto::kChunkSize; ++c) {
      Bytes data(proto::kCommandOutputLength, 0);
      std::copy_n(src.begin() + macroAt(m) + c * proto::kChunkSize, proto::kChunkSize, data.begin() + 1);
      fw.outputReport(data);
    }
  }
  fw.setSensorAnswer({0x11, 0x22, 0x33, 0x44});
  if (GetParam().fault) GetParam().fault(fw);

  EXPECT_TRUE(fw.setFeatureReport(frame(GetParam().command)));
  Bytes answer(proto::kCommandFeatureLength, 0);
  EXPECT_TRUE(fw.getFeatureReport(answer));
  EXPECT_EQ(answer[0], proto::kReportIdNone);
  EXPECT_EQ(Bytes(answer.begin() + 1, answer.end()),
            Bytes(GetParam().answer.bytes.begin(), GetParam().answer.bytes.end()));

  Bytes payload;
  std::size_t reports = 0;
  while (auto r = fw.nextInputReport(Collection::Command)) {
    ASSERT_EQ(r->size(), proto::kCommandInputLength);
    EXPECT_EQ((*r)[0], proto::kReportIdNone);
    payload.insert(payload.end(), r->begin() + 1, r->end());
    ++reports;
  }
  EXPECT_EQ(reports, GetParam().reports);
  Bytes expected(reports * proto::kChunkSize, 0);
  const std::size_t n = std::min(GetParam().payloadLength, expected.size());
  std::copy_n(src.begin() + static_cast<std::ptrdiff_t>(GetParam().payloadFrom), n, expected.begin());
  EXPECT_EQ(payload, expected);
  EXPECT_FALSE(fw.inputPending(Collection::Notification));
}

INSTANTIATE_TEST_SUITE_P(
    Reads, FirmwareAnswerTest,
    ::testing::Values(
        AnswerCase{"SensorInfo", FeatureReport(proto::kCmdSensorRead), nullptr,
                   FeatureReport(proto::kCmdSensorRead, 0x11, 0x22, 0x33, 0x44), 0, 0, 0},
        AnswerCase{"ColourPage1", FeatureReport(proto::kCmdColourRead, 1), nullptr,
                   FeatureReport(proto::kCmdColourRead, 1, 24), 1, proto::kColourPageOffset[1], 24},
        AnswerCase{"ColourPage2", FeatureReport(proto::kCmdColourRead, 2), nullptr,
                   FeatureReport(proto::kCmdColourRead, 2, 4), 1, proto::kColourPageOffset[2], 4},
        AnswerCase{"ColourPage3DoesNotExist", FeatureReport(proto::kCmdColourRead, 3), nullptr,
                   FeatureReport(proto::kCmdColourRead, 3, 0), 0, 0, 0},
        AnswerCase{"Macro12", FeatureReport(proto::kCmdMacroRead, 12), nullptr,
                   FeatureReport(proto::kCmdMacroRead, 12, 128), 4, macroAt(12), 128},
        AnswerCase{"Macro0DoesNotExist", FeatureReport(proto::kCmdMacroRead, 0), nullptr,
                   FeatureReport(proto::kCmdMacroRead, 0, 0), 0, 0, 0},
        AnswerCase{"AnswerNamingAnotherPage", FeatureReport(proto::kCmdColourRead, 0),
                   [](MouseFirmware& fw) { fw.setFaults({.colourAnswerPage = 2}); },
                   FeatureReport(proto::kCmdColourRead, 2, 24), 1, 0, 24},
        // A longer announced length sends more data reports, padded with zeros.
        AnswerCase{"AnswerAnnouncingMore", FeatureReport(proto::kCmdColourRead, 2),
                   [](MouseFirmware& fw) { fw.setFaults({.answerLength = 40}); },
                   FeatureReport(proto::kCmdColourRead, 2, 40), 2, proto::kColourPageOffset[2], 4},
        AnswerCase{"AnswerAnnouncingTooMuch", FeatureReport(proto::kCmdMacroRead, 1),
                   [](MouseFirmware& fw) { fw.setFaults({.answerLength = 1000}); },
                   FeatureReport(proto::kCmdMacroRead, 1, 255), 8, macroAt(1), 128},
        AnswerCase{"AnswerShortOfAReport", FeatureReport(proto::kCmdMacroRead, 3),
                   [](MouseFirmware& fw) { fw.setFaults({.missingAnswerReports = 1}); },
                   FeatureReport(proto::kCmdMacroRead, 3, 128), 3, macroAt(3), 96}),
    hm::test::ParamName());

TEST(MouseFirmware, LosesItsQueuesButNotItsMemoryWithThePower) {
  MouseFirmware fw;
  blockWrite(fw, proto::kCmdMacroWrite, 2, proto::kMacroImageSize, kFill);
  fw.setFeatureReport(frame(FeatureReport(proto::kCmdMacroRead, 2)));
  fw.sendNotificationReport({proto::kNotificationReportId, proto::kEventDpiStage, 0, 2});
  fw.setFeatureReport(frame(FeatureReport(proto::kCmdKeyMatrixWrite, 1, proto::kKeyMatrixSize)));
  sendData(fw, 1, kFill);
  ASSERT_TRUE(fw.inputPending(Collection::Command));
  ASSERT_TRUE(fw.inputPending(Collection::Notification));

  fw.powerOff();
  EXPECT_FALSE(fw.nextInputReport(Collection::Command));
  EXPECT_FALSE(fw.nextInputReport(Collection::Notification));
  sendData(fw, 1, kFill);  // the key matrix's second report: its block is gone
  EXPECT_EQ(fw.strayDataReports(), 1);
  EXPECT_EQ(fw.keyMatrix(1), (std::array<std::uint8_t, proto::kKeyMatrixSize>{}));
  EXPECT_EQ(fw.macroImage(2)[proto::kMacroImageSize - 1], kFill);
}

}  // namespace
}  // namespace hm
