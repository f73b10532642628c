#include "cli/Inputs.h"

#include <set>

#include "cli/RunLog.h"

#include "host/files/IgnoreFile.h"
#include "host/files/ModuleFile.h"
#include "host/files/ProjectFile.h"
#include "host/files/TeamSettings.h"
#include "host/vb6/CodePage.h"

namespace fs = std::filesystem;

namespace brindle::cli {
namespace {

// The file, and the line the failure is at when there is one: "Inventory.vbp:12".
std::string Where(const fs::path& file, const host::ProjectFileError& failure, int codePage) {
    const auto line = failure.Line();
    return Label(file, codePage) + (line > 0 ? ":" + std::to_string(line) : "");
}

fs::path Canonical(const fs::path& path) {
    std::error_code error;
    auto canonical = fs::weakly_canonical(path, error);
    return error ? fs::absolute(path).lexically_normal() : canonical;
}

// Loads one module file. Raises ModuleFileError, or InputError for a file whose bytes the
// host could not give back exactly (it is then left alone rather than rewritten).
LoadedModule LoadModule(const fs::path& path, int codePage, host::MemoryProject& project) {
    auto component = host::LoadModuleFile(path, codePage);
    auto original = host::ReadFileBytes(path);
    if (component->Serialize() != original) {
        throw InputError(Label(path, codePage) +
                         ": Brindle cannot keep this file's bytes exactly; it is left alone");
    }
    auto& added = project.Add(std::move(component));
    return {&added, Label(path, codePage), DiffName(path), std::move(original)};
}

class ProjectLoader {
public:
    ProjectLoader(int codePage, Inputs& inputs) : codePage_(codePage), inputs_(inputs) {}

    // Raises ProjectFileError when the file is no project file.
    void Load(const fs::path& file) {
        ignore_ = host::IgnoreFile::Beside(file);
        const auto contents = host::ParseProjectFile(host::ReadFileBytes(file), codePage_);
        const auto name = contents.name.empty() ? file.stem().string() : contents.name;
        LoadedProject loaded{
            std::make_shared<host::MemoryProject>(name), Label(file, codePage_), {}};
        for (const auto& entry : contents.entries) {
            LoadEntry(file, entry, loaded);
        }
        inputs_.projects.push_back(std::move(loaded));
    }

    void LoadGroup(const fs::path& file, std::string_view text) {
        for (const auto& entry : host::ParseGroupFile(text)) {
            const auto found = host::ResolveProjectPath(file.parent_path(), entry.path, codePage_);
            const auto where = Label(file, codePage_) + ":" + std::to_string(entry.line);
            if (found.status != host::PathStatus::Found) {
                Problem(where, host::DescribeResolution(found, entry.path, codePage_) +
                                   "; the other projects are done");
                continue;
            }
            try {
                Load(found.path);
            } catch (const host::ProjectFileError& e) {
                Problem(Where(found.path, e, codePage_),
                        std::string(e.what()) + "; the other projects are done");
            }
        }
    }

private:
    void LoadEntry(const fs::path& file, const host::ProjectEntry& entry, LoadedProject& project) {
        const auto where = project.label + ":" + std::to_string(entry.line);
        const auto found = host::ResolveProjectPath(file.parent_path(), entry.path, codePage_);
        if (found.status != host::PathStatus::Found) {
            Problem(where, host::DescribeResolution(found, entry.path, codePage_) +
                               "; the other modules are done");
            return;
        }
        if (ignore_ && ignore_->Why(found.path)) {
            ++inputs_.ignored;
            return;
        }
        if (!loaded_.insert(Canonical(found.path)).second) {
            return;  // a module shared by projects of a group is done once, by the first
        }
        try {
            project.modules.push_back(LoadModule(found.path, codePage_, *project.project));
        } catch (const host::ModuleFileError& e) {
            Problem(Label(found.path, codePage_),
                    e.Detail() + "; left alone, the other modules are done");
        } catch (const InputError& e) {
            Problem(where, e.what());
        }
    }

    void Problem(std::string subject, std::string text) {
        inputs_.problems.push_back({std::move(subject), std::move(text)});
    }

    int codePage_;
    Inputs& inputs_;
    std::set<fs::path> loaded_;
    std::optional<host::IgnoreFile> ignore_;
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
        throw InputError(Where(path, e, codePage) + ": " + e.what());
    }
}

}  // namespace

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

std::string Label(const fs::path& path, int codePage) {
    const auto absolute = fs::absolute(path).lexically_normal();
    const auto relative = absolute.lexically_relative(fs::current_path());
    const bool below = !relative.empty() && *relative.begin() != "..";
    return host::ShownAsUtf8((below ? relative : absolute).string(), codePage);
}

std::string DiffName(const fs::path& path) {
    return fs::absolute(path).lexically_normal().lexically_relative(fs::current_path()).string();
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
            loaded.modules.push_back(LoadModule(file, codePage, *loaded.project));
        } catch (const host::ModuleFileError& e) {
            throw InputError(Label(file, codePage) + ": " + e.Detail());
        }
    }
    inputs.projects.push_back(std::move(loaded));
    return inputs;
}

Inputs LoadProjects(const std::string& file, int codePage) {
    const auto text = ReadInput(file, codePage);
    Inputs inputs;
    ProjectLoader loader(codePage, inputs);
    try {
        if (host::IsGroupFileText(text)) {
            loader.LoadGroup(file, text);
        } else if (host::ModuleTypeOfExtension(file)) {
            throw InputError(Label(file, codePage) +
                             ": is a module; this command takes a project (.vbp) or group (.vbg) "
                             "file");
        } else {
            loader.Load(file);
        }
    } catch (const host::ProjectFileError& e) {
        throw InputError(Where(file, e, codePage) + ": " + e.what());
    }
    return inputs;
}

}  // namespace brindle::cli
