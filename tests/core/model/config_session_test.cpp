// SPDX-License-Identifier: GPL-3.0-or-later
// The configuration session: loading config.bin then str.ini, the first-run
// action, and Apply as one straight line (encode, send, save both files,
// take the saved copy) against the simulated mouse, also when the mouse or
// the files fail.
#include "core/model/config_session.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "core/device/link_fixture.h"
#include "core/settings/profile_file.h"
#include "core/settings/ui_text.h"
#include "support/temp_dir.h"

namespace hm {
namespace {

using test::LinkFixture;
using test::Message;
using test::TempDir;

// A data folder with config.bin (flag, record) and a str.ini.
struct DataFolder {
  DataFolder(std::uint8_t flag, const MouseConfig& record, const std::string& strIni) {
    paths = DataPaths::inFolder(dir.path());
    EXPECT_TRUE(writeConfigImage(paths.configBin, flag, record));
    dir.write("str.ini", strIni);
  }
  std::string ini(const std::string& section, const std::string& key) const {
    return profile::getString(paths.strIni, section, key, "");
  }
  TempDir dir;
  DataPaths paths;
};

MouseConfig sane() {
  MouseConfig c = factoryConfig();
  c.reportInterval = 4;
  c.dpiStageValue[2] = 6;
  return c;
}

constexpr const char* kIni =
    "[Setting-EN]\nItem1=Left Click\nItem9=Keep\nItem13=Mode B one\n[Skins]\nPath=dark\n";

// ---- load ----------------------------------------------------------------------

struct LoadCase {
  const char* name;
  void (*arrange)(const DataPaths&);
  bool read;            // load() result
  std::uint8_t flag;    // first-run flag afterwards
  bool recordKept;      // working == saved == the file's record (else all zero)
  const char* message;  // the one message shown, or nullptr
};

void noChange(const DataPaths&) {}
void removeConfig(const DataPaths& p) { std::filesystem::remove(p.configBin); }
void shortConfig(const DataPaths& p) { std::filesystem::resize_file(p.configBin, kConfigFileSize - 1); }
void appliedConfig(const DataPaths& p) { EXPECT_TRUE(writeConfigImage(p.configBin, 1, sane())); }

TEST(ConfigSessionLoad, ReadsConfigBinThenStrIniAndTakesTheSavedCopy) {
  const LoadCase cases[] = {
      {"factory", noChange, true, 0, true, nullptr},
      {"applied", appliedConfig, true, 1, true, nullptr},
      {"missing", removeConfig, false, 0, false, kConfigMissingText},
      {"wrong size", shortConfig, false, 0, false, nullptr},
  };
  for (const LoadCase& c : cases) {
    SCOPED_TRACE(c.name);
    DataFolder data(0, sane(), kIni);
    c.arrange(data.paths);
    test::RecordingSink sink;
    ConfigSession session(data.paths, Language::English, sink);
    EXPECT_FALSE(session.loaded());
    EXPECT_EQ(session.load(), c.read);
    EXPECT_TRUE(session.loaded());
    EXPECT_EQ(session.firstRunFlag(), c.flag);
    MouseConfig zero;
    zero.clear();
    EXPECT_EQ(session.working(), c.recordKept ? sane() : zero);
    EXPECT_EQ(session.saved(), session.working());
    // str.ini is read whatever config.bin was.
    EXPECT_EQ(session.buttonTexts().text[kModeA][0], "Left Click");
    EXPECT_EQ(session.buttonTexts().text[kModeB][0], "Mode B one");
    EXPECT_EQ(session.skinSettings().path, "dark");
    if (c.message)
      EXPECT_EQ(sink.messages, (std::vector<Message>{{c.message, ""}}));
    else
      EXPECT_TRUE(sink.messages.empty());
  }
}

// ---- first-run action ------------------------------------------------------------

TEST(ConfigSessionFirstRun, FactoryFlagNamesButtonsOneToEightOfBothModesAndWritesThem) {
  struct Case {
    const char* name;
    std::uint8_t flag;
    Language language;
    bool runs;
  };
  const Case cases[] = {{"factory", 0, Language::English, true},
                        {"applied", 1, Language::English, false},
                        {"factory, Simplified Chinese", 0, Language::SimplifiedChinese, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string section = languageSection(c.language);
    DataFolder data(c.flag, sane(), "[" + section + "]\nItem2=Old\nItem23=Old\nItem9=Keep\nItem123=Keep B\n");
    test::RecordingSink sink;
    ConfigSession session(data.paths, c.language, sink);
    session.load();
    const UiTexts ui(c.language);
    EXPECT_EQ(session.runFirstRunAction(ui), c.runs);

    const ButtonTexts& t = session.buttonTexts();
    for (int m : {kModeA, kModeB}) {
      EXPECT_EQ(t.text[m][1], c.runs ? ui.get(TextId::RightClick) : "Old");
      EXPECT_EQ(t.text[m][5], c.runs ? "DPI +" : "");
      EXPECT_EQ(t.text[m][6], c.runs ? "DPI -" : "");
      EXPECT_EQ(t.text[m][7], c.runs ? ui.get(TextId::KeyOff) : "");
    }
    EXPECT_EQ(t.text[kModeA][8], "Keep") << "slots 8..11 keep their texts";
    EXPECT_EQ(t.text[kModeB][11], "Keep B");
    // Written at once, in the language's section.
    EXPECT_EQ(data.ini(section, "Item13"), c.runs ? ui.get(TextId::LeftClick) : "");
    EXPECT_EQ(data.ini(section, "Item73"), c.runs ? "DPI -" : "");
    EXPECT_EQ(data.ini(section, "Item9"), "Keep");
    // The flag in memory stays as read, so the action is not a one-off of this object.
    EXPECT_EQ(session.firstRunFlag(), c.flag);
    EXPECT_TRUE(sink.messages.empty());
  }
  EXPECT_EQ(firstRunTexts(UiTexts(Language::English)),
            (std::array<std::string, kFirstRunSlots>{"Left Click", "Right Click", "Mid Click", "Forward",
                                                     "Backward", "DPI +", "DPI -", "Key Off"}));
}

// ---- apply -----------------------------------------------------------------------

TEST(ConfigSessionApply, SendsThenSavesBothFilesThenTakesTheSavedCopyAndCancelRestoresIt) {
  DataFolder data(0, sane(), kIni);
  LinkFixture f;
  ASSERT_EQ(f.link.openMouse(), 1);
  ConfigSession session(data.paths, Language::English, f.sink);
  session.load();
  session.working().reportInterval = 2;
  session.buttonTexts().text[kModeA][3] = "Single Key-A";

  const ApplyResult r = session.applyToMouse(f.link);
  EXPECT_TRUE(r.mouseTookAll());
  EXPECT_TRUE(r.saved());
  EXPECT_EQ(f.mouse.reportInterval(), 2);
  EXPECT_EQ(f.mouse.commands().size(), proto::kApplyCommandCount);
  const std::string file = TempDir::read(data.paths.configBin);
  ASSERT_EQ(file.size(), kConfigFileSize);
  EXPECT_EQ(file[0], 1) << "written by Apply, even over a factory file";
  MouseConfig back;
  back.fromBytes(reinterpret_cast<const std::uint8_t*>(file.data()) + 1);
  EXPECT_EQ(back, session.working());
  EXPECT_EQ(loadSettingsIni(data.paths.strIni, Language::English).texts, session.buttonTexts());
  EXPECT_EQ(session.saved(), session.working());
  EXPECT_EQ(session.firstRunFlag(), 0) << "the flag in memory stays as read";
  EXPECT_TRUE(f.sink.messages.empty());

  session.working().reportInterval = 8;
  session.cancel();
  EXPECT_EQ(session.working().reportInterval, 2);
  EXPECT_EQ(f.mouse.reportInterval(), 2) << "Cancel sends nothing";
}

// The files are saved after the device part whatever the mouse did, and the
// result tells both apart.
TEST(ConfigSessionApply, ReportsTheFirstDeviceFailureAndEachFileAndStillSavesWhatItCan) {
  struct Case {
    const char* name;
    bool plugged;
    std::size_t unplugAfterPause;  // 0: never
    void (*arrange)(const DataPaths&);
    std::optional<ExchangeFailure> failure;  // call texts are the simulated mouse's
    int configErrno, textsErrno;             // 0: saved
    const char* message;
  };
  const Case cases[] = {
      {"all taken", true, 0, noChange, std::nullopt, 0, 0, nullptr},
      {"no mouse", false, 0, noChange,
       ExchangeFailure{0x01, "set-feature", Error{"HID command collection", ENODEV}}, 0, 0, nullptr},
      // Pause 20 ends macro 2: macro 3's header is the first exchange that fails.
      {"mouse pulled out after macro 2", true, 20, noChange,
       ExchangeFailure{0x13, "set-feature", Error{"HIDIOCSFEATURE", ENODEV}}, 0, 0, nullptr},
      {"config.bin missing", true, 0, removeConfig, std::nullopt, ENOENT, 0, kConfigMissingText},
      {"str.ini not writable", true, 0,
       [](const DataPaths& p) {
         std::filesystem::remove(p.strIni);
         std::filesystem::create_directory(p.strIni);
       },
       std::nullopt, 0, EISDIR, kButtonTextsSaveFailedText},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DataFolder data(1, sane(), kIni);
    LinkFixture f(c.plugged);
    f.link.openMouse();
    ConfigSession session(data.paths, Language::English, f.sink);
    session.load();
    c.arrange(data.paths);
    if (c.unplugAfterPause)
      f.sleeper.afterPause = [&](std::size_t n) {
        if (n == c.unplugAfterPause) f.mouse.unplug();
      };
    session.working().reportInterval = 2;

    const ApplyResult r = session.applyToMouse(f.link);
    EXPECT_EQ(r.deviceFailure, c.failure);
    EXPECT_EQ(r.mouseTookAll(), !c.failure);
    EXPECT_EQ(r.configSave.code(), c.configErrno);
    EXPECT_EQ(r.textsSave.code(), c.textsErrno);
    EXPECT_EQ(f.sleeper.totalMs(), proto::kApplyPauseFloorMs) << "the sequence runs to its end";
    EXPECT_EQ(session.saved(), session.working());
    if (r.configSave) {
      EXPECT_EQ(TempDir::read(data.paths.configBin)[1 + offsetof(MouseConfig, reportInterval)], 2);
    } else {
      EXPECT_FALSE(std::filesystem::exists(data.paths.configBin)) << "never created";
    }
    if (c.message) {
      bool shown = false;
      for (const Message& m : f.sink.messages) shown = shown || m.text == c.message;
      EXPECT_TRUE(shown) << c.message;
    } else {
      EXPECT_TRUE(f.sink.messages.empty());
    }
  }
}

}  // namespace
}  // namespace hm
