// Late-bound calls against automation objects that Windows (and Wine) provides.
#include <objbase.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <tuple>

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

// Members are found by name without regard to case; strings cross as UTF-16 converted with the
// object's code page, and what the code page lacks becomes "?".
TEST_F(ComDispatch, CallsMembersByNameInTheObjectsCodePage) {
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
    // From an EXCEPINFO: its number, description and source; or its wCode, in VB's own words,
    // the member the source.
    EXCEPINFO info{};
    info.scode = static_cast<SCODE>(0x800A0009);
    info.bstrDescription = SysAllocString(L"Line 99 is past the end");
    info.bstrSource = SysAllocString(L"Host.Lines");
    const VbError told = ErrorOf(DISP_E_EXCEPTION, &info, "Lines");
    EXPECT_EQ(std::tuple(told.Number(), told.Description(), told.Source()),
              std::tuple(9, "Line 99 is past the end", "Host.Lines"));
    info = EXCEPINFO{};
    info.wCode = 35;
    const VbError coded = ErrorOf(DISP_E_EXCEPTION, &info, "RaiseCode");
    EXPECT_EQ(std::tuple(coded.Number(), coded.Description(), coded.Source()),
              std::tuple(35, "Sub or Function not defined", "RaiseCode"));
}

}  // namespace
}  // namespace brindle::host::com
