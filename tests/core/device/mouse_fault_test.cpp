// SPDX-License-Identifier: GPL-3.0-or-later
// A misbehaving mouse: the cable pulled before every single operation of an
// Apply, answers that lie, reads that never come, garbage and storms on the
// notification collection, and many plug cycles with the reader running.
// The program must not crash, hang, write past a buffer (the suite runs
// under ASan), lose a file, or keep anything of an old connection.
#include <dirent.h>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <random>
#include <vector>

#include "core/buttons/button_codes.h"
#include "core/device/device_change.h"
#include "core/device/event_collector.h"
#include "core/device/link_fixture.h"
#include "core/device/notification_reader.h"
#include "core/model/config_session.h"
#include "support/param_name.h"
#include "support/temp_dir.h"

namespace hm {
namespace {

using test::Collector;
using test::Event;
using test::LinkFixture;
using test::TempDir;
using Bytes = std::vector<std::uint8_t>;

MouseConfig record() {
  MouseConfig c = factoryConfig();
  c.reportInterval = 2;
  for (std::size_t m = 0; m < kMacroCount; ++m)
    for (std::size_t i = 0; i < kMacroImageSize; ++i)
      c.macroImage[m][i] = static_cast<std::uint8_t>(m * 7 + i + 1);
  return c;
}

// What the mouse holds is what a whole Apply of c sends.
void expectMouseHolds(const SimulatedMouse& mouse, const MouseConfig& c, const std::string& what) {
  const auto matrices = buildKeyMatrices(c);
  for (int t = 1; t <= 4; ++t)
    EXPECT_EQ(mouse.keyMatrix(t), matrices[static_cast<std::size_t>(t - 1)]) << what;
  for (int m = 1; m <= 12; ++m)
    EXPECT_TRUE(
        std::equal(c.macroImage[m - 1], c.macroImage[m - 1] + kMacroImageSize, mouse.macroImage(m).begin()))
        << what << " macro " << m;
  EXPECT_EQ(mouse.reportInterval(), c.reportInterval) << what;
}

// Delivers the monitor's arrivals and removals as the window does.
void deliver(HidMonitor& monitor, DeviceLink& link) {
  for (const HidDeviceEvent& e : monitor.drain())
    handleDeviceChange(link, deviceChangeCode(e.kind), proto::kDeviceTypeInterface, e.path, true, true);
}

// The number of operations on the command collection that one Apply makes.
std::size_t operationsOfOneApply() {
  LinkFixture f;
  f.link.openMouse();
  f.trace.clear();
  f.apply(record());
  std::size_t n = 0;
  for (const auto& l : f.trace) n += l.rfind("sleep ", 0) == 0 ? 0 : 1;
  return n;
}

// The cable is pulled before operation N of an Apply, for every N: the
// sequence still ends as it would with the mouse gone (every step tried,
// every pause taken, at most one read time-out), both files are saved, the
// removal closes the link, and after replugging the next Apply sends all.
TEST(MouseFaults, UnplugBeforeEachOperationOfApply) {
  const std::size_t total = operationsOfOneApply();
  ASSERT_EQ(total, proto::kApplyCommandCount + proto::kApplyDataReports + 15u + 51u)
      << "37 headers, 60 data reports, 15 answers and 51 answer reports";
  for (std::size_t n = 0; n <= total; ++n) {
    const std::string what = "unplugged before operation " + std::to_string(n);
    TempDir dir;
    const DataPaths paths = DataPaths::inFolder(dir.path());
    ASSERT_TRUE(writeConfigImage(paths.configBin, 1, factoryConfig()));
    LinkFixture f;
    ASSERT_EQ(f.link.openMouse(), 1);
    auto monitor = f.mouse.openMonitor();
    ConfigSession session(paths, Language::English, f.sink);
    session.load();
    session.working() = record();
    f.mouse.setFailAfter(static_cast<int>(n));
    f.trace.clear();

    const ApplyResult r = session.applyToMouse(f.link);
    EXPECT_EQ(r.mouseTookAll(), n == total) << what;
    EXPECT_TRUE(r.saved()) << what;
    EXPECT_EQ(f.sleeper.totalMs(), proto::kApplyPauseFloorMs) << what;
    EXPECT_EQ(f.ops("set-feature").size(), proto::kApplyCommandCount) << what;
    std::size_t timeOuts = 0;
    for (const auto& l : f.ops("read")) timeOuts += l.ends_with("! ETIMEDOUT") ? 1 : 0;
    EXPECT_LE(timeOuts, 1u) << what;
    MouseConfig onDisk{};
    std::uint8_t flag = 0;
    test::RecordingSink quiet;
    ASSERT_TRUE(loadConfigFile(paths.configBin, onDisk, flag, quiet)) << what;
    EXPECT_EQ(onDisk, record()) << what;

    f.mouse.setFailAfter(-1);
    if (n < total) {
      deliver(*monitor, f.link);
      EXPECT_EQ(f.link.deviceOpen.load(), 0) << what;
      f.mouse.plugIn();
      deliver(*monitor, f.link);
      ASSERT_EQ(f.link.deviceOpen.load(), 1) << what;
    }
    session.working().reportInterval = 4;
    const MouseConfig second = session.working();
    EXPECT_TRUE(session.applyToMouse(f.link).mouseTookAll()) << what;
    expectMouseHolds(f.mouse, second, what);
  }
}

struct LieCase {
  const char* name;
  void (*arrange)(SimulatedMouse&);
  int readTimeOuts;  // data reads that time out in one Apply
};

const LieCase kLies[] = {
    {"colour_answer_naming_another_page", [](SimulatedMouse& m) { m.setFaults({.colourAnswerPage = 2}); }, 0},
    {"colour_answer_naming_page_255", [](SimulatedMouse& m) { m.setFaults({.colourAnswerPage = 255}); }, 0},
    {"answers_announcing_255_bytes", [](SimulatedMouse& m) { m.setFaults({.answerLength = 255}); }, 0},
    {"answers_announcing_129_bytes", [](SimulatedMouse& m) { m.setFaults({.answerLength = 129}); }, 0},
    {"answers_announcing_255_bytes_sending_none",
     [](SimulatedMouse& m) { m.setFaults({.answerLength = 255, .missingAnswerReports = 8}); }, 1},
    {"all_zero_feature_answers", [](SimulatedMouse& m) { m.setFaults({.featureAnswerBytes = 0}); }, 0},
    {"feature_answers_of_three_bytes", [](SimulatedMouse& m) { m.setFaults({.featureAnswerBytes = 3}); }, 0},
    {"answer_reports_that_never_come", [](SimulatedMouse& m) { m.setFaults({.missingAnswerReports = 1}); },
     1},
    {"slow_mouse", [](SimulatedMouse& m) { m.setLatency(std::chrono::microseconds(200)); }, 0},
};

class LyingMouse : public ::testing::TestWithParam<LieCase> {};

// Whatever the answers claim, the reads stay inside their buffers, the
// sequence runs to its end and costs at most one read time-out, and the
// state kept from the answers stays in range.
TEST_P(LyingMouse, ApplyAndHandshakeStayInsideTheirBuffers) {
  LinkFixture f;
  ASSERT_EQ(f.link.openMouse(), 1);
  GetParam().arrange(f.mouse);
  f.link.sensorHandshake();
  const MouseConfig c = record();
  f.trace.clear();
  f.apply(c);
  int timeOuts = 0;
  for (const auto& l : f.ops("read")) timeOuts += l.ends_with("! ETIMEDOUT") ? 1 : 0;
  EXPECT_EQ(timeOuts, GetParam().readTimeOuts);
  EXPECT_EQ(f.ops("set-feature").size(), proto::kApplyCommandCount);
  EXPECT_EQ(f.ops("write").size(), proto::kApplyDataReports);
  EXPECT_EQ(f.sleeper.totalMs(), proto::kApplyPauseFloorMs);
  expectMouseHolds(f.mouse, c, GetParam().name);
  // Left-over answer reports of one Apply are not taken for the next one's.
  f.mouse.setFaults({});
  f.mouse.setColourPage(1, Bytes(24, 0x5A));
  f.apply(c);
  f.apply(c);
  EXPECT_EQ(f.mouse.colourPage(1), Bytes(24, 0x5A));
}

INSTANTIATE_TEST_SUITE_P(Answers, LyingMouse, ::testing::ValuesIn(kLies), hm::test::ParamName());

// Garbage of every length on the notification collection is read and
// dropped; the valid reports among it arrive, in order.
TEST(MouseFaults, GarbageOnTheNotificationCollection) {
  LinkFixture f;
  ASSERT_EQ(f.link.openMouse(), 1);
  Collector got;
  NotificationReader reader(f.link, std::ref(got));
  reader.release();
  std::mt19937 random(7);
  std::vector<std::pair<int, int>> expected;
  for (int i = 0; i < 2000; ++i) {
    Bytes report(random() % 80);
    for (auto& b : report) b = static_cast<std::uint8_t>(random());
    if (!report.empty() && report[0] == proto::kNotificationReportId) report[0] = 0;  // stays garbage
    f.mouse.sendNotificationReport(report);
    if (i % 50 == 0) {
      f.mouse.sendNotification(proto::kEventMacroKey, i / 50 + 1);
      expected.emplace_back(proto::kEventMacroKey, i / 50 + 1);
    }
  }
  ASSERT_TRUE(got.waitFor(expected.size()));
  EXPECT_EQ(got.events(), expected);
}

// Ten thousand notifications at once: every one reaches the callback in
// order, and none is left queued.
TEST(MouseFaults, AStormOfNotificationsArrivesWholeAndInOrder) {
  LinkFixture f;
  ASSERT_EQ(f.link.openMouse(), 1);
  Collector got;
  NotificationReader reader(f.link, std::ref(got));
  reader.release();
  std::vector<std::pair<int, int>> expected;
  for (int i = 0; i < 10000; ++i) {
    const int type = (i % 2 == 0) ? proto::kEventMacroKey : proto::kEventDpiStage;
    const int value = type == proto::kEventMacroKey ? i % 255 + 1 : i % 4 + 1;
    f.mouse.sendNotification(type, value);
    expected.emplace_back(type, value);
  }
  ASSERT_TRUE(got.waitFor(expected.size()));
  EXPECT_EQ(got.events(), expected);
}

std::size_t entriesOf(const char* folder) {
  std::size_t n = 0;
  if (DIR* d = ::opendir(folder)) {
    while (::readdir(d) != nullptr) ++n;
    ::closedir(d);
  }
  return n;
}

// A thousand plug cycles with the reader running: no descriptor, thread or
// handle of an old connection is kept, and events still flow afterwards.
TEST(MouseFaults, PlugCyclesKeepNothingBehind) {
  LinkFixture f;
  ASSERT_EQ(f.link.openMouse(), 1);
  auto monitor = f.mouse.openMonitor();
  Collector got;
  NotificationReader reader(f.link, std::ref(got));
  reader.release();
  f.mouse.sendNotification(proto::kEventDpiStage, 1);
  ASSERT_TRUE(got.waitFor(1));
  const std::size_t fds = entriesOf("/proc/self/fd"), threads = entriesOf("/proc/self/task");
  for (int i = 0; i < 1000; ++i) {
    f.mouse.unplug();
    deliver(*monitor, f.link);
    f.mouse.plugIn();
    deliver(*monitor, f.link);
    ASSERT_EQ(f.link.deviceOpen.load(), 1) << "cycle " << i;
    if (i % 100 == 0) f.mouse.sendNotification(proto::kEventReportRate, 1);
  }
  // Notifications sent between the cycles may have been lost with the
  // power; one sent now arrives. Once it has, the reader reads from the new
  // handle and holds no old one: counted then.
  const std::size_t before = got.events().size();
  f.mouse.sendNotification(proto::kEventKeyMatrix, 2);
  ASSERT_TRUE(got.waitFor(before + 1));
  EXPECT_EQ(got.events().back(), (std::pair<int, int>{proto::kEventKeyMatrix, 2}));
  EXPECT_EQ(entriesOf("/proc/self/fd"), fds);
  EXPECT_EQ(entriesOf("/proc/self/task"), threads);
}

}  // namespace
}  // namespace hm
