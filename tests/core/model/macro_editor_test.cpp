// SPDX-License-Identifier: GPL-3.0-or-later
// The macro editor's rules without a window: New's checks and their order,
// Delete, Confirm rewriting the macro in its place, loop times, delay lines,
// inserted mouse events, and the recorder driven by key strokes.
#include "core/model/macro_editor.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/settings/profile_file.h"
#include "core/settings/ui_text.h"
#include "support/param_name.h"
#include "support/recording_sink.h"
#include "support/temp_dir.h"

namespace hm {
namespace {

using test::Message;
using test::TempDir;
using Lines = std::vector<std::string>;

// A key source that records what the editor asks of it.
class FakeHost : public RecorderHost {
 public:
  Status installKeySource() override {
    calls.push_back("install");
    return failCode != 0 ? Status::failure("install", failCode) : Status();
  }
  void removeKeySource() override { calls.push_back("remove"); }
  void setWindowTitle(const std::string& t) override { calls.push_back("title " + t); }
  std::vector<std::string> calls;
  int failCode = 0;
};

// record.ini with macros "M1".."Mn" (macro k: the press and release of key
// k's letter), images with loop counts 11, 12, ... and an editor built on it.
struct EditorFixture {
  explicit EditorFixture(int macros = 3) {
    config.clear();
    std::string ini;
    for (int k = 1; k <= macros; ++k) {
      const std::string key(1, static_cast<char>('A' + k - 1));
      ini += "[M" + std::to_string(k) + "]\nItemCount=3\nItem0=" + key + "   Dn\nItem1=50 ms\nItem2=" + key +
             "   Up\n";
      if (k <= static_cast<int>(kMacroCount)) setLoopTimes(config, k - 1, 10 + k);
    }
    path = macros > 0 ? dir.write("record.ini", ini) : dir.file("record.ini");
    editor.setRecorderHost(&host);
    editor.load();
  }
  std::string file() const { return TempDir::read(path); }

  TempDir dir;
  std::string path;
  MouseConfig config{};
  UiTexts texts{Language::English};
  test::RecordingSink sink;
  FakeHost host;
  MacroEditor editor{dir.file("record.ini"), config, texts, sink};
};

const std::string& en(TextId id) {
  static const UiTexts texts(Language::English);
  return texts.get(id);
}

TEST(MacroEditor, BuildShowsTheFirstMacroAndTheFirstImagesLoopCount) {
  EditorFixture f;
  EXPECT_EQ(f.editor.macros(), (Lines{"M1", "M2", "M3"}));
  EXPECT_EQ(f.editor.selectedMacro(), 0);
  EXPECT_EQ(f.editor.nameField(), "M1");
  EXPECT_EQ(f.editor.sequence(), (Lines{"A   Dn", "50 ms", "A   Up"}));
  EXPECT_EQ(f.editor.loopField(), "11");

  f.editor.selectMacro(2);
  EXPECT_EQ(f.editor.nameField(), "M3");
  EXPECT_EQ(f.editor.sequence(), (Lines{"C   Dn", "50 ms", "C   Up"}));
  EXPECT_EQ(f.editor.loopField(), "13");

  EditorFixture empty(0);
  EXPECT_TRUE(empty.editor.macros().empty());
  EXPECT_EQ(empty.editor.selectedMacro(), -1);
  EXPECT_EQ(empty.editor.loopField(), "");
}

// ---- New ----------------------------------------------------------------------------

struct NewCase {
  const char* name;
  int existing;      // macros in the file
  std::string text;  // the name field
  Message shown;     // empty text: the name is added
};

class NewMacroTest : public ::testing::TestWithParam<NewCase> {};

TEST_P(NewMacroTest, ChecksInOrder) {
  const NewCase& c = GetParam();
  EditorFixture f(c.existing);
  const std::string before = f.file();
  f.editor.setNameField(c.text);
  const bool added = f.editor.createMacro();
  EXPECT_EQ(added, c.shown.text.empty());
  if (added) {
    EXPECT_TRUE(f.sink.messages.empty());
    EXPECT_EQ(f.editor.macros().back(), c.text);
    EXPECT_EQ(f.editor.selectedMacro(), c.existing);
    EXPECT_TRUE(f.editor.sequence().empty());
  } else {
    EXPECT_EQ(f.sink.messages, std::vector<Message>{c.shown});
    EXPECT_EQ(f.editor.macros().size(), static_cast<std::size_t>(c.existing));
  }
  EXPECT_EQ(f.file(), before) << "New writes nothing";
}

const Message kBlank{en(TextId::MacroNameBlank), ""};
const Message kTooMany{"Macro numbers up to 12.", "Warning"};
const Message kExists{en(TextId::MacroNameExists), ""};
const Message kTooLong{kMacroNameTooLongText, ""};
const Message kUnstorable{kMacroNameUnstorableText, ""};

INSTANTIATE_TEST_SUITE_P(Names, NewMacroTest,
                         ::testing::Values(NewCase{"Plain", 3, "Copy", {}},
                                           NewCase{"BlankFirstEvenWithTwelve", 12, "", kBlank},
                                           NewCase{"OnlyBlanksIsBlank", 2, "   ", kBlank},
                                           NewCase{"ThirteenthWhateverTheName", 12, "m1", kTooMany},
                                           NewCase{"SameNameOtherCase", 3, "m2", kExists},
                                           NewCase{"EleventhIsFine", 10, "X", {}},
                                           NewCase{"ThirtyOneUnits", 0, std::string(31, 'x'), {}},
                                           NewCase{"ThirtyTwoUnits", 0, std::string(32, 'x'), kTooLong},
                                           NewCase{"SixteenCharactersPastTheBmp", 0,
                                                   [] {
                                                     std::string s;
                                                     for (int i = 0; i < 16; ++i) s += "\xF0\x9F\x98\x80";
                                                     return s;
                                                   }(),
                                                   kTooLong},
                                           NewCase{"ThirtyOneChineseCharacters",
                                                   0,
                                                   [] {
                                                     std::string s;
                                                     for (int i = 0; i < 31; ++i) s += "\xE5\xAE\x8F";
                                                     return s;
                                                   }(),
                                                   {}},
                                           NewCase{"OpenBracket", 1, "a[b", kUnstorable},
                                           NewCase{"CloseBracket", 1, "a]b", kUnstorable},
                                           NewCase{"EqualsSign", 1, "a=b", kUnstorable},
                                           NewCase{"LineBreak", 1, "a\nb", kUnstorable},
                                           NewCase{"LeadingBlank", 1, " a", kUnstorable},
                                           NewCase{"TrailingTab", 1, "a\t", kUnstorable},
                                           NewCase{"Escape", 1, "a\x1b[2Jb", kUnstorable},
                                           NewCase{"C1Control", 1,
                                                   "a\xC2\x85"
                                                   "b",
                                                   kUnstorable},
                                           NewCase{"NotUtf8", 1,
                                                   "a\xFF\xFE"
                                                   "b",
                                                   kUnstorable},
                                           NewCase{"InnerBlankIsFine", 1, "Copy and paste", {}}),
                         test::ParamName());

TEST(MacroEditor, DeleteRemovesTheSectionAndKeepsTheImages) {
  EditorFixture f;
  const MouseConfig images = f.config;
  f.editor.selectMacro(1);
  ASSERT_TRUE(f.editor.removeMacro());
  EXPECT_EQ(f.editor.macros(), (Lines{"M1", "M3"}));
  EXPECT_EQ(listMacros(f.path), (Lines{"M1", "M3"}));
  EXPECT_EQ(f.editor.selectedMacro(), -1);
  EXPECT_TRUE(f.editor.sequence().empty());
  EXPECT_EQ(f.editor.nameField(), "");
  EXPECT_TRUE(f.config == images);
  EXPECT_FALSE(f.editor.removeMacro()) << "nothing selected";
  EXPECT_FALSE(f.editor.confirm());
  EXPECT_EQ(listMacros(f.path), (Lines{"M1", "M3"}));
}

// ---- Confirm ----------------------------------------------------------------------------

TEST(MacroEditor, ConfirmOnTheFirstOfThreeKeepsEveryNumberAndLoopCount) {
  EditorFixture f;
  f.editor.setNameField("renamed");  // the list's name is written, not the field's
  f.editor.chooseMouseEvent(0);      // nothing selected: only the face changes
  f.editor.selectLine(2);
  f.editor.chooseMouseEvent(0);  // "L-Button Click" after "A   Up"
  ASSERT_TRUE(f.editor.confirm());
  EXPECT_TRUE(f.sink.messages.empty());
  EXPECT_EQ(listMacros(f.path), (Lines{"M1", "M2", "M3"}));
  EXPECT_EQ(f.editor.macros(), (Lines{"M1", "M2", "M3"}));
  EXPECT_EQ(readMacro(f.path, "M1").items.size(), 7u);
  const std::uint8_t first[] = {0x00, 0x0B, 0x05, 0x04, 0x85, 0x04, 0x05, 0xF0, 0x80, 0xF0, 0x00};
  EXPECT_EQ(std::memcmp(f.config.macroImage[0], first, sizeof first), 0);
  for (int slot = 0; slot < 3; ++slot) EXPECT_EQ(loopTimes(f.config, slot), 11 + slot);
  const std::uint8_t third[] = {0x00, 0x0D, 0x05, 0x06, 0x80, 0x06, 0x00};
  EXPECT_EQ(std::memcmp(f.config.macroImage[2], third, sizeof third), 0);
}

TEST(MacroEditor, ConfirmOfAnEmptyListWritesCountZeroAndAnEmptyImage) {
  EditorFixture f;
  f.editor.selectMacro(1);
  while (!f.editor.sequence().empty()) {
    f.editor.selectLine(0);
    ASSERT_TRUE(f.editor.deleteSelectedLine());
  }
  ASSERT_TRUE(f.editor.confirm());
  EXPECT_EQ(profile::getString(f.path, "M2", "ItemCount"), "0");
  EXPECT_EQ(profile::getString(f.path, "M2", "Item0", "<none>"), "<none>");
  const std::uint8_t zero[kMacroImageSize] = {};
  EXPECT_EQ(std::memcmp(f.config.macroImage[1], zero, kMacroImageSize), 0);
}

TEST(MacroEditor, ConfirmOfANewMacroAppendsItWithTheLoopFieldsCount) {
  EditorFixture f(0);
  f.editor.setNameField("Second");
  ASSERT_TRUE(f.editor.createMacro());
  f.editor.setNameField("First");
  ASSERT_TRUE(f.editor.createMacro());
  f.editor.startRecording();
  f.editor.recordKey({"A"});
  ASSERT_TRUE(f.editor.confirm());
  // Confirmed first, so it is macro 1 and its list line moves to the top.
  EXPECT_EQ(listMacros(f.path), Lines{"First"});
  EXPECT_EQ(f.editor.macros(), (Lines{"First", "Second"}));
  EXPECT_EQ(f.editor.selectedMacro(), 0);
  EXPECT_EQ(f.editor.loopField(), "1") << "an empty loop field gives the macro one loop";
  const std::uint8_t image[] = {0x00, 0x01, 0x00, 0x04, 0x00};
  EXPECT_EQ(std::memcmp(f.config.macroImage[0], image, sizeof image), 0);
}

TEST(MacroEditor, ConfirmWarnsAboutACutMacroAndSectionsWithoutImage) {
  EditorFixture f(13);
  for (int k = 0; k < 70; ++k) f.editor.recordKey({"A"});  // not recording: nothing
  EXPECT_EQ(f.editor.sequence().size(), 3u);
  f.editor.startRecording();
  for (int k = 0; k < 70; ++k) f.editor.recordKey({"Num " + std::to_string(k / 2 % 10), k % 2 == 1});
  f.sink.messages.clear();
  ASSERT_TRUE(f.editor.confirm());
  EXPECT_EQ(
      f.sink.messages,
      (std::vector<Message>{{"Macro 1 \"M1\" was cut to its first 63 events to fit its 128-byte image.\n"
                             "Macro 13 \"M13\" has no image: only the first 12 macros reach the mouse.",
                             "Warning"}}));
}

TEST(MacroEditor, LoopFieldGoesIntoTheSelectedImage) {
  struct Case {
    std::string text, shown;
    int stored;
  };
  for (const Case& c : {Case{"3", "3", 3}, Case{"65535", "65535", 65535}, Case{"0", "1", 1}, Case{"", "1", 1},
                        Case{"70000", "1", 1}, Case{"65536", "1", 1}}) {
    EditorFixture f;
    f.editor.selectMacro(1);
    f.editor.setLoopField(c.text);
    EXPECT_EQ(f.editor.loopField(), c.shown) << c.text;
    EXPECT_EQ(loopTimes(f.config, 1), c.stored) << c.text;
    EXPECT_EQ(loopTimes(f.config, 0), 11);
    f.editor.selectMacro(-1);
    f.editor.setLoopField("7");
    EXPECT_EQ(loopTimes(f.config, 1), c.stored) << "without a selection only the field changes";
  }
}

// ---- delays and mouse events -------------------------------------------------------------

TEST(MacroEditor, DelayAnswersOutsideTheRangeBecomeFiftyMs) {
  struct Case {
    long delay;
    std::string text, line;
  };
  for (const Case& c :
       {Case{0, "", "50 ms"}, Case{49, "49", "50 ms"}, Case{50, "50", "50 ms"}, Case{2500, "2500", "2500 ms"},
        Case{10000, "10000", "10000 ms"}, Case{10001, "10001", "50 ms"}, Case{-5, "-5", "50 ms"}}) {
    EXPECT_EQ(delayLine(c.delay, c.text), c.line) << c.delay;
    EditorFixture f;
    ASSERT_TRUE(f.editor.editDelay(1, [&] {
      return std::optional<DelayAnswer>(DelayAnswer{c.delay, c.text});
    }));
    EXPECT_EQ(f.editor.sequence(), (Lines{"A   Dn", c.line, "A   Up"}));
    EXPECT_EQ(f.editor.selectedLine(), 1);
  }
  EditorFixture f;
  int asked = 0;
  auto ask = [&] {
    ++asked;
    return std::optional<DelayAnswer>();
  };
  EXPECT_FALSE(f.editor.editDelay(0, ask)) << "a key line";
  EXPECT_EQ(asked, 0);
  EXPECT_FALSE(f.editor.editDelay(1, ask)) << "cancelled";
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(f.editor.sequence()[1], "50 ms");
}

struct InsertCase {
  const char* name;
  int after;  // selected line of "A   Dn", "50 ms", "A   Up"
  int choice;
  Lines sequence;
  int selected;
};

class MouseEventTest : public ::testing::TestWithParam<InsertCase> {};

TEST_P(MouseEventTest, InsertedAfterTheSelectedLine) {
  const InsertCase& c = GetParam();
  EditorFixture f;
  f.editor.selectLine(c.after);
  f.editor.chooseMouseEvent(c.choice);
  EXPECT_EQ(f.editor.sequence(), c.sequence);
  EXPECT_EQ(f.editor.selectedLine(), c.selected);
  EXPECT_EQ(f.editor.mouseEventFace(), kMouseEventChoices[static_cast<std::size_t>(c.choice)]);
}

INSTANTIATE_TEST_SUITE_P(
    Choices, MouseEventTest,
    ::testing::Values(
        InsertCase{"ClickAfterAKeyLine",
                   0,
                   0,
                   {"A   Dn", "50 ms", "L-Button   Dn", "50 ms", "L-Button   Up", "50 ms", "A   Up"},
                   2},
        InsertCase{"ClickAfterADelay",
                   1,
                   2,
                   {"A   Dn", "50 ms", "M-Button   Dn", "50 ms", "M-Button   Up", "50 ms", "A   Up"},
                   2},
        InsertCase{"ReleaseAfterADelay", 1, 6, {"A   Dn", "50 ms", "R-Button   Up", "50 ms", "A   Up"}, 2},
        InsertCase{"PressAfterTheLastLine", 2, 3, {"A   Dn", "50 ms", "A   Up", "50 ms", "L-Button   Dn"}, 4},
        InsertCase{"NoSelectedLine", -1, 1, {"A   Dn", "50 ms", "A   Up"}, -1}),
    test::ParamName());

// ---- recording -------------------------------------------------------------------------

KeyStroke press(const std::string& k) { return {k, false, false, false}; }
KeyStroke repeat(const std::string& k, bool release = false) { return {k, release, true, false}; }
KeyStroke release(const std::string& k) { return {k, true, false, false}; }
KeyStroke ctrlBreak() { return {"Pause", false, false, true}; }
// Strokes with the window system's time, as the display server sends them.
KeyStroke pressAt(const std::string& k, std::uint64_t t) { return {k, false, false, false, t}; }
KeyStroke releaseAt(const std::string& k, std::uint64_t t) { return {k, true, false, false, t}; }

struct RecordCase {
  const char* name;
  std::vector<KeyStroke> strokes;
  Lines lines;
  bool recording;  // afterwards
};

class RecorderTest : public ::testing::TestWithParam<RecordCase> {};

TEST_P(RecorderTest, Lines) {
  EditorFixture f;
  f.editor.startRecording();
  ASSERT_TRUE(f.editor.recording());
  for (const KeyStroke& k : GetParam().strokes) f.editor.recordKey(k);
  f.editor.settleKeys();  // the window's timer after the last stroke
  EXPECT_EQ(f.editor.sequence(), GetParam().lines);
  EXPECT_EQ(f.editor.selectedLine(), static_cast<int>(GetParam().lines.size()) - 1);
  EXPECT_EQ(f.editor.recording(), GetParam().recording);
}

const std::string kLongName(40, 'K');

INSTANTIATE_TEST_SUITE_P(
    Strokes, RecorderTest,
    ::testing::Values(
        RecordCase{"AThenB",
                   {press("A"), release("A"), press("B"), release("B")},
                   {"A   Dn", "50 ms", "A   Up", "50 ms", "B   Dn", "50 ms", "B   Up"},
                   true},
        RecordCase{"HeldKeyRecordsOnePress",
                   {press("A"), repeat("A"), repeat("A", true), repeat("A"), release("A")},
                   {"A   Dn", "50 ms", "A   Up"},
                   true},
        RecordCase{"HeldKeyRepeatingAsPressesOnly",
                   {press("A"), press("A"), press("A"), release("A")},
                   {"A   Dn", "50 ms", "A   Up"},
                   true},
        RecordCase{"HeldKeyRepeatingAsReleaseAndPressAtOneTime",
                   {pressAt("C", 10), releaseAt("C", 670), pressAt("C", 670), releaseAt("C", 710),
                    pressAt("C", 710), releaseAt("C", 2000)},
                   {"C   Dn", "50 ms", "C   Up"},
                   true},
        RecordCase{"ReleaseAndPressAtTwoTimesAreBoth",
                   {pressAt("C", 10), releaseAt("C", 20), pressAt("C", 30), releaseAt("D", 30)},
                   {"C   Dn", "50 ms", "C   Up", "50 ms", "C   Dn", "50 ms", "D   Up"},
                   true},
        RecordCase{"HeldBackReleaseComesBeforeCtrlBreak",
                   {pressAt("A", 10), releaseAt("A", 20), pressAt("Ctrl", 30), ctrlBreak()},
                   {"A   Dn", "50 ms", "A   Up"},
                   false},
        RecordCase{"ReleaseOfAKeyHeldBeforeTheStart",
                   {release("Shift"), press("A")},
                   {"50 ms", "Shift   Up", "A   Dn"},  // a release leaves the first press pending
                   true},
        RecordCase{
            "RepeatOfAnotherKeyIsAPress", {press("A"), repeat("B")}, {"A   Dn", "50 ms", "B   Dn"}, true},
        RecordCase{"CtrlBreakTakesBackTheCtrlPress",
                   {press("A"), release("A"), press("Ctrl"), repeat("Ctrl"), ctrlBreak(), release("Pause"),
                    release("Ctrl")},
                   {"A   Dn", "50 ms", "A   Up"},
                   false},
        RecordCase{"CtrlBreakFirst", {press("Right Ctrl"), ctrlBreak()}, {}, false},
        RecordCase{"CtrlBreakAfterAnotherKeyKeepsIt",
                   {press("Ctrl"), press("Shift"), ctrlBreak()},
                   {"Ctrl   Dn", "50 ms", "Shift   Dn"},
                   false},
        RecordCase{"PauseWithoutCtrlIsRecorded", {press("Pause")}, {"Pause   Dn"}, true},
        RecordCase{"NamesCutTo31", {press(kLongName)}, {std::string(31, 'K') + "   Dn"}, true}),
    test::ParamName());

TEST(Recorder, StartAndStopShowTheirBoxesInOrder) {
  const Message start{en(TextId::StartRecording), ""};
  const Message stop{en(TextId::StopRecording), ""};
  const Message notStarted{en(TextId::NotRecording), "Warning"};
  const std::string title = "title " + en(TextId::PressCtrlBreak);

  EditorFixture f;
  f.editor.stopRecording();
  f.editor.stopRecording();
  EXPECT_EQ(f.sink.messages, (std::vector<Message>{stop, notStarted, stop, notStarted}));
  EXPECT_TRUE(f.host.calls.empty());

  f.sink.messages.clear();
  f.editor.startRecording();
  EXPECT_TRUE(f.editor.sequence().empty()) << "Start clears the sequence";
  f.editor.startRecording();  // restarts
  f.editor.stopRecording();
  f.editor.stopRecording();
  EXPECT_EQ(f.sink.messages, (std::vector<Message>{start, start, stop, stop, notStarted}));
  EXPECT_EQ(f.host.calls, (Lines{"install", title, "remove", "install", title, "remove"}));
  EXPECT_EQ(f.editor.recorder().firstEvent(), FirstEvent::Stopped);

  EditorFixture empty(0);
  empty.editor.startRecording();
  EXPECT_EQ(empty.sink.messages, (std::vector<Message>{{en(TextId::MacroNameBlank), "Warning"}}));
  EXPECT_TRUE(empty.host.calls.empty()) << "no key source";

  EditorFixture failing;
  failing.host.failCode = 13;
  failing.editor.startRecording();
  EXPECT_EQ(failing.sink.messages,
            (std::vector<Message>{start, {"JournalRecordHook Install error code :13\n", ""}}));
  EXPECT_FALSE(failing.editor.recording());
  EXPECT_EQ(failing.host.calls, Lines{"install"}) << "the title stays";
}

TEST(Recorder, EventsWithoutASelectedMacroAreDroppedAndLeavingEndsSilently) {
  EditorFixture f;
  f.editor.startRecording();
  f.editor.selectMacro(-1);
  f.editor.recordKey(press("A"));
  EXPECT_TRUE(f.editor.sequence().empty());
  EXPECT_EQ(f.editor.recorder().firstEvent(), FirstEvent::Pending);
  f.editor.selectMacro(0);
  f.sink.messages.clear();
  f.editor.reset();
  EXPECT_FALSE(f.editor.recording());
  EXPECT_FALSE(f.editor.recorder().started());
  EXPECT_TRUE(f.sink.messages.empty());
  EXPECT_EQ(f.host.calls.back(), "remove");
}

}  // namespace
}  // namespace hm
