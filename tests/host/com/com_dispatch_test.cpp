// Late-bound calls against automation objects that Windows (and Wine) provides.
#include <objbase.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "host/com/Dispatch.h"

namespace brindle::host::com {
namespace {

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

TEST_F(ComDispatch, CallsMembersByName) {
    const Object dictionary = Create(L"Scripting.Dictionary");
    dictionary.Put("CompareMode", 1);
    dictionary.Call("Add", {"Caf\xE9", 42});
    dictionary.Call("Add", {"two", "zwei"});
    EXPECT_EQ(dictionary.Get("Count").Long(), 2);
    EXPECT_EQ(dictionary.Get("compareMODE").Long(), 1);
    EXPECT_TRUE(dictionary.Call("Exists", {"TWO"}).Bool());
    EXPECT_EQ(dictionary.Call("Item", {"Caf\xE9"}).Long(), 42);
    EXPECT_EQ(dictionary.Call("Item", {"two"}).Text(), "zwei");
    EXPECT_EQ(dictionary.Call("Item", {"Caf\xE9"}).Text(), "42");
}

// Strings cross as UTF-16 converted with the object's code page; what the code page lacks
// becomes "?".
TEST_F(ComDispatch, ConvertsTextWithItsCodePage) {
    const Object western = Create(L"Scripting.Dictionary", 1252);
    const Object cyrillic(western.Pointer(), 1251);
    cyrillic.Call("Add", {"zhe", "\xC6"});  // Cyrillic capital Zhe in code page 1251
    western.Call("Add", {"e", "\xE9"});
    EXPECT_EQ(cyrillic.Call("Item", {"zhe"}).Text(), "\xC6");
    EXPECT_EQ(western.Call("Item", {"zhe"}).Text(), "?");
    EXPECT_EQ(western.Call("Item", {"e"}).Text(), "\xE9");
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
        {"a key removed that is not there", [](const Object& d) { d.Call("Remove", {"none"}); },
         32811, ""},
        {"the compare mode of a dictionary with items",
         [](const Object& d) { d.Put("CompareMode", 1); }, 5, ""},
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
    for (const HRESULT result : {E_FAIL, static_cast<HRESULT>(0x800A01C9), E_INVALIDARG,
                                 static_cast<HRESULT>(0x80040154)}) {
        const VbError failure = ErrorOf(result, nullptr, "Member");
        EXPECT_EQ(ErrorOf(HResultOf(failure.Number()), nullptr, "Member").Number(),
                  failure.Number());
    }
    EXPECT_EQ(HResultOf(ErrorOf(E_FAIL, nullptr, "Member").Number()), E_FAIL);
    EXPECT_EQ(HResultOf(91), static_cast<HRESULT>(0x800A005B));
}

// An automation object of the test's own, for what no object of the system does: writing
// back by-reference arguments and raising with an EXCEPINFO of its choosing.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
class Pane final : public IDispatch {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        *object = iid == IID_IUnknown || iid == IID_IDispatch ? this : nullptr;
        return *object != nullptr ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT, LCID,
                                            DISPID* ids) override {
        ++asked;
        const std::wstring name = names[0];
        ids[0] = name == L"GetSelection" ? 1
                 : name == L"RaiseText"  ? 2
                 : name == L"RaiseCode"  ? 3
                                         : -1;
        return ids[0] == -1 ? DISP_E_UNKNOWNNAME : S_OK;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*,
                                     EXCEPINFO* info, UINT*) override {
        if (id == 1) {
            // The first argument is the last in rgvarg.
            for (UINT i = 0; i < params->cArgs; ++i) {
                VARIANT& arg = params->rgvarg[params->cArgs - 1 - i];
                if (arg.vt == (VT_I4 | VT_BYREF)) {
                    *arg.plVal = *arg.plVal * 10 + static_cast<LONG>(i);
                } else if (arg.vt == (VT_BOOL | VT_BYREF)) {
                    *arg.pboolVal = *arg.pboolVal ? VARIANT_FALSE : VARIANT_TRUE;
                }
            }
            return S_OK;
        }
        *info = EXCEPINFO{};
        if (id == 2) {
            info->scode = static_cast<SCODE>(0x800A0009);
            info->bstrDescription = SysAllocString(L"Line 99 is past the end");
            info->bstrSource = SysAllocString(L"Host.Lines");
        } else {
            info->wCode = 35;
        }
        return DISP_E_EXCEPTION;
    }

    int asked = 0;  // GetIDsOfNames
};
#pragma GCC diagnostic pop

// By-reference arguments are written back; an object without type information is asked for a
// name's DISPID once per handle and its copies.
TEST_F(ComDispatch, WritesBackByReferenceArgumentsAndAsksForEachNameOnce) {
    Pane pane;
    const Object object(DispatchPtr::Share(&pane), 1252);
    std::int32_t a = 1, b = 2, c = 3;
    bool flag = false;
    object.Call("GetSelection", {ByRef<std::int32_t>{a}, ByRef<std::int32_t>{b}, 7,
                                 ByRef<bool>{flag}, ByRef<std::int32_t>{c}});
    EXPECT_EQ(a, 10);
    EXPECT_EQ(b, 21);
    EXPECT_TRUE(flag);
    EXPECT_EQ(c, 34);
    const Object copy = object;
    copy.Call("getselection", {ByRef<std::int32_t>{a}});
    EXPECT_EQ(a, 100);
    EXPECT_EQ(pane.asked, 1);
}

TEST_F(ComDispatch, TakesNumberDescriptionAndSourceFromTheException) {
    Pane pane;
    const Object object(DispatchPtr::Share(&pane), 1252);
    try {
        object.Call("RaiseText");
        FAIL();
    } catch (const VbError& e) {
        EXPECT_EQ(e.Number(), 9);
        EXPECT_EQ(e.Description(), "Line 99 is past the end");
        EXPECT_EQ(e.Source(), "Host.Lines");
    }
    try {
        object.Call("RaiseCode");
        FAIL();
    } catch (const VbError& e) {
        EXPECT_EQ(e.Number(), 35);
        EXPECT_EQ(e.Description(), "Sub or Function not defined");
        EXPECT_EQ(e.Source(), "RaiseCode");
    }
}

}  // namespace
}  // namespace brindle::host::com
