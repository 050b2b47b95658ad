// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/settings/profile_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <functional>

#include "core/settings/regular_file.h"
#include "support/param_name.h"
#include "support/recording_sink.h"
#include "support/temp_dir.h"

namespace hm::profile {
namespace {

using test::readFile;
using test::TempDir;
using test::writeFile;

// ---- Reading ----------------------------------------------------------------

struct ReadCase {
  const char* name;
  std::string file;
  const char* section;
  const char* key;
  const char* expected;  // with default "<none>"
};

class ProfileRead : public ::testing::TestWithParam<ReadCase> {};

TEST_P(ProfileRead, Value) {
  const ReadCase& c = GetParam();
  TempDir dir;
  writeFile(dir.file("a.ini"), c.file);
  EXPECT_EQ(getString(dir.file("a.ini"), c.section, c.key, "<none>"), c.expected);
  EXPECT_EQ(ProfileDocument::parse(c.file).get(c.section, c.key, "<none>"), c.expected);
}

const std::string kUtf16File = std::string("\xFF\xFE[\0S\0]\0\r\0\n\0k\0=\0\xE4\0\r\0\n\0", 22);

INSTANTIATE_TEST_SUITE_P(
    Semantics, ProfileRead,
    ::testing::Values(ReadCase{"plain", "[S]\nk=v\n", "S", "k", "v"},
                      ReadCase{"section_case", "[Setting-EN]\nItem1=x\n", "setting-en", "Item1", "x"},
                      ReadCase{"key_case", "[S]\nItemCount=3\n", "S", "ITEMCOUNT", "3"},
                      ReadCase{"non_ascii_section_case", "[\xC3\x89t\xC3\xA9]\nk=v\n", "\xC3\xA9T\xC3\x89",
                               "k", "v"},
                      ReadCase{"non_ascii_key_case", "[S]\n\xD0\x9C\xD0\xB0\xD0\xBA=1\n", "S",
                               "\xD0\xBC\xD0\x90\xD0\x9A", "1"},
                      ReadCase{"blanks_trimmed", "  [ S ]  \n\t k \t=  v w \t\n", "S", "k", "v w"},
                      ReadCase{"query_names_trimmed", "[S]\nk=v\n", " S ", " k ", "v"},
                      ReadCase{"first_key_wins", "[S]\nk=1\nK=2\n", "S", "k", "1"},
                      ReadCase{"first_section_wins", "[S]\nk=1\n[s]\nk=2\n", "s", "k", "1"},
                      ReadCase{"later_same_section_unseen", "[S]\na=1\n[s]\nk=2\n", "S", "k", "<none>"},
                      ReadCase{"missing_key", "[S]\nk=v\n", "S", "x", "<none>"},
                      ReadCase{"missing_section", "[S]\nk=v\n", "T", "k", "<none>"},
                      ReadCase{"key_before_any_section", "k=v\n[S]\n", "S", "k", "<none>"},
                      ReadCase{"empty_value", "[S]\nk=\n", "S", "k", ""},
                      ReadCase{"value_with_equals", "[S]\nk=a=b\n", "S", "k", "a=b"},
                      ReadCase{"quotes_removed", "[S]\nk=\"  v  \"\n", "S", "k", "  v  "},
                      ReadCase{"single_quotes_removed", "[S]\nk='a b'\n", "S", "k", "a b"},
                      ReadCase{"unmatched_quotes_kept", "[S]\nk=\"a'\n", "S", "k", "\"a'"},
                      ReadCase{"single_quote_char_kept", "[S]\nk=\"\n", "S", "k", "\""},
                      ReadCase{"comment_not_key", "[S]\n;k=v\n", "S", ";k", "<none>"},
                      ReadCase{"line_without_equals", "[S]\nk\n", "S", "k", "<none>"},
                      ReadCase{"crlf", "[S]\r\nk=v\r\n", "S", "k", "v"},
                      ReadCase{"no_final_newline", "[S]\nk=v", "S", "k", "v"},
                      ReadCase{"section_to_last_bracket", "[a]b]\nk=v\n", "a]b", "k", "v"},
                      ReadCase{"unclosed_bracket_is_junk", "[S\nk=v\n", "S", "k", "<none>"},
                      ReadCase{"utf8_bom", "\xEF\xBB\xBF[S]\nk=v\n", "S", "k", "v"},
                      ReadCase{"utf8_text", "[Setting-CHS]\nItem1=\xE5\xB7\xA6\xE9\x94\xAE\n", "Setting-CHS",
                               "Item1", "\xE5\xB7\xA6\xE9\x94\xAE"},
                      ReadCase{"utf16le_bom", kUtf16File, "S", "k", "\xC3\xA4"},
                      ReadCase{"empty_file", "", "S", "k", "<none>"}),
    hm::test::ParamName());

TEST(ProfileRead, MissingFileGivesDefaultAndNoSections) {
  TempDir dir;
  EXPECT_EQ(getString(dir.file("none.ini"), "S", "k", "d"), "d");
  EXPECT_TRUE(sectionNames(dir.file("none.ini")).empty());
  EXPECT_FALSE(fileExists(dir.file("none.ini")));
  const Result<ProfileDocument> missing = ProfileDocument::load(dir.file("none.ini"));
  ASSERT_TRUE(missing);
  EXPECT_FALSE(missing.value().existed());
}

TEST(ProfileRead, SectionNamesInFileOrderOnceWithFirstSpelling) {
  TempDir dir;
  writeFile(dir.file("a.ini"), "x=1\n[Zeta]\n[alpha]\n[ZETA]\n[Mid]\n;[Gone]\n");
  EXPECT_EQ(sectionNames(dir.file("a.ini")), (std::vector<std::string>{"Zeta", "alpha", "Mid"}));
}

// ---- Writing ----------------------------------------------------------------

using Op = std::function<Status(const std::string& path)>;

struct WriteCase {
  const char* name;
  std::string before;  // "<missing>" = no file
  Op op;
  std::string after;
};

Op write(const char* s, const char* k, const char* v) {
  return [=](const std::string& p) { return writeString(p, s, k, v); };
}
Op eraseKey(const char* s, const char* k) {
  return [=](const std::string& p) { return deleteKey(p, s, k); };
}
Op eraseSection(const char* s) {
  return [=](const std::string& p) { return deleteSection(p, s); };
}

class ProfileWrite : public ::testing::TestWithParam<WriteCase> {};

TEST_P(ProfileWrite, FileAfterwards) {
  const WriteCase& c = GetParam();
  TempDir dir;
  const std::string path = dir.file("a.ini");
  if (c.before != "<missing>") writeFile(path, c.before);
  EXPECT_TRUE(c.op(path));
  if (c.after == "<missing>") {
    EXPECT_FALSE(fileExists(path));
  } else {
    EXPECT_EQ(readFile(path), c.after);
  }
  EXPECT_EQ(test::folderEntries(dir.path()).size(), c.after == "<missing>" ? 0u : 1u)
      << "temporary file left behind";
}

const std::string kBase = "; top comment\n[A]\nk=1\n\n[B]\nx=2\n";

INSTANTIATE_TEST_SUITE_P(
    Semantics, ProfileWrite,
    ::testing::Values(
        WriteCase{"creates_file", "<missing>", write("S", "k", "v"), "[S]\nk=v\n"},
        WriteCase{"replace_in_place_keeps_spelling", kBase, write("a", "K", "9"),
                  "; top comment\n[A]\nk=9\n\n[B]\nx=2\n"},
        WriteCase{"append_to_section_before_blank_line", kBase, write("A", "n", "3"),
                  "; top comment\n[A]\nk=1\nn=3\n\n[B]\nx=2\n"},
        WriteCase{"new_section_at_end", kBase, write("C", "c", "4"),
                  "; top comment\n[A]\nk=1\n\n[B]\nx=2\n[C]\nc=4\n"},
        WriteCase{"junk_lines_kept", "junk line\n[A]\n  ;note\nrubbish\nk=1\n", write("A", "k", "2"),
                  "junk line\n[A]\n  ;note\nrubbish\nk=2\n"},
        WriteCase{"crlf_kept", "[A]\r\nk=1\r\n", write("A", "n", "2"), "[A]\r\nk=1\r\nn=2\r\n"},
        WriteCase{"last_line_without_newline", "[A]\nk=1", write("B", "n", "2"), "[A]\nk=1\n[B]\nn=2\n"},
        WriteCase{"empty_section_gets_key", "[A]\n[B]\n", write("A", "k", "1"), "[A]\nk=1\n[B]\n"},
        WriteCase{"blanks_kept_through_quotes", "<missing>", write("S", "k", " v "), "[S]\nk=\" v \"\n"},
        WriteCase{"value_cut_at_line_break", "<missing>", write("S", "k", "a\n[X]\nb"), "[S]\nk=a\n"},
        WriteCase{"utf8_bom_kept", "\xEF\xBB\xBF[A]\nk=1\n", write("A", "k", "2"), "\xEF\xBB\xBF[A]\nk=2\n"},
        WriteCase{"utf16le_kept", kUtf16File, write("S", "n", "\xE2\x82\xAC"),
                  kUtf16File + std::string("n\0=\0\xAC\x20\r\0\n\0", 10)},
        WriteCase{"delete_key", kBase, eraseKey("a", "K"), "; top comment\n[A]\n\n[B]\nx=2\n"},
        WriteCase{"delete_key_every_copy", "[A]\nk=1\nK=2\nm=3\n", eraseKey("A", "k"), "[A]\nm=3\n"},
        WriteCase{"delete_missing_key_leaves_file", kBase, eraseKey("A", "zz"), kBase},
        WriteCase{"delete_section", kBase, eraseSection("a"), "; top comment\n[B]\nx=2\n"},
        WriteCase{"delete_section_non_ascii_case", "[\xC3\xA9t\xC3\xA9]\nk=1\n[B]\n",
                  eraseSection("\xC3\x89T\xC3\x89"), "[B]\n"},
        WriteCase{"replace_non_ascii_key_in_place", "[A]\n\xC3\xA4=1\n", write("a", "\xC3\x84", "2"),
                  "[A]\n\xC3\xA4=2\n"},
        WriteCase{"delete_section_every_copy", "[A]\n1=1\n[B]\n[a]\n2=2\n", eraseSection("A"), "[B]\n"},
        WriteCase{"delete_on_missing_file_creates_nothing", "<missing>", eraseSection("A"), "<missing>"}),
    hm::test::ParamName());

TEST(ProfileWrite, DeleteThenRewriteMovesSectionToTheEnd) {
  TempDir dir;
  const std::string path = dir.file("record.ini");
  for (const char* name : {"One", "Two", "Three"}) ASSERT_TRUE(writeString(path, name, "ItemCount", "0"));
  ASSERT_TRUE(deleteSection(path, "one"));
  ASSERT_TRUE(writeString(path, "One", "ItemCount", "2"));
  EXPECT_EQ(sectionNames(path), (std::vector<std::string>{"Two", "Three", "One"}));
  EXPECT_EQ(getString(path, "ONE", "itemcount"), "2");
}

TEST(ProfileWrite, RefusesNamesThatCannotBeStored) {
  struct Bad {
    const char* section;
    const char* key;
  };
  const Bad cases[] = {{"", "k"},   {"  ", "k"}, {"a\nb", "k"}, {"S", ""},   {"S", "a=b"},
                       {"S", "[k"}, {"S", ";k"}, {"S", "#k"},   {"S", "k\r"}};
  TempDir dir;
  for (const Bad& b : cases) {
    EXPECT_FALSE(writeString(dir.file("a.ini"), b.section, b.key, "v")) << b.section << "/" << b.key;
  }
  EXPECT_FALSE(fileExists(dir.file("a.ini")));
}

TEST(ProfileWrite, RoundTripsAwkwardValues) {
  const std::string values[] = {
      "",    " ",   "\"",      "\"q\"",   "'q'",      "''",  "'\"",          " \" ",
      "a;b", "x=y", "tab\tin", "\t lead", "trail \t", "[S]", "\xE4\xB8\xAD", std::string("n\0ul", 4)};
  for (const std::string& start : {std::string(), kUtf16File, std::string("\xEF\xBB\xBF")}) {
    TempDir dir;
    const std::string path = dir.file("a.ini");
    if (!start.empty()) writeFile(path, start);
    for (std::size_t i = 0; i < std::size(values); ++i)
      ASSERT_TRUE(writeString(path, "S", "k" + std::to_string(i), values[i]));
    ProfileDocument doc = ProfileDocument::read(path);
    for (std::size_t i = 0; i < std::size(values); ++i)
      EXPECT_EQ(doc.get("S", "k" + std::to_string(i), "<none>"), values[i]) << i;
  }
}

TEST(ProfileWrite, KeepsPermissionsAndFollowsSymlinks) {
  TempDir dir;
  const std::string real = dir.file("real.ini"), link = dir.file("link.ini");
  writeFile(real, "[A]\nk=1\n");
  ASSERT_EQ(::chmod(real.c_str(), 0640), 0);
  ASSERT_EQ(::symlink(real.c_str(), link.c_str()), 0);
  ASSERT_TRUE(writeString(link, "A", "k", "2"));
  struct stat st {};
  ASSERT_EQ(::lstat(link.c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  ASSERT_EQ(::stat(real.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  EXPECT_EQ(getString(real, "A", "k"), "2");
}

TEST(ProfileWrite, FailsWithoutTouchingAnythingWhenTheFolderIsMissing) {
  TempDir dir;
  EXPECT_FALSE(writeString(dir.file("no/such/folder/a.ini"), "S", "k", "v"));
  EXPECT_TRUE(test::folderEntries(dir.path()).empty());
}

TEST(ProfileWrite, ADirectoryInThePathsPlaceIsNotReplaced) {
  TempDir dir;
  ASSERT_EQ(::mkdir(dir.file("a.ini").c_str(), 0755), 0);
  EXPECT_FALSE(writeString(dir.file("a.ini"), "S", "k", "v"));
  EXPECT_FALSE(deleteSection(dir.file("a.ini"), "S"));
  EXPECT_FALSE(ProfileDocument::read(dir.file("a.ini")).existed());
  EXPECT_EQ(ProfileDocument::load(dir.file("a.ini")).error().code, EISDIR);
  EXPECT_TRUE(ProfileDocument::load(dir.file("missing.ini")));
  struct stat st {};
  ASSERT_EQ(::stat(dir.file("a.ini").c_str(), &st), 0);
  EXPECT_TRUE(S_ISDIR(st.st_mode));
}

TEST(ProfileWrite, AFifoInThePathsPlaceIsNeitherWaitedForNorReplaced) {
  TempDir dir;
  const std::string path = dir.file("str.ini");
  ASSERT_EQ(::mkfifo(path.c_str(), 0644), 0);
  EXPECT_EQ(getString(path, "S", "k", "d"), "d");
  EXPECT_EQ(ProfileDocument::load(path).error().code, EINVAL);
  EXPECT_FALSE(writeString(path, "S", "k", "v"));
  struct stat st {};
  ASSERT_EQ(::lstat(path.c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
  EXPECT_EQ(test::folderEntries(dir.path()).size(), 1u);
}

TEST(ProfileDocument, ManyReadsFromOneParseSeeEditsInMemory) {
  ProfileDocument doc = ProfileDocument::parse("[M]\nItemCount=2\nItem0=A   Dn\nItem1=50 ms\n");
  EXPECT_EQ(doc.get("m", "item0"), "A   Dn");
  ASSERT_TRUE(doc.set("M", "Item2", "A   Up"));
  ASSERT_TRUE(doc.set("M", "ItemCount", "3"));
  EXPECT_EQ(doc.get("M", "Item2"), "A   Up");
  EXPECT_EQ(doc.get("M", "ItemCount"), "3");
  EXPECT_TRUE(doc.removeKey("M", "Item1"));
  EXPECT_FALSE(doc.find("M", "Item1").has_value());
  EXPECT_TRUE(doc.hasSection("m"));
  EXPECT_TRUE(doc.removeSection("M"));
  EXPECT_FALSE(doc.hasSection("M"));
  EXPECT_TRUE(doc.sectionNames().empty());
}

// Reads from the in-memory document agree with a fresh parse of what it
// writes, whatever mix of appends, inserts and removals came before.
TEST(ProfileDocument, InMemoryReadsMatchTheWrittenFile) {
  ProfileDocument doc = ProfileDocument::parse("[A]\na=1\n\n[B]\n");
  for (int i = 0; i < 10; ++i) ASSERT_TRUE(doc.set("B", "k" + std::to_string(i), std::to_string(i)));
  ASSERT_TRUE(doc.set("a", "x", "mid"));
  ASSERT_TRUE(doc.set("C", "y", "new"));
  ASSERT_TRUE(doc.set("C", "z", "next"));
  ASSERT_TRUE(doc.set("b", "K0", "again"));
  ASSERT_TRUE(doc.removeKey("B", "k5"));
  ASSERT_TRUE(doc.set("D", "w", "1"));
  const ProfileDocument reread = ProfileDocument::parse(doc.serialize());
  EXPECT_EQ(doc.sectionNames(), reread.sectionNames());
  EXPECT_EQ(doc.sectionNames(), (std::vector<std::string>{"A", "B", "C", "D"}));
  const std::pair<const char*, const char*> keys[] = {{"A", "a"},  {"A", "x"}, {"B", "k0"}, {"B", "k5"},
                                                      {"B", "k9"}, {"C", "y"}, {"C", "z"},  {"D", "w"}};
  for (const auto& [section, key] : keys)
    EXPECT_EQ(doc.get(section, key, "<none>"), reread.get(section, key, "<none>")) << section << key;
  EXPECT_EQ(doc.get("B", "k0"), "again");
  EXPECT_EQ(doc.get("A", "x"), "mid");
}

// A file's sections replaced by new ones, written straight (parseHead,
// serializeWith) and through the lines of a whole document (every section
// removed, setAll, serialize): the same bytes, whatever the file's
// encoding, line endings, lines outside the sections and last line.
struct ReplaceCase {
  const char* name;
  std::string file;
};

class ProfileReplaceAll : public ::testing::TestWithParam<ReplaceCase> {};

TEST_P(ProfileReplaceAll, WrittenStraightAsThroughTheDocument) {
  const std::string& file = GetParam().file;
  const std::vector<std::pair<std::string, std::string>> keys = {{"ItemCount", "3"},
                                                                 {"Item0", "A   Dn"},
                                                                 {"Item1", " padded "},
                                                                 {"Item2", "\"quoted\""},
                                                                 {" Item3 ", "x\ny"}};
  const std::vector<std::string> names = {"M1", " Spaced ", "Été"};
  ProfileDocument whole = ProfileDocument::parse(file);
  for (const std::string& n : whole.sectionNames()) whole.removeSection(n);
  std::vector<ProfileDocument::NewSection> sections;
  for (const std::string& n : names) {
    ASSERT_TRUE(whole.setAll(n, keys));
    sections.push_back({n, keys.size(), [&](std::size_t i) { return keys[i]; }});
  }
  const Result<std::string> straight = ProfileDocument::parseHead(file).serializeWith(sections);
  ASSERT_TRUE(straight);
  EXPECT_EQ(straight.value(), whole.serialize());
  // And with no sections: the file with its sections removed.
  EXPECT_EQ(ProfileDocument::parseHead(file).serializeWith({}).value(), [&] {
    ProfileDocument d = ProfileDocument::parse(file);
    for (const std::string& n : d.sectionNames()) d.removeSection(n);
    return d.serialize();
  }());
}

INSTANTIATE_TEST_SUITE_P(
    Files, ProfileReplaceAll,
    ::testing::Values(ReplaceCase{"Empty", ""}, ReplaceCase{"OnlySections", "[A]\nk=1\n[B]\n"},
                      ReplaceCase{"HeadLinesAndCrLf", "; kept\r\nloose=1\r\n\r\n[A]\r\nk=1\r\n"},
                      ReplaceCase{"HeadWithoutLastLineBreak", "; no sections, no last line break"},
                      ReplaceCase{"CrLfAfterAnLfLine", "; first\n[A]\r\nk=1\r\n"},
                      ReplaceCase{"IndentedSectionLine", "x=1\n  [A] trailing\nk=2\n"},
                      ReplaceCase{"Utf8Bom", "\xEF\xBB\xBF; bom\n[A]\nk=1\n"},
                      ReplaceCase{"Utf16WithOddTail",
                                  std::string("\xFF\xFE;\0x\0\r\0\n\0[\0A\0]\0\r\0\n\0!", 19)}),
    test::ParamName());

TEST(ProfileReplaceAll, RefusesNamesThatCannotBeStored) {
  const std::pair<std::string, std::string> key{"k", "v"}, badKey{"a=b", "v"};
  const auto one = [](const std::pair<std::string, std::string>& k) {
    return [k](std::size_t) { return k; };
  };
  const ProfileDocument head = ProfileDocument::parseHead("");
  EXPECT_EQ(head.serializeWith({{"bad\nname", 1, one(key)}}).error().code, EINVAL);
  EXPECT_EQ(head.serializeWith({{"M", 1, one(badKey)}}).error().code, EINVAL);
}

}  // namespace
}  // namespace hm::profile
