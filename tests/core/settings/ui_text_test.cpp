// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/settings/ui_text.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "core/settings/language.h"

namespace hm {
namespace {

constexpr Language kLanguages[] = {Language::English, Language::SimplifiedChinese,
                                   Language::TraditionalChinese};

bool validUtf8(const std::string& s) {
  for (std::size_t i = 0; i < s.size();) {
    const auto c = static_cast<unsigned char>(s[i]);
    std::size_t extra;
    if (c < 0x80)
      extra = 0;
    else if ((c & 0xE0) == 0xC0)
      extra = 1;
    else if ((c & 0xF0) == 0xE0)
      extra = 2;
    else if ((c & 0xF8) == 0xF0)
      extra = 3;
    else
      return false;
    for (std::size_t k = 1; k <= extra; ++k)
      if (i + k >= s.size() || (static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
    i += extra + 1;
  }
  return true;
}

TEST(LanguageRule, OnlyMainlandAndTaiwanChineseLeaveEnglish) {
  const std::map<std::uint16_t, Language> cases = {
      {0x0804, Language::SimplifiedChinese}, {0x0404, Language::TraditionalChinese},
      {0x0C04, Language::English},           {0x1004, Language::English},
      {0x1404, Language::English},           {0x0409, Language::English},
      {0x0000, Language::English},           {0xFFFF, Language::English}};
  for (const auto& [id, language] : cases) {
    EXPECT_EQ(selectLanguage(id), language) << std::hex << id;
    EXPECT_EQ(UiTexts(selectLanguage(id)).language(), language);
  }
  EXPECT_EQ(UiTexts(selectLanguage(0x0C04)).get(TextId::LeftClick), "Left Click");
}

TEST(UiTexts, EveryEntryIsFilledAndValidUtf8InEveryLanguage) {
  for (Language language : kLanguages) {
    const UiTexts texts(language);
    for (int i = 0; i < kTextCount; ++i) {
      const std::string& t = texts.get(static_cast<TextId>(i));
      EXPECT_FALSE(t.empty()) << "entry " << i << " language " << static_cast<int>(language);
      EXPECT_TRUE(validUtf8(t)) << "entry " << i;
    }
    EXPECT_EQ(texts.get(TextId::Count), "");
  }
}

// A Chinese column that still holds the English text is an entry someone
// forgot to translate; only these are meant to read the same.
TEST(UiTexts, ChineseColumnsAreTranslatedExceptTheSharedEntries) {
  const std::set<TextId> shared = {TextId::Shift, TextId::Windows, TextId::WebAddress};
  const UiTexts english(Language::English);
  for (Language language : {Language::SimplifiedChinese, Language::TraditionalChinese}) {
    const UiTexts texts(language);
    for (int i = 0; i < kTextCount; ++i) {
      const auto id = static_cast<TextId>(i);
      if (shared.count(id))
        EXPECT_EQ(texts.get(id), english.get(id)) << i;
      else
        EXPECT_NE(texts.get(id), english.get(id)) << "entry " << i << " untranslated";
    }
  }
}

// Two roles with the same text in a column are usually a copy-paste slip;
// only the two "Default" buttons share their English text.
TEST(UiTexts, NoTwoRolesShareATextExceptTheDefaultButtons) {
  for (Language language : kLanguages) {
    const UiTexts texts(language);
    std::map<std::string, int> seen;
    for (int i = 0; i < kTextCount; ++i) {
      const std::string& t = texts.get(static_cast<TextId>(i));
      auto [it, fresh] = seen.emplace(t, i);
      if (!fresh) {
        const bool bothDefaults = language == Language::English &&
                                  it->second == static_cast<int>(TextId::DefaultBasic) &&
                                  i == static_cast<int>(TextId::DefaultAdvanced);
        EXPECT_TRUE(bothDefaults) << "entries " << it->second << " and " << i << ": " << t;
      }
    }
  }
}

struct TextCase {
  Language language;
  TextId id;
  const char* text;
};

class ExactTextTest : public ::testing::TestWithParam<TextCase> {};

TEST_P(ExactTextTest, Text) {
  EXPECT_EQ(UiTexts(GetParam().language).get(GetParam().id), GetParam().text);
  EXPECT_STREQ(textFor(GetParam().language, GetParam().id), GetParam().text);
}

constexpr Language E = Language::English, S = Language::SimplifiedChinese, T = Language::TraditionalChinese;

INSTANTIATE_TEST_SUITE_P(
    TrailingBlanksAndOddSpellings, ExactTextTest,
    ::testing::Values(TextCase{E, TextId::DpiSelfColorLedSetting, "DPI Self-Color LED Setting "},
                      TextCase{E, TextId::DpiStage1, "Switch DPI into the first stage "},
                      TextCase{E, TextId::DpiStage2, "Switch DPI into the second stage "},
                      TextCase{E, TextId::DpiStage3, "Switch DPI into the third stage "},
                      TextCase{E, TextId::DpiStage4, "Switch DPI into the fourth stage "},
                      TextCase{E, TextId::ReportRate1000, "Switch report rate into 1000HZ"},
                      TextCase{E, TextId::TripleClick, "Triple-click"},
                      TextCase{E, TextId::InsertMouseEvent, "Insert A Mouse Event"},
                      TextCase{E, TextId::NotRecording,
                               "It doesn\u2019t start recording, unnecessary to press Stop key!"}));

// The two "Default" entries differ in Chinese; the recording message uses an
// ASCII comma in Simplified and a full-width one in Traditional Chinese.
INSTANTIATE_TEST_SUITE_P(
    ChineseEntries, ExactTextTest,
    ::testing::Values(TextCase{S, TextId::DefaultBasic, "按键恢复"},
                      TextCase{T, TextId::DefaultBasic, "按鍵恢復"},
                      TextCase{S, TextId::DefaultAdvanced, "恢复默认"},
                      TextCase{T, TextId::DefaultAdvanced, "恢復默認"}, TextCase{T, TextId::MacroKey, "巨集"},
                      TextCase{S, TextId::NotRecording, "没有开始录制,点击停止录制按钮没有意义！"},
                      TextCase{T, TextId::NotRecording, "沒有開始錄製，點擊停止錄製按鈕沒有意義！"}));

TEST(UiTexts, SettingSectionIsTheLanguagesStrIniSection) {
  for (Language language : kLanguages)
    EXPECT_EQ(UiTexts(language).get(TextId::SettingSection), languageSection(language));
}

TEST(UiTexts, WebAddressIsOneNeutralAddressInAllLanguages) {
  const std::string address = englishText(TextId::WebAddress);
  EXPECT_NE(address.find("example"), std::string::npos);
  for (Language language : kLanguages) EXPECT_EQ(UiTexts(language).get(TextId::WebAddress), address);
}

TEST(UiTexts, FunctionNamesInListOrder) {
  const std::vector<std::string> english = {"Left Click", "Right Click",  "Mid Click",  "Forward",
                                            "Backward",   "Triple-click", "DPI Switch", "RGB On/Off",
                                            "Windows",    "Multimedia",   "Fire Key",   "Single Key",
                                            "Combo Key",  "Macro Key",    "Shift",      "Key Off"};
  const UiTexts texts(Language::English);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(texts.functionName(i), english[i]) << i;
  EXPECT_EQ(texts.functionName(16), "");
  EXPECT_EQ(texts.functionName(-1), "");
  EXPECT_EQ(UiTexts(Language::SimplifiedChinese).functionName(13), "宏");
  EXPECT_EQ(UiTexts(Language::TraditionalChinese).functionName(12), "複合鍵");
}

std::vector<std::string> allDialogTexts(const DialogTexts& d) {
  std::vector<std::string> all = {
      d.ok,          d.cancel,          d.singleKeyPrompt, d.fireSpeedLabel, d.fireTimesLabel,
      d.fireHeading, d.fireSpeedNote,   d.fireTimesNote,   d.delayPrompt,    d.delayRangeNote,
      d.macroPrompt, d.skinsColorPrompt};
  all.insert(all.end(), d.mediaRows.begin(), d.mediaRows.end());
  all.insert(all.end(), d.windowsRows.begin(), d.windowsRows.end());
  all.insert(all.end(), d.macroRepeatOptions.begin(), d.macroRepeatOptions.end());
  return all;
}

TEST(DialogTexts, EveryTextIsFilledAndValidUtf8) {
  for (Language language : kLanguages)
    for (const std::string& t : allDialogTexts(dialogTexts(language))) {
      EXPECT_FALSE(t.empty());
      EXPECT_TRUE(validUtf8(t)) << t;
    }
}

TEST(DialogTexts, ListRowsAreDistinctWithinALanguage) {
  for (Language language : kLanguages) {
    const DialogTexts& d = dialogTexts(language);
    EXPECT_EQ(std::set<std::string>(d.mediaRows.begin(), d.mediaRows.end()).size(), d.mediaRows.size());
    EXPECT_EQ(std::set<std::string>(d.windowsRows.begin(), d.windowsRows.end()).size(), d.windowsRows.size());
    EXPECT_EQ(std::set<std::string>(d.macroRepeatOptions.begin(), d.macroRepeatOptions.end()).size(),
              d.macroRepeatOptions.size());
  }
}

TEST(DialogTexts, ChosenByTheLanguageRule) {
  EXPECT_EQ(dialogTexts(E).ok, "OK");
  EXPECT_EQ(dialogTexts(S).ok, "确定");
  EXPECT_EQ(dialogTexts(T).ok, "確定");
  EXPECT_EQ(dialogTexts(T).windowsRows[10], "瀏覽器-我的最愛");
  // Anything but the two Chinese columns reads English.
  EXPECT_EQ(&dialogTexts(selectLanguage(0x1004)), &dialogTexts(E));
}

}  // namespace
}  // namespace hm
