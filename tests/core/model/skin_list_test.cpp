// SPDX-License-Identifier: GPL-3.0-or-later
// The skins offered by the skins dialog: folders only, skin names only,
// sorted, merged over several roots with the first root winning, and found by
// their exact name.
#include <gtest/gtest.h>

#include <filesystem>

#include "core/model/skin_list.h"
#include "core/settings/skin_name.h"
#include "support/temp_dir.h"

namespace hm {
namespace {

namespace fs = std::filesystem;

// Two roots: the user's (first, wins) and the program's; a third that does
// not exist.
class SkinRoots : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"Default", "Blue", "a\\b", "\xff\xfe"})
      fs::create_directories(user() + "/" + name);
    for (const char* name : {"Default", "Crimson", "crimson", "Zeta"})
      fs::create_directories(program() + "/" + name);
    test::writeFile(program() + "/notes.txt", "not a skin");
    test::writeFile(program() + "/skins.png", "not a skin");
    fs::create_directory_symlink(program() + "/Zeta", user() + "/Linked");
    fs::create_symlink(program() + "/notes.txt", user() + "/LinkedFile");
  }
  std::string user() const { return dir.path() + "/user"; }
  std::string program() const { return dir.path() + "/program"; }
  std::vector<std::string> roots() const { return {user(), program(), dir.path() + "/missing"}; }

  test::TempDir dir;
};

TEST_F(SkinRoots, ListsFolderSkinsOnceEachSortedWithTheFirstRootWinning) {
  const std::vector<SkinEntry> expected = {
      {"Blue", user() + "/Blue"},       {"Crimson", program() + "/Crimson"},
      {"Default", user() + "/Default"}, {"Linked", user() + "/Linked"},
      {"Zeta", program() + "/Zeta"},    {"crimson", program() + "/crimson"},
  };
  EXPECT_EQ(listSkins(roots()), expected);
  // The order of the roots decides which copy is used.
  EXPECT_EQ(listSkins({program(), user()})[2], (SkinEntry{"Default", program() + "/Default"}));
  EXPECT_TRUE(listSkins({}).empty());
  EXPECT_TRUE(listSkins({dir.path() + "/missing", program() + "/notes.txt"}).empty());
}

TEST_F(SkinRoots, FindsAFolderOnlyByItsExactName) {
  struct Case {
    const char* name;
    std::optional<std::string> folder;
  };
  const Case cases[] = {
      {"Crimson", program() + "/Crimson"},
      {"crimson", program() + "/crimson"},
      {"CRIMSON", std::nullopt},
      {"Default", user() + "/Default"},
      {"Crimson ", std::nullopt},
      {"notes.txt", std::nullopt},
      {"", std::nullopt},
      {".", std::nullopt},
      {"..", std::nullopt},
      {"../program/Crimson", std::nullopt},
      {"a\\b", std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(findSkin(roots(), c.name), c.folder) << '"' << c.name << '"';
}

TEST(SkinName, IsOneFolderNameOfValidText) {
  struct Case {
    const char* name;
    bool valid;
  };
  const Case cases[] = {
      {"Default", true}, {"My skin 2", true}, {".hidden", true}, {"\xc3\xbc", true}, {"", false},
      {".", false},      {"..", false},       {"a/b", false},    {"a\\b", false},    {"\xff", false},
  };
  for (const Case& c : cases) EXPECT_EQ(isSkinFolderName(c.name), c.valid) << '"' << c.name << '"';
  EXPECT_FALSE(isSkinFolderName(std::string_view("a\0b", 3)));
}

}  // namespace
}  // namespace hm
