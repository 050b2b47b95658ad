// The simulated mouse as a stand-in for the system: its list, its checks and
// its plugging.
#include <gtest/gtest.h>
#include <poll.h>

#include "core/device/device_change.h"
#include "core/device/feature_report.h"
#include "platform/hid/simulated_mouse.h"

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

}  // namespace
}  // namespace hm
