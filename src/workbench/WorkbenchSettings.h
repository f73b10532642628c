#pragma once
// The workbench's own settings, apart from the add-in's: the recent projects, how the add-in
// loads, the code page of each project, the window's place.

#include <QByteArray>
#include <QSettings>
#include <QString>
#include <QStringList>
#include <filesystem>
#include <memory>

namespace brindle::workbench {

class WorkbenchSettings {
public:
    // The file that BRINDLE_WORKBENCH_SETTINGS names, or else the user's own settings file of
    // the workbench.
    WorkbenchSettings();
    explicit WorkbenchSettings(const QString& file);

    // The most recent first; at most eight.
    QStringList RecentProjects() const;
    void AddRecentProject(const std::filesystem::path& file);
    void RemoveRecentProject(const QString& path);

    bool LoadOnStartup() const;
    void SetLoadOnStartup(bool load);

    // The code page of the project or module file; nothing set gives 1252.
    int CodePage(const std::filesystem::path& file) const;
    bool HasCodePage(const std::filesystem::path& file) const;
    void SetCodePage(const std::filesystem::path& file, int codePage);

    QByteArray WindowState() const;
    void SetWindowState(const QByteArray& geometry, const QByteArray& state);
    QByteArray WindowGeometry() const;

    bool Tabbed() const;
    void SetTabbed(bool tabbed);

private:
    std::unique_ptr<QSettings> settings_;
};

}  // namespace brindle::workbench
