// SPDX-License-Identifier: GPL-3.0-or-later
// The start-up both programs share, hidmouse and hidmousectl alike: the
// options they both take, checked once with the same messages; the HID
// backend (the simulated mouse or the system's hidraw nodes); the data
// folder with its warning, and what a killed save left in it cleared.
//
// Each program's own parser reads its command line into SharedOptionWords;
// checkSharedOptions turns them into StartupOptions or one usage line.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/device/hid_backend.h"
#include "core/model/sensor_answer.h"
#include "core/settings/data_paths.h"
#include "platform/data_folder.h"
#include "platform/hid/sim_events.h"
#include "platform/hid/simulated_mouse.h"

namespace hm {

// The exit code of a command line that cannot be run, in both programs.
inline constexpr int kUsageExitCode = 2;

// The shared options as given; a value option that was not given is nullopt.
struct SharedOptionWords {
  bool simulate = false;
  std::optional<std::string> simSensor;               // "T,R,O1,O2"
  std::optional<std::vector<std::string>> simEvents;  // the list split at its commas
  std::optional<std::string> dataDir;
  bool verbose = false;
  bool trace = false;
};

struct StartupOptions {
  bool simulate = false;                  // the simulated mouse instead of hidraw
  std::optional<SensorAnswer> simSensor;  // its sensor answer: type, rate, option 1, 2
  std::vector<SimEvent> simEvents;        // what it plays once the program runs
  std::string dataDir;                    // empty: beside the executable, or the user's folder
  bool verbose = false;                   // diagnostic lines on stderr
  bool trace = false;                     // every operation on the mouse on stderr
};

// The options, or nullopt with `message` set to the one line that says what
// is wrong (without the program's name; the caller prints "PROGRAM: " before
// it and ends with kUsageExitCode). The simulator's options need --simulate;
// an empty --data-dir is refused (it would silently be the program's folder).
std::optional<StartupOptions> checkSharedOptions(const SharedOptionWords& words, std::string& message);

struct ChosenBackend {
  std::unique_ptr<HidBackend> backend;
  SimulatedMouse* simulated = nullptr;  // the simulated mouse behind `backend`, else nullptr
};

// The simulated mouse with the options' sensor answer, or the system's
// hidraw nodes.
ChosenBackend chooseBackend(const StartupOptions& options);

struct OpenedDataFolder {
  DataLocation location;
  DataPaths paths;
  std::string warning;  // the line to print on stderr (dataFolderWarning), empty when none
};

// Chooses the data folder of --data-dir (empty: the default one, seeding the
// user's folder), and removes the temporary files a killed save left beside
// config.bin, str.ini and record.ini before anything reads them.
OpenedDataFolder openDataFolder(const std::string& dataDir);

}  // namespace hm
