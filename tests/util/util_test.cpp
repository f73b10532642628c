#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "util/LikePattern.h"
#include "util/Markdown.h"
#include "util/Text.h"
#include "util/Unicode.h"
#include "util/Wildcard.h"

namespace brindle {
namespace {

// Each caller trims by its own rule; the rules differ in tabs and line ends.
TEST(Trim, EachRuleRemovesItsOwnCharacters) {
    struct Case {
        std::string_view (*trim)(std::string_view);
        std::string_view text;
        std::string_view expected;
    };
    const Case cases[] = {
        {TrimSpaces, "  a b \t ", "a b \t"},    {TrimTrailingSpaces, "  a  ", "  a"},
        {TrimBlanks, " \ta b\t ", "a b"},       {TrimBlanks, " a\r\n", "a\r\n"},
        {TrimLeadingBlanks, "\t a \t", "a \t"}, {TrimTrailingBlanks, "\t a \t", "\t a"},
        {TrimWhitespace, "\v\f \ta\r\n", "a"},  {TrimWhitespace, "", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.trim(c.text), c.expected) << '"' << c.text << '"';
    }
}

TEST(Words, AreSeparatedByBlanksAndTabsOnly) {
    using Words = std::vector<std::string_view>;
    EXPECT_EQ(BlankSeparatedWords(" \tPublic  Static\tSub a\r"),
              (Words{"Public", "Static", "Sub", "a\r"}));
    EXPECT_EQ(BlankSeparatedWords("a b c", 2), (Words{"a", "b"}));
    EXPECT_TRUE(BlankSeparatedWords(" \t ").empty());
}

// Only ASCII letters fold: other bytes belong to a code page.
TEST(NoCase, FoldsAsciiLettersOnly) {
    EXPECT_EQ(LowerAscii("Brindle \xC4Z[@]"), "brindle \xC4z[@]");
    EXPECT_EQ(UpperAscii('q'), 'Q');
    EXPECT_TRUE(EqualsNoCase("END SUB", "End Sub"));
    EXPECT_FALSE(EqualsNoCase("\xC4", "\xE4"));
    EXPECT_FALSE(EqualsNoCase("End", "End "));
    EXPECT_EQ(FindNoCase("x = 1: rem note", "REM"), 7U);
    EXPECT_EQ(FindNoCase("rem rem", "REM", 1), 4U);
    EXPECT_EQ(FindNoCase("abc", "", 3), 3U);
    EXPECT_EQ(FindNoCase("abc", "a", 4), std::string_view::npos);
    EXPECT_TRUE(ContainsNoCase("' [Brindle Begin]", "[BRINDLE BEGIN]"));
    EXPECT_TRUE(IsAscii("Option Explicit\r\n\x7F"));
    EXPECT_FALSE(IsAscii("' caf\xE9"));
}

TEST(Wildcard, MatchesBytesWithoutCase) {
    struct Case {
        std::string_view pattern;
        std::string_view name;
        bool matches;
    };
    const Case cases[] = {
        {"*", "", true},           {"Form_*", "form_Load", true},  {"Get?", "GetX", true},
        {"Get?", "Get", false},    {"*_Click", "cmd_click", true}, {"a*b*c", "aXbYbZc", true},
        {"\xC4*", "\xE4x", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MatchWildcard(c.pattern, c.name), c.matches) << c.pattern << " " << c.name;
    }
    // Tried one way after another, forty "*" took longer than anyone waits.
    EXPECT_FALSE(MatchWildcard(std::string(40, '*') + "x", std::string(60, 'a')));
    EXPECT_TRUE(MatchWildcard("*a" + std::string(40, '*') + "b", std::string(60, 'a') + "b"));
}

// The Like operator's patterns, over single bytes and over UTF-8's characters; the shortest
// front of a text that matches, as a search takes it.
TEST(LikePattern, MatchesAsTheLikeOperator) {
    const CharacterWidth bytes = [](std::string_view) -> std::size_t { return 1; };
    const CharacterWidth utf8 = [](std::string_view rest) { return Utf8SequenceLength(rest); };
    struct Case {
        std::string_view pattern;
        std::string_view text;
        bool matchCase;
        bool matches;
    };
    const Case cases[] = {
        {"a?c", "ac", true, false},    {"a*c", "aXYZc", true, true},  {"a*c", "aXYZ", true, false},
        {"##", "4x", true, false},     {"[a-c]x", "Bx", true, false}, {"[a-c]x", "Bx", false, true},
        {"[!a-c]x", "dx", true, true}, {"[*]", "*", true, true},      {"[?#]?", "#z", true, true},
        {"a[]b", "ab", true, true},    {"[a-]", "-", true, true},     {"[z-a]", "m", true, true},
        {"*", "", true, true},         {"?", "", true, false},
    };
    for (const Case& c : cases) {
        const std::optional<LikePattern> pattern = LikePattern::Parse(c.pattern, bytes);
        ASSERT_TRUE(pattern) << c.pattern;
        EXPECT_EQ(pattern->Matches(c.text, c.matchCase), c.matches) << c.pattern << " " << c.text;
    }
    EXPECT_FALSE(LikePattern::Parse("a[bc", bytes));

    // "?" takes a whole character, and a list holds characters.
    const auto euro = LikePattern::Parse("x?y[\xC3\xA4\xE2\x82\xAC]", utf8);
    ASSERT_TRUE(euro);
    EXPECT_TRUE(euro->Matches("x\xC3\xA4y\xE2\x82\xAC", true));
    EXPECT_FALSE(LikePattern::Parse("x?y", bytes)->Matches("x\xC3\xA4y", true));

    const auto shortest = LikePattern::Parse("a*b", bytes);
    EXPECT_EQ(shortest->MatchFront("aXbYb rest", true), std::size_t{3});
    EXPECT_EQ(shortest->MatchFront("Xab", true), std::nullopt);
    EXPECT_EQ(LikePattern::Literal("[*]", bytes).MatchFront("[*] x", true), std::size_t{3});
}

// U+00E4, U+20AC and U+1F600 (a surrogate pair) and back; what is no character is U+FFFD.
TEST(Utf16, ConvertsWithSurrogatePairs) {
    const std::string utf8 = "a\xC3\xA4\xE2\x82\xAC\xF0\x9F\x98\x80";
    const std::u16string units = u"a\u00E4\u20AC\xD83D\xDE00";
    EXPECT_EQ(Utf16FromUtf8(utf8), units);
    EXPECT_EQ(Utf8FromUtf16(units), utf8);
    EXPECT_EQ(Utf16FromUtf8("a\xFF\xC3"), u"a\xFFFD\xFFFD");
    EXPECT_EQ(Utf8FromUtf16(u"\xD83Dx\xDE00"), "\xEF\xBF\xBDx\xEF\xBF\xBD");

    EXPECT_EQ(BytesFromUtf16(u"A\xD83D\xDE00", false), std::string("A\0\x3D\xD8\x00\xDE", 6));
    EXPECT_EQ(BytesFromUtf16(u"A", true), std::string("\0A", 2));
    EXPECT_EQ(Utf16FromBytes(std::string("\0A\xD8\x3D\xDE\x00", 6), true), u"A\xD83D\xDE00");
    EXPECT_FALSE(Utf16FromBytes("A", false));                         // odd length
    EXPECT_FALSE(Utf16FromBytes(std::string("\x00\xDE", 2), false));  // lone low surrogate
    EXPECT_FALSE(Utf16FromBytes(std::string("\x3D\xD8", 2), false));  // lone high surrogate
}

TEST(Markdown, KeepsTheTitledSectionsAndNoHeadingInCodeAndReadsAsPlainText) {
    const std::string_view text =
        "# Brindle\r\nintro\r\n## The options\r\nA table\r\n```sh\r\n## a comment\r\n```\r\n"
        "## Building\nmake\n## Template keywords \n%Date%";
    const std::string_view titles[] = {"Template keywords", "The options"};
    EXPECT_EQ(MarkdownSections(text, titles),
              "## The options\nA table\n```sh\n## a comment\n```\n## Template keywords \n%Date%\n");
    EXPECT_EQ(MarkdownSections(text, {}), "");
    // As plain text the markup goes and a table's cells are joined.
    EXPECT_EQ(MarkdownAsPlainText("## The options\r\n| field | `flag` |\n|---|:--|\n"
                                  "| Author | `--select A \\| B` |\n| (none) | |\n"
                                  "```sh\n## `kept`\n```\n"),
              "The options\nfield \u2014 flag\nAuthor \u2014 --select A | B\n(none)\n## `kept`\n");
}

}  // namespace
}  // namespace brindle
