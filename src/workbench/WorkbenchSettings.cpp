#include "workbench/WorkbenchSettings.h"

#include <QFileInfo>
#include <QUrl>

#include "host/files/FileSystem.h"

namespace brindle::workbench {
namespace {

constexpr int kRecentProjects = 8;
constexpr int kDefaultCodePage = 1252;

std::unique_ptr<QSettings> OpenDefault() {
    if (const auto file = host::EnvironmentValue("BRINDLE_WORKBENCH_SETTINGS")) {
        // Qt keeps its own settings (the file dialog's) in the user's folder otherwise.
        const QString named = QString::fromStdString(*file);
        const QString folder = QFileInfo(named).absolutePath();
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder);
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder);
        return std::make_unique<QSettings>(named, QSettings::IniFormat);
    }
    return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                       QStringLiteral("Brindle"), QStringLiteral("Workbench"));
}

// How a project file is named in the settings: absolute, in UTF-8.
QString Named(const std::filesystem::path& file) {
    return QString::fromStdString(host::TextOf(std::filesystem::absolute(file).lexically_normal()));
}

// A path as one key: its slashes would make groups of it.
QString CodePageKey(const std::filesystem::path& file) {
    const QString path = Named(file);
    return QStringLiteral("CodePages/") + QString::fromLatin1(QUrl::toPercentEncoding(path));
}

}  // namespace

WorkbenchSettings::WorkbenchSettings() : settings_(OpenDefault()) {}

WorkbenchSettings::WorkbenchSettings(const QString& file)
    : settings_(std::make_unique<QSettings>(file, QSettings::IniFormat)) {}

QStringList WorkbenchSettings::RecentProjects() const {
    return settings_->value(QStringLiteral("RecentProjects")).toStringList();
}

void WorkbenchSettings::AddRecentProject(const std::filesystem::path& file) {
    const QString path = Named(file);
    QStringList recent = RecentProjects();
    recent.removeAll(path);
    recent.prepend(path);
    while (recent.size() > kRecentProjects) {
        recent.removeLast();
    }
    settings_->setValue(QStringLiteral("RecentProjects"), recent);
}

void WorkbenchSettings::RemoveRecentProject(const QString& path) {
    QStringList recent = RecentProjects();
    recent.removeAll(path);
    settings_->setValue(QStringLiteral("RecentProjects"), recent);
}

bool WorkbenchSettings::LoadOnStartup() const {
    return settings_->value(QStringLiteral("AddIns/VisualBasicBrindle.LoadOnStartup"), true)
        .toBool();
}

void WorkbenchSettings::SetLoadOnStartup(bool load) {
    settings_->setValue(QStringLiteral("AddIns/VisualBasicBrindle.LoadOnStartup"), load);
}

int WorkbenchSettings::CodePage(const std::filesystem::path& file) const {
    return settings_->value(CodePageKey(file), kDefaultCodePage).toInt();
}

bool WorkbenchSettings::HasCodePage(const std::filesystem::path& file) const {
    return settings_->contains(CodePageKey(file));
}

void WorkbenchSettings::SetCodePage(const std::filesystem::path& file, int codePage) {
    settings_->setValue(CodePageKey(file), codePage);
}

QByteArray WorkbenchSettings::WindowGeometry() const {
    return settings_->value(QStringLiteral("Window/Geometry")).toByteArray();
}

QByteArray WorkbenchSettings::WindowState() const {
    return settings_->value(QStringLiteral("Window/State")).toByteArray();
}

void WorkbenchSettings::SetWindowState(const QByteArray& geometry, const QByteArray& state) {
    settings_->setValue(QStringLiteral("Window/Geometry"), geometry);
    settings_->setValue(QStringLiteral("Window/State"), state);
}

bool WorkbenchSettings::Tabbed() const {
    return settings_->value(QStringLiteral("Window/Tabbed"), true).toBool();
}

void WorkbenchSettings::SetTabbed(bool tabbed) {
    settings_->setValue(QStringLiteral("Window/Tabbed"), tabbed);
}

}  // namespace brindle::workbench
