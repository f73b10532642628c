#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "analysis/LineHelpers.h"
#include "host/model/VbError.h"

namespace brindle {
namespace {

TEST(NonCommentPart, CutsBeforeTheApostropheAndKeepsTheSpacesBeforeIt) {
    EXPECT_EQ(GetNonCommentPartOfLine("x = 1 ' note"), "x = 1 ");
    EXPECT_EQ(GetNonCommentPartOfLine("' whole line"), "");
    EXPECT_EQ(GetNonCommentPartOfLine("x = 1"), "x = 1");
    EXPECT_EQ(GetNonCommentPartOfLine(""), "");
}

TEST(NonCommentPart, RemIsACommentOnlyAsAStatement) {
    EXPECT_EQ(GetNonCommentPartOfLine("REM old code"), "");
    EXPECT_EQ(GetNonCommentPartOfLine("    rem indented"), "    ");
    EXPECT_EQ(GetNonCommentPartOfLine("Rem"), "");
    EXPECT_EQ(GetNonCommentPartOfLine("x = 1: Rem set x"), "x = 1: ");
    EXPECT_EQ(GetNonCommentPartOfLine("Retry:Rem label"), "Retry:");
    EXPECT_EQ(GetNonCommentPartOfLine("100 Rem numbered"), "100 ");
    // Rem ending a longer word, or starting one, is no comment.
    EXPECT_EQ(GetNonCommentPartOfLine("Dim lRem As Long"), "Dim lRem As Long");
    EXPECT_EQ(GetNonCommentPartOfLine("x = lRem"), "x = lRem");
    EXPECT_EQ(GetNonCommentPartOfLine("RemoveItem 3"), "RemoveItem 3");
    EXPECT_EQ(GetNonCommentPartOfLine("x = y Rem z"), "x = y Rem z");
}

TEST(NonCommentPart, StringLiteralsHideApostrophesRemAndColons) {
    EXPECT_EQ(GetNonCommentPartOfLine("s = \"it's\" ' says"), "s = \"it's\" ");
    EXPECT_EQ(GetNonCommentPartOfLine("s = \"a: Rem b\""), "s = \"a: Rem b\"");
    EXPECT_EQ(GetNonCommentPartOfLine("s = \"say \"\"'hi\"\"\" ' c"), "s = \"say \"\"'hi\"\"\" ");
    EXPECT_EQ(GetNonCommentPartOfLine("MsgBox \"End Sub\": Rem x"), "MsgBox \"End Sub\": ");
}

TEST(SplitString, CutsAtEverySeparator) {
    std::vector<std::string> pieces;
    EXPECT_EQ(SplitString("a, b, c", ", ", pieces), 3);
    EXPECT_EQ(pieces, (std::vector<std::string>{"a", "b", "c"}));

    EXPECT_EQ(SplitString("a,b", ", ", pieces), 1);
    EXPECT_EQ(pieces, (std::vector<std::string>{"a,b"}));

    EXPECT_EQ(SplitString("a, b, ", ", ", pieces), 2);
    EXPECT_EQ(pieces, (std::vector<std::string>{"a", "b"}));

    EXPECT_EQ(SplitString(", a, , b", ", ", pieces), 4);
    EXPECT_EQ(pieces, (std::vector<std::string>{"", "a", "", "b"}));
}

TEST(SplitString, NoPieceLeavesTheArrayAsItWas) {
    std::vector<std::string> pieces = {"kept"};
    EXPECT_EQ(SplitString("", ", ", pieces), 0);
    EXPECT_EQ(pieces, (std::vector<std::string>{"kept"}));
}

TEST(SplitString, SeparatorIgnoresCaseAndMustNotBeEmpty) {
    std::vector<std::string> pieces;
    EXPECT_EQ(SplitString("oneANDtwoandthree", "and", pieces), 3);
    EXPECT_EQ(pieces, (std::vector<std::string>{"one", "two", "three"}));
    try {
        SplitString("abc", "", pieces);
        FAIL() << "no failure";
    } catch (const VbError& e) {
        EXPECT_EQ(e.Number(), 5);
        EXPECT_EQ(e.Source().rfind("Brindle.SplitString | ", 0), 0u);
    }
}

TEST(ParmListKeyword, KnowsTheFiveKeywordsInAnyCase) {
    for (const char* word : {"Optional", "byval", "BYREF", " As ", "ParamArray"}) {
        EXPECT_TRUE(IsParmListKeyword(word)) << word;
    }
    for (const char* word : {"", "ByVals", "ByVal x", "\tAs", "Count"}) {
        EXPECT_FALSE(IsParmListKeyword(word)) << word;
    }
}

}  // namespace
}  // namespace brindle
