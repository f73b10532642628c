// VBBrindle.dll as the IDEs meet it: registered, created from its ProgID, answering the add-in
// interfaces, unregistered without a trace; connected to the automation double of each IDE, its
// buttons do what they do in our own host, its windows answered as a user would. Built and run
// for both bitnesses; what needs windows is skipped where Wine has no screen.

#include <gtest/gtest.h>
#include <windows.h>

#include <oaidl.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <tuple>
#include <variant>
#include <vector>

#include "addin/Buttons.h"
#include "dll/ComInterfaces.h"
#include "host/com/double/AutomationIde.h"
#include "host/files/ModuleFile.h"
#include "host/ide/Ide.h"
#include "host/ide/MemoryProject.h"
#include "host/session/AddinSession.h"
#include "host/settings/SettingsFile.h"
#include "host/vb6/windows/Wide.h"
#include "model/IdeBars.h"
#include "model/SettingsKeys.h"
#include "support/TestPaths.h"
#include "ui/Headless.h"
#include "ui/win32/ScreenTest.h"
#include "ui/win32/WinText.h"

namespace brindle {
namespace {

using dll::IDTExtensibility2;
using namespace std::chrono_literals;
using IDTExtensibility = dll::IDTExtensibilityVb6;

constexpr bool k64 = sizeof(void*) == 8;
const std::wstring kClsid = L"{08C9F92E-DE4B-47BC-AAB8-EB040F4B07BC}";
const std::wstring kClassKey = L"Software\\Classes\\CLSID\\" + kClsid;
const std::wstring kProgIdKey = L"Software\\Classes\\VBBrindle.Brindle";
const IID kIidExtensibility2 = {
    0xB65AD801, 0xABAF, 0x11D0, {0xBB, 0x8B, 0x00, 0xA0, 0xC9, 0x0F, 0x27, 0x44}};
const IID kIidExtensibility = {
    0x0002E151, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
// Where each bitness's class registration is seen: HKCU\Software\Classes\CLSID is kept apart
// for 32-bit and 64-bit programs.
constexpr REGSAM kOwnView = k64 ? KEY_WOW64_64KEY : KEY_WOW64_32KEY;
constexpr REGSAM kOtherView = k64 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;

using Data = std::variant<std::wstring, DWORD>;

struct Expected {
    std::wstring key;
    std::wstring name;
    Data data;
    REGSAM view;
    HKEY root = HKEY_CURRENT_USER;
};

struct Key {
    std::wstring key;
    REGSAM view;
    HKEY root;
};

std::wstring DllPath() {
    std::wstring path = host::Widen(BRINDLE_DLL);
    if (path.starts_with(L"/")) {  // the build's path, seen from Wine's drive of the root
        path = L"Z:" + path;
    }
    std::replace(path.begin(), path.end(), L'/', L'\\');
    wchar_t full[MAX_PATH];
    GetFullPathNameW(path.c_str(), MAX_PATH, full, nullptr);
    return full;
}

// The add-in lists of the IDEs of this bitness. For all users the VB6 IDE's is the machine's,
// in the 32-bit view it reads as a 32-bit program; the VBA editors read only the user's.
std::vector<Key> AddinKeys(bool allUsers = false) {
    const std::wstring vba = L"Software\\Microsoft\\VBA\\VBE\\6.0\\";
    if (k64) {
        return {{vba + L"Addins64\\VBBrindle.Brindle", 0, HKEY_CURRENT_USER}};
    }
    const std::wstring vb6 = L"Software\\Microsoft\\Visual Basic\\6.0\\Addins\\VBBrindle.Brindle";
    return {
        allUsers ? Key{vb6, KEY_WOW64_32KEY, HKEY_LOCAL_MACHINE} : Key{vb6, 0, HKEY_CURRENT_USER},
        {vba + L"Addins\\VBBrindle.Brindle", 0, HKEY_CURRENT_USER}};
}

std::vector<Expected> ExpectedValues(bool allUsers = false) {
    const std::wstring description = L"Visual Basic Brindle";
    const HKEY classes = allUsers ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
    std::vector<Expected> values = {
        {kClassKey, L"", description, kOwnView, classes},
        {kClassKey + L"\\ProgID", L"", std::wstring(L"VBBrindle.Brindle"), kOwnView, classes},
        {kClassKey + L"\\InprocServer32", L"", DllPath(), kOwnView, classes},
        {kClassKey + L"\\InprocServer32", L"ThreadingModel", std::wstring(L"Apartment"), kOwnView,
         classes},
        {kProgIdKey, L"", description, 0, classes},
        {kProgIdKey + L"\\CLSID", L"", kClsid, 0, classes},
    };
    for (const Key& key : AddinKeys(allUsers)) {
        values.push_back({key.key, L"FriendlyName", description, key.view, key.root});
        values.push_back({key.key, L"Description", description, key.view, key.root});
        values.push_back({key.key, L"LoadBehavior", DWORD{3}, key.view, key.root});
        if (key.key.find(L"Visual Basic") != std::wstring::npos) {
            values.push_back({key.key, L"CommandLineSafe", DWORD{0}, key.view, key.root});
        }
    }
    return values;
}

bool KeyExists(const std::wstring& key, REGSAM view, HKEY root = HKEY_CURRENT_USER) {
    HKEY opened = nullptr;
    if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ | view, &opened) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(opened);
    return true;
}

std::optional<Data> ReadValue(const std::wstring& key, const std::wstring& name, REGSAM view,
                              HKEY root = HKEY_CURRENT_USER) {
    HKEY opened = nullptr;
    if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ | view, &opened) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    DWORD type = 0;
    wchar_t text[1024] = {};
    DWORD size = sizeof text;
    const LSTATUS status = RegGetValueW(opened, nullptr, name.c_str(),
                                        RRF_RT_REG_SZ | RRF_RT_REG_DWORD, &type, text, &size);
    RegCloseKey(opened);
    if (status != ERROR_SUCCESS) {
        return std::nullopt;
    }
    DWORD number = 0;
    std::memcpy(&number, text, sizeof number);
    return type == REG_DWORD ? Data(number) : Data(text);
}

// The default value of the user's key in that view.
void WriteText(const std::wstring& key, const std::wstring& text, REGSAM view) {
    HKEY created = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE | view,
                              nullptr, &created, nullptr),
              ERROR_SUCCESS);
    RegSetValueExW(created, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(created);
}

void DeleteKey(const std::wstring& key, REGSAM view) {
    const auto split = key.rfind(L'\\');
    HKEY parent = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, key.substr(0, split).c_str(), 0, KEY_ALL_ACCESS | view,
                      &parent) == ERROR_SUCCESS) {
        RegDeleteTreeW(parent, key.substr(split + 1).c_str());
        RegCloseKey(parent);
    }
}

// regsvr32 of the test's own bitness (System32 is SysWOW64 for a 32-bit program), silent.
DWORD Regsvr32(const std::wstring& arguments) {
    wchar_t system[MAX_PATH];
    GetSystemDirectoryW(system, MAX_PATH);
    std::wstring command = L"\"" + std::wstring(system) + L"\\regsvr32.exe\" /s " + arguments +
                           L" \"" + DllPath() + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        return GetLastError();
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 1;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code;
}

// Creates the class from its ProgID as the IDEs do, through COM. Wine's HKEY_CLASSES_ROOT shows
// no user's classes, which Windows lays over it: there the test follows the user's keys itself
// (ProgID, class, DLL) to the same DllGetClassObject.
template <class Interface = IUnknown>
HRESULT CreateFromProgId(Interface** object, REFIID iid = IID_IUnknown) {
    CLSID clsid{};
    const HRESULT found = CLSIDFromProgID(L"VBBrindle.Brindle", &clsid);
    const auto wine = GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version");
    if (found == S_OK || wine == nullptr) {
        return FAILED(found) ? found
                             : CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, iid,
                                                reinterpret_cast<void**>(object));
    }
    const auto clsidText = ReadValue(kProgIdKey + L"\\CLSID", L"", 0);
    const auto dll = ReadValue(kClassKey + L"\\InprocServer32", L"", kOwnView);
    if (!clsidText || !dll ||
        CLSIDFromString(std::get<std::wstring>(*clsidText).c_str(), &clsid) != S_OK) {
        return REGDB_E_CLASSNOTREG;
    }
    const HMODULE module = LoadLibraryW(std::get<std::wstring>(*dll).c_str());
    if (module == nullptr) {
        return REGDB_E_CLASSNOTREG;
    }
    using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
    const auto get = reinterpret_cast<GetClassObject>(
        reinterpret_cast<void*>(GetProcAddress(module, "DllGetClassObject")));
    IClassFactory* factory = nullptr;
    HRESULT result = get(clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory));
    if (result == S_OK) {
        result = factory->CreateInstance(nullptr, iid, reinterpret_cast<void**>(object));
        factory->Release();
    }
    FreeLibrary(module);  // the test holds the DLL loaded besides
    return result;
}

class Server : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
        module_ = LoadLibraryW(DllPath().c_str());
        ASSERT_NE(module_, nullptr) << "cannot load " << BRINDLE_DLL;
    }
    void TearDown() override {
        if (unregister_) {
            Regsvr32(L"/u /n /i:user");
            Regsvr32(L"/u /n /i:machine");
        }
        if (module_ != nullptr) {
            FreeLibrary(module_);
        }
        CoUninitialize();
    }

    template <class Function>
    Function Export(const char* name) {
        return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module_, name)));
    }
    HRESULT CanUnloadNow() { return Export<HRESULT(STDAPICALLTYPE*)()>("DllCanUnloadNow")(); }

    void ExpectEveryKey(bool allUsers = false) {
        for (const Expected& value : ExpectedValues(allUsers)) {
            SCOPED_TRACE(host::Narrow(value.key + L" " + value.name));
            EXPECT_EQ(ReadValue(value.key, value.name, value.view, value.root), value.data);
        }
    }
    void ExpectNoKeyLeft() {
        for (const HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
            EXPECT_FALSE(KeyExists(kClassKey, kOwnView, root));
            EXPECT_FALSE(KeyExists(kProgIdKey, 0, root));
        }
        for (const bool allUsers : {false, true}) {
            for (const Key& key : AddinKeys(allUsers)) {
                EXPECT_FALSE(KeyExists(key.key, key.view, key.root)) << host::Narrow(key.key);
            }
        }
    }

    HMODULE module_ = nullptr;
    bool unregister_ = true;
};

// Each way of registering writes every key for the IDEs of this bitness, the class is created
// from its ProgID, and unregistering the same way leaves no key: regsvr32 per user (/n /i:user,
// and plain regsvr32, which needs no administrator either), and for all users (an
// administrator's install, which Wine's user is), where the classes and the VB6 IDE's list are
// the machine's, the VBA editors' lists the user's, and nothing of the user's classes.
TEST_F(Server, EachWayOfRegisteringIsUndoneWithoutAKeyLeft) {
    using Install = HRESULT(STDAPICALLTYPE*)(BOOL, LPCWSTR);
    EXPECT_EQ(Export<Install>("DllInstall")(TRUE, L"everyone"), E_INVALIDARG);
    ExpectNoKeyLeft();
    for (const std::wstring way : {L"/n /i:user", L"", L"/n /i:machine"}) {
        SCOPED_TRACE(host::Narrow(way));
        const bool allUsers = way.ends_with(L"machine");
        ASSERT_EQ(Regsvr32(way), 0u);
        ExpectEveryKey(allUsers);
        EXPECT_EQ(KeyExists(kClassKey, kOwnView, HKEY_CURRENT_USER), !allUsers);
        IUnknown* object = nullptr;
        ASSERT_EQ(CreateFromProgId(&object), S_OK);
        object->Release();
        ASSERT_EQ(Regsvr32(L"/u " + way), 0u);
        ExpectNoKeyLeft();
    }
}

// The object answers both add-in interfaces through its vtables and by name, as a late-bound
// caller finds the notifications (DISPIDs 1 to 5), and tells its failures through
// ISupportErrorInfo: an Application that is no VBE is refused in VB's words before anything is
// asked of it. Another class is not available; released, the DLL may be unloaded.
TEST_F(Server, AnswersTheAddinInterfacesByVtableAndByName) {
    ASSERT_EQ(Regsvr32(L"/n /i:user"), 0u);
    IUnknown* object = nullptr;
    const HRESULT created = CreateFromProgId(&object);
    ASSERT_EQ(created, S_OK) << std::hex << static_cast<std::uint32_t>(created);
    IDTExtensibility2* extensibility = nullptr;
    EXPECT_EQ(object->QueryInterface(kIidExtensibility2, reinterpret_cast<void**>(&extensibility)),
              S_OK);
    IDTExtensibility* older = nullptr;
    ASSERT_EQ(object->QueryInterface(kIidExtensibility, reinterpret_cast<void**>(&older)), S_OK);
    ISupportErrorInfo* errors = nullptr;
    ASSERT_EQ(object->QueryInterface(IID_ISupportErrorInfo, reinterpret_cast<void**>(&errors)),
              S_OK);
    EXPECT_EQ(errors->InterfaceSupportsErrorInfo(kIidExtensibility), S_OK);
    EXPECT_EQ(errors->InterfaceSupportsErrorInfo(kIidExtensibility2), S_OK);
    errors->Release();
    IDispatch* dispatch = nullptr;
    EXPECT_EQ(object->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch)), S_OK);
    EXPECT_EQ(CanUnloadNow(), S_FALSE);

    for (IDispatch* named :
         {static_cast<IDispatch*>(extensibility), static_cast<IDispatch*>(older)}) {
        LPOLESTR name = const_cast<LPOLESTR>(L"OnStartupComplete");
        DISPID id = 0;
        EXPECT_EQ(named->GetIDsOfNames(IID_NULL, &name, 1, 0, &id), S_OK);
        EXPECT_EQ(id, DISPID{4});
    }
    host::MemoryVBE vbe;
    test::AutomationIde ide(vbe, test::IdeKind::Vb6);
    IDispatch* notVbe = ide.AddIn();
    EXPECT_EQ(static_cast<std::uint32_t>(extensibility->OnConnection(notVbe, 1, notVbe, nullptr)),
              0x800A01B6u);
    IErrorInfo* info = nullptr;
    ASSERT_EQ(GetErrorInfo(0, &info), S_OK);
    BSTR description = nullptr;
    BSTR source = nullptr;
    info->GetDescription(&description);
    info->GetSource(&source);
    EXPECT_STREQ(description, L"Object doesn't support this property or method");
    EXPECT_STREQ(source, L"VBBrindle.WrapVbe");
    SysFreeString(description);
    SysFreeString(source);
    info->Release();
    EXPECT_EQ(ide.Calls().total, ide.Calls().Of("GetIDsOfNames"));
    // Then, as unconnected, the notifications do nothing; through Invoke a call is checked
    // against its declaration.
    EXPECT_EQ(extensibility->OnStartupComplete(nullptr), S_OK);
    EXPECT_EQ(extensibility->OnDisconnection(1, nullptr), S_OK);
    EXPECT_EQ(extensibility->OnBeginShutdown(nullptr), S_OK);
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    EXPECT_EQ(dispatch->Invoke(4, IID_NULL, 0, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr),
              S_OK);
    EXPECT_EQ(dispatch->Invoke(1, IID_NULL, 0, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr),
              DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(dispatch->Invoke(9, IID_NULL, 0, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr),
              DISP_E_MEMBERNOTFOUND);

    dispatch->Release();
    extensibility->Release();
    older->Release();
    object->Release();
    EXPECT_EQ(CanUnloadNow(), S_OK);

    using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
    void* factory = nullptr;
    EXPECT_EQ(
        Export<GetClassObject>("DllGetClassObject")(IID_IDispatch, IID_IClassFactory, &factory),
        CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(factory, nullptr);
}

// The ProgID is shared by both bitnesses: the one unregistered first leaves it to the other.
TEST_F(Server, UnregisteringLeavesTheOtherBitnessItsRegistration) {
    const std::wstring other = L"C:\\Other\\VBBrindle.dll";
    WriteText(kClassKey + L"\\InprocServer32", other, kOtherView);
    if (ReadValue(kClassKey + L"\\InprocServer32", L"", kOwnView) == Data(other)) {
        DeleteKey(kClassKey, kOtherView);
        GTEST_SKIP() << "this registry keeps no separate 32-bit and 64-bit class keys";
    }
    ASSERT_EQ(Regsvr32(L"/n /i:user"), 0u);
    ExpectEveryKey();
    EXPECT_EQ(ReadValue(kClassKey + L"\\InprocServer32", L"", kOtherView), Data(other));

    ASSERT_EQ(Regsvr32(L"/u /n /i:user"), 0u);
    EXPECT_FALSE(KeyExists(kClassKey, kOwnView));
    EXPECT_TRUE(KeyExists(kProgIdKey, 0));
    EXPECT_EQ(ReadValue(kClassKey + L"\\InprocServer32", L"", kOtherView), Data(other));
    DeleteKey(kClassKey, kOtherView);
    DeleteKey(kProgIdKey, 0);
}

// What Explorer and the IDE's loader read of the file: its version information, and its own
// manifest for common controls 6 (resource 2), which leaves the dots per inch to the process.
TEST_F(Server, TheDllCarriesItsVersionAndManifest) {
    const std::wstring path = DllPath();
    std::vector<BYTE> info(GetFileVersionInfoSizeW(path.c_str(), nullptr));
    ASSERT_FALSE(info.empty());
    ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, static_cast<DWORD>(info.size()), info.data()));
    const auto value = [&](const std::wstring& name) {
        const std::wstring query = L"\\StringFileInfo\\040904B0\\" + name;
        wchar_t* text = nullptr;
        UINT length = 0;
        return VerQueryValueW(info.data(), query.c_str(), reinterpret_cast<void**>(&text), &length)
                   ? std::wstring(text)
                   : std::wstring();
    };
    EXPECT_EQ(value(L"FileDescription"), L"Visual Basic Brindle");
    EXPECT_EQ(value(L"FileVersion"), host::Widen(BRINDLE_VERSION));

    const HRSRC found = FindResourceW(module_, MAKEINTRESOURCEW(2), MAKEINTRESOURCEW(24));
    ASSERT_NE(found, nullptr);
    const auto* bytes = static_cast<const char*>(LockResource(LoadResource(module_, found)));
    const std::string manifest(bytes, SizeofResource(module_, found));
    EXPECT_NE(manifest.find("Microsoft.Windows.Common-Controls"), std::string::npos);
    EXPECT_EQ(manifest.find("dpiAware"), std::string::npos);
}

// --- The add-in over the automation double, button by button ---

using test::AutomationIde;
using test::IdeKind;

// Answers the add-in's modal windows as a user would, from outside the DLL: while it lives, a
// CBT hook of this thread sees each window as it is activated, and on a message box or the
// options dialog posts a press of the button the test asked for, which the window's own modal
// loop handles as it would a click. A help window is read.
class DialogPresser {
public:
    DialogPresser() : hook_(SetWindowsHookExW(WH_CBT, Activated, nullptr, GetCurrentThreadId())) {
        current = this;
    }
    ~DialogPresser() {
        UnhookWindowsHookEx(hook_);
        current = nullptr;
    }

    bool Installed() const { return hook_ != nullptr; }
    // The buttons pressed from now on: IDYES or IDNO in a message box, IDOK or IDCANCEL in the
    // options dialog; what is seen is counted afresh.
    void Press(int messageBoxButton, int optionsButton) {
        boxButton_ = messageBoxButton;
        optionsButton_ = optionsButton;
        seen = {};
    }
    // Runs on each options dialog as it is activated; what it posts comes before the press.
    std::function<void(HWND form)> lookAtOptions;
    struct Seen {
        int boxes = 0;         // message boxes
        int dialogs = 0;       // options dialogs
        HWND owner = nullptr;  // of the last message box
        HWND last = nullptr;
        std::wstring text;       // of the last message box
        std::wstring helpTitle;  // of the last help window
        std::wstring helpText;
    };
    Seen seen;

private:
    static LRESULT CALLBACK Activated(int code, WPARAM wParam, LPARAM lParam) {
        if (code == HCBT_ACTIVATE && current != nullptr) {
            current->Answer(reinterpret_cast<HWND>(wParam));
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }

    void Answer(HWND window) {
        wchar_t name[32] = {};
        GetClassNameW(window, name, 32);
        const std::wstring_view kind = name;
        if (kind == L"BrindleHelp") {
            seen.helpTitle = ui::win32::TextOf(window);
            seen.helpText =
                ui::win32::TextOf(GetDlgItem(window, 101));  // the box of the help's text
            return;
        }
        // Activated again, the press is on its way; or none of the add-in's windows.
        if (window == seen.last || (kind != L"#32770" && kind != L"BrindleOptions")) {
            return;
        }
        int button = optionsButton_;
        if (kind == L"#32770") {
            ++seen.boxes;
            seen.owner = GetWindow(window, GW_OWNER);
            seen.text =
                ui::win32::TextOf(GetDlgItem(window, 0xFFFF));  // the static of the box's text
            // A box that only tells something has its OK alone.
            button = GetDlgItem(window, boxButton_) != nullptr ? boxButton_ : IDOK;
        } else {
            ++seen.dialogs;
            if (lookAtOptions) {
                lookAtOptions(window);
            }
        }
        seen.last = window;
        PostMessageW(window, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(window, button)));
    }

    static inline thread_local DialogPresser* current = nullptr;
    HHOOK hook_;
    int boxButton_ = IDYES;
    int optionsButton_ = IDOK;
};

constexpr LONG kStartup = 1;  // ext_cm_Startup
constexpr LONG kCommandLine = 3;
constexpr LONG kUserClosed = 1;  // ext_dm_UserClosed

// Sets an environment variable of this process, which the DLL shares, until destroyed; empty
// text unsets it.
struct EnvironmentGuard {
    EnvironmentGuard(const wchar_t* variable, const std::wstring& value)
        : name(variable), old(_wgetenv(name) != nullptr ? _wgetenv(name) : L"") {
        _wputenv_s(name, value.c_str());
    }
    ~EnvironmentGuard() { _wputenv_s(name, old.c_str()); }
    const wchar_t* name;
    const std::wstring old;
};

void SelectAll(host::MemoryVBE& ide) {
    CodePane* pane = ide.ActiveCodePane();
    ASSERT_NE(pane, nullptr);
    pane->SetSelection(1, 1, pane->CodeModule().CountOfLines(), 1);
}

// Two modules of the example project with the shipped templates named in the user's settings.
struct Workspace {
    Workspace() {
        const auto examples = test::SourceDir() / "examples";
        const auto templates = test::SourceDir() / "Templates";
        for (const char* name : {"modMain.bas", "CStockItem.cls"}) {
            std::filesystem::copy_file(examples / name, dir.path() / name);
        }
        host::SettingsFile store(settings);
        const std::pair<std::string_view, const char*> files[] = {
            {settings::kModHdrKey, "StandardVBModuleHeader.txt"},
            {settings::kProcHdrKey, "StandardVBProcedureHeader.txt"},
            {settings::kErrHdrKey, "StandardVBErrHeader.txt"},
            {settings::kErrFtrKey, "StandardVBErrFooter.txt"},
        };
        for (const auto& [key, file] : files) {
            store.SaveSetting(settings::kApp, settings::kOptions, key,
                              test::Generic(templates / file));
        }
        store.SaveSetting(settings::kApp, settings::kOptions, settings::kAuthorKey, "Ann");
    }

    // The project in `ide`, modMain's code window open and all of its code selected.
    void Open(host::MemoryVBE& ide) const {
        auto project = std::make_shared<host::MemoryProject>("Inventory");
        host::MemoryComponent& main =
            project->Add(host::LoadModuleFile(dir.path() / "modMain.bas"));
        project->Add(host::LoadModuleFile(dir.path() / "CStockItem.cls"));
        ide.AddProject(project);
        ide.OpenCodeWindow(main.CodeModule().CodePane());
        SelectAll(ide);
    }

    test::TempDir dir;
    std::filesystem::path settings = dir.path() / "settings.ini";
    EnvironmentGuard settingsFile{L"BRINDLE_SETTINGS", host::Widen(test::Generic(settings))};
};

// What a run of the IDE left: each module's file.
using Outcome = std::vector<std::string>;

Outcome OutcomeOf(host::MemoryVBE& ide) {
    Outcome files;
    VBComponents& components = ide.ActiveVBProject()->VBComponents();
    for (std::int32_t i = 1; i <= components.Count(); ++i) {
        files.push_back(dynamic_cast<host::MemoryComponent&>(components.Item(i)).Serialize());
    }
    return files;
}

struct ButtonRow {
    std::string_view caption;
    bool afterAddAll;  // the project's code added first, with the add-all button
    bool changesCode;
    bool asks;        // a message box asks before anything is changed
    int notices = 0;  // message boxes that tell what the command left and why
};

// A button of each way a click goes through the DLL; the commands are the add-in's suites'.
const ButtonRow kButtons[] = {
    {buttons::kAddModHdr, false, true, false},
    {buttons::kRemoveAll, true, true, true},
    {buttons::kOptions, false, false, false},
    {buttons::kAddAllToProj, false, true, true},
};

// The same clicks in our own host: the in-memory IDE with the add-in, the same settings and
// every question answered Yes.
Outcome InOurHost(const Workspace& workspace, const ButtonRow& row, LONG mode) {
    ui::HeadlessWindows windows({.fillOptions = [](frmOptions&) { return DialogButton::OK; },
                                 .answer = ui::FixedAnswer(vbYes)});
    host::SessionOptions options;
    options.saveOptions = false;
    host::AddinSession session(windows, nullptr, options);
    workspace.Open(session.Ide());
    session.Ide().Connect(session.Addin(), static_cast<ext_ConnectMode>(mode));
    session.Ide().CompleteStartup();
    if (row.afterAddAll) {
        EXPECT_TRUE(session.Ide().Click(buttons::kAddAllToProj));
        SelectAll(session.Ide());
    }
    EXPECT_TRUE(session.Ide().Click(row.caption));
    return OutcomeOf(session.Ide());
}

// Our IDE with the workspace's project, the IDE's main window (as the double's
// VBE.MainWindow.HWnd hands it over), and the double of an IDE over it.
struct TestIde {
    TestIde(const Workspace& workspace, IdeKind kind) : automation(vbe, kind) {
        workspace.Open(vbe);
        automation.Set().mainWindow = main.get();
    }
    host::MemoryVBE vbe;
    const std::unique_ptr<std::remove_pointer_t<HWND>, decltype(&DestroyWindow)> main{
        ui::win32::CanMakeWindows()
            ? CreateWindowExW(0, L"STATIC", L"Inventory - IDE", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                              40, 40, 900, 640, nullptr, nullptr, nullptr, nullptr)
            : nullptr,
        &DestroyWindow};
    AutomationIde automation;
};

// The add-in registered once for the suite; each test makes its objects from the ProgID.
class Buttons : public Server, public ::testing::WithParamInterface<std::tuple<IdeKind, LONG>> {
protected:
    static void SetUpTestSuite() { ASSERT_EQ(Regsvr32(L"/n /i:user"), 0u); }
    static void TearDownTestSuite() { Regsvr32(L"/u /n /i:user"); }
    void SetUp() override {
        unregister_ = false;
        Server::SetUp();
        if (!ui::win32::CanMakeWindows()) {
            GTEST_SKIP() << "no screen to make windows on (Wine without a display)";
        }
        ASSERT_TRUE(presser.Installed());
    }

    IdeKind Kind() const { return std::get<0>(GetParam()); }
    LONG Mode() const { return std::get<1>(GetParam()); }

    // A new add-in object from the ProgID, as the IDE makes it.
    IDTExtensibility2* Create() {
        IDTExtensibility2* addin = nullptr;
        EXPECT_EQ(CreateFromProgId(&addin, kIidExtensibility2), S_OK);
        return addin;
    }
    // A new add-in object connected to `ide` in this test's mode.
    IDTExtensibility2* Connect(TestIde& ide) {
        IDTExtensibility2* addin = Create();
        if (addin != nullptr) {
            EXPECT_EQ(
                addin->OnConnection(ide.automation.Vbe(), Mode(), ide.automation.AddIn(), nullptr),
                S_OK);
        }
        return addin;
    }
    static void Disconnect(IDTExtensibility2* addin) {
        EXPECT_EQ(addin->OnDisconnection(kUserClosed, nullptr), S_OK);
        addin->Release();
    }

    // The files before and after the row's click through the DLL, its windows answered with
    // these buttons (the add-all before it answered Yes), the project locked for viewing where
    // asked; the add-in is gone afterwards.
    std::pair<Outcome, Outcome> ClickThroughDll(const ButtonRow& row, const Workspace& workspace,
                                                int answer, int optionsAnswer,
                                                bool locked = false) {
        const auto ide = std::make_unique<TestIde>(workspace, Kind());
        if (locked) {
            ide->automation.Set().locked = {"Inventory"};
            ide->automation.Set().lockPoint = AutomationIde::LockPoint::CountAndItem;
        }
        IDTExtensibility2* addin = Connect(*ide);
        if (addin == nullptr) {
            ADD_FAILURE() << "no add-in object";
            return {};
        }
        EXPECT_EQ(addin->OnStartupComplete(nullptr), S_OK);
        presser.Press(IDYES, IDOK);
        if (row.afterAddAll) {
            EXPECT_TRUE(ide->vbe.Click(buttons::kAddAllToProj));
            SelectAll(ide->vbe);
        }
        const Outcome before = OutcomeOf(ide->vbe);
        presser.Press(answer, optionsAnswer);
        // The click reaches the DLL's sink through the double's connection point, after
        // OnConnection returned.
        EXPECT_TRUE(ide->vbe.Click(row.caption));
        const Outcome through = OutcomeOf(ide->vbe);
        EXPECT_EQ(presser.seen.boxes, (row.asks ? 1 : 0) + row.notices);
        if (row.asks || row.notices > 0) {
            EXPECT_EQ(presser.seen.owner, ide->main.get()) << "the box belongs to the IDE's window";
        }
        EXPECT_EQ(presser.seen.dialogs, row.caption == buttons::kOptions ? 1 : 0);
        Disconnect(addin);
        return {before, through};
    }

    DialogPresser presser;
    // The workspace and IDE of a test that needs one of each.
    const Workspace workspace_;
    const std::unique_ptr<TestIde> ide_ = std::make_unique<TestIde>(workspace_, Kind());
};

// Clicked through the DLL, each button leaves every module as our own host leaves it; answered
// No, or the options dialog cancelled, nothing changes. What a command left undone and why is
// told once its click is over, in one box that the IDE's window owns: a warning about a module,
// or a failure in words, as for a project locked for viewing (the VBA editor's alone).
TEST_P(Buttons, EachDoesThroughTheDllWhatItDoesInOurHost) {
    for (const ButtonRow& row : kButtons) {
        SCOPED_TRACE(std::string(row.caption));
        const Workspace workspace;
        const auto [before, through] = ClickThroughDll(row, workspace, IDYES, IDOK);
        EXPECT_EQ(through != before, row.changesCode);
        if (row.caption == buttons::kAddModHdr) {  // the user's templates and author were read
            EXPECT_NE(through.front().find("' Author:   Ann\r\n"), std::string::npos);
        }
        EXPECT_EQ(through, InOurHost(workspace, row, Mode()));
        if (row.asks || row.caption == buttons::kOptions) {
            const auto [kept, after] = ClickThroughDll(row, workspace, IDNO, IDCANCEL);
            EXPECT_EQ(after, kept) << "answered No";
        }
    }
    for (const bool locked :
         Kind() == IdeKind::Vba ? std::vector{false, true} : std::vector{false}) {
        const Workspace workspace;
        if (!locked) {
            std::ofstream broken(workspace.dir.path() / "modMain.bas",
                                 std::ios::binary | std::ios::app);
            broken << "' [Brindle Begin]\r\n";
        }
        const ButtonRow row{locked ? buttons::kAddAllToProj : buttons::kRemoveCodeMarkersFromProj,
                            false, false, true, 1};
        const auto [before, through] = ClickThroughDll(row, workspace, IDYES, IDOK, locked);
        EXPECT_EQ(through, before);
        if (locked) {
            EXPECT_EQ(presser.seen.text,
                      L"A step of the command was left undone: Can't perform operation since the "
                      L"project is protected (error 50289).\n");
        }
    }
    EXPECT_EQ(CanUnloadNow(), S_OK);
}

// How many controls of the add-in's captions the IDE's bars hold: none where none should be.
int OurControls(host::MemoryVBE& ide) {
    int count = 0;
    for (const std::string_view name : {kCodeWindowBar, kToolsBar, kProjectWindowBar}) {
        CommandBarControls& controls = ide.CommandBars().Item(name)->Controls();
        for (std::int32_t i = 1; i <= controls.Count(); ++i) {
            const std::string caption = controls.Item(i)->Caption();
            for (const CommandInfo& command : kCommands) {
                count += caption == command.caption ? 1 : 0;
            }
        }
    }
    return count;
}

// Disconnected and connected again three times, as the Add-In Manager does it, the add-in
// leaves its buttons once: a click runs one handler, through the IDE of the new connection. In
// the VB6 IDE it is connected last through the IDE's older IDTExtensibility, in its library's
// order: connected, started, clicked and disconnected through it.
TEST_P(Buttons, AReconnectedAddinAnswersEachClickOnce) {
    AutomationIde& automation = ide_->automation;
    IDTExtensibility2* addin = Connect(*ide_);
    ASSERT_NE(addin, nullptr);
    EXPECT_EQ(OurControls(ide_->vbe), static_cast<int>(kCommands.size()));
    EXPECT_EQ(addin->OnDisconnection(kUserClosed, nullptr), S_OK);
    EXPECT_EQ(OurControls(ide_->vbe), 0);
    // Then late-bound, as a script would: through Invoke, arguments last first.
    for (int load = 1; load <= 3; ++load) {
        if (load > 1) {
            EXPECT_EQ(addin->OnDisconnection(kUserClosed, nullptr), S_OK);
        }
        VARIANT arguments[4] = {};  // VT_EMPTY
        arguments[3].vt = VT_DISPATCH;
        arguments[3].pdispVal = automation.Vbe();
        arguments[2].vt = VT_I4;
        arguments[2].lVal = 0;  // ext_cm_AfterStartup
        arguments[1].vt = VT_DISPATCH;
        arguments[1].pdispVal = automation.AddIn();
        DISPPARAMS connection{arguments, nullptr, 4, 0};
        ASSERT_EQ(
            addin->Invoke(1, IID_NULL, 0, DISPATCH_METHOD, &connection, nullptr, nullptr, nullptr),
            S_OK);
    }
    IDTExtensibility* older = nullptr;
    if (Kind() == IdeKind::Vba) {
        // The VBA editor's clicks come through the buttons' own events, never VBE.Events.
        EXPECT_EQ(automation.Calls().Of("CommandBarEvents"), 0);
    } else {
        EXPECT_EQ(addin->OnDisconnection(kUserClosed, nullptr), S_OK);
        ASSERT_EQ(addin->QueryInterface(kIidExtensibility, reinterpret_cast<void**>(&older)), S_OK);
        EXPECT_EQ(older->OnConnection(automation.Vbe(), Mode(), automation.AddIn(), nullptr), S_OK);
        EXPECT_EQ(older->OnStartupComplete(nullptr), S_OK);
        EXPECT_EQ(older->OnAddInsUpdate(nullptr), S_OK);
    }
    // Its buttons are there once: a click runs one handler and does what it does in our host.
    EXPECT_EQ(OurControls(ide_->vbe), static_cast<int>(kCommands.size()));
    automation.ResetCalls();
    ASSERT_TRUE(ide_->vbe.Click(buttons::kAddErrHandlers));
    EXPECT_EQ(automation.Calls().Of("Click"), 1);
    EXPECT_EQ(OutcomeOf(ide_->vbe),
              InOurHost(workspace_, {buttons::kAddErrHandlers, false, true, false}, Mode()));
    if (older != nullptr) {
        EXPECT_EQ(older->OnDisconnection(kUserClosed, nullptr), S_OK);
        EXPECT_EQ(OurControls(ide_->vbe), 0);
        older->Release();
    }
    Disconnect(addin);
    EXPECT_EQ(CanUnloadNow(), S_OK);
}

// A connection that fails half-way, when the IDE refuses a control, is told and undone: the
// add-in asks the IDE to disconnect it, which the IDE does at once, and leaves no button.
TEST_P(Buttons, AConnectionThatFailsHalfWayLeavesNoButton) {
    AutomationIde& automation = ide_->automation;
    automation.FailAt("Add", 6);
    IDTExtensibility2* addin = Create();
    ASSERT_NE(addin, nullptr);
    int disconnections = 0;
    automation.Set().onUpdate = [&](const test::AddinEntry&, bool connect) {
        if (!connect) {
            ++disconnections;
            EXPECT_EQ(addin->OnDisconnection(kUserClosed, nullptr), S_OK);
        }
    };
    presser.Press(IDOK, IDOK);
    addin->OnConnection(automation.Vbe(), Mode(), automation.AddIn(), nullptr);
    EXPECT_EQ(disconnections, 1);
    EXPECT_EQ(automation.Calls().Of("Add"), 6);
    EXPECT_EQ(OurControls(ide_->vbe), 0);
    EXPECT_EQ(presser.seen.boxes, 1) << "the failure is told";
    addin->Release();
    EXPECT_EQ(CanUnloadNow(), S_OK);
}

// HKEY_CURRENT_USER of this process, the DLL's included, is a key of the test's own while this
// lives: the user's own options are not touched.
struct UserKeyOfOurOwn {
    static constexpr const wchar_t* kName = L"Software\\VBBrindle test user";
    UserKeyOfOurOwn() {
        RegCreateKeyExW(HKEY_CURRENT_USER, kName, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr);
        overridden = RegOverridePredefKey(HKEY_CURRENT_USER, key) == ERROR_SUCCESS;
    }
    ~UserKeyOfOurOwn() {
        RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
        RegCloseKey(key);
        RegDeleteTreeW(HKEY_CURRENT_USER, kName);
    }
    HKEY key = nullptr;
    bool overridden = false;
};

// Without a settings file named, the add-in's options are the registry's, where the VB6 IDE's
// add-ins keep theirs.
TEST_P(Buttons, TheOptionsAreInTheRegistry) {
    IDTExtensibility2* addin = Create();  // from the user's classes
    ASSERT_NE(addin, nullptr);
    const UserKeyOfOurOwn user;
    ASSERT_TRUE(user.overridden);
    const EnvironmentGuard noFile(L"BRINDLE_SETTINGS", L"");
    host::SettingsFile registry;
    registry.SaveSetting(settings::kApp, settings::kOptions, settings::kModHdrKey,
                         test::Generic(test::SourceDir() / "Templates/StandardVBModuleHeader.txt"));
    registry.SaveSetting(settings::kApp, settings::kOptions, settings::kAuthorKey, "Bea");
    ASSERT_EQ(ReadValue(L"Software\\VB and VBA Program Settings\\VBBrindle\\Options", L"Author", 0),
              Data(std::wstring(L"Bea")));
    EXPECT_EQ(
        addin->OnConnection(ide_->automation.Vbe(), Mode(), ide_->automation.AddIn(), nullptr),
        S_OK);
    ASSERT_TRUE(ide_->vbe.Click(buttons::kAddModHdr));
    EXPECT_NE(OutcomeOf(ide_->vbe).front().find("' Author:   Bea\r\n"), std::string::npos);
    Disconnect(addin);
}

// The team's files touch neither the mode nor what the IDEs leave unsaid: each IDE once.
class TeamFiles : public Buttons {};

// A team's files beside the project file (the VB6 IDE's project, the VBA editor's document) are
// taken as the command line takes them: its options over the user's (greyed in the options
// dialog, whose F1 shows the options' help); the project commands leave alone the modules its
// .brindleignore leaves out (in the VBA editor, as exported beside the document), or every
// module while it cannot be read, and say why.
TEST_P(TeamFiles, ApplyAsOnTheCommandLine) {
    const auto& dir = workspace_.dir.path();
    test::WriteBytes(dir / "brindle.ini",
                     "[Options]\r\nModule Header Filename=team-header.txt\r\n"
                     "Add Code Markers=True\r\n");
    test::WriteBytes(dir / "team-header.txt", "' Kept by the team\r\n");
    test::WriteBytes(dir / ".brindleignore", "# left to the old team\r\nCStock*.cls\r\n");
    ide_->automation.Set().projectFiles["Inventory"] =
        (dir / (Kind() == IdeKind::Vb6 ? "Inventory.vbp" : "Inventory.xlsm")).u16string();
    IDTExtensibility2* addin = Connect(*ide_);
    ASSERT_NE(addin, nullptr);
    const Outcome before = OutcomeOf(ide_->vbe);
    presser.Press(IDYES, IDCANCEL);
    presser.lookAtOptions = [](HWND form) {
        HWND general = GetDlgItem(form, 1100);
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(general, 1003)));  // Add Code Markers
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(general, 1002)));   // the author stays the user's
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(GetDlgItem(form, 1101), 1011)));
        PostMessageW(form, WM_KEYDOWN, VK_F1, 0);
    };
    EXPECT_TRUE(ide_->vbe.Click(buttons::kOptions));
    EXPECT_EQ(presser.seen.dialogs, 1);
    EXPECT_EQ(presser.seen.helpTitle, L"Visual Basic Brindle Help");
    const std::wstring& help = presser.seen.helpText;
    EXPECT_EQ(help.find(L"The options\r\n"), 0u);
    EXPECT_NE(help.find(L"\r\nTemplate keywords\r\n"), std::wstring::npos);

    EXPECT_TRUE(ide_->vbe.Click(buttons::kAddAllToProj));
    const Outcome after = OutcomeOf(ide_->vbe);
    EXPECT_NE(after.at(0).find("' Kept by the team\r\n"), std::string::npos);
    EXPECT_EQ(after.at(1), before.at(1));
    EXPECT_EQ(presser.seen.boxes, 1) << "the question alone";

    const auto ignore = dir / ".brindleignore";
    test::WriteBytes(ignore, std::string("CStock\0.cls\r\n", 13));  // no text
    // Its time as the system keeps it, in seconds, is another.
    std::filesystem::last_write_time(ignore, std::filesystem::last_write_time(ignore) + 1h);
    presser.Press(IDYES, IDOK);
    EXPECT_TRUE(ide_->vbe.Click(buttons::kRemoveAllFromProj));
    EXPECT_EQ(OutcomeOf(ide_->vbe), after);
    EXPECT_EQ(presser.seen.boxes, 2) << "the question, then why nothing was done";
    EXPECT_NE(presser.seen.text.find(L".brindleignore"), std::wstring::npos) << presser.seen.text;
    EXPECT_NE(presser.seen.text.find(L"leave every module alone"), std::wstring::npos);
    Disconnect(addin);
}

// Each IDE in both modes. What the IDEs leave unsaid (the selection moved by edits and the like)
// is the model's, whose suite tries each way.
std::string InstanceName(const ::testing::TestParamInfo<Buttons::ParamType>& param) {
    return std::string(std::get<0>(param.param) == IdeKind::Vb6 ? "Vb6" : "Vba") +
           (std::get<1>(param.param) == kStartup ? "Startup" : "CommandLine");
}

INSTANTIATE_TEST_SUITE_P(Ides, Buttons,
                         ::testing::Combine(::testing::Values(IdeKind::Vb6, IdeKind::Vba),
                                            ::testing::Values(kStartup, kCommandLine)),
                         InstanceName);
INSTANTIATE_TEST_SUITE_P(Ides, TeamFiles,
                         ::testing::Values(std::tuple(IdeKind::Vb6, kStartup),
                                           std::tuple(IdeKind::Vba, kStartup)),
                         InstanceName);

}  // namespace
}  // namespace brindle
