// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/data_folder.h"

#include <fcntl.h>
#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "core/settings/data_paths.h"
#include "core/settings/regular_file.h"

namespace hm {

namespace {

// A factory file is small; anything larger beside the program is not one.
constexpr std::size_t kMaxSeedBytes = 1 << 20;

std::string join(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  return folder.back() == '/' ? folder + name : folder + "/" + name;
}

bool absolute(const std::string& path) { return !path.empty() && path.front() == '/'; }

std::string normal(const std::string& path) {
  std::string p = std::filesystem::path(path).lexically_normal().string();
  while (p.size() > 1 && p.back() == '/') p.pop_back();
  return p;
}

// The base of the user's configuration folders; empty without one.
std::string configHome(const DataFolderInputs& in) {
  // Relative values are to be ignored, as the XDG base-directory rules say.
  if (absolute(in.xdgConfigHome)) return in.xdgConfigHome;
  if (absolute(in.home)) return join(in.home, kDefaultConfigHome);
  return {};
}

std::string environment(const char* name) {
  const char* v = std::getenv(name);
  return v != nullptr ? v : "";
}

std::string passwordHome() {
  std::string buf(16384, '\0');
  passwd pw{};
  passwd* found = nullptr;
  if (::getpwuid_r(::geteuid(), &pw, buf.data(), buf.size(), &found) != 0 || found == nullptr ||
      found->pw_dir == nullptr)
    return {};
  return found->pw_dir;
}

// Copies factory to target unless target exists. The bytes are written to a
// file of this process's own first and then linked to the target name, which
// fails if the name has appeared meanwhile: an existing file is never
// replaced, and no half-written copy is ever seen under the target name.
Status seedFile(const std::string& factory, const std::string& target) {
  if (fileExists(target)) return {};
  Result<std::string> bytes = readRegularFile(factory, kMaxSeedBytes);
  if (!bytes) {
    if (bytes.error().code == ENOENT) return {};  // no factory copy of this one: nothing to seed
    return bytes.error();
  }
  const std::string staged = target + ".seed-" + std::to_string(::getpid());
  if (Status s = writeFileAtomically(staged, bytes.value()); !s) return s;
  Status result;
  if (::link(staged.c_str(), target.c_str()) != 0 && errno != EEXIST) {
    // A file system without hard links: rename, after one more look.
    const int linkErr = errno;
    if (fileExists(target)) {
      result = {};
    } else if (::rename(staged.c_str(), target.c_str()) != 0) {
      result = Status::failure("link(" + target + ")", linkErr);
    }
  }
  ::unlink(staged.c_str());
  return result;
}

}  // namespace

DataFolder chooseDataFolder(const DataFolderInputs& in) {
  DataFolder out;
  const std::string userBase = configHome(in);
  if (!in.dataDirOption.empty()) {
    out.folder = in.dataDirOption;
  } else if ((in.executableFolderWritable && !in.installedCopy) || userBase.empty()) {
    out.folder = in.executableFolder;
    out.readOnly = in.installedCopy;
  } else {
    out.folder = join(userBase, kDataFolderName);
    out.userCopy = true;
    out.seedFrom = in.executableFolder;
  }
  const std::string own = join(out.folder, kSkinsFolderName);
  const std::string shipped = join(in.executableFolder, kSkinsFolderName);
  out.skinRoots.push_back(own);
  if (normal(own) != normal(shipped)) out.skinRoots.push_back(shipped);
  return out;
}

DataFolderInputs dataFolderInputs(const std::string& dataDirOption) {
  DataFolderInputs in;
  in.dataDirOption = dataDirOption;
  in.executableFolder = executableFolder();
  in.executableFolderWritable = ::faccessat(AT_FDCWD, in.executableFolder.c_str(), W_OK, AT_EACCESS) == 0;
  in.installedCopy = fileExists(join(in.executableFolder, kInstalledMarker));
  in.xdgConfigHome = environment("XDG_CONFIG_HOME");
  in.home = environment("HOME");
  if (in.home.empty()) in.home = passwordHome();
  return in;
}

Status seedDataFolder(const std::string& folder, const std::string& factoryFolder) {
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  if (ec) return Status::failure("mkdir(" + folder + ")", ec.value());
  for (const char* name : kSeededFiles)
    if (Status s = seedFile(join(factoryFolder, name), join(folder, name)); !s) return s;
  return {};
}

DataLocation locateDataFolder(const std::string& dataDirOption) {
  return locateDataFolder(dataFolderInputs(dataDirOption));
}

DataLocation locateDataFolder(const DataFolderInputs& in) {
  DataLocation loc;
  loc.where = chooseDataFolder(in);
  if (!loc.where.userCopy) return loc;
  loc.problem = seedDataFolder(loc.where.folder, loc.where.seedFrom);
  if (loc.problem) return loc;
  loc.userFolder = loc.where.folder;
  // A user's folder that already holds a configuration stays in use; one
  // that could not get even that leaves the programs on the factory files
  // (its skins are still looked up first).
  if (!fileExists(join(loc.where.folder, kSeededFiles[0]))) {
    loc.where.folder = loc.where.seedFrom;
    loc.where.userCopy = false;
    loc.where.readOnly = true;
  }
  return loc;
}

std::string dataFolderWarning(const DataLocation& loc) {
  if (loc.problem) return {};
  std::string line =
      "cannot set up the settings folder " + loc.userFolder + ": " + loc.problem.error().text();
  if (loc.where.folder != loc.userFolder)
    line += "; using the factory files in " + loc.where.folder + ", which cannot be saved";
  return line;
}

}  // namespace hm
