// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/settings/folder_transaction.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <thread>
#include <utility>
#include <vector>

namespace hm {
namespace {

constexpr char kJournalHeader[] = "hidmouse-journal";
constexpr char kJournalEnd[] = "end";
constexpr auto kLockPoll = std::chrono::milliseconds(20);
constexpr std::size_t kMaxJournalBytes = 64 * 1024;
constexpr std::size_t kMaxHolderBytes = 256;
// The call of the refusal to write the factory files of an installed copy.
constexpr char kFactoryFilesCall[] = "save the factory files";

std::string inFolder(const std::string& folder, const char* name) {
  return (folder.empty() ? std::string(".") : folder) + "/" + name;
}

// ".<name>.hidmouse-txn" beside the file.
std::string transactionTemporary(const std::string& file) {
  const std::size_t slash = file.rfind('/');
  const std::string base = slash == std::string::npos ? file : file.substr(slash + 1);
  return folderOf(file) + "/." + base + kTemporaryMarker + kTransactionSuffix;
}

// A TemporaryFileMaker that makes the transaction's temporary file of the
// file whose template it is given, replacing what a killed run left there.
int makeTransactionTemporary(std::string& name) {
  const std::size_t marker = name.rfind(kTemporaryMarker);
  if (marker == std::string::npos) {
    errno = EINVAL;
    return -1;
  }
  name.resize(marker + sizeof kTemporaryMarker - 1);
  name += kTransactionSuffix;
  return ::open(name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600);
}

bool regularFileAt(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::vector<std::string> dataFiles(const DataPaths& paths) {
  return {replacedFile(paths.configBin), replacedFile(paths.strIni), replacedFile(paths.recordIni)};
}

// The journal's (temporary, target) pairs; nothing when it is not a whole
// journal of ours.
std::vector<std::pair<std::string, std::string>> parseJournal(const std::string& bytes) {
  std::vector<std::string> fields;
  std::size_t from = 0;
  for (std::size_t nul; (nul = bytes.find('\0', from)) != std::string::npos; from = nul + 1)
    fields.push_back(bytes.substr(from, nul - from));
  if (from != bytes.size() || fields.size() < 2 || fields.front() != kJournalHeader ||
      fields.back() != kJournalEnd || fields.size() % 2 != 0)
    return {};
  std::vector<std::pair<std::string, std::string>> pairs;
  for (std::size_t i = 1; i + 1 < fields.size(); i += 2) pairs.emplace_back(fields[i], fields[i + 1]);
  return pairs;
}

bool somethingToRecover(const DataPaths& paths) {
  if (regularFileAt(inFolder(paths.folder, kJournalFileName))) return true;
  for (const std::string& f : dataFiles(paths))
    if (regularFileAt(transactionTemporary(f))) return true;
  return false;
}

int lockFile(int fd, int operation, std::chrono::milliseconds wait) {
  const auto until = std::chrono::steady_clock::now() + wait;
  for (;;) {
    if (::flock(fd, operation | LOCK_NB) == 0) return 0;
    if (errno == EINTR) continue;
    if (errno != EWOULDBLOCK) return errno;
    if (std::chrono::steady_clock::now() >= until) return EWOULDBLOCK;
    std::this_thread::sleep_for(kLockPoll);
  }
}

}  // namespace

Result<FolderLock> FolderLock::acquire(const DataPaths& paths, FolderAccess access,
                                       std::chrono::milliseconds wait, const std::string& program) {
  const std::string lockPath = inFolder(paths.folder, kLockFileName);
  // A reader leaves a folder without any settings file as it is.
  if (access == FolderAccess::Read && !fileExists(lockPath) && !fileExists(paths.configBin) &&
      !fileExists(paths.strIni) && !fileExists(paths.recordIni))
    return FolderLock();
  int fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
  // A folder that takes no new file (a read-only one) is locked itself; one
  // whose lock file may only be read, through that file.
  if (fd < 0) fd = ::open(lockPath.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0)
    fd = ::open(paths.folder.empty() ? "." : paths.folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  // A folder that cannot even be opened (missing, a name too long, no
  // permission) holds no file this run could read or change: nothing to
  // keep apart, and the run reports the files' own errors.
  if (fd < 0) return FolderLock();
  // Not yet the writer: a lock given up on must not clear the holder's line.
  FolderLock lock(fd, false);
  const bool writer = access == FolderAccess::Write;
  if (writer || somethingToRecover(paths)) {
    if (const int e = lockFile(fd, LOCK_EX, wait)) return Error{"flock(" + lockPath + ")", e};
    if (const Status recovered = recoverFolder(paths); !recovered) return recovered.error();
    if (writer) {
      // Who holds the folder, for a run that has to wait for it.
      const std::string holder = std::to_string(::getpid()) + " " + program + "\n";
      if (::ftruncate(fd, 0) == 0) static_cast<void>(::pwrite(fd, holder.data(), holder.size(), 0));
      lock.writer_ = true;
      return lock;
    }
    // Recovered: down to shared, as a reader needs.
  }
  if (const int e = lockFile(fd, LOCK_SH, wait)) return Error{"flock(" + lockPath + ")", e};
  return lock;
}

FolderLock::FolderLock(FolderLock&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), writer_(other.writer_) {}

FolderLock& FolderLock::operator=(FolderLock&& other) noexcept {
  if (this != &other) {
    release();
    fd_ = std::exchange(other.fd_, -1);
    writer_ = other.writer_;
  }
  return *this;
}

FolderLock::~FolderLock() { release(); }

void FolderLock::release() {
  if (fd_ < 0) return;
  if (writer_) static_cast<void>(::ftruncate(fd_, 0));
  ::close(fd_);  // drops the lock
  fd_ = -1;
}

std::string lockHolderText(const std::string& folder) {
  const Result<std::string> bytes = readRegularFile(inFolder(folder, kLockFileName), kMaxHolderBytes);
  if (bytes) {
    const std::string& text = bytes.value();
    const std::size_t space = text.find(' ');
    const std::size_t end = text.find('\n');
    if (space != std::string::npos && end != std::string::npos && space < end && space > 0)
      return text.substr(space + 1, end - space - 1) + " (pid " + text.substr(0, space) + ")";
  }
  return "another program";
}

std::string folderBusyText(const std::string& folder, const Error& error) {
  if (error.code == EROFS && error.call == kFactoryFilesCall)
    return "cannot save: " + folder +
           " holds the factory files of the installed program, which are never overwritten; "
           "make $XDG_CONFIG_HOME/hidmouse (~/.config/hidmouse) a folder the user may write, "
           "or give --data-dir";
  if (error.code == EWOULDBLOCK)
    return "the data folder " + folder + " is in use by " + lockHolderText(folder) +
           "; nothing was changed, try again when it has finished";
  return "cannot lock the data folder " + folder + ": " + error.text();
}

Status recoverFolder(const DataPaths& paths) {
  const std::string journal = inFolder(paths.folder, kJournalFileName);
  Result<std::string> bytes = readRegularFile(journal, kMaxJournalBytes);
  if (bytes) {
    // A whole journal: the save was decided; its renames not yet made are
    // made now. Anything else there is not a journal of a decided save.
    for (const auto& [temporary, target] : parseJournal(bytes.value()))
      if (regularFileAt(temporary) && ::rename(temporary.c_str(), target.c_str()) != 0)
        return Error{"rename(" + target + ")", errno};
    syncFolderOf(journal);
    if (::unlink(journal.c_str()) != 0 && errno != ENOENT) return Error{"unlink(" + journal + ")", errno};
  } else if (bytes.error().code != ENOENT) {
    return bytes.error();
  }
  // Temporary files no journal names: a save that never happened.
  for (const std::string& f : dataFiles(paths)) ::unlink(transactionTemporary(f).c_str());
  ::unlink((journal + kTemporaryMarker + kTransactionSuffix).c_str());
  syncFolderOf(journal);
  return {};
}

FolderTransaction::FolderTransaction(const DataPaths& paths)
    : journal_(inFolder(paths.folder, kJournalFileName)) {
  for (const std::string& f : dataFiles(paths)) targets_.emplace(f, transactionTemporary(f));
}

FolderTransaction::~FolderTransaction() { discard(); }

std::optional<Status> FolderTransaction::write(const std::string& file, std::string_view bytes) {
  if (targets_.find(file) == targets_.end()) return std::nullopt;
  Result<std::string> temporary = prepareReplacement(file, bytes, makeTransactionTemporary);
  if (!temporary) return Status(temporary.error());
  const bool inPlace = temporary.value().empty();
  files_[file] = Staged{std::move(temporary.value()), inPlace ? std::string(bytes) : std::string()};
  return Status();
}

std::optional<Result<std::string>> FolderTransaction::read(const std::string& file,
                                                           std::size_t maxBytes) const {
  const auto found = files_.find(file);
  if (found == files_.end()) return std::nullopt;
  const Staged& staged = found->second;
  if (!staged.temporary.empty()) return readRegularFile(staged.temporary, maxBytes);
  if (staged.bytes.size() > maxBytes) return Result<std::string>(Error{"read(" + file + ")", EFBIG});
  return Result<std::string>(staged.bytes);
}

void FolderTransaction::discard() {
  for (const auto& [file, staged] : files_)
    if (!staged.temporary.empty()) ::unlink(staged.temporary.c_str());
  files_.clear();
}

Status FolderTransaction::commit() {
  std::string record = std::string(kJournalHeader) + '\0';
  std::size_t renames = 0;
  for (const auto& [file, staged] : files_) {
    if (staged.temporary.empty()) continue;
    record += staged.temporary + '\0' + file + '\0';
    ++renames;
  }
  record += std::string(kJournalEnd) + '\0';
  if (renames == 0) {
    files_.clear();
    return {};
  }
  // The journal appears whole or not at all: until it is there nothing has
  // changed; once it is, the save is decided.
  const std::string journalTemporary = journal_ + kTemporaryMarker + kTransactionSuffix;
  const int fd =
      ::open(journalTemporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) {
    const Error e{"open(" + journalTemporary + ")", errno};
    discard();
    return e;
  }
  const bool written =
      ::write(fd, record.data(), record.size()) == static_cast<ssize_t>(record.size()) && ::fsync(fd) == 0;
  const int writeError = errno;
  ::close(fd);
  if (!written || ::rename(journalTemporary.c_str(), journal_.c_str()) != 0) {
    const Error e{(written ? "rename(" : "write(") + journalTemporary + ")", written ? errno : writeError};
    ::unlink(journalTemporary.c_str());
    discard();
    return e;
  }
  syncFolderOf(journal_);
  for (const auto& [file, staged] : files_) {
    if (staged.temporary.empty()) continue;
    // Should a rename fail, the journal stays and the next lock taken
    // finishes the save.
    if (::rename(staged.temporary.c_str(), file.c_str()) != 0) {
      const Error e{"rename(" + file + ")", errno};
      files_.clear();
      return e;
    }
    syncFolderOf(file);
  }
  files_.clear();
  ::unlink(journal_.c_str());
  syncFolderOf(journal_);
  return {};
}

FolderHold::FolderHold(const DataPaths& paths, FolderAccess access, const std::string& program,
                       std::chrono::milliseconds wait)
    : folder_(paths.folder) {
  // The factory files of an installed copy: nothing to share a lock over
  // (and no lock file is left in the program's folder), nothing to save.
  if (paths.readOnly) {
    if (access == FolderAccess::Write) status_ = Error{kFactoryFilesCall, EROFS};
    return;
  }
  Result<FolderLock> lock = FolderLock::acquire(paths, access, wait, program);
  if (!lock) {
    status_ = lock.error();
    return;
  }
  lock_ = std::move(lock.value());
  if (access == FolderAccess::Write) {
    transaction_ = std::make_unique<FolderTransaction>(paths);
    staging_.emplace(*transaction_);
  }
}

FolderHold::~FolderHold() {
  staging_.reset();
  transaction_.reset();  // what was not committed is dropped
}

std::string FolderHold::failureText() const {
  return status_ ? std::string() : folderBusyText(folder_, status_.error());
}

Status FolderHold::commit() {
  if (!status_) return status_;
  return transaction_ ? transaction_->commit() : Status();
}

}  // namespace hm
