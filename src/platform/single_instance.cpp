// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/single_instance.h"

#include "core/error.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace hm {

namespace {

bool isFolder(const char* path) {
  struct stat st {};
  return path != nullptr && *path != '\0' && ::stat(path, &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

bool isPrivateFolder(const std::string& folder) {
  struct stat st {};
  return ::lstat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() &&
         (st.st_mode & (S_IRWXG | S_IRWXO)) == 0;
}

std::optional<std::string> userRuntimeFolder() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (isFolder(runtime)) return std::string(runtime);
  const char* tmp = std::getenv("TMPDIR");
  const std::string shared = isFolder(tmp) ? tmp : kSharedTempFolder;
  // The temporary folder is shared by every user: keep a folder of this
  // user's own in it, used only if it really is ours.
  const std::string own = shared + "/" + kOwnTempFolderPrefix + std::to_string(::geteuid());
  ::mkdir(own.c_str(), 0700);  // EEXIST is fine: checked below
  if (isPrivateFolder(own)) return own;
  return std::nullopt;
}

SingleInstanceLock::~SingleInstanceLock() { release(); }

SingleInstanceLock::Outcome SingleInstanceLock::acquire(const std::string& folder, const std::string& name) {
  release();
  error_.clear();
  const std::string path = folder + "/" + name;
  // O_NOFOLLOW: a link planted as the lock file is not followed to create or
  // lock a file elsewhere; O_NONBLOCK: a FIFO there is not waited on.
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600);
  if (fd < 0) {
    error_ = errnoText("open(" + path + ")", errno);
    return Outcome::Failed;
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    error_ = errnoText("fstat(" + path + ")", EINVAL);
    ::close(fd);
    return Outcome::Failed;
  }
  int rc;
  do {
    rc = ::flock(fd, LOCK_EX | LOCK_NB);
  } while (rc != 0 && errno == EINTR);
  if (rc != 0) {
    const int err = errno;
    ::close(fd);
    if (err == EWOULDBLOCK) return Outcome::AlreadyRunning;
    error_ = errnoText("flock(" + path + ")", err);
    return Outcome::Failed;
  }
  fd_ = fd;
  return Outcome::Acquired;
}

void SingleInstanceLock::release() {
  if (fd_ >= 0) {
    ::close(fd_);  // closing the descriptor drops the lock
    fd_ = -1;
  }
}

}  // namespace hm
