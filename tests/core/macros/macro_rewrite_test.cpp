// SPDX-License-Identifier: GPL-3.0-or-later
// Rewriting a macro where its section stands: the file around the section is
// kept byte for byte, so the macro keeps its number.
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <string>

#include "core/macros/macro_record.h"
#include "support/param_name.h"
#include "support/temp_dir.h"

namespace hm {
namespace {

using test::TempDir;

struct RewriteCase {
  const char* name;
  std::string before;  // "" = no file
  MacroRecord macro;
  std::string after;
};

const MacroRecord kShort{"Two", {MacroItem::press("X"), MacroItem::delay(50)}};
const std::string kThree =
    "[One]\nItemCount=1\nItem0=A   Dn\n\n[Two]\nItemCount=3\nItem0=B   Dn\nItem1=50 ms\n"
    "Item2=B   Up\n\n[Three]\nItemCount=1\nItem0=C   Dn\n";
const std::string kThreeAfter =
    "[One]\nItemCount=1\nItem0=A   Dn\n\n[Two]\nItemCount=2\nItem0=X   Dn\nItem1=50 ms\n"
    "\n[Three]\nItemCount=1\nItem0=C   Dn\n";

class RewriteMacroTest : public ::testing::TestWithParam<RewriteCase> {};

TEST_P(RewriteMacroTest, KeepsTheSectionWhereItStands) {
  TempDir dir;
  const RewriteCase& c = GetParam();
  const std::string ini = c.before.empty() ? dir.file("record.ini") : dir.write("record.ini", c.before);
  ASSERT_TRUE(rewriteMacro(ini, c.macro));
  EXPECT_EQ(TempDir::read(ini), c.after);
  EXPECT_EQ(readMacro(ini, c.macro.name).items, c.macro.items);
}

INSTANTIATE_TEST_SUITE_P(
    Files, RewriteMacroTest,
    ::testing::Values(
        RewriteCase{"MiddleOfThree", kThree, kShort, kThreeAfter},
        RewriteCase{"NameInOtherCaseKeepsTheFileSpelling", kThree, {"TWO", kShort.items}, kThreeAfter},
        RewriteCase{"NewMacroIsAppended",
                    "[One]\nItemCount=0\n",
                    {"New", {MacroItem::press("A")}},
                    "[One]\nItemCount=0\n[New]\nItemCount=1\nItem0=A   Dn\n"},
        RewriteCase{"NoFileYet", "", {"Copy", {}}, "[Copy]\nItemCount=0\n"},
        RewriteCase{"LastSectionWithoutFinalLineBreak",
                    "[One]\nItemCount=1\nItem0=A   Dn",
                    {"One", {MacroItem::press("B")}},
                    "[One]\nItemCount=1\nItem0=B   Dn\n"},
        RewriteCase{"StaleKeysAndLaterDuplicatesGo",
                    "[M]\nItemCount=3\nOther=x\nItem2=old\n[N]\nItemCount=0\n[m]\nItemCount=9\n",
                    {"M", {MacroItem::press("A")}},
                    "[M]\nItemCount=1\nItem0=A   Dn\n[N]\nItemCount=0\n"},
        RewriteCase{"CommentsStayBeforeTheKeys",
                    "; macros\r\n[M]\r\n; mine\r\nItemCount=0\r\n\r\n[N]\r\n",
                    {"M", {MacroItem::press("A")}},
                    "; macros\r\n[M]\r\n; mine\r\nItemCount=1\r\nItem0=A   Dn\r\n\r\n[N]\r\n"},
        RewriteCase{"Utf16FileStaysUtf16",
                    std::string("\xFF\xFE[\0M\0]\0\n\0", 10),
                    {"M", {}},
                    std::string("\xFF\xFE[\0M\0]\0\n\0I\0t\0e\0m\0C\0o\0u\0n\0t\0=\0"
                                "0\0\n\0",
                                34)}),
    test::ParamName());

TEST(RewriteMacro, RefusesAFileItCannotReadAndAnUnstorableName) {
  TempDir dir;
  const std::string folder = dir.file("record.ini");
  std::filesystem::create_directory(folder);
  EXPECT_FALSE(rewriteMacro(folder, kShort));

  const std::string ini = dir.write("other.ini", kThree);
  EXPECT_EQ(rewriteMacro(ini, {"a\nb", {}}).code(), EINVAL);
  EXPECT_EQ(TempDir::read(ini), kThree);
}

}  // namespace
}  // namespace hm
