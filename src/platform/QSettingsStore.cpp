#include "platform/QSettingsStore.h"

#include <QSettings>
#include <QStringList>

namespace cx {
namespace {

bool IsSettingsKey(std::string_view key) {
    if (key.size() != kSettingsKey.size()) return false;
    for (size_t i = 0; i < key.size(); ++i) {
        const auto lower = [](char c) {
            return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
        };
        if (lower(key[i]) != lower(kSettingsKey[i])) return false;
    }
    return true;
}

QString SettingPath(std::string_view key, std::string_view valueName) {
    const QString name =
        QString::fromUtf8(valueName.data(), static_cast<qsizetype>(valueName.size()));
    if (IsSettingsKey(key)) return name;
    QString group = QString::fromUtf8(key.data(), static_cast<qsizetype>(key.size()));
    group.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return group + QLatin1Char('/') + name;
}

}  // namespace

QSettingsStore::QSettingsStore()
    : m_settings(std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                             kOrganisationName, kApplicationName)) {}

QSettingsStore::QSettingsStore(const std::string& iniPath)
    : m_settings(
          std::make_unique<QSettings>(QString::fromStdString(iniPath), QSettings::IniFormat)) {}

QSettingsStore::~QSettingsStore() {
    Sync();
}

std::string QSettingsStore::Read(std::string_view key, std::string_view valueName) const {
    const QVariant value = m_settings->value(SettingPath(key, valueName));
    if (!value.isValid()) return {};
    // An unquoted "a,b" in a hand-edited file reads as a list: join it back.
    if (value.typeId() == QMetaType::QStringList) {
        return value.toStringList().join(QLatin1Char(',')).toStdString();
    }
    return value.toString().toStdString();
}

void QSettingsStore::Write(std::string_view key, std::string_view valueName,
                           std::string_view text) {
    m_settings->setValue(SettingPath(key, valueName),
                         QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
}

std::string QSettingsStore::Sync() {
    m_settings->sync();
    switch (m_settings->status()) {
        case QSettings::NoError:
            return {};
        case QSettings::AccessError:
            return "cannot write " + FilePath();
        case QSettings::FormatError:
            return FilePath() + " is damaged; settings were not saved";
    }
    return {};
}

std::string QSettingsStore::FilePath() const {
    return m_settings->fileName().toStdString();
}

}  // namespace cx
