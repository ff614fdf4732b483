// The environment a real player process runs in under test: its runtime,
// data and config folders inside a scratch folder, no display, no sound card.
#pragma once

#include <filesystem>

#include <QProcessEnvironment>
#include <QString>

namespace cx::test {

inline QProcessEnvironment ScratchPlayerEnvironment(const std::filesystem::path& dir) {
    const auto runtime = dir / "run";
    std::filesystem::create_directories(runtime);
    std::filesystem::permissions(runtime, std::filesystem::perms::owner_all);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_RUNTIME_DIR", QString::fromStdString(runtime.string()));
    env.insert("XDG_DATA_HOME", QString::fromStdString((dir / "data").string()));
    env.insert("XDG_CONFIG_HOME", QString::fromStdString((dir / "config").string()));
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("SDL_AUDIODRIVER", "dummy");
    return env;
}

}  // namespace cx::test
