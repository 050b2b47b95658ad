// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/ctl_session.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <ios>
#include <stdexcept>

#include "core/wire/protocol.h"
#include "platform/system_language.h"

namespace hm::ctl {

namespace {
constexpr const char* kProgram = "hidmousectl: ";
}  // namespace

void Console::out(const std::string& line) {
  std::lock_guard lock(m_);
  errno = 0;
  const bool written =
      std::fputs(line.c_str(), stdout) >= 0 && std::fputc('\n', stdout) != EOF && std::fflush(stdout) == 0;
  if (!written && outputError_ == 0) outputError_ = errno != 0 ? errno : EIO;
}

int Console::outputError() const {
  std::lock_guard lock(m_);
  return outputError_;
}

void reserveStandardDescriptors() {
  for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
    if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    // open() takes the lowest free descriptor: this one.
    const int got = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    if (got >= 0 && got != fd) ::close(got);
  }
}

void Console::err(const std::string& line) {
  std::lock_guard lock(m_);
  std::fputs(line.c_str(), stderr);
  std::fputc('\n', stderr);
  std::fflush(stderr);
}

void Console::error(const std::string& text) {
  std::string line;
  for (char c : text) {
    if (c == '\n' || c == '\r') {
      if (!line.empty() && line.back() != ' ') line.push_back(' ');
    } else {
      line.push_back(c);
    }
  }
  while (!line.empty() && line.back() == ' ') line.pop_back();
  err(kProgram + line);
}

int runCommand(Console& console, const std::function<int()>& command) {
  try {
    return command();
  } catch (const std::filesystem::filesystem_error& e) {
    console.error(e.what());
    return kExitFile;
  } catch (const std::ios_base::failure& e) {
    console.error(e.what());
    return kExitFile;
  } catch (const std::invalid_argument& e) {
    console.error(e.what());
    return kExitUsage;
  } catch (const std::out_of_range& e) {
    console.error(e.what());
    return kExitUsage;
  } catch (const std::exception& e) {
    console.error(e.what());
    return kExitDevice;
  }
}

void ConsoleSink::showMessage(const std::string& text, const std::string& caption) {
  console_.error(caption.empty() ? text : caption + ": " + text);
}

void PauseClock::sleepMs(unsigned ms) {
  real_.sleepMs(ms);
  elapsedMs_ += ms;
  if (afterPause) afterPause(elapsedMs_);
}

Session::Session(const GlobalOptions& options, Console& console)
    : options_(options), console_(console), sink_(console) {
  ChosenBackend chosen = chooseBackend(options_);
  backend_ = std::move(chosen.backend);
  simulated_ = chosen.simulated;
  attachLink();
}

Session::Session(const GlobalOptions& options, Console& console, std::unique_ptr<HidBackend> backend)
    : options_(options), console_(console), sink_(console), backend_(std::move(backend)) {
  attachLink();
}

void Session::attachLink() {
  link_ = std::make_unique<DeviceLink>(*backend_, sink_, sleeper_);
  if (options_.trace) link_->setTrace([this](const std::string& line) { console_.err(line); });
  if (options_.verbose) {
    link_->setLog([this](const std::string& text) {
      std::string t = text;
      while (!t.empty() && t.back() == '\n') t.pop_back();
      console_.err(t);
    });
  }
}

Session::~Session() { link_->close(); }

bool Session::lockFolder(FolderAccess access) {
  hold_ = std::make_unique<FolderHold>(paths(), access, "hidmousectl");
  if (hold_->status()) return true;
  console_.error(hold_->failureText());
  return false;
}

bool Session::commitFiles() {
  if (!hold_) return true;
  if (const Status committed = hold_->commit(); !committed) {
    console_.error("cannot save the files of " + paths().folder + ": " + committed.error().text() +
                   "; none of them was changed");
    return false;
  }
  return true;
}

DataPaths Session::paths() const {
  // Chosen (and the user's folder seeded) by the first command that needs a file.
  if (!paths_) {
    const OpenedDataFolder data = openDataFolder(options_.dataDir);
    if (!data.warning.empty()) console_.error(data.warning);
    paths_ = data.paths;
  }
  return *paths_;
}

Language Session::language() const { return selectLanguage(systemDefaultLanguageId()); }

bool Session::openMouse() {
  if (link_->openMouse() == 1) return true;
  reportMouseMissing();
  return false;
}

void Session::reportMouseMissing() {
  console_.error(link_->permissionProblem().value_or(proto::kMsgMouseNotDetected));
}

}  // namespace hm::ctl
