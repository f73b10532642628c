#include "codegen/BlockText.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <mutex>

#include "analysis/LineHelpers.h"
#include "codegen/Insertion.h"
#include "model/AddinName.h"
#include "model/VbError.h"
#include "templates/Expansion.h"
#include "util/Text.h"

namespace brindle {
namespace {

// One line as literal pieces with holes between them: pieces.size() == holes.size() + 1. A
// hole stands for any text on the line; it is named after the keyword it takes the place of.
struct LinePattern {
    std::vector<std::string> pieces{std::string()};
    std::vector<std::string> holes;

    void Hole(std::string name) {
        holes.push_back(std::move(name));
        pieces.emplace_back();
    }
};

constexpr std::size_t kNoMatch = std::string_view::npos;

// Besides digits, what a date may show: the separators of any Date Format (a block keeps the
// date it was written with in another), blanks, and the other characters of today's date.
std::string DateMarks(std::string_view today) {
    std::string marks = "/.-_ \t";
    for (const char c : today) {
        if (!IsDigit(c)) {
            marks += c;
        }
    }
    return marks;
}

bool HasDigit(std::string_view text) {
    return text.find_first_of("0123456789") != std::string_view::npos;
}

bool IsMultiLineKeyword(std::string_view keyword) {
    return EqualsNoCase(keyword, "Parameters") || EqualsNoCase(keyword, "ParameterNames");
}

bool IsWordChar(char c) {
    return IsAsciiLetterOrDigit(c) || c == '_' || static_cast<unsigned char>(c) >= 0x80;
}

std::size_t WordEnd(std::string_view text, std::size_t at) {
    while (at < text.size() && IsWordChar(text[at])) {
        ++at;
    }
    return at;
}

std::size_t BlanksEnd(std::string_view text, std::size_t at) {
    while (at < text.size() && IsBlank(text[at])) {
        ++at;
    }
    return at;
}

// A name, with the character that gives its type ("Name$").
std::size_t NameEnd(std::string_view text, std::size_t at) {
    const auto end = WordEnd(text, at);
    const bool typed = end > at && end < text.size() &&
                       std::string_view("%&!#@$").find(text[end]) != std::string_view::npos;
    return typed ? end + 1 : end;
}

// Where the word at `at` ends when it is `word`, else `at`.
std::size_t WordIs(std::string_view text, std::size_t at, std::string_view word) {
    const auto end = WordEnd(text, at);
    return EqualsNoCase(text.substr(at, end - at), word) ? end : at;
}

// How much of `text` one parameter takes as VB writes it, [Optional] [ByVal | ByRef]
// [ParamArray] name[()] [As type] [= default], or with `nameOnly` its name; 0 when none starts
// it. What follows on the line is the user's.
std::size_t ParameterLength(std::string_view text, bool nameOnly) {
    std::size_t at = 0;
    while (!nameOnly) {
        const auto end = WordEnd(text, at);
        const auto next = BlanksEnd(text, end);
        if (end == at || next == end || !IsParmListKeyword(text.substr(at, end - at))) {
            break;
        }
        at = next;
    }
    const auto name = NameEnd(text, at);
    if (name == at) {
        return 0;
    }
    at = name;
    if (text.substr(at).starts_with("()")) {
        at += 2;
    }
    if (nameOnly) {
        return at;
    }
    const auto as = BlanksEnd(text, at);
    if (const auto afterAs = WordIs(text, as, "As"); afterAs > as) {
        auto type = BlanksEnd(text, afterAs);
        if (const auto afterNew = WordIs(text, type, "New"); afterNew > type) {
            type = BlanksEnd(text, afterNew);
        }
        auto end = WordEnd(text, type);
        while (end > type && end < text.size() && text[end] == '.' &&
               WordEnd(text, end + 1) > end + 1) {
            end = WordEnd(text, end + 1);
        }
        at = end > type ? end : at;
    }
    if (const auto equals = BlanksEnd(text, at); equals < text.size() && text[equals] == '=') {
        auto value = BlanksEnd(text, equals + 1);
        if (value < text.size() && text[value] == '"') {
            // Up to the closing quote; "" stands for one quote within.
            do {
                value = std::min(text.find('"', value + 1), text.size());
                ++value;
            } while (value < text.size() && text[value] == '"');
            at = std::min(value, text.size());
        } else if (const auto end = text.find_first_of(" \t", value); end > value) {
            at = std::min(end, text.size());
        }
    }
    return at;
}

// How much of `text` the value of `keyword` takes where its form tells (a name, a kind of
// procedure, a parameter); nothing for a value of any text.
std::optional<std::size_t> FormLength(std::string_view keyword, std::string_view text) {
    if (IsMultiLineKeyword(keyword)) {
        return ParameterLength(text, EqualsNoCase(keyword, "ParameterNames"));
    }
    for (const std::string_view word : {"ModuleName", "ProcedureName", "ProcedureType"}) {
        if (EqualsNoCase(keyword, word)) {
            return NameEnd(text, 0);
        }
    }
    return std::nullopt;
}

// How far a pattern reaches: to the line's end; to anywhere, what follows being left over; or
// beyond it, the line stopping short of the end of the last piece.
enum class Reach { Whole, Prefix, Cut };

// How holes match. Loosely each takes any text. Strictly, a Date hole takes only a date's
// characters with a digit among them, and a hole whose value has a form (a name, a parameter)
// only that, so that what follows them is told apart.
struct Matching {
    const std::string* dateMarks = nullptr;  // strictly, when set
    Reach reach = Reach::Whole;

    bool TakesDateOnly(const LinePattern& pattern, std::size_t hole) const {
        return dateMarks != nullptr && EqualsNoCase(pattern.holes[hole], "Date");
    }
    // How much of `text` the hole takes when its value has a form of its own.
    std::optional<std::size_t> FormOf(const LinePattern& pattern, std::size_t hole,
                                      std::string_view text) const {
        return dateMarks == nullptr ? std::nullopt : FormLength(pattern.holes[hole], text);
    }
    bool IsDateChar(char c) const { return IsDigit(c) || dateMarks->find(c) != std::string::npos; }
    // Whether `rest`, what follows a hole on the line, fits the piece after it.
    bool Fits(std::string_view rest, std::string_view piece, bool last) const {
        if (last && reach == Reach::Cut) {
            return rest.size() < piece.size() && piece.starts_with(rest);
        }
        return rest.starts_with(piece) && (!last || reach == Reach::Prefix || rest == piece);
    }
};

// Matches the holes from `hole` on, the piece before it already matched up to `at`; the
// shortest text for each hole first. `values` receives what each hole stood for. Returns where
// the match ends, or kNoMatch.
std::size_t MatchFrom(const LinePattern& pattern, std::string_view line, std::size_t hole,
                      std::size_t at, std::vector<std::string_view>& values, const Matching& how) {
    if (hole == pattern.holes.size()) {
        return how.reach == Reach::Prefix || at == line.size() ? at : kNoMatch;
    }
    const std::string& next = pattern.pieces[hole + 1];
    const bool last = hole + 1 == pattern.holes.size();
    const bool date = how.TakesDateOnly(pattern, hole);
    auto from = at;
    auto to = line.size();
    if (const auto length = how.FormOf(pattern, hole, line.substr(at))) {
        if (*length == 0) {
            return kNoMatch;
        }
        from = to = at + *length;
    }
    for (auto end = from; end <= to && end <= line.size(); ++end) {
        if (date && end > at && !how.IsDateChar(line[end - 1])) {
            break;
        }
        if (!how.Fits(line.substr(end), next, last)) {
            continue;
        }
        values[hole] = line.substr(at, end - at);
        if (date && !HasDigit(values[hole])) {
            continue;
        }
        const auto done = last && how.reach == Reach::Cut
                              ? line.size()
                              : MatchFrom(pattern, line, hole + 1, end + next.size(), values, how);
        if (done != kNoMatch) {
            return done;
        }
    }
    return kNoMatch;
}

std::size_t MatchEnd(const LinePattern& pattern, std::string_view line,
                     std::vector<std::string_view>& values, const Matching& how) {
    values.assign(pattern.holes.size(), {});
    const auto& first = pattern.pieces.front();
    if (how.reach == Reach::Cut && (pattern.holes.empty() || !line.starts_with(first))) {
        return how.Fits(line, first, true) ? line.size() : kNoMatch;
    }
    if (!line.starts_with(first)) {
        return kNoMatch;
    }
    return MatchFrom(pattern, line, 0, first.size(), values, how);
}

bool Match(const LinePattern& pattern, std::string_view line,
           std::vector<std::string_view>* values = nullptr) {
    std::vector<std::string_view> found;
    if (MatchEnd(pattern, line, found, Matching{}) == kNoMatch) {
        return false;
    }
    if (values != nullptr) {
        *values = std::move(found);
    }
    return true;
}

// An expected line with a hole for each date in it.
LinePattern DatePattern(std::string_view line) {
    LinePattern pattern;
    std::size_t from = 0;
    for (auto hole = line.find(kDateHole); hole != std::string_view::npos;
         hole = line.find(kDateHole, from)) {
        pattern.pieces.back() += line.substr(from, hole - from);
        pattern.Hole("Date");
        from = hole + kDateHole.size();
    }
    pattern.pieces.back() += line.substr(from);
    return pattern;
}

// A template line with a hole for each keyword. A keyword whose value spans lines ends the
// pattern: what follows it lands on a later line.
LinePattern TemplateLinePattern(std::string_view line) {
    LinePattern pattern;
    std::int32_t start = 0;
    std::int32_t end = 0;
    std::size_t from = 0;
    for (auto keyword = GetKeyword(line, 1, start, end); !keyword.empty();
         keyword = GetKeyword(line, end + 1, start, end)) {
        pattern.pieces.back() += line.substr(from, static_cast<std::size_t>(start - 1) - from);
        pattern.Hole(keyword);
        from = static_cast<std::size_t>(end);
        if (IsMultiLineKeyword(keyword)) {
            return pattern;
        }
    }
    pattern.pieces.back() += line.substr(from);
    return pattern;
}

bool IsNameChar(char c) {
    return IsAsciiLetterOrDigit(c) || c == '_';
}

// One line of a block as the template in use makes it: its text with a hole for each date, and
// its shape, with a hole for each keyword's value.
struct ShapedLine {
    LinePattern text;
    LinePattern shape;

    void Add(std::string_view fixed) {
        text.pieces.back() += fixed;
        shape.pieces.back() += fixed;
    }
};

// Puts a keyword's value in place. A value of several lines (the parameters, one a line, each
// opened by an apostrophe and a tab) goes on in new lines of the same template line, so a
// parameter renamed or added still fits its shape.
void AddValue(std::vector<ShapedLine>& lines, const std::string& keyword, std::string_view value) {
    if (EqualsNoCase(keyword, "Date")) {
        lines.back().text.Hole(keyword);
        lines.back().shape.Hole(keyword);
        return;
    }
    const auto place = [&](std::size_t i, std::string_view part) {
        if (i > 0) {
            lines.emplace_back();
            if (part.starts_with("'\t")) {
                lines.back().Add(part.substr(0, 2));
                part.remove_prefix(2);
            }
        } else if (IsMultiLineKeyword(keyword) && part.empty()) {
            return;
        }
        lines.back().text.pieces.back() += part;
        lines.back().shape.Hole(keyword);
    };
    // Line by line, as InsertedLines breaks it.
    std::size_t begin = 0;
    for (std::size_t i = 0;; ++i) {
        const std::size_t end = std::min(value.find_first_of("\r\n", begin), value.size());
        place(i, value.substr(begin, end - begin));
        if (end == value.size()) {
            return;
        }
        begin = end + (value.substr(end, 2) == "\r\n" ? 2 : 1);
    }
}

// A template's line: text that stands as it is, each piece followed by a keyword (none after
// the last).
struct TemplatePiece {
    std::string fixed;
    std::string keyword;
};
using TemplateLine = std::vector<TemplatePiece>;

std::vector<TemplateLine> TemplateLinesOf(std::string_view code) {
    std::vector<TemplateLine> lines;
    for (const auto& text : InsertedLines(code)) {
        auto& line = lines.emplace_back();
        std::int32_t start = 0;
        std::int32_t end = 0;
        std::size_t from = 0;
        for (auto keyword = GetKeyword(text, 1, start, end); !keyword.empty();
             keyword = GetKeyword(text, end + 1, start, end)) {
            line.push_back({text.substr(from, static_cast<std::size_t>(start - 1) - from),
                            std::move(keyword)});
            from = static_cast<std::size_t>(end);
        }
        line.push_back({text.substr(from), {}});
    }
    return lines;
}

// The lines of a template in a module's code page. A refresh asks for the same few templates
// for every procedure of every module, so the last one read for each role is kept, known by
// its text. (Kept for the process, not per thread: MinGW's threads free their thread_local
// objects unsafely when they end.)
std::shared_ptr<const std::vector<TemplateLine>> TemplateLinesFor(BlockRole role,
                                                                  std::string code) {
    struct Read {
        std::string code;
        std::shared_ptr<const std::vector<TemplateLine>> lines;
    };
    static std::mutex guard;
    static std::array<Read, static_cast<std::size_t>(BlockRole::Other)> last;
    const std::lock_guard lock(guard);
    auto& read = last[static_cast<std::size_t>(role)];
    if (!read.lines || read.code != code) {
        read.lines = std::make_shared<const std::vector<TemplateLine>>(TemplateLinesOf(code));
        read.code = std::move(code);
    }
    return read.lines;
}

// The template expanded line by line, as BuildCode expands it whole.
std::vector<ShapedLine> ShapedLines(const AddinFields& fields, CodeModule& module, BlockRole role,
                                    const ProcSpan* proc) {
    const std::string* tmplt = TemplateOf(fields, role);
    if (tmplt == nullptr) {
        Raise(Err::InvalidCall, kAddinComponent);
    }
    std::shared_ptr<const Member> member;
    std::int32_t bodyLine = 1;
    if (proc != nullptr) {
        bodyLine = module.ProcBodyLine(proc->name, proc->kind);
        member = ProcedureMemberOf(module, proc->name);
    }
    std::string code = module.FromUnicode(*tmplt);
    if (!code.empty() && (code.back() == '\r' || code.back() == '\n')) {
        code.pop_back();
    }
    const auto templateLines = TemplateLinesFor(role, std::move(code));
    std::vector<ShapedLine> lines;
    for (const auto& templateLine : *templateLines) {
        lines.emplace_back();
        for (const auto& piece : templateLine) {
            lines.back().Add(piece.fixed);
            if (!piece.keyword.empty()) {
                AddValue(
                    lines, piece.keyword,
                    EqualsNoCase(piece.keyword, "Date")
                        ? std::string()
                        : ExpandKeyword(fields, piece.keyword, module, member.get(), bodyLine));
            }
        }
    }
    return lines;
}

// The pattern's text with `dates` in its holes, `otherDate` where they run out.
std::string Join(const LinePattern& pattern, const std::vector<std::string_view>& dates,
                 std::string_view otherDate) {
    std::string line = pattern.pieces.front();
    for (std::size_t i = 0; i < pattern.holes.size(); ++i) {
        line += i < dates.size() ? dates[i] : otherDate;
        line += pattern.pieces[i + 1];
    }
    return line;
}

// How an old line fits an expected one, the better the higher.
enum class Fit {
    None,
    Grown,         // the template has put more text at the line's end (a blank line is the
                   // user's)
    ShapeAndTail,  // keyword values differ, and the user wrote more after the line
    Shape,         // keyword values differ
    EqualAndTail,  // the user wrote more after the line
    Equal,
};

struct Pairing {
    Fit fit = Fit::None;
    std::vector<std::string_view> dates;  // what the old line shows for each date
    std::string_view tail;                // what the user wrote after the line
};

// Whether a person could have typed the text that follows a template line's fixed part: it lies
// in the line's comment (a comment line, or a comment after the code). On a code line anything
// else is an older template's text.
bool MayBeTyped(std::string_view line, std::string_view tail) {
    auto from = line.size() - tail.size();
    while (from < line.size() && IsBlank(line[from])) {
        ++from;
    }
    return NonCommentPart(line).size() <= from;
}

// `values` is room for what the holes stand for, kept from one call to the next.
Pairing PairOf(const ShapedLine& want, std::string_view line, const std::string& dateMarks,
               std::vector<std::string_view>& values) {
    Pairing pair;
    const auto fits = [&](const LinePattern& pattern, Reach reach) {
        const auto end = MatchEnd(pattern, line, values, Matching{&dateMarks, reach});
        pair.tail = end == kNoMatch ? std::string_view() : line.substr(end);
        return end != kNoMatch && MayBeTyped(line, pair.tail);
    };
    const auto& shape = want.shape;
    // Every way to fit begins the line with the shape's first piece, the text's beginning with
    // it too, or cuts the line short within the shape's first piece.
    const auto& lead = shape.pieces.front();
    if (!line.starts_with(lead) && !lead.starts_with(line)) {
        return pair;
    }
    const bool endsFixed = !shape.pieces.back().empty();
    if (fits(want.text, Reach::Whole) || (endsFixed && fits(want.text, Reach::Prefix))) {
        pair.fit = pair.tail.empty() ? Fit::Equal : Fit::EqualAndTail;
        pair.dates = values;
        return pair;
    }
    // A value with a form of its own ends where its form ends: what follows is the user's too.
    const bool tails =
        endsFixed || (!shape.holes.empty() && FormLength(shape.holes.back(), {}).has_value());
    if (fits(shape, Reach::Whole) || (tails && fits(shape, Reach::Prefix))) {
        pair.fit = pair.tail.empty() ? Fit::Shape : Fit::ShapeAndTail;
    } else if (endsFixed && !TrimBlanks(line).empty() && fits(shape, Reach::Cut)) {
        pair.fit = Fit::Grown;
    } else {
        return pair;
    }
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (EqualsNoCase(shape.holes[i], "Date")) {
            pair.dates.push_back(values[i]);
        }
    }
    if (pair.fit == Fit::ShapeAndTail &&
        line.substr(0, line.size() - pair.tail.size()) == Join(want.text, pair.dates, {})) {
        pair.fit = Fit::EqualAndTail;
    }
    return pair;
}

struct Pair {
    std::size_t old = 0;
    std::size_t want = 0;
    Pairing how;
};

// The old lines paired with the expected ones in order, the best fits the most (blocks are
// short: every pair is tried). Of equal choices, the earlier old line pairs.
std::vector<Pair> Align(const std::vector<ShapedLine>& want, const std::vector<std::string>& old,
                        const std::string& dateMarks) {
    const auto n = old.size();
    const auto m = want.size();
    std::vector<std::string_view> values;
    // A block as the template makes it now: each line the same as the one it stands for. No
    // other pairing fits as well, so the others need not be tried.
    if (n == m) {
        std::vector<Pair> pairs;
        for (std::size_t i = 0; i < n; ++i) {
            auto how = PairOf(want[i], old[i], dateMarks, values);
            if (how.fit != Fit::Equal) {
                break;
            }
            pairs.push_back({i, i, std::move(how)});
        }
        if (pairs.size() == n) {
            return pairs;
        }
    }
    std::vector<Pairing> fits(n * m);
    for (std::size_t i = 0; i < n; ++i) {
        for (std::size_t j = 0; j < m; ++j) {
            fits[i * m + j] = PairOf(want[j], old[i], dateMarks, values);
        }
    }
    std::vector<int> best((n + 1) * (m + 1), 0);
    const auto at = [&](std::size_t i, std::size_t j) -> int& { return best[i * (m + 1) + j]; };
    const auto paired = [&](std::size_t i, std::size_t j) {
        const auto fit = fits[i * m + j].fit;
        return fit == Fit::None ? -1 : static_cast<int>(fit) + at(i + 1, j + 1);
    };
    for (std::size_t i = n; i-- > 0;) {
        for (std::size_t j = m; j-- > 0;) {
            at(i, j) = std::max({at(i + 1, j), at(i, j + 1), paired(i, j)});
        }
    }
    std::vector<Pair> pairs;
    for (std::size_t i = 0, j = 0; i < n && j < m;) {
        if (paired(i, j) == at(i, j)) {
            pairs.push_back({i, j, fits[i * m + j]});
            ++i;
            ++j;
        } else if (at(i + 1, j) == at(i, j)) {
            ++i;
        } else {
            ++j;
        }
    }
    return pairs;
}

// Puts the block's new lines together from the pairs: between two pairs, the old lines that
// pair with nothing are the user's and stay, the expected ones are new and go in. Both at one
// place cannot be told from an old template's lines: the block is left.
class PlanBuilder {
public:
    PlanBuilder(const std::vector<ShapedLine>& want, const std::vector<std::string>& old,
                std::string_view date, Unplaced unplaced)
        : want_(want), old_(old), date_(date), unplaced_(unplaced) {}

    BlockPlan Build(const std::vector<Pair>& pairs) {
        for (const auto& pair : pairs) {
            if (!UpTo(pair.old, pair.want)) {
                return plan_;
            }
            plan_.lines.push_back(Join(want_[pair.want].text, pair.how.dates, date_) +
                                  std::string(pair.how.tail));
            ++old_at_;
            ++want_at_;
        }
        if (UpTo(old_.size(), want_.size())) {
            plan_.kind =
                plan_.lines == old_ ? BlockPlan::Kind::Unchanged : BlockPlan::Kind::NewLines;
        }
        return plan_;
    }

private:
    bool UpTo(std::size_t old, std::size_t want) {
        if (old_at_ < old && want_at_ < want) {
            if (unplaced_ == Unplaced::Leave) {
                plan_ = {BlockPlan::Kind::Left, {}, old_at_};
                return false;
            }
            old_at_ = old;
        }
        for (; old_at_ < old; ++old_at_) {
            plan_.lines.push_back(old_[old_at_]);
        }
        for (; want_at_ < want; ++want_at_) {
            plan_.lines.push_back(Join(want_[want_at_].text, {}, date_));
        }
        return true;
    }

    const std::vector<ShapedLine>& want_;
    const std::vector<std::string>& old_;
    std::string_view date_;
    Unplaced unplaced_;
    std::size_t old_at_ = 0;
    std::size_t want_at_ = 0;
    BlockPlan plan_;
};

}  // namespace

std::vector<std::string> InsertedLines(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t begin = 0;
    for (;;) {
        std::size_t end = begin;
        while (end < text.size() && text[end] != '\r' && text[end] != '\n') {
            ++end;
        }
        lines.emplace_back(text.substr(begin, end - begin));
        if (end == text.size()) {
            return lines;
        }
        begin = end + (text.substr(end, 2) == "\r\n" ? 2 : 1);
    }
}

std::vector<std::string> InnerLines(CodeModule& module, const MarkedBlock& block) {
    std::vector<std::string> lines;
    for (auto line = block.begin.line + 1; line < block.end.line; ++line) {
        lines.push_back(module.Lines(line, 1));
    }
    return lines;
}

const TemplateSlot* SlotOf(BlockRole role) {
    // The roles of templates come in the order of kTemplateSlots.
    static_assert(static_cast<std::size_t>(BlockRole::Other) == kTemplateSlots.size());
    return role == BlockRole::Other ? nullptr : &kTemplateSlots[static_cast<std::size_t>(role)];
}

std::string_view TitleOf(BlockRole role) {
    const TemplateSlot* slot = SlotOf(role);
    return slot == nullptr ? "marked block" : slot->title;
}

const std::string* TemplateOf(const AddinFields& fields, BlockRole role) {
    const TemplateSlot* slot = SlotOf(role);
    return slot == nullptr ? nullptr : &(fields.*slot->text);
}

std::vector<std::string> ExpectedLines(const AddinFields& fields, CodeModule& module,
                                       BlockRole role, const ProcSpan* proc) {
    std::vector<std::string> lines;
    for (const auto& line : ShapedLines(fields, module, role, proc)) {
        lines.push_back(Join(line.text, {}, kDateHole));
    }
    return lines;
}

BlockPlan PlanBlock(const AddinFields& fields, CodeModule& module, BlockRole role,
                    const ProcSpan* proc, const std::vector<std::string>& old, Unplaced unplaced) {
    const auto want = ShapedLines(fields, module, role, proc);
    const auto today = ExpandKeyword(fields, "Date", module, nullptr, 1);
    const auto pairs = Align(want, old, DateMarks(today));
    // A new line shows the date that the block shows already.
    std::string_view date = today;
    for (const auto& pair : pairs) {
        if (!pair.how.dates.empty()) {
            date = pair.how.dates.front();
            break;
        }
    }
    return PlanBuilder(want, old, date, unplaced).Build(pairs);
}

int Likeness(const std::vector<std::string>& expected, const std::vector<std::string>& lines) {
    int alike = 0;
    for (const auto& want : expected) {
        const auto pattern = DatePattern(want);
        alike += std::any_of(lines.begin(), lines.end(),
                             [&](const std::string& line) { return Match(pattern, line); })
                     ? 1
                     : 0;
    }
    return alike;
}

std::optional<std::string> KeywordValueIn(const AddinFields& fields, CodeModule& module,
                                          BlockRole role, std::string_view keyword,
                                          const std::vector<std::string>& lines) {
    const std::string* tmplt = TemplateOf(fields, role);
    if (tmplt == nullptr) {
        return std::nullopt;
    }
    for (const auto& templateLine : InsertedLines(module.FromUnicode(*tmplt))) {
        const auto pattern = TemplateLinePattern(templateLine);
        const auto hole =
            std::find_if(pattern.holes.begin(), pattern.holes.end(),
                         [&](const auto& name) { return EqualsNoCase(name, keyword); });
        if (hole == pattern.holes.end()) {
            continue;
        }
        std::vector<std::string_view> values;
        for (const auto& line : lines) {
            if (Match(pattern, line, &values)) {
                return std::string(values[static_cast<std::size_t>(hole - pattern.holes.begin())]);
            }
        }
    }
    return std::nullopt;
}

std::string UnknownKeyword::Problem() const {
    return (unclosed ? "%" + name + " has no closing \"%\""
                     : "%" + name + "% is no template keyword") +
           "; it stays in the text as it is";
}

std::vector<UnknownKeyword> UnknownKeywords(std::string_view tmplt) {
    std::vector<UnknownKeyword> unknown;
    int line = 1;
    std::size_t open = std::string_view::npos;
    // A keyword's name after an opening "%" that ends without its closing one.
    const auto endsUnclosed = [&](std::size_t at) {
        if (open != std::string_view::npos) {
            const auto name = tmplt.substr(open + 1, at - open - 1);
            if (IsTemplateKeyword(name)) {
                unknown.push_back({std::string(name), line, true});
            }
        }
        open = std::string_view::npos;
    };
    for (std::size_t i = 0; i < tmplt.size(); ++i) {
        const char c = tmplt[i];
        if (c == '%') {
            const auto name = open == std::string_view::npos ? std::string_view()
                                                             : tmplt.substr(open + 1, i - open - 1);
            if (!name.empty() && !IsTemplateKeyword(name)) {
                unknown.push_back({std::string(name), line});
            }
            // A keyword's closing "%" opens nothing; a rejected name's may open the next.
            open = !name.empty() && IsTemplateKeyword(name) ? std::string_view::npos : i;
        } else if (c == '\n' || c == '\r') {
            endsUnclosed(i);
            line += c == '\n' ? 1 : 0;
        } else if (!IsNameChar(c)) {
            endsUnclosed(i);
        }
    }
    endsUnclosed(tmplt.size());
    return unknown;
}

int MarkerLineIn(std::string_view tmplt) {
    const auto lines = InsertedLines(tmplt);
    const auto marker = std::find_if(lines.begin(), lines.end(), IsMarkerLine);
    return marker == lines.end() ? 0 : static_cast<int>(marker - lines.begin()) + 1;
}

void RefuseTemplatesWithMarkerLines(AddinFields& fields) {
    for (const TemplateSlot& slot : kTemplateSlots) {
        std::string& text = fields.*slot.text;
        if (const int line = MarkerLineIn(text); line > 0) {
            text.clear();
            fields.templateRefusals[fields.*slot.path] = {
                "its line " + std::to_string(line) +
                    " is a marker line, which would break the marked blocks it goes into",
                line};
        }
    }
}

}  // namespace brindle
