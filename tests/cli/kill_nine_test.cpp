// SPDX-License-Identifier: GPL-3.0-or-later
// hidmousectl killed with SIGKILL at random moments of the commands that
// write the data files (`apply`, `macros rebuild`, `set`, `macro set`,
// `import`): after the next start the three data files are together those
// of the old setup or those of the new one, never a mixture of two saves,
// and no temporary file is left.
//
// HM_KILL_RUNS sets the number of kills (default 20, what CI runs); a full
// run before a release uses 500:
//   HM_KILL_RUNS=500 build/dev/tests/cli_tests --gtest_filter='KillNine.*'
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "core/settings/config_file.h"
#include "core/settings/folder_transaction.h"
#include "ctl_fixture.h"
#include "support/temp_dir.h"

namespace hm {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::writeFile;

constexpr const char* kFiles[] = {"config.bin", "str.ini", "record.ini"};

int killRuns() {
  const char* v = std::getenv("HM_KILL_RUNS");
  const int n = v ? std::atoi(v) : 0;
  return n > 0 ? n : 20;
}

pid_t startCtl(const std::string& folder, const std::vector<std::string>& args) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    std::freopen("/dev/null", "w", stdout);
    std::freopen("/dev/null", "w", stderr);
    const std::string program = test::ctlProgram();
    std::vector<std::string> all{program, "--data-dir", folder};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    argv.reserve(all.size() + 1);
    for (auto& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);
    ::execv(program.c_str(), argv.data());
    ::_exit(127);
  }
  return pid;
}

int waitCtl(pid_t pid) {
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The data folder before a command: a factory config.bin, a str.ini with
// texts of its own and a record.ini of three macros.
void writeOldFiles(const std::string& folder) {
  MouseConfig c = factoryConfig();
  c.reportInterval = 4;
  ASSERT_TRUE(writeConfigImage(folder + "/config.bin", 0, c));
  std::string ini = "; kept as it is\r\n[Setting-EN]\r\n";
  for (int i = 1; i <= 12; ++i) ini += "Item" + std::to_string(i) + "=old text " + std::to_string(i) + "\r\n";
  ini += "[Skins]\r\nPath=Default\r\nRColor=1\r\n";
  writeFile(folder + "/str.ini", ini);
  writeFile(
      folder + "/record.ini",
      "[Copy]\nItemCount=3\nItem0=A   Dn\nItem1=50 ms\nItem2=A   Up\n[Paste]\nItemCount=2\nItem0=B   Dn\n"
      "Item1=2500 ms\n[Long]\nItemCount=1\nItem0=C   Up\n");
}

struct Command {
  const char* name;
  std::vector<std::string> args;
};

TEST(KillNine, EveryFileIsItsOldOrItsNewContents) {
  // The setup that import writes: the old files with another report rate
  // and macro, exported.
  test::TempDir source, documents;
  writeOldFiles(source.path());
  const std::string document = documents.file("setup.json");
  ASSERT_EQ(waitCtl(startCtl(source.path(), {"set", "rate", "125"})), 0);
  ASSERT_EQ(waitCtl(startCtl(source.path(), {"macro", "set", "Paste", "D   Dn", "60 ms", "D   Up"})), 0);
  ASSERT_EQ(waitCtl(startCtl(source.path(), {"export", document})), 0);

  const Command commands[] = {
      {"apply", {"--simulate", "apply"}},
      {"macros rebuild", {"macros", "rebuild"}},
      {"set", {"set", "button.a.4", "key", "A"}},
      {"macro set", {"macro", "set", "Copy", "B   Dn", "50 ms", "B   Up"}},
      {"import", {"import", document}},
  };
  // The old and new contents of every file, and how long a run takes.
  struct Outcome {
    std::vector<std::string> before, after;
    std::chrono::microseconds duration{};
  };
  std::vector<Outcome> outcomes;
  for (const Command& c : commands) {
    test::TempDir ref;
    writeOldFiles(ref.path());
    Outcome o;
    for (const char* f : kFiles) o.before.push_back(readFile(ref.file(f)));
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(waitCtl(startCtl(ref.path(), c.args)), 0) << c.name;
    o.duration =
        std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start);
    for (const char* f : kFiles) o.after.push_back(readFile(ref.file(f)));
    ASSERT_NE(o.before[0], o.after[0]) << c.name << " changes config.bin";
    outcomes.push_back(o);
  }

  std::mt19937 random(std::random_device{}());
  const int runs = killRuns();
  int killedMidway = 0;
  int newVersions = 0;
  for (int run = 0; run < runs; ++run) {
    const std::size_t which = static_cast<std::size_t>(run) % std::size(commands);
    const Command& c = commands[which];
    const Outcome& o = outcomes[which];
    test::TempDir dir;
    writeOldFiles(dir.path());
    // Half of the kills fall into the last fifth of a run, where the files
    // are written; the rest anywhere in it.
    const auto span = o.duration.count();
    const long long at =
        run % 2 == 0 ? static_cast<long long>(random() % static_cast<unsigned>(span + 1))
                     : span * 4 / 5 + static_cast<long long>(random() % static_cast<unsigned>(span / 4 + 1));
    const pid_t pid = startCtl(dir.path(), c.args);
    std::this_thread::sleep_for(std::chrono::microseconds(at));
    ::kill(pid, SIGKILL);
    if (waitCtl(pid) == -1) ++killedMidway;

    // The next start finishes or undoes what the killed run left: the three
    // files are then all of the old setup or all of the new one.
    ASSERT_EQ(waitCtl(startCtl(dir.path(), {"show"})), 0);
    std::vector<std::string> now;
    for (const char* f : kFiles) now.push_back(readFile(dir.file(f)));
    EXPECT_TRUE(now == o.before || now == o.after)
        << c.name << ", run " << run << ", killed after " << at << " us: the files are of two saves ("
        << (now[0] == o.before[0]  ? "old"
            : now[0] == o.after[0] ? "new"
                                   : "mixed")
        << " config.bin, "
        << (now[1] == o.before[1]  ? "old"
            : now[1] == o.after[1] ? "new"
                                   : "mixed")
        << " str.ini, "
        << (now[2] == o.before[2]  ? "old"
            : now[2] == o.after[2] ? "new"
                                   : "mixed")
        << " record.ini)";
    newVersions += now == o.after && now != o.before ? 1 : 0;
    for (const auto& e : fs::directory_iterator(dir.path())) {
      const std::string name = e.path().filename().string();
      EXPECT_TRUE(name == kFiles[0] || name == kFiles[1] || name == kFiles[2] || name == kLockFileName)
          << c.name << ", run " << run << ": " << name << " left behind";
    }
  }
  RecordProperty("killed_midway", killedMidway);
  std::printf("kill-9: %d runs, %d killed before they ended, %d left the new setup, %d the old\n", runs,
              killedMidway, newVersions, runs - newVersions);
}

}  // namespace
}  // namespace hm
