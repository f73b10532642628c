// The settings in an INI file of QSettings' format, on every platform: the file that
// BRINDLE_SETTINGS names, and on Linux the user's own.

#include <system_error>

#include "host/files/FileSystem.h"
#include "host/files/ModuleFile.h"
#include "host/settings/IniFile.h"
#include "host/settings/SettingsBackend.h"
#include "model/SettingsKeys.h"
#include "model/VbError.h"

namespace fs = std::filesystem;

namespace brindle::host {
namespace {

// Sections of another application than "VBBrindle" are kept under a section of its name, the
// key behind the section's name, as QSettings keeps them.
std::pair<std::string, std::string> IniPath(std::string_view appName, std::string_view section,
                                            std::string_view key) {
    if (appName == settings::kApp) {
        return {std::string(section), std::string(key)};
    }
    return {std::string(appName), std::string(section) + "/" + std::string(key)};
}

// A new file gets the line breaks that QSettings writes on this platform.
#ifdef _WIN32
constexpr std::string_view kLineBreak = "\r\n";
#else
constexpr std::string_view kLineBreak = "\n";
#endif

class IniSettings : public SettingsBackend {
public:
    explicit IniSettings(fs::path file) : file_(std::move(file)) {}

    std::optional<std::string> Read(std::string_view appName, std::string_view section,
                                    std::string_view key) override {
        const auto [group, name] = IniPath(appName, section, key);
        const auto text = Load();
        return text ? IniFile(*text, IniForm::QSettings, kLineBreak).Value(group, name)
                    : std::nullopt;
    }

    // The file is written through its link, and its folder made when there is none, as
    // QSettings does. A file that exists but cannot be read is not written over.
    void Write(std::string_view appName, std::string_view section, std::string_view key,
               std::string_view text) override {
        const auto [group, name] = IniPath(appName, section, key);
        const auto stored = Load();
        if (!stored) {
            Raise(Err::PathFileAccess, std::string(settings::kApp));
        }
        IniFile ini(*stored, IniForm::QSettings, kLineBreak);
        if (!ini.SetValue(group, name, text)) {
            Raise(Err::PathFileAccess, std::string(settings::kApp));
        }
        std::error_code error;
        const bool link = fs::is_symlink(fs::symlink_status(file_, error));
        error.clear();  // no file yet
        const fs::path target = link ? fs::canonical(file_, error) : file_;
        if (!error && target.has_parent_path()) {
            fs::create_directories(target.parent_path(), error);
        }
        if (error) {
            Raise(Err::PathFileAccess, std::string(settings::kApp));
        }
        try {
            ReplaceFileContents(target, ini.Text(), target);
            SyncFolder(target.parent_path());
        } catch (const ModuleFileError&) {
            Raise(Err::PathFileAccess, std::string(settings::kApp));
        }
    }

    std::string Location() const override {
        std::error_code error;
        return TextOf(fs::absolute(file_, error).lexically_normal());
    }
    bool IsFile() const override { return true; }

private:
    // The file's text; empty when there is no file, nothing when it cannot be read.
    std::optional<std::string> Load() const {
        std::error_code error;
        if (!fs::exists(file_, error) && !error) {
            return std::string();
        }
        try {
            return ReadFileBytes(file_);
        } catch (const FileError&) {
            return std::nullopt;
        }
    }

    fs::path file_;
};

}  // namespace

std::unique_ptr<SettingsBackend> OpenSettingsFile(const fs::path& file) {
    return std::make_unique<IniSettings>(file);
}

}  // namespace brindle::host
