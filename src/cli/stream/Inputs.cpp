#include "cli/stream/Inputs.h"

#include <future>
#include <set>

#include "cli/report/RunLog.h"
#include "cli/stream/Background.h"
#include "codegen/Markers.h"
#include "host/files/DocumentFile.h"
#include "host/files/FileSystem.h"
#include "host/files/IgnoreFile.h"
#include "host/files/ModuleFile.h"
#include "host/settings/TeamSettings.h"
#include "host/vb6/CodePage.h"

namespace fs = std::filesystem;

namespace brindle::cli {

std::optional<fs::path> TeamSettingsFor(const std::vector<std::string>& files) {
    if (files.empty()) {
        return std::nullopt;
    }
    std::error_code error;
    return host::FindTeamSettings(fs::absolute(host::PathOf(files.front()), error).parent_path());
}

namespace {

void NoteIgnored(int ignored, const std::vector<std::string>& warnings, RunLog& log) {
    for (const auto& warning : warnings) {
        log.Warning(warning);
    }
    if (ignored > 0) {
        log.Note(std::to_string(ignored) + (ignored == 1 ? " module" : " modules") +
                 " left out by " + std::string(host::kIgnoreFileName));
    }
}

}  // namespace

void NoteIgnored(const ProjectInputs& projects, RunLog& log) {
    NoteIgnored(projects.ignored, projects.warnings, log);
}

void NoteIgnored(const Inputs& modules, RunLog& log) {
    NoteIgnored(modules.Ignored(), modules.warnings, log);
}

void CheckCodePage(int codePage) {
    if (!host::IsModuleCodePage(codePage)) {
        throw InputError("code page " + std::to_string(codePage) + " is not one Brindle knows");
    }
}

Inputs LoadModules(const std::vector<std::string>& files, int codePage, bool ignoreFiles) {
    std::vector<fs::path> paths;
    for (const auto& file : files) {
        paths.push_back(host::PathOf(file));
    }
    try {
        std::vector<std::string> warnings;
        auto ignored = ignoreFiles ? host::LeaveOutIgnored(paths, codePage, warnings)
                                   : std::vector<host::IgnoredModule>{};
        auto inputs = host::LoadModules(paths, codePage);
        inputs.projects.front().ignored = std::move(ignored);
        inputs.warnings = std::move(warnings);
        return inputs;
    } catch (const host::LoadError& e) {
        throw InputError(e.what());
    }
}

std::vector<ModuleEntry> ProjectInputs::Modules() const {
    std::vector<ModuleEntry> modules;
    for (const auto& project : projects) {
        modules.insert(modules.end(), project.modules.begin(), project.modules.end());
    }
    return modules;
}

namespace {

// Each once, and none that another project of the group does not leave out.
std::vector<fs::path> IgnoredFiles(const host::ProjectPlan& plan) {
    if (plan.Ignored() == 0) {
        return {};
    }
    std::set<std::string> seen;
    for (const auto& project : plan.projects) {
        for (const auto& module : project.modules) {
            seen.insert(host::FileIdentity(module.path));
        }
    }
    std::vector<fs::path> files;
    for (const auto& project : plan.projects) {
        for (const auto& ignored : project.ignored) {
            if (seen.insert(host::FileIdentity(ignored.file)).second) {
                files.push_back(ignored.file);
            }
        }
    }
    return files;
}

// Keeps of the plan only the modules that the request leaves to it.
void Limit(host::ProjectPlan& plan, const Request& request) {
    if (!request.only && request.doneBefore.empty()) {
        return;
    }
    const std::set<std::string> done(request.doneBefore.begin(), request.doneBefore.end());
    std::set<std::string> kept;
    if (request.only) {
        kept.insert(request.only->begin(), request.only->end());
        plan.problems.clear();
    }
    // A document listed stands for each of its modules.
    const auto outside = [&](const fs::path& file, const host::PlannedProject& project) {
        const auto identity = host::FileIdentity(file);
        const bool listed = kept.contains(identity) ||
                            (project.document && kept.contains(host::FileIdentity(project.file)));
        return done.contains(identity) || (request.only && !listed);
    };
    for (auto& project : plan.projects) {
        std::erase_if(project.modules,
                      [&](const auto& module) { return outside(module.path, project); });
        std::erase_if(project.ignored,
                      [&](const auto& module) { return outside(module.file, project); });
    }
}

}  // namespace

ProjectInputs ListProjects(const Request& request, int codePage, bool ignoreFiles) {
    host::ProjectPlan plan;
    try {
        plan = host::PlanProjects(host::PathOf(request.files.front()), codePage, ignoreFiles);
    } catch (const host::LoadError& e) {
        throw InputError(e.what());
    }
    Limit(plan, request);
    ProjectInputs inputs{
        {}, std::move(plan.problems), plan.Ignored(), IgnoredFiles(plan), std::move(plan.warnings)};
    for (auto& planned : plan.projects) {
        auto& project = inputs.projects.emplace_back(
            ProjectEntries{std::move(planned.name), std::move(planned.label), {}});
        for (auto& module : planned.modules) {
            auto name = module.path.stem().string();
            project.modules.push_back({std::move(module), std::move(name)});
        }
    }
    return inputs;
}

// An Office document that must not be written keeps all its modules out of the run.
void LeaveUnwritable(ProjectInputs& inputs) {
    for (auto& project : inputs.projects) {
        const auto& document = project.modules.empty() ? nullptr : project.modules.front().document;
        if (auto refusal = document ? document->WriteRefusal() : std::nullopt) {
            inputs.problems.push_back({project.label, *refusal + "; left as it is"});
            project.modules.clear();
        }
    }
}

// Each module file is read and its header checked on the workers; those that pass keep their
// place, the others are told of in the same order.
ProjectInputs SurveyProjects(const Request& request, int codePage, bool ignoreFiles) {
    auto inputs = ListProjects(request, codePage, ignoreFiles);
    if (!request.diff) {
        LeaveUnwritable(inputs);
    }
    Workers workers;
    std::vector<std::vector<std::future<std::string>>> names(inputs.projects.size());
    for (std::size_t p = 0; p < inputs.projects.size(); ++p) {
        for (const auto& module : inputs.projects[p].modules) {
            names[p].push_back(Start(workers, [&module] {
                return host::CheckModule(module.document
                                             ? module.document->Source(module.inDocument)
                                             : host::ReadModuleFile(module.path),
                                         module.path);
            }));
        }
    }
    for (std::size_t p = 0; p < inputs.projects.size(); ++p) {
        auto listed = std::move(inputs.projects[p].modules);
        auto& kept = inputs.projects[p].modules;
        kept.clear();
        for (std::size_t m = 0; m < listed.size(); ++m) {
            auto& module = listed[m];
            try {
                module.name = names[p][m].get();
                kept.push_back(std::move(module));
            } catch (const host::ModuleFileError& e) {
                // At the project's line that names it.
                inputs.problems.push_back({module.where, module.label + ": " + e.Detail() +
                                                             "; left alone, the other modules are "
                                                             "done"});
            }
        }
    }
    return inputs;
}

namespace {

int MarkedBlocksIn(const fs::path& file, int codePage) {
    try {
        auto module = host::LoadExactly(file, codePage);
        if (module.component->Code() == nullptr) {
            return 0;
        }
        auto& code = module.component->CodeModule();
        MarkerPairing pairing;
        int blocks = 0;
        for (auto marker = NextMarkerLine(code, 1); marker;
             marker = NextMarkerLine(code, marker->line + 1)) {
            blocks += pairing.Feed(*marker).block ? 1 : 0;
        }
        return blocks;
    } catch (const std::exception&) {
        return 0;
    }
}

}  // namespace

int MarkedBlocksIn(const std::vector<fs::path>& files, int codePage) {
    Workers workers;
    std::vector<std::future<int>> counts;
    for (const auto& file : files) {
        counts.push_back(
            Start(workers, [file, codePage] { return MarkedBlocksIn(file, codePage); }));
    }
    int blocks = 0;
    for (auto& count : counts) {
        blocks += count.get();
    }
    return blocks;
}

}  // namespace brindle::cli
