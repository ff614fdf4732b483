#include "platform/QtThemeEnvironment.h"

#include <QDir>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGuiApplication>
#include <QImageReader>
#include <QScreen>
#include <QStandardPaths>

#include "platform/QSettingsStore.h"

namespace cx {

std::string AppDataFolder() {
    // Spelled out so that tools without application names find the same folder.
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return QDir(base).filePath(QString(kOrganisationName) + "/" + kApplicationName).toStdString();
}

std::string MusicFolder() {
    QString music = QStandardPaths::writableLocation(QStandardPaths::MusicLocation);
    if (music.isEmpty()) music = QDir::homePath();
    return music.toStdString();
}

std::string VoiceFolder() {
    return QDir(QString::fromStdString(AppDataFolder())).filePath("Voice").toStdString();
}

namespace {

bool HasGuiApplication() {
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
}

// The primary screen first, then the others in the platform's order.
std::vector<QScreen*> OrderedScreens() {
    std::vector<QScreen*> screens;
    if (!HasGuiApplication()) return screens;
    QScreen* primary = QGuiApplication::primaryScreen();
    if (primary != nullptr) screens.push_back(primary);
    for (QScreen* screen : QGuiApplication::screens()) {
        if (screen != primary) screens.push_back(screen);
    }
    return screens;
}

}  // namespace

std::vector<std::string> ScreenNames() {
    std::vector<std::string> names;
    const size_t count = OrderedScreens().size();
    for (size_t i = 0; i < count; ++i) {
        names.push_back(i == 0 ? std::string("Monitor 1 (primary)")
                               : "Monitor " + std::to_string(i + 1));
    }
    return names;
}

QScreen* ScreenForMonitorName(const std::string& name) {
    const auto screens = OrderedScreens();
    const auto names = ScreenNames();
    for (size_t i = 0; i < names.size(); ++i) {
        if (names[i] == name) return screens[i];
    }
    return screens.empty() ? nullptr : screens.front();
}

ThemeEnvironment QtThemeEnvironment() {
    ThemeEnvironment env;
    env.musicFolder = MusicFolder();
    env.voiceFolder = VoiceFolder();
    if (!HasGuiApplication()) return env;

    const QStringList families = QFontDatabase::families();
    env.fontInstalled = [families](const std::string& name) {
        return families.contains(QString::fromStdString(name), Qt::CaseSensitive);
    };
    // The family the UI font resolves to, not an alias such as "Sans Serif".
    env.defaultFont =
        QFontInfo(QFontDatabase::systemFont(QFontDatabase::GeneralFont)).family().toStdString();
    env.screenNames = ScreenNames();
    env.pictureLoads = [](const std::string& path) {
        return QImageReader(QString::fromStdString(path)).canRead();
    };
    return env;
}

}  // namespace cx
