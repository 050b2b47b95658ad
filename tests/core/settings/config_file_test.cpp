// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/settings/config_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <functional>

#include "support/param_name.h"
#include "support/recording_sink.h"
#include "support/temp_dir.h"

namespace hm {
namespace {

using test::readFile;
using test::RecordingSink;
using test::TempDir;
using test::writeFile;

MouseConfig sampleRecord() {
  MouseConfig c = factoryConfig();
  c.reportInterval = 4;
  c.mode[kModeB].macroIndex[3] = 11;
  c.macroImage[11][127] = 0xA5;
  c.dpiLedMask[3] = 0x5A;
  return c;
}

std::string imageBytes(std::uint8_t flag, const MouseConfig& c) {
  std::string bytes(kConfigFileSize, '\0');
  bytes[0] = static_cast<char>(flag);
  c.toBytes(reinterpret_cast<std::uint8_t*>(bytes.data()) + 1);
  return bytes;
}

// ---- Loading ------------------------------------------------------------------

struct LoadCase {
  const char* name;
  long size;  // -1 = no file
  bool loads;
  bool missingMessage;
};

class ConfigLoad : public ::testing::TestWithParam<LoadCase> {};

TEST_P(ConfigLoad, OnlyExactSizeLoads) {
  const LoadCase& c = GetParam();
  TempDir dir;
  const std::string path = dir.file("config.bin");
  const std::string good = imageBytes(1, sampleRecord());
  if (c.size >= 0) {
    std::string bytes = good;
    bytes.resize(static_cast<std::size_t>(c.size), '\x7F');
    writeFile(path, bytes);
  }
  MouseConfig config = sampleRecord();  // garbage in, to see it cleared
  std::uint8_t flag = 9;
  RecordingSink sink;
  std::vector<std::string> log;
  EXPECT_EQ(loadConfigFile(path, config, flag, sink, [&](const std::string& l) { log.push_back(l); }).ok(),
            c.loads);
  if (c.loads) {
    EXPECT_EQ(flag, 1);
    EXPECT_TRUE(config == sampleRecord());
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0], "Prpgram First Run Flag:1\nRead Size is: 2021");
  } else {
    MouseConfig zero;
    zero.clear();
    EXPECT_EQ(flag, 0);
    EXPECT_TRUE(config == zero);
  }
  if (c.missingMessage) {
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0].text, "Config file is not exist.");
    EXPECT_EQ(sink.messages[0].caption, "");
  } else {
    EXPECT_TRUE(sink.messages.empty());
  }
}

INSTANTIATE_TEST_SUITE_P(Sizes, ConfigLoad,
                         ::testing::Values(LoadCase{"missing", -1, false, true},
                                           LoadCase{"empty", 0, false, false},
                                           LoadCase{"one_short", 2021, false, false},
                                           LoadCase{"exact", 2022, true, false},
                                           LoadCase{"one_long", 2023, false, false}),
                         hm::test::ParamName());

TEST(ConfigLoad, ADirectoryNamedConfigBinIsIgnoredSilently) {
  TempDir dir;
  ASSERT_EQ(::mkdir(dir.file("config.bin").c_str(), 0755), 0);
  MouseConfig config = sampleRecord();
  std::uint8_t flag = 3;
  RecordingSink sink;
  EXPECT_FALSE(loadConfigFile(dir.file("config.bin"), config, flag, sink));
  EXPECT_EQ(flag, 0);
  EXPECT_EQ(config.reportInterval, 0);
  EXPECT_TRUE(sink.messages.empty());
}

// A FIFO is not a file to load: opening it must not wait for a writer, and
// saving must not put a file in its place.
TEST(ConfigFile, AFifoNamedConfigBinIsNeitherWaitedForNorReplaced) {
  TempDir dir;
  const std::string path = dir.file("config.bin");
  ASSERT_EQ(::mkfifo(path.c_str(), 0644), 0);
  MouseConfig config = sampleRecord();
  std::uint8_t flag = 3;
  RecordingSink sink;
  EXPECT_FALSE(loadConfigFile(path, config, flag, sink));
  EXPECT_EQ(flag, 0);
  EXPECT_TRUE(sink.messages.empty());
  EXPECT_FALSE(saveConfigFile(path, sampleRecord(), sink));
  ASSERT_EQ(sink.messages.size(), 1u);
  EXPECT_EQ(sink.messages[0].text, "Error Code is: " + std::to_string(EINVAL) + " \n");
  struct stat st {};
  ASSERT_EQ(::lstat(path.c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
  EXPECT_EQ(test::folderEntries(dir.path()), std::vector<std::string>{"config.bin"});
}

// ---- Saving -------------------------------------------------------------------

TEST(ConfigSave, WritesFlagOneAndTheRecordOverAFactoryFile) {
  TempDir dir;
  const std::string path = dir.file("config.bin");
  writeFile(path, imageBytes(0, factoryConfig()));
  ASSERT_EQ(::chmod(path.c_str(), 0600), 0);
  RecordingSink sink;
  std::vector<std::string> log;
  ASSERT_TRUE(saveConfigFile(path, sampleRecord(), sink, [&](const std::string& l) { log.push_back(l); }));
  EXPECT_EQ(readFile(path), imageBytes(1, sampleRecord()));
  EXPECT_TRUE(sink.messages.empty());
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0], "Data num:1 BYTE -2021 BYTE\n Struct size:2021 BYTE");
  struct stat st {};
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0600u);
  EXPECT_EQ(test::folderEntries(dir.path()), std::vector<std::string>{"config.bin"});

  // The saved file loads back; the in-memory flag of a run is the caller's.
  MouseConfig back;
  std::uint8_t flag = 0;
  ASSERT_TRUE(loadConfigFile(path, back, flag, sink));
  EXPECT_EQ(flag, 1);
  EXPECT_TRUE(back == sampleRecord());
}

TEST(ConfigSave, NeverCreatesAMissingFile) {
  TempDir dir;
  RecordingSink sink;
  EXPECT_FALSE(saveConfigFile(dir.file("config.bin"), sampleRecord(), sink));
  EXPECT_TRUE(test::folderEntries(dir.path()).empty());
  ASSERT_EQ(sink.messages.size(), 1u);
  EXPECT_EQ(sink.messages[0], (test::Message{"Config file is not exist.", ""}));
}

// Failures while replacing the file: the old contents stay and the error box
// carries the errno of the failing call.
struct FailCase {
  const char* name;
  std::function<std::string(TempDir&)> arrange;  // returns the path to save to
  int expectedErrno;
  std::function<void(TempDir&)> check;
};

class ConfigSaveFailure : public ::testing::TestWithParam<FailCase> {};

TEST_P(ConfigSaveFailure, KeepsOldFileAndShowsErrorBox) {
  const FailCase& c = GetParam();
  TempDir dir;
  const std::string path = c.arrange(dir);
  RecordingSink sink;
  EXPECT_FALSE(saveConfigFile(path, sampleRecord(), sink));
  ASSERT_EQ(sink.messages.size(), 1u);
  EXPECT_EQ(sink.messages[0].text, "Error Code is: " + std::to_string(c.expectedErrno) + " \n");
  EXPECT_EQ(sink.messages[0].caption, "NULL ==fp ");
  c.check(dir);
}

INSTANTIATE_TEST_SUITE_P(Cases, ConfigSaveFailure,
                         ::testing::Values(
                             // config.bin is a directory: it exists, but cannot be replaced by a file.
                             FailCase{"target_is_directory",
                                      [](TempDir& d) {
                                        std::filesystem::create_directory(d.file("config.bin"));
                                        return d.file("config.bin");
                                      },
                                      EISDIR,
                                      [](TempDir& d) {
                                        EXPECT_TRUE(std::filesystem::is_directory(d.file("config.bin")));
                                        EXPECT_EQ(test::folderEntries(d.path()).size(), 1u);
                                      }}),
                         hm::test::ParamName());

// Replacing by rename needs only the folder's permission; a file the user made
// read-only must still refuse the save (and so must str.ini, same writer).
TEST(ConfigSaveFailure, ReadOnlyFileIsNotReplaced) {
  if (::geteuid() == 0) GTEST_SKIP() << "root may write any file";
  TempDir dir;
  const std::string path = dir.file("config.bin");
  const std::string factory = imageBytes(0, factoryConfig());
  writeFile(path, factory);
  ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
  RecordingSink sink;
  EXPECT_FALSE(saveConfigFile(path, sampleRecord(), sink));
  ASSERT_EQ(sink.messages.size(), 1u);
  EXPECT_EQ(sink.messages[0].text, "Error Code is: " + std::to_string(EACCES) + " \n");
  EXPECT_EQ(sink.messages[0].caption, "NULL ==fp ");
  EXPECT_EQ(readFile(path), factory);
  EXPECT_EQ(test::folderEntries(dir.path()), std::vector<std::string>{"config.bin"});
}

// ---- Factory record -------------------------------------------------------------

TEST(FactoryConfig, KeepsTheRecordInvariants) {
  const MouseConfig c = factoryConfig();
  for (int m = 0; m < 2; ++m) {
    const ButtonBlock& b = c.mode[m];
    bool hasLeft = false;
    for (std::size_t s = 0; s < kButtonSlots; ++s) {
      hasLeft |= b.function[s] == 0;
      EXPECT_LE(b.function[s], 15) << "mode " << m << " slot " << s;
      EXPECT_LE(b.macroIndex[s], 11);
      EXPECT_LE(b.macroRepeat[s], 2);
      EXPECT_GE(b.fireSpeed[s], 5);
    }
    EXPECT_TRUE(hasLeft) << "mode " << m;
    // The "Default" assignments.
    const std::uint8_t defaults[9] = {0, 1, 2, 3, 4, 6, 6, 15, 15};
    for (std::size_t s = 0; s < 9; ++s) EXPECT_EQ(b.function[s], defaults[s]);
    EXPECT_EQ(c.dpiAction[m][5], 1);
    EXPECT_EQ(c.dpiAction[m][6], 2);
  }
  int enabled = 0;
  for (std::size_t s = 0; s < kDpiStages; ++s) {
    enabled += c.dpiStageEnabled[s] != 0;
    for (int sensor = 0; sensor <= 3; ++sensor)
      EXPECT_LT(c.dpiStageValue[s], dpiStepCount(sensor)) << "stage " << s << " sensor " << sensor;
  }
  EXPECT_GE(enabled, 1);
  EXPECT_TRUE(c.reportInterval == 1 || c.reportInterval == 2 || c.reportInterval == 4 ||
              c.reportInterval == 8);
  EXPECT_GE(c.ledMode, 1);
  EXPECT_LE(c.ledMode, 3);
  EXPECT_EQ(c.editedMode, kModeA);
  // Each stage lights exactly one LED, and no two stages the same one.
  unsigned seen = 0;
  for (int stage = 0; stage < 4; ++stage) {
    unsigned nibble = (c.dpiLedMask[stage / 2] >> (4 * (stage % 2))) & 0xF;
    EXPECT_EQ(__builtin_popcount(nibble), 1) << "stage " << stage + 1;
    EXPECT_EQ(seen & nibble, 0u);
    seen |= nibble;
  }
  // Eight distinct, enabled loop colours; empty macros.
  for (std::size_t i = 0; i < kLoopColors; ++i) {
    EXPECT_EQ(c.loopColorEnabled[i], 1);
    for (std::size_t j = 0; j < i; ++j)
      EXPECT_NE(std::memcmp(c.loopColor[i], c.loopColor[j], 3), 0) << i << " vs " << j;
  }
  for (const auto& image : c.macroImage)
    for (std::uint8_t byte : image) ASSERT_EQ(byte, 0);
}

TEST(FactoryConfig, BuildOutputHoldsTheFactoryFile) {
  const std::string path = std::string(HM_TEST_OUTPUT_DIR) + "/config.bin";
  if (!std::filesystem::exists(path)) GTEST_SKIP() << "data files not built: " << path;
  EXPECT_EQ(readFile(path), imageBytes(0, factoryConfig()));
}

}  // namespace
}  // namespace hm
