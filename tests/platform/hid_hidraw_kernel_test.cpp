// SPDX-License-Identifier: GPL-3.0-or-later
// The Linux backend end to end over the fake hidraw kernel with the mouse's
// firmware behind it: the device search, Apply, the notification reader,
// unplugging and replugging, the kernel's answers and the ioctl request
// numbers, held against the simulated mouse where both can run.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/hidraw.h>
#include <sys/ioctl.h>

#include <algorithm>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <random>

#include "core/device/device_change.h"
#include "core/device/device_link.h"
#include "core/device/notification_reader.h"
#include "core/model/config_session.h"
#include "platform/hid/linux_hid_backend.h"
#include "platform/hid/mouse_interfaces.h"
#include "platform/hid/simulated_mouse.h"
#include "support/fake_hidraw_mouse.h"
#include "support/param_name.h"
#include "support/recording_sink.h"
#include "support/temp_dir.h"

namespace hm {
namespace {

using test::FakeHidrawKernel;
using test::HidrawMouse;
using Bytes = std::vector<std::uint8_t>;
using SensorBytes = std::array<std::uint8_t, proto::kSensorInfoSize>;

// The system as a user's machine has it: a keyboard, the mouse and a
// look-alike device, seen through the real Linux backend.
struct Desk {
  FakeHidrawKernel kernel;
  test::OtherDevices others{kernel};
  HidrawMouse mouse{kernel};
  std::unique_ptr<HidBackend> backend =
      makeLinuxHidBackendForSysfs(kernel.sysfsRoot(), kernel, [this] { return kernel.openMonitor(); });
};

// A device link with its trace kept.
struct Rig {
  explicit Rig(HidBackend& backend) : link(backend, sink, sleeper) {
    link.setTrace([this](const std::string& line) {
      std::lock_guard lock(m);
      trace.push_back(line);
    });
  }
  std::vector<std::string> takeTrace() {
    std::lock_guard lock(m);
    return std::exchange(trace, {});
  }
  test::RecordingSink sink;
  RecordingSleeper sleeper;
  DeviceLink link;
  std::mutex m;
  std::vector<std::string> trace;
};

// A data folder holding a record of random bytes (seeded) as config.bin.
struct DataFolder {
  explicit DataFolder(unsigned seed) {
    std::mt19937 rng(seed);
    Bytes bytes(MouseConfig::kSize);
    for (auto& b : bytes) b = static_cast<std::uint8_t>(rng());
    record.fromBytes(bytes.data());
    EXPECT_TRUE(writeConfigImage(paths.configBin, 1, record).ok());
    test::writeFile(paths.strIni, "[Setting-EN]\nItem1=Left Click\n");
  }
  test::TempDir dir;
  DataPaths paths = DataPaths::inFolder(dir.path());
  MouseConfig record{};
};

// What the mouse was told, whichever HID layer carried it.
struct Stored {
  std::uint8_t interval;
  std::array<std::uint8_t, proto::kSensorInfoSize> sensor;
  std::vector<Bytes> blocks;
  bool operator==(const Stored&) const = default;
};
template <class Mouse>
Stored storedIn(const Mouse& m) {
  Stored s{m.reportInterval(), m.sensorOptions(), {}};
  for (int p = 0; p < 3; ++p) s.blocks.push_back(m.colourPage(p));
  const auto add = [&s](const auto& a) { s.blocks.emplace_back(a.begin(), a.end()); };
  add(m.ledEffect());
  add(m.dpiCodes());
  for (int t = 1; t <= proto::kKeyMatrixTables; ++t) add(m.keyMatrix(t));
  for (int n = 1; n <= proto::kMacroCount; ++n) add(m.macroImage(n));
  return s;
}

struct ApplyRun {
  std::vector<std::string> trace;
  ApplyResult result;
  std::string savedConfig;
};

// Opens the mouse, runs the handshake and `applies` Applies of the folder's
// record; `arm` runs between the handshake and the first Apply.
ApplyRun runApply(Rig& rig, DataFolder& data, int applies, const std::function<void()>& arm = {}) {
  ApplyRun run;
  EXPECT_EQ(rig.link.openMouse(), 1);
  rig.link.sensorHandshake();
  if (arm) arm();
  ConfigSession session(data.paths, Language::English, rig.sink);
  EXPECT_TRUE(session.load());
  for (int i = 0; i < applies; ++i) run.result = session.applyToMouse(rig.link);
  run.trace = rig.takeTrace();
  run.savedConfig = test::readFile(data.paths.configBin);
  return run;
}

// ---- The device search ------------------------------------------------------

struct ListCase {
  const char* name;
  bool sysfsDetails;  // descriptor and HID_ID in sysfs, else through ioctls only
};

class HidrawList : public ::testing::TestWithParam<ListCase> {};

TEST_P(HidrawList, EveryCollectionOfEveryNodeWithItsLengthsAndTheMouseOpens) {
  FakeHidrawKernel kernel;
  kernel.setSysfsDetails(GetParam().sysfsDetails);
  test::OtherDevices others(kernel);
  HidrawMouse mouse(kernel);
  auto backend = makeLinuxHidBackendForSysfs(kernel.sysfsRoot(), kernel);
  const auto list = backend->listInterfaces();
  ASSERT_TRUE(list);

  struct Want {
    std::string node;
    const char* pathEnd;
    HidAttributes attr;
    HidCaps caps;
  };
  const auto kb = kernel.deviceFiles(others.keyboard), alike = kernel.deviceFiles(others.lookAlike);
  const HidAttributes kbAttr{test::OtherDevices::kKeyboardVendor, test::OtherDevices::kKeyboardProduct,
                             0x0210};
  const HidAttributes mouseAttr{proto::kVendorId, proto::kProductId, HidrawMouse::kVersion};
  const Want want[] = {
      {kb[0], "&col01", kbAttr, {0x0006, 0x0001, 9, 0, 0}},
      {kb[0], "&col02", kbAttr, {0x0001, 0x000C, 3, 0, 0}},
      {mouse.deviceFile(0), "/hidraw2", mouseAttr, {0x0002, 0x0001, 5, 0, 0}},
      {mouse.deviceFile(1), "&col01", mouseAttr, {0x0006, 0x0001, 9, 0, 0}},
      {mouse.deviceFile(1), "&col02", mouseAttr, {0xFF01, 0xFF01, proto::kNotificationInputLength, 0, 0}},
      {mouse.deviceFile(2),
       "/hidraw4",
       mouseAttr,
       {0xFF00, 0xFF00, proto::kCommandInputLength, proto::kCommandOutputLength,
        proto::kCommandFeatureLength}},
      {alike[0],
       "/hidraw1",
       {test::OtherDevices::kLookAlikeVendor, test::OtherDevices::kLookAlikeProduct, 0x0001},
       {0xFF00, 0xFF00, 33, 33, 9}},
  };
  ASSERT_EQ(list->size(), std::size(want));
  for (std::size_t i = 0; i < std::size(want); ++i) {
    const HidInterfaceEntry& e = (*list)[i];
    SCOPED_TRACE(e.path);
    EXPECT_EQ(e.node, want[i].node);
    EXPECT_TRUE(e.path.ends_with(want[i].pathEnd));
    auto q = backend->open(e.path, HidAccess::Query);
    ASSERT_TRUE(q) << backend->lastError().text();
    HidAttributes a;
    ASSERT_TRUE(q->getAttributes(a)) << q->lastError().text();
    EXPECT_EQ(std::tie(a.vendorId, a.productId, a.versionNumber),
              std::tie(want[i].attr.vendorId, want[i].attr.productId, want[i].attr.versionNumber));
    HidCaps c;
    ASSERT_EQ(q->getCaps(c), HidCapsStatus::Ok) << q->lastError().text();
    EXPECT_EQ(c, want[i].caps);
  }

  Rig rig(*backend);
  ASSERT_EQ(rig.link.openMouse(), 1);
  EXPECT_TRUE(rig.link.devicePath().ends_with("/hidraw/hidraw4"));
  EXPECT_TRUE(rig.link.notificationOpen());
  EXPECT_EQ(rig.link.featureLength(), proto::kCommandFeatureLength);
  EXPECT_EQ(rig.link.inputLength(), proto::kCommandInputLength);
  EXPECT_EQ(rig.link.outputLength(), proto::kCommandOutputLength);
  EXPECT_EQ(rig.link.notificationInputLength(), proto::kNotificationInputLength);
  EXPECT_EQ(kernel.openFiles(), 3);  // notification read and write, command
  rig.link.close();
  EXPECT_EQ(kernel.openFiles(), 0);
}

INSTANTIATE_TEST_SUITE_P(Sysfs, HidrawList,
                         ::testing::Values(ListCase{"FromSysfs", true}, ListCase{"ThroughIoctls", false}),
                         hm::test::ParamName());

// ---- Apply ------------------------------------------------------------------

struct ApplyCase {
  const char* name;
  unsigned seed;
  SensorBytes sensor;
  int interruptEvery;  // every nth poll ends in EINTR (0: none)
};

class HidrawApply : public ::testing::TestWithParam<ApplyCase> {};

TEST_P(HidrawApply, TracesAndStoresAsThroughTheSimulatedMouse) {
  const ApplyCase& c = GetParam();
  std::mt19937 rng(c.seed);
  Bytes page1(24);
  for (auto& b : page1) b = static_cast<std::uint8_t>(rng());

  SimulatedMouse sim;
  sim.setSensorAnswer(c.sensor);
  sim.setColourPage(1, page1);
  Rig simRig(sim);
  DataFolder simData(c.seed);
  const ApplyRun expected = runApply(simRig, simData, 2);

  Desk desk;
  desk.kernel.interruptEveryPoll(c.interruptEvery);
  desk.mouse.withFirmware([&](MouseFirmware& f) {
    f.setSensorAnswer(c.sensor);
    f.setColourPage(1, page1);
  });
  Rig rig(*desk.backend);
  DataFolder data(c.seed);
  const ApplyRun got = runApply(rig, data, 2);

  EXPECT_TRUE(got.result.mouseTookAll()) << got.result.deviceFailure->text();
  EXPECT_TRUE(got.result.saved());
  EXPECT_EQ(got.trace, expected.trace);
  EXPECT_EQ(got.savedConfig, expected.savedConfig);
  EXPECT_EQ(desk.mouse.withFirmware([](MouseFirmware& f) { return storedIn(f); }), storedIn(sim));
  EXPECT_EQ(rig.link.activeSensorType(), c.sensor[0]);
  EXPECT_EQ(desk.mouse.withFirmware([](MouseFirmware& f) { return f.badChecksumCount(); }), 0);
}

INSTANTIATE_TEST_SUITE_P(Records, HidrawApply,
                         ::testing::Values(ApplyCase{"SensorType0", 11, {0, 2, 3, 4}, 0},
                                           ApplyCase{"SensorType1", 12, {1, 0x10, 0x20, 0x40}, 0},
                                           ApplyCase{"SensorType1Interrupted", 13, {1, 1, 1, 1}, 3},
                                           ApplyCase{"SensorType0Interrupted", 14, {0, 0xFF, 0xFF, 0xBF}, 2},
                                           ApplyCase{"SensorWithoutTable", 15, {7, 0, 0, 0}, 0}),
                         hm::test::ParamName());

// The request numbers the backend passes are the kernel header's, for the
// lengths the mouse's collections announce; writes and reads use them too.
TEST(HidrawRequests, AreTheHeadersMacrosForTheCollectionsLengths) {
  Desk desk;
  Rig rig(*desk.backend);
  DataFolder data(21);
  desk.kernel.clearLog();
  runApply(rig, data, 1);
  const std::string command = desk.mouse.deviceFile(HidrawMouse::kCommandInterface);
  const std::size_t feature = rig.link.featureLength();
  ASSERT_EQ(feature, proto::kCommandFeatureLength);
  int sets = 0, gets = 0;
  for (const auto& call : desk.kernel.ioctls()) {
    EXPECT_EQ(call.node, command);
    if (call.request == HIDIOCSFEATURE(feature))
      ++sets;
    else if (call.request == HIDIOCGFEATURE(feature))
      ++gets;
    else
      ADD_FAILURE() << std::hex << call.request;
  }
  EXPECT_EQ(sets, 39);  // the handshake's two, then the Apply's 37 headers
  EXPECT_EQ(gets, 16);  // 0x83, three 0x90 and twelve 0x93
  for (const auto& w : desk.kernel.writes()) EXPECT_EQ(w.count, proto::kCommandOutputLength);
  EXPECT_EQ(desk.kernel.writes().size(), 60u);
  // A read takes all the room there is (the backend cuts the report to the
  // input length afterwards).
  for (const auto& r : desk.kernel.reads()) EXPECT_GE(r.count, proto::kCommandInputLength);
  EXPECT_EQ(desk.kernel.reads().size(), 51u);
}

// How the kernel answers the feature and output requests, the length of
// each taken from the header's macros: report number 0 is not sent, the
// answer keeps the number in byte 0, the lengths are bounded.
struct RequestCase {
  const char* name;
  unsigned long request;
  bool write;  // write(2) instead of ioctl(2), the length is `length`
  std::size_t length;
  int result;                // the return value, -errno on failure
  std::size_t firmwareSees;  // feature or output bytes the firmware took (report ID 0 put back)
};

class HidrawRequest : public ::testing::TestWithParam<RequestCase> {};

TEST_P(HidrawRequest, IsFramedAsTheKernelFramesIt) {
  const RequestCase& c = GetParam();
  Desk desk;
  desk.mouse.withFirmware([](MouseFirmware& f) { f.setSensorAnswer({1, 2, 3, 4}); });
  const std::string node = desk.mouse.deviceFile(HidrawMouse::kCommandInterface);
  const int fd = desk.kernel.open(node.c_str(), O_RDWR | O_NONBLOCK);
  ASSERT_GE(fd, 0);
  // 0x83 is in the mouse before the request: a get answers it.
  Bytes sensorRead(proto::kCommandFeatureLength, 0);
  FeatureReport r(proto::kCmdSensorRead);
  r.seal();
  std::copy(r.bytes.begin(), r.bytes.end(), sensorRead.begin() + 1);
  ASSERT_EQ(desk.kernel.ioctl(fd, HIDIOCSFEATURE(sensorRead.size()), sensorRead.data()), 9);
  desk.mouse.withFirmware([](MouseFirmware& f) { f.clearLog(); });

  Bytes buf(std::max<std::size_t>(c.length, 64), 0);
  std::copy(sensorRead.begin(), sensorRead.end(), buf.begin());
  buf[0] = 0;
  const long got =
      c.write ? desk.kernel.write(fd, buf.data(), c.length) : desk.kernel.ioctl(fd, c.request, buf.data());
  EXPECT_EQ(got < 0 ? -errno : got, c.result);
  if (c.request == HIDIOCGFEATURE(c.length) && c.result > 0) {
    EXPECT_EQ(buf[0], 0);  // the report number stays in byte 0
    EXPECT_EQ(Bytes(buf.begin() + 1, buf.begin() + 5), (Bytes{0x83, 1, 2, 3}));
  }
  const auto commands = desk.mouse.withFirmware([](MouseFirmware& f) { return f.commands().size(); });
  const auto stray = desk.mouse.withFirmware([](MouseFirmware& f) { return f.strayDataReports(); });
  EXPECT_EQ(commands + static_cast<std::size_t>(stray), c.firmwareSees);
  desk.kernel.close(fd);
}

INSTANTIATE_TEST_SUITE_P(
    Lengths, HidrawRequest,
    ::testing::Values(
        RequestCase{"SetFeature9", HIDIOCSFEATURE(9), false, 9, 9, 1},
        RequestCase{"SetFeature16", HIDIOCSFEATURE(16), false, 16, 16, 1},
        RequestCase{"SetFeature2", HIDIOCSFEATURE(2), false, 2, 2, 0},  // too short for a command
        RequestCase{"SetFeatureTooShort", HIDIOCSFEATURE(1), false, 1, -EINVAL, 0},
        RequestCase{"GetFeature9", HIDIOCGFEATURE(9), false, 9, 9, 0},
        RequestCase{"GetFeature33AnswersNine", HIDIOCGFEATURE(33), false, 33, 9, 0},
        RequestCase{"GetFeature5IsCut", HIDIOCGFEATURE(5), false, 5, 5, 0},
        RequestCase{"OtherType", _IOC(_IOC_WRITE | _IOC_READ, 'X', 0x06, 9), false, 9, -EINVAL, 0},
        RequestCase{"UnknownRequest", _IOC(_IOC_READ, 'H', 0x7F, 9), false, 9, -ENOTTY, 0},
        RequestCase{"Write33", 0, true, 33, 33, 1}, RequestCase{"WriteTooShort", 0, true, 1, -EINVAL, 0},
        RequestCase{"WriteTooLong", 0, true, 16385, -EINVAL, 0}),
    hm::test::ParamName());

// ---- The notification reader ------------------------------------------------

TEST(HidrawNotifications, TheReaderDeliversTheMousesEventsInOrderAndDropsTheRest) {
  Desk desk;
  desk.kernel.interruptEveryPoll(2);
  Rig rig(*desk.backend);
  std::mutex m;
  std::condition_variable cv;
  std::vector<std::pair<int, int>> events;
  NotificationReader reader(rig.link, [&](int type, int value) {
    std::lock_guard lock(m);
    events.emplace_back(type, value);
    cv.notify_all();
  });
  ASSERT_EQ(rig.link.openMouse(), 1);
  reader.release();

  Bytes longReport{6, 5, 0, 8};
  longReport.resize(48, 0x77);
  const std::vector<Bytes> stream = {
      {6, 5, 0, 1, 0, 0, 0, 0, 0},
      {1, 0, 0, 4, 0, 0, 0, 0, 0},  // the keyboard beside it on the same node
      {6, 7, 0, 3, 0, 0, 0, 0, 0},
      {6, 6, 0, 1, 0, 0, 0, 0, 0},  // a type nobody handles
      {6, 8, 0, 2},
      {5, 5, 0, 1},  // a report ID the node does not declare
      {6, 9, 0, 5, 9, 9, 9, 9, 9},
      {6, 7},  // short: the missing value reads as 0
      {0xFF},
      longReport,  // cut to the collection's input length
      {6, 9, 0, 12, 0, 0, 0, 0, 0},
  };
  for (const Bytes& r : stream) desk.mouse.sendReport(r);
  const std::vector<std::pair<int, int>> want = {{5, 1}, {7, 3}, {8, 2}, {9, 5}, {7, 0}, {5, 8}, {9, 12}};
  {
    std::unique_lock lock(m);
    EXPECT_TRUE(cv.wait_for(lock, std::chrono::seconds(10), [&] { return events.size() >= want.size(); }));
    EXPECT_EQ(events, want);
  }
  // Pulled out while the reader waits: its read fails, and the removal
  // closes every file.
  const std::string syspath =
      desk.kernel.nodeSyspath(desk.mouse.device(), HidrawMouse::kNotificationInterface);
  desk.mouse.unplug();
  EXPECT_EQ(handleDeviceChange(rig.link, proto::kDeviceRemoveComplete, proto::kDeviceTypeInterface, syspath,
                               true, true)
                .kind,
            DeviceChangeKind::WarnAndHide);
  reader.stop();
  EXPECT_EQ(desk.kernel.openFiles(), 0);
  // The reads reached the trace: one line per report of the own collection.
  int reads = 0;
  for (const auto& l : rig.takeTrace()) reads += l.starts_with("read 06 ") ? 1 : 0;
  EXPECT_EQ(reads, 8);
}

// ---- Unplugging ---------------------------------------------------------------

class HidrawUnplug : public ::testing::TestWithParam<int> {};

// The cable is pulled at a random exchange of an Apply: the sequence runs to
// its end, the files are saved, the removal is handled, and after replugging
// the mouse takes a whole Apply again; the traces are the simulated mouse's.
TEST_P(HidrawUnplug, MidApplyTheSequenceRunsOnAndReplugWorks) {
  const int at = GetParam();
  SimulatedMouse sim;
  Rig simRig(sim);
  DataFolder simData(100 + static_cast<unsigned>(at));
  const ApplyRun simRun = runApply(simRig, simData, 1, [&] { sim.setFailAfter(at); });

  Desk desk;
  auto monitor = desk.backend->openMonitor();
  ASSERT_TRUE(monitor);
  monitor->drain();
  Rig rig(*desk.backend);
  DataFolder data(100 + static_cast<unsigned>(at));
  const ApplyRun run = runApply(rig, data, 1, [&] { desk.mouse.unplugAtCommandCall(at); });

  ASSERT_TRUE(run.result.deviceFailure);
  EXPECT_EQ(run.result.deviceFailure->error.code, ENODEV);
  EXPECT_TRUE(run.result.saved());
  EXPECT_EQ(run.trace, simRun.trace);
  EXPECT_EQ(std::count_if(run.trace.begin(), run.trace.end(),
                          [](const std::string& l) { return l.starts_with("set-feature"); }),
            2 + 37);  // the handshake's, then every header of the Apply
  EXPECT_EQ(run.savedConfig, simRun.savedConfig);
  EXPECT_FALSE(desk.mouse.plugged());

  // One removal per node of the mouse; each searches again and the last warns.
  const auto removals = monitor->drain();
  ASSERT_EQ(removals.size(), 3u);
  DeviceChangeAction last;
  for (const HidDeviceEvent& e : removals) {
    EXPECT_EQ(e.kind, HidDeviceEventKind::Removal);
    last = handleDeviceChange(rig.link, deviceChangeCode(e.kind), proto::kDeviceTypeInterface, e.path, true,
                              true);
  }
  EXPECT_EQ(last.kind, DeviceChangeKind::WarnAndHide);
  EXPECT_EQ(rig.link.deviceOpen.load(), 0);
  EXPECT_FALSE(rig.link.permissionProblem());
  EXPECT_EQ(desk.kernel.openFiles(), 0);

  desk.mouse.plug();
  sim.plugIn();
  for (const HidDeviceEvent& e : monitor->drain())
    last = handleDeviceChange(rig.link, deviceChangeCode(e.kind), proto::kDeviceTypeInterface, e.path, true,
                              true);
  EXPECT_EQ(last.kind, DeviceChangeKind::Opened);
  EXPECT_TRUE(last.handshakeDone);
  rig.takeTrace();
  simRig.takeTrace();
  const ApplyRun again = runApply(rig, data, 1);
  const ApplyRun simAgain = runApply(simRig, simData, 1);
  EXPECT_TRUE(again.result.mouseTookAll());
  EXPECT_EQ(again.trace, simAgain.trace);
}

// The first and last of the 163 calls an Apply makes on the command
// collection (37 sets, 15 gets, 60 writes, 51 reads), and some between from
// a seeded generator.
std::vector<int> unplugSteps() {
  std::mt19937 rng(7);
  std::vector<int> steps{0, 162};
  for (int i = 0; i < 6; ++i) steps.push_back(static_cast<int>(rng() % 163));
  return steps;
}

INSTANTIATE_TEST_SUITE_P(AtStep, HidrawUnplug, ::testing::ValuesIn(unplugSteps()));

// ---- Two mice ----------------------------------------------------------------

// Interfaces of mouse 'A' or 'B' plugged in one call: a USB device (A on port
// 1-2, B on 1-5) or, on uhid, HID devices of their own in plug order.
struct MousePlug {
  char mouse;
  std::vector<std::size_t> interfaces;
  bool uhid;
};

std::string busPathOf(char mouse, bool uhid) {
  if (uhid) return std::string("hidmouse-uhid/") + mouse;
  return mouse == 'A' ? "usb-0000:00:14.0-2" : "usb-0000:00:14.0-5";
}

struct ChoiceCase {
  const char* name;
  std::vector<MousePlug> plugs;
  char chosen;                            // 0: none can be opened
  std::optional<std::size_t> notifyPlug;  // the plug whose notification collection is read
  std::vector<char> ignored;
};

void PrintTo(const ChoiceCase& c, std::ostream* os) { *os << c.name; }

class TwoMice : public ::testing::TestWithParam<ChoiceCase> {};

// Commands and notifications always come from one mouse, the first by bus
// path that has a command collection, and the search says which.
TEST_P(TwoMice, TheSearchTakesOneMouseWithItsOwnNotificationCollection) {
  const ChoiceCase& c = GetParam();
  FakeHidrawKernel kernel;
  test::OtherDevices others(kernel);
  std::vector<int> devices;
  bool uhid = false;
  for (const MousePlug& p : c.plugs) {
    uhid = p.uhid;
    test::FakeUsbDeviceShape shape{p.uhid ? busPathOf(p.mouse, true) : (p.mouse == 'A' ? "1-2" : "1-5"),
                                   proto::kVendorId,
                                   proto::kProductId,
                                   HidrawMouse::kVersion,
                                   {},
                                   p.uhid};
    for (std::size_t i : p.interfaces)
      shape.interfaces.push_back({static_cast<int>(i), mouse_usb::interfaceDescriptor(i)});
    devices.push_back(kernel.plug(shape));
  }
  auto backend = makeLinuxHidBackendForSysfs(kernel.sysfsRoot(), kernel);
  Rig rig(*backend);
  std::string log;
  rig.link.setLog([&](const std::string& text) { log += text; });
  ASSERT_EQ(rig.link.openMouse(), c.chosen ? 1 : 0) << log;
  if (!c.chosen) return;
  const ChosenMouse& m = *rig.link.chosenMouse();
  EXPECT_EQ(m.busPath, busPathOf(c.chosen, uhid));
  EXPECT_EQ(rig.link.notificationOpen(), c.notifyPlug.has_value());
  if (c.notifyPlug) {
    const MousePlug& p = c.plugs[*c.notifyPlug];
    const auto at =
        std::ranges::find(p.interfaces, HidrawMouse::kNotificationInterface) - p.interfaces.begin();
    ASSERT_TRUE(m.notification);
    EXPECT_EQ(m.notification->node, kernel.deviceFiles(devices[*c.notifyPlug])[static_cast<std::size_t>(at)]);
  }
  std::vector<std::string> ignored;
  for (char o : c.ignored) ignored.push_back(busPathOf(o, uhid));
  EXPECT_EQ(m.others, ignored);
  for (const std::string& line : chosenMouseLines(m))
    EXPECT_NE(log.find(line + "\n"), std::string::npos) << log;
}

const std::vector<std::size_t> kWhole{0, 1, 2};
constexpr std::size_t kNotify = HidrawMouse::kNotificationInterface,
                      kCommand = HidrawMouse::kCommandInterface;

INSTANTIATE_TEST_SUITE_P(
    Orderings, TwoMice,
    ::testing::Values(
        ChoiceCase{"UsbInPortOrder", {{'A', kWhole, false}, {'B', kWhole, false}}, 'A', 0, {'B'}},
        ChoiceCase{"UsbPluggedTheOtherWayRound", {{'B', kWhole, false}, {'A', kWhole, false}}, 'A', 1, {'B'}},
        // On uhid each interface is a device of its own, listed in the order made.
        ChoiceCase{"UhidInterleaved",
                   {{'A', {kNotify}, true},
                    {'B', {kNotify}, true},
                    {'A', {kCommand}, true},
                    {'B', {kCommand}, true}},
                   'A',
                   0,
                   {'B'}},
        ChoiceCase{"FirstWithoutNotificationTakesNoOther",
                   {{'B', {kNotify}, true}, {'A', {kCommand}, true}, {'B', {kCommand}, true}},
                   'A',
                   std::nullopt,
                   {'B'}},
        ChoiceCase{"FirstWithOnlyNotificationIsPassedOver",
                   {{'A', {kNotify}, true}, {'B', {kNotify}, true}, {'B', {kCommand}, true}},
                   'B',
                   1,
                   {'A'}},
        ChoiceCase{"UsbWithoutCommandInterface", {{'A', {0, 1}, false}, {'B', kWhole, false}}, 'B', 1, {'A'}},
        ChoiceCase{
            "OnlyNotifications", {{'A', {kNotify}, true}, {'B', {kNotify}, true}}, 0, std::nullopt, {}}),
    hm::test::ParamName());

// The mouse in use keeps the link while it is plugged in, whatever is
// plugged or pulled beside it; pulling it hands the link to the other one,
// with the handshake an arrival would give, and without a warning.
TEST(TwoMiceHotplug, TheMouseInUseStaysUntilItIsPulledThenTheOtherTakesOver) {
  FakeHidrawKernel kernel;
  HidrawMouse b(kernel, true, "1-5");
  auto backend =
      makeLinuxHidBackendForSysfs(kernel.sysfsRoot(), kernel, [&] { return kernel.openMonitor(); });
  auto monitor = backend->openMonitor();
  Rig rig(*backend);
  ASSERT_EQ(rig.link.openMouse(), 1);
  const auto inUse = [&] { return rig.link.chosenMouse() ? rig.link.chosenMouse()->busPath : ""; };
  // Each event searches again; what the last one of a step did.
  const auto handleEvents = [&] {
    DeviceChangeAction last, switched;
    for (const HidDeviceEvent& e : monitor->drain()) {
      last = handleDeviceChange(rig.link, deviceChangeCode(e.kind), proto::kDeviceTypeInterface, e.path, true,
                                true);
      EXPECT_NE(last.kind, DeviceChangeKind::WarnAndHide) << e.path;
      if (e.kind == HidDeviceEventKind::Removal && last.handshakeDone) switched = last;
    }
    return switched;
  };
  const auto notificationFrom = [&](HidrawMouse& m, std::uint8_t stage) {
    m.sendReport({proto::kNotificationReportId, proto::kEventDpiStage, 0, stage, 0, 0, 0, 0, 0});
    std::array<std::uint8_t, proto::kNotificationInputLength> buf{};
    const auto handle = rig.link.notificationReadHandle();
    return handle && handle->read(buf, 100, nullptr).status == HidReadStatus::Ok ? buf[3] : 0;
  };

  HidrawMouse a(kernel, true, "1-2");  // first by bus path, plugged in second
  handleEvents();
  EXPECT_EQ(inUse(), "usb-0000:00:14.0-5");
  EXPECT_EQ(notificationFrom(a, 2), 0);  // the other mouse is not heard
  EXPECT_EQ(notificationFrom(b, 3), 3);

  a.unplug();
  EXPECT_FALSE(handleEvents().handshakeDone);
  a.plug();
  handleEvents();
  EXPECT_EQ(inUse(), "usb-0000:00:14.0-5");

  const auto sensorWrites = [](HidrawMouse& m) {
    return m.withFirmware([](MouseFirmware& f) { return f.sensorWrites(); });
  };
  const int aWrites = sensorWrites(a);
  b.unplug();
  EXPECT_TRUE(handleEvents().handshakeDone);
  EXPECT_EQ(inUse(), "usb-0000:00:14.0-2");
  EXPECT_EQ(rig.link.deviceOpen.load(), 1);
  EXPECT_EQ(sensorWrites(a), aWrites + 1);
  EXPECT_EQ(notificationFrom(a, 4), 4);

  a.unplug();
  const auto removals = monitor->drain();
  ASSERT_FALSE(removals.empty());
  DeviceChangeAction last;
  for (const HidDeviceEvent& e : removals)
    last = handleDeviceChange(rig.link, deviceChangeCode(e.kind), proto::kDeviceTypeInterface, e.path, true,
                              true);
  EXPECT_EQ(last.kind, DeviceChangeKind::WarnAndHide);
  EXPECT_EQ(kernel.openFiles(), 0);
}

// The first mouse is pulled out in the middle of a search, after the list
// was made, as the search opens it: the search runs again on a fresh list and
// takes the other mouse.
TEST(TwoMiceHotplug, AMousePulledOutDuringTheSearchLeavesItToTheOther) {
  FakeHidrawKernel kernel;
  HidrawMouse a(kernel, true, "1-2");
  HidrawMouse b(kernel, true, "1-5");
  auto hidraw = makeLinuxHidBackendForSysfs(kernel.sysfsRoot(), kernel);
  struct PullingBackend : HidBackend {
    PullingBackend(HidBackend& b, std::function<void()> p) : inner(b), pull(std::move(p)) {}
    std::optional<std::vector<HidInterfaceEntry>> listInterfaces() override { return inner.listInterfaces(); }
    std::unique_ptr<HidDevice> open(const std::string& path, HidAccess access) override {
      if (access != HidAccess::Query && pull) std::exchange(pull, nullptr)();
      return inner.open(path, access);
    }
    std::unique_ptr<HidMonitor> openMonitor() override { return inner.openMonitor(); }
    Error lastError() const override { return inner.lastError(); }
    HidBackend& inner;
    std::function<void()> pull;
  } backend(*hidraw, [&] { a.unplug(); });
  Rig rig(backend);
  ASSERT_EQ(rig.link.openMouse(), 1);
  EXPECT_EQ(rig.link.chosenMouse()->busPath, "usb-0000:00:14.0-5");
  EXPECT_TRUE(rig.link.notificationOpen());
  EXPECT_TRUE(rig.sink.messages.empty());
}

// ---- What the kernel answers ---------------------------------------------------

TEST(HidrawFailures, AStallPermissionsAndAGoneMouseReachTheLinkAsTheyAre) {
  {
    Desk desk;
    Rig rig(*desk.backend);
    ASSERT_EQ(rig.link.openMouse(), 1);
    desk.mouse.stallFeatures(true);
    FeatureReport r(proto::kCmdSensorRead);
    EXPECT_FALSE(rig.link.sendCommand(r));
    ASSERT_TRUE(rig.link.lastExchangeFailure());
    EXPECT_EQ(rig.link.lastExchangeFailure()->error, (Error{"ioctl(HIDIOCSFEATURE)", EPIPE}));
    const auto trace = rig.takeTrace();
    ASSERT_EQ(trace.size(), 2u);
    EXPECT_TRUE(trace[0].ends_with(" ! EPIPE"));
    EXPECT_TRUE(trace[1].ends_with(" ! EPIPE"));
    EXPECT_EQ(r.bytes, (FeatureReport().bytes));
  }
  struct PermissionCase {
    const char* name;
    std::vector<std::size_t> denied;  // interfaces of the mouse
    std::size_t named;                // the interface the message names
  };
  const PermissionCase cases[] = {
      {"AllNodes", {0, 1, 2}, 1},
      {"CommandOnly", {2}, 2},
      {"NotificationOnly", {1}, 1},
  };
  for (const PermissionCase& c : cases) {
    SCOPED_TRACE(c.name);
    Desk desk;
    for (std::size_t i : c.denied) desk.kernel.setAccessible(desk.mouse.device(), i, false);
    Rig rig(*desk.backend);
    EXPECT_EQ(rig.link.openMouse(), 0);
    ASSERT_TRUE(rig.link.permissionProblem());
    EXPECT_EQ(*rig.link.permissionProblem(),
              "permission denied on " + desk.mouse.deviceFile(c.named) +
                  ": install the udev rule 70-hidmouse.rules and plug the mouse in again");
    EXPECT_EQ(desk.kernel.openFiles(), 0);
    for (std::size_t i : c.denied) desk.kernel.setAccessible(desk.mouse.device(), i, true);
    EXPECT_EQ(rig.link.openMouse(), 1);
    EXPECT_FALSE(rig.link.permissionProblem());
  }
  {
    Desk desk;
    Rig rig(*desk.backend);
    ASSERT_EQ(rig.link.openMouse(), 1);
    const std::string node = desk.mouse.deviceFile(HidrawMouse::kCommandInterface);
    desk.mouse.unplug();
    FeatureReport r(proto::kCmdReportRate, 8);
    EXPECT_FALSE(rig.link.sendCommand(r));
    EXPECT_EQ(rig.link.lastExchangeFailure()->error, (Error{"ioctl(HIDIOCSFEATURE)", ENODEV}));
    Bytes buf(9);
    EXPECT_EQ(rig.link.notificationReadHandle()->read(buf, 1000, nullptr).status, HidReadStatus::Failed);
    EXPECT_EQ(desk.kernel.open(node.c_str(), O_RDWR), -1);
    EXPECT_EQ(errno, ENOENT);
    EXPECT_EQ(rig.link.openMouse(), 0);
    EXPECT_FALSE(rig.link.permissionProblem());
  }
}

// A read with nothing queued waits out its time-out; one the caller wakes
// returns at once.
TEST(HidrawFailures, AQuietNodeTimesOutAndAWakeEndsTheWait) {
  Desk desk;
  Rig rig(*desk.backend);
  ASSERT_EQ(rig.link.openMouse(), 1);
  auto handle = rig.link.notificationReadHandle();
  Bytes buf(9);
  EXPECT_EQ(handle->read(buf, 20, nullptr).status, HidReadStatus::TimedOut);
  WakeEvent wake;
  wake.set();
  EXPECT_EQ(handle->read(buf, -1, &wake).status, HidReadStatus::Woken);
  // The kernel itself: a non-blocking read of an empty queue.
  const std::string node = desk.mouse.deviceFile(HidrawMouse::kNotificationInterface);
  const int fd = desk.kernel.open(node.c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(fd, 0);
  EXPECT_EQ(desk.kernel.read(fd, buf.data(), buf.size()), -1);
  EXPECT_EQ(errno, EAGAIN);
  desk.mouse.sendReport({6, 7, 0, 2, 0, 0, 0, 0, 0});
  EXPECT_EQ(desk.kernel.read(fd, buf.data(), 4), 4);  // cut to the buffer
  desk.mouse.unplug();
  EXPECT_EQ(desk.kernel.read(fd, buf.data(), buf.size()), -1);
  EXPECT_EQ(errno, EIO);
  desk.kernel.close(fd);
}

}  // namespace
}  // namespace hm
