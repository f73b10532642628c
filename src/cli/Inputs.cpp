#include "cli/Inputs.h"

#include "cli/RunLog.h"
#include "host/files/IgnoreFile.h"
#include "host/files/TeamSettings.h"
#include "host/vb6/CodePage.h"

namespace fs = std::filesystem;

namespace brindle::cli {

std::optional<fs::path> TeamSettingsFor(const std::vector<std::string>& files) {
    if (files.empty()) {
        return std::nullopt;
    }
    std::error_code error;
    return host::FindTeamSettings(fs::absolute(files.front(), error).parent_path());
}

void NoteIgnored(int ignored, RunLog& log) {
    if (ignored > 0) {
        log.Note(std::to_string(ignored) + (ignored == 1 ? " module" : " modules") +
                 " left out by " + std::string(host::kIgnoreFileName));
    }
}

void CheckCodePage(int codePage) {
    if (!host::IsModuleCodePage(codePage)) {
        throw InputError("code page " + std::to_string(codePage) + " is not one Brindle knows");
    }
}

Inputs LoadModules(const std::vector<std::string>& files, int codePage) {
    try {
        return host::LoadModules({files.begin(), files.end()}, codePage);
    } catch (const host::LoadError& e) {
        throw InputError(e.what());
    }
}

Inputs LoadProjects(const std::string& file, int codePage) {
    try {
        return host::LoadProjects(file, codePage);
    } catch (const host::LoadError& e) {
        throw InputError(e.what());
    }
}

}  // namespace brindle::cli
