// The automation double of the IDE, driven by name through plain IDispatch calls as an add-in
// drives the real IDE, checked against our in-memory IDE behind it.

#include <gtest/gtest.h>
#include <ocidl.h>
#include <olectl.h>

#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "host/com/double/AutomationIde.h"
#include "host/ide/Ide.h"
#include "host/ide/MemoryProject.h"

// COM interfaces have no virtual destructor: the sinks here live on the stack.
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"

namespace brindle::test {
namespace {

// ---- A tiny late-binding client ----

struct Release {
    void operator()(IUnknown* object) const { object->Release(); }
};
using Object = std::unique_ptr<IDispatch, Release>;

// One argument; a string or an object is owned until the call is over.
struct Arg {
    VARIANT v;
    Arg(int value) : v{} {
        v.vt = VT_I4;
        v.lVal = value;
    }
    Arg(bool value) : v{} {
        v.vt = VT_BOOL;
        v.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
    }
    Arg(const wchar_t* text) : v{} {
        v.vt = VT_BSTR;
        v.bstrVal = SysAllocString(text);
    }
    Arg(LONG* ref) : v{} {
        v.vt = VT_BYREF | VT_I4;
        v.plVal = ref;
    }
    Arg(VARIANT* ref) : v{} {
        v.vt = VT_BYREF | VT_VARIANT;
        v.pvarVal = ref;
    }
    Arg(IDispatch* object) : v{} {
        v.vt = VT_DISPATCH;
        v.pdispVal = object;
        object->AddRef();
    }
    static Arg Missing() {
        Arg arg(0);
        arg.v.vt = VT_ERROR;
        arg.v.scode = DISP_E_PARAMNOTFOUND;
        return arg;
    }
};

// What one Invoke answered.
struct Answer {
    HRESULT hr = E_FAIL;
    VARIANT value{};
    EXCEPINFO exception{};
    UINT argError = 0;
    Answer() = default;
    Answer(const Answer&) = delete;
    Answer& operator=(const Answer&) = delete;
    ~Answer() {
        VariantClear(&value);
        SysFreeString(exception.bstrDescription);
        SysFreeString(exception.bstrSource);
    }
};

constexpr WORD kGet = DISPATCH_METHOD | DISPATCH_PROPERTYGET;

void Invoke(Answer& answer, IDispatch* object, const wchar_t* name, WORD flags,
            std::vector<Arg> args) {
    DISPID id = 0;
    auto* names = const_cast<LPOLESTR>(name);
    answer.hr = object->GetIDsOfNames(IID_NULL, &names, 1, LOCALE_USER_DEFAULT, &id);
    if (answer.hr == S_OK) {
        std::vector<VARIANT> reversed;
        for (auto it = args.rbegin(); it != args.rend(); ++it) {
            reversed.push_back(it->v);
        }
        DISPID put = DISPID_PROPERTYPUT;
        DISPPARAMS params{reversed.data(), flags == DISPATCH_PROPERTYPUT ? &put : nullptr,
                          static_cast<UINT>(reversed.size()),
                          flags == DISPATCH_PROPERTYPUT ? 1u : 0u};
        answer.hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, &answer.value,
                                   &answer.exception, &answer.argError);
    }
    for (Arg& arg : args) {
        VariantClear(&arg.v);
    }
}

Object Get(IDispatch* object, const wchar_t* name, std::vector<Arg> args = {}) {
    Answer answer;
    Invoke(answer, object, name, kGet, std::move(args));
    EXPECT_EQ(answer.hr, S_OK) << "getting " << std::wstring(name).size();
    if (answer.hr != S_OK || answer.value.vt != VT_DISPATCH || answer.value.pdispVal == nullptr) {
        ADD_FAILURE() << "no object";
        return nullptr;
    }
    return Object(std::exchange(answer.value.pdispVal, nullptr));
}

std::wstring Text(IDispatch* object, const wchar_t* name, std::vector<Arg> args = {}) {
    Answer answer;
    Invoke(answer, object, name, kGet, std::move(args));
    EXPECT_EQ(answer.hr, S_OK);
    EXPECT_EQ(answer.value.vt, VT_BSTR);
    return answer.value.vt == VT_BSTR
               ? std::wstring(answer.value.bstrVal, SysStringLen(answer.value.bstrVal))
               : L"";
}

LONG Long(IDispatch* object, const wchar_t* name, std::vector<Arg> args = {}) {
    Answer answer;
    Invoke(answer, object, name, kGet, std::move(args));
    EXPECT_EQ(answer.hr, S_OK);
    EXPECT_EQ(answer.value.vt, VT_I4);
    return answer.value.lVal;
}

void Do(IDispatch* object, const wchar_t* name, std::vector<Arg> args = {}) {
    Answer answer;
    Invoke(answer, object, name, DISPATCH_METHOD, std::move(args));
    EXPECT_EQ(answer.hr, S_OK);
}

void Put(IDispatch* object, const wchar_t* name, Arg value) {
    Answer answer;
    Invoke(answer, object, name, DISPATCH_PROPERTYPUT, {value});
    EXPECT_EQ(answer.hr, S_OK);
}

// ---- The IDE behind the double ----

// "modMain" holds, in code page 1251, a comment in Russian and two procedures.
struct Ide {
    Ide() {
        project = std::make_shared<host::MemoryProject>("Inventory");
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
        vbe.AddProject(project);
        vbe.OpenCodeWindow(component->CodeModule().CodePane());
    }
    Object Module(AutomationIde& automation) {
        Object pane = Get(automation.Vbe(), L"ActiveCodePane");
        return pane ? Get(pane.get(), L"CodeModule") : nullptr;
    }

    host::MemoryVBE vbe;
    std::shared_ptr<host::MemoryProject> project;
    host::MemoryComponent* component = nullptr;
};

TEST(AutomationDouble, LinesGoInAndOutInTheModulesCodePage) {
    Ide ide;
    AutomationIde automation(ide.vbe, IdeKind::Vb6);
    Object module = ide.Module(automation);
    ASSERT_TRUE(module);

    EXPECT_EQ(Text(module.get(), L"Lines", {1, 2}),
              L"Option Explicit\r\n' \u041f\u0440\u0438\u0432\u0435\u0442");
    Do(module.get(), L"InsertLines", {3, L"' \u0401\u0436\r\nDim \u0431 As Long"});
    EXPECT_EQ(ide.component->CodeModule().Lines(3, 2), "' \xA8\xE6\r\nDim \xE1 As Long");
    Do(module.get(), L"ReplaceLine", {4, L"Dim \u0434 As Long"});
    EXPECT_EQ(ide.component->CodeModule().Lines(4, 1), "Dim \xE4 As Long");
    Do(module.get(), L"DeleteLines", {3});
    Do(module.get(), L"DeleteLines", {3, 1});
    EXPECT_EQ(Long(module.get(), L"CountOfLines"), 8);
    // The comment above the first procedure is part of it.
    EXPECT_EQ(Long(module.get(), L"CountOfDeclarationLines"), 1);

    Object project = Get(automation.Vbe(), L"ActiveVBProject");
    Object components = Get(project.get(), L"VBComponents");
    EXPECT_EQ(Long(components.get(), L"Count"), 1);
    Object byName = Get(components.get(), L"Item", {L"MODMAIN"});
    EXPECT_EQ(Long(byName.get(), L"Type"), vbext_ct_StdModule);
    Object parent = Get(module.get(), L"Parent");
    EXPECT_EQ(Text(parent.get(), L"Name"), L"modMain");
}

TEST(AutomationDouble, ByReferenceArgumentsAreWrittenBack) {
    Ide ide;
    AutomationIde automation(ide.vbe, IdeKind::Vb6);
    Object module = ide.Module(automation);
    ASSERT_TRUE(module);

    LONG kind = 0;
    EXPECT_EQ(Text(module.get(), L"ProcOfLine", {7, &kind}), L"Size");
    EXPECT_EQ(kind, vbext_pk_Get);
    EXPECT_EQ(Long(module.get(), L"ProcBodyLine", {L"size", vbext_pk_Get}), 7);

    ide.component->CodeModule().CodePane().SetSelection(4, 2, 5, 3);
    Object pane = Get(module.get(), L"CodePane");
    LONG bounds[4] = {};
    Do(pane.get(), L"GetSelection", {&bounds[0], &bounds[1], &bounds[2], &bounds[3]});
    EXPECT_EQ((std::vector<LONG>{bounds[0], bounds[1], bounds[2], bounds[3]}),
              (std::vector<LONG>{4, 2, 5, 3}));

    // As VB passes Variants: each by reference to a Variant.
    VARIANT found[4] = {};
    for (VARIANT& bound : found) {
        bound.vt = VT_I4;
        bound.lVal = 1;
    }
    Answer answer;
    Invoke(answer, module.get(), L"Find", DISPATCH_METHOD,
           {L"sub go", &found[0], &found[1], &found[2], &found[3], Arg::Missing(), false});
    ASSERT_EQ(answer.hr, S_OK);
    EXPECT_EQ(answer.value.boolVal, VARIANT_TRUE);
    EXPECT_EQ((std::vector<LONG>{found[0].lVal, found[1].lVal, found[2].lVal, found[3].lVal}),
              (std::vector<LONG>{4, 8, 4, 14}));
}

// Our failures reach the caller as the IDE raises them; a caller's own mistakes as COM answers.
TEST(AutomationDouble, FailuresAnswerAsTheIdeDoes) {
    struct Case {
        const wchar_t* member;
        WORD flags;
        std::vector<Arg> args;
        HRESULT hr;
        SCODE scode;
        const wchar_t* description;
    };
    Ide ide;
    const std::vector<Case> cases = {
        {L"ProcStartLine",
         kGet,
         {L"Nope", 0},
         DISP_E_EXCEPTION,
         SCODE(0x800A0023),
         L"Sub or Function not defined"},
        {L"Lines", kGet, {99, 1}, DISP_E_EXCEPTION, SCODE(0x800A0009), L"Subscript out of range"},
        {L"ProcOfLine", kGet, {7, 3}, DISP_E_TYPEMISMATCH, 0, nullptr},  // kind by value
        {L"Lines", kGet, {1}, DISP_E_BADPARAMCOUNT, 0, nullptr},
        {L"InsertLines", DISPATCH_PROPERTYGET, {1, L"x"}, DISP_E_MEMBERNOTFOUND, 0, nullptr},
    };
    for (const Case& c : cases) {
        AutomationIde automation(ide.vbe, IdeKind::Vb6);
        Object module = ide.Module(automation);
        ASSERT_TRUE(module);
        Answer answer;
        Invoke(answer, module.get(), c.member, c.flags, c.args);
        EXPECT_EQ(answer.hr, c.hr) << std::wstring(c.member).size();
        if (c.hr == DISP_E_EXCEPTION) {
            EXPECT_EQ(answer.exception.scode, c.scode);
            EXPECT_EQ(std::wstring(answer.exception.bstrDescription), c.description);
            EXPECT_EQ(std::wstring(answer.exception.bstrSource).rfind(L"VBIDE", 0), 0u);
        }
    }
    EXPECT_EQ(ide.component->CodeModule().CountOfLines(), 8);

    // A put whose value is not named DISPID_PROPERTYPUT.
    AutomationIde automation(ide.vbe, IdeKind::Vb6);
    Object pane = Get(automation.Vbe(), L"ActiveCodePane");
    DISPID topLine = 0;
    auto* name = const_cast<LPOLESTR>(L"TopLine");
    ASSERT_EQ(pane->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &topLine), S_OK);
    Arg value(2);
    DISPPARAMS params{&value.v, nullptr, 1, 0};
    EXPECT_EQ(pane->Invoke(topLine, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &params,
                           nullptr, nullptr, nullptr),
              DISP_E_PARAMNOTFOUND);
    Put(pane.get(), L"TopLine", 99);
    EXPECT_EQ(Long(pane.get(), L"TopLine"), 8);
}

// One thing of the IDE is one object while it is held, as callers compare them.
TEST(AutomationDouble, OneThingIsOneObject) {
    Ide ide;
    AutomationIde automation(ide.vbe, IdeKind::Vb6);
    Object pane = Get(automation.Vbe(), L"ActiveCodePane");
    Object again = Get(automation.Vbe(), L"ActiveCodePane");
    EXPECT_EQ(pane.get(), again.get());
    Object module = Get(pane.get(), L"CodeModule");
    Object parent = Get(module.get(), L"Parent");
    Object project = Get(automation.Vbe(), L"ActiveVBProject");
    Object components = Get(project.get(), L"VBComponents");
    Object first = Get(components.get(), L"Item", {1});
    EXPECT_EQ(parent.get(), first.get());
}

// Each editor as it answers: the VBA editor has no Members and no VBE.FullName, another
// Version, and its own name for the project window's context menu.
TEST(AutomationDouble, EachEditorAnswersAsItsOwn) {
    Ide ide;
    AutomationIde vb6(ide.vbe, IdeKind::Vb6);
    Object module = ide.Module(vb6);
    ASSERT_TRUE(module);
    Object members = Get(module.get(), L"Members");
    Object size = Get(members.get(), L"Item", {L"Size"});
    EXPECT_EQ(Long(size.get(), L"Type"), vbext_mt_Property);
    Object first = Get(members.get(), L"Item", {1});
    EXPECT_EQ(Text(first.get(), L"Name"), L"Go");

    AutomationIde vba(ide.vbe, IdeKind::Vba);
    module = ide.Module(vba);
    Answer answer;
    Invoke(answer, module.get(), L"Members", kGet, {});
    EXPECT_EQ(answer.hr, DISP_E_EXCEPTION);
    EXPECT_EQ(answer.exception.scode, SCODE(0x800A01B6));
    EXPECT_EQ(std::wstring(answer.exception.bstrDescription),
              L"Object doesn't support this property or method");

    EXPECT_EQ(Text(vb6.Vbe(), L"Version"), L"6.00");
    EXPECT_EQ(Text(vba.Vbe(), L"Version"), L"7.01");
    EXPECT_FALSE(Text(vb6.Vbe(), L"FullName").empty());
    Answer fullName;
    Invoke(fullName, vba.Vbe(), L"FullName", kGet, {});
    EXPECT_EQ(fullName.exception.scode, SCODE(0x800A01B6));

    struct Row {
        AutomationIde& automation;
        const wchar_t* found;
        const wchar_t* missing;
    };
    for (const Row& row : {Row{vb6, L"Project Window Project", L"Project Window"},
                           Row{vba, L"Project Window", L"Project Window Project"}}) {
        Object bars = Get(row.automation.Vbe(), L"CommandBars");
        Object bar = Get(bars.get(), L"Item", {row.found});
        EXPECT_EQ(Text(bar.get(), L"Name"), row.found);
        Answer missing;
        Invoke(missing, bars.get(), L"Item", kGet, {row.missing});
        EXPECT_EQ(missing.exception.scode, SCODE(0x800A0005)) << row.missing;
    }
}

// A sink of _dispCommandBarControlEvents that notes each Click and marks it handled.
class ClickSink final : public IDispatch {
public:
    virtual ~ClickSink() = default;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        *object = nullptr;
        if (iid != IID_IUnknown && iid != IID_IDispatch && iid != events) {
            return E_NOINTERFACE;
        }
        *object = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
    ULONG STDMETHODCALLTYPE Release() override { return --references; }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*,
                                     EXCEPINFO*, UINT*) override {
        if (id != 1 || params->cArgs != 3 || params->rgvarg[2].vt != VT_DISPATCH ||
            params->rgvarg[1].vt != (VT_BYREF | VT_BOOL) ||
            params->rgvarg[0].vt != (VT_BYREF | VT_BOOL)) {
            clicks.push_back(L"wrong arguments");
            return DISP_E_BADVARTYPE;
        }
        clicks.push_back(Text(params->rgvarg[2].pdispVal, L"Caption") +
                         (*params->rgvarg[1].pboolVal ? L" handled" : L""));
        *params->rgvarg[1].pboolVal = VARIANT_TRUE;
        return S_OK;
    }

    IID events{};
    ULONG references = 0;
    std::vector<std::wstring> clicks;
};

TEST(AutomationDouble, AClickReachesEveryAdvisedSink) {
    Ide ide;
    AutomationIde automation(ide.vbe, IdeKind::Vb6);
    Object bars = Get(automation.Vbe(), L"CommandBars");
    Object bar = Get(bars.get(), L"Item", {L"Code Window"});
    Object controls = Get(bar.get(), L"Controls");
    Object control =
        Get(controls.get(), L"Add", {1, Arg::Missing(), Arg::Missing(), Arg::Missing(), true});
    Put(control.get(), L"Caption", L"Go");
    Object events = Get(automation.Vbe(), L"Events");
    Object source = Get(events.get(), L"CommandBarEvents", {control.get()});
    ASSERT_TRUE(source);

    IConnectionPointContainer* container = nullptr;
    ASSERT_EQ(
        source->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&container)),
        S_OK);
    IEnumConnectionPoints* points = nullptr;
    ASSERT_EQ(container->EnumConnectionPoints(&points), S_OK);
    IConnectionPoint* point = nullptr;
    ULONG fetched = 0;
    ASSERT_EQ(points->Next(1, &point, &fetched), S_OK);
    EXPECT_EQ(points->Next(1, &point, &fetched), S_FALSE);
    ClickSink first;
    ClickSink second;
    ASSERT_EQ(point->GetConnectionInterface(&first.events), S_OK);
    second.events = first.events;
    DWORD firstCookie = 0;
    DWORD secondCookie = 0;
    ASSERT_EQ(point->Advise(&first, &firstCookie), S_OK);
    ASSERT_EQ(point->Advise(&second, &secondCookie), S_OK);

    ASSERT_TRUE(ide.vbe.Click("Code Window", "Go"));
    EXPECT_EQ(first.clicks, std::vector<std::wstring>{L"Go"});
    EXPECT_EQ(second.clicks, std::vector<std::wstring>{L"Go handled"});

    EXPECT_EQ(point->Unadvise(firstCookie), S_OK);
    EXPECT_EQ(point->Unadvise(firstCookie), CONNECT_E_NOCONNECTION);
    ASSERT_TRUE(ide.vbe.Click("Code Window", "Go"));
    EXPECT_EQ(first.clicks.size(), 1u);
    EXPECT_EQ(second.clicks.size(), 2u);
    Do(control.get(), L"Delete");
    EXPECT_FALSE(ide.vbe.Click("Go"));
    EXPECT_EQ(point->Unadvise(secondCookie), S_OK);
    point->Release();
    points->Release();
    container->Release();
    EXPECT_EQ(first.references, 0u);
    EXPECT_EQ(second.references, 0u);
}

TEST(AutomationDouble, TheAddinListAnswersByProgId) {
    Ide ide;
    AutomationIde automation(ide.vbe, IdeKind::Vb6);
    IDispatch* entry = automation.AddIn("VBBrindle.Brindle");
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(automation.AddIn("Nobody.Nothing"), nullptr);
    EXPECT_EQ(Text(entry, L"Description"), L"Visual Basic Brindle");

    Object addins = Get(automation.Vbe(), L"Addins");
    Object byProgId = Get(addins.get(), L"Item", {L"vbbrindle.brindle"});
    EXPECT_EQ(Text(byProgId.get(), L"ProgId"), L"VBBrindle.Brindle");
    Put(byProgId.get(), L"Connect", true);
    EXPECT_TRUE(ide.vbe.Addins().Item(kAddinDescription).Connect());

    std::vector<std::string> told;
    automation.OnUpdate([&](const AddinEntry& addin, bool connect) {
        told.push_back(addin.progId + (connect ? " on" : " off"));
    });
    Put(entry, L"Connect", false);
    Do(addins.get(), L"Update");
    EXPECT_EQ(told, std::vector<std::string>{"VBBrindle.Brindle off"});
}

TEST(AutomationDouble, CallsAreCountedByMemberName) {
    Ide ide;
    AutomationIde automation(ide.vbe, IdeKind::Vb6);
    Object module = ide.Module(automation);
    ASSERT_TRUE(module);
    automation.ResetCalls();
    Text(module.get(), L"Lines", {1, 1});
    Text(module.get(), L"lines", {2, 1});
    Long(module.get(), L"CountOfLines");
    EXPECT_EQ(automation.Calls().Of("Lines"), 2);
    EXPECT_EQ(automation.Calls().Of("CountOfLines"), 1);
    EXPECT_EQ(automation.Calls().Of("GetIDsOfNames"), 3);
    EXPECT_EQ(automation.Calls().total, 6);
}

}  // namespace
}  // namespace brindle::test
