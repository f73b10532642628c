#include "workbench/TeamFilesWatch.h"

#include <QFileSystemWatcher>
#include <QTimer>
#include <set>

#include "host/files/FileSystem.h"
#include "host/files/IgnoreFile.h"
#include "host/files/TeamText.h"
#include "host/settings/TeamSettings.h"
#include "workbench/Workspace.h"

namespace fs = std::filesystem;

namespace brindle::workbench {
namespace {

// A file that cannot be read now counts as a change when it can be again.
std::string BytesOf(const std::optional<fs::path>& file) {
    if (!file) {
        return {};
    }
    try {
        return host::ReadFileBytes(*file);
    } catch (const std::exception& e) {
        return std::string("\0unreadable: ", 13) + e.what();
    }
}

QString Text(const fs::path& path) {
    return QString::fromStdString(host::TextOf(path));
}

}  // namespace

fs::path FolderOf(const OpenProject& project) {
    fs::path file = project.file;
    if (file.empty() && !project.modules.empty()) {
        file = project.modules.front()->Component().FilePath();
    }
    return file.empty() ? fs::path() : fs::absolute(file).parent_path();
}

TeamFilesWatch::TeamFilesWatch(QObject* parent)
    : QObject(parent), watcher_(new QFileSystemWatcher(this)), settle_(new QTimer(this)) {
    // An editor saves in several steps (a temporary file, a rename); the last one counts.
    settle_->setSingleShot(true);
    settle_->setInterval(200);
    connect(settle_, &QTimer::timeout, this, [this] { Settled(); });
    connect(watcher_, &QFileSystemWatcher::directoryChanged, settle_, qOverload<>(&QTimer::start));
    connect(watcher_, &QFileSystemWatcher::fileChanged, settle_, qOverload<>(&QTimer::start));
}

TeamFilesWatch::Seen TeamFilesWatch::Look(const OpenProject& project) {
    Seen seen;
    const fs::path folder = FolderOf(project);
    if (folder.empty()) {
        return seen;
    }
    seen.team = host::FindTeamSettings(folder);
    seen.ignore =
        project.file.empty() ? std::nullopt : host::NearestFile(folder, host::kIgnoreFileName);
    seen.teamBytes = BytesOf(seen.team);
    seen.ignoreBytes = BytesOf(seen.ignore);
    return seen;
}

void TeamFilesWatch::Follow(const std::vector<OpenProject*>& projects) {
    std::map<OpenProject*, Seen> kept;
    for (OpenProject* project : projects) {
        auto found = seen_.find(project);
        kept.emplace(project, found != seen_.end() ? std::move(found->second) : Look(*project));
    }
    seen_ = std::move(kept);
    WatchPaths();
}

// Each project's folder (a file that appears there), and the folders and files of those that
// apply to it now.
void TeamFilesWatch::WatchPaths() {
    std::set<QString> paths;
    for (const auto& [project, seen] : seen_) {
        if (const fs::path folder = FolderOf(*project); !folder.empty()) {
            paths.insert(Text(folder));
        }
        for (const std::optional<fs::path>& file : {seen.team, seen.ignore}) {
            if (file) {
                paths.insert(Text(*file));
                paths.insert(Text(file->parent_path()));
            }
        }
    }
    const QStringList watched = watcher_->files() + watcher_->directories();
    if (!watched.isEmpty()) {
        watcher_->removePaths(watched);
    }
    if (!paths.empty()) {
        watcher_->addPaths(QStringList(paths.begin(), paths.end()));
    }
}

void TeamFilesWatch::Settled() {
    std::vector<Change> changes;
    for (auto& [project, seen] : seen_) {
        Seen now = Look(*project);
        const bool team = now.team != seen.team || now.teamBytes != seen.teamBytes;
        const bool ignore = now.ignore != seen.ignore || now.ignoreBytes != seen.ignoreBytes;
        if (team || ignore) {
            changes.push_back({project, team, ignore, now.team});
            seen = std::move(now);
        }
    }
    // A file replaced by a rename is another file: watch the new one.
    WatchPaths();
    if (!changes.empty() && onChanged) {
        onChanged(changes);
    }
}

}  // namespace brindle::workbench
