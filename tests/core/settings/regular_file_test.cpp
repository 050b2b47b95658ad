// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/settings/regular_file.h"

#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/macros/macro_record.h"
#include "core/settings/config_file.h"
#include "core/settings/settings_ini.h"
#include "support/recording_sink.h"
#include "support/temp_dir.h"

namespace hm {
namespace {

using test::folderEntries;
using test::readFile;
using test::RecordingSink;
using test::TempDir;
using test::writeFile;

// ---- Saving where no temporary file can be made ------------------------------

int refusedByFolder(std::string&) {
  errno = EACCES;
  return -1;
}

// A temporary file that is there but cannot be written to.
int unwritableTemporary(std::string& name) {
  const int fd = makeTemporaryFile(name);
  if (fd < 0) return -1;
  ::close(fd);
  return ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
}

ino_t inodeOf(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 ? st.st_ino : 0;
}

struct SaveCase {
  const char* what;
  std::string fileName;
  bool fileBefore;  // an existing file with kOld, mode 0640
  TemporaryFileMaker makeTemporary;
  int errnoCode;  // 0: saved
  bool inPlace;   // the file keeps its inode: written where it is, not replaced
  bool newAfter;  // holds kNew afterwards (else kOld, or nothing when there was none)
};

void PrintTo(const SaveCase& c, std::ostream* os) { *os << c.what; }

constexpr const char* kOld = "old contents, longer than the new ones";
constexpr const char* kNew = "new";

class SaveFallback : public ::testing::TestWithParam<SaveCase> {};

TEST_P(SaveFallback, SavesWhereAnInPlaceWriteWouldAndKeepsTheFolderClean) {
  const SaveCase& c = GetParam();
  TempDir dir;
  const std::string path = dir.file(c.fileName);
  if (c.fileBefore) {
    writeFile(path, kOld);
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
  }
  const ino_t before = inodeOf(path);

  const Status s = writeFileAtomically(path, kNew, c.makeTemporary);

  EXPECT_EQ(s.code(), c.errnoCode) << (s ? "" : s.error().text());
  EXPECT_EQ(readFile(path), c.newAfter ? kNew : (c.fileBefore ? kOld : ""));
  EXPECT_EQ(folderEntries(dir.path()), std::vector<std::string>{c.fileName}) << "temporary file left behind";
  if (c.fileBefore) {
    EXPECT_EQ(inodeOf(path) == before, c.inPlace);
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SaveFallback,
    ::testing::Values(SaveCase{"a temporary file beside it: replaced by rename", "config.bin", true,
                               makeTemporaryFile, 0, false, true},
                      SaveCase{"the folder refuses a temporary file: written in place", "config.bin", true,
                               refusedByFolder, 0, true, true},
                      SaveCase{"the folder refuses a temporary file: a missing file is made", "str.ini",
                               false, refusedByFolder, 0, false, true},
                      // The temporary file's name (the file name plus a suffix) exceeds the
                      // longest name the folder allows.
                      SaveCase{"no room for a temporary name: written in place", std::string(250, 'c'), true,
                               makeTemporaryFile, 0, true, true},
                      SaveCase{"the temporary file cannot be written: old file kept", "record.ini", true,
                               unwritableTemporary, EBADF, true, false}));

// ---- As a user who may write the files but not their folder --------------------

// Runs body in a child process switched to user nobody and gives what it
// reported (empty: all went well); nothing when no switch is possible (the
// tests do not run as root, or there is no such user).
std::optional<std::string> runAsNobody(const std::function<std::string()>& body) {
  if (::geteuid() != 0) return std::nullopt;
  const passwd* pw = ::getpwnam("nobody");
  if (pw == nullptr) return std::nullopt;
  const uid_t uid = pw->pw_uid;
  const gid_t gid = pw->pw_gid;
  int out[2];
  if (::pipe(out) != 0) return "pipe failed";
  const pid_t pid = ::fork();
  if (pid < 0) return "fork failed";
  constexpr int kCannotSwitch = 77;
  if (pid == 0) {
    ::close(out[0]);
    if (::setgroups(0, nullptr) != 0 || ::setgid(gid) != 0 || ::setuid(uid) != 0) ::_exit(kCannotSwitch);
    const std::string report = body();
    if (!report.empty() && ::write(out[1], report.data(), report.size()) < 0) ::_exit(1);
    ::_exit(0);
  }
  ::close(out[1]);
  std::string report;
  char buf[4096];
  for (ssize_t n; (n = ::read(out[0], buf, sizeof buf)) != 0;) {
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) break;
    report.append(buf, static_cast<std::size_t>(n));
  }
  ::close(out[0]);
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (WIFEXITED(status) && WEXITSTATUS(status) == kCannotSwitch) return std::nullopt;
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) report += "\nthe child process failed";
  return report;
}

std::string configImage(std::uint8_t flag, const MouseConfig& c) {
  std::string bytes(kConfigFileSize, '\0');
  bytes[0] = static_cast<char>(flag);
  c.toBytes(reinterpret_cast<std::uint8_t*>(bytes.data()) + kConfigFlagSize);
  return bytes;
}

// A 0555 folder holding files everybody may write: every save works as an
// in-place write would, and only a real failure (a file the user may not
// write, a file the folder cannot take) is reported.
TEST(SaveFallback, AsAUserWhoMayWriteTheFilesButNotTheirFolder) {
  TempDir dir;
  ASSERT_EQ(::chmod(dir.path().c_str(), 0755), 0);
  const std::string folder = dir.file("data");
  ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
  const std::string configBin = folder + "/config.bin", strIni = folder + "/str.ini",
                    recordIni = folder + "/record.ini", lockedBin = folder + "/locked.bin";
  const std::string factory = configImage(0, factoryConfig());
  writeFile(configBin, factory);
  writeFile(strIni, "[Setting-EN]\r\nItem1=old\r\n");
  writeFile(recordIni, "[Old]\nItemCount=0\n");
  writeFile(lockedBin, factory);
  for (const std::string& f : {configBin, strIni, recordIni}) ASSERT_EQ(::chmod(f.c_str(), 0666), 0);
  ASSERT_EQ(::chmod(lockedBin.c_str(), 0644), 0);
  ASSERT_EQ(::chmod(folder.c_str(), 0555), 0);

  MouseConfig record = factoryConfig();
  record.reportInterval = 8;
  ButtonTexts texts;
  texts.text[1][11] = "Macro Key-Copy";
  const MacroRecord copy{"Copy",
                         {MacroItem::press("Ctrl"), MacroItem::delay(50), MacroItem::release("Ctrl")}};

  const std::optional<std::string> report = runAsNobody([&] {
    std::string failures;
    auto expect = [&](bool ok, const std::string& what) {
      if (!ok) failures += what + "\n";
    };
    RecordingSink sink;
    const Status config = saveConfigFile(configBin, record, sink);
    expect(config.ok(), "config.bin: " + (config ? "" : config.error().text()));
    expect(sink.messages.empty(), "config.bin: a message was shown");
    const Status ini = saveButtonTexts(strIni, Language::English, texts);
    expect(ini.ok(), "str.ini: " + (ini ? "" : ini.error().text()));
    const Status macro = writeMacro(recordIni, copy);
    expect(macro.ok(), "record.ini: " + (macro ? "" : macro.error().text()));

    RecordingSink refused;
    expect(saveConfigFile(lockedBin, record, refused).code() == EACCES,
           "locked.bin: not refused with EACCES");
    expect(refused.messages.size() == 1 &&
               refused.messages[0] == test::Message{"Error Code is: 13 \n", "NULL ==fp "},
           "locked.bin: not the error box");
    expect(saveButtonTexts(folder + "/new.ini", Language::English, texts).code() == EACCES,
           "new.ini: made in a folder that refuses new files");
    return failures;
  });
  if (!report) GTEST_SKIP() << "cannot run as user nobody";
  EXPECT_EQ(*report, "");

  EXPECT_EQ(readFile(configBin), configImage(1, record));
  EXPECT_EQ(loadSettingsIni(strIni, Language::English).texts, texts);
  EXPECT_EQ(readMacro(recordIni, "Copy"), copy);
  EXPECT_EQ(listMacros(recordIni), (std::vector<std::string>{"Old", "Copy"}));
  EXPECT_EQ(readFile(lockedBin), factory);
  EXPECT_EQ(folderEntries(folder),
            (std::vector<std::string>{"config.bin", "locked.bin", "record.ini", "str.ini"}));
}

}  // namespace
}  // namespace hm

namespace hm {
namespace {

// The temporary file of a replace is named after its file and its process,
// so a leftover of a killed save is told apart from anything else in the
// folder and from a replace still in flight in a running process.
TEST(StaleTemporaryFiles, OnlyOursOfADeadProcessAreRemoved) {
  test::TempDir dir;
  const std::string target = dir.write("str.ini", "[Skins]\n");
  const pid_t gone = ::fork();
  if (gone == 0) ::_exit(0);
  ::waitpid(gone, nullptr, 0);
  const std::string dead = std::to_string(gone);
  const std::string running = std::to_string(::getppid());
  struct Case {
    std::string name;
    enum { File, Folder, Link } kind;
    bool removed;
  };
  const std::vector<Case> cases = {
      {".str.ini.hidmouse-" + dead + "-a1B2c3", Case::File, true},
      {".str.ini.hidmouse-" + std::to_string(::getpid()) + "-zzzzzz", Case::File,
       true},                                                           // a former run's pid
      {".str.ini.hidmouse-" + running + "-a1B2c3", Case::File, false},  // a save in flight elsewhere
      {".str.ini.hidmouse-" + dead + "-a1B2c", Case::File, false},      // not our pattern
      {".str.ini.hidmouse-x" + dead + "-a1B2c3", Case::File, false},
      {".config.bin.hidmouse-" + dead + "-a1B2c3", Case::File, false},  // another file's
      {"str.ini.a1B2c3", Case::File, false},                            // not named by us
      {".str.ini.hidmouse-" + dead + "-dir000", Case::Folder, false},
      {".str.ini.hidmouse-" + dead + "-link00", Case::Link, false},
  };
  for (const Case& c : cases) {
    const std::string p = dir.file(c.name);
    if (c.kind == Case::File) test::writeFile(p, "half");
    if (c.kind == Case::Folder) ::mkdir(p.c_str(), 0700);
    if (c.kind == Case::Link) ::symlink(target.c_str(), p.c_str());
  }
  EXPECT_EQ(removeStaleTemporaryFiles(target), 2);
  for (const Case& c : cases) EXPECT_EQ(fileExists(dir.file(c.name)), !c.removed) << c.name;
  EXPECT_EQ(test::readFile(target), "[Skins]\n");

  // Through a symbolic link the leftovers beside its target are found.
  test::TempDir other;
  const std::string link = other.file("str.ini");
  ASSERT_EQ(::symlink(target.c_str(), link.c_str()), 0);
  test::writeFile(dir.file(".str.ini.hidmouse-" + dead + "-q1w2e3"), "half");
  EXPECT_EQ(removeStaleTemporaryFiles(link), 1);
}

std::string& lastTemplate() {
  static std::string name;
  return name;
}

TEST(StaleTemporaryFiles, AReplaceUsesTheRecognisableName) {
  test::TempDir dir;
  const std::string target = dir.file("config.bin");
  auto maker = [](std::string& name) {
    lastTemplate() = name;
    return makeTemporaryFile(name);
  };
  ASSERT_TRUE(writeFileAtomically(target, "new", maker));
  EXPECT_EQ(lastTemplate(), dir.path() + "/.config.bin.hidmouse-" + std::to_string(::getpid()) + "-XXXXXX");
  EXPECT_EQ(folderEntries(dir.path()), std::vector<std::string>{"config.bin"});
}

}  // namespace
}  // namespace hm
