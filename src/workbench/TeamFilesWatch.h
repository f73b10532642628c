#pragma once
// Watches the brindle.ini and .brindleignore that apply to each open project, so that an edit
// to either takes effect without reopening the project.

#include <QObject>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

class QFileSystemWatcher;
class QTimer;

namespace brindle::workbench {

struct OpenProject;

// The folder a project's files are looked for from: its project file's, else its first
// module's; empty when it has neither.
std::filesystem::path FolderOf(const OpenProject& project);

class TeamFilesWatch final : public QObject {
public:
    explicit TeamFilesWatch(QObject* parent);

    // The projects open now: those not followed yet are taken as their files are now, those
    // no longer open are forgotten.
    void Follow(const std::vector<OpenProject*>& projects);

    // A project whose team settings or ignore file changed (appeared, went or was edited),
    // told once the changes have settled; `teamFile` is the brindle.ini that applies now.
    struct Change {
        OpenProject* project;
        bool team;
        bool ignore;
        std::optional<std::filesystem::path> teamFile;
    };
    std::function<void(const std::vector<Change>& changes)> onChanged;

private:
    struct Seen {
        std::optional<std::filesystem::path> team;
        std::optional<std::filesystem::path> ignore;
        std::string teamBytes;
        std::string ignoreBytes;
    };
    static Seen Look(const OpenProject& project);
    void Settled();
    void WatchPaths();

    QFileSystemWatcher* watcher_;
    QTimer* settle_;
    std::map<OpenProject*, Seen> seen_;
};

}  // namespace brindle::workbench
