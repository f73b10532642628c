#pragma once
// The install for the current user (the default) or for all users. Per user: the class under
// HKEY_CURRENT_USER\Software\Classes and the add-in in the add-in lists of the IDEs of the DLL's
// own bitness (the VB6 IDE and the 32-bit VBA editor for the 32-bit DLL, the 64-bit VBA editor
// for the 64-bit one). For all users, which an IDE run as administrator needs (an elevated
// process ignores the user's classes): the class under HKEY_LOCAL_MACHINE\Software\Classes and
// the VB6 IDE's list there too; the VBA editors read their lists from the user's keys alone, so
// theirs stay the installing user's. docs/ide-differences.md says why the keys are these.

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

enum class Scope { user, machine };

// One value under `root`. `view` is the registry view it is written in (KEY_WOW64_32KEY or
// KEY_WOW64_64KEY), 0 for a key both views share.
struct RegistryValue {
    HKEY root;
    std::wstring key;
    std::wstring name;  // empty: the key's default value
    std::variant<std::wstring, std::uint32_t> data;
    REGSAM view = 0;
};

// A key the install makes, which the uninstall deletes with everything under it.
struct RegistryKey {
    HKEY root;
    std::wstring key;
    REGSAM view = 0;
};

// What the install writes for the DLL `dll` of `bits`.
std::vector<RegistryValue> Registration(const std::filesystem::path& dll, Bitness bits,
                                        Scope scope);
// The keys it makes, the shared ProgID key last.
std::vector<RegistryKey> RegistrationKeys(Bitness bits, Scope scope);

// Writes Registration for this DLL; what it wrote is taken back when a write fails. For all
// users without the rights to write there it writes nothing and returns E_ACCESSDENIED.
HRESULT Install(const std::filesystem::path& dll, Scope scope);
// Deletes the keys this bitness made. The ProgID key, which both bitnesses share, goes only
// when the other bitness has no registration of the class left.
HRESULT Uninstall(Scope scope);

}  // namespace brindle::dll
