#include "host/files/ProjectLoader.h"

#include <algorithm>
#include <deque>
#include <future>
#include <iterator>
#include <map>
#include <optional>
#include <set>
#include <thread>
#include <utility>

#include "host/files/DocumentFile.h"
#include "host/files/FileSystem.h"
#include "host/files/IgnoreFile.h"
#include "host/files/ModuleFile.h"
#include "host/files/ProjectFile.h"
#include "host/vb6/CodePage.h"
#include "util/Text.h"

namespace fs = std::filesystem;

namespace brindle::host {
namespace {

// The file, and the line the failure is at when there is one: "Inventory.vbp:12".
std::string Where(const fs::path& file, const ProjectFileError& failure, int codePage) {
    auto where = Label(file, codePage);
    if (failure.Line() > 0) {
        where += ':';
        where += std::to_string(failure.Line());
    }
    return where;
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

// A module of an Office document, named after the document.
PlannedModule Planned(const std::shared_ptr<DocumentFile>& document, std::size_t index) {
    return {document->ModulePath(index),
            document->ModuleLabel(index),
            DiffName(document->Path()) + "/" + document->ModuleName(index),
            document->Label(),
            document,
            index};
}

// Reads the project and group files, so that the modules to load are known and counted
// before any is read.
class ProjectPlanner {
public:
    ProjectPlanner(int codePage, bool ignoreFiles)
        : codePage_(codePage), ignoreFiles_(ignoreFiles) {}

    // Raises ProjectFileError when the file is no project file.
    void PlanProject(const fs::path& file) {
        const auto contents = ParseProjectFile(ReadFileBytes(file), codePage_);
        ReadIgnoreFile(file);
        const auto name = contents.name.empty() ? TextOf(file.stem()) : contents.name;
        plan_.projects.push_back({name, fs::absolute(file), Label(file, codePage_), {}, {}, {}});
        for (const auto& entry : contents.entries) {
            PlanEntry(file, entry);
        }
    }

    void PlanGroup(const fs::path& file, std::string_view text) {
        for (const auto& entry : ParseGroupFile(text)) {
            const auto found = ResolveProjectPath(file.parent_path(), entry.path, codePage_);
            const auto where = Label(file, codePage_) + ":" + std::to_string(entry.line);
            if (found.status != PathStatus::Found) {
                Problem(where, DescribeResolution(found, entry.path, codePage_) +
                                   "; the other projects are done");
                continue;
            }
            if (SameFile(found.path, file) || IsGroupFileText(ReadFileBytes(found.path))) {
                Problem(where, entry.path +
                                   (SameFile(found.path, file) ? ": is this group itself"
                                                               : ": is a group") +
                                   ", not a project; the other projects are done");
                continue;
            }
            try {
                PlanProject(found.path);
            } catch (const ProjectFileError& e) {
                Problem(Where(found.path, e, codePage_),
                        std::string(e.what()) + "; the other projects are done");
            }
        }
    }

    // The document's modules, each named after the document; the .brindleignore beside it
    // may leave out the document or some of its modules ("Book.xlsm/Sheet*").
    void PlanDocument(const fs::path& file) {
        auto document = DocumentFile::Open(file, codePage_);
        ReadIgnoreFile(file);
        auto& project = plan_.projects.emplace_back(PlannedProject{
            document->ProjectName(), document->Path(), document->Label(), {}, {}, document});
        for (std::size_t i = 0; i < document->ModuleCount(); ++i) {
            auto module = Planned(document, i);
            if (auto pattern = ignore_ ? ignore_->Why(module.path) : std::nullopt) {
                project.ignored.push_back({module.path, std::move(*pattern)});
                continue;
            }
            project.modules.push_back(std::move(module));
        }
    }

    ProjectPlan Plan() { return std::move(plan_); }

private:
    void ReadIgnoreFile(const fs::path& file) {
        ignore_ = ignoreFiles_ ? IgnoreFile::Nearest(file, codePage_) : std::nullopt;
        if (ignore_ && warnedOf_.insert(FileIdentity(ignore_->Folder())).second) {
            const auto& warnings = ignore_->Warnings();
            plan_.warnings.insert(plan_.warnings.end(), warnings.begin(), warnings.end());
        }
    }

    void PlanEntry(const fs::path& file, const ProjectEntry& entry) {
        auto& project = plan_.projects.back();
        const auto where = project.label + ":" + std::to_string(entry.line);
        if (TrimBlanks(entry.path).empty()) {
            // It would lead to the project's own folder.
            Problem(where, entry.key + "= names no file; the other modules are done");
            return;
        }
        const auto found = ResolveProjectPath(file.parent_path(), entry.path, codePage_);
        if (found.status != PathStatus::Found) {
            Problem(where, DescribeResolution(found, entry.path, codePage_) +
                               "; the other modules are done");
            return;
        }
        if (auto pattern = ignore_ ? ignore_->Why(found.path) : std::nullopt) {
            project.ignored.push_back({fs::absolute(found.path), std::move(*pattern)});
            return;
        }
        // A module shared by projects of a group is done once, by the first.
        if (seen_.insert(FileIdentity(found.path)).second) {
            project.modules.push_back(
                {found.path, Label(found.path, codePage_), DiffName(found.path), where, {}, 0});
        }
    }

    void Problem(std::string subject, std::string text) {
        plan_.problems.push_back({std::move(subject), std::move(text)});
    }

    int codePage_;
    bool ignoreFiles_;
    ProjectPlan plan_;
    std::set<std::string> seen_;        // FileIdentity of each module planned
    std::optional<IgnoreFile> ignore_;  // the .brindleignore of the project being read
    std::set<std::string> warnedOf_;    // FileIdentity of the folder of each .brindleignore read
};

template <class Project>
int IgnoredIn(const std::vector<Project>& projects) {
    std::size_t ignored = 0;
    for (const Project& project : projects) {
        ignored += project.ignored.size();
    }
    return static_cast<int>(ignored);
}

// The .brindleignore of each folder, read once.
class IgnoreFiles {
public:
    IgnoreFiles(int codePage, std::vector<std::string>& warnings)
        : codePage_(codePage), warnings_(warnings) {}

    // The pattern that leaves the file, or the folder, out.
    std::optional<std::string> Why(const fs::path& file, bool isFolder = false) {
        std::error_code error;
        const auto absolute = fs::absolute(file, error).lexically_normal();
        const auto above = FileIdentity(absolute.parent_path());
        auto found = byFolder_.find(above);
        if (found == byFolder_.end()) {
            auto ignore = IgnoreFile::Nearest(absolute, codePage_);
            if (ignore && warnedOf_.insert(FileIdentity(ignore->Folder())).second) {
                const auto& warnings = ignore->Warnings();
                warnings_.insert(warnings_.end(), warnings.begin(), warnings.end());
            }
            found = byFolder_.emplace(above, std::move(ignore)).first;
        }
        return found->second ? found->second->Why(absolute, isFolder) : std::nullopt;
    }

private:
    int codePage_;
    std::vector<std::string>& warnings_;
    std::map<std::string, std::optional<IgnoreFile>> byFolder_;
    std::set<std::string> warnedOf_;
};

LoadedModule Added(ExactModule module, std::string label, std::string diffName,
                   MemoryProject& project) {
    auto& added = project.Add(std::move(module.component));
    return {&added, std::move(label), std::move(diffName), std::move(module.original), {}, 0};
}

// The Office documents among modules named one by one, each opened once, so that all its
// modules are written back together.
class NamedDocuments {
public:
    explicit NamedDocuments(int codePage) : codePage_(codePage) {}

    // A document's modules, or one module of it ("Book.xlsm/Module1"), once each.
    void Add(const fs::path& file, std::set<std::string>& seen, LoadedProject& project) {
        const bool whole = !IsDocumentModulePath(file);
        const fs::path documentPath = whole ? file : file.parent_path();
        CheckExists(documentPath, codePage_);
        auto& document = opened_[FileIdentity(documentPath)];
        if (!document) {
            document = DocumentFile::Open(documentPath, codePage_);
        }
        std::vector<std::size_t> modules;
        if (whole) {
            for (std::size_t i = 0; i < document->ModuleCount(); ++i) {
                modules.push_back(i);
            }
        } else if (auto found = document->ModuleNamed(TextOf(file.filename()))) {
            modules.push_back(*found);
        } else {
            throw LoadError(document->Label() + ": no module named " + TextOf(file.filename()));
        }
        for (const std::size_t i : modules) {
            const auto planned = Planned(document, i);
            if (!seen.insert(FileIdentity(planned.path)).second) {
                continue;
            }
            ExactModule exact;
            try {
                exact = document->LoadModule(i);
            } catch (const ModuleFileError& e) {
                throw LoadError(planned.label + ": " + e.Detail());
            }
            auto module =
                Added(std::move(exact), planned.label, planned.diffName, *project.project);
            module.document = document;
            module.inDocument = i;
            project.modules.push_back(std::move(module));
        }
    }

private:
    int codePage_;
    std::map<std::string, std::shared_ptr<DocumentFile>> opened_;
};

}  // namespace

int Loaded::Ignored() const {
    return IgnoredIn(projects);
}

int ProjectPlan::Ignored() const {
    return IgnoredIn(projects);
}

bool IsProjectOrGroupFile(const fs::path& file) {
    return !ModuleTypeOfExtension(file).has_value();
}

Loaded LoadModules(const std::vector<fs::path>& files, int codePage, const LoadProgress& progress) {
    Loaded loaded;
    loaded.projects.push_back({std::make_shared<MemoryProject>(), {}, "", {}, {}});
    LoadedProject& project = loaded.projects.back();
    std::set<std::string> seen;
    NamedDocuments documents(codePage);
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (progress) {
            progress(i, files.size());
        }
        if (IsDocumentModulePath(files[i]) || IsOfficeDocument(files[i])) {
            documents.Add(files[i], seen, project);
            continue;
        }
        CheckExists(files[i], codePage);
        if (!seen.insert(FileIdentity(files[i])).second) {
            continue;
        }
        try {
            project.modules.push_back(Added(LoadExactly(files[i], codePage),
                                            Label(files[i], codePage), DiffName(files[i]),
                                            *project.project));
        } catch (const ModuleFileError& e) {
            throw LoadError(Label(files[i], codePage) + ": " + e.Detail());
        }
    }
    if (progress) {
        progress(files.size(), files.size());
    }
    return loaded;
}

ProjectPlan PlanProjects(const fs::path& file, int codePage, bool ignoreFiles) {
    CheckExists(file, codePage);
    ProjectPlanner planner(codePage, ignoreFiles);
    try {
        if (IsOfficeDocument(file)) {
            planner.PlanDocument(file);
            return planner.Plan();
        }
        const auto text = ReadFileBytes(file);
        if (IsGroupFileText(text)) {
            planner.PlanGroup(file, text);
        } else if (ModuleTypeOfExtension(file)) {
            throw LoadError(Label(file, codePage) +
                            ": is a module; this command takes a project (.vbp) or group (.vbg) "
                            "file");
        } else {
            planner.PlanProject(file);
        }
    } catch (const ProjectFileError& e) {
        throw LoadError(Where(file, e, codePage) + ": " + e.what());
    }
    return planner.Plan();
}

std::vector<IgnoredModule> LeaveOutIgnored(std::vector<fs::path>& files, int codePage,
                                           std::vector<std::string>& warnings) {
    IgnoreFiles ignoreFiles(codePage, warnings);
    std::vector<IgnoredModule> ignored;
    std::erase_if(files, [&](const fs::path& file) {
        auto pattern = ignoreFiles.Why(file);
        if (pattern) {
            ignored.push_back({fs::absolute(file), std::move(*pattern)});
        }
        return pattern.has_value();
    });
    return ignored;
}

std::vector<fs::path> ProjectsBelow(const fs::path& folder, int codePage, bool ignoreFiles) {
    std::vector<std::string> warnings;  // told when the projects are planned
    IgnoreFiles ignore(codePage, warnings);
    std::vector<fs::path> found;
    std::error_code error;
    const auto options = fs::directory_options::skip_permission_denied;
    for (fs::recursive_directory_iterator it(folder, options, error), end; !error && it != end;
         it.increment(error)) {
        if (it->is_directory(error)) {
            if (TextOf(it->path().filename()) == ".git" ||
                (ignoreFiles && ignore.Why(it->path(), true))) {
                it.disable_recursion_pending();
            }
            continue;
        }
        const auto extension = LowerAscii(TextOf(it->path().extension()));
        if ((extension == ".vbp" || extension == ".vbg" || HoldsVbaProject(it->path())) &&
            it->is_regular_file(error) && !(ignoreFiles && ignore.Why(it->path()))) {
            found.push_back(it->path());
        }
    }
    std::sort(found.begin(), found.end());
    std::set<std::string> inGroups;
    for (const auto& file : found) {
        try {
            if (!IsOfficeDocument(file) && IsGroupFileText(ReadFileBytes(file))) {
                for (const auto& project : PlanProjects(file, codePage, false).projects) {
                    inGroups.insert(FileIdentity(project.file));
                }
            }
        } catch (const std::exception&) {
            // Told when the group itself is done.
        }
    }
    std::erase_if(found,
                  [&](const fs::path& file) { return inGroups.contains(FileIdentity(file)); });
    return found;
}

Loaded LoadProjects(const fs::path& file, int codePage, const LoadProgress& progress) {
    ProjectPlan plan = PlanProjects(file, codePage);
    if (!plan.projects.empty() && plan.projects.front().document) {
        throw LoadError(plan.projects.front().label +
                        ": an Office document; the command line works on its VBA project "
                        "(brindle check, brindle add-all)");
    }
    Loaded loaded{{}, std::move(plan.problems), std::move(plan.warnings)};
    std::size_t total = 0;
    for (const auto& project : plan.projects) {
        total += project.modules.size();
    }
    // Each module is read and parsed on a thread of its own a few modules ahead of the one
    // taken, as the command line's stream does; they are added in order on this thread.
    const std::size_t ahead = std::max(2U, std::thread::hardware_concurrency()) * 2;
    std::deque<std::future<ExactModule>> loads;
    std::size_t started = 0;
    const auto startMore = [&] {
        for (; started < total && loads.size() < ahead; ++started) {
            std::size_t at = started;
            const PlannedModule* module = nullptr;
            for (const auto& planned : plan.projects) {
                if (at < planned.modules.size()) {
                    module = &planned.modules[at];
                    break;
                }
                at -= planned.modules.size();
            }
            loads.push_back(std::async(std::launch::async, [path = module->path, codePage] {
                return LoadExactly(path, codePage);
            }));
        }
    };
    std::size_t done = 0;
    for (auto& planned : plan.projects) {
        auto& project = loaded.projects.emplace_back(
            LoadedProject{std::make_shared<MemoryProject>(planned.name),
                          planned.file,
                          planned.label,
                          {},
                          std::move(planned.ignored)});
        for (const auto& module : planned.modules) {
            if (progress) {
                progress(done, total);
            }
            ++done;
            startMore();
            auto load = std::move(loads.front());
            loads.pop_front();
            try {
                project.modules.push_back(
                    Added(load.get(), module.label, module.diffName, *project.project));
            } catch (const ModuleFileError& e) {
                loaded.problems.push_back(
                    {module.label, e.Detail() + "; left alone, the other modules are done"});
            } catch (const LoadError& e) {
                loaded.problems.push_back({module.where, e.what()});
            }
        }
    }
    if (progress) {
        progress(total, total);
    }
    return loaded;
}

SaveResult SaveModule(LoadedModule& module, ReplacedFolders* batch) {
    auto bytes = module.component->Serialize();
    if (bytes == module.original) {
        return {};
    }
    SaveResult result;
    if (module.document) {
        module.document->Change(module.inDocument, bytes);
        result = module.document->Save(batch);
    } else {
        result = WriteModule(module.component->FilePath(), module.original, bytes, batch);
    }
    if (result.written) {
        module.original = std::move(bytes);
    }
    return result;
}

}  // namespace brindle::host
