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

std::string userRuntimeFolder() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (isFolder(runtime)) return runtime;
  const char* tmp = std::getenv("TMPDIR");
  std::string shared = isFolder(tmp) ? tmp : kSharedTempFolder;
  // The temporary folder is shared by every user: a lock file there would be
  // one for all of them (and another user's file cannot even be opened). Keep
  // a folder of this user's own in it, used only if it really is ours.
  std::string own = shared + "/" + kOwnTempFolderPrefix + std::to_string(::getuid());
  ::mkdir(own.c_str(), 0700);  // EEXIST is fine: checked below
  struct stat st {};
  if (::lstat(own.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid() &&
      (st.st_mode & (S_IRWXG | S_IRWXO)) == 0)
    return own;
  return shared;
}

SingleInstanceLock::~SingleInstanceLock() { release(); }

SingleInstanceLock::Result SingleInstanceLock::acquire(const std::string& folder, const std::string& name) {
  release();
  error_.clear();
  const std::string path = folder + "/" + name;
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) {
    error_ = errnoText("open(" + path + ")", errno);
    return Result::Failed;
  }
  int rc;
  do {
    rc = ::flock(fd, LOCK_EX | LOCK_NB);
  } while (rc != 0 && errno == EINTR);
  if (rc != 0) {
    const int err = errno;
    ::close(fd);
    if (err == EWOULDBLOCK) return Result::AlreadyRunning;
    error_ = errnoText("flock(" + path + ")", err);
    return Result::Failed;
  }
  fd_ = fd;
  return Result::Acquired;
}

void SingleInstanceLock::release() {
  if (fd_ >= 0) {
    ::close(fd_);  // closing the descriptor drops the lock
    fd_ = -1;
  }
}

}  // namespace hm
