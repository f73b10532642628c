#include "workbench/Workspace.h"

#include <algorithm>
#include <utility>

#include "host/files/FileSystem.h"

namespace fs = std::filesystem;

namespace brindle::workbench {
namespace {

struct Place {
    std::int32_t line = 1;
    std::int32_t column = 1;
};

// A place moves with the lines changed above it and stays on a line that was replaced; on a
// line that went it goes to the start of the line after the change.
void Follow(Place& place, std::int32_t first, std::int32_t removed, std::int32_t added) {
    if (place.line < first) {
        return;
    }
    if (place.line >= first + removed) {
        place.line += added - removed;
    } else if (place.line - first >= added) {
        place = {first + added, 1};
    }
}

// The user's selection in a module's code pane while a command sets the pane's own.
class KeptSelection final : public host::LineListener {
public:
    explicit KeptSelection(host::MemoryCodeModule& module) : module_(module) {
        module_.CodePane().GetSelection(start_.line, start_.column, end_.line, end_.column);
        module_.AddListener(*this);
    }
    ~KeptSelection() override { module_.RemoveListener(*this); }
    KeptSelection(const KeptSelection&) = delete;
    KeptSelection& operator=(const KeptSelection&) = delete;

    void LinesChanged(std::int32_t first, const std::vector<host::CodeLine>& removed,
                      std::int32_t added) override {
        const auto count = static_cast<std::int32_t>(removed.size());
        Follow(start_, first, count, added);
        Follow(end_, first, count, added);
    }

    // A module never shown has its caret at the top.
    void Restore(bool shown) {
        if (!shown) {
            start_ = end_ = {};
        }
        const std::int32_t last = module_.CountOfLines() + 1;
        module_.CodePane().SetSelection(std::clamp(start_.line, 1, last), start_.column,
                                        std::clamp(end_.line, 1, last), end_.column);
    }

private:
    host::MemoryCodeModule& module_;
    Place start_;
    Place end_;
};

struct Kept {
    OpenModule* module;
    std::uint64_t before;  // the id of the module's last step when the command began
    KeptSelection selection;
};

std::vector<std::unique_ptr<Kept>> Keep(const std::vector<OpenModule*>& modules) {
    std::vector<std::unique_ptr<Kept>> kept;
    for (OpenModule* module : modules) {
        kept.push_back(std::unique_ptr<Kept>(new Kept{module, module->history->UndoId(),
                                                      KeptSelection(*module->Component().Code())}));
    }
    return kept;
}

void Restore(const std::vector<std::unique_ptr<Kept>>& kept) {
    for (const auto& one : kept) {
        one->selection.Restore(one->module->shown);
    }
}

}  // namespace

struct Workspace::Command {
    std::string name;
    int depth = 0;
    std::vector<std::unique_ptr<Kept>> kept;
};

Workspace::Workspace() = default;

Workspace::~Workspace() {
    // Histories and kept selections listen to their modules: they go first.
    command_.reset();
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
    const auto inProject = [&](const ProjectStep& step) {
        return std::any_of(step.parts.begin(), step.parts.end(), [&](const auto& part) {
            return ProjectOf(part.first->Component()) == &project;
        });
    };
    std::erase_if(done_, inProject);
    std::erase_if(undone_, inProject);
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
        if ((!open->file.empty() && host::SameFile(open->file, file)) ||
            (!open->group.empty() && host::SameFile(open->group, file))) {
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

std::vector<OpenModule*> Workspace::CodeModules() const {
    std::vector<OpenModule*> modules;
    for (const auto& project : projects_) {
        for (const auto& module : project->modules) {
            if (module->history) {
                modules.push_back(module.get());
            }
        }
    }
    return modules;
}

void Workspace::BeginCommand(const std::string& name) {
    if (!command_) {
        command_ = std::make_unique<Command>(Command{name, 0, Keep(CodeModules())});
    }
    ++command_->depth;
    for (OpenModule* module : CodeModules()) {
        module->history->BeginStep(name);
    }
}

// The modules the command changed make one project step, which ends what Redo would replay.
void Workspace::EndCommand() {
    for (OpenModule* module : CodeModules()) {
        module->history->EndStep();
    }
    if (!command_ || --command_->depth > 0) {
        return;
    }
    ProjectStep step{command_->name, {}};
    for (const auto& kept : command_->kept) {
        const std::uint64_t id = kept->module->history->UndoId();
        if (id != kept->before) {
            step.parts.emplace_back(kept->module, id);
        }
    }
    Restore(command_->kept);
    command_.reset();
    if (step.parts.empty()) {
        return;
    }
    for (const ProjectStep& undone : undone_) {
        for (const auto& [module, id] : undone.parts) {
            if (module->history->HoldsRedo(id)) {
                module->history->DropRedo();
            }
        }
    }
    undone_.clear();
    done_.push_back(std::move(step));
}

Workspace::NextStep Workspace::NextUndo(OpenModule* module) {
    return Next(module, true);
}

Workspace::NextStep Workspace::NextRedo(OpenModule* module) {
    return Next(module, false);
}

Workspace::NextStep Workspace::Next(OpenModule* module, bool undo) {
    DropStaleRedo();
    const auto top = [undo](const OpenModule& one) {
        return undo ? one.history->UndoId() : one.history->RedoId();
    };
    const std::vector<ProjectStep>& steps = undo ? done_ : undone_;
    const ProjectStep* project = nullptr;
    if (module != nullptr && module->history && top(*module) != 0) {
        const std::pair<OpenModule*, std::uint64_t> part(module, top(*module));
        for (const ProjectStep& step : steps) {
            if (std::find(step.parts.begin(), step.parts.end(), part) != step.parts.end()) {
                project = &step;
            }
        }
        if (project == nullptr) {
            return {undo ? module->history->UndoName() : module->history->RedoName(), module};
        }
    } else if (!steps.empty()) {
        project = &steps.back();
    }
    if (project == nullptr) {
        return {};
    }
    NextStep next{project->name, nullptr, project};
    for (const auto& [part, id] : project->parts) {
        if (top(*part) != id) {
            next.blocker = part;
            break;
        }
    }
    return next;
}

void Workspace::Apply(const NextStep& next, bool undo) {
    std::vector<ProjectStep>& from = undo ? done_ : undone_;
    const auto found = std::find_if(from.begin(), from.end(),
                                    [&](const ProjectStep& step) { return &step == next.project; });
    if (found == from.end() || next.blocker != nullptr) {
        return;
    }
    ProjectStep step = std::move(*found);
    from.erase(found);
    std::vector<OpenModule*> modules;
    for (const auto& part : step.parts) {
        modules.push_back(part.first);
    }
    const std::vector<std::unique_ptr<Kept>> kept = Keep(modules);
    for (OpenModule* module : modules) {
        if (undo) {
            module->history->Undo();
        } else {
            module->history->Redo();
        }
    }
    Restore(kept);
    (undo ? undone_ : done_).push_back(std::move(step));
}

// A project step some module no longer holds is gone: an edit there ended its redo, which
// ends it in the other modules too; the oldest steps fall off a long history.
void Workspace::DropStaleRedo() {
    std::erase_if(undone_, [](const ProjectStep& step) {
        const bool stale = std::any_of(step.parts.begin(), step.parts.end(), [](const auto& part) {
            return !part.first->history->HoldsRedo(part.second);
        });
        for (const auto& [module, id] : step.parts) {
            if (stale && module->history->HoldsRedo(id)) {
                module->history->DropRedo();
            }
        }
        return stale;
    });
    std::erase_if(done_, [](const ProjectStep& step) {
        return std::any_of(step.parts.begin(), step.parts.end(), [](const auto& part) {
            return !part.first->history->HoldsUndo(part.second);
        });
    });
}

}  // namespace brindle::workbench
