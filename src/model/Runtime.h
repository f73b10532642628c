#pragma once
// What the host language's run time offers the add-in: the per-user settings store and
// sequential reading of the template files. Implemented outside the core.

#include <optional>
#include <string>
#include <string_view>

namespace brindle {

// Texts are UTF-8.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    // The stored text, or `fallback` when no such key exists.
    virtual std::string GetSetting(std::string_view appName, std::string_view section,
                                   std::string_view key, std::string_view fallback) = 0;
    virtual void SaveSetting(std::string_view appName, std::string_view section,
                             std::string_view key, std::string_view value) = 0;
};

class TemplateFiles {
public:
    virtual ~TemplateFiles() = default;
    // The file's text in UTF-8; nothing when it cannot be opened or read (missing, empty path,
    // a folder, no permission). The path is used as stored: backslashes separate folders.
    virtual std::optional<std::string> Read(std::string_view path) = 0;
    // Why the last Read of `path` gave nothing though the file was read: it is no text in an
    // encoding the host knows ("holds NUL bytes"). Empty when it gave text, or the file is
    // missing or unreadable.
    virtual std::string WhyRefused(std::string_view /*path*/) { return {}; }
};

}  // namespace brindle
