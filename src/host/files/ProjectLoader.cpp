#include "host/files/ProjectLoader.h"

#include <optional>
#include <set>
#include <utility>

#include "host/files/IgnoreFile.h"
#include "host/files/ModuleFile.h"
#include "host/files/ProjectFile.h"
#include "host/vb6/CodePage.h"

namespace fs = std::filesystem;

namespace brindle::host {
namespace {

fs::path Canonical(const fs::path& path) {
    std::error_code error;
    auto canonical = fs::weakly_canonical(path, error);
    return error ? fs::absolute(path).lexically_normal() : canonical;
}

void CheckExists(const fs::path& path, int codePage) {
    std::error_code error;
    if (!fs::exists(path, error)) {
        throw LoadError(Label(path, codePage) + ": no such file");
    }
    if (fs::is_directory(path, error)) {
        throw LoadError(Label(path, codePage) + ": is a folder");
    }
}

// Reads one module file. Raises ModuleFileError, or LoadError for a file whose bytes the host
// could not give back exactly (it is then left alone rather than rewritten).
LoadedModule LoadModule(const fs::path& path, int codePage, MemoryProject& project) {
    auto component = LoadModuleFile(path, codePage);
    auto original = ReadFileBytes(path);
    if (component->Serialize() != original) {
        throw LoadError(Label(path, codePage) +
                        ": Brindle cannot keep this file's bytes exactly; it is left alone");
    }
    auto& added = project.Add(std::move(component));
    return {&added, Label(path, codePage), DiffName(path), std::move(original)};
}

// Reads the project and group files first, so that the modules to load are known and counted,
// then the modules.
class ProjectLoader {
public:
    ProjectLoader(int codePage, const LoadProgress& progress)
        : codePage_(codePage), progress_(progress) {}

    // Raises ProjectFileError when the file is no project file.
    void PlanProject(const fs::path& file) {
        const auto contents = ParseProjectFile(ReadFileBytes(file), codePage_);
        ignore_ = IgnoreFile::Beside(file);
        const auto name = contents.name.empty() ? file.stem().string() : contents.name;
        loaded_.projects.push_back({std::make_shared<MemoryProject>(name),
                                    fs::absolute(file),
                                    Label(file, codePage_),
                                    {},
                                    {}});
        const std::size_t project = loaded_.projects.size() - 1;
        for (const auto& entry : contents.entries) {
            PlanEntry(file, entry, project);
        }
    }

    void PlanGroup(const fs::path& file, std::string_view text) {
        for (const auto& entry : ParseGroupFile(text)) {
            const auto found = ResolveProjectPath(file.parent_path(), entry.path, codePage_);
            const auto where = Label(file, codePage_) + ": line " + std::to_string(entry.line);
            if (found.status != PathStatus::Found) {
                Problem(where, DescribeResolution(found, entry.path, codePage_) +
                                   "; the other projects are done");
                continue;
            }
            try {
                PlanProject(found.path);
            } catch (const ProjectFileError& e) {
                Problem(Label(found.path, codePage_),
                        std::string(e.what()) + "; the other projects are done");
            }
        }
    }

    Loaded Load() {
        for (std::size_t i = 0; i < planned_.size(); ++i) {
            Tell(i);
            const Planned& module = planned_[i];
            LoadedProject& project = loaded_.projects[module.project];
            try {
                project.modules.push_back(LoadModule(module.path, codePage_, *project.project));
            } catch (const ModuleFileError& e) {
                Problem(Label(module.path, codePage_),
                        e.Detail() + "; left alone, the other modules are done");
            } catch (const LoadError& e) {
                Problem(module.where, e.what());
            }
        }
        Tell(planned_.size());
        return std::move(loaded_);
    }

private:
    struct Planned {
        fs::path path;
        std::size_t project;
        std::string where;
    };

    void PlanEntry(const fs::path& file, const ProjectEntry& entry, std::size_t project) {
        const auto where = loaded_.projects[project].label + ": line " + std::to_string(entry.line);
        const auto found = ResolveProjectPath(file.parent_path(), entry.path, codePage_);
        if (found.status != PathStatus::Found) {
            Problem(where, DescribeResolution(found, entry.path, codePage_) +
                               "; the other modules are done");
            return;
        }
        if (auto pattern = ignore_ ? ignore_->Why(found.path) : std::nullopt) {
            loaded_.projects[project].ignored.push_back(
                {fs::absolute(found.path), std::move(*pattern)});
            return;
        }
        // A module shared by projects of a group is done once, by the first.
        if (seen_.insert(Canonical(found.path)).second) {
            planned_.push_back({found.path, project, where});
        }
    }

    void Tell(std::size_t done) const {
        if (progress_) {
            progress_(done, planned_.size());
        }
    }

    void Problem(std::string subject, std::string text) {
        loaded_.problems.push_back({std::move(subject), std::move(text)});
    }

    int codePage_;
    const LoadProgress& progress_;
    Loaded loaded_;
    std::vector<Planned> planned_;
    std::set<fs::path> seen_;
    std::optional<IgnoreFile> ignore_;  // the .brindleignore beside the project being read
};

}  // namespace

int Loaded::Ignored() const {
    std::size_t ignored = 0;
    for (const LoadedProject& project : projects) {
        ignored += project.ignored.size();
    }
    return static_cast<int>(ignored);
}

std::string Label(const fs::path& path, int codePage) {
    const auto absolute = fs::absolute(path).lexically_normal();
    const auto relative = absolute.lexically_relative(fs::current_path());
    const bool below = !relative.empty() && *relative.begin() != "..";
    return ShownAsUtf8((below ? relative : absolute).string(), codePage);
}

std::string DiffName(const fs::path& path) {
    return fs::absolute(path).lexically_normal().lexically_relative(fs::current_path()).string();
}

bool IsProjectOrGroupFile(const fs::path& file) {
    return !ModuleTypeOfExtension(file).has_value();
}

Loaded LoadModules(const std::vector<fs::path>& files, int codePage, const LoadProgress& progress) {
    Loaded loaded;
    loaded.projects.push_back({std::make_shared<MemoryProject>(), {}, "", {}, {}});
    LoadedProject& project = loaded.projects.back();
    std::set<fs::path> seen;
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (progress) {
            progress(i, files.size());
        }
        CheckExists(files[i], codePage);
        if (!seen.insert(Canonical(files[i])).second) {
            continue;
        }
        try {
            project.modules.push_back(LoadModule(files[i], codePage, *project.project));
        } catch (const ModuleFileError& e) {
            throw LoadError(Label(files[i], codePage) + ": " + e.Detail());
        }
    }
    if (progress) {
        progress(files.size(), files.size());
    }
    return loaded;
}

Loaded LoadProjects(const fs::path& file, int codePage, const LoadProgress& progress) {
    CheckExists(file, codePage);
    ProjectLoader loader(codePage, progress);
    try {
        const auto text = ReadFileBytes(file);
        if (IsGroupFileText(text)) {
            loader.PlanGroup(file, text);
        } else if (ModuleTypeOfExtension(file)) {
            throw LoadError(Label(file, codePage) +
                            ": is a module; this command takes a project (.vbp) or group (.vbg) "
                            "file");
        } else {
            loader.PlanProject(file);
        }
    } catch (const ProjectFileError& e) {
        throw LoadError(Label(file, codePage) + ": " + e.what());
    }
    return loader.Load();
}

SaveResult SaveModule(LoadedModule& module) {
    const auto bytes = module.component->Serialize();
    if (bytes == module.original) {
        return {};
    }
    const auto& path = module.component->FilePath();
    try {
        if (ReadFileBytes(path) != module.original) {
            return {false, "changed on disk while Brindle worked; not written"};
        }
        if ((fs::status(path).permissions() & fs::perms::owner_write) == fs::perms::none) {
            return {false, "the file is read-only; not written"};
        }
        module.component->SaveAs(path);
        module.original = bytes;
        return {true, {}};
    } catch (const ModuleFileError& e) {
        return {false, "not written: " + e.Detail()};
    } catch (const std::exception& e) {
        return {false, std::string("not written: ") + e.what()};
    }
}

}  // namespace brindle::host
