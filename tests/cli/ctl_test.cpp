// SPDX-License-Identifier: GPL-3.0-or-later
// hidmousectl as a user runs it: the built binary against temporary data
// folders and the simulated mouse; output, JSON fields, trace lines and exit
// codes.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <thread>

#include "cli/ctl_fixture.h"
#include "core/settings/config_file.h"
#include "core/settings/folder_transaction.h"
#include "support/param_name.h"
#include "support/temp_dir.h"

namespace hm {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;
using test::Ctl;
using test::lines;
using test::readFile;
using test::Result;

// ---- Exit codes and error lines -------------------------------------------------

struct ExitCase {
  const char* name;
  std::vector<std::string> args;
  bool withDataDir;
  void (*arrange)(const fs::path& data);
  int rc;
  const char* errContains;  // the one stderr line
};

// Test names come from the case name; the bytes are not worth printing.
void PrintTo(const ExitCase& c, std::ostream* os) { *os << c.name; }

class CtlExit : public Ctl, public ::testing::WithParamInterface<ExitCase> {};

TEST_P(CtlExit, ExitsWithItsCodeAndOneClearStderrLine) {
  const auto& c = GetParam();
  if (c.arrange) c.arrange(data_);
  const Result r = run(c.withDataDir ? withData(c.args) : c.args);
  EXPECT_EQ(r.rc, c.rc) << r.err;
  if (c.errContains) {
    const auto errLines = lines(r.err);
    ASSERT_EQ(errLines.size(), 1u) << r.err;
    EXPECT_NE(errLines[0].find(c.errContains), std::string::npos) << r.err;
  } else {
    EXPECT_EQ(r.err, "");
  }
}

void removeConfig(const fs::path& d) { fs::remove(d / "config.bin"); }
void truncateConfig(const fs::path& d) { fs::resize_file(d / "config.bin", 100); }
void removeStrIni(const fs::path& d) { fs::remove(d / "str.ini"); }
void nonUtf8MacroName(const fs::path& d) {
  std::ofstream(d / "record.ini") << "[Bad\xff\xfe]\nItemCount=0\n";
}
// record.ini is there but cannot be read: only a missing file means no macros.
void recordIsAFolder(const fs::path& d) { fs::create_directory(d / "record.ini"); }
void recordIsAFifo(const fs::path& d) { ::mkfifo((d / "record.ini").c_str(), 0600); }
void strIniIsAFifo(const fs::path& d) {
  fs::remove(d / "str.ini");
  ::mkfifo((d / "str.ini").c_str(), 0600);
}
// A folder name longer than any file system allows: the data cannot even be
// looked up.
const std::string kUnreachableDir = "/tmp/" + std::string(300, 'd');

INSTANTIATE_TEST_SUITE_P(
    Cases, CtlExit,
    ::testing::Values(
        // This machine has no hidraw node: the real system has no mouse.
        ExitCase{
            "ListWithoutMouse", {"list"}, true, nullptr, 1, "The system did not detect the gaming mouse!"},
        ExitCase{
            "InfoWithoutMouse", {"info"}, true, nullptr, 1, "The system did not detect the gaming mouse!"},
        ExitCase{
            "ApplyWithoutMouse", {"apply"}, true, nullptr, 1, "The system did not detect the gaming mouse!"},
        ExitCase{"ListSimulated", {"--simulate", "list"}, true, nullptr, 0, nullptr},
        ExitCase{"NoSubcommand", {}, false, nullptr, 2, "subcommand"},
        ExitCase{"UnknownOption", {"--frobnicate", "list"}, false, nullptr, 2, "--frobnicate"},
        ExitCase{"UnknownSubcommand", {"erase"}, false, nullptr, 2, "erase"},
        ExitCase{"BadSimSensor",
                 {"--simulate", "--sim-sensor", "1,2,3", "info"},
                 false,
                 nullptr,
                 2,
                 "--sim-sensor"},
        ExitCase{"SimSensorOver255",
                 {"--simulate", "--sim-sensor", "1,2,3,256", "info"},
                 false,
                 nullptr,
                 2,
                 "--sim-sensor"},
        ExitCase{"BadSimEvent",
                 {"--simulate", "--sim-events", "5:1,7-2", "monitor"},
                 false,
                 nullptr,
                 2,
                 "\"7-2\" is not TYPE:VALUE"},
        // The simulator's options without the simulated mouse: refused as the window refuses them.
        ExitCase{"SimSensorWithoutSimulate",
                 {"--sim-sensor", "1,2,3,4", "show"},
                 false,
                 nullptr,
                 2,
                 "hidmousectl: --sim-sensor needs --simulate"},
        ExitCase{"SimEventsWithoutSimulate",
                 {"--sim-events", "5:1", "show"},
                 false,
                 nullptr,
                 2,
                 "hidmousectl: --sim-events needs --simulate"},
        ExitCase{"SimEventValueOver255",
                 {"--simulate", "--sim-events", "5:256", "monitor"},
                 false,
                 nullptr,
                 2,
                 "--sim-events"},
        ExitCase{"ShowSensorNotANumber", {"show", "--sensor", "x"}, true, nullptr, 2, "--sensor"},
        ExitCase{"MacrosWithoutAction", {"macros"}, true, nullptr, 2, "subcommand"},
        ExitCase{"ShowMissingConfig", {"show"}, true, removeConfig, 3, "Config file is not exist."},
        ExitCase{"ShowShortConfig", {"show"}, true, truncateConfig, 3, "config.bin"},
        ExitCase{"ApplyMissingConfig",
                 {"--simulate", "apply"},
                 true,
                 removeConfig,
                 3,
                 "Config file is not exist."},
        ExitCase{"ApplyWithoutStrIni", {"--simulate", "apply"}, true, removeStrIni, 0, nullptr},
        ExitCase{"RebuildMissingRecord", {"macros", "rebuild"}, true, nullptr, 3, "record.ini"},
        ExitCase{"RebuildRecordIsAFolder", {"macros", "rebuild"}, true, recordIsAFolder, 3, "record.ini"},
        ExitCase{"RebuildRecordIsAFifo", {"macros", "rebuild"}, true, recordIsAFifo, 3, "record.ini"},
        ExitCase{"ShowRecordIsAFolder", {"show"}, true, recordIsAFolder, 3, "record.ini"},
        ExitCase{"ShowRecordIsAFifo", {"show"}, true, recordIsAFifo, 3, "record.ini"},
        ExitCase{"ShowStrIniIsAFifo", {"show"}, true, strIniIsAFifo, 3, "str.ini"},
        ExitCase{"GetStrIniIsAFifo", {"get", "rate"}, true, strIniIsAFifo, 3, "str.ini"},
        ExitCase{"SetStrIniIsAFifo", {"set", "rate", "500"}, true, strIniIsAFifo, 3, "cannot read"},
        ExitCase{"EmptyDataDir", {"--data-dir", "", "show"}, false, nullptr, 2, "--data-dir"},
        ExitCase{
            "EmptyDataDirApply", {"--simulate", "--data-dir", "", "apply"}, false, nullptr, 2, "--data-dir"},
        ExitCase{"ShowUnreachableDataDir",
                 {"--data-dir", kUnreachableDir, "show"},
                 false,
                 nullptr,
                 3,
                 "config.bin"},
        ExitCase{"ApplyUnreachableDataDir",
                 {"--simulate", "--data-dir", kUnreachableDir, "apply"},
                 false,
                 nullptr,
                 3,
                 "config.bin"},
        // Macro names are bytes of record.ini; JSON output must not fail on them.
        ExitCase{"ShowJsonNonUtf8MacroName", {"--json", "show"}, true, nonUtf8MacroName, 0, nullptr}),
    hm::test::ParamName());

// Output that cannot be written is a failed run (exit 3, said on stderr);
// the command's own work is done all the same.
TEST_F(Ctl, LostOutputIsAFileError) {
  std::ofstream(data_ / "record.ini") << "[Copy]\nItemCount=1\nItem0=A   Dn\n";
  struct Case {
    const char* what;
    std::vector<std::string> args;
    Stdout where;
  };
  const Case cases[] = {
      {"show into a full disk", {"show"}, Stdout::Full},
      {"show with stdout closed", {"show"}, Stdout::Closed},
      {"rebuild into a full disk", {"macros", "rebuild"}, Stdout::Full},
      {"list with stdout closed", {"--simulate", "list"}, Stdout::Closed},
      {"help into a full disk", {"--help"}, Stdout::Full},
      {"help of a command with stdout closed", {"macro", "--help"}, Stdout::Closed},
  };
  for (const Case& c : cases) {
    const Result r = run(withData(c.args), c.where);
    EXPECT_EQ(r.rc, 3) << c.what << ": " << r.err;
    EXPECT_NE(r.err.find("writing the output"), std::string::npos) << c.what << ": " << r.err;
  }
  // With stdout closed, nothing of the output lands in a file opened later.
  EXPECT_EQ(readFile(data_ / "record.ini"), "[Copy]\nItemCount=1\nItem0=A   Dn\n");
}

// An installed copy whose user's folder cannot be made runs on its factory
// files, which it said cannot be saved: every command that saves refuses
// (even where this user, as root would, may write the program's folder),
// and reading still works.
TEST_F(Ctl, AnInstalledCopyWithoutAUsersFolderNeverSavesItsFactoryFiles) {
  const fs::path prog = dir_ / "prog";
  fs::create_directory(prog);
  fs::copy_file(HM_CTL_PATH, prog / "hidmousectl");
  std::ofstream(prog / ".installed");
  for (const char* f : {"config.bin", "str.ini"}) fs::copy_file(data_ / f, prog / f);
  std::ofstream(prog / "record.ini") << "[M1]\nItemCount=0\n";
  ASSERT_EQ(run(withData({"export", (dir_ / "setup.json").string()})).rc, 0);
  program_ = (prog / "hidmousectl").string();
  std::ofstream(dir_ / "config-home");  // a file where the folder must go
  environment_ = {{"XDG_CONFIG_HOME", (dir_ / "config-home").string()}};
  auto factory = [&] {
    std::string all;
    for (const char* f : {"config.bin", "str.ini", "record.ini"}) all += readFile(prog / f) + "\f";
    return all;
  };
  const std::string before = factory();
  const std::vector<std::string> saving[] = {
      {"set", "rate", "500"},       {"import", (dir_ / "setup.json").string()},
      {"macro", "new", "M2"},       {"macro", "set", "M1", "A Dn"},
      {"macro", "loop", "M1", "3"}, {"macro", "delete", "M1"},
      {"macros", "rebuild"},        {"--simulate", "apply"}};
  for (const auto& args : saving) {
    const Result r = run(args);
    EXPECT_EQ(r.rc, 3) << args.front() << ": " << r.err;
    EXPECT_NE(r.err.find("never overwritten"), std::string::npos) << r.err;
  }
  EXPECT_EQ(factory(), before);
  const Result show = run({"show"});
  EXPECT_EQ(show.rc, 0) << show.err;
  EXPECT_NE(show.err.find("cannot be saved"), std::string::npos) << show.err;
}

// A save killed before its rename leaves its temporary file; the next run
// of either program removes it, and leaves alone what is not ours.
TEST_F(Ctl, StaleTemporaryFilesOfTheDataFilesAreRemovedAtStart) {
  const pid_t gone = fork();
  if (gone == 0) _exit(0);
  waitpid(gone, nullptr, 0);
  const std::string dead = std::to_string(gone);
  for (const char* name : {".config.bin.hidmouse-", ".str.ini.hidmouse-", ".record.ini.hidmouse-"})
    std::ofstream(data_ / (name + dead + "-Ab12Cd")) << "half";
  std::ofstream(data_ / "config.bin.Ab12Cd") << "not ours";
  ASSERT_EQ(run(withData({"show"})).rc, 0);
  std::vector<std::string> left;
  for (const auto& e : fs::directory_iterator(data_)) left.push_back(e.path().filename().string());
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, (std::vector<std::string>{kLockFileName, "config.bin", "config.bin.Ab12Cd", "str.ini"}));
}

TEST_F(Ctl, HelpSucceeds) {
  const Result r = run({"--help"});
  EXPECT_EQ(r.rc, 0);
  for (const char* sub : {"list", "info", "apply", "monitor", "show", "macros"})
    EXPECT_NE(r.out.find(sub), std::string::npos) << sub;
}

// ---- list and info -----------------------------------------------------------------

TEST_F(Ctl, ListJsonGivesTheMouseInterfacesOnly) {
  const Result r = run({"--simulate", "--json", "list"});
  ASSERT_EQ(r.rc, 0) << r.err;
  const json doc = json::parse(r.out);
  ASSERT_EQ(doc["interfaces"].size(), 2u);
  const json& notification = doc["interfaces"][0];
  const json& command = doc["interfaces"][1];
  EXPECT_EQ(notification["usagePage"], 0xFF01);
  EXPECT_EQ(notification["inputLength"], 9);
  EXPECT_EQ(command["usagePage"], 0xFF00);
  EXPECT_EQ(command["usage"], 0xFF00);
  EXPECT_EQ(command["featureLength"], 9);
  EXPECT_EQ(command["inputLength"], 33);
  EXPECT_EQ(command["outputLength"], 33);
  for (const json& i : doc["interfaces"]) {
    EXPECT_EQ(i["vendor"], 0x04D9);
    EXPECT_EQ(i["product"], 0xA09F);
    EXPECT_TRUE(i.contains("version"));
    EXPECT_NE(i["path"].get<std::string>().find("0003:04D9:A09F"), std::string::npos);
  }
}

TEST_F(Ctl, ListJsonOnAnEmptySystemIsAnEmptyArrayWithExitOne) {
  const Result r = run({"--json", "list"});
  EXPECT_EQ(r.rc, 1);
  EXPECT_EQ(json::parse(r.out)["interfaces"].size(), 0u);
}

struct InfoCase {
  const char* sensor;
  int type;
  std::size_t steps;
  const char* firstDpi;
};

class CtlInfo : public Ctl, public ::testing::WithParamInterface<InfoCase> {};

TEST_P(CtlInfo, ReadsTheSensorAndGivesItsDpiTableWithoutWriting) {
  const auto& c = GetParam();
  const Result r = run({"--simulate", "--json", "--trace", "--sim-sensor", c.sensor, "info"});
  ASSERT_EQ(r.rc, 0) << r.err;
  const json doc = json::parse(r.out);
  EXPECT_EQ(doc["sensorType"], c.type);
  EXPECT_EQ(doc["option2"], 7);
  ASSERT_EQ(doc["dpiSteps"].size(), c.steps);
  if (c.steps) {
    EXPECT_EQ(doc["dpiSteps"][0]["dpi"], c.firstDpi);
  }
  // Only the 0x83 exchange: nothing is written to the mouse.
  const auto trace = lines(r.err);
  ASSERT_EQ(trace.size(), 2u) << r.err;
  EXPECT_EQ(trace[0], "set-feature 00 83 00 00 00 00 00 00 7c");
  EXPECT_EQ(trace[1].rfind("get-feature 00 83 ", 0), 0u);
}

INSTANTIATE_TEST_SUITE_P(Sensors, CtlInfo,
                         ::testing::Values(InfoCase{"0,1,2,7", 0, 12, "250"},
                                           InfoCase{"1,0,0,7", 1, 8, "600"}, InfoCase{"2,0,0,7", 2, 8, "250"},
                                           InfoCase{"3,0,0,7", 3, 8, "400"}, InfoCase{"4,0,0,7", 4, 0, ""}));

// ---- apply ----------------------------------------------------------------------------

TEST_F(Ctl, ApplyTracesHandshakeAndTheWholeSequenceThenSavesBothFiles) {
  const Result r = run(withData({"--simulate", "--sim-sensor", "2,5,6,0", "--trace", "apply"}));
  ASSERT_EQ(r.rc, 0) << r.err;
  EXPECT_NE(r.out.find("Applied"), std::string::npos);
  const auto trace = lines(r.err);
  std::size_t features = 0, writes = 0, reads = 0, sleeps = 0, sleptMs = 0;
  for (const auto& l : trace) {
    const auto space = l.find(' ');
    const std::string op = l.substr(0, space), arg = l.substr(space + 1);
    if (op == "sleep") {
      ++sleeps;
      sleptMs += std::stoul(arg);
      continue;
    }
    // HEX: lowercase two-digit bytes separated by single spaces.
    ASSERT_EQ((arg.size() + 1) % 3, 0u) << l;
    for (std::size_t i = 0; i < arg.size(); ++i) {
      if (i % 3 == 2) {
        ASSERT_EQ(arg[i], ' ') << l;
      } else {
        ASSERT_TRUE(std::isxdigit(static_cast<unsigned char>(arg[i])) &&
                    !std::isupper(static_cast<unsigned char>(arg[i])))
            << l;
      }
    }
    const std::size_t bytes = (arg.size() + 1) / 3;
    if (op == "set-feature" || op == "get-feature") {
      EXPECT_EQ(bytes, 9u) << l;
      features += op == "set-feature";
    } else if (op == "write") {
      EXPECT_EQ(bytes, 33u) << l;
      ++writes;
    } else if (op == "read") {
      EXPECT_EQ(bytes, 33u) << l;
      ++reads;
    } else {
      ADD_FAILURE() << "unknown trace line: " << l;
    }
  }
  // The handshake (0x83, 0x03) and Apply's 37 headers.
  EXPECT_EQ(trace.at(0), "set-feature 00 83 00 00 00 00 00 00 7c");
  EXPECT_EQ(trace.at(2), "set-feature 00 03 02 05 06 40 00 00 af");
  EXPECT_EQ(features, 2u + 37u);
  EXPECT_EQ(writes, 60u);
  EXPECT_EQ(reads, 3u + 48u);
  EXPECT_EQ(sleeps, 94u);
  EXPECT_EQ(sleptMs, 248u);

  const std::string bin = readFile(data_ / "config.bin");
  ASSERT_EQ(bin.size(), kConfigFileSize);
  EXPECT_EQ(bin[0], 1);  // written by Apply
  EXPECT_NE(readFile(data_ / "str.ini").find("Left Click"), std::string::npos);
}

// A factory config.bin: apply names buttons 1..8 as the window's first
// display would, instead of saving them empty and setting the flag.
TEST_F(Ctl, ApplyOnAFactoryConfigRunsTheFirstRunActionFirst) {
  std::ofstream(data_ / "str.ini") << "[Setting-EN]\nItem2=Old\nItem9=Keep\n";
  const Result r = run(withData({"--simulate", "apply"}));
  ASSERT_EQ(r.rc, 0) << r.err;
  const std::string ini = readFile(data_ / "str.ini");
  for (const char* line : {"Item1=Left Click\n", "Item2=Right Click\n", "Item6=DPI +\n", "Item8=Key Off\n",
                           "Item9=Keep\n", "Item13=Left Click\n", "Item73=DPI -\n", "Item83=Key Off\n"})
    EXPECT_NE(ini.find(line), std::string::npos) << line << ini;
  EXPECT_EQ(readFile(data_ / "config.bin")[0], 1);

  // Once applied, the flag is 1 and the texts are the user's from then on.
  std::ofstream(data_ / "str.ini") << "[Setting-EN]\nItem2=Mine\n";
  ASSERT_EQ(run(withData({"--simulate", "apply"})).rc, 0);
  EXPECT_NE(readFile(data_ / "str.ini").find("Item2=Mine\n"), std::string::npos);
}

// Pulled out during the sequence (after 100 ms of its pauses): exit 2 with
// one line naming the failed exchange; both files are still saved.
TEST_F(Ctl, ApplyWhenTheMouseVanishesMidwayExitsTwoAndStillSaves) {
  const Result r = run(withData({"--simulate", "--sim-events", "unplug", "apply"}));
  EXPECT_EQ(r.rc, 2);
  EXPECT_EQ(r.out, "");
  const auto err = lines(r.err);
  ASSERT_EQ(err.size(), 1u) << r.err;
  for (const char* part :
       {"did not take the whole configuration", "No such device", "config.bin and", "str.ini were saved"})
    EXPECT_NE(err[0].find(part), std::string::npos) << part;
  EXPECT_EQ(readFile(data_ / "config.bin")[0], 1);
  EXPECT_NE(readFile(data_ / "str.ini").find("Item2=Right Click"), std::string::npos);
}

TEST_F(Ctl, VerboseLogsTheDiagnosticLinesAndQuietDoesNot) {
  const Result quiet = run(withData({"--simulate", "apply"}));
  ASSERT_EQ(quiet.rc, 0);
  EXPECT_EQ(quiet.err, "");
  const Result verbose = run(withData({"--simulate", "--verbose", "apply"}));
  ASSERT_EQ(verbose.rc, 0);
  for (const char* part : {"PID:a09f", "VID:04d9", "Usage:0xff00", "Sensor Type:00",
                           "Write KeyMatrix[1]:", "Write KeyMatrix[4]:",
                           // after the mouse, the pointer settings go to the desktop
                           "pointer settings: pointer speed: ", "pointer settings: double-click time: "})
    EXPECT_NE(verbose.err.find(part), std::string::npos) << part;
}

// ---- show -------------------------------------------------------------------------------

TEST_F(Ctl, ShowJsonDescribesTheRecordWithStableFields) {
  MouseConfig c = factoryConfig();
  c.mode[0].function[3] = 11;  // button 4: Single Key "A"
  c.mode[0].singleKey[3] = 0x04;
  c.mode[1].function[0] = 13;  // Mode B button 1: macro 2, repeat 1
  c.mode[1].macroIndex[0] = 1;
  c.mode[1].macroRepeat[0] = 1;
  c.mode[0].function[4] = 12;  // combo Left Ctrl + C
  c.mode[0].comboModifiers[4] = 0x01;
  c.mode[0].comboKey1[4] = 0x06;
  c.reportInterval = 4;
  c.dpiStageEnabled[2] = 0;
  c.ledMode = 3;
  c.ledParam[2] = 2;
  c.loopColorEnabled[2] = 0;
  c.macroImage[1][0] = 0x00;
  c.macroImage[1][1] = 0x05;
  ASSERT_TRUE(writeConfigImage((data_ / "config.bin").string(), 1, c));
  std::ofstream(data_ / "record.ini") << "[First]\nItemCount=0\n[Second]\nItemCount=4\nItem0=A   Dn\n"
                                         "Item1=50 ms\nItem2=A   Up\nItem3=10 ms\n";

  const Result r = run(withData({"--json", "show", "--sensor", "1"}));
  ASSERT_EQ(r.rc, 0) << r.err;
  const json d = json::parse(r.out);
  ASSERT_EQ(d["modes"].size(), 2u);
  ASSERT_EQ(d["modes"][0]["buttons"].size(), 8u);
  const json& b4 = d["modes"][0]["buttons"][3];
  EXPECT_EQ(b4["function"], 11);
  EXPECT_EQ(b4["functionName"], "Single Key");
  EXPECT_EQ(b4["params"]["key"], "A");
  EXPECT_EQ(d["modes"][0]["buttons"][4]["params"]["modifiers"], "Left Ctrl");
  EXPECT_EQ(d["modes"][0]["buttons"][4]["params"]["key1"], "C");
  const json& macroButton = d["modes"][1]["buttons"][0];
  EXPECT_EQ(macroButton["params"]["macro"], 2);
  EXPECT_EQ(macroButton["params"]["macroName"], "Second");
  EXPECT_EQ(macroButton["params"]["repeat"], 1);
  EXPECT_EQ(d["modes"][0]["buttons"][5]["params"]["text"], "DPI +");
  EXPECT_EQ(d["reportRate"]["hz"], 250);
  EXPECT_EQ(d["sensorType"], 1);
  EXPECT_EQ(d["dpiStages"][0]["dpi"], "800");  // step 1 of sensor type 1
  EXPECT_EQ(d["dpiStages"][2]["enabled"], false);
  EXPECT_EQ(d["led"]["modeName"], "Neon Mode");
  EXPECT_EQ(d["led"]["paramText"], "1.5S");
  EXPECT_EQ(d["loopColors"][2]["enabled"], false);
  EXPECT_EQ(d["loopColors"][0]["rgb"], "#ff0000");
  EXPECT_EQ(d["dpiLeds"][1]["leds"], json::array({2}));
  EXPECT_EQ(d["pointer"]["scrollLines"], 3);
  ASSERT_EQ(d["macros"].size(), 2u);
  EXPECT_EQ(d["macros"][1]["name"], "Second");
  EXPECT_EQ(d["macros"][1]["events"], 2);
  EXPECT_EQ(d["macros"][1]["loopTimes"], 5);
}

TEST_F(Ctl, ShowTextNamesEveryPart) {
  const Result r = run(withData({"show"}));
  ASSERT_EQ(r.rc, 0) << r.err;
  for (const char* part : {"Mode A", "Mode B", "Button 8: Key Off", "Report rate: 1000 Hz",
                           "Stage 4: on, 2000 DPI", "LED: Standard Mode, parameter 5%",
                           "Colour 8: #ffffff, ticked", "DPI LEDs:", "Pointer: speed step 6", "Macros:"})
    EXPECT_NE(r.out.find(part), std::string::npos) << part;
}

// ---- macros rebuild ------------------------------------------------------------------------

TEST_F(Ctl, RebuildWritesTheImagesAndKeepsTheFirstRunFlag) {
  std::ofstream(data_ / "record.ini")
      << "[Tap]\nItemCount=4\nItem0=B   Dn\nItem1=30 ms\nItem2=B   Up\nItem3=20 ms\n";
  const Result r = run(withData({"macros", "rebuild"}));
  ASSERT_EQ(r.rc, 0) << r.err;
  EXPECT_NE(r.out.find("Macro 1 \"Tap\": 2 events"), std::string::npos) << r.out;
  const std::string bin = readFile(data_ / "config.bin");
  ASSERT_EQ(bin.size(), kConfigFileSize);
  EXPECT_EQ(bin[0], 0);  // still the factory flag
  MouseConfig c;
  c.fromBytes(reinterpret_cast<const std::uint8_t*>(bin.data()) + 1);
  EXPECT_NE(c.macroImage[0][2] | c.macroImage[0][3], 0);  // the first event
}

TEST_F(Ctl, RebuildWarnsForMacrosBeyondTheTwelfth) {
  std::ofstream f(data_ / "record.ini");
  for (int i = 1; i <= 13; ++i) f << "[M" << i << "]\nItemCount=0\n";
  f.close();
  const Result r = run(withData({"macros", "rebuild"}));
  ASSERT_EQ(r.rc, 0) << r.err;
  const auto err = lines(r.err);
  ASSERT_EQ(err.size(), 1u) << r.err;
  EXPECT_NE(err[0].find("\"M13\""), std::string::npos);
}

// ---- monitor ---------------------------------------------------------------------------------

TEST_F(Ctl, MonitorPrintsEventsAndPlugChangesUntilInterrupted) {
  const pid_t pid = start(withData({"--simulate", "--json", "--sim-sensor", "1,0,0,0", "--sim-events",
                                    "5:4,7:2,6:1,unplug,plug,9:3,8:2", "monitor"}));
  // Wait (bounded) for the last event, then interrupt.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (std::chrono::steady_clock::now() < deadline &&
         readFile(dir_ / "out").find("\"type\":8") == std::string::npos)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  kill(pid, SIGINT);
  int status = 0;
  waitpid(pid, &status, 0);
  const Result r = collect(status);
  EXPECT_EQ(r.rc, 0) << r.err;

  std::vector<json> events;
  for (const auto& l : lines(r.out)) events.push_back(json::parse(l));
  std::vector<std::string> notifications, devices;
  for (const json& e : events) {
    if (e["event"] == "notification")
      notifications.push_back(std::to_string(e["type"].get<int>()) + " " +
                              std::to_string(e["value"].get<int>()) + " " + e["text"].get<std::string>());
    else
      devices.push_back(e["event"].get<std::string>());
  }
  // Type 6 is not forwarded; the unplug warns once per vanished interface;
  // DPI stage 2 of the factory record is step 3, 1200 DPI on sensor type 1.
  EXPECT_EQ(notifications,
            (std::vector<std::string>{"5 4 Switch report rate into 250HZ",
                                      "7 2 Switch DPI into the second stage 1200",
                                      "15 0 The system did not detect the gaming mouse!",
                                      "15 0 The system did not detect the gaming mouse!",
                                      "9 3 Switch to macro key3", "8 2 Switch to key matrix 2"}));
  EXPECT_EQ(devices, (std::vector<std::string>{"removal", "removal", "arrival", "arrival"}));
}

}  // namespace
}  // namespace hm
