// SPDX-License-Identifier: GPL-3.0-or-later
// hidmousectl doctor and the mouse-missing messages, run in-process over the
// real Linux backend on the fake hidraw kernel: a working mouse, one whose
// nodes the user may not open, a stalling one and none at all; and what a
// command that throws exits with.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <ios>
#include <new>
#include <stdexcept>
#include <system_error>

#include "cli/ctl_commands.h"
#include "cli/ctl_doctor.h"
#include "core/version.h"
#include "platform/hid/linux_hid_backend.h"
#include "support/fake_hidraw_mouse.h"
#include "support/param_name.h"

namespace hm {
namespace {

using nlohmann::json;
using test::HidrawMouse;

enum class Situation { Working, PermissionDenied, Stalling, Unplugged };

struct Output {
  int rc = -1;
  std::string out, err;
};

// Runs one command over a desk with the mouse in `situation`.
struct Desk {
  explicit Desk(Situation situation) {
    if (situation == Situation::Unplugged) mouse.unplug();
    if (situation == Situation::PermissionDenied)
      for (std::size_t i = 0; i < 3; ++i) kernel.setAccessible(mouse.device(), i, false);
    if (situation == Situation::Stalling) mouse.stallFeatures(true);
    mouse.withFirmware([](MouseFirmware& f) { f.setSensorAnswer({1, 2, 3, 4}); });
  }
  Output run(int (*command)(ctl::Session&), bool asJson) {
    ctl::GlobalOptions options;
    options.json = asJson;
    ctl::Console console;
    Output o;
    ::testing::internal::CaptureStdout();
    ::testing::internal::CaptureStderr();
    {
      ctl::Session session(options, console, makeLinuxHidBackendForSysfs(kernel.sysfsRoot(), kernel));
      o.rc = command(session);
    }
    o.out = ::testing::internal::GetCapturedStdout();
    o.err = ::testing::internal::GetCapturedStderr();
    return o;
  }
  std::string node(std::size_t interface) const { return "/dev/hidraw" + std::to_string(2 + interface); }

  test::FakeHidrawKernel kernel;
  test::OtherDevices others{kernel};
  HidrawMouse mouse{kernel};
};

const std::string kDenied3 =
    "permission denied on /dev/hidraw3: install the udev rule 70-hidmouse.rules and plug the mouse in again";

struct DoctorCase {
  const char* name;
  Situation situation;
  int rc;
  std::size_t nodes;
  const char* problem;     // nullptr: none
  const char* sensorLine;  // the text report's last line
  const char* infoError;   // hidmousectl info's stderr ("" for none)
};

void PrintTo(const DoctorCase& c, std::ostream* os) { *os << c.name; }

class CtlDoctor : public ::testing::TestWithParam<DoctorCase> {};

TEST_P(CtlDoctor, ReportsTheNodesTheirUseTheirAccessAndTheSensorAnswer) {
  const DoctorCase& c = GetParam();
  Desk desk(c.situation);

  const Output js = desk.run(ctl::runDoctor, true);
  EXPECT_EQ(js.rc, c.rc) << js.err;
  EXPECT_EQ(js.err, "");
  const json doc = json::parse(js.out);
  ASSERT_EQ(doc["nodes"].size(), c.nodes) << js.out;
  EXPECT_EQ(doc["version"], kVersion);
  EXPECT_EQ(doc["problem"], c.problem ? json(c.problem) : json()) << js.out;
  EXPECT_EQ(doc["sensor"].is_null(), c.rc != 0);
  EXPECT_EQ(doc["pointerSettings"]["pointer speed"], "kept for this run");
  if (c.rc == 0) {
    EXPECT_EQ(doc["sensor"], (json{{"sensorType", 1}, {"rate", 2}, {"option1", 3}, {"option2", 4}}));
  }
  // Every node of the mouse with its collections, what the program opens on
  // it, and whether the user may open it.
  const bool denied = c.situation == Situation::PermissionDenied;
  const std::vector<std::vector<json>> opened = {{json()}, {json(), "read"}, {"read-write"}};
  for (std::size_t i = 0; i < c.nodes; ++i) {
    const json& n = doc["nodes"][i];
    SCOPED_TRACE(n.dump());
    EXPECT_EQ(n["node"], desk.node(i));
    EXPECT_EQ(n["vendor"], proto::kVendorId);
    EXPECT_EQ(n["version"], HidrawMouse::kVersion);
    EXPECT_EQ(n["canOpen"], !denied);
    EXPECT_EQ(n["permissionDenied"], denied);
    EXPECT_EQ(n["openError"], denied ? json(permissionDeniedText(desk.node(i))) : json());
    ASSERT_EQ(n["collections"].size(), opened[i].size());
    for (std::size_t k = 0; k < opened[i].size(); ++k) EXPECT_EQ(n["collections"][k]["opened"], opened[i][k]);
  }
  if (c.nodes) {
    const json& command = doc["nodes"][2]["collections"][0];
    EXPECT_EQ(command["usagePage"], proto::kCommandUsagePage);
    EXPECT_EQ(std::vector<int>({command["inputLength"], command["outputLength"], command["featureLength"]}),
              std::vector<int>(
                  {proto::kCommandInputLength, proto::kCommandOutputLength, proto::kCommandFeatureLength}));
    EXPECT_EQ(doc["nodes"][1]["collections"][1]["inputLength"], proto::kNotificationInputLength);
  }

  // The text report says the same.
  const Output text = desk.run(ctl::runDoctor, false);
  EXPECT_EQ(text.rc, c.rc);
  std::vector<std::string> lines;
  std::stringstream in(text.out);
  for (std::string l; std::getline(in, l);) lines.push_back(l);
  ASSERT_GE(lines.size(), 7u);
  // A problem report names the version first.
  EXPECT_EQ(lines.front(), std::string("hidmousectl ") + kVersion);
  // The sensor answer, then where the pointer settings go on this desktop
  // (none is named in the tests' environment: kept for the run).
  EXPECT_EQ(lines[lines.size() - 6], c.sensorLine);
  EXPECT_EQ(
      std::vector<std::string>(lines.end() - 5, lines.end()),
      (std::vector<std::string>{"Pointer settings go to:", "  precision: kept for this run",
                                "  pointer speed: kept for this run", "  scroll lines: kept for this run",
                                "  double-click time: kept for this run"}));
  if (c.nodes) {
    EXPECT_EQ(lines[1], "hidraw nodes of 04d9:a09f:");
    EXPECT_EQ(lines[2],
              desk.node(0) + ": " +
                  (denied ? permissionDeniedText(desk.node(0)) : "can be opened for reading and writing"));
    const auto has = [&](const std::string& l) {
      return std::find(lines.begin(), lines.end(), l) != lines.end();
    };
    EXPECT_TRUE(has("  collection 2: usage page 0xff01, usage 0xff01, input 9, output 0, feature 0"))
        << text.out;
    EXPECT_TRUE(
        has("    the program opens it for reading and writing: the command collection, every command and "
            "block transfer"))
        << text.out;
  }

  // Other commands name a permission refusal too, instead of a missing mouse.
  const Output info = desk.run(ctl::runInfo, false);
  EXPECT_EQ(info.err, std::string(c.infoError));
}

INSTANTIATE_TEST_SUITE_P(
    Mice, CtlDoctor,
    ::testing::Values(
        DoctorCase{"Working", Situation::Working, 0, 3, nullptr,
                   "Sensor answer: type 01, rate 02, option 1 03, option 2 04", ""},
        DoctorCase{
            "PermissionDenied", Situation::PermissionDenied, 1, 3, kDenied3.c_str(),
            "Sensor answer: not read: permission denied on /dev/hidraw3: install the udev rule "
            "70-hidmouse.rules and plug the mouse in again",
            "hidmousectl: permission denied on /dev/hidraw3: install the udev rule 70-hidmouse.rules and "
            "plug the mouse in again\n"},
        DoctorCase{"Stalling", Situation::Stalling, 1, 3,
                   "the mouse did not answer the sensor request (command 0x83, set-feature: "
                   "ioctl(HIDIOCSFEATURE) failed: Broken pipe (errno 32))",
                   "Sensor answer: not read: the mouse did not answer the sensor request (command 0x83, "
                   "set-feature: ioctl(HIDIOCSFEATURE) failed: Broken pipe (errno 32))",
                   ""},
        DoctorCase{"Unplugged", Situation::Unplugged, 1, 0, "The system did not detect the gaming mouse!",
                   "Sensor answer: not read: The system did not detect the gaming mouse!",
                   "hidmousectl: The system did not detect the gaming mouse!\n"}),
    hm::test::ParamName());

// With a second mouse plugged in, doctor and info name the mouse the program
// uses, with its nodes, and the one it ignores; doctor says why each of the
// other mouse's collections stays closed.
TEST(CtlDoctorTwoMice, NameTheMouseInUseAndTheIgnoredOne) {
  Desk desk(Situation::Working);
  HidrawMouse second(desk.kernel, true, "1-5");
  const std::string used =
      "The mouse at usb-0000:00:14.0-2 is used: commands on /dev/hidraw4, notifications on /dev/hidraw3";
  const std::string ignored = "Another mouse at usb-0000:00:14.0-5 is plugged in and ignored";

  const Output js = desk.run(ctl::runDoctor, true);
  ASSERT_EQ(js.rc, 0) << js.err;
  const json doc = json::parse(js.out);
  EXPECT_EQ(doc["mouse"], (json{{"busPath", "usb-0000:00:14.0-2"},
                                {"commandNode", "/dev/hidraw4"},
                                {"notificationNode", "/dev/hidraw3"},
                                {"ignored", {"usb-0000:00:14.0-5"}}}));
  ASSERT_EQ(doc["nodes"].size(), 6u);
  for (std::size_t i = 3; i < 6; ++i)
    for (const json& c : doc["nodes"][i]["collections"]) {
      EXPECT_TRUE(c["opened"].is_null()) << c.dump();
      if (c["usagePage"].get<int>() >= 0xFF00) {
        EXPECT_EQ(c["why"], "another mouse's: the program uses one mouse, the one at usb-0000:00:14.0-2");
      }
    }

  const Output text = desk.run(ctl::runDoctor, false);
  EXPECT_NE(text.out.find(used + "\n" + ignored + "\nSensor answer: "), std::string::npos) << text.out;
  const Output info = desk.run(ctl::runInfo, false);
  EXPECT_TRUE(info.out.starts_with(used + "\n" + ignored + "\nSensor type: 01\n")) << info.out;
}

// An exception that escapes a command is one line and the exit code of its
// kind; none of them is "mouse not found".
TEST(CtlCommand, AnEscapedExceptionExitsWithTheCodeOfItsKind) {
  struct Case {
    const char* what;
    std::function<int()> command;
    int rc;
  };
  const Case cases[] = {
      {"returns", [] { return 0; }, 0},
      {"folder",
       []() -> int {
         throw std::filesystem::filesystem_error("stat", "/x",
                                                 std::make_error_code(std::errc::permission_denied));
       },
       ctl::kExitFile},
      {"stream", []() -> int { throw std::ios_base::failure("read"); }, ctl::kExitFile},
      {"word", []() -> int { throw std::invalid_argument("stoi"); }, ctl::kExitUsage},
      {"number", []() -> int { throw std::out_of_range("stoi"); }, ctl::kExitUsage},
      {"thread",
       []() -> int {
         throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
       },
       ctl::kExitDevice},
      {"memory", []() -> int { throw std::bad_alloc(); }, ctl::kExitDevice},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ctl::Console console;
    ::testing::internal::CaptureStderr();
    const int rc = ctl::runCommand(console, c.command);
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(rc, c.rc);
    if (rc == 0) {
      EXPECT_EQ(err, "");
    } else {
      EXPECT_TRUE(err.starts_with("hidmousectl: ")) << err;
      EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    }
  }
}

}  // namespace
}  // namespace hm
