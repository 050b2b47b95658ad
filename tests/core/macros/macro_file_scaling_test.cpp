// SPDX-License-Identifier: GPL-3.0-or-later
// Reading and writing record.ini and str.ini takes work in proportion to the
// file, whatever its shape: many sections, a huge ItemCount, a megabyte-long
// name or value. The measure is the profile engine's lookup work (the bytes
// of names folded for lookups); the wall-clock targets are in
// bench/bench_profile_file.cpp.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "core/macros/macro_encoder.h"
#include "core/macros/macro_record.h"
#include "core/settings/profile_file.h"
#include "support/param_name.h"

namespace hm {
namespace {

using profile::ProfileDocument;

constexpr std::size_t kMiB = 1 << 20;

std::string sections(int n, const std::string& count) {
  std::string s;
  for (int i = 0; i < n; ++i)
    s += "[M" + std::to_string(i) + "]\nItemCount=" + count + "\nItem0=A   Dn\nItem1=50 ms\nItem2=A   Up\n";
  return s;
}

struct ScalingCase {
  const char* name;
  std::function<std::string()> file;
};

const ScalingCase kShapes[] = {
    {"ten_thousand_sections", [] { return sections(10000, "3"); }},
    {"ten_thousand_sections_claiming_65536_items", [] { return sections(10000, "65536"); }},
    {"megabyte_section_name_claiming_65536_items",
     [] { return "[" + std::string(kMiB, 'N') + "]\nItemCount=65536\nItem0=A   Dn\n" + sections(12, "3"); }},
    {"megabyte_key_name",
     [] { return "[M]\nItemCount=2\n" + std::string(kMiB, 'k') + "=1\nItem0=A   Dn\n"; }},
    {"megabyte_item_value", [] { return "[M]\nItemCount=2\nItem0=" + std::string(kMiB, 'x') + "   Dn\n"; }},
    {"megabyte_line_without_equals", [] { return "[M]\nItemCount=1\n" + std::string(kMiB, ';') + "\n"; }},
};

class MacroFileScaling : public ::testing::TestWithParam<ScalingCase> {};

// The rebuild (first twelve sections into images) and the summary of every
// section (`show`) each look every name up a bounded number of times.
TEST_P(MacroFileScaling, RebuildAndSummaryLookupWorkFollowsTheFileSize) {
  const std::string bytes = GetParam().file();
  {
    const ProfileDocument doc = ProfileDocument::parse(bytes);
    MouseConfig config{};
    const auto reports = rebuildMacroImages(doc, &config);
    EXPECT_FALSE(reports.empty());
    EXPECT_LE(doc.lookupWork(), 4 * bytes.size());
  }
  {
    const ProfileDocument doc = ProfileDocument::parse(bytes);
    const auto reports = rebuildMacroImages(doc, nullptr);
    EXPECT_LE(doc.lookupWork(), 4 * bytes.size());
  }
}

// Setting the 24 button texts of a section at the top of a long file, and
// writing a macro at its end, each fold every name about once.
TEST_P(MacroFileScaling, ChangesFollowTheFileSize) {
  const std::string bytes = "[Setting-EN]\nItem1=x\n" + GetParam().file();
  ProfileDocument doc = ProfileDocument::parse(bytes);
  for (int k = 2; k <= 24; ++k) ASSERT_TRUE(doc.set("Setting-EN", "Item" + std::to_string(k) + "3", "text"));
  doc.removeSection("M1");
  for (int k = 0; k < 24; ++k) ASSERT_TRUE(doc.set("M1", itemKey(k), "A   Dn"));
  EXPECT_LE(doc.lookupWork(), 3 * bytes.size());
  EXPECT_EQ(doc.get("Setting-EN", "Item243"), "text");
  EXPECT_EQ(doc.get("M1", "Item23"), "A   Dn");

  // All keys of a section at once: the same file as one key after another,
  // and the lines after it moved once.
  ProfileDocument oneByOne = ProfileDocument::parse(bytes), atOnce = ProfileDocument::parse(bytes);
  ProfileDocument::Entries entries;
  for (int k = 1; k <= 24; ++k)
    entries.emplace_back("Item" + std::to_string(k) + "3", "text " + std::to_string(k));
  entries.emplace_back("item13", "again");  // a name set twice keeps its first place, its last value
  entries.emplace_back("Item1", "kept in place");
  for (const auto& [key, value] : entries) ASSERT_TRUE(oneByOne.set("Setting-EN", key, value));
  ASSERT_TRUE(atOnce.setAll("Setting-EN", entries));
  EXPECT_EQ(atOnce.serialize(), oneByOne.serialize());
  EXPECT_LE(atOnce.lookupWork(), 2 * bytes.size());
  EXPECT_EQ(atOnce.get("M1", "Item2"),
            ProfileDocument::parse(bytes).get("M1", "Item2"));  // the index moved too
}

INSTANTIATE_TEST_SUITE_P(Shapes, MacroFileScaling, ::testing::ValuesIn(kShapes), hm::test::ParamName());

// Walking only the stored items encodes what asking for every counted item
// encodes: the missing ones are empty texts.
TEST(MacroSection, StoredItemsEncodeAsTheFullCount) {
  struct Case {
    const char* what;
    std::string file;
  };
  const Case cases[] = {
      {"gaps in the numbering", "[M]\nItemCount=9\nItem0=A   Dn\nItem4=B   Up\nItem5=70 ms\n"},
      {"item after the count gives the last delay", "[M]\nItemCount=1\nItem0=A   Dn\nItem1=2500 ms\n"},
      {"items past the one after the count are ignored", "[M]\nItemCount=1\nItem2=A   Dn\n"},
      {"leading zeros and other spellings are other keys",
       "[M]\nItemCount=3\nItem01=A   Dn\nITEM1=B   Dn\n item2 = C   Up\nItem+0=D   Dn\n"},
      {"first of two equal keys wins", "[M]\nItemCount=2\nItem0=A   Dn\nitem0=B   Dn\nItem1=30 ms\n"},
      {"negative count", "[M]\nItemCount=-3\nItem0=A   Dn\n"},
  };
  for (const Case& c : cases) {
    const ProfileDocument doc = ProfileDocument::parse(c.file);
    std::uint8_t viaSection[kMacroImageSize] = {0x12, 0x34};
    std::uint8_t viaItems[kMacroImageSize] = {0x12, 0x34};
    const EncodeResult a = encodeMacroSection(doc.section("M"), viaSection);
    const auto section = doc.section("M");
    const long count = clampItemCount(section.get(kItemCountKey));
    std::vector<std::string> items;
    for (long j = 0; j < count; ++j) items.push_back(section.get(itemKey(j)));
    EncodeResult b;
    if (leadingInteger(section.get(kItemCountKey)) == 0)
      b = encodeMacroImage({}, viaItems);
    else if (items.empty())
      b = encodeMacroImage({""}, viaItems);  // clears the events, keeps the loop bytes
    else
      b = encodeMacroImage(items, viaItems, section.get(itemKey(count)));
    EXPECT_EQ(a.events, b.events) << c.what;
    EXPECT_EQ(std::vector<std::uint8_t>(viaSection, viaSection + kMacroImageSize),
              std::vector<std::uint8_t>(viaItems, viaItems + kMacroImageSize))
        << c.what;
  }
}

}  // namespace
}  // namespace hm
