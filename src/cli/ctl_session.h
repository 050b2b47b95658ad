// SPDX-License-Identifier: GPL-3.0-or-later
// What every hidmousectl command shares: the global options, the HID backend
// (the system's or the simulated mouse), the device link with its trace and
// diagnostic hooks, and error reporting on stderr.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "core/device/device_link.h"
#include "core/settings/data_paths.h"
#include "core/settings/folder_transaction.h"
#include "core/settings/language.h"
#include "core/settings/message_sink.h"
#include "platform/hid/simulated_mouse.h"
#include "platform/startup.h"

namespace hm::ctl {

// Exit codes.
constexpr int kExitOk = 0;
constexpr int kExitNoMouse = 1;
constexpr int kExitUsage = kUsageExitCode;
constexpr int kExitFile = 3;
constexpr int kExitDevice = 2;  // the mouse vanished or failed an exchange mid-way (stderr says which)

// The options both programs take (the simulated mouse's events are played
// during monitor and apply), and hidmousectl's own.
struct GlobalOptions : StartupOptions {
  bool json = false;
};

// Writes whole lines to stderr and stdout; safe from several threads.
class Console {
 public:
  void out(const std::string& line);
  void err(const std::string& line);
  // An error: "hidmousectl: <text>", embedded line breaks folded into one line.
  void error(const std::string& text);
  // The errno of the first line that could not be written to stdout (a full
  // disk, a closed descriptor), 0 while all of it went out.
  int outputError() const;

 private:
  mutable std::mutex m_;
  int outputError_ = 0;
};

// Runs one command and returns its exit code. An exception that escapes it
// is one error line and the code of its kind: a file or folder that could
// not be handled (std::filesystem, stream failures) kExitFile; a word the
// command could not take (std::invalid_argument, std::out_of_range)
// kExitUsage; any other failure mid-way (a system call, memory) kExitDevice,
// the code of a run that stopped part-way. Never kExitNoMouse: that one
// means the mouse was looked for and not found.
int runCommand(Console& console, const std::function<int()>& command);

// Makes sure descriptors 0, 1 and 2 are open before any file is: a program
// started with one of them closed would otherwise write its output into the
// first file it opens. A missing one is opened on /dev/null read-only, so
// writing to it fails and is told (Console::outputError).
void reserveStandardDescriptors();

// Messages of the core (file and device failures) become error lines.
class ConsoleSink : public MessageSink {
 public:
  explicit ConsoleSink(Console& c) : console_(c) {}
  void showMessage(const std::string& text, const std::string& caption) override;

 private:
  Console& console_;
};

// The real pauses, telling a hook after each how many milliseconds of pauses
// the session has taken so far: the clock on which `apply` plays the
// simulated mouse's events.
class PauseClock : public Sleeper {
 public:
  void sleepMs(unsigned ms) override;
  std::function<void(unsigned elapsedMs)> afterPause;

 private:
  RealSleeper real_;
  unsigned elapsedMs_ = 0;
};

class Session {
 public:
  Session(const GlobalOptions& options, Console& console);
  // Over another HID system (tests); --simulate is not looked at.
  Session(const GlobalOptions& options, Console& console, std::unique_ptr<HidBackend> backend);
  ~Session();

  const GlobalOptions& options() const { return options_; }
  Console& console() { return console_; }
  MessageSink& sink() { return sink_; }
  HidBackend& backend() { return *backend_; }
  DeviceLink& link() { return *link_; }
  PauseClock& pauses() { return sleeper_; }
  // The simulated mouse when --simulate was given, else nullptr.
  SimulatedMouse* simulated() { return simulated_; }
  DataPaths paths() const;
  Language language() const;

  // Takes the data folder for the run (the exclusive lock and a transaction
  // that holds back every write of the three files until commitFiles, for a
  // command that writes; the shared lock for one that reads). False, said,
  // when another run keeps it past the wait.
  bool lockFolder(FolderAccess access);
  // Puts the files written since lockFolder in place, all or none; false,
  // said, when none could be.
  bool commitFiles();

  // openMouse; on failure prints "The system did not detect the gaming
  // mouse!", or the permission message when the mouse is there but its
  // nodes may not be opened.
  bool openMouse();
  // The error line of a mouse that could not be opened (see openMouse).
  void reportMouseMissing();

 private:
  GlobalOptions options_;
  Console& console_;
  ConsoleSink sink_;
  void attachLink();

  PauseClock sleeper_;
  std::unique_ptr<HidBackend> backend_;
  SimulatedMouse* simulated_ = nullptr;
  std::unique_ptr<DeviceLink> link_;
  mutable std::optional<DataPaths> paths_;
  std::unique_ptr<FolderHold> hold_;
};

}  // namespace hm::ctl
