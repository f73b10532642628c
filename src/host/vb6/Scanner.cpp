#include "host/vb6/Scanner.h"

#include <algorithm>
#include <optional>
#include <unordered_set>
#include <utility>

#include "host/vb6/CodePage.h"
#include "util/Text.h"

namespace brindle::host {

namespace {

// Wider than util's IsBlank: here control characters other than NUL are blanks too.
bool IsBlankOrControl(unsigned char c) {
    return c == ' ' || c == '\t' || (c < 0x20 && c != 0);
}
bool IsLetter(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
bool IsWordStart(unsigned char c) {
    return IsLetter(c) || c == '_' || c >= 0x80;
}
bool IsWordChar(unsigned char c) {
    return IsWordStart(c) || IsDigit(c);
}

unsigned char At(std::string_view text, std::size_t i) {
    return i < text.size() ? static_cast<unsigned char>(text[i]) : 0;
}

// Position of the last non-blank byte, or npos.
std::size_t LastNonBlank(std::string_view text) {
    std::size_t p = text.size();
    while (p > 0 && IsBlankOrControl(At(text, p - 1))) {
        --p;
    }
    return p == 0 ? std::string_view::npos : p - 1;
}

// A comment that begins at `commentStart` (-1: the whole line is comment) goes on to the next
// line when it ends in a blank and an underscore.
bool CommentContinues(std::string_view text, std::ptrdiff_t commentStart) {
    std::size_t p = LastNonBlank(text);
    if (p == std::string_view::npos || text[p] != '_') {
        return false;
    }
    if (p == 0) {
        return commentStart < 0;
    }
    return IsBlankOrControl(At(text, p - 1)) && static_cast<std::ptrdiff_t>(p) - 1 > commentStart;
}

std::size_t FirstNonBlank(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (IsBlankOrControl(At(text, i)) || At(text, i) == 0)) {
        ++i;
    }
    return i;
}

template <std::size_t N>
bool IsAnyOf(std::string_view word, const std::string_view (&words)[N]) {
    return std::any_of(std::begin(words), std::end(words),
                       [&](std::string_view w) { return EqualsNoCase(word, w); });
}

// Whether a statement that begins with the word may be a declaration, an End statement or a
// Rem comment.
bool MayOpenAnything(std::string_view word) {
    const auto first = static_cast<char>(word.front() | 0x20);
    if (std::string_view("efgprs").find(first) == std::string_view::npos) {
        return false;
    }
    static constexpr std::string_view kOpeners[] = {"End",      "Public", "Private", "Friend",
                                                    "Global",   "Static", "Sub",     "Function",
                                                    "Property", "Rem"};
    return IsAnyOf(word, kOpeners);
}

// Whether a statement that begins with the word declares one of the module's members or types.
bool MayDeclareMember(std::string_view word) {
    static constexpr std::string_view kDeclarers[] = {"Declare", "Event", "Enum", "Type"};
    return IsAnyOf(word, kDeclarers);
}

// The word the line's statement begins with: ASCII letters, digits and underscores after a
// letter. Empty when it begins otherwise, or when the word goes on in a code page's letters.
std::string_view LeadingWord(std::string_view text) {
    const std::size_t begin = FirstNonBlank(text);
    if (!IsLetter(At(text, begin))) {
        return {};
    }
    std::size_t end = begin;
    while (IsAsciiLetterOrDigit(static_cast<char>(At(text, end))) || At(text, end) == '_') {
        ++end;
    }
    return At(text, end) >= 0x80 ? std::string_view() : text.substr(begin, end - begin);
}

// Whether the line is one whole statement, without a colon or a continuation, whose first word
// opens nothing. Inside a procedure's body such a line changes nothing but where the body's last
// statement ends, and most lines are such.
bool IsPlainStatement(std::string_view text) {
    const std::string_view word = LeadingWord(text);
    if (word.empty()) {
        return false;
    }
    const auto end = static_cast<std::size_t>(word.data() + word.size() - text.data());
    return !MayOpenAnything(word) && text.find(':', end) == std::string_view::npos &&
           !EndsWithContinuationMark(text);
}

enum class TokenKind : std::uint8_t { Word, Number, String, Date, Punct };

struct Token {
    TokenKind kind = TokenKind::Punct;
    bool bracketed = false;
    std::string_view text;
    std::int32_t line = 0;
};

bool IsWord(const Token& t, std::string_view word) {
    return t.kind == TokenKind::Word && !t.bracketed && EqualsNoCase(t.text, word);
}

bool IsPunct(const Token& t, std::string_view punct) {
    return t.kind == TokenKind::Punct && t.text == punct;
}

struct LexOutcome {
    bool continues = false;  // the logical line goes on on the next physical line
    bool inComment = false;  // ... and that line is comment
};

// Splits one physical line into tokens, appended to the tokens of its logical line.
class LineLexer {
public:
    LineLexer(int codePage, std::vector<Token>& tokens)
        : codePage_(codePage), doubleByte_(IsDoubleByteCodePage(codePage)), tokens_(tokens) {}

    LexOutcome Lex(std::string_view text, std::int32_t line) {
        text_ = text;
        line_ = line;
        firstOfLine_ = tokens_.size();
        std::size_t i = 0;
        while (i < text.size()) {
            if (IsBlankOrControl(At(text, i)) || At(text, i) == 0) {
                ++i;
            } else if (std::optional<std::size_t> next = LexToken(i)) {
                i = *next;
            } else {
                return CommentFrom(i);
            }
        }
        return FinishLine();
    }

private:
    // Lexes the token at `i` and returns where the next begins; nothing when a comment
    // begins at `i`.
    std::optional<std::size_t> LexToken(std::size_t i) {
        unsigned char c = At(text_, i);
        if (c == '\'') {
            return std::nullopt;
        }
        if (c == '"') {
            return LexString(i);
        }
        if (c == '[') {
            return LexBracketed(i);
        }
        if (IsWordStart(c)) {
            std::size_t end = LexWord(i);
            if (IsRemStatement(end)) {
                tokens_.pop_back();
                return std::nullopt;
            }
            return end;
        }
        if (StartsNumber(i)) {
            return LexNumber(i);
        }
        if (c == '#') {
            return LexHash(i);
        }
        std::size_t length = c == ':' && At(text_, i + 1) == '=' ? 2 : 1;
        Push(TokenKind::Punct, i, i + length);
        return i + length;
    }

    // Whether the word just lexed, ending at `end`, is Rem starting a comment statement.
    bool IsRemStatement(std::size_t end) const {
        return IsWord(tokens_.back(), "Rem") && AtStatementStart(tokens_.size() - 1) &&
               (end >= text_.size() || IsBlankOrControl(At(text_, end)));
    }

    bool StartsNumber(std::size_t i) const {
        unsigned char c = At(text_, i);
        unsigned char next = At(text_, i + 1);
        return IsDigit(c) || (c == '.' && IsDigit(next)) ||
               (c == '&' && (next == 'H' || next == 'h' || next == 'O' || next == 'o'));
    }

    void Push(TokenKind kind, std::size_t begin, std::size_t end, bool bracketed = false) {
        tokens_.push_back({kind, bracketed, text_.substr(begin, end - begin), line_});
    }

    // Whether the token at `index` begins a statement: first of its logical line (after a line
    // number), after a colon, or after Then or Else.
    bool AtStatementStart(std::size_t index) const {
        if (index == 0) {
            return true;
        }
        const Token& before = tokens_[index - 1];
        if (index == 1 && before.kind == TokenKind::Number) {
            return true;
        }
        return IsPunct(before, ":") || IsWord(before, "Then") || IsWord(before, "Else");
    }

    LexOutcome CommentFrom(std::size_t start) {
        bool continues = CommentContinues(text_, static_cast<std::ptrdiff_t>(start));
        return {continues, continues};
    }

    std::size_t LexString(std::size_t i) {
        std::size_t j = i + 1;
        while (j < text_.size()) {
            if (text_[j] == '"') {
                if (At(text_, j + 1) == '"') {
                    j += 2;
                    continue;
                }
                ++j;
                break;
            }
            ++j;
        }
        Push(TokenKind::String, i, std::min(j, text_.size()));
        return j;
    }

    std::size_t LexBracketed(std::size_t i) {
        std::size_t close = text_.find(']', i + 1);
        if (close == std::string_view::npos) {
            Push(TokenKind::Punct, i, i + 1);
            return i + 1;
        }
        Push(TokenKind::Word, i + 1, close, true);
        return close + 1;
    }

    std::size_t LexWord(std::size_t i) {
        std::size_t j = i;
        while (j < text_.size()) {
            unsigned char c = At(text_, j);
            if (doubleByte_ && IsLeadByte(c, codePage_) && j + 1 < text_.size()) {
                j += 2;
            } else if (IsWordChar(c)) {
                ++j;
            } else {
                break;
            }
        }
        Push(TokenKind::Word, i, j);
        return AfterTypeCharacter(j, "$%&!#@");
    }

    // A type character after a name or number ("Name$", "&HFF&") is no token of its own and
    // no part of the name.
    std::size_t AfterTypeCharacter(std::size_t j, std::string_view characters) const {
        unsigned char c = At(text_, j);
        bool typed = c != 0 && characters.find(static_cast<char>(c)) != std::string_view::npos &&
                     !IsWordChar(At(text_, j + 1));
        return typed ? j + 1 : j;
    }

    std::size_t LexNumber(std::size_t i) {
        std::size_t j = i;
        if (text_[j] == '&') {
            j += 2;
        }
        while (j < text_.size()) {
            unsigned char c = At(text_, j);
            bool exponentSign =
                (c == '+' || c == '-') && j > i &&
                std::string_view("EeDd").find(text_[j - 1]) != std::string_view::npos &&
                IsDigit(At(text_, j + 1));
            if (IsDigit(c) || IsLetter(c) || c == '.' || exponentSign) {
                ++j;
            } else {
                break;
            }
        }
        Push(TokenKind::Number, i, j);
        return AfterTypeCharacter(j, "%&!#@");
    }

    // "#" opens a directive at a statement's start, a date literal in an expression, and is a
    // file number's sign after the file statements.
    std::size_t LexHash(std::size_t i) {
        if (!AtStatementStart(tokens_.size()) && !AfterFileKeyword()) {
            std::size_t close = text_.find('#', i + 1);
            if (close != std::string_view::npos && IsDateText(text_.substr(i + 1, close - i - 1))) {
                Push(TokenKind::Date, i, close + 1);
                return close + 1;
            }
        }
        Push(TokenKind::Punct, i, i + 1);
        return i + 1;
    }

    bool AfterFileKeyword() const {
        if (tokens_.empty()) {
            return false;
        }
        static constexpr std::string_view kFileWords[] = {"Print", "Write",  "Input", "Get",
                                                          "Put",   "As",     "Close", "Seek",
                                                          "Lock",  "Unlock", "Width"};
        return std::any_of(std::begin(kFileWords), std::end(kFileWords),
                           [&](std::string_view w) { return IsWord(tokens_.back(), w); });
    }

    static bool IsDateText(std::string_view body) {
        bool digit = false;
        for (char ch : body) {
            auto c = static_cast<unsigned char>(ch);
            if (IsDigit(c)) {
                digit = true;
            } else if (!IsLetter(c) &&
                       std::string_view(" /-:.,").find(ch) == std::string_view::npos) {
                return false;
            }
        }
        return digit;
    }

    LexOutcome FinishLine() {
        if (tokens_.size() > firstOfLine_) {
            const Token& last = tokens_.back();
            if (last.kind == TokenKind::Word && !last.bracketed && last.text == "_") {
                auto offset = static_cast<std::size_t>(last.text.data() - text_.data());
                // "_$" (a type character after it) continues nothing: the mark ends the line.
                if ((offset == 0 || IsBlankOrControl(At(text_, offset - 1))) &&
                    LastNonBlank(text_) == offset) {
                    tokens_.pop_back();
                    return {true, false};
                }
            }
        }
        return {false, false};
    }

    int codePage_;
    bool doubleByte_;
    std::vector<Token>& tokens_;
    std::string_view text_;
    std::int32_t line_ = 0;
    std::size_t firstOfLine_ = 0;
};

enum class StmtKind : std::uint8_t {
    Other,
    ProcDecl,
    ProcEnd,
    BlockStart,
    BlockEnd,
    Declare,
    Event,
    Const,
    Variables,
    DirectiveIf,
    DirectiveElse,
    DirectiveEndIf,
    DirectiveOther,
};

struct Stmt {
    StmtKind kind = StmtKind::Other;
    vbext_ProcKind procKind = vbext_pk_Proc;
    ProcKeyword keyword = ProcKeyword::Sub;
    std::string_view name;
    std::size_t namesFrom = 0;  // Const and Variables: where the declared names begin
};

Stmt Of(StmtKind kind) {
    Stmt s;
    s.kind = kind;
    return s;
}

using Tokens = std::vector<Token>;
using TokenRange = std::pair<std::size_t, std::size_t>;  // [first, last) into a Tokens

class Classifier {
public:
    Classifier(const Tokens& tokens, TokenRange range)
        : tokens_(tokens), begin_(range.first), end_(range.second) {}

    Stmt Run() const {
        if (IsPunct(Tok(0), "#")) {
            return Directive();
        }
        std::size_t i = 0;
        bool scoped = false;
        if (IsAnyWord(i, {"Public", "Private", "Friend", "Global"})) {
            scoped = true;
            ++i;
        }
        bool isStatic = IsWord(Tok(i), "Static");
        if (isStatic) {
            ++i;
        }
        if (auto decl = Procedure(i)) {
            return *decl;
        }
        if (isStatic) {
            return {StmtKind::Variables, vbext_pk_Proc, ProcKeyword::Sub, {}, i};
        }
        return Declaration(i, scoped);
    }

private:
    static inline const Token kNone{};

    const Token& Tok(std::size_t i) const {
        return begin_ + i < end_ ? tokens_[begin_ + i] : kNone;
    }

    bool IsAnyWord(std::size_t i, std::initializer_list<std::string_view> words) const {
        return std::any_of(words.begin(), words.end(),
                           [&](std::string_view w) { return IsWord(Tok(i), w); });
    }

    std::string_view NameAt(std::size_t i) const {
        return Tok(i).kind == TokenKind::Word ? Tok(i).text : std::string_view();
    }

    Stmt Directive() const {
        const Token& word = Tok(1);
        if (IsWord(word, "If")) {
            return Of(StmtKind::DirectiveIf);
        }
        if (IsWord(word, "ElseIf") || IsWord(word, "Else")) {
            return Of(StmtKind::DirectiveElse);
        }
        if (IsWord(word, "EndIf") || (IsWord(word, "End") && IsWord(Tok(2), "If"))) {
            return Of(StmtKind::DirectiveEndIf);
        }
        return Of(StmtKind::DirectiveOther);
    }

    std::optional<Stmt> Procedure(std::size_t i) const {
        Stmt s = Of(StmtKind::ProcDecl);
        std::size_t nameAt = i + 1;
        if (IsWord(Tok(i), "Sub")) {
            s.keyword = ProcKeyword::Sub;
        } else if (IsWord(Tok(i), "Function")) {
            s.keyword = ProcKeyword::Function;
        } else if (IsWord(Tok(i), "Property") && IsAnyWord(i + 1, {"Get", "Let", "Set"})) {
            s.keyword = ProcKeyword::Property;
            s.procKind = IsWord(Tok(i + 1), "Get")   ? vbext_pk_Get
                         : IsWord(Tok(i + 1), "Let") ? vbext_pk_Let
                                                     : vbext_pk_Set;
            nameAt = i + 2;
        } else {
            return std::nullopt;
        }
        s.name = NameAt(nameAt);
        if (s.name.empty()) {
            return std::nullopt;
        }
        return s;
    }

    Stmt Declaration(std::size_t i, bool scoped) const {
        if (IsWord(Tok(i), "Declare")) {
            std::size_t j = IsWord(Tok(i + 1), "PtrSafe") ? i + 2 : i + 1;
            if (IsAnyWord(j, {"Sub", "Function"}) && !NameAt(j + 1).empty()) {
                return {StmtKind::Declare, vbext_pk_Proc, ProcKeyword::Sub, NameAt(j + 1)};
            }
            return {};
        }
        if (IsWord(Tok(i), "Event") && !NameAt(i + 1).empty()) {
            return {StmtKind::Event, vbext_pk_Proc, ProcKeyword::Sub, NameAt(i + 1)};
        }
        if (IsAnyWord(i, {"Enum", "Type"}) && !NameAt(i + 1).empty()) {
            return Of(StmtKind::BlockStart);
        }
        if (IsWord(Tok(i), "Const")) {
            return {StmtKind::Const, vbext_pk_Proc, ProcKeyword::Sub, {}, i + 1};
        }
        if (IsWord(Tok(i), "Dim")) {
            return {StmtKind::Variables, vbext_pk_Proc, ProcKeyword::Sub, {}, i + 1};
        }
        if (scoped) {
            return {StmtKind::Variables, vbext_pk_Proc, ProcKeyword::Sub, {}, i};
        }
        if (i == 0 && IsWord(Tok(0), "End")) {
            if (IsAnyWord(1, {"Sub", "Function", "Property"})) {
                Stmt s = Of(StmtKind::ProcEnd);
                s.keyword = IsWord(Tok(1), "Sub")        ? ProcKeyword::Sub
                            : IsWord(Tok(1), "Function") ? ProcKeyword::Function
                                                         : ProcKeyword::Property;
                return s;
            }
            if (IsAnyWord(1, {"Enum", "Type"})) {
                return Of(StmtKind::BlockEnd);
            }
        }
        return {};
    }

    const Tokens& tokens_;
    std::size_t begin_;
    std::size_t end_;
};

// The names a Const or variable declaration declares: the first word of every comma-separated
// piece outside brackets.
std::vector<std::string_view> DeclaredNames(const Tokens& tokens, TokenRange range) {
    std::vector<std::string_view> names;
    int depth = 0;
    bool wantName = true;
    for (std::size_t i = range.first; i < range.second; ++i) {
        const Token& t = tokens[i];
        if (IsPunct(t, "(")) {
            ++depth;
        } else if (IsPunct(t, ")")) {
            depth = std::max(0, depth - 1);
        } else if (depth == 0 && IsPunct(t, ",")) {
            wantName = true;
        } else if (wantName && depth == 0 && t.kind == TokenKind::Word &&
                   !IsWord(t, "WithEvents")) {
            names.push_back(t.text);
            wantName = false;
        }
    }
    return names;
}

// Splits a logical line into statements at its colons, a leading line number dropped, and
// hands each to `take(TokenRange range, bool last)`; stops early when `take` returns false.
template <class Take>
void ForEachStatement(const Tokens& tokens, Take take) {
    std::size_t begin = 0;
    if (!tokens.empty() && tokens.front().kind == TokenKind::Number) {
        begin = 1;
    }
    TokenRange pending{0, 0};  // one statement behind, to tell the last
    for (std::size_t i = begin; i <= tokens.size(); ++i) {
        if (i == tokens.size() || IsPunct(tokens[i], ":")) {
            if (i > begin) {
                if (pending.second != 0 && !take(pending, false)) {
                    return;
                }
                pending = {begin, i};
            }
            begin = i + 1;
        }
    }
    if (pending.second != 0) {
        take(pending, true);
    }
}

// Builds the index from the module's statements, in order.
class IndexBuilder {
public:
    void OnLogicalLine(const Tokens& tokens, std::int32_t lastLine) {
        ForEachStatement(tokens, [&](TokenRange range, bool final) {
            std::int32_t first = tokens[range.first].line;
            std::int32_t last = final ? lastLine : tokens[range.second - 1].line;
            OnStatement(tokens, range, first, last);
            return true;
        });
    }

    // Inside a procedure's body, where only its End statement, another declaration or a
    // directive changes the index.
    bool InBody() const { return open_.has_value() && !inBlock_; }
    // A statement of the body that is none of those, on `line` alone.
    void OnBodyStatement(std::int32_t line) { lastStatement_ = line; }

    ModuleIndex Finish(std::int32_t lineCount) {
        index_.lineCount = lineCount;
        return std::move(index_);
    }

private:
    struct Frame {
        int id = 0;
        int branch = 0;
        bool hadDeclaration = false;
    };
    struct OpenProc {
        std::size_t index = 0;
        std::vector<std::pair<int, int>> frames;  // id and branch of the #If blocks around it
    };

    void OnStatement(const Tokens& tokens, TokenRange range, std::int32_t first,
                     std::int32_t last) {
        Stmt s = Classifier(tokens, range).Run();
        if (OnDirective(s.kind, last)) {
            return;
        }
        if (inBlock_) {
            if (s.kind == StmtKind::BlockEnd) {
                inBlock_ = false;
                MarkDeclaration(last);
            }
        } else if (open_) {
            InProcedure(s, first, last);
        } else if (s.kind == StmtKind::ProcDecl) {
            Open(s, first, last);
        } else {
            OutsideProcedures(s, tokens, range, first, last);
        }
        lastStatement_ = last;
    }

    bool OnDirective(StmtKind kind, std::int32_t last) {
        switch (kind) {
            case StmtKind::DirectiveIf:
                frames_.push_back({nextFrame_++, 0, false});
                return true;
            case StmtKind::DirectiveElse:
                if (!frames_.empty()) {
                    ExtendDeclarations(last);
                    ++frames_.back().branch;
                }
                return true;
            case StmtKind::DirectiveEndIf:
                if (!frames_.empty()) {
                    ExtendDeclarations(last);
                    frames_.pop_back();
                }
                return true;
            case StmtKind::DirectiveOther:
                return true;
            default:
                return false;
        }
    }

    // A directive that closes part of an #If block holding declarations belongs to the
    // declarations above it, not to the procedure below.
    void ExtendDeclarations(std::int32_t last) {
        if (!open_ && !inBlock_ && frames_.back().hadDeclaration) {
            anchor_ = last;
        }
    }

    void InProcedure(const Stmt& s, std::int32_t first, std::int32_t last) {
        if (s.kind == StmtKind::ProcEnd) {
            // An End statement of another kind closes the span all the same, but is no End
            // statement of this procedure.
            Procedure& p = index_.procedures[open_->index];
            if (s.keyword == p.keyword) {
                p.endLine = first;
                p.endLastLine = last;
            }
            anchor_ = last;
            open_.reset();
        } else if (s.kind == StmtKind::ProcDecl && !IsAlternativeDeclaration()) {
            // The open procedure has no End statement; it ends with its last statement.
            anchor_ = lastStatement_;
            open_.reset();
            Open(s, first, last);
        }
    }

    // A declaration in another branch of an #If block that holds the open procedure's
    // declaration declares the same procedure for other conditions.
    bool IsAlternativeDeclaration() const {
        for (const auto& [id, branch] : open_->frames) {
            for (const Frame& f : frames_) {
                if (f.id == id && f.branch != branch) {
                    return true;
                }
            }
        }
        return false;
    }

    void Open(const Stmt& s, std::int32_t first, std::int32_t last) {
        Procedure p;
        p.name = std::string(s.name);
        p.kind = s.procKind;
        p.keyword = s.keyword;
        p.startLine = std::min(anchor_ + 1, first);
        p.bodyLine = first;
        p.declLastLine = last;
        OpenProc open{index_.procedures.size(), {}};
        for (const Frame& f : frames_) {
            open.frames.emplace_back(f.id, f.branch);
        }
        open_ = std::move(open);
        index_.procedures.push_back(std::move(p));
        AddMember(s.name, s.keyword == ProcKeyword::Property ? vbext_mt_Property : vbext_mt_Method,
                  first);
    }

    void OutsideProcedures(const Stmt& s, const Tokens& tokens, TokenRange range,
                           std::int32_t first, std::int32_t last) {
        MarkDeclaration(last);
        switch (s.kind) {
            case StmtKind::Declare:
                AddMember(s.name, vbext_mt_Method, first);
                break;
            case StmtKind::Event:
                AddMember(s.name, vbext_mt_Event, first);
                break;
            case StmtKind::Const:
            case StmtKind::Variables:
                for (std::string_view name :
                     DeclaredNames(tokens, {range.first + s.namesFrom, range.second})) {
                    AddMember(name, s.kind == StmtKind::Const ? vbext_mt_Const : vbext_mt_Variable,
                              first);
                }
                break;
            case StmtKind::BlockStart:
                inBlock_ = true;
                break;
            default:
                break;
        }
    }

    void MarkDeclaration(std::int32_t last) {
        anchor_ = last;
        for (Frame& f : frames_) {
            f.hadDeclaration = true;
        }
    }

    void AddMember(std::string_view name, vbext_MemberType type, std::int32_t line) {
        // One member per name and type: the accessors of a property, or declarations repeated
        // under #If ... #Else, are one member; an event and a method of one name are two.
        if (memberKeys_.insert(LowerAscii(name) + static_cast<char>('0' + type)).second) {
            index_.members.push_back({std::string(name), type, line});
        }
    }

    ModuleIndex index_;
    std::unordered_set<std::string> memberKeys_;
    std::vector<Frame> frames_;
    int nextFrame_ = 0;
    std::optional<OpenProc> open_;
    bool inBlock_ = false;
    std::int32_t anchor_ =
        0;  // last line of the statement that ends the region above the next span
    std::int32_t lastStatement_ = 0;
};

}  // namespace

std::string_view KeywordText(ProcKeyword keyword) {
    switch (keyword) {
        case ProcKeyword::Sub:
            return "Sub";
        case ProcKeyword::Function:
            return "Function";
        case ProcKeyword::Property:
            return "Property";
    }
    return "Sub";
}

std::int32_t ModuleIndex::LastLine(std::size_t i) const {
    return i + 1 < procedures.size() ? procedures[i + 1].startLine - 1 : lineCount;
}

struct Scanner::State {
    explicit State(int page) : codePage(page), lexer(page, tokens) {}
    int codePage;
    Tokens tokens;
    LineLexer lexer;
    IndexBuilder builder;
    std::int32_t line = 0;
    bool continuing = false;
    bool inComment = false;
};

Scanner::Scanner(int codePage) : state_(std::make_unique<State>(codePage)) {}

Scanner::~Scanner() = default;

void Scanner::Feed(std::string_view text) {
    State& s = *state_;
    ++s.line;
    if (!s.continuing && s.builder.InBody() && IsPlainStatement(text)) {
        s.builder.OnBodyStatement(s.line);
        return;
    }
    if (!s.continuing) {
        s.tokens.clear();
    }
    if (s.inComment) {
        s.continuing = s.inComment = CommentContinues(text, -1);
    } else {
        LexOutcome outcome = s.lexer.Lex(text, s.line);
        s.continuing = outcome.continues;
        s.inComment = outcome.inComment;
    }
    if (!s.continuing) {
        s.builder.OnLogicalLine(s.tokens, s.line);
    }
}

ModuleIndex Scanner::Finish() {
    State& s = *state_;
    if (s.continuing) {
        s.builder.OnLogicalLine(s.tokens, s.line);
        s.continuing = s.inComment = false;
    }
    return s.builder.Finish(s.line);
}

LineRole ClassifyLine(std::string_view line, int codePage) {
    // Blank and comment lines, most of what gets inserted, need no lexing; nor does a plain
    // statement, unless it may declare something of the module's.
    const std::size_t first = FirstNonBlank(line);
    if (first == line.size()) {
        return LineRole::Inert;
    }
    if (line[first] == '\'') {
        return CommentContinues(line, static_cast<std::ptrdiff_t>(first)) ? LineRole::Structural
                                                                          : LineRole::Inert;
    }
    if (IsPlainStatement(line) && !MayDeclareMember(LeadingWord(line))) {
        return LineRole::Statements;
    }
    Tokens tokens;
    LineLexer lexer(codePage, tokens);
    if (lexer.Lex(line, 1).continues) {
        return LineRole::Structural;
    }
    if (tokens.empty()) {
        return LineRole::Inert;
    }
    LineRole role = LineRole::Statements;
    ForEachStatement(tokens, [&](TokenRange range, bool) {
        switch (Classifier(tokens, range).Run().kind) {
            case StmtKind::Other:
            case StmtKind::Const:
            case StmtKind::Variables:
                return true;
            default:
                role = LineRole::Structural;
                return false;
        }
    });
    return role;
}

bool EndsWithContinuationMark(std::string_view line) {
    std::size_t p = LastNonBlank(line);
    return p != std::string_view::npos && line[p] == '_' &&
           (p == 0 || IsBlankOrControl(At(line, p - 1)));
}

LineRole ClassifyRun(const std::vector<std::string_view>& lines, int codePage) {
    LineRole run = LineRole::Inert;
    std::string logical;
    for (std::string_view line : lines) {
        if (EndsWithContinuationMark(line)) {
            logical.append(line.substr(0, LastNonBlank(line)));
            logical += ' ';
            continue;
        }
        LineRole role;
        if (logical.empty()) {
            role = ClassifyLine(line, codePage);  // most lines continue nothing: not copied
        } else {
            logical.append(line);
            role = ClassifyLine(logical, codePage);
            logical.clear();
        }
        if (role == LineRole::Structural) {
            return role;
        }
        if (role == LineRole::Statements) {
            run = role;
        }
    }
    return logical.empty() ? run : LineRole::Structural;
}

}  // namespace brindle::host
