// SPDX-License-Identifier: GPL-3.0-or-later
// hidmouse-uhid: a virtual mouse on /dev/uhid that the window and
// hidmousectl meet as the real one (see uhid_mouse.h). It runs until its
// standard input ends or says "quit" (with --stay, until it is killed), and
// takes one command a line there:
//   TYPE:VALUE       the mouse sends a notification of that type and value
//   raw B0 B1 ...    the mouse sends this notification report (hex bytes,
//                    report ID first)
//   unplug, plug     the cable is pulled out, put back
//   unplug-at N      the cable is pulled at the Nth command request from now
//   reset            the mouse forgets what it was told, as a new one
//   status           one line: plugged or not, and what the mouse was told
//   commands         every command header the mouse took, in hex
// Each command is answered by one line on standard output ("ok", the answer,
// or "error: ..."). What happens by itself is told on lines of its own that
// start with "event: ": the cable pulled by unplug-at, the kernel opening
// and closing the command interface.
#include <poll.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "core/model/sensor_answer.h"
#include "platform/hid/sim_events.h"
#include "uhid_mouse.h"

namespace {

void say(const std::string& line) {
  std::fputs(line.c_str(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

std::string hex(std::span<const std::uint8_t> bytes) {
  std::string out;
  char b[4];
  for (std::uint8_t v : bytes) {
    std::snprintf(b, sizeof b, out.empty() ? "%02x" : " %02x", v);
    out += b;
  }
  return out;
}

std::optional<std::vector<std::uint8_t>> parseHexBytes(std::istringstream& in) {
  std::vector<std::uint8_t> out;
  for (std::string word; in >> word;) {
    char* end = nullptr;
    const unsigned long v = std::strtoul(word.c_str(), &end, 16);
    if (*end != '\0' || v > 0xFF) return std::nullopt;
    out.push_back(static_cast<std::uint8_t>(v));
  }
  if (out.empty()) return std::nullopt;
  return out;
}

std::string plugError() { return std::string("error: /dev/uhid: ") + std::strerror(errno); }

// One control line; false to end.
bool runLine(hm::UhidMouse& mouse, const std::string& line) {
  std::istringstream in(line);
  std::string word;
  if (!(in >> word)) return true;
  if (word == "quit") return false;
  if (word == "status") {
    say(mouse.status());
  } else if (word == "commands") {
    std::string all;
    for (const hm::FeatureReport& r : mouse.firmware().commands())
      all += (all.empty() ? "" : ", ") + hex(r.bytes);
    say(all.empty() ? "none" : all);
  } else if (word == "unplug") {
    mouse.unplug();
    say("ok");
  } else if (word == "plug") {
    say(mouse.plug() ? "ok" : plugError());
  } else if (word == "reset") {
    mouse.reset();
    say("ok");
  } else if (word == "unplug-at") {
    int n = 0;
    if (in >> n && n > 0) {
      mouse.unplugAtRequest(n);
      say("ok");
    } else {
      say("error: unplug-at takes a count from 1");
    }
  } else if (word == "raw") {
    const auto bytes = parseHexBytes(in);
    say(!bytes ? "error: raw takes hex bytes" : mouse.sendNotification(*bytes) ? "ok" : "error: unplugged");
  } else if (const auto e = hm::parseSimEvent(word); e && e->kind == hm::SimEvent::Kind::Notification) {
    std::vector<std::uint8_t> report(hm::proto::kNotificationInputLength, 0);
    report[0] = hm::proto::kNotificationReportId;
    report[hm::proto::kNotificationTypeByte] = static_cast<std::uint8_t>(e->type);
    report[hm::proto::kNotificationValueByte] = static_cast<std::uint8_t>(e->value);
    say(mouse.sendNotification(report) ? "ok" : "error: unplugged");
  } else {
    say("error: unknown command " + word);
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"A virtual mouse on /dev/uhid that both programs see as the real one (needs root)"};
  std::string serial = "1";
  std::string sensor;
  hm::UhidFaults faults;
  app.add_option("--serial", serial, "The mouse's serial number, to tell two virtual mice apart");
  app.add_option("--sensor", sensor, std::string("The sensor answer ") + hm::kSensorAnswerSyntax);
  app.add_option("--colour-answer-page", faults.firmware.colourAnswerPage,
                 "Colour-page answers name this page");
  app.add_option("--answer-length", faults.firmware.answerLength, "Block-read answers announce this length");
  app.add_option("--missing-answer-reports", faults.firmware.missingAnswerReports,
                 "Block-read answers send this many fewer data reports");
  app.add_option("--feature-answer-bytes", faults.firmware.featureAnswerBytes,
                 "Feature answers fill only this many bytes after the report ID");
  app.add_flag("--stall-features", faults.stallFeatures, "Every feature request fails");
  bool stay = false;
  app.add_flag("--stay", stay, "Keep the mouse plugged in after standard input ends, until killed");
  CLI11_PARSE(app, argc, argv);
  if (!sensor.empty()) {
    faults.sensorAnswer = hm::parseSensorAnswer(sensor);
    if (!faults.sensorAnswer) {
      std::cerr << "hidmouse-uhid: --sensor takes " << hm::kSensorAnswerSyntax << "\n";
      return 2;
    }
  }

  hm::UhidMouse mouse(serial, faults);
  if (!mouse.plug()) {
    std::cerr << "hidmouse-uhid: cannot create the mouse on /dev/uhid: " << std::strerror(errno)
              << (errno == ENOENT   ? " (modprobe uhid)"
                  : errno == EACCES ? " (run as root)"
                                    : "")
              << "\n";
    return 1;
  }
  say("ready");
  std::string pending;
  bool stdinOpen = true;
  for (;;) {
    std::vector<pollfd> fds{{stdinOpen ? STDIN_FILENO : -1, POLLIN, 0}};
    for (int fd : mouse.fds()) fds.push_back({fd, POLLIN, 0});
    if (::poll(fds.data(), fds.size(), -1) < 0) {
      if (errno == EINTR) continue;
      return 1;
    }
    for (std::size_t i = 1; i < fds.size(); ++i)
      if (fds[i].revents & POLLIN) mouse.handle(fds[i].fd);
    for (const std::string& e : mouse.takeEvents()) say("event: " + e);
    if (fds[0].revents & (POLLIN | POLLHUP)) {
      char buf[512];
      const ssize_t n = ::read(STDIN_FILENO, buf, sizeof buf);
      if (n <= 0) {
        if (!stay) return 0;
        stdinOpen = false;
        continue;
      }
      pending.append(buf, static_cast<std::size_t>(n));
      for (std::size_t nl; (nl = pending.find('\n')) != std::string::npos;) {
        const std::string line = pending.substr(0, nl);
        pending.erase(0, nl + 1);
        if (!runLine(mouse, line)) return 0;
      }
    }
  }
}
