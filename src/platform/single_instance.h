// The single-instance guard: one running copy of the program per user.
//
// The guard is an advisory lock (flock) on a file named after the lock in the
// user's runtime folder. The kernel drops the lock when its holder ends, so a
// lock left behind by a crashed run never blocks a new start; the file itself
// may stay and is reused.
#pragma once

#include <string>

namespace hm {

inline constexpr char kSingleInstanceName[] = "QX-R7Mutex";

inline constexpr char kSharedTempFolder[] = "/tmp";
inline constexpr char kOwnTempFolderPrefix[] = "hidmouse-";

// $XDG_RUNTIME_DIR when it is set and names a folder; else the folder
// "hidmouse-<uid>" (mode 0700, created if needed) in $TMPDIR or /tmp, and
// the temporary folder itself only when that folder is not this user's own.
std::string userRuntimeFolder();

class SingleInstanceLock {
 public:
  enum class Result {
    Acquired,        // this process is the only instance
    AlreadyRunning,  // another process holds the lock
    Failed,          // the lock file could not be opened or locked (see error())
  };

  SingleInstanceLock() = default;
  ~SingleInstanceLock();
  SingleInstanceLock(const SingleInstanceLock&) = delete;
  SingleInstanceLock& operator=(const SingleInstanceLock&) = delete;

  // Tries to take the lock folder + "/" + name without waiting. On Acquired
  // the lock is held until release() or destruction.
  Result acquire(const std::string& folder, const std::string& name = kSingleInstanceName);
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
