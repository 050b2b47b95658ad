#include "platform/single_instance.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

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
  ASSERT_EQ(first.acquire(folder()), SingleInstanceLock::Result::Acquired);
  EXPECT_TRUE(std::filesystem::exists(dir_ / kSingleInstanceName));
  EXPECT_EQ(second.acquire(folder()), SingleInstanceLock::Result::AlreadyRunning);
  EXPECT_FALSE(second.held());
  EXPECT_TRUE(first.held());
  // Another name is another lock.
  EXPECT_EQ(second.acquire(folder(), "other"), SingleInstanceLock::Result::Acquired);
}

TEST_F(SingleInstance, ReleasedOrDestroyedLockCanBeTakenAgain) {
  SingleInstanceLock second;
  {
    SingleInstanceLock first;
    ASSERT_EQ(first.acquire(folder()), SingleInstanceLock::Result::Acquired);
    first.release();
    ASSERT_EQ(second.acquire(folder()), SingleInstanceLock::Result::Acquired);
    second.release();
    ASSERT_EQ(first.acquire(folder()), SingleInstanceLock::Result::Acquired);
  }
  EXPECT_EQ(second.acquire(folder()), SingleInstanceLock::Result::Acquired);
}

TEST_F(SingleInstance, LockOfACrashedRunDoesNotBlock) {
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    SingleInstanceLock lock;
    const bool ok = lock.acquire(folder()) == SingleInstanceLock::Result::Acquired;
    std::_Exit(ok ? 0 : 1);  // ends without releasing, as a crash would
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  ASSERT_EQ(WEXITSTATUS(status), 0);
  ASSERT_TRUE(std::filesystem::exists(dir_ / kSingleInstanceName));  // stale file stays
  SingleInstanceLock lock;
  EXPECT_EQ(lock.acquire(folder()), SingleInstanceLock::Result::Acquired);
}

TEST_F(SingleInstance, UnusableFolderFailsWithTheCallAndErrno) {
  SingleInstanceLock lock;
  EXPECT_EQ(lock.acquire(folder() + "/no/such/folder"), SingleInstanceLock::Result::Failed);
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
  EXPECT_NE(userRuntimeFolder(), "/no/such/runtime/folder");
  if (saved)
    ::setenv("XDG_RUNTIME_DIR", keep.c_str(), 1);
  else
    ::unsetenv("XDG_RUNTIME_DIR");
}

// Without a runtime folder the lock goes to a folder of the user's own in
// the shared temporary folder, never straight into it.
TEST(UserRuntimeFolder, WithoutOneUsesAnOwnFolderInTheTemporaryFolder) {
  const char* savedRuntime = std::getenv("XDG_RUNTIME_DIR");
  const std::string keepRuntime = savedRuntime ? savedRuntime : "";
  const char* savedTmp = std::getenv("TMPDIR");
  const std::string keepTmp = savedTmp ? savedTmp : "";
  const std::filesystem::path shared =
      std::filesystem::temp_directory_path() / ("hm_tmp_" + std::to_string(::getpid()));
  std::filesystem::create_directories(shared);
  ::unsetenv("XDG_RUNTIME_DIR");
  ::setenv("TMPDIR", shared.c_str(), 1);

  const std::string own = (shared / ("hidmouse-" + std::to_string(::getuid()))).string();
  EXPECT_EQ(userRuntimeFolder(), own);
  EXPECT_EQ(std::filesystem::status(own).permissions() & std::filesystem::perms::all,
            std::filesystem::perms::owner_all);
  EXPECT_EQ(userRuntimeFolder(), own);  // found again
  SingleInstanceLock lock;
  EXPECT_EQ(lock.acquire(userRuntimeFolder()), SingleInstanceLock::Result::Acquired);
  lock.release();

  // Something else under that name (here a folder others may enter): not ours.
  std::filesystem::remove_all(own);
  std::filesystem::create_directory(own);
  std::filesystem::permissions(own, std::filesystem::perms::all);
  EXPECT_EQ(userRuntimeFolder(), shared.string());

  std::filesystem::remove_all(shared);
  if (savedRuntime) ::setenv("XDG_RUNTIME_DIR", keepRuntime.c_str(), 1);
  if (savedTmp)
    ::setenv("TMPDIR", keepTmp.c_str(), 1);
  else
    ::unsetenv("TMPDIR");
}

}  // namespace
}  // namespace hm
