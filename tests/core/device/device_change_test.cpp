// SPDX-License-Identifier: GPL-3.0-or-later
// Device arrival and removal: which notifications count and what the window
// is told to do.
#include <gtest/gtest.h>

#include "core/device/device_change.h"
#include "link_fixture.h"
#include "support/param_name.h"

namespace hm {
namespace {

using test::LinkFixture;

struct PathCase {
  const char* path;
  bool mouse;
};

class MousePathTest : public ::testing::TestWithParam<PathCase> {};

TEST_P(MousePathTest, RecognisesTheThreeExactForms) {
  EXPECT_EQ(isMouseInterfacePath(GetParam().path), GetParam().mouse) << GetParam().path;
}

INSTANTIATE_TEST_SUITE_P(
    Paths, MousePathTest,
    ::testing::Values(
        PathCase{
            "\\\\?\\HID#Vid_04d9&Pid_a09f&MI_01&Col02#7&1a2b&0&0001#{4d1e55b2-f16f-11cf-88cb-001111000030}",
            true},
        PathCase{"\\\\?\\HID#VID_04D9&PID_A09F&MI_01&Col01#7&1a2b&0&0000#{4d1e55b2}", true},
        PathCase{"/sys/devices/pci0000:00/usb1/1-2/1-2:1.1/0003:04D9:A09F.0004/hidraw/hidraw3", true},
        PathCase{"\\\\?\\HID#vid_04d9&pid_a09f&mi_01", false},  // other letter case
        PathCase{"\\\\?\\HID#VID_04d9&PID_a09f", false},
        PathCase{"/sys/devices/usb1/0003:04d9:a09f.0004/hidraw/hidraw3", false},
        PathCase{"/sys/devices/usb1/0003:04D9:A0A0.0004/hidraw/hidraw3", false},
        PathCase{"\\\\?\\HID#VID_04D9&PID_A0A0", false}, PathCase{"", false}));

struct EventCase {
  const char* name;
  std::uint32_t code;
  std::uint32_t type;
  DeviceChangeKind kind;
};

// Test names come from the case name; the bytes are not worth printing.
void PrintTo(const EventCase& c, std::ostream* os) { *os << c.name; }

class DeviceEventTest : public ::testing::TestWithParam<EventCase> {};

TEST_P(DeviceEventTest, ActsOnlyOnInterfaceArrivalAndRemoval) {
  LinkFixture f;
  const auto a =
      handleDeviceChange(f.link, GetParam().code, GetParam().type, f.mouse.commandPath(), false, true);
  EXPECT_EQ(a.kind, GetParam().kind);
  EXPECT_EQ(f.link.deviceOpen.load(), GetParam().kind == DeviceChangeKind::Opened ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(Events, DeviceEventTest,
                         ::testing::Values(EventCase{"Arrival", 0x8000, 5, DeviceChangeKind::Opened},
                                           EventCase{"RemoveComplete", 0x8004, 5, DeviceChangeKind::Opened},
                                           EventCase{"QueryRemove", 0x8001, 5, DeviceChangeKind::Ignored},
                                           EventCase{"RemovePending", 0x8003, 5, DeviceChangeKind::Ignored},
                                           EventCase{"NodesChanged", 0x0007, 5, DeviceChangeKind::Ignored},
                                           EventCase{"VolumeArrival", 0x8000, 2, DeviceChangeKind::Ignored},
                                           EventCase{"HandleRemoval", 0x8004, 6, DeviceChangeKind::Ignored}),
                         hm::test::ParamName());

TEST(DeviceChange, ANotificationOfAnotherDeviceIsIgnored) {
  LinkFixture f;
  const auto a = handleDeviceChange(f.link, proto::kDeviceArrival, proto::kDeviceTypeInterface,
                                    f.mouse.pathAt(0), false, true);
  EXPECT_EQ(a.kind, DeviceChangeKind::Ignored);
  EXPECT_TRUE(f.trace.empty());
}

TEST(DeviceChange, RemovalWhileTheMouseStaysReopensWithoutWarning) {
  LinkFixture f;
  ASSERT_EQ(f.link.openMouse(), 1);
  const auto a = handleDeviceChange(f.link, proto::kDeviceRemoveComplete, proto::kDeviceTypeInterface,
                                    f.mouse.notificationPath(), true, true);
  EXPECT_EQ(a, (DeviceChangeAction{DeviceChangeKind::Opened, false, false}));
  EXPECT_EQ(f.link.deviceOpen.load(), 1);
  EXPECT_EQ(f.mouse.sensorWrites(), 0);  // no handshake on a removal
}

TEST(DeviceChange, UnplugWarnsAndReplugReopensWithHandshake) {
  LinkFixture f;
  f.mouse.setSensorAnswer({2, 0, 0, 0});
  ASSERT_EQ(f.link.openMouse(), 1);
  auto monitor = f.mouse.openMonitor();
  f.mouse.unplug();
  auto events = monitor->drain();
  ASSERT_EQ(events.size(), 2u);
  for (const auto& e : events) {
    const auto a =
        handleDeviceChange(f.link, deviceChangeCode(e.kind), proto::kDeviceTypeInterface, e.path, true, true);
    EXPECT_EQ(a.kind, DeviceChangeKind::WarnAndHide);
    EXPECT_EQ(f.link.deviceOpen.load(), 0);
  }
  f.mouse.plugIn();
  events = monitor->drain();
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[0].kind, HidDeviceEventKind::Arrival);
  const auto a = handleDeviceChange(f.link, deviceChangeCode(events[0].kind), proto::kDeviceTypeInterface,
                                    events[0].path, true, true);
  EXPECT_EQ(a, (DeviceChangeAction{DeviceChangeKind::Opened, true, false}));
  EXPECT_EQ(f.link.deviceOpen.load(), 1);
  EXPECT_EQ(f.link.activeSensorType(), 2);
  EXPECT_EQ(f.mouse.sensorOptions(), (std::array<std::uint8_t, 4>{2, 0, 0, 0x40}));
}

struct ReaderRuleCase {
  bool basicPageShown;
  bool readerExists;
  bool startReader;
};

class ReaderRuleTest : public ::testing::TestWithParam<ReaderRuleCase> {};

TEST_P(ReaderRuleTest, AnArrivalLetsAnExistingReaderRunWhileTheBasicPageWasNotShown) {
  LinkFixture f(false);
  ASSERT_EQ(f.link.openMouse(), 0);
  f.mouse.plugIn();
  const auto a =
      handleDeviceChange(f.link, proto::kDeviceArrival, proto::kDeviceTypeInterface, f.mouse.commandPath(),
                         GetParam().basicPageShown, GetParam().readerExists);
  EXPECT_EQ(a.kind, DeviceChangeKind::Opened);
  EXPECT_TRUE(a.handshakeDone);
  EXPECT_EQ(a.startReader, GetParam().startReader);
}

INSTANTIATE_TEST_SUITE_P(Rules, ReaderRuleTest,
                         ::testing::Values(ReaderRuleCase{false, true, true},
                                           ReaderRuleCase{true, true, false},
                                           ReaderRuleCase{false, false, false},
                                           ReaderRuleCase{true, false, false}));

}  // namespace
}  // namespace hm
