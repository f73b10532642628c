#include "support/Stores.h"

namespace brindle::test {

std::vector<std::string> StoreKinds() {
    return {"ini file"};
}

std::unique_ptr<host::SettingsBackend> OpenStore(const std::string&,
                                                 const std::filesystem::path& folder) {
    return host::OpenSettingsFile(folder / "settings.ini");
}

void ClearStores() {}

}  // namespace brindle::test
