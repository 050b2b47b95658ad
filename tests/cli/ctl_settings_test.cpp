// SPDX-License-Identifier: GPL-3.0-or-later
// hidmousectl get, set, macro, export and import as a user runs them: the
// files set writes are the files the window writes for the same choice, the
// key matrix reaches the mouse, a factory install keeps its button names,
// refused commands name what is allowed and touch no file, and a setup goes
// out and comes back through a pipe unchanged.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <functional>

#include "cli/ctl_fixture.h"
#include "core/buttons/button_codes.h"
#include "core/buttons/function_choice.h"
#include "core/model/basic_logic.h"
#include "core/model/config_session.h"
#include "core/settings/settings_ini.h"
#include "core/settings/ui_text.h"
#include "support/param_name.h"

namespace hm {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;
using test::Ctl;
using test::lines;
using test::readFile;
using test::Result;

// The bytes of a trace line ("write 00 1f ...").
std::vector<int> traceBytes(const std::string& line) {
  std::vector<int> bytes;
  std::stringstream in(line.substr(line.find(' ') + 1));
  for (std::string hex; in >> hex;) bytes.push_back(std::stoi(hex, nullptr, 16));
  return bytes;
}

// Entries 0..7 of key matrix `table` as sent: the first data report after
// its 0x12 header.
std::vector<int> sentEntries(const std::string& trace, int table) {
  const auto all = lines(trace);
  char header[32];
  std::snprintf(header, sizeof header, "set-feature 00 12 %02x", table);
  for (std::size_t i = 0; i < all.size(); ++i)
    if (all[i].rfind(header, 0) == 0)
      for (std::size_t j = i + 1; j < all.size(); ++j)
        if (all[j].rfind("write ", 0) == 0) {
          std::vector<int> b = traceBytes(all[j]);
          return std::vector<int>(b.begin() + 1, b.end());  // without the report id
        }
  return {};
}

TEST_F(Ctl, SetApplySendsTheButtonToItsKeyMatrixSlot) {
  const Result r = run(withData({"--simulate", "--trace", "set", "--apply", "button.a.4", "key", "A"}));
  ASSERT_EQ(r.rc, 0) << r.err;
  const std::vector<int> modeA = sentEntries(r.err, 1), modeB = sentEntries(r.err, 3);
  ASSERT_EQ(modeA.size(), 32u) << r.err;
  ASSERT_EQ(modeB.size(), 32u);
  // Button 4 goes to slot 4: bytes 16..19.
  EXPECT_EQ(std::vector<int>(modeA.begin() + 16, modeA.begin() + 20),
            (std::vector<int>{0x00, 0x00, 0x04, 0x00}));
  EXPECT_EQ(std::vector<int>(modeB.begin() + 16, modeB.begin() + 20),
            (std::vector<int>{0x01, 0x00, 0xF4, 0x00}));
  EXPECT_NE(r.out.find("button.a.4 key A"), std::string::npos);
  EXPECT_NE(r.out.find("Applied"), std::string::npos);
  EXPECT_NE(data("str.ini").find("Item4=Single Key-A\n"), std::string::npos);
}

// ---- the window's files --------------------------------------------------------------

struct WindowCase {
  const char* name;
  std::vector<std::string> set;
  // What the window does with the same choice, on the factory record with the
  // texts its first display gave it.
  std::function<void(MouseConfig&, ButtonTexts&, const UiTexts&)> window;
  const char* recordIni;
};

class CtlWindowFiles : public Ctl, public ::testing::WithParamInterface<WindowCase> {};

TEST_P(CtlWindowFiles, SetWritesTheFilesTheWindowsApplyWrites) {
  const WindowCase& c = GetParam();
  if (c.recordIni) std::ofstream(data_ / "record.ini") << c.recordIni;
  std::vector<std::string> args{"set"};
  args.insert(args.end(), c.set.begin(), c.set.end());
  const Result r = run(withData(args));
  ASSERT_EQ(r.rc, 0) << r.err;

  const UiTexts ui(Language::English);
  MouseConfig config = factoryConfig();
  ButtonTexts texts;  // the fixture's str.ini holds only Item1, a slot the first display names
  applyFirstRunTexts(texts, firstRunTexts(ui));
  c.window(config, texts, ui);

  const std::string bin = data("config.bin");
  ASSERT_EQ(bin.size(), kConfigFileSize);
  EXPECT_EQ(bin[0], 1);
  MouseConfig written;
  written.fromBytes(reinterpret_cast<const std::uint8_t*>(bin.data()) + 1);
  EXPECT_TRUE(written == config);
  EXPECT_EQ(loadSettingsIni((data_ / "str.ini").string(), Language::English).texts, texts);
}

INSTANTIATE_TEST_SUITE_P(
    Choices, CtlWindowFiles,
    ::testing::Values(WindowCase{"SingleKey",
                                 {"button.a.4", "key", "A"},
                                 [](MouseConfig& c, ButtonTexts& texts, const UiTexts& ui) {
                                   applyDialogChoice(c, texts, 3, SingleKeyResult{"A"}, ui);
                                 },
                                 nullptr},
                      WindowCase{"ComboInModeB",
                                 {"button.b.5", "combo", "Left Ctrl+A+B"},
                                 [](MouseConfig& c, ButtonTexts& texts, const UiTexts& ui) {
                                   c.editedMode = kModeB;
                                   applyDialogChoice(c, texts, 4, ComboKeyResult{"Left Ctrl", "A", "B"}, ui);
                                   c.editedMode = kModeA;
                                 },
                                 nullptr},
                      WindowCase{"MacroByName",
                                 {"button.a.2", "macro", "Second", "repeat", "2"},
                                 [](MouseConfig& c, ButtonTexts& texts, const UiTexts& ui) {
                                   applyDialogChoice(c, texts, 1, MacroKeyResult{1, "Second", 2}, ui);
                                 },
                                 "[First]\nItemCount=0\n[Second]\nItemCount=0\n"},
                      WindowCase{"ShiftInBothModes",
                                 {"button.a.3", "Shift"},
                                 [](MouseConfig& c, ButtonTexts& texts, const UiTexts& ui) {
                                   applyImmediateChoice(c, texts, 2, kShift, ui);
                                 },
                                 nullptr},
                      WindowCase{"LoopColour",
                                 {"led.colour.2", "#abcdef"},
                                 [](MouseConfig& c, ButtonTexts&, const UiTexts&) {
                                   setLoopColor(c, 1, 0xAB, 0xCD, 0xEF);
                                 },
                                 nullptr},
                      WindowCase{"ReportRate",
                                 {"rate", "250"},
                                 [](MouseConfig& c, ButtonTexts&, const UiTexts&) { selectReportRate(c, 1); },
                                 nullptr}),
    hm::test::ParamName());

// A factory config.bin: set names buttons 1..8 as the window's first display
// does, so that neither the factory names nor the set's own text is lost.
TEST_F(Ctl, SetOnAFactoryInstallKeepsTheFactoryNamesAndItsOwnText) {
  std::ofstream(data_ / "str.ini") << "[Skins]\nPath=Default\n";
  ASSERT_EQ(run(withData({"set", "button.a.4", "key", "A"})).rc, 0);
  ASSERT_EQ(run(withData({"--simulate", "apply"})).rc, 0);
  const std::string ini = data("str.ini");
  for (const char* line : {"Item1=Left Click\n", "Item2=Right Click\n", "Item4=Single Key-A\n",
                           "Item6=DPI +\n", "Item8=Key Off\n", "Item43=Forward\n", "Path=Default\n"})
    EXPECT_NE(ini.find(line), std::string::npos) << line << ini;
  EXPECT_EQ(data("config.bin")[0], 1);
}

// ---- refusals ----------------------------------------------------------------------------

struct RefusedCase {
  const char* name;
  std::vector<std::string> args;
  void (*arrange)(const fs::path& data);
  int rc;
  const char* says;
};

void PrintTo(const RefusedCase& c, std::ostream* os) { *os << c.name; }

void twelveMacros(const fs::path& d) {
  std::ofstream f(d / "record.ini");
  for (int i = 1; i <= 12; ++i) f << "[M" << i << "]\nItemCount=0\n";
}
void threeMacros(const fs::path& d) {
  std::ofstream(d / "record.ini") << "[M1]\nItemCount=0\n[M2]\nItemCount=0\n[M3]\nItemCount=0\n";
}
void damagedSetup(const fs::path& d) {
  std::ofstream(d / "setup.json") << R"({"format": 2, "firstRunFlag": "1", "record": {}, "macros": [],
    "buttonTexts": {}, "skin": null, "extra": 1})";
}
void removeConfig(const fs::path& d) { fs::remove(d / "config.bin"); }
// An array nested 87,000 deep before the real fields.
void deepSetup(const fs::path& d) {
  std::ofstream(d / "setup.json") << "{\"x\": " << std::string(87000, '[') << std::string(87000, ']')
                                  << R"(, "format": 1})";
}
void nonUtf8MacroName(const fs::path& d) {
  std::ofstream(d / "record.ini") << "[Bad\xff\xfe]\nItemCount=0\n";
}
// str.ini cannot take the texts, not even from root: a link into a folder
// that does not exist.
void strIniCannotBeSaved(const fs::path& d) {
  fs::remove(d / "str.ini");
  fs::create_symlink("missing/str.ini", d / "str.ini");
}

class CtlRefused : public Ctl, public ::testing::WithParamInterface<RefusedCase> {};

TEST_P(CtlRefused, ExitsWithItsCodeNamesWhatIsAllowedAndTouchesNoFile) {
  const RefusedCase& c = GetParam();
  if (c.arrange) c.arrange(data_);
  std::vector<std::string> args = c.args;
  for (std::string& a : args)
    if (a == "DATA/setup.json") a = (data_ / "setup.json").string();
  const std::string before = files();
  const Result r = run(withData(args));
  EXPECT_EQ(r.rc, c.rc) << r.err;
  EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
  EXPECT_EQ(files(), before);
  EXPECT_EQ(r.out, "");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CtlRefused,
    ::testing::Values(
        RefusedCase{
            "UnknownKey", {"set", "colour", "red"}, nullptr, 2, "unknown key \"colour\"; the keys are mode"},
        RefusedCase{"MissingValue", {"set", "rate"}, nullptr, 2, "the value is missing"},
        RefusedCase{"OnlyLeftButton",
                    {"set", "button.a.1", "Right", "Click"},
                    nullptr,
                    2,
                    "Left key must be selected!"},
        RefusedCase{"DpiWithoutSensor", {"set", "dpi.2", "1600"}, nullptr, 2, "give --sensor T"},
        RefusedCase{"DpiOffTheScale",
                    {"set", "--sensor", "1", "dpi.2", "1750"},
                    nullptr,
                    2,
                    "600, 800, 1000, 1200, 1600, 2000, 2400, 3200"},
        RefusedCase{"NoMacroToAssign", {"set", "button.a.3", "macro", "1"}, nullptr, 2, "no macro to assign"},
        RefusedCase{"GetUnknownKey", {"get", "button.a.0"}, nullptr, 2, "numbered 1..7"},
        RefusedCase{"SetWithoutConfig", {"set", "rate", "500"}, removeConfig, 3, "Config file is not exist."},
        RefusedCase{"SetWhenStrIniCannotBeSaved",
                    {"set", "rate", "500"},
                    strIniCannotBeSaved,
                    3,
                    "set rate: nothing was changed in"},
        RefusedCase{"SetApplyWhenStrIniCannotBeSaved",
                    {"--simulate", "set", "--apply", "rate", "500"},
                    strIniCannotBeSaved,
                    3,
                    "set rate: nothing was changed in"},
        RefusedCase{"ThirteenthMacro", {"macro", "new", "M13"}, twelveMacros, 2, "Macro numbers up to 12."},
        RefusedCase{"MacroNameInUse", {"macro", "new", "m3"}, threeMacros, 2, "Macro name already exists"},
        RefusedCase{"MacroNameUnstorable", {"macro", "new", "a=b"}, nullptr, 2, "cannot contain"},
        RefusedCase{"NoSuchMacro", {"macro", "set", "Nope", "A Dn"}, twelveMacros, 2, "no macro \"Nope\""},
        RefusedCase{"BadMacroLine",
                    {"macro", "set", "M1", "A Dn", "20 ms"},
                    twelveMacros,
                    2,
                    "line 2: \"20 ms\" is not a delay"},
        RefusedCase{"LoopOutOfRange", {"macro", "loop", "M1", "0"}, twelveMacros, 2, "1..65535"},
        RefusedCase{"DamagedImport",
                    {"import", "DATA/setup.json"},
                    damagedSetup,
                    2,
                    "format: this program reads format 1, not 2"},
        RefusedCase{"MissingImport", {"import", "/nonexistent/setup.json"}, nullptr, 3, "cannot read"},
        RefusedCase{"DeeplyNestedImport", {"import", "DATA/setup.json"}, deepSetup, 2, "nested deeper"},
        RefusedCase{"MacroNameNotUtf8", {"macro", "new", "a\xff\xfe"}, nullptr, 2, "UTF-8"},
        RefusedCase{"MacroNameWithEscape", {"macro", "new", "a\x1b[2Jb"}, nullptr, 2, "control characters"},
        // Two such names would both export as U+FFFD: the backup could not
        // be restored.
        RefusedCase{"ExportOfANameNotUtf8", {"export", "DATA/setup.json"}, nonUtf8MacroName, 3, "not UTF-8"}),
    hm::test::ParamName());

TEST_F(Ctl, ADamagedImportListsEveryFault) {
  damagedSetup(data_);
  const Result r = run(withData({"import", (data_ / "setup.json").string()}));
  EXPECT_EQ(r.rc, 2);
  const auto err = lines(r.err);
  // extra, format, firstRunFlag, and every missing field of the record.
  ASSERT_GT(err.size(), 20u) << r.err;
  EXPECT_NE(r.err.find("setup.json: extra: unknown field"), std::string::npos);
  EXPECT_NE(r.err.find("setup.json: firstRunFlag: must be an integer"), std::string::npos);
  EXPECT_NE(r.err.find("setup.json: record.buttons: missing"), std::string::npos);
  EXPECT_NE(err.back().find(std::to_string(err.size() - 1) + " faults; nothing was written"),
            std::string::npos);
}

// ---- get, macros and the whole setup --------------------------------------------------------

TEST_F(Ctl, GetGivesWhatSetTakes) {
  EXPECT_EQ(run(withData({"get", "rate"})).out, "1000\n");
  EXPECT_EQ(run(withData({"get", "--sensor", "1", "dpi.1"})).out, "800\n");
  const Result sim = run(withData({"--simulate", "--sim-sensor", "2,0,0,0", "get", "dpi.1"}));
  EXPECT_EQ(sim.out, "500\n");  // the mouse's sensor type decides
  const Result all = run(withData({"--json", "get", "--sensor", "0"}));
  ASSERT_EQ(all.rc, 0) << all.err;
  const json doc = json::parse(all.out);
  EXPECT_EQ(doc.size(), 51u);
  EXPECT_EQ(doc["button.a.6"], "DPI +");
  EXPECT_EQ(doc["led.stage.2"], "2");
  // Each "KEY VALUE" line of get, handed to set, is taken and changes
  // nothing ("button.a.1 Left Click", "pointer.speed 0" included).
  const std::string before = data("config.bin").substr(1);
  for (const std::string& line : lines(run(withData({"get", "--sensor", "0"})).out)) {
    const auto space = line.find(' ');
    const Result r = run(withData({"set", "--sensor", "0", line.substr(0, space), line.substr(space + 1)}));
    EXPECT_EQ(r.rc, 0) << line << ": " << r.err;
  }
  EXPECT_EQ(data("config.bin").substr(1), before);
}

TEST_F(Ctl, MacroCommandsFollowTheEditorsRules) {
  ASSERT_EQ(run(withData({"macro", "new", "Copy"})).rc, 0);
  ASSERT_EQ(run(withData({"macro", "new", "Tap"})).rc, 0);
  EXPECT_EQ(data("record.ini"), "[Copy]\nItemCount=0\n[Tap]\nItemCount=0\n");
  ASSERT_EQ(run(withData({"macro", "set", "copy", "a dn", "50ms", "A   Up"})).rc, 0);
  ASSERT_EQ(run(withData({"macro", "loop", "Copy", "5"})).rc, 0);
  // Confirm rewrites the macro where it stands: it stays macro 1.
  EXPECT_EQ(data("record.ini"),
            "[Copy]\nItemCount=3\nItem0=A   Dn\nItem1=50 ms\nItem2=A   Up\n[Tap]\nItemCount=0\n");
  const std::string bin = data("config.bin");
  const auto* image0 = reinterpret_cast<const std::uint8_t*>(bin.data()) + 1 + 384;
  const std::vector<int> image(image0, image0 + 6);
  EXPECT_EQ(image, (std::vector<int>{0x00, 0x05, 0x05, 0x04, 0x80, 0x04}));
  EXPECT_EQ(bin[0], 0);  // the images change; the first-run flag stays

  const json shown = json::parse(run(withData({"--json", "macro", "show", "COPY"})).out);
  EXPECT_EQ(shown["lines"], json::array({"A   Dn", "50 ms", "A   Up"}));
  EXPECT_EQ(shown["loopTimes"], 5);
  EXPECT_EQ(shown["events"], 2);
  EXPECT_EQ(run(withData({"macro", "list"})).out,
            "1 \"Copy\": 3 lines, 2 events, loop 5\n2 \"Tap\": 0 lines, 0 events, loop 0\n");
  const Result cut = run(withData({"macro", "set", "Tap", "Right Ctrl Dn", "f13 dn"}));
  EXPECT_EQ(cut.rc, 0);
  EXPECT_NE(cut.err.find("\"f13   Dn\" names a key the key table lacks"), std::string::npos) << cut.err;
  ASSERT_EQ(run(withData({"macro", "delete", "Copy"})).rc, 0);
  EXPECT_EQ(data("record.ini"), "[Tap]\nItemCount=2\nItem0=Right Ctrl   Dn\nItem1=f13   Dn\n");
}

TEST_F(Ctl, ASetupGoesOutAndComesBackThroughPipesUnchanged) {
  std::ofstream(data_ / "str.ini") << "[Skins]\nRColor=1\nGColor=2\nBColor=3\nPath=Default\n";
  for (const std::vector<std::string>& a : {std::vector<std::string>{"macro", "new", "Copy"},
                                            {"macro", "set", "Copy", "C Dn", "50 ms", "C Up"},
                                            {"set", "button.b.2", "macro", "Copy", "repeat", "3"},
                                            {"set", "led.mode", "neon"},
                                            {"set", "mode", "b"}})
    ASSERT_EQ(run(withData(a)).rc, 0);
  const Result out = run(withData({"export", "-"}));
  ASSERT_EQ(out.rc, 0) << out.err;
  const json doc = json::parse(out.out);
  EXPECT_EQ(doc["record"]["buttons"]["b"][1]["function"], "Macro Key");
  EXPECT_EQ(doc["buttonTexts"]["Setting-EN"]["b"][1], "Macro Key-Copy");
  EXPECT_EQ(doc["skin"]["textColor"], "#010203");

  // Into a factory folder, then out again.
  const std::string exported = out.out;
  ASSERT_TRUE(writeConfigImage((data_ / "config.bin").string(), 0, factoryConfig()));
  fs::remove(data_ / "record.ini");
  const Result in = runWithInput(withData({"--simulate", "import", "--apply", "-"}), exported);
  ASSERT_EQ(in.rc, 0) << in.err;
  EXPECT_NE(in.out.find("Applied"), std::string::npos);
  EXPECT_EQ(run(withData({"export", "-"})).out, exported);
}

}  // namespace
}  // namespace hm
