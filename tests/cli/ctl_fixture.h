// SPDX-License-Identifier: GPL-3.0-or-later
// The fixture of the hidmousectl tests: the built binary run against a
// temporary data folder (a factory config.bin and a str.ini), its stdout and
// stderr in files, and the folder's files compared before and after.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "core/settings/config_file.h"
#include "support/temp_dir.h"

namespace hm::test {

namespace fs = std::filesystem;

inline std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> out;
  std::stringstream in(text);
  for (std::string l; std::getline(in, l);) out.push_back(l);
  return out;
}

// The hidmousectl under test: the one built with the tests, or the one
// HM_CTL_PROGRAM names (a build of another commit, to see what these tests
// catch in it).
inline std::string ctlProgram() {
  const char* other = std::getenv("HM_CTL_PROGRAM");
  return other != nullptr && *other != '\0' ? other : HM_CTL_PATH;
}

struct Result {
  int rc = -1;
  std::string out, err;
};

class Ctl : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = tmp_.path();
    data_ = dir_ / "data";
    fs::create_directory(data_);
    ASSERT_TRUE(writeConfigImage((data_ / "config.bin").string(), 0, factoryConfig()));
    std::ofstream(data_ / "str.ini") << "[Setting-EN]\nItem1=Left Click\n";
  }

  // Runs the tool with `args`; stdout and stderr go to files.
  Result run(const std::vector<std::string>& args) {
    pid_t pid = start(args);
    int status = 0;
    waitpid(pid, &status, 0);
    return collect(status);
  }

  // Where stdout goes: the file "out", /dev/full, or nowhere (closed).
  enum class Stdout { File, Full, Closed };

  Result run(const std::vector<std::string>& args, Stdout where) {
    pid_t pid = start(args, where);
    int status = 0;
    waitpid(pid, &status, 0);
    return collect(status);
  }

  pid_t start(const std::vector<std::string>& args, Stdout where = Stdout::File) {
    const std::string out = (dir_ / "out").string(), err = (dir_ / "err").string();
    pid_t pid = fork();
    if (pid == 0) {
      freopen(where == Stdout::Full ? "/dev/full" : out.c_str(), "w", stdout);
      if (where == Stdout::Closed) ::close(STDOUT_FILENO);
      freopen(err.c_str(), "w", stderr);
      if (!input_.empty()) freopen(input_.c_str(), "r", stdin);
      for (const auto& [name, value] : environment_) setenv(name.c_str(), value.c_str(), 1);
      std::vector<char*> argv{const_cast<char*>(program_.c_str())};
      for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
      argv.push_back(nullptr);
      execv(program_.c_str(), argv.data());
      _exit(127);
    }
    return pid;
  }

  Result collect(int status) {
    Result r;
    r.rc = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.out = readFile(dir_ / "out");
    r.err = readFile(dir_ / "err");
    return r;
  }

  // Runs the tool with `input` on its stdin.
  Result runWithInput(const std::vector<std::string>& args, const std::string& input) {
    input_ = (dir_ / "in").string();
    writeFile(input_, input);
    Result r = run(args);
    input_.clear();
    return r;
  }

  // A file of the data folder.
  std::string data(const char* name) const { return readFile(data_ / name); }
  // The three settings files as they are now ("" for a missing one).
  std::string files() const {
    return data("config.bin") + "\f" + data("str.ini") + "\f" + data("record.ini");
  }

  std::vector<std::string> withData(std::vector<std::string> args) {
    args.insert(args.begin(), {"--data-dir", data_.string()});
    return args;
  }

  test::TempDir tmp_;
  fs::path dir_, data_;
  std::string input_;                   // stdin of the next run, "" for the test's own
  std::string program_ = ctlProgram();  // the binary run
  std::vector<std::pair<std::string, std::string>> environment_;  // set for it
};

}  // namespace hm::test
