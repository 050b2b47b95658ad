// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/settings/mouse_config.h"
#include "support/param_name.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace hm {
namespace {

struct DpiCase {
  int sensor, step;
  const char* text;
  std::uint8_t code;
};

class DpiTable : public ::testing::TestWithParam<DpiCase> {};

TEST_P(DpiTable, TextAndCode) {
  const DpiCase& c = GetParam();
  EXPECT_STREQ(dpiText(c.sensor, c.step), c.text);
  EXPECT_EQ(dpiCode(c.sensor, c.step), c.code);
}

INSTANTIATE_TEST_SUITE_P(Edges, DpiTable,
                         ::testing::Values(DpiCase{0, 0, "250", 0x01}, DpiCase{0, 7, "2000", 0x08},
                                           DpiCase{0, 8, "2500", 0x25}, DpiCase{0, 11, "4000", 0x28},
                                           DpiCase{0, 12, "", 0}, DpiCase{1, 5, "2000", 0x23},
                                           DpiCase{1, 7, "3200", 0x25}, DpiCase{1, 8, "", 0},
                                           DpiCase{2, 0, "250", 0x02}, DpiCase{2, 7, "2500", 0x2A},
                                           DpiCase{3, 7, "3200", 0x08}, DpiCase{4, 0, "", 0},
                                           DpiCase{-1, 0, "", 0}, DpiCase{0, -1, "", 0}));

TEST(MouseConfig, ByteImageRoundTripsAndFieldsLandAtTheirOffsets) {
  MouseConfig c;
  c.clear();
  c.reportInterval = 8;
  c.mode[kModeB].macroRepeat[11] = 2;
  c.dpiLedMask[3] = 0x5A;
  std::uint8_t img[MouseConfig::kSize];
  c.toBytes(img);
  EXPECT_EQ(img[1925], 8);
  EXPECT_EQ(img[192 + 0xB4 + 11], 2);
  EXPECT_EQ(img[2020], 0x5A);
  MouseConfig d;
  d.clear();
  d.fromBytes(img);
  EXPECT_TRUE(d == c);
  d.editedMode = 1;
  EXPECT_EQ(&d.edited(), &d.mode[kModeB]);
}

// Every named field covers exactly its bytes of the stored image: filling one
// field with a marker changes that byte range and nothing else.
struct FieldCase {
  const char* name;
  std::size_t offset, size;
  std::uint8_t* (*field)(MouseConfig&);
};

class RecordField : public ::testing::TestWithParam<FieldCase> {};

TEST_P(RecordField, OccupiesItsRange) {
  const FieldCase& f = GetParam();
  MouseConfig c;
  c.clear();
  std::memset(f.field(c), 0xA5, f.size);
  std::uint8_t img[MouseConfig::kSize];
  c.toBytes(img);
  for (std::size_t i = 0; i < MouseConfig::kSize; ++i) {
    const bool inside = i >= f.offset && i < f.offset + f.size;
    ASSERT_EQ(img[i], inside ? 0xA5 : 0x00) << f.name << " byte " << i;
  }
}

#define HM_FIELD(expr) [](MouseConfig& c) { return reinterpret_cast<std::uint8_t*>(&(expr)); }

INSTANTIATE_TEST_SUITE_P(
    Layout, RecordField,
    ::testing::Values(FieldCase{"modeA_function", 0, 12, HM_FIELD(c.mode[kModeA].function)},
                      FieldCase{"modeA_fireSpeed", 96, 12, HM_FIELD(c.mode[kModeA].fireSpeed)},
                      FieldCase{"modeA_macroRepeat", 180, 12, HM_FIELD(c.mode[kModeA].macroRepeat)},
                      FieldCase{"modeB_function", 192, 12, HM_FIELD(c.mode[kModeB].function)},
                      FieldCase{"modeB_macroIndex", 192 + 168, 12, HM_FIELD(c.mode[kModeB].macroIndex)},
                      FieldCase{"macroImage", 384, 1536, HM_FIELD(c.macroImage)},
                      FieldCase{"macro12", 384 + 11 * 128, 128, HM_FIELD(c.macroImage[11])},
                      FieldCase{"reportInterval", 1925, 1, HM_FIELD(c.reportInterval)},
                      FieldCase{"dpiStageValue", 1927, 4, HM_FIELD(c.dpiStageValue)},
                      FieldCase{"dpiStageEnabled", 1931, 8, HM_FIELD(c.dpiStageEnabled)},
                      FieldCase{"ledMode", 1947, 1, HM_FIELD(c.ledMode)},
                      FieldCase{"ledParam", 1948, 3, HM_FIELD(c.ledParam)},
                      FieldCase{"ledParam2", 1951, 3, HM_FIELD(c.ledParam2)},
                      FieldCase{"enhancePointerPrecision", 1955, 1, HM_FIELD(c.enhancePointerPrecision)},
                      FieldCase{"scrollOneScreen", 1956, 1, HM_FIELD(c.scrollOneScreen)},
                      FieldCase{"pointerSpeedStep", 1957, 1, HM_FIELD(c.pointerSpeedStep)},
                      FieldCase{"scrollLines", 1958, 1, HM_FIELD(c.scrollLines)},
                      FieldCase{"doubleClickStep", 1959, 1, HM_FIELD(c.doubleClickStep)},
                      FieldCase{"editedMode", 1960, 1, HM_FIELD(c.editedMode)},
                      FieldCase{"dpiActionA", 0x7A9, 12, HM_FIELD(c.dpiAction[kModeA])},
                      FieldCase{"dpiActionB", 0x7B5, 12, HM_FIELD(c.dpiAction[kModeB])},
                      FieldCase{"loopColorEnabled", 1985, 8, HM_FIELD(c.loopColorEnabled)},
                      FieldCase{"loopColor", 1993, 24, HM_FIELD(c.loopColor)},
                      FieldCase{"dpiLedMask", 2017, 4, HM_FIELD(c.dpiLedMask)}),
    hm::test::ParamName());

#undef HM_FIELD

}  // namespace
}  // namespace hm
