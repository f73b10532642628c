#pragma once
// The per-user install: the class under HKEY_CURRENT_USER\Software\Classes and the add-in in
// the add-in lists of the IDEs of the DLL's own bitness (the VB6 IDE and the 32-bit VBA editor
// for the 32-bit DLL, the 64-bit VBA editor for the 64-bit one). docs/ide-differences.md says
// why the keys are these.

#include <windows.h>

#include <objbase.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <variant>
#include <vector>

namespace brindle::dll {

enum class Bitness { x86, x64 };
inline constexpr Bitness kOwnBitness = sizeof(void*) == 8 ? Bitness::x64 : Bitness::x86;

// One value under HKEY_CURRENT_USER. `view` is the registry view it is written in
// (KEY_WOW64_32KEY or KEY_WOW64_64KEY), 0 for a key both views share.
struct RegistryValue {
    std::wstring key;
    std::wstring name;  // empty: the key's default value
    std::variant<std::wstring, std::uint32_t> data;
    REGSAM view = 0;
};

// A key the install makes, which the uninstall deletes with everything under it.
struct RegistryKey {
    std::wstring key;
    REGSAM view = 0;
};

// What the install writes for the DLL `dll` of `bits`.
std::vector<RegistryValue> UserRegistration(const std::filesystem::path& dll, Bitness bits);
// The keys it makes, the shared ProgID key last.
std::vector<RegistryKey> UserRegistrationKeys(Bitness bits);

// Writes UserRegistration for this DLL; what it wrote is taken back when a write fails.
HRESULT InstallForUser(const std::filesystem::path& dll);
// Deletes the keys this bitness made. The ProgID key, which both bitnesses share, goes only
// when the other bitness has no registration of the class left.
HRESULT UninstallForUser();

}  // namespace brindle::dll
