#include "host/files/SettingsFile.h"

#include <QSettings>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <cstdlib>

#include "host/model/VbError.h"

namespace brindle::host {
namespace {

constexpr const char* kApplication = "VBBrindle";

QString ToQString(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

std::string ToUtf8(const QString& text) {
    return text.toUtf8().toStdString();
}

QString KeyPath(std::string_view appName, std::string_view section, std::string_view key) {
    QString path = ToQString(section) + "/" + ToQString(key);
    return appName == kApplication ? path : ToQString(appName) + "/" + path;
}

// A value edited by hand may hold a bare comma, which the INI reader turns into a list.
QString AsText(const QVariant& value) {
    if (value.typeId() == QMetaType::QStringList) {
        return value.toStringList().join(", ");
    }
    return value.toString();
}

std::unique_ptr<QSettings> OpenDefault() {
    const char* file = std::getenv("BRINDLE_SETTINGS");
    if (file != nullptr && *file != '\0') {
        return std::make_unique<QSettings>(QString::fromLocal8Bit(file), QSettings::IniFormat);
    }
    return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, kApplication,
                                       kApplication);
}

}  // namespace

SettingsFile::SettingsFile() : settings_(OpenDefault()) {}

SettingsFile::SettingsFile(const std::filesystem::path& file)
    : settings_(std::make_unique<QSettings>(QString::fromStdString(file.string()),
                                            QSettings::IniFormat)) {}

SettingsFile::~SettingsFile() = default;

std::string SettingsFile::GetSetting(std::string_view appName, std::string_view section,
                                     std::string_view key, std::string_view fallback) {
    const QString path = KeyPath(appName, section, key);
    const QVariant value = settings_->value(path);
    if (value.isValid()) {
        return ToUtf8(AsText(value));
    }
    fallbacks_[path] = ToQString(fallback);
    return std::string(fallback);
}

void SettingsFile::SaveSetting(std::string_view appName, std::string_view section,
                               std::string_view key, std::string_view value) {
    const QString path = KeyPath(appName, section, key);
    const QVariant stored = settings_->value(path);
    const QString text = ToQString(value);
    const auto fallback = fallbacks_.find(path);
    const bool unchanged = stored.isValid()
                               ? AsText(stored) == text
                               : fallback != fallbacks_.end() && fallback->second == text;
    if (unchanged) {
        return;
    }
    settings_->setValue(path, text);
    settings_->sync();
    if (settings_->status() == QSettings::AccessError) {
        Raise(Err::PathFileAccess, kApplication);
    }
}

std::filesystem::path SettingsFile::FileName() const {
    return settings_->fileName().toStdString();
}

}  // namespace brindle::host
