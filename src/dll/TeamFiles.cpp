#include "dll/TeamFiles.h"

#include <windows.h>

#include <system_error>
#include <utility>

#include "host/files/FileSystem.h"
#include "host/files/ProjectLoader.h"
#include "host/files/TeamText.h"
#include "host/settings/TeamSettings.h"

namespace brindle::dll {
namespace fs = std::filesystem;

namespace {

// The file a VBA component is exported to, which a team keeps beside the document.
std::string_view ExportedExtension(vbext_ComponentType type) {
    switch (type) {
        case vbext_ct_StdModule:
            return ".bas";
        case vbext_ct_ClassModule:
        case vbext_ct_Document:
            return ".cls";
        case vbext_ct_MSForm:
            return ".frm";
        default:
            return {};
    }
}

}  // namespace

TeamFiles::TeamFiles(host::HostedAddin& addin, std::function<void(std::string_view text)> tell)
    : addin_(addin), tell_(std::move(tell)), codePage_(host::com::SystemCodePage()) {}

TeamFiles::Stamped TeamFiles::StampOf(const std::optional<fs::path>& file) {
    Stamped stamped;
    if (file) {
        std::error_code error;
        stamped.file = *file;
        const auto written = fs::last_write_time(*file, error);
        stamped.written = error ? std::nullopt : std::optional(written);
    }
    return stamped;
}

void TeamFiles::Follow(host::com::ComVbe& vbe) noexcept {
    vbe_ = &vbe;
    problemTold_ = false;
    try {
        VBProject* project = vbe.ActiveVBProject();
        const std::string file = project != nullptr ? vbe.FileOf(*project) : std::string();
        project_ = file.empty() ? fs::path() : fs::absolute(host::PathOf(file)).lexically_normal();
        document_ = vbe.WhichEditor() == host::com::Editor::Vba;
        const auto teamFile =
            project_.empty() ? std::nullopt : host::FindTeamSettings(project_.parent_path());
        const Stamped team = StampOf(teamFile);
        addin_.UseTeam(teamFile, team != team_, codePage_, tell_);
        team_ = team;
        TakeIgnoreFile(project_);
    } catch (...) {
        // The IDE would not say: the settings and files of the call before stay.
    }
}

void TeamFiles::TakeIgnoreFile(const fs::path& projectFile) {
    if (projectFile.empty()) {
        ignoreFile_ = {};
        ignore_.reset();
        ignoreProblem_.clear();
        return;
    }
    const auto found = host::NearestFile(projectFile.parent_path(), host::kIgnoreFileName);
    const Stamped stamped = StampOf(found);
    if (stamped == ignoreFile_) {
        return;
    }
    ignoreFile_ = stamped;
    ignore_.reset();
    ignoreProblem_.clear();
    try {
        ignore_ = host::IgnoreFile::Nearest(projectFile, codePage_);
        for (const std::string& warning :
             ignore_ ? ignore_->Warnings() : std::vector<std::string>{}) {
            tell_(warning);
        }
    } catch (const host::LoadError& e) {
        ignoreProblem_ = std::string(e.what()) +
                         "; the project commands leave every module alone until it is fixed";
    }
}

std::string TeamFiles::FileOf(VBComponent& component) {
    if (!document_) {
        return vbe_->FileOf(component);
    }
    const std::string_view extension = ExportedExtension(component.Type());
    if (extension.empty()) {
        return {};
    }
    const std::wstring name = host::com::Widen(component.Name(), codePage_);
    return host::TextOf(project_.parent_path()) + "/" + host::com::Narrow(name, CP_UTF8) +
           std::string(extension);
}

bool TeamFiles::LeftOut(VBComponent& component) {
    if (!ignoreProblem_.empty()) {
        if (!std::exchange(problemTold_, true)) {
            tell_(ignoreProblem_);
        }
        return true;
    }
    if (!ignore_ || vbe_ == nullptr) {
        return false;
    }
    const std::string file = FileOf(component);
    return !file.empty() && ignore_->Why(fs::absolute(host::PathOf(file))).has_value();
}

}  // namespace brindle::dll
