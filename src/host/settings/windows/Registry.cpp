#include "host/settings/windows/Registry.h"

#include <windows.h>

#include <cstring>

#include "host/vb6/windows/Wide.h"
#include "model/SettingsKeys.h"
#include "model/VbError.h"

namespace brindle::host {
namespace {

// An open registry key, closed with the object.
class Key {
public:
    Key() = default;
    ~Key() {
        if (handle_ != nullptr) {
            RegCloseKey(handle_);
        }
    }
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;
    HKEY* Out() { return &handle_; }
    HKEY Get() const { return handle_; }

private:
    HKEY handle_ = nullptr;
};

}  // namespace

RegistrySettings::RegistrySettings(std::wstring root) : root_(std::move(root)) {}

std::wstring RegistrySettings::SubKey(std::string_view appName, std::string_view section) const {
    return root_ + L"\\" + Widen(appName) + L"\\" + Widen(section);
}

std::optional<std::string> RegistrySettings::Read(std::string_view appName,
                                                  std::string_view section, std::string_view key) {
    Key opened;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, SubKey(appName, section).c_str(), 0, KEY_QUERY_VALUE,
                      opened.Out()) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    const std::wstring name = Widen(key);
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExW(opened.Get(), name.c_str(), nullptr, &type, nullptr, &size) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    std::wstring data(size / sizeof(wchar_t) + 1, L'\0');
    size = static_cast<DWORD>(data.size() * sizeof(wchar_t));
    if (RegQueryValueExW(opened.Get(), name.c_str(), nullptr, &type,
                         reinterpret_cast<BYTE*>(data.data()), &size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    if (type == REG_DWORD) {
        DWORD number = 0;
        std::memcpy(&number, data.data(), sizeof number);
        return std::to_string(number);
    }
    if (type != REG_SZ && type != REG_EXPAND_SZ) {
        return std::nullopt;
    }
    data.resize(size / sizeof(wchar_t));
    while (!data.empty() && data.back() == L'\0') {
        data.pop_back();
    }
    return Narrow(data);
}

void RegistrySettings::Write(std::string_view appName, std::string_view section,
                             std::string_view key, std::string_view text) {
    Key created;
    const std::wstring value = Widen(text);
    const bool written =
        RegCreateKeyExW(HKEY_CURRENT_USER, SubKey(appName, section).c_str(), 0, nullptr, 0,
                        KEY_SET_VALUE, nullptr, created.Out(), nullptr) == ERROR_SUCCESS &&
        RegSetValueExW(created.Get(), Widen(key).c_str(), 0, REG_SZ,
                       reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
    if (!written) {
        Raise(Err::PathFileAccess, std::string(settings::kApp));
    }
}

std::string RegistrySettings::Location() const {
    return "HKEY_CURRENT_USER\\" + Narrow(root_) + "\\" + std::string(settings::kApp);
}

}  // namespace brindle::host
