// SPDX-License-Identifier: GPL-3.0-or-later
// The search for the mouse among the system's interfaces.
#include <gtest/gtest.h>

#include "link_fixture.h"
#include "support/param_name.h"

namespace hm {
namespace {

using Role = SimulatedMouse::Role;
using test::LinkFixture;

struct LayoutCase {
  const char* name;
  std::vector<Role> layout;
  int result;
  bool notificationOpen;
};

// Test names come from the case name; the bytes are not worth printing.
void PrintTo(const LayoutCase& c, std::ostream* os) { *os << c.name; }

class OpenLayoutTest : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(OpenLayoutTest, FindsTheCommandCollectionAndOpensWhatCameBefore) {
  LinkFixture f;
  f.mouse.setLayout(GetParam().layout);
  EXPECT_EQ(f.link.openMouse(), GetParam().result);
  EXPECT_EQ(f.link.deviceOpen.load(), GetParam().result);
  EXPECT_EQ(f.link.notificationOpen(), GetParam().notificationOpen);
  EXPECT_EQ(f.link.readerEvent().isSet(), GetParam().result == 1 && GetParam().notificationOpen);
  if (GetParam().result == 1) {
    EXPECT_EQ(f.link.featureLength(), SimulatedMouse::kFeatureLength);
    EXPECT_EQ(f.link.inputLength(), SimulatedMouse::kInputLength);
    EXPECT_EQ(f.link.outputLength(), SimulatedMouse::kOutputLength);
    EXPECT_EQ(f.link.devicePath(), f.mouse.commandPath());
  }
  if (GetParam().notificationOpen) {
    EXPECT_EQ(f.link.notificationInputLength(), SimulatedMouse::kNotificationInputLength);
  }
  EXPECT_TRUE(f.sink.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, OpenLayoutTest,
    ::testing::Values(LayoutCase{"Default", {Role::Other, Role::Notification, Role::Command}, 1, true},
                      LayoutCase{"MouseOnly", {Role::Notification, Role::Command}, 1, true},
                      LayoutCase{"OthersBetween",
                                 {Role::Other, Role::Notification, Role::Other, Role::Other, Role::Command,
                                  Role::Other},
                                 1,
                                 true},
                      // The search stops at the command collection: a notification collection
                      // listed after it is never opened and the reader keeps waiting.
                      LayoutCase{"CommandFirst", {Role::Command, Role::Notification}, 1, false},
                      LayoutCase{"CommandOnly", {Role::Other, Role::Command}, 1, false},
                      LayoutCase{"NotificationOnly", {Role::Other, Role::Notification}, 0, false},
                      LayoutCase{"OtherDevicesOnly", {Role::Other, Role::Other}, 0, false},
                      LayoutCase{"Empty", {}, 0, false}),
    hm::test::ParamName());

TEST(OpenMouse, UnpluggedMouseIsNotFound) {
  LinkFixture f(false);
  EXPECT_EQ(f.link.openMouse(), 0);
  EXPECT_EQ(f.link.deviceOpen.load(), 0);
  EXPECT_TRUE(f.sink.messages.empty());
}

// Failures the system reports during the search, by the index of the
// interface that fails in the default layout (other, notification, command).
struct FailureCase {
  const char* name;
  void (*arrange)(SimulatedMouse&);
  const char* message;  // nullptr: none
};

// Test names come from the case name; the bytes are not worth printing.
void PrintTo(const FailureCase& c, std::ostream* os) { *os << c.name; }

class OpenFailureTest : public ::testing::TestWithParam<FailureCase> {};

TEST_P(OpenFailureTest, StopsTheSearchWithResultZero) {
  LinkFixture f;
  GetParam().arrange(f.mouse);
  EXPECT_EQ(f.link.openMouse(), 0);
  EXPECT_EQ(f.link.deviceOpen.load(), 0);
  EXPECT_FALSE(f.link.notificationOpen());  // nothing stays open after a failed search
  if (GetParam().message) {
    ASSERT_EQ(f.sink.messages.size(), 1u);
    EXPECT_EQ(f.sink.messages[0].text, GetParam().message);
    EXPECT_EQ(f.sink.messages[0].caption, "");
  } else {
    EXPECT_TRUE(f.sink.messages.empty());
  }
}

INSTANTIATE_TEST_SUITE_P(
    Failures, OpenFailureTest,
    ::testing::Values(
        FailureCase{"ListFails", [](SimulatedMouse& m) { m.setListFails(true); }, nullptr},
        FailureCase{"DetailOfOtherDevice", [](SimulatedMouse& m) { m.setDetailFailsAt(0); },
                    "SetupDiGetDeviceInterfaceDetail failed.\n"},
        // An interface that cannot even be opened for querying ends the search,
        // even when it is another device's.
        FailureCase{"QueryOpenOfOtherDevice", [](SimulatedMouse& m) { m.setOpenFailsAt(0); }, nullptr},
        FailureCase{"QueryOpenOfCommand", [](SimulatedMouse& m) { m.setOpenFailsAt(2); }, nullptr},
        FailureCase{"PreparsedData",
                    [](SimulatedMouse& m) { m.setCapsFailAt(1, HidCapsStatus::PreparsedDataFailed); },
                    "HidD_GetPreparsedData failed.\n"},
        FailureCase{"Caps",
                    [](SimulatedMouse& m) { m.setCapsFailAt(2, HidCapsStatus::InvalidPreparsedData); },
                    "HidP_GetCaps failed."}),
    hm::test::ParamName());

TEST(OpenMouse, CapsOfAnotherDeviceAreNeverAsked) {
  LinkFixture f;
  f.mouse.setCapsFailAt(0, HidCapsStatus::InvalidPreparsedData);
  EXPECT_EQ(f.link.openMouse(), 1);
  EXPECT_TRUE(f.sink.messages.empty());
}

TEST(OpenMouse, ALaterSearchClosesTheEarlierHandles) {
  LinkFixture f;
  ASSERT_EQ(f.link.openMouse(), 1);
  const std::shared_ptr<HidDevice> first = f.link.notificationReadHandle();
  ASSERT_TRUE(first);
  ASSERT_EQ(f.link.openMouse(), 1);
  const std::shared_ptr<HidDevice> second = f.link.notificationReadHandle();
  ASSERT_TRUE(second);
  EXPECT_NE(first.get(), second.get());
  // The earlier handle is cancelled: a read on it returns at once.
  std::array<std::uint8_t, 9> buf{};
  f.mouse.sendNotification(proto::kEventDpiStage, 2);
  EXPECT_EQ(first->read(buf, -1, nullptr).status, HidReadStatus::Failed);
  EXPECT_EQ(second->read(buf, 0, nullptr).status, HidReadStatus::Ok);
}

TEST(OpenMouse, DiagnosticLinesNameEveryInterfaceAndTheMouseCollections) {
  LinkFixture f;
  std::string log;
  f.link.setLog([&](const std::string& s) { log += s; });
  ASSERT_EQ(f.link.openMouse(), 1);
  EXPECT_NE(log.find("PID:3c4d\n,VID:1a2b\n,VersionNumber:0100\n"), std::string::npos) << log;
  EXPECT_NE(log.find("PID:a09f\n,VID:04d9\n,VersionNumber:0105\n"), std::string::npos) << log;
  EXPECT_NE(log.find("Usage:0xff00\n, UsagePage:0xff00\n,FeatureReportByteLength:0x0009\n,"
                     "InputReportByteLength:0x21\n,OutputReportByteLength:0x21\n"),
            std::string::npos)
      << log;
  EXPECT_NE(log.find("Usage:0xff01\n, UsagePage:0xff01\n"), std::string::npos) << log;
}

TEST(CloseLink, ClosesEverythingAndWakesTheReader) {
  LinkFixture f;
  ASSERT_EQ(f.link.openMouse(), 1);
  f.link.readerEvent().reset();
  f.link.close();
  EXPECT_EQ(f.link.deviceOpen.load(), 0);
  EXPECT_FALSE(f.link.notificationOpen());
  EXPECT_TRUE(f.link.readerEvent().isSet());
  FeatureReport r(proto::kCmdReportRate, 4);
  f.link.sendCommand(r);
  EXPECT_EQ(f.mouse.reportInterval(), 0);
}

}  // namespace
}  // namespace hm
