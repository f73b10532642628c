#include <windows.h>

#include "host/settings/windows/Registry.h"
#include "support/Stores.h"

namespace brindle::test {
namespace {

constexpr const wchar_t* kTestRoot = L"Software\\Brindle Tests";

}  // namespace

std::vector<std::string> StoreKinds() {
    return {"ini file", "registry"};
}

std::unique_ptr<host::SettingsBackend> OpenStore(const std::string& kind,
                                                 const std::filesystem::path& folder) {
    if (kind == "registry") {
        return std::make_unique<host::RegistrySettings>(kTestRoot);
    }
    return host::OpenSettingsFile(folder / "settings.ini");
}

void ClearStores() {
    RegDeleteTreeW(HKEY_CURRENT_USER, kTestRoot);
    RegDeleteKeyW(HKEY_CURRENT_USER, kTestRoot);
}

}  // namespace brindle::test
