// SPDX-License-Identifier: GPL-3.0-or-later
// The choice of the data folder, the seeding of the user's folder and the
// fall-back when it cannot be set up.
#include "platform/data_folder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include "support/param_name.h"
#include "support/temp_dir.h"

namespace hm {
namespace {

using test::TempDir;

// An installed copy of a user with both variables set; each case changes one
// field.
DataFolderInputs installed() {
  DataFolderInputs in;
  in.executableFolder = "/usr/lib/hidmouse";
  in.executableFolderWritable = false;
  in.xdgConfigHome = "/home/u/.cfg";
  in.home = "/home/u";
  return in;
}

struct ChoiceCase {
  const char* name;
  void (*change)(DataFolderInputs&);
  const char* folder;
  std::vector<std::string> skinRoots;
  bool userCopy;
};

class DataFolderChoice : public ::testing::TestWithParam<ChoiceCase> {};

TEST_P(DataFolderChoice, FolderSkinRootsAndSeeding) {
  const ChoiceCase& c = GetParam();
  DataFolderInputs in = installed();
  c.change(in);
  const DataFolder d = chooseDataFolder(in);
  EXPECT_EQ(d.folder, c.folder);
  EXPECT_EQ(d.skinRoots, c.skinRoots);
  EXPECT_EQ(d.userCopy, c.userCopy);
  EXPECT_EQ(d.seedFrom, c.userCopy ? "/usr/lib/hidmouse" : "");
}

const ChoiceCase kChoices[] = {
    {"InstalledUsesXdgConfigHome",
     [](DataFolderInputs&) {},
     "/home/u/.cfg/hidmouse",
     {"/home/u/.cfg/hidmouse/Skins", "/usr/lib/hidmouse/Skins"},
     true},
    {"XdgConfigHomeWithTrailingSlash",
     [](DataFolderInputs& in) { in.xdgConfigHome = "/x/"; },
     "/x/hidmouse",
     {"/x/hidmouse/Skins", "/usr/lib/hidmouse/Skins"},
     true},
    {"NoXdgConfigHomeMeansDotConfig",
     [](DataFolderInputs& in) { in.xdgConfigHome.clear(); },
     "/home/u/.config/hidmouse",
     {"/home/u/.config/hidmouse/Skins", "/usr/lib/hidmouse/Skins"},
     true},
    {"RelativeXdgConfigHomeIsIgnored",
     [](DataFolderInputs& in) { in.xdgConfigHome = "cfg"; },
     "/home/u/.config/hidmouse",
     {"/home/u/.config/hidmouse/Skins", "/usr/lib/hidmouse/Skins"},
     true},
    {"WritableProgramFolderKeepsItsFiles",
     [](DataFolderInputs& in) { in.executableFolderWritable = true; },
     "/usr/lib/hidmouse",
     {"/usr/lib/hidmouse/Skins"},
     false},
    {"InstalledCopyThatRootMayWrite",
     [](DataFolderInputs& in) {
       in.executableFolderWritable = true;
       in.installedCopy = true;
     },
     "/home/u/.cfg/hidmouse",
     {"/home/u/.cfg/hidmouse/Skins", "/usr/lib/hidmouse/Skins"},
     true},
    {"DataDirWinsOverEverything",
     [](DataFolderInputs& in) { in.dataDirOption = "/tmp/d"; },
     "/tmp/d",
     {"/tmp/d/Skins", "/usr/lib/hidmouse/Skins"},
     false},
    {"DataDirWinsOverAWritableFolder",
     [](DataFolderInputs& in) {
       in.dataDirOption = "rel/d";
       in.executableFolderWritable = true;
     },
     "rel/d",
     {"rel/d/Skins", "/usr/lib/hidmouse/Skins"},
     false},
    {"DataDirThatIsTheProgramFolder",
     [](DataFolderInputs& in) { in.dataDirOption = "/usr/lib/./hidmouse/"; },
     "/usr/lib/./hidmouse/",
     {"/usr/lib/./hidmouse/Skins"},
     false},
    {"NoHomeAtAllStaysBesideTheProgram",
     [](DataFolderInputs& in) {
       in.xdgConfigHome.clear();
       in.home.clear();
     },
     "/usr/lib/hidmouse",
     {"/usr/lib/hidmouse/Skins"},
     false},
    {"RelativeHomeIsNoHome",
     [](DataFolderInputs& in) {
       in.xdgConfigHome.clear();
       in.home = "u";
     },
     "/usr/lib/hidmouse",
     {"/usr/lib/hidmouse/Skins"},
     false},
};

INSTANTIATE_TEST_SUITE_P(Rule, DataFolderChoice, ::testing::ValuesIn(kChoices), test::ParamName());

// ---- seeding and the fall-back, on real folders

constexpr char kFactoryConfig[] = "factory config";
constexpr char kFactoryStr[] = "[Skins]\nPath=Default\n";

struct SeedCase {
  const char* name;
  void (*arrange)(const TempDir& t);  // program folder t/prog (factory files), user folder t/user/hidmouse
  int error;                          // errno of the failure; 0 = success
  const char* config;                 // what user/hidmouse/config.bin holds afterwards; nullptr = none
  const char* strIni;
};

std::string userFolder(const TempDir& t) { return t.file("user/hidmouse"); }

void putUserFile(const TempDir& t, const std::string& name, const std::string& bytes) {
  std::filesystem::create_directories(userFolder(t));
  test::writeFile(userFolder(t) + "/" + name, bytes);
}

class Seeding : public ::testing::TestWithParam<SeedCase> {};

TEST_P(Seeding, CopiesOnlyWhatIsMissingAndWhole) {
  const SeedCase& c = GetParam();
  TempDir t;
  std::filesystem::create_directories(t.file("prog"));
  t.write("prog/config.bin", kFactoryConfig);
  t.write("prog/str.ini", kFactoryStr);
  c.arrange(t);
  const Status s = seedDataFolder(userFolder(t), t.file("prog"));
  EXPECT_EQ(s.code(), c.error) << (s ? "" : s.error().text());
  for (auto [name, want] : {std::pair{"config.bin", c.config}, std::pair{"str.ini", c.strIni}}) {
    const std::string path = userFolder(t) + "/" + name;
    if (want == nullptr) {
      EXPECT_FALSE(std::filesystem::exists(path)) << name;
    } else {
      EXPECT_EQ(TempDir::read(path), want) << name;
    }
  }
  // No staged copy is left behind.
  if (std::filesystem::is_directory(userFolder(t))) {
    for (const std::string& f : test::folderEntries(userFolder(t)))
      EXPECT_EQ(f.find(".seed-"), std::string::npos) << f;
  }
}

const SeedCase kSeeds[] = {
    {"NewFolderGetsBothFactoryFiles", [](const TempDir&) {}, 0, kFactoryConfig, kFactoryStr},
    {"UsersConfigIsKept", [](const TempDir& t) { putUserFile(t, "config.bin", "mine"); }, 0, "mine",
     kFactoryStr},
    {"UsersTextsAreKept", [](const TempDir& t) { putUserFile(t, "str.ini", "[x]\n"); }, 0, kFactoryConfig,
     "[x]\n"},
    {"EmptyUserFileIsStillTheUsers", [](const TempDir& t) { putUserFile(t, "config.bin", ""); }, 0, "",
     kFactoryStr},
    {"NoFactoryStrIniNoCopy", [](const TempDir& t) { std::filesystem::remove(t.file("prog/str.ini")); }, 0,
     kFactoryConfig, nullptr},
    {"FolderInPlaceOfTheFactoryFile",
     [](const TempDir& t) {
       std::filesystem::remove(t.file("prog/config.bin"));
       std::filesystem::create_directories(t.file("prog/config.bin"));
     },
     EISDIR, nullptr, nullptr},
    {"FileInPlaceOfTheUserFolder",
     [](const TempDir& t) {
       std::filesystem::create_directories(t.file("user"));
       t.write("user/hidmouse", "");
     },
     ENOTDIR, nullptr, nullptr},
};

INSTANTIATE_TEST_SUITE_P(Factory, Seeding, ::testing::ValuesIn(kSeeds), test::ParamName());

TEST(DataLocation, SeedsTheUsersFolderOrFallsBackToTheFactoryFiles) {
  TempDir t;
  std::filesystem::create_directories(t.file("prog"));
  t.write("prog/config.bin", kFactoryConfig);
  DataFolderInputs in;
  in.executableFolder = t.file("prog");
  in.xdgConfigHome = t.file("config");

  const DataLocation seeded = locateDataFolder(in);
  EXPECT_TRUE(seeded.problem.ok());
  EXPECT_EQ(seeded.where.folder, t.file("config/hidmouse"));
  EXPECT_EQ(TempDir::read(t.file("config/hidmouse/config.bin")), kFactoryConfig);
  EXPECT_EQ(dataFolderWarning(seeded), "");

  // A configuration folder that cannot be made: the programs read the
  // factory files (saving them then fails visibly) and say why.
  t.write("blocked", "");
  in.xdgConfigHome = t.file("blocked");
  const DataLocation fallback = locateDataFolder(in);
  EXPECT_EQ(fallback.problem.code(), ENOTDIR);
  EXPECT_EQ(fallback.where.folder, t.file("prog"));
  EXPECT_FALSE(fallback.where.userCopy);
  EXPECT_TRUE(fallback.where.readOnly) << "the factory files are never saved";
  EXPECT_FALSE(seeded.where.readOnly);
  EXPECT_EQ(fallback.where.skinRoots.front(), t.file("blocked/hidmouse/Skins"));
  const std::string warning = dataFolderWarning(fallback);
  EXPECT_NE(warning.find("cannot set up the settings folder " + t.file("blocked/hidmouse")),
            std::string::npos)
      << warning;
  EXPECT_NE(warning.find("using the factory files in " + t.file("prog")), std::string::npos) << warning;
}

}  // namespace
}  // namespace hm
