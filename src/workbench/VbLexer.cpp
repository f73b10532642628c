#include "workbench/VbLexer.h"

#include <Qsci/qsciscintilla.h>

#include <QColor>
#include <QFont>
#include <algorithm>
#include <array>
#include <cctype>
#include <string>
#include <unordered_map>
#include <unordered_set>

#include "util/Text.h"

namespace brindle::workbench {
namespace {

constexpr auto kDefault = static_cast<char>(VbStyle::Default);
constexpr auto kKeyword = static_cast<char>(VbStyle::Keyword);
constexpr auto kComment = static_cast<char>(VbStyle::Comment);
constexpr auto kString = static_cast<char>(VbStyle::String);
constexpr auto kNumber = static_cast<char>(VbStyle::Number);
constexpr auto kDirective = static_cast<char>(VbStyle::Directive);
constexpr auto kContinuation = static_cast<char>(VbStyle::Continuation);

// What the VB6 editor shows in its keyword colour.
const std::unordered_set<std::string>& Keywords() {
    static const std::unordered_set<std::string> words = {
        "addressof",  "alias",    "and",        "any",       "as",      "attribute",  "base",
        "boolean",    "byref",    "byte",       "byval",     "call",    "case",       "cbool",
        "cbyte",      "ccur",     "cdate",      "cdbl",      "cdec",    "cint",       "clng",
        "close",      "compare",  "const",      "csng",      "cstr",    "currency",   "cvar",
        "date",       "decimal",  "declare",    "defbool",   "defbyte", "defcur",     "defdate",
        "defdbl",     "defdec",   "defint",     "deflng",    "defobj",  "defsng",     "defstr",
        "defvar",     "dim",      "do",         "double",    "each",    "else",       "elseif",
        "empty",      "end",      "enum",       "eqv",       "erase",   "error",      "event",
        "exit",       "explicit", "false",      "for",       "friend",  "function",   "get",
        "global",     "gosub",    "goto",       "if",        "imp",     "implements", "in",
        "input",      "integer",  "is",         "let",       "lib",     "like",       "lock",
        "long",       "loop",     "lset",       "me",        "mod",     "new",        "next",
        "not",        "nothing",  "null",       "object",    "on",      "open",       "option",
        "optional",   "or",       "paramarray", "preserve",  "print",   "private",    "property",
        "public",     "put",      "raiseevent", "randomize", "redim",   "resume",     "return",
        "rset",       "seek",     "select",     "set",       "single",  "static",     "step",
        "stop",       "string",   "sub",        "then",      "to",      "true",       "type",
        "typeof",     "unlock",   "until",      "variant",   "wend",    "while",      "with",
        "withevents", "write",    "xor"};
    return words;
}

// A keyword as the IDE writes it: its first letter upper case, but for these.
std::string KeywordCase(const std::string& lower) {
    static const std::unordered_map<std::string, std::string> mixed = {
        {"addressof", "AddressOf"},
        {"byref", "ByRef"},
        {"byval", "ByVal"},
        {"cbool", "CBool"},
        {"cbyte", "CByte"},
        {"ccur", "CCur"},
        {"cdate", "CDate"},
        {"cdbl", "CDbl"},
        {"cdec", "CDec"},
        {"cint", "CInt"},
        {"clng", "CLng"},
        {"csng", "CSng"},
        {"cstr", "CStr"},
        {"cvar", "CVar"},
        {"defbool", "DefBool"},
        {"defbyte", "DefByte"},
        {"defcur", "DefCur"},
        {"defdate", "DefDate"},
        {"defdbl", "DefDbl"},
        {"defdec", "DefDec"},
        {"defint", "DefInt"},
        {"deflng", "DefLng"},
        {"defobj", "DefObj"},
        {"defsng", "DefSng"},
        {"defstr", "DefStr"},
        {"defvar", "DefVar"},
        {"elseif", "ElseIf"},
        {"gosub", "GoSub"},
        {"goto", "GoTo"},
        {"lset", "LSet"},
        {"rset", "RSet"},
        {"paramarray", "ParamArray"},
        {"raiseevent", "RaiseEvent"},
        {"redim", "ReDim"},
        {"typeof", "TypeOf"},
        {"withevents", "WithEvents"}};
    const auto found = mixed.find(lower);
    if (found != mixed.end()) {
        return found->second;
    }
    std::string word = lower;
    word.front() = static_cast<char>(word.front() - 'a' + 'A');
    return word;
}

bool IsWordStart(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
           static_cast<unsigned char>(c) >= 0x80;
}

bool IsWordPart(char c) {
    return IsWordStart(c) || IsDigit(c) || c == '_';
}

// Where the line's continuation mark stands (a "_" after a blank, or first on the line, with
// only blanks after it), or npos.
std::size_t ContinuationMark(std::string_view line) {
    const std::string_view kept = TrimTrailingBlanks(line);
    if (kept.empty() || kept.back() != '_') {
        return std::string_view::npos;
    }
    const std::size_t last = kept.size() - 1;
    return last == 0 || IsBlank(line[last - 1]) ? last : std::string_view::npos;
}

std::size_t NumberEnd(std::string_view line, std::size_t i) {
    if (line[i] == '&') {
        const bool hex = line[i + 1] == 'H' || line[i + 1] == 'h';
        i += 2;
        while (i < line.size() &&
               (IsDigit(line[i]) ||
                (hex && std::isxdigit(static_cast<unsigned char>(line[i])) != 0))) {
            ++i;
        }
    } else {
        while (i < line.size() && (IsDigit(line[i]) || line[i] == '.')) {
            ++i;
        }
        if (i < line.size() &&
            (line[i] == 'E' || line[i] == 'e' || line[i] == 'D' || line[i] == 'd') &&
            i + 1 < line.size() &&
            (IsDigit(line[i + 1]) || line[i + 1] == '-' || line[i + 1] == '+')) {
            i += 2;
            while (i < line.size() && IsDigit(line[i])) {
                ++i;
            }
        }
    }
    if (i < line.size() && std::string_view("%&!#@^").find(line[i]) != std::string_view::npos) {
        ++i;
    }
    return i;
}

}  // namespace

std::string StyleLine(std::string_view line, bool& inComment) {
    std::string styles(line.size(), kDefault);
    const std::size_t mark = ContinuationMark(line);
    const auto commentFrom = [&](std::size_t i) {
        std::fill(styles.begin() + static_cast<std::ptrdiff_t>(i), styles.end(), kComment);
        inComment = mark != std::string_view::npos;
        return styles;
    };
    if (inComment) {
        return commentFrom(0);
    }
    inComment = false;
    if (TrimLeadingBlanks(line).starts_with('#')) {
        const std::size_t comment = std::min(line.find('\''), line.size());
        styles.replace(0, comment, comment, kDirective);
        return comment == line.size() ? styles : commentFrom(comment);
    }
    bool statementStart = true;
    std::size_t i = 0;
    while (i < line.size()) {
        const char c = line[i];
        if (IsBlank(c)) {
            ++i;
            continue;
        }
        if (c == '\'') {
            return commentFrom(i);
        }
        std::size_t end = i + 1;
        char style = kDefault;
        if (c == '"') {
            while (end < line.size() &&
                   !(line[end] == '"' && (end + 1 >= line.size() || line[end + 1] != '"'))) {
                end += line[end] == '"' ? 2U : 1U;
            }
            end = std::min(end + 1, line.size());
            style = kString;
        } else if (IsDigit(c) || (c == '.' && i + 1 < line.size() && IsDigit(line[i + 1])) ||
                   (c == '&' && i + 2 < line.size() &&
                    std::string_view("HhOo").find(line[i + 1]) != std::string_view::npos &&
                    std::isxdigit(static_cast<unsigned char>(line[i + 2])) != 0)) {
            end = NumberEnd(line, i);
            style = kNumber;
        } else if (IsWordStart(c)) {
            while (end < line.size() && IsWordPart(line[end])) {
                ++end;
            }
            const std::string word = LowerAscii(line.substr(i, end - i));
            if (word == "rem" && statementStart) {
                return commentFrom(i);
            }
            if (Keywords().count(word) != 0) {
                style = kKeyword;
            }
        } else if (i == mark) {
            style = kContinuation;
        }
        std::fill(styles.begin() + static_cast<std::ptrdiff_t>(i),
                  styles.begin() + static_cast<std::ptrdiff_t>(end), style);
        statementStart = c == ':';
        i = end;
    }
    return styles;
}

VbLexer::VbLexer(QObject* parent) : QsciLexerCustom(parent) {}

QString VbLexer::description(int style) const {
    static const std::array<const char*, 7> names = {
        "Default", "Keyword", "Comment", "String", "Number", "Directive", "Continuation"};
    return style >= 0 && style < static_cast<int>(names.size())
               ? QString::fromLatin1(names[static_cast<std::size_t>(style)])
               : QString();
}

QColor VbLexer::defaultColor(int style) const {
    switch (static_cast<VbStyle>(style)) {
        case VbStyle::Keyword:
            return QColor(0x00, 0x00, 0xA0);
        case VbStyle::Comment:
            return QColor(0x00, 0x80, 0x00);
        case VbStyle::String:
            return QColor(0xA3, 0x15, 0x15);
        case VbStyle::Number:
            return QColor(0x09, 0x86, 0x58);
        case VbStyle::Directive:
            return QColor(0x80, 0x00, 0x80);
        case VbStyle::Continuation:
            return QColor(0x80, 0x80, 0x80);
        case VbStyle::Default:
            break;
    }
    return QColor(Qt::black);
}

QFont VbLexer::defaultFont(int style) const {
    QFont font;
    font.setFamilies({"Courier New", "DejaVu Sans Mono", "Monospace"});
    font.setStyleHint(QFont::Monospace);
    font.setPointSize(10);
    font.setBold(static_cast<VbStyle>(style) == VbStyle::Continuation);
    return font;
}

QColor VbLexer::defaultPaper(int) const {
    return QColor(Qt::white);
}

// Styles whole lines from the one that holds `start`; a line tells the next, through its line
// state, whether it carries a comment onto it.
void VbLexer::styleText(int start, int end) {
    QsciScintilla* text = editor();
    if (text == nullptr) {
        return;
    }
    const auto send = [text](unsigned int message, unsigned long wParam = 0, long lParam = 0) {
        return text->SendScintilla(message, wParam, lParam);
    };
    const auto first = static_cast<int>(
        send(QsciScintillaBase::SCI_LINEFROMPOSITION, static_cast<unsigned long>(start)));
    const auto last = static_cast<int>(
        send(QsciScintillaBase::SCI_LINEFROMPOSITION, static_cast<unsigned long>(end)));
    bool inComment = first > 0 && send(QsciScintillaBase::SCI_GETLINESTATE,
                                       static_cast<unsigned long>(first - 1)) != 0;
    const auto lineStart = static_cast<int>(
        send(QsciScintillaBase::SCI_POSITIONFROMLINE, static_cast<unsigned long>(first)));
    startStyling(lineStart);
    for (int line = first; line <= last; ++line) {
        const auto from = static_cast<int>(
            send(QsciScintillaBase::SCI_POSITIONFROMLINE, static_cast<unsigned long>(line)));
        const auto to = static_cast<int>(
            send(QsciScintillaBase::SCI_POSITIONFROMLINE, static_cast<unsigned long>(line + 1)));
        const QByteArray bytes = text->bytes(from, to);
        // bytes() ends with a NUL of its own.
        std::string_view content(bytes.constData(),
                                 static_cast<std::size_t>(std::max(0, to - from)));
        std::size_t length = content.size();
        while (length > 0 && (content[length - 1] == '\n' || content[length - 1] == '\r')) {
            --length;
        }
        const std::string styles = StyleLine(content.substr(0, length), inComment);
        std::size_t i = 0;
        while (i < styles.size()) {
            std::size_t run = i;
            while (run < styles.size() && styles[run] == styles[i]) {
                ++run;
            }
            setStyling(static_cast<int>(run - i), styles[i]);
            i = run;
        }
        if (content.size() > length) {
            setStyling(static_cast<int>(content.size() - length), kDefault);
        }
        send(QsciScintillaBase::SCI_SETLINESTATE, static_cast<unsigned long>(line),
             inComment ? 1 : 0);
    }
}

std::string RecasedLine(std::string_view line,
                        const std::map<std::string, std::string, std::less<>>& names,
                        bool inComment) {
    const std::string styles = StyleLine(line, inComment);
    std::string recased(line);
    for (std::size_t i = 0; i < line.size();) {
        if (!IsWordStart(line[i]) || (i > 0 && IsWordPart(line[i - 1]))) {
            ++i;
            continue;
        }
        std::size_t end = i;
        while (end < line.size() && IsWordPart(line[end])) {
            ++end;
        }
        const std::string lower = LowerAscii(line.substr(i, end - i));
        const std::string_view word = line.substr(i, end - i);
        const bool ascii = std::all_of(word.begin(), word.end(),
                                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
        std::string as;
        if (styles[i] == kKeyword) {
            as = KeywordCase(lower);
        } else if (const auto found = names.find(lower);
                   ascii && styles[i] == kDefault && found != names.end()) {
            as = found->second;
        }
        if (as.size() == word.size()) {
            recased.replace(i, as.size(), as);
        }
        i = end;
    }
    return recased;
}

}  // namespace brindle::workbench
