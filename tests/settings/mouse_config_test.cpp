#include "settings/mouse_config.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace hm
