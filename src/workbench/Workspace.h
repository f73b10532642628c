#pragma once
// The projects open in the workbench: the in-memory projects loaded as the command line loads
// them, each module with the bytes it was read with and its undo history, and each project
// with the code page its text is shown in.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "host/files/ProjectLoader.h"
#include "host/ide/UndoHistory.h"

namespace brindle::workbench {

struct OpenModule {
    host::LoadedModule loaded;
    std::unique_ptr<host::UndoHistory> history;  // null for a component without code
    bool modified = false;  // its bytes differ from those on disk when read or saved
    bool shown = false;     // its code window was opened
    std::uint64_t checkedVersion = 0;

    host::MemoryComponent& Component() const { return *loaded.component; }
};

struct OpenProject {
    std::shared_ptr<host::MemoryProject> project;
    std::filesystem::path file;   // the project file; empty for modules opened one by one
    std::filesystem::path group;  // the group file it was opened from, if any
    std::string label;
    int codePage = 1252;
    std::vector<std::unique_ptr<OpenModule>> modules;
    std::vector<host::IgnoredModule> ignored;  // left out by the .brindleignore beside it
    // The brindle.ini found beside the project or group file (or the module files) it was
    // opened from, or in a folder above.
    std::optional<std::filesystem::path> teamFile;
};

// A project command or refresh in the project-wide history: its step in each module it
// changed, by the module history's own number for it.
struct ProjectStep {
    std::string name;
    std::vector<std::pair<OpenModule*, std::uint64_t>> parts;
};

class Workspace {
public:
    Workspace();
    ~Workspace();
    Workspace(const Workspace&) = delete;
    Workspace& operator=(const Workspace&) = delete;

    // Takes what was loaded; the projects come at `at` (a project's index), else after those
    // open already.
    std::vector<OpenProject*> Add(host::Loaded loaded, int codePage,
                                  std::size_t at = static_cast<std::size_t>(-1));
    std::size_t IndexOf(const OpenProject& project) const;
    // Histories and views of the project must be let go of first.
    void Close(const OpenProject& project);

    const std::vector<std::unique_ptr<OpenProject>>& Projects() const { return projects_; }
    OpenProject* ProjectOf(const VBProject* project) const;
    OpenProject* ProjectOf(const host::MemoryComponent& component) const;
    OpenModule* ModuleOf(const host::MemoryComponent& component) const;
    // The open project of that file, or the open module file's project.
    OpenProject* Opened(const std::filesystem::path& file) const;

    // Shows the project's text in another code page. Its bytes stay as they are.
    void SetCodePage(OpenProject& project, int codePage);

    // Looks again at each module that changed since it was last looked at; true when some
    // module's modified mark changed.
    bool Refresh();
    // The modified modules, of one project or of all, after a Refresh.
    std::vector<OpenModule*> Unsaved(const OpenProject* project = nullptr);

    // Every module's edits until EndCommand are one step of its history, and together one
    // step of the project-wide history. Each code pane's selection is the user's again after
    // it, moved with the lines inserted or deleted above it.
    void BeginCommand(const std::string& name);
    void EndCommand();

    // What Undo (or Redo) would take in `module`, the active code window's or null: the
    // module's last step, or the last project command's when the module has none. A project
    // command is taken back (replayed) in every module it changed at once.
    struct NextStep {
        std::string name;                      // empty when there is nothing to do
        OpenModule* module = nullptr;          // a step of this module's alone
        const ProjectStep* project = nullptr;  // or a project command's
        // The module changed since the project command, which stands in its way; or null.
        const OpenModule* blocker = nullptr;
    };
    NextStep NextUndo(OpenModule* module);
    NextStep NextRedo(OpenModule* module);
    // Takes back or replays a project command that nothing stands in the way of.
    void Apply(const NextStep& step, bool undo);

private:
    struct Command;

    std::pair<OpenProject*, OpenModule*> Find(const host::MemoryComponent& component) const;
    std::vector<OpenModule*> CodeModules() const;
    NextStep Next(OpenModule* module, bool undo);
    void DropStaleRedo();

    std::vector<std::unique_ptr<OpenProject>> projects_;
    std::unique_ptr<Command> command_;  // while one runs
    std::vector<ProjectStep> done_;     // the project-wide history, the last step last
    std::vector<ProjectStep> undone_;
};

}  // namespace brindle::workbench
