#include "core/settings/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <vector>

namespace hm {
namespace {

// Mode of a freshly created file: 0666 less the process umask. umask can only
// be read by setting it, so it is set back at once.
mode_t newFileMode() {
  mode_t mask = ::umask(0);
  ::umask(mask);
  return static_cast<mode_t>(0666) & ~mask;
}

// The file that is really replaced: the target of a symbolic link, so the link
// itself survives the rename.
std::string resolveTarget(const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
  std::vector<char> buf(PATH_MAX + 1);
  if (::realpath(path.c_str(), buf.data()) != nullptr) return std::string(buf.data());
  // A dangling link: replace the path the link names.
  ssize_t n = ::readlink(path.c_str(), buf.data(), buf.size() - 1);
  if (n <= 0) return path;
  std::string target(buf.data(), static_cast<std::size_t>(n));
  if (!target.empty() && target.front() != '/') {
    std::size_t slash = path.rfind('/');
    if (slash != std::string::npos) target = path.substr(0, slash + 1) + target;
  }
  return target;
}

std::string folderOf(const std::string& path) {
  std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

AtomicWriteResult failure(const char* call, int error) {
  AtomicWriteResult r;
  r.ok = false;
  r.error = error;
  r.call = call;
  return r;
}

}  // namespace

AtomicWriteResult writeFileAtomically(const std::string& requested, std::string_view bytes) {
  const std::string path = resolveTarget(requested);
  struct stat old {};
  const bool hadFile = ::stat(path.c_str(), &old) == 0;
  if (hadFile && S_ISDIR(old.st_mode)) return failure("open", EISDIR);
  // Only a regular file is replaced, never a FIFO or device in its place.
  if (hadFile && !S_ISREG(old.st_mode)) return failure("stat", EINVAL);
  // The rename needs only the folder's permission; a file the user may not
  // write (a read-only config.bin or str.ini) must still refuse to change, as
  // opening it for writing would.
  if (hadFile && ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0)
    return failure("faccessat", errno);

  std::string tmpl = path + ".XXXXXX";
  std::vector<char> name(tmpl.begin(), tmpl.end());
  name.push_back('\0');
  int fd = ::mkostemp(name.data(), O_CLOEXEC);
  if (fd < 0) return failure("mkostemp", errno);

  auto abandon = [&](const char* call) {
    int e = errno;
    ::close(fd);
    ::unlink(name.data());
    return failure(call, e);
  };

  const mode_t mode = hadFile ? (old.st_mode & 07777) : newFileMode();
  if (::fchmod(fd, mode) != 0) return abandon("fchmod");
  if (hadFile && (old.st_uid != ::geteuid() || old.st_gid != ::getegid())) {
    // Only possible with the right privileges; a plain user keeps ownership.
    if (::fchown(fd, old.st_uid, old.st_gid) != 0) { /* not fatal */
    }
  }

  const char* p = bytes.data();
  std::size_t left = bytes.size();
  while (left > 0) {
    ssize_t n = ::write(fd, p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      return abandon("write");
    }
    p += n;
    left -= static_cast<std::size_t>(n);
  }
  if (::fsync(fd) != 0) return abandon("fsync");
  if (::close(fd) != 0) {
    int e = errno;
    ::unlink(name.data());
    return failure("close", e);
  }
  if (::rename(name.data(), path.c_str()) != 0) {
    int e = errno;
    ::unlink(name.data());
    return failure("rename", e);
  }
  // Make the rename itself durable.
  int dir = ::open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
  AtomicWriteResult ok;
  ok.ok = true;
  return ok;
}

}  // namespace hm
