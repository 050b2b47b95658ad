// SPDX-License-Identifier: GPL-3.0-or-later
// The reader thread: which notification reports reach the window, and that
// events keep flowing across unplugging and replugging.
#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>

#include "core/device/device_change.h"
#include "core/device/event_collector.h"
#include "core/device/notification_reader.h"
#include "link_fixture.h"
#include "support/param_name.h"

namespace hm {
namespace {

using test::Collector;
using test::Event;
using test::LinkFixture;

struct ReportCase {
  const char* name;
  std::vector<std::uint8_t> report;
  bool forwarded;
  Event event;
};

// Test names come from the case name; the bytes are not worth printing.
void PrintTo(const ReportCase& c, std::ostream* os) { *os << c.name; }

const ReportCase kReports[] = {
    {"ReportRate", {6, 5, 0, 1, 0, 0, 0, 0, 0}, true, {5, 1}},
    {"ReportRate125", {6, 5, 0, 8, 0, 0, 0, 0, 0}, true, {5, 8}},
    {"DpiStage", {6, 7, 0xAA, 3, 0xBB, 0, 0, 0, 0}, true, {7, 3}},  // byte 2 and 4.. unused
    {"KeyMatrix", {6, 8, 0, 2, 0, 0, 0, 0, 0}, true, {8, 2}},
    {"MacroKey", {6, 9, 0, 12, 0, 0, 0, 0, 0}, true, {9, 12}},
    {"MacroKeyHigh", {6, 9, 0, 0xFF, 0, 0, 0, 0, 0}, true, {9, 255}},
    {"UnknownType6", {6, 6, 0, 1, 0, 0, 0, 0, 0}, false, {}},
    {"MouseGoingType15", {6, 15, 0, 0, 0, 0, 0, 0, 0}, true, {15, 0}},  // the mouse's own "unplug"
    {"TypeZero", {6, 0, 0, 0, 0, 0, 0, 0, 0}, false, {}},
    {"OtherReportId", {5, 5, 0, 1, 0, 0, 0, 0, 0}, false, {}},
    {"ReportIdZero", {0, 7, 0, 1, 0, 0, 0, 0, 0}, false, {}},
    // A short report: the bytes it does not carry are the zeroed buffer's.
    {"ShortReportValueZero", {6, 7}, true, {7, 0}},
    {"ShortReportIdOnly", {6}, false, {}},
};

class NotificationReportTest : public ::testing::TestWithParam<ReportCase> {};

TEST_P(NotificationReportTest, OnlyIdSixTypesFiveSevenEightNineFifteenAreForwarded) {
  LinkFixture f;
  ASSERT_EQ(f.link.openMouse(), 1);
  Collector got;
  NotificationReader reader(f.link, std::ref(got));
  reader.release();
  f.mouse.sendNotificationReport(GetParam().report);
  f.mouse.sendNotification(proto::kEventKeyMatrix, 1);  // a sentinel after it
  ASSERT_TRUE(got.waitFor(GetParam().forwarded ? 2 : 1));
  std::vector<Event> expected;
  if (GetParam().forwarded) expected.push_back(GetParam().event);
  expected.emplace_back(8, 1);
  EXPECT_EQ(got.events(), expected);
}

INSTANTIATE_TEST_SUITE_P(Reports, NotificationReportTest, ::testing::ValuesIn(kReports),
                         hm::test::ParamName());

TEST(NotificationReader, DoesNothingUntilReleased) {
  LinkFixture f;
  ASSERT_EQ(f.link.openMouse(), 1);
  Collector got;
  NotificationReader reader(f.link, std::ref(got));
  f.mouse.sendNotification(proto::kEventDpiStage, 2);
  EXPECT_FALSE(reader.released());
  EXPECT_TRUE(got.events().empty());
  reader.release();
  reader.release();  // only the first counts
  ASSERT_TRUE(got.waitFor(1));
  EXPECT_EQ(got.events(), (std::vector<Event>{{7, 2}}));
}

TEST(NotificationReader, StopsCleanlyWhetherHeldBlockedOrWithoutMouse) {
  {
    LinkFixture f;
    NotificationReader held(f.link, [](int, int) {});
  }
  {
    LinkFixture f;
    ASSERT_EQ(f.link.openMouse(), 1);
    NotificationReader blocked(f.link, [](int, int) {});
    blocked.release();
    blocked.stop();
    blocked.stop();
  }
  {
    LinkFixture f(false);
    NotificationReader waiting(f.link, [](int, int) {});
    waiting.release();
  }
}

TEST(NotificationReader, EventsFlowAgainAfterUnplugAndReplug) {
  LinkFixture f;
  ASSERT_EQ(f.link.openMouse(), 1);
  auto monitor = f.mouse.openMonitor();
  Collector got;
  NotificationReader reader(f.link, std::ref(got));
  reader.release();
  f.mouse.sendNotification(proto::kEventDpiStage, 1);
  ASSERT_TRUE(got.waitFor(1));

  auto deliver = [&] {
    for (const auto& e : monitor->drain())
      handleDeviceChange(f.link, deviceChangeCode(e.kind), proto::kDeviceTypeInterface, e.path, true, true);
  };
  f.mouse.unplug();
  deliver();
  EXPECT_EQ(f.link.deviceOpen.load(), 0);
  f.mouse.plugIn();
  deliver();
  ASSERT_EQ(f.link.deviceOpen.load(), 1);
  f.mouse.sendNotification(proto::kEventReportRate, 2);
  ASSERT_TRUE(got.waitFor(2));
  EXPECT_EQ(got.events(), (std::vector<Event>{{7, 1}, {5, 2}}));
}

TEST(NotificationReader, StartingWithoutTheMouseThenPluggingItInLetsTheReaderRun) {
  LinkFixture f(false);
  ASSERT_EQ(f.link.openMouse(), 0);
  auto monitor = f.mouse.openMonitor();
  Collector got;
  NotificationReader reader(f.link, std::ref(got));  // held: nothing was opened at start-up
  f.mouse.plugIn();
  for (const auto& e : monitor->drain()) {
    const auto a = handleDeviceChange(f.link, deviceChangeCode(e.kind), proto::kDeviceTypeInterface, e.path,
                                      false, true);
    if (a.startReader) reader.release();
  }
  EXPECT_TRUE(reader.released());
  f.mouse.sendNotification(proto::kEventMacroKey, 3);
  ASSERT_TRUE(got.waitFor(1));
  EXPECT_EQ(got.events(), (std::vector<Event>{{9, 3}}));
}

TEST(NotificationReader, WithTheCommandCollectionListedFirstItKeepsWaiting) {
  LinkFixture f;
  f.mouse.setLayout({SimulatedMouse::Role::Command, SimulatedMouse::Role::Notification});
  ASSERT_EQ(f.link.openMouse(), 1);
  Collector got;
  NotificationReader reader(f.link, std::ref(got));
  reader.release();
  f.mouse.sendNotification(proto::kEventDpiStage, 4);
  // Reopening with the usual order opens the notification collection and
  // wakes the reader, which then reads the queued report.
  f.mouse.setLayout({SimulatedMouse::Role::Notification, SimulatedMouse::Role::Command});
  EXPECT_TRUE(got.events().empty());
  ASSERT_EQ(f.link.openMouse(), 1);
  ASSERT_TRUE(got.waitFor(1));
  EXPECT_EQ(got.events(), (std::vector<Event>{{7, 4}}));
}

TEST(NotificationReader, TracesEachNotificationRead) {
  LinkFixture f;
  std::mutex m;
  std::vector<std::string> lines;
  f.link.setTrace([&](const std::string& l) {
    std::lock_guard lock(m);
    lines.push_back(l);
  });
  ASSERT_EQ(f.link.openMouse(), 1);
  Collector got;
  NotificationReader reader(f.link, std::ref(got));
  reader.release();
  f.mouse.sendNotification(proto::kEventKeyMatrix, 2);
  ASSERT_TRUE(got.waitFor(1));
  reader.stop();
  std::lock_guard lock(m);
  EXPECT_EQ(lines, (std::vector<std::string>{"read 06 08 00 02 00 00 00 00 00"}));
}

}  // namespace
}  // namespace hm
