#pragma once
// The VB6 statement scanner: finds a module's procedures, their spans and End statements, and
// its members, in the text as written (any letter case, tabs, continuations, comments, #If).

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "model/Vbide.h"

namespace brindle::host {

enum class ProcKeyword : std::uint8_t { Sub, Function, Property };

std::string_view KeywordText(ProcKeyword keyword);  // "Sub", "Function", "Property"

// One procedure. Lines are 1-based lines of the code pane.
struct Procedure {
    std::string name;
    vbext_ProcKind kind = vbext_pk_Proc;
    ProcKeyword keyword = ProcKeyword::Sub;
    std::int32_t startLine = 0;     // first line of the span
    std::int32_t bodyLine = 0;      // where the (first) declaration statement begins
    std::int32_t declLastLine = 0;  // last line of that declaration statement
    std::int32_t endLine = 0;       // where its End statement begins; 0 when none matches its kind
    std::int32_t endLastLine = 0;   // last line of the End statement; 0 when there is none
};

// A module-level member in declaration order, one per name.
struct DeclaredMember {
    std::string name;
    vbext_MemberType type = vbext_mt_Method;
    std::int32_t line = 0;  // where its (first) declaration begins
};

struct ModuleIndex {
    std::vector<Procedure> procedures;  // in module order; start lines ascend
    std::vector<DeclaredMember> members;
    std::int32_t lineCount = 0;

    // The last line of procedure `i`'s span: the line before the next span, or the module's
    // last line.
    std::int32_t LastLine(std::size_t i) const;
};

// Feeds a module's physical lines in order. The texts must stay alive until Finish.
class Scanner {
public:
    explicit Scanner(int codePage = 1252);
    ~Scanner();
    Scanner(const Scanner&) = delete;
    Scanner& operator=(const Scanner&) = delete;

    void Feed(std::string_view line);
    ModuleIndex Finish();

private:
    struct State;
    std::unique_ptr<State> state_;
};

// What one line holds when read on its own, for deciding whether an edit can leave the
// structure of the module alone.
enum class LineRole : std::uint8_t {
    Inert,       // blank or comment only
    Statements,  // ordinary statements that change no structure inside a procedure body
    Structural,  // a declaration, End statement, block or directive, or a continued line
};
LineRole ClassifyLine(std::string_view line, int codePage = 1252);

// Whether the line's last non-blank character is an underscore after a blank (or at the line's
// start): a continuation mark, or something that may be one.
bool EndsWithContinuationMark(std::string_view line);

// The role of a run of whole logical lines, each read with its continued lines joined:
// Structural when any of them is, or when the run ends inside a continued statement.
LineRole ClassifyRun(const std::vector<std::string_view>& lines, int codePage = 1252);

}  // namespace brindle::host
