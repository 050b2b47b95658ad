// SPDX-License-Identifier: GPL-3.0-or-later
// Tables of the Advanced page's pointer-settings rules, without a window or
// a desktop: the step mapping both ways, what a reading puts into the record,
// and what the record hands over and shows.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>

#include "core/model/pointer_settings_logic.h"
#include "core/settings/config_file.h"

namespace hm {
namespace {

TEST(PointerMapping, StepsAndDesktopValuesBothWays) {
  // Every step survives the trip to the desktop and back.
  for (int s = 1; s <= kPointerStepCount; ++s) {
    EXPECT_EQ(stepForPointerSpeed(pointerSpeedForStep(s)), s) << s;
    EXPECT_EQ(stepForDoubleClickMs(doubleClickMsForStep(s)), s) << s;
  }
  const std::pair<int, int> speedOfStep[] = {{1, 1}, {2, 2}, {6, 10}, {11, 20}, {0, 10}, {12, 20}, {255, 20}};
  for (auto [step, speed] : speedOfStep) EXPECT_EQ(pointerSpeedForStep(step), speed) << "step " << step;
  const std::pair<int, int> stepOfSpeed[] = {{1, 1},   {2, 2}, {3, 2},   {10, 6},      {11, 6},
                                             {20, 11}, {0, 1}, {21, 11}, {INT_MIN, 1}, {INT_MAX, 11}};
  for (auto [speed, step] : stepOfSpeed) EXPECT_EQ(stepForPointerSpeed(speed), step) << "speed " << speed;
  const std::pair<int, int> msOfStep[] = {{1, 900}, {6, 550}, {11, 200}, {0, 550}, {12, 200}};
  for (auto [step, ms] : msOfStep) EXPECT_EQ(doubleClickMsForStep(step), ms) << "step " << step;
  const std::pair<int, int> stepOfMs[] = {{900, 1}, {500, 6},      {550, 6},    {200, 11},
                                          {901, 1}, {969, 1},      {1000, 1},   {199, 11},
                                          {0, 11},  {INT_MIN, 11}, {INT_MAX, 1}};
  for (auto [ms, step] : stepOfMs) EXPECT_EQ(stepForDoubleClickMs(ms), step) << ms << " ms";
}

// The record every case starts from; a case changes one thing.
MouseConfig saneRecord() {
  MouseConfig c = factoryConfig();
  c.enhancePointerPrecision = 1;
  c.scrollOneScreen = 0;
  c.pointerSpeedStep = 4;
  c.scrollLines = 5;
  c.doubleClickStep = 8;
  return c;
}

struct Fields {
  std::uint8_t precision, oneScreen, speed, lines, doubleClick;
  bool operator==(const Fields&) const = default;
};
Fields fieldsOf(const MouseConfig& c) {
  return {c.enhancePointerPrecision, c.scrollOneScreen, c.pointerSpeedStep, c.scrollLines, c.doubleClickStep};
}
std::ostream& operator<<(std::ostream& os, const Fields& f) {
  return os << int(f.precision) << "/" << int(f.oneScreen) << "/" << int(f.speed) << "/" << int(f.lines)
            << "/" << int(f.doubleClick);
}

TEST(PointerMapping, AReadingReplacesTheFields) {
  const PointerReading sane{true, 11, 7u, 500};
  struct Case {
    const char* name;
    PointerReading reading;
    Fields fields;
  };
  auto with = [&](auto change) {
    PointerReading r = sane;
    change(r);
    return r;
  };
  const Case cases[] = {
      {"sane", sane, {1, 0, 6, 7, 6}},
      {"one screen", with([](PointerReading& r) { r.scrollLines = kScrollOneScreen; }), {1, 1, 6, 0, 6}},
      {"precision off", with([](PointerReading& r) { r.precision = false; }), {0, 0, 6, 7, 6}},
      {"many lines", with([](PointerReading& r) { r.scrollLines = 300u; }), {1, 0, 6, 11, 6}},
      {"no lines", with([](PointerReading& r) { r.scrollLines = 0u; }), {1, 0, 6, 1, 6}},
      {"slow double-click", with([](PointerReading& r) { r.doubleClickMs = 1500; }), {1, 0, 6, 7, 1}},
      {"fast double-click", with([](PointerReading& r) { r.doubleClickMs = 100; }), {1, 0, 6, 7, 11}},
      {"precision failed", with([](PointerReading& r) { r.precision.reset(); }), {0, 0, 6, 7, 6}},
      {"speed failed", with([](PointerReading& r) { r.speed.reset(); }), {1, 0, 6, 7, 6}},
      {"scroll failed", with([](PointerReading& r) { r.scrollLines.reset(); }), {1, 0, 6, 3, 6}},
      {"double-click failed", with([](PointerReading& r) { r.doubleClickMs.reset(); }), {1, 0, 6, 7, 6}},
      {"speed 1", with([](PointerReading& r) { r.speed = 1; }), {1, 0, 1, 7, 6}},
  };
  for (const Case& t : cases) {
    MouseConfig c = saneRecord();
    c.scrollOneScreen = 1;  // replaced as well
    c.pointerSpeedStep = 2;
    takePointerReading(c, t.reading);
    EXPECT_EQ(fieldsOf(c), t.fields) << t.name;
    MouseConfig rest = c;
    const MouseConfig before = saneRecord();
    std::memcpy(&rest.enhancePointerPrecision, &before.enhancePointerPrecision, 5);
    EXPECT_EQ(rest, before) << t.name << ": only the pointer fields change";
  }
}

TEST(PointerMapping, WhatTheRecordHandsOverAndShows) {
  struct Case {
    const char* name;
    void (*change)(MouseConfig&);
    PointerValues values;
    int speedShown, linesShown, doubleClickShown;
    bool precisionShown, oneScreenShown;
  };
  const Case cases[] = {
      {"sane", [](MouseConfig&) {}, {true, 6, 5, 410}, 4, 5, 8, true, false},
      {"one screen",
       [](MouseConfig& c) { c.scrollOneScreen = 1; },
       {true, 6, kScrollOneScreen, 410},
       4,
       5,
       8,
       true,
       true},
      {"one screen read from the desktop",
       [](MouseConfig& c) {
         c.scrollOneScreen = 1;
         c.scrollLines = 0;
       },
       {true, 6, kScrollOneScreen, 410},
       4,
       0,
       8,
       true,
       true},
      {"no lines without one screen",
       [](MouseConfig& c) { c.scrollLines = 0; },
       {true, 6, 3, 410},
       4,
       3,
       8,
       true,
       false},
      {"speed step 0",
       [](MouseConfig& c) { c.pointerSpeedStep = 0; },
       {true, 10, 5, 410},
       6,
       5,
       8,
       true,
       false},
      {"double-click step 0",
       [](MouseConfig& c) { c.doubleClickStep = 0; },
       {true, 6, 5, 550},
       4,
       5,
       6,
       true,
       false},
      {"steps above the sliders",
       [](MouseConfig& c) {
         c.pointerSpeedStep = 12;
         c.scrollLines = 200;
         c.doubleClickStep = 255;
       },
       {true, 20, 11, 200},
       11,
       11,
       11,
       true,
       false},
      {"precision off",
       [](MouseConfig& c) { c.enhancePointerPrecision = 0; },
       {false, 6, 5, 410},
       4,
       5,
       8,
       false,
       false},
      {"odd bytes count as set",
       [](MouseConfig& c) {
         c.enhancePointerPrecision = 2;
         c.scrollOneScreen = 9;
       },
       {true, 6, kScrollOneScreen, 410},
       4,
       5,
       8,
       true,
       true},
      {"all zero", [](MouseConfig& c) { c.clear(); }, {false, 10, 3, 550}, 6, 3, 6, false, false},
      {"after Default",
       [](MouseConfig& c) { restorePointerDefaults(c); },
       {false, 10, 3, 550},
       6,
       3,
       6,
       false,
       false},
  };
  for (const Case& t : cases) {
    MouseConfig c = saneRecord();
    t.change(c);
    EXPECT_EQ(pointerValuesFor(c), t.values) << t.name;
    EXPECT_EQ(shownPointerStep(c, PointerSlider::Speed), t.speedShown) << t.name;
    EXPECT_EQ(shownPointerStep(c, PointerSlider::ScrollLines), t.linesShown) << t.name;
    EXPECT_EQ(shownPointerStep(c, PointerSlider::DoubleClick), t.doubleClickShown) << t.name;
    EXPECT_EQ(precisionTicked(c), t.precisionShown) << t.name;
    EXPECT_EQ(scrollOneScreenTicked(c), t.oneScreenShown) << t.name;
  }
}

TEST(PointerMapping, ClicksChangeOneFieldEach) {
  struct Case {
    const char* name;
    void (*click)(MouseConfig&);
    Fields fields;
  };
  const Case cases[] = {
      {"speed cell 11",
       [](MouseConfig& c) { EXPECT_TRUE(selectPointerStep(c, PointerSlider::Speed, 11)); },
       {1, 0, 11, 5, 8}},
      {"scroll cell 1",
       [](MouseConfig& c) { EXPECT_TRUE(selectPointerStep(c, PointerSlider::ScrollLines, 1)); },
       {1, 0, 4, 1, 8}},
      {"double-click cell 2",
       [](MouseConfig& c) { EXPECT_TRUE(selectPointerStep(c, PointerSlider::DoubleClick, 2)); },
       {1, 0, 4, 5, 2}},
      {"no cell 0 or 12",
       [](MouseConfig& c) {
         EXPECT_FALSE(selectPointerStep(c, PointerSlider::Speed, 0));
         EXPECT_FALSE(selectPointerStep(c, PointerSlider::DoubleClick, 12));
       },
       {1, 0, 4, 5, 8}},
      {"precision tick", togglePrecision, {0, 0, 4, 5, 8}},
      {"one-screen tick keeps the lines", toggleScrollOneScreen, {1, 1, 4, 5, 8}},
      {"a tick twice",
       [](MouseConfig& c) {
         toggleScrollOneScreen(c);
         toggleScrollOneScreen(c);
       },
       {1, 0, 4, 5, 8}},
      {"Default", restorePointerDefaults, {0, 0, 6, 3, 6}},
  };
  for (const Case& t : cases) {
    MouseConfig c = saneRecord();
    t.click(c);
    EXPECT_EQ(fieldsOf(c), t.fields) << t.name;
  }
}

}  // namespace
}  // namespace hm
