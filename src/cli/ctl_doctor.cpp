// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/ctl_doctor.h"

#include <cstdio>
#include <memory>

#include "cli/ctl_show.h"
#include "core/version.h"
#include "core/wire/protocol.h"
#include "platform/pointer_settings.h"

namespace hm::ctl {

namespace {

using nlohmann::json;

constexpr const char* kOpenedRead = "read";
constexpr const char* kOpenedReadWrite = "read-write";

std::string hex(unsigned v, int digits) {
  char b[16];
  std::snprintf(b, sizeof b, "%0*x", digits, v);
  return b;
}

std::string lengths(const HidCaps& c) {
  return "input " + std::to_string(c.inputReportByteLength) + ", output " +
         std::to_string(c.outputReportByteLength) + ", feature " + std::to_string(c.featureReportByteLength);
}

std::string openText(const DoctorNode& n) {
  if (!n.openError) return "can be opened for reading and writing";
  if (isPermissionError(*n.openError)) return permissionDeniedText(n.node);
  return "cannot be opened: " + n.openError->text();
}

// What the device search did with each of the mouse's collections: it reads
// the chosen mouse's notification collection and sends its commands on its
// command collection; it leaves the rest alone, saying why.
void decideUse(std::vector<DoctorNode>& nodes, const std::optional<ChosenMouse>& chosen) {
  for (DoctorNode& n : nodes) {
    for (DoctorCollection& c : n.collections) {
      const MouseCollection role = c.capsOk ? mouseCollectionOf(c.caps) : MouseCollection::Other;
      if (!c.capsOk) {
        c.why = "its report descriptor cannot be read or parsed";
      } else if (role == MouseCollection::Other) {
        c.why = "not one of the mouse's two vendor collections (usage page and usage 0xff00 or 0xff01)";
      } else if (chosen && c.path == chosen->command.path) {
        c.opened = kOpenedReadWrite;
        c.why = "the command collection, every command and block transfer";
      } else if (chosen && chosen->notification && c.path == chosen->notification->path) {
        c.opened = kOpenedRead;
        c.why =
            "the notification collection, the mouse's own events (report rate, DPI stage, key matrix, macro)";
      } else if (chosen && c.busPath != chosen->busPath) {
        c.why = "another mouse's: the program uses one mouse, the one at " + chosen->busPath;
      } else if (chosen) {
        c.why = "listed after the command collection, where the search stops";
      } else {
        c.why = "the search found no command collection it could use";
      }
    }
  }
}

}  // namespace

DoctorReport examineMouse(HidBackend& backend, DeviceLink& link) {
  DoctorReport report;
  const auto list = backend.listInterfaces();
  if (!list) {
    report.listError = backend.lastError();
  } else {
    for (const HidInterfaceEntry& e : *list) {
      if (!e.detailOk) continue;
      auto q = backend.open(e.path, HidAccess::Query);
      HidAttributes a;
      if (!q || !q->getAttributes(a) || a.vendorId != proto::kVendorId || a.productId != proto::kProductId)
        continue;
      DoctorCollection c;
      c.path = e.path;
      c.busPath = e.busPath;
      c.capsOk = q->getCaps(c.caps) == HidCapsStatus::Ok;
      const std::string node = e.node.empty() ? e.path : e.node;
      if (report.nodes.empty() || report.nodes.back().node != node)
        report.nodes.push_back({node, e.path, a, {}, {}});
      report.nodes.back().collections.push_back(c);
    }
    for (DoctorNode& n : report.nodes) {
      if (!backend.open(n.path, HidAccess::ReadWrite)) n.openError = backend.lastError();
    }
  }

  report.mouseOpen = link.openMouse() == 1;
  report.chosen = link.chosenMouse();
  decideUse(report.nodes, report.chosen);
  if (!report.mouseOpen) {
    report.problem = link.permissionProblem().value_or(proto::kMsgMouseNotDetected);
    return report;
  }
  link.readSensorInfo();
  if (const auto& failure = link.lastExchangeFailure())
    report.problem = "the mouse did not answer the sensor request (" + failure->text() + ")";
  else
    report.sensor = link.sensorInfo();
  return report;
}

json chosenMouseJson(const std::optional<ChosenMouse>& mouse) {
  if (!mouse) return nullptr;
  return {{"busPath", mouse->busPath},
          {"commandNode", nodeOrPath(mouse->command)},
          {"notificationNode", mouse->notification ? json(nodeOrPath(*mouse->notification)) : json()},
          {"ignored", mouse->others}};
}

json doctorJson(const DoctorReport& r) {
  json nodes = json::array();
  for (const DoctorNode& n : r.nodes) {
    json collections = json::array();
    for (const DoctorCollection& c : n.collections) {
      json jc = {{"path", c.path}, {"why", c.why}, {"opened", c.opened.empty() ? json() : json(c.opened)}};
      if (c.capsOk) {
        jc["usagePage"] = c.caps.usagePage;
        jc["usage"] = c.caps.usage;
        jc["inputLength"] = c.caps.inputReportByteLength;
        jc["outputLength"] = c.caps.outputReportByteLength;
        jc["featureLength"] = c.caps.featureReportByteLength;
      }
      collections.push_back(jc);
    }
    nodes.push_back({{"node", n.node},
                     {"path", n.path},
                     {"vendor", n.attributes.vendorId},
                     {"product", n.attributes.productId},
                     {"version", n.attributes.versionNumber},
                     {"canOpen", !n.openError},
                     {"openError", n.openError ? json(openText(n)) : json()},
                     {"permissionDenied", n.openError && isPermissionError(*n.openError)},
                     {"collections", collections}});
  }
  json sensor;
  if (r.sensor)
    sensor = {{"sensorType", r.sensor->sensorType},
              {"rate", r.sensor->rate},
              {"option1", r.sensor->option1},
              {"option2", r.sensor->option2}};
  return {{"version", kVersion},      {"listError", r.listError ? json(r.listError->text()) : json()},
          {"nodes", nodes},           {"mouse", chosenMouseJson(r.chosen)},
          {"mouseOpen", r.mouseOpen}, {"problem", r.problem ? json(*r.problem) : json()},
          {"sensor", sensor}};
}

std::vector<std::string> doctorLines(const DoctorReport& r) {
  std::vector<std::string> out{std::string("hidmousectl ") + kVersion};
  const std::string id = hex(proto::kVendorId, 4) + ":" + hex(proto::kProductId, 4);
  if (r.listError) out.push_back("The system's HID interfaces cannot be listed: " + r.listError->text());
  if (r.nodes.empty() && !r.listError)
    out.push_back("No hidraw node of " + id +
                  ": the mouse is not plugged in, or the kernel made no hidraw nodes for it.");
  else if (!r.nodes.empty())
    out.push_back("hidraw nodes of " + id + ":");
  for (const DoctorNode& n : r.nodes) {
    out.push_back(n.node + ": " + openText(n));
    const std::size_t suffix = n.path.rfind("&col");
    out.push_back("  " + n.path.substr(0, suffix) + ", version " + hex(n.attributes.versionNumber, 4));
    for (std::size_t i = 0; i < n.collections.size(); ++i) {
      const DoctorCollection& c = n.collections[i];
      out.push_back("  collection " + std::to_string(i + 1) + ": " +
                    (c.capsOk ? "usage page 0x" + hex(c.caps.usagePage, 4) + ", usage 0x" +
                                    hex(c.caps.usage, 4) + ", " + lengths(c.caps)
                              : std::string("no capabilities")));
      const char* use = c.opened.empty()          ? "the program does not open it"
                        : c.opened == kOpenedRead ? "the program opens it for reading"
                                                  : "the program opens it for reading and writing";
      out.push_back(std::string("    ") + use + ": " + c.why);
    }
  }
  if (r.chosen)
    for (const std::string& l : chosenMouseLines(*r.chosen)) out.push_back(l);
  if (r.sensor)
    out.push_back("Sensor answer: type " + hex(r.sensor->sensorType, 2) + ", rate " + hex(r.sensor->rate, 2) +
                  ", option 1 " + hex(r.sensor->option1, 2) + ", option 2 " + hex(r.sensor->option2, 2));
  else
    out.push_back("Sensor answer: not read: " + r.problem.value_or(proto::kMsgMouseNotDetected));
  return out;
}

int runDoctor(Session& s) {
  const DoctorReport report = examineMouse(s.backend(), s.link());
  // Where "apply" and the window's OK / Apply hand the pointer settings on
  // this desktop.
  const std::unique_ptr<PointerSettings> desktop = makeDesktopPointerSettings();
  if (s.options().json) {
    json doc = doctorJson(report);
    json pointer = json::object();
    for (PointerSetting p : kPointerSettings) pointer[pointerSettingName(p)] = desktop->source(p);
    doc["pointerSettings"] = pointer;
    s.console().out(jsonLine(doc));
  } else {
    for (const std::string& l : doctorLines(report)) s.console().out(l);
    s.console().out("Pointer settings go to:");
    for (PointerSetting p : kPointerSettings)
      s.console().out(std::string("  ") + pointerSettingName(p) + ": " + desktop->source(p));
  }
  return report.sensor ? kExitOk : kExitNoMouse;
}

}  // namespace hm::ctl
