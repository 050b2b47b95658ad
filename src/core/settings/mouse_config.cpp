// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/settings/mouse_config.h"

namespace hm {
namespace {

struct DpiStep {
  const char* text;
  std::uint8_t code;
};

constexpr DpiStep kType0[12] = {{"250", 0x01},  {"500", 0x02},  {"750", 0x03},  {"1000", 0x04},
                                {"1250", 0x05}, {"1500", 0x06}, {"1750", 0x07}, {"2000", 0x08},
                                {"2500", 0x25}, {"3000", 0x26}, {"3500", 0x27}, {"4000", 0x28}};
constexpr DpiStep kType1[8] = {{"600", 0x01},  {"800", 0x02},  {"1000", 0x03}, {"1200", 0x04},
                               {"1600", 0x05}, {"2000", 0x23}, {"2400", 0x24}, {"3200", 0x25}};
constexpr DpiStep kType2[8] = {{"250", 0x02},  {"500", 0x04},  {"750", 0x06},  {"1000", 0x08},
                               {"1250", 0x0A}, {"1500", 0x26}, {"2000", 0x28}, {"2500", 0x2A}};
constexpr DpiStep kType3[8] = {{"400", 0x01},  {"800", 0x02},  {"1200", 0x03}, {"1600", 0x04},
                               {"2000", 0x05}, {"2400", 0x06}, {"2800", 0x07}, {"3200", 0x08}};

const DpiStep* step(int sensorType, int index) {
  if (index < 0) return nullptr;
  switch (sensorType) {
    case 0: return index < 12 ? &kType0[index] : nullptr;
    case 1: return index < 8 ? &kType1[index] : nullptr;
    case 2: return index < 8 ? &kType2[index] : nullptr;
    case 3: return index < 8 ? &kType3[index] : nullptr;
    default: return nullptr;
  }
}

}  // namespace

const char* dpiText(int sensorType, int index) {
  const DpiStep* s = step(sensorType, index);
  return s ? s->text : "";
}

std::uint8_t dpiCode(int sensorType, int index) {
  const DpiStep* s = step(sensorType, index);
  return s ? s->code : 0;
}

int dpiStepCount(int sensorType) { return (sensorType >= 1 && sensorType <= 3) ? 8 : 12; }

}  // namespace hm
