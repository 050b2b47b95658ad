// SPDX-License-Identifier: GPL-3.0-or-later
// The Linux backend as far as a machine without hidraw nodes allows: the live
// (empty) system, a sysfs-shaped fixture, and the input-report framing.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "core/device/device_link.h"
#include "platform/hid/hidraw_framing.h"
#include "platform/hid/linux_hid_backend.h"
#include "support/param_name.h"
#include "support/temp_dir.h"

namespace hm {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

class TempRoot {
 public:
  // One hidraw node under a USB device, linked from class/hidraw.
  void addNode(const std::string& usbDev, const std::string& hidId, int n, const Bytes& descriptor,
               const char* bcdDevice) {
    const fs::path usb = fs::path(root) / "devices" / "pci0000:00" / "usb1" / usbDev;
    const fs::path hid = usb / (usbDev + ":1.0") / (hidId + ".000" + std::to_string(n));
    const fs::path node = hid / "hidraw" / ("hidraw" + std::to_string(n));
    fs::create_directories(node);
    if (bcdDevice) std::ofstream(usb / "bcdDevice") << bcdDevice << "\n";
    std::ofstream(hid / "uevent") << "DRIVER=hid-generic\nHID_ID=" << hidId.substr(0, 4) << ":0000"
                                  << hidId.substr(5, 4) << ":0000" << hidId.substr(10, 4)
                                  << "\nHID_NAME=test\n";
    std::ofstream(hid / "report_descriptor", std::ios::binary)
        .write(reinterpret_cast<const char*>(descriptor.data()),
               static_cast<std::streamsize>(descriptor.size()));
    fs::create_directory_symlink("../..", node / "device");
    fs::create_directories(fs::path(root) / "class" / "hidraw");
    fs::create_directory_symlink(node, fs::path(root) / "class" / "hidraw" / ("hidraw" + std::to_string(n)));
  }
  test::TempDir dir;
  std::string root = dir.path();
};

const Bytes kBootKeyboard = {0x05, 0x01, 0x09, 0x06, 0xA1, 0x01, 0x75, 0x08, 0x95, 0x08, 0x81, 0x02, 0xC0};
// The mouse's notification collection (report ID 6) beside a keyboard (ID 1).
const Bytes kKeyboardAndNotification = {
    0x05, 0x01, 0x09, 0x06, 0xA1, 0x01, 0x85, 0x01, 0x75, 0x08, 0x95, 0x08, 0x81, 0x02, 0xC0, 0x06, 0x01,
    0xFF, 0x0A, 0x01, 0xFF, 0xA1, 0x01, 0x85, 0x06, 0x75, 0x08, 0x95, 0x08, 0x09, 0x01, 0x81, 0x02, 0xC0};
const Bytes kCommand = {0x06, 0x00, 0xFF, 0x0A, 0x00, 0xFF, 0xA1, 0x01, 0x75, 0x08,
                        0x95, 0x08, 0x09, 0x01, 0xB1, 0x02, 0x95, 0x20, 0x09, 0x02,
                        0x81, 0x02, 0x95, 0x20, 0x09, 0x03, 0x91, 0x02, 0xC0};

TEST(LinuxBackend, AnEmptySysfsListsNoInterfaces) {
  TempRoot t;
  auto backend = makeLinuxHidBackendForSysfs(t.root);
  const auto list = backend->listInterfaces();
  ASSERT_TRUE(list);
  EXPECT_TRUE(list->empty());
}

TEST(LinuxBackend, ThisMachineHasNoMouseAndSaysSoWithoutMessages) {
  auto backend = makeLinuxHidBackend();
  const auto list = backend->listInterfaces();
  if (list) {
    for (const auto& e : *list) EXPECT_NE(e.path.find("/hidraw/"), std::string::npos) << e.path;
  } else {
    EXPECT_NE(backend->lastError().text().find("failed"), std::string::npos);
  }
  struct Sink : MessageSink {
    void showMessage(const std::string&, const std::string&) override { ++count; }
    int count = 0;
  } sink;
  RecordingSleeper sleeper;
  DeviceLink link(*backend, sink, sleeper);
  if (!list || list->empty()) {
    EXPECT_EQ(link.openMouse(), 0);
    EXPECT_EQ(sink.count, 0);
  }
  auto monitor = backend->openMonitor();
  if (monitor) {
    EXPECT_GE(monitor->fd(), 0);
    EXPECT_TRUE(monitor->drain().empty());
  } else {
    EXPECT_NE(backend->lastError().text().find("failed"), std::string::npos) << backend->lastError().text();
  }
}

TEST(LinuxBackend, ListsOneInterfacePerTopLevelCollectionInPathOrder) {
  TempRoot t;
  t.addNode("1-3", "0003:1A2B:3C4D", 2, kBootKeyboard, "0210");
  t.addNode("1-1", "0003:04D9:A09F", 0, kKeyboardAndNotification, "0105");
  t.addNode("1-2", "0003:04D9:A09F", 1, kCommand, nullptr);
  auto backend = makeLinuxHidBackendForSysfs(t.root);
  const auto list = backend->listInterfaces();
  ASSERT_TRUE(list);
  ASSERT_EQ(list->size(), 4u);

  struct Want {
    const char* pathEnd;
    HidAttributes attr;
    HidCaps caps;
  };
  const Want want[] = {
      {"/hidraw/hidraw0&col01", {0x04D9, 0xA09F, 0x0105}, {0x0006, 0x0001, 9, 0, 0}},
      {"/hidraw/hidraw0&col02", {0x04D9, 0xA09F, 0x0105}, {0xFF01, 0xFF01, 9, 0, 0}},
      {"/hidraw/hidraw1", {0x04D9, 0xA09F, 0x0000}, {0xFF00, 0xFF00, 33, 33, 9}},
      {"/hidraw/hidraw2", {0x1A2B, 0x3C4D, 0x0210}, {0x0006, 0x0001, 9, 0, 0}},
  };
  for (std::size_t i = 0; i < 4; ++i) {
    const std::string& path = (*list)[i].path;
    SCOPED_TRACE(path);
    EXPECT_TRUE((*list)[i].detailOk);
    EXPECT_TRUE(path.ends_with(want[i].pathEnd));
    auto q = backend->open(path, HidAccess::Query);
    ASSERT_TRUE(q) << backend->lastError().text();
    HidAttributes a;
    ASSERT_TRUE(q->getAttributes(a)) << q->lastError().text();
    EXPECT_EQ(a.vendorId, want[i].attr.vendorId);
    EXPECT_EQ(a.productId, want[i].attr.productId);
    EXPECT_EQ(a.versionNumber, want[i].attr.versionNumber);
    HidCaps c;
    ASSERT_EQ(q->getCaps(c), HidCapsStatus::Ok) << q->lastError().text();
    EXPECT_EQ(c, want[i].caps);
  }
  // The mouse's paths carry its id for the device-change handling.
  EXPECT_NE((*list)[0].path.find("0003:04D9:A09F"), std::string::npos);
}

// A device being removed leaves its sysfs files in place for a moment, but
// reading them fails (ENODEV on the real kernel; here EISDIR, a folder in
// the file's place) and its device file is gone. The search passes the node
// over, without the stream's exception ending the program and without the
// message of a HID stack that gives no descriptor.
TEST(LinuxBackend, ANodeBeingRemovedIsPassedOver) {
  TempRoot t;
  t.addNode("1-2", "0003:04D9:A09F", 1, kCommand, "0105");
  const fs::path descriptor =
      fs::path(t.root) / "devices/pci0000:00/usb1/1-2/1-2:1.0/0003:04D9:A09F.0001/report_descriptor";
  fs::remove(descriptor);
  fs::create_directory(descriptor);
  auto backend = makeLinuxHidBackendForSysfs(t.root);
  const auto list = backend->listInterfaces();
  ASSERT_TRUE(list && list->size() == 1);
  auto q = backend->open((*list)[0].path, HidAccess::Query);
  ASSERT_TRUE(q);
  HidCaps caps;
  EXPECT_EQ(q->getCaps(caps), HidCapsStatus::PreparsedDataFailed);
  EXPECT_TRUE(isGoneError(q->lastError())) << q->lastError().text();
  struct Sink : MessageSink {
    void showMessage(const std::string& text, const std::string&) override { messages.push_back(text); }
    std::vector<std::string> messages;
  } sink;
  RecordingSleeper sleeper;
  DeviceLink link(*backend, sink, sleeper);
  EXPECT_EQ(link.openMouse(), 0);
  EXPECT_EQ(sink.messages, std::vector<std::string>{});
}

TEST(LinuxBackend, WithoutADeviceNodeIoOpensFailNamingTheCall) {
  TempRoot t;
  t.addNode("1-2", "0003:04D9:A09F", 1, kCommand, "0105");
  auto backend = makeLinuxHidBackendForSysfs(t.root);
  const auto list = backend->listInterfaces();
  ASSERT_TRUE(list && list->size() == 1);
  EXPECT_FALSE(backend->open((*list)[0].path, HidAccess::ReadWrite));
  EXPECT_NE(backend->lastError().text().find("open("), std::string::npos) << backend->lastError().text();
  EXPECT_NE(backend->lastError().text().find("errno"), std::string::npos) << backend->lastError().text();
  EXPECT_FALSE(backend->open(t.root + "/devices/none/hidraw/hidraw9", HidAccess::Query));
}

TEST(LinuxBackend, ABrokenDescriptorFailsTheCapsButNotTheList) {
  TempRoot t;
  t.addNode("1-2", "0003:04D9:A09F", 1, {0x05, 0x01, 0xA1, 0x01}, "0105");
  auto backend = makeLinuxHidBackendForSysfs(t.root);
  const auto list = backend->listInterfaces();
  ASSERT_TRUE(list && list->size() == 1);
  auto q = backend->open((*list)[0].path, HidAccess::Query);
  ASSERT_TRUE(q);
  HidCaps c;
  EXPECT_EQ(q->getCaps(c), HidCapsStatus::InvalidPreparsedData);
  // The search shows the caps message and stops.
  struct Sink : MessageSink {
    void showMessage(const std::string& text, const std::string&) override { texts.push_back(text); }
    std::vector<std::string> texts;
  } sink;
  RecordingSleeper sleeper;
  DeviceLink link(*backend, sink, sleeper);
  EXPECT_EQ(link.openMouse(), 0);
  EXPECT_EQ(sink.texts, std::vector<std::string>{"HidP_GetCaps failed."});
}

// ---- Framing ------------------------------------------------------------------

struct FramingCase {
  const char* name;
  bool usesIds;
  bool multiCollection;
  Bytes raw;  // as read(2) returned it
  std::size_t outSize;
  std::optional<Bytes> framed;
};

// Test names come from the case name; the bytes are not worth printing.
void PrintTo(const FramingCase& c, std::ostream* os) { *os << c.name; }

class FramingTest : public ::testing::TestWithParam<FramingCase> {};

TEST_P(FramingTest, PutsTheReportIdInByteZero) {
  const auto& c = GetParam();
  const std::set<std::uint8_t> ids{6};
  const InputFraming framing{c.usesIds, c.multiCollection ? &ids : nullptr};
  Bytes frame(64, 0xEE);
  std::copy(c.raw.begin(), c.raw.end(), frame.begin() + static_cast<long>(rawReportOffset(framing)));
  Bytes out(c.outSize, 0xCC);
  const auto n = finishInputFrame(frame, c.raw.size(), framing, out);
  ASSERT_EQ(n.has_value(), c.framed.has_value());
  if (!n) return;
  EXPECT_EQ(Bytes(out.begin(), out.begin() + static_cast<long>(*n)), *c.framed);
  for (std::size_t i = *n; i < out.size(); ++i) EXPECT_EQ(out[i], 0xCC) << "byte " << i;
}

INSTANTIATE_TEST_SUITE_P(
    Reports, FramingTest,
    ::testing::Values(
        FramingCase{"WithoutIdsGetsIdZero", false, false, {0x90, 0x01, 0x18}, 40, Bytes{0, 0x90, 0x01, 0x18}},
        FramingCase{"WithIdsKeepsIt", true, false, {6, 7, 0, 2}, 40, Bytes{6, 7, 0, 2}},
        FramingCase{"OwnCollection", true, true, {6, 9, 0, 3}, 40, Bytes{6, 9, 0, 3}},
        FramingCase{"OtherCollectionDropped", true, true, {1, 0, 0, 4}, 40, std::nullopt},
        FramingCase{"BoundedByTheCallerBuffer", false, false, Bytes(32, 0x11), 9,
                    Bytes{0, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11}},
        FramingCase{"EmptyRead", false, false, {}, 40, std::nullopt}),
    hm::test::ParamName());

}  // namespace
}  // namespace hm
