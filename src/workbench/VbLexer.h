#pragma once
// VB6 syntax colouring for the code editor: keywords, comments (also Rem, and a comment that a
// line continuation carries onto the next line), strings, numbers, #If lines and the
// continuation marks themselves.

#include <Qsci/qscilexercustom.h>

#include <QString>
#include <functional>
#include <map>
#include <string>
#include <string_view>

namespace brindle::workbench {

enum class VbStyle : int {
    Default = 0,
    Keyword = 1,
    Comment = 2,
    String = 3,
    Number = 4,
    Directive = 5,
    Continuation = 6,
};

class VbLexer final : public QsciLexerCustom {
public:
    explicit VbLexer(QObject* parent = nullptr);

    const char* language() const override { return "VB6"; }
    QString description(int style) const override;
    QColor defaultColor(int style) const override;
    QFont defaultFont(int style) const override;
    QColor defaultPaper(int style) const override;
    void styleText(int start, int end) override;
};

// The styles of one line's bytes, one per byte, as the lexer gives them. `inComment` says
// whether the line above carried a comment onto this one, and is set to whether this one
// carries it further.
std::string StyleLine(std::string_view line, bool& inComment);

// The line with its keywords in the letter case the IDE gives them ("ByVal", "ElseIf") and its
// other names found in `names` (by their lower case) as written there; strings and comments as
// they are. `inComment` as for StyleLine.
std::string RecasedLine(std::string_view line,
                        const std::map<std::string, std::string, std::less<>>& names,
                        bool inComment);

}  // namespace brindle::workbench
