#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "analysis/LineHelpers.h"
#include "model/VbError.h"

namespace brindle {
namespace {

using Pieces = std::vector<std::string>;

// A comment starts at an apostrophe outside string literals, or at Rem as a statement of its own.
// Each case marks with "|" where the comment starts.
TEST(NonCommentPart, EndsWhereTheCommentStarts) {
    for (const std::string marked : {"x = 1 |' note",
                                     "|' whole line",
                                     "x = 1",
                                     "",
                                     "|REM old code",
                                     "    |rem indented",
                                     "|Rem",
                                     "x = 1: |Rem set x",
                                     "Retry:|Rem label",
                                     "100 |Rem numbered",
                                     "  20\t|rem spaced",
                                     "20 x = 1 Rem no",
                                     "Dim lRem As Long",
                                     "x = lRem",
                                     "RemoveItem 3",
                                     "x = y Rem z",
                                     "s = \"it's\" |' says",
                                     "s = \"a: Rem b\"",
                                     "s = \"say \"\"'hi\"\"\" |' c",
                                     "MsgBox \"End Sub\": |Rem x"}) {
        const auto bar = marked.find('|');
        const auto line =
            bar == std::string::npos ? marked : marked.substr(0, bar) + marked.substr(bar + 1);
        EXPECT_EQ(GetNonCommentPartOfLine(line), marked.substr(0, bar)) << marked;
    }
}

TEST(SplitString, CutsAtEverySeparatorInAnyCase) {
    struct Case {
        const char* text;
        const char* separator;
        Pieces pieces;
    };
    const Case cases[] = {
        {"a, b, c", ", ", {"a", "b", "c"}},
        {"a,b", ", ", {"a,b"}},
        {"a, b, ", ", ", {"a", "b"}},
        {", a, , b", ", ", {"", "a", "", "b"}},
        {"oneANDtwoandthree", "and", {"one", "two", "three"}},
        {"", ", ", {"kept"}},  // no piece leaves the array as it was
    };
    for (const auto& c : cases) {
        Pieces pieces = {"kept"};
        EXPECT_EQ(SplitString(c.text, c.separator, pieces),
                  c.text[0] == '\0' ? 0 : std::ssize(c.pieces))
            << c.text;
        EXPECT_EQ(pieces, c.pieces) << c.text;
    }
    Pieces pieces;
    try {
        SplitString("abc", "", pieces);
        ADD_FAILURE() << "no failure";
    } catch (const VbError& e) {
        EXPECT_EQ(e.Number(), 5);
        EXPECT_TRUE(e.Source().starts_with("Brindle.SplitString | "));
    }
}

}  // namespace
}  // namespace brindle
