// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/system_language.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "core/settings/language.h"
#include "support/param_name.h"

namespace hm {
namespace {

struct LocaleCase {
  const char* locale;
  std::uint16_t id;
  Language language;
  friend void PrintTo(const LocaleCase& c, std::ostream* os) { *os << '"' << c.locale << '"'; }
};

class LocaleToLanguage : public ::testing::TestWithParam<LocaleCase> {};

TEST_P(LocaleToLanguage, MapsRegionNotCodeset) {
  const auto& c = GetParam();
  EXPECT_EQ(languageIdFromLocale(c.locale), c.id) << c.locale;
  EXPECT_EQ(selectLanguage(languageIdFromLocale(c.locale)), c.language) << c.locale;
}

INSTANTIATE_TEST_SUITE_P(
    Locales, LocaleToLanguage,
    ::testing::Values(LocaleCase{"zh_CN.UTF-8", 0x0804, Language::SimplifiedChinese},
                      LocaleCase{"zh_CN", 0x0804, Language::SimplifiedChinese},
                      LocaleCase{"zh_CN.GB18030@stroke", 0x0804, Language::SimplifiedChinese},
                      LocaleCase{"zh-cn", 0x0804, Language::SimplifiedChinese},
                      LocaleCase{"zh_TW.UTF-8", 0x0404, Language::TraditionalChinese},
                      LocaleCase{"zh_HK.UTF-8", 0x0C04, Language::English},
                      LocaleCase{"zh_SG", 0x1004, Language::English},
                      LocaleCase{"zh", 0x0409, Language::English},
                      LocaleCase{"en_US.UTF-8", 0x0409, Language::English},
                      LocaleCase{"de_DE.UTF-8", 0x0409, Language::English},
                      LocaleCase{"C", 0x0409, Language::English}, LocaleCase{"", 0x0409, Language::English}));

struct ConfCase {
  const char* name;
  const char* text;
  std::optional<std::string> locale;
  friend void PrintTo(const ConfCase& c, std::ostream* os) { *os << c.name; }
};

class ConfText : public ::testing::TestWithParam<ConfCase> {};

TEST_P(ConfText, FindsTheSystemLocale) { EXPECT_EQ(localeFromConfText(GetParam().text), GetParam().locale); }

INSTANTIATE_TEST_SUITE_P(
    Files, ConfText,
    ::testing::Values(
        ConfCase{"plain", "LANG=zh_CN.UTF-8\n", "zh_CN.UTF-8"},
        ConfCase{"double_quotes", "LANG=\"zh_TW.UTF-8\"\n", "zh_TW.UTF-8"},
        ConfCase{"single_quotes", "LANG='en_GB.UTF-8'\n", "en_GB.UTF-8"},
        ConfCase{"export_and_comment", "# system locale\nexport LANG=zh_CN.UTF-8  # set by installer\n",
                 "zh_CN.UTF-8"},
        ConfCase{"quoted_then_comment", "LANG=\"zh_CN.UTF-8\" # set by installer\n", "zh_CN.UTF-8"},
        ConfCase{"messages_only", "LC_MESSAGES=zh_TW.UTF-8\n", "zh_TW.UTF-8"},
        ConfCase{"lang_beats_messages", "LC_MESSAGES=zh_TW.UTF-8\nLANG=en_US.UTF-8\n", "en_US.UTF-8"},
        ConfCase{"blanks_around", "  LANG = zh_CN.UTF-8 \r\n", "zh_CN.UTF-8"},
        ConfCase{"other_keys_only", "LC_TIME=zh_CN.UTF-8\nLANGUAGE=zh_CN:en\n", std::nullopt},
        ConfCase{"empty_value", "LANG=\n", std::nullopt},
        ConfCase{"commented_out", "#LANG=zh_CN.UTF-8\n", std::nullopt}, ConfCase{"empty", "", std::nullopt}),
    hm::test::ParamName());

class SystemLanguageFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("hm_lang_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::string write(const char* name, const char* text) {
    const auto p = dir_ / name;
    std::ofstream(p) << text;
    return p.string();
  }
  std::string missing() const { return (dir_ / "missing").string(); }
  std::filesystem::path dir_;
};

TEST_F(SystemLanguageFiles, FirstFileThatNamesALocaleDecides) {
  struct Case {
    const char* what;
    std::vector<std::string> files;
    const char* fallback;
    std::uint16_t id;
  };
  const std::string cn = write("cn.conf", "LANG=zh_CN.UTF-8\n");
  const std::string tw = write("tw.conf", "LANG=zh_TW.UTF-8\n");
  const std::string none = write("none.conf", "# nothing\nLC_TIME=en_DK.UTF-8\n");
  const std::string en = write("en.conf", "LANG=en_US.UTF-8\n");
  const Case cases[] = {
      {"first file wins", {cn, tw}, "zh_TW", 0x0804},
      {"missing first file", {missing(), tw}, "zh_CN", 0x0404},
      {"first names none", {none, tw}, "zh_CN", 0x0404},
      {"system English beats process Chinese", {en, tw}, "zh_CN", 0x0409},
      {"no file names one: process locale", {missing(), none}, "zh_CN.UTF-8", 0x0804},
      {"nothing anywhere", {missing()}, "", 0x0409},
  };
  for (const auto& c : cases) EXPECT_EQ(systemDefaultLanguageId(c.files, c.fallback), c.id) << c.what;
}

}  // namespace
}  // namespace hm
