// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/settings/settings_ini.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "core/settings/data_paths.h"
#include "core/settings/profile_file.h"
#include "support/recording_sink.h"
#include "support/temp_dir.h"

namespace hm {
namespace {

using test::readFile;
using test::TempDir;
using test::writeFile;

struct KeyCase {
  int mode, slot;
  const char* key;
};

class ButtonTextKey : public ::testing::TestWithParam<KeyCase> {};

TEST_P(ButtonTextKey, Name) { EXPECT_EQ(buttonTextKey(GetParam().mode, GetParam().slot), GetParam().key); }

INSTANTIATE_TEST_SUITE_P(Slots, ButtonTextKey,
                         ::testing::Values(KeyCase{0, 0, "Item1"}, KeyCase{0, 9, "Item10"},
                                           KeyCase{0, 11, "Item12"}, KeyCase{1, 0, "Item13"},
                                           KeyCase{1, 1, "Item23"}, KeyCase{1, 9, "Item103"},
                                           KeyCase{1, 11, "Item123"}));

struct ColourCase {
  const char* text;
  std::uint8_t value;
};

class ColourByte : public ::testing::TestWithParam<ColourCase> {};

TEST_P(ColourByte, AsAtoiLowByte) {
  EXPECT_EQ(colourByteFromText(GetParam().text), GetParam().value) << '"' << GetParam().text << '"';
}

INSTANTIATE_TEST_SUITE_P(Texts, ColourByte,
                         ::testing::Values(ColourCase{"0", 0}, ColourCase{"255", 255}, ColourCase{"300", 44},
                                           ColourCase{"256", 0}, ColourCase{"abc", 0}, ColourCase{"", 0},
                                           ColourCase{" 12", 12}, ColourCase{"\t+7", 7},
                                           ColourCase{"-1", 255}, ColourCase{"12abc", 12},
                                           ColourCase{"- 5", 0}, ColourCase{"0x10", 0},
                                           ColourCase{"99999999999999999999", 255},
                                           ColourCase{"-99999999999999999999", 0}));

ButtonTexts sampleTexts() {
  ButtonTexts t;
  for (int m = 0; m < 2; ++m)
    for (int s = 0; s < 12; ++s)
      t.text[static_cast<std::size_t>(m)][static_cast<std::size_t>(s)] =
          (m ? "B" : "A") + std::to_string(s) + "\xE9\x94\xAE";
  return t;
}

TEST(SettingsIni, MissingFileReadsEmpty) {
  TempDir dir;
  SettingsIni ini = loadSettingsIni(dir.file("str.ini"), Language::English);
  EXPECT_TRUE(ini.texts == ButtonTexts{});
  EXPECT_EQ(ini.skin.rColor, "");
  EXPECT_EQ(ini.skin.path, "");
  EXPECT_EQ(colourByteFromText(ini.skin.gColor), 0);
}

TEST(SettingsIni, ButtonTextsRoundTripPerLanguageSection) {
  TempDir dir;
  const std::string path = dir.file("str.ini");
  ASSERT_TRUE(saveButtonTexts(path, Language::SimplifiedChinese, sampleTexts()));
  EXPECT_TRUE(loadSettingsIni(path, Language::SimplifiedChinese).texts == sampleTexts());
  // Another language sees its own (here empty) section.
  EXPECT_TRUE(loadSettingsIni(path, Language::English).texts == ButtonTexts{});
  EXPECT_EQ(profile::getString(path, "Setting-CHS", "Item103"), "B9\xE9\x94\xAE");
  EXPECT_EQ(profile::getString(path, "Setting-CHS", "Item10"), "A9\xE9\x94\xAE");
  EXPECT_EQ(profile::sectionNames(path), std::vector<std::string>{"Setting-CHS"});
}

TEST(SettingsIni, ReadsHandWrittenFileWithOtherSectionsAndKeepsThem) {
  TempDir dir;
  const std::string path = dir.file("str.ini");
  writeFile(path,
            "; texts\r\n[setting-en]\r\nitem1=Left Click\r\nItem13 = Fire Key-A \r\n"
            "[Skins]\r\nRColor=300\r\nGColor=x\r\nBColor= 7\r\nPath=Dark\r\n[Other]\r\nk=v\r\n");
  SettingsIni ini = loadSettingsIni(path, Language::English);
  EXPECT_EQ(ini.texts.text[0][0], "Left Click");
  EXPECT_EQ(ini.texts.text[1][0], "Fire Key-A");
  EXPECT_EQ(ini.texts.text[0][1], "");
  EXPECT_EQ(colourByteFromText(ini.skin.rColor), 44);
  EXPECT_EQ(colourByteFromText(ini.skin.gColor), 0);
  EXPECT_EQ(colourByteFromText(ini.skin.bColor), 7);
  EXPECT_EQ(ini.skin.path, "Dark");

  ASSERT_TRUE(saveSkinSettings(path, 0, 255, 16, "Light"));
  const std::string after = readFile(path);
  EXPECT_NE(after.find("; texts\r\n"), std::string::npos);
  EXPECT_NE(after.find("[Skins]\r\nRColor=0\r\nGColor=255\r\nBColor=16\r\nPath=Light\r\n"),
            std::string::npos);
  EXPECT_NE(after.find("[Other]\r\nk=v\r\n"), std::string::npos);
  EXPECT_EQ(loadSettingsIni(path, Language::English).texts.text[1][0], "Fire Key-A");
}

// A text is stored whole but read, as into a 1024-unit buffer, up to its
// 1023rd UTF-16 unit.
TEST(SettingsIni, LongTextsReadUpTo1023Units) {
  TempDir dir;
  const std::string path = dir.file("str.ini");
  std::string han;  // 1100 characters of one unit and three bytes each
  for (int i = 0; i < 1100; ++i) han += "\xE9\x94\xAE";
  ButtonTexts texts = sampleTexts();
  texts.text[0][0] = std::string(1100, 'L');
  texts.text[1][11] = han;
  ASSERT_TRUE(saveButtonTexts(path, Language::English, texts));
  const ButtonTexts back = loadSettingsIni(path, Language::English).texts;
  EXPECT_EQ(back.text[0][0], std::string(1023, 'L'));
  EXPECT_EQ(back.text[1][11], han.substr(0, 3 * 1023));
  EXPECT_EQ(back.text[0][1], texts.text[0][1]);
  EXPECT_NE(readFile(path).find("Item1=" + std::string(1100, 'L') + "\n"), std::string::npos);
}

TEST(SettingsIni, SaveFailsOnAFolderThatIsNotThere) {
  TempDir dir;
  EXPECT_FALSE(saveButtonTexts(dir.file("gone/str.ini"), Language::English, sampleTexts()));
  EXPECT_FALSE(saveSkinSettings(dir.file("gone/str.ini"), 1, 2, 3, "x"));
}

TEST(FirstRunTexts, SetsSlotsZeroToSevenOfBothModesOnly) {
  const std::array<std::string, 8> first = {"Left Click", "Right Click", "Mid Click", "Forward",
                                            "Backward",   "DPI +",       "DPI -",     "Key Off"};
  ButtonTexts t = sampleTexts();
  applyFirstRunTexts(t, first);
  const ButtonTexts before = sampleTexts();
  for (std::size_t m = 0; m < 2; ++m)
    for (std::size_t s = 0; s < 12; ++s)
      EXPECT_EQ(t.text[m][s], s < 8 ? first[s] : before.text[m][s]) << m << "/" << s;
}

TEST(DataPaths, FilesInTheNamedFolder) {
  struct Case {
    const char* folder;
    const char* config;
    const char* record;
  };
  const Case cases[] = {{"/opt/hm", "/opt/hm/config.bin", "/opt/hm/record.ini"},
                        {"/opt/hm/", "/opt/hm/config.bin", "/opt/hm/record.ini"},
                        {"", "./config.bin", "./record.ini"},
                        {"/", "/config.bin", "/record.ini"}};
  for (const Case& c : cases) {
    DataPaths p = DataPaths::inFolder(c.folder);
    EXPECT_EQ(p.folder, c.folder);
    EXPECT_EQ(p.configBin, c.config);
    EXPECT_EQ(p.recordIni, c.record);
    EXPECT_EQ(p.strIni.substr(p.strIni.size() - 8), "/str.ini");
  }
}

TEST(DataPaths, ExecutableFolderHoldsTheTestProgram) {
  const std::string folder = executableFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_NE(folder.back(), '/');
  EXPECT_TRUE(std::filesystem::exists(folder + "/settings_tests"));
}

}  // namespace
}  // namespace hm
