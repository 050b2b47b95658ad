// SPDX-License-Identifier: GPL-3.0-or-later
// hidmousectl doctor: what a person with the mouse plugged in runs when it
// does not work, and sends along with a problem report. It lists every
// hidraw node of the mouse with its collections (usage page, usage, report
// lengths), says which mouse the program uses when more than one is plugged
// in and which collections it opens and why, tries to open
// each node as the program would (naming the missing udev rule when
// permission is refused), and reads the sensor answer.
#pragma once

#include <nlohmann/json.hpp>

#include <optional>
#include <string>
#include <vector>

#include "cli/ctl_session.h"
#include "core/device/device_link.h"

namespace hm::ctl {

struct DoctorCollection {
  std::string path;
  std::string busPath;
  HidCaps caps;
  bool capsOk = true;
  std::string opened;  // "read", "read-write" or "" (not opened)
  std::string why;
};

struct DoctorNode {
  std::string node;  // the device file, or the interface path where the system has none
  std::string path;  // the first collection's interface path
  HidAttributes attributes;
  std::vector<DoctorCollection> collections;
  std::optional<Error> openError;  // opening it for reading and writing failed
};

struct DoctorReport {
  std::optional<Error> listError;  // the system's list could not be had
  std::vector<DoctorNode> nodes;
  std::optional<ChosenMouse> chosen;  // the mouse the device search took, when it found one
  bool mouseOpen = false;
  std::optional<std::string> problem;  // why the mouse could not be opened or did not answer
  std::optional<SensorInfo> sensor;
};

// Examines the system's HID interfaces through `backend` and opens the mouse
// through `link` (which then stays open).
DoctorReport examineMouse(HidBackend& backend, DeviceLink& link);
nlohmann::json doctorJson(const DoctorReport& report);
// {"busPath", "commandNode", "notificationNode", "ignored": [bus paths]}, null without one.
nlohmann::json chosenMouseJson(const std::optional<ChosenMouse>& mouse);
std::vector<std::string> doctorLines(const DoctorReport& report);

// Exit code 0 when the sensor answer was read, else kExitNoMouse.
int runDoctor(Session& s);

}  // namespace hm::ctl
