#include "platform/QSettingsStore.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSettings>
#include <QStringList>

namespace cx {
namespace {

// An empty lock file this old is not being filled any more.
constexpr int kEmptyLockSeconds = 2;
// How long a save waits for another program's save to clear away orphans.
constexpr int kOrphanLockWaitMs = 200;

// Qt's name for a new settings file between linking and renaming it:
// "<file>." and six letters or digits.
bool IsSaveInFlightName(const QString& name, const QString& file) {
    constexpr qsizetype kRandomChars = 6;
    if (name.size() != file.size() + 1 + kRandomChars || !name.startsWith(file + u'.'))
        return false;
    for (qsizetype i = file.size() + 1; i < name.size(); ++i) {
        const char16_t c = name[i].unicode();
        const bool alnum =
            (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9');
        if (!alnum) return false;
    }
    return true;
}

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

// QSettings guards its file with "<file>.lock"; clearing a stale one, Qt
// takes "<file>.lock.rmlock" for the moment. A program killed in either
// moment leaves the file behind: for good (the second), or for Qt's 30 s of
// waiting when it had not yet written its process number into it. Locking
// them ourselves clears them when their owner is dead and leaves them alone
// when another program holds them.
void QSettingsStore::RemoveStaleLocks() {
    const QString file = QString::fromStdString(FilePath());
    for (const QString& path :
         {file + QStringLiteral(".lock.rmlock"), file + QStringLiteral(".lock")}) {
        const QFileInfo info(path);
        if (!info.exists()) continue;
        // Empty and not new: its owner died between creating and filling it.
        if (info.size() == 0 &&
            info.lastModified().secsTo(QDateTime::currentDateTime()) >= kEmptyLockSeconds) {
            QFile::remove(path);
            continue;
        }
        QLockFile stale(path);
        if (stale.tryLock(0)) stale.unlock();
    }
}

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
    RemoveStaleLocks();
    m_settings->sync();
    RemoveOrphanedSaves();
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

// Qt writes the new file unnamed, links it as "<file>.XXXXXX" and renames that
// over the file; a program killed between the two leaves the link behind for
// good. Saves do all this holding the lock, so while we hold it any such
// file is an orphan.
void QSettingsStore::RemoveOrphanedSaves() {
    const QFileInfo file(QString::fromStdString(FilePath()));
    QLockFile lock(file.filePath() + QStringLiteral(".lock"));
    if (!lock.tryLock(kOrphanLockWaitMs)) return;
    QDir dir = file.dir();
    const QStringList names =
        dir.entryList({file.fileName() + QStringLiteral(".??????")}, QDir::Files | QDir::Hidden);
    for (const QString& name : names) {
        if (IsSaveInFlightName(name, file.fileName())) dir.remove(name);
    }
}

std::string QSettingsStore::FilePath() const {
    return m_settings->fileName().toStdString();
}

}  // namespace cx
