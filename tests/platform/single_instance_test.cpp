// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/single_instance.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

namespace hm {
namespace {

class SingleInstance : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("hm_lock_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::string folder() const { return dir_.string(); }
  std::filesystem::path dir_;
};

TEST_F(SingleInstance, SecondHolderIsToldFirstKeepsIt) {
  SingleInstanceLock first, second;
  ASSERT_EQ(first.acquire(folder()), SingleInstanceLock::Outcome::Acquired);
  EXPECT_TRUE(std::filesystem::exists(dir_ / kSingleInstanceName));
  EXPECT_EQ(second.acquire(folder()), SingleInstanceLock::Outcome::AlreadyRunning);
  EXPECT_FALSE(second.held());
  EXPECT_TRUE(first.held());
  // Another name is another lock.
  EXPECT_EQ(second.acquire(folder(), "other"), SingleInstanceLock::Outcome::Acquired);
}

TEST_F(SingleInstance, ReleasedOrDestroyedLockCanBeTakenAgain) {
  SingleInstanceLock second;
  {
    SingleInstanceLock first;
    ASSERT_EQ(first.acquire(folder()), SingleInstanceLock::Outcome::Acquired);
    first.release();
    ASSERT_EQ(second.acquire(folder()), SingleInstanceLock::Outcome::Acquired);
    second.release();
    ASSERT_EQ(first.acquire(folder()), SingleInstanceLock::Outcome::Acquired);
  }
  EXPECT_EQ(second.acquire(folder()), SingleInstanceLock::Outcome::Acquired);
}

TEST_F(SingleInstance, LockOfACrashedRunDoesNotBlock) {
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    SingleInstanceLock lock;
    const bool ok = lock.acquire(folder()) == SingleInstanceLock::Outcome::Acquired;
    std::_Exit(ok ? 0 : 1);  // ends without releasing, as a crash would
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  ASSERT_EQ(WEXITSTATUS(status), 0);
  ASSERT_TRUE(std::filesystem::exists(dir_ / kSingleInstanceName));  // stale file stays
  SingleInstanceLock lock;
  EXPECT_EQ(lock.acquire(folder()), SingleInstanceLock::Outcome::Acquired);
}

TEST_F(SingleInstance, UnusableFolderFailsWithTheCallAndErrno) {
  SingleInstanceLock lock;
  EXPECT_EQ(lock.acquire(folder() + "/no/such/folder"), SingleInstanceLock::Outcome::Failed);
  EXPECT_NE(lock.error().find("open("), std::string::npos) << lock.error();
  EXPECT_NE(lock.error().find("errno 2"), std::string::npos) << lock.error();
  EXPECT_FALSE(lock.held());
}

TEST(UserRuntimeFolder, FollowsXdgRuntimeDirWhenItIsAFolder) {
  const char* saved = std::getenv("XDG_RUNTIME_DIR");
  const std::string keep = saved ? saved : "";
  const std::string tmp = std::filesystem::temp_directory_path().string();
  ::setenv("XDG_RUNTIME_DIR", tmp.c_str(), 1);
  EXPECT_EQ(userRuntimeFolder(), tmp);
  ::setenv("XDG_RUNTIME_DIR", "/no/such/runtime/folder", 1);
  EXPECT_NE(userRuntimeFolder(), std::optional<std::string>("/no/such/runtime/folder"));
  if (saved)
    ::setenv("XDG_RUNTIME_DIR", keep.c_str(), 1);
  else
    ::unsetenv("XDG_RUNTIME_DIR");
}

// Keeps XDG_RUNTIME_DIR and TMPDIR and puts them back; in between there is
// no runtime folder and the temporary folder is a private one of the test.
class NoRuntimeFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    keep("XDG_RUNTIME_DIR");
    keep("TMPDIR");
    shared_ = std::filesystem::temp_directory_path() / ("hm_tmp_" + std::to_string(::getpid()));
    std::filesystem::create_directories(shared_);
    ::unsetenv("XDG_RUNTIME_DIR");
    ::setenv("TMPDIR", shared_.c_str(), 1);
    own_ = (shared_ / ("hidmouse-" + std::to_string(::geteuid()))).string();
  }
  void TearDown() override {
    std::filesystem::remove_all(shared_);
    for (const auto& [name, value] : saved_)
      if (value)
        ::setenv(name.c_str(), value->c_str(), 1);
      else
        ::unsetenv(name.c_str());
  }
  void keep(const char* name) {
    const char* v = std::getenv(name);
    saved_.emplace_back(name, v ? std::optional<std::string>(v) : std::nullopt);
  }
  std::filesystem::path shared_;
  std::string own_;
  std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

// Without a runtime folder the lock goes to a folder of the user's own in
// the shared temporary folder, never straight into it.
TEST_F(NoRuntimeFolder, UsesAnOwnFolderInTheTemporaryFolder) {
  EXPECT_EQ(userRuntimeFolder(), own_);
  EXPECT_EQ(std::filesystem::status(own_).permissions() & std::filesystem::perms::all,
            std::filesystem::perms::owner_all);
  EXPECT_EQ(userRuntimeFolder(), own_);  // found again
  SingleInstanceLock lock;
  EXPECT_EQ(lock.acquire(*userRuntimeFolder()), SingleInstanceLock::Outcome::Acquired);
}

// What another local user can put under that name before the program first
// runs: none of it is used, and the lock is not put in the shared folder
// either; the program then runs without the guarantee.
TEST_F(NoRuntimeFolder, AFolderNameTakenByAnotherIsNoPlaceForTheLock) {
  struct Case {
    const char* what;
    std::function<void(const std::string& own, const std::filesystem::path& shared)> plant;
    bool needsRoot;
  };
  const Case cases[] = {
      {"a folder everyone may enter",
       [](const std::string& own, const auto&) {
         std::filesystem::create_directory(own);
         std::filesystem::permissions(own, std::filesystem::perms::all);
       },
       false},
      {"a folder readable by the group",
       [](const std::string& own, const auto&) { ::mkdir(own.c_str(), 0750); }, false},
      {"a symbolic link to a private folder",
       [](const std::string& own, const std::filesystem::path& shared) {
         const auto target = shared / "elsewhere";
         ::mkdir(target.c_str(), 0700);
         std::filesystem::create_directory_symlink(target, own);
       },
       false},
      {"a plain file", [](const std::string& own, const auto&) { std::ofstream(own) << "x"; }, false},
      {"another user's private folder",
       [](const std::string& own, const auto&) {
         ::mkdir(own.c_str(), 0700);
         ASSERT_EQ(::chown(own.c_str(), 65534, 65534), 0);
       },
       true},
  };
  for (const Case& c : cases) {
    if (c.needsRoot && ::geteuid() != 0) continue;
    std::filesystem::remove_all(own_);
    c.plant(own_, shared_);
    EXPECT_EQ(userRuntimeFolder(), std::nullopt) << c.what;
    EXPECT_FALSE(std::filesystem::exists(shared_ / kSingleInstanceName)) << c.what;
  }
}

// The lock file itself: a link planted in its place is not followed (no
// file appears where it points), and a FIFO or folder there is refused at
// once.
TEST_F(SingleInstance, ALockFileThatIsNotARegularFileFails) {
  struct Case {
    const char* what;
    std::function<void(const std::string& lock)> plant;
  };
  const std::string victim = folder() + "/victim";
  const Case cases[] = {
      {"symbolic link to a file that does not exist yet",
       [&](const std::string& lock) { ::symlink(victim.c_str(), lock.c_str()); }},
      {"FIFO", [](const std::string& lock) { ::mkfifo(lock.c_str(), 0600); }},
      {"folder", [](const std::string& lock) { ::mkdir(lock.c_str(), 0700); }},
  };
  for (const Case& c : cases) {
    const std::string lockPath = folder() + "/" + kSingleInstanceName;
    std::filesystem::remove_all(lockPath);
    c.plant(lockPath);
    SingleInstanceLock lock;
    EXPECT_EQ(lock.acquire(folder()), SingleInstanceLock::Outcome::Failed) << c.what;
    EXPECT_FALSE(lock.held()) << c.what;
    EXPECT_FALSE(std::filesystem::exists(victim)) << c.what;
  }
}

}  // namespace
}  // namespace hm
