// The IDE's own objects: the environment, projects, components, code modules and panes,
// members and windows.

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>

#include "host/com/double/Dispatch.h"
#include "host/ide/MemoryProject.h"
#include "util/Unicode.h"

namespace brindle::test::automation {

namespace {

constexpr std::string_view kSource = "VBIDE";
using Lock = AutomationIde::LockPoint;

// A module's text is the bytes of its code page.
std::u16string FromModule(const CodeModule* module, std::string_view bytes) {
    return Utf16FromUtf8(module->ToUnicode(bytes));
}
std::string ToModule(const CodeModule* module, std::u16string_view text) {
    return module->FromUnicode(Utf8FromUtf16(text));
}

// A component's name is in its module's code page.
std::u16string ComponentName(const VBComponent& component) {
    const auto& ours = dynamic_cast<const host::MemoryComponent&>(component);
    return Utf16FromUtf8(host::ToUtf8(ours.Name(), ours.CodePage()));
}

vbext_ProcKind ProcKind(const Call& call, std::size_t i) {
    return static_cast<vbext_ProcKind>(call.Long(i));
}

host::MemoryCodeModule& Ours(CodeModule* module) {
    return dynamic_cast<host::MemoryCodeModule&>(*module);
}

// A project locked for viewing in the VBA editor refuses its components at the lock's point:
// 50289.
void RefuseIfLocked(const State& ide, std::string_view project, Lock point) {
    if (ide.kind == IdeKind::Vba && ide.lockPoint == point && ide.locked.contains(project)) {
        throw VbError(50289, "Can't perform operation since the project is protected",
                      std::string(kSource));
    }
}

// `project` names the project the component was reached through; empty when not known.
IDispatch* NewComponent(const StatePtr& s, VBComponent* component, std::string project = {}) {
    const auto fileName = [=](Call& c) {
        const auto* ours = dynamic_cast<const host::MemoryComponent*>(component);
        return ours != nullptr && c.Long(0) == 1 ? ours->FilePath().u16string() : u"";
    };
    return Shared(s, "VBComponent", component, [&]() -> Rows {
        return {
            Get("Name", 1, [=] { return ComponentName(*component); }),
            Get("Type", 2, [=] { return component->Type(); }),
            // A component without code (a resource file, a related document): the VB6 IDE
            // answers Nothing, the VBA editor raises.
            Get("CodeModule", 3,
                [=]() -> IDispatch* {
                    RefuseIfLocked(*s, project, Lock::CodeModule);
                    const auto type = component->Type();
                    if (s->kind == IdeKind::Vb6 &&
                        (type == vbext_ct_ResFile || type == vbext_ct_RelatedDocument)) {
                        return nullptr;
                    }
                    return NewCodeModule(s, &component->CodeModule());
                }),
            // The VBA editor's components live in their document.
            Only(IdeKind::Vb6, Get("FileNames", 4, 1, fileName)),
        };
    });
}

IDispatch* NewComponents(const StatePtr& s, VBComponents* list, const std::string& project) {
    return Shared(s, "VBComponents", list, [&]() -> Rows {
        return {
            Method("Item", DISPID_VALUE, 1,
                   [=](Call& c) {
                       RefuseIfLocked(*s, project, Lock::CountAndItem);
                       return NewComponent(s, &list->Item(c.Long(0)), project);
                   }),
            Get("Count", 1,
                [=] {
                    RefuseIfLocked(*s, project, Lock::CountAndItem);
                    return list->Count();
                }),
        };
    });
}

// Where this IDE leaves the selection on its line numbers, it is put back after the edit,
// within the module.
template <class Change>
void Edit(const State& ide, CodeModule* module, Change change) {
    if (ide.unpublished.selectionFollowsEdits) {
        change();
        return;
    }
    CodePane& pane = module->CodePane();
    std::array<std::int32_t, 4> s{};
    pane.GetSelection(s[0], s[1], s[2], s[3]);
    change();
    const std::int32_t limit = module->CountOfLines() + 1;
    pane.SetSelection(std::clamp(s[0], 1, limit), s[1], std::clamp(s[2], 1, limit), s[3]);
}

// Without the empty line after a trailing break, where this IDE adds none.
std::string InsertedText(const State& ide, std::string text) {
    if (!ide.unpublished.trailingBreakAddsLine) {
        if (text.ends_with("\r\n")) {
            text.resize(text.size() - 2);
        } else if (text.ends_with('\r') || text.ends_with('\n')) {
            text.pop_back();
        }
    }
    return text;
}

// Find(Target, StartLine, StartColumn, EndLine, EndColumn[, WholeWord, MatchCase,
// PatternSearch]): the four bounds by reference, written back on a match.
bool Find(CodeModule* module, Call& call) {
    std::array<std::int32_t, 4> b{};
    for (std::size_t i = 0; i < b.size(); ++i) {
        b[i] = call.ByRefLong(i + 1);
    }
    const bool found = module->Find(ToModule(module, call.Text(0)), b[0], b[1], b[2], b[3],
                                    call.Bool(5), call.Bool(6), call.Bool(7));
    for (std::size_t i = 0; found && i < b.size(); ++i) {
        call.WriteLong(i + 1, b[i]);
    }
    return found;
}

IDispatch* NewMember(const StatePtr& s, const CodeModule* module,
                     const std::shared_ptr<const Member>& member) {
    return Shared(s, "Member", member.get(), [&]() -> Rows {
        return {
            Get("Name", 1, [=] { return FromModule(module, member->Name()); }),
            Get("Type", 2, [=] { return member->Type(); }),
        };
    });
}

IDispatch* NewMembers(const StatePtr& s, CodeModule* module) {
    const auto item = [=](const Call& c) {
        return c.IsText(0) ? module->Members().Item(ToModule(module, c.Text(0)))
                           : module->Members().Item(c.Long(0));
    };
    return Shared(s, "Members", &module->Members(), [&]() -> Rows {
        return {
            Method("Item", DISPID_VALUE, 1, [=](Call& c) { return NewMember(s, module, item(c)); }),
            Get("Count", 1, [=] { return module->Members().Count(); }),
        };
    });
}

IDispatch* NewWindow(const StatePtr& s, const std::shared_ptr<Window>& w) {
    return Shared(s, "Window", w.get(), [&]() -> Rows {
        return {
            Get("Caption", 1, [=] { return Wide(w->Caption()); }),
            Get("Type", 2, [=] { return w->Type(); }),
            Get("Visible", 3, [=] { return w->Visible(); }),
            Put("Visible", 3, [=](Call& c) { w->SetVisible(c.Bool(0)); }),
            Method("Close", 4, [=] { w->Close(); }),
        };
    });
}

// The IDE's main window: its handle is the test's window, when it set one.
IDispatch* NewMainWindow(const StatePtr& s) {
    return Shared(s, "MainWindow", &s->mainWindow, [&]() -> Rows {
        return {
            // A window handle fits a Long in both bitnesses, as the IDE hands it over.
            Get("HWnd", 5,
                [=] {
                    return static_cast<std::int32_t>(
                        reinterpret_cast<std::intptr_t>(s->mainWindow));
                }),
        };
    });
}

}  // namespace

IDispatch* NewVbe(const StatePtr& s) {
    return Shared(s, "VBE", &s->vbe, [&]() -> Rows {
        return {
            Get("ActiveVBProject", 2,
                [=] {
                    VBProject* project = s->vbe.ActiveVBProject();
                    return project ? NewProject(s, project) : nullptr;
                }),
            Get("ActiveCodePane", 3,
                [=] {
                    CodePane* pane = s->vbe.ActiveCodePane();
                    return pane ? NewCodePane(s, pane) : nullptr;
                }),
            Get("Windows", 4, [=] { return NewWindows(s); }),
            Get("CommandBars", 5, [=] { return NewCommandBars(s); }),
            Get("Events", 6, [=] { return NewEvents(s); }),
            Get("Addins", 7, [=] { return NewAddins(s); }),
            Only(IdeKind::Vb6, Get("FullName", 8,
                                   [] {
                                       return u"C:\\Program Files\\Microsoft Visual "
                                              u"Studio\\VB98\\VB6.EXE";
                                   })),
            Get("MainWindow", 9, [=] { return NewMainWindow(s); }),
        };
    });
}

IDispatch* NewProject(const StatePtr& s, VBProject* project) {
    return Shared(s, "VBProject", project, [&]() -> Rows {
        return {
            Get("Name", 1, [=] { return Wide(project->Name()); }),
            // The project file, or the VBA editor's document; empty before it is saved.
            Get("FileName", 4,
                [=] {
                    const auto found = s->projectFiles.find(project->Name());
                    return found != s->projectFiles.end() ? found->second : u"";
                }),
            Get("VBComponents", 2,
                [=] {
                    RefuseIfLocked(*s, project->Name(), Lock::Components);
                    return NewComponents(s, &project->VBComponents(), project->Name());
                }),
            Only(IdeKind::Vba,
                 Get("Protection", 3, [=] { return s->locked.contains(project->Name()) ? 1 : 0; })),
        };
    });
}

IDispatch* NewCodeModule(const StatePtr& s, CodeModule* m) {
    return Shared(s, "CodeModule", m, [&]() -> Rows {
        return {
            Get("Parent", 1, [=] { return NewComponent(s, &m->Parent()); }),
            Get("CodePane", 2, [=] { return NewCodePane(s, &m->CodePane()); }),
            Only(IdeKind::Vb6, Get("Members", 3, [=] { return NewMembers(s, m); })),
            Get("CountOfLines", 4, [=] { return m->CountOfLines(); }),
            // The section above the first procedure's span.
            Get("CountOfDeclarationLines", 5,
                [=] {
                    const auto procedures = Ours(m).Procedures();
                    return procedures.empty() ? m->CountOfLines()
                                              : procedures.front().procedure.startLine - 1;
                }),
            Get("Lines", 6, 2,
                [=](Call& c) { return FromModule(m, m->Lines(c.Long(0), c.Long(1))); }),
            Method("InsertLines", 7, 2,
                   [=](Call& c) {
                       const std::string text = InsertedText(*s, ToModule(m, c.Text(1)));
                       Edit(*s, m, [&] { m->InsertLines(c.Long(0), text); });
                   }),
            Method("DeleteLines", 8, {1, 2},
                   [=](Call& c) {
                       Edit(*s, m,
                            [&] { m->DeleteLines(c.Long(0), c.OptionalLong(1).value_or(1)); });
                   }),
            Method("ReplaceLine", 9, 2,
                   [=](Call& c) {
                       const std::string text = ToModule(m, c.Text(1));
                       Edit(*s, m, [&] { Ours(m).ReplaceLine(c.Long(0), text); });
                   }),
            Get("ProcStartLine", 10, 2,
                [=](Call& c) { return m->ProcStartLine(ToModule(m, c.Text(0)), ProcKind(c, 1)); }),
            Get("ProcBodyLine", 11, 2,
                [=](Call& c) { return m->ProcBodyLine(ToModule(m, c.Text(0)), ProcKind(c, 1)); }),
            Get("ProcCountLines", 12, 2,
                [=](Call& c) { return m->ProcCountLines(ToModule(m, c.Text(0)), ProcKind(c, 1)); }),
            // ProcOfLine(Line, ProcKind): the kind by reference, written back.
            Get("ProcOfLine", 13, 2,
                [=](Call& c) {
                    c.ByRefLong(1);
                    auto kind = vbext_pk_Proc;
                    const std::string name = m->ProcOfLine(c.Long(0), kind);
                    c.WriteLong(1, kind);
                    return FromModule(m, name);
                }),
            Method("Find", 14, {5, 8}, [=](Call& c) { return Find(m, c); }),
        };
    });
}

IDispatch* NewCodePane(const StatePtr& s, CodePane* pane) {
    return Shared(s, "CodePane", pane, [&]() -> Rows {
        return {
            Get("CodeModule", 1, [=] { return NewCodeModule(s, &pane->CodeModule()); }),
            // GetSelection(StartLine, StartColumn, EndLine, EndColumn), each by reference.
            Method("GetSelection", 2, 4,
                   [=](Call& c) {
                       std::array<std::int32_t, 4> b{};
                       for (std::size_t i = 0; i < b.size(); ++i) {
                           c.ByRefLong(i);
                       }
                       pane->GetSelection(b[0], b[1], b[2], b[3]);
                       for (std::size_t i = 0; i < b.size(); ++i) {
                           c.WriteLong(i, b[i]);
                       }
                   }),
            // A line past the last is clamped to the end of the last line, or refused.
            Method("SetSelection", 3, 4,
                   [=](Call& c) {
                       std::array<std::int32_t, 4> b{c.Long(0), c.Long(1), c.Long(2), c.Long(3)};
                       const CodeModule& module = pane->CodeModule();
                       const std::int32_t last = std::max(1, module.CountOfLines());
                       for (const std::size_t line : {0u, 2u}) {
                           if (b[line] > last && !s->unpublished.selectionPastEndClamped) {
                               Raise(Err::InvalidCall, kSource);
                           }
                           if (b[line] > last) {
                               b[line] = last;
                               const auto length =
                                   module.CountOfLines() > 0 ? module.Lines(last, 1).size() : 0;
                               b[line + 1] = static_cast<std::int32_t>(length) + 1;
                           }
                       }
                       pane->SetSelection(b[0], b[1], b[2], b[3]);
                   }),
            Get("TopLine", 4,
                [=] {
                    const auto it = s->topLines.find(pane);
                    return it == s->topLines.end() ? 1 : it->second;
                }),
            // Positive; past the end it stops at the last line.
            Put("TopLine", 4,
                [=](Call& c) {
                    if (c.Long(0) < 1) {
                        Raise(Err::InvalidCall, kSource);
                    }
                    const std::int32_t last = std::max(1, pane->CodeModule().CountOfLines());
                    s->topLines[pane] = std::min(c.Long(0), last);
                }),
        };
    });
}

IDispatch* NewWindows(const StatePtr& s) {
    Windows* list = &s->vbe.Windows();
    return Shared(s, "Windows", list, [&]() -> Rows {
        return {
            Method("Item", DISPID_VALUE, 1,
                   [=](Call& c) { return NewWindow(s, list->Item(c.Long(0))); }),
            Get("Count", 1, [=] { return list->Count(); }),
        };
    });
}

}  // namespace brindle::test::automation
