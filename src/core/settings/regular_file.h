// SPDX-License-Identifier: GPL-3.0-or-later
// Whole-file reading and writing of the settings files (config.bin, str.ini,
// record.ini). Only regular files are read or replaced: a directory, FIFO or
// device in a file's place is refused, and nothing here ever waits for one.
#pragma once

#include <cstddef>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

#include "core/error.h"

namespace hm {

// Whether anything (file, folder, FIFO, ...) exists at path.
bool fileExists(const std::string& path);

// The whole contents of the regular file at path. Fails with ENOENT for a
// missing file, EISDIR for a directory, EINVAL for anything else that is not
// a regular file (a FIFO is never waited for), and EFBIG for a file longer
// than maxBytes, which is then not read to its end.
Result<std::string> readRegularFile(const std::string& path,
                                    std::size_t maxBytes = std::numeric_limits<std::size_t>::max());

// The temporary file of a replace of <folder>/<name> is
// <folder>/.<name>.hidmouse-<pid>-XXXXXX: hidden, and recognisably ours and
// the replace's of that file and of that process.
inline constexpr char kTemporaryMarker[] = ".hidmouse-";
std::string temporaryFileTemplate(const std::string& path);

// Removes what replaces of `path` (the file a symbolic link there names)
// left behind when their process was killed between writing the temporary
// file and renaming it: regular files of this user named as above whose
// process no longer runs. A replace in flight in another running process is
// left alone. Gives the number of files removed; failures are not reported
// (a leftover costs only its space).
int removeStaleTemporaryFiles(const std::string& path);

// Makes the temporary file of a replace: name is a template ending in
// "XXXXXX", filled in with the name made. Gives an open descriptor, or -1
// with errno set. The default uses mkostemp; tests pass one that fails.
using TemporaryFileMaker = int (*)(std::string& name);
int makeTemporaryFile(std::string& name);

// Writes bytes to path so that readers see either the old or the new
// contents: a temporary file beside the target is written, fsync'd, given the
// old file's permissions and renamed over it. Where no temporary file can be
// made there (a folder the user may not write, though the file itself is
// writable), the file itself is written in place and fsync'd, as opening it
// for writing would; only a failure of that write is reported.
//
// A symbolic link is followed (its target is replaced). A new file gets mode
// 0666 less the umask; an existing one keeps its mode and, where allowed, its
// owner. Only a regular file is replaced (a directory gives EISDIR, anything
// else EINVAL). An existing file that the process may not write is refused
// (call "faccessat", EACCES). On failure of the replace the old file is
// untouched and the temporary file removed.
Status writeFileAtomically(const std::string& path, std::string_view bytes,
                           TemporaryFileMaker makeTemporary = makeTemporaryFile);

// The file a replace of path really replaces: the target of a symbolic link
// (so the link survives), else path itself.
std::string replacedFile(const std::string& path);
std::string folderOf(const std::string& path);
// Makes a rename or a new name in the folder of path durable; a failure
// loses nothing written, so it is not reported.
void syncFolderOf(const std::string& path);

// The first half of writeFileAtomically for the file `path` (already
// resolved by replacedFile): the checks, and the temporary file written,
// fsync'd and given the old file's permissions. Gives the temporary file's
// name, to be renamed over path by the caller; or "" when no temporary file
// could be made and path was written in place instead.
Result<std::string> prepareReplacement(const std::string& path, std::string_view bytes,
                                       TemporaryFileMaker makeTemporary);

// Where the writes of one thread go while a ScopedWriteStage is alive: a
// transaction that keeps several files' new contents back until they can
// all be put in place together. write() gives nothing for a file the stage
// does not take (it is then written as usual); read() nothing for a file it
// holds nothing of, else what a read of that file must see until then (at
// most maxBytes, as readRegularFile). Both get the file as replacedFile
// names it.
class WriteStage {
 public:
  virtual ~WriteStage() = default;
  virtual std::optional<Status> write(const std::string& file, std::string_view bytes) = 0;
  virtual std::optional<Result<std::string>> read(const std::string& file, std::size_t maxBytes) const = 0;
};

// Sends this thread's writeFileAtomically and readRegularFile through stage
// while it lives.
class ScopedWriteStage {
 public:
  // Whether this thread's writes go through a stage now: nothing written
  // reaches its file before the stage puts it in place.
  static bool active();

  explicit ScopedWriteStage(WriteStage& stage);
  ~ScopedWriteStage();
  ScopedWriteStage(const ScopedWriteStage&) = delete;
  ScopedWriteStage& operator=(const ScopedWriteStage&) = delete;

 private:
  WriteStage* outer_;
};

}  // namespace hm
