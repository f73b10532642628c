// The registry store, under a key of the tests' own: what one run saves the next reads as it
// was, in UTF-8, and each application's settings are its own.

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "host/settings/SettingsFile.h"
#include "host/settings/windows/Registry.h"

namespace brindle::host {
namespace {

constexpr const wchar_t* kRoot = L"Software\\Brindle Tests";

TEST(RegistrySettings, WhatIsSavedIsReadBackAsItWas) {
    RegDeleteTreeW(HKEY_CURRENT_USER, kRoot);
    const std::string author = "Zo\xC3\xAB \"Q\" O'Brien; #1 = @dev \xE6\x97\xA5\xE6\x9C\xAC";
    {
        SettingsFile store(std::make_unique<RegistrySettings>(kRoot));
        EXPECT_EQ(store.GetSetting("VBBrindle", "Options", "Author", "<absent>"), "<absent>");
        store.SaveSetting("VBBrindle", "Options", "Author", author);
        store.SaveSetting("VBBrindle", "State", "Last Directory", "  spaced  ");
        store.SaveSetting("Other App", "Options", "Author", "Other");
    }
    SettingsFile fresh(std::make_unique<RegistrySettings>(kRoot));
    EXPECT_EQ(fresh.GetSetting("VBBrindle", "Options", "Author", ""), author);
    EXPECT_EQ(fresh.GetSetting("VBBrindle", "State", "Last Directory", ""), "  spaced  ");
    EXPECT_EQ(fresh.GetSetting("Other App", "Options", "Author", ""), "Other");
    EXPECT_EQ(fresh.GetSetting("VBBrindle", "State", "Author", "<absent>"), "<absent>");
    RegDeleteTreeW(HKEY_CURRENT_USER, kRoot);
    RegDeleteKeyW(HKEY_CURRENT_USER, kRoot);
}

}  // namespace
}  // namespace brindle::host
