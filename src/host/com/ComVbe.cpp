#include "host/com/ComVbe.h"

#include <windows.h>

#include <algorithm>
#include <optional>
#include <string>
#include <utility>

#include "host/com/ComObjects.h"
#include "host/vb6/CodePage.h"
#include "model/VbError.h"
#include "util/Text.h"
#include "util/Unicode.h"

namespace brindle::host::com {
namespace {

// A member as the IDE listed it, or as our reading of the module found it.
class ListedMember final : public Member {
public:
    ListedMember(std::string name, vbext_MemberType type) : name_(std::move(name)), type_(type) {}
    std::string Name() const override { return name_; }
    vbext_MemberType Type() const override { return type_; }

private:
    std::string name_;
    vbext_MemberType type_;
};

std::shared_ptr<const Member> MemberOf(const Object& member) {
    return std::make_shared<ListedMember>(member.Get("Name").Text(),
                                          static_cast<vbext_MemberType>(member.Get("Type").Long()));
}

// The lines of text joined by CR LF.
std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find("\r\n", start);
        lines.push_back(text.substr(start, end == std::string_view::npos ? end : end - start));
        if (end == std::string_view::npos) {
            return lines;
        }
        start = end + 2;
    }
}

}  // namespace

int SystemCodePage() {
    return static_cast<int>(GetACP());
}

// --- ComVbe ---

ComVbe::ComVbe(DispatchPtr vbe, int codePage)
    : vbe_(std::move(vbe), codePage), registry_(std::make_shared<Registry>(codePage)) {}

ComVbe::~ComVbe() = default;

ComVbe::Reach::Reach(ComVbe& vbe) : registry_(vbe.registry_) {
    registry_->Enter();
}

ComVbe::Reach::~Reach() {
    registry_->Leave();
}

void ComVbe::WhenCallsEnd(std::function<void()> hook) {
    registry_->WhenOver(std::move(hook));
}

void ComVbe::WhenCallsBegin(std::function<void()> hook) {
    registry_->WhenBegun(std::move(hook));
}

namespace {

// A path crosses as UTF-16, which UTF-8 keeps whole where the IDE's code page would not.
std::string FileText(const Wrapped* wrapped, std::string_view member,
                     std::initializer_list<Arg> args) {
    if (wrapped == nullptr) {
        return {};
    }
    try {
        return Object(wrapped->Self().Pointer(), CP_UTF8).Call(member, args).Text();
    } catch (const VbError&) {
        return {};
    }
}

}  // namespace

std::string ComVbe::FileOf(VBProject& project) {
    return FileText(dynamic_cast<const ComProject*>(&project), "FileName", {});
}

std::string ComVbe::FileOf(VBComponent& component) {
    return FileText(dynamic_cast<const ComComponent*>(&component), "FileNames", {1});
}

std::size_t ComVbe::Held() const {
    return registry_->Size();
}

brindle::CodePane* ComVbe::ActiveCodePane() {
    const Value pane = vbe_.Get("ActiveCodePane");
    return pane.IsObject() ? &registry_->Wrap<ComCodePane>(pane.AsObject()) : nullptr;
}

VBProject* ComVbe::ActiveVBProject() {
    const Value project = vbe_.Get("ActiveVBProject");
    return project.IsObject() ? &registry_->Wrap<ComProject>(project.AsObject()) : nullptr;
}

// The environment's lists live as long as it does.
template <class T>
T& ComVbe::List(std::unique_ptr<T>& list, std::string_view name) {
    if (!list) {
        list = std::make_unique<T>(*registry_, vbe_.Get(name).AsObject());
    }
    return *list;
}

brindle::Windows& ComVbe::Windows() {
    return List(windows_, "Windows");
}

brindle::CommandBars& ComVbe::CommandBars() {
    if (!commandBars_) {
        commandBars_ = std::make_unique<ComCommandBars>(
            *registry_, vbe_.Get("CommandBars").AsObject(), WhichEditor());
    }
    return *commandBars_;
}

brindle::Events& ComVbe::Events() {
    if (!events_) {
        events_ = std::make_unique<ComEvents>(*registry_, vbe_, WhichEditor());
    }
    return *events_;
}

void ComVbe::DeleteControls() noexcept {
    for (const Object& control : registry_->TakeMade()) {
        try {
            control.Call("Delete");
        } catch (...) {
            // Deleted already, by the user or with its bar.
        }
    }
}

brindle::Addins& ComVbe::Addins() {
    return List(addins_, "Addins");
}

Editor ComVbe::WhichEditor() {
    if (!editor_) {
        editor_ = EditorOf(vbe_);
    }
    return *editor_;
}

AddIn& ComVbe::WrapAddIn(DispatchPtr addIn) {
    if (!addIn) {
        Raise(Err::ObjectNotSet, "VBIDE.AddIn");
    }
    return registry_->Wrap<ComAddIn>(Object(std::move(addIn), registry_->CodePage()));
}

// --- Projects and components ---

std::string ComProject::Name() const {
    return object_.Get("Name").Text();
}

brindle::VBComponents& ComProject::VBComponents() {
    return registry_.Wrap<ComComponents>(object_.Get("VBComponents").AsObject());
}

// The VB6 IDE's projects have no Protection (its IDispatch does not know the name): such a
// project is not locked.
vbext_ProjectProtection ComProject::Protection() const {
    try {
        return object_.Get("Protection").Long() == vbext_pp_locked ? vbext_pp_locked
                                                                   : vbext_pp_none;
    } catch (const VbError& e) {
        if (e.Number() != kObjectLacksMember) {
            throw;
        }
        return vbext_pp_none;
    }
}

std::int32_t ComComponents::Count() const {
    return object_.Get("Count").Long();
}

VBComponent& ComComponents::Item(std::int32_t index) {
    return registry_.Wrap<ComComponent>(object_.Call("Item", {index}).AsObject());
}

std::string ComComponent::Name() const {
    return object_.Get("Name").Text();
}

vbext_ComponentType ComComponent::Type() const {
    return static_cast<vbext_ComponentType>(object_.Get("Type").Long());
}

// A component's code module stays the same object for as long as the component lives. One
// without code (a resource file, a related document) answers Nothing or raises.
brindle::CodeModule& ComComponent::CodeModule() {
    if (code_ == nullptr) {
        code_ = &registry_.Wrap<ComCodeModule>(object_.Get("CodeModule").AsObject());
    }
    return *code_;
}

// --- Code modules ---

brindle::VBComponent& ComCodeModule::Parent() {
    return registry_.Wrap<ComComponent>(object_.Get("Parent").AsObject());
}

brindle::CodePane& ComCodeModule::CodePane() {
    if (pane_ == nullptr) {
        pane_ = &registry_.Wrap<ComCodePane>(object_.Get("CodePane").AsObject());
        pane_->module_ = this;
    }
    return *pane_;
}

ModuleMemo& ComCodeModule::Memo() const {
    if (memo_.generation != registry_.Generation()) {
        memo_ = ModuleMemo{};
        memo_.generation = registry_.Generation();
    }
    return memo_;
}

ComCodeModule::KnownLines* ComCodeModule::Known() const {
    ModuleMemo& memo = Memo();
    if (!memo.lines && !memo.linesUnkept) {
        const std::int32_t count = object_.Get("CountOfLines").Long();
        KnownLines lines;
        if (count > 0) {
            const std::string text = object_.Call("Lines", {1, count}).Text();
            for (std::string_view line : SplitLines(text)) {
                lines.emplace_back(std::string(line));
            }
        }
        if (static_cast<std::int32_t>(lines.size()) == count) {
            memo.lines = std::move(lines);
        } else {
            memo.linesUnkept = true;
        }
    }
    return memo.lines ? &*memo.lines : nullptr;
}

bool ComCodeModule::ReadBack(std::int32_t first, std::int32_t last) const {
    KnownLines* lines = Known();
    if (lines == nullptr) {
        return false;
    }
    const auto unread = [&](std::int32_t line) {
        return !(*lines)[static_cast<std::size_t>(line - 1)];
    };
    while (first <= last && !unread(first)) {
        ++first;
    }
    while (last >= first && !unread(last)) {
        --last;
    }
    if (first > last) {
        return true;
    }
    const std::string text = object_.Call("Lines", {first, last - first + 1}).Text();
    const auto read = SplitLines(text);
    if (static_cast<std::int32_t>(read.size()) != last - first + 1) {
        memo_.lines.reset();
        memo_.linesUnkept = true;
        return false;
    }
    for (std::int32_t line = first; line <= last; ++line) {
        (*lines)[static_cast<std::size_t>(line - 1)] =
            std::string(read[static_cast<std::size_t>(line - first)]);
    }
    return true;
}

std::int32_t ComCodeModule::CountOfLines() const {
    if (const KnownLines* lines = Known()) {
        return static_cast<std::int32_t>(lines->size());
    }
    return object_.Get("CountOfLines").Long();
}

std::int32_t ComCodeModule::KnownCount() const {
    const ModuleMemo& memo = Memo();
    return memo.lines ? static_cast<std::int32_t>(memo.lines->size())
                      : object_.Get("CountOfLines").Long();
}

std::int32_t ComCodeModule::CountOfDeclarationLines() const {
    ModuleMemo& memo = Memo();
    if (!memo.declarationLines) {
        memo.declarationLines = object_.Get("CountOfDeclarationLines").Long();
    }
    return *memo.declarationLines;
}

// Lines out of the module's range are the IDE's to refuse.
std::string ComCodeModule::Lines(std::int32_t startLine, std::int32_t count) const {
    const KnownLines* lines = Known();
    const std::int32_t last = startLine + count - 1;
    if (lines == nullptr || count < 1 || startLine < 1 ||
        last > static_cast<std::int32_t>(lines->size()) || !ReadBack(startLine, last)) {
        return object_.Call("Lines", {startLine, count}).Text();
    }
    std::string text;
    for (std::int32_t line = startLine; line <= last; ++line) {
        if (line > startLine) {
            text += "\r\n";
        }
        text += *(*lines)[static_cast<std::size_t>(line - 1)];
    }
    return text;
}

// The members scanned (where the IDE lists none) are kept through an edit that declares none,
// as the add-in's own blocks do: a module of thousands of lines is not read again at each.
template <class Edit>
void ComCodeModule::Edited(Edit edit, bool membersKept) {
    ModuleMemo& memo = Memo();
    std::optional<KnownLines> lines;
    std::optional<std::vector<DeclaredMember>> scanned;
    if (memo.lines && edit(*memo.lines)) {
        lines = std::move(memo.lines);
        scanned = membersKept ? std::move(memo.scanned) : std::nullopt;
    }
    registry_.Edited();
    memo_ = ModuleMemo{};
    memo_.generation = registry_.Generation();
    memo_.lines = std::move(lines);
    memo_.scanned = std::move(scanned);
}

// A failed edit may have changed the module or not.
void ComCodeModule::Forget() {
    Edited([](KnownLines&) { return false; });
}

namespace {

// Whether `line` to `line + count - 1` are lines of the module.
bool InRange(const std::vector<std::optional<std::string>>& lines, std::int32_t line,
             std::int32_t count) {
    return line >= 1 && count >= 1 && line + count - 1 <= static_cast<std::int32_t>(lines.size());
}

// The line breaks of text, CR LF counting once.
std::int32_t BreaksIn(std::string_view text) {
    std::int32_t breaks = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' || text[i] == '\r') {
            ++breaks;
            i += text.compare(i, 2, "\r\n") == 0 ? 1u : 0u;
        }
    }
    return breaks;
}

bool EndsInBreak(std::string_view text) {
    return text.ends_with('\r') || text.ends_with('\n');
}

// The text of `count` lines from `line` as far as known, a line the add-in wrote empty; none
// where they are not all lines of the module.
std::optional<std::string> KnownText(
    const std::optional<std::vector<std::optional<std::string>>>& lines, std::int32_t line,
    std::int32_t count) {
    if (!lines || !InRange(*lines, line, count)) {
        return std::nullopt;
    }
    std::string text;
    for (std::int32_t i = line; i < line + count; ++i) {
        text += (*lines)[static_cast<std::size_t>(i - 1)].value_or("") + "\r\n";
    }
    return text;
}

// A line that carries its statement on to the next one, by a line continuation.
bool Continues(std::string_view line) {
    const auto end = line.find_last_not_of(" \t");
    return end != std::string_view::npos && line[end] == '_';
}

}  // namespace

// The lines from `first` that `text` becomes, or that were `text`: they declare nothing, hold no
// directive and continue no statement, nor does the line above them continue on to them. A line
// the add-in wrote while the members were kept is such a line.
bool ComCodeModule::LeavesMembers(std::int32_t first, std::string_view text) const {
    const ModuleMemo& memo = Memo();
    if (!memo.scanned || !memo.lines || first < 1 ||
        first > static_cast<std::int32_t>(memo.lines->size()) + 1) {
        return false;
    }
    const auto& above = first > 1 ? (*memo.lines)[static_cast<std::size_t>(first - 2)]
                                  : std::optional<std::string>();
    if (above && Continues(*above)) {
        return false;
    }
    Scanner scanner(registry_.CodePage());
    for (std::string_view line : SplitLines(text)) {
        const auto start = line.find_first_not_of(" \t");
        if (Continues(line) || (start != std::string_view::npos && line[start] == '#')) {
            return false;
        }
        scanner.Feed(line);
    }
    return scanner.Finish().members.empty();
}

// How many lines the IDE made of the text is asked after each insertion: how it breaks text is
// its own. Text ending in a line break leaves an empty line after it, as in our own IDE; an IDE
// that adds none is given it.
void ComCodeModule::InsertLines(std::int32_t line, std::string_view text) {
    const std::uint64_t before = registry_.Generation();
    const std::int32_t count = KnownCount();
    const bool membersKept = LeavesMembers(line, text);
    std::int32_t now = count;
    try {
        object_.Call("InsertLines", {line, text});
        now = object_.Get("CountOfLines").Long();
        if (EndsInBreak(text) && now - count == BreaksIn(text)) {
            object_.Call("InsertLines", {line + now - count, std::string_view()});
            now = object_.Get("CountOfLines").Long();
        }
    } catch (...) {
        Forget();
        throw;
    }
    const std::int32_t added = now - count;
    Edited(
        [&](KnownLines& lines) {
            if (line < 1 || line > count + 1 || added < 0 ||
                static_cast<std::int32_t>(lines.size()) != count) {
                return false;
            }
            lines.insert(lines.begin() + (line - 1), static_cast<std::size_t>(added), std::nullopt);
            return true;
        },
        membersKept);
    if (pane_ != nullptr) {
        pane_->LinesInserted(before, line, added);
    }
}

void ComCodeModule::DeleteLines(std::int32_t startLine, std::int32_t count) {
    const std::uint64_t before = registry_.Generation();
    const std::int32_t was = KnownCount();
    const auto deleted = KnownText(Memo().lines, startLine, count);
    const bool membersKept = deleted && LeavesMembers(startLine, *deleted);
    std::int32_t now = was;
    try {
        object_.Call("DeleteLines", {startLine, count});
        now = object_.Get("CountOfLines").Long();
    } catch (...) {
        Forget();
        throw;
    }
    Edited(
        [&](KnownLines& lines) {
            if (!InRange(lines, startLine, count) || now != was - count) {
                return false;
            }
            const auto first = lines.begin() + (startLine - 1);
            lines.erase(first, first + count);
            return true;
        },
        membersKept);
    if (pane_ != nullptr) {
        pane_->LinesDeleted(before, startLine, count);
    }
}

void ComCodeModule::ReplaceLine(std::int32_t line, std::string_view text) {
    const std::uint64_t before = registry_.Generation();
    try {
        object_.Call("ReplaceLine", {line, text});
    } catch (...) {
        Forget();
        throw;
    }
    Edited([&](KnownLines& lines) {
        if (!InRange(lines, line, 1) || text.find_first_of("\r\n") != std::string_view::npos) {
            return false;
        }
        lines[static_cast<std::size_t>(line - 1)].reset();
        return true;
    });
    if (pane_ != nullptr) {
        pane_->LinesKept(before);
    }
}

// A procedure's lines are asked again and again while the module stays the same; a failure
// (no such procedure) is the IDE's to tell each time.
std::int32_t ComCodeModule::ProcLine(int which, std::string_view member, std::string_view name,
                                     vbext_ProcKind kind) {
    ModuleMemo& memo = Memo();
    auto key = std::make_tuple(which, std::string(name), kind);
    if (const auto found = memo.procLines.find(key); found != memo.procLines.end()) {
        return found->second;
    }
    const auto generation = registry_.Generation();
    const std::int32_t line = object_.Call(member, {name, std::int32_t{kind}}).Long();
    if (registry_.Generation() == generation) {
        memo.procLines.emplace(std::move(key), line);
    }
    return line;
}

std::int32_t ComCodeModule::ProcStartLine(std::string_view name, vbext_ProcKind kind) {
    return ProcLine(0, "ProcStartLine", name, kind);
}

std::int32_t ComCodeModule::ProcBodyLine(std::string_view name, vbext_ProcKind kind) {
    return ProcLine(1, "ProcBodyLine", name, kind);
}

std::int32_t ComCodeModule::ProcCountLines(std::string_view name, vbext_ProcKind kind) {
    return ProcLine(2, "ProcCountLines", name, kind);
}

std::string ComCodeModule::ProcOfLine(std::int32_t line, vbext_ProcKind& kind) {
    ModuleMemo& memo = Memo();
    if (const auto found = memo.procOfLine.find(line); found != memo.procOfLine.end()) {
        kind = found->second.second;
        return found->second.first;
    }
    const auto generation = registry_.Generation();
    std::int32_t written = kind;
    std::string name = object_.Call("ProcOfLine", {line, ByRef<std::int32_t>{written}}).Text();
    kind = static_cast<vbext_ProcKind>(written);
    if (registry_.Generation() == generation) {
        memo.procOfLine.emplace(line, std::make_pair(name, kind));
    }
    return name;
}

// The search the core makes most, for a word in any letter case, runs over the lines read. A
// line with other than ASCII might match in the IDE's own letter case rules (or a code page of
// two-byte characters count columns otherwise): from there the IDE searches.
std::optional<bool> ComCodeModule::FindKnown(std::string_view target, std::int32_t& startLine,
                                             std::int32_t& startColumn, std::int32_t& endLine,
                                             std::int32_t& endColumn, bool matchCase) const {
    const KnownLines* lines = Known();
    if (lines == nullptr || IsDoubleByteCodePage(registry_.CodePage()) || startLine < 1 ||
        startColumn < 1 || startLine > static_cast<std::int32_t>(lines->size()) ||
        !ReadBack(startLine, static_cast<std::int32_t>(lines->size()))) {
        return std::nullopt;
    }
    std::int32_t column = startColumn;
    for (std::int32_t line = startLine; line <= static_cast<std::int32_t>(lines->size());
         ++line, column = 1) {
        const std::string_view text = *(*lines)[static_cast<std::size_t>(line - 1)];
        const std::size_t from = std::min(static_cast<std::size_t>(column - 1), text.size());
        const std::size_t at = matchCase ? text.find(target, from) : FindNoCase(text, target, from);
        const std::string_view before =
            text.substr(from, at == std::string_view::npos ? std::string_view::npos : at - from);
        if (!matchCase && !IsAscii(before)) {
            startLine = line;
            startColumn = column;
            return std::nullopt;
        }
        if (at != std::string_view::npos) {
            startLine = endLine = line;
            startColumn = static_cast<std::int32_t>(at) + 1;
            endColumn = startColumn + static_cast<std::int32_t>(target.size());
            return true;
        }
    }
    return false;
}

bool ComCodeModule::Find(std::string_view target, std::int32_t& startLine,
                         std::int32_t& startColumn, std::int32_t& endLine, std::int32_t& endColumn,
                         bool wholeWord, bool matchCase, bool patternSearch) {
    // The model searches to the module's end whatever end is passed (callers pass 1, 1); the
    // IDE searches up to the end given, and reads -1 as the end of the module and of the line.
    endLine = -1;
    endColumn = -1;
    const bool printable =
        std::all_of(target.begin(), target.end(), [](char c) { return c >= ' ' && c <= '~'; });
    if (!target.empty() && printable && !wholeWord && !patternSearch) {
        if (const auto found =
                FindKnown(target, startLine, startColumn, endLine, endColumn, matchCase)) {
            return *found;
        }
    }
    return object_
        .Call("Find", {target, ByRef<std::int32_t>{startLine}, ByRef<std::int32_t>{startColumn},
                       ByRef<std::int32_t>{endLine}, ByRef<std::int32_t>{endColumn}, wholeWord,
                       matchCase, patternSearch})
        .Bool();
}

std::string ComCodeModule::FromUnicode(std::string_view utf8) const {
    return FromUtf8(utf8, registry_.CodePage());
}

std::string ComCodeModule::ToUnicode(std::string_view text) const {
    return ToUtf8(text, registry_.CodePage());
}

// --- Members ---

std::optional<Object> ComMembers::Listed() const {
    if (!unlisted_) {
        try {
            return module_.Self().Get("Members").AsObject();
        } catch (const VbError& e) {
            if (e.Number() != kObjectLacksMember) {
                throw;
            }
            unlisted_ = true;
        }
    }
    return std::nullopt;
}

// Read once while the module stays the same, from the lines the module keeps.
const std::vector<DeclaredMember>& ComMembers::Scanned() const {
    ModuleMemo& memo = module_.Memo();
    if (!memo.scanned) {
        const std::int32_t count = module_.CountOfLines();
        Scanner scanner(module_.Self().CodePage());
        if (count > 0) {
            const std::string text = module_.Lines(1, count);
            for (std::string_view line : SplitLines(text)) {
                scanner.Feed(line);
            }
        }
        module_.Memo().scanned = scanner.Finish().members;
    }
    return *module_.Memo().scanned;
}

std::int32_t ComMembers::Count() const {
    ModuleMemo& memo = module_.Memo();
    if (!memo.memberCount) {
        auto listed = Listed();
        memo.memberCount =
            listed ? listed->Get("Count").Long() : static_cast<std::int32_t>(Scanned().size());
    }
    return *memo.memberCount;
}

std::shared_ptr<const Member> ComMembers::Item(std::string_view name) const {
    auto& known = module_.Memo().memberByName;
    if (const auto found = known.find(name); found != known.end()) {
        return found->second;
    }
    std::shared_ptr<const Member> member;
    if (auto listed = Listed()) {
        member = MemberOf(listed->Call("Item", {name}).AsObject());
    } else {
        const auto& scanned = Scanned();
        const auto found = std::find_if(scanned.begin(), scanned.end(), [&](const auto& m) {
            return EqualsIgnoringCase(m.name, name);
        });
        if (found == scanned.end()) {
            Raise(Err::InvalidCall, "VBIDE.Members.Item");
        }
        member = std::make_shared<ListedMember>(found->name, found->type);
    }
    module_.Memo().memberByName.emplace(std::string(name), member);
    return member;
}

std::shared_ptr<const Member> ComMembers::Item(std::int32_t index) const {
    auto& known = module_.Memo().memberByIndex;
    if (const auto found = known.find(index); found != known.end()) {
        return found->second;
    }
    std::shared_ptr<const Member> member;
    if (auto listed = Listed()) {
        member = MemberOf(listed->Call("Item", {index}).AsObject());
    } else {
        const auto& scanned = Scanned();
        if (index < 1 || index > static_cast<std::int32_t>(scanned.size())) {
            Raise(Err::SubscriptOutOfRange, "VBIDE.Members.Item");
        }
        const DeclaredMember& found = scanned[static_cast<std::size_t>(index - 1)];
        member = std::make_shared<ListedMember>(found.name, found.type);
    }
    module_.Memo().memberByIndex.emplace(index, member);
    return member;
}

// --- Code panes ---

brindle::CodeModule& ComCodePane::CodeModule() {
    return Module();
}

ComCodeModule& ComCodePane::Module() const {
    if (module_ == nullptr) {
        module_ = &registry_.Wrap<ComCodeModule>(object_.Get("CodeModule").AsObject());
        module_->pane_ = const_cast<ComCodePane*>(this);
    }
    return *module_;
}

void ComCodePane::GetSelection(std::int32_t& startLine, std::int32_t& startColumn,
                               std::int32_t& endLine, std::int32_t& endColumn) const {
    Module();
    if (!selection_ || generation_ != registry_.Generation()) {
        Place start{};
        Place end{};
        object_.Call("GetSelection",
                     {ByRef<std::int32_t>{start.line}, ByRef<std::int32_t>{start.column},
                      ByRef<std::int32_t>{end.line}, ByRef<std::int32_t>{end.column}});
        selection_.emplace(start, end);
        generation_ = registry_.Generation();
    }
    startLine = selection_->first.line;
    startColumn = selection_->first.column;
    endLine = selection_->second.line;
    endColumn = selection_->second.column;
}

// The line after the last, where a selection ends that takes in the whole module, is shown as
// the end of the last line.
void ComCodePane::SetSelection(std::int32_t startLine, std::int32_t startColumn,
                               std::int32_t endLine, std::int32_t endColumn) {
    ComCodeModule& module = Module();
    const std::int32_t count = module.CountOfLines();
    std::int32_t lastColumn = 1;
    if (count > 0 && (startLine == count + 1 || endLine == count + 1)) {
        const std::string last = module.ToUnicode(module.Lines(count, 1));
        lastColumn = static_cast<std::int32_t>(Utf16FromUtf8(last).size()) + 1;
    }
    const auto shown = [&](std::int32_t line, std::int32_t column) {
        return count > 0 && line == count + 1 ? Place{count, lastColumn} : Place{line, column};
    };
    const Place start = shown(startLine, startColumn);
    const Place end = shown(endLine, endColumn);
    object_.Call("SetSelection", {start.line, start.column, end.line, end.column});
    const Place asked{startLine, startColumn};
    const Place askedEnd{endLine, endColumn};
    selection_.emplace(std::min(asked, askedEnd), std::max(asked, askedEnd));
    generation_ = registry_.Generation();
}

bool ComCodePane::Holds(std::uint64_t before) {
    if (!selection_ || generation_ != before) {
        selection_.reset();
        return false;
    }
    generation_ = registry_.Generation();
    return true;
}

void ComCodePane::LinesInserted(std::uint64_t before, std::int32_t line, std::int32_t count) {
    if (Holds(before)) {
        MoveForInsertedLines(selection_->first, selection_->second, line, count);
    }
}

void ComCodePane::LinesDeleted(std::uint64_t before, std::int32_t line, std::int32_t count) {
    if (Holds(before)) {
        MoveForDeletedLines(selection_->first, selection_->second, line, count,
                            [&](std::int32_t above) {
                                return static_cast<std::int32_t>(Module().Lines(above, 1).size());
                            });
    }
}

void ComCodePane::LinesKept(std::uint64_t before) {
    Holds(before);
}

std::int32_t ComCodePane::TopLine() const {
    return object_.Get("TopLine").Long();
}

void ComCodePane::SetTopLine(std::int32_t line) {
    object_.Put("TopLine", line);
}

// --- Windows ---

std::string ComWindow::Caption() const {
    return object_.Get("Caption").Text();
}

vbext_WindowType ComWindow::Type() const {
    return static_cast<vbext_WindowType>(object_.Get("Type").Long());
}

bool ComWindow::Visible() const {
    return object_.Get("Visible").Bool();
}

void ComWindow::SetVisible(bool visible) {
    object_.Put("Visible", visible);
}

void ComWindow::Close() {
    object_.Call("Close");
}

std::int32_t ComWindows::Count() const {
    return object_.Get("Count").Long();
}

std::shared_ptr<Window> ComWindows::Item(std::int32_t index) {
    return std::make_shared<ComWindow>(object_.Call("Item", {index}).AsObject());
}

}  // namespace brindle::host::com
