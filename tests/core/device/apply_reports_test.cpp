// SPDX-License-Identifier: GPL-3.0-or-later
// The reports of an Apply, encoded without a mouse: one sane record changed
// in one field per case, against literal bytes (checksums included).
#include "core/device/apply_reports.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "core/device/device_link.h"
#include "core/settings/config_file.h"

namespace hm {
namespace {

std::string hex(const FeatureReport& r) { return traceHex(r.bytes); }
template <std::size_t N>
std::string hex(const std::array<std::uint8_t, N>& b) {
  return traceHex(b);
}

// The reports that depend on the record, as hex.
struct Encoded {
  std::string reportRate, loopPage, ledMaskPage, ledEffect, dpiCodes;
  bool operator==(const Encoded&) const = default;
};
void PrintTo(const Encoded& e, std::ostream* os) {
  *os << "{" << e.reportRate << " | " << e.loopPage << " | " << e.ledMaskPage << " | " << e.ledEffect << " | "
      << e.dpiCodes << "}";
}

// The factory record: 1 ms, all eight loop colours, LED mask 21 84 00 00,
// standard LED mode with parameter 0, steps 1, 3, 5, 7 all enabled.
const Encoded kFactory{
    "01 01 00 00 00 00 00 fd",
    "ff 00 00 00 ff 00 00 00 ff ff ff 00 00 ff ff ff 00 ff ff 80 00 ff ff ff",
    "21 84 00 00",
    "0d 01 01 03 00 00 00 ed",
    "02 04 06 08 80 80 80 80",
};

struct EncodeCase {
  const char* name;
  std::function<void(MouseConfig&)> change;
  int sensorType;
  std::array<std::uint8_t, 2> previousLed;
  std::function<void(Encoded&)> expect;  // applied to kFactory
};

TEST(EncodeApply, EachFieldLandsInItsReport) {
  const EncodeCase cases[] = {
      {"factory", [](MouseConfig&) {}, 0, {0, 0}, [](Encoded&) {}},
      {"report interval 8",
       [](MouseConfig& c) { c.reportInterval = 8; },
       0,
       {0, 0},
       [](Encoded& e) { e.reportRate = "01 08 00 00 00 00 00 f6"; }},
      {"loop colours 2 and 5; 7 holds 2, which is not 1",
       [](MouseConfig& c) {
         std::fill(std::begin(c.loopColorEnabled), std::end(c.loopColorEnabled), 0);
         c.loopColorEnabled[1] = c.loopColorEnabled[4] = 1;
         c.loopColorEnabled[6] = 2;
         c.loopColor[1][0] = 0x11, c.loopColor[1][1] = 0x22, c.loopColor[1][2] = 0x33;
         c.loopColor[4][0] = 0x44, c.loopColor[4][1] = 0x55, c.loopColor[4][2] = 0x66;
       },
       0,
       {0, 0},
       [](Encoded& e) {
         e.loopPage = "11 22 33 44 55 66 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00";
       }},
      {"no loop colour",
       [](MouseConfig& c) { std::fill_n(c.loopColorEnabled, kLoopColors, 0); },
       0,
       {0, 0},
       [](Encoded& e) {
         e.loopPage = "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00";
       }},
      {"DPI LED mask",
       [](MouseConfig& c) {
         const std::uint8_t m[4] = {0xA1, 0xB2, 0xC3, 0xD4};
         std::copy_n(m, 4, c.dpiLedMask);
       },
       0,
       {0, 0},
       [](Encoded& e) { e.ledMaskPage = "a1 b2 c3 d4"; }},
      {"LED mode 2, parameter 6",
       [](MouseConfig& c) {
         c.ledMode = 2;
         c.ledParam[1] = 6;
       },
       0,
       {0, 0},
       [](Encoded& e) { e.ledEffect = "0d 02 07 03 00 00 00 e6"; }},
      {"LED parameter 255 wraps to 0",
       [](MouseConfig& c) {
         c.ledMode = 3;
         c.ledParam[2] = 0xFF;
       },
       0,
       {0, 0},
       [](Encoded& e) { e.ledEffect = "0d 03 00 03 00 00 00 ec"; }},
      {"LED off repeats the previous Apply",
       [](MouseConfig& c) { c.ledMode = 0; },
       0,
       {2, 7},
       [](Encoded& e) { e.ledEffect = "0d 02 07 03 00 00 00 e6"; }},
      {"LED mode 4 in the first Apply",
       [](MouseConfig& c) { c.ledMode = 4; },
       0,
       {0, 0},
       [](Encoded& e) { e.ledEffect = "0d 00 00 03 00 00 00 ef"; }},
      {"stage 2 disabled",
       [](MouseConfig& c) { c.dpiStageEnabled[1] = 0; },
       0,
       {0, 0},
       [](Encoded& e) { e.dpiCodes = "02 84 06 08 80 80 80 80"; }},
      {"stages 4..7 of the unused bytes do not count",
       [](MouseConfig& c) { std::fill_n(c.dpiStageEnabled + 4, 4, 1); },
       0,
       {0, 0},
       [](Encoded&) {}},
      {"sensor type 1, steps 4..7",
       [](MouseConfig& c) {
         for (std::uint8_t s = 0; s < 4; ++s) c.dpiStageValue[s] = static_cast<std::uint8_t>(4 + s);
       },
       1,
       {0, 0},
       [](Encoded& e) { e.dpiCodes = "05 23 24 25 80 80 80 80"; }},
      {"sensor type without a table, stage 3 off",
       [](MouseConfig& c) { c.dpiStageEnabled[2] = 0; },
       4,
       {0, 0},
       [](Encoded& e) { e.dpiCodes = "00 00 80 00 80 80 80 80"; }},
  };
  for (const EncodeCase& c : cases) {
    SCOPED_TRACE(c.name);
    MouseConfig record = factoryConfig();
    c.change(record);
    Encoded expected = kFactory;
    c.expect(expected);
    const ApplyReports r = encodeApply(record, c.sensorType, c.previousLed);
    EXPECT_EQ(
        (Encoded{hex(r.reportRate), hex(r.loopPage), hex(r.ledMaskPage), hex(r.ledEffect), hex(r.dpiCodes)}),
        expected);
    EXPECT_EQ(r.ledBytes(), (std::array<std::uint8_t, 2>{r.ledEffect[1], r.ledEffect[2]}));
  }
}

TEST(EncodeApply, HeadersOfEveryBlockAndTheImagesTheyCarry) {
  MouseConfig record = factoryConfig();
  for (std::size_t i = 0; i < 128; ++i) record.macroImage[11][i] = static_cast<std::uint8_t>(i ^ 0x5A);
  record.mode[kModeA].function[3] = 11;  // button 4: single key "A"
  record.mode[kModeA].singleKey[3] = 0x04;
  record.mode[kModeB].function[0] = 15;  // Mode B button 1: key off
  const ApplyReports r = encodeApply(record, 0, {0, 0});

  const char* colourReads[] = {"90 00 00 00 00 00 00 6f", "90 01 00 00 00 00 00 6e",
                               "90 02 00 00 00 00 00 6d"};
  const char* colourWrites[] = {"10 00 18 00 00 00 00 d7", "10 01 18 00 00 00 00 d6",
                                "10 02 04 00 00 00 00 e9"};
  for (std::size_t p = 0; p < 3; ++p) {
    EXPECT_EQ(hex(r.colourReads[p]), colourReads[p]);
    EXPECT_EQ(hex(r.colourWrites[p]), colourWrites[p]);
  }
  EXPECT_EQ(hex(r.dpiWrite), "11 04 08 00 00 00 00 e2");
  EXPECT_EQ(hex(r.macroWrites[0]), "13 01 80 00 00 00 00 6b");
  EXPECT_EQ(hex(r.macroWrites[11]), "13 0c 80 00 00 00 00 60");
  EXPECT_EQ(hex(r.macroReads[0]), "93 01 00 00 00 00 00 6b");
  EXPECT_EQ(hex(r.macroReads[11]), "93 0c 00 00 00 00 00 60");
  EXPECT_EQ(hex(r.keyMatrixWrites[0]), "12 01 40 00 00 00 00 ac");
  EXPECT_EQ(hex(r.keyMatrixWrites[3]), "12 04 40 00 00 00 00 a9");
  for (std::size_t m = 0; m < 12; ++m)
    EXPECT_TRUE(std::equal(r.macroImages[m].begin(), r.macroImages[m].end(), record.macroImage[m])) << m;

  // Button 4 sits in slot 4 of table 1 as 00 00 04 00; Mode B's button 1 is
  // all zero in table 3; tables 2 and 4 are zero.
  EXPECT_EQ(traceHex(std::span(r.keyMatrices[0]).subspan(16, 4)), "00 00 04 00");
  EXPECT_EQ(traceHex(std::span(r.keyMatrices[2]).first(4)), "00 00 00 00");
  EXPECT_NE(traceHex(std::span(r.keyMatrices[0]).first(4)), "00 00 00 00")
      << "Mode A's button 1 is a left click";
  EXPECT_EQ(r.keyMatrices[1], KeyMatrix{});
  EXPECT_EQ(r.keyMatrices[3], KeyMatrix{});
  EXPECT_EQ(r.keyMatrices, buildKeyMatrices(record));
}

}  // namespace
}  // namespace hm
