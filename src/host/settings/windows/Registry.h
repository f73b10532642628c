#pragma once
// The settings in the current user's registry, where the IDE's own settings functions keep an
// add-in's: HKEY_CURRENT_USER\Software\VB and VBA Program Settings\<application>\<section>, one
// string value a key, so that every tool that reads them the same way sees the same settings.

#include <string>

#include "host/settings/SettingsBackend.h"

namespace brindle::host {

class RegistrySettings : public SettingsBackend {
public:
    // `root` below HKEY_CURRENT_USER; tests give one of their own.
    explicit RegistrySettings(std::wstring root = L"Software\\VB and VBA Program Settings");

    // A string value as it is; a number (REG_DWORD) as its decimal text.
    std::optional<std::string> Read(std::string_view appName, std::string_view section,
                                    std::string_view key) override;
    // Creates the keys where needed and stores a string value (REG_SZ).
    void Write(std::string_view appName, std::string_view section, std::string_view key,
               std::string_view text) override;
    // "HKEY_CURRENT_USER\<root>\VBBrindle".
    std::string Location() const override;
    bool IsFile() const override { return false; }

private:
    std::wstring SubKey(std::string_view appName, std::string_view section) const;

    std::wstring root_;
};

}  // namespace brindle::host
