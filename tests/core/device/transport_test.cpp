// SPDX-License-Identifier: GPL-3.0-or-later
// Command framing and block transfers against the simulated mouse.
#include <gtest/gtest.h>

#include <chrono>
#include <numeric>

#include "link_fixture.h"

namespace hm {
namespace {

using test::LinkFixture;

struct ChecksumCase {
  std::array<std::uint8_t, 7> head;
  std::uint8_t checksum;
};

class ChecksumTest : public ::testing::TestWithParam<ChecksumCase> {};

TEST_P(ChecksumTest, IsComplementOfTheSumOfBytesZeroToSix) {
  FeatureReport r;
  std::copy(GetParam().head.begin(), GetParam().head.end(), r.bytes.begin());
  r[7] = 0x5A;  // whatever the caller left there
  r.seal();
  EXPECT_EQ(r[7], GetParam().checksum);
  EXPECT_TRUE(r.checksumValid());
}

INSTANTIATE_TEST_SUITE_P(Reports, ChecksumTest,
                         ::testing::Values(ChecksumCase{{0x83, 0, 0, 0, 0, 0, 0}, 0x7C},
                                           ChecksumCase{{0x01, 8, 0, 0, 0, 0, 0}, 0xF6},
                                           ChecksumCase{{0xFF, 0, 0, 0, 0, 0, 0}, 0x00},  // sum 0xFF gives 0
                                           ChecksumCase{{0x80, 0x40, 0x3F, 0, 0, 0, 0}, 0x00},
                                           ChecksumCase{{0x10, 2, 4, 0, 0, 0, 0}, 0xE9},
                                           ChecksumCase{{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF},
                                                        0x06},  // wraps
                                           ChecksumCase{{0, 0, 0, 0, 0, 0, 0}, 0xFF}));

TEST(SendCommand, FramesTheReportAfterReportIdZeroWithTheFeatureLength) {
  LinkFixture f;
  f.mouse.setSensorAnswer({0x02, 0x11, 0x22, 0x33});
  ASSERT_EQ(f.link.openMouse(), 1);
  FeatureReport r(proto::kCmdSensorRead);
  f.link.sendCommand(r);
  ASSERT_EQ(f.trace.size(), 2u);
  EXPECT_EQ(f.trace[0], "set-feature 00 83 00 00 00 00 00 00 7c");
  EXPECT_EQ(f.trace[1], "get-feature 00 83 02 11 22 33 00 00 " +
                            traceHex(std::vector<std::uint8_t>{FeatureReport(0x83, 2, 0x11, 0x22, 0x33)[7]}));
  EXPECT_EQ(r, FeatureReport(0x83, 0x02, 0x11, 0x22, 0x33));
}

TEST(SendCommand, OverwritesACallerChecksumSoTheMouseAcceptsIt) {
  LinkFixture f;
  ASSERT_EQ(f.link.openMouse(), 1);
  FeatureReport r(proto::kCmdReportRate, 8);
  r[7] = 0x00;
  f.link.sendCommand(r);
  EXPECT_EQ(f.mouse.badChecksumCount(), 0);
  EXPECT_EQ(f.mouse.reportInterval(), 8);
  EXPECT_EQ(f.trace.at(0), "set-feature 00 01 08 00 00 00 00 00 f6");
}

TEST(SendCommand, WithoutTheMouseAReadAnswerIsZeroAndNothingIsTraced) {
  LinkFixture f(false);
  ASSERT_EQ(f.link.openMouse(), 0);
  FeatureReport r(proto::kCmdSensorRead);
  EXPECT_FALSE(f.link.sendCommand(r));
  EXPECT_EQ(r, FeatureReport{});
  EXPECT_TRUE(f.trace.empty());
  EXPECT_EQ(f.link.lastExchangeFailure(),
            (ExchangeFailure{0x83, "set-feature", Error{"HID command collection", ENODEV}}));
}

// A failed call is traced with its errno's name and kept as the exchange's
// first failure; the exchange still makes its other calls.
TEST(Exchange, AFailedCallIsTracedWithItsErrnoNameAndTheFirstIsKept) {
  auto zeros = [](std::size_t n) {
    std::string s;
    for (std::size_t i = 0; i < n; ++i) s += " 00";
    return s;
  };
  const Error gone{"HIDIOCSFEATURE", ENODEV};
  struct Case {
    const char* name;
    FeatureReport report;
    bool block;
    std::vector<std::string> trace;
    ExchangeFailure failure;
  };
  const Case cases[] = {
      {"write command",
       FeatureReport(proto::kCmdReportRate, 8),
       false,
       {"set-feature 00 01 08 00 00 00 00 00 f6 ! ENODEV"},
       {0x01, "set-feature", gone}},
      {"read command",
       FeatureReport(proto::kCmdSensorRead),
       false,
       {"set-feature 00 83 00 00 00 00 00 00 7c ! ENODEV", "get-feature 00" + zeros(8) + " ! ENODEV"},
       {0x83, "set-feature", gone}},
      {"block write",
       FeatureReport(proto::kCmdColourWrite, 2, 4),
       true,
       {"set-feature 00 10 02 04 00 00 00 00 e9 ! ENODEV", "write 00 01 02 03 04" + zeros(28) + " ! ENODEV",
        "sleep 3"},
       {0x10, "set-feature", gone}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    LinkFixture f;
    ASSERT_EQ(f.link.openMouse(), 1);
    f.mouse.unplug();
    FeatureReport r = c.report;
    std::array<std::uint8_t, 32> payload{1, 2, 3, 4};
    EXPECT_FALSE(c.block ? f.link.transferBlock(r, payload) : f.link.sendCommand(r));
    EXPECT_EQ(f.trace, c.trace);
    EXPECT_EQ(f.link.lastExchangeFailure(), c.failure);
  }
  EXPECT_EQ(cases[0].failure.text(),
            "command 0x01, set-feature: HIDIOCSFEATURE failed: No such device (errno 19)");

  // The next exchange that succeeds clears it.
  LinkFixture f(false);
  FeatureReport r(proto::kCmdReportRate, 8);
  EXPECT_FALSE(f.link.sendCommand(r));
  f.mouse.plugIn();
  ASSERT_EQ(f.link.openMouse(), 1);
  EXPECT_TRUE(f.link.sendCommand(r));
  EXPECT_EQ(f.link.lastExchangeFailure(), std::nullopt);
}

// Block writes: ceil(length / 32) data reports, each followed by 3 ms.
struct ChunkCase {
  std::uint8_t length;
  std::size_t reports;
};

class BlockWriteTest : public ::testing::TestWithParam<ChunkCase> {};

TEST_P(BlockWriteTest, SendsOneDataReportPerStartedChunk) {
  LinkFixture f;
  ASSERT_EQ(f.link.openMouse(), 1);
  std::array<std::uint8_t, proto::kMaxBlockPayload> payload{};
  std::iota(payload.begin(), payload.end(), 1);
  FeatureReport h(proto::kCmdMacroWrite, 1, GetParam().length);
  f.link.transferBlock(h, payload);

  const auto writes = f.ops("write");
  ASSERT_EQ(writes.size(), GetParam().reports);
  for (std::size_t i = 0; i < writes.size(); ++i) {
    std::vector<std::uint8_t> frame(SimulatedMouse::kOutputLength, 0);
    std::copy_n(payload.begin() + 32 * i, 32, frame.begin() + 1);
    EXPECT_EQ(writes[i], "write " + traceHex(frame)) << "report " << i;
  }
  EXPECT_EQ(f.sleeper.pauses, std::vector<unsigned>(GetParam().reports, 3));
  EXPECT_EQ(f.ops("set-feature").size(), 1u);
  EXPECT_EQ(f.mouse.strayDataReports(), 0);
}

INSTANTIATE_TEST_SUITE_P(Lengths, BlockWriteTest,
                         ::testing::Values(ChunkCase{0, 0}, ChunkCase{1, 1}, ChunkCase{32, 1},
                                           ChunkCase{33, 2}, ChunkCase{64, 2}, ChunkCase{128, 4},
                                           ChunkCase{255, 8}));

TEST(BlockWrite, AShortPayloadIsZeroPaddedNotOverread) {
  LinkFixture f;
  ASSERT_EQ(f.link.openMouse(), 1);
  std::array<std::uint8_t, 4> mask{0xA1, 0xB2, 0xC3, 0xD4};
  FeatureReport h(proto::kCmdColourWrite, 2, 4);
  f.link.transferBlock(h, mask);
  EXPECT_EQ(f.mouse.colourPage(2), (std::vector<std::uint8_t>{0xA1, 0xB2, 0xC3, 0xD4}));
  std::vector<std::uint8_t> frame(33, 0);
  std::copy(mask.begin(), mask.end(), frame.begin() + 1);
  EXPECT_EQ(f.ops("write").at(0), "write " + traceHex(frame));
}

TEST(BlockRead, ReadsTheAnnouncedReportsWithoutPauses) {
  LinkFixture f;
  ASSERT_EQ(f.link.openMouse(), 1);
  std::array<std::uint8_t, 128> image{};
  std::iota(image.begin(), image.end(), 0x40);
  FeatureReport w(proto::kCmdMacroWrite, 3, 128);
  f.link.transferBlock(w, image);
  f.trace.clear();
  f.sleeper.pauses.clear();

  std::array<std::uint8_t, 128> back{};
  FeatureReport h(proto::kCmdMacroRead, 3);
  f.link.transferBlock(h, back);
  EXPECT_EQ(back, image);
  EXPECT_EQ(h, FeatureReport(proto::kCmdMacroRead, 3, 128));
  EXPECT_EQ(f.ops("read").size(), 4u);
  EXPECT_TRUE(f.sleeper.pauses.empty());
}

// An answer that announces more than the caller's buffer holds is read to its
// end, but only the buffer is filled.
TEST(BlockRead, AnOverlongAnswerStaysInsideTheCallerBuffer) {
  LinkFixture f;
  f.mouse.setFaults({.answerLength = 255});
  ASSERT_EQ(f.link.openMouse(), 1);
  std::array<std::uint8_t, 160> area;
  area.fill(0xEE);
  FeatureReport h(proto::kCmdMacroRead, 1);
  f.link.transferBlock(h, std::span(area.data(), 128));
  EXPECT_EQ(h[2], 255);
  EXPECT_EQ(f.ops("read").size(), 8u);
  for (std::size_t i = 128; i < area.size(); ++i) ASSERT_EQ(area[i], 0xEE) << "byte " << i;

  // The next exchange is not disturbed by the surplus reports.
  FeatureReport r(proto::kCmdSensorRead);
  f.mouse.setSensorAnswer({1, 2, 3, 4});
  f.link.sendCommand(r);
  EXPECT_EQ(r, FeatureReport(proto::kCmdSensorRead, 1, 2, 3, 4));
}

// A data report the mouse never sends costs one second and leaves zeros.
TEST(BlockRead, AMissingReportTimesOutAndCountsAsZeros) {
  LinkFixture f;
  ASSERT_EQ(f.link.openMouse(), 1);
  std::array<std::uint8_t, 128> image;
  image.fill(0x77);
  FeatureReport w(proto::kCmdMacroWrite, 2, 128);
  f.link.transferBlock(w, image);
  f.mouse.setFaults({.missingAnswerReports = 1});
  f.trace.clear();

  std::array<std::uint8_t, 128> back{};
  FeatureReport h(proto::kCmdMacroRead, 2);
  const auto start = std::chrono::steady_clock::now();
  f.link.transferBlock(h, back);
  const auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_GE(elapsed, std::chrono::milliseconds(proto::kSyncReadTimeoutMs));
  const auto reads = f.ops("read");
  ASSERT_EQ(reads.size(), 4u);
  EXPECT_EQ(reads[3], "read " + traceHex(std::vector<std::uint8_t>(33, 0)) + " ! ETIMEDOUT");
  EXPECT_EQ(f.link.lastExchangeFailure(), (ExchangeFailure{0x93, "read", Error{"read", ETIMEDOUT}}));
  for (std::size_t i = 0; i < 96; ++i) ASSERT_EQ(back[i], 0x77);
  for (std::size_t i = 96; i < 128; ++i) ASSERT_EQ(back[i], 0x00);
}

TEST(BlockRead, WithoutTheMouseHeaderAndPayloadStayZero) {
  LinkFixture f(false);
  f.link.openMouse();
  std::array<std::uint8_t, 32> page;
  page.fill(0x99);
  FeatureReport h(proto::kCmdColourRead, 1);
  f.link.transferBlock(h, page);
  EXPECT_EQ(h, FeatureReport{});
  EXPECT_TRUE(f.trace.empty());
}

TEST(BlockTransfer, AMouseThatVanishesMidwayFailsAtOnce) {
  LinkFixture f;
  ASSERT_EQ(f.link.openMouse(), 1);
  f.mouse.unplug();
  std::array<std::uint8_t, 128> back;
  back.fill(0x55);
  FeatureReport h(proto::kCmdMacroRead, 1);
  EXPECT_FALSE(f.link.transferBlock(h, back));  // must neither hang nor crash
  EXPECT_EQ(f.link.lastExchangeFailure()->error.code, ENODEV);
  EXPECT_EQ(h, FeatureReport{});
  EXPECT_EQ(std::count(back.begin(), back.end(), 0x55), 128);  // no chunk announced
}

}  // namespace
}  // namespace hm
