// SPDX-License-Identifier: GPL-3.0-or-later
// Which folder holds the settings files (config.bin, str.ini, record.ini)
// and where the skins come from, for both hidmouse and hidmousectl.
//
//   --data-dir DIR given          DIR, as it is (nothing is copied into it)
//   executable's folder writable  the executable's folder (a build tree, an
//   and no kInstalledMarker       unpacked copy)
//   otherwise (an installed copy) $XDG_CONFIG_HOME/hidmouse, by default
//                                 ~/.config/hidmouse; a missing config.bin or
//                                 str.ini there is first copied from the
//                                 factory files beside the executable
//
// Skins are looked up in the data folder's "Skins" first, then in the
// "Skins" beside the executable: a skin the user adds to the data folder
// wins over a shipped one of the same name.
#pragma once

#include <string>
#include <vector>

#include "core/error.h"

namespace hm {

inline constexpr char kDataFolderName[] = "hidmouse";    // inside $XDG_CONFIG_HOME
inline constexpr char kDefaultConfigHome[] = ".config";  // inside $HOME
inline constexpr char kSkinsFolderName[] = "Skins";
// Put beside the programs by the installation: the folder is an installed
// copy even to root, who may write it, so its factory files stay untouched.
inline constexpr char kInstalledMarker[] = ".installed";
// The factory files copied into a new data folder (record.ini has none).
inline constexpr const char* kSeededFiles[] = {"config.bin", "str.ini"};

// What the choice depends on, gathered from the process's surroundings by
// dataFolderInputs().
struct DataFolderInputs {
  std::string dataDirOption;  // --data-dir; empty when not given
  std::string executableFolder;
  bool executableFolderWritable = false;
  bool installedCopy = false;  // kInstalledMarker is beside the executable
  std::string xdgConfigHome;   // $XDG_CONFIG_HOME; ignored unless an absolute path
  std::string home;            // $HOME, else the user's home from the password database
};

struct DataFolder {
  std::string folder;                  // config.bin, str.ini and record.ini live here
  std::vector<std::string> skinRoots;  // folders of one subfolder per skin; first match wins
  // The folder is the user's copy: missing factory files are copied into it
  // from seedFrom (the executable's folder).
  bool userCopy = false;
  std::string seedFrom;
  // The folder holds the factory files of an installed copy (no user's
  // folder could be had): they are read, and never saved, even by root.
  bool readOnly = false;
  bool operator==(const DataFolder&) const = default;
};

// The rule above, without touching anything. Without a usable home the
// executable's folder stays the data folder.
DataFolder chooseDataFolder(const DataFolderInputs& in);

// The inputs of this process: /proc/self/exe, whether this user may write
// its folder, the marker, $XDG_CONFIG_HOME and $HOME.
DataFolderInputs dataFolderInputs(const std::string& dataDirOption);

// Creates folder (and its parents) and copies each of kSeededFiles that is
// missing there from factoryFolder. A file that exists is never touched; a
// copy appears whole or not at all, so a second program starting at the same
// moment sees either no file or the factory one.
Status seedDataFolder(const std::string& folder, const std::string& factoryFolder);

struct DataLocation {
  DataFolder where;
  // Why the user's folder could not be set up. Without a config.bin there
  // the programs work on the files beside the executable (which they can
  // read but not save).
  Status problem;
  std::string userFolder;  // the folder that could not be set up
};

// All of it: choose, and seed the user's folder.
DataLocation locateDataFolder(const DataFolderInputs& in);
// ... for this process.
DataLocation locateDataFolder(const std::string& dataDirOption);

// The line the programs print when problem is set; empty otherwise.
std::string dataFolderWarning(const DataLocation& loc);

}  // namespace hm
