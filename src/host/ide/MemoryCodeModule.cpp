#include "host/ide/MemoryCodeModule.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <utility>

#include "host/vb6/CodePage.h"
#include "model/VbError.h"
#include "util/Text.h"

namespace brindle::host {

namespace {

[[noreturn]] void Fail(Err number, std::string_view object, std::string_view operation) {
    Raise(number, "VBIDE." + std::string(object) + "." + std::string(operation));
}

class MemoryMember final : public Member {
public:
    MemoryMember(std::string name, vbext_MemberType type) : name_(std::move(name)), type_(type) {}
    std::string Name() const override { return name_; }
    vbext_MemberType Type() const override { return type_; }

private:
    std::string name_;
    vbext_MemberType type_;
};

void MoveProcedure(Procedure& p, std::int32_t delta) {
    p.startLine += delta;
    p.bodyLine += delta;
    p.declLastLine += delta;
    if (p.endLine != 0) {
        p.endLine += delta;
        p.endLastLine += delta;
    }
}

void MoveMember(DeclaredMember& m, std::int32_t delta) {
    m.line += delta;
}

// The lines InsertLines adds for `text`: a trailing break adds an empty line, and the empty
// text is one empty line.
std::vector<std::string_view> InsertedLines(std::string_view text) {
    std::vector<std::string_view> lines = LineTexts(text);
    if (text.empty() || text.back() == '\r' || text.back() == '\n') {
        lines.push_back({});
    }
    return lines;
}

bool IsWordByte(char c) {
    auto b = static_cast<unsigned char>(c);
    return (b >= '0' && b <= '9') || (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || b >= 0x80;
}

// How seldom each byte stands in VB code, the higher the rarer: blanks and common punctuation
// least, letters by their frequency in English text, other bytes most.
constexpr std::array<std::uint8_t, 256> kRarity = [] {
    std::array<std::uint8_t, 256> rarity{};
    for (unsigned byte = 0; byte < 256; ++byte) {
        rarity[byte] = IsDigit(static_cast<unsigned char>(byte)) ? 10 : 30;
    }
    for (const char c : std::string_view(" \t")) {
        rarity[static_cast<unsigned char>(c)] = 0;
    }
    for (const char c : std::string_view("'\".,()=_&:")) {
        rarity[static_cast<unsigned char>(c)] = 1;
    }
    constexpr std::string_view kLettersByFrequency = "etaoinsrhldcumfpgwybvkxjqz";
    for (std::size_t i = 0; i < kLettersByFrequency.size(); ++i) {
        const auto lower = static_cast<unsigned char>(kLettersByFrequency[i]);
        rarity[lower] = rarity[lower - 32] = static_cast<std::uint8_t>(2 + i);
    }
    return rarity;
}();

// Where a search looks first in each line: at the target's rarest byte, so that memchr passes
// over as much as it can.
std::size_t AnchorOf(std::string_view target) {
    std::size_t anchor = 0;
    for (std::size_t i = 1; i < target.size(); ++i) {
        if (kRarity[static_cast<unsigned char>(target[i])] >
            kRarity[static_cast<unsigned char>(target[anchor])]) {
            anchor = i;
        }
    }
    return anchor;
}

// A search for plain text in one line. Columns count bytes; in a double-byte code page a match
// begins only where a character begins, and only single-byte characters fold their case.
class LineSearch {
public:
    LineSearch(std::string_view text, std::string_view target, int codePage, std::size_t anchor)
        : text_(text), target_(target), anchor_(anchor) {
        if (IsDoubleByteCodePage(codePage)) {
            trail_.assign(text.size(), false);
            for (std::size_t i = 0; i + 1 < text.size(); ++i) {
                if (IsLeadByte(static_cast<unsigned char>(text[i]), codePage)) {
                    trail_[++i] = true;
                }
            }
        }
    }

    // Where the first match at or after byte `from` begins, or npos.
    std::size_t From(std::size_t from, bool matchCase, bool wholeWord) const {
        if (target_.size() > text_.size()) {
            return std::string_view::npos;
        }
        // A match holds the target's anchor byte, or it in the other case, at the anchor: each
        // is found at memchr's speed, and looked for again only once it has been passed. Matches
        // are tried from the left, as their anchors are.
        const std::size_t starts = text_.size() - target_.size() + 1;
        const char first = target_[anchor_];
        const char other =
            matchCase ? first
                      : (LowerAscii(first) == first ? UpperAscii(first) : LowerAscii(first));
        const auto next = [&](std::size_t at, char c) {
            if (at >= starts) {
                return std::string_view::npos;
            }
            const void* found = std::memchr(text_.data() + at + anchor_, c, starts - at);
            return found == nullptr
                       ? std::string_view::npos
                       : static_cast<std::size_t>(static_cast<const char*>(found) - text_.data()) -
                             anchor_;
        };
        std::size_t same = next(from, first);
        std::size_t folded = other == first ? std::string_view::npos : next(from, other);
        for (;;) {
            const std::size_t at = std::min(same, folded);
            if (at == std::string_view::npos) {
                return at;
            }
            if (!IsTrail(at) && Matches(at, matchCase) && (!wholeWord || IsWholeWord(at))) {
                return at;
            }
            (at == same ? same : folded) = next(at + 1, text_[at + anchor_]);
        }
    }

private:
    bool IsTrail(std::size_t i) const { return !trail_.empty() && trail_[i]; }

    bool Matches(std::size_t at, bool matchCase) const {
        for (std::size_t i = 0; i < target_.size(); ++i) {
            char a = text_[at + i];
            char b = target_[i];
            bool same = matchCase || IsTrail(at + i) ? a == b : LowerAscii(a) == LowerAscii(b);
            if (!same) {
                return false;
            }
        }
        return true;
    }

    // No word character joins the match on either side.
    bool IsWholeWord(std::size_t at) const {
        std::size_t after = at + target_.size();
        bool joinedBefore = at > 0 && IsWordByte(text_[at - 1]) && IsWordByte(target_.front());
        bool joinedAfter =
            after < text_.size() && IsWordByte(text_[after]) && IsWordByte(target_.back());
        return !joinedBefore && !joinedAfter;
    }

    std::string_view text_;
    std::string_view target_;
    std::size_t anchor_;
    std::vector<bool> trail_;
};

}  // namespace

// --- CodePane ---

brindle::CodeModule& MemoryCodePane::CodeModule() {
    return module_;
}

void MemoryCodePane::GetSelection(std::int32_t& startLine, std::int32_t& startColumn,
                                  std::int32_t& endLine, std::int32_t& endColumn) const {
    startLine = start_.line;
    startColumn = start_.column;
    endLine = end_.line;
    endColumn = end_.column;
}

void MemoryCodePane::SetSelection(std::int32_t startLine, std::int32_t startColumn,
                                  std::int32_t endLine, std::int32_t endColumn) {
    std::int32_t limit = module_.CountOfLines() + 1;
    if (startLine < 1 || startLine > limit || endLine < 1 || endLine > limit) {
        Fail(Err::SubscriptOutOfRange, "CodePane", "SetSelection");
    }
    if (startColumn < 1 || endColumn < 1) {
        Fail(Err::InvalidCall, "CodePane", "SetSelection");
    }
    Position start{startLine, startColumn};
    Position end{endLine, endColumn};
    if (std::pair(end.line, end.column) < std::pair(start.line, start.column)) {
        std::swap(start, end);
    }
    start_ = start;
    end_ = end;
}

void MemoryCodePane::LinesInserted(std::int32_t line, std::int32_t count) {
    MoveForInsertedLines(start_, end_, line, count);
}

void MemoryCodePane::LinesDeleted(std::int32_t line, std::int32_t count) {
    MoveForDeletedLines(start_, end_, line, count, [&](std::int32_t above) {
        return static_cast<std::int32_t>(module_.Lines(above, 1).size());
    });
}

// --- Members ---

// Names and types only: they need none of the lines that edits move.
std::int32_t MemoryMembers::Count() const {
    return static_cast<std::int32_t>(module_.Index().members.size());
}

std::shared_ptr<const Member> MemoryMembers::Item(std::string_view name) const {
    const auto& members = module_.Index().members;
    const auto found = module_.memberByName_.find(name);
    if (found == module_.memberByName_.end()) {
        Fail(Err::InvalidCall, "Members", "Item");
    }
    const DeclaredMember& m = members[found->second];
    return std::make_shared<MemoryMember>(m.name, m.type);
}

std::shared_ptr<const Member> MemoryMembers::Item(std::int32_t index) const {
    const auto& members = module_.Index().members;
    if (index < 1 || static_cast<std::size_t>(index) > members.size()) {
        Fail(Err::SubscriptOutOfRange, "Members", "Item");
    }
    const DeclaredMember& m = members[static_cast<std::size_t>(index) - 1];
    return std::make_shared<MemoryMember>(m.name, m.type);
}

// --- CodeModule ---

MemoryCodeModule::MemoryCodeModule(brindle::VBComponent& parent, const int& codePage,
                                   std::vector<CodeLine> lines)
    : parent_(parent),
      codePage_(codePage),
      lines_(std::move(lines)),
      pane_(*this),
      members_(*this) {}

brindle::VBComponent& MemoryCodeModule::Parent() {
    return parent_;
}

std::int32_t MemoryCodeModule::CountOfLines() const {
    return static_cast<std::int32_t>(lines_.size());
}

void MemoryCodeModule::CheckLine(std::int32_t line, std::int32_t last,
                                 std::string_view operation) const {
    if (line < 1 || line > last) {
        Fail(Err::SubscriptOutOfRange, "CodeModule", operation);
    }
}

std::string MemoryCodeModule::Lines(std::int32_t startLine, std::int32_t count) const {
    if (count < 0) {
        Fail(Err::InvalidCall, "CodeModule", "Lines");
    }
    CheckLine(startLine, CountOfLines() + (count == 0 ? 1 : 0), "Lines");
    CheckLine(startLine + count - 1, CountOfLines(), "Lines");
    if (count == 0) {
        return {};
    }
    if (count == 1) {
        return lines_[static_cast<std::size_t>(startLine) - 1].text.str();
    }
    const auto first = lines_.At(static_cast<std::size_t>(startLine) - 1);
    std::size_t size = 2 * static_cast<std::size_t>(count - 1);
    auto line = first;
    for (std::int32_t i = 0; i < count; ++i, ++line) {
        size += line->text.size();
    }
    std::string text;
    text.reserve(size);
    line = first;
    for (std::int32_t i = 0; i < count; ++i, ++line) {
        if (i > 0) {
            text += "\r\n";
        }
        text += line->text.view();
    }
    return text;
}

void MemoryCodeModule::InsertLines(std::int32_t line, std::string_view text) {
    CheckLine(line, CountOfLines() + 1, "InsertLines");
    const std::vector<std::string_view> added = InsertedLines(text);
    auto count = static_cast<std::int32_t>(added.size());
    if (!ShiftIndexForInsert(line, added)) {
        indexValid_ = false;
    }
    std::vector<CodeLine> fresh;
    fresh.reserve(added.size());
    for (const std::string_view piece : added) {
        fresh.push_back({piece, LineBreak::None, nullptr, ByteSet(piece)});
    }
    lines_.Insert(static_cast<std::size_t>(line) - 1, std::move(fresh));
    ++version_;
    pane_.LinesInserted(line, count);
    Notify(line, {}, count);
}

void MemoryCodeModule::DeleteLines(std::int32_t startLine, std::int32_t count) {
    if (count < 1) {
        Fail(Err::InvalidCall, "CodeModule", "DeleteLines");
    }
    CheckLine(startLine, CountOfLines(), "DeleteLines");
    CheckLine(startLine + count - 1, CountOfLines(), "DeleteLines");
    if (!ShiftIndexForDelete(startLine, count)) {
        indexValid_ = false;
    }
    // What listeners are told: the deleted lines, with the line that may take their attributes.
    const std::int32_t from = std::max(startLine - 1, 1);
    std::vector<CodeLine> removed;
    if (!listeners_.empty()) {  // a copy of lines that nobody is to be told of is not made
        removed = CopyLines(from, std::min(count + 1, CountOfLines() - from + 1));
    }
    std::vector<SourceLine> kept = AttributesOfInertLines(startLine, count);
    lines_.Erase(static_cast<std::size_t>(startLine) - 1, static_cast<std::size_t>(count));
    if (!kept.empty() && !lines_.empty()) {
        auto carrier = static_cast<std::size_t>(std::max(startLine - 1, 1)) - 1;
        auto& attributes = lines_[carrier].attributes;
        if (!attributes) {
            attributes = std::make_unique<std::vector<SourceLine>>();
        }
        attributes->insert(attributes->end(), std::make_move_iterator(kept.begin()),
                           std::make_move_iterator(kept.end()));
    }
    ++version_;
    pane_.LinesDeleted(startLine, count);
    if (!listeners_.empty()) {
        const bool carried = !kept.empty() && !lines_.empty();
        if (!carried) {
            if (startLine > 1) {
                removed.erase(removed.begin());
            }
            removed.resize(static_cast<std::size_t>(count));
        }
        Notify(carried ? from : startLine, removed, carried ? 1 : 0);
    }
}

void MemoryCodeModule::ReplaceLine(std::int32_t line, std::string_view text) {
    CheckLine(line, CountOfLines(), "ReplaceLine");
    if (text.find_first_of("\r\n") != std::string_view::npos) {
        Fail(Err::InvalidCall, "CodeModule", "ReplaceLine");
    }
    CodeLine& stored = lines_[static_cast<std::size_t>(line) - 1];
    const auto role = [&](std::string_view t) { return ClassifyRun({t}, codePage_); };
    const LineRole before = role(stored.text);
    const LineRole after = role(text);
    const bool keepsIndex =
        indexValid_ && !ContinuesIntoLine(line) &&
        ((before == LineRole::Inert && after == LineRole::Inert) ||
         (before != LineRole::Structural && after != LineRole::Structural && InsideBody(line)));
    if (!keepsIndex) {
        indexValid_ = false;
    }
    std::vector<CodeLine> removed = CopyLines(line, 1);
    stored.text = text;
    stored.bytes = ByteSet(text);
    ++version_;
    Notify(line, removed, 1);
}

void MemoryCodeModule::RestoreLines(std::int32_t first, std::int32_t count,
                                    std::vector<CodeLine> lines) {
    CheckLine(first, CountOfLines() + 1, "RestoreLines");
    if (count < 0 || first + count - 1 > CountOfLines()) {
        Fail(Err::SubscriptOutOfRange, "CodeModule", "RestoreLines");
    }
    std::vector<CodeLine> removed;
    removed.reserve(static_cast<std::size_t>(count));
    for (std::int32_t line = first; line < first + count; ++line) {
        removed.push_back(std::move(lines_[static_cast<std::size_t>(line) - 1]));
    }
    const auto added = static_cast<std::int32_t>(lines.size());
    indexValid_ = false;
    lines_.Erase(static_cast<std::size_t>(first) - 1, static_cast<std::size_t>(count));
    if (count > 0) {
        pane_.LinesDeleted(first, count);
    }
    lines_.Insert(static_cast<std::size_t>(first) - 1, std::move(lines));
    if (added > 0) {
        pane_.LinesInserted(first, added);
    }
    ++version_;
    Notify(first, removed, added);
}

void MemoryCodeModule::AddListener(LineListener& listener) {
    listeners_.push_back(&listener);
}

void MemoryCodeModule::RemoveListener(LineListener& listener) {
    std::erase(listeners_, &listener);
}

std::vector<CodeLine> MemoryCodeModule::CopyLines(std::int32_t first, std::int32_t count) const {
    std::vector<CodeLine> copies;
    if (listeners_.empty()) {
        return copies;
    }
    for (std::int32_t line = first; line < first + count; ++line) {
        copies.push_back(CopyOf(lines_[static_cast<std::size_t>(line) - 1]));
    }
    return copies;
}

void MemoryCodeModule::Notify(std::int32_t first, const std::vector<CodeLine>& removed,
                              std::int32_t added) {
    // A listener may remove itself while it is told.
    const std::vector<LineListener*> listeners = listeners_;
    for (LineListener* listener : listeners) {
        listener->LinesChanged(first, removed, added);
    }
}

// Attribute lines hang on the line above them in the file, normally their member's
// declaration, and go with it. Those that hang on a blank or comment line belong to no
// declaration there: deleting that line keeps them for the line above.
std::vector<SourceLine> MemoryCodeModule::AttributesOfInertLines(std::int32_t line,
                                                                 std::int32_t count) {
    std::vector<SourceLine> kept;
    for (std::int32_t l = line; l < line + count; ++l) {
        auto& attributes = lines_[static_cast<std::size_t>(l) - 1].attributes;
        if (attributes && ClassifyLine(lines_[static_cast<std::size_t>(l) - 1].text, codePage_) ==
                              LineRole::Inert) {
            kept.insert(kept.end(), std::make_move_iterator(attributes->begin()),
                        std::make_move_iterator(attributes->end()));
        }
    }
    return kept;
}

// An edit of blank and comment lines, or of ordinary statements inside a procedure body,
// leaves the module's structure alone: the index only moves the lines below it.
bool MemoryCodeModule::ShiftIndexForInsert(std::int32_t line,
                                           const std::vector<std::string_view>& added) {
    if (!indexValid_ || ContinuesIntoLine(line)) {
        return false;
    }
    LineRole role = ClassifyRun(added, codePage_);
    if (role == LineRole::Structural || (role == LineRole::Statements && !InsideBody(line))) {
        return false;
    }
    Shift(line, static_cast<std::int32_t>(added.size()));
    return true;
}

bool MemoryCodeModule::ShiftIndexForDelete(std::int32_t line, std::int32_t count) {
    if (!indexValid_ || ContinuesIntoLine(line)) {
        return false;
    }
    std::vector<std::string_view> texts;
    texts.reserve(static_cast<std::size_t>(count));
    for (std::int32_t l = line; l < line + count; ++l) {
        texts.push_back(lines_[static_cast<std::size_t>(l) - 1].text);
    }
    LineRole role = ClassifyRun(texts, codePage_);
    if (role == LineRole::Structural ||
        (role == LineRole::Statements && !(InsideBody(line) && InsideBody(line + count - 1)))) {
        return false;
    }
    Shift(line + count, -count);
    return true;
}

// Whether the line above `line` continues its statement onto it.
bool MemoryCodeModule::ContinuesIntoLine(std::int32_t line) const {
    return line > 1 && EndsWithContinuationMark(lines_[static_cast<std::size_t>(line) - 2].text);
}

// Whether a statement at `line` stands between a procedure's declaration and its End
// statement (on the End line, it goes before it).
bool MemoryCodeModule::InsideBody(std::int32_t line) const {
    const std::size_t next = FirstProcedure(&Procedure::bodyLine, line);
    if (next == 0) {
        return false;
    }
    const Procedure& p = index_.procedures[next - 1];
    const std::int32_t owed = owedProcedures_.To(next - 1);
    return p.endLine != 0 && p.declLastLine + owed < line && line <= p.endLine + owed;
}

// The first procedure whose `field` line lies at or below `line`, as the lines are now.
std::size_t MemoryCodeModule::FirstProcedure(std::int32_t Procedure::*field,
                                             std::int32_t line) const {
    const auto& procs = index_.procedures;
    std::size_t low = 0;
    std::size_t high = procs.size();
    while (low < high) {
        const std::size_t mid = low + (high - low) / 2;
        if (procs[mid].*field + owedProcedures_.To(mid) < line) {
            low = mid + 1;
        } else {
            high = mid;
        }
    }
    return low;
}

// Moves every line of the index at or below `from` by `delta`. Procedures and members are in
// line order: those wholly above `from` stay, the one `from` falls in and the next are moved
// field by field, and every one after them owes the move until it is asked for, so that edits
// made top down cost no walk over the rest of the module.
void MemoryCodeModule::Shift(std::int32_t from, std::int32_t delta) {
    auto& procs = index_.procedures;
    const auto move = [&](std::int32_t& line) {
        if (line >= from) {
            line += delta;
        }
    };
    const std::size_t after = FirstProcedure(&Procedure::bodyLine, from);
    const std::size_t first = after == 0 ? 0 : after - 1;
    const std::size_t uniform = std::min(procs.size(), after + 1);
    owedProcedures_.Settle(procs, uniform, MoveProcedure);
    for (std::size_t i = first; i < uniform; ++i) {
        Procedure& p = procs[i];
        if (p.startLine > from) {
            p.startLine += delta;
        }
        move(p.bodyLine);
        move(p.declLastLine);
        if (p.endLine != 0) {
            move(p.endLine);
            move(p.endLastLine);
        }
    }
    owedProcedures_.Owe(procs, uniform, delta, MoveProcedure);
    auto& members = index_.members;
    std::size_t member = 0;
    for (std::size_t high = members.size(); member < high;) {
        const std::size_t mid = member + (high - member) / 2;
        if (members[mid].line + owedMembers_.To(mid) < from) {
            member = mid + 1;
        } else {
            high = mid;
        }
    }
    owedMembers_.Owe(members, member, delta, MoveMember);
    index_.lineCount += delta;
}

const ModuleIndex& MemoryCodeModule::Index() const {
    if (!indexValid_) {
        Scanner scanner(codePage_);
        for (const CodeLine& line : lines_) {
            scanner.Feed(line.text);
        }
        index_ = scanner.Finish();
        owedProcedures_ = {};
        owedMembers_ = {};
        for (auto& byName : byName_) {
            byName.clear();
        }
        for (std::size_t i = 0; i < index_.procedures.size(); ++i) {
            const Procedure& p = index_.procedures[i];
            byName_[static_cast<std::size_t>(p.kind)].emplace(p.name, i);
        }
        memberByName_.clear();
        for (std::size_t i = 0; i < index_.members.size(); ++i) {
            memberByName_.emplace(index_.members[i].name, i);
        }
        indexValid_ = true;
    }
    return index_;
}

const Procedure& MemoryCodeModule::Find(std::string_view name, vbext_ProcKind kind,
                                        std::string_view operation) {
    if (kind < vbext_pk_Proc || kind > vbext_pk_Get) {
        Fail(Err::InvalidCall, "CodeModule", operation);
    }
    auto& procs = Index().procedures;
    const auto& ofKind = byName_[static_cast<std::size_t>(kind)];
    auto found = ofKind.find(name);
    if (found == ofKind.end()) {
        Fail(Err::SubNotDefined, "CodeModule", operation);
    }
    // The next one too: its start ends this one's span.
    owedProcedures_.Settle(index_.procedures, std::min(procs.size(), found->second + 2),
                           MoveProcedure);
    return procs[found->second];
}

std::int32_t MemoryCodeModule::ProcStartLine(std::string_view name, vbext_ProcKind kind) {
    return Find(name, kind, "ProcStartLine").startLine;
}

std::int32_t MemoryCodeModule::ProcBodyLine(std::string_view name, vbext_ProcKind kind) {
    return Find(name, kind, "ProcBodyLine").bodyLine;
}

std::int32_t MemoryCodeModule::ProcCountLines(std::string_view name, vbext_ProcKind kind) {
    const Procedure& p = Find(name, kind, "ProcCountLines");
    auto i = static_cast<std::size_t>(&p - index_.procedures.data());
    return std::max(0, index_.LastLine(i) - p.startLine + 1);
}

std::int32_t MemoryCodeModule::ProcEndLine(std::string_view name, vbext_ProcKind kind) {
    return Find(name, kind, "ProcEndLine").endLine;
}

std::string MemoryCodeModule::ProcOfLine(std::int32_t line, vbext_ProcKind& kind) {
    CheckLine(line, CountOfLines(), "ProcOfLine");
    const auto& procs = Index().procedures;
    const std::size_t next = FirstProcedure(&Procedure::startLine, line + 1);
    if (next == 0) {
        kind = vbext_pk_Proc;
        return {};
    }
    kind = procs[next - 1].kind;
    return procs[next - 1].name;
}

std::vector<ProcedureInfo> MemoryCodeModule::Procedures() {
    const ModuleIndex& index = Index();
    owedProcedures_.Settle(index_.procedures, index.procedures.size(), MoveProcedure);
    std::vector<ProcedureInfo> result;
    result.reserve(index.procedures.size());
    for (std::size_t i = 0; i < index.procedures.size(); ++i) {
        const Procedure& p = index.procedures[i];
        result.push_back(
            {p, index.LastLine(i),
             p.keyword == ProcKeyword::Property ? vbext_mt_Property : vbext_mt_Method});
    }
    return result;
}

const std::vector<DeclaredMember>& MemoryCodeModule::DeclaredMembers() {
    const ModuleIndex& index = Index();
    owedMembers_.Settle(index_.members, index.members.size(), MoveMember);
    return index.members;
}

bool MemoryCodeModule::Find(std::string_view target, std::int32_t& startLine,
                            std::int32_t& startColumn, std::int32_t& endLine,
                            std::int32_t& endColumn, bool wholeWord, bool matchCase,
                            bool patternSearch) {
    if (target.empty() || patternSearch) {
        // Pattern search is not offered by this host.
        Fail(Err::InvalidCall, "CodeModule", "Find");
    }
    // A line holds no line break. (find_first_of would call memchr for each byte of the target.)
    if (std::any_of(target.begin(), target.end(), [](char c) { return c == '\r' || c == '\n'; })) {
        return false;
    }
    auto column = static_cast<std::size_t>(std::max(startColumn, 1)) - 1;
    const int codePage = codePage_;
    const std::uint64_t wanted = ByteSet(target);
    const std::size_t anchor = AnchorOf(target);
    for (auto index = static_cast<std::size_t>(std::max(startLine, 1)) - 1;; ++index, column = 0) {
        const std::size_t next = lines_.NextHolding(index, wanted);
        if (next == lines_.size()) {
            return false;
        }
        column = next == index ? column : 0;
        index = next;
        const std::size_t at = LineSearch(lines_[index].text, target, codePage, anchor)
                                   .From(column, matchCase, wholeWord);
        if (at != std::string_view::npos) {
            startLine = endLine = static_cast<std::int32_t>(index) + 1;
            startColumn = static_cast<std::int32_t>(at) + 1;
            endColumn = startColumn + static_cast<std::int32_t>(target.size());
            return true;
        }
    }
}

std::string MemoryCodeModule::FromUnicode(std::string_view utf8) const {
    return FromUtf8(utf8, codePage_);
}

std::string MemoryCodeModule::ToUnicode(std::string_view text) const {
    return ToUtf8(text, codePage_);
}

}  // namespace brindle::host
