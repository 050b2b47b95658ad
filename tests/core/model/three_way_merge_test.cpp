// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/model/three_way_merge.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>

#include "support/param_name.h"

namespace hm {
namespace {

using Image = std::array<std::uint8_t, MouseConfig::kSize>;

MouseConfig recordOf(const Image& bytes) {
  MouseConfig c;
  c.fromBytes(bytes.data());
  return c;
}

Image imageOf(const MouseConfig& c) {
  Image bytes{};
  c.toBytes(bytes.data());
  return bytes;
}

// One byte of the record in the loaded copy, the user's and the file's, and
// what the merge must make of it. Every row sits at its own offset of one
// record, so the rows also show that bytes do not influence each other.
struct ByteRow {
  std::size_t offset;
  std::uint8_t base, mine, theirs, merged;
};

TEST(ThreeWayMerge, TakesTheUsersByteWhereTheUserChangedItElseTheFiles) {
  const ByteRow rows[] = {
      {0, 0x00, 0x00, 0x00, 0x00},     // nobody changed it
      {1, 0x03, 0x07, 0x03, 0x07},     // the user changed it
      {2, 0x03, 0x03, 0x09, 0x09},     // another program changed it
      {3, 0x03, 0x07, 0x09, 0x07},     // both: the user's edit wins
      {4, 0x03, 0x09, 0x09, 0x09},     // both to the same value
      {500, 0xFF, 0x00, 0xFF, 0x00},   // changed to zero by the user
      {1000, 0x10, 0x10, 0x00, 0x00},  // changed to zero elsewhere
      {2020, 0x01, 0x02, 0x04, 0x02},  // the last byte
  };
  Image base{}, mine{}, theirs{}, expected{};
  for (const ByteRow& r : rows) {
    base[r.offset] = r.base;
    mine[r.offset] = r.mine;
    theirs[r.offset] = r.theirs;
    expected[r.offset] = r.merged;
  }
  EXPECT_EQ(imageOf(mergeRecords(recordOf(base), recordOf(mine), recordOf(theirs))), expected);
}

TEST(ThreeWayMerge, ButtonTextsFollowTheSameRuleTextByText) {
  ButtonTexts base, mine, theirs;
  base.text[0][3] = mine.text[0][3] = "Forward";
  theirs.text[0][3] = "Single Key-F5";  // changed elsewhere
  base.text[1][0] = theirs.text[1][0] = "Left Click";
  mine.text[1][0] = "Triple-click";  // changed by the user
  base.text[1][11] = "a";
  mine.text[1][11] = "b";
  theirs.text[1][11] = "c";  // both: the user's
  const ButtonTexts merged = mergeButtonTexts(base, mine, theirs);
  EXPECT_EQ(merged.text[0][3], "Single Key-F5");
  EXPECT_EQ(merged.text[1][0], "Triple-click");
  EXPECT_EQ(merged.text[1][11], "b");
  EXPECT_EQ(merged.text[0][0], "");
}

struct SectionCase {
  const char* name;
  const char *base, *mine, *theirs, *merged;
};
void PrintTo(const SectionCase& c, std::ostream* os) { *os << c.name; }

class MacroSectionMerge : public ::testing::TestWithParam<SectionCase> {};

TEST_P(MacroSectionMerge, KeepsWhatTheUserChangedAndEverythingElseAsTheFileHasIt) {
  const SectionCase& c = GetParam();
  const auto doc = [](const char* text) { return profile::ProfileDocument::parse(text); };
  EXPECT_EQ(mergeMacroSections(doc(c.base), doc(c.mine), doc(c.theirs)).serialize(), c.merged);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MacroSectionMerge,
    ::testing::Values(
        SectionCase{"NobodyChangedAnything", "[A]\nItemCount=0\n", "[A]\nItemCount=0\n", "[A]\nItemCount=0\n",
                    "[A]\nItemCount=0\n"},
        SectionCase{"ChangedElsewhere", "[A]\nItemCount=0\n", "[A]\nItemCount=0\n",
                    "[A]\nItemCount=1\nItem0=B   Dn\n", "[A]\nItemCount=1\nItem0=B   Dn\n"},
        SectionCase{"ChangedByTheUser", "[A]\nItemCount=0\n[B]\nItemCount=0\n",
                    "[A]\nItemCount=1\nItem0=C   Dn\n[B]\nItemCount=0\n",
                    "[A]\nItemCount=0\n[B]\nItemCount=1\nItem0=D   Up\n",
                    "[A]\nItemCount=1\nItem0=C   Dn\n[B]\nItemCount=1\nItem0=D   Up\n"},
        SectionCase{"MadeByTheUserAndElsewhere", "[A]\nItemCount=0\n",
                    "[A]\nItemCount=0\n[Mine]\nItemCount=0\n", "[A]\nItemCount=0\n[Theirs]\nItemCount=0\n",
                    "[A]\nItemCount=0\n[Theirs]\nItemCount=0\n[Mine]\nItemCount=0\n"},
        SectionCase{"DeletedByTheUser", "[A]\nItemCount=0\n[B]\nItemCount=0\n", "[B]\nItemCount=0\n",
                    "[A]\nItemCount=0\n[B]\nItemCount=1\nItem0=E   Dn\n", "[B]\nItemCount=1\nItem0=E   Dn\n"},
        SectionCase{"DeletedElsewhere", "[A]\nItemCount=0\n[B]\nItemCount=0\n",
                    "[A]\nItemCount=0\n[B]\nItemCount=0\n", "[B]\nItemCount=0\n", "[B]\nItemCount=0\n"}),
    test::ParamName());

}  // namespace
}  // namespace hm
