#include "host/com/ComVbe.h"

#include <windows.h>

#include <string>
#include <utility>

#include "host/com/ComObjects.h"
#include "host/vb6/CodePage.h"
#include "model/VbError.h"

namespace brindle::host::com {
namespace {

constexpr std::int32_t kObjectLacksMember = 438;

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
    return List(events_, "Events");
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

// A component's code module stays the same object for as long as the component lives.
brindle::CodeModule& ComComponent::CodeModule() {
    if (code_ == nullptr) {
        const auto type = Type();
        if (type == vbext_ct_ResFile || type == vbext_ct_RelatedDocument) {
            Raise(Err::ObjectNotSet, "VBIDE.VBComponent.CodeModule");
        }
        code_ = &registry_.Wrap<ComCodeModule>(object_.Get("CodeModule").AsObject());
    }
    return *code_;
}

// --- Code modules ---

brindle::VBComponent& ComCodeModule::Parent() {
    return registry_.Wrap<ComComponent>(object_.Get("Parent").AsObject());
}

brindle::CodePane& ComCodeModule::CodePane() {
    return registry_.Wrap<ComCodePane>(object_.Get("CodePane").AsObject());
}

std::int32_t ComCodeModule::CountOfLines() const {
    return object_.Get("CountOfLines").Long();
}

std::int32_t ComCodeModule::CountOfDeclarationLines() const {
    return object_.Get("CountOfDeclarationLines").Long();
}

std::string ComCodeModule::Lines(std::int32_t startLine, std::int32_t count) const {
    return object_.Call("Lines", {startLine, count}).Text();
}

void ComCodeModule::InsertLines(std::int32_t line, std::string_view text) {
    object_.Call("InsertLines", {line, text});
}

void ComCodeModule::DeleteLines(std::int32_t startLine, std::int32_t count) {
    object_.Call("DeleteLines", {startLine, count});
}

void ComCodeModule::ReplaceLine(std::int32_t line, std::string_view text) {
    object_.Call("ReplaceLine", {line, text});
}

std::int32_t ComCodeModule::ProcStartLine(std::string_view name, vbext_ProcKind kind) {
    return object_.Call("ProcStartLine", {name, std::int32_t{kind}}).Long();
}

std::int32_t ComCodeModule::ProcBodyLine(std::string_view name, vbext_ProcKind kind) {
    return object_.Call("ProcBodyLine", {name, std::int32_t{kind}}).Long();
}

std::int32_t ComCodeModule::ProcCountLines(std::string_view name, vbext_ProcKind kind) {
    return object_.Call("ProcCountLines", {name, std::int32_t{kind}}).Long();
}

std::string ComCodeModule::ProcOfLine(std::int32_t line, vbext_ProcKind& kind) {
    std::int32_t written = kind;
    std::string name = object_.Call("ProcOfLine", {line, ByRef<std::int32_t>{written}}).Text();
    kind = static_cast<vbext_ProcKind>(written);
    return name;
}

bool ComCodeModule::Find(std::string_view target, std::int32_t& startLine,
                         std::int32_t& startColumn, std::int32_t& endLine, std::int32_t& endColumn,
                         bool wholeWord, bool matchCase, bool patternSearch) {
    // The model searches to the module's end whatever end is passed (callers pass 1, 1); the
    // IDE searches up to the end given, and reads -1 as the end of the module and of the line.
    endLine = -1;
    endColumn = -1;
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

std::vector<DeclaredMember> ComMembers::Scanned() const {
    const std::int32_t count = module_.CountOfLines();
    const std::string text = count > 0 ? module_.Lines(1, count) : std::string();
    Scanner scanner(module_.Self().CodePage());
    if (count > 0) {
        for (std::string_view line : SplitLines(text)) {
            scanner.Feed(line);
        }
    }
    return scanner.Finish().members;
}

std::int32_t ComMembers::Count() const {
    if (auto listed = Listed()) {
        return listed->Get("Count").Long();
    }
    return static_cast<std::int32_t>(Scanned().size());
}

std::shared_ptr<const Member> ComMembers::Item(std::string_view name) const {
    if (auto listed = Listed()) {
        return MemberOf(listed->Call("Item", {name}).AsObject());
    }
    for (DeclaredMember& member : Scanned()) {
        if (EqualsIgnoringCase(member.name, name)) {
            return std::make_shared<ListedMember>(std::move(member.name), member.type);
        }
    }
    Raise(Err::InvalidCall, "VBIDE.Members.Item");
}

std::shared_ptr<const Member> ComMembers::Item(std::int32_t index) const {
    if (auto listed = Listed()) {
        return MemberOf(listed->Call("Item", {index}).AsObject());
    }
    std::vector<DeclaredMember> members = Scanned();
    if (index < 1 || index > static_cast<std::int32_t>(members.size())) {
        Raise(Err::SubscriptOutOfRange, "VBIDE.Members.Item");
    }
    DeclaredMember& member = members[static_cast<std::size_t>(index - 1)];
    return std::make_shared<ListedMember>(std::move(member.name), member.type);
}

// --- Code panes ---

brindle::CodeModule& ComCodePane::CodeModule() {
    return registry_.Wrap<ComCodeModule>(object_.Get("CodeModule").AsObject());
}

void ComCodePane::GetSelection(std::int32_t& startLine, std::int32_t& startColumn,
                               std::int32_t& endLine, std::int32_t& endColumn) const {
    object_.Call("GetSelection", {ByRef<std::int32_t>{startLine}, ByRef<std::int32_t>{startColumn},
                                  ByRef<std::int32_t>{endLine}, ByRef<std::int32_t>{endColumn}});
}

void ComCodePane::SetSelection(std::int32_t startLine, std::int32_t startColumn,
                               std::int32_t endLine, std::int32_t endColumn) {
    object_.Call("SetSelection", {startLine, startColumn, endLine, endColumn});
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
