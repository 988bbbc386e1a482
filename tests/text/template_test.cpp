// replace_all and the expansion of "%v", "%b" and "%tab" in a meter's
// template, including the ways a value text can interact with the passes
// after it.

#include "text/template.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <iterator>
#include <string>

namespace scrivlet {
namespace {

TEST(ReplaceAll, LeftToRightWithoutOverlap) {
    struct Case {
        std::string target, search, replacement, expected;
    };
    const Case cases[] = {
        {"a,b,c", ",", ".", "a.b.c"},
        {"aaaa", "aa", "x", "xx"},
        {"aaa", "aa", "x", "xa"},
        {"abab", "ab", "x", "xx"},
        {"", "a", "b", ""},
        {"abc", "abcd", "x", "abc"},
        {"abc", "abc", "", ""},
        {"a\nb\n", "\n", "%b", "a%bb%b"},
        {"a\tb", "\t", "%tab", "a%tabb"},
        {"x", "x", "longer text", "longer text"},
        {"%V%v", "%v", "1", "%V1"},
        {std::string("a\0b\0", 4), std::string("\0", 1), "-", "a-b-"},
        {"\xff\xfe\xff", "\xff", "\x80", "\x80\xfe\x80"},
    };
    for (const Case& c : cases) {
        std::string target = c.target;
        replace_all(target, c.search, c.replacement);
        EXPECT_EQ(target, c.expected) << "'" << c.target << "' / '" << c.search << "'";
    }
}

TEST(ReplaceAll, InsertedTextIsNeverSearchedAgain) {
    struct Case {
        std::string target, search, replacement, expected;
    };
    const Case cases[] = {
        // A replacement holding the search text is left as inserted.
        {"aa", "aa", "aa", "aa"},
        {"a", "a", "aa", "aa"},
        {"aXa", "a", "aa", "aaXaa"},
        {"%v", "%v", "%v%v", "%v%v"},
        // An occurrence starting inside the inserted text is not found...
        {"abb", "ab", "a", "ab"},
        {"aabb", "ab", "a", "aab"},
        {"aab", "ab", "a", "aa"},
        // ...one starting right after it is.
        {"abab", "ab", "a", "aa"},
        {"aaaa", "a", "", ""},
    };
    for (const Case& c : cases) {
        std::string target = c.target;
        replace_all(target, c.search, c.replacement);
        EXPECT_EQ(target, c.expected) << "'" << c.target << "' / '" << c.search << "'";
    }
}

TEST(ReplaceAll, EmptySearchTextChangesNothing) {
    for (const std::string& original : {std::string(), std::string("abc"), std::string("%v")}) {
        std::string target = original;
        replace_all(target, "", "x");
        EXPECT_EQ(target, original);
    }
}

TEST(ReplaceAll, SearchAndReplacementMayComeFromTheTarget) {
    {
        std::string target = "abcabc";
        replace_all(target, target, "z");
        EXPECT_EQ(target, "z");
    }
    {
        std::string target = "ab-ab";
        replace_all(target, std::string_view(target).substr(0, 2), target);
        EXPECT_EQ(target, "ab-ab-ab-ab");
    }
    {
        std::string target = "x,y,z";
        replace_all(target, std::string_view(target).substr(1, 1), std::string_view(target));
        EXPECT_EQ(target, "xx,y,zyx,y,zz");
    }
    {
        // Long enough to live on the heap, so a stale view would be caught.
        std::string target(100, 'a');
        target += "b";
        replace_all(target, std::string_view(target).substr(0, 1), target);
        EXPECT_EQ(target.size(), 100u * 101u + 1u);
        EXPECT_EQ(target.substr(0, 101), std::string(100, 'a') + "b");
        EXPECT_EQ(target.back(), 'b');
    }
}

TEST(ExpandTemplate, ReplacesEveryPlaceholder) {
    struct Case {
        std::string text_template, value_text, expected;
    };
    const Case cases[] = {
        {"%v", "42", "42"},
        {"CPU %v %", "42", "CPU 42 %"},
        {"%v/%v", "7", "7/7"},
        {"Load%b%v%tab|", "3", "Load\n3\t|"},
        {"no placeholders", "5", "no placeholders"},
        {"", "5", ""},
        {"[%v]", "", "[]"},
        {"%%v", "9", "%9"},
        {"%V %B %TAB %Tab", "1", "%V %B %TAB %Tab"},
        {"%b%b", "", "\n\n"},
        {"%tab%tab", "", "\t\t"},
        {"%ta%b", "", "%ta\n"},
        {"%%tab", "", "%\t"},
        {"100%", "1", "100%"},
        {"%", "", "%"},
        {"a\r\nb\tc\n", "", "a\r\nb\tc\n"},
        {"%v%", "1", "1%"},
        {"\xe9%v\xff", "\x80", "\xe9\x80\xff"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(expand_template(c.text_template, c.value_text), c.expected)
            << "'" << c.text_template << "' with '" << c.value_text << "'";
    }
}

TEST(ExpandTemplate, ValueTextTakesPartInTheLaterPasses) {
    struct Case {
        std::string text_template, value_text, expected;
    };
    const Case cases[] = {
        {"%v", "a%bc", "a\nc"},
        {"%v", "1%tab2", "1\t2"},
        {"x%vy", "%v", "x%vy"},
        {"%v", "%v%v", "%v%v"},
        // Pass 1 leaves "%b", which pass 2 turns into a line feed.
        {"%vb", "%", "\n"},
        {"%vtab", "%", "\t"},
        {"%%vab", "t", "\t"},
        {"%%vb", "", "\n"},
        {"%t%vab", "", "\t"},
        // Pass 2 never builds a "%tab" for pass 3.
        {"%%bta%bb", "", "%\nta\nb"},
        {"%v", "%b%tab%v", "\n\t%v"},
        {"T %v%b%tab %v", "%b1", "T \n1\n\t \n1"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(expand_template(c.text_template, c.value_text), c.expected)
            << "'" << c.text_template << "' with '" << c.value_text << "'";
    }
}

TEST(ExpandTemplate, BoundedExpansionIsTheStartOfTheWholeOne) {
    struct Case {
        std::string text_template, value_text;
        size_t max_length;
        std::string expected;
    };
    const Case cases[] = {
        {"%v%v%v", "abc", 4, "abca"},
        {"%v%v%v", "abc", 0, ""},
        {"%v", "abc", 100, "abc"},
        // The breaks and tabs shrink after the values went in: the bound is
        // on the result, not on the text between the passes.
        {"%b%b%b%b%b%b", "", 5, "\n\n\n\n\n"},
        {"%tab%tab%tab", "", 2, "\t\t"},
        {"%v", "%tab%tab%tab", 3, "\t\t\t"},
        // A placeholder just past the bound still counts as one byte.
        {"ab%tab", "", 3, "ab\t"},
        {"ab%b", "", 3, "ab\n"},
        {"a%vb", "%", 2, "a\n"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(expand_template(c.text_template, c.value_text, c.max_length), c.expected)
            << "'" << c.text_template << "' with '" << c.value_text << "' to " << c.max_length;
    }
}

TEST(ExpandTemplate, BoundedExpansionMatchesOnGeneratedTemplates) {
    // Templates built of pieces of placeholders, so that every bound falls
    // inside one sooner or later.
    const char* const pieces[] = {"%", "v", "b", "t", "a", "%v", "%b", "%tab", "x", "%ta"};
    const char* const values[] = {"", "%", "12,5", "%b", "%tab%v", "t"};
    uint32_t state = 12345;
    auto next = [&state] {
        state = state * 1103515245u + 12345u;
        return state >> 16;
    };
    int compared = 0;
    for (int round = 0; round < 3000; ++round) {
        std::string text_template;
        const unsigned piece_count = next() % 24;
        for (unsigned i = 0; i < piece_count; ++i) {
            text_template += pieces[next() % std::size(pieces)];
        }
        const std::string value_text = values[next() % std::size(values)];
        const std::string whole = expand_template(text_template, value_text);
        for (size_t limit = 0; limit <= whole.size() + 1; ++limit) {
            ASSERT_EQ(expand_template(text_template, value_text, limit), whole.substr(0, limit))
                << "'" << text_template << "' with '" << value_text << "' to " << limit;
            ++compared;
        }
    }
    EXPECT_GT(compared, 3000);
}

TEST(ExpandTemplate, HugeTemplateFullOfValuesBuildsOnlyTheBound) {
    const std::string text_template(1 << 20, 'x');
    std::string of_values;
    for (int i = 0; i < (1 << 19); ++i) {
        of_values += "%v";
    }
    const std::string value_text(347, '9');
    const std::string bounded = expand_template(of_values, value_text, 1024);
    EXPECT_EQ(bounded, expand_template(of_values.substr(0, 8), value_text).substr(0, 1024));
    EXPECT_EQ(expand_template(text_template, "", 1024), std::string(1024, 'x'));
}

} // namespace
} // namespace scrivlet
