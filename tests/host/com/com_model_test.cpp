// Our object model over automation: late-bound calls against objects that Windows (and Wine)
// provides; then against the automation double of the IDE over our in-memory IDE, where what the
// model reads and does must land in the IDE behind the double; and how many calls of the IDE the
// add-in's commands make through it on the corpus's largest module and project.
#include <objbase.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "addin/Brindle.h"
#include "addin/Buttons.h"
#include "host/com/ComVbe.h"
#include "host/com/Dispatch.h"
#include "host/com/double/AutomationIde.h"
#include "host/files/ProjectLoader.h"
#include "host/files/TemplateFileReader.h"
#include "host/ide/Ide.h"
#include "host/ide/MemoryProject.h"
#include "host/settings/SettingsFile.h"
#include "model/AddinName.h"
#include "model/IdeBars.h"
#include "support/RecordingSink.h"
#include "support/TestPaths.h"
#include "ui/Headless.h"

namespace brindle::host::com {
namespace {

namespace fs = std::filesystem;
using test::AutomationIde;
using test::IdeKind;

class ComDispatch : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    }
    void TearDown() override { CoUninitialize(); }
    static Object Create(const wchar_t* progId, int codePage = 1252) {
        CLSID clsid{};
        EXPECT_TRUE(SUCCEEDED(CLSIDFromProgID(progId, &clsid)));
        IDispatch* object = nullptr;
        EXPECT_TRUE(SUCCEEDED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                                               reinterpret_cast<void**>(&object))));
        return Object(DispatchPtr::Adopt(object), codePage);
    }
};

// Members are found by name without regard to case; strings cross as UTF-16 converted with the
// object's code page, and what the code page lacks becomes "?".
TEST_F(ComDispatch, CallsMembersByNameInTheObjectsCodePage) {
    const Object dictionary = Create(L"Scripting.Dictionary");
    dictionary.Put("CompareMode", 1);
    dictionary.Call("Add", {"Caf\xE9", 42});
    EXPECT_EQ(dictionary.Get("Count").Long(), 1);
    EXPECT_EQ(dictionary.Get("compareMODE").Long(), 1);
    EXPECT_EQ(dictionary.Call("Item", {"Caf\xE9"}).Long(), 42);
    EXPECT_EQ(dictionary.Call("Item", {"Caf\xE9"}).Text(), "42");
    const Object cyrillic(dictionary.Pointer(), 1251);
    cyrillic.Call("Add", {"zhe", "\xC6"});  // Cyrillic capital Zhe in code page 1251
    EXPECT_EQ(cyrillic.Call("Item", {"zhe"}).Text(), "\xC6");
    EXPECT_EQ(dictionary.Call("Item", {"zhe"}).Text(), "?");
}

TEST_F(ComDispatch, LeavesOutOptionalArguments) {
    const Object files = Create(L"Scripting.FileSystemObject");
    const std::string folder = files.Call("GetSpecialFolder", {2}).Text();
    const std::string path = files.Call("BuildPath", {folder, "brindle-dispatch.txt"}).Text();
    const Object created = files.Call("CreateTextFile", {path, true, Missing{}}).AsObject();
    created.Call("WriteLine", {"first"});
    created.Call("Close");
    // A missing argument between given ones: the default mode (reading), no creation.
    const Object opened = files.Call("OpenTextFile", {path, Missing{}, false}).AsObject();
    EXPECT_EQ(opened.Call("ReadLine").Text(), "first");
    EXPECT_TRUE(opened.Get("AtEndOfStream").Bool());
    opened.Call("Close");
    files.Call("DeleteFile", {path});
    EXPECT_FALSE(files.Call("FileExists", {path}).Bool());
}

struct FailureRow {
    const char* what;
    void (*call)(const Object& dictionary);
    std::int32_t number;
    const char* description;  // empty: whatever the object says
};

TEST_F(ComDispatch, FailuresBecomeVbErrors) {
    const FailureRow rows[] = {
        {"a key added twice",
         [](const Object& d) {
             d.Call("Add", {"key", 2});
         },
         457, ""},
        {"an unknown member", [](const Object& d) { d.Call("NoSuchMember"); }, 438,
         "Object doesn't support this property or method"},
        {"too few arguments", [](const Object& d) { d.Call("Exists"); }, 450, ""},
        {"a number that is no number",
         [](const Object& d) { static_cast<void>(d.Call("Item", {"key"}).Long()); }, 13,
         "Type mismatch"},
    };
    for (const FailureRow& row : rows) {
        SCOPED_TRACE(row.what);
        const Object dictionary = Create(L"Scripting.Dictionary");
        dictionary.Call("Add", {"key", "text"});
        try {
            row.call(dictionary);
            ADD_FAILURE() << "no failure";
        } catch (const VbError& e) {
            EXPECT_EQ(e.Number(), row.number) << e.what();
            EXPECT_FALSE(e.Description().empty());
            if (*row.description != '\0') {
                EXPECT_EQ(e.Description(), row.description);
            }
            EXPECT_FALSE(e.Source().empty());
        }
    }
    // Raised again, a failure keeps its number: VB's own as 0x800A0000 | number, a bare
    // HRESULT as it came.
    for (const HRESULT result : {E_FAIL, static_cast<HRESULT>(0x800A01C9)}) {
        EXPECT_EQ(HResultOf(ErrorOf(result, nullptr, "Member").Number()), result);
    }
    // From an EXCEPINFO with a wCode alone: in VB's own words, the member the source.
    EXCEPINFO info{};
    info.wCode = 35;
    const VbError coded = ErrorOf(DISP_E_EXCEPTION, &info, "RaiseCode");
    EXPECT_EQ(std::tuple(coded.Number(), coded.Description(), coded.Source()),
              std::tuple(35, "Sub or Function not defined", "RaiseCode"));
}

// "modMain" in code page 1251: a comment in Russian, a Sub and a Property Get.
struct Ide {
    Ide() {
        project = std::make_shared<MemoryProject>("Inventory");
        component = &project->AddComponent("modMain", vbext_ct_StdModule,
                                           "Option Explicit\r\n"
                                           "' \xCF\xF0\xE8\xE2\xE5\xF2\r\n"
                                           "\r\n"
                                           "Public Sub Go()\r\n"
                                           "End Sub\r\n"
                                           "\r\n"
                                           "Public Property Get Size() As Long\r\n"
                                           "End Property\r\n");
        component->SetCodePage(1251);
        project->AddComponentWithoutCode("Resources", vbext_ct_ResFile);
        vbe.AddProject(project);
        vbe.OpenCodeWindow(component->CodeModule().CodePane());
    }
    MemoryVBE vbe;
    std::shared_ptr<MemoryProject> project;
    MemoryComponent* component = nullptr;
};

// The number of the VbError that `call` raises; 0 when it raises none.
template <class F>
std::int32_t Raised(const F& call) {
    try {
        call();
    } catch (const VbError& e) {
        return e.Number();
    }
    return 0;
}

std::string TextOf(MemoryComponent& component) {
    CodeModule& module = component.CodeModule();
    return module.Lines(1, module.CountOfLines());
}

class ComModel : public ::testing::TestWithParam<IdeKind> {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    }
    void TearDown() override {
        model.reset();
        automation.reset();
        CoUninitialize();
    }
    ComVbe& Model() {
        automation = std::make_unique<AutomationIde>(ide.vbe, GetParam());
        model = std::make_unique<ComVbe>(DispatchPtr::Share(automation->Vbe()), 1251);
        return *model;
    }

    Ide ide;
    std::unique_ptr<AutomationIde> automation;
    std::unique_ptr<ComVbe> model;
};

// The IDE's project, components, module, windows and add-ins, read through the model.
TEST_P(ComModel, ReadsTheIdesObjects) {
    ComVbe& vbe = Model();
    const ComVbe::Reach reach(vbe);
    VBProject* project = vbe.ActiveVBProject();
    ASSERT_NE(project, nullptr);
    EXPECT_EQ(project->Name(), "Inventory");
    VBComponents& components = project->VBComponents();
    ASSERT_EQ(components.Count(), 2);
    EXPECT_EQ(components.Item(1).CodeModule().CountOfLines(), 8);
    EXPECT_EQ(components.Item(2).Type(), vbext_ct_ResFile);
    EXPECT_EQ(Raised([&] { components.Item(2).CodeModule(); }), 91) << "a resource file's code";
    EXPECT_THROW(components.Item(3), VbError);

    CodePane* pane = vbe.ActiveCodePane();
    ASSERT_NE(pane, nullptr);
    CodeModule& module = pane->CodeModule();
    EXPECT_EQ(module.Parent().Name(), "modMain");
    EXPECT_EQ(module.Lines(2, 1), "' \xCF\xF0\xE8\xE2\xE5\xF2");
    EXPECT_EQ(module.ToUnicode(module.Lines(2, 1)), "' Привет");
    EXPECT_EQ(module.ProcBodyLine("Go", vbext_pk_Proc), 4);
    EXPECT_EQ(module.ProcStartLine("Size", vbext_pk_Get), 6);
    EXPECT_EQ(module.ProcCountLines("Size", vbext_pk_Get), 3);
    vbext_ProcKind kind = vbext_pk_Proc;
    EXPECT_EQ(module.ProcOfLine(8, kind), "Size");
    EXPECT_EQ(kind, vbext_pk_Get);
    EXPECT_EQ(Raised([&] { module.ProcBodyLine("Size", vbext_pk_Let); }), 35);
    EXPECT_EQ(&pane->CodeModule(), &module);

    AddIn& entry = vbe.Addins().Item(kAddinDescription);
    EXPECT_EQ(entry.Description(), kAddinDescription);
    EXPECT_FALSE(entry.Connect());
    EXPECT_EQ(Raised([&] { vbe.Addins().Item("No Such Add-in"); }), 9);
    Windows& windows = vbe.Windows();
    const std::int32_t count = windows.Count();
    for (std::int32_t i = 1; i <= count; ++i) {
        if (windows.Item(i)->Type() == vbext_wt_CodeWindow) {
            windows.Item(i)->Close();
            break;
        }
    }
    EXPECT_EQ(windows.Count(), count - 1);
    EXPECT_EQ(vbe.ActiveCodePane(), nullptr);
}

// Where the IDEs publish what they do nothing, the model answers as our own IDE, whichever way
// each of them behaves, alone or all at once: a selection that ends past the last line and is
// moved by the add-in's edits above and inside it, text ending in a line break.
TEST_P(ComModel, AnswersAsOurOwnIdeWhereTheIdesSayNothing) {
    const auto steps = [](CodeModule& module) {
        CodePane& pane = module.CodePane();
        pane.SetSelection(2, 1, module.CountOfLines() + 1, 1);
        module.InsertLines(5, "    Beep\r\n");
        module.InsertLines(1, "' top");
        module.DeleteLines(2, 2);
        std::array<std::int32_t, 4> selection{};
        pane.GetSelection(selection[0], selection[1], selection[2], selection[3]);
        return std::pair(module.Lines(1, module.CountOfLines()), selection);
    };
    Ide reference;
    const auto expected = steps(reference.component->CodeModule());
    const test::Unpublished behaviours[] = {{},
                                            {.selectionFollowsEdits = false},
                                            {.selectionPastEndClamped = false},
                                            {.trailingBreakAddsLine = false},
                                            {false, false, false, true}};
    for (const test::Unpublished& behaviour : behaviours) {
        SCOPED_TRACE(&behaviour - behaviours);
        Ide fresh;
        AutomationIde other(fresh.vbe, GetParam());
        other.Set().unpublished = behaviour;
        ComVbe vbe(DispatchPtr::Share(other.Vbe()), 1251);
        const ComVbe::Reach reach(vbe);
        EXPECT_EQ(steps(vbe.ActiveCodePane()->CodeModule()), expected);
    }
}

// The VBA editor has no Members (unknown by name there): our reading of the module gives the
// same answers, and is kept through the add-in's own lines that declare nothing, not through a
// declaration.
TEST_P(ComModel, TellsMembersInBothEditors) {
    ComVbe& vbe = Model();
    const ComVbe::Reach reach(vbe);
    CodeModule& module = vbe.ActiveCodePane()->CodeModule();
    Members& members = module.Members();
    EXPECT_EQ(members.Count(), 2);
    EXPECT_EQ(members.Item("size")->Type(), vbext_mt_Property);
    EXPECT_EQ(members.Item("Go")->Type(), vbext_mt_Method);
    EXPECT_EQ(members.Item(2)->Name(), "Size");
    EXPECT_THROW(members.Item("Missing"), VbError);
    EXPECT_EQ(automation->Calls().Of("Members"), GetParam() == IdeKind::Vba ? 0 : 5);

    module.InsertLines(5, "    ' [Brindle Begin]\r\n    On Error GoTo Failed");
    const int reads = automation->Calls().Of("Lines");
    EXPECT_EQ(members.Item(2)->Name(), "Size");
    EXPECT_EQ(automation->Calls().Of("Lines"), reads) << "the module read again";
    module.DeleteLines(5, 2);
    module.InsertLines(module.CountOfLines() + 1, "Private Sub Added()\r\nEnd Sub");
    EXPECT_EQ(members.Count(), 3);
    EXPECT_EQ(members.Item(3)->Name(), "Added");
}

// Within one call of the IDE a module's text is read once; the add-in's own edits (in the
// module's code page, with bare line feeds) are laid over what was read and the lines it wrote
// are read back, a search passes to the IDE at a line that is not ASCII, and the next call reads
// afresh.
TEST_P(ComModel, ReadsAModuleOnceUntilTheCallIsOver) {
    ComVbe& vbe = Model();
    const ComVbe::Reach reach(vbe);
    CodeModule& module = vbe.ActiveCodePane()->CodeModule();
    automation->ResetCalls();
    EXPECT_EQ(module.Lines(4, 2), "Public Sub Go()\r\nEnd Sub");
    EXPECT_EQ(module.CountOfLines(), 8);
    EXPECT_EQ(module.Lines(8, 1), "End Property");
    EXPECT_EQ(automation->Calls().Of("Lines"), 1);

    module.InsertLines(5, "    ' \xE4\xE0\n    Beep");
    module.InsertLines(1, "' a\r\n' b");
    module.DeleteLines(2);
    EXPECT_THROW(module.DeleteLines(40), VbError);
    CodeModule& stored = ide.component->CodeModule();
    EXPECT_EQ(module.CountOfLines(), stored.CountOfLines());
    EXPECT_EQ(module.Lines(1, module.CountOfLines()), stored.Lines(1, stored.CountOfLines()));

    std::int32_t startLine = 4, startColumn = 1, endLine = 1, endColumn = 1;
    const int finds = automation->Calls().Of("Find");
    EXPECT_TRUE(module.Find("sub", startLine, startColumn, endLine, endColumn));
    EXPECT_EQ(startLine, 5);
    EXPECT_EQ(automation->Calls().Of("Find"), finds);
    EXPECT_TRUE(module.Find("SIZE", startLine = 1, startColumn = 1, endLine, endColumn));
    EXPECT_EQ(startLine, 10);
    EXPECT_EQ(startColumn, 21);
    EXPECT_EQ(endColumn, 25);
    EXPECT_EQ(automation->Calls().Of("Find"), finds + 1);

    const int counts = automation->Calls().Of("CountOfLines");
    {
        const ComVbe::Reach click(vbe);
        module.CountOfLines();
    }
    EXPECT_EQ(automation->Calls().Of("CountOfLines"), counts + 1);
}

TEST_P(ComModel, ClicksReachTheHandlerUntilTheEventSourceGoes) {
    ComVbe& vbe = Model();
    std::shared_ptr<CommandBarEvents> events;
    int clicks = 0;
    {
        const ComVbe::Reach reach(vbe);
        EXPECT_EQ(vbe.CommandBars().Item("No Such Bar"), nullptr);
        CommandBar* bar = vbe.CommandBars().Item("Code Window");
        ASSERT_NE(bar, nullptr);
        const auto before = bar->Controls().Count();
        auto control =
            bar->Controls().Add(msoControlButton, std::nullopt, std::nullopt, std::nullopt, true);
        control->SetCaption("Add \xC6");
        control->SetBeginGroup(true);
        EXPECT_EQ(bar->Controls().Count(), before + 1);
        EXPECT_TRUE(control->BeginGroup());
        events = vbe.Events().CommandBarEvents(*control);
        events->OnClick([&](CommandBarControl& clicked, bool& handled, bool& cancelDefault) {
            ++clicks;
            EXPECT_EQ(clicked.Caption(), "Add \xC6");
            EXPECT_TRUE(vbe.ActiveCodePane() != nullptr);
            handled = true;
            cancelDefault = true;
        });
    }
    EXPECT_EQ(vbe.Held(), 0u);
    EXPECT_TRUE(ide.vbe.Click("Code Window", "Add Ж"));
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(vbe.Held(), 0u);
    events.reset();
    EXPECT_TRUE(ide.vbe.Click("Code Window", "Add Ж"));
    EXPECT_EQ(clicks, 1);
}

// The add-in with the shipped templates, its message boxes answered Yes, its failures kept.
struct Addin {
    test::TempDir dir;
    SettingsFile settings{dir.path() / "settings.ini"};
    TemplateFileReader templates{std::vector<fs::path>{test::SourceDir() / "Templates"}};
    ui::HeadlessWindows windows{ui::HeadlessSetup{.answer = ui::FixedAnswer(vbYes)}};
    test::RecordingSink sink;
    std::unique_ptr<Brindle> addin = std::make_unique<Brindle>(settings, templates, windows, &sink);
};

// The add-in connected through the model.
struct Connected : Addin {
    Connected(ComVbe& vbe, IDispatch* addIn) {
        const ComVbe::Reach reach(vbe);
        addin->OnConnection(vbe, ext_cm_AfterStartup, &vbe.WrapAddIn(DispatchPtr::Share(addIn)),
                            custom);
    }
    CustomArgs custom;
};

// Each editor as the IDEs publish it: a failure raised with an EXCEPINFO or the bare HRESULT,
// what each editor lacks (the VBA editor's VBE.FullName) or names its own way (the project
// window's menu). The model tells the editors apart and asks for the bars by the VB6 IDE's names
// in both; it asks an object for a name's DISPID once, through any copy of its handle.
TEST_P(ComModel, EachEditorAnswersAsItPublishes) {
    const bool vba = GetParam() == IdeKind::Vba;
    Model();
    {
        const ComVbe::Reach reach(*model);
        EXPECT_EQ(model->WhichEditor(), vba ? Editor::Vba : Editor::Vb6);
        for (const std::string_view asked : {kCodeWindowBar, kToolsBar, kProjectWindowBar}) {
            CommandBar* bar = model->CommandBars().Item(asked);
            ASSERT_NE(bar, nullptr) << asked;
            EXPECT_EQ(bar->Name(), vba && asked == kProjectWindowBar ? "Project Window" : asked);
        }
        EXPECT_EQ(automation->Calls().Of("FullName"), vba ? 0 : 1);
    }
    const Object vbe(DispatchPtr::Share(automation->Vbe()), 1251);
    const Object module = vbe.Get("ActiveCodePane").AsObject().Get("CodeModule").AsObject();
    EXPECT_EQ(Raised([&] { module.Call("Lines", {99, 1}); }), 9);
    const int asked = automation->Calls().Of("GetIDsOfNames");
    EXPECT_EQ(Object(module).Call("lines", {1, 1}).Text(), "Option Explicit");
    EXPECT_EQ(automation->Calls().Of("GetIDsOfNames"), asked);
    automation->Set().unpublished = {.failuresWithoutExceptionInfo = true};
    EXPECT_EQ(Raised([&] { module.Call("Lines", {99, 1}); }), 9) << "a bare HRESULT";
    EXPECT_EQ(Raised([&] { module.Get("InsertLines"); }), 438) << "a method got";
}

// The VBA editor's document modules (100) and user forms (3) are modules with code: the project
// commands treat them as they treat a class. A component without code (a resource file, a
// related document; the VB6 IDE answers Nothing for its code module, the VBA editor raises) is
// passed over without a word. Names reach the status window decoded from their code page.
TEST_P(ComModel, ProjectCommandsTakeDocumentsAndPassOverComponentsWithoutCode) {
    MemoryComponent& document =
        ide.project->AddComponent("ThisWorkbook", vbext_ct_Document,
                                  "Private Sub Workbook_Open()\r\n    Beep\r\nEnd Sub\r\n");
    MemoryComponent& form = ide.project->AddComponent(
        "UserForm1", vbext_ct_MSForm, "Private Sub UserForm_Click()\r\nEnd Sub\r\n");
    ide.project->AddComponentWithoutCode("Manual", vbext_ct_RelatedDocument);
    MemoryComponent& russian = ide.project->AddComponent(
        "\xCC\xEE\xE4\xF3\xEB\xFC", vbext_ct_StdModule, "Sub Go()\r\nEnd Sub\r\n");
    russian.SetCodePage(1251);
    ComVbe& vbe = Model();
    Connected connected(vbe, automation->AddIn());
    std::vector<std::string> messages;
    connected.windows.Setup().onMessage = [&](std::string_view m) { messages.emplace_back(m); };

    for (const std::string_view caption : {buttons::kAddAllToProj, buttons::kRemoveAllFromProj,
                                           buttons::kRemoveCodeMarkersFromProj}) {
        ASSERT_TRUE(ide.vbe.Click(kProjectWindowBar, caption));
        EXPECT_TRUE(connected.sink.reported.empty())
            << caption << ": " << connected.sink.reported.front().what();
        if (caption == buttons::kAddAllToProj) {
            EXPECT_NE(TextOf(document).find("ThisWorkbook.Workbook_Open | "), std::string::npos);
            EXPECT_NE(TextOf(form).find("UserForm1.UserForm_Click | "), std::string::npos);
        }
    }
    EXPECT_EQ(TextOf(document), "Private Sub Workbook_Open()\r\n    Beep\r\nEnd Sub");
    EXPECT_EQ(TextOf(russian), "Sub Go()\r\nEnd Sub") << "added, then removed";
    ASSERT_EQ(messages.size(), 18u);
    EXPECT_EQ(messages[5],
              "Adding module header, procedure headers, and error handlers to "
              "\xD0\x9C\xD0\xBE\xD0\xB4\xD1\x83\xD0\xBB\xD1\x8C");
    EXPECT_EQ(vbe.Held(), 0u);
    // The buttons' event sinks keep the DLL loaded while the IDE holds them.
    EXPECT_EQ(LiveEventSinks(), 10);
    connected.addin.reset();
    EXPECT_EQ(LiveEventSinks(), 0);
}

// A project locked for viewing in the VBA editor is told once and left as it is, wherever the
// editor refuses its components: its Protection is asked first. The VB6 IDE locks no project
// and has no Protection.
TEST_P(ComModel, ALockedProjectIsToldOnceAndLeftAsItIs) {
    using Point = AutomationIde::LockPoint;
    for (const Point point : {Point::Components, Point::CountAndItem, Point::CodeModule}) {
        SCOPED_TRACE(static_cast<int>(point));
        automation = std::make_unique<AutomationIde>(ide.vbe, GetParam());
        automation->Set().locked = {"Inventory"};
        automation->Set().lockPoint = point;
        model = std::make_unique<ComVbe>(DispatchPtr::Share(automation->Vbe()), 1251);
        Connected connected(*model, automation->AddIn());
        const std::string before = TextOf(*ide.component);

        ASSERT_TRUE(ide.vbe.Click(kProjectWindowBar, buttons::kAddAllToProj));
        if (GetParam() == IdeKind::Vba) {
            ASSERT_EQ(connected.sink.reported.size(), 1u);
            EXPECT_EQ(connected.sink.reported[0].Number(), 50289);
            EXPECT_EQ(TextOf(*ide.component), before);
            EXPECT_EQ(automation->Calls().Of("VBComponents"), 0);
        } else {
            EXPECT_TRUE(connected.sink.reported.empty());
            EXPECT_NE(TextOf(*ide.component), before);
            EXPECT_EQ(automation->Calls().Of("Protection"), 0);
        }
        EXPECT_EQ(model->Held(), 0u);
        connected.addin.reset();
        model.reset();
    }
}

constexpr int kCodePage = 1252;

// The ceilings of one command, a + b * procedures + c * modules: for all its calls (a
// procedure's edits, lookups and members), and for those that read the text (Lines,
// CountOfLines, Find), which a module of many lines must not multiply. Adding to a whole
// project costs about 45 calls a procedure: some 15 for each of its three blocks (the member
// and its lines looked up, the place found, the lines inserted and counted); the text is read
// once a module and each edit's lines once more.
struct Ceiling {
    int fixed, perProcedure, perModule;
    int Of(int procedures, int modules) const {
        return fixed + perProcedure * procedures + perModule * modules;
    }
};
constexpr Ceiling kCalls{200, 50, 50};
constexpr Ceiling kReads{20, 6, 4};

fs::path LargestControl() {
    return test::CorpusDir() / "Kr00l__VBFLXGRD" / "ActiveX Control Version" / "Builds" /
           "VBFlexGrid" / "VBFlexGrid.ctl";
}

fs::path LargestProject() {
    return test::CorpusDir() / "jpbro__VbFcgi" / "src" / "VbFcgiLibDll" / "VbFcgiLib.vbp";
}

// One IDE holding the loaded project, with the add-in connected the way its host connects it.
struct Side : Addin {
    explicit Side(const fs::path& file)
        : loaded(IsProjectOrGroupFile(file) ? LoadProjects(file, kCodePage)
                                            : LoadModules({file}, kCodePage)) {
        vbe.AddProject(loaded.projects.at(0).project);
        OpenFirstModule();
    }
    ~Side() { vbe.Shutdown(); }

    const std::vector<LoadedModule>& Modules() const { return loaded.projects.at(0).modules; }
    void OpenFirstModule() {
        CodeModule& module = Modules().front().component->CodeModule();
        vbe.OpenCodeWindow(module.CodePane());
        module.CodePane().SetSelection(1, 1, module.CountOfLines() + 1, 1);
    }
    std::string Text() const {
        std::string text;
        for (const LoadedModule& module : Modules()) {
            text += VisibleText(module.component->CodeModule()) + "\x1f";
        }
        return text;
    }
    int Procedures() const {
        int count = 0;
        for (const LoadedModule& module : Modules()) {
            Members& members = module.component->CodeModule().Members();
            for (std::int32_t i = 1; i <= members.Count(); ++i) {
                const auto type = members.Item(i)->Type();
                count += type == vbext_mt_Method || type == vbext_mt_Property ? 1 : 0;
            }
        }
        return count;
    }

    Loaded loaded;
    MemoryVBE vbe;
};

class CommandCalls : public ComModel {
protected:
    void TearDown() override {
        if (model) {
            CustomArgs custom;
            const ComVbe::Reach reach(*model);
            side->addin->OnDisconnection(ext_dm_UserClosed, custom);
        }
        reference.reset();
        model.reset();
        automation.reset();
        side.reset();
        ComModel::TearDown();
    }

    // The same project in our IDE through automation, and in our IDE alone for reference.
    void Load(const fs::path& file) {
        side = std::make_unique<Side>(file);
        reference = std::make_unique<Side>(file);
        reference->vbe.Connect(*reference->addin, ext_cm_AfterStartup);
        automation = std::make_unique<AutomationIde>(side->vbe, GetParam());
        model = std::make_unique<ComVbe>(DispatchPtr::Share(automation->Vbe()), kCodePage);
        CustomArgs custom;
        const ComVbe::Reach reach(*model);
        side->addin->OnConnection(*model, ext_cm_AfterStartup,
                                  &model->WrapAddIn(DispatchPtr::Share(automation->AddIn())),
                                  custom);
    }

    // Clicks each button in both IDEs: the texts stay the same, and each click's calls of the
    // IDE stay under the ceiling.
    void Run(const std::vector<std::string_view>& captions) {
        for (std::string_view caption : captions) {
            SCOPED_TRACE(caption);
            const int procedures = reference->Procedures();
            const int modules = static_cast<int>(reference->Modules().size());
            const std::string before = reference->Text();
            side->OpenFirstModule();
            reference->OpenFirstModule();
            automation->ResetCalls();
            EXPECT_TRUE(side->vbe.Click(caption));
            EXPECT_TRUE(reference->vbe.Click(caption));
            EXPECT_EQ(side->Text(), reference->Text());
            if (caption != buttons::kOptions && caption != buttons::kCloseAllWins) {
                EXPECT_NE(reference->Text(), before) << "changed nothing";
            }
            const test::CallCounts& calls = automation->Calls();
            // Each insertion and deletion is confirmed with one CountOfLines, beside the reads.
            const int confirmations = calls.Of("InsertLines") + calls.Of("DeleteLines");
            const int reads =
                calls.Of("Lines") + calls.Of("CountOfLines") + calls.Of("Find") - confirmations;
            // Each member's calls, for a ceiling that is passed.
            const std::string listed = ::testing::PrintToString(calls.byMember);
            EXPECT_LE(calls.total, kCalls.Of(procedures, modules)) << listed;
            EXPECT_LE(reads, kReads.Of(procedures, modules)) << listed;
        }
    }

    std::unique_ptr<Side> side;
    std::unique_ptr<Side> reference;
};

TEST_P(CommandCalls, EveryCommandOnTheLargestModule) {
    BRINDLE_NEEDS_CORPUS();
    Load(LargestControl());
    Run({buttons::kAddModHdr, buttons::kAddHeaders, buttons::kAddErrHandlers, buttons::kRemoveAll,
         buttons::kAddAllToProj, buttons::kRemoveCodeMarkers, buttons::kAddAllToProj,
         buttons::kRemoveCodeMarkersFromProj, buttons::kAddAllToProj, buttons::kRemoveAllFromProj,
         buttons::kOptions, buttons::kCloseAllWins});
}

TEST_P(CommandCalls, TheProjectCommandsOnTheLargestProject) {
    BRINDLE_NEEDS_CORPUS();
    Load(LargestProject());
    Run({buttons::kAddAllToProj, buttons::kRemoveAllFromProj, buttons::kAddAllToProj,
         buttons::kRemoveCodeMarkersFromProj});
}

std::string EditorName(const ::testing::TestParamInfo<IdeKind>& param) {
    return param.param == IdeKind::Vb6 ? "Vb6" : "Vba";
}
INSTANTIATE_TEST_SUITE_P(Editors, ComModel, ::testing::Values(IdeKind::Vb6, IdeKind::Vba),
                         EditorName);
INSTANTIATE_TEST_SUITE_P(Editors, CommandCalls, ::testing::Values(IdeKind::Vb6, IdeKind::Vba),
                         EditorName);

}  // namespace
}  // namespace brindle::host::com
