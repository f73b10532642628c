// The user's own settings on Windows: in the registry, where the IDE's own settings functions
// keep an add-in's.

#include "host/settings/SettingsBackend.h"
#include "host/settings/windows/Registry.h"

namespace brindle::host {

std::unique_ptr<SettingsBackend> OpenUserSettings() {
    return std::make_unique<RegistrySettings>();
}

}  // namespace brindle::host
