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

std::wstring ClassKey() {
    return kClasses + L"CLSID\\" + std::wstring(kClsidText);
}

std::wstring ProgIdKey() {
    return kClasses + std::wstring(kProgId);
}

// The add-in's keys in the add-in lists of the IDEs of this bitness.
std::vector<std::wstring> AddinKeys(Bitness bits) {
    const std::wstring progId(kProgId);
    if (bits == Bitness::x86) {
        return {kVb6Addins + progId, kVbaAddins32 + progId};
    }
    return {kVbaAddins64 + progId};
}

LSTATUS Write(const RegistryValue& value) {
    HKEY key = nullptr;
    LSTATUS status = RegCreateKeyExW(HKEY_CURRENT_USER, value.key.c_str(), 0, nullptr, 0,
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
    LSTATUS status = RegOpenKeyExW(HKEY_CURRENT_USER, parent.c_str(), 0,
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
    if (RegOpenKeyExW(HKEY_CURRENT_USER, target.key.c_str(), 0, KEY_READ | target.view, &key) !=
        ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(key);
    return true;
}

HRESULT Uninstall(Bitness bits) {
    LSTATUS first = ERROR_SUCCESS;
    for (const RegistryKey& key : UserRegistrationKeys(bits)) {
        const bool shared = key.view == 0;
        if (shared && Exists({ClassKey(), ViewOf(Other(bits))})) {
            continue;
        }
        const LSTATUS status = DeleteTree(key);
        if (first == ERROR_SUCCESS) {
            first = status;
        }
    }
    return HRESULT_FROM_WIN32(first);
}

}  // namespace

std::vector<RegistryValue> UserRegistration(const std::filesystem::path& dll, Bitness bits) {
    const std::wstring description(kDescription);
    const std::wstring clsid(kClsidText);
    const std::wstring progId(kProgId);
    const REGSAM view = ViewOf(bits);
    std::vector<RegistryValue> values = {
        {ClassKey(), L"", description, view},
        {ClassKey() + L"\\ProgID", L"", progId, view},
        {ClassKey() + L"\\InprocServer32", L"", dll.wstring(), view},
        {ClassKey() + L"\\InprocServer32", L"ThreadingModel", std::wstring(L"Apartment"), view},
        {ProgIdKey(), L"", description, 0},
        {ProgIdKey() + L"\\CLSID", L"", clsid, 0},
    };
    for (const std::wstring& key : AddinKeys(bits)) {
        values.push_back({key, L"FriendlyName", description, 0});
        values.push_back({key, L"Description", description, 0});
        values.push_back({key, L"LoadBehavior", kLoadAtStartup, 0});
        if (key.starts_with(kVb6Addins)) {
            values.push_back({key, L"CommandLineSafe", std::uint32_t{0}, 0});
        }
    }
    return values;
}

std::vector<RegistryKey> UserRegistrationKeys(Bitness bits) {
    std::vector<RegistryKey> keys = {{ClassKey(), ViewOf(bits)}};
    for (const std::wstring& key : AddinKeys(bits)) {
        keys.push_back({key, 0});
    }
    keys.push_back({ProgIdKey(), 0});
    return keys;
}

HRESULT InstallForUser(const std::filesystem::path& dll) {
    for (const RegistryValue& value : UserRegistration(dll, kOwnBitness)) {
        const LSTATUS status = Write(value);
        if (status != ERROR_SUCCESS) {
            Uninstall(kOwnBitness);
            return HRESULT_FROM_WIN32(status);
        }
    }
    return S_OK;
}

HRESULT UninstallForUser() {
    return Uninstall(kOwnBitness);
}

}  // namespace brindle::dll
