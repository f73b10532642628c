#include "workbench/Workspace.h"

#include <algorithm>
#include <utility>

#include "host/files/FileSystem.h"

namespace fs = std::filesystem;

namespace brindle::workbench {

Workspace::~Workspace() {
    // Histories listen to their modules: they go first.
    for (const auto& project : projects_) {
        project->modules.clear();
    }
}

std::vector<OpenProject*> Workspace::Add(host::Loaded loaded, int codePage, std::size_t at) {
    std::vector<OpenProject*> added;
    at = std::min(at, projects_.size());
    for (host::LoadedProject& project : loaded.projects) {
        auto open = std::make_unique<OpenProject>();
        open->project = std::move(project.project);
        open->file = std::move(project.file);
        open->label = std::move(project.label);
        open->ignored = std::move(project.ignored);
        open->codePage = codePage;
        for (host::LoadedModule& module : project.modules) {
            auto openModule = std::make_unique<OpenModule>();
            openModule->loaded = std::move(module);
            if (host::MemoryCodeModule* code = openModule->Component().Code()) {
                openModule->history = std::make_unique<host::UndoHistory>(*code);
                openModule->checkedVersion = code->Version();
            }
            open->modules.push_back(std::move(openModule));
        }
        SetCodePage(*open, codePage);
        added.push_back(open.get());
        projects_.insert(projects_.begin() + static_cast<std::ptrdiff_t>(at++), std::move(open));
    }
    return added;
}

void Workspace::Close(const OpenProject& project) {
    std::erase_if(projects_, [&](const auto& held) { return held.get() == &project; });
}

std::size_t Workspace::IndexOf(const OpenProject& project) const {
    const auto found = std::find_if(projects_.begin(), projects_.end(),
                                    [&](const auto& held) { return held.get() == &project; });
    return static_cast<std::size_t>(found - projects_.begin());
}

OpenProject* Workspace::ProjectOf(const VBProject* project) const {
    for (const auto& open : projects_) {
        if (open->project.get() == project) {
            return open.get();
        }
    }
    return nullptr;
}

OpenProject* Workspace::ProjectOf(const host::MemoryComponent& component) const {
    return Find(component).first;
}

OpenModule* Workspace::ModuleOf(const host::MemoryComponent& component) const {
    return Find(component).second;
}

std::pair<OpenProject*, OpenModule*> Workspace::Find(const host::MemoryComponent& component) const {
    for (const auto& open : projects_) {
        for (const auto& module : open->modules) {
            if (module->loaded.component == &component) {
                return {open.get(), module.get()};
            }
        }
    }
    return {};
}

OpenProject* Workspace::Opened(const fs::path& file) const {
    for (const auto& open : projects_) {
        if (!open->file.empty() && host::SameFile(open->file, file)) {
            return open.get();
        }
        for (const auto& module : open->modules) {
            if (host::SameFile(module->Component().FilePath(), file)) {
                return open.get();
            }
        }
    }
    return nullptr;
}

void Workspace::SetCodePage(OpenProject& project, int codePage) {
    project.codePage = codePage;
    for (const auto& module : project.modules) {
        if (module->Component().CodePage() != codePage) {
            module->Component().SetCodePage(codePage);
        }
    }
}

bool Workspace::Refresh() {
    bool changed = false;
    for (const auto& project : projects_) {
        for (const auto& module : project->modules) {
            const host::MemoryCodeModule* code = module->Component().Code();
            if (code == nullptr || code->Version() == module->checkedVersion) {
                continue;
            }
            module->checkedVersion = code->Version();
            const bool modified = module->Component().Serialize() != module->loaded.original;
            changed = changed || modified != module->modified;
            module->modified = modified;
        }
    }
    return changed;
}

std::vector<OpenModule*> Workspace::Unsaved(const OpenProject* project) {
    Refresh();
    std::vector<OpenModule*> unsaved;
    for (const auto& open : projects_) {
        if (project != nullptr && open.get() != project) {
            continue;
        }
        for (const auto& module : open->modules) {
            if (module->modified) {
                unsaved.push_back(module.get());
            }
        }
    }
    return unsaved;
}

void Workspace::BeginCommand(const std::string& name) {
    for (const auto& project : projects_) {
        for (const auto& module : project->modules) {
            if (module->history) {
                module->history->BeginStep(name);
            }
        }
    }
}

void Workspace::EndCommand() {
    for (const auto& project : projects_) {
        for (const auto& module : project->modules) {
            if (module->history) {
                module->history->EndStep();
            }
        }
    }
}

}  // namespace brindle::workbench
