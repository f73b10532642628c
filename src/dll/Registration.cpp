#include "dll/Registration.h"

#include "dll/Names.h"

namespace brindle::dll {
namespace {

const std::wstring kClasses = L"Software\\Classes\\";
const std::wstring kVb6Addins = L"Software\\Microsoft\\Visual Basic\\6.0\\Addins\\";
const std::wstring kVbaAddins32 = L"Software\\Microsoft\\VBA\\VBE\\6.0\\Addins\\";
const std::wstring kVbaAddins64 = L"Software\\Microsoft\\VBA\\VBE\\6.0\\Addins64\\";

// Start-up and connected, as the VBA editor's own add-in manager writes it.
constexpr std::uint32_t kLoadAtStartup = 3;

REGSAM ViewOf(Bitness bits) {
    return bits == Bitness::x64 ? KEY_WOW64_64KEY : KEY_WOW64_32KEY;
}

Bitness Other(Bitness bits) {
    return bits == Bitness::x64 ? Bitness::x86 : Bitness::x64;
}

HKEY RootOf(Scope scope) {
    return scope == Scope::machine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

std::wstring ClassKey() {
    return kClasses + L"CLSID\\" + std::wstring(kClsidText);
}

std::wstring ProgIdKey() {
    return kClasses + std::wstring(kProgId);
}

// The add-in's keys in the add-in lists of the IDEs of this bitness. The VB6 IDE reads its
// list for all users from the machine's 32-bit view, as a 32-bit program; the VBA editors read
// theirs from the user's keys alone, whatever the scope.
std::vector<RegistryKey> AddinKeys(Bitness bits, Scope scope) {
    const std::wstring progId(kProgId);
    if (bits == Bitness::x64) {
        return {{HKEY_CURRENT_USER, kVbaAddins64 + progId, 0}};
    }
    const RegistryKey vb6 =
        scope == Scope::machine
            ? RegistryKey{HKEY_LOCAL_MACHINE, kVb6Addins + progId, KEY_WOW64_32KEY}
            : RegistryKey{HKEY_CURRENT_USER, kVb6Addins + progId, 0};
    return {vb6, {HKEY_CURRENT_USER, kVbaAddins32 + progId, 0}};
}

LSTATUS Write(const RegistryValue& value) {
    HKEY key = nullptr;
    LSTATUS status = RegCreateKeyExW(value.root, value.key.c_str(), 0, nullptr, 0,
                                     KEY_SET_VALUE | value.view, nullptr, &key, nullptr);
    if (status != ERROR_SUCCESS) {
        return status;
    }
    const wchar_t* name = value.name.empty() ? nullptr : value.name.c_str();
    if (const auto* text = std::get_if<std::wstring>(&value.data)) {
        status = RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text->c_str()),
                                static_cast<DWORD>((text->size() + 1) * sizeof(wchar_t)));
    } else {
        const DWORD number = std::get<std::uint32_t>(value.data);
        status = RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                                sizeof number);
    }
    RegCloseKey(key);
    return status;
}

// Deletes the key and everything under it; a key that is not there is no failure.
LSTATUS DeleteTree(const RegistryKey& target) {
    const auto split = target.key.rfind(L'\\');
    const std::wstring parent = target.key.substr(0, split);
    const std::wstring leaf = target.key.substr(split + 1);
    HKEY key = nullptr;
    LSTATUS status = RegOpenKeyExW(target.root, parent.c_str(), 0,
                                   KEY_READ | KEY_WRITE | DELETE | target.view, &key);
    if (status == ERROR_FILE_NOT_FOUND) {
        return ERROR_SUCCESS;
    }
    if (status != ERROR_SUCCESS) {
        return status;
    }
    status = RegDeleteTreeW(key, leaf.c_str());
    RegCloseKey(key);
    return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : status;
}

bool Exists(const RegistryKey& target) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(target.root, target.key.c_str(), 0, KEY_READ | target.view, &key) !=
        ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(key);
    return true;
}

// Whether this process may write the machine's classes: an administrator's, elevated. Asked
// before anything is written, so that a refused install leaves nothing half done.
bool MayWriteMachine() {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Classes", 0, KEY_CREATE_SUB_KEY, &key) !=
        ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(key);
    return true;
}

// The ProgID key, written by each bitness without naming a view, is deleted from both views:
// where Windows keeps it apart for 32-bit programs, each bitness wrote its own copy.
LSTATUS DeleteProgId(HKEY root) {
    const LSTATUS status = DeleteTree({root, ProgIdKey(), KEY_WOW64_32KEY});
    const LSTATUS other = DeleteTree({root, ProgIdKey(), KEY_WOW64_64KEY});
    return status != ERROR_SUCCESS ? status : other;
}

HRESULT UninstallBitness(Bitness bits, Scope scope) {
    LSTATUS first = ERROR_SUCCESS;
    for (const RegistryKey& key : RegistrationKeys(bits, scope)) {
        LSTATUS status = ERROR_SUCCESS;
        if (key.key != ProgIdKey()) {
            status = DeleteTree(key);
        } else if (!Exists({key.root, ClassKey(), ViewOf(Other(bits))})) {
            status = DeleteProgId(key.root);
        }
        if (first == ERROR_SUCCESS) {
            first = status;
        }
    }
    return HRESULT_FROM_WIN32(first);
}

}  // namespace

std::vector<RegistryValue> Registration(const std::filesystem::path& dll, Bitness bits,
                                        Scope scope) {
    const HKEY root = RootOf(scope);
    const std::wstring description(kDescription);
    const std::wstring clsid(kClsidText);
    const std::wstring progId(kProgId);
    const REGSAM view = ViewOf(bits);
    std::vector<RegistryValue> values = {
        {root, ClassKey(), L"", description, view},
        {root, ClassKey() + L"\\ProgID", L"", progId, view},
        {root, ClassKey() + L"\\InprocServer32", L"", dll.wstring(), view},
        {root, ClassKey() + L"\\InprocServer32", L"ThreadingModel", std::wstring(L"Apartment"),
         view},
        {root, ProgIdKey(), L"", description, 0},
        {root, ProgIdKey() + L"\\CLSID", L"", clsid, 0},
    };
    for (const RegistryKey& key : AddinKeys(bits, scope)) {
        values.push_back({key.root, key.key, L"FriendlyName", description, key.view});
        values.push_back({key.root, key.key, L"Description", description, key.view});
        values.push_back({key.root, key.key, L"LoadBehavior", kLoadAtStartup, key.view});
        if (key.key.starts_with(kVb6Addins)) {
            values.push_back({key.root, key.key, L"CommandLineSafe", std::uint32_t{0}, key.view});
        }
    }
    return values;
}

std::vector<RegistryKey> RegistrationKeys(Bitness bits, Scope scope) {
    const HKEY root = RootOf(scope);
    std::vector<RegistryKey> keys = {{root, ClassKey(), ViewOf(bits)}};
    for (const RegistryKey& key : AddinKeys(bits, scope)) {
        keys.push_back(key);
    }
    keys.push_back({root, ProgIdKey(), 0});
    return keys;
}

HRESULT Install(const std::filesystem::path& dll, Scope scope) {
    if (scope == Scope::machine && !MayWriteMachine()) {
        return E_ACCESSDENIED;
    }
    for (const RegistryValue& value : Registration(dll, kOwnBitness, scope)) {
        const LSTATUS status = Write(value);
        if (status != ERROR_SUCCESS) {
            UninstallBitness(kOwnBitness, scope);
            return HRESULT_FROM_WIN32(status);
        }
    }
    return S_OK;
}

HRESULT Uninstall(Scope scope) {
    if (scope == Scope::machine && !MayWriteMachine()) {
        return E_ACCESSDENIED;
    }
    return UninstallBitness(kOwnBitness, scope);
}

}  // namespace brindle::dll
