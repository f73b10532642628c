// The settings in an INI file through QSettings.

#include <QSettings>
#include <QString>
#include <QStringList>
#include <QVariant>

#include "host/settings/SettingsBackend.h"
#include "host/vb6/posix/QtText.h"
#include "model/SettingsKeys.h"
#include "model/VbError.h"

namespace brindle::host {
namespace {

// A value edited by hand may hold a bare comma, which the INI reader turns into a list.
QString AsText(const QVariant& value) {
    if (value.typeId() == QMetaType::QStringList) {
        return value.toStringList().join(", ");
    }
    return value.toString();
}

class QtSettings : public SettingsBackend {
public:
    explicit QtSettings(std::unique_ptr<QSettings> settings) : settings_(std::move(settings)) {}

    std::optional<std::string> Read(std::string_view appName, std::string_view section,
                                    std::string_view key) override {
        const QVariant value = settings_->value(KeyPath(appName, section, key));
        if (!value.isValid()) {
            return std::nullopt;
        }
        return AsText(value).toUtf8().toStdString();
    }

    void Write(std::string_view appName, std::string_view section, std::string_view key,
               std::string_view text) override {
        settings_->setValue(KeyPath(appName, section, key), ToQString(text));
        settings_->sync();
        if (settings_->status() == QSettings::AccessError) {
            Raise(Err::PathFileAccess, std::string(settings::kApp));
        }
    }

    std::string Location() const override { return settings_->fileName().toStdString(); }
    bool IsFile() const override { return true; }

private:
    // Sections of another application than "VBBrindle" are kept under a group of its name.
    static QString KeyPath(std::string_view appName, std::string_view section,
                           std::string_view key) {
        QString path = ToQString(section) + "/" + ToQString(key);
        return appName == settings::kApp ? path : ToQString(appName) + "/" + path;
    }

    std::unique_ptr<QSettings> settings_;
};

}  // namespace

std::unique_ptr<SettingsBackend> OpenSettingsFile(const std::filesystem::path& file) {
    return std::make_unique<QtSettings>(
        std::make_unique<QSettings>(QString::fromStdString(file.string()), QSettings::IniFormat));
}

std::unique_ptr<SettingsBackend> OpenUserSettings() {
    return std::make_unique<QtSettings>(
        std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                    ToQString(settings::kApp), ToQString(settings::kApp)));
}

}  // namespace brindle::host
