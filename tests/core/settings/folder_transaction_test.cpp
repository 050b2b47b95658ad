// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/settings/folder_transaction.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "core/settings/config_file.h"
#include "support/param_name.h"
#include "support/temp_dir.h"

namespace hm {
namespace {

using test::folderEntries;
using test::readFile;
using test::TempDir;
using test::writeFile;
using namespace std::chrono_literals;

const char* const kNames[] = {"config.bin", "str.ini", "record.ini"};

// A data folder holding "old <name>" in each of the three files.
struct Folder {
  Folder() : paths(DataPaths::inFolder(dir.path())) {
    for (const char* n : kNames) writeFile(dir.file(n), std::string("old ") + n);
  }
  std::vector<std::string> contents() const {
    std::vector<std::string> out;
    for (const char* n : kNames) out.push_back(readFile(dir.file(n)));
    return out;
  }
  static std::vector<std::string> all(const char* which) {
    std::vector<std::string> out;
    for (const char* n : kNames) out.push_back(std::string(which) + " " + n);
    return out;
  }
  TempDir dir;
  DataPaths paths;
};

// ---- The lock --------------------------------------------------------------

struct LockCase {
  const char* name;
  FolderAccess first, second;
  bool secondWaitsOut;
};
void PrintTo(const LockCase& c, std::ostream* os) { *os << c.name; }

class FolderLocks : public ::testing::TestWithParam<LockCase> {};

TEST_P(FolderLocks, OnlyReadersShareTheFolderAndAWaiterIsToldWhoHoldsIt) {
  const LockCase& c = GetParam();
  Folder f;
  Result<FolderLock> first = FolderLock::acquire(f.paths, c.first, 0ms, "hidmouse");
  ASSERT_TRUE(first) << first.error().text();
  const auto start = std::chrono::steady_clock::now();
  Result<FolderLock> second = FolderLock::acquire(f.paths, c.second, 150ms, "hidmousectl");
  EXPECT_EQ(!second.ok(), c.secondWaitsOut);
  if (!c.secondWaitsOut) return;
  EXPECT_GE(std::chrono::steady_clock::now() - start, 150ms);
  EXPECT_EQ(second.error().code, EWOULDBLOCK);
  const std::string said = folderBusyText(f.paths.folder, second.error());
  const std::string holder = c.first == FolderAccess::Write
                                 ? "hidmouse (pid " + std::to_string(::getpid()) + ")"
                                 : "another program";
  EXPECT_NE(said.find("is in use by " + holder), std::string::npos) << said;
  // Once the holder lets go, the waiter gets in.
  first.value().release();
  EXPECT_TRUE(FolderLock::acquire(f.paths, c.second, 0ms, "hidmousectl"));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FolderLocks,
    ::testing::Values(LockCase{"WriterThenWriter", FolderAccess::Write, FolderAccess::Write, true},
                      LockCase{"WriterThenReader", FolderAccess::Write, FolderAccess::Read, true},
                      LockCase{"ReaderThenWriter", FolderAccess::Read, FolderAccess::Write, true},
                      LockCase{"ReaderThenReader", FolderAccess::Read, FolderAccess::Read, false}),
    test::ParamName());

// ---- The three files together ----------------------------------------------

// The factory files of an installed copy: read without a lock, never
// written, and no lock file left in the program's folder.
TEST(FolderTransaction, TheFactoryFilesOfAnInstalledCopyAreReadAndNeverWritten) {
  Folder f;
  f.paths.readOnly = true;
  const auto before = folderEntries(f.dir.path());
  {
    FolderHold read(f.paths, FolderAccess::Read, "test");
    EXPECT_TRUE(read.status().ok());
  }
  FolderHold write(f.paths, FolderAccess::Write, "test");
  ASSERT_FALSE(write.status().ok());
  EXPECT_NE(write.failureText().find("never overwritten"), std::string::npos) << write.failureText();
  EXPECT_FALSE(write.commit().ok());
  EXPECT_EQ(folderEntries(f.dir.path()), before);
  EXPECT_EQ(f.contents(), Folder::all("old"));
}

TEST(FolderTransaction, FilesChangeWhenCommittedAndReadsSeeTheStagedContents) {
  Folder f;
  Result<FolderLock> lock = FolderLock::acquire(f.paths, FolderAccess::Write, 0ms, "test");
  ASSERT_TRUE(lock);
  {
    FolderTransaction txn(f.paths);
    ScopedWriteStage staging(txn);
    for (const char* n : kNames) ASSERT_TRUE(writeFileAtomically(f.dir.file(n), std::string("new ") + n));
    EXPECT_EQ(readRegularFile(f.paths.strIni).value(), "new str.ini");
    EXPECT_EQ(f.contents(), Folder::all("old"));
    // A file outside the three is written at once.
    ASSERT_TRUE(writeFileAtomically(f.dir.file("other"), "x"));
    EXPECT_EQ(readFile(f.dir.file("other")), "x");
    ASSERT_TRUE(txn.commit());
  }
  EXPECT_EQ(f.contents(), Folder::all("new"));
  EXPECT_EQ(folderEntries(f.dir.path()),
            (std::vector<std::string>{kLockFileName, "config.bin", "other", "record.ini", "str.ini"}));
}

TEST(FolderTransaction, AFailingFileKeepsEveryFileAsItWas) {
  Folder f;
  std::filesystem::remove(f.dir.file("str.ini"));
  std::filesystem::create_directory(f.dir.file("str.ini"));
  Result<FolderLock> lock = FolderLock::acquire(f.paths, FolderAccess::Write, 0ms, "test");
  ASSERT_TRUE(lock);
  {
    FolderTransaction txn(f.paths);
    ScopedWriteStage staging(txn);
    ASSERT_TRUE(writeFileAtomically(f.paths.configBin, "new config.bin"));
    EXPECT_EQ(writeFileAtomically(f.paths.strIni, "new str.ini").code(), EISDIR);
    // Not committed: dropped with the transaction.
  }
  EXPECT_EQ(readFile(f.paths.configBin), "old config.bin");
  EXPECT_EQ(folderEntries(f.dir.path()),
            (std::vector<std::string>{kLockFileName, "config.bin", "record.ini", "str.ini"}));
}

// Where a commit was killed: temporary files written, maybe the journal,
// maybe some of the renames. The next lock taken finishes or undoes it.
struct KillCase {
  const char* name;
  bool journal;
  std::size_t renamed;  // files already renamed over their targets
  const char* expected;
};
void PrintTo(const KillCase& c, std::ostream* os) { *os << c.name; }

class KilledCommit : public ::testing::TestWithParam<KillCase> {};

TEST_P(KilledCommit, TheNextLockLeavesOneSaveOfAllThreeFiles) {
  const KillCase& c = GetParam();
  Folder f;
  std::string journal = std::string("hidmouse-journal") + '\0';
  for (std::size_t i = 0; i < std::size(kNames); ++i) {
    const std::string target = f.dir.file(kNames[i]);
    const std::string temporary = f.dir.path() + "/." + kNames[i] + kTemporaryMarker + kTransactionSuffix;
    writeFile(i < c.renamed ? target : temporary, std::string("new ") + kNames[i]);
    journal += temporary + '\0' + target + '\0';
  }
  journal += std::string("end") + '\0';
  if (c.journal) writeFile(f.dir.file(kJournalFileName), journal);

  // A reader finishes it as well as a writer would.
  ASSERT_TRUE(FolderLock::acquire(f.paths, FolderAccess::Read, 0ms, "test"));
  EXPECT_EQ(f.contents(), Folder::all(c.expected));
  EXPECT_EQ(folderEntries(f.dir.path()),
            (std::vector<std::string>{kLockFileName, "config.bin", "record.ini", "str.ini"}));
}

INSTANTIATE_TEST_SUITE_P(Cases, KilledCommit,
                         ::testing::Values(KillCase{"BeforeTheJournal", false, 0, "old"},
                                           KillCase{"AfterTheJournal", true, 0, "new"},
                                           KillCase{"AfterOneRename", true, 1, "new"},
                                           KillCase{"AfterTheLastRename", true, 3, "new"}),
                         test::ParamName());

}  // namespace
}  // namespace hm
