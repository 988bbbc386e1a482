// What a save after a dialog does to the author's file: only changed keys'
// lines differ, in the file's own line ends.

#include "section_edit.h"

#include <gtest/gtest.h>

namespace scrivlet::host {
namespace {

TEST(SectionEdit, OnlyChangedKeysLinesChange) {
    const std::vector<std::string> before = {"Color=1,2,3", "Size=10", "Text=\"a b\""};
    struct Case {
        const char* name;
        std::string file;
        const char* section;
        std::vector<std::string> after;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"lf kept, blank lines and comments kept",
         "; top\n[Other]\nSize=10\n\n[MyCPU]\n; mine\nColor=1,2,3\nSize=10\n\n[Last]\nX=1\n",
         "MyCPU",
         {"Color=1,2,3", "Size=12", "Text=\"a b\""},
         "; top\n[Other]\nSize=10\n\n[MyCPU]\n; mine\nColor=1,2,3\nSize=12\n\n[Last]\nX=1\n"},
        {"crlf and bom kept, section name any case, spaces round the key",
         "\xEF\xBB\xBF[mycpu]\r\n  Size = 10\r\nColor=1,2,3\r\n",
         "MyCPU",
         {"Color=4,5,6", "Size=10", "Text=\"a b\""},
         "\xEF\xBB\xBF[mycpu]\r\n  Size = 10\r\nColor=4,5,6\r\n"},
        {"a missing key goes after the last key line, before the blank",
         "[MyCPU]\nSize=10\n\n[Next]\n",
         "MyCPU",
         {"Color=1,2,3", "Size=10", "Text=\"c\""},
         "[MyCPU]\nSize=10\nText=\"c\"\n\n[Next]\n"},
        {"only the first section and first key line, as the reader uses",
         "[MyCPU]\nSize=10\nSize=11\n[MyCPU]\nSize=10\n",
         "MyCPU",
         {"Color=1,2,3", "Size=14", "Text=\"a b\""},
         "[MyCPU]\nSize=14\nSize=11\n[MyCPU]\nSize=10\n"},
        {"a new section is appended after a blank line, lf",
         "[Other]\nX=1",
         "MyCPU",
         {"Color=1,2,3", "Size=9", "Text=\"a b\""},
         "[Other]\nX=1\n\n[MyCPU]\nSize=9\n"},
        {"a header whose comment holds a ']' is the section of its whole name",
         "[CPU] ; main meter [v2]\r\nSize=10\r\n[CPU]\r\nSize=10\r\n",
         "CPU] ; main meter [v2",
         {"Color=1,2,3", "Size=11", "Text=\"a b\""},
         "[CPU] ; main meter [v2]\r\nSize=11\r\n[CPU]\r\nSize=10\r\n"},
        {"CR-only line ends kept, a '#' line is a key line",
         "[MyCPU]\rSize=10\r#Old=1\r[Next]\r",
         "MyCPU",
         {"Color=1,2,3", "Size=12", "Text=\"d\""},
         "[MyCPU]\rSize=12\r#Old=1\rText=\"d\"\r[Next]\r"},
        {"an empty file gets crlf",
         "",
         "New",
         {"Color=1,2,3", "Size=10", "Text=\"z\""},
         "[New]\r\nText=\"z\"\r\n"},
        {"nothing changed: bytes as they were", "[MyCPU]\nSize=10 \n", "MyCPU", before,
         "[MyCPU]\nSize=10 \n"},
        {"a header with no key lines: keys go right below it, last line ended",
         "[MyCPU]",
         "MyCPU",
         {"Color=1,2,3", "Size=8", "Text=\"a b\""},
         "[MyCPU]\r\nSize=8\r\n"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(with_section_changes(c.file, c.section, before, c.after), c.expected) << c.name;
    }
}

} // namespace
} // namespace scrivlet::host
