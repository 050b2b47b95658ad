// SPDX-License-Identifier: GPL-3.0-or-later
// The single-instance guard: one running copy of the program per user.
//
// The guard is an advisory lock (flock) on a file named after the lock in the
// user's runtime folder. The kernel drops the lock when its holder ends, so a
// lock left behind by a crashed run never blocks a new start; the file itself
// may stay and is reused.
#pragma once

#include <optional>
#include <string>

namespace hm {

inline constexpr char kSingleInstanceName[] = "QX-R7Mutex";

inline constexpr char kSharedTempFolder[] = "/tmp";
inline constexpr char kOwnTempFolderPrefix[] = "hidmouse-";

// $XDG_RUNTIME_DIR when it is set and names a folder; else the folder
// "hidmouse-<uid>" in $TMPDIR or /tmp, created with mode 0700 and used only
// when, created or found, it is a real folder (not a symbolic link) owned by
// this user that no group or other user may enter. Another local user can
// create that name first in the shared folder; then there is no safe place
// and the result is empty (never the shared folder itself, where anyone can
// plant the lock file).
std::optional<std::string> userRuntimeFolder();
// Whether a folder may hold a lock that only this user can reach: a real
// folder owned by the user with no group or other access.
bool isPrivateFolder(const std::string& folder);

class SingleInstanceLock {
 public:
  enum class Outcome {
    Acquired,        // this process is the only instance
    AlreadyRunning,  // another process holds the lock
    Failed,          // the lock file could not be opened or locked (see error())
  };

  SingleInstanceLock() = default;
  ~SingleInstanceLock();
  SingleInstanceLock(const SingleInstanceLock&) = delete;
  SingleInstanceLock& operator=(const SingleInstanceLock&) = delete;

  // Tries to take the lock folder + "/" + name without waiting. On Acquired
  // the lock is held until release() or destruction. The lock file is never
  // reached through a symbolic link and must be a regular file; anything
  // else there fails (ELOOP, EINVAL) instead of being followed or waited on.
  Outcome acquire(const std::string& folder, const std::string& name = kSingleInstanceName);
  void release();
  bool held() const { return fd_ >= 0; }

  // The failing call and errno of the last Failed result, e.g.
  // "open(/run/user/1000/QX-R7Mutex): Permission denied (errno 13)".
  const std::string& error() const { return error_; }

 private:
  int fd_ = -1;
  std::string error_;
};

}  // namespace hm
