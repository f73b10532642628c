#include "cli/Inputs.h"

#include <future>
#include <optional>
#include <set>

#include "cli/Background.h"
#include "host/files/ModuleFile.h"
#include "host/files/ProjectFile.h"
#include "host/vb6/CodePage.h"

namespace fs = std::filesystem;

namespace brindle::cli {
namespace {

fs::path Canonical(const fs::path& path) {
    std::error_code error;
    auto canonical = fs::weakly_canonical(path, error);
    return error ? fs::absolute(path).lexically_normal() : canonical;
}

class ProjectSurvey {
public:
    explicit ProjectSurvey(int codePage) : codePage_(codePage) {}

    // Raises ProjectFileError when the file is no project file.
    void Project(const fs::path& file) {
        const auto contents = host::ParseProjectFile(host::ReadFileBytes(file), codePage_);
        const auto name = contents.name.empty() ? file.stem().string() : contents.name;
        projects_.push_back({name, Label(file, codePage_), {}});
        for (const auto& entry : contents.entries) {
            Entry(file, entry);
        }
    }

    void Group(const fs::path& file, std::string_view text) {
        for (const auto& entry : host::ParseGroupFile(text)) {
            const auto found = host::ResolveProjectPath(file.parent_path(), entry.path, codePage_);
            const auto where = Label(file, codePage_) + ": line " + std::to_string(entry.line);
            if (found.status != host::PathStatus::Found) {
                Problem(where, host::DescribeResolution(found, entry.path, codePage_) +
                                   "; the other projects are done");
                continue;
            }
            try {
                Project(found.path);
            } catch (const host::ProjectFileError& e) {
                Problem(Label(found.path, codePage_),
                        std::string(e.what()) + "; the other projects are done");
            }
        }
    }

    // Reads and checks the module files on several threads; what was found, in order.
    ProjectInputs Finish() {
        Workers workers;
        std::vector<std::future<std::string>> names(items_.size());
        for (std::size_t i = 0; i < items_.size(); ++i) {
            if (items_[i].module) {
                names[i] = Start(workers, [path = items_[i].module->path] {
                    return host::CheckModule(host::ReadModuleFile(path), path);
                });
            }
        }
        ProjectInputs inputs;
        for (std::size_t i = 0; i < items_.size(); ++i) {
            auto& item = items_[i];
            if (!item.module) {
                inputs.problems.push_back(std::move(item.problem));
                continue;
            }
            try {
                item.module->name = names[i].get();
                projects_[item.project].modules.push_back(std::move(*item.module));
            } catch (const host::ModuleFileError& e) {
                inputs.problems.push_back(
                    {item.module->label, e.Detail() + "; left alone, the other modules are done"});
            }
        }
        inputs.projects = std::move(projects_);
        return inputs;
    }

private:
    // What the project files name, in order: a module file to check, or a problem.
    struct Item {
        std::size_t project = 0;
        std::optional<ModuleEntry> module;
        LoadProblem problem;
    };

    void Entry(const fs::path& file, const host::ProjectEntry& entry) {
        const auto where = projects_.back().label + ": line " + std::to_string(entry.line);
        const auto found = host::ResolveProjectPath(file.parent_path(), entry.path, codePage_);
        if (found.status != host::PathStatus::Found) {
            Problem(where, host::DescribeResolution(found, entry.path, codePage_) +
                               "; the other modules are done");
            return;
        }
        if (!seen_.insert(Canonical(found.path)).second) {
            return;  // a module shared by projects of a group is done once, by the first
        }
        items_.push_back(
            {projects_.size() - 1,
             ModuleEntry{found.path, "", Label(found.path, codePage_), DiffName(found.path), where},
             {}});
    }

    void Problem(std::string subject, std::string text) {
        items_.push_back({0, std::nullopt, {std::move(subject), std::move(text)}});
    }

    int codePage_;
    std::vector<ProjectEntries> projects_;
    std::vector<Item> items_;
    std::set<fs::path> seen_;
};

void CheckExists(const fs::path& path, int codePage) {
    std::error_code error;
    if (!fs::exists(path, error)) {
        throw InputError(Label(path, codePage) + ": no such file");
    }
    if (fs::is_directory(path, error)) {
        throw InputError(Label(path, codePage) + ": is a folder");
    }
}

std::string ReadInput(const fs::path& path, int codePage) {
    CheckExists(path, codePage);
    try {
        return host::ReadFileBytes(path);
    } catch (const host::ProjectFileError& e) {
        throw InputError(Label(path, codePage) + ": " + e.what());
    }
}

}  // namespace

void CheckCodePage(int codePage) {
    if (!host::IsModuleCodePage(codePage)) {
        throw InputError("code page " + std::to_string(codePage) + " is not one Brindle knows");
    }
}

std::string Label(const fs::path& path, int codePage) {
    const auto absolute = fs::absolute(path).lexically_normal();
    const auto relative = absolute.lexically_relative(fs::current_path());
    const bool below = !relative.empty() && *relative.begin() != "..";
    return host::ShownAsUtf8((below ? relative : absolute).string(), codePage);
}

std::string DiffName(const fs::path& path) {
    return fs::absolute(path).lexically_normal().lexically_relative(fs::current_path()).string();
}

ModuleFile LoadModule(const fs::path& path, int codePage) {
    auto original = host::ReadModuleFile(path);
    auto component = host::ParseModule(original, path, codePage);
    component->SetFilePath(path);
    if (!host::SerializesTo(*component, original)) {
        throw InputError(Label(path, codePage) +
                         ": Brindle cannot keep this file's bytes exactly; it is left alone");
    }
    return {std::move(component), std::move(original)};
}

Inputs LoadModules(const std::vector<std::string>& files, int codePage) {
    Inputs inputs;
    LoadedProject loaded{std::make_shared<host::MemoryProject>(), "", {}};
    std::set<fs::path> seen;
    for (const auto& file : files) {
        CheckExists(file, codePage);
        if (!seen.insert(Canonical(file)).second) {
            continue;
        }
        try {
            auto [component, original] = LoadModule(file, codePage);
            auto& added = loaded.project->Add(std::move(component));
            loaded.modules.push_back(
                {&added, Label(file, codePage), DiffName(file), std::move(original)});
        } catch (const host::ModuleFileError& e) {
            throw InputError(Label(file, codePage) + ": " + e.Detail());
        }
    }
    inputs.projects.push_back(std::move(loaded));
    return inputs;
}

ProjectInputs SurveyProjects(const std::string& file, int codePage) {
    const auto text = ReadInput(file, codePage);
    ProjectSurvey survey(codePage);
    try {
        if (host::IsGroupFileText(text)) {
            survey.Group(file, text);
        } else if (host::ModuleTypeOfExtension(file)) {
            throw InputError(Label(file, codePage) +
                             ": is a module; this command takes a project (.vbp) or group (.vbg) "
                             "file");
        } else {
            survey.Project(file);
        }
    } catch (const host::ProjectFileError& e) {
        throw InputError(Label(file, codePage) + ": " + e.what());
    }
    return survey.Finish();
}

}  // namespace brindle::cli
