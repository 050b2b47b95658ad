// SPDX-License-Identifier: GPL-3.0-or-later
// Many writers, one data folder: the window and every hidmousectl run share
// config.bin, str.ini and record.ini, and must neither interleave their
// reads and writes nor leave the three files of different saves.
//
// FolderLock: flock(2) on kLockFileName in the data folder (on the folder
// itself where no lock file can be made there), exclusive for a run that
// writes, shared for one that only reads, held from the first read to the
// last rename. A writer that finds the folder taken waits a bounded time,
// then fails with EWOULDBLOCK; lockHolderText() says who holds it (the
// writer that holds the folder puts "pid program" into the lock file).
//
// FolderTransaction: while it is staged (ScopedWriteStage), the writes of
// the three files go to temporary files beside them, named
// ".<name>.hidmouse-txn"; commit() writes the journal kJournalFileName
// (the temporary and target of every file, fsync'd, renamed into place),
// then renames the temporary files over the targets and removes the
// journal. recoverFolder(), run by every lock taken, rolls a journal that
// exists forward (its renames not yet made are made) and removes temporary
// files no journal names (the save they belonged to never happened), so a
// kill at any moment leaves the three files of one save or the other.
#pragma once

#include <chrono>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "core/error.h"
#include "core/settings/data_paths.h"
#include "core/settings/regular_file.h"

namespace hm {

inline constexpr char kLockFileName[] = ".hidmouse.lock";
inline constexpr char kJournalFileName[] = ".hidmouse.journal";
inline constexpr char kTransactionSuffix[] = "txn";  // after kTemporaryMarker
// How long a run waits for another to leave the folder before it gives up.
inline constexpr std::chrono::milliseconds kFolderLockWait{10000};

enum class FolderAccess { Read, Write };

class FolderLock {
 public:
  // Takes the lock of paths.folder, waiting at most `wait`, then finishes
  // what a killed transaction left (a reader takes the lock exclusively for
  // that while there is something to finish). `program` is what a waiting
  // run is told holds the folder.
  static Result<FolderLock> acquire(const DataPaths& paths, FolderAccess access,
                                    std::chrono::milliseconds wait, const std::string& program);
  FolderLock() = default;
  FolderLock(FolderLock&& other) noexcept;
  FolderLock& operator=(FolderLock&& other) noexcept;
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;
  ~FolderLock();

  bool held() const { return fd_ >= 0; }
  void release();

 private:
  FolderLock(int fd, bool writer) : fd_(fd), writer_(writer) {}
  int fd_ = -1;
  bool writer_ = false;
};

// "hidmousectl (pid 1234)" from the lock file of folder, or a plainer text
// when no writer has said who it is.
std::string lockHolderText(const std::string& folder);
// The line a run prints when acquire gave up: which folder, who holds it.
std::string folderBusyText(const std::string& folder, const Error& error);

// Completes or undoes what a killed commit left in paths.folder. Needs the
// exclusive lock.
Status recoverFolder(const DataPaths& paths);

// The staged writes of config.bin, str.ini and record.ini. Writes of other
// files pass through. Needs the exclusive lock for its whole life.
class FolderTransaction : public WriteStage {
 public:
  explicit FolderTransaction(const DataPaths& paths);
  ~FolderTransaction() override;  // removes what was staged and not committed
  FolderTransaction(const FolderTransaction&) = delete;
  FolderTransaction& operator=(const FolderTransaction&) = delete;

  std::optional<Status> write(const std::string& file, std::string_view bytes) override;
  // What was staged, read back from its temporary file.
  std::optional<Result<std::string>> read(const std::string& file, std::size_t maxBytes) const override;

  bool empty() const { return files_.empty(); }
  // Puts every staged file in place, all of them or (on failure) none.
  Status commit();
  // Forgets what was staged; the files stay as they are.
  void discard();

 private:
  // The bytes themselves are not kept (a record.ini of 65,536-line macros
  // would be held twice): a read takes them back from the temporary file.
  struct Staged {
    std::string temporary;  // "" when it was written in place (no temporary file possible)
    std::string bytes;      // only then: the file's new contents
  };
  std::string journal_;
  std::map<std::string, std::string> targets_;  // file (resolved) → its temporary file's name
  std::map<std::string, Staged> files_;
};

// One run's hold on the data folder for a load or a save: the lock, and for
// a save the transaction, staged on this thread while the hold lives.
class FolderHold {
 public:
  FolderHold(const DataPaths& paths, FolderAccess access, const std::string& program,
             std::chrono::milliseconds wait = kFolderLockWait);
  FolderHold(const FolderHold&) = delete;
  FolderHold& operator=(const FolderHold&) = delete;
  ~FolderHold();

  // Whether the folder was taken; else why not.
  const Status& status() const { return status_; }
  // folderBusyText of the failure.
  std::string failureText() const;
  // Puts what was written since in place, all or none (nothing to do for
  // a read).
  Status commit();

 private:
  std::string folder_;
  Status status_;
  FolderLock lock_;
  std::unique_ptr<FolderTransaction> transaction_;
  std::optional<ScopedWriteStage> staging_;
};

}  // namespace hm
