// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/startup.h"

#include "core/settings/regular_file.h"
#include "platform/hid/linux_hid_backend.h"

namespace hm {

std::optional<StartupOptions> checkSharedOptions(const SharedOptionWords& words, std::string& message) {
  StartupOptions o;
  o.simulate = words.simulate;
  o.verbose = words.verbose;
  o.trace = words.trace;
  if (words.simSensor) {
    o.simSensor = parseSensorAnswer(*words.simSensor);
    if (!o.simSensor) {
      message =
          std::string("--sim-sensor needs ") + kSensorAnswerSyntax + ", not \"" + *words.simSensor + "\"";
      return std::nullopt;
    }
    if (!o.simulate) {
      message = "--sim-sensor needs --simulate";
      return std::nullopt;
    }
  }
  if (words.simEvents) {
    std::string bad;
    const auto events = parseSimEvents(*words.simEvents, &bad);
    if (!events) {
      message = "--sim-events: \"" + bad + "\" is not " + kSimEventForms;
      return std::nullopt;
    }
    if (!o.simulate) {
      message = "--sim-events needs --simulate";
      return std::nullopt;
    }
    o.simEvents = *events;
  }
  if (words.dataDir) {
    if (words.dataDir->empty()) {
      message = "--data-dir needs a folder";
      return std::nullopt;
    }
    o.dataDir = *words.dataDir;
  }
  return o;
}

ChosenBackend chooseBackend(const StartupOptions& options) {
  ChosenBackend chosen;
  if (!options.simulate) {
    chosen.backend = makeLinuxHidBackend();
    return chosen;
  }
  auto sim = std::make_unique<SimulatedMouse>();
  if (options.simSensor) sim->setSensorAnswer(*options.simSensor);
  chosen.simulated = sim.get();
  chosen.backend = std::move(sim);
  return chosen;
}

OpenedDataFolder openDataFolder(const std::string& dataDir) {
  OpenedDataFolder opened;
  opened.location = locateDataFolder(dataDir);
  opened.warning = dataFolderWarning(opened.location);
  opened.paths = DataPaths::inFolder(opened.location.where.folder);
  opened.paths.readOnly = opened.location.where.readOnly;
  for (const std::string* f : {&opened.paths.configBin, &opened.paths.strIni, &opened.paths.recordIni})
    removeStaleTemporaryFiles(*f);
  return opened;
}

}  // namespace hm
