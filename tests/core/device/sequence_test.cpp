// SPDX-License-Identifier: GPL-3.0-or-later
// The sensor handshake and the whole "Apply" sequence, byte for byte and
// pause for pause, against the simulated mouse.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>

#include "core/buttons/button_codes.h"
#include "link_fixture.h"
#include "support/param_name.h"

namespace hm {
namespace {

using test::LinkFixture;
using Bytes = std::vector<std::uint8_t>;

// The trace the protocol prescribes, built from the command table: headers,
// their answers, data reports and pauses.
class ExpectedTrace {
 public:
  void command(const FeatureReport& r) { lines.push_back("set-feature " + feature(r)); }
  void answer(const FeatureReport& r) { lines.push_back("get-feature " + feature(r)); }
  void write(const Bytes& payload, std::size_t length) {
    for (std::size_t off = 0; off < length; off += 32) {
      Bytes frame(SimulatedMouse::kOutputLength, 0);
      for (std::size_t i = 0; i < 32 && off + i < payload.size(); ++i) frame[1 + i] = payload[off + i];
      lines.push_back("write " + traceHex(frame));
      sleep(3);
    }
  }
  void read(const Bytes& payload, std::size_t length) {
    for (std::size_t off = 0; off < length; off += 32) {
      Bytes frame(SimulatedMouse::kInputLength, 0);
      for (std::size_t i = 0; i < 32 && off + i < payload.size(); ++i) frame[1 + i] = payload[off + i];
      lines.push_back("read " + traceHex(frame));
    }
  }
  void sleep(unsigned ms) { lines.push_back("sleep " + std::to_string(ms)); }

  std::vector<std::string> lines;

 private:
  static std::string feature(const FeatureReport& r) {
    Bytes frame(SimulatedMouse::kFeatureLength, 0);
    std::copy(r.bytes.begin(), r.bytes.end(), frame.begin() + 1);
    return traceHex(frame);
  }
};

struct ApplyExpectation {
  Bytes page0;                      // 24 bytes
  std::array<std::uint8_t, 8> dpi;  // DPI stage codes
  std::array<std::uint8_t, 2> led;  // 0x0D bytes 1 and 2
};

// What "Apply" must send for `c`, with the mouse holding `page1` and
// answering the macro read-back with the images just written.
std::vector<std::string> expectedApply(const MouseConfig& c, const ApplyExpectation& e,
                                       const Bytes& mousePages) {
  ExpectedTrace t;
  t.command(FeatureReport(0x01, c.reportInterval));
  const std::size_t size[3] = {24, 24, 4}, offset[3] = {0, 24, 48};
  for (std::uint8_t p = 0; p < 3; ++p) {
    t.command(FeatureReport(0x90, p));
    t.answer(FeatureReport(0x90, p, static_cast<std::uint8_t>(size[p])));
    t.read(Bytes(mousePages.begin() + offset[p], mousePages.begin() + offset[p] + size[p]), size[p]);
    t.sleep(2);
  }
  const Bytes page1(mousePages.begin() + 24, mousePages.begin() + 48);
  const Bytes page2(c.dpiLedMask, c.dpiLedMask + 4);
  const Bytes* pages[3] = {&e.page0, &page1, &page2};
  for (std::uint8_t p = 0; p < 3; ++p) {
    t.command(FeatureReport(0x10, p, static_cast<std::uint8_t>(size[p])));
    t.write(*pages[p], size[p]);
    t.sleep(2);
  }
  t.command(FeatureReport(0x0D, e.led[0], e.led[1], 3));
  t.command(FeatureReport(0x11, 4, 8));
  t.write(Bytes(e.dpi.begin(), e.dpi.end()), 8);
  for (std::uint8_t m = 1; m <= 12; ++m) {
    t.command(FeatureReport(0x13, m, 128));
    t.write(Bytes(c.macroImage[m - 1], c.macroImage[m - 1] + 128), 128);
    t.sleep(2);
  }
  for (std::uint8_t m = 1; m <= 12; ++m) {
    t.command(FeatureReport(0x93, m));
    t.answer(FeatureReport(0x93, m, 128));
    t.read(Bytes(c.macroImage[m - 1], c.macroImage[m - 1] + 128), 128);
    t.sleep(2);
  }
  const auto tables = buildKeyMatrices(c);
  for (std::uint8_t k = 1; k <= 4; ++k) {
    t.command(FeatureReport(0x12, k, 64));
    t.write(Bytes(tables[k - 1].begin(), tables[k - 1].end()), 64);
    t.sleep(2);
  }
  return t.lines;
}

MouseConfig zeroRecord() {
  MouseConfig c;
  c.clear();
  return c;
}

Bytes factoryPage0() {
  return {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 0, 0, 255, 255, 255, 0, 255, 255, 128, 0, 255, 255, 255};
}

struct ApplyCase {
  const char* name;
  MouseConfig record;
  std::uint8_t sensorType;
  ApplyExpectation expect;
};

// Test names come from the case name; the bytes are not worth printing.
void PrintTo(const ApplyCase& c, std::ostream* os) { *os << c.name; }

MouseConfig withMacros(MouseConfig c) {
  for (std::size_t m = 0; m < 12; ++m)
    for (std::size_t i = 0; i < 128; ++i) c.macroImage[m][i] = static_cast<std::uint8_t>(m * 16 + i);
  return c;
}

MouseConfig coloursTwoAndFive() {
  MouseConfig c = factoryConfig();
  std::fill(std::begin(c.loopColorEnabled), std::end(c.loopColorEnabled), 0);
  c.loopColorEnabled[1] = 1;
  c.loopColorEnabled[4] = 1;
  c.loopColorEnabled[6] = 2;  // only the value 1 means enabled
  c.loopColor[1][0] = 0x11, c.loopColor[1][1] = 0x22, c.loopColor[1][2] = 0x33;
  c.loopColor[4][0] = 0x44, c.loopColor[4][1] = 0x55, c.loopColor[4][2] = 0x66;
  return c;
}

MouseConfig stageTwoDisabled() {
  MouseConfig c = factoryConfig();
  c.dpiStageEnabled[1] = 0;
  return c;
}

MouseConfig stepsFourToSeven(std::uint8_t ledMode, std::uint8_t param) {
  MouseConfig c = factoryConfig();
  for (std::uint8_t s = 0; s < 4; ++s) c.dpiStageValue[s] = static_cast<std::uint8_t>(4 + s);
  c.ledMode = ledMode;
  c.ledParam[ledMode - 1] = param;
  return c;
}

Bytes zeros(std::size_t n) { return Bytes(n, 0); }

const ApplyCase kApplyCases[] = {
    // All zero: every stage disabled at step 0 (0x01 | 0x80), LED 0, 0.
    {"AllZero", zeroRecord(), 0, {zeros(24), {0x81, 0x81, 0x81, 0x81, 0x80, 0x80, 0x80, 0x80}, {0, 0}}},
    {"Factory",
     factoryConfig(),
     0,
     {factoryPage0(), {0x02, 0x04, 0x06, 0x08, 0x80, 0x80, 0x80, 0x80}, {1, 1}}},
    {"FactoryWithMacros",
     withMacros(factoryConfig()),
     0,
     {factoryPage0(), {0x02, 0x04, 0x06, 0x08, 0x80, 0x80, 0x80, 0x80}, {1, 1}}},
    {"ColoursTwoAndFive",
     coloursTwoAndFive(),
     0,
     {{0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
      {0x02, 0x04, 0x06, 0x08, 0x80, 0x80, 0x80, 0x80},
      {1, 1}}},
    {"StageTwoDisabled",
     stageTwoDisabled(),
     0,
     {factoryPage0(), {0x02, 0x84, 0x06, 0x08, 0x80, 0x80, 0x80, 0x80}, {1, 1}}},
    {"SensorType0",
     stepsFourToSeven(2, 4),
     0,
     {factoryPage0(), {0x05, 0x06, 0x07, 0x08, 0x80, 0x80, 0x80, 0x80}, {2, 5}}},
    {"SensorType1",
     stepsFourToSeven(3, 0),
     1,
     {factoryPage0(), {0x05, 0x23, 0x24, 0x25, 0x80, 0x80, 0x80, 0x80}, {3, 1}}},
    {"SensorType2",
     stepsFourToSeven(1, 9),
     2,
     {factoryPage0(), {0x0A, 0x26, 0x28, 0x2A, 0x80, 0x80, 0x80, 0x80}, {1, 10}}},
    {"SensorType3",
     stepsFourToSeven(3, 0xFF),
     3,
     {factoryPage0(), {0x05, 0x06, 0x07, 0x08, 0x80, 0x80, 0x80, 0x80}, {3, 0}}},
    // A sensor type without a table: code 0, bit 7 still marks disabled stages.
    {"SensorType4",
     stageTwoDisabled(),
     4,
     {factoryPage0(), {0x00, 0x80, 0x00, 0x00, 0x80, 0x80, 0x80, 0x80}, {1, 1}}},
};

class ApplyTest : public ::testing::TestWithParam<ApplyCase> {
 protected:
  // The mouse's colour pages before Apply: page 1 is its own and must come
  // back unchanged; pages 0 and 2 are overwritten.
  Bytes mousePages() const {
    Bytes b(52);
    for (std::size_t i = 0; i < b.size(); ++i) b[i] = static_cast<std::uint8_t>(0xC0 + i);
    return b;
  }
};

TEST_P(ApplyTest, SendsTheProtocolByteStreamAndPauses) {
  const ApplyCase& c = GetParam();
  LinkFixture f;
  f.mouse.setSensorAnswer({c.sensorType, 0, 0, 0});
  const Bytes pages = mousePages();
  for (int p = 0; p < 3; ++p)
    f.mouse.setColourPage(p, Bytes(pages.begin() + (p == 0 ? 0 : p == 1 ? 24 : 48), pages.end()));
  ASSERT_EQ(f.link.openMouse(), 1);
  f.link.sensorHandshake();
  ASSERT_EQ(f.link.activeSensorType(), c.sensorType);
  f.trace.clear();
  f.sleeper.pauses.clear();

  ASSERT_EQ(f.apply(c.record), std::nullopt);

  const auto expected = expectedApply(c.record, c.expect, pages);
  ASSERT_EQ(f.trace.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) ASSERT_EQ(f.trace[i], expected[i]) << "line " << i;

  // What the mouse now holds.
  EXPECT_EQ(f.mouse.reportInterval(), c.record.reportInterval);
  EXPECT_EQ(f.mouse.colourPage(0), c.expect.page0);
  EXPECT_EQ(f.mouse.colourPage(1), Bytes(pages.begin() + 24, pages.begin() + 48));
  EXPECT_EQ(f.mouse.colourPage(2), Bytes(c.record.dpiLedMask, c.record.dpiLedMask + 4));
  EXPECT_EQ(f.mouse.dpiCodes(), c.expect.dpi);
  EXPECT_EQ(f.mouse.ledEffect(), (std::array<std::uint8_t, 3>{c.expect.led[0], c.expect.led[1], 3}));
  const auto tables = buildKeyMatrices(c.record);
  for (int t = 1; t <= 4; ++t) EXPECT_EQ(f.mouse.keyMatrix(t), tables[t - 1]) << "table " << t;
  for (int m = 1; m <= 12; ++m) {
    const auto image = f.mouse.macroImage(m);
    EXPECT_TRUE(std::equal(image.begin(), image.end(), c.record.macroImage[m - 1])) << "macro " << m;
  }
  EXPECT_EQ(f.mouse.badChecksumCount(), 0);
  EXPECT_EQ(f.mouse.strayDataReports(), 0);
}

INSTANTIATE_TEST_SUITE_P(Records, ApplyTest, ::testing::ValuesIn(kApplyCases), hm::test::ParamName());

TEST(Apply, Sends37HeadersAnd60DataReportsWith248MsOfPauses) {
  LinkFixture f;
  ASSERT_EQ(f.link.openMouse(), 1);
  EXPECT_EQ(f.apply(factoryConfig()), std::nullopt);
  EXPECT_EQ(f.ops("set-feature").size(), proto::kApplyCommandCount);
  EXPECT_EQ(f.mouse.commands().size(), proto::kApplyCommandCount);
  EXPECT_EQ(f.ops("write").size(), proto::kApplyDataReports);
  EXPECT_EQ(std::count(f.sleeper.pauses.begin(), f.sleeper.pauses.end(), 3u), 60);
  EXPECT_EQ(std::count(f.sleeper.pauses.begin(), f.sleeper.pauses.end(), 2u), 34);
  EXPECT_EQ(f.sleeper.pauses.size(), 94u);
  EXPECT_EQ(f.sleeper.totalMs(), 248u);
}

TEST(Apply, LedBytesRepeatThePreviousApplyWhenTheModeIsOutsideOneToThree) {
  struct Step {
    std::uint8_t mode, param;
    std::array<std::uint8_t, 3> sent;
  };
  const Step steps[] = {{0, 0, {0, 0, 3}},  // first Apply of the run, mode off
                        {2, 6, {2, 7, 3}},
                        {0, 0, {2, 7, 3}},  // repeats
                        {4, 1, {2, 7, 3}},  // out of range too
                        {1, 0, {1, 1, 3}}};
  LinkFixture f;
  ASSERT_EQ(f.link.openMouse(), 1);
  for (const Step& s : steps) {
    MouseConfig c = factoryConfig();
    c.ledMode = s.mode;
    if (s.mode >= 1 && s.mode <= 3) c.ledParam[s.mode - 1] = s.param;
    f.apply(c);
    EXPECT_EQ(f.mouse.ledEffect(), s.sent) << "mode " << int(s.mode);
  }
}

TEST(Apply, AColourAnswerNamingAnotherPageIsDropped) {
  LinkFixture f;
  f.mouse.setColourPage(1, Bytes(24, 0xAB));
  ASSERT_EQ(f.link.openMouse(), 1);
  f.apply(factoryConfig());
  EXPECT_EQ(f.mouse.colourPage(1), Bytes(24, 0xAB));
  f.mouse.setFaults({.colourAnswerPage = 2});  // every answer names page 2
  f.mouse.setColourPage(1, Bytes(24, 0x01));
  f.apply(factoryConfig());
  // Page 1 keeps what the previous Apply read.
  EXPECT_EQ(f.mouse.colourPage(1), Bytes(24, 0xAB));
}

TEST(Apply, AColourAnswerLongerThanItsPageIsCut) {
  LinkFixture f;
  f.mouse.setColourPage(1, Bytes(24, 0x3C));
  f.mouse.setFaults({.answerLength = 40});
  ASSERT_EQ(f.link.openMouse(), 1);
  f.apply(factoryConfig());
  EXPECT_EQ(f.mouse.colourPage(1), Bytes(24, 0x3C));
  EXPECT_EQ(f.link.colourBlock()[48], factoryConfig().dpiLedMask[0]);
}

// A mouse that announces its answers but never sends them costs one read
// time-out per Apply, not one per data report (51 s); everything else is
// still sent and the next Apply tries the reads again.
TEST(Apply, AMouseThatNeverSendsItsAnswersCostsOneTimeOut) {
  LinkFixture f;
  ASSERT_EQ(f.link.openMouse(), 1);
  f.mouse.setFaults({.missingAnswerReports = 8});
  const MouseConfig c = withMacros(factoryConfig());
  EXPECT_EQ(f.apply(c), (ExchangeFailure{0x90, "read", Error{"read", ETIMEDOUT}}));
  EXPECT_EQ(f.ops("read"), (std::vector<std::string>{"read " + traceHex(Bytes(33, 0)) + " ! ETIMEDOUT"}));
  EXPECT_EQ(f.ops("set-feature").size(), proto::kApplyCommandCount);
  EXPECT_EQ(f.ops("write").size(), proto::kApplyDataReports);
  EXPECT_EQ(f.sleeper.totalMs(), proto::kApplyPauseFloorMs);
  EXPECT_EQ(f.mouse.keyMatrix(1), buildKeyMatrices(c)[0]);
  EXPECT_TRUE(std::equal(c.macroImage[11], c.macroImage[11] + 128, f.mouse.macroImage(12).begin()));

  f.mouse.setFaults({});
  f.trace.clear();
  EXPECT_EQ(f.apply(c), std::nullopt);
  EXPECT_EQ(f.ops("read").size(), 3u + 48u);
}

// Pulled out mid-way: the first failed exchange is kept, the rest fail at
// once and the sequence still takes every pause.
TEST(Apply, AMouseThatVanishesMidwayGivesTheFirstFailedExchange) {
  LinkFixture f;
  ASSERT_EQ(f.link.openMouse(), 1);
  f.sleeper.afterPause = [&](std::size_t n) {
    if (n == 3) f.mouse.unplug();  // after the colour block read
  };
  EXPECT_EQ(f.apply(factoryConfig()),
            (ExchangeFailure{0x10, "set-feature", Error{"HIDIOCSFEATURE", ENODEV}}));
  const auto headers = f.ops("set-feature");
  ASSERT_EQ(headers.size(), proto::kApplyCommandCount) << "every exchange is still tried";
  for (std::size_t i = 0; i < headers.size(); ++i)
    EXPECT_EQ(headers[i].ends_with(" ! ENODEV"), i >= 4) << headers[i];
  EXPECT_EQ(f.sleeper.totalMs(), proto::kApplyPauseFloorMs);
}

TEST(Apply, LogsEachKeyMatrixBeforeItIsWritten) {
  LinkFixture f;
  ASSERT_EQ(f.link.openMouse(), 1);
  std::vector<std::string> log;
  f.link.setLog([&](const std::string& s) { log.push_back(s); });
  MouseConfig c = factoryConfig();
  f.apply(c);
  ASSERT_EQ(log.size(), 4u);
  const auto tables = buildKeyMatrices(c);
  char word[16];
  const auto& t1 = tables[0];
  std::snprintf(word, sizeof word, "%02x%02x%02x%02x", t1[3], t1[2], t1[1], t1[0]);
  EXPECT_EQ(log[0].rfind(std::string("Write KeyMatrix[1]:\n") + word + "\n ", 0), 0u) << log[0];
  EXPECT_EQ(std::count(log[0].begin(), log[0].end(), '\n'), 17);
  EXPECT_EQ(std::count(log[0].begin(), log[0].end(), ' '), 1 + 15);  // the title's and one per later entry
  EXPECT_EQ(log[3].rfind("Write KeyMatrix[4]:\n00000000\n 00000000\n", 0), 0u);
}

// ---- Handshake ----------------------------------------------------------------

struct HandshakeCase {
  std::array<std::uint8_t, 4> answer;
  std::array<std::uint8_t, 4> written;
};

class HandshakeTest : public ::testing::TestWithParam<HandshakeCase> {};

TEST_P(HandshakeTest, ReadsTheSensorAndWritesItBackWithOption2Bit6) {
  const auto& c = GetParam();
  LinkFixture f;
  f.mouse.setSensorAnswer(c.answer);
  ASSERT_EQ(f.link.openMouse(), 1);
  std::string log;
  f.link.setLog([&](const std::string& s) { log += s; });
  f.link.sensorHandshake();

  const FeatureReport ask(0x83), answer(0x83, c.answer[0], c.answer[1], c.answer[2], c.answer[3]),
      write(0x03, c.written[0], c.written[1], c.written[2], c.written[3]);
  auto line = [](const char* op, const FeatureReport& r) {
    Bytes frame(9, 0);
    std::copy(r.bytes.begin(), r.bytes.end(), frame.begin() + 1);
    return std::string(op) + " " + traceHex(frame);
  };
  EXPECT_EQ(f.trace, (std::vector<std::string>{line("set-feature", ask), line("get-feature", answer),
                                               line("set-feature", write)}));
  EXPECT_EQ(f.mouse.sensorOptions(), c.written);
  EXPECT_EQ(f.link.activeSensorType(), c.answer[0]);
  EXPECT_EQ(f.link.sensorInfo(), (SensorInfo{c.written[0], c.written[1], c.written[2], c.written[3]}));
  EXPECT_TRUE(f.sleeper.pauses.empty());
  char diag[128];
  std::snprintf(diag, sizeof diag, "Sensor Type:%02x\n,,Rate:%02x\n,Option1:%02x\n,Option2:%02x\n",
                c.answer[0], c.answer[1], c.answer[2], c.answer[3]);
  EXPECT_EQ(log, diag);
}

INSTANTIATE_TEST_SUITE_P(SensorTypes, HandshakeTest,
                         ::testing::Values(HandshakeCase{{0, 0, 0, 0}, {0, 0, 0, 0x40}},
                                           HandshakeCase{{1, 2, 3, 4}, {1, 2, 3, 0x44}},
                                           HandshakeCase{{2, 0x10, 0, 0x40}, {2, 0x10, 0, 0x40}},
                                           HandshakeCase{{3, 0, 0xFF, 0xBF}, {3, 0, 0xFF, 0xFF}},
                                           HandshakeCase{{4, 1, 1, 0x80}, {4, 1, 1, 0xC0}}));

TEST(Handshake, WithoutTheMouseLeavesZeroSensorInformation) {
  LinkFixture f(false);
  f.link.openMouse();
  f.link.sensorHandshake();
  EXPECT_EQ(f.link.activeSensorType(), 0);
  EXPECT_EQ(f.link.sensorInfo(), (SensorInfo{0, 0, 0, 0x40}));
}

}  // namespace
}  // namespace hm
