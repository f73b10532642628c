#include "lsp/Workspace.h"

#include <algorithm>
#include <system_error>
#include <utility>

#include "host/files/FileSystem.h"
#include "host/files/ModuleFile.h"
#include "host/files/ProjectLoader.h"
#include "host/settings/SettingsFile.h"
#include "host/settings/TeamSettings.h"
#include "host/vb6/CodePage.h"
#include "lsp/TextEdits.h"
#include "util/Text.h"

namespace fs = std::filesystem;

namespace brindle::lsp {
namespace {

constexpr int kFallbackCodePage = 1252;

int CodePageFor(const std::optional<fs::path>& team, const ServerSettings& settings) {
    if (settings.codePage) {
        return *settings.codePage;
    }
    if (team) {
        try {
            if (const auto codePage = host::ReadTeamSettings(*team, kFallbackCodePage).codePage) {
                return *codePage;
            }
        } catch (const host::TeamSettingsError& e) {
            throw PlaceError(e.what());
        }
    }
    host::SettingsFile user;
    try {
        return host::StoredDefaultCodePage(user);
    } catch (const host::UnknownCodePage& e) {
        throw PlaceError("the settings hold \"" + e.Text() +
                         "\" as the default code page, which is not one Brindle knows");
    }
}

// The project files of a folder, by name.
std::vector<fs::path> ProjectFilesIn(const fs::path& folder) {
    std::vector<fs::path> found;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        if (EqualsNoCase(host::TextOf(it->path().extension()), ".vbp") &&
            it->is_regular_file(error)) {
            found.push_back(it->path());
        }
    }
    std::sort(found.begin(), found.end());
    return found;
}

// The project of the plan that names the module, and the pattern that leaves it out when one
// does.
std::optional<std::pair<std::string, std::string>> Names(const host::ProjectPlan& plan,
                                                         const fs::path& file) {
    const std::string identity = host::FileIdentity(file);
    for (const auto& project : plan.projects) {
        for (const auto& module : project.modules) {
            if (host::FileIdentity(module.path) == identity) {
                return std::pair{project.name, std::string()};
            }
        }
        for (const auto& ignored : project.ignored) {
            if (host::FileIdentity(ignored.file) == identity) {
                return std::pair{project.name, ignored.pattern};
            }
        }
    }
    return std::nullopt;
}

}  // namespace

Place PlaceOf(const fs::path& file, const ServerSettings& settings) {
    Place place;
    std::error_code error;
    place.file = fs::absolute(file, error);
    const fs::path folder = place.file.parent_path();
    place.team = host::FindTeamSettings(folder);
    place.codePage = CodePageFor(place.team, settings);
    if (!host::IsModuleCodePage(place.codePage)) {
        throw PlaceError("code page " + std::to_string(place.codePage) +
                         " is not one Brindle knows");
    }
    for (fs::path at = folder; !at.empty(); at = at.parent_path()) {
        for (const auto& project : ProjectFilesIn(at)) {
            try {
                const auto plan = host::PlanProjects(project, place.codePage);
                if (const auto named = Names(plan, place.file)) {
                    place.project = project;
                    place.projectName = named->first;
                    place.ignoredBy = named->second;
                    return place;
                }
            } catch (const std::exception&) {
                // A project that cannot be read holds no module for us.
            }
        }
        if (at == at.parent_path()) {
            break;
        }
    }
    // In no project, the module is left out as the command line leaves out one named alone.
    std::vector<fs::path> files{place.file};
    std::vector<std::string> warnings;
    try {
        const auto ignored = host::LeaveOutIgnored(files, place.codePage, warnings);
        place.ignoredBy = ignored.empty() ? std::string() : ignored.front().pattern;
    } catch (const host::LoadError&) {
        // As for a project whose .brindleignore cannot be read.
    }
    return place;
}

std::string ToCodePage(std::string_view utf8, int codePage) {
    // Each character the code page lacks becomes a "?" of its own: the same count of them in
    // both texts means none was lacking, without a second pass of the conversion.
    std::string bytes = host::FromUtf8(utf8, codePage);
    if (std::count(bytes.begin(), bytes.end(), '?') == std::count(utf8.begin(), utf8.end(), '?')) {
        return bytes;
    }
    const auto lines = SplitKeepingBreaks(utf8);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string lacks = host::MissingFrom(lines[i], codePage);
        if (!lacks.empty()) {
            throw TextError(i, "code page " + std::to_string(codePage) + " has no " + lacks +
                                   "; Brindle leaves the module alone until the line holds "
                                   "only what the code page can");
        }
    }
    throw TextError(0, "code page " + std::to_string(codePage) + " cannot hold the text");
}

void Collected::Report(const VbError& failure) {
    failures.push_back(failure.Description());
}

void Collected::Warn(std::string_view module, std::string_view text) {
    warnings.push_back(module.empty() ? std::string(text)
                                      : std::string(module) + ": " + std::string(text));
}

namespace {

host::SessionOptions OptionsOf(const Place& place, Collected& told) {
    host::SessionOptions options;
    options.codePage = place.codePage;
    options.teamFile = place.team;
    options.saveOptions = false;
    options.teamWarning = [&told](std::string_view text) { told.warnings.emplace_back(text); };
    options.templateWarning = options.teamWarning;
    return options;
}

ui::HeadlessSetup WindowsOf(ui::MsgBoxPolicy answer) {
    ui::HeadlessSetup setup;
    setup.answer = std::move(answer);
    return setup;
}

}  // namespace

Work::Work(const Place& place, ui::MsgBoxPolicy answer) try
    : codePage_(place.codePage),
      windows_(WindowsOf(std::move(answer))),
      session_(windows_, &told_, OptionsOf(place, told_)),
      project_(std::make_shared<host::MemoryProject>(place.projectName)) {
    session_.Ide().AddProject(project_);
    session_.Ide().SetActiveVBProject(project_.get());
    session_.Ide().Connect(session_.Addin(), ext_cm_CommandLine);
} catch (const host::TeamSettingsError& e) {
    throw PlaceError(e.what());
}

Work::~Work() = default;

host::MemoryComponent& Work::Load(const fs::path& file, const std::optional<std::string>& utf8) {
    std::unique_ptr<host::MemoryComponent> component;
    if (utf8) {
        component = host::ParseModule(ToCodePage(*utf8, codePage_), file, codePage_);
    } else {
        component = host::LoadModuleFile(file, codePage_);
    }
    component->SetFilePath(file);
    return static_cast<host::MemoryComponent&>(project_->Add(std::move(component)));
}

std::string Work::TextOf(const host::MemoryComponent& component) const {
    return host::ToUtf8(component.Serialize(), codePage_);
}

void Work::RunOnLines(host::MemoryComponent& component, std::int32_t first, std::int32_t last,
                      CommandId command) {
    auto& code = component.CodeModule();
    runner_.Run(command, code, host::WholeLines(code, first, last));
}

void Work::RunOnProject(CommandId command) {
    runner_.Run(command, *project_);
}

void Work::Refresh() {
    auto& components = project_->Components();
    session_.Refresh({static_cast<std::size_t>(components.Count()),
                      [&components](std::size_t i) -> VBComponent* {
                          return &components.Item(static_cast<std::int32_t>(i) + 1);
                      }},
                     Unplaced::Leave);
}

std::optional<CodeLines> CodeLinesOf(const host::MemoryComponent& component, std::size_t first,
                                     std::size_t last) {
    const host::FileLines lines(component);
    std::optional<CodeLines> found;
    for (std::size_t line = first; line <= last; ++line) {
        if (const auto code = lines.CodeLineOf(static_cast<std::int32_t>(line) + 1)) {
            if (!found) {
                found = CodeLines{*code, *code};
            }
            found->last = *code;
        }
    }
    return found;
}

std::vector<fs::path> ProjectModules(const Place& place) {
    if (!place.project) {
        return {place.file};
    }
    try {
        std::vector<fs::path> modules;
        for (const auto& project : host::PlanProjects(*place.project, place.codePage).projects) {
            for (const auto& module : project.modules) {
                modules.push_back(fs::absolute(module.path));
            }
        }
        return modules;
    } catch (const std::exception& e) {
        throw PlaceError(e.what());
    }
}

}  // namespace brindle::lsp
