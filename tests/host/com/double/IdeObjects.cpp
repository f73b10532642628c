// The IDE's own objects: the environment, projects, components, code modules and panes,
// members and windows.

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>

#include "host/com/double/Objects.h"
#include "host/ide/MemoryProject.h"
#include "host/vb6/CodePage.h"
#include "model/VbError.h"
#include "util/Unicode.h"

namespace brindle::test::automation {

namespace {

constexpr std::string_view kSource = "VBIDE";
// What the VBA editor raises for the components of a project locked for viewing.
constexpr std::int32_t kProjectProtected = 50289;

[[noreturn]] void NotSupported() {
    throw VbError(438, "Object doesn't support this property or method", std::string(kSource));
}

// A module's text is the bytes of its code page.
std::u16string FromModule(const CodeModule& module, std::string_view bytes) {
    return Utf16FromUtf8(module.ToUnicode(bytes));
}
std::string ToModule(const CodeModule& module, std::u16string_view text) {
    return module.FromUnicode(Utf8FromUtf16(text));
}

std::u16string ComponentName(const VBComponent& component) {
    if (const auto* ours = dynamic_cast<const host::MemoryComponent*>(&component)) {
        return Utf16FromUtf8(host::ToUtf8(ours->Name(), ours->CodePage()));
    }
    return Wide(component.Name());
}

vbext_ProcKind ProcKind(const Call& call, std::size_t i) {
    const std::int32_t kind = call.Long(i);
    if (kind < vbext_pk_Proc || kind > vbext_pk_Get) {
        Raise(Err::InvalidCall, kSource);
    }
    return static_cast<vbext_ProcKind>(kind);
}

// `project` names the project the component was reached through; empty when not known.
IDispatch* NewComponent(const std::shared_ptr<State>& state, VBComponent& component,
                        std::string project = {});

// A project locked for viewing in the VBA editor refuses its components at the lock's point.
void RefuseIfLocked(const State& ide, std::string_view project, AutomationIde::LockPoint point) {
    if (ide.kind == IdeKind::Vba && ide.lockPoint == point && ide.locked.contains(project)) {
        throw VbError(kProjectProtected, "Can't perform operation since the project is protected",
                      std::string(kSource));
    }
}
IDispatch* NewMembers(const std::shared_ptr<State>& state, CodeModule& module);
IDispatch* NewMainWindow(const std::shared_ptr<State>& state);

// ---- VBE ----

class VbeObject final : public Automation<VbeObject> {
public:
    using Automation::Automation;

private:
    bool Lacks(const OLECHAR* name) const override {
        return Ide().kind == IdeKind::Vba && lstrcmpiW(name, L"FullName") == 0;
    }

    std::span<const Row> Rows() const override {
        static constexpr std::array<Row, 9> kRows = {{
            {{"Version", 1, kGet},
             [](VbeObject& o, Call& c) {
                 c.ReturnText(o.Ide().kind == IdeKind::Vb6 ? u"6.00" : u"7.01");
             }},
            {{"ActiveVBProject", 2, kGet},
             [](VbeObject& vbe, Call& c) {
                 VBProject* project = vbe.Ide().vbe.ActiveVBProject();
                 c.ReturnObject(project ? NewProject(vbe.SharedState(), *project) : nullptr);
             }},
            {{"ActiveCodePane", 3, kGet},
             [](VbeObject& vbe, Call& c) {
                 CodePane* pane = vbe.Ide().vbe.ActiveCodePane();
                 c.ReturnObject(pane ? NewCodePane(vbe.SharedState(), *pane) : nullptr);
             }},
            {{"Windows", 4, kGet},
             [](VbeObject& o, Call& c) { c.ReturnObject(NewWindows(o.SharedState())); }},
            {{"CommandBars", 5, kGet},
             [](VbeObject& o, Call& c) { c.ReturnObject(NewCommandBars(o.SharedState())); }},
            {{"Events", 6, kGet},
             [](VbeObject& o, Call& c) { c.ReturnObject(NewEvents(o.SharedState())); }},
            {{"Addins", 7, kGet},
             [](VbeObject& o, Call& c) { c.ReturnObject(NewAddins(o.SharedState())); }},
            // The VB6 IDE's path; the VBA editor's VBE has no FullName.
            {{"FullName", 8, kGet},
             [](VbeObject& o, Call& c) {
                 if (o.Ide().kind == IdeKind::Vba) {
                     NotSupported();
                 }
                 c.ReturnText(u"C:\\Program Files\\Microsoft Visual Studio\\VB98\\VB6.EXE");
             }},
            {{"MainWindow", 9, kGet},
             [](VbeObject& o, Call& c) { c.ReturnObject(NewMainWindow(o.SharedState())); }},
        }};
        return kRows;
    }
};

// ---- Projects and components ----

class ProjectObject final : public Automation<ProjectObject> {
public:
    ProjectObject(std::shared_ptr<State> state, VBProject& project)
        : Automation(std::move(state)), project_(project) {}

private:
    std::span<const Row> Rows() const override;
    VBProject& project_;
};

class ComponentsObject final : public Automation<ComponentsObject> {
public:
    ComponentsObject(std::shared_ptr<State> state, VBComponents& components, std::string project)
        : Automation(std::move(state)), components_(components), project_(std::move(project)) {}

private:
    // By 1-based index, or by name without regard to case; neither raises 9.
    VBComponent& Item(const Call& call) {
        RefuseIfLocked(Ide(), project_, AutomationIde::LockPoint::CountAndItem);
        if (!call.IsText(0)) {
            return components_.Item(call.Long(0));
        }
        const std::string name = Utf8FromUtf16(call.Text(0));
        for (std::int32_t i = 1; i <= components_.Count(); ++i) {
            VBComponent& component = components_.Item(i);
            if (host::EqualsIgnoringCase(Utf8FromUtf16(ComponentName(component)), name)) {
                return component;
            }
        }
        Raise(Err::SubscriptOutOfRange, kSource);
    }

    std::span<const Row> Rows() const override {
        static constexpr std::array<Row, 2> kRows = {{
            {{"Item", DISPID_VALUE, kMethod, 1, 1},
             [](ComponentsObject& list, Call& c) {
                 c.ReturnObject(NewComponent(list.SharedState(), list.Item(c), list.project_));
             }},
            {{"Count", 1, kGet},
             [](ComponentsObject& list, Call& c) {
                 RefuseIfLocked(list.Ide(), list.project_, AutomationIde::LockPoint::CountAndItem);
                 c.Return(list.components_.Count());
             }},
        }};
        return kRows;
    }

    VBComponents& components_;
    std::string project_;
};

std::span<const ProjectObject::Row> ProjectObject::Rows() const {
    static constexpr std::array<Row, 4> kRows = {{
        {{"Name", 1, kGet},
         [](ProjectObject& o, Call& c) { c.ReturnText(Wide(o.project_.Name())); }},
        // The project file, or the VBA editor's document; empty before it is saved.
        {{"FileName", 4, kGet},
         [](ProjectObject& project, Call& c) {
             const auto found = project.Ide().projectFiles.find(project.project_.Name());
             c.ReturnText(found != project.Ide().projectFiles.end() ? found->second : u"");
         }},
        {{"VBComponents", 2, kGet},
         [](ProjectObject& project, Call& c) {
             const std::string name = project.project_.Name();
             RefuseIfLocked(project.Ide(), name, AutomationIde::LockPoint::Components);
             c.ReturnObject(Shared<ComponentsObject>(project.SharedState(),
                                                     &project.project_.VBComponents(),
                                                     project.project_.VBComponents(), name));
         }},
        // The VBA editor's alone: the VB6 IDE's projects do not know the name.
        {{"Protection", 3, kGet},
         [](ProjectObject& project, Call& c) {
             c.Return(project.Ide().locked.contains(project.project_.Name()) ? 1 : 0);
         }},
    }};
    // Without Protection.
    static constexpr std::span<const Row> kVb6Rows(kRows.data(), 3);
    return Ide().kind == IdeKind::Vba ? std::span<const Row>(kRows) : kVb6Rows;
}

class ComponentObject final : public Automation<ComponentObject> {
public:
    ComponentObject(std::shared_ptr<State> state, VBComponent& component, std::string project)
        : Automation(std::move(state)), component_(component), project_(std::move(project)) {}

private:
    std::span<const Row> Rows() const override {
        static constexpr std::array<Row, 4> kRows = {{
            {{"Name", 1, kGet},
             [](ComponentObject& o, Call& c) { c.ReturnText(ComponentName(o.component_)); }},
            {{"Type", 2, kGet}, [](ComponentObject& o, Call& c) { c.Return(o.component_.Type()); }},
            {{"CodeModule", 3, kGet},
             [](ComponentObject& component, Call& c) {
                 RefuseIfLocked(component.Ide(), component.project_,
                                AutomationIde::LockPoint::CodeModule);
                 c.ReturnObject(component.CodeModule());
             }},
            // The VB6 IDE's alone: the VBA editor's components live in their document.
            {{"FileNames", 4, kGet, 1, 1},
             [](ComponentObject& o, Call& c) {
                 const auto* ours = dynamic_cast<const host::MemoryComponent*>(&o.component_);
                 c.ReturnText(ours != nullptr && c.Long(0) == 1 ? ours->FilePath().u16string()
                                                                : u"");
             }},
        }};
        static constexpr std::span<const Row> kVbaRows(kRows.data(), 3);
        return Ide().kind == IdeKind::Vb6 ? std::span<const Row>(kRows) : kVbaRows;
    }

    // A component without code (a resource file, a related document): the VB6 IDE answers
    // Nothing, the VBA editor raises.
    IDispatch* CodeModule() {
        const vbext_ComponentType type = component_.Type();
        if (Ide().kind == IdeKind::Vb6 &&
            (type == vbext_ct_ResFile || type == vbext_ct_RelatedDocument)) {
            return nullptr;
        }
        return NewCodeModule(SharedState(), component_.CodeModule());
    }

    VBComponent& component_;
    std::string project_;
};

IDispatch* NewComponent(const std::shared_ptr<State>& state, VBComponent& component,
                        std::string project) {
    return Shared<ComponentObject>(state, &component, component, std::move(project));
}

// ---- Code modules ----

class CodeModuleObject final : public Automation<CodeModuleObject> {
public:
    CodeModuleObject(std::shared_ptr<State> state, CodeModule& module)
        : Automation(std::move(state)), module_(module) {}

private:
    bool Lacks(const OLECHAR* name) const override {
        return Ide().kind == IdeKind::Vba && lstrcmpiW(name, L"Members") == 0;
    }

    // The section above the first procedure's span.
    std::int32_t CountOfDeclarationLines() {
        auto* ours = dynamic_cast<host::MemoryCodeModule*>(&module_);
        if (ours == nullptr) {
            NotSupported();
        }
        const auto procedures = ours->Procedures();
        return procedures.empty() ? module_.CountOfLines()
                                  : procedures.front().procedure.startLine - 1;
    }

    void ReplaceLine(std::int32_t line, std::string_view text) {
        auto* ours = dynamic_cast<host::MemoryCodeModule*>(&module_);
        if (ours == nullptr) {
            NotSupported();
        }
        Edit([&] { ours->ReplaceLine(line, text); });
    }

    // Without the empty line after a trailing break, where this IDE adds none.
    void InsertLines(std::int32_t line, std::string text) {
        if (!Ide().unpublished.trailingBreakAddsLine) {
            if (text.ends_with("\r\n")) {
                text.resize(text.size() - 2);
            } else if (text.ends_with('\r') || text.ends_with('\n')) {
                text.pop_back();
            }
        }
        Edit([&] { module_.InsertLines(line, text); });
    }

    // Where this IDE leaves the selection on its line numbers, it is put back after the edit,
    // within the module.
    template <class Change>
    void Edit(Change change) {
        if (Ide().unpublished.selectionFollowsEdits) {
            change();
            return;
        }
        CodePane& pane = module_.CodePane();
        std::array<std::int32_t, 4> s{};
        pane.GetSelection(s[0], s[1], s[2], s[3]);
        change();
        const std::int32_t limit = module_.CountOfLines() + 1;
        pane.SetSelection(std::clamp(s[0], 1, limit), s[1], std::clamp(s[2], 1, limit), s[3]);
    }

    // Find(Target, StartLine, StartColumn, EndLine, EndColumn[, WholeWord, MatchCase,
    // PatternSearch]): the four bounds by reference, written back on a match.
    void Find(Call& call) {
        std::array<std::int32_t, 4> bounds{};
        for (std::size_t i = 0; i < bounds.size(); ++i) {
            bounds[i] = call.ByRefLong(i + 1);
        }
        const bool found =
            module_.Find(ToModule(module_, call.Text(0)), bounds[0], bounds[1], bounds[2],
                         bounds[3], call.Bool(5), call.Bool(6), call.Bool(7));
        if (found) {
            for (std::size_t i = 0; i < bounds.size(); ++i) {
                call.WriteLong(i + 1, bounds[i]);
            }
        }
        call.ReturnBool(found);
    }

    std::span<const Row> Rows() const override;

    CodeModule& module_;
};

std::span<const CodeModuleObject::Row> CodeModuleObject::Rows() const {
    static constexpr std::array<Row, 14> kRows = {{
        {{"Parent", 1, kGet},
         [](CodeModuleObject& module, Call& c) {
             c.ReturnObject(NewComponent(module.SharedState(), module.module_.Parent()));
         }},
        {{"CodePane", 2, kGet},
         [](CodeModuleObject& module, Call& c) {
             c.ReturnObject(NewCodePane(module.SharedState(), module.module_.CodePane()));
         }},
        {{"Members", 3, kGet},
         [](CodeModuleObject& module, Call& c) {
             if (module.Ide().kind == IdeKind::Vba) {
                 NotSupported();
             }
             c.ReturnObject(NewMembers(module.SharedState(), module.module_));
         }},
        {{"CountOfLines", 4, kGet},
         [](CodeModuleObject& o, Call& c) { c.Return(o.module_.CountOfLines()); }},
        {{"CountOfDeclarationLines", 5, kGet},
         [](CodeModuleObject& o, Call& c) { c.Return(o.CountOfDeclarationLines()); }},
        {{"Lines", 6, kGet, 2, 2},
         [](CodeModuleObject& o, Call& c) {
             const CodeModule& module = o.module_;
             c.ReturnText(FromModule(module, module.Lines(c.Long(0), c.Long(1))));
         }},
        {{"InsertLines", 7, kMethod, 2, 2},
         [](CodeModuleObject& module, Call& c) {
             module.InsertLines(c.Long(0), ToModule(module.module_, c.Text(1)));
         }},
        {{"DeleteLines", 8, kMethod, 1, 2},
         [](CodeModuleObject& module, Call& c) {
             module.Edit(
                 [&] { module.module_.DeleteLines(c.Long(0), c.OptionalLong(1).value_or(1)); });
         }},
        {{"ReplaceLine", 9, kMethod, 2, 2},
         [](CodeModuleObject& module, Call& c) {
             module.ReplaceLine(c.Long(0), ToModule(module.module_, c.Text(1)));
         }},
        {{"ProcStartLine", 10, kGet, 2, 2},
         [](CodeModuleObject& o, Call& c) {
             CodeModule& module = o.module_;
             c.Return(module.ProcStartLine(ToModule(module, c.Text(0)), ProcKind(c, 1)));
         }},
        {{"ProcBodyLine", 11, kGet, 2, 2},
         [](CodeModuleObject& o, Call& c) {
             CodeModule& module = o.module_;
             c.Return(module.ProcBodyLine(ToModule(module, c.Text(0)), ProcKind(c, 1)));
         }},
        {{"ProcCountLines", 12, kGet, 2, 2},
         [](CodeModuleObject& o, Call& c) {
             CodeModule& module = o.module_;
             c.Return(module.ProcCountLines(ToModule(module, c.Text(0)), ProcKind(c, 1)));
         }},
        // ProcOfLine(Line, ProcKind): the kind by reference, written back.
        {{"ProcOfLine", 13, kGet, 2, 2},
         [](CodeModuleObject& o, Call& c) {
             CodeModule& module = o.module_;
             c.ByRefLong(1);
             auto kind = vbext_pk_Proc;
             const std::string name = module.ProcOfLine(c.Long(0), kind);
             c.WriteLong(1, kind);
             c.ReturnText(FromModule(module, name));
         }},
        {{"Find", 14, kMethod, 5, 8}, [](CodeModuleObject& o, Call& c) { o.Find(c); }},
    }};
    return kRows;
}

// ---- Code panes ----

class CodePaneObject final : public Automation<CodePaneObject> {
public:
    CodePaneObject(std::shared_ptr<State> state, CodePane& pane)
        : Automation(std::move(state)), pane_(pane) {}

private:
    std::int32_t TopLine() {
        const auto it = Ide().topLines.find(&pane_);
        return it == Ide().topLines.end() ? 1 : it->second;
    }

    // Positive; past the end it stops at the last line.
    void SetTopLine(std::int32_t line) {
        if (line < 1) {
            Raise(Err::InvalidCall, kSource);
        }
        Ide().topLines[&pane_] = std::min(line, std::max(1, pane_.CodeModule().CountOfLines()));
    }

    // A line past the last is clamped to the end of the last line, or refused.
    void SetSelection(std::array<std::int32_t, 4> bounds) {
        const CodeModule& module = pane_.CodeModule();
        const std::int32_t last = std::max(1, module.CountOfLines());
        for (const std::size_t line : {0u, 2u}) {
            if (bounds[line] <= last) {
                continue;
            }
            if (!Ide().unpublished.selectionPastEndClamped) {
                Raise(Err::InvalidCall, kSource);
            }
            bounds[line] = last;
            const std::size_t length = module.CountOfLines() > 0 ? module.Lines(last, 1).size() : 0;
            bounds[line + 1] = static_cast<std::int32_t>(length) + 1;
        }
        pane_.SetSelection(bounds[0], bounds[1], bounds[2], bounds[3]);
    }

    std::span<const Row> Rows() const override {
        static constexpr std::array<Row, 5> kRows = {{
            {{"CodeModule", 1, kGet},
             [](CodePaneObject& pane, Call& c) {
                 c.ReturnObject(NewCodeModule(pane.SharedState(), pane.pane_.CodeModule()));
             }},
            // GetSelection(StartLine, StartColumn, EndLine, EndColumn), each by reference.
            {{"GetSelection", 2, kMethod, 4, 4},
             [](CodePaneObject& o, Call& c) {
                 std::array<std::int32_t, 4> bounds{};
                 for (std::size_t i = 0; i < bounds.size(); ++i) {
                     c.ByRefLong(i);
                 }
                 o.pane_.GetSelection(bounds[0], bounds[1], bounds[2], bounds[3]);
                 for (std::size_t i = 0; i < bounds.size(); ++i) {
                     c.WriteLong(i, bounds[i]);
                 }
             }},
            {{"SetSelection", 3, kMethod, 4, 4},
             [](CodePaneObject& o, Call& c) {
                 o.SetSelection({c.Long(0), c.Long(1), c.Long(2), c.Long(3)});
             }},
            {{"TopLine", 4, kGet}, [](CodePaneObject& o, Call& c) { c.Return(o.TopLine()); }},
            {{"TopLine", 4, kPut, 1, 1},
             [](CodePaneObject& o, Call& c) { o.SetTopLine(c.Long(0)); }},
        }};
        return kRows;
    }

    CodePane& pane_;
};

// ---- Members (VB6 alone) ----

class MemberObject final : public Automation<MemberObject> {
public:
    MemberObject(std::shared_ptr<State> state, const CodeModule& module,
                 std::shared_ptr<const Member> member)
        : Automation(std::move(state)), module_(module), member_(std::move(member)) {}

private:
    std::span<const Row> Rows() const override {
        static constexpr std::array<Row, 2> kRows = {{
            {{"Name", 1, kGet},
             [](MemberObject& member, Call& c) {
                 c.ReturnText(FromModule(member.module_, member.member_->Name()));
             }},
            {{"Type", 2, kGet}, [](MemberObject& o, Call& c) { c.Return(o.member_->Type()); }},
        }};
        return kRows;
    }

    const CodeModule& module_;
    std::shared_ptr<const Member> member_;
};

IDispatch* NewMember(const std::shared_ptr<State>& state, const CodeModule& module,
                     const std::shared_ptr<const Member>& member) {
    return Shared<MemberObject>(state, member.get(), module, member);
}

class MembersObject final : public Automation<MembersObject> {
public:
    MembersObject(std::shared_ptr<State> state, CodeModule& module)
        : Automation(std::move(state)), module_(module) {}

private:
    std::shared_ptr<const Member> Item(const Call& call) {
        if (call.IsText(0)) {
            return module_.Members().Item(ToModule(module_, call.Text(0)));
        }
        return module_.Members().Item(call.Long(0));
    }

    std::span<const Row> Rows() const override {
        static constexpr std::array<Row, 2> kRows = {{
            {{"Item", DISPID_VALUE, kMethod, 1, 1},
             [](MembersObject& members, Call& c) {
                 c.ReturnObject(NewMember(members.SharedState(), members.module_, members.Item(c)));
             }},
            {{"Count", 1, kGet},
             [](MembersObject& o, Call& c) { c.Return(o.module_.Members().Count()); }},
        }};
        return kRows;
    }

    CodeModule& module_;
};

IDispatch* NewMembers(const std::shared_ptr<State>& state, CodeModule& module) {
    return Shared<MembersObject>(state, &module.Members(), module);
}

// ---- Windows ----

class WindowObject final : public Automation<WindowObject> {
public:
    WindowObject(std::shared_ptr<State> state, std::shared_ptr<Window> window)
        : Automation(std::move(state)), window_(std::move(window)) {}

private:
    std::span<const Row> Rows() const override {
        static constexpr std::array<Row, 5> kRows = {{
            {{"Caption", 1, kGet},
             [](WindowObject& o, Call& c) { c.ReturnText(Wide(o.window_->Caption())); }},
            {{"Type", 2, kGet}, [](WindowObject& o, Call& c) { c.Return(o.window_->Type()); }},
            {{"Visible", 3, kGet},
             [](WindowObject& o, Call& c) { c.ReturnBool(o.window_->Visible()); }},
            {{"Visible", 3, kPut, 1, 1},
             [](WindowObject& o, Call& c) { o.window_->SetVisible(c.Bool(0)); }},
            {{"Close", 4, kMethod}, [](WindowObject& o, Call&) { o.window_->Close(); }},
        }};
        return kRows;
    }

    std::shared_ptr<Window> window_;
};

IDispatch* NewWindow(const std::shared_ptr<State>& state, const std::shared_ptr<Window>& window) {
    return Shared<WindowObject>(state, window.get(), window);
}

// The IDE's main window: its handle is the test's window, when it set one.
class MainWindowObject final : public Automation<MainWindowObject> {
public:
    using Automation::Automation;

private:
    std::span<const Row> Rows() const override {
        static constexpr std::array<Row, 3> kRows = {{
            {{"Caption", 1, kGet},
             [](MainWindowObject& o, Call& c) {
                 wchar_t text[256] = {};
                 GetWindowTextW(o.Ide().mainWindow, text, 256);
                 c.ReturnText(reinterpret_cast<const char16_t*>(text));
             }},
            {{"Type", 2, kGet}, [](MainWindowObject&, Call& c) { c.Return(vbext_wt_MainWindow); }},
            {{"HWnd", 5, kGet},
             [](MainWindowObject& o, Call& c) {
                 // A window handle fits a Long in both bitnesses, as the IDE hands it over.
                 c.Return(static_cast<std::int32_t>(
                     reinterpret_cast<std::intptr_t>(o.Ide().mainWindow)));
             }},
        }};
        return kRows;
    }
};

IDispatch* NewMainWindow(const std::shared_ptr<State>& state) {
    return Shared<MainWindowObject>(state, &state->mainWindow);
}

class WindowsObject final : public Automation<WindowsObject> {
public:
    using Automation::Automation;

private:
    // By 1-based index, or by caption.
    std::shared_ptr<Window> Item(const Call& call) {
        Windows& windows = Ide().vbe.Windows();
        if (!call.IsText(0)) {
            return windows.Item(call.Long(0));
        }
        const std::string caption = Narrow(call.Text(0));
        for (std::int32_t i = 1; i <= windows.Count(); ++i) {
            auto window = windows.Item(i);
            if (host::EqualsIgnoringCase(Narrow(Wide(window->Caption())), caption)) {
                return window;
            }
        }
        Raise(Err::SubscriptOutOfRange, kSource);
    }

    std::span<const Row> Rows() const override {
        static constexpr std::array<Row, 2> kRows = {{
            {{"Item", DISPID_VALUE, kMethod, 1, 1},
             [](WindowsObject& windows, Call& c) {
                 c.ReturnObject(NewWindow(windows.SharedState(), windows.Item(c)));
             }},
            {{"Count", 1, kGet},
             [](WindowsObject& o, Call& c) { c.Return(o.Ide().vbe.Windows().Count()); }},
        }};
        return kRows;
    }
};

}  // namespace

IDispatch* NewVbe(const std::shared_ptr<State>& state) {
    return Shared<VbeObject>(state, &state->vbe);
}
IDispatch* NewProject(const std::shared_ptr<State>& state, VBProject& project) {
    return Shared<ProjectObject>(state, &project, project);
}
IDispatch* NewCodeModule(const std::shared_ptr<State>& state, CodeModule& module) {
    return Shared<CodeModuleObject>(state, &module, module);
}
IDispatch* NewCodePane(const std::shared_ptr<State>& state, CodePane& pane) {
    return Shared<CodePaneObject>(state, &pane, pane);
}
IDispatch* NewWindows(const std::shared_ptr<State>& state) {
    return Shared<WindowsObject>(state, &state->vbe.Windows());
}

}  // namespace brindle::test::automation
