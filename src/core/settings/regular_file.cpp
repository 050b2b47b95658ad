// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/settings/regular_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <vector>

namespace hm {
namespace {

Error errorOf(const std::string& call, const std::string& path, int code) {
  return Error{call + "(" + path + ")", code};
}

// Closes a descriptor when it goes out of scope.
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }
  // Closes now and gives close's result (0 or -1 with errno).
  int close() {
    const int r = ::close(fd_);
    fd_ = -1;
    return r;
  }

 private:
  int fd_;
};

// Mode of a freshly created file: 0666 less the process umask. umask can only
// be read by setting it, so it is set back at once.
mode_t newFileMode() {
  mode_t mask = ::umask(0);
  ::umask(mask);
  return static_cast<mode_t>(0666) & ~mask;
}

}  // namespace

std::string replacedFile(const std::string& path) {
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

namespace {

// Writes all of bytes at the descriptor's position; 0 or the errno.
int writeAll(int fd, std::string_view bytes) {
  const char* p = bytes.data();
  std::size_t left = bytes.size();
  while (left > 0) {
    ssize_t n = ::write(fd, p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    p += n;
    left -= static_cast<std::size_t>(n);
  }
  return 0;
}

}  // namespace

void syncFolderOf(const std::string& path) {
  int dir = ::open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
}

namespace {

// The existing file written over from its start, cut to the new length and
// fsync'd. Writing before cutting keeps the blocks of a file of the same size
// (config.bin always is), so a full disk cannot leave it empty.
Status writeInPlace(const std::string& path, std::string_view bytes) {
  // O_NONBLOCK: should a FIFO have taken the file's place, opening it must not
  // wait for a reader; it is then refused as not a regular file.
  Descriptor fd(::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW));
  if (fd.get() < 0) return errorOf("open", path, errno);
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0) return errorOf("fstat", path, errno);
  if (!S_ISREG(st.st_mode)) return errorOf("fstat", path, EINVAL);
  if (int e = writeAll(fd.get(), bytes)) return errorOf("write", path, e);
  if (::ftruncate(fd.get(), static_cast<off_t>(bytes.size())) != 0) return errorOf("ftruncate", path, errno);
  if (::fsync(fd.get()) != 0) return errorOf("fsync", path, errno);
  if (fd.close() != 0) return errorOf("close", path, errno);
  return {};
}

// A new file made directly under its own name; removed again when it could
// not be written whole.
Status createAndWrite(const std::string& path, std::string_view bytes) {
  Descriptor fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
  if (fd.get() < 0) return errorOf("open", path, errno);
  auto abandon = [&](const char* call, int e) {
    ::unlink(path.c_str());
    return errorOf(call, path, e);
  };
  if (int e = writeAll(fd.get(), bytes)) return abandon("write", e);
  if (::fsync(fd.get()) != 0) return abandon("fsync", errno);
  if (fd.close() != 0) return abandon("close", errno);
  syncFolderOf(path);
  return {};
}

}  // namespace

bool fileExists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0;
}

namespace {
thread_local WriteStage* gStage = nullptr;
}  // namespace

ScopedWriteStage::ScopedWriteStage(WriteStage& stage) : outer_(gStage) { gStage = &stage; }
ScopedWriteStage::~ScopedWriteStage() { gStage = outer_; }
bool ScopedWriteStage::active() { return gStage != nullptr; }

Result<std::string> readRegularFile(const std::string& path, std::size_t maxBytes) {
  if (gStage != nullptr)
    if (std::optional<Result<std::string>> staged = gStage->read(replacedFile(path), maxBytes))
      return std::move(*staged);
  // O_NONBLOCK so that a FIFO in the file's place does not wait for a writer;
  // only a regular file is read.
  Descriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (fd.get() < 0) return errorOf("open", path, errno);
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0) return errorOf("fstat", path, errno);
  if (S_ISDIR(st.st_mode)) return errorOf("read", path, EISDIR);
  if (!S_ISREG(st.st_mode)) return errorOf("fstat", path, EINVAL);
  if (static_cast<std::uintmax_t>(st.st_size) > maxBytes) return errorOf("read", path, EFBIG);
  std::string out;
  // The size known: no regrowing (a file of a megabyte would otherwise take
  // two for a moment).
  out.reserve(static_cast<std::size_t>(st.st_size) + 1);
  char buf[65536];
  // One byte more than allowed is asked for, so a file that grew since the
  // fstat is told apart without reading it whole.
  for (;;) {
    const std::size_t room = maxBytes - out.size();
    const std::size_t want = room < sizeof buf ? room + 1 : sizeof buf;
    ssize_t n = ::read(fd.get(), buf, want);
    if (n < 0) {
      if (errno == EINTR) continue;
      return errorOf("read", path, errno);
    }
    if (n == 0) break;
    if (static_cast<std::size_t>(n) > room) return errorOf("read", path, EFBIG);
    out.append(buf, static_cast<std::size_t>(n));
  }
  return out;
}

int makeTemporaryFile(std::string& name) { return ::mkostemp(name.data(), O_CLOEXEC); }

namespace {

constexpr char kTemplateTail[] = "XXXXXX";
constexpr std::size_t kTemplateTailSize = sizeof kTemplateTail - 1;

std::string baseNameOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// "." + name + marker: what every temporary file of that name starts with.
std::string temporaryPrefix(const std::string& name) { return "." + name + kTemporaryMarker; }

// The process id in a temporary file's name, or 0 when the name is not one.
pid_t temporaryOwner(const std::string& entry, const std::string& prefix) {
  if (entry.size() <= prefix.size() + 1 + kTemplateTailSize || entry.compare(0, prefix.size(), prefix) != 0)
    return 0;
  const std::size_t dash = entry.size() - kTemplateTailSize - 1;
  if (entry[dash] != '-') return 0;
  long pid = 0;
  for (std::size_t i = prefix.size(); i < dash; ++i) {
    if (entry[i] < '0' || entry[i] > '9') return 0;
    pid = pid * 10 + (entry[i] - '0');
    if (pid > INT_MAX) return 0;
  }
  return static_cast<pid_t>(pid);
}

bool processRuns(pid_t pid) { return ::kill(pid, 0) == 0 || errno == EPERM; }

}  // namespace

std::string temporaryFileTemplate(const std::string& path) {
  return folderOf(path) + "/" + temporaryPrefix(baseNameOf(path)) + std::to_string(::getpid()) + "-" +
         kTemplateTail;
}

int removeStaleTemporaryFiles(const std::string& requested) {
  const std::string path = replacedFile(requested);
  const std::string folder = folderOf(path);
  const std::string prefix = temporaryPrefix(baseNameOf(path));
  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr) return 0;
  std::vector<std::string> stale;
  while (const dirent* e = ::readdir(dir)) {
    const std::string entry = e->d_name;
    const pid_t owner = temporaryOwner(entry, prefix);
    if (owner <= 0 || (owner != ::getpid() && processRuns(owner))) continue;
    struct stat st {};
    std::string full = folder;
    full += '/';
    full += entry;
    if (::lstat(full.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid()) continue;
    stale.push_back(full);
  }
  ::closedir(dir);
  int removed = 0;
  for (const std::string& f : stale) removed += ::unlink(f.c_str()) == 0 ? 1 : 0;
  return removed;
}

Result<std::string> prepareReplacement(const std::string& path, std::string_view bytes,
                                       TemporaryFileMaker makeTemporary) {
  struct stat old {};
  const bool hadFile = ::stat(path.c_str(), &old) == 0;
  if (hadFile && S_ISDIR(old.st_mode)) return errorOf("open", path, EISDIR);
  // Only a regular file is replaced, never a FIFO or device in its place.
  if (hadFile && !S_ISREG(old.st_mode)) return errorOf("stat", path, EINVAL);
  // The rename needs only the folder's permission; a file the user may not
  // write (a read-only config.bin or str.ini) must still refuse to change, as
  // opening it for writing would.
  if (hadFile && ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0)
    return errorOf("faccessat", path, errno);

  std::string name = temporaryFileTemplate(path);
  Descriptor fd(makeTemporary(name));
  if (fd.get() < 0) {
    // No temporary file beside the target: a folder the user may not write,
    // no free inode, a name too long for one more suffix. The file can still
    // be saved as an in-place write would save it, and only that write's own
    // failure is worth reporting.
    Status direct = hadFile ? writeInPlace(path, bytes) : createAndWrite(path, bytes);
    if (!direct) return direct.error();
    return std::string();
  }

  auto abandon = [&](const char* call, int e) {
    ::unlink(name.c_str());
    return errorOf(call, name, e);
  };
  const mode_t mode = hadFile ? (old.st_mode & 07777) : newFileMode();
  if (::fchmod(fd.get(), mode) != 0) return abandon("fchmod", errno);
  if (hadFile && (old.st_uid != ::geteuid() || old.st_gid != ::getegid())) {
    // Only possible with the right privileges; a plain user keeps ownership.
    if (::fchown(fd.get(), old.st_uid, old.st_gid) != 0) { /* not fatal */
    }
  }
  if (int e = writeAll(fd.get(), bytes)) return abandon("write", e);
  if (::fsync(fd.get()) != 0) return abandon("fsync", errno);
  if (fd.close() != 0) return abandon("close", errno);
  return name;
}

Status writeFileAtomically(const std::string& requested, std::string_view bytes,
                           TemporaryFileMaker makeTemporary) {
  const std::string path = replacedFile(requested);
  if (gStage != nullptr)
    if (std::optional<Status> staged = gStage->write(path, bytes)) return *staged;
  Result<std::string> temporary = prepareReplacement(path, bytes, makeTemporary);
  if (!temporary) return temporary.error();
  const std::string& name = temporary.value();
  if (name.empty()) return {};
  if (::rename(name.c_str(), path.c_str()) != 0) {
    const int e = errno;
    ::unlink(name.c_str());
    return errorOf("rename", path, e);
  }
  syncFolderOf(path);
  return {};
}

}  // namespace hm
