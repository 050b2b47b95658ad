// SPDX-License-Identifier: GPL-3.0-or-later
// The whole setup as one document: export, import into another folder and
// export again give the same bytes (and the same files), on the factory
// setup and on one with twelve macros; a damaged or hand-edited document is
// refused with every fault named by its path, and nothing is written.
#include "core/config_text/setup_document.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>

#include "core/config_text/setup_files.h"
#include "core/macros/macro_encoder.h"
#include "core/macros/macro_record.h"
#include "core/settings/config_file.h"
#include "support/param_name.h"
#include "support/temp_dir.h"

namespace hm {
namespace {

using nlohmann::json;
using test::TempDir;

constexpr char kFactoryStrIni[] = "[Skins]\nRColor=150\nGColor=220\nBColor=245\nPath=Default\n";

// A data folder: config.bin, str.ini and, when given, record.ini.
struct Folder {
  TempDir dir;
  DataPaths paths = DataPaths::inFolder(dir.path());
  Folder(std::uint8_t flag, MouseConfig record, const std::string& strIni,
         const std::string& recordIni = "") {
    if (!recordIni.empty()) {
      dir.write("record.ini", recordIni);
      rebuildMacroImages(paths.recordIni, record);
      for (int slot = 0; slot < static_cast<int>(kMacroCount); ++slot)
        setLoopTimes(record, slot, 100 * slot + 7);
    }
    EXPECT_TRUE(writeConfigImage(paths.configBin, flag, record));
    dir.write("str.ini", strIni);
  }
  std::string exported() const {
    const SetupLoad l = readSetup(paths, Language::English);
    EXPECT_TRUE(l.ok()) << l.error;
    return setupToJson(l.setup);
  }
  std::string file(const char* name) const { return TempDir::read(dir.file(name)); }
};

std::string macros(int count) {
  std::string ini;
  for (int i = 1; i <= count; ++i)
    ini += "[Macro " + std::to_string(i) + "]\nItemCount=4\nItem0=A   Dn\nItem1=" + std::to_string(50 * i) +
           " ms\nItem2=Num 7   Up\nItem3=2500 ms\n";
  return ini;
}

struct RoundTrip {
  const char* name;
  std::uint8_t flag;
  std::string strIni;
  std::string recordIni;
};

class SetupRoundTrip : public ::testing::TestWithParam<RoundTrip> {};

TEST_P(SetupRoundTrip, ExportImportExportIsByteIdenticalAndRebuildsTheSameFiles) {
  const RoundTrip& c = GetParam();
  const Folder source(c.flag, factoryConfig(), c.strIni, c.recordIni);
  const std::string first = source.exported();

  // The target starts elsewhere: other record, texts and macros.
  MouseConfig other = factoryConfig();
  other.reportInterval = 8;
  other.mode[0].function[3] = 11;
  const Folder target(1, other,
                      "[Setting-EN]\nItem4=Single Key-B\n[Setting-CHT]\nItem1=舊\n[Skins]\nPath=Old\n",
                      "[Old]\nItemCount=1\nItem0=B   Dn\n");
  const SetupRead read = setupFromJson(first);
  ASSERT_TRUE(read.setup) << (read.errors.empty() ? "" : read.errors.front());
  const SetupSave saved = writeSetup(target.paths, *read.setup);
  ASSERT_TRUE(saved.ok()) << saved.error;

  EXPECT_EQ(target.exported(), first);
  EXPECT_EQ(target.file("config.bin"), source.file("config.bin"));  // images and loop counts included
  EXPECT_EQ(target.file("record.ini"), c.recordIni);
}

INSTANTIATE_TEST_SUITE_P(Setups, SetupRoundTrip,
                         ::testing::Values(RoundTrip{"Factory", 0, kFactoryStrIni, ""},
                                           RoundTrip{"TwelveMacros", 1,
                                                     std::string(kFactoryStrIni) +
                                                         "[Setting-EN]\nItem1=Left Click\nItem4=Macro Key-M\n"
                                                         "[Setting-CHS]\nItem1=左键\n",
                                                     macros(12)},
                                           // The editor lists sections past the twelfth; the
                                           // target's other language and skin do not survive.
                                           RoundTrip{"ThirteenSectionsNoSkin", 1,
                                                     "[Setting-EN]\nItem2=Right Click\n", macros(13)}),
                         hm::test::ParamName());

// ---- refused documents -----------------------------------------------------------

using Edit = std::function<void(json&)>;

struct Damage {
  const char* name;
  Edit edit;
  std::vector<const char*> faults;  // one per error, in order
};

json& button(json& d, const char* mode, int b) {
  return d["record"]["buttons"][mode][static_cast<std::size_t>(b)];
}

const Damage kDamages[] = {
    {"WrongTypes",
     [](json& d) {
       d["record"]["reportInterval"] = "1";
       d["firstRunFlag"] = true;
       d["macros"][0]["items"] = "A   Dn";
     },
     {"firstRunFlag: must be an integer", "record.reportInterval: must be an integer",
      "macros[0].items: must be an array"}},
    {"UnknownAndMissingFields",
     [](json& d) {
       d["record"]["colour"] = 1;
       button(d, "a", 2)["turbo"] = 1;
       d["record"].erase("ledMode");
       d["comment"] = "mine";
     },
     {"comment: unknown field", "record.colour: unknown field", "record.ledMode: missing",
      "record.buttons.a[2].turbo: unknown field"}},
    {"OutOfRange",
     [](json& d) {
       d["record"]["dpiStageValue"][1] = 12;
       button(d, "b", 4)["function"] = 16;
       button(d, "a", 0)["macroIndex"] = 12;
       d["macros"][3]["loopTimes"] = 70000;
       d["record"]["ledParam"][1] = 5;
     },
     {"record.buttons.a[0].macroIndex: must be 0..11", "record.buttons.b[4].function: must be 0..15",
      "record.dpiStageValue[1]: must be 0..11", "macros[3].loopTimes: must be 0..65535"}},
    {"LedParamOutsideItsTable",
     [](json& d) { d["record"]["ledParam"][1] = 5; },
     {"record.ledParam[1]: must be 0..4"}},
    {"LoopCountPastTheTwelfth",
     [](json& d) {
       d["macros"].push_back({{"name", "Extra"}, {"loopTimes", 1}, {"items", json::array()}});
       d["macros"].push_back({{"name", "extra"}, {"loopTimes", 0}, {"items", json::array()}});
     },
     {"macros[12].loopTimes: must be 0", "macros[13].name: another macro has this name"}},
    {"ControlCharactersAndLengths",
     [](json& d) {
       d["buttonTexts"]["Setting-EN"]["a"][1] = "\x1b[31mred";
       d["buttonTexts"]["Setting-EN"]["b"][2] = "tab\there";
       d["buttonTexts"]["Setting-CHS"]["a"][3] = "next\u0085line";
       d["buttonTexts"]["Setting-CHS"]["a"][4] = std::string(1024, 'x');
       d["macros"][5]["name"] = std::string("nul\0cut", 7);
       d["skin"]["path"] = "Two\nLines";
     },
     {"buttonTexts.Setting-EN.a[1]: a button text cannot hold a line break or another control character",
      "buttonTexts.Setting-EN.b[2]: a button text cannot",
      "buttonTexts.Setting-CHS.a[3]: a button text cannot",
      "buttonTexts.Setting-CHS.a[4]: longer than the 1023", "skin.path",
      "macros[5].name: A macro name cannot"}},
    {"LongSkinPathAndMacro",
     [](json& d) {
       d["skin"]["path"] = std::string(1024, 's');
       d["macros"][6]["items"] = std::vector<std::string>(65537, "50 ms");
     },
     {"skin.path", "macros[6].items: more than the 65536 lines"}},
    {"MacroNamesAndLines",
     [](json& d) {
       d["macros"][1]["name"] = "macro 1";
       d["macros"][2]["name"] = "Bad]";
       d["macros"][3]["items"][1] = {{"a", 1}};
       d["macros"][4]["items"][0] = "A Dn";
       d["macros"][4]["items"][1] = "20 ms";
       d["macros"][4]["items"][2] = std::string(1024, 'X') + "   Up";
       d["macros"][4]["items"][3] = 7;
     },
     {"macros[1].name: another macro has this name", "macros[2].name: A macro name cannot contain",
      "macros[3].items[1]: must be a string", "macros[4].items[0]: \"A Dn\" is not a line",
      "macros[4].items[1]: \"20 ms\" is not a delay",
      "macros[4].items[2]: longer than the 1023 characters record.ini gives back",
      "macros[4].items[3]: must be a string"}},
    {"WindowsRules",
     [](json& d) {
       for (int b = 0; b < 12; ++b)
         if (button(d, "b", b)["function"] == "Left Click") button(d, "b", b)["function"] = "Key Off";
       for (int s = 0; s < 8; ++s) d["record"]["dpiStageEnabled"][static_cast<std::size_t>(s)] = 0;
     },
     {"record.buttons.b: no button holds \"Left Click\"",
      "record.dpiStageEnabled: one of stages 1..4 must be on"}},
    {"ParametersOfTheHeldFunction",
     [](json& d) {
       button(d, "a", 3)["function"] = "Fire Key";
       button(d, "a", 3)["fireSpeed"] = 0;
       button(d, "a", 4)["function"] = "Multimedia";
       button(d, "a", 4)["mediaUsage"] = 16;
       button(d, "a", 5)["dpiAction"] = 0;
       button(d, "a", 6)["function"] = 12;
       button(d, "a", 6)["comboModifiers"] = 3;
     },
     {"record.buttons.a[3].fireKey: not the code of a fire key", "record.buttons.a[3].fireSpeed",
      "record.buttons.a[4].mediaUsage", "record.buttons.a[5].dpiAction",
      "record.buttons.a[6].comboModifiers"}},
    {"ColoursSkinAndFormat",
     [](json& d) {
       d["format"] = 2;
       d["record"]["loopColor"][2] = "#12345g";
       d["skin"]["path"] = "../etc";
       d["skin"]["textColor"] = 255;
     },
     {"format: this program reads format 1, not 2", "record.loopColor[2]: must be \"#rrggbb\"", "skin.path",
      "skin.textColor: must be a string"}},
    {"ButtonTexts",
     [](json& d) {
       d["buttonTexts"]["Setting-EN"]["a"][0] = "two\nlines";
       d["buttonTexts"]["Setting-FR"] = json::object();
       d["buttonTexts"]["Setting-CHS"]["b"].erase(0);
     },
     {"buttonTexts.Setting-FR: unknown field",
      "buttonTexts.Setting-EN.a[0]: a button text cannot hold a line break",
      "buttonTexts.Setting-CHS.b: must be an array of 12"}},
    {"ShortButtonList",
     [](json& d) { d["record"]["buttons"]["a"].erase(11); },
     {"record.buttons.a: must be an array of 12"}},
};

class SetupDamage : public ::testing::TestWithParam<Damage> {};

TEST_P(SetupDamage, EveryFaultIsNamedByItsPath) {
  const Damage& c = GetParam();
  const Folder source(
      1, factoryConfig(),
      std::string(kFactoryStrIni) + "[Setting-EN]\nItem1=Left Click\n[Setting-CHS]\nItem1=左键\n",
      macros(12));
  json doc = json::parse(source.exported());
  c.edit(doc);
  const SetupRead read = setupFromJson(doc.dump());
  EXPECT_FALSE(read.setup);
  ASSERT_EQ(read.errors.size(), c.faults.size()) << ::testing::PrintToString(read.errors);
  for (std::size_t i = 0; i < c.faults.size(); ++i)
    EXPECT_NE(read.errors[i].find(c.faults[i]), std::string::npos) << read.errors[i];
}

INSTANTIATE_TEST_SUITE_P(Documents, SetupDamage, ::testing::ValuesIn(kDamages), hm::test::ParamName());

// Text no export writes is refused before any work that grows with its
// nesting or size: one fault, naming where.
struct RawDamage {
  const char* name;
  std::string (*edit)(std::string doc);  // of the exported factory document
  const char* fault;
};

std::string afterFirstBrace(std::string doc, const std::string& text) { return doc.insert(1, text); }

const RawDamage kRawDamages[] = {
    {"ArrayNested87000Deep",
     [](std::string d) {
       return afterFirstBrace(d, "\"x\": " + std::string(87000, '[') + std::string(87000, ']') + ",");
     },
     "x[0][0][0][0][0][0][0]: nested deeper than the 8 levels"},
    {"ObjectsNestedInAButton",
     [](std::string d) {
       const std::size_t at = d.find("\"mediaChoice\"");
       return d.insert(at, "\"deep\": {\"a\": {\"b\": {\"c\": {}}}}, ");
     },
     "record.buttons.a[0].deep.a.b.c: nested deeper"},
    {"FractionalFormat",
     [](std::string d) { return d.replace(d.find("\"format\": 1"), 11, "\"format\": 1.0"); },
     "format: must be an integer, not 1.0"},
    {"ExponentInARecordField",
     [](std::string d) { return d.replace(d.find("\"ledMode\": "), 11, "\"ledMode\": 1e0, \"x\": "); },
     "record.ledMode: must be an integer, not 1e0"},
    {"DuplicateKey", [](std::string d) { return afterFirstBrace(d, "\"macros\": [{\"name\": \"Lost\"}],"); },
     "macros: given twice"},
    {"DuplicateKeyInAButton",
     [](std::string d) { return d.insert(d.find("\"mediaChoice\""), "\"dpiAction\": 1, "); },
     "record.buttons.a[0].dpiAction: given twice"},
    {"NestedDeepInAMacroLine",
     [](std::string d) {
       return d.replace(
           d.find("\"macros\": []"), 12,
           R"("macros": [{"name": "M", "loopTimes": 1, "items": ["A   Dn", "50 ms", [[[[[1]]]]]]}])");
     },
     "macros[0].items[2][0][0][0][0]: nested deeper"},
    {"DuplicateKeyInAMacroLine",
     [](std::string d) {
       return d.replace(
           d.find("\"macros\": []"), 12,
           R"("macros": [{"name": "M", "loopTimes": 1, "items": ["A   Dn", {"a": 1, "a": 2}]}])");
     },
     "macros[0].items[1].a: given twice"},
    {"BytesAfterANul", [](std::string d) { return d + std::string("\0{\"more\": 1}", 13); },
     "(document): not JSON: a NUL byte at offset"},
    {"LargerThanOneMebibyte",
     [](std::string d) { return afterFirstBrace(d, "\"x\": \"" + std::string(1 << 20, 'a') + "\","); },
     "(document): larger than the 1 MiB"},
};

class SetupRawDamage : public ::testing::TestWithParam<RawDamage> {};

TEST_P(SetupRawDamage, IsRefusedWithOneFault) {
  const Folder f(0, factoryConfig(), kFactoryStrIni);
  const SetupRead read = setupFromJson(GetParam().edit(f.exported()));
  EXPECT_FALSE(read.setup);
  ASSERT_EQ(read.errors.size(), 1u) << ::testing::PrintToString(read.errors);
  EXPECT_EQ(read.errors[0].rfind(GetParam().fault, 0), 0u) << read.errors[0];
}

INSTANTIATE_TEST_SUITE_P(Documents, SetupRawDamage, ::testing::ValuesIn(kRawDamages), hm::test::ParamName());

TEST(SetupDocument, TextThatIsNoDocumentIsRefused) {
  // The last: a number too large for a double.
  for (const char* text : {"", "{", "[]", "{\"format\": 1", "null", "{\"format\": 1E99999}"}) {
    SCOPED_TRACE(text);
    const SetupRead read = setupFromJson(text);
    EXPECT_FALSE(read.setup);
    EXPECT_FALSE(read.errors.empty());
  }
}

// The most a document can hold: macros of 65,536 lines each, as many as fit
// under the size cap, written compact: accepted, and every line reaches
// record.ini (the first image cut to fit).
TEST(SetupFiles, TheLargestDocumentIsWrittenWhole) {
  const Folder f(1, factoryConfig(), kFactoryStrIni);
  std::string text = f.exported();
  const std::string empty = "\"macros\": []";
  const char* const pattern[] = {"\"A   Dn\"", "\"50 ms\"", "\"A   Up\"", "\"50 ms\""};
  std::string macros = "\"macros\": [";
  std::size_t lines = 0;
  for (int m = 1; text.size() + macros.size() + 64 < kMaxSetupDocumentBytes; ++m) {
    macros +=
        (m > 1 ? ",{\"name\":\"M" : "{\"name\":\"M") + std::to_string(m) + "\",\"loopTimes\":1,\"items\":[";
    for (long i = 0; i < kMaxMacroItems && text.size() + macros.size() + 64 < kMaxSetupDocumentBytes;
         ++i, ++lines)
      macros += std::string(i > 0 ? "," : "") + pattern[i % 4];
    macros += "]}";
  }
  text.replace(text.find(empty), empty.size(), macros + "]");
  ASSERT_LE(text.size(), kMaxSetupDocumentBytes);
  ASSERT_GT(lines, static_cast<std::size_t>(kMaxMacroItems));  // more than one full macro

  const SetupRead read = setupFromJson(text);
  ASSERT_TRUE(read.setup) << ::testing::PrintToString(read.errors);
  const SetupSave saved = writeSetup(f.paths, *read.setup);
  ASSERT_TRUE(saved.ok()) << saved.error;
  ASSERT_EQ(saved.reports.size(), read.setup->macros.size());
  EXPECT_TRUE(saved.reports.front().truncated);

  // Every line reached record.ini: the last macro's last item is there.
  const SetupMacro& last = read.setup->macros.back();
  const std::string record = f.file("record.ini");
  EXPECT_NE(record.find("Item" + std::to_string(last.items.size() - 1) + "=" +
                        std::string(last.items[last.items.size() - 1]) + "\n"),
            std::string::npos);
}

TEST(SetupFiles, NothingIsWrittenWhenAFileCannotBeTaken) {
  const Folder f(1, factoryConfig(), kFactoryStrIni, macros(12));
  const SetupRead read = setupFromJson(f.exported());
  ASSERT_TRUE(read.setup);
  const std::string record = f.file("record.ini"), config = f.file("config.bin");

  // str.ini is a folder: nothing at all is replaced.
  std::filesystem::remove(f.dir.file("str.ini"));
  std::filesystem::create_directory(f.dir.file("str.ini"));
  EXPECT_NE(writeSetup(f.paths, *read.setup).error.find("str.ini"), std::string::npos);
  EXPECT_EQ(f.file("record.ini"), record);
  EXPECT_EQ(f.file("config.bin"), config);

  // config.bin is never created.
  std::filesystem::remove(f.dir.file("config.bin"));
  EXPECT_NE(writeSetup(f.paths, *read.setup).error.find(kConfigMissingText), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(f.dir.file("config.bin")));
  EXPECT_EQ(f.file("record.ini"), record);
}

}  // namespace
}  // namespace hm
