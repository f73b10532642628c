// The automation double of the IDE, driven by name through plain IDispatch calls as an add-in
// drives the real IDE, checked against our in-memory IDE behind it.

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "host/com/double/AutomationIde.h"
#include "host/ide/Ide.h"
#include "host/ide/MemoryProject.h"

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

// Each editor as it answers: the VBA editor has no Members and no VBE.FullName (unknown by
// name already), another Version, and its own name for the project window's context menu.
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
    EXPECT_EQ(answer.hr, DISP_E_UNKNOWNNAME);

    EXPECT_EQ(Text(vb6.Vbe(), L"Version"), L"6.00");
    EXPECT_EQ(Text(vba.Vbe(), L"Version"), L"7.01");
    EXPECT_FALSE(Text(vb6.Vbe(), L"FullName").empty());
    Answer fullName;
    Invoke(fullName, vba.Vbe(), L"FullName", kGet, {});
    EXPECT_EQ(fullName.hr, DISP_E_UNKNOWNNAME);

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
}  // namespace
}  // namespace brindle::test
