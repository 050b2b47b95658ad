// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/settings/text_encoding.h"

#include <gtest/gtest.h>

#include <string>

namespace hm::text {
namespace {

TEST(ProfileUtf8, StrictCheck) {
  struct Case {
    std::string text;
    bool valid;
  };
  const Case cases[] = {
      {"abc", true},       {"\xC3\xA4", true},      {"\xF0\x9F\x98\x80", true},  {"\xC3", false},
      {"\xC0\x80", false}, {"\xED\xA0\x80", false}, {"\xF4\x90\x80\x80", false}, {"\xFF", false}};
  for (const Case& c : cases) EXPECT_EQ(isValidUtf8(c.text), c.valid) << c.text;
}

std::string times(std::size_t n, const std::string& piece) {
  std::string s;
  for (std::size_t i = 0; i < n; ++i) s += piece;
  return s;
}

// A read gives at most 1023 UTF-16 units: what a cut keeps, counted in UTF-16
// units of the UTF-8 text and never splitting a character.
TEST(Utf16Cut, KeepsWholeCharactersUpTo1023Units) {
  const std::string kHan = "\xE9\x94\xAE";            // one unit, three bytes
  const std::string kGrin = "\xF0\x9F\x98\x80";       // two units (a surrogate pair), four bytes
  const std::string kLoneSurrogate = "\xED\xA0\x80";  // from a UTF-16 file: one unit
  struct Case {
    const char* what;
    std::string text;
    std::string kept;
  };
  const Case cases[] = {
      {"short text whole", "A   Dn", "A   Dn"},
      {"exactly 1023 units whole", std::string(1023, 'x'), std::string(1023, 'x')},
      {"1024 units lose the last", std::string(1024, 'x'), std::string(1023, 'x')},
      {"three-byte characters count one unit", times(1100, kHan), times(1023, kHan)},
      {"a pair that fits ends the text", std::string(1021, 'x') + kGrin + "y",
       std::string(1021, 'x') + kGrin},
      {"a pair across the limit is left out whole", std::string(1022, 'x') + kGrin, std::string(1022, 'x')},
      {"bytes that are not UTF-8 count one unit each", std::string(1030, '\xFF'), std::string(1023, '\xFF')},
      {"a lone surrogate counts one unit", times(1024, kLoneSurrogate), times(1023, kLoneSurrogate)},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(std::string(cutToUtf16Units(c.text, 1023)), c.kept) << c.what;
    EXPECT_LE(utf16Length(c.kept), 1023u) << c.what;
  }
}

}  // namespace
}  // namespace hm::text
