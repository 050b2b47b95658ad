// SPDX-License-Identifier: GPL-3.0-or-later
// The simulated mouse as a stand-in for the system: its list, its checks,
// its plugging and the cable pulled mid-transfer.
#include <gtest/gtest.h>
#include <poll.h>

#include <cerrno>
#include <thread>

#include "core/device/device_change.h"
#include "core/wire/feature_report.h"
#include "platform/hid/simulated_mouse.h"
#include "support/param_name.h"

namespace hm {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes frame(const FeatureReport& r) {
  Bytes b(SimulatedMouse::kFeatureLength, 0);
  std::copy(r.bytes.begin(), r.bytes.end(), b.begin() + 1);
  return b;
}

bool readable(int fd) {
  pollfd p{fd, POLLIN, 0};
  return ::poll(&p, 1, 0) == 1;
}

TEST(SimulatedMouse, ListsAnotherDeviceThenTheMouseCollections) {
  SimulatedMouse mouse;
  const auto list = mouse.listInterfaces();
  ASSERT_TRUE(list);
  ASSERT_EQ(list->size(), 3u);
  EXPECT_FALSE(isMouseInterfacePath((*list)[0].path));
  EXPECT_EQ((*list)[1].path, mouse.notificationPath());
  EXPECT_EQ((*list)[2].path, mouse.commandPath());
  EXPECT_TRUE(isMouseInterfacePath(mouse.commandPath()));
  auto q = mouse.open(mouse.commandPath(), HidAccess::Query);
  HidCaps c;
  ASSERT_EQ(q->getCaps(c), HidCapsStatus::Ok);
  EXPECT_EQ(c, (HidCaps{0xFF00, 0xFF00, 33, 33, 9}));
}

TEST(SimulatedMouse, IgnoresAndCountsACommandWithABadChecksum) {
  SimulatedMouse mouse;
  auto h = mouse.open(mouse.commandPath(), HidAccess::ReadWrite);
  FeatureReport bad(proto::kCmdReportRate, 4);
  bad[7] ^= 0x01;
  EXPECT_TRUE(h->setFeature(frame(bad)));
  EXPECT_EQ(mouse.badChecksumCount(), 1);
  EXPECT_EQ(mouse.reportInterval(), 0);
  EXPECT_TRUE(mouse.commands().empty());
  EXPECT_TRUE(h->setFeature(frame(FeatureReport(proto::kCmdReportRate, 4))));
  EXPECT_EQ(mouse.reportInterval(), 4);
  EXPECT_EQ(mouse.badChecksumCount(), 1);
}

TEST(SimulatedMouse, CountsDataReportsThatNoBlockWriteAnnounced) {
  SimulatedMouse mouse;
  auto h = mouse.open(mouse.commandPath(), HidAccess::ReadWrite);
  EXPECT_TRUE(h->write(Bytes(33, 0)));
  EXPECT_EQ(mouse.strayDataReports(), 1);
}

TEST(SimulatedMouse, UnplugFailsOpenHandlesAndTellsTheMonitor) {
  SimulatedMouse mouse;
  auto monitor = mouse.openMonitor();
  auto cmd = mouse.open(mouse.commandPath(), HidAccess::ReadWrite);
  auto note = mouse.open(mouse.notificationPath(), HidAccess::Read);
  EXPECT_FALSE(readable(monitor->fd()));

  mouse.unplug();
  EXPECT_TRUE(readable(monitor->fd()));
  EXPECT_EQ(monitor->drain(),
            (std::vector<HidDeviceEvent>{{HidDeviceEventKind::Removal, mouse.notificationPath()},
                                         {HidDeviceEventKind::Removal, mouse.commandPath()}}));
  EXPECT_FALSE(readable(monitor->fd()));
  EXPECT_FALSE(cmd->setFeature(frame(FeatureReport(proto::kCmdReportRate, 1))));
  EXPECT_NE(cmd->lastError().text().find("errno"), std::string::npos);
  Bytes buf(9);
  EXPECT_EQ(note->read(buf, -1, nullptr).status, HidReadStatus::Failed);
  EXPECT_FALSE(mouse.open(mouse.commandPath(), HidAccess::Query));
  EXPECT_EQ(mouse.listInterfaces()->size(), 1u);
  mouse.sendNotification(proto::kEventDpiStage, 1);  // dropped: nobody is there

  mouse.plugIn();
  EXPECT_EQ(monitor->drain().size(), 2u);
  auto again = mouse.open(mouse.notificationPath(), HidAccess::Read);
  EXPECT_EQ(again->read(buf, 0, nullptr).status, HidReadStatus::TimedOut);
}

TEST(SimulatedMouse, ANotificationReadIsWokenByItsEvent) {
  SimulatedMouse mouse;
  auto note = mouse.open(mouse.notificationPath(), HidAccess::Read);
  WakeEvent wake;
  wake.set();
  Bytes buf(9);
  EXPECT_EQ(note->read(buf, -1, &wake).status, HidReadStatus::Woken);
  mouse.sendNotification(proto::kEventKeyMatrix, 2);
  // A queued report is delivered even while the event is set.
  const auto r = note->read(buf, -1, &wake);
  EXPECT_EQ(r.status, HidReadStatus::Ok);
  EXPECT_EQ(r.bytes, 9u);
  EXPECT_EQ(buf, (Bytes{6, 8, 0, 2, 0, 0, 0, 0, 0}));
}

// Macro 3 written (header and four data reports) and read back (header,
// get-feature and four data reports): eleven operations on the command
// collection. Gives the errno of each (0: it succeeded).
constexpr int kRoundTripOperations = 11;
constexpr std::uint8_t kMacro = 3;

std::vector<int> macroRoundTrip(HidDevice& h, std::uint8_t fill) {
  std::vector<int> result;
  const auto note = [&](bool ok) { result.push_back(ok ? 0 : h.lastError().code); };
  const auto chunks = proto::kMacroImageSize / proto::kChunkSize;
  note(h.setFeature(frame(FeatureReport(proto::kCmdMacroWrite, kMacro, proto::kMacroImageSize))));
  for (std::size_t c = 0; c < chunks; ++c) {
    Bytes data(SimulatedMouse::kOutputLength, fill);
    data[0] = proto::kReportIdNone;
    note(h.write(data));
  }
  note(h.setFeature(frame(FeatureReport(proto::kCmdMacroRead, kMacro))));
  Bytes answer(SimulatedMouse::kFeatureLength, 0);
  note(h.getFeature(answer));
  for (std::size_t c = 0; c < chunks; ++c) {
    Bytes in(SimulatedMouse::kInputLength, 0);
    note(h.read(in, 1000, nullptr).status == HidReadStatus::Ok && in[1] == fill);
  }
  return result;
}

struct FailAfterCase {
  const char* name;
  int operations;  // the fault's count (-1: off)
};

void PrintTo(const FailAfterCase& c, std::ostream* os) { *os << c.name; }

class FailAfterTest : public ::testing::TestWithParam<FailAfterCase> {};

TEST_P(FailAfterTest, PullsTheCableAtTheOperationAfterTheCount) {
  SimulatedMouse mouse;
  auto monitor = mouse.openMonitor();
  auto cmd = mouse.open(mouse.commandPath(), HidAccess::ReadWrite);
  auto note = mouse.open(mouse.notificationPath(), HidAccess::Read);
  mouse.setFailAfter(GetParam().operations);

  const int n = GetParam().operations;
  const bool pulled = n >= 0 && n < kRoundTripOperations;
  std::vector<int> expected(kRoundTripOperations, 0);
  if (pulled) std::fill(expected.begin() + n, expected.end(), ENODEV);
  EXPECT_EQ(macroRoundTrip(*cmd, 0x5A), expected);

  EXPECT_EQ(mouse.pluggedIn(), !pulled);
  const std::vector<HidDeviceEvent> removal{{HidDeviceEventKind::Removal, mouse.notificationPath()},
                                            {HidDeviceEventKind::Removal, mouse.commandPath()}};
  EXPECT_EQ(monitor->drain(), pulled ? removal : std::vector<HidDeviceEvent>{});
  // The macro is stored once its last data report arrived, and kept without power.
  const bool stored = !pulled || n >= 5;
  EXPECT_EQ(mouse.macroImage(kMacro)[0], stored ? 0x5A : 0x00);
  Bytes buf(SimulatedMouse::kNotificationInputLength);
  EXPECT_EQ(note->read(buf, 0, nullptr).status, pulled ? HidReadStatus::Failed : HidReadStatus::TimedOut);
  EXPECT_EQ(mouse.listInterfaces()->size(), pulled ? 1u : 3u);

  if (!pulled) return;
  // The fault fires once: plugged in again, the mouse works to the end.
  mouse.plugIn();
  auto again = mouse.open(mouse.commandPath(), HidAccess::ReadWrite);
  ASSERT_TRUE(again);
  EXPECT_EQ(macroRoundTrip(*again, 0x3C), std::vector<int>(kRoundTripOperations, 0));
}

INSTANTIATE_TEST_SUITE_P(
    Faults, FailAfterTest,
    ::testing::Values(FailAfterCase{"Off", -1}, FailAfterCase{"AtTheFirstCommand", 0},
                      FailAfterCase{"AfterTheHeader", 1}, FailAfterCase{"BeforeTheLastDataReport", 4},
                      FailAfterCase{"AfterTheBlockWrite", 5}, FailAfterCase{"BeforeTheAnswer", 6},
                      FailAfterCase{"AmongTheAnswerReports", 8}, FailAfterCase{"AtTheLastRead", 10},
                      FailAfterCase{"AfterTheLastOperation", kRoundTripOperations}),
    hm::test::ParamName());

TEST(SimulatedMouse, APulledCableEndsAReadThatIsWaiting) {
  SimulatedMouse mouse;
  auto cmd = mouse.open(mouse.commandPath(), HidAccess::ReadWrite);
  auto note = mouse.open(mouse.notificationPath(), HidAccess::Read);
  mouse.setFailAfter(0);
  std::thread reader([&] {
    Bytes buf(SimulatedMouse::kNotificationInputLength);
    EXPECT_EQ(note->read(buf, -1, nullptr).status, HidReadStatus::Failed);
    EXPECT_EQ(note->lastError().code, ENODEV);
  });
  EXPECT_FALSE(cmd->setFeature(frame(FeatureReport(proto::kCmdReportRate, 1))));
  reader.join();
}

}  // namespace
}  // namespace hm
