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

class VbeObject final : public DispatchBase {
public:
    using DispatchBase::DispatchBase;

private:
    bool Lacks(const OLECHAR* name) const override {
        return Ide().kind == IdeKind::Vba && lstrcmpiW(name, L"FullName") == 0;
    }

    std::span<const Row> Rows() const override {
        static constexpr std::array<Row, 9> kRows = {{
            {"Version", 1, kGet, 0, 0,
             [](DispatchBase& self, Call& call) {
                 call.ReturnText(As<VbeObject>(self).Ide().kind == IdeKind::Vb6 ? u"6.00"
                                                                                : u"7.01");
             }},
            {"ActiveVBProject", 2, kGet, 0, 0,
             [](DispatchBase& self, Call& call) {
                 auto& vbe = As<VbeObject>(self);
                 VBProject* project = vbe.Ide().vbe.ActiveVBProject();
                 call.ReturnObject(project ? NewProject(vbe.SharedState(), *project) : nullptr);
             }},
            {"ActiveCodePane", 3, kGet, 0, 0,
             [](DispatchBase& self, Call& call) {
                 auto& vbe = As<VbeObject>(self);
                 CodePane* pane = vbe.Ide().vbe.ActiveCodePane();
                 call.ReturnObject(pane ? NewCodePane(vbe.SharedState(), *pane) : nullptr);
             }},
            {"Windows", 4, kGet, 0, 0,
             [](DispatchBase& self, Call& call) {
                 call.ReturnObject(NewWindows(As<VbeObject>(self).SharedState()));
             }},
            {"CommandBars", 5, kGet, 0, 0,
             [](DispatchBase& self, Call& call) {
                 call.ReturnObject(NewCommandBars(As<VbeObject>(self).SharedState()));
             }},
            {"Events", 6, kGet, 0, 0,
             [](DispatchBase& self, Call& call) {
                 call.ReturnObject(NewEvents(As<VbeObject>(self).SharedState()));
             }},
            {"Addins", 7, kGet, 0, 0,
             [](DispatchBase& self, Call& call) {
                 call.ReturnObject(NewAddins(As<VbeObject>(self).SharedState()));
             }},
            // The VB6 IDE's path; the VBA editor's VBE has no FullName.
            {"FullName", 8, kGet, 0, 0,
             [](DispatchBase& self, Call& call) {
                 if (As<VbeObject>(self).Ide().kind == IdeKind::Vba) {
                     NotSupported();
                 }
                 call.ReturnText(u"C:\\Program Files\\Microsoft Visual Studio\\VB98\\VB6.EXE");
             }},
            {"MainWindow", 9, kGet, 0, 0,
             [](DispatchBase& self, Call& call) {
                 call.ReturnObject(NewMainWindow(As<VbeObject>(self).SharedState()));
             }},
        }};
        return kRows;
    }
};

// ---- Projects and components ----

class ProjectObject final : public DispatchBase {
public:
    ProjectObject(std::shared_ptr<State> state, VBProject& project)
        : DispatchBase(std::move(state)), project_(project) {}

private:
    std::span<const Row> Rows() const override;
    VBProject& project_;
};

class ComponentsObject final : public DispatchBase {
public:
    ComponentsObject(std::shared_ptr<State> state, VBComponents& components, std::string project)
        : DispatchBase(std::move(state)), components_(components), project_(std::move(project)) {}

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
            {"Item", DISPID_VALUE, kMethod, 1, 1,
             [](DispatchBase& self, Call& call) {
                 auto& list = As<ComponentsObject>(self);
                 call.ReturnObject(
                     NewComponent(list.SharedState(), list.Item(call), list.project_));
             }},
            {"Count", 1, kGet, 0, 0,
             [](DispatchBase& self, Call& call) {
                 auto& list = As<ComponentsObject>(self);
                 RefuseIfLocked(list.Ide(), list.project_, AutomationIde::LockPoint::CountAndItem);
                 call.Return(list.components_.Count());
             }},
        }};
        return kRows;
    }

    VBComponents& components_;
    std::string project_;
};

std::span<const DispatchBase::Row> ProjectObject::Rows() const {
    static constexpr std::array<Row, 4> kRows = {{
        {"Name", 1, kGet, 0, 0,
         [](DispatchBase& self, Call& call) {
             call.ReturnText(Wide(As<ProjectObject>(self).project_.Name()));
         }},
        // The project file, or the VBA editor's document; empty before it is saved.
        {"FileName", 4, kGet, 0, 0,
         [](DispatchBase& self, Call& call) {
             auto& project = As<ProjectObject>(self);
             const auto found = project.Ide().projectFiles.find(project.project_.Name());
             call.ReturnText(found != project.Ide().projectFiles.end() ? found->second : u"");
         }},
        {"VBComponents", 2, kGet, 0, 0,
         [](DispatchBase& self, Call& call) {
             auto& project = As<ProjectObject>(self);
             const std::string name = project.project_.Name();
             RefuseIfLocked(project.Ide(), name, AutomationIde::LockPoint::Components);
             call.ReturnObject(Shared<ComponentsObject>(project.SharedState(),
                                                        &project.project_.VBComponents(),
                                                        project.project_.VBComponents(), name));
         }},
        // The VBA editor's alone: the VB6 IDE's projects do not know the name.
        {"Protection", 3, kGet, 0, 0,
         [](DispatchBase& self, Call& call) {
             auto& project = As<ProjectObject>(self);
             call.Return(project.Ide().locked.contains(project.project_.Name()) ? 1 : 0);
         }},
    }};
    // Without Protection.
    static constexpr std::span<const Row> kVb6Rows(kRows.data(), 3);
    return Ide().kind == IdeKind::Vba ? std::span<const Row>(kRows) : kVb6Rows;
}

class ComponentObject final : public DispatchBase {
public:
    ComponentObject(std::shared_ptr<State> state, VBComponent& component, std::string project)
        : DispatchBase(std::move(state)), component_(component), project_(std::move(project)) {}

private:
    std::span<const Row> Rows() const override {
        static constexpr std::array<Row, 4> kRows = {{
            {"Name", 1, kGet, 0, 0,
             [](DispatchBase& self, Call& call) {
                 call.ReturnText(ComponentName(As<ComponentObject>(self).component_));
             }},
            {"Type", 2, kGet, 0, 0,
             [](DispatchBase& self, Call& call) {
                 call.Return(As<ComponentObject>(self).component_.Type());
             }},
            {"CodeModule", 3, kGet, 0, 0,
             [](DispatchBase& self, Call& call) {
                 auto& component = As<ComponentObject>(self);
                 RefuseIfLocked(component.Ide(), component.project_,
                                AutomationIde::LockPoint::CodeModule);
                 call.ReturnObject(component.CodeModule());
             }},
            // The VB6 IDE's alone: the VBA editor's components live in their document.
            {"FileNames", 4, kGet, 1, 1,
             [](DispatchBase& self, Call& call) {
                 const auto* ours = dynamic_cast<const host::MemoryComponent*>(
                     &As<ComponentObject>(self).component_);
                 call.ReturnText(ours != nullptr && call.Long(0) == 1 ? ours->FilePath().u16string()
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

class CodeModuleObject final : public DispatchBase {
public:
    CodeModuleObject(std::shared_ptr<State> state, CodeModule& module)
        : DispatchBase(std::move(state)), module_(module) {}

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

std::span<const DispatchBase::Row> CodeModuleObject::Rows() const {
    static constexpr std::array<Row, 14> kRows = {{
        {"Parent", 1, kGet, 0, 0,
         [](DispatchBase& self, Call& call) {
             auto& module = As<CodeModuleObject>(self);
             call.ReturnObject(NewComponent(module.SharedState(), module.module_.Parent()));
         }},
        {"CodePane", 2, kGet, 0, 0,
         [](DispatchBase& self, Call& call) {
             auto& module = As<CodeModuleObject>(self);
             call.ReturnObject(NewCodePane(module.SharedState(), module.module_.CodePane()));
         }},
        {"Members", 3, kGet, 0, 0,
         [](DispatchBase& self, Call& call) {
             auto& module = As<CodeModuleObject>(self);
             if (module.Ide().kind == IdeKind::Vba) {
                 NotSupported();
             }
             call.ReturnObject(NewMembers(module.SharedState(), module.module_));
         }},
        {"CountOfLines", 4, kGet, 0, 0,
         [](DispatchBase& self, Call& call) {
             call.Return(As<CodeModuleObject>(self).module_.CountOfLines());
         }},
        {"CountOfDeclarationLines", 5, kGet, 0, 0,
         [](DispatchBase& self, Call& call) {
             call.Return(As<CodeModuleObject>(self).CountOfDeclarationLines());
         }},
        {"Lines", 6, kGet, 2, 2,
         [](DispatchBase& self, Call& call) {
             const CodeModule& module = As<CodeModuleObject>(self).module_;
             call.ReturnText(FromModule(module, module.Lines(call.Long(0), call.Long(1))));
         }},
        {"InsertLines", 7, kMethod, 2, 2,
         [](DispatchBase& self, Call& call) {
             auto& module = As<CodeModuleObject>(self);
             module.InsertLines(call.Long(0), ToModule(module.module_, call.Text(1)));
         }},
        {"DeleteLines", 8, kMethod, 1, 2,
         [](DispatchBase& self, Call& call) {
             auto& module = As<CodeModuleObject>(self);
             module.Edit([&] {
                 module.module_.DeleteLines(call.Long(0), call.OptionalLong(1).value_or(1));
             });
         }},
        {"ReplaceLine", 9, kMethod, 2, 2,
         [](DispatchBase& self, Call& call) {
             auto& module = As<CodeModuleObject>(self);
             module.ReplaceLine(call.Long(0), ToModule(module.module_, call.Text(1)));
         }},
        {"ProcStartLine", 10, kGet, 2, 2,
         [](DispatchBase& self, Call& call) {
             CodeModule& module = As<CodeModuleObject>(self).module_;
             call.Return(module.ProcStartLine(ToModule(module, call.Text(0)), ProcKind(call, 1)));
         }},
        {"ProcBodyLine", 11, kGet, 2, 2,
         [](DispatchBase& self, Call& call) {
             CodeModule& module = As<CodeModuleObject>(self).module_;
             call.Return(module.ProcBodyLine(ToModule(module, call.Text(0)), ProcKind(call, 1)));
         }},
        {"ProcCountLines", 12, kGet, 2, 2,
         [](DispatchBase& self, Call& call) {
             CodeModule& module = As<CodeModuleObject>(self).module_;
             call.Return(module.ProcCountLines(ToModule(module, call.Text(0)), ProcKind(call, 1)));
         }},
        // ProcOfLine(Line, ProcKind): the kind by reference, written back.
        {"ProcOfLine", 13, kGet, 2, 2,
         [](DispatchBase& self, Call& call) {
             CodeModule& module = As<CodeModuleObject>(self).module_;
             call.ByRefLong(1);
             auto kind = vbext_pk_Proc;
             const std::string name = module.ProcOfLine(call.Long(0), kind);
             call.WriteLong(1, kind);
             call.ReturnText(FromModule(module, name));
         }},
        {"Find", 14, kMethod, 5, 8,
         [](DispatchBase& self, Call& call) { As<CodeModuleObject>(self).Find(call); }},
    }};
    return kRows;
}

// ---- Code panes ----

class CodePaneObject final : public DispatchBase {
public:
    CodePaneObject(std::shared_ptr<State> state, CodePane& pane)
        : DispatchBase(std::move(state)), pane_(pane) {}

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
            {"CodeModule", 1, kGet, 0, 0,
             [](DispatchBase& self, Call& call) {
                 auto& pane = As<CodePaneObject>(self);
                 call.ReturnObject(NewCodeModule(pane.SharedState(), pane.pane_.CodeModule()));
             }},
            // GetSelection(StartLine, StartColumn, EndLine, EndColumn), each by reference.
            {"GetSelection", 2, kMethod, 4, 4,
             [](DispatchBase& self, Call& call) {
                 std::array<std::int32_t, 4> bounds{};
                 for (std::size_t i = 0; i < bounds.size(); ++i) {
                     call.ByRefLong(i);
                 }
                 As<CodePaneObject>(self).pane_.GetSelection(bounds[0], bounds[1], bounds[2],
                                                             bounds[3]);
                 for (std::size_t i = 0; i < bounds.size(); ++i) {
                     call.WriteLong(i, bounds[i]);
                 }
             }},
            {"SetSelection", 3, kMethod, 4, 4,
             [](DispatchBase& self, Call& call) {
                 As<CodePaneObject>(self).SetSelection(
                     {call.Long(0), call.Long(1), call.Long(2), call.Long(3)});
             }},
            {"TopLine", 4, kGet, 0, 0,
             [](DispatchBase& self, Call& call) {
                 call.Return(As<CodePaneObject>(self).TopLine());
             }},
            {"TopLine", 4, kPut, 1, 1,
             [](DispatchBase& self, Call& call) {
                 As<CodePaneObject>(self).SetTopLine(call.Long(0));
             }},
        }};
        return kRows;
    }

    CodePane& pane_;
};

// ---- Members (VB6 alone) ----

class MemberObject final : public DispatchBase {
public:
    MemberObject(std::shared_ptr<State> state, const CodeModule& module,
                 std::shared_ptr<const Member> member)
        : DispatchBase(std::move(state)), module_(module), member_(std::move(member)) {}

private:
    std::span<const Row> Rows() const override {
        static constexpr std::array<Row, 2> kRows = {{
            {"Name", 1, kGet, 0, 0,
             [](DispatchBase& self, Call& call) {
                 auto& member = As<MemberObject>(self);
                 call.ReturnText(FromModule(member.module_, member.member_->Name()));
             }},
            {"Type", 2, kGet, 0, 0,
             [](DispatchBase& self, Call& call) {
                 call.Return(As<MemberObject>(self).member_->Type());
             }},
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

class MembersObject final : public DispatchBase {
public:
    MembersObject(std::shared_ptr<State> state, CodeModule& module)
        : DispatchBase(std::move(state)), module_(module) {}

private:
    std::shared_ptr<const Member> Item(const Call& call) {
        if (call.IsText(0)) {
            return module_.Members().Item(ToModule(module_, call.Text(0)));
        }
        return module_.Members().Item(call.Long(0));
    }

    std::span<const Row> Rows() const override {
        static constexpr std::array<Row, 2> kRows = {{
            {"Item", DISPID_VALUE, kMethod, 1, 1,
             [](DispatchBase& self, Call& call) {
                 auto& members = As<MembersObject>(self);
                 call.ReturnObject(
                     NewMember(members.SharedState(), members.module_, members.Item(call)));
             }},
            {"Count", 1, kGet, 0, 0,
             [](DispatchBase& self, Call& call) {
                 call.Return(As<MembersObject>(self).module_.Members().Count());
             }},
        }};
        return kRows;
    }

    CodeModule& module_;
};

IDispatch* NewMembers(const std::shared_ptr<State>& state, CodeModule& module) {
    return Shared<MembersObject>(state, &module.Members(), module);
}

// ---- Windows ----

class WindowObject final : public DispatchBase {
public:
    WindowObject(std::shared_ptr<State> state, std::shared_ptr<Window> window)
        : DispatchBase(std::move(state)), window_(std::move(window)) {}

private:
    std::span<const Row> Rows() const override {
        static constexpr std::array<Row, 5> kRows = {{
            {"Caption", 1, kGet, 0, 0,
             [](DispatchBase& self, Call& call) {
                 call.ReturnText(Wide(As<WindowObject>(self).window_->Caption()));
             }},
            {"Type", 2, kGet, 0, 0,
             [](DispatchBase& self, Call& call) {
                 call.Return(As<WindowObject>(self).window_->Type());
             }},
            {"Visible", 3, kGet, 0, 0,
             [](DispatchBase& self, Call& call) {
                 call.ReturnBool(As<WindowObject>(self).window_->Visible());
             }},
            {"Visible", 3, kPut, 1, 1,
             [](DispatchBase& self, Call& call) {
                 As<WindowObject>(self).window_->SetVisible(call.Bool(0));
             }},
            {"Close", 4, kMethod, 0, 0,
             [](DispatchBase& self, Call&) { As<WindowObject>(self).window_->Close(); }},
        }};
        return kRows;
    }

    std::shared_ptr<Window> window_;
};

IDispatch* NewWindow(const std::shared_ptr<State>& state, const std::shared_ptr<Window>& window) {
    return Shared<WindowObject>(state, window.get(), window);
}

// The IDE's main window: its handle is the test's window, when it set one.
class MainWindowObject final : public DispatchBase {
public:
    using DispatchBase::DispatchBase;

private:
    std::span<const Row> Rows() const override {
        static constexpr std::array<Row, 3> kRows = {{
            {"Caption", 1, kGet, 0, 0,
             [](DispatchBase& self, Call& call) {
                 wchar_t text[256] = {};
                 GetWindowTextW(As<MainWindowObject>(self).Ide().mainWindow, text, 256);
                 call.ReturnText(reinterpret_cast<const char16_t*>(text));
             }},
            {"Type", 2, kGet, 0, 0,
             [](DispatchBase&, Call& call) { call.Return(vbext_wt_MainWindow); }},
            {"HWnd", 5, kGet, 0, 0,
             [](DispatchBase& self, Call& call) {
                 // A window handle fits a Long in both bitnesses, as the IDE hands it over.
                 call.Return(static_cast<std::int32_t>(
                     reinterpret_cast<std::intptr_t>(As<MainWindowObject>(self).Ide().mainWindow)));
             }},
        }};
        return kRows;
    }
};

IDispatch* NewMainWindow(const std::shared_ptr<State>& state) {
    return Shared<MainWindowObject>(state, &state->mainWindow);
}

class WindowsObject final : public DispatchBase {
public:
    using DispatchBase::DispatchBase;

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
            {"Item", DISPID_VALUE, kMethod, 1, 1,
             [](DispatchBase& self, Call& call) {
                 auto& windows = As<WindowsObject>(self);
                 call.ReturnObject(NewWindow(windows.SharedState(), windows.Item(call)));
             }},
            {"Count", 1, kGet, 0, 0,
             [](DispatchBase& self, Call& call) {
                 call.Return(As<WindowsObject>(self).Ide().vbe.Windows().Count());
             }},
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
