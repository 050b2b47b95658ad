// Replacing a file so that readers see either the old or the new contents,
// never a truncated mix: a temporary file in the same folder is written,
// fsync'd, given the old file's permissions and renamed over the target.
#pragma once

#include <string>
#include <string_view>

namespace hm {

struct AtomicWriteResult {
  bool ok = false;
  int error = 0;     // errno of the failing call
  std::string call;  // name of the failing call, e.g. "rename"
  explicit operator bool() const { return ok; }
};

// Writes bytes to path. A symbolic link is followed (its target is replaced).
// A new file gets mode 0666 less the umask; an existing one keeps its mode and,
// where allowed, its owner. Only a regular file is replaced (a directory gives
// EISDIR, anything else EINVAL). An existing file that the process may not write
// is refused (call "faccessat", EACCES), as opening it for writing would be. On
// failure the old file is untouched and the temporary file removed.
AtomicWriteResult writeFileAtomically(const std::string& path, std::string_view bytes);

}  // namespace hm
