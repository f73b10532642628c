#pragma once
// The settings stores of this platform, for tests that each of them must pass: "ini file"
// everywhere, "registry" (under a key of the tests' own) on Windows.

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "host/settings/SettingsBackend.h"

namespace brindle::test {

std::vector<std::string> StoreKinds();

// The store of that kind; an INI file is kept in `folder`.
std::unique_ptr<host::SettingsBackend> OpenStore(const std::string& kind,
                                                 const std::filesystem::path& folder);

// Empties every store that outlives a test's folder.
void ClearStores();

}  // namespace brindle::test
